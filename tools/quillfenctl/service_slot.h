// The device service slot the command-line tool's session is built over before the keyboard is
// opened.
#pragma once

#include <cstdint>

#include "device/device_service.h"

namespace qf::cli {

// The device service the session's link uses: nothing until the run opens the keyboard (no
// keyboard found, every request refused), then the traced service, to which it forwards every
// call unchanged.
class ServiceSlot final : public device::DeviceService {
public:
    void Bind(device::DeviceService* service) { service_ = service; }

    int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) override {
        return service_ != nullptr ? service_->RequestGetDeviceCount(key, unitId) : 0;
    }
    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        return service_ != nullptr ? service_->RequestWriteOne(key, data, length, unitId) : 0;
    }
    int RequestAsyncRead(const QfRequestKey& key, device::NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override {
        return service_ != nullptr ? service_->RequestAsyncRead(key, sink, tag, unitId, requestId)
                                   : 0;
    }
    int RequestStatusWrite(const QfRequestKey& key, device::NotificationSink* sink,
                           std::uint32_t tag, const std::uint8_t* data, std::uint32_t length,
                           std::uint32_t unitId, std::uint32_t* requestId) override {
        return service_ != nullptr
                   ? service_->RequestStatusWrite(key, sink, tag, data, length, unitId, requestId)
                   : 0;
    }
    int DeleteRequestFromUnitId(std::uint32_t requestId) override {
        return service_ != nullptr ? service_->DeleteRequestFromUnitId(requestId) : 0;
    }

private:
    device::DeviceService* service_ = nullptr;
};

}  // namespace qf::cli
