// The device link of one device service: the report transport and command set, the standing
// read requests and the LED status write, and the notification handler that sorts what the
// service delivers (control replies, consumer key codes, changes in the number of keyboards).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <shared_mutex>

#include "device/commands.h"
#include "device/device_service.h"
#include "device/transaction.h"

namespace qf::device {

// Receives the news the keyboard sends unasked. Called on the device service's thread.
class DeviceEventListener {
public:
    virtual ~DeviceEventListener() = default;
    // The first two bytes (little-endian) of an input report on the consumer interface.
    virtual void OnConsumerCode(std::uint16_t code) = 0;
    // The number of keyboards on the control interface changed to `count`.
    virtual void OnDeviceCountChanged(std::uint32_t count) = 0;
};

class DeviceLink final : public NotificationSink {
public:
    explicit DeviceLink(DeviceService& service, TransactionTiming timing = {});
    // Withdraws the requests this link issued.
    ~DeviceLink() override;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    ReportTransport& transport() { return transport_; }
    DeviceCommands& commands() { return commands_; }
    DeviceService& service() { return service_; }

    // Issues the two standing read requests, CONS first, then CTRL, each after withdrawing the
    // request stored under its id. Returns 1 when the service accepted both (callers may ignore
    // it). Replies reach the transport only once the CTRL request is issued.
    int IssueReadRequests();
    // Sends the 2-byte LED status after withdrawing the previous LED request.
    int WriteLedStatus(const std::array<std::uint8_t, 2>& status);

    // Null clears it. Returns once no call into the previous listener is under way, so a
    // listener may be destroyed right after it has been cleared. Not to be called from inside a
    // listener call.
    void SetListener(DeviceEventListener* listener);

    int OnDeviceNotify(const QfDeviceNotification& notification) override;

    // The 32-bit handler address that enters the unit ids of this link's requests.
    std::uint32_t handlerAddress() const;

private:
    int IssueRead(const QfRequestKey& key, std::uint32_t tag, std::uint32_t& storedId);

    DeviceService& service_;
    ReportTransport transport_;
    DeviceCommands commands_;
    // Readers are the notification threads calling the listener; SetListener takes it alone.
    std::shared_mutex listenerMutex_;
    DeviceEventListener* listener_ = nullptr;
    // Ids of the requests last issued; 0 = none. Issued from one thread at a time.
    std::uint32_t consumerRequestId_ = 0;
    std::uint32_t controlRequestId_ = 0;
    std::uint32_t ledRequestId_ = 0;
};

}  // namespace qf::device
