// The dispatch rules of the window bridge, on a GUI thread of the test's own: results across
// threads, direct calls on the GUI thread, closing that releases waiting senders, and device
// work held while a busy scope is open.
#include "presenters/window_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "window_dispatch/test_gui_thread.h"

namespace qf::presenters::test {
namespace {

using namespace std::chrono_literals;

class WindowDispatcherTest : public ::testing::Test {
protected:
    void TearDown() override {
        dispatcher_.BeginClosing();
        gui_.Stop();
    }

    bool OnGui() const { return dispatcher_.OnGuiThread(); }

    TestGuiThread gui_;
    WindowDispatcher dispatcher_{gui_.Gui()};
};

TEST_F(WindowDispatcherTest, SendFromAnotherThreadRunsOnTheGuiThreadAndReturnsTheResult) {
    std::atomic<bool> ranOnGui{false};
    const int result = dispatcher_.Send<int>(
        WorkKind::Device,
        [&] {
            ranOnGui = OnGui();
            return 42;
        },
        0);
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(ranOnGui);

    // Results that are not numbers travel the same way.
    EXPECT_EQ(dispatcher_.Send<std::string>(
                  WorkKind::Plain, [] { return std::string("Yes"); }, std::string("No")),
              "Yes");
}

TEST_F(WindowDispatcherTest, SendOnTheGuiThreadRunsAtOnceEvenInsideABusyScope) {
    gui_.Run([&] {
        const int postedBefore = gui_.posted();
        auto busy = dispatcher_.Busy();
        int order = 0;
        const int result = dispatcher_.Send<int>(
            WorkKind::Device, [&] { return ++order; }, 0);
        EXPECT_EQ(result, 1);
        dispatcher_.Call(WorkKind::Device, [&] { ++order; });
        EXPECT_EQ(order, 2);
        EXPECT_EQ(gui_.posted(), postedBefore);  // nothing went through the queue
    });
}

TEST_F(WindowDispatcherTest, AfterClosingStartsNothingRunsAndSendsReturnAtOnce) {
    std::atomic<int> ran{0};
    dispatcher_.BeginClosing();
    EXPECT_EQ(dispatcher_.Send<int>(
                  WorkKind::Plain, [&] { return ++ran; }, -7),
              -7);
    EXPECT_FALSE(dispatcher_.Send(WorkKind::Device, [&] { ++ran; }));
    dispatcher_.Post(WorkKind::Plain, [&] { ++ran; });
    dispatcher_.Call(WorkKind::Plain, [&] { ++ran; });
    gui_.Run([&] {
        EXPECT_EQ(dispatcher_.Send<int>(
                      WorkKind::Plain, [&] { return ++ran; }, -7),
                  -7);
    });
    EXPECT_EQ(ran.load(), 0);
}

TEST_F(WindowDispatcherTest, ClosingReleasesASenderWaitingOnABusyGuiThread) {
    // The GUI thread is inside an operation; the presence thread sends the removal message and
    // waits. Stopping the monitor joins the presence thread: closing must let it go.
    std::atomic<bool> guiInside{false};
    std::atomic<bool> release{false};
    std::atomic<int> handled{0};
    gui_.Post([&] {
        auto busy = dispatcher_.Busy();
        guiInside = true;
        gui_.RunNested([&] { return release.load(); });
    });
    while (!guiInside) {
        std::this_thread::yield();
    }
    std::atomic<int> answer{-1};
    std::thread presence([&] {
        answer = dispatcher_.Send<int>(
            WorkKind::Device, [&] { return ++handled; }, 0);
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(answer.load(), -1);  // still waiting

    dispatcher_.BeginClosing();
    presence.join();  // returns: the sender was released
    EXPECT_EQ(answer.load(), 0);

    release = true;
    gui_.Nudge();
    gui_.Run([] {});
    EXPECT_EQ(handled.load(), 0);  // and the held message never runs
}

TEST_F(WindowDispatcherTest, DeviceWorkDuringABusyScopeRunsAfterItInOrder) {
    // An Apply is running; it asks the user something (a nested loop). Meanwhile the presence
    // thread sends a full refresh and the monitor posts the LED message: neither may run inside
    // the Apply, while the question itself (plain work) is answered inside it.
    std::vector<std::string> log;  // written on the GUI thread only
    std::atomic<bool> sent{false};
    std::atomic<bool> questionDone{false};
    std::atomic<int> refreshResult{-1};
    std::thread presence;

    gui_.Run([&] {
        auto apply = dispatcher_.Busy();
        log.push_back("apply begins");
        presence = std::thread([&] {
            dispatcher_.Post(WorkKind::Device, [&] { log.push_back("led"); });
            sent = true;
            refreshResult = dispatcher_.Send<int>(
                WorkKind::Device,
                [&] {
                    log.push_back("refresh");
                    return 1;
                },
                0);
        });
        std::thread asker([&] {
            while (!sent) {
                std::this_thread::yield();
            }
            (void)dispatcher_.Send<bool>(
                WorkKind::Plain,
                [&] {
                    log.push_back("question");
                    return true;
                },
                false);
            questionDone = true;
            gui_.Nudge();
        });
        // The message box's loop: it runs what comes, for a while.
        EXPECT_TRUE(gui_.RunNested([&] { return questionDone.load(); }));
        gui_.RunNested([] { return false; }, 30ms);
        asker.join();
        EXPECT_GE(dispatcher_.heldDeviceWork(), 1u);
        log.push_back("apply ends");
    });
    presence.join();
    gui_.Run([] {});

    EXPECT_EQ(refreshResult.load(), 1);
    gui_.Run([&] {
        const std::vector<std::string> expected = {"apply begins", "question", "apply ends", "led",
                                                   "refresh"};
        EXPECT_EQ(log, expected);
        EXPECT_EQ(dispatcher_.heldDeviceWork(), 0u);
    });
}

TEST_F(WindowDispatcherTest, DeviceWorkIsItsOwnBusyScope) {
    // A refresh shows a message box; the LED message arriving then waits for the refresh.
    std::vector<std::string> log;
    std::atomic<bool> ledPosted{false};
    std::promise<void> done;
    std::thread monitor;
    dispatcher_.Post(WorkKind::Device, [&] {
        log.push_back("refresh begins");
        EXPECT_TRUE(dispatcher_.busy());
        monitor = std::thread([&] {
            dispatcher_.Post(WorkKind::Device, [&] {
                log.push_back("led");
                done.set_value();
            });
            ledPosted = true;
            gui_.Nudge();
        });
        gui_.RunNested([&] { return ledPosted.load(); });
        gui_.RunNested([] { return false; }, 20ms);
        log.push_back("refresh ends");
    });
    ASSERT_EQ(done.get_future().wait_for(10s), std::future_status::ready);
    monitor.join();
    gui_.Run([&] {
        const std::vector<std::string> expected = {"refresh begins", "refresh ends", "led"};
        EXPECT_EQ(log, expected);
        EXPECT_FALSE(dispatcher_.busy());
    });
}

TEST_F(WindowDispatcherTest, ManySendersFromManyThreadsEachGetTheirOwnResult) {
    constexpr int kThreads = 4;
    constexpr int kSends = 200;
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    int total = 0;  // GUI thread only
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kSends; ++i) {
                const int expected = t * 1000 + i;
                const auto kind = i % 2 == 0 ? WorkKind::Plain : WorkKind::Device;
                const int got = dispatcher_.Send<int>(
                    kind,
                    [&, expected] {
                        ++total;
                        return expected;
                    },
                    -1);
                if (got != expected) {
                    ++wrong;
                }
            }
        });
    }
    // Busy scopes come and go on the GUI thread meanwhile.
    for (int i = 0; i < 50; ++i) {
        gui_.Post([&] { auto busy = dispatcher_.Busy(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    gui_.Run([&] { EXPECT_EQ(total, kThreads * kSends); });
}

}  // namespace
}  // namespace qf::presenters::test
