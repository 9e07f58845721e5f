// The device monitor working through the bridge against the virtual keyboard: its threads reach
// the windows on the GUI thread, and closing lets a stop join a thread blocked in a send.
#include <gtest/gtest.h>

#include <memory>

#include "app/app_state.h"
#include "app/window_messages.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "keys/default_keymap.h"
#include "monitor/device_monitor.h"
#include "monitor/led_status.h"
#include "text/language.h"
#include "ui/bridge/window_bridge.h"
#include "ui_bridge/bridge_fakes.h"

namespace qf::ui::test {
namespace {

class MonitorOnBridge : public ::testing::Test {
protected:
    void StartMonitor() {
        monitor_ = std::make_unique<monitor::DeviceMonitor>(
            monitor::MonitorDependencies{
                .link = link_,
                .appState = state_,
                .window = bridge_.link(),
                .ledStatus = led_,
                .bankView = bridge_.bankView(),
                .defaultKeymap = defaultKeymap_,
                .prompter = bridge_.prompter(),
                .language = language_,
            },
            monitor::MonitorTiming{.readyPoll = std::chrono::milliseconds(1)});
        (void)monitor_->Start();
    }

    void TearDown() override {
        bridge_.BeginClosing();
        if (monitor_) {
            monitor_->Stop();
        }
        keyboard_.WaitIdle();
    }

    GuiLog log_;
    FakeBoxes boxes_{log_};
    FakeMainWindow window_{log_};
    FakeBankView bankView_{log_};
    WindowBridge bridge_{&boxes_};

    vkbd::VirtualKeyboard keyboard_;
    device::DeviceLink link_{keyboard_, device::TransactionTiming::Scaled(0.05)};
    app::AppState state_;
    monitor::LedStatusWord led_;
    keys::DefaultKeymap defaultKeymap_;
    text::LanguageTable language_;
    std::unique_ptr<monitor::DeviceMonitor> monitor_;
};

TEST_F(MonitorOnBridge, BankSwitchFromTheMonitorsThreadUpdatesTheWindowOnTheGuiThread) {
    bridge_.link().Bind(&window_);
    bridge_.bankView().Bind(&bankView_);
    bridge_.link().SetReady(true);
    StartMonitor();
    // The arrival ends with the window asked to show itself (OPEN).
    ASSERT_TRUE(
        RunUntil([&] { return !log_.entries.empty() && log_.entries.back() == "message 5350"; }));
    EXPECT_EQ(log_.entries, (std::vector<std::string>{"message 5452", "icon 141", "message 5350"}));
    log_.entries.clear();

    keyboard_.PressBankSwitch();
    ASSERT_TRUE(RunUntil([&] { return log_.entries.size() >= 2 + monitor::kGButtonCount; }));
    EXPECT_EQ(log_.entries[0], "message 5045");  // LED, sent and waited for
    EXPECT_EQ(log_.entries[1], "bank B");
    EXPECT_EQ(log_.entries[2], "G1=B1");
    EXPECT_EQ(log_.entries[7], "G6=B6");
    EXPECT_EQ(log_.entries[10], "G9=");
    EXPECT_TRUE(log_.allOnGuiThread);
}

TEST_F(MonitorOnBridge, StopDoesNotWaitForAPresenceThreadBlockedInASend) {
    // No main window is bound yet: the presence thread's PROF waits for one. The ending begins
    // closing, then stops the monitor on the GUI thread itself, which joins that thread.
    StartMonitor();
    NestedLoopFor(100);
    EXPECT_EQ(state_.lastDeviceCount.load(), 0u);  // still inside its send
    bridge_.BeginClosing();
    monitor_->Stop();
    EXPECT_TRUE(log_.entries.empty());
}

}  // namespace
}  // namespace qf::ui::test
