// The profile manager: the skinned dialog (Skins/Profile.ini) that lists the profiles, lets the
// user check the one to make active, add rows for new or existing .fwc files, delete rows, and
// apply. Its rules are the profile manager model's (presenters/profile_manager.h); the dialog
// draws the rows and hands it the user's clicks and checks.
//
//   QtProfileFileChooser chooser;
//   ProfileManagerDialog manager({settings, activeProfile, transfers, switching, mainWindow,
//                                 prompter, language, userPaths.profileFolder, chooser,
//                                 paths.profileSkin.file, paths.installFolder, pictures,
//                                 openHelp},
//                                mainWindowWidget);
//   chooser.SetParent(&manager);
//   manager.Run();                      // the profile button
//   manager.CloseFromOutside();         // the keyboard's removal, the program's end
//   // SwitchHost: IsOpen(), HasUnappliedChanges(), CheckRow(p), DisableApply()
//
// The button pictures are placed the first time the dialog is shown and kept; each later
// opening checks that the background and shape pictures can still be read. The list's headings
// are fixed Chinese texts. Escape closes as Cancel does; Enter does nothing; F1 opens the help.
//
// GUI thread only.
#pragma once

#include <QTableWidget>
#include <filesystem>
#include <functional>

#include "presenters/profile_manager.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/picture_cache.h"
#include "ui/skin/skinned_dialog.h"

namespace qf::ui {

struct ProfileWindowDependencies {
    app::Settings& settings;
    profiles::ActiveProfile& activeProfile;
    profiles::ProfileTransfers& transfers;
    profiles::ProfileSwitching& switching;
    // The main window: its unapplied changes and its Apply command.
    profiles::SwitchHost& mainWindow;
    text::Prompter& prompter;
    const text::LanguageTable& language;
    std::filesystem::path profileFolder;
    presenters::ProfileFileChooser& chooser;
    // Skins/Profile.ini, and the folder the pictures are named in.
    std::filesystem::path layoutFile;
    std::filesystem::path installFolder;
    PictureCache& pictures;
    // F1; nothing when empty.
    std::function<void()> openHelp;
};

class ProfileManagerDialog final : public SkinnedDialog, private presenters::ProfileManagerView {
    Q_OBJECT
public:
    explicit ProfileManagerDialog(ProfileWindowDependencies deps, QWidget* parent = nullptr);
    ~ProfileManagerDialog() override;

    // Opens (modal to the whole program) and returns at once. False, and nothing opens, when the
    // skin's background or shape picture cannot be read: the user is told which.
    bool Open();
    // Open, then wait until the dialog has closed. False when it did not open.
    bool Run();
    // Closes without applying.
    void CloseFromOutside();

    // For switching while the dialog is open (SwitchHost).
    [[nodiscard]] bool IsOpen() const { return model_.IsOpen(); }
    [[nodiscard]] bool HasUnappliedChanges() const { return model_.HasUnappliedChanges(); }
    void CheckRow(int profile) { model_.CheckRow(profile); }
    void DisableApply() { model_.DisableApply(); }

    [[nodiscard]] presenters::ProfileManagerModel& model() { return model_; }

    // The controls, for the window's own tests.
    [[nodiscard]] QTableWidget& list() const { return *list_; }
    [[nodiscard]] PictureButton& newButton() const { return *new_; }
    [[nodiscard]] PictureButton& loadButton() const { return *load_; }
    [[nodiscard]] PictureButton& deleteButton() const { return *delete_; }
    [[nodiscard]] PictureButton& applyButton() const { return *apply_; }
    [[nodiscard]] PictureButton& okButton() const { return *ok_; }
    [[nodiscard]] PictureButton& cancelButton() const { return *cancel_; }

public slots:
    void done(int result) override;

protected:
    void PlaceControls() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // presenters::ProfileManagerView
    void ProfileManagerChanged() override;

    [[nodiscard]] bool Prepare();
    [[nodiscard]] std::optional<std::size_t> FirstSelectedRow() const;

    ProfileWindowDependencies deps_;
    presenters::ProfileManagerModel model_;

    QTableWidget* list_ = nullptr;
    PictureButton* new_ = nullptr;
    PictureButton* load_ = nullptr;
    PictureButton* delete_ = nullptr;
    PictureButton* apply_ = nullptr;
    PictureButton* ok_ = nullptr;
    PictureButton* cancel_ = nullptr;
};

}  // namespace qf::ui
