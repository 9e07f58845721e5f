// The transfers between the profile store and the keyboard: the keyboard read into a profile
// file and from there into the store (or straight into the store, in memory), the store written
// to the keyboard through the staging store, the import of a profile file, and the main
// window's Apply.
//
// One ProfileTransfers object is owned by the application and used by the main window, the
// device monitor's full refresh (LoadProfileFromKeyboard, ReadActiveProfile), the profile
// manager and the command-line tool. Every call runs on the calling thread and blocks it while
// the keyboard is read or written.
#pragma once

#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "device/commands.h"
#include "device/failure.h"
#include "device/result.h"
#include "keys/default_keymap.h"
#include "profiles/assignments.h"
#include "profiles/download.h"
#include "profiles/profile_store.h"
#include "profiles/switching.h"
#include "text/language.h"
#include "text/prompter.h"

namespace qf::profiles {

struct TransferDependencies {
    device::DeviceCommands& device;
    ProfileStore& store;
    const keys::DefaultKeymap& defaultKeymap;
    app::AppState& state;
    text::Prompter& prompter;
    const text::LanguageTable& language;
    std::filesystem::path profileFolder;
    ActiveProfileSource& activeProfile;
    Assignments& assignments;
    UnappliedChanges& window;
    SaveOptions saveOptions = {};
};

struct ImportResult {
    int result = 0;  // 1 the file replaced the store; 0 refused, the store is unchanged
    // When imported, how writing it to the keyboard went: Ok written; otherwise the first
    // result of the write sequence other than Ok, or NoDevice when nothing was written (no
    // device info, macros too large: DownloadReport says which).
    device::DeviceResult download = device::DeviceResult::NoDevice;
    // What failed first, refusal or download, naming the imported file; none on success.
    device::Failure failure;
};

// What the main window's Apply did, for a window that tells the user what failed.
struct ApplyReport {
    bool attempted = false;    // there were unapplied changes, so the Apply ran
    bool allProfiles = false;  // all three keymaps were written, not the active profile's only
    int cacheSaved = 1;        // SaveProfileCache's result
    std::string cacheError;    // why the cache file was not saved
    int download = 1;          // ApplyStoreToKeyboard's result
    DownloadReport downloadReport;
    // The first failure in the order Apply runs: the cache file (named) not saved, else the
    // download's failure. None when everything succeeded or nothing was to apply.
    device::Failure failure;
};

class ProfileTransfers final : public KeyboardReload {
public:
    explicit ProfileTransfers(TransferDependencies deps) : deps_(std::move(deps)) {}

    // The profile cache file.
    [[nodiscard]] std::filesystem::path CachePath() const;

    // Copies the store into the staging store and downloads it: all three profiles when `all`
    // is set, the keyboard's active profile only otherwise. The result of DownloadToKeyboard.
    [[nodiscard]] int ApplyStoreToKeyboard(bool all, DownloadReport* report = nullptr);
    [[nodiscard]] int ApplyStoreToKeyboard(ProfileStore::Access& store, bool all,
                                           DownloadReport* report = nullptr);

    // Reads the keyboard's three keymaps and its macro memory and writes them as a profile file
    // (through a temporary file, so a failure leaves an old file whole). A macro memory that
    // does not start with 0x55AA, or whose image cannot be read, gives no macros. 1 written; 0
    // when the active profile cannot be read or is above 3, a read fails or the file cannot be
    // written (`error` says which; `failure`, when given, records the failing command or the
    // file, naming the file in either case). Touches no store.
    [[nodiscard]] int ReadKeyboardIntoFile(const std::filesystem::path& path,
                                           std::string* error = nullptr,
                                           device::Failure* failure = nullptr);

    // The same read kept in memory: `out` becomes what loading that file would give (the header
    // describing the contents, every record of a string kind with its empty string), and is
    // replaced only on success. 1 read; 0 as ReadKeyboardIntoFile, with `error` saying why and
    // `failure` (when given, and holding no failure yet) recording the first failing command and
    // its report.
    [[nodiscard]] int ReadKeyboardContents(StoreContents& out, std::string* error = nullptr,
                                           device::Failure* failure = nullptr);
    // Reads the keyboard into the store itself, under its lock once the reads are done; the
    // store is unchanged when the read fails. 1 or 0 as ReadKeyboardContents. Nothing is
    // redrawn and no file is written.
    [[nodiscard]] int ReadKeyboardIntoStore(std::string* error = nullptr,
                                            device::Failure* failure = nullptr);

    // Refreshes the store from the keyboard through the profile cache file (in memory when
    // there is no profile folder); when the keyboard cannot be read (or the file not loaded) the
    // store becomes a new, empty main block. Then the assignments are redrawn and, unless
    // `quiet`, the window's unapplied changes cleared. Always 1.
    int LoadProfileFromKeyboard(bool quiet);

    // Reads the keyboard into the profile cache file (in memory when there is no profile folder)
    // and loads it into the store. 1 when the store now holds the keyboard's contents; 0 with
    // the store unchanged when the keyboard cannot be read or the file not written or loaded.
    // Nothing is redrawn.
    [[nodiscard]] int ReloadStoreFromKeyboard() override;

    // Validates a profile file and, when valid, makes it the store, saves the cache file (when
    // there is a profile folder), downloads all profiles, redraws and clears the window's
    // unapplied changes. An invalid file shows PROFILE_FORMAT_ERROR (for a malformed header)
    // and MAIN_PROMPT_INPORT and leaves the store as it was, as does a file that passes the
    // check but cannot be loaded whole. `report`, when given, receives the download's report
    // (left as new when nothing was imported). The result's failure record names the file.
    ImportResult ImportProfileFile(const std::filesystem::path& path,
                                   DownloadReport* report = nullptr);

    // The main window's Apply: when it has unapplied changes, saves the cache file (when there
    // is a profile folder) and downloads the active profile (all three profiles with
    // `allProfiles`, for an import whose download failed); the changes count as applied only
    // when both succeed. 1 when both
    // succeeded or there was nothing to apply, else 0. `report`, when given, says what ran.
    int ApplyChanges(ApplyReport* report = nullptr, bool allProfiles = false);

    // Convenience for the device monitor and the command-line tool.
    [[nodiscard]] int ReadActiveProfile() { return deps_.activeProfile.ReadActiveProfile(); }

private:
    [[nodiscard]] DownloadDependencies Download() const;
    // Reads the keyboard into the cache file of its active profile (the folder made first).
    // 1 with `path` the file written, else 0.
    [[nodiscard]] int ReadKeyboardIntoCache(std::filesystem::path& path);

    TransferDependencies deps_;
};

}  // namespace qf::profiles
