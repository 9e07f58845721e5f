// The monitor's worker thread: order, idle, and what Stop does with queued work.
#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "monitor/serial_worker.h"

namespace qf::monitor {
namespace {

TEST(SerialWorker, RunsTasksOneAtATimeInPostOrderOffTheCallersThread) {
    SerialWorker worker;
    std::mutex mutex;
    std::vector<int> order;
    bool onWorker = true;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(worker.Post([&, i] {
            std::lock_guard lock(mutex);
            order.push_back(i);
            onWorker = onWorker && worker.OnWorkerThread();
        }));
    }
    worker.WaitIdle();
    std::lock_guard lock(mutex);
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(order[i], i);
    }
    EXPECT_TRUE(onWorker);
    EXPECT_FALSE(worker.OnWorkerThread());
}

TEST(SerialWorker, StopFinishesTheRunningTaskDropsTheQueueAndRefusesMore) {
    SerialWorker worker;
    std::promise<void> started;
    std::promise<void> release;
    auto gate = release.get_future();
    bool firstFinished = false;
    bool queuedRan = false;
    ASSERT_TRUE(worker.Post([&] {
        started.set_value();
        gate.wait();
        firstFinished = true;
    }));
    ASSERT_TRUE(worker.Post([&] { queuedRan = true; }));
    started.get_future().wait();

    std::thread stopper([&] { worker.Stop(); });
    // Once Post is refused, Stop has emptied the queue and waits for the running task.
    while (worker.Post([] {})) {
        std::this_thread::yield();
    }
    release.set_value();
    stopper.join();

    EXPECT_TRUE(firstFinished);
    EXPECT_FALSE(queuedRan);
    EXPECT_FALSE(worker.Post([&] { queuedRan = true; }));
    worker.WaitIdle();  // returns at once once stopped
    worker.Stop();      // idempotent
    EXPECT_FALSE(queuedRan);
}

}  // namespace
}  // namespace qf::monitor
