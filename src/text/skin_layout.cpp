#include "text/skin_layout.h"

#include <climits>
#include <cstdint>
#include <cstdio>

namespace qf::text {

namespace {

bool IsScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d" conversion at text[i]: blanks, an optional sign, at least one digit.
bool ScanInt(std::string_view text, std::size_t& i, int& out) {
    while (i < text.size() && IsScanBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digitsStart = i;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) {
            return false;
        }
    }
    if (i == digitsStart) {
        return false;
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

std::string_view SectionForSetting(int languageSetting, std::string_view section0,
                                   std::string_view section1) {
    return languageSetting == 0 ? section0 : (languageSetting == 1 ? section1 : "");
}

}  // namespace

bool ParseSkinRect(std::string_view value, SkinRect& out) {
    int numbers[4] = {};
    std::size_t i = 0;
    for (int n = 0; n < 4; ++n) {
        if (n > 0) {
            if (i >= value.size() || value[i] != ',') {
                return false;
            }
            ++i;
        }
        if (!ScanInt(value, i, numbers[n])) {
            return false;
        }
    }
    if (numbers[2] < 0 || numbers[3] < 0) {
        return false;
    }
    out = SkinRect{numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

SkinRect ReadSkinRect(const IniDocument& layout, std::string_view section, std::string_view key) {
    SkinRect rect;
    if (!ParseSkinRect(layout.GetString(section, key, skin::kMissingRecord), rect)) {
        return kMissingSkinRect;
    }
    return rect;
}

std::string SkinKeyForKeyIndex(unsigned keyIndex) {
    char key[32];
    std::snprintf(key, sizeof key, "KEY_%03X", keyIndex);
    return key;
}

std::string SkinKeyForGKey(int number) {
    return "FUNC_G" + std::to_string(number);
}

std::string ArrowPictureKey(std::string_view prefix, int number) {
    return std::string(prefix) + std::to_string(number);
}

DirectionControlKeys DirectionKeysForMode(int modeCode) {
    switch (modeCode) {
        case 1:
        case 2:
        case 3:
        case 7:
            return {skin::CONTROL_BLFXStatic2, skin::CONTROL_BLFXLStaPic2,
                    skin::CONTROL_BLFXRStaPic2};
        case 12:
            return {skin::CONTROL_BLFXStatic3, skin::CONTROL_BLFXLStaPic3,
                    skin::CONTROL_BLFXRStaPic3};
        default:
            return {skin::CONTROL_BLFXStatic, skin::CONTROL_BLFXLStaPic, skin::CONTROL_BLFXRStaPic};
    }
}

SkinScreen ReadSkinScreen(const IniDocument& layout) {
    SkinScreen screen;
    screen.main = layout.GetString(skin::kScreenSection, skin::kScreenMain, "");
    screen.mask = layout.GetString(skin::kScreenSection, skin::kScreenMask, "");
    if (screen.mask.empty()) {
        screen.mask = screen.main;
    }
    screen.link = layout.GetString(skin::kScreenSection, skin::kScreenLink, "");
    if (screen.link.empty()) {
        screen.link = std::string(skin::kDefaultLinkTarget);
    }
    return screen;
}

std::filesystem::path SkinPicturePath(const std::filesystem::path& layoutFolder,
                                      std::string_view name) {
    std::string relative(name);
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    return layoutFolder / relative;
}

std::string ModeName(const IniDocument& mainLayout, int languageSetting, int modeCode) {
    const std::string_view section =
        SectionForSetting(languageSetting, skin::kModeNameSection, skin::kModeNameSection1);
    if (section.empty()) {
        return {};
    }
    return mainLayout.GetString(section, std::to_string(modeCode), skin::kMissingModeName);
}

std::optional<std::string> ControlLabel(const IniDocument& mainLayout, int languageSetting,
                                        std::string_view labelKey) {
    const std::string_view section =
        SectionForSetting(languageSetting, skin::kControlNameSection, skin::kControlNameSection1);
    if (section.empty()) {
        return std::nullopt;
    }
    return mainLayout.GetString(section, labelKey, "");
}

}  // namespace qf::text
