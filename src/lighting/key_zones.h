// The key buttons of the keyboard view and the six lighting zones they fall into. Zone z (1..6)
// owns colour slots 2z-2 and 2z-1 of the user colour area. Right Win and G7 to G9 are in no
// zone.
#pragma once

#include <cstdint>
#include <span>

#include "keys/key_tables.h"

namespace qf::lighting {

// Names one key button of the keyboard view: one of the 105 keys by its scan code, a G key by
// its number (1..9), or the Fn button.
struct KeyButtonId {
    enum class Kind : std::uint8_t { Key, GKey, Fn };

    Kind kind = Kind::Key;
    std::uint16_t value = 0;  // scan code for Key, G number for GKey, 0 for Fn

    static constexpr KeyButtonId Key(keys::ScanCode scan) { return {Kind::Key, scan}; }
    static constexpr KeyButtonId GKey(int number) {
        return {Kind::GKey, static_cast<std::uint16_t>(number)};
    }
    static constexpr KeyButtonId Fn() { return {Kind::Fn, 0}; }

    friend constexpr bool operator==(const KeyButtonId&, const KeyButtonId&) = default;
};

inline constexpr int kNoZone = 0;
inline constexpr int kFirstZone = 1;
inline constexpr int kLastZone = 6;

// The zone (1..6) of a key button, or kNoZone.
int ZoneOf(KeyButtonId button);

// The buttons of zone z (1..6) in a fixed order; empty for any other number.
std::span<const KeyButtonId> ButtonsOfZone(int zone);

}  // namespace qf::lighting
