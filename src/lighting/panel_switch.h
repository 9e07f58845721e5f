// The lighting panel's on/off switch as the per-user settings file ("mrgo.ini") keeps it.
#pragma once

#include <filesystem>

#include "text/ini_file.h"

namespace qf::lighting {

// True only when the file holds the value 1; a missing file, key or any other value is off.
[[nodiscard]] bool ReadPanelOn(const text::IniFiles& files,
                               const std::filesystem::path& userSettingsFile);

// Writes "1" or "0". Written, or Failed when the file could not be written (for example a
// missing profile folder).
[[nodiscard]] text::IniWriteResult WritePanelOn(text::IniFiles& files,
                                                const std::filesystem::path& userSettingsFile,
                                                bool on);

}  // namespace qf::lighting
