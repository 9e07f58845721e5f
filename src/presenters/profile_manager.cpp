#include "presenters/profile_manager.h"

#include "profiles/profile_format.h"
#include "profiles/profile_store.h"
#include "text/language_keys.h"

namespace qf::presenters {

namespace fs = std::filesystem;

void ProfileManagerModel::Open() {
    ++openCount_;
    rows_.clear();
    for (int i = 0; i < profiles::kOnBoardProfiles; ++i) {
        rows_.push_back(RowFor(profiles::ProfileCachePath(deps_.profileFolder, i)));
    }
    const int active = deps_.activeProfile.ReadActiveProfile();
    // Only 0..2 name a row: a keyboard reporting another number checks nothing.
    if (active >= 0 && active < static_cast<int>(rows_.size())) {
        rows_[static_cast<std::size_t>(active)].checked = true;
    }
    applyEnabled_ = false;
    Changed();
}

void ProfileManagerModel::Close() {
    if (openCount_ == 0) {
        return;
    }
    applyEnabled_ = false;
    --openCount_;
    Changed();
}

int ProfileManagerModel::CheckedRow() const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].checked) {
            return static_cast<int>(r);
        }
    }
    return -1;
}

void ProfileManagerModel::EnableApply() {
    applyEnabled_ = true;
}

void ProfileManagerModel::SetChecked(std::size_t row, bool checked) {
    if (row >= rows_.size()) {
        return;
    }
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        rows_[r].checked = r == row ? checked : (checked ? false : rows_[r].checked);
    }
    EnableApply();
    Changed();
}

ProfileRow ProfileManagerModel::RowFor(const fs::path& file) {
    ProfileRow row;
    row.name = file.stem().string();
    row.folder = file.parent_path().string();
    if (row.folder.empty() || row.folder.back() != '/') {
        row.folder += '/';
    }
    return row;
}

std::string ProfileManagerModel::RowPath(const ProfileRow& row) {
    return row.folder + row.name + profiles::kProfileFileExtension;
}

fs::path ProfileManagerModel::SuggestedNewFile() const {
    std::string_view name = deps_.language.Text(text::TextId::PROFILE_NEW);
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) {
        name.remove_prefix(1);
    }
    return name.empty() ? deps_.profileFolder : deps_.profileFolder / name;
}

void ProfileManagerModel::AppendRow(const fs::path& file) {
    rows_.push_back(RowFor(file));
}

void ProfileManagerModel::New() {
    (void)profiles::EnsureProfileFolder(deps_.profileFolder);
    std::optional<fs::path> chosen = deps_.chooser.ChooseNewProfile(SuggestedNewFile());
    if (!chosen || chosen->empty()) {
        return;
    }
    if (!chosen->has_extension()) {
        *chosen += profiles::kProfileFileExtension;
    }
    std::string error;
    if (profiles::WriteBlankProfileFile(*chosen, 0, {}, &error) != 1) {
        // The row is added all the same, as it always was; the user learns the file is missing.
        deps_.prompter.ShowMessage(
            text::TextId::PROFILE_NEW_WRITE_ERROR,
            deps_.language.Format(text::TextId::PROFILE_NEW_WRITE_ERROR, error));
    }
    AppendRow(*chosen);
    EnableApply();
    Changed();
}

void ProfileManagerModel::Load() {
    (void)profiles::EnsureProfileFolder(deps_.profileFolder);
    const std::optional<fs::path> chosen =
        deps_.chooser.ChooseProfileToLoad(deps_.profileFolder / kProfileLoadPattern);
    if (!chosen || chosen->empty()) {
        return;
    }
    AppendRow(*chosen);
    EnableApply();
    Changed();
}

void ProfileManagerModel::Delete(std::optional<std::size_t> firstSelectedRow) {
    if (!firstSelectedRow || *firstSelectedRow >= rows_.size()) {
        return;
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*firstSelectedRow));
    EnableApply();
    Changed();
}

bool ProfileManagerModel::Apply() {
    // The reload below would throw away the main window's edits: ask first, as switching does.
    if (deps_.mainWindow.HasUnappliedChanges()) {
        const bool save =
            deps_.prompter.AskYesNo(text::TextId::PROFILE_SELECT_PROMPT,
                                    deps_.language.Text(text::TextId::PROFILE_SELECT_PROMPT));
        // A failed Apply has told the user why; the reload would lose the edits it kept.
        if (save && deps_.mainWindow.RunApply() != 1) {
            return false;
        }
    }
    // Nothing reads these values back; a store that cannot be written loses nothing else.
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        (void)deps_.settings.WriteString(app::Settings::ProfileRowName(static_cast<int>(r) + 1),
                                         RowPath(rows_[r]));
    }
    (void)deps_.settings.WriteInt(app::Settings::ProfileRowName(0), static_cast<int>(rows_.size()));

    // A row past the third names no on-board profile: it never reaches the keyboard.
    const int checked = CheckedRow();
    if (checked >= 0 && checked < profiles::kOnBoardProfiles) {
        (void)deps_.activeProfile.WriteActiveProfile(checked);
    }
    (void)deps_.transfers.LoadProfileFromKeyboard(false);
    deps_.switching.RebuildProfileMenu();
    applyEnabled_ = false;
    deps_.mainWindow.ClearUnapplied();
    Changed();
    return true;
}

void ProfileManagerModel::Ok() {
    if (Apply()) {
        Close();
    }
}

void ProfileManagerModel::CheckRow(int profile) {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        rows_[r].checked = static_cast<int>(r) == profile;
    }
    Changed();
}

void ProfileManagerModel::DisableApply() {
    applyEnabled_ = false;
    Changed();
}

}  // namespace qf::presenters
