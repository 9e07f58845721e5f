// The application shell's file and folder names and the settings store's names, spelled as the
// program has always spelled them. Paths are relative and use '/'. The skin and language files
// are named in text/skin_keys.h.
#pragma once

#include <string_view>

namespace qf::app {

// Beside the executable.
inline constexpr std::string_view kHelpFolder = "Help";
inline constexpr std::string_view kHelpPage = "index.html";
inline constexpr std::string_view kCompanionProgram = "Velmorad";

// In the user's documents folder: the profile folder, the per-user settings file and the profile
// cache file ("$Profile%d" with the number 0, no extension).
inline constexpr std::string_view kProfileFolderName = "Quillfen_09A";
inline constexpr std::string_view kUserSettingsFileName = "mrgo.ini";
inline constexpr std::string_view kProfileCacheFileName = "$Profile0";

// Finding the documents folder: XDG_DOCUMENTS_DIR in user-dirs.dirs of the config folder, else
// "Documents" in the home folder.
inline constexpr std::string_view kHomeVariable = "HOME";
inline constexpr std::string_view kConfigHomeVariable = "XDG_CONFIG_HOME";
inline constexpr std::string_view kConfigHomeFallback = ".config";
inline constexpr std::string_view kUserDirsFileName = "user-dirs.dirs";
inline constexpr std::string_view kDocumentsDirVariable = "XDG_DOCUMENTS_DIR";
inline constexpr std::string_view kDocumentsFallback = "Documents";

// The per-user settings store: <config folder>/<company>/<application>.conf, one section.
inline constexpr std::string_view kCompanyKey = "Quillfen_Orvanti";
inline constexpr std::string_view kApplicationName = "Quillfen";
inline constexpr std::string_view kSettingsStoreSuffix = ".conf";
inline constexpr std::string_view kSettingsSection = "PROFILES";
inline constexpr std::string_view kFlipValue = "Flip";
// The profile manager's rows: "%s%02d" of this prefix and 0 (the row count), 1, 2, ...
inline constexpr std::string_view kProfileRowPrefix = "PROFILE";

}  // namespace qf::app
