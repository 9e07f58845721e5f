// The user colour files: one small INI file per on-board profile in the "Skins" folder of a root
// folder (the program's session gives the user's data folder, since the install folder may be
// read-only), recording per user mode the name the user typed and the paint tool settings. The
// program writes them and never reads them back.
//
// Every write changes only its own keys; any other section or key of the file is kept. A file
// comes into being with its first write; the "Skins" folder is never created.
#pragma once

#include <filesystem>
#include <string_view>
#include <utility>

#include "lighting/lighting_state.h"
#include "text/ini_file.h"

namespace qf::lighting {

// Results of writing a user colour file.
enum class UserColourResult : int {
    Written = 1,
    Failed = 0,       // the file could not be read or written
    BadProfile = -1,  // profile not 0..2, nothing written
    BadMode = -2,     // user mode position below 0, nothing written
    BadName = static_cast<int>(text::IniWriteResult::InvalidName),  // a name with a line break
};

// "<install>/Skins/UserDengColor_<profile>.userd".
std::filesystem::path UserColourFilePath(const std::filesystem::path& installFolder, int profile);

// The paint tool settings of one user mode.
struct UserModeTools {
    int tool = 0;        // the panel always sets 0
    Rgb secondColour{};  // "jcolor": the panel keeps it black
    Rgb paintColour{};   // "color"
};

class UserColourFiles {
public:
    UserColourFiles(text::IniFiles& files, std::filesystem::path installFolder)
        : files_(files), installFolder_(std::move(installFolder)) {}

    // "MODENAME" / "<mode>" = name in the file of `profile`.
    [[nodiscard]] UserColourResult WriteUserModeName(int profile, int mode, std::string_view name);
    // "tool", "jcolor" and "color", in that order, into section "Mode<mode>" of the file of
    // `profile`, in one write of the file.
    [[nodiscard]] UserColourResult WriteUserModeTools(int profile, int mode,
                                                      const UserModeTools& tools);

    std::filesystem::path FileOf(int profile) const {
        return UserColourFilePath(installFolder_, profile);
    }

private:
    text::IniFiles& files_;
    std::filesystem::path installFolder_;
};

}  // namespace qf::lighting
