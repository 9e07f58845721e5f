// Conversions between scan codes and the other key code systems: key-table rows, virtual keys
// and keystroke words of the keyboard hooks, the keyboard's report usages, the modifier byte,
// the keyboard's three-byte key reference and the action list's key codes.
//
// Every function is a pure function of the constant tables, allocates nothing and accepts any
// argument: out-of-range codes read as an empty row.
#pragma once

#include <cstdint>
#include <optional>

#include "keys/key_tables.h"

namespace qf::keys {

// Usage pages of DeviceUsage.
inline constexpr std::uint16_t kPageNone = 0;
inline constexpr std::uint16_t kPageSystemControl = 1;  // usages 0x81 power, 0x82 sleep, 0x83 wake
inline constexpr std::uint16_t kPageKeyboard = 7;       // 8-bit usages
inline constexpr std::uint16_t kPageConsumer = 12;      // 16-bit usages

struct DeviceUsage {
    std::uint16_t page = kPageNone;
    std::uint16_t usage = 0;
    bool operator==(const DeviceUsage&) const = default;
};

// Types of DeviceKeyRef. The same triples are the entries of a keymap image.
inline constexpr std::uint8_t kRefNone = 0;
inline constexpr std::uint8_t kRefKeyboard = 2;          // b0 = kRefKeyboardModifier or ...Usage
inline constexpr std::uint8_t kRefConsumer = 3;          // b0, b1 = usage low, high byte
inline constexpr std::uint8_t kRefSystemControl = 4;     // b0, b1 = usage low, high byte
inline constexpr std::uint8_t kRefAction = 5;            // keymap entries only, b0 below
inline constexpr std::uint8_t kRefKeyboardSpecific = 6;  // with b0 = kRefSpecificMark
inline constexpr std::uint8_t kRefKeyboardModifier = 1;  // b1 = ModifierBits mask
inline constexpr std::uint8_t kRefKeyboardUsage = 2;     // b1 = keyboard-page usage
inline constexpr std::uint8_t kRefSpecificMark = 0xA2;   // (6, 0xA2, n) is scan 0x1FF + n
inline constexpr std::uint8_t kRefActionPlayMacro = 1;   // 05 01 n: macro at position n
inline constexpr std::uint8_t kRefActionStopMacro = 2;   // 05 02 00
inline constexpr std::uint8_t kRefActionFunction = 5;    // 05 05 v: keyboard function v
inline constexpr ScanCode kFirstSpecificScan = 0x1FF;

// The keyboard's three-byte key reference (type, b0, b1), also the form of a keymap entry.
struct DeviceKeyRef {
    std::uint8_t type = 0;
    std::uint8_t b0 = 0;
    std::uint8_t b1 = 0;
    bool operator==(const DeviceKeyRef&) const = default;
};

// Keystroke word of a keyboard hook (the lParam of a key message): bits 0-15 repeat count,
// 16-23 scan byte, 24 extended key, 29 Alt held, 30 key was down before, 31 key released.
inline constexpr std::uint32_t kKeystrokeExtendedBit = 1u << 24;
inline constexpr std::uint32_t kKeystrokeAltDownBit = 1u << 29;
inline constexpr std::uint32_t kKeystrokeWasDownBit = 1u << 30;
inline constexpr std::uint32_t kKeystrokeReleaseBit = 1u << 31;

// The key-table row of a key index; an empty row for indexes outside the table.
const KeyRow& KeyRowAt(unsigned keyIndex);
// The key-table row of a scan code; an empty row for codes without one (0x200 and up).
const KeyRow& KeyRowOf(ScanCode scan);

// Scan code of the first row whose action code is `code`, or 0.
[[nodiscard]] ScanCode ActionKeyCodeToScan(std::uint16_t code);
// The action-code column of the scan code's row (0xFFFF for none).
[[nodiscard]] std::uint16_t ScanToActionKeyCode(ScanCode scan);

[[nodiscard]] DeviceUsage ScanToDeviceUsage(ScanCode scan);
[[nodiscard]] ScanCode DeviceUsageToScan(DeviceUsage usage);
[[nodiscard]] inline ScanCode DeviceUsageToScan(std::uint16_t page, std::uint16_t usage) {
    return DeviceUsageToScan(DeviceUsage{page, usage});
}

// Scan code of the lowest set bit of a ModifierBits mask, or 0 for an empty mask.
[[nodiscard]] ScanCode ModifierBitsToScan(std::uint8_t mask);
// The ModifierBits bit of one of the eight modifier keys, or 0 for any other scan code.
[[nodiscard]] std::uint8_t ScanToModifierBit(ScanCode scan);

[[nodiscard]] ScanCode DeviceKeyRefToScan(DeviceKeyRef ref);
[[nodiscard]] inline ScanCode DeviceKeyRefToScan(std::uint8_t type, std::uint8_t b0,
                                                 std::uint8_t b1) {
    return DeviceKeyRefToScan(DeviceKeyRef{type, b0, b1});
}
[[nodiscard]] DeviceKeyRef ScanToDeviceKeyRef(ScanCode scan);

// Scan code of a keystroke reported by a keyboard hook: its virtual key and keystroke word.
[[nodiscard]] ScanCode VkToScan(std::uint8_t vk, std::uint32_t keystrokeWord);

// Keystroke words for building hook input: the scan code's byte and extended bit.
constexpr std::uint32_t KeystrokeScanBits(ScanCode scan) {
    return (static_cast<std::uint32_t>(scan & 0xFF) << 16) |
           ((scan & 0x100) != 0 ? kKeystrokeExtendedBit : 0u);
}

bool IsMediaKey(ScanCode scan);
// Media index 0..17 of a media key, or nothing.
std::optional<std::size_t> MediaIndexOfScan(ScanCode scan);
// Media index 0..17 of a consumer usage, or nothing.
std::optional<std::size_t> MediaIndexOfUsage(std::uint16_t usage);

}  // namespace qf::keys
