#include "device/transaction.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "device/report.h"
#include "device/result.h"

namespace qf::device {

namespace {

constexpr unsigned kMaxSends = 3;
// A reply must reach its status byte before the transaction can judge it.
constexpr std::uint32_t kMinimumReplyLength = report::kStatus + 1;

std::chrono::microseconds Scale(std::chrono::microseconds value, double factor) {
    const double scaled = static_cast<double>(value.count()) * factor;
    return std::chrono::microseconds(static_cast<std::chrono::microseconds::rep>(scaled + 0.5));
}

}  // namespace

TransactionTiming TransactionTiming::Scaled(double factor) {
    TransactionTiming timing;
    factor = std::max(factor, 0.0);
    timing.replyWait = Scale(timing.replyWait, factor);
    timing.retryPause = Scale(timing.retryPause, factor);
    timing.backoff = Scale(timing.backoff, factor);
    timing.endTransferPause = Scale(timing.endTransferPause, factor);
    return timing;
}

void AutoResetEvent::Signal() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    cv_.notify_one();
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool AutoResetEvent::WaitFor(std::chrono::microseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return signalled_; })) {
        return false;
    }
    signalled_ = false;
    return true;
}

ReportTransport::ReportTransport(DeviceService& service, TransactionTiming timing)
    : service_(service), timing_(timing), countUnitId_(ComputeUnitId(kControlKey, 0, kTagNone)) {}

int ReportTransport::GetControlDeviceCount() {
    return service_.RequestGetDeviceCount(kControlKey, countUnitId_);
}

std::uint64_t ReportTransport::AcquireSlot(std::uint8_t* reply, std::uint32_t capacity,
                                           PendingReply& pending) {
    std::unique_lock lock(slotMutex_);
    // Another attempt still waits for its reply: give it the back-off time to let go. An
    // attempt that changes hands meanwhile restarts the wait; only an attempt that holds the
    // slot for the whole back-off (its own reply wait is shorter) has the slot taken over.
    while (awaiting_) {
        const std::uint64_t holder = generation_;
        const bool released = slotReleased_.wait_for(
            lock, timing_.backoff, [&] { return !awaiting_ || generation_ != holder; });
        if (!released) {
            awaiting_ = false;
        }
    }
    replyBuffer_ = reply;
    replyCapacity_ = capacity;
    pending.receivedLength = 0;
    pending.event.Reset();
    pending_ = &pending;
    awaiting_ = true;
    return ++generation_;
}

void ReportTransport::ReleaseSlot(std::uint64_t generation) {
    {
        std::lock_guard lock(slotMutex_);
        if (generation_ != generation || !awaiting_) {
            return;  // taken over: the slot no longer points at this attempt
        }
        awaiting_ = false;
        replyBuffer_ = nullptr;
        replyCapacity_ = 0;
        pending_ = nullptr;
    }
    slotReleased_.notify_all();
}

DeviceResult ReportTransport::TransactReport(const std::uint8_t* request,
                                             std::uint32_t requestLength, std::uint8_t* reply,
                                             std::uint32_t replyCapacity,
                                             std::int32_t* receivedLength) {
    if (receivedLength != nullptr) {
        *receivedLength = 0;
    }
    if ((request == nullptr && requestLength > 0) || reply == nullptr ||
        replyCapacity < kMinimumReplyLength) {
        return DeviceResult::BadArgument;
    }
    if (GetControlDeviceCount() == 0) {
        return DeviceResult::NoDevice;
    }

    Report frame{};
    if (request != nullptr) {
        std::memcpy(frame.data(), request, std::min<std::size_t>(requestLength, kReportSize));
    }
    const std::uint32_t unitId = ComputeUnitId(kControlKey, 0, kTagNone, frame);
    const std::uint8_t command = frame[report::kCommand];

    PendingReply pending;
    unsigned sends = 0;
    for (;;) {
        const std::uint64_t generation = AcquireSlot(reply, replyCapacity, pending);
        const int written =
            service_.RequestWriteOne(kControlKey, frame.data(), kReportSize, unitId);
        if (written <= 0) {
            ReleaseSlot(generation);
            return DeviceResult::WriteRefused;
        }
        const bool signalled = pending.event.WaitFor(timing_.replyWait);
        ReleaseSlot(generation);
        // From here on no delivery writes to `reply` or `pending`.
        ++sends;

        const std::uint32_t received = pending.receivedLength;
        const bool answered =
            signalled && received >= kMinimumReplyLength && reply[report::kCommand] == command;
        if (answered) {
            const std::uint8_t status = reply[report::kStatus];
            const bool failed = status == report::kStatusFailFF || status == report::kStatusFailFE;
            if (!failed || sends >= kMaxSends) {
                if (receivedLength != nullptr) {
                    *receivedLength = static_cast<std::int32_t>(received);
                }
                return DeviceResult::Ok;
            }
        } else if (sends >= kMaxSends) {
            return DeviceResult::NoReply;
        }
        std::this_thread::sleep_for(timing_.retryPause);
    }
}

void ReportTransport::DeliverReply(const std::uint8_t* data, std::uint32_t length) {
    std::lock_guard lock(slotMutex_);
    if (!awaiting_ || pending_ == nullptr) {
        return;
    }
    const std::uint32_t count = data == nullptr ? 0 : std::min(length, replyCapacity_);
    if (count > 0) {
        std::memcpy(replyBuffer_, data, count);
    }
    pending_->receivedLength = count;
    pending_->event.Signal();
}

}  // namespace qf::device
