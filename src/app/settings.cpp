#include "app/settings.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "app/app_files.h"

namespace qf::app {

Settings::Settings(text::IniFiles& files, std::filesystem::path storeFile)
    : files_(files), storeFile_(std::move(storeFile)) {}

std::string Settings::ReadString(std::string_view name, std::string_view defaultValue) const {
    return files_.GetString(storeFile_, kSettingsSection, name, defaultValue,
                            std::numeric_limits<std::size_t>::max());
}

int Settings::ReadInt(std::string_view name, int defaultValue) const {
    const std::string value = ReadString(name, "");
    return value.empty() ? defaultValue : text::ParseLeadingInt(value);
}

text::IniWriteResult Settings::WriteString(std::string_view name, std::string_view value) {
    std::error_code ec;
    std::filesystem::create_directories(storeFile_.parent_path(), ec);
    // A failure to create the folder shows as the write's failure just below.
    return files_.WriteString(storeFile_, kSettingsSection, name, value);
}

text::IniWriteResult Settings::WriteInt(std::string_view name, int value) {
    return WriteString(name, std::to_string(value));
}

text::IniWriteResult Settings::WriteFlag(std::string_view name, int value) {
    return WriteInt(name, (value == 0 || value == 1) ? value : 0);
}

int Settings::ReadFlip() const {
    return text::ParseLeadingInt(ReadString(kFlipValue, "0"));
}

text::IniWriteResult Settings::WriteFlip(int value) {
    return WriteFlag(kFlipValue, value);
}

std::string Settings::ProfileRowName(int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return std::string(kProfileRowPrefix) + digits;
}

}  // namespace qf::app
