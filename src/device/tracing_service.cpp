#include "device/tracing_service.h"

#include <algorithm>
#include <utility>

#include "device/report.h"

namespace qf::device {

namespace {

bool SameInterface(const QfRequestKey& a, const QfRequestKey& b) {
    return a.vendor_id == b.vendor_id && a.product_id == b.product_id &&
           a.usage_page == b.usage_page && a.usage == b.usage;
}

}  // namespace

std::string_view InterfaceName(const QfRequestKey& key) {
    if (SameInterface(key, kControlKey)) {
        return "CTRL";
    }
    if (SameInterface(key, kConsumerKey)) {
        return "CONS";
    }
    if (SameInterface(key, kLedKey)) {
        return "LED";
    }
    return {};
}

std::string FormatReportLine(bool toKeyboard, std::string_view interfaceName,
                             std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line;
    line.reserve(2 + interfaceName.size() + 3 * bytes.size());
    line += toKeyboard ? '>' : '<';
    line += ' ';
    line += interfaceName;
    for (const std::uint8_t b : bytes) {
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 0x0F];
    }
    return line;
}

class TracingService::TracingSink final : public NotificationSink {
public:
    TracingSink(TracingService& owner, NotificationSink& target, std::string interfaceName)
        : owner_(owner), target_(target), interface_(std::move(interfaceName)) {}

    int OnDeviceNotify(const QfDeviceNotification& notification) override {
        if (notification.kind == QF_NOTIFY_COUNT_CHANGED) {
            const std::uint32_t count =
                notification.request != nullptr ? notification.request->byte_count : 0;
            owner_.Comment("device count changed to " + std::to_string(count));
        } else {
            const auto bytes = NotificationBytes(notification);
            if (interface_.empty()) {
                owner_.Comment(FormatReportLine(false, "?", bytes));
            } else {
                owner_.WriteLine(FormatReportLine(false, interface_, bytes));
            }
        }
        return target_.OnDeviceNotify(notification);
    }

private:
    TracingService& owner_;
    NotificationSink& target_;
    std::string interface_;
};

TracingService::TracingService(DeviceService& inner, std::FILE* trace)
    : ForwardingService(&inner), trace_(trace) {}

TracingService::~TracingService() {
    if (trace_ != nullptr) {
        std::lock_guard lock(traceMutex_);
        std::fflush(trace_);
    }
}

void TracingService::SetWriteObserver(WriteObserver observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

void TracingService::WriteLine(const std::string& line) {
    if (trace_ == nullptr) {
        return;
    }
    std::lock_guard lock(traceMutex_);
    std::fwrite(line.data(), 1, line.size(), trace_);
    std::fputc('\n', trace_);
    // Flushed line by line: a trace of a run that hangs or crashes is the one most wanted.
    std::fflush(trace_);
}

void TracingService::Comment(std::string_view text) {
    std::string line = "# ";
    line += text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    WriteLine(line);
}

NotificationSink* TracingService::WrapSink(NotificationSink* sink, const QfRequestKey& key) {
    if (sink == nullptr) {
        return nullptr;
    }
    std::string name(InterfaceName(key));
    std::lock_guard lock(sinksMutex_);
    auto& slot = sinks_[{sink, name}];
    if (!slot) {
        slot = std::make_unique<TracingSink>(*this, *sink, name);
    }
    return slot.get();
}

int TracingService::RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data,
                                    std::uint32_t length, std::uint32_t unitId) {
    const std::string_view name = InterfaceName(key);
    if (data != nullptr) {
        const std::span<const std::uint8_t> bytes(data, length);
        if (name.empty()) {
            Comment(FormatReportLine(true, "?", bytes));
        } else {
            WriteLine(FormatReportLine(true, name, bytes));
        }
        if (name == "CTRL") {
            std::lock_guard lock(observerMutex_);
            if (observer_) {
                observer_(bytes);
            }
        }
    }
    const int result = ForwardingService::RequestWriteOne(key, data, length, unitId);
    if (result <= 0) {
        Comment("write refused by the device service (result " + std::to_string(result) + ")");
    }
    return result;
}

int TracingService::RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink,
                                     std::uint32_t tag, std::uint32_t unitId,
                                     std::uint32_t* requestId) {
    return ForwardingService::RequestAsyncRead(key, WrapSink(sink, key), tag, unitId, requestId);
}

int TracingService::RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink,
                                       std::uint32_t tag, const std::uint8_t* data,
                                       std::uint32_t length, std::uint32_t unitId,
                                       std::uint32_t* requestId) {
    if (data != nullptr) {
        const std::string_view name = InterfaceName(key);
        const std::span<const std::uint8_t> bytes(data, length);
        if (name.empty()) {
            Comment(FormatReportLine(true, "?", bytes));
        } else {
            WriteLine(FormatReportLine(true, name, bytes));
        }
    }
    const int result = ForwardingService::RequestStatusWrite(key, WrapSink(sink, key), tag, data,
                                                             length, unitId, requestId);
    if (result <= 0) {
        Comment("status write refused by the device service (result " + std::to_string(result) +
                ")");
    }
    return result;
}

}  // namespace qf::device
