// The per-user settings store: string values in section "PROFILES" of an INI file under the XDG
// config folder (UserPaths::settingsStoreFile, Quillfen_Orvanti/<application>.conf), written
// through the shared IniFiles so that concurrent writers never lose each other's values.
//
// Values are held as strings, as the store always held them. Its users:
//   "Flip"                         the keyboard view's top-row variant ("0" when absent)
//   the text of MACRO_ACTION_RECORD_DELAY   the macro recorder's record-delay option
//   "PROFILE00", "PROFILE01", ...  the profile manager's row count and rows (ProfileRowName)
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "text/ini_file.h"

namespace qf::app {

class Settings {
public:
    // `files` must outlive the Settings.
    Settings(text::IniFiles& files, std::filesystem::path storeFile);

    [[nodiscard]] const std::filesystem::path& StoreFile() const { return storeFile_; }

    // The value, or `defaultValue` when it is absent (or the store cannot be read). Values are
    // not cut to the INI reader's 259 characters: the store holds whole paths.
    [[nodiscard]] std::string ReadString(std::string_view name,
                                         std::string_view defaultValue = "0") const;
    // The value read like atoi; `defaultValue` when absent or empty.
    [[nodiscard]] int ReadInt(std::string_view name, int defaultValue = 0) const;

    // Stores the value, creating the store's folder and file as needed. Written on success;
    // Failed when the store cannot be written; InvalidName for a name or value holding a line
    // break.
    [[nodiscard]] text::IniWriteResult WriteString(std::string_view name, std::string_view value);
    // Stores "%d" of the value.
    [[nodiscard]] text::IniWriteResult WriteInt(std::string_view name, int value);
    // Stores "%d" of the value when it is 0 or 1, and "0" for any other value: the rule of
    // "Flip" and of the record-delay option.
    [[nodiscard]] text::IniWriteResult WriteFlag(std::string_view name, int value);

    // "Flip": the stored integer, 0 when absent.
    [[nodiscard]] int ReadFlip() const;
    [[nodiscard]] text::IniWriteResult WriteFlip(int value);

    // "%s%02d" of "PROFILE" and the number: "PROFILE00", "PROFILE07", "PROFILE123".
    [[nodiscard]] static std::string ProfileRowName(int number);

private:
    text::IniFiles& files_;
    std::filesystem::path storeFile_;
};

}  // namespace qf::app
