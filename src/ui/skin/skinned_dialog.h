// The base of every skinned window: a frameless dialog whose background, outline and control
// positions come from its skin layout file (Skins/Main.ini, Skins/Composite.ini,
// Skins/Profile.ini).
//
//   class ProfileDialog : public SkinnedDialog {
//       ProfileDialog(const app::InstallPaths& paths, PictureCache& pictures, QWidget* parent)
//           : SkinnedDialog(paths.profileSkin.file, pictures, parent), paths_(paths) {}
//       void PlaceControls() override {  // runs once, before the first show
//           const PictureSet set =
//               InstallPictureSet(pictures(), paths_.installFolder, skin::kProfilePictures);
//           PlaceSkinButton(ok_, skin::CONTROL_OK,
//                           {set.normal, set.hover, set.pressed, set.disabled, set.normal});
//           PlaceSkinControl(list_, skin::PROGRAM_LIST);
//       }
//   };
//   ProfileDialog dialog(paths, pictures, parent);
//   SkinError error;
//   if (!dialog.ApplyDialogSkin(&error)) { ReportSkinFailure(error, parent); return; }
//   dialog.exec();
//
// ApplyDialogSkin reads the layout file and checks the background ("SCREEN"/"Main") and shape
// ("SCREEN"/"Mask", the background when absent) pictures by their headers; the window takes the
// background's size and keeps its position. The pictures are decoded when the dialog is first
// shown (or painted): the outline is applied then, the controls are placed, and the shape
// picture is let go. The background is let go whenever the dialog is hidden and decoded again
// for the next showing.
//
// A left press on the dialog's own surface (anywhere no child takes the press) moves the
// window: through the window manager where one answers, by hand otherwise.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <filesystem>
#include <string_view>

#include "text/ini_file.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/picture_cache.h"

namespace qf::ui {

// A skin picture a dialog cannot do without (its background or its shape) that cannot be read.
struct SkinError {
    std::filesystem::path file;  // the picture, or the layout file when it names no picture
    QString reason;

    // "Cannot read the skin picture <file>: <reason>"
    [[nodiscard]] QString Message() const;
};

// The exit code of a program whose start-up window cannot be skinned.
inline constexpr int kSkinFailureExitCode = 1;

// False on platforms that show nothing (offscreen, minimal): no message box is shown there.
[[nodiscard]] bool HasDisplay();

// Tells the user: a line on standard error and, where a display exists, a message box naming
// the file. A dialog opened after start-up reports this way and is not opened; the program
// keeps running.
void ReportSkinFailure(const SkinError& error, QWidget* parent = nullptr);

// At start-up: reports the failure and ends the process with kSkinFailureExitCode.
[[noreturn]] void ExitOnSkinFailure(const SkinError& error);

class SkinnedDialog : public QDialog {
    Q_OBJECT
public:
    // `layoutFile` is the dialog's layout file; its folder is the skin folder the "SCREEN"
    // pictures are named in. `pictures` outlives the dialog.
    SkinnedDialog(std::filesystem::path layoutFile, PictureCache& pictures,
                  QWidget* parent = nullptr);
    ~SkinnedDialog() override;

    // See above. False, with `error` filled when given, when the background or the shape
    // picture cannot be read; the dialog must then not be shown.
    [[nodiscard]] bool ApplyDialogSkin(SkinError* error = nullptr);
    [[nodiscard]] bool skinApplied() const { return applied_; }
    // Set while the skin is being applied.
    [[nodiscard]] bool skinning() const { return skinning_; }

    // Decodes the background and the shape, applies the outline and places the controls (once);
    // called by itself before the dialog is first shown or painted. Does nothing before
    // ApplyDialogSkin has succeeded.
    void EnsureSkinned();

    [[nodiscard]] const std::filesystem::path& layoutFile() const { return layoutFile_; }
    [[nodiscard]] const std::filesystem::path& skinFolder() const { return skinFolder_; }
    [[nodiscard]] const text::IniDocument& layout() const { return layout_; }
    [[nodiscard]] const text::SkinScreen& screen() const { return screen_; }
    [[nodiscard]] PictureCache& pictures() const { return pictures_; }
    // The outline applied (empty until the dialog has been skinned).
    [[nodiscard]] const QRegion& outline() const { return outline_; }
    // The shape picture was white everywhere: the window keeps its full rectangle.
    [[nodiscard]] bool outlineFellBack() const { return outlineFellBack_; }
    // The background is decoded and held (while shown).
    [[nodiscard]] bool holdsBackground() const { return !background_.isNull(); }

    // The placements of skin_placement.h with this dialog's layout, section "BUTTONINFO"
    // unless another is named.
    text::SkinRect PlaceSkinButton(PictureButton& button, std::string_view key,
                                   const StatePictures& pictures,
                                   std::string_view section = text::skin::kButtonSection);
    text::SkinRect PlaceSkinControl(QWidget& control, std::string_view key,
                                    std::string_view section = text::skin::kButtonSection);
    text::SkinRect PlaceSkinButtonFrom(PictureButton& button, std::string_view key,
                                       std::string_view pictureSection, std::string_view pictureKey,
                                       const SkinPicture& picture,
                                       std::string_view section = text::skin::kButtonSection);
    text::SkinRect MoveSkinControl(QWidget& control, std::string_view key,
                                   std::string_view section = text::skin::kButtonSection);
    [[nodiscard]] text::SkinRect Record(
        std::string_view key, std::string_view section = text::skin::kButtonSection) const;

    void setVisible(bool visible) override;

public slots:
    // Lets go of the background and shape pictures, then closes with Accepted.
    void accept() override;

protected:
    // Places the dialog's controls from its layout; runs once, from EnsureSkinned.
    virtual void PlaceControls() {}

    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void LoadBackground();
    void ReleasePictures();

    std::filesystem::path layoutFile_;
    std::filesystem::path skinFolder_;
    PictureCache& pictures_;
    text::IniDocument layout_;
    text::SkinScreen screen_;
    QString backgroundFile_;
    QString shapeFile_;
    QImage background_;
    QRegion outline_;
    bool outlineFellBack_ = false;
    bool applied_ = false;
    bool skinning_ = false;
    bool placed_ = false;
    bool backgroundWarned_ = false;

    // The hand-made move, where no window manager moves the window.
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace qf::ui
