// The keyboard's lighting records: layout of one record, the default block written by a restore,
// and the records a keyboard holds when it leaves the factory. Data only.
//
// The settings area holds one 42-byte record per on-board profile, profile p at 42 * p. The
// user colour area holds twelve 3-byte colour slots (R, G, B) per profile, slot k of profile p
// at 36 * p + 3 * k.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qf::lighting {

inline constexpr std::size_t kProfileCount = 3;
inline constexpr std::size_t kLightingRecordSize = 42;
inline constexpr std::size_t kLightingAreaSize = kLightingRecordSize * kProfileCount;  // 126

inline constexpr std::size_t kColourSlotSize = 3;
inline constexpr std::size_t kColourSlotsPerProfile = 12;
inline constexpr std::size_t kZoneColourTableSize = kColourSlotSize * kColourSlotsPerProfile;
inline constexpr std::size_t kUserColourAreaSize = kZoneColourTableSize * kProfileCount;  // 108

// Settings address of the lighting record of profile p (0 to 2).
constexpr std::uint16_t LightingRecordAddress(std::size_t profile) {
    return static_cast<std::uint16_t>(kLightingRecordSize * profile);
}

// User colour address of slot k (0 to 11) of profile p (0 to 2).
constexpr std::uint16_t UserColourAddress(std::size_t profile, std::size_t slot) {
    return static_cast<std::uint16_t>(kZoneColourTableSize * profile + kColourSlotSize * slot);
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
}  // namespace record

inline constexpr std::uint8_t kMaxReportRate = 3;
inline constexpr std::uint8_t kMaxLevel = 4;  // brightness and speed

// The lighting mode that keeps zone colours in the user colour area.
inline constexpr std::uint8_t kZoneColourMode = 8;

// The default block: bytes 0 to 34 of a record, written in one piece by a restore. Mode 1,
// brightness 4, speed 1, direction 0, multicolour on, colour red; report rate byte 255.
inline constexpr std::size_t kDefaultLightingBlockSize = 35;
// clang-format off
inline constexpr std::array<std::uint8_t, kDefaultLightingBlockSize> kDefaultLightingBlock = {
    1, 4, 1, 0, 1,          // mode, brightness, speed, direction, multicolour
    255, 0, 0,              // colour
    8,                      // byte 8
    255, 255, 255,          // base colour
    255, 0, 0,              // bytes 12-14
    255,                    // report rate
    255,                    // byte 16
    0,                      // four-colour choice
    0,                      // byte 18
    0,                      // trigger style
    0, 255, 255, 0, 0,      // bytes 20-24
    255, 255, 255,          // second colour
    0,                      // second multicolour
    0,                      // byte 29
    255, 255, 255,          // third colour
    0,                      // third multicolour
    0,                      // byte 34
};
// clang-format on

// The three records as the keyboard holds them from the factory: each profile's record is the
// default block followed by zeros in bytes 35 to 41.
inline constexpr std::array<std::uint8_t, kLightingAreaSize> kFactoryLightingRecords = [] {
    std::array<std::uint8_t, kLightingAreaSize> records{};
    for (std::size_t p = 0; p < kProfileCount; ++p) {
        for (std::size_t i = 0; i < kDefaultLightingBlockSize; ++i) {
            records[kLightingRecordSize * p + i] = kDefaultLightingBlock[i];
        }
    }
    return records;
}();

}  // namespace qf::lighting
