// The virtual keyboard's transport: a thread of its own that runs queued deliveries (replies,
// count changes, key events) once they are due, in due order and, for equal times, in the order
// they were posted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace qf::vkbd {

class DeliveryQueue {
public:
    using Clock = std::chrono::steady_clock;

    DeliveryQueue();
    // Stops the thread; deliveries not yet run are dropped.
    ~DeliveryQueue();
    DeliveryQueue(const DeliveryQueue&) = delete;
    DeliveryQueue& operator=(const DeliveryQueue&) = delete;

    // Never blocks on a delivery.
    void Post(std::chrono::microseconds delay, std::function<void()> delivery);
    // Returns when nothing is queued or running; at once on the delivery thread itself.
    void WaitIdle();
    // Drops what is queued, waits for a running delivery and ends the thread. Idempotent.
    void Stop();
    bool OnDeliveryThread() const;

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::map<std::pair<Clock::time_point, std::uint64_t>, std::function<void()>> queue_;
    std::uint64_t nextSequence_ = 0;
    bool running_ = false;  // a delivery is running
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace qf::vkbd
