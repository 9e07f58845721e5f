// The keyboard's lighting as it leaves the factory: the default block written by a restore and
// the records a new keyboard holds. Data only; the layout of the settings and user colour areas
// is in memory_layout.h, whose names the lighting code uses through this header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/memory_layout.h"

namespace qf::lighting {

using device::kColourSlotSize;
using device::kColourSlotsPerProfile;
using device::kLightingAreaSize;
using device::kLightingRecordSize;
using device::kProfileCount;
using device::kUserColourAreaSize;
using device::kZoneColourMode;
using device::kZoneColourTableSize;
using device::LightingRecordAddress;
using device::UserColourAddress;
namespace record = device::record;

inline constexpr std::uint8_t kMaxReportRate = 3;
inline constexpr std::uint8_t kMaxLevel = 4;  // brightness and speed

// The default block: bytes 0 to 34 of a record, written in one piece by a restore. Mode 1,
// brightness 4, speed 1, direction 0, multicolour on, colour red; report rate byte 255.
inline constexpr std::size_t kDefaultLightingBlockSize = record::kRestoredSize;
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
