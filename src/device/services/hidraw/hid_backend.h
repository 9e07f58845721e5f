// The seam between the device service and the operating system.
//
// `HidBackend` is everything the service needs from the HID layer (list the HID interfaces,
// open one, exchange reports with it) and `HotplugSource` is what tells the service that the
// set of interfaces may have changed. The real implementations use hidapi and libudev; tests
// drive the service through fakes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "device/hidserv_abi.h"

namespace qf::hidserv {

// One top-level collection of one HID interface, as enumeration reports it.
struct HidInterfaceInfo {
    std::string path;  // the node to open, e.g. "/dev/hidraw3"
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    int interfaceNumber = -1;
};

// True when `info` is the interface a request key selects. The key's size field and reserved
// word carry nothing that identifies an interface and are not compared.
[[nodiscard]] inline bool KeyMatches(const QfRequestKey& key, const HidInterfaceInfo& info) {
    return key.vendor_id == info.vendorId && key.product_id == info.productId &&
           key.usage_page == info.usagePage && key.usage == info.usage;
}

// An open interface. One handle is used by one thread at a time.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Writes one report whose first byte is its report id. Returns the bytes written, or -1.
    [[nodiscard]] virtual int Write(std::span<const std::uint8_t> report) = 0;
    // Reads one input report, waiting at most `timeoutMs`. Returns the bytes read, 0 when
    // nothing arrived in time, -1 when the interface failed (for example, it was unplugged).
    [[nodiscard]] virtual int Read(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
    // Feature reports; `report[0]` is the report id. Bytes transferred, or -1.
    [[nodiscard]] virtual int SendFeature(std::span<const std::uint8_t> report) = 0;
    [[nodiscard]] virtual int GetFeature(std::span<std::uint8_t> report) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // 1 when the HID layer is ready, 0 when it cannot start.
    [[nodiscard]] virtual int Start() = 0;
    virtual void Stop() = 0;
    // Every HID interface currently present.
    [[nodiscard]] virtual std::vector<HidInterfaceInfo> Enumerate() = 0;
    // Opens `path`. On failure returns null and stores the errno value in `error` (EACCES when
    // the node exists but this user may not open it).
    [[nodiscard]] virtual std::unique_ptr<HidDevice> Open(const std::string& path, int& error) = 0;
};

class HotplugSource {
public:
    virtual ~HotplugSource() = default;
    // Starts watching; `onChange` is called on the source's own thread whenever HID interfaces
    // may have come or gone. 1 on success, 0 when nothing can be watched.
    [[nodiscard]] virtual int Start(std::function<void()> onChange) = 0;
    // Stops watching; `onChange` is not called once Stop has returned.
    virtual void Stop() = 0;
};

}  // namespace qf::hidserv
