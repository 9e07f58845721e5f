// A thread of its own that runs queued tasks one at a time, in the order they were posted.
//
// The monitor uses one for the keyboard's key events and one for the presence checks, so that
// nothing that waits (for the window thread, for the keyboard) ever runs on the device
// service's thread, and so that work of one kind is handled strictly in arrival order.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qf::monitor {

class SerialWorker {
public:
    SerialWorker();
    // Stop().
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // Queues a task. False (and the task is dropped) once Stop has begun.
    bool Post(std::function<void()> task);
    // Drops the queued tasks, waits for the running one and ends the thread. Idempotent. Must not
    // be called from a task.
    void Stop();
    // Returns when nothing is queued or running. Must not be called from a task.
    void WaitIdle();
    bool OnWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> queue_;
    bool running_ = false;  // a task is running
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace qf::monitor
