// On-board profile switching: the keyboard's active profile (byte 10 of its device info), the
// switch with its save question, and the profile menu and button of the main window.
//
// The store always holds all three profiles, so a switch only tells the keyboard the new
// profile and redraws the assignments; it never reloads key assignments from the keyboard.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "device/commands.h"
#include "device/result.h"
#include "profiles/assignments.h"
#include "profiles/profile_store.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::profiles {

// Profile menu command ids: 9000 is the default entry, 9001 + i profile i. The main window
// routes commands 9000..9200 to SwitchProfile(id - 9001).
inline constexpr std::uint32_t kProfileMenuDefaultId = 9000;
inline constexpr std::uint32_t kProfileMenuFirstProfileId = 9001;
inline constexpr std::uint32_t kProfileMenuLastId = 9200;
// Menu position of profile i's entry: after the default entry and the separator.
inline constexpr int kProfileMenuFirstProfilePosition = 2;

// The keyboard's active profile, read and written through its device info. The last value read
// is kept in AppState (-1 when unknown).
class ActiveProfile final : public ActiveProfileSource {
public:
    ActiveProfile(device::DeviceCommands& device, app::AppState& state)
        : device_(device), state_(state) {}

    // Byte 10 of the device info (0..255), also stored in AppState; -1 when the device info
    // cannot be read (AppState keeps its value).
    [[nodiscard]] int ReadActiveProfile() override;

    // Nothing for a negative index. Otherwise reads the device info, sets byte 10 and writes
    // the block back: AppState takes the index when the write succeeds, -1 when it fails; a
    // failed read changes nothing. Returns the result of the read when it failed, else of the
    // write; Ok for a negative index.
    device::DeviceResult WriteActiveProfile(int index);

private:
    device::DeviceCommands& device_;
    app::AppState& state_;
};

// The window's state of changes not yet written to the keyboard (its Apply command).
class UnappliedChanges {
public:
    virtual ~UnappliedChanges() = default;
    // The main window's Apply is enabled.
    [[nodiscard]] virtual bool HasUnappliedChanges() = 0;
    // Disables the main window's Apply.
    virtual void ClearUnapplied() = 0;
};

// One entry of the profile menu.
struct ProfileMenuEntry {
    std::uint32_t commandId = 0;  // 0 for the separator
    std::string text;
    bool separator = false;
    bool checked = false;
    bool operator==(const ProfileMenuEntry&) const = default;
};

// The profile menu and the profile button (control 1005) as the window renders them.
struct ProfileMenuModel {
    std::vector<ProfileMenuEntry> entries;
    int checkedPosition = -1;   // -1 when no entry is checked
    std::string buttonCaption;  // the checked entry's text; empty when none is checked
    std::string buttonTooltip;  // PROFILE_TIP followed by the caption
};

// What switching needs from the windows.
class SwitchHost : public UnappliedChanges {
public:
    // The composite assignment editor is open.
    [[nodiscard]] virtual bool IsEditorOpen() = 0;
    // The profile manager has changes not yet applied (the main window's own are
    // HasUnappliedChanges).
    [[nodiscard]] virtual bool ManagerHasUnappliedChanges() = 0;
    // Sends the main window its Apply command (1006) and returns once it has run: 1 when the
    // changes are saved and on the keyboard, anything else when the Apply failed.
    [[nodiscard]] virtual int RunApply() = 0;
    [[nodiscard]] virtual bool IsProfileManagerOpen() = 0;
    // The profile manager's list checks row `profile` only; its Apply is disabled.
    virtual void CheckManagerRow(int profile) = 0;
    virtual void DisableManagerApply() = 0;
    // Shows a rebuilt profile menu and its button caption and tooltip.
    virtual void ShowProfileMenu(const ProfileMenuModel& menu) = 0;
};

// Replaces the store by what the keyboard holds (ProfileTransfers does it through the cache
// file).
class KeyboardReload {
public:
    virtual ~KeyboardReload() = default;
    // 1 when the store now holds the keyboard's contents; 0 when the keyboard could not be read
    // or its contents not loaded, the store then unchanged.
    [[nodiscard]] virtual int ReloadStoreFromKeyboard() = 0;
};

struct SwitchDependencies {
    ProfileStore& store;
    ActiveProfile& activeProfile;
    Assignments& assignments;
    SwitchHost& host;
    text::Prompter& prompter;
    const text::LanguageTable& language;
    std::filesystem::path profileFolder;
    // Discarding changes falls back on it when the cache file cannot be loaded.
    KeyboardReload& keyboardReload;
};

class ProfileSwitching {
public:
    explicit ProfileSwitching(SwitchDependencies deps) : deps_(std::move(deps)) {}

    // Makes profile `index` active (3 and above count as 0; a negative index writes nothing
    // but still redraws). Refused (0, PROFILE_SEELCT_PROMPT2) while the composite editor is
    // open. With unapplied changes the user is asked PROFILE_SELECT_PROMPT first, unless that
    // question is already on screen: Yes runs the main window's Apply; No discards the changes
    // by reloading the store from the profile cache file, or from the keyboard when that file
    // cannot be loaded (when neither can be had, the changes stay, and so does the window's
    // Apply). Then the keyboard is told the new profile, the assignments are redrawn and the
    // menu is rebuilt. 1 when switched. When the Apply of a Yes fails, nothing is switched (0):
    // the edits stay and remain unapplied rather than being left behind on a profile the user
    // no longer looks at.
    int SwitchProfile(int index);

    // Reads the active profile and shows the rebuilt menu (ShowProfileMenu).
    void RebuildProfileMenu();
    // The menu for an active profile as read (-1 when unknown).
    [[nodiscard]] ProfileMenuModel BuildProfileMenu(int activeProfile) const;
    // The menu last shown.
    [[nodiscard]] const ProfileMenuModel& menu() const { return menu_; }

    // The save question is on screen.
    [[nodiscard]] bool asking() const { return asking_; }

private:
    void DiscardChanges();

    SwitchDependencies deps_;
    ProfileMenuModel menu_;
    bool asking_ = false;
};

}  // namespace qf::profiles
