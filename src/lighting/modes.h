// The lighting modes the panel knows (codes 1 to 18): which parameters each one uses, and the
// display names of the modes a keyboard offers.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lighting/lighting_state.h"
#include "text/ini_file.h"

namespace qf::lighting {

// How a mode uses the direction byte (record byte 3).
enum class DirectionKind : std::uint8_t {
    None,
    LeftRight,  // left picture = 1, right picture = 0
    UpDown,     // up = 1, down = 0
    Pictures,   // the two pictures "kuosan.bmp" (1) and "julong.bmp" (0)
};

// Where a mode's colour and multicolour controls stand in the panel; the bytes are the same.
enum class ColourPlace : std::uint8_t { None, First, Second };

struct ModeParameters {
    int code = 0;
    DirectionKind direction = DirectionKind::None;
    bool speed = false;
    ColourPlace colour = ColourPlace::None;  // record bytes 4..7
    bool zoneColours = false;                // the user colour area (mode 8)
    bool fourColourChoice = false;           // record byte 17
    // Choosing the mode also writes the multicolour byte (record byte 4).
    bool writesMulticolourWhenChosen = false;

    bool known() const { return code != 0; }
};

// The parameters of a mode code; a value with code 0 (nothing used) for codes outside 1..18.
// Brightness applies to every mode and is not listed.
const ModeParameters& ParametersOfMode(int code);

// The display name of a mode from the main skin layout file: section "Mode" for language
// setting 0, "Mode1" for 1, key = the code in decimal, "1" when missing; empty for any other
// language setting.
std::string ModeDisplayName(const text::IniDocument& mainLayout, int languageSetting, int code);

// The display names of a mode list, in list order.
std::vector<std::string> ModeDisplayNames(std::span<const ModeEntry> entries,
                                          const text::IniDocument& mainLayout, int languageSetting);

}  // namespace qf::lighting
