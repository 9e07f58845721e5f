// Constants of the virtual keyboard: its memory layout, its firmware's answers, its state file
// and the environment variables of its shared library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/factory_lighting.h"
#include "device/memory_layout.h"
#include "device/report.h"
#include "keys/builtin_keymap.h"

namespace qf::vkbd {

// Memory areas (memory_layout.h).
using device::kDefaultKeymapSize;
using device::kDeviceInfoSize;
using device::kKeymapAreaSize;
using device::kKeymapBlockCount;
using device::kKeymapBlockSize;
using device::kMacroUnitSize;
using device::kUserColourAreaSize;
inline constexpr std::size_t kSettingsAreaSize = device::kLightingAreaSize;

// The keyboard's own default keymap, which its keymap blocks also start as: the built-in
// layout, plus the eighteen G keys (G1..G9 of banks A and B) as keyboard-specific entries
// (6, 0xA2, n) at positions 128..145, which the built-in layout leaves empty.
inline constexpr std::size_t kFirstGKeyPosition = 128;
inline constexpr std::uint8_t kGKeyCount = 18;
inline constexpr std::array<std::uint8_t, kDefaultKeymapSize> kFactoryKeymap = [] {
    std::array<std::uint8_t, kDefaultKeymapSize> keymap = keys::kBuiltinDefaultKeymap;
    for (std::uint8_t n = 1; n <= kGKeyCount; ++n) {
        const std::size_t at = 3 * (kFirstGKeyPosition + n - 1);
        keymap[at] = 6;
        keymap[at + 1] = 0xA2;
        keymap[at + 2] = n;
    }
    return keymap;
}();

// Device info block fields.
using device::kInfoActiveProfile;
using device::kInfoMacroUnits;
using device::kInfoModeList;
using device::kModeListSize;
using device::kProfileCount;

// What the factory puts in bytes 0-9 of the device info block: a firmware version, the USB
// ids and a hardware revision, as such blocks usually carry them.
inline constexpr std::array<std::uint8_t, device::kInfoHeadSize> kFactoryInfoHead = {
    0x01, 0x07, 0x45, 0x0C, 0x23, 0x65, 0x02, 0x00, 0x10, 0x00};
// The lighting modes the keyboard offers, in the order it lists them.
inline constexpr std::array<std::uint8_t, 18> kFactoryModeList = {
    1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 8};

// Factory zone colours, the same for each profile: two slots per zone.
// clang-format off
inline constexpr std::array<std::uint8_t, device::kZoneColourTableSize> kFactoryZoneColours = {
    255, 0, 0,     255, 0, 0,      // zone 1: red
    255, 128, 0,   255, 128, 0,    // zone 2: orange
    255, 255, 0,   255, 255, 0,    // zone 3: yellow
    0, 255, 0,     0, 255, 0,      // zone 4: green
    0, 0, 255,     0, 0, 255,      // zone 5: blue
    128, 0, 255,   128, 0, 255,    // zone 6: purple
};
// clang-format on

// Consumer-key event codes the keyboard sends for its own function keys.
inline constexpr std::uint16_t kCodeBankSwitch = 0x02FF;

// Firmware answers.
inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusRefused = 0xFF;
// The request was carried out but the memory could not be kept (the state file could not be
// written).
inline constexpr std::uint8_t kStatusNotSaved = 0xFE;
inline constexpr std::size_t kMaxDataLength = device::kReportDataSize;
inline constexpr std::uint16_t kConsumerReportSize = 2;
inline constexpr std::uint32_t kLedStatusSize = 2;

// State file.
inline constexpr std::array<std::uint8_t, 8> kStateMagic = {'Q', 'F', 'V', 'K', 'S', 'T', 'A', 'T'};
inline constexpr std::uint32_t kStateVersion = 1;
inline constexpr std::size_t kMaxStateFileSize = 64 * 1024;

// Environment variables read by the shared library.
inline constexpr const char* kEnvStateFile = "QUILLFEN_VIRTUAL_STATE";
inline constexpr const char* kEnvTraceFile = "QUILLFEN_VIRTUAL_TRACE";
inline constexpr const char* kEnvFault = "QUILLFEN_VIRTUAL_FAULT";

}  // namespace qf::vkbd
