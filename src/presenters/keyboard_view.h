// The keyboard view's rules: where each button is placed, how it looks (its face pictures, the
// assigned look, the lighting tint, the bank label, its tooltip and accessible name), what a
// click does, the key bank display and the top-row variant with its arrows.
//
// The presenter keeps the look of every button and hands a button's look to the widgets each
// time it changes, so the widgets never decide anything and never redraw from paint callbacks:
// the bank, the variant and the hover of the variant buttons are state changes like any other.
//
// It is the keyboard view the core talks to: the assignment view (captions and assigned
// looks), the lighting view (tints) and the bank view (indicator and G labels). All calls run
// on the window thread; the bank view's calls arrive from the device monitor's thread and are
// forwarded here by the window bridge.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "lighting/lighting_model.h"
#include "monitor/monitor_views.h"
#include "presenters/keyboard_buttons.h"
#include "profiles/assignments.h"
#include "text/ini_file.h"
#include "text/skin_layout.h"

namespace qf::presenters {

// The four full-window pictures a skinned button cuts its faces from, in the order of
// text::skin::kMainPictures.
enum class MainPicture : std::uint8_t { Normal, Over, Down, Disable };

// The picture each state of a button shows. A button shows, in this order of precedence:
// disabled, pressed, hover, selected, normal.
struct ButtonFaces {
    MainPicture normal = MainPicture::Normal;
    MainPicture hover = MainPicture::Over;
    MainPicture pressed = MainPicture::Down;
    MainPicture disabled = MainPicture::Normal;
    MainPicture selected = MainPicture::Disable;

    friend bool operator==(const ButtonFaces&, const ButtonFaces&) = default;
};

// Every button's faces: an assigned key is "selected" and shows main_disable; a disabled button
// looks normal.
inline constexpr ButtonFaces kStandardFaces{MainPicture::Normal, MainPicture::Over,
                                            MainPicture::Down, MainPicture::Normal,
                                            MainPicture::Disable};
// A clicked button while its editor is open: it stays highlighted.
inline constexpr ButtonFaces kHighlightFaces{MainPicture::Over, MainPicture::Over,
                                             MainPicture::Down, MainPicture::Normal,
                                             MainPicture::Over};
// The bank indicator in bank B: the over picture in every look.
inline constexpr ButtonFaces kAllOverFaces{MainPicture::Over, MainPicture::Over, MainPicture::Over,
                                           MainPicture::Over, MainPicture::Over};

// The caption style of the G buttons' bank labels: the profile buttons' style, which reads on
// the dark skin.
struct CaptionStyle {
    std::string_view face;
    int points = 0;
    std::uint32_t rgb = 0;  // 0xRRGGBB
};
inline constexpr CaptionStyle kGLabelStyle{"Tahoma", 9, 0xFFFFFF};

// Everything a button shows.
struct ButtonLook {
    ButtonFaces faces = kStandardFaces;
    bool selected = false;  // the assigned look; for FLIP_0, the variant is set
    bool enabled = true;    // takes clicks
    bool visible = true;
    std::optional<lighting::Rgb> tint;  // drawn at 50 % over the face
    std::string label;                  // G1..G6: the bank label (kGLabelStyle)
    std::string tooltip;                // the assignment caption
    std::string accessibleName;

    friend bool operator==(const ButtonLook&, const ButtonLook&) = default;
};

// Where a button goes: its rectangle from section "BUTTONINFO" of the main skin. A rectangle
// at (1, 1) (the key is missing) disables the button. `inSkin` is false only for a D button
// whose optional key the skin lacks: it stays hidden.
struct ButtonPlacement {
    ViewButton button;
    std::uint32_t commandId = 0;
    std::string layoutKey;
    text::SkinRect rect;
    bool inSkin = true;

    friend bool operator==(const ButtonPlacement&, const ButtonPlacement&) = default;
};

// The arrow pictures beside FLIP_1 (left) and FLIP_2 (right): placed from `layoutKey` of
// "BUTTONINFO", the face cut from the arrow picture at the origin of `pictureKey` of
// "BUTTONINFO2", the same face in every state.
enum class ArrowSide : std::uint8_t { Left, Right };
struct ArrowLook {
    std::string_view layoutKey;
    std::string pictureKey;

    friend bool operator==(const ArrowLook&, const ArrowLook&) = default;
};

// The widgets of the keyboard view. They only place and draw what they are told.
class KeyboardViewWidgets {
public:
    virtual ~KeyboardViewWidgets() = default;
    // Once per button, at layout.
    virtual void PlaceButton(const ButtonPlacement& placement) = 0;
    // Whenever the button's look changes (and once after it is placed).
    virtual void ShowButton(ViewButton button, const ButtonLook& look) = 0;
    // Whenever an arrow's picture changes (and once at layout).
    virtual void ShowArrow(ArrowSide side, const ArrowLook& look) = 0;
};

// What the key assignment editor is opened on.
struct EditorRequest {
    std::size_t record = 0;       // record of the current profile's key block
    std::uint32_t commandId = 0;  // the clicked button
    bool isG9 = false;

    friend bool operator==(const EditorRequest&, const EditorRequest&) = default;
};

// The editor model's opening for a request: the record, macros only for G9.
struct EditorOpening;
EditorOpening OpeningFor(const EditorRequest& request);

// Opens the key assignment editor as a modal dialog; returns when it has closed.
class AssignmentEditorHost {
public:
    virtual ~AssignmentEditorHost() = default;
    virtual void OpenAssignmentEditor(const EditorRequest& request) = 0;
};

// What a click on a key, G, Fn or D button did.
enum class ClickOutcome : std::uint8_t {
    // Nothing: a disabled button, Fn or a D button with the panel off, the panel on in a mode
    // that does not paint, a key in no zone.
    Ignored,
    Painted,       // the lighting panel painted the key's zone
    EditorOpened,  // the assignment editor ran on the key's record
};

struct KeyboardViewDependencies {
    KeyboardViewWidgets& widgets;
    AssignmentEditorHost& editor;
    lighting::LightingModel& lighting;
    // The key bank the keyboard reports (the LED status word).
    const profiles::KeyBankSource& bank;
    // "Flip", the top-row variant.
    app::Settings& settings;
    // The main window's Apply command; the assignment views enable it through this view.
    std::function<void()> enableApply{};
};

class KeyboardViewPresenter final : public profiles::AssignmentView,
                                    public lighting::LightingView,
                                    public monitor::BankView {
public:
    explicit KeyboardViewPresenter(KeyboardViewDependencies deps);

    // Places every button from the main skin's layout records (G1..G9, the keys, Fn, D1..D6,
    // the indicators, the variant buttons), applies the top-row variant and the bank shown by
    // the keyboard, and shows every button and both arrows.
    void LayoutKeyButtons(const text::IniDocument& mainLayout);

    // The click on a key, G, Fn or D button by command id:
    // - lighting panel on and not G7..G9: paint the button's zone when the panel paints (mode 8),
    //   else nothing; the Fn button reacts only here;
    // - otherwise G button i edits record 256 + i (bank A) or 265 + i (bank B), key button n
    //   record ScanToKeyIndex(kSingleKeyList[n]): the button stays highlighted while the editor
    //   runs and gets its faces back when it closes. Fn and the D buttons do nothing.
    // Disabled buttons and other ids do nothing.
    ClickOutcome OnKeyButtonClicked(std::uint32_t commandId);
    // Any click of the view: key buttons as above, FLIP_1 and FLIP_2 toggle the variant.
    void OnButtonClicked(std::uint32_t commandId);
    // The main window's macro command: the editor as for a click on G9, whatever the panel.
    void OpenMacroEditor();

    // "Flip" from the settings: 0 enables F1..F4 and disables D1..D6; any other value the
    // opposite.
    void ApplyTopRowVariant();
    // FLIP_1 / FLIP_2: 0 becomes 1, anything else 0; stored and applied. The view follows the
    // new value even when the settings cannot be written.
    void ToggleTopRowVariant();
    // FLIP_1 (1) or FLIP_2 (2) is hovered or pressed (`hot`), or no longer: its arrow shows
    // picture 2 while hot, 1 otherwise.
    void OnFlipButtonHot(std::size_t flip, bool hot);

    // The LED message: G button `index` takes its assigned or free look.
    void SetGButtonAssigned(std::size_t index, bool assigned);

    // profiles::AssignmentView
    void SetKeyButton(std::size_t button, bool assigned, const std::string& caption) override;
    void SetGButton(std::size_t g, bool assigned, const std::string& caption) override;
    void EnableApply() override;
    // Every change is shown as it is made; nothing is left to redraw.
    void Redraw() override {}

    // lighting::LightingView
    void ClearAllTints() override;
    void TintAllKeys(lighting::Rgb colour) override;
    void TintZone(int zone, std::span<const lighting::KeyButtonId> buttons,
                  lighting::Rgb colour) override;

    // monitor::BankView, on the window thread.
    void ShowBankIndicator(bool bankB) override;
    void SetGButtonLabel(std::size_t index, std::string_view text) override;

    const ButtonLook& LookOf(ViewButton button) const;
    const ArrowLook& ArrowOf(ArrowSide side) const;
    const ButtonPlacement* PlacementOf(ViewButton button) const;
    int topRowVariant() const { return topRowVariant_; }

private:
    struct ButtonState {
        ButtonLook look;
        bool placedEnabled = true;  // not at (1, 1)
    };

    ButtonState& StateOf(ViewButton button);
    // Shows the button when its look changed.
    void Update(ViewButton button, ButtonLook look);
    void SetAssigned(ViewButton button, bool assigned, const std::string* caption);
    void SetTint(ViewButton button, std::optional<lighting::Rgb> tint);
    bool EnabledByVariant(ViewButton button) const;
    void ShowTopRow();
    ArrowLook ArrowLookFor(ArrowSide side) const;
    void ShowArrows();
    void RunEditor(ViewButton button, std::size_t record);

    KeyboardViewDependencies deps_;
    std::map<ViewButton, ButtonState> buttons_;
    std::map<ViewButton, ButtonPlacement> placements_;
    std::array<ArrowLook, 2> arrows_;
    std::array<bool, 2> arrowHot_{};
    int topRowVariant_ = 0;
};

}  // namespace qf::presenters
