#include "skin_spec.h"

#include <algorithm>
#include <stdexcept>

#include "keys/key_tables.h"
#include "lighting/key_zones.h"
#include "presenters/keyboard_buttons.h"
#include "presenters/lighting_panel_rules.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"
#include "text/text_format.h"

namespace qf::skingen {

namespace skin = text::skin;

namespace {

// ---- The keyboard's geometry --------------------------------------------------------------
//
// A full-size ISO board on a grid of quarter units: the G-key column, the main block (15 units),
// the navigation block (3 units) and the keypad (4 units), with gaps between them. Rows 0 (the
// function row) to 5 (the bottom row); the function row stands a little apart.

constexpr int kQuarter = kKeyUnit / 4;
constexpr int kGColumn = 0;    // G1..G6, 1.25 units wide
constexpr int kMainBlock = 7;  // 1.75 units in
constexpr int kNavBlock = 68;  // main block + 15.25 units
constexpr int kKeypad = 81;    // navigation block + 3.25 units
constexpr int kBoardQuarters = 97;
constexpr int kBoardX = kMainPlate.x + (kMainPlate.w - kBoardQuarters * kQuarter) / 2;
constexpr int kStripY = kMainPlate.y + 12;  // G7..G9, the variant strip, FLIP_0
constexpr int kStripH = 22;
constexpr int kFunctionRowY = kStripY + 32;
constexpr int kRowGap = 12;  // between the function row and the number row

constexpr int RowY(int row) {
    return kFunctionRowY + row * kKeyUnit + (row >= 1 ? kRowGap : 0);
}

struct KeyPlace {
    keys::ScanCode scan;
    int q;     // left edge in quarter units from the board's left edge
    int row;   // 0..5
    int wq;    // width in quarter units
    int rows;  // height in rows
    const char* legend;
    const char* shifted;
};

// clang-format off
constexpr KeyPlace kKeyPlaces[] = {
    // Function row.
    {0x001, kMainBlock + 0,  0, 4, 1, "Esc", ""},
    {0x03B, kMainBlock + 8,  0, 4, 1, "F1", ""},
    {0x03C, kMainBlock + 12, 0, 4, 1, "F2", ""},
    {0x03D, kMainBlock + 16, 0, 4, 1, "F3", ""},
    {0x03E, kMainBlock + 20, 0, 4, 1, "F4", ""},
    {0x03F, kMainBlock + 26, 0, 4, 1, "F5", ""},
    {0x040, kMainBlock + 30, 0, 4, 1, "F6", ""},
    {0x041, kMainBlock + 34, 0, 4, 1, "F7", ""},
    {0x042, kMainBlock + 38, 0, 4, 1, "F8", ""},
    {0x043, kMainBlock + 44, 0, 4, 1, "F9", ""},
    {0x044, kMainBlock + 48, 0, 4, 1, "F10", ""},
    {0x057, kMainBlock + 52, 0, 4, 1, "F11", ""},
    {0x058, kMainBlock + 56, 0, 4, 1, "F12", ""},
    {0x137, kNavBlock + 0,   0, 4, 1, "PrtSc", ""},
    {0x046, kNavBlock + 4,   0, 4, 1, "ScrLk", ""},
    {0x045, kNavBlock + 8,   0, 4, 1, "Pause", ""},
    // Number row.
    {0x029, kMainBlock + 0,  1, 4, 1, "`", "~"},
    {0x002, kMainBlock + 4,  1, 4, 1, "1", "!"},
    {0x003, kMainBlock + 8,  1, 4, 1, "2", "@"},
    {0x004, kMainBlock + 12, 1, 4, 1, "3", "#"},
    {0x005, kMainBlock + 16, 1, 4, 1, "4", "$"},
    {0x006, kMainBlock + 20, 1, 4, 1, "5", "%"},
    {0x007, kMainBlock + 24, 1, 4, 1, "6", "^"},
    {0x008, kMainBlock + 28, 1, 4, 1, "7", "&"},
    {0x009, kMainBlock + 32, 1, 4, 1, "8", "*"},
    {0x00A, kMainBlock + 36, 1, 4, 1, "9", "("},
    {0x00B, kMainBlock + 40, 1, 4, 1, "0", ")"},
    {0x00C, kMainBlock + 44, 1, 4, 1, "-", "_"},
    {0x00D, kMainBlock + 48, 1, 4, 1, "=", "+"},
    {0x00E, kMainBlock + 52, 1, 8, 1, "\u27F5", ""},
    {0x152, kNavBlock + 0,   1, 4, 1, "Ins", ""},
    {0x147, kNavBlock + 4,   1, 4, 1, "Home", ""},
    {0x149, kNavBlock + 8,   1, 4, 1, "PgUp", ""},
    {0x145, kKeypad + 0,     1, 4, 1, "Num", ""},
    {0x135, kKeypad + 4,     1, 4, 1, "/", ""},
    {0x037, kKeypad + 8,     1, 4, 1, "*", ""},
    {0x04A, kKeypad + 12,    1, 4, 1, "\u2212", ""},
    // Top letter row; Enter spans two rows.
    {0x00F, kMainBlock + 0,  2, 7, 1, "Tab", ""},
    {0x010, kMainBlock + 7,  2, 4, 1, "Q", ""},
    {0x011, kMainBlock + 11, 2, 4, 1, "W", ""},
    {0x012, kMainBlock + 15, 2, 4, 1, "E", ""},
    {0x013, kMainBlock + 19, 2, 4, 1, "R", ""},
    {0x014, kMainBlock + 23, 2, 4, 1, "T", ""},
    {0x015, kMainBlock + 27, 2, 4, 1, "Y", ""},
    {0x016, kMainBlock + 31, 2, 4, 1, "U", ""},
    {0x017, kMainBlock + 35, 2, 4, 1, "I", ""},
    {0x018, kMainBlock + 39, 2, 4, 1, "O", ""},
    {0x019, kMainBlock + 43, 2, 4, 1, "P", ""},
    {0x01A, kMainBlock + 47, 2, 4, 1, "[", "{"},
    {0x01B, kMainBlock + 51, 2, 4, 1, "]", "}"},
    {0x01C, kMainBlock + 55, 2, 5, 2, "Enter", ""},
    {0x153, kNavBlock + 0,   2, 4, 1, "Del", ""},
    {0x14F, kNavBlock + 4,   2, 4, 1, "End", ""},
    {0x151, kNavBlock + 8,   2, 4, 1, "PgDn", ""},
    {0x047, kKeypad + 0,     2, 4, 1, "7", ""},
    {0x048, kKeypad + 4,     2, 4, 1, "8", ""},
    {0x049, kKeypad + 8,     2, 4, 1, "9", ""},
    {0x04E, kKeypad + 12,    2, 4, 2, "+", ""},
    // Home row.
    {0x03A, kMainBlock + 0,  3, 7, 1, "Caps", ""},
    {0x01E, kMainBlock + 7,  3, 4, 1, "A", ""},
    {0x01F, kMainBlock + 11, 3, 4, 1, "S", ""},
    {0x020, kMainBlock + 15, 3, 4, 1, "D", ""},
    {0x021, kMainBlock + 19, 3, 4, 1, "F", ""},
    {0x022, kMainBlock + 23, 3, 4, 1, "G", ""},
    {0x023, kMainBlock + 27, 3, 4, 1, "H", ""},
    {0x024, kMainBlock + 31, 3, 4, 1, "J", ""},
    {0x025, kMainBlock + 35, 3, 4, 1, "K", ""},
    {0x026, kMainBlock + 39, 3, 4, 1, "L", ""},
    {0x027, kMainBlock + 43, 3, 4, 1, ";", ":"},
    {0x028, kMainBlock + 47, 3, 4, 1, "'", "\""},
    {0x02B, kMainBlock + 51, 3, 4, 1, "\\", "|"},
    {0x04B, kKeypad + 0,     3, 4, 1, "4", ""},
    {0x04C, kKeypad + 4,     3, 4, 1, "5", ""},
    {0x04D, kKeypad + 8,     3, 4, 1, "6", ""},
    // Bottom letter row; the extra ISO key stands left of Z.
    {0x02A, kMainBlock + 0,  4, 5, 1, "Shift", ""},
    {0x056, kMainBlock + 5,  4, 4, 1, "<", ">"},
    {0x02C, kMainBlock + 9,  4, 4, 1, "Z", ""},
    {0x02D, kMainBlock + 13, 4, 4, 1, "X", ""},
    {0x02E, kMainBlock + 17, 4, 4, 1, "C", ""},
    {0x02F, kMainBlock + 21, 4, 4, 1, "V", ""},
    {0x030, kMainBlock + 25, 4, 4, 1, "B", ""},
    {0x031, kMainBlock + 29, 4, 4, 1, "N", ""},
    {0x032, kMainBlock + 33, 4, 4, 1, "M", ""},
    {0x033, kMainBlock + 37, 4, 4, 1, ",", "<"},
    {0x034, kMainBlock + 41, 4, 4, 1, ".", ">"},
    {0x035, kMainBlock + 45, 4, 4, 1, "/", "?"},
    {0x036, kMainBlock + 49, 4, 11, 1, "Shift", ""},
    {0x148, kNavBlock + 4,   4, 4, 1, "\u25B2", ""},
    {0x04F, kKeypad + 0,     4, 4, 1, "1", ""},
    {0x050, kKeypad + 4,     4, 4, 1, "2", ""},
    {0x051, kKeypad + 8,     4, 4, 1, "3", ""},
    {0x11C, kKeypad + 12,    4, 4, 2, "Enter", ""},
    // Bottom row; Fn has no key record and is placed from KEY_FN.
    {0x01D, kMainBlock + 0,  5, 5, 1, "Ctrl", ""},
    {0x15B, kMainBlock + 5,  5, 5, 1, "Super", ""},
    {0x038, kMainBlock + 10, 5, 5, 1, "Alt", ""},
    {0x039, kMainBlock + 15, 5, 22, 1, "", ""},
    {0x138, kMainBlock + 37, 5, 5, 1, "Alt Gr", ""},
    {0x15C, kMainBlock + 46, 5, 4, 1, "Super", ""},
    {0x15D, kMainBlock + 50, 5, 5, 1, "\u2630", ""},
    {0x11D, kMainBlock + 55, 5, 5, 1, "Ctrl", ""},
    {0x14B, kNavBlock + 0,   5, 4, 1, "\u25C0", ""},
    {0x150, kNavBlock + 4,   5, 4, 1, "\u25BC", ""},
    {0x14D, kNavBlock + 8,   5, 4, 1, "\u25B6", ""},
    {0x052, kKeypad + 0,     5, 8, 1, "0", ""},
    {0x053, kKeypad + 8,     5, 4, 1, ".", ""},
};
// clang-format on
constexpr int kFnQuarter = kMainBlock + 42;

Rect KeyRect(int q, int row, int wq, int rows) {
    return Rect{kBoardX + q * kQuarter, RowY(row), wq * kQuarter - kKeyGap,
                rows * kKeyUnit - kKeyGap};
}

constexpr std::array<FaceState, 4> kTwoState = {FaceState::Normal, FaceState::Hover,
                                                FaceState::Pressed, FaceState::Normal};
constexpr std::array<FaceState, 4> kSameInAll = {FaceState::Normal, FaceState::Normal,
                                                 FaceState::Normal, FaceState::Normal};
constexpr std::array<FaceState, 4> kDisableIsDisabled = {FaceState::Normal, FaceState::Hover,
                                                         FaceState::Pressed, FaceState::Disabled};

Control Button(std::string_view key, Rect rect, Look look) {
    Control c;
    c.key = std::string(key);
    c.rect = rect;
    c.look = look;
    c.pictureButton = true;
    return c;
}

Control IconButton(std::string_view key, Rect rect, Icon icon,
                   std::array<FaceState, 4> states = kTwoState, Look look = Look::IconButton) {
    Control c = Button(key, rect, look);
    c.icon = icon;
    c.states = states;
    return c;
}

Control Plain(std::string_view key, Rect rect) {
    Control c;
    c.key = std::string(key);
    c.rect = rect;
    return c;
}

void AddKeyboard(std::vector<Control>& controls) {
    // G1..G6 beside the rows, G7..G9 in the strip above the Esc corner.
    for (int g = 1; g <= 6; ++g) {
        Control c = Button(text::SkinKeyForGKey(g), KeyRect(kGColumn, g - 1, 5, 1), Look::MacroKey);
        c.legend = "G" + std::to_string(g);
        c.zone = lighting::ZoneOf(lighting::KeyButtonId::GKey(g));
        controls.push_back(c);
    }
    for (int g = 7; g <= 9; ++g) {
        Control c =
            Button(text::SkinKeyForGKey(g),
                   Rect{kBoardX + (g - 7) * 42, kStripY, 42 - kKeyGap, kStripH}, Look::Keycap);
        c.legend = "G" + std::to_string(g);
        controls.push_back(c);
    }

    // The 105 key buttons, each key of the view's list exactly once.
    std::array<bool, keys::kSingleKeyCount> placed{};
    for (const KeyPlace& place : kKeyPlaces) {
        const auto* it =
            std::find(keys::kSingleKeyList.begin(), keys::kSingleKeyList.end(), place.scan);
        if (it == keys::kSingleKeyList.end()) {
            throw std::logic_error("a key of the board is not a key of the view");
        }
        placed[static_cast<std::size_t>(it - keys::kSingleKeyList.begin())] = true;
        Control c = Button(text::SkinKeyForKeyIndex(keys::ScanToKeyIndex(place.scan)),
                           KeyRect(place.q, place.row, place.wq, place.rows), Look::Keycap);
        c.legend = place.legend;
        c.legend2 = place.shifted;
        c.zone = lighting::ZoneOf(lighting::KeyButtonId::Key(place.scan));
        controls.push_back(c);
    }
    if (std::find(placed.begin(), placed.end(), false) != placed.end()) {
        throw std::logic_error("a key of the view has no place on the board");
    }
    Control fn = Button(skin::KEY_FN, KeyRect(kFnQuarter, 5, 4, 1), Look::Keycap);
    fn.legend = "Fn";
    fn.zone = lighting::ZoneOf(lighting::KeyButtonId::Fn());
    controls.push_back(fn);

    // The variant strip above F1..F8: FLIP_1, the left arrow, D1..D6, the right arrow, FLIP_2,
    // and the FLIP_0 lamp.
    const int stripX = KeyRect(kMainBlock + 8, 0, 4, 1).x;
    controls.push_back(
        IconButton(skin::FLIP_1, Rect{stripX, kStripY, 28, kStripH}, Icon::Swap,
                   {FaceState::Normal, FaceState::Hover, FaceState::Pressed, FaceState::Selected}));
    int x = stripX + 28 + 4 + 14 + 4;
    for (int d = 1; d <= static_cast<int>(presenters::kTopRowButtonIds.size()); ++d) {
        Control c = Button(text::Format(skin::kTopRowKeyFormat, d), Rect{x, kStripY, 30, kStripH},
                           Look::Keycap);
        c.legend = "D" + std::to_string(d);
        controls.push_back(c);
        x += 33;
    }
    x += 1;
    controls.push_back(
        IconButton(skin::FLIP_2, Rect{x + 14 + 4, kStripY, 28, kStripH}, Icon::Swap,
                   {FaceState::Normal, FaceState::Hover, FaceState::Pressed, FaceState::Selected}));
    Control lamp = Button(skin::FLIP_0, Rect{x + 14 + 4 + 28 + 8, kStripY + 4, 14, 14}, Look::Lamp);
    lamp.states = {FaceState::Normal, FaceState::Normal, FaceState::Normal, FaceState::Selected};
    controls.push_back(lamp);

    // Lock and bank indicators above the keypad.
    const std::array<std::string_view, 4> locks = {skin::LOCK_CAPS, skin::LOCK_NUM,
                                                   skin::LOCK_SCROLL, skin::LOCK_AB};
    const std::array<const char*, 4> glyphs = {"A", "1", "\u21A7", "A"};
    for (std::size_t i = 0; i < locks.size(); ++i) {
        const Rect cell = KeyRect(kKeypad + 4 * static_cast<int>(i), 0, 4, 1);
        Control c = Button(locks[i], Rect{cell.x + 1, cell.y + 6, cell.w - 2, cell.h - 12},
                           i == 3 ? Look::BankIndicator : Look::Indicator);
        c.legend = glyphs[i];
        c.states = i == 3 ? std::array{FaceState::Normal, FaceState::Selected, FaceState::Normal,
                                       FaceState::Normal}
                          : kSameInAll;
        controls.push_back(c);
    }
}

Rect ArrowRectLeft() {
    return Rect{KeyRect(kMainBlock + 8, 0, 4, 1).x + 28 + 4, kStripY, 14, kStripH};
}

Rect ArrowRectRight() {
    return Rect{KeyRect(kMainBlock + 8, 0, 4, 1).x + 28 + 4 + 14 + 4 + 6 * 33 + 1, kStripY, 14,
                kStripH};
}

// The lighting panel's rows.
constexpr int kPanelLabelX = kLightingCard.x + 16;
constexpr int kPanelFieldX = kLightingCard.x + 108;
constexpr int kPanelRow1 = kLightingCard.y + 14;
constexpr int kPanelRow2 = kPanelRow1 + 38;
constexpr int kPanelRow3 = kPanelRow2 + 38;
constexpr int kPanelRow4 = kPanelRow3 + 38;
constexpr int kPanelRow5 = kPanelRow4 + 34;

constexpr Rect kSwitchRect{kPanelFieldX, kPanelRow1 + 1, 52, 24};
constexpr Rect kSliderLight{kPanelFieldX, kPanelRow2 + 1, 180, 22};
constexpr Rect kSliderSpeed{kLightingCard.x + 384, kPanelRow2 + 1, 180, 22};
constexpr Rect kDirectionLeft{kPanelFieldX, kPanelRow3, 52, 26};
constexpr Rect kDirectionRight{kPanelFieldX + 58, kPanelRow3, 52, 26};
constexpr Rect kColourButton{kPanelFieldX, kPanelRow3, 64, 26};
constexpr Rect kColourSecondLabel{kPanelFieldX + 80, kPanelRow3, 100, 26};
constexpr Rect kColourSecondPicture{kPanelFieldX + 184, kPanelRow3, 52, 26};
constexpr int kFourColourW = 34;

void AddLightingPanel(DialogSpec& d) {
    auto plain = [&](std::string_view key, Rect r) { d.controls.push_back(Plain(key, r)); };
    const Rect label{kPanelLabelX, kPanelRow3, 88, 26};
    plain("CONTROL_DengStatic", Rect{kPanelLabelX, kPanelRow1, 88, 26});
    plain("CONTROL_DengStaPic", kSwitchRect);
    plain("CONTROL_XGcombox", Rect{kPanelFieldX + 64, kPanelRow1, 240, 26});
    plain("CONTROL_LightStatic", Rect{kPanelLabelX, kPanelRow2, 88, 24});
    plain("CONTROL_LightSlider", kSliderLight);
    plain("CONTROL_SpeedStatic", Rect{kLightingCard.x + 300, kPanelRow2, 80, 24});
    plain("CONTROL_SpeedSlider", kSliderSpeed);
    // Direction: the plain set gives the size of all three.
    plain(skin::CONTROL_BLFXStatic, label);
    plain(skin::CONTROL_BLFXLStaPic, kDirectionLeft);
    plain(skin::CONTROL_BLFXRStaPic, kDirectionRight);
    // Colour and multicolour (modes 4-6, 9, 10, 13-15), and their second place (mode 16); the
    // two never show together, nor with the direction group.
    plain("CONTROL_HXysStatic", label);
    plain("CONTROL_HXysButton", kColourButton);
    plain("CONTROL_HXsjsStatic", kColourSecondLabel);
    plain("CONTROL_HXsjsStaPic", kColourSecondPicture);
    plain("CONTROL_FYYSStatic", label);
    plain("CONTROL_FYYSButton", kColourButton);
    plain("CONTROL_FYSJSStatic", kColourSecondLabel);
    plain("CONTROL_FYSJSStaPic", kColourSecondPicture);
    // Four-colour choice (mode 17).
    const std::array<std::string_view, 4> four = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC",
                                                  "CONTROL_LVPIC", "CONTROL_LANPIC"};
    for (std::size_t i = 0; i < four.size(); ++i) {
        plain(four[i], Rect{kPanelFieldX + static_cast<int>(i) * (kFourColourW + 6), kPanelRow3,
                            kFourColourW, 26});
    }
    // User colours (mode 8).
    plain("CONTROL_USERysStatic", label);
    plain("CONTROL_USERysButton", kColourButton);
    plain("CONTROL_USERgjStatic", kColourSecondLabel);
    plain("CONTROL_USERgjStaPic1", kColourSecondPicture);
    plain("CONTROL_umCombo", Rect{kPanelFieldX, kPanelRow4, 236, 26});
    // Records of controls the program has no use for: placed in the free bottom row.
    const Rect spareLabel{kPanelLabelX, kPanelRow5, 88, 22};
    const Rect spareButton{kPanelFieldX, kPanelRow5, 64, 22};
    const Rect sparePicture{kPanelFieldX + 80, kPanelRow5, 52, 22};
    for (std::string_view key :
         {"CONTROL_JDTStatic", "CONTROL_FYCFStatic", "CONTROL_FYdjcfStatic", "CONTROL_FYggcfStatc",
          "CONTROL_JTysStatic", "CONTROL_USERjsStatic", "CONTROL_USERgyStatic",
          "CONTROL_TSysStatic", "CONTROL_TSsjsStatic", "CONTROL_CDysStatic",
          "CONTROL_CDsjsStatic"}) {
        plain(key, spareLabel);
    }
    for (std::string_view key : {"CONTROL_JTysButton", "CONTROL_USERjsButton", "CONTROL_TSysButton",
                                 "CONTROL_CDysButton"}) {
        plain(key, spareButton);
    }
    for (std::string_view key :
         {"CONTROL_FYdjcfStaPic", "CONTROL_FYggcfStaPic", "CONTROL_USERgjStaPic2",
          "CONTROL_TSsjsStaPic", "CONTROL_CDsjsStaPic"}) {
        plain(key, sparePicture);
    }
    // The direction sets of modes 1, 2, 3, 7 and of mode 12 stand where the plain set stands:
    // their pictures tell left/right from up/down.
    d.placements.push_back({std::string(skin::CONTROL_BLFXStatic2), label});
    d.placements.push_back({std::string(skin::CONTROL_BLFXLStaPic2), kDirectionLeft});
    d.placements.push_back({std::string(skin::CONTROL_BLFXRStaPic2), kDirectionRight});
    d.placements.push_back({std::string(skin::CONTROL_BLFXStatic3), label});
    d.placements.push_back({std::string(skin::CONTROL_BLFXLStaPic3), kDirectionLeft});
    d.placements.push_back({std::string(skin::CONTROL_BLFXRStaPic3), kDirectionRight});
}

void AddProfileCard(DialogSpec& d) {
    const int x0 = kProfileCard.x + 16;
    const int row1 = kProfileCard.y + 14;
    const int row2 = row1 + 42;
    const int row3 = row2 + 38;
    const int row4 = kProfileCard.bottom() - 46;
    const std::array<std::string_view, 3> profiles = {skin::FUNC_PROFILE1, skin::FUNC_PROFILE2,
                                                      skin::FUNC_PROFILE3};
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        d.controls.push_back(
            Button(profiles[i], Rect{x0 + static_cast<int>(i) * 82, row1, 78, 30}, Look::Button));
    }
    d.controls.push_back(Button(skin::FUNC_DEFAULT, Rect{x0 + 246, row1, 90, 30}, Look::Button));

    d.controls.push_back(Plain("CONTROL_UsbStatic", Rect{x0, row2 + 1, 112, 24}));
    const std::array<std::string_view, 4> rates = {skin::FUNC_REPORT1, skin::FUNC_REPORT2,
                                                   skin::FUNC_REPORT3, skin::FUNC_REPORT4};
    const std::array<const char*, 4> hertz = {"125", "250", "500", "1000"};
    for (std::size_t i = 0; i < rates.size(); ++i) {
        Control c = Button(rates[i], Rect{x0 + 118 + static_cast<int>(i) * 55, row2, 52, 26},
                           Look::RateButton);
        c.legend = hertz[i];
        d.controls.push_back(c);
    }

    Control macro = Button(skin::FUNC_MACRO, Rect{x0, row3, 110, 30}, Look::Button);
    macro.states = kTwoState;
    d.controls.push_back(macro);
    d.controls.push_back(Plain(skin::MACRO_METER, Rect{x0 + 120, row3, 216, 30}));

    Control apply = Button(skin::CONTROL2_APPLY, Rect{x0 + 68, row4, 84, 32}, Look::Button);
    apply.states = kDisableIsDisabled;
    d.controls.push_back(apply);
    Control ok = Button(skin::CONTROL_OK, Rect{x0 + 160, row4, 84, 32}, Look::Button);
    ok.states = kTwoState;
    d.controls.push_back(ok);
    Control cancel = Button(skin::CONTROL_CANCEL, Rect{x0 + 252, row4, 84, 32}, Look::Button);
    cancel.states = kTwoState;
    d.controls.push_back(cancel);
}

void AddHeader(DialogSpec& d) {
    Control link = Button(skin::ZORVAT_LINK, Rect{20, 10, 150, 30}, Look::Link);
    link.states = {FaceState::Normal, FaceState::Hover, FaceState::Normal, FaceState::Pressed};
    d.controls.push_back(link);
    Control version = Button(skin::ZORVAT_VER, Rect{172, 17, 70, 18}, Look::Version);
    version.states = kSameInAll;
    d.controls.push_back(version);
    Control profiles = Button(skin::FUNC_PROFILES, Rect{380, 10, 240, 30}, Look::ProfileField);
    profiles.states = kTwoState;
    d.controls.push_back(profiles);
    // No control uses FUNC_SWITCH: its record stands in the header and shows plain header.
    Control unused = Button(skin::FUNC_SWITCH, Rect{640, 14, 22, 22}, Look::Blank);
    d.controls.push_back(unused);

    const int right = kMainWidth - 22;
    d.controls.push_back(IconButton(skin::CONTROL_MENU, Rect{right - 4 * 32 + 2, 10, 30, 30},
                                    Icon::Menu, kTwoState, Look::HeaderIcon));
    d.controls.push_back(IconButton(skin::CONTROL_HELP, Rect{right - 3 * 32 + 2, 10, 30, 30},
                                    Icon::Help, kTwoState, Look::HeaderIcon));
    d.controls.push_back(IconButton(skin::CONTROL_MINIMIZE, Rect{right - 2 * 32 + 2, 10, 30, 30},
                                    Icon::Minimise, kTwoState, Look::HeaderIcon));
    Control close =
        Button(skin::CONTROL_CLOSE, Rect{right - 32 + 2, 10, 30, 30}, Look::CloseButton);
    close.icon = Icon::Close;
    close.states = kTwoState;
    d.controls.push_back(close);
}

}  // namespace

const Control& FindControl(const DialogSpec& dialog, std::string_view key) {
    for (const Control& c : dialog.controls) {
        if (c.key == key) {
            return c;
        }
    }
    throw std::logic_error("no control " + std::string(key));
}

DialogSpec MainDialog() {
    DialogSpec d;
    d.layoutFile = "Main.ini";
    d.background = "main_bg.jpg";
    d.mask = "main_mask.png";
    d.width = kMainWidth;
    d.height = kMainHeight;
    AddHeader(d);
    AddKeyboard(d.controls);
    // The arrows are picture buttons too, but their face comes from Arrow.jpg.
    Control left = Button(skin::LEFT_ARROW, ArrowRectLeft(), Look::Blank);
    Control right = Button(skin::RIGHT_ARROW, ArrowRectRight(), Look::Blank);
    d.controls.push_back(left);
    d.controls.push_back(right);
    AddLightingPanel(d);
    AddProfileCard(d);
    return d;
}

Rect ArrowPictureSize() {
    const Rect face = ArrowRectLeft();
    return Rect{0, 0, 4 * (face.w + 4) + 2, 2 * (face.h + 4) + 2};
}

std::vector<ArrowFace> ArrowFaces() {
    const Rect face = ArrowRectLeft();
    struct Column {
        std::string_view prefix;
        bool left;
        bool up;
    };
    const std::array<Column, 4> columns = {{
        {skin::UP_ARROW_LEFT, true, true},
        {skin::DOWN_ARROW_LEFT, true, false},
        {skin::UP_ARROW_RIGHT, false, true},
        {skin::DOWN_ARROW_RIGHT, false, false},
    }};
    std::vector<ArrowFace> faces;
    for (int number = 1; number <= 2; ++number) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            ArrowFace f;
            f.key = text::ArrowPictureKey(columns[c].prefix, number);
            f.left = columns[c].left;
            f.up = columns[c].up;
            f.highlighted = number == 2;
            // The face is cut one pixel up and left of the record's x, y.
            f.rect = Rect{2 + static_cast<int>(c) * (face.w + 4) + 1,
                          2 + (number - 1) * (face.h + 4) + 1, face.w, face.h};
            faces.push_back(f);
        }
    }
    return faces;
}

Rect ThumbSize() {
    return Rect{0, 0, kSliderLight.h, kSliderLight.h};
}

std::vector<PanelBitmapSpec> PanelBitmaps() {
    using presenters::PanelPicture;
    std::vector<PanelBitmapSpec> bitmaps;
    auto add = [&](PanelPicture picture, PanelArt art, bool selected, Rect size) {
        const std::string_view path = presenters::PictureFile(picture);
        bitmaps.push_back({std::string(path.substr(skin::kSkinsFolder.size() + 1)), art, selected,
                           size.w, size.h});
    };
    auto pair = [&](presenters::PicturePair pictures, PanelArt art, Rect size) {
        add(pictures.plain, art, false, size);
        add(pictures.selected, art, true, size);
    };
    // The switch shows a picture of its own for each position.
    add(presenters::kSwitchPictures.plain, PanelArt::SwitchOff, false, kSwitchRect);
    add(presenters::kSwitchPictures.selected, PanelArt::SwitchOn, true, kSwitchRect);
    // Direction pictures: left/right (modes 1, 2, 7), up/down (12), spread/gather (18).
    const std::array<std::pair<int, std::array<PanelArt, 2>>, 3> directions = {{
        {1, {PanelArt::Left, PanelArt::Right}},
        {12, {PanelArt::Up, PanelArt::Down}},
        {18, {PanelArt::Spread, PanelArt::Gather}},
    }};
    for (const auto& [mode, arts] : directions) {
        const presenters::DirectionPictures pictures = presenters::DirectionPicturesOf(mode);
        pair(pictures.left, arts[0], kDirectionLeft);
        pair(pictures.right, arts[1], kDirectionRight);
    }
    const std::array<PanelArt, 4> colours = {PanelArt::Red, PanelArt::Yellow, PanelArt::Green,
                                             PanelArt::Blue};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        pair(presenters::kFourColourPictureSet[i], colours[i], Rect{0, 0, kFourColourW, 26});
    }
    pair(presenters::kMulticolourPictures, PanelArt::Multicolour, kColourSecondPicture);
    pair(presenters::kToolPictures, PanelArt::PaintTool, kColourSecondPicture);
    return bitmaps;
}

// ---- The composite assignment editor --------------------------------------------------------

DialogSpec CompositeDialog() {
    DialogSpec d;
    d.layoutFile = "Composite.ini";
    d.background = "composite_bg.jpg";
    d.mask = "composite_mask.png";
    d.width = kCompositeWidth;
    d.height = kCompositeHeight;
    auto button = [&](std::string_view key, Rect r, Look look, Icon icon = Icon::None,
                      Page page = Page::None) -> Control& {
        Control c = Button(key, r, look);
        c.icon = icon;
        c.page = page;
        c.states = kDisableIsDisabled;
        d.controls.push_back(c);
        return d.controls.back();
    };
    auto plain = [&](std::string_view key, Rect r) { d.controls.push_back(Plain(key, r)); };

    Control& title = button(skin::CONTROL_TITLE, Rect{14, 8, 250, 30}, Look::Title);
    title.states = kSameInAll;

    // The sidebar: each page button with its prompts below it; the prompts stay visible.
    const int sx = kCompositeSidebar.x + 8;
    const int sw = kCompositeSidebar.w - 16;
    const int px = sx + 6;
    const int pw = sw - 6;
    int y = kCompositeSidebar.y + 8;
    auto tab = [&](std::string_view key, Icon icon) {
        Control& c = button(key, Rect{sx, y, sw, 30}, Look::Tab, icon);
        c.states = {FaceState::Normal, FaceState::Hover, FaceState::Selected, FaceState::Disabled};
        y += 32;
    };
    tab(skin::CONTROL_KEY, Icon::Keyboard);
    plain(skin::KEY_SETTING, Rect{px, y, pw, 16});
    plain(skin::TISHI_SINGLE_STATIC, Rect{px, y + 16, pw, 16});
    y += 40;
    tab(skin::CONTROL_MACRO, Icon::Macro);
    plain(skin::MARCO_NAME_SETTING, Rect{px, y, pw, 16});
    y += 24;
    tab(skin::CONTROL_MEDIA, Icon::Media);
    plain(skin::MEDIA_SETTING_TISHI, Rect{px, y, pw, 16});
    y += 24;
    tab(skin::CONTROL_FUNCTION, Icon::Function);
    plain(skin::FUNCTION_KEY_SETTING_TISHI, Rect{px, y, pw, 16});
    const int toolY = kCompositeSidebar.bottom() - 8 - 30;
    button(skin::CONTROL_CLEAR, Rect{sx, toolY, 36, 30}, Look::IconButton, Icon::Restore);
    Control& osk =
        button(skin::CONTROL_OSK, Rect{sx + 42, toolY, 36, 30}, Look::IconButton, Icon::Keyboard);
    osk.inBackground = false;  // hidden when no on-screen keyboard is installed

    // The page area: the mask control shows the page's picture set.
    Control mask = Button(skin::CONTROL_MASK, kCompositePage, Look::Blank);
    d.controls.push_back(mask);

    // Single-key page.
    plain(skin::FUNC_KEY_INPUT, Rect{kCompositePage.x + 50, kCompositePage.y + 138, 300, 36});

    // Macro page.
    const int mx = kCompositePage.x + 12;
    const int my = kCompositePage.y + 12;
    plain(skin::FUNC_MACRO_LIST, Rect{mx, my, 252, 26});
    button(skin::FUNC_MACRO_ADD, Rect{mx + 258, my, 30, 26}, Look::IconButton, Icon::Plus,
           Page::Macro);
    button(skin::FUNC_MACRO_DELETE, Rect{mx + 292, my, 30, 26}, Look::IconButton, Icon::Minus,
           Page::Macro);
    plain(skin::FUNC_MACRO_LIST2, Rect{mx, my + 36, 252, 252});
    const int ax = mx + 264;
    button(skin::FUNC_MACRO_RECORD, Rect{ax, my + 36, 112, 30}, Look::Button, Icon::Record,
           Page::Macro);
    const std::array<std::pair<std::string_view, Icon>, 4> moves = {{
        {skin::FUNC_MACRO_UP_TOP, Icon::Top},
        {skin::FUNC_MACRO_UP, Icon::Up},
        {skin::FUNC_MACRO_DOWN, Icon::Down},
        {skin::FUNC_MACRO_DOWN_BOTTOM, Icon::Bottom},
    }};
    for (std::size_t i = 0; i < moves.size(); ++i) {
        button(moves[i].first, Rect{ax + static_cast<int>(i) * 29, my + 74, 26, 26},
               Look::IconButton, moves[i].second, Page::Macro);
    }
    button(skin::FUNC_MACRO_DELETE2, Rect{ax, my + 106, 26, 26}, Look::IconButton, Icon::Cross,
           Page::Macro);
    button(skin::FUNC_MACRO_CLEAR, Rect{ax + 29, my + 106, 26, 26}, Look::IconButton, Icon::Trash,
           Page::Macro);
    plain(skin::FUNC_MACRO_CYCLES_PROMPT, Rect{ax, my + 144, 66, 24});
    plain(skin::FUNC_MACRO_CYCLES, Rect{ax + 68, my + 144, 44, 24});
    plain(skin::FUNC_MACRO_RECORD_DELAY, Rect{ax, my + 176, 18, 24});
    plain(skin::FUNC_MACRO_RECORD_DELAY2, Rect{ax + 20, my + 176, 96, 24});

    // Media and function pages.
    plain(skin::FUNC_MEDIA_SELECT, Rect{mx, my, 376, 288});
    plain(skin::FUNC_FUNCTION_SELECT, Rect{mx, my, 376, 288});

    // The bottom row.
    const int by = kCompositeHeight - 40;
    plain(skin::MACRO_METER, Rect{20, by + 2, 300, 28});
    button(skin::CONTROL2_APPLY, Rect{356, by, 84, 32}, Look::Button);
    button(skin::CONTROL_OK, Rect{448, by, 84, 32}, Look::Button);
    button(skin::CONTROL_CANCEL, Rect{540, by, 84, 32}, Look::Button);
    return d;
}

std::vector<PictureSet> CompositeSets() {
    return {
        {"key", Page::Key, false},           {"macro", Page::Macro, true},
        {"macro2", Page::Key, true},         {"media", Page::Media, false},
        {"function", Page::Function, false},
    };
}

// ---- The profile manager ------------------------------------------------------------------

DialogSpec ProfileDialog() {
    DialogSpec d;
    d.layoutFile = "Profile.ini";
    d.background = "profile_bg.jpg";
    d.mask = "profile_mask.png";
    d.width = kProfileWidth;
    d.height = kProfileHeight;
    // The pressed picture is also the disabled one, so it reads as sunk and inactive.
    const std::array<FaceState, 4> states = {FaceState::Normal, FaceState::Hover,
                                             FaceState::Pressed, FaceState::Pressed};
    auto button = [&](std::string_view key, Rect r, Icon icon, const char* english,
                      const char* chinese) {
        Control c = Button(key, r, Look::LabelButton);
        c.icon = icon;
        c.legend = english;
        c.legend2 = chinese;
        c.states = states;
        d.controls.push_back(c);
    };
    d.controls.push_back(Plain(skin::PROGRAM_LIST, Rect{16, 52, 432, 244}));
    button(skin::FUNC_ADD, Rect{460, 52, 84, 40}, Icon::NewFile, "New", "\u65B0\u5EFA");
    button(skin::FUNC_LOAD, Rect{460, 98, 84, 40}, Icon::Folder, "Load", "\u8F7D\u5165");
    button(skin::FUNC_DELETE, Rect{460, 144, 84, 40}, Icon::Trash, "Delete", "\u5220\u9664");
    const int by = kProfileHeight - 48;
    button(skin::CONTROL2_APPLY, Rect{208, by, 108, 34}, Icon::Apply, "Apply", "\u5E94\u7528");
    button(skin::CONTROL_OK, Rect{322, by, 108, 34}, Icon::Check, "OK", "\u786E\u5B9A");
    button(skin::CONTROL_CANCEL, Rect{436, by, 108, 34}, Icon::Cross, "Cancel", "\u53D6\u6D88");
    return d;
}

// ---- Texts --------------------------------------------------------------------------------

std::vector<NamePair> ControlNames() {
    return {
        {skin::kLabelDeng, "\u706F\u5149", "Lighting"},
        {skin::kLabelLight, "\u4EAE\u5EA6", "Brightness"},
        {skin::kLabelSpeed, "\u901F\u5EA6", "Speed"},
        {skin::kLabelFx, "\u65B9\u5411", "Direction"},
        {skin::kLabelColor, "\u989C\u8272", "Colour"},
        {skin::kLabelDc, "\u591A\u5F69", "Multicolour"},
        {skin::kLabelTool, "\u5DE5\u5177", "Tool"},
        {skin::kLabelUsb, "\u56DE\u62A5\u7387", "Report rate"},
    };
}

std::vector<NamePair> ModeNames() {
    return {
        {"1", "\u6CE2\u6D6A", "Wave"},
        {"2", "\u6D41\u5149", "Colour flow"},
        {"3", "\u547C\u5438", "Breathing"},
        {"4", "\u5E38\u4EAE", "Static colour"},
        {"5", "\u5355\u8272\u547C\u5438", "Colour breathing"},
        {"6", "\u8109\u51B2", "Pulse"},
        {"7", "\u626B\u63CF", "Sweep"},
        {"8", "\u81EA\u5B9A\u4E49\u533A\u57DF", "Custom zones"},
        {"9", "\u6309\u952E\u70B9\u4EAE", "Keystroke glow"},
        {"10", "\u95EA\u70C1", "Twinkle"},
        {"11", "\u5149\u8C31\u5FAA\u73AF", "Spectrum cycle"},
        {"12", "\u96E8\u6EF4", "Rain"},
        {"13", "\u661F\u5149", "Starlight"},
        {"14", "\u4F59\u6656", "Afterglow"},
        {"15", "\u5FC3\u8DF3", "Heartbeat"},
        {"16", "\u6309\u952E\u53D8\u8272", "Reactive colour"},
        {"17", "\u56DB\u8272", "Four colours"},
        {"18", "\u6D9F\u6F2A", "Ripple"},
    };
}

}  // namespace qf::skingen
