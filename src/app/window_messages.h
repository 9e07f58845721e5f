// Window messages, their 32-bit tags, timers and notification-area icons shared between the
// device layer, the profile switching and the main window. A handler ignores a message whose
// tag differs from the one named here.
#pragma once

#include <cstdint>

namespace qf::app {

// Message numbers.
inline constexpr std::uint32_t kMsgInit = 0x4D4E;     // tag INIT: finish start-up
inline constexpr std::uint32_t kMsgOpen = 0x5350;     // tag OPEN: show the window
inline constexpr std::uint32_t kMsgKill = 0x4D4B;     // tag KILL: end the program
inline constexpr std::uint32_t kMsgProf = 0x5452;     // tag PROF: re-read the keyboard's state
inline constexpr std::uint32_t kMsgRemoved = 0x4753;  // tag 0: keyboard gone, close editors
inline constexpr std::uint32_t kMsgLed = 0x5045;      // tag LED: refresh the G buttons

// Tags (first message parameter).
inline constexpr std::uint32_t kTagInit = 0x494E4954;  // "INIT"
inline constexpr std::uint32_t kTagOpen = 0x4F50454E;  // "OPEN"
inline constexpr std::uint32_t kTagKill = 0x4C4C494B;  // "KILL"
inline constexpr std::uint32_t kTagProf = 0x50524F46;  // "PROF"
inline constexpr std::uint32_t kTagLed = 0x004C4544;   // "LED"
inline constexpr std::uint32_t kTagRemoved = 0;

// The main window's mark, MAIN as one 32-bit value.
inline constexpr std::uint32_t kMainWindowMark = 0x4D41494E;

// Timers on the main window.
inline constexpr std::uint32_t kTimerRereadLighting = 0x041B;  // 1051
inline constexpr std::uint32_t kTimerRereadKeyboard = 0x041D;  // 1053

// Notification-area icons.
inline constexpr int kIconNoKeyboard = 128;
inline constexpr int kIconKeyboardPresent = 141;
inline constexpr int kIconAlternate = 142;

// The main window's Apply command.
inline constexpr std::uint32_t kCmdApply = 1006;

}  // namespace qf::app
