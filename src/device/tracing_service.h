// A DeviceService decorator that makes the keyboard's traffic visible: it passes every call on to
// the service it wraps and writes every report that crosses it as one line of text.
//
// Trace format, one line per report:
//   '>' (to the keyboard) or '<' (from it), a space, the interface ("CTRL", "CONS" or "LED"),
//   a space, then the bytes as two lower-case hex digits separated by single spaces.
// Every other line starts with '#': a write the service refused, a change in the number of
// keyboards, a notification on an interface that is none of the keyboard's three.
//
// The decorator works on whatever service was loaded (the real keyboard's or the virtual one),
// so a trace can be attached to a bug report. A report to the keyboard is written before the
// wrapped service sees it, so its reply, delivered on the service's own thread, always follows
// it in the trace.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "device/device_service.h"

namespace qf::device {

// The name of the interface a request key selects: "CTRL", "CONS", "LED", or empty for a key
// that is none of the keyboard's.
std::string_view InterfaceName(const QfRequestKey& key);

// One trace line for a report, without its line ending: "> CTRL 04 2f 00 ...".
std::string FormatReportLine(bool toKeyboard, std::string_view interfaceName,
                             std::span<const std::uint8_t> bytes);

class TracingService final : public ForwardingService {
public:
    // Called for every report written to the keyboard's control interface, before it is passed
    // on (for progress displays). Runs on the writing thread.
    using WriteObserver = std::function<void(std::span<const std::uint8_t> report)>;

    // `inner` must outlive the decorator. `trace` may be null (nothing is written); the caller
    // keeps ownership and closes it after the decorator is gone.
    TracingService(DeviceService& inner, std::FILE* trace);
    ~TracingService() override;
    TracingService(const TracingService&) = delete;
    TracingService& operator=(const TracingService&) = delete;

    void SetWriteObserver(WriteObserver observer);
    // Writes a '#' line (the text may not hold a line break; one is replaced by a space).
    void Comment(std::string_view text);

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override;
    int RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override;
    int RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                           const std::uint8_t* data, std::uint32_t length, std::uint32_t unitId,
                           std::uint32_t* requestId) override;

private:
    // Stands between the service and the caller's sink: traces what arrives, then forwards it.
    class TracingSink;

    // The wrapping sink for (sink, interface); made once and kept until the decorator goes, as
    // the service may be delivering to it while its request is withdrawn.
    NotificationSink* WrapSink(NotificationSink* sink, const QfRequestKey& key);
    void WriteLine(const std::string& line);

    std::FILE* trace_;
    std::mutex traceMutex_;

    std::mutex observerMutex_;
    WriteObserver observer_;

    std::mutex sinksMutex_;
    std::map<std::pair<NotificationSink*, std::string>, std::unique_ptr<TracingSink>> sinks_;
};

}  // namespace qf::device
