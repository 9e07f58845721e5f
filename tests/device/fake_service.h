// A scripted device service for the device link's tests.
//
// It records every call, and answers every report written to the control interface with the
// next scripted response, or with the default responder once the script is used up. Replies
// and notifications are delivered on the fake's own thread, optionally after a delay, through
// the sink of the standing read request with the matching tag, as the real service does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "device/device_service.h"
#include "device/report.h"

namespace qf::device::test {

using Bytes = std::vector<std::uint8_t>;

// What the fake does with one control report.
struct Response {
    enum class Kind { Reply, NoReply, Refuse };
    Kind kind = Kind::Reply;
    Bytes bytes;  // the reply for Kind::Reply
    std::chrono::microseconds delay{0};

    static Response Reply(Bytes bytes, std::chrono::microseconds delay = {}) {
        return {Kind::Reply, std::move(bytes), delay};
    }
    static Response NoReply() { return {Kind::NoReply, {}, {}}; }
    static Response Refuse() { return {Kind::Refuse, {}, {}}; }
};

// The reply a working keyboard gives: the request's command, status 0, and as data the low
// byte of (address + i) for data byte i, so that a read sees each address hold its own low
// byte.
inline Bytes MemoryReply(const Report& request, std::uint8_t status = 0) {
    Bytes reply(kReportSize, 0);
    reply[report::kId] = report::kReportId;
    reply[report::kCommand] = request[report::kCommand];
    reply[report::kStatus] = status;
    const std::uint16_t address = ReadLe16(request.data() + report::kAddress);
    for (std::size_t i = 0; i < kReportDataSize; ++i) {
        reply[report::kData + i] = static_cast<std::uint8_t>(address + i);
    }
    return reply;
}

class FakeService final : public DeviceService {
public:
    using Responder = std::function<Response(const Report& request)>;

    struct Write {
        QfRequestKey key;
        Report frame;
        std::uint32_t length;
        std::uint32_t unitId;
    };
    struct Request {
        QfRequestKey key;
        NotificationSink* sink;
        std::uint32_t tag;
        std::uint32_t unitId;
        std::uint32_t id;
        Bytes data;  // status writes only
    };

    FakeService() : thread_([this] { Run(); }) {}
    ~FakeService() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

    // --- programming -------------------------------------------------------------------
    void SetDeviceCount(int count) {
        std::lock_guard lock(mutex_);
        deviceCount_ = count;
    }
    void Script(std::vector<Response> responses) {
        std::lock_guard lock(mutex_);
        for (auto& r : responses) {
            script_.push_back(std::move(r));
        }
    }
    void SetResponder(Responder responder) {
        std::lock_guard lock(mutex_);
        responder_ = std::move(responder);
    }
    // Sends an input report (kind 1) on the standing request with `tag`.
    void SendInput(std::uint32_t tag, Bytes bytes, std::chrono::microseconds delay = {}) {
        Enqueue({Clock::now() + delay, QF_NOTIFY_INPUT, tag, std::move(bytes), 0});
    }
    // Sends a count change (kind 0) on the request with `tag`.
    void SendCountChange(std::uint32_t tag, std::uint32_t count) {
        Enqueue({Clock::now(), QF_NOTIFY_COUNT_CHANGED, tag, {}, count});
    }
    // Returns once every queued delivery has been made.
    void WaitIdle() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return queue_.empty() && !delivering_; });
    }

    // --- observation -------------------------------------------------------------------
    std::vector<Write> writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    std::vector<Report> frames() const {
        std::vector<Report> out;
        for (const auto& w : writes()) {
            out.push_back(w.frame);
        }
        return out;
    }
    std::vector<Request> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::vector<std::uint32_t> deleted() const {
        std::lock_guard lock(mutex_);
        return deleted_;
    }
    int countQueries() const {
        std::lock_guard lock(mutex_);
        return countQueries_;
    }
    std::uint32_t lastCountUnitId() const {
        std::lock_guard lock(mutex_);
        return lastCountUnitId_;
    }
    void ClearRecords() {
        std::lock_guard lock(mutex_);
        writes_.clear();
        countQueries_ = 0;
    }

    // --- DeviceService ------------------------------------------------------------------
    int RequestGetDeviceCount(const QfRequestKey&, std::uint32_t unitId) override {
        std::lock_guard lock(mutex_);
        ++countQueries_;
        lastCountUnitId_ = unitId;
        return deviceCount_;
    }

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        Write write{key, {}, length, unitId};
        std::memcpy(write.frame.data(), data, std::min<std::size_t>(length, kReportSize));
        Response response;
        {
            std::lock_guard lock(mutex_);
            writes_.push_back(write);
            if (!script_.empty()) {
                response = std::move(script_.front());
                script_.pop_front();
            } else if (responder_) {
                response = responder_(write.frame);
            } else {
                response = Response::Reply(MemoryReply(write.frame));
            }
        }
        switch (response.kind) {
            case Response::Kind::Refuse:
                return 0;
            case Response::Kind::NoReply:
                return 1;
            case Response::Kind::Reply:
                Enqueue({Clock::now() + response.delay, QF_NOTIFY_INPUT, kTagCtrl,
                         std::move(response.bytes), 0});
                return 1;
        }
        return 1;
    }

    int RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override {
        std::lock_guard lock(mutex_);
        const std::uint32_t id = nextId_++;
        requests_.push_back({key, sink, tag, unitId, id, {}});
        live_[id] = requests_.back();
        if (requestId != nullptr) {
            *requestId = id;
        }
        return 1;
    }

    int RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                           const std::uint8_t* data, std::uint32_t length, std::uint32_t unitId,
                           std::uint32_t* requestId) override {
        std::lock_guard lock(mutex_);
        const std::uint32_t id = nextId_++;
        requests_.push_back({key, sink, tag, unitId, id, Bytes(data, data + length)});
        if (requestId != nullptr) {
            *requestId = id;
        }
        return 1;
    }

    int DeleteRequestFromUnitId(std::uint32_t requestId) override {
        // Taking the delivery lock means no callback of the withdrawn request is in flight
        // once this returns (recursive: a callback may withdraw a request itself).
        std::lock_guard delivery(deliveryMutex_);
        std::lock_guard lock(mutex_);
        deleted_.push_back(requestId);
        live_.erase(requestId);
        return requestId != 0 ? 1 : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Delivery {
        Clock::time_point due;
        std::uint32_t kind;
        std::uint32_t tag;
        Bytes bytes;
        std::uint32_t count;
    };

    void Enqueue(Delivery delivery) {
        {
            std::lock_guard lock(mutex_);
            auto pos = queue_.begin();
            while (pos != queue_.end() && pos->due <= delivery.due) {
                ++pos;
            }
            queue_.insert(pos, std::move(delivery));
        }
        cv_.notify_all();
    }

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            if (Clock::now() < queue_.front().due) {
                cv_.wait_until(lock, queue_.front().due);
                continue;
            }
            Delivery delivery = std::move(queue_.front());
            queue_.pop_front();
            delivering_ = true;
            lock.unlock();
            Deliver(delivery);
            lock.lock();
            delivering_ = false;
            idle_.notify_all();
        }
    }

    void Deliver(const Delivery& delivery) {
        std::lock_guard deliveryLock(deliveryMutex_);
        NotificationSink* sink = nullptr;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [id, request] : live_) {
                if (request.tag == delivery.tag) {
                    sink = request.sink;
                }
            }
        }
        if (sink == nullptr) {
            return;  // no standing request: the report goes nowhere
        }
        QfBufferRecord buffer{};
        QfRequestBlock block{};
        block.tag = delivery.tag;
        if (delivery.kind == QF_NOTIFY_COUNT_CHANGED) {
            block.byte_count = delivery.count;
        } else {
            block.byte_count = static_cast<std::uint32_t>(delivery.bytes.size());
            // Consumer reports are reachable only through the buffer record, control replies
            // only through the block, so that reading the wrong one shows.
            if (delivery.tag == kTagCons) {
                buffer.bytes = delivery.bytes.data();
                block.buffer = &buffer;
            } else {
                block.bytes = delivery.bytes.data();
            }
        }
        QfDeviceNotification notification{delivery.kind, 0xDEADBEEF, &block};
        sink->OnDeviceNotify(notification);
    }

    mutable std::mutex mutex_;
    std::recursive_mutex deliveryMutex_;
    std::condition_variable cv_;
    std::condition_variable idle_;
    bool stopping_ = false;
    bool delivering_ = false;
    int deviceCount_ = 1;
    int countQueries_ = 0;
    std::uint32_t lastCountUnitId_ = 0;
    std::uint32_t nextId_ = 100;
    std::deque<Response> script_;
    Responder responder_;
    std::vector<Write> writes_;
    std::vector<Request> requests_;
    std::map<std::uint32_t, Request> live_;
    std::vector<std::uint32_t> deleted_;
    std::deque<Delivery> queue_;
    std::thread thread_;
};

}  // namespace qf::device::test
