// The lighting panel's rules: what the panel shows for the lighting state (which controls, which
// picture on each clickable control, slider positions and thumbs, the effect and user mode
// lists, the direction controls' layout keys, accessible names), and what each control does.
//
// Every handler makes one change of the lighting model (or of the user colour files) and then
// shows the panel as the state now is: the panel's look is worked out from the lighting state
// and the few things only the panel keeps (the user mode list, the paint tool), so a drag, a
// click and a refresh of the same state always show the same thing. A refresh only reads what
// the model holds: it never writes to the keyboard.
//
// All calls run on the window thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lighting/lighting_model.h"
#include "lighting/user_colour_file.h"
#include "presenters/lighting_panel_rules.h"
#include "profiles/assignments.h"
#include "profiles/switching.h"
#include "text/ini_file.h"
#include "text/skin_layout.h"

namespace qf::presenters {

// What a colour picker's "automatic" entry stands for.
inline constexpr lighting::Rgb kAutomaticColour = lighting::kRed;

// The colour pickers' palette (besides "automatic" and "other...", which opens a free choice):
// the keyboard's lights show saturated colours best.
inline constexpr std::array<lighting::Rgb, 16> kPickerPalette = {{
    {255, 0, 0},
    {255, 128, 0},
    {255, 255, 0},
    {128, 255, 0},
    {0, 255, 0},
    {0, 255, 128},
    {0, 255, 255},
    {0, 128, 255},
    {0, 0, 255},
    {128, 0, 255},
    {255, 0, 255},
    {255, 0, 128},
    {255, 255, 255},
    {192, 192, 192},
    {128, 128, 128},
    {0, 0, 0},
}};

// A colour picker's answer: a colour, or its "automatic" entry.
struct ColourChoice {
    bool automatic = false;
    lighting::Rgb colour{};

    static constexpr ColourChoice Automatic() { return {true, {}}; }
    static constexpr ColourChoice Of(lighting::Rgb c) { return {false, c}; }
    constexpr lighting::Rgb Resolve() const { return automatic ? kAutomaticColour : colour; }
};

enum class DirectionSide : std::uint8_t { Left, Right };

// One entry of the effect list.
struct EffectItem {
    int code = 0;
    std::string name;

    friend bool operator==(const EffectItem&, const EffectItem&) = default;
};

// Everything the panel shows.
struct LightingPanelLook {
    bool panelOn = false;
    PanelPicture switchPicture = PanelPicture::DengUp;
    // The switch picture's accessible name: the panel's state and the current effect.
    std::string switchAccessibleName;

    std::vector<EffectItem> effects;
    int selectedEffect = -1;  // row of `effects`, -1 for none
    GroupVisibility groups{};
    // Where the direction controls stand (moved, keeping their size).
    text::DirectionControlKeys directionKeys = text::DirectionKeysForMode(0);

    int brightnessPosition = 0;
    int brightnessThumb = BrightnessThumb(0);
    int speedPosition = 0;
    int speedThumb = SpeedThumb(0);

    PanelPicture directionLeft = PanelPicture::LeftUp;
    PanelPicture directionRight = PanelPicture::RightUp;
    lighting::Rgb colour{};                                 // both colour pickers
    PanelPicture multicolourPicture = PanelPicture::SjsUp;  // both multicolour pictures
    std::array<PanelPicture, 4> fourColour = {PanelPicture::Hong, PanelPicture::Huang,
                                              PanelPicture::Lv, PanelPicture::Lan};

    int reportRate = 0;  // the selected report rate button, 0..3
    std::array<std::string, 4> reportAccessibleNames;

    lighting::Rgb paintColour{};
    PanelPicture toolPicture = PanelPicture::User1Up;
    std::vector<std::string> userModes;
    int selectedUserMode = -1;  // row of `userModes`, -1 for none

    PanelLabels labels;

    // Whether the control with this id is shown.
    bool Shows(std::uint32_t id) const { return ControlVisible(groups, id); }

    friend bool operator==(const LightingPanelLook&, const LightingPanelLook&) = default;
};

// The panel's widgets. ShowPanel is called whenever the look changes. Showing a look never
// reaches the handlers: lists, sliders and pickers are set with their user signals blocked, the
// effect list is refilled only when its entries differ, and the user mode list's edit text is
// left alone while the user types. The direction controls take their size from the plain key
// set's rectangles when placed and are only moved to `directionKeys` afterwards. Only a user's
// choice reaches OnEffectChosen: the arrow keys and the mouse wheel never change the effect
// list (either would write to the keyboard).
class LightingPanelWidgets {
public:
    virtual ~LightingPanelWidgets() = default;
    virtual void ShowPanel(const LightingPanelLook& look) = 0;
};

struct LightingPanelDependencies {
    LightingPanelWidgets& widgets;
    lighting::LightingModel& model;
    // The keyboard view's tints (ClearAllTints when the panel is switched off).
    lighting::LightingView& keyboard;
    profiles::Assignments& assignments;
    profiles::ProfileSwitching& switching;
    profiles::ActiveProfileSource& activeProfile;
    lighting::UserColourFiles& userColours;
    // The main skin: effect names and label texts.
    const text::IniDocument& mainLayout;
    int languageSetting = 0;
};

class LightingPanelPresenter {
public:
    explicit LightingPanelPresenter(LightingPanelDependencies deps);

    // Shows the panel for the lighting state as last read (after ReadLightingState): the
    // effect list, the report rate, sliders, colours, pictures, the user colour controls, the
    // controls of the current mode while the panel is on (with the zone colours on the keys in
    // mode 8), the direction controls' place. Writes nothing to the keyboard.
    void RefreshLightingPanel();
    // Selects the user mode in its list; the paint colour becomes black; the tool is selected.
    void RefreshUserColourControls();

    // The panel switch (1167): off when on, on when off.
    void OnPanelSwitchClicked();
    // Switches to the keyboard's active profile (which may ask to save unapplied changes);
    // when that succeeds, the panel is on, "DengCheck" is "1" and the current effect's controls
    // show (with the zone colours in mode 8). When it is refused (an editor is open) the panel
    // stays off and nothing is written. The result of SwitchProfile.
    int SwitchPanelOn();
    // "DengCheck" "0", the tints and the lighting looks leave the keys (the assigned looks come
    // back), and every switched control hides.
    void SwitchPanelOff();

    // The user picked effect list row `row`.
    void OnEffectChosen(int row);
    void OnBrightnessMoved(int position);
    void OnSpeedMoved(int position);
    void OnDirectionClicked(DirectionSide side);
    // Either colour picker (1155, 1152).
    void OnColourChosen(ColourChoice choice);
    // Either multicolour picture (1156, 1175).
    void OnMulticolourClicked();
    void OnFourColourClicked(int index);  // 0..3
    void OnReportRateClicked(int index);  // 0..3
    // Paint colour picker (1160) and tool picture (1164): the user mode's tools go to the user
    // colour file of the current profile.
    void OnPaintColourChosen(ColourChoice choice);
    void OnToolClicked();
    // User mode list (1198): a row picked, or the edit text changed.
    void OnUserModeSelected(int row);
    void OnUserModeEdited(std::string_view text);

    // The main window's restore with the panel on: the default lighting block, then the panel
    // shows the state the keyboard now holds.
    void RestoreLightingDefaults();

    // A new language setting: label texts and effect names follow it.
    void ApplyLanguage(int languageSetting);

    // Shows the current look even when it did not change (a widget built after the presenter).
    void Show();

    const LightingPanelLook& look() const { return look_; }
    int userMode() const { return userMode_; }

private:
    LightingPanelLook Compose() const;
    // Shows the look when it changed.
    void Publish();
    void WriteTools();

    LightingPanelDependencies deps_;
    LightingPanelLook look_;
    PanelLabels labels_;
    std::vector<std::string> userModes_;
    int userMode_ = 0;
    bool toolSelected_ = false;
    // Until the first refresh the sliders stand at their set-up places.
    bool followsState_ = false;
    bool shown_ = false;
};

}  // namespace qf::presenters
