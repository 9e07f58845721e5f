// The twelve C entry points of the device service library.
//
// One service object serves the process. Every entry point takes its own reference to it, so
// that End can take the service away while a handler running on a reader thread still uses it;
// the object goes when the last call using it returns.
#include <memory>
#include <mutex>

#include "device/hidserv_abi.h"
#include "device/services/hidraw/hidapi_backend.h"
#include "device/services/hidraw/hidserv_service.h"
#include "device/services/hidraw/udev_hotplug.h"

#define QF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using qf::hidserv::HidServService;

struct ServiceHolder {
    std::mutex mutex;
    std::shared_ptr<HidServService> service;
    int debugLevel = 0;
};

// End is the orderly way out. A process that ends without calling it must not wait for reader
// threads whose handlers may be blocked on the program's own (now ending) main thread, nor have
// the service destroyed under them: the holder is never destroyed, and the library is linked
// so that it is never unmapped, so the readers simply end with the process.
ServiceHolder& Holder() {
    static auto* holder = new ServiceHolder;
    return *holder;
}

std::shared_ptr<HidServService> Current() {
    ServiceHolder& holder = Holder();
    std::lock_guard lock(holder.mutex);
    return holder.service;
}

}  // namespace

QF_EXPORT int Init(int /*flags*/) {
    ServiceHolder& holder = Holder();
    std::lock_guard lock(holder.mutex);
    if (holder.service) {
        return 1;
    }
    auto service = std::make_shared<HidServService>(qf::hidserv::MakeHidapiBackend(),
                                                    qf::hidserv::MakeUdevHotplugSource());
    service->SetDebugLevel(holder.debugLevel);
    if (service->Start() != 1) {
        return 0;
    }
    holder.service = std::move(service);
    return 1;
}

QF_EXPORT int Debug(int level) {
    ServiceHolder& holder = Holder();
    std::lock_guard lock(holder.mutex);
    holder.debugLevel = level;
    if (holder.service) {
        holder.service->SetDebugLevel(level);
    }
    return 1;
}

QF_EXPORT int End(void) {
    ServiceHolder& holder = Holder();
    std::shared_ptr<HidServService> service;
    {
        std::lock_guard lock(holder.mutex);
        if (!holder.service) {
            return 1;
        }
        // A handler cannot end the service whose thread it runs on.
        if (holder.service->OnServiceThread()) {
            return 0;
        }
        service = std::move(holder.service);
    }
    return service->Shutdown();
}

QF_EXPORT int RequestGetDeviceCount(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                                    uint32_t /*tag*/, uint32_t /*unit_id*/,
                                    uint32_t* /*request_id*/) {
    const auto service = Current();
    if (!service || key == nullptr) {
        return 0;
    }
    return service->DeviceCount(*key);
}

QF_EXPORT int RequestWriteOne(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                              uint32_t /*tag*/, const uint8_t* data, uint32_t length,
                              uint32_t /*unit_id*/, uint32_t* request_id) {
    const auto service = Current();
    if (!service || key == nullptr) {
        return 0;
    }
    const int written = service->WriteReport(*key, data, length);
    if (written > 0 && request_id != nullptr) {
        *request_id = service->NewRequestId();
    }
    return written;
}

// This service sends every report on its own, so a series of reports is written the same way
// as one.
QF_EXPORT int RequestWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                           const uint8_t* data, uint32_t length, uint32_t unit_id,
                           uint32_t* request_id) {
    return RequestWriteOne(key, handler, tag, data, length, unit_id, request_id);
}

QF_EXPORT int RequestAsyncRead(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                               uint32_t /*unit_id*/, uint32_t* request_id) {
    const auto service = Current();
    if (!service || key == nullptr) {
        return 0;
    }
    return service->StartRead(*key, handler, tag, request_id);
}

// The status word is an output report written like any other; it completes when written, so
// the request it gets an id for never stands and its handler is never called.
QF_EXPORT int RequestStatusWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                 const uint8_t* data, uint32_t length, uint32_t unit_id,
                                 uint32_t* request_id) {
    return RequestWriteOne(key, handler, tag, data, length, unit_id, request_id);
}

// Reads a feature report: data[0] names the report id on the way in.
QF_EXPORT int RequestStatusGet(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                               uint32_t /*tag*/, uint8_t* data, uint32_t length,
                               uint32_t /*unit_id*/, uint32_t* /*request_id*/) {
    const auto service = Current();
    if (!service || key == nullptr) {
        return 0;
    }
    return service->GetFeatureReport(*key, data, length);
}

QF_EXPORT int RequestStatusSetFeature(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                                      uint32_t /*tag*/, const uint8_t* data, uint32_t length,
                                      uint32_t /*unit_id*/, uint32_t* /*request_id*/) {
    const auto service = Current();
    if (!service || key == nullptr) {
        return 0;
    }
    return service->SendFeatureReport(*key, data, length);
}

QF_EXPORT int DeleteRequestFromUnitId(uint32_t request_id) {
    const auto service = Current();
    if (!service || request_id == 0) {
        return 0;
    }
    return service->DeleteRequest(request_id);
}

// Requests are known by their ids only; no handle names one.
QF_EXPORT int DeleteRequestFromHandle(void* /*handle*/) {
    return 0;
}
