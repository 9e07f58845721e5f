// The lighting panel's widgets: everything the lighting panel presenter's look names (the
// switch picture, labels, effect list, picture sliders, direction pictures, colour pickers,
// multicolour and four-colour pictures, paint colour and tool, the user mode list and the
// report rate buttons), placed on a skinned window from its layout and wired to the presenter.
//
// The widgets are children of the window that hosts them (the main window, or the keyboard
// view's own dialog); the host places them from its PlaceControls:
//
//   DialogColourChooser chooser;
//   LightingPanelWidgets panelWidgets(dialog, paths.installFolder, chooser);
//   LightingPanelPresenter panel({panelWidgets, model, keyboardView, ...});
//   panelWidgets.Bind(&panel);
//   dialog.AddPlacement([&] { panelWidgets.PlaceControls(); });   // KeyboardViewDialog
//   // or, in the host's own PlaceControls(): panelWidgets_.PlaceControls();
//
// Showing a look never reaches the presenter: the user's handlers hang on signals only a user
// makes (QComboBox::activated, QAbstractSlider::actionTriggered, clicks, QLineEdit::textEdited)
// and every fill runs under a QSignalBlocker. The effect list ignores the mouse wheel and the
// navigation keys while it is closed. The panel's pictures are decoded once, when first needed,
// and kept.
//
// GUI thread only.
#pragma once

#include <QImage>
#include <QPointer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>

#include "presenters/lighting_panel.h"
#include "ui/lighting/colour_picker.h"
#include "ui/lighting/panel_controls.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/skinned_dialog.h"

class QLabel;
class QWidget;

namespace qf::ui {

class LightingPanelWidgets final : public presenters::LightingPanelWidgets {
public:
    // The controls are children of `host`; the pictures are named relative to `installFolder`;
    // "Other..." of the colour pickers asks `chooser`. `host` and `chooser` outlive this object.
    LightingPanelWidgets(SkinnedDialog& host, const std::filesystem::path& installFolder,
                         ColourChooser& chooser);
    ~LightingPanelWidgets() override;
    LightingPanelWidgets(const LightingPanelWidgets&) = delete;
    LightingPanelWidgets& operator=(const LightingPanelWidgets&) = delete;

    // Where the user's changes go. Before it is bound they go nowhere.
    void Bind(presenters::LightingPanelPresenter* presenter) { presenter_ = presenter; }

    // Makes the controls (the first time: a host that is never shown makes none) and places
    // every control from the host's layout: the panel's controls at their rectangles (the
    // direction controls at the plain key set's, then moved to the current mode's set),
    // the report rate buttons (FUNC_REPORT1..4) as picture buttons of the main pictures. The
    // drop-down lists keep their own height when the layout's rectangle is taller (a layout's
    // list rectangle may include the dropped list).
    void PlaceControls();
    [[nodiscard]] bool placed() const { return placed_; }

    void ShowPanel(const presenters::LightingPanelLook& look) override;

    // The control with a panel command id (the report buttons included); null for other ids.
    [[nodiscard]] QWidget* ControlOf(std::uint32_t id) const;
    [[nodiscard]] QuietComboBox& effectList() const { return *effectList_; }
    [[nodiscard]] QuietComboBox& userModeList() const { return *userModeList_; }
    [[nodiscard]] ThumbSlider& brightnessSlider() const { return *brightness_; }
    [[nodiscard]] ThumbSlider& speedSlider() const { return *speed_; }
    // 1155, 1152 or 1160; null for other ids.
    [[nodiscard]] ColourPicker* PickerOf(std::uint32_t id) const;
    // The clickable pictures and the report rate buttons; null for other ids.
    [[nodiscard]] PictureButton* PictureOf(std::uint32_t id) const;
    // The picture a clickable picture shows now.
    [[nodiscard]] presenters::PanelPicture ShownPicture(std::uint32_t id) const;
    // The picture file's decoded image (empty when the file is missing).
    [[nodiscard]] const QImage& Picture(presenters::PanelPicture picture);
    [[nodiscard]] const QImage& Thumb(int number);

private:
    void Create();
    QLabel* AddLabel(std::uint32_t id);
    PictureButton* AddPicture(std::uint32_t id, std::function<void()> onClick);
    ColourPicker* AddPicker(std::uint32_t id, bool paint);
    void LoadPictures();
    void SetPicture(std::uint32_t id, presenters::PanelPicture picture, const QString& name);
    void ShowLists(const presenters::LightingPanelLook& look);
    void ShowUserModes(const presenters::LightingPanelLook& look);
    void ShowSlider(ThumbSlider& slider, int position, int thumb);
    void MoveDirectionControls();
    void FitListHeight(QWidget& list, int layoutHeight);
    void Reshow();

    // User handlers.
    void OnSwitch();
    void OnDirectionLeft();
    void OnDirectionRight();
    void OnMulticolour();
    void OnTool();
    void OnSlider(ThumbSlider& slider, bool brightness);
    void OnUserModeEdited(const QString& text);

    SkinnedDialog& host_;
    std::filesystem::path installFolder_;
    ColourChooser& chooser_;
    presenters::LightingPanelPresenter* presenter_ = nullptr;

    std::map<std::uint32_t, QPointer<QWidget>> controls_;
    std::map<std::uint32_t, presenters::PanelPicture> shownPictures_;
    QPointer<QuietComboBox> effectList_;
    QPointer<QuietComboBox> userModeList_;
    QPointer<ThumbSlider> brightness_;
    QPointer<ThumbSlider> speed_;

    bool picturesLoaded_ = false;
    std::array<QImage, presenters::kPanelPictureCount> pictures_;
    std::array<QImage, presenters::kThumbPictureCount> thumbs_;

    presenters::LightingPanelLook look_;
    bool shown_ = false;
    bool placed_ = false;
    bool created_ = false;
    // Set while the user's edit of the user mode list is with the presenter: the list keeps
    // the text being typed.
    bool editing_ = false;
};

}  // namespace qf::ui
