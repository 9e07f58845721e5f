// Install paths and the user's paths, built once at start-up from an injected environment.
//
// Install folder: the folder of the program's own executable (/proc/self/exe). The skins, the
// language file, the help page and the companion program lie beside the executable, in the
// build tree as in an installation. User paths: the documents folder (XDG_DOCUMENTS_DIR from
// user-dirs.dirs, else ~/Documents) with the profile folder "Quillfen_09A" in it, and the
// settings store file under the XDG config folder. Paths use '/', keep their file names' letters
// exactly and have no length limit.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_files.h"

namespace qf::app {

// What the paths are built from. Tests build one by hand over temporary folders.
struct Environment {
    // Looks up an environment variable (HOME, XDG_CONFIG_HOME); nothing when unset.
    std::function<std::optional<std::string>(std::string_view name)> variable;
    // The program's own full path.
    std::filesystem::path executable;

    // The running process: getenv (HOME falling back to the password database) and
    // /proc/self/exe.
    [[nodiscard]] static Environment FromProcess();
};

// A layout file and the folder it lies in (pictures it names are relative to that folder).
struct SkinFile {
    std::filesystem::path file;
    std::filesystem::path folder;
};

struct InstallPaths {
    std::filesystem::path installFolder;     // the executable's folder
    std::string executableName;              // file name and extension of the executable
    std::filesystem::path helpFolder;        // install/Help
    std::filesystem::path helpPage;          // install/Help/index.html: what OpenHelp opens
    std::filesystem::path skinsFolder;       // install/Skins
    SkinFile mainSkin;                       // install/Skins/Main.ini
    SkinFile profileSkin;                    // install/Skins/Profile.ini
    SkinFile compositeSkin;                  // install/Skins/Composite.ini
    std::filesystem::path languageFile;      // install/Skins/language.ini
    std::filesystem::path companionProgram;  // install/Velmorad

    // A file named relative to the install folder, e.g. "Skins/main_normal.jpg". Backslashes
    // count as folder separators.
    [[nodiscard]] std::filesystem::path InstallFile(std::string_view relative) const;
    // The user colour file of an on-board profile: install/Skins/UserDengColor_<profile>.userd.
    [[nodiscard]] std::filesystem::path UserColourFile(int profile) const;
};

struct UserPaths {
    std::filesystem::path documentsFolder;
    std::filesystem::path profileFolder;      // documents/Quillfen_09A (created by its owner)
    std::filesystem::path userSettingsFile;   // documents/Quillfen_09A/mrgo.ini
    std::filesystem::path profileCacheFile;   // documents/Quillfen_09A/$Profile0
    std::filesystem::path configFolder;       // $XDG_CONFIG_HOME, else ~/.config
    std::filesystem::path settingsStoreFile;  // config/Quillfen_Orvanti/Quillfen.conf
};

// 1 on success; 0 when the executable path is not an absolute path to a file.
[[nodiscard]] int BuildInstallPaths(const std::filesystem::path& executable, InstallPaths& out);

// 1 on success; 0 when no absolute home folder is known (HOME unset or relative).
// `applicationName` names the settings store file.
[[nodiscard]] int BuildUserPaths(const Environment& env, UserPaths& out,
                                 std::string_view applicationName = kApplicationName);

// The documents folder that XDG_DOCUMENTS_DIR names in the text of a user-dirs.dirs file:
// "$HOME/..." (relative to `home`) or an absolute path, in double quotes with backslash escapes
// (unquoted values are accepted too); the last valid line counts. Nothing when the file names no
// usable folder.
[[nodiscard]] std::optional<std::filesystem::path> DocumentsFromUserDirs(
    std::string_view content, const std::filesystem::path& home);

}  // namespace qf::app
