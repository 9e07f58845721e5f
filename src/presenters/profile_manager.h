// The profile manager's model: the list of profiles, the one checked row, New, Load, Delete,
// Apply and OK, without the window.
//
// The list starts with the three on-board profiles, each shown by the profile cache file's name
// and folder (one cache file holds every profile, so the three rows read alike). Rows the user
// adds with New (a new, blank profile file) or Load (an existing file, neither opened nor
// checked) are recorded in the settings by Apply, which also makes the checked row's on-board
// profile active and reloads the store from the keyboard. Nothing in the program reads the
// recorded rows back.
//
// The window implements ProfileManagerView and the file choosers; switching reaches the model
// through its SwitchHost (IsOpen, HasUnappliedChanges, CheckRow, DisableApply).
//
// Runs on the user-interface thread.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "profiles/switching.h"
#include "profiles/transfers.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::presenters {

// The list's columns: fixed headings (not from the language file) and widths in pixels.
inline constexpr std::array<std::string_view, 3> kProfileColumnHeadings = {"激活", "名称", "路径"};
inline constexpr std::array<int, 3> kProfileColumnWidths = {60, 120, 230};
// The file choosers' filter and default suffix.
inline constexpr std::string_view kProfileFileSuffix = "fwc";
inline constexpr std::string_view kProfileLoadPattern = "*.fwc";

struct ProfileRow {
    std::string name;    // column 1: the file's name without folder and extension
    std::string folder;  // column 2: the file's folder, ending in "/"
    bool checked = false;
    bool operator==(const ProfileRow&) const = default;
};

// The platform's file dialogs. Each returns the chosen file, or nothing when cancelled.
class ProfileFileChooser {
public:
    virtual ~ProfileFileChooser() = default;
    // A save dialog: default suffix "fwc", the filter "(*.fwc)" and "(*.*)", a question before
    // an existing file is overwritten; `initial` is the suggested file.
    [[nodiscard]] virtual std::optional<std::filesystem::path> ChooseNewProfile(
        const std::filesystem::path& initial) = 0;
    // An open dialog with the same suffix and filter; `initial` is the folder and "*.fwc".
    [[nodiscard]] virtual std::optional<std::filesystem::path> ChooseProfileToLoad(
        const std::filesystem::path& initial) = 0;
};

class ProfileManagerView {
public:
    virtual ~ProfileManagerView() = default;
    // The rows, their check boxes or the Apply button changed: redraw from the model. Filling
    // the list from the model must not count as a user's check change.
    virtual void ProfileManagerChanged() = 0;
};

struct ProfileManagerDependencies {
    app::Settings& settings;
    profiles::ActiveProfile& activeProfile;
    profiles::ProfileTransfers& transfers;
    profiles::ProfileSwitching& switching;
    // The main window: its unapplied changes and its Apply command.
    profiles::SwitchHost& mainWindow;
    text::Prompter& prompter;
    const text::LanguageTable& language;
    std::filesystem::path profileFolder;
    ProfileFileChooser& chooser;
    ProfileManagerView& view;
};

class ProfileManagerModel {
public:
    explicit ProfileManagerModel(ProfileManagerDependencies deps) : deps_(std::move(deps)) {}

    // Opening: the open count goes up; three rows, one per on-board profile, with the keyboard's
    // active profile checked (none when it cannot be read or is not one of the three); Apply
    // disabled.
    void Open();
    // Closing (OK, Cancel, or from outside): Apply disabled, the open count goes down.
    void Close();
    [[nodiscard]] bool IsOpen() const { return openCount_ > 0; }
    [[nodiscard]] int openCount() const { return openCount_; }

    [[nodiscard]] const std::vector<ProfileRow>& rows() const { return rows_; }
    // The first checked row, or -1.
    [[nodiscard]] int CheckedRow() const;
    // Apply is enabled: the manager has unapplied changes.
    [[nodiscard]] bool HasUnappliedChanges() const { return applyEnabled_; }

    // The user checks or unchecks a row: at most one row stays checked; Apply is enabled.
    void SetChecked(std::size_t row, bool checked);
    // New: a blank profile file where the user chooses (suggested: the profile folder and the
    // text of PROFILE_NEW), and a row for it.
    void New();
    // Load: a row for a file the user chooses.
    void Load();
    // Delete: the first selected row, if any.
    void Delete(std::optional<std::size_t> firstSelectedRow);

    // Apply: asks PROFILE_SELECT_PROMPT first when the main window has unapplied changes (Yes
    // runs its Apply), records the rows in the settings, makes the checked row's on-board
    // profile active (nothing for no row or a row past the third), reloads the store from the
    // keyboard and rebuilds the profile menu. Apply is then disabled here and in the main
    // window. When the main window's Apply of a Yes fails, nothing more happens (false): the
    // main window's edits stay, and so do the rows, unapplied.
    bool Apply();
    // Apply, then close; the window stays open when the Apply stopped.
    void Ok();
    void Cancel() { Close(); }

    // For switching while the manager is open: only row `profile` is checked (none for a row
    // outside the list), and Apply is disabled.
    void CheckRow(int profile);
    void DisableApply();

    // The file New suggests: the profile folder joined with the text of PROFILE_NEW without
    // its leading path separators (the text begins with a Windows backslash).
    [[nodiscard]] std::filesystem::path SuggestedNewFile() const;
    // The path Apply records for a row: folder, name and ".fwc".
    [[nodiscard]] static std::string RowPath(const ProfileRow& row);
    // A row for a file: its name without extension and its folder ending in "/".
    [[nodiscard]] static ProfileRow RowFor(const std::filesystem::path& file);

private:
    void AppendRow(const std::filesystem::path& file);
    void EnableApply();
    void Changed() { deps_.view.ProfileManagerChanged(); }

    ProfileManagerDependencies deps_;
    std::vector<ProfileRow> rows_;
    int openCount_ = 0;
    bool applyEnabled_ = false;
};

}  // namespace qf::presenters
