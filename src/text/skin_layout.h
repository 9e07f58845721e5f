// Skin layout records: where each control of a skinned dialog sits, read from the dialog's
// layout file (Skins/Main.ini, Skins/Composite.ini, Skins/Profile.ini).
//
// A record is four decimal integers "x,y,w,h" read like scanf("%d,%d,%d,%d"): blanks before a
// number are skipped, a comma must follow the number directly, text after the fourth number is
// ignored. A missing key reads as "1,1,1,1,x". A value that does not give four numbers, a number
// out of the range of int, or a negative width or height would leave the control with an
// undefined or impossible place: such a value reads as missing (1,1,1,1) too.
//
// Placing controls from records (the picture origin one pixel up and left of the control, the
// disabling of a button at (1, 1)) is the skinned dialog's work; SkinRect gives it the numbers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "text/ini_file.h"
#include "text/skin_keys.h"

namespace qf::text {

struct SkinRect {
    int x = 1;
    int y = 1;
    int w = 1;
    int h = 1;

    // A picture button placed at (1, 1) is disabled, whatever its size.
    [[nodiscard]] bool DisablesButton() const { return x == 1 && y == 1; }
    // Where a picture button's state pictures are cut: one pixel up and left of the control.
    [[nodiscard]] int PictureX() const { return x - 1; }
    [[nodiscard]] int PictureY() const { return y - 1; }

    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

// The record a missing key reads as: 1,1,1,1.
inline constexpr SkinRect kMissingSkinRect{};

// Parses a record value. False (and `out` untouched) when it does not give a usable rectangle.
[[nodiscard]] bool ParseSkinRect(std::string_view value, SkinRect& out);

// Reads a record from a layout file; missing or malformed values give kMissingSkinRect.
[[nodiscard]] SkinRect ReadSkinRect(const IniDocument& layout, std::string_view section,
                                    std::string_view key);

// "KEY_%03X": the keyboard view's key with this key index (0x1C gives "KEY_01C").
[[nodiscard]] std::string SkinKeyForKeyIndex(unsigned keyIndex);
// "FUNC_G%d": the keyboard view's G key 1 to 9.
[[nodiscard]] std::string SkinKeyForGKey(int number);
// "%s%d": an arrow picture key of "BUTTONINFO2", e.g. ArrowPictureKey(skin::UP_ARROW_LEFT, 1).
[[nodiscard]] std::string ArrowPictureKey(std::string_view prefix, int number);

// The three layout keys of the lighting panel's direction controls for a lighting mode code:
// modes 1, 2, 3 and 7 use the set ending in "2", mode 12 the set ending in "3", any other mode
// the plain set.
struct DirectionControlKeys {
    std::string_view label;
    std::string_view left;
    std::string_view right;

    friend bool operator==(const DirectionControlKeys&, const DirectionControlKeys&) = default;
};
[[nodiscard]] DirectionControlKeys DirectionKeysForMode(int modeCode);

// Section "SCREEN" of a layout file.
struct SkinScreen {
    std::string main;  // background picture, relative to the layout file's folder ("" if absent)
    std::string mask;  // shape picture; the background picture when "Mask" is absent or empty
    std::string link;  // the link button's address; kDefaultLinkTarget when absent or empty
};
[[nodiscard]] SkinScreen ReadSkinScreen(const IniDocument& layout);

// A picture named in a layout file, resolved against the layout file's folder. Backslashes of
// skins made for Windows count as folder separators.
[[nodiscard]] std::filesystem::path SkinPicturePath(const std::filesystem::path& layoutFolder,
                                                    std::string_view name);

// The display name of a lighting mode code from Main.ini: section "Mode" for language setting 0,
// "Mode1" for 1, key = the code in decimal, "1" when missing; empty for any other setting.
[[nodiscard]] std::string ModeName(const IniDocument& mainLayout, int languageSetting,
                                   int modeCode);

// A lighting panel label text from Main.ini (keys skin::kLabel...): section "Control_Name" for
// language setting 0, "Control_Name1" for 1, empty when the key is missing. Nothing for any
// other setting: the labels then keep the texts they have.
[[nodiscard]] std::optional<std::string> ControlLabel(const IniDocument& mainLayout,
                                                      int languageSetting,
                                                      std::string_view labelKey);

}  // namespace qf::text
