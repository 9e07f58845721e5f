// Keystrokes in the form the Windows keyboard hooks deliver them, built from Linux evdev key
// codes, so that the key capture and the macro recorder run the key code conversions
// (VkToScan and the rest) unchanged.
//
// Two forms:
// - the thread hook's keystroke: virtual key plus keystroke word (repeat count 1, scan byte in
//   bits 16-23, extended bit 24, Alt-held bit 29, was-down bit 30, release bit 31). Ctrl, Shift
//   and Alt come with the generic virtual keys 0x11, 0x10 and 0x12, as the key messages carry
//   them; the scan byte and extended bit tell left from right.
// - the low-level hook's message: message number (key down or up), a KBDLLHOOKSTRUCT-like
//   vkCode (left/right-specific for the modifiers), scanCode (the scan byte) and flags
//   (LLKHF_EXTENDED, LLKHF_ALTDOWN, LLKHF_UP). Auto-repeat arrives as another key down.
//
// What the system delivers and what it does not:
// - Print Screen reaches the thread hook only on release (the system keeps the press); the
//   low-level hook sees both. With Alt held it is reported as Sys Req, scan 0x54.
// - Pause is scan 0x45 without the extended bit; Num Lock is scan 0x45 with it (0x145).
//   With Ctrl held, Pause is Break: virtual key 0x03, extended scan 0x46.
// - The keypad digits and the keypad point give their navigation virtual keys when Num Lock
//   is off; their scan codes stay the same.
//
// Callers that feed both hooks deliver the low-level message first and offer the keystroke to
// the thread hook only when the low-level hook passed it on, as the system does.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "keys/key_codes.h"

namespace qf::keys {

// Low-level hook message numbers.
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmSysKeyDown = 0x0104;
inline constexpr std::uint32_t kWmSysKeyUp = 0x0105;
// Low-level hook flags.
inline constexpr std::uint32_t kLlkhfExtended = 0x01;
inline constexpr std::uint32_t kLlkhfAltDown = 0x20;
inline constexpr std::uint32_t kLlkhfUp = 0x80;

// Virtual keys the hooks treat specially.
inline constexpr std::uint8_t kVkLeftWin = 0x5B;
inline constexpr std::uint8_t kVkRightWin = 0x5C;
inline constexpr std::uint8_t kVkApps = 0x5D;

// X11 and Wayland key codes (Qt's native scan code) are evdev codes plus 8.
inline constexpr std::uint32_t kNativeKeycodeOffset = 8;

// Lock and modifier state at the time of the keystroke.
struct HookKeyState {
    bool numLock = true;
    bool ctrl = false;  // either Ctrl key held
    bool alt = false;   // either Alt key held
};

struct HookKeystroke {
    std::uint8_t vk = 0;
    std::uint32_t word = 0;

    bool released() const { return (word & kKeystrokeReleaseBit) != 0; }
    // Auto-repeat: a press of a key that was already down.
    bool autoRepeat() const { return !released() && (word & kKeystrokeWasDownBit) != 0; }
    bool operator==(const HookKeystroke&) const = default;
};

struct LowLevelKeyMessage {
    std::uint32_t message = 0;
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    std::uint32_t flags = 0;

    bool keyDown() const { return message == kWmKeyDown || message == kWmSysKeyDown; }
    bool operator==(const LowLevelKeyMessage&) const = default;
};

// One evdev key the translation knows.
struct EvdevKey {
    std::uint16_t evdev;
    ScanCode scan;          // scan code as the hooks report it (0x100 = extended bit)
    std::uint8_t vk;        // virtual key of the key messages
    std::uint8_t vkNumOff;  // virtual key with Num Lock off (keypad), 0 when it does not change
    std::uint8_t llVk;      // virtual key of the low-level hook, 0 when it equals vk
};

// Every evdev key the translation knows: the keys of the keyboard view, the media keys and a
// few more keys of the key table.
std::span<const EvdevKey> EvdevKeys();
const EvdevKey* FindEvdevKey(std::uint16_t evdevCode);

// The evdev code of a native (X11/Wayland) key code; nothing for codes below 8 or above the
// evdev range.
std::optional<std::uint16_t> EvdevFromNativeKeycode(std::uint32_t nativeKeycode);

// The thread hook's keystroke for an evdev key event, or nothing when the key is unknown or
// the system would deliver no keystroke (the press of Print Screen).
std::optional<HookKeystroke> TranslateEvdev(std::uint16_t evdevCode, bool pressed, bool autoRepeat,
                                            HookKeyState state = {});

// The low-level hook's message for an evdev key event (auto-repeats are key downs too), or
// nothing when the key is unknown.
std::optional<LowLevelKeyMessage> TranslateEvdevLowLevel(std::uint16_t evdevCode, bool pressed,
                                                         HookKeyState state = {});

}  // namespace qf::keys
