// The key tables checked against facts known apart from them: set-1 make codes, HID keyboard
// and consumer usages, Windows virtual-key codes, and the order of the action list.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "keys/key_codes.h"
#include "keys/key_names.h"
#include "keys/key_tables.h"
#include "text/language_keys.h"

namespace qf::keys::test {
namespace {

// The scan code of the (first) row that carries `name`, or 0.
ScanCode ScanOfName(std::string_view name) {
    for (unsigned i = 0; i < kKeyTableSize; ++i) {
        if (kKeyTable[i].name == name) {
            return KeyIndexToScan(i);
        }
    }
    return 0;
}

DeviceUsage KeyboardUsage(unsigned usage) {
    return {kPageKeyboard, static_cast<std::uint16_t>(usage)};
}

// --- known keys: set-1 code, HID keyboard usage, virtual key ---------------------------------

struct KnownKey {
    const char* name;
    ScanCode scan;       // set-1 make code, 0x100 for the E0 prefix
    std::uint8_t usage;  // HID keyboard page
    std::uint8_t vk;     // Windows virtual key
};

class KnownKeyTest : public ::testing::TestWithParam<KnownKey> {};

TEST_P(KnownKeyTest, RowMatchesIndependentCodes) {
    const KnownKey& k = GetParam();
    const KeyRow& row = KeyRowOf(k.scan);
    EXPECT_EQ(row.name, k.name);
    EXPECT_EQ(row.vk, k.vk);
    EXPECT_EQ(ScanToDeviceUsage(k.scan), (DeviceUsage{kPageKeyboard, k.usage}));
    EXPECT_EQ(ScanOfName(k.name), k.scan);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KnownKeyTest,
    ::testing::Values(
        KnownKey{"Esc", 0x001, 0x29, 0x1B}, KnownKey{"Enter", 0x01C, 0x28, 0x0D},
        KnownKey{"Backspace", 0x00E, 0x2A, 0x08}, KnownKey{"Tab", 0x00F, 0x2B, 0x09},
        KnownKey{"Space", 0x039, 0x2C, 0x20}, KnownKey{"Caps Lock", 0x03A, 0x39, 0x14},
        KnownKey{"-", 0x00C, 0x2D, 0xBD}, KnownKey{"=", 0x00D, 0x2E, 0xBB},
        KnownKey{"[", 0x01A, 0x2F, 0xDB}, KnownKey{"]", 0x01B, 0x30, 0xDD},
        KnownKey{"\\", 0x02B, 0x31, 0xDC}, KnownKey{";", 0x027, 0x33, 0xBA},
        KnownKey{"'", 0x028, 0x34, 0xDE}, KnownKey{"`", 0x029, 0x35, 0xC0},
        KnownKey{",", 0x033, 0x36, 0xBC}, KnownKey{".", 0x034, 0x37, 0xBE},
        KnownKey{"/", 0x035, 0x38, 0xBF}, KnownKey{"F11", 0x057, 0x44, 0x7A},
        KnownKey{"F12", 0x058, 0x45, 0x7B}, KnownKey{"Print Screen", 0x137, 0x46, 0x2C},
        KnownKey{"Scroll Lock", 0x046, 0x47, 0x91}, KnownKey{"Pause", 0x045, 0x48, 0x13},
        KnownKey{"Insert", 0x152, 0x49, 0x2D}, KnownKey{"Home", 0x147, 0x4A, 0x24},
        KnownKey{"Page Up", 0x149, 0x4B, 0x21}, KnownKey{"Delete", 0x153, 0x4C, 0x2E},
        KnownKey{"End", 0x14F, 0x4D, 0x23}, KnownKey{"Page Down", 0x151, 0x4E, 0x22},
        KnownKey{"\u2192", 0x14D, 0x4F, 0x27}, KnownKey{"\u2190", 0x14B, 0x50, 0x25},
        KnownKey{"\u2193", 0x150, 0x51, 0x28}, KnownKey{"\u2191", 0x148, 0x52, 0x26},
        KnownKey{"Num Lock", 0x145, 0x53, 0x90}, KnownKey{"Num /", 0x135, 0x54, 0x6F},
        KnownKey{"Num *", 0x037, 0x55, 0x6A}, KnownKey{"Num -", 0x04A, 0x56, 0x6D},
        KnownKey{"Num +", 0x04E, 0x57, 0x6B}, KnownKey{"Num Enter", 0x11C, 0x58, 0x0D},
        KnownKey{"Num .", 0x053, 0x63, 0x6E}, KnownKey{"K45", 0x056, 0x64, 0xE2},
        KnownKey{"App", 0x15D, 0x65, 0x5D}, KnownKey{"Ctrl", 0x01D, 0xE0, 0xA2},
        KnownKey{"Shift", 0x02A, 0xE1, 0xA0}, KnownKey{"Alt", 0x038, 0xE2, 0xA4},
        KnownKey{"Win", 0x15B, 0xE3, 0x5B}, KnownKey{"Right Ctrl", 0x11D, 0xE4, 0xA3},
        KnownKey{"Right Shift", 0x036, 0xE5, 0xA1}, KnownKey{"Right Alt", 0x138, 0xE6, 0xA5},
        KnownKey{"Right Win", 0x15C, 0xE7, 0x5C}));

// Letters: HID usages run 0x04.. from A, virtual keys are the ASCII capitals, action codes
// run 0.. from A; the set-1 codes follow the keyboard rows.
TEST(KeyTableTest, LettersFollowTheirAlphabeticOrder) {
    const std::string qwerty = "QWERTYUIOP";
    const std::string asdf = "ASDFGHJKL";
    const std::string zxcv = "ZXCVBNM";
    for (char c = 'A'; c <= 'Z'; ++c) {
        SCOPED_TRACE(std::string(1, c));
        const ScanCode scan = ScanOfName(std::string(1, c));
        ASSERT_NE(scan, 0);
        if (auto p = qwerty.find(c); p != std::string::npos) {
            EXPECT_EQ(scan, 0x10 + p);
        } else if (p = asdf.find(c); p != std::string::npos) {
            EXPECT_EQ(scan, 0x1E + p);
        } else {
            EXPECT_EQ(scan, 0x2C + zxcv.find(c));
        }
        const unsigned ordinal = static_cast<unsigned>(c - 'A');
        EXPECT_EQ(ScanToDeviceUsage(scan), KeyboardUsage(0x04 + ordinal));
        EXPECT_EQ(KeyRowOf(scan).vk, static_cast<std::uint8_t>(c));
        EXPECT_EQ(ScanToActionKeyCode(scan), ordinal);
        EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[static_cast<std::uint8_t>(c)]), scan);
    }
}

// Digits 1..9, 0: set-1 codes 0x02..0x0B, HID usages 0x1E..0x27, virtual keys '1'..'0'.
TEST(KeyTableTest, DigitRow) {
    const std::string digits = "1234567890";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const ScanCode scan = static_cast<ScanCode>(0x02 + i);
        EXPECT_EQ(KeyRowOf(scan).name, digits.substr(i, 1));
        EXPECT_EQ(KeyRowOf(scan).vk, static_cast<std::uint8_t>(digits[i]));
        EXPECT_EQ(ScanToDeviceUsage(scan).usage, 0x1E + i);
        EXPECT_EQ(ScanToActionKeyCode(scan), 0x1A + i);
    }
}

// F1..F12: virtual keys 0x70.., HID usages 0x3A.., action codes 0x34..; set-1 codes 0x3B..0x44
// then 0x57, 0x58.
TEST(KeyTableTest, FunctionKeys) {
    for (unsigned n = 1; n <= 12; ++n) {
        const ScanCode scan = static_cast<ScanCode>(n <= 10 ? 0x3A + n : 0x57 + (n - 11));
        EXPECT_EQ(KeyRowOf(scan).name, "F" + std::to_string(n));
        EXPECT_EQ(KeyRowOf(scan).vk, 0x6F + n);
        EXPECT_EQ(ScanToDeviceUsage(scan).usage, 0x39 + n);
        EXPECT_EQ(ScanToActionKeyCode(scan), 0x33 + n);
    }
}

// Keypad digits: set-1 codes from the numeric pad layout, HID usages 0x59 (Num 1) .. 0x62
// (Num 0), VK_NUMPAD0.. = 0x60.., and the navigation key each shares with Num Lock off.
TEST(KeyTableTest, KeypadDigits) {
    struct Pad {
        int digit;
        ScanCode scan;
        std::uint8_t navVk;
    };
    const Pad pads[] = {{7, 0x47, 0x24}, {8, 0x48, 0x26}, {9, 0x49, 0x21}, {4, 0x4B, 0x25},
                        {5, 0x4C, 0x0C}, {6, 0x4D, 0x27}, {1, 0x4F, 0x23}, {2, 0x50, 0x28},
                        {3, 0x51, 0x22}, {0, 0x52, 0x2D}};
    for (const Pad& p : pads) {
        const KeyRow& row = KeyRowOf(p.scan);
        EXPECT_EQ(row.name, "Num " + std::to_string(p.digit));
        EXPECT_EQ(row.vk, 0x60 + p.digit);
        EXPECT_EQ(row.altVk, p.navVk);
        EXPECT_EQ(ScanToDeviceUsage(p.scan).usage, p.digit == 0 ? 0x62 : 0x58 + p.digit);
    }
}

// Media keys: consumer usage, set-1 E0 code, virtual key and name language key.
struct KnownMedia {
    std::uint16_t usage;
    ScanCode scan;
    std::uint8_t vk;
    const char* textKey;
};

class KnownMediaTest : public ::testing::TestWithParam<KnownMedia> {};

TEST_P(KnownMediaTest, MediaKeyIsConsistentEverywhere) {
    const KnownMedia& m = GetParam();
    EXPECT_EQ(ScanToDeviceUsage(m.scan), (DeviceUsage{kPageConsumer, m.usage}));
    EXPECT_EQ(DeviceUsageToScan(kPageConsumer, m.usage), m.scan);
    EXPECT_EQ(KeyRowOf(m.scan).vk, m.vk);
    EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[m.vk]), m.scan);
    const auto index = MediaIndexOfUsage(m.usage);
    ASSERT_TRUE(index.has_value());
    EXPECT_EQ(kMediaKeyList[*index], m.scan);
    EXPECT_EQ(text::TextKey(text::kMediaTextIds[*index]).key, m.textKey);
    // The language key ends in the media function's number, index + 1.
    const std::string key = m.textKey;
    EXPECT_EQ(std::stoul(key.substr(key.rfind('_') + 1)), *index + 1);
}

INSTANTIATE_TEST_SUITE_P(Media, KnownMediaTest,
                         ::testing::Values(KnownMedia{0x0183, 0x16D, 0xB5, "MEDIA_PALYER_1"},
                                           KnownMedia{0x00CD, 0x122, 0xB3, "MEDIA_PALY_PAUSE_2"},
                                           KnownMedia{0x00B7, 0x124, 0xB2, "MEDIA_STOP_PALY_3"},
                                           KnownMedia{0x00B6, 0x110, 0xB1, "MEDIA_PREV_TRACK_4"},
                                           KnownMedia{0x00B5, 0x119, 0xB0, "MEDIA_Next_TRACK_5"},
                                           KnownMedia{0x00EA, 0x12E, 0xAE, "MEDIA_V_LOW_6"},
                                           KnownMedia{0x00E9, 0x130, 0xAF, "MEDIA_V_ADD_7"},
                                           KnownMedia{0x00E2, 0x120, 0xAD, "MEDIA_MUTE_8"},
                                           KnownMedia{0x0223, 0x132, 0xAC, "MEDIA_WWW_HOME_9"},
                                           KnownMedia{0x0227, 0x167, 0xA8, "MEDIA_WWW_REFRESH_10"},
                                           KnownMedia{0x0226, 0x168, 0xA9, "MEDIA_WWW_STOP_11"},
                                           KnownMedia{0x0224, 0x16A, 0xA6, "MEDIA_WWW_BACK_12"},
                                           KnownMedia{0x0225, 0x169, 0xA7, "MEDIA_WWW_FORWARD_13"},
                                           KnownMedia{0x022A, 0x166, 0xAB, "MEDIA_WWW_FAVORITE_14"},
                                           KnownMedia{0x0221, 0x165, 0xAA, "MEDIA_WWW_SEARCH_15"},
                                           KnownMedia{0x0194, 0x16B, 0xB6, "MEDIA_MY_PC_16"},
                                           KnownMedia{0x0192, 0x121, 0xB7, "MEDIA_CALC_17"},
                                           KnownMedia{0x018A, 0x16C, 0xB4, "MEDIA_MAIL_18"}));

TEST(KeyTableTest, MediaListsAreEighteenDistinctMediaRows) {
    std::set<ScanCode> scans(kMediaKeyList.begin(), kMediaKeyList.end());
    std::set<std::uint16_t> usages(kMediaUsageList.begin(), kMediaUsageList.end());
    EXPECT_EQ(scans.size(), kMediaCount);
    EXPECT_EQ(usages.size(), kMediaCount);
    int mediaRows = 0;
    for (const KeyRow& row : kKeyTable) {
        mediaRows += row.isMedia() ? 1 : 0;
    }
    EXPECT_EQ(mediaRows, 18);
}

// The system-control keys: generic-desktop usages 0x81 power, 0x82 sleep, 0x83 wake.
TEST(KeyTableTest, SystemControlKeys) {
    EXPECT_EQ(ScanToDeviceUsage(0x15E), (DeviceUsage{kPageSystemControl, 0x81}));
    EXPECT_EQ(ScanToDeviceUsage(0x15F), (DeviceUsage{kPageSystemControl, 0x82}));
    EXPECT_EQ(ScanToDeviceUsage(0x163), (DeviceUsage{kPageSystemControl, 0x83}));
    EXPECT_EQ(KeyRowOf(0x15E).name, "Power");
    EXPECT_EQ(KeyRowOf(0x163).name, "Wake");
}

// The modifier byte's bits follow the HID modifier usages E0 (left Ctrl) .. E7 (right GUI).
TEST(KeyTableTest, ModifierBitsFollowHidModifierUsages) {
    for (unsigned bit = 0; bit < 8; ++bit) {
        const ScanCode scan = ModifierBitsToScan(static_cast<std::uint8_t>(1u << bit));
        EXPECT_EQ(ScanToDeviceUsage(scan), KeyboardUsage(0xE0 + bit));
        EXPECT_EQ(ScanToModifierBit(scan), 1u << bit);
    }
}

// The action list's order of names, written out as the key column of the editor offers it.
TEST(ActionKeyTest, CodesFollowTheActionListOrder) {
    std::vector<std::string> names;
    for (char c = 'A'; c <= 'Z'; ++c) {
        names.emplace_back(1, c);
    }
    for (const char* d : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"}) {
        names.emplace_back(d);
    }
    for (const char* n : {"Enter", "Esc", "Backspace", "Tab", "Space", "-", "=", "[", "]", "\\",
                          ";", "'", "`", ",", ".", "/"}) {
        names.emplace_back(n);
    }
    for (int f = 1; f <= 12; ++f) {
        names.push_back("F" + std::to_string(f));
    }
    for (const char* n :
         {"Print Screen", "Pause",     "Break",  "Insert", "Delete", "Home",   "End",
          "Page Up",      "Page Down", "\u2191", "\u2193", "\u2190", "\u2192", "Scroll Lock",
          "Caps Lock",    "Num Lock",  "Num /",  "Num *",  "Num -",  "Num +",  "Num Enter"}) {
        names.emplace_back(n);
    }
    for (int d = 1; d <= 9; ++d) {
        names.push_back("Num " + std::to_string(d));
    }
    for (const char* n : {"Num 0", "Num .", "K45", "App", "Ctrl", "Shift", "Alt", "Win",
                          "Right Ctrl", "Right Shift", "Right Alt", "Right Win"}) {
        names.emplace_back(n);
    }
    ASSERT_EQ(names.size(), kActionKeyCodeCount);

    const KeyTexts texts = BuiltinKeyTexts();
    for (std::uint16_t code = 0; code < kActionKeyCodeCount; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ActionKeyName(code, texts), names[code]);
        const ScanCode scan = ActionKeyCodeToScan(code);
        EXPECT_NE(scan, 0);
        EXPECT_EQ(ScanToActionKeyCode(scan), code);
    }
    EXPECT_EQ(ActionKeyName(kActionKeyCodeCount, texts), "");
    EXPECT_EQ(ActionKeyCodeToScan(kActionKeyCodeCount), 0);
}

// The duplicate "Right Shift" rows: every search finds the first (0x036).
TEST(ActionKeyTest, DuplicateRowsFindTheFirst) {
    const KeyTexts texts = BuiltinKeyTexts();
    EXPECT_EQ(ActionKeyName(0x67, texts), "Right Shift");
    EXPECT_EQ(ActionKeyCodeToScan(0x67), 0x036);
    EXPECT_EQ(ScanToActionKeyCode(0x136), 0x67);
    EXPECT_EQ(ActionKeyName(0x8024, texts), texts.media[3]);
    EXPECT_EQ(ActionKeyCodeToScan(0x8024), 0x110);
}

// The keyboard view's keys are exactly the action list's keys without Break, each once, each
// reported by the keyboard on the keyboard page.
TEST(SingleKeyListTest, HoldsTheActionKeysButBreak) {
    std::set<std::uint16_t> codes;
    for (const ScanCode scan : kSingleKeyList) {
        SCOPED_TRACE(scan);
        EXPECT_FALSE(KeyRowOf(scan).name.empty());
        EXPECT_EQ(ScanToDeviceUsage(scan).page, kPageKeyboard);
        codes.insert(ScanToActionKeyCode(scan));
    }
    EXPECT_EQ(codes.size(), kSingleKeyCount);
    EXPECT_EQ(codes.count(0x42), 0u);  // Break
    EXPECT_EQ(*codes.begin(), 0);
    EXPECT_EQ(*codes.rbegin(), kActionKeyCodeCount - 1);
}

TEST(SingleKeyListTest, StartsWithTheAlphabetAndEndsWithK45) {
    for (std::size_t i = 0; i < 26; ++i) {
        EXPECT_EQ(KeyRowOf(kSingleKeyList[i]).name, std::string(1, static_cast<char>('A' + i)));
    }
    EXPECT_EQ(kSingleKeyList.back(), 0x056);
}

// Virtual keys: every listed virtual key leads to a row that knows it, apart from the generic
// modifiers, the keypad navigation pair 8B/8C and two keys without rows (9C, 9D).
TEST(VirtualKeyTableTest, RowsKnowTheirVirtualKeys) {
    for (unsigned vk = 0; vk < kVirtualKeyTableSize; ++vk) {
        const unsigned index = kVirtualKeyTable[vk];
        if (index == 0) {
            continue;
        }
        const KeyRow& row = KeyRowAt(index);
        const bool generic = vk == 0x10 || vk == 0x11 || vk == 0x12;
        const bool special = vk == 0x8B || vk == 0x8C || vk == 0x9C || vk == 0x9D;
        if (!generic && !special) {
            EXPECT_EQ(row.vk, vk) << std::hex << vk;
        }
    }
    EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[0x10]), 0x02A);
    EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[0x11]), 0x01D);
    EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[0x12]), 0x038);
    EXPECT_EQ(KeyIndexToScan(kVirtualKeyTable[0x9C]), 0x154);
    EXPECT_EQ(kVirtualKeyTable[0x0A], 0);
}

TEST(ConsumerCodeTableTest, DeviceCodesPickConsumerEntries) {
    // Volume up is device code 0xC0, the first entry.
    EXPECT_EQ(KeyRowOf(0x130).deviceCode, 0xC0);
    EXPECT_EQ(kConsumerCodeTable[0], 0x00E9);
    for (std::size_t n = 18; n < kConsumerCodeCount; ++n) {
        EXPECT_EQ(kConsumerCodeTable[n], 0);
    }
}

}  // namespace
}  // namespace qf::keys::test
