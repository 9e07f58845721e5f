// Names in the files the lighting code reads and writes, spelled exactly as they stand there.
#pragma once

#include <string_view>

namespace qf::lighting {

// The per-user settings file ("mrgo.ini" in the profile folder) remembers whether the lighting
// panel is switched on: "1" on, "0" off; a missing key reads as "0" and only 1 means on.
inline constexpr std::string_view kPanelSection = "KEYCOLOR";
inline constexpr std::string_view kPanelOnKey = "DengCheck";
inline constexpr std::string_view kPanelOnValue = "1";
inline constexpr std::string_view kPanelOffValue = "0";
inline constexpr int kPanelOnDefault = 0;

// The user colour files: "Skins/UserDengColor_" + profile number + ".userd" in the install
// folder (the prefix and suffix are named in text/skin_keys.h).
// Section of the user mode names; the key is the user mode's position ("%d").
inline constexpr std::string_view kModeNameSection = "MODENAME";
// Section of one user mode's paint tools: "Mode%d" of the user mode's position.
inline constexpr std::string_view kModeToolsSectionPrefix = "Mode";
inline constexpr std::string_view kToolKey = "tool";
inline constexpr std::string_view kSecondToolColourKey = "jcolor";
inline constexpr std::string_view kPaintColourKey = "color";

}  // namespace qf::lighting
