// The lighting operations against the virtual keyboard: the reports each one sends, their
// transfer brackets, what lands in the keyboard's memory and what the keyboard view is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "device/result.h"
#include "lighting/key_zones.h"
#include "lighting/lighting_fixture.h"

namespace qf::lighting::test {
namespace {

using C = Command;

constexpr std::uint8_t Byte(Command c) {
    return static_cast<std::uint8_t>(c);
}

// A record that differs from the factory one in every field the model decodes.
Bytes SampleRecord() {
    Bytes r(kLightingRecordSize, 0);
    for (std::size_t i = 0; i < r.size(); ++i) {
        r[i] = static_cast<std::uint8_t>(0xA0 + i);  // recognisable bytes everywhere
    }
    r[record::kMode] = 12;
    r[record::kBrightness] = 2;
    r[record::kSpeed] = 3;
    r[record::kDirection] = 1;
    r[record::kMulticolour] = 0;
    r[record::kColour] = 10;
    r[record::kColour + 1] = 20;
    r[record::kColour + 2] = 30;
    r[record::kReportRate] = 1;
    r[record::kFourColourChoice] = 2;
    return r;
}

// ---- Reading ---------------------------------------------------------------------------------

struct ReadCase {
    bool offersMode8;
    bool withZoneColours;
};

class ReadSequenceTest : public LightingTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadSequenceTest, ReadsColoursOnlyOnFullRefreshOfAKeyboardWithMode8) {
    const ReadCase c = GetParam();
    if (c.offersMode8) {
        SetKeyboardModes({1, 2, 8});
    } else {
        SetKeyboardModes({1, 2, 3, 12});
    }
    ASSERT_EQ(model.ReadLightingState(c.withZoneColours), LightingRead::Read);
    EXPECT_EQ(model.lastReadResult(), device::DeviceResult::Ok);

    const bool coloursRead = c.offersMode8 && c.withZoneColours;
    std::vector<Request> expected;
    expected.push_back({Byte(C::ReadDeviceInfo), 44, 0, {}});
    expected.push_back({Byte(C::BeginTransfer), 0, 0, {}});
    if (coloursRead) {
        for (std::uint16_t p = 0; p < 3; ++p) {
            expected.push_back(
                {Byte(C::ReadUserColours), 36, static_cast<std::uint16_t>(36 * p), {}});
        }
    }
    for (std::uint16_t p = 0; p < 3; ++p) {
        expected.push_back({Byte(C::ReadSettings), 56, static_cast<std::uint16_t>(42 * p), {}});
    }
    expected.push_back({Byte(C::EndTransfer), 0, 0, {}});

    const std::vector<Request> got = Requests();
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].command, expected[i].command) << "report " << i;
        EXPECT_EQ(got[i].length, expected[i].length) << "report " << i;
        EXPECT_EQ(got[i].address, expected[i].address) << "report " << i;
    }
    EXPECT_EQ(vk.ReportsReceived(Byte(C::ReadUserColours)), coloursRead ? 3u : 0u);

    for (int p = 0; p < 3; ++p) {
        const auto& rec = model.state().records[static_cast<std::size_t>(p)].bytes;
        EXPECT_EQ(Bytes(rec.begin(), rec.end()), KeyboardRecord(p));
        const auto& col = model.state().zoneColours[static_cast<std::size_t>(p)].bytes;
        if (coloursRead) {
            EXPECT_EQ(Bytes(col.begin(), col.end()), KeyboardColours(p));
        } else {
            EXPECT_TRUE(std::all_of(col.begin(), col.end(), [](auto b) { return b == 0; }));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lighting, ReadSequenceTest,
                         ::testing::Values(ReadCase{true, true}, ReadCase{true, false},
                                           ReadCase{false, true}, ReadCase{false, false}));

TEST_F(LightingTest, ReadBuildsTheModeListSkippingEmptySlotsAndDecodesTheShownProfile) {
    SetKeyboardModes({0, 1, 0, 0, 8, 12});
    Bytes rec = SampleRecord();
    rec[record::kReportRate] = 7;        // above 3 reads as 3
    rec[record::kFourColourChoice] = 9;  // above 3 shows as the first choice
    rec[record::kMulticolour] = 5;       // any non-zero value is on
    SetKeyboardRecord(1, rec);
    ASSERT_EQ(model.SetCurrentProfile(1), 1);

    ASSERT_EQ(model.ReadLightingState(false), LightingRead::Read);
    const LightingState& s = model.state();
    EXPECT_EQ(s.modeEntries, (std::vector<ModeEntry>{{0, 1}, {1, 8}, {2, 12}}));
    EXPECT_EQ(s.modeList[1], 1);
    EXPECT_EQ(s.modeList[0], 0);
    EXPECT_EQ(s.mode, 12);
    EXPECT_EQ(s.brightness, 2);
    EXPECT_EQ(s.speed, 3);
    EXPECT_EQ(s.direction, 1);
    EXPECT_TRUE(s.multicolour);
    EXPECT_EQ(s.colour, (Rgb{10, 20, 30}));
    EXPECT_EQ(s.reportRate, 3);
    EXPECT_EQ(s.fourColourChoice, 0);
    // Bytes the model does not interpret are carried as read.
    EXPECT_EQ(s.records[1].bytes[41], rec[41]);
    EXPECT_EQ(s.records[1].bytes[record::kReportRate], 7);
}

TEST_F(LightingTest, ReadTakesThePanelSwitchFromTheSettingsFile) {
    ASSERT_EQ(model.ReadLightingState(false), LightingRead::Read);
    EXPECT_FALSE(model.state().panelOn);  // no file: off

    model.SetPanelOn(true);
    ASSERT_EQ(model.StorePanelOn(), text::IniWriteResult::Written);
    EXPECT_EQ(files.GetString(settingsFile, "KEYCOLOR", "DengCheck", ""), "1");
    model.SetPanelOn(false);
    ASSERT_EQ(model.ReadLightingState(false), LightingRead::Read);
    EXPECT_TRUE(model.state().panelOn);
}

TEST_F(LightingTest, UnreadableDeviceInfoEmptiesOnlyTheModeList) {
    ASSERT_EQ(files.WriteString(settingsFile, "KEYCOLOR", "DengCheck", "1"),
              text::IniWriteResult::Written);
    ReadAndClear();
    const LightingState before = model.state();
    ASSERT_FALSE(before.modeEntries.empty());

    // Everything the keyboard holds changes; none of it may be read.
    SetKeyboardRecord(0, SampleRecord());
    ASSERT_EQ(files.WriteString(settingsFile, "KEYCOLOR", "DengCheck", "0"),
              text::IniWriteResult::Written);
    service.refused = {Byte(C::ReadDeviceInfo)};

    EXPECT_EQ(model.ReadLightingState(true), LightingRead::DeviceInfoUnreadable);
    EXPECT_EQ(model.lastReadResult(), device::DeviceResult::WriteRefused);
    const LightingState& s = model.state();
    EXPECT_TRUE(std::all_of(s.modeList.begin(), s.modeList.end(), [](auto b) { return b == 0; }));
    EXPECT_TRUE(s.modeEntries.empty());
    EXPECT_EQ(s.records[0].bytes, before.records[0].bytes);
    EXPECT_EQ(s.zoneColours[0].bytes, before.zoneColours[0].bytes);
    EXPECT_EQ(s.mode, before.mode);
    EXPECT_TRUE(s.panelOn);
    EXPECT_TRUE(Requests().empty());  // the refused write never reached the keyboard
}

struct FailedReadCase {
    Command refused;
    const char* name;
};

class FailedReadTest : public LightingTest, public ::testing::WithParamInterface<FailedReadCase> {};

// A read that fails must not replace good bytes with whatever its reply buffer held.
TEST_P(FailedReadTest, KeepsWhatThePreviousReadGave) {
    ReadAndClear();
    const LightingState before = model.state();

    SetKeyboardRecord(0, SampleRecord());
    const Bytes newColours(kUserColourAreaSize, 0x42);
    vk.SetMemory(vkbd::Area::UserColours, 0, newColours);
    service.refused = {Byte(GetParam().refused)};

    ASSERT_EQ(model.ReadLightingState(true), LightingRead::Read);
    EXPECT_EQ(model.lastReadResult(), device::DeviceResult::WriteRefused);
    const LightingState& s = model.state();
    for (std::size_t p = 0; p < 3; ++p) {
        if (GetParam().refused == C::ReadSettings) {
            EXPECT_EQ(s.records[p].bytes, before.records[p].bytes);
            EXPECT_EQ(s.zoneColours[p].Slot(0), (Rgb{0x42, 0x42, 0x42}));
        } else {
            EXPECT_EQ(s.zoneColours[p].bytes, before.zoneColours[p].bytes);
            const Bytes kb = KeyboardRecord(static_cast<int>(p));
            EXPECT_EQ(Bytes(s.records[p].bytes.begin(), s.records[p].bytes.end()), kb);
        }
    }
    // The transfer is still closed.
    EXPECT_EQ(Commands().back(), C::EndTransfer);
}

INSTANTIATE_TEST_SUITE_P(Lighting, FailedReadTest,
                         ::testing::Values(FailedReadCase{C::ReadSettings, "Settings"},
                                           FailedReadCase{C::ReadUserColours, "UserColours"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Choosing a mode -------------------------------------------------------------------------

class SelectModeTest : public LightingTest, public ::testing::WithParamInterface<int> {};

TEST_P(SelectModeTest, WritesTheModeAndForSomeModesTheMulticolourByteInOneTransfer) {
    const int code = GetParam();
    ReadAndClear();
    ASSERT_EQ(model.SetCurrentProfile(2), 1);
    ASSERT_TRUE(model.state().multicolour);  // the factory record has multicolour on

    ASSERT_EQ(model.SelectMode(code), device::DeviceResult::Ok);

    constexpr std::array kTwoFieldModes = {1, 3, 5, 7, 9, 13, 14, 15};
    const bool twoFields =
        std::find(kTwoFieldModes.begin(), kTwoFieldModes.end(), code) != kTwoFieldModes.end();
    const std::vector<Request> got = Requests();
    ASSERT_EQ(got.size(), twoFields ? 4u : 3u);
    EXPECT_TRUE(got.front().Is(C::BeginTransfer));
    EXPECT_TRUE(got.back().Is(C::EndTransfer));
    EXPECT_TRUE(got[1].Is(C::WriteSettings));
    EXPECT_EQ(got[1].address, 84);
    EXPECT_EQ(got[1].data, Bytes{static_cast<std::uint8_t>(code)});
    if (twoFields) {
        EXPECT_TRUE(got[2].Is(C::WriteSettings));
        EXPECT_EQ(got[2].address, 84 + 4);
        EXPECT_EQ(got[2].data, Bytes{1});
    }
    EXPECT_EQ(KeyboardRecord(2)[0], code);
    EXPECT_EQ(model.state().mode, code);

    ASSERT_FALSE(view.calls.empty());
    EXPECT_EQ(view.calls.front().kind, ViewCall::Kind::Clear);
    EXPECT_EQ(view.calls.size(), code == 8 ? 7u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Lighting, SelectModeTest, ::testing::Range(1, 19));

TEST_F(LightingTest, ChoosingMode8TintsEachZoneWithItsSecondSlot) {
    ReadAndClear();
    ASSERT_EQ(model.SetCurrentProfile(1), 1);
    // Distinct colours in every slot of profile 1, so that a wrong slot or profile shows.
    Bytes colours(kZoneColourTableSize);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = static_cast<std::uint8_t>(i + 1);
    }
    vk.SetMemory(vkbd::Area::UserColours, UserColourAddress(1, 0), colours);
    ReadAndClear();

    ASSERT_EQ(model.SelectMode(8), device::DeviceResult::Ok);
    ASSERT_EQ(view.calls.size(), 7u);
    for (int zone = 1; zone <= 6; ++zone) {
        const ViewCall& call = view.calls[static_cast<std::size_t>(zone)];
        EXPECT_EQ(call.kind, ViewCall::Kind::TintZone);
        EXPECT_EQ(call.zone, zone);
        const std::size_t at = 3 * (2 * static_cast<std::size_t>(zone) - 1);
        EXPECT_EQ(call.colour, (Rgb{colours[at], colours[at + 1], colours[at + 2]}));
        EXPECT_EQ(call.buttons.size(), ButtonsOfZone(zone).size());
    }
}

// ---- One-field settings ----------------------------------------------------------------------

// Begin, one WriteSettings of `data` at 42 * profile + offset, End.
void ExpectSingleWrite(const std::vector<Request>& got, std::uint16_t address, const Bytes& data) {
    ASSERT_EQ(got.size(), 3u);
    EXPECT_TRUE(got[0].Is(C::BeginTransfer));
    EXPECT_TRUE(got[1].Is(C::WriteSettings));
    EXPECT_EQ(got[1].address, address);
    EXPECT_EQ(got[1].length, data.size());
    EXPECT_EQ(got[1].data, data);
    EXPECT_TRUE(got[2].Is(C::EndTransfer));
}

TEST_F(LightingTest, SpeedSliderWritesTheInvertedValueAndNothingWhenUnchanged) {
    ReadAndClear();  // factory record: speed 1
    ASSERT_EQ(model.state().speed, 1);

    EXPECT_EQ(model.SetSpeedFromSlider(3),
              device::DeviceResult::Ok);  // 4 - 3 = 1: already the speed
    EXPECT_TRUE(Requests().empty());

    EXPECT_EQ(model.SetSpeedFromSlider(0), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), 2, {4});
    EXPECT_EQ(model.state().speed, 4);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 4);
}

TEST_F(LightingTest, BrightnessSliderWritesThePositionAndNothingWhenUnchanged) {
    ReadAndClear();  // factory record: brightness 4
    EXPECT_EQ(model.SetBrightness(4), device::DeviceResult::Ok);
    EXPECT_TRUE(Requests().empty());

    ASSERT_EQ(model.SetCurrentProfile(1), 1);
    EXPECT_EQ(model.SetBrightness(2), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), 42 + 1, {2});
    ClearTrace();
    // A position past the slider's end stands at its end.
    EXPECT_EQ(model.SetBrightness(9), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), 42 + 1, {4});
}

TEST_F(LightingTest, ReportRateAboveThreeIsWrittenAsThree) {
    ReadAndClear();
    EXPECT_EQ(model.SetReportRate(7), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), 15, {3});
    EXPECT_EQ(model.state().reportRate, 3);

    ClearTrace();
    EXPECT_EQ(model.SetReportRate(-2), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), 15, {0});

    // A keyboard holding 7 reads as 3.
    vk.SetMemory(vkbd::Area::Settings, 15, Bytes{7});
    ReadAndClear();
    EXPECT_EQ(model.state().reportRate, 3);
}

struct FieldCase {
    const char* name;
    device::DeviceResult (*operation)(LightingModel&);
    std::uint16_t offset;
    std::uint8_t written;
};

class FieldWriteTest : public LightingTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldWriteTest, WritesOneByteInOneTransferAndLeavesTheTintsAlone) {
    ReadAndClear();
    ASSERT_EQ(model.SetCurrentProfile(1), 1);
    EXPECT_EQ(GetParam().operation(model), device::DeviceResult::Ok);
    ExpectSingleWrite(Requests(), static_cast<std::uint16_t>(42 + GetParam().offset),
                      {GetParam().written});
    EXPECT_EQ(KeyboardRecord(1)[GetParam().offset], GetParam().written);
    EXPECT_TRUE(view.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lighting, FieldWriteTest,
    ::testing::Values(
        FieldCase{"DirectionLeft", [](LightingModel& m) { return m.SetDirection(1); }, 3, 1},
        FieldCase{"DirectionRight", [](LightingModel& m) { return m.SetDirection(0); }, 3, 0},
        // The factory record has multicolour on: toggling turns it off.
        FieldCase{"Multicolour", [](LightingModel& m) { return m.ToggleMulticolour(); }, 4, 0},
        FieldCase{"FourColour", [](LightingModel& m) { return m.SetFourColourChoice(2); }, 17, 2},
        FieldCase{"FourColourClamped", [](LightingModel& m) { return m.SetFourColourChoice(6); },
                  17, 3},
        FieldCase{"ReportRate", [](LightingModel& m) { return m.SetReportRate(1); }, 15, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LightingTest, ColourTurnsMulticolourOffAndTintsEveryKey) {
    ReadAndClear();
    const Rgb teal{0, 128, 128};
    EXPECT_EQ(model.SetColour(teal), device::DeviceResult::Ok);

    const std::vector<Request> got = Requests();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_TRUE(got[0].Is(C::BeginTransfer));
    EXPECT_EQ(got[1].address, 4);
    EXPECT_EQ(got[1].data, Bytes{0});
    EXPECT_EQ(got[2].address, 5);
    EXPECT_EQ(got[2].data, (Bytes{0, 128, 128}));
    EXPECT_TRUE(got[3].Is(C::EndTransfer));

    EXPECT_FALSE(model.state().multicolour);
    EXPECT_EQ(model.state().colour, teal);
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].kind, ViewCall::Kind::TintAll);
    EXPECT_EQ(view.calls[0].colour, teal);
}

TEST_F(LightingTest, BytesOutsideTheRecordAreRefusedUnsent) {
    ReadAndClear();
    const std::array<std::uint8_t, 3> bytes{1, 2, 3};
    EXPECT_EQ(model.WriteLightingBytes(40, bytes), device::DeviceResult::BadArgument);
    EXPECT_EQ(model.WriteLightingBytes(0, {}), device::DeviceResult::BadArgument);
    EXPECT_EQ(model.WriteLightingBytes(39, bytes), device::DeviceResult::Ok);  // ends at byte 41
    EXPECT_EQ(Requests().size(), 3u);
    EXPECT_EQ(model.SelectMode(0), device::DeviceResult::BadArgument);
    EXPECT_EQ(model.SelectMode(256), device::DeviceResult::BadArgument);
    EXPECT_EQ(Requests().size(), 3u);
}

TEST_F(LightingTest, AFailedWriteKeepsTheNewValueAndStillEndsTheTransfer) {
    ReadAndClear();
    service.refused = {Byte(C::WriteSettings)};
    EXPECT_EQ(model.SetBrightness(1), device::DeviceResult::WriteRefused);
    EXPECT_EQ(model.state().brightness, 1);
    EXPECT_EQ(Commands(), (std::vector<C>{C::BeginTransfer, C::EndTransfer}));
}

TEST_F(LightingTest, OnlyProfilesZeroToTwoCanBeShown) {
    ReadAndClear();
    ASSERT_EQ(model.SetCurrentProfile(2), 1);
    EXPECT_EQ(model.SetCurrentProfile(3), 0);
    EXPECT_EQ(model.SetCurrentProfile(-1), 0);
    EXPECT_EQ(model.state().currentProfile, 2);
}

// ---- Painting zones --------------------------------------------------------------------------

class PaintTest : public LightingTest {
protected:
    void SetUp() override {
        LightingTest::SetUp();
        ReadAndClear();
        ASSERT_EQ(model.SetCurrentProfile(2), 1);
        model.SetPanelOn(true);
        ASSERT_EQ(model.SelectMode(8), device::DeviceResult::Ok);
        model.SetPaintColour(paint);
        ClearTrace();
    }
    const Rgb paint{12, 34, 56};
};

TEST_F(PaintTest, Zone4OnProfile2WritesSlotsAt90And93) {
    const Bytes before = vk.Memory(vkbd::Area::UserColours);
    EXPECT_TRUE(model.PaintZone(KeyButtonId::Key(0x018)).painted());  // O

    const std::vector<Request> got = Requests();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_TRUE(got[0].Is(C::BeginTransfer));
    for (std::size_t i : {1u, 2u}) {
        EXPECT_TRUE(got[i].Is(C::WriteUserColours));
        EXPECT_EQ(got[i].length, 3);
        EXPECT_EQ(got[i].data, (Bytes{12, 34, 56}));
    }
    EXPECT_EQ(got[1].address, 90);
    EXPECT_EQ(got[2].address, 93);
    EXPECT_TRUE(got[3].Is(C::EndTransfer));

    const auto& table = model.state().zoneColours[2];
    EXPECT_EQ(table.Slot(6), paint);
    EXPECT_EQ(table.Slot(7), paint);
    // Exactly bytes 90..95 of the keyboard's user colours changed.
    Bytes expected = before;
    for (std::size_t i = 90; i < 96; i += 3) {
        expected[i] = 12;
        expected[i + 1] = 34;
        expected[i + 2] = 56;
    }
    EXPECT_EQ(vk.Memory(vkbd::Area::UserColours), expected);

    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].kind, ViewCall::Kind::TintZone);
    EXPECT_EQ(view.calls[0].zone, 4);
    EXPECT_EQ(view.calls[0].colour, paint);
    EXPECT_EQ(view.calls[0].buttons.size(), ButtonsOfZone(4).size());
}

TEST_F(PaintTest, FnPaintsZone4) {
    EXPECT_TRUE(model.PaintZone(KeyButtonId::Fn()).painted());
    ASSERT_EQ(view.calls.size(), 1u);
    EXPECT_EQ(view.calls[0].zone, 4);
}

// A refused write is the keyboard's result, apart from the refusals of painting itself; the
// zone is painted in memory all the same and the transfer still ends.
TEST_F(PaintTest, AFailedWriteIsReportedAsTheKeyboardsResult) {
    vk.InjectStatus(0xFF, 3);  // every send of BeginTransfer
    const PaintResult result = model.PaintZone(KeyButtonId::Key(0x018));
    EXPECT_FALSE(result.refused.has_value());
    EXPECT_EQ(result.device, device::DeviceResult::StatusFF);
    EXPECT_FALSE(result.painted());
    EXPECT_EQ(model.state().zoneColours[2].Slot(6), paint);
    EXPECT_TRUE(Requests().back().Is(C::EndTransfer));
}

TEST_F(PaintTest, ButtonsInNoZoneChangeNothing) {
    const auto before = model.state().zoneColours;
    const Bytes keyboardBefore = vk.Memory(vkbd::Area::UserColours);
    for (KeyButtonId button : {KeyButtonId::Key(0x15C), KeyButtonId::GKey(7), KeyButtonId::GKey(8),
                               KeyButtonId::GKey(9)}) {
        EXPECT_EQ(model.PaintZone(button).refused, PaintRefusal::ButtonInNoZone);
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(model.state().zoneColours, before);
    EXPECT_EQ(vk.Memory(vkbd::Area::UserColours), keyboardBefore);
}

TEST_F(PaintTest, NothingIsPaintedOutsideMode8OrWithThePanelOff) {
    model.SetPanelOn(false);
    EXPECT_EQ(model.PaintZone(KeyButtonId::Key(0x01E)).refused, PaintRefusal::NotPainting);
    model.SetPanelOn(true);
    ASSERT_EQ(model.SelectMode(4), device::DeviceResult::Ok);
    ClearTrace();
    EXPECT_EQ(model.PaintZone(KeyButtonId::Key(0x01E)).refused, PaintRefusal::NotPainting);
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(view.calls.empty());
}

// ---- Restore ---------------------------------------------------------------------------------

TEST_F(LightingTest, RestoreSelectsMode1ThenWritesTheDefaultBlock) {
    Bytes rec = SampleRecord();
    SetKeyboardRecord(1, rec);
    ASSERT_EQ(model.SetCurrentProfile(1), 1);
    ReadAndClear();
    model.SetPaintColour(Rgb{1, 2, 3});

    EXPECT_EQ(model.RestoreLightingDefaults(), device::DeviceResult::Ok);

    const std::vector<Request> got = Requests();
    ASSERT_EQ(got.size(), 7u);
    EXPECT_TRUE(got[0].Is(C::BeginTransfer));
    EXPECT_EQ(got[1].address, 42);
    EXPECT_EQ(got[1].data, Bytes{1});
    EXPECT_EQ(got[2].address, 42 + 4);
    EXPECT_EQ(got[2].data, Bytes{0});  // the multicolour held before the restore
    EXPECT_TRUE(got[3].Is(C::EndTransfer));
    EXPECT_TRUE(got[4].Is(C::BeginTransfer));
    EXPECT_TRUE(got[5].Is(C::WriteSettings));
    EXPECT_EQ(got[5].address, 42);
    EXPECT_EQ(got[5].length, 35);
    EXPECT_TRUE(got[6].Is(C::EndTransfer));

    // Mode 1, brightness 4, speed 1, direction 0, multicolour on, colour red; bytes past the
    // block stay as they were.
    const Bytes kb = KeyboardRecord(1);
    EXPECT_EQ(Bytes(kb.begin(), kb.begin() + 8), (Bytes{1, 4, 1, 0, 1, 255, 0, 0}));
    EXPECT_EQ(Bytes(kb.begin() + 35, kb.end()), Bytes(rec.begin() + 35, rec.end()));
    EXPECT_EQ(KeyboardRecord(0), KeyboardRecord(2));  // other profiles untouched

    const LightingState& s = model.state();
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.colour, kRed);
    EXPECT_TRUE(s.multicolour);
    EXPECT_EQ(s.paintColour, kBlack);  // the keyboard offers mode 8
    EXPECT_EQ(view.calls.front().kind, ViewCall::Kind::Clear);
}

TEST_F(LightingTest, AfterRestoreTheSlidersCompareAgainstWhatTheKeyboardHolds) {
    SetKeyboardRecord(0, SampleRecord());  // brightness 2, speed 3
    ReadAndClear();
    ASSERT_EQ(model.RestoreLightingDefaults(), device::DeviceResult::Ok);
    ClearTrace();

    // The keyboard now holds brightness 4 and speed 1: asking for the old values again must
    // reach it.
    EXPECT_EQ(model.SetBrightness(2), device::DeviceResult::Ok);
    EXPECT_EQ(model.SetSpeedFromSlider(1), device::DeviceResult::Ok);  // speed 3
    EXPECT_EQ(KeyboardRecord(0)[record::kBrightness], 2);
    EXPECT_EQ(KeyboardRecord(0)[record::kSpeed], 3);
}

TEST_F(LightingTest, RestoreKeepsThePaintColourOfAKeyboardWithoutMode8) {
    SetKeyboardModes({1, 2, 3});
    ReadAndClear();
    model.SetPaintColour(Rgb{1, 2, 3});
    ASSERT_EQ(model.RestoreLightingDefaults(), device::DeviceResult::Ok);
    EXPECT_EQ(model.state().paintColour, (Rgb{1, 2, 3}));
}

}  // namespace
}  // namespace qf::lighting::test
