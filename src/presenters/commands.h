// The main window's controls and commands by id, and the menu entries the windows show.
#pragma once

#include <cstdint>
#include <string>

#include "app/window_messages.h"

namespace qf::presenters {

// ---- Controls of the main window (each one's command carries its id) ----
inline constexpr std::uint32_t kCtlOk = 1;
inline constexpr std::uint32_t kCtlCancel = 2;
inline constexpr std::uint32_t kCtlProfiles =
    1005;  // profile manager; its caption names the profile
inline constexpr std::uint32_t kCtlApply = app::kCmdApply;  // 1006
inline constexpr std::uint32_t kCtlMacro = 1007;
inline constexpr std::uint32_t kCtlLink = 1121;
inline constexpr std::uint32_t kCtlHelp = 1122;
inline constexpr std::uint32_t kCtlMinimize = 1123;
inline constexpr std::uint32_t kCtlClose = 1124;
inline constexpr std::uint32_t kCtlVersion = 1134;
inline constexpr std::uint32_t kCtlProfile1 = 1135;  // 1135 + p for on-board profile p
inline constexpr std::uint32_t kCtlDefault = 1138;
inline constexpr std::uint32_t kCtlMenu = 1139;
inline constexpr std::uint32_t kCtlEffectList = 1146;

// ---- Menu commands ----
inline constexpr std::uint32_t kCmdOpen = 32771;    // notification-area menu: show the window
inline constexpr std::uint32_t kCmdAbout = 32773;   // both menus
inline constexpr std::uint32_t kCmdExit = 32774;    // notification-area menu: end the program
inline constexpr std::uint32_t kCmdImport = 32776;  // pop-up menu
inline constexpr std::uint32_t kCmdExport = 32777;  // pop-up menu
inline constexpr std::uint32_t kCmdClose = 32779;   // pop-up menu: end the program

// One entry of a menu as a window shows it. The chosen entry's command goes back to the
// presenter that built the menu.
struct MenuItem {
    std::uint32_t commandId = 0;
    std::string text;
    bool isDefault = false;  // shown bold; the command of a double click
    bool checked = false;
    bool operator==(const MenuItem&) const = default;
};

}  // namespace qf::presenters
