// The keyboard view's buttons as data: the 105 key buttons in the order of kSingleKeyList with
// their command ids and captions, the nine G buttons, the Fn button, the six top-row variant
// buttons D1 to D6, the lock and bank indicators and the variant switch buttons; their layout
// keys in the main skin, their accessible names, the key record a click edits and the lighting
// identity a click paints.
//
// A button is named by a ViewButton (its group and its index in the group). The core names the
// same buttons in two other ways: the assignment views by key position (0..104) and G index
// (0..8), which are the ViewButton indexes of the Key and G groups; the lighting model by
// KeyButtonId (a key by scan code, a G key by number, Fn). LightingIdOf and ButtonOfLightingId
// convert between the two.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_tables.h"
#include "keys/view_buttons.h"
#include "lighting/key_zones.h"

namespace qf::presenters {

// One of the 105 key buttons. `caption` is the button's own caption (empty for Space, the
// quote key, the arrows and the keypad keys); `accessibleName` is what a screen reader says:
// the caption, or a name where the caption is missing, unreadable ("<--") or shared by the
// left and right keys ("Ctrl").
struct KeyButtonEntry {
    std::uint32_t commandId = 0;
    std::string_view caption;
    keys::ScanCode scan = keys::kNoKey;
    std::string_view accessibleName;
};

// clang-format off
inline constexpr std::array<KeyButtonEntry, keys::kSingleKeyCount> kKeyButtons = {{
    {1058, "A", 0x01E, "A"},  // 0
    {1075, "B", 0x030, "B"},  // 1
    {1073, "C", 0x02E, "C"},  // 2
    {1060, "D", 0x020, "D"},  // 3
    {1046, "E", 0x012, "E"},  // 4
    {1061, "F", 0x021, "F"},  // 5
    {1062, "G", 0x022, "G"},  // 6
    {1063, "H", 0x023, "H"},  // 7
    {1051, "I", 0x017, "I"},  // 8
    {1064, "J", 0x024, "J"},  // 9
    {1065, "K", 0x025, "K"},  // 10
    {1066, "L", 0x026, "L"},  // 11
    {1077, "M", 0x032, "M"},  // 12
    {1076, "N", 0x031, "N"},  // 13
    {1052, "O", 0x018, "O"},  // 14
    {1053, "P", 0x019, "P"},  // 15
    {1044, "Q", 0x010, "Q"},  // 16
    {1047, "R", 0x013, "R"},  // 17
    {1059, "S", 0x01F, "S"},  // 18
    {1048, "T", 0x014, "T"},  // 19
    {1050, "U", 0x016, "U"},  // 20
    {1074, "V", 0x02F, "V"},  // 21
    {1045, "W", 0x011, "W"},  // 22
    {1072, "X", 0x02D, "X"},  // 23
    {1049, "Y", 0x015, "Y"},  // 24
    {1071, "Z", 0x02C, "Z"},  // 25
    {1030, "1!", 0x002, "1!"},  // 26
    {1031, "2@", 0x003, "2@"},  // 27
    {1032, "3#", 0x004, "3#"},  // 28
    {1033, "4$", 0x005, "4$"},  // 29
    {1034, "5%", 0x006, "5%"},  // 30
    {1035, "6^", 0x007, "6^"},  // 31
    {1036, "7&", 0x008, "7&"},  // 32
    {1037, "8*", 0x009, "8*"},  // 33
    {1038, "9(", 0x00A, "9("},  // 34
    {1039, "0)", 0x00B, "0)"},  // 35
    {1070, "Enter", 0x01C, "Enter"},  // 36
    {1022, "Esc", 0x001, "Esc"},  // 37
    {1043, "<--", 0x00E, "Backspace"},  // 38
    {1056, "Tab", 0x00F, "Tab"},  // 39
    {1090, "", 0x039, "Space"},  // 40
    {1040, "-_", 0x00C, "-_"},  // 41
    {1041, "=+", 0x00D, "=+"},  // 42
    {1054, "[{", 0x01A, "[{"},  // 43
    {1055, "]}", 0x01B, "]}"},  // 44
    {1042, "\\|", 0x02B, "\\|"},  // 45
    {1067, ";:", 0x027, ";:"},  // 46
    {1068, "", 0x028, "Quote"},  // 47
    {1029, "`~", 0x029, "`~"},  // 48
    {1078, ",<", 0x033, ",<"},  // 49
    {1079, ".>", 0x034, ".>"},  // 50
    {1080, "/?", 0x035, "/?"},  // 51
    {1010, "F1", 0x03B, "F1"},  // 52
    {1011, "F2", 0x03C, "F2"},  // 53
    {1012, "F3", 0x03D, "F3"},  // 54
    {1013, "F4", 0x03E, "F4"},  // 55
    {1014, "F5", 0x03F, "F5"},  // 56
    {1015, "F6", 0x040, "F6"},  // 57
    {1023, "F7", 0x041, "F7"},  // 58
    {1024, "F8", 0x042, "F8"},  // 59
    {1025, "F9", 0x043, "F9"},  // 60
    {1026, "F10", 0x044, "F10"},  // 61
    {1027, "F11", 0x057, "F11"},  // 62
    {1028, "F12", 0x058, "F12"},  // 63
    {1091, "Print", 0x137, "Print"},  // 64
    {1093, "Pause", 0x045, "Pause"},  // 65
    {1094, "Insert", 0x152, "Insert"},  // 66
    {1097, "Delete", 0x153, "Delete"},  // 67
    {1095, "Home", 0x147, "Home"},  // 68
    {1098, "End", 0x14F, "End"},  // 69
    {1096, "Page Up", 0x149, "Page Up"},  // 70
    {1099, "Page Down", 0x151, "Page Down"},  // 71
    {1103, "", 0x148, "Arrow Up"},  // 72
    {1101, "", 0x150, "Arrow Down"},  // 73
    {1100, "", 0x14B, "Arrow Left"},  // 74
    {1102, "", 0x14D, "Arrow Right"},  // 75
    {1092, "Scroll", 0x046, "Scroll"},  // 76
    {1069, "CapsLock", 0x03A, "CapsLock"},  // 77
    {1088, "App", 0x15D, "App"},  // 78
    {1083, "Ctrl", 0x01D, "Left Ctrl"},  // 79
    {1089, "Ctrl", 0x11D, "Right Ctrl"},  // 80
    {1082, "Shift", 0x02A, "Left Shift"},  // 81
    {1081, "Shift", 0x036, "Right Shift"},  // 82
    {1085, "Alt", 0x038, "Left Alt"},  // 83
    {1086, "Alt", 0x138, "Right Alt"},  // 84
    {1084, "Win", 0x15B, "Left Win"},  // 85
    {1087, "Win", 0x15C, "Right Win"},  // 86
    {1115, "", 0x04F, "Keypad 1"},  // 87
    {1116, "", 0x050, "Keypad 2"},  // 88
    {1117, "", 0x051, "Keypad 3"},  // 89
    {1112, "", 0x04B, "Keypad 4"},  // 90
    {1113, "", 0x04C, "Keypad 5"},  // 91
    {1114, "", 0x04D, "Keypad 6"},  // 92
    {1108, "", 0x047, "Keypad 7"},  // 93
    {1109, "", 0x048, "Keypad 8"},  // 94
    {1110, "", 0x049, "Keypad 9"},  // 95
    {1120, "", 0x052, "Keypad 0"},  // 96
    {1104, "Num", 0x145, "Num"},  // 97
    {1118, "", 0x11C, "Keypad Enter"},  // 98
    {1119, "", 0x053, "Keypad ."},  // 99
    {1105, "", 0x135, "Keypad /"},  // 100
    {1106, "", 0x037, "Keypad *"},  // 101
    {1107, "", 0x04A, "Keypad -"},  // 102
    {1111, "", 0x04E, "Keypad +"},  // 103
    {1208, "K45", 0x056, "K45"},  // 104
}};
// clang-format on

constexpr bool KeyButtonsFollowSingleKeyList() {
    for (std::size_t n = 0; n < kKeyButtons.size(); ++n) {
        if (kKeyButtons[n].scan != keys::kSingleKeyList[n]) {
            return false;
        }
    }
    return true;
}
static_assert(KeyButtonsFollowSingleKeyList(), "key button n shows key kSingleKeyList[n]");

// The G buttons' ids come from the core, which shares them with the device monitor.
using keys::kGButtonControlIds;
using keys::kGButtonCount;

inline constexpr std::uint32_t kFnButtonId = 1174;
// D1 to D6: no key record; shown only by skins that place them (text::skin::kTopRowKeyFormat).
inline constexpr std::array<std::uint32_t, 6> kTopRowButtonIds = {1016, 1017, 1018,
                                                                  1019, 1020, 1021};
// LOCK_CAPS, LOCK_NUM, LOCK_SCROLL, LOCK_AB.
inline constexpr std::array<std::uint32_t, 4> kLockIndicatorIds = {1125, 1126, 1127, 1128};
// FLIP_0 (indicator), FLIP_1 and FLIP_2 (both toggle the top-row variant).
inline constexpr std::array<std::uint32_t, 3> kFlipButtonIds = {1129, 1130, 1131};
// The arrow pictures beside FLIP_1 and FLIP_2.
inline constexpr std::uint32_t kLeftArrowId = 1132;
inline constexpr std::uint32_t kRightArrowId = 1133;

// Key button positions of F1..F4, which the top-row variant disables.
inline constexpr std::size_t kFirstVariantKeyButton = 52;
inline constexpr std::size_t kVariantKeyButtonCount = 4;

enum class ButtonGroup : std::uint8_t {
    Key,     // 0..104, the position in kSingleKeyList
    G,       // 0..8 for G1..G9
    Fn,      // 0
    TopRow,  // 0..5 for D1..D6
    Lock,    // 0..3: caps, num, scroll, bank (LockIndicator)
    Flip,    // 0..2: FLIP_0, FLIP_1, FLIP_2
};

enum class LockIndicator : std::uint8_t { Caps, Num, Scroll, Bank };

struct ViewButton {
    ButtonGroup group = ButtonGroup::Key;
    std::uint8_t index = 0;

    static constexpr ViewButton Key(std::size_t n) { return {ButtonGroup::Key, Narrow(n)}; }
    static constexpr ViewButton G(std::size_t i) { return {ButtonGroup::G, Narrow(i)}; }
    static constexpr ViewButton Fn() { return {ButtonGroup::Fn, 0}; }
    static constexpr ViewButton TopRow(std::size_t i) { return {ButtonGroup::TopRow, Narrow(i)}; }
    static constexpr ViewButton Lock(LockIndicator which) {
        return {ButtonGroup::Lock, static_cast<std::uint8_t>(which)};
    }
    static constexpr ViewButton Flip(std::size_t i) { return {ButtonGroup::Flip, Narrow(i)}; }

    friend constexpr bool operator==(const ViewButton&, const ViewButton&) = default;
    friend constexpr auto operator<=>(const ViewButton&, const ViewButton&) = default;

private:
    static constexpr std::uint8_t Narrow(std::size_t i) { return static_cast<std::uint8_t>(i); }
};

// How many buttons a group has.
std::size_t GroupSize(ButtonGroup group);

// Every button of the view in layout order: G1..G9, the 105 keys, Fn, D1..D6, the four lock
// indicators, FLIP_0..FLIP_2.
const std::vector<ViewButton>& AllViewButtons();

// The button's command id (0 for a button outside its group).
std::uint32_t CommandIdOf(ViewButton button);
// The button with this command id, if any.
std::optional<ViewButton> ButtonOfCommand(std::uint32_t commandId);

// The button's key in section "BUTTONINFO" of the main skin: "KEY_%03X" of the key index for
// a key button (Print Screen 0x137 gives "KEY_0B7"), "FUNC_G%d", "KEY_FN", "KEY_D%d", LOCK_...,
// FLIP_... .
std::string LayoutKeyOf(ViewButton button);

// What a screen reader says for the button: the key's accessible name, "G1".."G9", "Fn",
// "D1".."D6", or the indicator's name.
std::string AccessibleNameOf(ViewButton button);

// The lighting model's name of a key button, G button or the Fn button; none for the others.
std::optional<lighting::KeyButtonId> LightingIdOf(ViewButton button);
// The view's button of a lighting identity; none for a key without a button.
std::optional<ViewButton> ButtonOfLightingId(lighting::KeyButtonId id);

// The record of the current profile's key block that a click on the button edits: the key
// index of a key button's key, 256 + i (bank A) or 265 + i (bank B) for G button i; none for
// Fn, the D buttons and the indicators.
std::optional<std::size_t> RecordOf(ViewButton button, bool bankB);

// F1..F4, which the top-row variant disables.
constexpr bool IsVariantKeyButton(ViewButton button) {
    return button.group == ButtonGroup::Key && button.index >= kFirstVariantKeyButton &&
           button.index < kFirstVariantKeyButton + kVariantKeyButtonCount;
}

// The buttons that carry a key assignment's look, a lighting tint and a click of their own:
// the key buttons, the G buttons and the Fn button.
constexpr bool IsKeyboardKey(ViewButton button) {
    return button.group == ButtonGroup::Key || button.group == ButtonGroup::G ||
           button.group == ButtonGroup::Fn;
}

}  // namespace qf::presenters
