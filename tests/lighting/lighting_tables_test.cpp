// The fixed lighting tables, checked against facts stated apart from them: the keyboard view's
// key list and the key table's names, the panel's visibility rules and the default block's
// meaning.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "keys/key_codes.h"
#include "keys/key_tables.h"
#include "lighting/key_zones.h"
#include "lighting/lighting_state.h"
#include "lighting/modes.h"
#include "text/ini_file.h"

namespace qf::lighting {
namespace {

// ---- Zones -----------------------------------------------------------------------------------

constexpr keys::ScanCode kRightWin = 0x15C;

TEST(KeyZonesTest, EveryKeyOfTheViewButRightWinIsInExactlyOneZone) {
    std::map<std::uint16_t, int> seen;  // scan code -> zone
    for (int zone = kFirstZone; zone <= kLastZone; ++zone) {
        for (const KeyButtonId& b : ButtonsOfZone(zone)) {
            EXPECT_EQ(ZoneOf(b), zone);
            if (b.kind == KeyButtonId::Kind::Key) {
                EXPECT_TRUE(seen.emplace(b.value, zone).second) << "twice: " << b.value;
            }
        }
    }
    const std::set<keys::ScanCode> viewKeys(keys::kSingleKeyList.begin(),
                                            keys::kSingleKeyList.end());
    EXPECT_EQ(seen.size(), keys::kSingleKeyCount - 1);
    for (const keys::ScanCode scan : viewKeys) {
        if (scan == kRightWin) {
            EXPECT_EQ(ZoneOf(KeyButtonId::Key(scan)), kNoZone);
        } else {
            EXPECT_EQ(seen.count(scan), 1u) << "missing key " << scan;
        }
    }
    for (const auto& [scan, zone] : seen) {
        EXPECT_EQ(viewKeys.count(scan), 1u) << "not a key of the view: " << scan;
    }
}

TEST(KeyZonesTest, GKeysAndFn) {
    for (int g = 1; g <= 6; ++g) {
        EXPECT_EQ(ZoneOf(KeyButtonId::GKey(g)), 1) << "G" << g;
    }
    for (int g = 7; g <= 9; ++g) {
        EXPECT_EQ(ZoneOf(KeyButtonId::GKey(g)), kNoZone) << "G" << g;
    }
    EXPECT_EQ(ZoneOf(KeyButtonId::Fn()), 4);
    EXPECT_EQ(ZoneOf(KeyButtonId::GKey(0)), kNoZone);
    EXPECT_EQ(ZoneOf(KeyButtonId::Key(keys::kNoKey)), kNoZone);
    EXPECT_TRUE(ButtonsOfZone(0).empty());
    EXPECT_TRUE(ButtonsOfZone(7).empty());
}

// The first key of the view whose key-table name is `name` (main block before the keypad).
keys::ScanCode ViewKeyNamed(std::string_view name) {
    for (const keys::ScanCode scan : keys::kSingleKeyList) {
        if (keys::KeyRowOf(scan).name == name) {
            return scan;
        }
    }
    return keys::kNoKey;
}

struct ZoneNames {
    int zone;
    std::vector<std::string_view> names;
};

class ZoneByNameTest : public ::testing::TestWithParam<ZoneNames> {};

TEST_P(ZoneByNameTest, KeysNamedInTheKeyTableLieInTheirZone) {
    for (std::string_view name : GetParam().names) {
        const keys::ScanCode scan = ViewKeyNamed(name);
        ASSERT_NE(scan, keys::kNoKey) << name;
        EXPECT_EQ(ZoneOf(KeyButtonId::Key(scan)), GetParam().zone) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lighting, ZoneByNameTest,
    ::testing::Values(ZoneNames{1, {"Esc", "`", "Tab", "1", "Q", "A", "K45"}},
                      ZoneNames{2, {"F1", "F2", "F3", "F4", "2", "3", "4", "5", "W", "E",
                                    "R",  "T",  "S",  "D",  "F", "G", "Z", "X", "C", "V"}},
                      ZoneNames{3,
                                {"F5", "F6", "F7", "6", "7", "8", "Y", "U", "I", "H", "J", "K", "B",
                                 "N", "M", "Space"}},
                      ZoneNames{4,
                                {"F8", "F9", "F10", "O", "P", "[", "L", ";", "'", "0", "9", "-",
                                 ",", ".", "/"}},
                      ZoneNames{5, {"F11", "F12", "=", "Backspace", "]", "Enter", "\\"}}));

// ---- Modes -----------------------------------------------------------------------------------

std::set<int> ModesWhere(bool (*pred)(const ModeParameters&)) {
    std::set<int> codes;
    for (int code = 0; code <= 20; ++code) {
        if (pred(ParametersOfMode(code))) {
            codes.insert(code);
        }
    }
    return codes;
}

// The panel shows each group of controls for these modes.
TEST(ModeTableTest, AgreesWithThePanelsVisibilityRules) {
    EXPECT_EQ(ModesWhere([](const ModeParameters& m) { return m.speed; }),
              (std::set<int>{1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(
        ModesWhere([](const ModeParameters& m) { return m.direction != DirectionKind::None; }),
        (std::set<int>{1, 2, 7, 12, 18}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& m) { return m.colour == ColourPlace::First; }),
              (std::set<int>{4, 5, 6, 9, 10, 13, 14, 15}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& m) { return m.colour == ColourPlace::Second; }),
              (std::set<int>{16}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& m) { return m.fourColourChoice; }),
              (std::set<int>{17}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& m) { return m.zoneColours; }),
              (std::set<int>{kZoneColourMode}));
}

TEST(ModeTableTest, DirectionPictureKinds) {
    EXPECT_EQ(ParametersOfMode(12).direction, DirectionKind::UpDown);
    EXPECT_EQ(ParametersOfMode(18).direction, DirectionKind::Pictures);
    EXPECT_FALSE(ParametersOfMode(0).known());
    EXPECT_FALSE(ParametersOfMode(19).known());
    EXPECT_TRUE(ParametersOfMode(18).known());
}

class ModeNameTest : public ::testing::Test {
protected:
    text::IniDocument layout = text::IniDocument::Parse(
        "[BUTTONINFO]\nKEY_01C=1,2,3,4\n[Mode]\n1=Wave\n8=Zones\n[Mode1]\n1=Welle\n");
    std::vector<ModeEntry> entries{{0, 1}, {1, 8}, {2, 12}};
};

TEST_F(ModeNameTest, Language0ReadsSectionMode) {
    EXPECT_EQ(ModeDisplayNames(entries, layout, 0),
              (std::vector<std::string>{"Wave", "Zones", "1"}));
}

TEST_F(ModeNameTest, Language1ReadsSectionMode1) {
    EXPECT_EQ(ModeDisplayNames(entries, layout, 1), (std::vector<std::string>{"Welle", "1", "1"}));
}

TEST_F(ModeNameTest, OtherLanguagesGiveEmptyNames) {
    for (int language : {2, -1, 100}) {
        EXPECT_EQ(ModeDisplayNames(entries, layout, language),
                  (std::vector<std::string>{"", "", ""}));
    }
}

// ---- Records ---------------------------------------------------------------------------------

TEST(LightingRecordTest, TheDefaultBlockDecodesAsMode1Brightness4Speed1RedMulticolour) {
    LightingState s;
    std::copy(kDefaultLightingBlock.begin(), kDefaultLightingBlock.end(),
              s.records[0].bytes.begin());
    s.DecodeCurrentRecord();
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.brightness, 4);
    EXPECT_EQ(s.speed, 1);
    EXPECT_EQ(s.direction, 0);
    EXPECT_TRUE(s.multicolour);
    EXPECT_EQ(s.colour, kRed);
    EXPECT_EQ(s.reportRate, 3);  // the block writes 255
}

}  // namespace
}  // namespace qf::lighting
