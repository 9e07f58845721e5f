// The Qt window bridge: the prompter and the main-window link reached from other threads, the
// link before a window is bound, timers, busy scopes and closing.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/window_messages.h"
#include "ui/bridge/qt_platform.h"
#include "ui/bridge/window_bridge.h"
#include "ui_bridge/bridge_fakes.h"

namespace qf::ui::test {
namespace {

using text::TextId;

class BridgeTest : public ::testing::Test {
protected:
    void TearDown() override {
        bridge_.BeginClosing();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    // Runs `work` on a thread of its own; `done` turns true when it returns.
    void OnWorker(std::function<void()> work, std::atomic<bool>& done) {
        threads_.emplace_back([work = std::move(work), &done] {
            work();
            done = true;
        });
    }

    GuiLog log_;
    FakeBoxes boxes_{log_};
    FakeMainWindow window_{log_};
    WindowBridge bridge_{&boxes_};
    std::vector<std::thread> threads_;
};

TEST_F(BridgeTest, PrompterFromAWorkerShowsOnTheGuiThreadAndReturnsTheAnswer) {
    std::atomic<bool> done{false};
    std::atomic<int> answers{0};
    OnWorker(
        [&] {
            bridge_.prompter().ShowMessage(TextId::MAIN_DEFAULT_MATRIX_PROMPT,
                                           "Reads the default keyboard layout failure");
            if (bridge_.prompter().AskYesNo(TextId::PROFILE_SELECT_PROMPT, "保存？")) {
                ++answers;
            }
        },
        done);
    ASSERT_TRUE(RunUntil([&] { return done.load(); }));
    EXPECT_EQ(answers.load(), 1);
    const std::vector<std::string> expected = {"message Reads the default keyboard layout failure",
                                               "question 保存？"};
    EXPECT_EQ(log_.entries, expected);
    EXPECT_TRUE(log_.allOnGuiThread);

    boxes_.answer = false;
    EXPECT_FALSE(bridge_.prompter().AskYesNo(TextId::PROFILE_SELECT_PROMPT, "again"));
}

TEST_F(BridgeTest, AfterClosingPrompterAndLinkAnswerAtOnce) {
    bridge_.link().Bind(&window_);
    bridge_.BeginClosing();
    EXPECT_FALSE(bridge_.prompter().AskYesNo(TextId::PROFILE_SELECT_PROMPT, "Save?"));
    bridge_.prompter().ShowMessage(TextId::MAIN_NO_DEVICE_PROMPT, "no device");
    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    OnWorker([&] { result = bridge_.link().SendMessage(app::kMsgProf, app::kTagProf); }, done);
    threads_.back().join();
    threads_.clear();
    EXPECT_EQ(result.load(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log_.entries.empty());
}

TEST_F(BridgeTest, LinkHoldsMessagesUntilAWindowIsBoundThenDeliversThemInOrder) {
    // The session hands the link to the monitor before the main window exists.
    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    bridge_.link().SetTrayIcon(app::kIconKeyboardPresent);
    OnWorker(
        [&] {
            bridge_.link().PostMessage(app::kMsgOpen, app::kTagOpen);
            result = bridge_.link().SendMessage(app::kMsgProf, app::kTagProf);
        },
        done);
    NestedLoopFor(50);
    EXPECT_FALSE(done.load());  // the sender waits for a window
    EXPECT_TRUE(log_.entries.empty());

    window_.onMessage = [](std::uint32_t message, std::uint32_t) {
        return message == app::kMsgProf ? 7 : 1;
    };
    bridge_.link().Bind(&window_);
    ASSERT_TRUE(RunUntil([&] { return done.load(); }));
    EXPECT_EQ(result.load(), 7);
    const std::vector<std::string> expected = {"icon 141", "message 5350", "message 5452"};
    EXPECT_EQ(log_.entries, expected);
    EXPECT_TRUE(log_.allOnGuiThread);

    // On the GUI thread a send runs at once.
    EXPECT_EQ(bridge_.link().SendMessage(app::kMsgProf, app::kTagProf), 7);
    EXPECT_EQ(log_.entries.back(), "message 5452");
    bridge_.link().HideWindow();
    EXPECT_EQ(log_.entries.back(), "hide");
}

TEST_F(BridgeTest, TimerFiresOnTheGuiThreadButNotInsideABusyScope) {
    bridge_.link().Bind(&window_);
    std::atomic<bool> done{false};
    OnWorker([&] { bridge_.link().StartTimer(app::kTimerRereadKeyboard, 0); }, done);
    {
        auto busy = bridge_.Busy();
        NestedLoopFor(60);
        EXPECT_TRUE(done.load());
        EXPECT_TRUE(log_.entries.empty());
    }
    ASSERT_TRUE(RunUntil([&] { return !log_.entries.empty(); }));
    EXPECT_EQ(log_.entries, std::vector<std::string>{"timer 041D"});
    NestedLoopFor(20);
    EXPECT_EQ(log_.entries.size(), 1u);  // once: the timer stopped itself
}

TEST_F(BridgeTest, RefreshSentWhileAnApplyAsksTheUserRunsAfterTheApply) {
    // Apply runs on the GUI thread in a busy scope and shows a message box (a nested loop);
    // meanwhile the presence thread sends the full refresh. The refresh must not run inside the
    // Apply: it runs, and the sender gets its answer, once the Apply has ended.
    bridge_.link().Bind(&window_);
    std::atomic<bool> done{false};
    std::atomic<int> result{-1};
    boxes_.whileOpen = [&] {
        OnWorker([&] { result = bridge_.link().SendMessage(app::kMsgProf, app::kTagProf); }, done);
        NestedLoopFor(80);
        log_.Add("box closed");
    };
    {
        auto apply = bridge_.Busy();
        log_.Add("apply begins");
        bridge_.prompter().ShowMessage(TextId::MAIN_NO_DEVICE_PROMPT, "Apply failed");
        log_.Add("apply ends");
    }
    EXPECT_FALSE(done.load());
    ASSERT_TRUE(RunUntil([&] { return done.load(); }));
    EXPECT_EQ(result.load(), 1);
    const std::vector<std::string> expected = {"apply begins", "message Apply failed", "box closed",
                                               "apply ends", "message 5452"};
    EXPECT_EQ(log_.entries, expected);
}

TEST_F(BridgeTest, BankViewFromAnotherThreadReachesTheViewOnTheGuiThreadInOrder) {
    FakeBankView view(log_);
    std::atomic<bool> done{false};
    // Before the view exists: the latest state is kept for it.
    OnWorker(
        [&] {
            bridge_.bankView().ShowBankIndicator(true);
            bridge_.bankView().SetGButtonLabel(0, "B1");
            bridge_.bankView().SetGButtonLabel(0, "A1");
        },
        done);
    ASSERT_TRUE(RunUntil([&] { return done.load(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(log_.entries.empty());
    bridge_.bankView().Bind(&view);
    EXPECT_EQ(log_.entries, (std::vector<std::string>{"bank B", "G1=A1"}));

    log_.entries.clear();
    std::atomic<bool> switched{false};
    OnWorker(
        [&] {
            bridge_.bankView().ShowBankIndicator(false);
            for (std::size_t i = 0; i < monitor::kGButtonCount; ++i) {
                bridge_.bankView().SetGButtonLabel(i, monitor::GButtonLabel(false, i));
            }
        },
        switched);
    ASSERT_TRUE(RunUntil([&] { return log_.entries.size() == 1 + monitor::kGButtonCount; }));
    EXPECT_EQ(log_.entries.front(), "bank A");
    EXPECT_EQ(log_.entries[1], "G1=A1");
    EXPECT_EQ(log_.entries[6], "G6=A6");
    EXPECT_EQ(log_.entries[9], "G9=");
    EXPECT_TRUE(log_.allOnGuiThread);
}

TEST(QtPlatform, X11UnlessTheEnvironmentNamesAPlatformOrHasNoXServer) {
    EXPECT_EQ(ChooseQtPlatform("", ":0", ""), "xcb");
    EXPECT_EQ(ChooseQtPlatform("", ":0", "wayland-0"), "xcb");  // XWayland
    EXPECT_EQ(ChooseQtPlatform("", "", ""), "xcb");             // Qt then says it has no display
    EXPECT_EQ(ChooseQtPlatform("wayland", ":0", "wayland-0"), "");
    EXPECT_EQ(ChooseQtPlatform("offscreen", "", ""), "");
    EXPECT_EQ(ChooseQtPlatform("", "", "wayland-0"), "");  // no XWayland: left to Qt
}

}  // namespace
}  // namespace qf::ui::test
