// HidServVirtual: the virtual keyboard behind the device service's twelve C entry points.
//
// Init(0) creates one virtual keyboard for the process; End() destroys it, saving its state.
// QUILLFEN_VIRTUAL_STATE names the state file (optional); QUILLFEN_VIRTUAL_TRACE names a file
// every report in and out is appended to, one line each (optional); QUILLFEN_VIRTUAL_FAULT
// places one fault (optional), so that a program run meets it at a known report:
// "KIND@COMMAND:ADDRESS", every control report with that command byte and address (both
// decimal) meets the fault KIND: refuse (the write is refused), status (the keyboard answers
// 0xFF and does not carry the request out) or garble (the reply's data bytes are noise). A
// description that does not read so is said on stderr when Init creates the keyboard, and
// ignored.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "device/hidserv_abi.h"
#include "device/services/virtual/fault_injector.h"
#include "device/services/virtual/virtual_constants.h"
#include "device/services/virtual/virtual_keyboard.h"

#define QF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using qf::vkbd::VirtualKeyboard;

// Hands notifications to a C handler.
class HandlerSink final : public qf::device::NotificationSink {
public:
    explicit HandlerSink(QfNotifyHandler handler) : handler_(handler) {}
    int OnDeviceNotify(const QfDeviceNotification& notification) override {
        QfDeviceNotification copy = notification;
        return handler_(&copy);
    }

private:
    QfNotifyHandler handler_;
};

// The library's one instance. Entry points hold the lock shared while they use the keyboard;
// End takes it exclusively only to take the keyboard out, and destroys it after letting go, so
// that a handler running on the keyboard's thread can still call in (and find no keyboard).
struct Service {
    std::shared_mutex lock;
    std::unique_ptr<VirtualKeyboard> keyboard;
    // One sink per distinct handler, kept until End: a sink may be running when its request is
    // withdrawn from inside a handler.
    std::mutex sinksLock;
    std::map<QfNotifyHandler, std::unique_ptr<HandlerSink>> sinks;
    std::FILE* trace = nullptr;
};

Service& TheService() {
    static Service service;
    return service;
}

qf::device::NotificationSink* SinkFor(Service& service, QfNotifyHandler handler) {
    if (handler == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(service.sinksLock);
    auto& sink = service.sinks[handler];
    if (!sink) {
        sink = std::make_unique<HandlerSink>(handler);
    }
    return sink.get();
}

template <typename F>
int WithKeyboard(F&& call) {
    Service& service = TheService();
    std::shared_lock lock(service.lock);
    if (!service.keyboard) {
        return 0;
    }
    return call(*service.keyboard, service);
}

const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : nullptr;
}

}  // namespace

QF_EXPORT int Init(int /*flags*/) {
    Service& service = TheService();
    std::unique_lock lock(service.lock);
    if (service.keyboard) {
        return 1;
    }
    qf::vkbd::VirtualKeyboardOptions options;
    if (const char* state = EnvironmentValue(qf::vkbd::kEnvStateFile)) {
        options.stateFile = state;
    }
    service.keyboard = std::make_unique<VirtualKeyboard>(options);
    if (const char* fault = EnvironmentValue(qf::vkbd::kEnvFault)) {
        std::string error;
        if (const auto parsed = qf::vkbd::ParseReportFault(fault, &error)) {
            service.keyboard->InjectReportFault(*parsed);
        } else {
            std::fprintf(stderr, "quillfen: %s=\"%s\" ignored: %s\n", qf::vkbd::kEnvFault, fault,
                         error.c_str());
        }
    }
    if (const char* tracePath = EnvironmentValue(qf::vkbd::kEnvTraceFile)) {
        service.trace = std::fopen(tracePath, "a");
        if (std::FILE* file = service.trace) {
            service.keyboard->SetTraceSink([file](const qf::vkbd::TraceEntry& entry) {
                const std::string line = qf::vkbd::FormatTraceLine(entry);
                std::fprintf(file, "%s\n", line.c_str());
                std::fflush(file);
            });
        }
    }
    return 1;
}

QF_EXPORT int Debug(int /*level*/) {
    return 1;
}

QF_EXPORT int End(void) {
    Service& service = TheService();
    std::unique_ptr<VirtualKeyboard> keyboard;
    std::FILE* trace = nullptr;
    {
        std::unique_lock lock(service.lock);
        keyboard = std::move(service.keyboard);
        trace = service.trace;
        service.trace = nullptr;
    }
    if (!keyboard) {
        return 0;
    }
    keyboard.reset();  // stops its thread, saves its state
    if (trace != nullptr) {
        std::fclose(trace);
    }
    std::lock_guard lock(service.sinksLock);
    service.sinks.clear();
    return 1;
}

QF_EXPORT int RequestGetDeviceCount(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                                    uint32_t /*tag*/, uint32_t unit_id, uint32_t* /*request_id*/) {
    if (key == nullptr) {
        return 0;
    }
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service&) {
        return keyboard.RequestGetDeviceCount(*key, unit_id);
    });
}

QF_EXPORT int RequestWriteOne(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                              uint32_t /*tag*/, const uint8_t* data, uint32_t length,
                              uint32_t unit_id, uint32_t* /*request_id*/) {
    if (key == nullptr) {
        return 0;
    }
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service&) {
        return keyboard.RequestWriteOne(*key, data, length, unit_id);
    });
}

QF_EXPORT int RequestWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                           const uint8_t* data, uint32_t length, uint32_t unit_id,
                           uint32_t* request_id) {
    return RequestWriteOne(key, handler, tag, data, length, unit_id, request_id);
}

QF_EXPORT int RequestAsyncRead(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                               uint32_t unit_id, uint32_t* request_id) {
    if (key == nullptr || handler == nullptr) {
        return 0;
    }
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service& service) {
        return keyboard.RequestAsyncRead(*key, SinkFor(service, handler), tag, unit_id, request_id);
    });
}

QF_EXPORT int RequestStatusWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                 const uint8_t* data, uint32_t length, uint32_t unit_id,
                                 uint32_t* request_id) {
    if (key == nullptr) {
        return 0;
    }
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service& service) {
        return keyboard.RequestStatusWrite(*key, SinkFor(service, handler), tag, data, length,
                                           unit_id, request_id);
    });
}

// The LED status last written, for the LED key; the keyboard has no other status to give.
QF_EXPORT int RequestStatusGet(const QfRequestKey* key, QfNotifyHandler /*handler*/,
                               uint32_t /*tag*/, uint8_t* data, uint32_t length,
                               uint32_t /*unit_id*/, uint32_t* /*request_id*/) {
    if (key == nullptr || data == nullptr || length < qf::vkbd::kLedStatusSize ||
        key->usage_page != qf::device::kLedKey.usage_page ||
        key->usage != qf::device::kLedKey.usage) {
        return 0;
    }
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service&) {
        if (!keyboard.plugged()) {
            return 0;
        }
        const auto led = keyboard.LedStatus();
        data[0] = led[0];
        data[1] = led[1];
        return 1;
    });
}

// The keyboard has no feature reports.
QF_EXPORT int RequestStatusSetFeature(const QfRequestKey* /*key*/, QfNotifyHandler /*handler*/,
                                      uint32_t /*tag*/, const uint8_t* /*data*/,
                                      uint32_t /*length*/, uint32_t /*unit_id*/,
                                      uint32_t* /*request_id*/) {
    return 0;
}

QF_EXPORT int DeleteRequestFromUnitId(uint32_t request_id) {
    return WithKeyboard([&](VirtualKeyboard& keyboard, Service&) {
        return keyboard.DeleteRequestFromUnitId(request_id);
    });
}

// Requests are known by id only.
QF_EXPORT int DeleteRequestFromHandle(void* /*handle*/) {
    return 0;
}
