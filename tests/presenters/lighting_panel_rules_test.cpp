// The lighting panel's fixed facts against the panel's own tables: which groups each of the 18
// modes shows, which direction pictures and layout keys it uses, and the label texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "presenters/lighting_panel_rules.h"
#include "text/skin_keys.h"
#include "text/skin_layout.h"

namespace qf::presenters {
namespace {

bool In(std::initializer_list<int> codes, int code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// The panel's visibility table, written out as the panel documents it, independently of the
// lighting model's mode parameters it is computed from.
GroupVisibility Expected(int mode) {
    GroupVisibility v{};
    v[static_cast<std::size_t>(PanelGroup::Effect)] = true;
    v[static_cast<std::size_t>(PanelGroup::Speed)] =
        In({1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15}, mode);
    v[static_cast<std::size_t>(PanelGroup::Direction)] = In({1, 2, 7, 12, 18}, mode);
    v[static_cast<std::size_t>(PanelGroup::Colour)] = In({4, 5, 6, 9, 10, 13, 14, 15}, mode);
    v[static_cast<std::size_t>(PanelGroup::SecondColour)] = mode == 16;
    v[static_cast<std::size_t>(PanelGroup::FourColour)] = mode == 17;
    v[static_cast<std::size_t>(PanelGroup::UserColours)] = mode == 8;
    return v;
}

class ModeTableTest : public ::testing::TestWithParam<int> {};

TEST_P(ModeTableTest, GroupsShownWithThePanelOnAndNoneWithItOff) {
    const int mode = GetParam();
    const GroupVisibility on = VisibleGroups(true, mode);
    EXPECT_EQ(on, Expected(mode));
    EXPECT_EQ(VisibleGroups(false, mode), GroupVisibility{});

    // Control by control: the switched ones follow their group, the others always show.
    for (const PanelControl& control : PanelControls()) {
        const std::optional<PanelGroup> group = GroupOfControl(control.id);
        EXPECT_EQ(ControlVisible(on, control.id),
                  !group || Expected(mode)[static_cast<std::size_t>(*group)])
            << control.layoutKey;
        EXPECT_EQ(ControlVisible(GroupVisibility{}, control.id), !group) << control.layoutKey;
    }
    EXPECT_TRUE(ControlVisible(GroupVisibility{}, panel::kReportButtons[2]));
}

TEST_P(ModeTableTest, DirectionPicturesAndLayoutKeys) {
    const int mode = GetParam();
    const DirectionPictures pictures = DirectionPicturesOf(mode);
    if (mode == 12) {
        EXPECT_EQ(PictureFile(pictures.left.Of(false)), "Skins/upup.bmp");
        EXPECT_EQ(PictureFile(pictures.right.Of(true)), "Skins/downdown.bmp");
    } else if (mode == 18) {
        EXPECT_EQ(PictureFile(pictures.left.Of(true)), "Skins/kuosandown.bmp");
        EXPECT_EQ(PictureFile(pictures.right.Of(false)), "Skins/julong.bmp");
    } else {
        EXPECT_EQ(PictureFile(pictures.left.Of(true)), "Skins/leftdown.bmp");
        EXPECT_EQ(PictureFile(pictures.right.Of(false)), "Skins/rightup.bmp");
    }
    const std::string_view suffix = In({1, 2, 3, 7}, mode) ? "2" : mode == 12 ? "3" : "";
    const text::DirectionControlKeys keys = text::DirectionKeysForMode(mode);
    EXPECT_EQ(keys.label, std::string("CONTROL_BLFXStatic") + std::string(suffix));
    EXPECT_EQ(keys.left, std::string("CONTROL_BLFXLStaPic") + std::string(suffix));
    EXPECT_EQ(keys.right, std::string("CONTROL_BLFXRStaPic") + std::string(suffix));
}

INSTANTIATE_TEST_SUITE_P(AllModes, ModeTableTest, ::testing::Range(1, 19));

TEST(LightingPanelRulesTest, UnknownModesShowOnlyTheEffectGroup) {
    for (int mode : {0, 19, 200}) {
        GroupVisibility only{};
        only[static_cast<std::size_t>(PanelGroup::Effect)] = true;
        EXPECT_EQ(VisibleGroups(true, mode), only) << mode;
    }
}

TEST(LightingPanelRulesTest, EveryControlIsPlacedFromALightingKeyOfTheSkin) {
    std::set<std::uint32_t> ids;
    for (const PanelControl& control : PanelControls()) {
        EXPECT_TRUE(ids.insert(control.id).second) << control.id;
        EXPECT_NE(std::find(text::skin::kLightingPanelControls.begin(),
                            text::skin::kLightingPanelControls.end(), control.layoutKey),
                  text::skin::kLightingPanelControls.end())
            << control.layoutKey;
        EXPECT_EQ(PanelLayoutKeyOf(control.id), control.layoutKey);
    }
    // Every grouped control is one of the placed controls.
    for (std::size_t g = 0; g < kPanelGroupCount; ++g) {
        for (std::uint32_t id : ControlsOfGroup(static_cast<PanelGroup>(g))) {
            EXPECT_EQ(ids.count(id), 1u) << id;
        }
    }
    EXPECT_TRUE(PanelLayoutKeyOf(panel::kReportButtons[0]).empty());
}

TEST(LightingPanelRulesTest, ThumbPictures) {
    EXPECT_EQ(ThumbFile(0), "Skins/0.bmp");
    EXPECT_EQ(ThumbFile(25), "Skins/25.bmp");
    EXPECT_EQ(BrightnessThumb(3), 3);
    EXPECT_EQ(SpeedThumb(0), 6);
    EXPECT_EQ(SpeedThumb(4), 10);
}

TEST(LightingPanelRulesTest, LabelsFollowTheLanguageSetting) {
    const text::IniDocument skin = text::IniDocument::Parse(
        "[Control_Name]\nDeng=Lights\nColor=Colour\nDC=Multi\n"
        "[Control_Name1]\nDeng=Licht\n");
    const std::optional<PanelLabels> first = ReadPanelLabels(skin, 0);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(LabelTextOf(*first, panel::kDengLabel), "Lights");
    for (std::uint32_t id :
         {panel::kColourLabel, panel::kSecondColourLabel, panel::kPaintColourLabel}) {
        EXPECT_EQ(LabelTextOf(*first, id), "Colour");
    }
    EXPECT_EQ(LabelTextOf(*first, panel::kSecondMulticolourLabel), "Multi");
    EXPECT_EQ(LabelTextOf(*first, panel::kToolLabel), "");   // missing key
    EXPECT_EQ(LabelTextOf(*first, panel::kEffectList), "");  // no label

    const std::optional<PanelLabels> second = ReadPanelLabels(skin, 1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->deng, "Licht");
    EXPECT_EQ(second->colour, "");
    EXPECT_FALSE(ReadPanelLabels(skin, 2).has_value());
}

}  // namespace
}  // namespace qf::presenters
