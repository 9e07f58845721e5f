// A device service library for the program tests: the virtual keyboard, with one fault placed
// by the environment so that a run of the built program meets it at a known report.
//   QFCTL_FAULT_STATE  the keyboard's state file (kept across runs)
//   QFCTL_FAULT        "KIND@COMMAND:ADDRESS": every control report with that command byte and
//                      address (decimal) meets the fault KIND: refuse (the write is refused),
//                      status (the keyboard answers 0xFF) or garble (the reply's data bytes are
//                      pseudo-random).
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "device/hidserv_abi.h"
#include "device/report.h"
#include "device/services/virtual/virtual_keyboard.h"

#define QF_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

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

struct Service {
    std::mutex lock;
    std::unique_ptr<qf::vkbd::VirtualKeyboard> keyboard;
    std::map<QfNotifyHandler, std::unique_ptr<HandlerSink>> sinks;
    std::string kind;
    unsigned at = 0;       // the report that fails
    unsigned written = 0;  // control reports written so far
    std::uint8_t command = 0;
    std::uint16_t address = 0;
};

Service& TheService() {
    static Service service;
    return service;
}

}  // namespace

QF_EXPORT int Init(int) {
    Service& s = TheService();
    std::lock_guard lock(s.lock);
    qf::vkbd::VirtualKeyboardOptions options;
    if (const char* state = std::getenv("QFCTL_FAULT_STATE")) {
        options.stateFile = state;
    }
    s.keyboard = std::make_unique<qf::vkbd::VirtualKeyboard>(options);
    if (const char* fault = std::getenv("QFCTL_FAULT")) {
        const std::string text = fault;
        const auto at = text.find('@');
        const auto colon = text.find(':', at);
        if (at != std::string::npos && colon != std::string::npos) {
            s.kind = text.substr(0, at);
            s.command = static_cast<unsigned>(std::strtoul(text.c_str() + at + 1, nullptr, 10));
            s.address = static_cast<unsigned>(std::strtoul(text.c_str() + colon + 1, nullptr, 10));
        }
    }
    return 1;
}

QF_EXPORT int Debug(int) {
    return 1;
}

QF_EXPORT int End(void) {
    std::unique_ptr<qf::vkbd::VirtualKeyboard> keyboard;
    {
        std::lock_guard lock(TheService().lock);
        keyboard = std::move(TheService().keyboard);
    }
    keyboard.reset();  // saves the state
    return 1;
}

QF_EXPORT int RequestGetDeviceCount(const QfRequestKey* key, QfNotifyHandler, uint32_t,
                                    uint32_t unit_id, uint32_t*) {
    Service& s = TheService();
    return s.keyboard && key != nullptr ? s.keyboard->RequestGetDeviceCount(*key, unit_id) : 0;
}

QF_EXPORT int RequestWriteOne(const QfRequestKey* key, QfNotifyHandler, uint32_t,
                              const uint8_t* data, uint32_t length, uint32_t unit_id, uint32_t*) {
    Service& s = TheService();
    if (!s.keyboard || key == nullptr) {
        return 0;
    }
    const bool control = key->usage_page == qf::device::kControlKey.usage_page &&
                         key->usage == qf::device::kControlKey.usage;
    if (control && data != nullptr && length >= 8) {
        const unsigned command = data[qf::device::report::kCommand];
        const unsigned address = data[5] | (data[6] << 8);
        const bool faulty = !s.kind.empty() && command == s.command && address == s.address;
        if (faulty && s.kind == "refuse") {
            return 0;
        }
        if (faulty && s.kind == "status") {
            s.keyboard->InjectStatus(qf::device::report::kStatusFailFF, 1);
        }
        if (faulty && s.kind == "garble") {
            s.keyboard->InjectGarbledReply(1);
        }
    }
    return s.keyboard->RequestWriteOne(*key, data, length, unit_id);
}

QF_EXPORT int RequestWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                           const uint8_t* data, uint32_t length, uint32_t unit_id,
                           uint32_t* request_id) {
    return RequestWriteOne(key, handler, tag, data, length, unit_id, request_id);
}

QF_EXPORT int RequestAsyncRead(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                               uint32_t unit_id, uint32_t* request_id) {
    Service& s = TheService();
    if (!s.keyboard || key == nullptr || handler == nullptr) {
        return 0;
    }
    HandlerSink* sink = nullptr;
    {
        std::lock_guard lock(s.lock);
        auto& slot = s.sinks[handler];
        if (!slot) {
            slot = std::make_unique<HandlerSink>(handler);
        }
        sink = slot.get();
    }
    return s.keyboard->RequestAsyncRead(*key, sink, tag, unit_id, request_id);
}

QF_EXPORT int RequestStatusWrite(const QfRequestKey*, QfNotifyHandler, uint32_t, const uint8_t*,
                                 uint32_t, uint32_t, uint32_t*) {
    return 0;
}

QF_EXPORT int RequestStatusGet(const QfRequestKey*, QfNotifyHandler, uint32_t, uint8_t*, uint32_t,
                               uint32_t, uint32_t*) {
    return 0;
}

QF_EXPORT int RequestStatusSetFeature(const QfRequestKey*, QfNotifyHandler, uint32_t,
                                      const uint8_t*, uint32_t, uint32_t, uint32_t*) {
    return 0;
}

QF_EXPORT int DeleteRequestFromUnitId(uint32_t request_id) {
    Service& s = TheService();
    return s.keyboard ? s.keyboard->DeleteRequestFromUnitId(request_id) : 0;
}

QF_EXPORT int DeleteRequestFromHandle(void*) {
    return 0;
}
