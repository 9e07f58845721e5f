#include "device/services/virtual/delivery_queue.h"

namespace qf::vkbd {

DeliveryQueue::DeliveryQueue() : thread_([this] { Run(); }) {}

DeliveryQueue::~DeliveryQueue() {
    Stop();
}

void DeliveryQueue::Post(std::chrono::microseconds delay, std::function<void()> delivery) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        queue_.emplace(std::make_pair(Clock::now() + delay, nextSequence_++), std::move(delivery));
    }
    wake_.notify_one();
}

void DeliveryQueue::WaitIdle() {
    if (OnDeliveryThread()) {
        return;
    }
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return stopping_ || (queue_.empty() && !running_); });
}

void DeliveryQueue::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    idle_.notify_all();
    if (thread_.joinable() && !OnDeliveryThread()) {
        thread_.join();
    }
}

bool DeliveryQueue::OnDeliveryThread() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void DeliveryQueue::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto due = queue_.begin()->first.first;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        auto delivery = std::move(queue_.begin()->second);
        queue_.erase(queue_.begin());
        running_ = true;
        lock.unlock();
        delivery();
        lock.lock();
        running_ = false;
        if (queue_.empty()) {
            idle_.notify_all();
        }
    }
}

}  // namespace qf::vkbd
