// The keyboard view's G buttons as the core and the windows both name them: their control ids,
// their count and their bank labels. The device monitor relabels them after a bank switch; the
// keyboard view's button table (src/presenters) builds on the same ids. The index into
// kGButtonControlIds is the G button's index everywhere (0 for G1 .. 8 for G9).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "keys/key_record.h"

namespace qf::keys {

// G1 to G9 by control id.
inline constexpr std::array<std::uint32_t, 9> kGButtonControlIds = {1000, 1001, 1002, 1003, 1004,
                                                                    1140, 1141, 1142, 1143};
inline constexpr std::size_t kGButtonCount = kGButtonControlIds.size();
static_assert(kGButtonCount == kGKeysPerBank, "one G button per G key of a bank");

// G buttons that carry a bank label ("A1".."A6", "B1".."B6"); the others get an empty text.
inline constexpr std::size_t kLabelledGButtons = 6;

// The label of G button `index` (0..8) for a bank: "A1".."A6" or "B1".."B6" on G1..G6, empty
// on G7..G9 and for any other index.
inline std::string GButtonLabel(bool bankB, std::size_t index) {
    if (index >= kLabelledGButtons) {
        return {};
    }
    return std::string(1, bankB ? 'B' : 'A') + static_cast<char>('1' + index);
}

}  // namespace qf::keys
