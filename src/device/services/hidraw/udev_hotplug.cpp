#include "device/services/hidraw/udev_hotplug.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <thread>

namespace qf::hidserv {
namespace {

constexpr const char* kSubsystem = "hidraw";
// udevd's control socket: when it is missing no daemon forwards events, and the kernel's own
// events are the only ones there are.
constexpr const char* kUdevdControl = "/run/udev/control";

class UdevHotplugSource final : public HotplugSource {
public:
    explicit UdevHotplugSource(int fallbackPollMs) : fallbackPollMs_(fallbackPollMs) {}
    ~UdevHotplugSource() override { Stop(); }
    UdevHotplugSource(const UdevHotplugSource&) = delete;
    UdevHotplugSource& operator=(const UdevHotplugSource&) = delete;

    int Start(std::function<void()> onChange) override {
        if (thread_.joinable()) {
            return 1;
        }
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_ < 0) {
            return 0;
        }
        onChange_ = std::move(onChange);
        OpenMonitor();
        thread_ = std::thread([this] { Run(); });
        return 1;
    }

    void Stop() override {
        if (!thread_.joinable()) {
            return;
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = write(wake_, &one, sizeof one);
        thread_.join();
        if (monitor_ != nullptr) {
            udev_monitor_unref(monitor_);
            monitor_ = nullptr;
        }
        if (udev_ != nullptr) {
            udev_unref(udev_);
            udev_ = nullptr;
        }
        close(wake_);
        wake_ = -1;
    }

private:
    void OpenMonitor() {
        udev_ = udev_new();
        if (udev_ == nullptr) {
            return;
        }
        const char* source = access(kUdevdControl, F_OK) == 0 ? "udev" : "kernel";
        monitor_ = udev_monitor_new_from_netlink(udev_, source);
        if (monitor_ == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, kSubsystem, nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0) {
            if (monitor_ != nullptr) {
                udev_monitor_unref(monitor_);
                monitor_ = nullptr;
            }
        }
    }

    void Run() {
        pollfd fds[2] = {{wake_, POLLIN, 0}, {-1, POLLIN, 0}};
        if (monitor_ != nullptr) {
            fds[1].fd = udev_monitor_get_fd(monitor_);
        }
        const int timeout = monitor_ != nullptr ? -1 : fallbackPollMs_;
        for (;;) {
            const int ready = poll(fds, monitor_ != nullptr ? 2 : 1, timeout);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[0].revents != 0) {
                return;
            }
            if (monitor_ == nullptr) {
                onChange_();  // polling: something may have changed
                continue;
            }
            if ((fds[1].revents & POLLIN) == 0) {
                continue;
            }
            // Drain the whole burst (one keyboard brings several nodes) and refresh once.
            bool any = false;
            while (udev_device* dev = udev_monitor_receive_device(monitor_)) {
                udev_device_unref(dev);
                any = true;
            }
            if (any) {
                onChange_();
            }
        }
    }

    int fallbackPollMs_;
    int wake_ = -1;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::function<void()> onChange_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<HotplugSource> MakeUdevHotplugSource(int fallbackPollMs) {
    return std::make_unique<UdevHotplugSource>(fallbackPollMs);
}

}  // namespace qf::hidserv
