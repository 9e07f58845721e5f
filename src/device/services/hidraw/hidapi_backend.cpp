#include "device/services/hidraw/hidapi_backend.h"

#include <hidapi/hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace qf::hidserv {
namespace {

// hidapi keeps its "last error" of enumeration and opening in one process-wide string, so
// those calls are made one at a time. Calls on an open handle only touch that handle.
std::mutex gHidapiMutex;

class HidapiDevice final : public HidDevice {
public:
    explicit HidapiDevice(hid_device* handle) : handle_(handle) {}
    ~HidapiDevice() override {
        std::lock_guard lock(gHidapiMutex);
        hid_close(handle_);
    }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    // hid_write expects the report id as the first byte (0 for a device without numbered
    // reports). Every report this service is given already starts with its report id — 4 on
    // the control interface, 5 in the LED status word — so reports go out exactly as they
    // are and nothing is prepended, here or anywhere else.
    int Write(std::span<const std::uint8_t> report) override {
        const int written = hid_write(handle_, report.data(), report.size());
        return written < 0 ? -1 : written;
    }

    int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
        const int read = hid_read_timeout(handle_, buffer.data(), buffer.size(), timeoutMs);
        return read < 0 ? -1 : read;
    }

    int SendFeature(std::span<const std::uint8_t> report) override {
        const int sent = hid_send_feature_report(handle_, report.data(), report.size());
        return sent < 0 ? -1 : sent;
    }

    int GetFeature(std::span<std::uint8_t> report) override {
        const int got = hid_get_feature_report(handle_, report.data(), report.size());
        return got < 0 ? -1 : got;
    }

private:
    hid_device* handle_;
};

class HidapiBackend final : public HidBackend {
public:
    int Start() override {
        std::lock_guard lock(gHidapiMutex);
        return hid_init() == 0 ? 1 : 0;
    }

    void Stop() override {
        std::lock_guard lock(gHidapiMutex);
        hid_exit();
    }

    std::vector<HidInterfaceInfo> Enumerate() override {
        std::vector<HidInterfaceInfo> list;
        std::lock_guard lock(gHidapiMutex);
        hid_device_info* all = hid_enumerate(0, 0);
        for (const hid_device_info* d = all; d != nullptr; d = d->next) {
            if (d->path == nullptr) {
                continue;
            }
            list.push_back(HidInterfaceInfo{d->path, d->vendor_id, d->product_id, d->usage_page,
                                            d->usage, d->interface_number});
        }
        hid_free_enumeration(all);
        return list;
    }

    std::unique_ptr<HidDevice> Open(const std::string& path, int& error) override {
        std::lock_guard lock(gHidapiMutex);
        errno = 0;
        hid_device* handle = hid_open_path(path.c_str());
        if (handle == nullptr) {
            error = errno;
            // hidapi does not promise to leave errno alone on its way out; ask the node.
            if (::access(path.c_str(), R_OK | W_OK) != 0) {
                error = errno;
            } else if (error == 0) {
                error = EIO;
            }
            return nullptr;
        }
        error = 0;
        return std::make_unique<HidapiDevice>(handle);
    }
};

}  // namespace

std::unique_ptr<HidBackend> MakeHidapiBackend() {
    return std::make_unique<HidapiBackend>();
}

}  // namespace qf::hidserv
