// The keyboard view's widgets: a picture button per button of the view, the two arrow pictures,
// and a skinned dialog that shows the view on its own. Everything they show comes from the
// keyboard view presenter (presenters/keyboard_view.h); clicks and the hover of the variant
// buttons go back to it.
//
// A button's four faces (main_normal, main_over, main_down, main_disable at its rectangle) are
// cut once when it is placed; a change of look rearranges them without decoding any picture.
//
//   KeyboardViewDialog dialog(paths.mainSkin.file, pictures, paths.installFolder);
//   KeyboardViewPresenter presenter({dialog.widgets(), editor, lighting, bank, settings});
//   dialog.Bind(presenter);            // the buttons are laid out when the dialog is first shown
//   dialog.AddPlacement([&] { panelWidgets.PlaceControls(); });   // the lighting panel beside
//   if (dialog.ApplyDialogSkin(&error)) dialog.show();
//
// GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "presenters/keyboard_view.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/picture_cache.h"
#include "ui/skin/skinned_dialog.h"

namespace qf::ui {

// A key of the view: a picture button that can carry a colour tint, drawn at 50 % over its
// face.
class KeyButton : public PictureButton {
public:
    using PictureButton::PictureButton;

    void SetTint(std::optional<QColor> tint);
    [[nodiscard]] const std::optional<QColor>& tint() const { return tint_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QColor> tint_;
};

class KeyboardViewWidgets final : public presenters::KeyboardViewWidgets {
public:
    // The buttons are children of `dialog` and placed from its layout; the main pictures and the
    // arrow picture are named relative to `installFolder`.
    KeyboardViewWidgets(SkinnedDialog& dialog, const std::filesystem::path& installFolder);
    ~KeyboardViewWidgets() override;
    KeyboardViewWidgets(const KeyboardViewWidgets&) = delete;
    KeyboardViewWidgets& operator=(const KeyboardViewWidgets&) = delete;

    // Where clicks and the variant buttons' hover go. Before it is bound they go nowhere.
    void Bind(presenters::KeyboardViewPresenter* presenter) { presenter_ = presenter; }

    void PlaceButton(const presenters::ButtonPlacement& placement) override;
    void ShowButton(presenters::ViewButton button, const presenters::ButtonLook& look) override;
    void ShowArrow(presenters::ArrowSide side, const presenters::ArrowLook& look) override;

    // The widget of a button (null before it is placed) and of an arrow.
    [[nodiscard]] KeyButton* ButtonOf(presenters::ViewButton button) const;
    [[nodiscard]] PictureButton* ArrowOf(presenters::ArrowSide side) const;

private:
    struct Entry {
        QPointer<KeyButton> widget;
        // The faces of main_normal, main_over, main_down and main_disable.
        std::array<QImage, 4> faces;
    };

    KeyButton& Create(presenters::ViewButton button);
    void WatchFlip(presenters::ViewButton button, KeyButton& widget);

    SkinnedDialog& dialog_;
    PictureSet set_;
    SkinPicture arrowPicture_;
    std::map<presenters::ViewButton, Entry> buttons_;
    std::array<QPointer<PictureButton>, 2> arrows_{};
    presenters::KeyboardViewPresenter* presenter_ = nullptr;
};

// The keyboard view on a skinned dialog of its own (the main window hosts the same widgets on
// itself).
class KeyboardViewDialog : public SkinnedDialog {
public:
    KeyboardViewDialog(std::filesystem::path layoutFile, PictureCache& pictures,
                       const std::filesystem::path& installFolder, QWidget* parent = nullptr);

    [[nodiscard]] KeyboardViewWidgets& widgets() { return widgets_; }
    // The presenter that lays the buttons out when the dialog is first shown, and gets their
    // clicks.
    void Bind(presenters::KeyboardViewPresenter& presenter);
    // Other controls shown on this dialog (the lighting panel's): `place` runs once, after the
    // buttons are laid out, when the dialog is first shown (add it before that).
    void AddPlacement(std::function<void()> place);

protected:
    void PlaceControls() override;

private:
    KeyboardViewWidgets widgets_;
    presenters::KeyboardViewPresenter* presenter_ = nullptr;
    std::vector<std::function<void()>> placements_;
};

}  // namespace qf::ui
