// The report transaction: one request written through the device service, one reply awaited,
// with the fixed retry rule (three sends at most, 1000 ms reply wait, 10 ms pause between sends,
// 1001 ms back-off when another transaction still holds the reply slot).
//
// The reply slot is held for one send-and-wait at a time. A transaction that finds it held
// waits until the holder lets go, or for the back-off at most and then takes it over; either
// way a reply is copied only into the buffer of the attempt that holds the slot, never into
// the buffer of a transaction that has already returned.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "device/device_service.h"
#include "device/result.h"

namespace qf::device {

// The transaction's waits. Production uses the defaults; tests scale them down so that
// timeouts are exercised in milliseconds.
struct TransactionTiming {
    std::chrono::microseconds replyWait{std::chrono::milliseconds(1000)};
    std::chrono::microseconds retryPause{std::chrono::milliseconds(10)};
    std::chrono::microseconds backoff{std::chrono::milliseconds(1001)};
    // EndTransfer pauses this long before it sends its report.
    std::chrono::microseconds endTransferPause{std::chrono::milliseconds(10)};

    // Every wait (the EndTransfer pause included) multiplied by `factor` (0.01 turns 1000 ms
    // into 10 ms).
    static TransactionTiming Scaled(double factor);
};

// An auto-reset event: Signal wakes one waiter (or the next one to wait), Reset clears it.
class AutoResetEvent {
public:
    void Signal();
    void Reset();
    // True when signalled within `timeout` (the signal is consumed), false on timeout.
    bool WaitFor(std::chrono::microseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

class ReportTransport {
public:
    explicit ReportTransport(DeviceService& service, TransactionTiming timing = {});
    ReportTransport(const ReportTransport&) = delete;
    ReportTransport& operator=(const ReportTransport&) = delete;

    // Number of keyboards on the control interface; 0 = none.
    [[nodiscard]] int GetControlDeviceCount();

    // Sends `request` (cut to, or padded with zeros to, 64 bytes; the caller has filled in the
    // checksum) and waits for the reply to the same command. Returns Ok, NoDevice, WriteRefused
    // or NoReply (BadArgument for buffers that cannot hold a reply). A reply whose status stays
    // 0xFF/0xFE after three sends is returned with Ok and left in `reply` for the caller's
    // status mapping.
    [[nodiscard]] DeviceResult TransactReport(const std::uint8_t* request,
                                              std::uint32_t requestLength, std::uint8_t* reply,
                                              std::uint32_t replyCapacity,
                                              std::int32_t* receivedLength);

    // Reply delivery, called on the device service's thread for input on the CTRL request.
    // Dropped when no transaction waits; never copied into the buffer of a transaction that
    // has already returned.
    void DeliverReply(const std::uint8_t* data, std::uint32_t length);

    DeviceService& service() { return service_; }
    const TransactionTiming& timing() const { return timing_; }

private:
    // One attempt's side of the reply slot: the event the delivery signals and the length it
    // copied. It lives on the attempting thread's stack; the slot points at it only while that
    // attempt owns the slot.
    struct PendingReply {
        AutoResetEvent event;
        std::uint32_t receivedLength = 0;
    };

    // Takes the reply slot for one attempt and returns the attempt's generation. When another
    // attempt holds the slot, waits until it lets go; one that holds it longer than the back-off
    // loses it.
    std::uint64_t AcquireSlot(std::uint8_t* reply, std::uint32_t capacity, PendingReply& pending);
    // Lets go of the slot if the attempt `generation` still owns it. After this returns no
    // delivery touches the attempt's buffer or PendingReply.
    void ReleaseSlot(std::uint64_t generation);

    DeviceService& service_;
    TransactionTiming timing_;
    std::uint32_t countUnitId_;

    // The reply slot. `slotMutex_` makes a delivery and an attempt's release exclusive: a
    // delivery copies only while `awaiting_` is set, into the buffer of the attempt that owns
    // the slot (`generation_`).
    std::mutex slotMutex_;
    std::condition_variable slotReleased_;
    bool awaiting_ = false;
    std::uint64_t generation_ = 0;
    std::uint8_t* replyBuffer_ = nullptr;
    std::uint32_t replyCapacity_ = 0;
    PendingReply* pending_ = nullptr;
};

}  // namespace qf::device
