// The window-side handlers of the device messages, run on the fake window's thread.
#include <gtest/gtest.h>

#include "app/window_messages.h"
#include "monitor_fixture.h"

namespace qf::monitor::test {
namespace {

struct WrongTag {
    const char* name;
    std::uint32_t message;
    std::uint32_t tag;
};

class WrongTagIsIgnored : public MonitorTest, public ::testing::WithParamInterface<WrongTag> {};

TEST_P(WrongTagIsIgnored, NothingRuns) {
    Start({.plugged = false});
    Settle();
    int result = -1;
    window.RunOnWindowThread(
        [&] { result = handlers->OnMessage(GetParam().message, GetParam().tag); });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(calls.Entries().empty());
    EXPECT_EQ(windowView.closes(), 0);
    EXPECT_EQ(windowView.GLooks(), RecordingWindowView::Looks{});
    EXPECT_EQ(keyboard->ReportsReceived(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Messages, WrongTagIsIgnored,
                         ::testing::Values(WrongTag{"ProfWithLedTag", app::kMsgProf, app::kTagLed},
                                           WrongTag{"ProfWithNoTag", app::kMsgProf, 0},
                                           WrongTag{"LedWithProfTag", app::kMsgLed, app::kTagProf},
                                           WrongTag{"RemovedWithProfTag", app::kMsgRemoved,
                                                    app::kTagProf},
                                           WrongTag{"OpenIsNotOurs", app::kMsgOpen, app::kTagOpen}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceWindowHandlersDispatch, HandlesOnlyTheDeviceMessages) {
    EXPECT_TRUE(DeviceWindowHandlers::Handles(app::kMsgProf));
    EXPECT_TRUE(DeviceWindowHandlers::Handles(app::kMsgLed));
    EXPECT_TRUE(DeviceWindowHandlers::Handles(app::kMsgRemoved));
    EXPECT_FALSE(DeviceWindowHandlers::Handles(app::kMsgOpen));
    EXPECT_FALSE(DeviceWindowHandlers::Handles(app::kMsgInit));
    EXPECT_FALSE(DeviceWindowHandlers::Handles(app::kMsgKill));
}

// When the active profile cannot be read, or names no on-board profile, the LED handler names
// no key block: the G buttons keep their looks, and the profile buttons stay as they are.
struct UnreadableProfile {
    const char* name;
    bool plugged;
    std::uint8_t activeByte;
};

class LedWithoutActiveProfile : public MonitorTest,
                                public ::testing::WithParamInterface<UnreadableProfile> {};

TEST_P(LedWithoutActiveProfile, LeavesTheGButtonsAlone) {
    const auto param = GetParam();
    Start({.plugged = param.plugged,
           .prepare = [&](vkbd::VirtualKeyboard& k) { SetActiveProfile(k, param.activeByte); }});
    ASSERT_TRUE(
        WaitUntil([&] { return state().lastDeviceCount.load() == (param.plugged ? 1u : 0u); }));
    Settle();
    // Block 3 (held in memory, never on the keyboard) has assigned G keys; an index of 3 must
    // not reach it.
    for (unsigned g = 1; g <= 9; ++g) {
        SetStoreRecord(3, keys::GRecordIndex(0, g), 4);
    }
    calls.Clear();

    int result = 0;
    window.RunOnWindowThread([&] { result = window.SendMessage(app::kMsgLed, app::kTagLed); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(calls.Entries().size(), 1u);  // the profile was asked for
    EXPECT_EQ(windowView.GLooks(), RecordingWindowView::Looks{});
    EXPECT_TRUE(windowView.Selected().empty());
}

INSTANTIATE_TEST_SUITE_P(Profiles, LedWithoutActiveProfile,
                         ::testing::Values(UnreadableProfile{"NoKeyboard", false, 0},
                                           UnreadableProfile{"ProfileThree", true, 3},
                                           UnreadableProfile{"Profile255", true, 255}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MonitorTest, RemovedMessageClosesTheEditors) {
    Start({.plugged = false});
    Settle();
    int result = 0;
    window.RunOnWindowThread(
        [&] { result = window.SendMessage(app::kMsgRemoved, app::kTagRemoved); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(windowView.closes(), 1);
}

TEST_F(MonitorTest, TimersThatAreNotOursAreLeftToTheWindow) {
    Start({.plugged = false});
    Settle();
    bool ours = true;
    window.RunOnWindowThread([&] { ours = handlers->OnTimer(1052); });
    EXPECT_FALSE(ours);
    EXPECT_TRUE(calls.Entries().empty());
}

}  // namespace
}  // namespace qf::monitor::test
