#include "macros/recorder.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <optional>
#include <vector>

#include "support/temp_folder.h"

namespace qf::macros {
namespace {

using keys::KeystrokeScanBits;
using qf::testing::TempFolder;

constexpr std::uint8_t kVkA = 'A';
constexpr keys::ScanCode kScanA = 0x01E;
constexpr keys::ScanCode kScanB = 0x030;
constexpr keys::ScanCode kPrintScreen = 0x137;

std::uint32_t PressWord(keys::ScanCode scan) {
    return 1u | KeystrokeScanBits(scan);
}
std::uint32_t RepeatWord(keys::ScanCode scan) {
    return PressWord(scan) | keys::kKeystrokeWasDownBit;
}
std::uint32_t ReleaseWord(keys::ScanCode scan) {
    return PressWord(scan) | keys::kKeystrokeWasDownBit | keys::kKeystrokeReleaseBit;
}

// The editor's action list: inserting selects the new action, as the editor does.
class FakeEditor : public RecordingEditor {
public:
    std::vector<MacroAction> actions;
    std::optional<std::size_t> selected;
    int modifications = 0;

    std::size_t ActionCount() const override { return actions.size(); }
    std::optional<std::size_t> SelectedAction() const override { return selected; }
    std::int32_t ActionDelay(std::size_t position) const override {
        return actions.at(position).delay;
    }
    void SetActionDelay(std::size_t position, std::int32_t delay) override {
        actions.at(position).delay = delay;
    }
    void InsertAction(std::size_t position, const MacroAction& action) override {
        actions.insert(actions.begin() + static_cast<std::ptrdiff_t>(position), action);
        selected = position;
        ++modifications;
    }
};

class FakeHooks : public KeyboardHooks {
public:
    bool installWorks = true;
    int installed = 0;
    int removed = 0;
    bool Install() override {
        ++installed;
        return installWorks;
    }
    void Remove() override { ++removed; }
};

class RecorderTest : public ::testing::Test {
protected:
    TempFolder config;
    text::IniFiles files;
    app::Settings settings{files, config / "Quillfen_Orvanti" / "Quillfen.conf"};
    text::LanguageTable language;
    FakeHooks hooks;
    std::uint32_t now = 1000;
    MacroRecorder recorder{[this] { return now; }, settings, language, &hooks};
    FakeEditor editor;

    void Start(int option) {
        (void)recorder.WriteRecordDelay(option);
        ASSERT_EQ(recorder.StartRecording(editor), RecordResult::Started);
    }
    bool KeyAt(std::uint32_t time, std::uint8_t vk, std::uint32_t word) {
        now = time;
        return recorder.OnThreadKeystroke(vk, word);
    }
    bool EvdevAt(std::uint32_t time, std::uint16_t code, bool pressed, bool repeat = false,
                 keys::HookKeyState state = {}) {
        now = time;
        return recorder.OnEvdevKey(code, pressed, repeat, state);
    }
};

struct OptionCase {
    int option;
    std::int32_t pressDelay;  // for a press at 1300 and a release at 1420
};

class RecorderOptionTest : public RecorderTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(RecorderOptionTest, PressAndReleaseIntoAnEmptyList) {
    Start(GetParam().option);
    EXPECT_TRUE(KeyAt(1300, kVkA, PressWord(kScanA)));
    EXPECT_TRUE(KeyAt(1420, kVkA, ReleaseWord(kScanA)));
    // The time from the start to the first key is not kept.
    const std::vector<MacroAction> expected = {{GetParam().pressDelay, kScanA, kActionPress},
                                               {0, kScanA, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
    EXPECT_EQ(editor.selected, 1u);
    EXPECT_EQ(editor.modifications, 2);
}

INSTANTIATE_TEST_SUITE_P(Options, RecorderOptionTest,
                         ::testing::Values(OptionCase{kRecordDelayMeasured, 120},
                                           OptionCase{kRecordDelayFixed, kFixedRecordDelayMs}));

TEST_F(RecorderTest, HoldingAKeyRecordsOnePress) {
    Start(kRecordDelayMeasured);
    EXPECT_TRUE(KeyAt(1100, kVkA, PressWord(kScanA)));
    for (std::uint32_t t = 1600; t < 2100; t += 33) {
        EXPECT_TRUE(KeyAt(t, kVkA, RepeatWord(kScanA)));  // swallowed, not recorded
    }
    EXPECT_TRUE(KeyAt(2100, kVkA, ReleaseWord(kScanA)));
    const std::vector<MacroAction> expected = {{1000, kScanA, kActionPress},
                                               {0, kScanA, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
}

TEST_F(RecorderTest, ReleaseOnlyKeyGetsAShortPressFirst) {
    Start(kRecordDelayMeasured);
    ASSERT_TRUE(KeyAt(1050, kVkA, PressWord(kScanA)));
    ASSERT_TRUE(KeyAt(1100, kVkA, ReleaseWord(kScanA)));
    EXPECT_TRUE(KeyAt(1400, 0x2C, ReleaseWord(kPrintScreen)));
    const std::vector<MacroAction> expected = {{50, kScanA, kActionPress},
                                               {kMissingPressDelayMs, kScanA, kActionRelease},
                                               {300, kPrintScreen, kActionPress},
                                               {0, kPrintScreen, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
}

TEST_F(RecorderTest, FixedOptionAlsoReplacesTheShortPressDelay) {
    Start(kRecordDelayFixed);
    ASSERT_TRUE(KeyAt(1100, kVkA, ReleaseWord(kScanA)));
    ASSERT_TRUE(KeyAt(1400, 0x2C, ReleaseWord(kPrintScreen)));
    ASSERT_EQ(editor.actions.size(), 3u);
    EXPECT_EQ(editor.actions[0].delay, kFixedRecordDelayMs);
    EXPECT_EQ(editor.actions[1], (MacroAction{kFixedRecordDelayMs, kPrintScreen, kActionPress}));
}

TEST_F(RecorderTest, MediaKeysAndUnknownKeysPassOn) {
    Start(kRecordDelayMeasured);
    EXPECT_FALSE(EvdevAt(1100, KEY_VOLUMEUP, true));
    EXPECT_FALSE(EvdevAt(1200, KEY_VOLUMEUP, false));
    EXPECT_FALSE(KeyAt(1300, keys::kVkNone, PressWord(0)));  // no scan code at all
    EXPECT_FALSE(EvdevAt(1400, KEY_MAX, true));              // a key the translation lacks
    EXPECT_TRUE(editor.actions.empty());
}

TEST_F(RecorderTest, NothingIsSwallowedWhileNotRecording) {
    EXPECT_FALSE(KeyAt(1100, kVkA, PressWord(kScanA)));
    EXPECT_FALSE(EvdevAt(1200, KEY_LEFTMETA, true));
    ASSERT_EQ(recorder.StartRecording(editor), RecordResult::Started);
    EXPECT_TRUE(recorder.StopRecording(editor));
    EXPECT_FALSE(KeyAt(1300, kVkA, PressWord(kScanA)));
    EXPECT_TRUE(editor.actions.empty());
}

TEST_F(RecorderTest, RecordsAfterTheSelectedActionOneAfterTheOther) {
    editor.actions = {{10, kScanB, kActionPress},
                      {20, kScanB, kActionRelease},
                      {30, kScanB, kActionPress},
                      {40, kScanB, kActionRelease}};
    editor.selected = 1;
    Start(kRecordDelayMeasured);
    ASSERT_TRUE(KeyAt(1200, kVkA, PressWord(kScanA)));
    ASSERT_TRUE(KeyAt(1270, kVkA, ReleaseWord(kScanA)));
    // The selected action waits for the first recorded key; the wait that followed it now
    // follows the recorded block.
    const std::vector<MacroAction> expected = {
        {10, kScanB, kActionPress},   {200, kScanB, kActionRelease}, {70, kScanA, kActionPress},
        {20, kScanA, kActionRelease}, {30, kScanB, kActionPress},    {40, kScanB, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
    EXPECT_EQ(editor.selected, 3u);
}

TEST(InsertRecordedActionTest, FirstActionDropsTheMeasuredDelay) {
    FakeEditor list;
    ASSERT_TRUE(InsertRecordedAction(list, kScanA, kActionPress, 500));
    ASSERT_TRUE(InsertRecordedAction(list, kScanA, kActionRelease, 70));
    const std::vector<MacroAction> expected = {{70, kScanA, kActionPress},
                                               {0, kScanA, kActionRelease}};
    EXPECT_EQ(list.actions, expected);
    // A selection past the end of the list appends.
    list.selected = 9;
    ASSERT_TRUE(InsertRecordedAction(list, kScanB, kActionPress, 30));
    EXPECT_EQ(list.actions.back(), (MacroAction{0, kScanB, kActionPress}));
    EXPECT_EQ(list.actions[1].delay, 30);
}

TEST_F(RecorderTest, FullListDropsEventsButStillSwallowsThem) {
    editor.actions.assign(kMaxMacroActions - 1, MacroAction{10, kScanB, kActionPress});
    Start(kRecordDelayMeasured);
    EXPECT_TRUE(KeyAt(1100, kVkA, PressWord(kScanA)));
    EXPECT_EQ(editor.actions.size(), kMaxMacroActions);
    EXPECT_TRUE(KeyAt(1200, kVkA, ReleaseWord(kScanA)));
    EXPECT_TRUE(KeyAt(1300, 0x2C, ReleaseWord(kPrintScreen)));
    EXPECT_TRUE(EvdevAt(1400, KEY_RIGHTMETA, true));
    ASSERT_EQ(editor.actions.size(), kMaxMacroActions);
    EXPECT_EQ(editor.actions.back(), (MacroAction{10, kScanA, kActionPress}));
    EXPECT_EQ(editor.actions[kMaxMacroActions - 2].delay, 100);
}

struct DelayCase {
    int option;
    std::uint32_t elapsed;
    std::int32_t recorded;
};

class RecordedDelayTest : public ::testing::TestWithParam<DelayCase> {};

TEST_P(RecordedDelayTest, MeasuredDelaysStayWithinTheKeyboardsRange) {
    EXPECT_EQ(RecordedDelay(GetParam().option, GetParam().elapsed), GetParam().recorded);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, RecordedDelayTest,
    ::testing::Values(DelayCase{kRecordDelayMeasured, 0, 0}, DelayCase{kRecordDelayMeasured, 2, 2},
                      DelayCase{kRecordDelayMeasured, 40950, 40950},
                      // Above 12 bits of 10 ms the keyboard would wrap round to a short delay.
                      DelayCase{kRecordDelayMeasured, 40951, kMaxTypedDelayMs},
                      DelayCase{kRecordDelayMeasured, 0x80000000u, kMaxTypedDelayMs},
                      DelayCase{kRecordDelayMeasured, 0xFFFFFFFFu, kMaxTypedDelayMs},
                      DelayCase{kRecordDelayFixed, 40951, kFixedRecordDelayMs},
                      DelayCase{kRecordDelayFixed, 2, kFixedRecordDelayMs}));

TEST_F(RecorderTest, LongPauseIsClampedInTheList) {
    Start(kRecordDelayMeasured);
    ASSERT_TRUE(KeyAt(1100, kVkA, PressWord(kScanA)));
    ASSERT_TRUE(KeyAt(1100 + 60000, kVkA, ReleaseWord(kScanA)));
    EXPECT_EQ(editor.actions.front().delay, kMaxTypedDelayMs);
}

TEST_F(RecorderTest, TickWrapRoundKeepsTheElapsedTime) {
    now = 0xFFFFFF00u;
    Start(kRecordDelayMeasured);
    ASSERT_TRUE(KeyAt(0xFFFFFFF0u, kVkA, PressWord(kScanA)));
    ASSERT_TRUE(KeyAt(100, kVkA, ReleaseWord(kScanA)));
    EXPECT_EQ(editor.actions.front().delay, 116);
}

TEST_F(RecorderTest, OneRecordingAtATime) {
    FakeEditor other;
    ASSERT_EQ(recorder.StartRecording(editor), RecordResult::Started);
    EXPECT_EQ(recorder.StartRecording(other), RecordResult::Busy);
    EXPECT_FALSE(recorder.StopRecording(other));
    EXPECT_TRUE(recorder.IsRecordingInto(editor));
    EXPECT_EQ(recorder.StartRecording(editor), RecordResult::Started);
    EXPECT_EQ(hooks.installed, 1);
    EXPECT_TRUE(recorder.StopRecording(editor));
    EXPECT_EQ(hooks.removed, 1);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.StartRecording(other), RecordResult::Started);
}

TEST_F(RecorderTest, FailedHooksLeaveTheRecordingStateOn) {
    hooks.installWorks = false;
    EXPECT_EQ(recorder.StartRecording(editor), RecordResult::HooksFailed);
    EXPECT_TRUE(recorder.IsRecordingInto(editor));
    EXPECT_TRUE(recorder.StopRecording(editor));
    EXPECT_EQ(hooks.removed, 0);  // nothing was installed
    EXPECT_FALSE(recorder.IsRecording());
}

// Events as the user interface feeds them: evdev codes through both hook translations.
TEST_F(RecorderTest, EvdevLetterAndPrintScreen) {
    Start(kRecordDelayMeasured);
    EXPECT_TRUE(EvdevAt(1100, KEY_A, true));
    EXPECT_TRUE(EvdevAt(1500, KEY_A, true, true));
    EXPECT_TRUE(EvdevAt(1600, KEY_A, false));
    // The system keeps the press of Print Screen; only its release is recorded.
    EXPECT_FALSE(EvdevAt(1700, KEY_SYSRQ, true));
    EXPECT_TRUE(EvdevAt(1900, KEY_SYSRQ, false));
    const std::vector<MacroAction> expected = {{500, kScanA, kActionPress},
                                               {kMissingPressDelayMs, kScanA, kActionRelease},
                                               {300, kPrintScreen, kActionPress},
                                               {0, kPrintScreen, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
}

TEST_F(RecorderTest, EvdevSysReqAndKoreanKeys) {
    Start(kRecordDelayFixed);
    EXPECT_TRUE(EvdevAt(1100, KEY_SYSRQ, false, false, {.alt = true}));
    // A Korean key whose press does arrive is recorded once, without an extra press.
    EXPECT_TRUE(EvdevAt(1200, KEY_HANGEUL, true));
    EXPECT_TRUE(EvdevAt(1300, KEY_HANGEUL, false));
    const std::vector<MacroAction> expected = {{50, 0x054, kActionPress},
                                               {50, 0x054, kActionRelease},
                                               {50, 0x072, kActionPress},
                                               {0, 0x072, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
}

TEST_F(RecorderTest, EvdevWindowsKeysAreRecordedAndSwallowed) {
    Start(kRecordDelayMeasured);
    EXPECT_TRUE(EvdevAt(1100, KEY_LEFTMETA, true));
    EXPECT_TRUE(EvdevAt(1600, KEY_LEFTMETA, true, true));
    EXPECT_TRUE(EvdevAt(1700, KEY_RIGHTMETA, true));
    // Each Windows key keeps its own down state: the left key's repeat after the right key's
    // press is still a repeat.
    EXPECT_TRUE(EvdevAt(1750, KEY_LEFTMETA, true, true));
    EXPECT_TRUE(EvdevAt(1800, KEY_LEFTMETA, false, false, {.alt = true}));
    EXPECT_TRUE(EvdevAt(1900, KEY_RIGHTMETA, false));
    const std::vector<MacroAction> expected = {{600, kLeftWinScan, kActionPress},
                                               {100, kRightWinScan, kActionPress},
                                               {100, kLeftWinScan, kActionRelease},
                                               {0, kRightWinScan, kActionRelease}};
    EXPECT_EQ(editor.actions, expected);
}

TEST_F(RecorderTest, EvdevKeypadGivesTheSameKeysWithNumLockOnOrOff) {
    Start(kRecordDelayFixed);
    for (const bool numLock : {true, false}) {
        for (const std::uint16_t code : {KEY_KP1, KEY_KPDOT, KEY_KPENTER, KEY_KPSLASH}) {
            EXPECT_TRUE(EvdevAt(1100, code, true, false, {.numLock = numLock}));
            EXPECT_TRUE(EvdevAt(1200, code, false, false, {.numLock = numLock}));
        }
    }
    const std::vector<keys::ScanCode> scans = {0x04F, 0x053, 0x11C, 0x135};
    ASSERT_EQ(editor.actions.size(), 16u);
    for (std::size_t i = 0; i < editor.actions.size(); ++i) {
        EXPECT_EQ(editor.actions[i].scan, scans[(i / 2) % 4]) << i;
        EXPECT_EQ(editor.actions[i].state, i % 2 == 0 ? kActionPress : kActionRelease) << i;
    }
}

class RecordDelaySettingTest : public RecorderTest {
protected:
    std::string Stored(std::string_view name) { return settings.ReadString(name, "absent"); }
};

TEST_F(RecordDelaySettingTest, MissingReadsAsFixed) {
    EXPECT_EQ(recorder.ReadRecordDelay(), kRecordDelayFixed);
    EXPECT_EQ(Stored("RecordDelay"), "absent");
}

TEST_F(RecordDelaySettingTest, OnlyZeroAndOneAreStored) {
    EXPECT_EQ(recorder.WriteRecordDelay(1), 1);
    EXPECT_EQ(Stored("RecordDelay"), "1");
    EXPECT_EQ(recorder.ReadRecordDelay(), 1);
    EXPECT_EQ(recorder.WriteRecordDelay(7), 0);
    EXPECT_EQ(Stored("RecordDelay"), "0");
    EXPECT_EQ(recorder.RecordDelay(), 0);
    // A hand-edited value other than 1 reads as the fixed option.
    ASSERT_EQ(settings.WriteString("RecordDelay", "5"), text::IniWriteResult::Written);
    EXPECT_EQ(recorder.ReadRecordDelay(), kRecordDelayFixed);
}

TEST_F(RecordDelaySettingTest, ValueNameIsTheLanguageText) {
    language.Load(text::TextLoader::MessageTexts,
                  text::IniDocument::Parse("[LANGUAGE]\nlanguage=1\n[ENGINSH]\n"
                                           "MACRO_ACTION_RECORD_DELAY=Keep delays\n"));
    EXPECT_EQ(recorder.WriteRecordDelay(1), 1);
    EXPECT_EQ(Stored("Keep delays"), "1");
    EXPECT_EQ(Stored("RecordDelay"), "absent");
    EXPECT_EQ(recorder.ReadRecordDelay(), 1);
}

TEST_F(RecordDelaySettingTest, EmptyLanguageTextKeepsTheBuiltInName) {
    language.Load(text::TextLoader::MessageTexts,
                  text::IniDocument::Parse("[LANGUAGE]\nlanguage=1\n[ENGINSH]\n"));
    EXPECT_EQ(recorder.WriteRecordDelay(1), 1);
    EXPECT_EQ(Stored("RecordDelay"), "1");
}

}  // namespace
}  // namespace qf::macros
