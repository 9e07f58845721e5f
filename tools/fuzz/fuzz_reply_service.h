// A device service that answers every control report with bytes the fuzzer chooses: no reply,
// a reply of any length and content, or a reply to the request's own command whose status,
// address and data come from the input. Replies are delivered at once, on the writing thread,
// so that a transaction with its waits scaled to zero still sees them.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "device/device_service.h"
#include "device/report.h"
#include "device/transaction.h"

namespace qf::fuzz {

class FuzzReplyService final : public device::DeviceService {
public:
    explicit FuzzReplyService(FuzzedDataProvider& input) : input_(input) {}

    void Attach(device::ReportTransport* transport) { transport_ = transport; }
    std::size_t writes() const { return writes_; }

    int RequestGetDeviceCount(const QfRequestKey&, std::uint32_t) override {
        // Mostly present; now and then the keyboard is gone.
        return input_.remaining_bytes() == 0 || input_.ConsumeIntegral<std::uint8_t>() != 0x5A ? 1
                                                                                               : 0;
    }

    int RequestWriteOne(const QfRequestKey&, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t) override {
        ++writes_;
        if (input_.remaining_bytes() == 0 || transport_ == nullptr) {
            return 1;  // sent, never answered
        }
        const std::uint8_t mode = input_.ConsumeIntegral<std::uint8_t>();
        switch (mode % 8) {
            case 0:  // no reply
                return 1;
            case 1:  // the write is refused
                return 0;
            case 2: {  // any bytes, any length
                const auto n = input_.ConsumeIntegralInRange<std::uint32_t>(0, 80);
                const std::vector<std::uint8_t> bytes = input_.ConsumeBytes<std::uint8_t>(n);
                transport_->DeliverReply(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
                return 1;
            }
            default: {  // a reply to this request, its fields from the input
                std::array<std::uint8_t, device::kReportSize> reply{};
                std::copy_n(data, std::min<std::uint32_t>(length, device::kReportSize),
                            reply.begin());
                reply[device::report::kStatus] = StatusByte();
                if (mode & 0x10) {
                    reply[device::report::kParameter] = input_.ConsumeIntegral<std::uint8_t>();
                }
                const std::vector<std::uint8_t> payload =
                    input_.ConsumeBytes<std::uint8_t>(device::kReportDataSize);
                std::copy(payload.begin(), payload.end(), reply.begin() + device::report::kData);
                transport_->DeliverReply(reply.data(), device::kReportSize);
                return 1;
            }
        }
    }

    int RequestAsyncRead(const QfRequestKey&, device::NotificationSink*, std::uint32_t,
                         std::uint32_t, std::uint32_t* requestId) override {
        if (requestId != nullptr) {
            *requestId = ++lastId_;
        }
        return 1;
    }
    int RequestStatusWrite(const QfRequestKey&, device::NotificationSink*, std::uint32_t,
                           const std::uint8_t*, std::uint32_t, std::uint32_t,
                           std::uint32_t* requestId) override {
        if (requestId != nullptr) {
            *requestId = ++lastId_;
        }
        return 1;
    }
    int DeleteRequestFromUnitId(std::uint32_t) override { return 1; }

private:
    std::uint8_t StatusByte() {
        switch (input_.ConsumeIntegral<std::uint8_t>() % 4) {
            case 0:
                return device::report::kStatusFailFF;
            case 1:
                return device::report::kStatusFailFE;
            case 2:
                return input_.ConsumeIntegral<std::uint8_t>();
            default:
                return 0;
        }
    }

    FuzzedDataProvider& input_;
    device::ReportTransport* transport_ = nullptr;
    std::size_t writes_ = 0;
    std::uint32_t lastId_ = 0;
};

}  // namespace qf::fuzz
