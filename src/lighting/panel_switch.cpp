#include "lighting/panel_switch.h"

#include "lighting/lighting_files.h"

namespace qf::lighting {

bool ReadPanelOn(const text::IniFiles& files, const std::filesystem::path& userSettingsFile) {
    return files.GetInt(userSettingsFile, kPanelSection, kPanelOnKey, kPanelOnDefault) == 1;
}

text::IniWriteResult WritePanelOn(text::IniFiles& files,
                                  const std::filesystem::path& userSettingsFile, bool on) {
    return files.WriteString(userSettingsFile, kPanelSection, kPanelOnKey,
                             on ? kPanelOnValue : kPanelOffValue);
}

}  // namespace qf::lighting
