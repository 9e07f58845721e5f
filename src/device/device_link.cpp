#include "device/device_link.h"

#include "common/bytes.h"

namespace qf::device {

DeviceLink::DeviceLink(DeviceService& service, TransactionTiming timing)
    : service_(service), transport_(service, timing), commands_(transport_) {}

DeviceLink::~DeviceLink() {
    for (std::uint32_t id : {consumerRequestId_, controlRequestId_, ledRequestId_}) {
        if (id != 0) {
            (void)service_.DeleteRequestFromUnitId(id);
        }
    }
}

std::uint32_t DeviceLink::handlerAddress() const {
    const auto* sink = static_cast<const NotificationSink*>(this);
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(sink) & 0xFFFFFFFFu);
}

int DeviceLink::IssueRead(const QfRequestKey& key, std::uint32_t tag, std::uint32_t& storedId) {
    const std::uint32_t unitId = ComputeUnitId(key, handlerAddress(), tag);
    if (storedId != 0) {
        (void)service_.DeleteRequestFromUnitId(storedId);
        storedId = 0;
    }
    return service_.RequestAsyncRead(key, this, tag, unitId, &storedId);
}

int DeviceLink::IssueReadRequests() {
    const int consumer = IssueRead(kConsumerKey, kTagCons, consumerRequestId_);
    const int control = IssueRead(kControlKey, kTagCtrl, controlRequestId_);
    return consumer > 0 && control > 0 ? 1 : 0;
}

int DeviceLink::WriteLedStatus(const std::array<std::uint8_t, 2>& status) {
    const std::uint32_t unitId = ComputeUnitId(kLedKey, handlerAddress(), kTagLed, status);
    if (ledRequestId_ != 0) {
        (void)service_.DeleteRequestFromUnitId(ledRequestId_);
        ledRequestId_ = 0;
    }
    return service_.RequestStatusWrite(kLedKey, this, kTagLed, status.data(),
                                       static_cast<std::uint32_t>(status.size()), unitId,
                                       &ledRequestId_);
}

void DeviceLink::SetListener(DeviceEventListener* listener) {
    std::unique_lock lock(listenerMutex_);
    listener_ = listener;
}

int DeviceLink::OnDeviceNotify(const QfDeviceNotification& notification) {
    const QfRequestBlock* request = notification.request;
    if (request == nullptr) {
        return 1;
    }
    if (notification.kind == QF_NOTIFY_INPUT && request->tag == kTagCtrl) {
        const auto bytes = NotificationBytes(notification);
        transport_.DeliverReply(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    } else if (notification.kind == QF_NOTIFY_INPUT && request->tag == kTagCons) {
        const auto bytes = NotificationBytes(notification);
        std::shared_lock lock(listenerMutex_);
        if (bytes.size() >= 2 && listener_ != nullptr) {
            listener_->OnConsumerCode(ReadLe16(bytes.data()));
        }
    } else if (notification.kind == QF_NOTIFY_COUNT_CHANGED && request->tag == kTagCtrl) {
        std::shared_lock lock(listenerMutex_);
        if (listener_ != nullptr) {
            listener_->OnDeviceCountChanged(request->byte_count);
        }
    }
    return 1;
}

}  // namespace qf::device
