#include "lighting/user_colour_file.h"

#include <string>

#include "lighting/lighting_files.h"
#include "text/skin_keys.h"

namespace qf::lighting {

namespace {

bool ValidProfile(int profile) {
    return profile >= 0 && profile < static_cast<int>(kProfileCount);
}

UserColourResult FromIni(text::IniWriteResult result) {
    switch (result) {
        case text::IniWriteResult::Written:
            return UserColourResult::Written;
        case text::IniWriteResult::InvalidName:
            return UserColourResult::BadName;
        case text::IniWriteResult::Failed:
            break;
    }
    return UserColourResult::Failed;
}

// "%d,%d,%d"
std::string ColourValue(Rgb c) {
    return std::to_string(c.r) + ',' + std::to_string(c.g) + ',' + std::to_string(c.b);
}

}  // namespace

std::filesystem::path UserColourFilePath(const std::filesystem::path& installFolder, int profile) {
    // "%s%d%s" of the prefix, the profile number and the suffix.
    std::string relative{text::skin::kUserColourPrefix};
    relative += std::to_string(profile);
    relative += text::skin::kUserColourSuffix;
    return installFolder / relative;
}

UserColourResult UserColourFiles::WriteUserModeName(int profile, int mode, std::string_view name) {
    if (!ValidProfile(profile)) {
        return UserColourResult::BadProfile;
    }
    if (mode < 0) {
        return UserColourResult::BadMode;
    }
    return FromIni(
        files_.WriteString(FileOf(profile), kModeNameSection, std::to_string(mode), name));
}

UserColourResult UserColourFiles::WriteUserModeTools(int profile, int mode,
                                                     const UserModeTools& tools) {
    if (!ValidProfile(profile)) {
        return UserColourResult::BadProfile;
    }
    if (mode < 0) {
        return UserColourResult::BadMode;
    }
    const std::string section = std::string{kModeToolsSectionPrefix} + std::to_string(mode);
    return FromIni(files_.Update(FileOf(profile), [&](text::IniDocument& doc) {
        text::IniWriteResult result = doc.SetString(section, kToolKey, std::to_string(tools.tool));
        if (result == text::IniWriteResult::Written) {
            result = doc.SetString(section, kSecondToolColourKey, ColourValue(tools.secondColour));
        }
        if (result == text::IniWriteResult::Written) {
            result = doc.SetString(section, kPaintColourKey, ColourValue(tools.paintColour));
        }
        return result;
    }));
}

}  // namespace qf::lighting
