// The program's copy of the keyboard's lighting: the three lighting records, the three zone
// colour tables, the modes the keyboard offers and the decoded fields of the profile shown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/factory_lighting.h"
#include "device/memory_layout.h"

namespace qf::lighting {

// The mode list: bytes 12..43 of the device info block.
using device::kModeListSize;
inline constexpr std::size_t kModeListOffset = device::kInfoModeList;
inline constexpr std::size_t kZoneCount = 6;
inline constexpr int kFirstKnownMode = 1;
inline constexpr int kLastKnownMode = 18;

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};

// One 42-byte lighting record as the keyboard stores it (offsets in device/memory_layout.h).
// Every byte is carried as read; the accessors apply the reading rules.
struct LightingRecord {
    std::array<std::uint8_t, kLightingRecordSize> bytes{};

    std::uint8_t mode() const { return bytes[record::kMode]; }
    std::uint8_t brightness() const { return bytes[record::kBrightness]; }
    std::uint8_t speed() const { return bytes[record::kSpeed]; }
    std::uint8_t direction() const { return bytes[record::kDirection]; }
    // Any non-zero byte reads as on.
    bool multicolour() const { return bytes[record::kMulticolour] != 0; }
    Rgb colour() const { return ColourAt(record::kColour); }
    // Values above 3 read as 3.
    std::uint8_t reportRate() const {
        return bytes[record::kReportRate] > kMaxReportRate ? kMaxReportRate
                                                           : bytes[record::kReportRate];
    }
    // Values above 3 read as 0 (the first choice).
    std::uint8_t fourColourChoice() const {
        return bytes[record::kFourColourChoice] > kMaxFourColourChoice
                   ? 0
                   : bytes[record::kFourColourChoice];
    }

    Rgb ColourAt(std::size_t offset) const {
        return Rgb{bytes[offset], bytes[offset + 1], bytes[offset + 2]};
    }

    static constexpr std::uint8_t kMaxFourColourChoice = 3;

    friend bool operator==(const LightingRecord&, const LightingRecord&) = default;
};

// One profile's twelve colour slots (R, G, B each). Zone z (1..6) owns slots 2z-2 and 2z-1.
struct ZoneColourTable {
    std::array<std::uint8_t, kZoneColourTableSize> bytes{};

    Rgb Slot(std::size_t slot) const {
        const std::size_t at = kColourSlotSize * slot;
        return Rgb{bytes[at], bytes[at + 1], bytes[at + 2]};
    }
    void SetSlot(std::size_t slot, Rgb c) {
        const std::size_t at = kColourSlotSize * slot;
        bytes[at] = c.r;
        bytes[at + 1] = c.g;
        bytes[at + 2] = c.b;
    }

    friend bool operator==(const ZoneColourTable&, const ZoneColourTable&) = default;
};

// First and second colour slot of zone z (1..6).
constexpr std::size_t FirstSlotOfZone(int zone) {
    return static_cast<std::size_t>(2 * zone - 2);
}
constexpr std::size_t SecondSlotOfZone(int zone) {
    return static_cast<std::size_t>(2 * zone - 1);
}

// One entry of the mode list: its position in the list and the mode code.
struct ModeEntry {
    int position = 0;
    std::uint8_t code = 0;

    friend bool operator==(const ModeEntry&, const ModeEntry&) = default;
};

// The mode list from the device info block's mode bytes: non-zero codes in byte order.
std::vector<ModeEntry> BuildModeList(std::span<const std::uint8_t, kModeListSize> modeBytes);

struct LightingState {
    std::array<std::uint8_t, kModeListSize> modeList{};  // bytes 12..43 of the device info
    std::vector<ModeEntry> modeEntries;                  // the mode list built from them
    std::array<LightingRecord, kProfileCount> records{};
    std::array<ZoneColourTable, kProfileCount> zoneColours{};
    int currentProfile = 0;  // on-board profile shown: 0..2

    // Decoded from the current profile's record.
    int mode = 0;
    int brightness = 0;  // 0..4
    int speed = 0;       // 0..4, the device value (slider position = 4 - speed)
    int direction = 0;   // 1 left / up, 0 right / down
    bool multicolour = false;
    Rgb colour{};
    int reportRate = 0;        // 0..3
    int fourColourChoice = 0;  // 0..3

    Rgb paintColour{};  // colour that paints zones; black after every panel refresh
    bool panelOn = false;

    // The keyboard lists `code` among its modes.
    bool OffersMode(int code) const;
    // Sets the decoded fields from records[currentProfile].
    void DecodeCurrentRecord();
    // The colour every key of zone z (1..6) shows: the zone's second slot of the current
    // profile.
    Rgb ZoneTint(int zone) const {
        return zoneColours[static_cast<std::size_t>(currentProfile)].Slot(SecondSlotOfZone(zone));
    }
};

}  // namespace qf::lighting
