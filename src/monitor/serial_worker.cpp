#include "monitor/serial_worker.h"

#include <utility>

namespace qf::monitor {

SerialWorker::SerialWorker() : thread_([this] { Run(); }) {}

SerialWorker::~SerialWorker() {
    Stop();
}

bool SerialWorker::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return false;
        }
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

void SerialWorker::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    idle_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SerialWorker::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return (queue_.empty() && !running_) || stopping_; });
}

void SerialWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            break;
        }
        std::function<void()> task = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        task();
        task = nullptr;  // whatever the task holds goes before the worker reports idle
        lock.lock();
        running_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
    running_ = false;
    idle_.notify_all();
}

}  // namespace qf::monitor
