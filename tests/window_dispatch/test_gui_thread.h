// A GUI thread for the dispatcher's tests: a thread running a task loop, which can also run a
// nested loop (as a message box or modal dialog does) until a condition holds.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "presenters/window_dispatcher.h"

namespace qf::presenters::test {

class TestGuiThread {
public:
    TestGuiThread() : thread_([this] { Loop([this] { return stopping_.load(); }); }) {}
    ~TestGuiThread() { Stop(); }

    // Ends the loop; tasks still queued are dropped, never run.
    void Stop() {
        stopping_.store(true);
        wake_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    GuiThread Gui() {
        return {[this](std::function<void()> task) { Post(std::move(task)); },
                [this] { return std::this_thread::get_id() == thread_.get_id(); }};
    }

    void Post(std::function<void()> task) {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            ++posted_;
        }
        wake_.notify_all();
    }

    // Runs `work` on the GUI thread and waits for it.
    void Run(const std::function<void()>& work) {
        std::mutex doneMutex;
        std::condition_variable doneWake;
        bool done = false;
        Post([&] {
            work();
            std::lock_guard lock(doneMutex);
            done = true;
            doneWake.notify_all();
        });
        std::unique_lock lock(doneMutex);
        doneWake.wait(lock, [&] { return done; });
    }

    // On the GUI thread: runs queued tasks, as a modal dialog's loop does, until `until` holds
    // or the timeout passes. True when it held.
    bool RunNested(const std::function<bool()>& until,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        Loop([&] {
            return until() || stopping_.load() || std::chrono::steady_clock::now() > deadline;
        });
        return until();
    }

    // Wakes a nested loop so that it looks at its condition again.
    void Nudge() {
        Post([] {});
    }

    int posted() const {
        std::lock_guard lock(mutex_);
        return posted_;
    }

private:
    void Loop(const std::function<bool()>& stop) {
        std::unique_lock lock(mutex_);
        for (;;) {
            lock.unlock();
            if (stop()) {
                return;
            }
            lock.lock();
            if (tasks_.empty()) {
                wake_.wait_for(lock, std::chrono::milliseconds(5));
                continue;
            }
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::atomic<bool> stopping_{false};
    int posted_ = 0;
    std::thread thread_;
};

}  // namespace qf::presenters::test
