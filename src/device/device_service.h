// The device service as the core sees it.
//
// `DeviceService` is the C++ face of the twelve C entry points of hidserv_abi.h. The core never
// calls a C function pointer directly: a library opened with the loader is adapted to this
// interface, and the virtual keyboard implements it natively so that tests can link it
// in-process. Notifications are delivered to a `NotificationSink`, the object behind the
// system's notification handler.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/hidserv_abi.h"

namespace qf::device {

inline constexpr std::uint16_t kVendorId = 0x0C45;
inline constexpr std::uint16_t kProductId = 0x6523;

inline constexpr std::uint32_t kTagNone = 0;
inline constexpr std::uint32_t kTagCtrl = 0x4354524C;  // "CTRL"
inline constexpr std::uint32_t kTagCons = 0x434F4E53;  // "CONS"
inline constexpr std::uint32_t kTagLed = 0x004C4544;   // "LED"

inline constexpr QfRequestKey kControlKey{15, kVendorId, kProductId, 0xFF1C, 0x0092, 0};
inline constexpr QfRequestKey kConsumerKey{15, kVendorId, kProductId, 0x000C, 0x0001, 0};
inline constexpr QfRequestKey kLedKey{15, kVendorId, kProductId, 0x0008, 0x0089, 0};

// The key's 16 bytes, little-endian, as they enter the unit id.
std::array<std::uint8_t, 16> SerializeKey(const QfRequestKey& key);

// A fixed permutation of 0..255.
extern const std::array<std::uint8_t, 256> UnitIdTable;

// Unsigned 32-bit sum of the UnitIdTable entries of every byte of: the key, the handler's
// 32-bit address (0 if none), the tag (little-endian), then the data bytes.
std::uint32_t ComputeUnitId(const QfRequestKey& key, std::uint32_t handlerAddress,
                            std::uint32_t tag, std::span<const std::uint8_t> data = {});

// The bytes a notification carries: for CONS requests through the buffer record, otherwise
// through the request block. Empty when the record holds none.
std::span<const std::uint8_t> NotificationBytes(const QfDeviceNotification& notification);

class NotificationSink {
public:
    virtual ~NotificationSink() = default;
    // Called on one of the service's own threads. Returns 1.
    virtual int OnDeviceNotify(const QfDeviceNotification& notification) = 0;
};

class DeviceService {
public:
    virtual ~DeviceService() = default;

    // Keyboards found on the key's interface; 0 = none.
    virtual int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) = 0;
    // Writes one report (64 bytes on the control interface). > 0 sent; 0 or less refused.
    virtual int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data,
                                std::uint32_t length, std::uint32_t unitId) = 0;
    // A standing read: `sink` is called for every input report on the interface and, on the
    // control interface, for every change in the number of keyboards. The request's id is
    // stored in *requestId when it is not null.
    virtual int RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                                 std::uint32_t unitId, std::uint32_t* requestId) = 0;
    // Sends an output report (the 2-byte LED status) on the key's interface.
    virtual int RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink,
                                   std::uint32_t tag, const std::uint8_t* data,
                                   std::uint32_t length, std::uint32_t unitId,
                                   std::uint32_t* requestId) = 0;
    // Withdraws a request; id 0 names no request and is ignored.
    virtual int DeleteRequestFromUnitId(std::uint32_t requestId) = 0;
};

// A device service in front of another: every call goes to the inner service unchanged, and a
// subclass overrides the calls it watches or changes (tracing, fault injection, the places of
// failures). Without an inner service every call answers 0: no keyboard, nothing sent, nothing
// requested. The inner service must outlive this one; binding another is not synchronised with
// calls under way, so it is done before the service is used.
class ForwardingService : public DeviceService {
public:
    explicit ForwardingService(DeviceService* inner = nullptr) : inner_(inner) {}

    void BindInner(DeviceService* inner) { inner_ = inner; }
    [[nodiscard]] DeviceService* inner() const { return inner_; }

    int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) override {
        return inner_ != nullptr ? inner_->RequestGetDeviceCount(key, unitId) : 0;
    }
    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        return inner_ != nullptr ? inner_->RequestWriteOne(key, data, length, unitId) : 0;
    }
    int RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override {
        return inner_ != nullptr ? inner_->RequestAsyncRead(key, sink, tag, unitId, requestId) : 0;
    }
    int RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                           const std::uint8_t* data, std::uint32_t length, std::uint32_t unitId,
                           std::uint32_t* requestId) override {
        return inner_ != nullptr
                   ? inner_->RequestStatusWrite(key, sink, tag, data, length, unitId, requestId)
                   : 0;
    }
    int DeleteRequestFromUnitId(std::uint32_t requestId) override {
        return inner_ != nullptr ? inner_->DeleteRequestFromUnitId(requestId) : 0;
    }

private:
    DeviceService* inner_;
};

}  // namespace qf::device
