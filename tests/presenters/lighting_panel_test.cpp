// The lighting panel presenter against the virtual keyboard: what a refresh shows (and that it
// writes nothing), the panel switch, each handler's single write, the slider thumbs, the
// restore, the zone colours on the keys and the user mode list.
#include <gtest/gtest.h>

#include "device/factory_lighting.h"
#include "lighting/key_zones.h"
#include "lighting/lighting_files.h"
#include "presenters/view_fixture.h"

namespace qf::presenters::test {
namespace {

namespace record = lighting::record;

Bytes FactoryRecord() {
    Bytes r(lighting::kLightingRecordSize, 0);
    std::copy(lighting::kDefaultLightingBlock.begin(), lighting::kDefaultLightingBlock.end(),
              r.begin());
    return r;
}

class PanelTest : public ViewTest {
public:
    using ViewTest::panel;

    int RowOf(int mode) const {
        const auto& effects = panel.look().effects;
        for (std::size_t i = 0; i < effects.size(); ++i) {
            if (effects[i].code == mode) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

protected:
    void StorePanelSwitch(std::string_view value) {
        ASSERT_EQ(files.WriteString(panelSwitchFile, lighting::kPanelSection, lighting::kPanelOnKey,
                                    value),
                  text::IniWriteResult::Written);
    }
    // The keyboard's record of `profile` with some fields changed.
    void SetRecord(std::initializer_list<std::pair<std::size_t, std::uint8_t>> fields,
                   int profile = 0) {
        Bytes r = FactoryRecord();
        for (const auto& [offset, value] : fields) {
            r[offset] = value;
        }
        SetKeyboardRecord(profile, r);
    }
    text::IniDocument UserColourFile(int profile) const {
        return text::IniDocument::Parse(qf::testing::TempFolder::Read(userColours.FileOf(profile)));
    }
};

// ---- Refresh ---------------------------------------------------------------------------------

TEST_F(PanelTest, BeforeAnyRefreshTheSlidersStandAtTheirSetUpPlaces) {
    panel.Show();
    ASSERT_EQ(panelWidgets.shown.size(), 1u);
    const LightingPanelLook& look = panelWidgets.shown.back();
    EXPECT_EQ(look.brightnessThumb, 0);
    EXPECT_EQ(look.speedPosition, 0);
    EXPECT_EQ(look.speedThumb, 6);
    EXPECT_EQ(look.switchPicture, PanelPicture::DengUp);
    EXPECT_EQ(look.switchAccessibleName, "Lighting off");
    EXPECT_TRUE(look.effects.empty());
    EXPECT_EQ(look.labels.deng, "Lighting");
}

TEST_F(PanelTest, ARefreshShowsTheStateAndWritesNothingToTheKeyboard) {
    SetKeyboardModes({1, 8, 12});
    SetRecord({{record::kMode, 12},
               {record::kBrightness, 2},
               {record::kSpeed, 3},
               {record::kDirection, 1},
               {record::kMulticolour, 0},
               {record::kColour, 10},
               {record::kReportRate, 1},
               {record::kFourColourChoice, 2}});
    StorePanelSwitch("1");
    ASSERT_EQ(static_cast<int>(model.ReadLightingState(true)), 0);
    ClearTrace();

    panel.RefreshLightingPanel();
    EXPECT_TRUE(Requests().empty());

    const LightingPanelLook& look = panel.look();
    ASSERT_FALSE(panelWidgets.shown.empty());
    EXPECT_EQ(panelWidgets.shown.back(), look);
    const std::vector<EffectItem> effects = {{1, "Effect 1"}, {8, "Effect 8"}, {12, "Effect 12"}};
    EXPECT_EQ(look.effects, effects);
    EXPECT_EQ(look.selectedEffect, 2);
    EXPECT_TRUE(look.panelOn);
    EXPECT_EQ(look.switchPicture, PanelPicture::DengDown);
    EXPECT_EQ(look.switchAccessibleName, "Lighting on: Effect 12");
    EXPECT_EQ(look.groups, VisibleGroups(true, 12));
    EXPECT_EQ(look.directionKeys.left, "CONTROL_BLFXLStaPic3");
    EXPECT_EQ(look.directionLeft, PanelPicture::UpDown);  // direction 1: the left one selected
    EXPECT_EQ(look.directionRight, PanelPicture::DownUp);
    EXPECT_EQ(look.brightnessPosition, 2);
    EXPECT_EQ(look.brightnessThumb, 2);
    EXPECT_EQ(look.speedPosition, 1);
    EXPECT_EQ(look.speedThumb, 7);
    EXPECT_EQ(look.colour, (lighting::Rgb{10, 0, 0}));
    EXPECT_EQ(look.multicolourPicture, PanelPicture::SjsUp);
    EXPECT_EQ(look.fourColour,
              (std::array<PanelPicture, 4>{PanelPicture::Hong, PanelPicture::Huang,
                                           PanelPicture::LvOk, PanelPicture::Lan}));
    EXPECT_EQ(look.reportRate, 1);
    EXPECT_EQ(look.reportAccessibleNames[1], "Report rate 2, selected");
    EXPECT_EQ(look.reportAccessibleNames[0], "Report rate 1");
    EXPECT_EQ(look.paintColour, lighting::kBlack);
    EXPECT_EQ(look.toolPicture, PanelPicture::User1Down);

    // The same state again shows nothing new.
    const std::size_t shows = panelWidgets.shown.size();
    panel.RefreshLightingPanel();
    EXPECT_EQ(panelWidgets.shown.size(), shows);
}

TEST_F(PanelTest, ModesOutsideTheKnownOnesOrNotListedSelectNoEntry) {
    SetKeyboardModes({1, 2, 30});
    SetRecord({{record::kMode, 30}, {record::kFourColourChoice, 9}});
    ReadAndRefresh();
    EXPECT_EQ(panel.look().selectedEffect, -1);
    EXPECT_EQ(panel.look().effects.size(), 3u);
    EXPECT_EQ(panel.look().fourColour[0], PanelPicture::HongOk);  // above 3 shows the first

    SetRecord({{record::kMode, 5}});
    ReadAndRefresh();
    EXPECT_EQ(panel.look().selectedEffect, -1);
}

// The panel off looks the same whether the program started with it off or the user switched
// it off: the effect list, "Deng", brightness and speed hide as well.
TEST_F(PanelTest, TheOffLookIsTheSameAfterAStartAndAfterASwitchOff) {
    SetRecord({{record::kMode, 5}});
    ReadAndRefresh();
    const LightingPanelLook startedOff = panel.look();
    EXPECT_EQ(startedOff.groups, GroupVisibility{});
    EXPECT_FALSE(startedOff.Shows(panel::kEffectList));
    EXPECT_TRUE(startedOff.Shows(panel::kSwitch));
    EXPECT_TRUE(startedOff.Shows(panel::kReportButtons[0]));
    EXPECT_TRUE(startedOff.Shows(panel::kUsbLabel));

    StorePanelSwitch("1");
    ReadAndRefresh();
    EXPECT_TRUE(panel.look().Shows(panel::kColourPicker));
    panel.OnPanelSwitchClicked();
    EXPECT_EQ(panel.look(), startedOff);
    EXPECT_EQ(StoredPanelSwitch(), "0");
}

// ---- The panel switch ------------------------------------------------------------------------

TEST_F(PanelTest, ASwitchOnRefusedWhileTheEditorIsOpenLeavesThePanelOffAndUnwritten) {
    SetKeyboardModes({1, 8});
    SetRecord({{record::kMode, 8}});
    ReadAndRefresh();
    ClearTrace();

    editor.open = true;
    EXPECT_EQ(panel.SwitchPanelOn(), 0);
    editor.open = false;

    EXPECT_FALSE(model.state().panelOn);
    EXPECT_FALSE(panel.look().panelOn);
    EXPECT_EQ(panel.look().groups, GroupVisibility{});
    EXPECT_FALSE(StoredPanelSwitch().has_value());
    EXPECT_TRUE(Writes().empty());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.MessageIds()[0], text::TextId::PROFILE_SEELCT_PROMPT2);
    // A key click opens the editor as with the panel off; it does not paint.
    EXPECT_EQ(keyboard.OnKeyButtonClicked(1058), ClickOutcome::EditorOpened);
}

TEST_F(PanelTest, SwitchingOnShowsTheEffectAndTheZoneColoursOnTheKeys) {
    SetKeyboardModes({1, 8});
    SetRecord({{record::kMode, 8}});
    const Bytes colours = {1, 1, 1, 10, 10, 10, 2, 2, 2, 20, 20, 20, 3, 3, 3, 30, 30, 30,
                           4, 4, 4, 40, 40, 40, 5, 5, 5, 50, 50, 50, 6, 6, 6, 60, 60, 60};
    vk.SetMemory(vkbd::Area::UserColours, 0, colours);
    ReadAndRefresh();
    EXPECT_FALSE(Look(ViewButton::Key(0)).tint.has_value());

    panel.OnPanelSwitchClicked();
    EXPECT_TRUE(model.state().panelOn);
    EXPECT_EQ(StoredPanelSwitch(), "1");
    EXPECT_TRUE(panel.look().Shows(panel::kUserModeList));
    EXPECT_TRUE(panel.look().Shows(panel::kEffectList));
    EXPECT_FALSE(panel.look().Shows(panel::kSpeedSlider));
    for (int zone = lighting::kFirstZone; zone <= lighting::kLastZone; ++zone) {
        const auto c = static_cast<std::uint8_t>(10 * zone);
        for (const lighting::KeyButtonId& id : lighting::ButtonsOfZone(zone)) {
            EXPECT_EQ(Look(*ButtonOfLightingId(id)).tint, (lighting::Rgb{c, c, c}));
        }
    }
    EXPECT_FALSE(Look(ViewButton::G(6)).tint.has_value());
}

TEST_F(PanelTest, SwitchingOffClearsTheTintsAndBringsBackTheAssignedLooks) {
    {
        auto access = store.Lock();
        keys::KeyRecord disabled;
        disabled.kind = 1;
        access->SetBlockRecord(0, 0x1E, disabled);
    }
    SetKeyboardModes({1, 8});
    StorePanelSwitch("1");
    ReadAndRefresh();
    assignments.RefreshAssignmentViews();
    ASSERT_TRUE(Look(ViewButton::Key(0)).selected);

    panel.OnEffectChosen(RowOf(8));  // the lighting takes the keys over
    EXPECT_FALSE(Look(ViewButton::Key(0)).selected);
    EXPECT_TRUE(Look(ViewButton::Key(0)).tint.has_value());

    panel.OnPanelSwitchClicked();
    EXPECT_EQ(StoredPanelSwitch(), "0");
    EXPECT_TRUE(Look(ViewButton::Key(0)).selected);
    for (const ViewButton& button : AllViewButtons()) {
        EXPECT_FALSE(Look(button).tint.has_value()) << AccessibleNameOf(button);
    }
    EXPECT_FALSE(panel.look().Shows(panel::kEffectList));
    EXPECT_FALSE(panel.look().Shows(panel::kLightLabel));
}

// ---- Handlers --------------------------------------------------------------------------------

struct HandlerCase {
    const char* name;
    std::function<void(PanelTest&)> act;
    // Each write of the one transfer: offset in the record and the bytes.
    std::vector<std::pair<std::uint16_t, Bytes>> writes;
};

class HandlerTest : public PanelTest, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(HandlerTest, EachHandlerWritesItsFieldsInOneTransfer) {
    SetKeyboardModes({1, 2, 5, 8, 12});
    StorePanelSwitch("1");
    ASSERT_EQ(static_cast<int>(model.SetCurrentProfile(1)), 1);
    SetKeyboardRecord(1, FactoryRecord());
    ReadAndRefresh();
    ClearTrace();

    GetParam().act(*this);

    std::vector<Request> expected = {{Command::BeginTransfer, 0, 0, {}}};
    for (const auto& [offset, bytes] : GetParam().writes) {
        expected.push_back({Command::WriteSettings, static_cast<std::uint8_t>(bytes.size()),
                            static_cast<std::uint16_t>(42 + offset), bytes});
    }
    expected.push_back({Command::EndTransfer, 0, 0, {}});
    EXPECT_EQ(Requests(), expected);
    // What the panel shows is what the keyboard now holds.
    const Bytes onKeyboard = KeyboardRecord(1);
    EXPECT_EQ(panel.look().brightnessPosition, onKeyboard[record::kBrightness]);
    EXPECT_EQ(panel.look().speedPosition, 4 - onKeyboard[record::kSpeed]);
    EXPECT_EQ(panel.look().multicolourPicture,
              onKeyboard[record::kMulticolour] != 0 ? PanelPicture::SjsDown : PanelPicture::SjsUp);
    EXPECT_EQ(panel.look().effects[static_cast<std::size_t>(panel.look().selectedEffect)].code,
              onKeyboard[record::kMode]);
}

INSTANTIATE_TEST_SUITE_P(
    Panel, HandlerTest,
    ::testing::Values(
        HandlerCase{"Brightness", [](PanelTest& t) { t.panel.OnBrightnessMoved(2); }, {{1, {2}}}},
        HandlerCase{"Speed", [](PanelTest& t) { t.panel.OnSpeedMoved(0); }, {{2, {4}}}},
        HandlerCase{"DirectionLeft",
                    [](PanelTest& t) { t.panel.OnDirectionClicked(DirectionSide::Left); },
                    {{3, {1}}}},
        HandlerCase{"AutomaticColour",
                    [](PanelTest& t) { t.panel.OnColourChosen(ColourChoice::Automatic()); },
                    {{4, {0}}, {5, {255, 0, 0}}}},
        HandlerCase{"Colour",
                    [](PanelTest& t) {
                        t.panel.OnColourChosen(ColourChoice::Of({0, 0, 255}));
                    },
                    {{4, {0}}, {5, {0, 0, 255}}}},
        HandlerCase{
            "Multicolour", [](PanelTest& t) { t.panel.OnMulticolourClicked(); }, {{4, {0}}}},
        HandlerCase{
            "FourColour", [](PanelTest& t) { t.panel.OnFourColourClicked(3); }, {{17, {3}}}},
        HandlerCase{
            "ReportRate", [](PanelTest& t) { t.panel.OnReportRateClicked(0); }, {{15, {0}}}},
        HandlerCase{"EffectWithMulticolour",
                    [](PanelTest& t) { t.panel.OnEffectChosen(t.RowOf(5)); },
                    {{0, {5}}, {4, {1}}}},
        HandlerCase{
            "Effect", [](PanelTest& t) { t.panel.OnEffectChosen(t.RowOf(2)); }, {{0, {2}}}}),
    [](const ::testing::TestParamInfo<HandlerCase>& info) { return info.param.name; });

TEST_F(PanelTest, OutOfRangeChoicesAndUnchangedSlidersWriteNothing) {
    SetKeyboardModes({1, 2});
    StorePanelSwitch("1");
    ReadAndRefresh();
    ClearTrace();
    panel.OnEffectChosen(2);
    panel.OnEffectChosen(-1);
    panel.OnFourColourClicked(4);
    panel.OnReportRateClicked(-1);
    panel.OnBrightnessMoved(4);  // the factory brightness
    panel.OnSpeedMoved(3);       // the factory speed 1
    EXPECT_TRUE(Requests().empty());
}

TEST_F(PanelTest, ChoosingAnEffectShowsItsControlsAndMovesTheDirectionControls) {
    SetKeyboardModes({1, 4, 12});
    StorePanelSwitch("1");
    ReadAndRefresh();
    keyboard.TintAllKeys({1, 2, 3});

    panel.OnEffectChosen(RowOf(12));
    EXPECT_EQ(panel.look().selectedEffect, RowOf(12));
    EXPECT_TRUE(panel.look().Shows(panel::kSpeedSlider));
    EXPECT_TRUE(panel.look().Shows(panel::kDirectionLeft));
    EXPECT_FALSE(panel.look().Shows(panel::kColourPicker));
    EXPECT_EQ(panel.look().directionKeys, text::DirectionKeysForMode(12));
    EXPECT_EQ(panel.look().directionRight, PanelPicture::DownDown);  // direction 0
    EXPECT_FALSE(Look(ViewButton::Key(0)).tint.has_value());

    panel.OnDirectionClicked(DirectionSide::Left);
    EXPECT_EQ(panel.look().directionLeft, PanelPicture::UpDown);
    EXPECT_EQ(panel.look().directionRight, PanelPicture::DownUp);

    panel.OnEffectChosen(RowOf(4));
    EXPECT_TRUE(panel.look().Shows(panel::kColourPicker));
    EXPECT_FALSE(panel.look().Shows(panel::kSpeedSlider));
    EXPECT_EQ(panel.look().directionKeys.label, "CONTROL_BLFXStatic");

    panel.OnColourChosen(ColourChoice::Of({0, 200, 0}));
    EXPECT_EQ(panel.look().colour, (lighting::Rgb{0, 200, 0}));
    EXPECT_EQ(panel.look().multicolourPicture, PanelPicture::SjsUp);
    EXPECT_EQ(Look(ViewButton::Fn()).tint, (lighting::Rgb{0, 200, 0}));
}

// One rule for the speed thumb: 6 + the slider position, on a drag and on a refresh.
TEST_F(PanelTest, TheSpeedThumbIsTheSameAfterADragAndAfterARefresh) {
    ReadAndRefresh();
    panel.OnSpeedMoved(1);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 3);
    EXPECT_EQ(panel.look().speedThumb, 7);
    EXPECT_EQ(ThumbFile(panel.look().speedThumb), "Skins/7.bmp");

    ReadAndRefresh(false);
    EXPECT_EQ(panel.look().speedPosition, 1);
    EXPECT_EQ(panel.look().speedThumb, 7);

    panel.OnBrightnessMoved(1);
    EXPECT_EQ(panel.look().brightnessThumb, 1);
}

// After a restore the panel shows what the keyboard holds: the default block's brightness 4
// and speed 1, so a later move to another value writes it.
TEST_F(PanelTest, AfterARestoreTheSlidersShowTheDefaultBlock) {
    SetRecord({{record::kMode, 4},
               {record::kBrightness, 1},
               {record::kSpeed, 4},
               {record::kMulticolour, 0},
               {record::kColour + 2, 255}});
    StorePanelSwitch("1");
    ReadAndRefresh();
    panel.OnPaintColourChosen(ColourChoice::Of({9, 9, 9}));

    panel.RestoreLightingDefaults();
    const LightingPanelLook& look = panel.look();
    EXPECT_EQ(look.brightnessPosition, 4);
    EXPECT_EQ(look.brightnessThumb, 4);
    EXPECT_EQ(look.speedPosition, 3);
    EXPECT_EQ(look.speedThumb, 9);
    EXPECT_EQ(look.colour, lighting::kRed);
    EXPECT_EQ(look.multicolourPicture, PanelPicture::SjsDown);
    EXPECT_EQ(look.effects[static_cast<std::size_t>(look.selectedEffect)].code, 1);
    EXPECT_EQ(look.paintColour, lighting::kBlack);  // the factory list offers mode 8

    ClearTrace();
    panel.OnSpeedMoved(4);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 0);
    EXPECT_FALSE(Requests().empty());
}

// ---- Zone colours and user modes -------------------------------------------------------------

class ZonePanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        SetKeyboardModes({1, 8});
        for (int profile = 0; profile < 3; ++profile) {
            SetRecord({{record::kMode, 8}}, profile);
        }
        StorePanelSwitch("1");
        ReadAndRefresh();
        ClearTrace();
    }
};

TEST_F(ZonePanelTest, PaintedZonesStayOnTheKeysThroughARefreshWithoutReadingTheColours) {
    panel.OnPaintColourChosen(ColourChoice::Of({10, 20, 30}));
    ASSERT_EQ(keyboard.OnKeyButtonClicked(1058), ClickOutcome::Painted);       // A, zone 1
    const lighting::Rgb zone2Before = Look(ViewButton::Key(22)).tint.value();  // W

    ClearTrace();
    ReadAndRefresh(false);
    for (const Request& r : Requests()) {
        EXPECT_NE(r.command, Command::ReadUserColours);
    }
    EXPECT_EQ(Look(ViewButton::Key(0)).tint, (lighting::Rgb{10, 20, 30}));
    EXPECT_EQ(Look(ViewButton::G(0)).tint, (lighting::Rgb{10, 20, 30}));
    EXPECT_EQ(Look(ViewButton::Key(22)).tint, zone2Before);
    EXPECT_EQ(panel.look().paintColour, lighting::kBlack);
}

TEST_F(ZonePanelTest, TheUserModeListGetsItsEntriesByEditing) {
    ASSERT_EQ(static_cast<int>(model.SetCurrentProfile(2)), 1);
    EXPECT_TRUE(panel.look().userModes.empty());
    EXPECT_EQ(panel.look().selectedUserMode, -1);

    panel.OnUserModeEdited("N");
    panel.OnUserModeEdited("Night");
    EXPECT_EQ(panel.look().userModes, (std::vector<std::string>{"Night"}));
    EXPECT_EQ(panel.look().selectedUserMode, 0);
    EXPECT_EQ(UserColourFile(2).Find("MODENAME", "0"), "Night");
    EXPECT_FALSE(std::filesystem::exists(userColours.FileOf(0)));

    panel.OnPaintColourChosen(ColourChoice::Automatic());
    const text::IniDocument file = UserColourFile(2);
    EXPECT_EQ(file.Find("Mode0", "tool"), "0");
    EXPECT_EQ(file.Find("Mode0", "jcolor"), "0,0,0");
    EXPECT_EQ(file.Find("Mode0", "color"), "255,0,0");
    EXPECT_EQ(panel.look().paintColour, lighting::kRed);
    EXPECT_TRUE(Writes().empty());  // nothing of this goes to the keyboard

    // Picking the entry starts painting afresh: black, with the zone colours on the keys.
    keyboard.ClearAllTints();
    panel.OnUserModeSelected(0);
    EXPECT_EQ(panel.look().paintColour, lighting::kBlack);
    EXPECT_TRUE(Look(ViewButton::Key(0)).tint.has_value());
    panel.OnUserModeSelected(1);  // no such entry
    EXPECT_EQ(panel.userMode(), 0);
}

TEST_F(ZonePanelTest, TheToolPictureWritesTheToolsOfTheCurrentUserMode) {
    panel.OnPaintColourChosen(ColourChoice::Of({0, 0, 255}));
    panel.OnToolClicked();
    EXPECT_EQ(panel.look().toolPicture, PanelPicture::User1Down);
    EXPECT_EQ(UserColourFile(0).Find("Mode0", "color"), "0,0,255");
}

// ---- Language --------------------------------------------------------------------------------

TEST_F(PanelTest, LabelsAndEffectNamesFollowTheLanguage) {
    SetKeyboardModes({1, 3});
    ReadAndRefresh();
    panel.ApplyLanguage(1);
    EXPECT_EQ(panel.look().labels.deng, "Lumiere");
    EXPECT_EQ(panel.look().labels.usb, "");  // missing in Control_Name1
    EXPECT_EQ(panel.look().effects[1].name, "Effet 3");

    panel.ApplyLanguage(7);
    EXPECT_EQ(panel.look().labels.deng, "Lumiere");  // other settings keep the labels
    EXPECT_EQ(panel.look().effects[1].name, "");
}

}  // namespace
}  // namespace qf::presenters::test
