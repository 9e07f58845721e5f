// The device monitor against the virtual keyboard and a fake window with its own thread:
// presence checks on plug and unplug, key events, the bank switch and its LED round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <numeric>

#include "app/window_messages.h"
#include "keys/builtin_keymap.h"
#include "monitor_fixture.h"
#include "support/keyboard_setup.h"

namespace qf::monitor::test {
namespace {

using Kind = WindowEvent::Kind;

const std::vector<std::string> kFullRefreshCalls = {"load quiet=0", "active 2", "lighting zones=1",
                                                    "panel"};

void PrepareArrival(vkbd::VirtualKeyboard& keyboard) {
    std::vector<std::uint8_t> keymap(keys::kKeymapImageSize);
    std::iota(keymap.begin(), keymap.end(), std::uint8_t{7});
    keyboard.SetMemory(vkbd::Area::DefaultKeymap, 0, keymap);
    qf::testing::SetKeyboardMacroUnits(keyboard, 48);
    SetActiveProfile(keyboard, 2);
}

std::vector<std::uint8_t> ToVector(const keys::KeymapImage& image) {
    return {image.begin(), image.end()};
}

// --- arrival, with and without the opened-once flag --------------------------------------

class ArrivalAtStart : public MonitorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ArrivalAtStart, ReadsTheKeyboardRefreshesAndOpensOnlyOnce) {
    const bool openedOnceBefore = GetParam();
    Start({.openedOnce = openedOnceBefore, .prepare = PrepareArrival});
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();

    EXPECT_EQ(ToVector(defaultKeymap().Get()), keyboard->Memory(vkbd::Area::DefaultKeymap));
    EXPECT_EQ(state().macroMemorySize.load(), 48u * 128u);
    EXPECT_EQ(calls.Entries(), kFullRefreshCalls);
    EXPECT_EQ(windowView.Selected(), std::vector<int>{2});
    EXPECT_EQ(state().activeProfile.load(), 2);
    EXPECT_EQ(traces, std::vector<std::string>{"profile saem"});
    EXPECT_EQ(window.Icons(), std::vector<int>{app::kIconKeyboardPresent});
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgProf), 1u);
    EXPECT_EQ(window.CountHandled(Kind::Posted, app::kMsgOpen), openedOnceBefore ? 0u : 1u);
    EXPECT_EQ(state().openedOnce.load(), 1u);
    EXPECT_TRUE(prompter.Shown().empty());

    // The window shows itself once per run: a second arrival posts no second OPEN.
    keyboard->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 0; }));
    keyboard->Plug();
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();
    EXPECT_EQ(window.CountHandled(Kind::Posted, app::kMsgOpen), openedOnceBefore ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(OpenedOnceFlag, ArrivalAtStart, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FlagSet" : "FlagClear"; });

TEST_F(MonitorTest, StartWithoutKeyboardNeverShowsTheWindowWhenOneArrives) {
    Start({.plugged = false});
    Settle();
    EXPECT_EQ(state().openedOnce.load(), 1u);
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgProf), 0u);
    EXPECT_TRUE(window.Icons().empty());

    keyboard->Plug();
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgProf), 1u);
    EXPECT_EQ(window.Icons(), std::vector<int>{app::kIconKeyboardPresent});
    EXPECT_EQ(window.CountHandled(Kind::Posted, app::kMsgOpen), 0u);
    EXPECT_EQ(monitor().deviceStateIcon(), app::kIconKeyboardPresent);
}

TEST_F(MonitorTest, UnplugClosesEditorsHidesAndForgetsTheProfile) {
    Start({.prepare = PrepareArrival});
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();
    ASSERT_EQ(state().activeProfile.load(), 2);
    ASSERT_EQ(windowView.closes(), 0);

    keyboard->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 0; }));
    Settle();

    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgRemoved), 1u);
    EXPECT_EQ(windowView.closes(), 1);
    EXPECT_EQ(window.hideCount(), 1);
    EXPECT_EQ(state().activeProfile.load(), -1);
    EXPECT_EQ(window.Icons(), (std::vector<int>{app::kIconKeyboardPresent, app::kIconNoKeyboard}));
    EXPECT_EQ(monitor().deviceStateIcon(), app::kIconNoKeyboard);
}

TEST_F(MonitorTest, TheSameCountAgainDoesNothing) {
    Start();
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();
    const auto reports = keyboard->ReportsReceived();
    const auto handled = window.Handled();
    const auto icons = window.Icons();

    monitor().OnDeviceCountChanged(1);
    Settle();

    EXPECT_EQ(keyboard->ReportsReceived(), reports);
    EXPECT_EQ(window.Handled(), handled);
    EXPECT_EQ(window.Icons(), icons);
}

TEST_F(MonitorTest, FailedDefaultKeymapReadIsReportedAndKeepsThePreviousOne) {
    Start({.prepare = [](vkbd::VirtualKeyboard& keyboard) {
        PrepareArrival(keyboard);
        // The first report after start is the default keymap's first read: it fails three times.
        keyboard.InjectStatus(0xFF, 3);
    }});
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();

    const auto shown = prompter.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, text::TextId::MAIN_DEFAULT_MATRIX_PROMPT);
    EXPECT_EQ(shown[0].second, "Reads the default keyboard layout failure");
    EXPECT_EQ(defaultKeymap().Get(), keys::kBuiltinDefaultKeymap);
    // The rest of the arrival goes on.
    EXPECT_EQ(state().macroMemorySize.load(), 48u * 128u);
    EXPECT_EQ(calls.Entries(), kFullRefreshCalls);
}

TEST_F(MonitorTest, PresenceWaitsForTheReadyFlagBeforeIconAndOpen) {
    Start({.ready = false});
    ASSERT_TRUE(WaitUntil([&] { return window.CountHandled(Kind::Message, app::kMsgProf) == 1; }));
    // The refresh has run; the icon, the count and OPEN wait for the window's start-up.
    EXPECT_TRUE(window.Icons().empty());
    EXPECT_EQ(state().lastDeviceCount.load(), 0u);
    EXPECT_EQ(state().openedOnce.load(), 0u);

    window.SetReady(true);
    ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
    Settle();
    EXPECT_EQ(window.Icons(), std::vector<int>{app::kIconKeyboardPresent});
    EXPECT_EQ(window.CountHandled(Kind::Posted, app::kMsgOpen), 1u);
}

TEST_F(MonitorTest, StopEndsAPresenceCheckWaitingForReady) {
    Start({.ready = false});
    ASSERT_TRUE(WaitUntil([&] { return window.CountHandled(Kind::Message, app::kMsgProf) == 1; }));
    monitor().Stop();  // joins: returns only once the presence thread has given up
    EXPECT_TRUE(window.Icons().empty());
    EXPECT_EQ(state().lastDeviceCount.load(), 0u);
    EXPECT_EQ(state().openedOnce.load(), 0u);

    // Stopped: later news is ignored.
    keyboard->Unplug();
    keyboard->WaitIdle();
    EXPECT_EQ(window.hideCount(), 0);
}

// --- quick plug and unplug --------------------------------------------------------------

// Counts change faster than the presence checks run. Every change is handled, in the order the
// service reported it, so the state ends as the last count says.
class QuickPlugging : public MonitorTest, public ::testing::WithParamInterface<int> {};

TEST_P(QuickPlugging, LeavesTheStateOfTheLastCount) {
    const int changes = GetParam();
    Start({.plugged = false, .prepare = [](vkbd::VirtualKeyboard& k) { SetActiveProfile(k, 1); }});
    Settle();
    int plugs = 0;
    int unplugs = 0;
    for (int i = 0; i < changes; ++i) {
        if (i % 2 == 0) {
            keyboard->Plug();
            ++plugs;
        } else {
            keyboard->Unplug();
            ++unplugs;
        }
    }
    const bool pluggedAtEnd = keyboard->plugged();
    ASSERT_TRUE(WaitUntil([&] {
        return window.CountHandled(Kind::Message, app::kMsgProf) ==
                   static_cast<std::size_t>(plugs) &&
               window.hideCount() == unplugs;
    }));
    Settle();

    EXPECT_EQ(state().lastDeviceCount.load(), pluggedAtEnd ? 1u : 0u);
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgRemoved),
              static_cast<std::size_t>(unplugs));
    EXPECT_EQ(windowView.closes(), unplugs);
    const int expectedIcon = pluggedAtEnd ? app::kIconKeyboardPresent : app::kIconNoKeyboard;
    EXPECT_EQ(monitor().deviceStateIcon(), expectedIcon);
    const auto icons = window.Icons();
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ(icons.back(), expectedIcon);
    EXPECT_EQ(std::adjacent_find(icons.begin(), icons.end()), icons.end())
        << "an icon was set again while shown";
    EXPECT_EQ(state().activeProfile.load(), pluggedAtEnd ? 1 : -1);
    EXPECT_EQ(window.CountHandled(Kind::Posted, app::kMsgOpen), 0u);
}

INSTANTIATE_TEST_SUITE_P(Changes, QuickPlugging, ::testing::Values(2, 5, 12, 21));

// --- key events --------------------------------------------------------------------------

class KeyEvents : public MonitorTest {
protected:
    void SetUp() override {
        Start({.prepare = PrepareArrival});
        ASSERT_TRUE(WaitUntil([&] { return state().lastDeviceCount.load() == 1; }));
        Settle();
    }
    std::size_t DeviceInfoReads() const { return keyboard->ReportsReceived(3); }
};

TEST_F(KeyEvents, BankSwitchFlipsTheLedWordRelabelsAndRefreshesTheGButtons) {
    // Profile 2 (the keyboard's active one): bank B G2 and G9 assigned, bank A G5 assigned.
    SetStoreRecord(2, keys::GRecordIndex(1, 2), 4);
    SetStoreRecord(2, keys::GRecordIndex(1, 9), 8);
    SetStoreRecord(2, keys::GRecordIndex(0, 5), 2);
    // Another profile's records are not looked at.
    SetStoreRecord(1, keys::GRecordIndex(1, 1), 4);
    const auto readsBefore = DeviceInfoReads();

    keyboard->PressConsumerCode(kCodeBankSwitch);
    Settle();
    EXPECT_EQ(LedWrites(), (std::vector<std::array<std::uint8_t, 2>>{{0x05, 0x03}}));
    EXPECT_EQ(keyboard->LedStatus(), (std::array<std::uint8_t, 2>{0x05, 0x03}));
    EXPECT_EQ(bankView.Indicator(), std::vector<bool>{true});
    EXPECT_EQ(bankView.Labels(), (std::array<std::string, kGButtonCount>{"B1", "B2", "B3", "B4",
                                                                         "B5", "B6", "", "", ""}));
    EXPECT_EQ(windowView.GLooks(), (RecordingWindowView::Looks{false, true, false, false, false,
                                                               false, false, false, true}));
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgLed), 1u);
    // One report: the reply reached the window thread's transaction on the first send.
    EXPECT_EQ(DeviceInfoReads(), readsBefore + 1);

    keyboard->PressConsumerCode(kCodeBankSwitch);
    Settle();
    EXPECT_EQ(LedWrites(), (std::vector<std::array<std::uint8_t, 2>>{{0x05, 0x03}, {0x05, 0x02}}));
    EXPECT_EQ(bankView.Indicator(), (std::vector<bool>{true, false}));
    EXPECT_EQ(bankView.Labels(), (std::array<std::string, kGButtonCount>{"A1", "A2", "A3", "A4",
                                                                         "A5", "A6", "", "", ""}));
    EXPECT_EQ(windowView.GLooks(), (RecordingWindowView::Looks{false, false, false, false, true,
                                                               false, false, false, false}));
    EXPECT_EQ(DeviceInfoReads(), readsBefore + 2);
}

TEST_F(KeyEvents, BankSwitchNeverHoldsTheServiceThreadWhileTheWindowIsBusy) {
    // Keep the window thread busy, as a long download would.
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    std::promise<void> entered;
    std::thread busy([&] {
        window.RunOnWindowThread([&] {
            entered.set_value();
            gate.wait();
        });
    });
    entered.get_future().wait();

    keyboard->PressConsumerCode(kCodeBankSwitch);
    keyboard->PressConsumerCode(kCodeLightingChanged);
    // The service delivered the next event while the bank switch still waits for the window.
    ASSERT_TRUE(WaitUntil([&] {
        const auto timers = window.TimersStarted();
        return std::find(timers.begin(), timers.end(), app::kTimerRereadLighting) != timers.end();
    }));
    // The switch itself has written the LED status and now waits for the window.
    ASSERT_TRUE(WaitUntil([&] { return LedWrites().size() == 1; }));
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgLed), 0u);

    const auto readsBefore = DeviceInfoReads();
    release.set_value();
    busy.join();
    Settle();
    // The LED handler's transaction got its reply from the service at the first send, and the
    // switch finished.
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgLed), 1u);
    EXPECT_EQ(DeviceInfoReads(), readsBefore + 1);
    EXPECT_TRUE(windowView.GLooks()[0].has_value());
    EXPECT_EQ(bankView.Indicator(), std::vector<bool>{true});
}

TEST_F(KeyEvents, QuickBankPressesAreHandledInOrder) {
    constexpr int kPresses = 7;
    for (int i = 0; i < kPresses; ++i) {
        keyboard->PressConsumerCode(kCodeBankSwitch);
    }
    Settle();
    const auto writes = LedWrites();
    ASSERT_EQ(writes.size(), static_cast<std::size_t>(kPresses));
    for (int i = 0; i < kPresses; ++i) {
        EXPECT_EQ(writes[i][1], i % 2 == 0 ? 0x03 : 0x02) << "press " << i;
    }
    EXPECT_TRUE(led().BankB());
    EXPECT_EQ(bankView.Indicator().back(), true);
    EXPECT_EQ(bankView.Labels()[0], "B1");
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgLed), static_cast<std::size_t>(kPresses));
}

TEST_F(KeyEvents, AlternateIconCodesShowAndRestoreTheDeviceStateIcon) {
    keyboard->PressConsumerCode(kCodeAlternateIcon);
    keyboard->PressConsumerCode(kCodeDeviceStateIcon);
    Settle();
    EXPECT_EQ(window.Icons(), (std::vector<int>{app::kIconKeyboardPresent, app::kIconAlternate,
                                                app::kIconKeyboardPresent}));

    // Shown already: no change.
    keyboard->PressConsumerCode(kCodeDeviceStateIcon);
    Settle();
    EXPECT_EQ(window.Icons().size(), 3u);

    // Many quick pairs still end on the device-state icon.
    for (int i = 0; i < 40; ++i) {
        keyboard->PressConsumerCode(kCodeAlternateIcon);
        keyboard->PressConsumerCode(kCodeDeviceStateIcon);
    }
    Settle();
    EXPECT_EQ(window.Icons().back(), app::kIconKeyboardPresent);
    EXPECT_EQ(monitor().shownIcon(), app::kIconKeyboardPresent);
}

TEST_F(KeyEvents, KeyboardChangeCodeRereadsLikeAnArrival) {
    ASSERT_EQ(calls.Entries(), kFullRefreshCalls);
    calls.Clear();
    traces.clear();

    keyboard->PressConsumerCode(kCodeKeyboardChanged);
    Settle();

    EXPECT_EQ(calls.Entries(), kFullRefreshCalls);
    EXPECT_EQ(traces, std::vector<std::string>{"profile saem"});
    EXPECT_EQ(window.TimersStarted(), std::vector<std::uint32_t>{app::kTimerRereadKeyboard});
    const auto handled = window.Handled();
    const auto timer = std::find(handled.begin(), handled.end(),
                                 WindowEvent{Kind::Timer, app::kTimerRereadKeyboard, 0});
    ASSERT_NE(timer, handled.end());
    ASSERT_NE(timer + 1, handled.end());
    EXPECT_EQ(*(timer + 1), (WindowEvent{Kind::Message, app::kMsgProf, app::kTagProf}));
}

TEST_F(KeyEvents, LightingChangeCodeRereadsTheLightingOnly) {
    calls.Clear();
    keyboard->PressConsumerCode(kCodeLightingChanged);
    Settle();
    EXPECT_EQ(calls.Entries(), (std::vector<std::string>{"lighting zones=0", "panel"}));
    EXPECT_EQ(window.CountHandled(Kind::Timer, app::kTimerRereadLighting), 1u);
    EXPECT_EQ(window.CountHandled(Kind::Message, app::kMsgProf), 1u);  // the arrival's only
}

TEST_F(KeyEvents, OtherCodesDoNothing) {
    const auto handled = window.Handled();
    const auto icons = window.Icons();
    calls.Clear();
    for (std::uint16_t code : {0x1801, 0x1802, 0x1803, 0x1804, 0x0000, 0x0403, 0x02FE, 0x1812}) {
        keyboard->PressConsumerCode(code);
    }
    Settle();
    EXPECT_EQ(window.Handled(), handled);
    EXPECT_EQ(window.Icons(), icons);
    EXPECT_TRUE(window.TimersStarted().empty());
    EXPECT_TRUE(LedWrites().empty());
    EXPECT_TRUE(calls.Entries().empty());
}

}  // namespace
}  // namespace qf::monitor::test
