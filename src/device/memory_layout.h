// The keyboard's memory as its commands address it, declared once for the command set, the
// virtual keyboard, the lighting model and the profile code.
//
// Six areas, each addressed from 0:
//   keymap blocks   three 512-byte blocks, one per on-board profile
//   default keymap  one 512-byte block, read only
//   macro memory    `units` x 128 bytes, the unit count in byte 11 of the device info
//   settings        one 42-byte lighting record per profile, profile p at 42 * p
//   user colours    twelve 3-byte colour slots (R, G, B) per profile, slot k of p at 36 * p + 3 * k
//   device info     44 bytes: 10 bytes kept as read, the active profile, the macro memory
//                   units, and the 32-slot list of lighting mode codes (0 marks an empty slot)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qf::device {

inline constexpr std::size_t kProfileCount = 3;

// --- Device info ---
inline constexpr std::size_t kDeviceInfoSize = 44;
inline constexpr std::size_t kInfoHeadSize = 10;  // bytes 0..9, kept as read
inline constexpr std::size_t kInfoActiveProfile = 10;
inline constexpr std::size_t kInfoMacroUnits = 11;
inline constexpr std::size_t kInfoModeList = 12;
inline constexpr std::size_t kModeListSize = 32;
static_assert(kInfoHeadSize <= kInfoActiveProfile && kInfoActiveProfile < kInfoMacroUnits &&
                  kInfoMacroUnits < kInfoModeList,
              "device info fields overlap");
static_assert(kInfoModeList + kModeListSize == kDeviceInfoSize,
              "the mode list ends the device info block");

// --- Keymaps ---
inline constexpr std::size_t kKeymapBlockSize = 512;
inline constexpr unsigned kKeymapBlockCount = kProfileCount;
inline constexpr std::size_t kKeymapAreaSize = kKeymapBlockSize * kKeymapBlockCount;  // 1536
inline constexpr std::size_t kDefaultKeymapSize = kKeymapBlockSize;

// --- Macro memory ---
inline constexpr std::size_t kMacroUnitSize = 128;
// Macro memory is byte-addressed with 16-bit addresses.
inline constexpr std::uint32_t kMaxMacroAreaSize = 0x10000;
static_assert(255 * kMacroUnitSize <= kMaxMacroAreaSize,
              "every unit count of byte 11 is addressable");

// --- Settings: the lighting records ---
inline constexpr std::size_t kLightingRecordSize = 42;
inline constexpr std::size_t kLightingAreaSize = kLightingRecordSize * kProfileCount;  // 126

// Settings address of the lighting record of profile p (0 to 2).
constexpr std::uint16_t LightingRecordAddress(std::size_t profile) {
    return static_cast<std::uint16_t>(kLightingRecordSize * profile);
}

// Field offsets inside one lighting record. Colours are three bytes R, G, B.
namespace record {
inline constexpr std::size_t kMode = 0;
inline constexpr std::size_t kBrightness = 1;   // 0 to 4
inline constexpr std::size_t kSpeed = 2;        // 0 to 4 (slider position = 4 - value)
inline constexpr std::size_t kDirection = 3;    // 1 = left / up, 0 = right / down
inline constexpr std::size_t kMulticolour = 4;  // non-zero = on
inline constexpr std::size_t kColour = 5;
inline constexpr std::size_t kBaseColour = 9;
inline constexpr std::size_t kReportRate = 15;        // 0 to 3, above 3 reads as 3
inline constexpr std::size_t kFourColourChoice = 17;  // 0 to 3
inline constexpr std::size_t kTriggerStyle = 19;
inline constexpr std::size_t kSecondColour = 25;
inline constexpr std::size_t kSecondMulticolour = 28;
inline constexpr std::size_t kThirdColour = 30;
inline constexpr std::size_t kThirdMulticolour = 33;
// The part of a record a restore writes in one piece (bytes 0 to 34).
inline constexpr std::size_t kRestoredSize = 35;

namespace detail {
struct Field {
    std::size_t offset;
    std::size_t size;
};
// In address order.
inline constexpr std::array<Field, 14> kFields = {{
    {kMode, 1},
    {kBrightness, 1},
    {kSpeed, 1},
    {kDirection, 1},
    {kMulticolour, 1},
    {kColour, 3},
    {kBaseColour, 3},
    {kReportRate, 1},
    {kFourColourChoice, 1},
    {kTriggerStyle, 1},
    {kSecondColour, 3},
    {kSecondMulticolour, 1},
    {kThirdColour, 3},
    {kThirdMulticolour, 1},
}};
constexpr bool FieldsApart() {
    for (std::size_t i = 1; i < kFields.size(); ++i) {
        if (kFields[i - 1].offset + kFields[i - 1].size > kFields[i].offset) {
            return false;
        }
    }
    return kFields.back().offset + kFields.back().size <= kRestoredSize;
}
}  // namespace detail
static_assert(detail::FieldsApart(), "lighting record fields overlap or pass the restored part");
static_assert(kRestoredSize <= kLightingRecordSize);
}  // namespace record

// --- User colours ---
inline constexpr std::size_t kColourSlotSize = 3;
inline constexpr std::size_t kColourSlotsPerProfile = 12;
inline constexpr std::size_t kZoneColourTableSize = kColourSlotSize * kColourSlotsPerProfile;  // 36
inline constexpr std::size_t kUserColourAreaSize = kZoneColourTableSize * kProfileCount;  // 108

// The lighting mode whose zone colours the user colour area keeps; a keyboard that lists it in
// its mode list has the area.
inline constexpr std::uint8_t kZoneColourMode = 8;

// User colour address of slot k (0 to 11) of profile p (0 to 2).
constexpr std::uint16_t UserColourAddress(std::size_t profile, std::size_t slot) {
    return static_cast<std::uint16_t>(kZoneColourTableSize * profile + kColourSlotSize * slot);
}

// Every area is reached with 16-bit addresses, and the fixed areas each fit one address space.
static_assert(kKeymapAreaSize <= 0x10000 && kLightingAreaSize <= 0x10000 &&
              kUserColourAreaSize <= 0x10000);
static_assert(LightingRecordAddress(kProfileCount - 1) + kLightingRecordSize == kLightingAreaSize,
              "the last lighting record ends the settings area");
static_assert(UserColourAddress(kProfileCount - 1, kColourSlotsPerProfile - 1) + kColourSlotSize ==
                  kUserColourAreaSize,
              "the last colour slot ends the user colour area");

}  // namespace qf::device
