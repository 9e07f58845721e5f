// Where the keyboard's traffic went wrong. A DeviceService decorator that watches the control
// interface: every request written and the reply to it. The first request that failed since
// the last Clear is kept, with its command, block or address and chunk, so that a command that
// reports only a result code can say which report of a long transfer it was.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "device/device_service.h"
#include "device/result.h"

namespace qf::cli {

// One failed request: the result it gave and where it was.
struct FailurePlace {
    // The device result the request gave (WriteRefused, NoReply, StatusFF, StatusFE).
    device::DeviceResult result = device::DeviceResult::NoDevice;
    std::string where;  // "command 8 (write keymap), profile 1, chunk 3 of 10"
};

// Describes a control request by its command, length and address bytes.
std::string DescribeRequest(std::uint8_t command, std::uint8_t length, std::uint16_t address);

class FailureLocator final : public device::ForwardingService {
public:
    // `inner` must outlive the locator.
    explicit FailureLocator(device::DeviceService& inner);
    ~FailureLocator() override;
    FailureLocator(const FailureLocator&) = delete;
    FailureLocator& operator=(const FailureLocator&) = delete;

    // Forgets what failed so far.
    void Clear();
    // The first request that failed since the last Clear. The last request sent counts once its
    // transaction has returned: a request with no reply by then had none.
    std::optional<FailurePlace> FirstFailure();

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override;
    int RequestAsyncRead(const QfRequestKey& key, device::NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override;

private:
    class ReplySink;

    // The request last written and what became of its latest send.
    struct Pending {
        std::uint8_t command = 0;
        std::uint8_t length = 0;
        std::uint16_t address = 0;
        bool refused = false;
        bool replied = false;
        std::uint8_t status = 0;
    };

    void OnReply(const std::uint8_t* bytes, std::size_t size);
    // Keeps `pending` as the first failure when it failed and none is kept yet.
    void Settle(const Pending& pending);

    std::mutex mutex_;
    std::optional<Pending> pending_;
    std::optional<FailurePlace> first_;
    std::map<device::NotificationSink*, std::unique_ptr<ReplySink>> sinks_;
};

}  // namespace qf::cli
