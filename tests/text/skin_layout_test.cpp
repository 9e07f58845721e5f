#include "text/skin_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace qf::text {
namespace {

// ---- Records --------------------------------------------------------------------------------

struct RecordCase {
    const char* value;
    bool usable;
    SkinRect rect;  // when usable
};

class SkinRecordParse : public ::testing::TestWithParam<RecordCase> {};

TEST_P(SkinRecordParse, ScansFourIntegersOrNothing) {
    SkinRect rect{7, 7, 7, 7};
    EXPECT_EQ(ParseSkinRect(GetParam().value, rect), GetParam().usable) << GetParam().value;
    EXPECT_EQ(rect, GetParam().usable ? GetParam().rect : (SkinRect{7, 7, 7, 7}));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SkinRecordParse,
    ::testing::Values(RecordCase{"10,20,30,40", true, {10, 20, 30, 40}},
                      RecordCase{" 10, 20,\t30, 40", true, {10, 20, 30, 40}},
                      RecordCase{"1,1,1,1,x", true, {1, 1, 1, 1}},
                      RecordCase{"5,6,7,8 trailing words", true, {5, 6, 7, 8}},
                      RecordCase{"-5,+6,7,8", true, {-5, 6, 7, 8}},
                      RecordCase{"10,20,30", false, {}}, RecordCase{"10,20,30,", false, {}},
                      RecordCase{"", false, {}}, RecordCase{"10 ,20,30,40", false, {}},
                      RecordCase{"a,b,c,d", false, {}}, RecordCase{"10;20;30;40", false, {}},
                      RecordCase{"10,20,-30,40", false, {}},
                      RecordCase{"10,20,30,99999999999", false, {}}, RecordCase{"-", false, {}}));

constexpr std::string_view kMainIni =
    "[SCREEN]\n"
    "Main=main.jpg\n"
    "[BUTTONINFO]\n"
    "CONTROL_OK=10,20,30,40\n"
    "CONTROL_MENU=1,1,80,24\n"
    "CONTROL_CLOSE=10,20,30\n"
    "CONTROL_MINIMIZE=5,6,7,8\n"
    "KEY_01C=100,50,20,20\n"
    "[buttoninfo2]\n"
    "UP_ARROW_LEFT1=3,4,0,0\n"
    "[Mode]\n"
    "1=CN wave\n"
    "[Mode1]\n"
    "1=Wave\n"
    "[Control_Name]\n"
    "Color=CN colour\n"
    "[Control_Name1]\n"
    "Color=Colour\n";

class SkinLayoutTest : public ::testing::Test {
protected:
    IniDocument layout = IniDocument::Parse(kMainIni);
};

TEST_F(SkinLayoutTest, RecordGivesPlaceAndPictureOrigin) {
    const SkinRect ok = ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_OK);
    EXPECT_EQ(ok, (SkinRect{10, 20, 30, 40}));
    EXPECT_EQ(ok.PictureX(), 9);
    EXPECT_EQ(ok.PictureY(), 19);
    EXPECT_FALSE(ok.DisablesButton());
}

TEST_F(SkinLayoutTest, ButtonAtOneOneIsDisabledWhateverItsSize) {
    const SkinRect menu = ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_MENU);
    EXPECT_EQ(menu, (SkinRect{1, 1, 80, 24}));
    EXPECT_TRUE(menu.DisablesButton());
}

TEST_F(SkinLayoutTest, MissingAndShortRecordsReadAsOneOneOneOne) {
    EXPECT_EQ(ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_HELP), kMissingSkinRect);
    EXPECT_EQ(ReadSkinRect(layout, skin::kButtonSection, skin::CONTROL_CLOSE), kMissingSkinRect);
    EXPECT_EQ(ReadSkinRect(IniDocument(), skin::kButtonSection, skin::CONTROL_OK),
              kMissingSkinRect);
    EXPECT_EQ(kMissingSkinRect, (SkinRect{1, 1, 1, 1}));
    EXPECT_TRUE(kMissingSkinRect.DisablesButton());
}

TEST_F(SkinLayoutTest, KeyNamesAreFormedAsTheFilesHaveThem) {
    EXPECT_EQ(SkinKeyForKeyIndex(0x1C), "KEY_01C");
    EXPECT_EQ(SkinKeyForKeyIndex(0xAB), "KEY_0AB");
    EXPECT_EQ(SkinKeyForKeyIndex(0), "KEY_000");
    EXPECT_EQ(SkinKeyForGKey(1), "FUNC_G1");
    EXPECT_EQ(SkinKeyForGKey(9), "FUNC_G9");
    EXPECT_EQ(ArrowPictureKey(skin::UP_ARROW_LEFT, 1), "UP_ARROW_LEFT1");
    EXPECT_EQ(ArrowPictureKey(skin::DOWN_ARROW_RIGHT, 2), "DOWN_ARROW_RIGHT2");
    // The formed keys find their records (sections and keys in any letter case).
    EXPECT_EQ(ReadSkinRect(layout, skin::kButtonSection, SkinKeyForKeyIndex(0x1C)),
              (SkinRect{100, 50, 20, 20}));
    const SkinRect arrow =
        ReadSkinRect(layout, skin::kArrowPictureSection, ArrowPictureKey(skin::UP_ARROW_LEFT, 1));
    EXPECT_EQ(arrow.PictureX(), 2);
    EXPECT_EQ(arrow.PictureY(), 3);
}

TEST_F(SkinLayoutTest, ScreenSectionWithItsDefaults) {
    const SkinScreen screen = ReadSkinScreen(layout);
    EXPECT_EQ(screen.main, "main.jpg");
    EXPECT_EQ(screen.mask, "main.jpg");
    EXPECT_EQ(screen.link, skin::kDefaultLinkTarget);

    const SkinScreen other = ReadSkinScreen(
        IniDocument::Parse("[screen]\nMAIN=a.jpg\nmask=b.jpg\nlink=https://example.org/k\n"));
    EXPECT_EQ(other.main, "a.jpg");
    EXPECT_EQ(other.mask, "b.jpg");
    EXPECT_EQ(other.link, "https://example.org/k");
}

TEST_F(SkinLayoutTest, PicturesResolveAgainstTheLayoutFolder) {
    EXPECT_EQ(SkinPicturePath("/opt/q/Skins", "main.jpg"), "/opt/q/Skins/main.jpg");
    EXPECT_EQ(SkinPicturePath("/opt/q/Skins", "sub\\mask.jpg"), "/opt/q/Skins/sub/mask.jpg");
}

TEST_F(SkinLayoutTest, ModeNamesFollowTheLanguageSetting) {
    EXPECT_EQ(ModeName(layout, 0, 1), "CN wave");
    EXPECT_EQ(ModeName(layout, 1, 1), "Wave");
    EXPECT_EQ(ModeName(layout, 1, 5), "1");  // missing: "1"
    EXPECT_EQ(ModeName(layout, 2, 1), "");
}

TEST_F(SkinLayoutTest, ControlLabelsFollowTheLanguageSetting) {
    EXPECT_EQ(ControlLabel(layout, 0, skin::kLabelColor), "CN colour");
    EXPECT_EQ(ControlLabel(layout, 1, skin::kLabelColor), "Colour");
    EXPECT_EQ(ControlLabel(layout, 1, skin::kLabelDc), "");
    EXPECT_EQ(ControlLabel(layout, 2, skin::kLabelColor), std::nullopt);
}

struct DirectionCase {
    int mode;
    std::string_view label;
};

class DirectionKeys : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(DirectionKeys, ModesPickTheirSetOfKeys) {
    const DirectionControlKeys keys = DirectionKeysForMode(GetParam().mode);
    EXPECT_EQ(keys.label, GetParam().label);
    // The three keys of a set share their ending.
    EXPECT_EQ(keys.left.back(), keys.label.back());
    EXPECT_EQ(keys.right.back(), keys.label.back());
    EXPECT_NE(keys.left, keys.right);
}

INSTANTIATE_TEST_SUITE_P(Modes, DirectionKeys,
                         ::testing::Values(DirectionCase{1, "CONTROL_BLFXStatic2"},
                                           DirectionCase{2, "CONTROL_BLFXStatic2"},
                                           DirectionCase{3, "CONTROL_BLFXStatic2"},
                                           DirectionCase{7, "CONTROL_BLFXStatic2"},
                                           DirectionCase{12, "CONTROL_BLFXStatic3"},
                                           DirectionCase{4, "CONTROL_BLFXStatic"},
                                           DirectionCase{0, "CONTROL_BLFXStatic"},
                                           DirectionCase{18, "CONTROL_BLFXStatic"}));

}  // namespace
}  // namespace qf::text
