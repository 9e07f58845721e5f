// The device service's logic, independent of hidapi and udev.
//
// The service keeps a list of the HID interfaces present, refreshed only when the hot-plug
// source reports a change, so that counting keyboards never enumerates. Every standing read
// request runs a reader thread of its own that opens the request's interface, delivers each
// input report to the request's handler and, on the control interface, every change in the
// number of keyboards. A reader outlives its device: when the interface fails it closes it and
// waits for the interface to come back. Writes go through a separate handle per interface, so a
// reader never shares its handle with another thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "device/hidserv_abi.h"
#include "device/services/hidraw/hid_backend.h"

namespace qf::hidserv {

// The largest report hidraw carries; longer writes are refused.
inline constexpr std::uint32_t kMaxReportBytes = 4096;

struct ServiceOptions {
    // How long a reader blocks in one read before it looks at its stop flag and its queue.
    int readTimeoutMs = 100;
    // How long a reader without a device waits before it tries to open again even though no
    // hot-plug event came (permissions may have changed without one).
    int retryIntervalMs = 1000;
    // Where messages for the user go; standard error when empty.
    std::function<void(std::string_view)> diagnostics;
};

class HidServService {
public:
    HidServService(std::unique_ptr<HidBackend> backend, std::unique_ptr<HotplugSource> hotplug,
                   ServiceOptions options = {});
    ~HidServService();
    HidServService(const HidServService&) = delete;
    HidServService& operator=(const HidServService&) = delete;

    // Starts the HID layer, lists the interfaces and starts watching for changes. 1 on success
    // (also when already started), 0 when the HID layer cannot start.
    [[nodiscard]] int Start();
    // Stops every request and the hot-plug source and closes every handle. 1 when done; 0 when
    // called on one of the service's own threads (from inside a handler), which it cannot join.
    int Shutdown();

    // Re-reads the list of interfaces. Called by the hot-plug source.
    void Refresh();

    // Interfaces present that the key selects, from the list kept by Refresh.
    [[nodiscard]] int DeviceCount(const QfRequestKey& key) const;

    // Writes one report to the key's interface. Bytes written (> 0), or 0 when there is no such
    // interface, it cannot be opened or the write failed.
    [[nodiscard]] int WriteReport(const QfRequestKey& key, const std::uint8_t* data,
                                  std::uint32_t length);
    // Feature reports on the key's interface; bytes transferred or 0.
    [[nodiscard]] int SendFeatureReport(const QfRequestKey& key, const std::uint8_t* data,
                                        std::uint32_t length);
    [[nodiscard]] int GetFeatureReport(const QfRequestKey& key, std::uint8_t* data,
                                       std::uint32_t length);

    // Starts a standing read. Stores the new request's id in *requestId when not null. 1 on
    // success, 0 when the service is not started or `handler` is null.
    [[nodiscard]] int StartRead(const QfRequestKey& key, QfNotifyHandler handler, std::uint32_t tag,
                                std::uint32_t* requestId);

    // A fresh request id for a request that completes at once (a status write).
    [[nodiscard]] std::uint32_t NewRequestId();

    // Withdraws a standing read. From any other thread this returns once the reader has ended,
    // so its handler is not called any more. From one of the service's own threads (inside a
    // handler) it cannot wait: it stops the reader, which ends after the running handler, and
    // leaves the join to a later call. 1 when the id named a standing read, 0 otherwise.
    int DeleteRequest(std::uint32_t requestId);

    void SetDebugLevel(int level) { debugLevel_.store(level); }
    // True on a reader thread of this service.
    [[nodiscard]] bool OnServiceThread() const;

private:
    struct Request {
        std::uint32_t id = 0;
        QfRequestKey key{};
        QfNotifyHandler handler = nullptr;
        std::uint32_t tag = 0;
        bool stop = false;                        // guarded by stateMutex_
        std::deque<std::uint32_t> pendingCounts;  // guarded by stateMutex_
        std::atomic<bool> finished{false};
        std::thread thread;
    };

    void ReaderLoop(const std::shared_ptr<Request>& request);
    void DeliverInput(const Request& request, const std::uint8_t* bytes, std::uint32_t count);
    void DeliverCount(const Request& request, std::uint32_t count);
    // The first interface (by path) the key selects, or an empty string. Needs stateMutex_.
    [[nodiscard]] std::string PathForLocked(const QfRequestKey& key) const;
    [[nodiscard]] int CountLocked(const QfRequestKey& key) const;
    // Runs `io` on the key's write handle, opening it first when needed; retries once on a
    // fresh handle when a cached one fails (the interface may have been replugged).
    template <typename Io>
    int WithWriteHandle(const QfRequestKey& key, Io&& io);
    void ReportOpenFailure(const std::string& path, int error);
    void Say(std::string_view text) const;
    // Joins retired readers: all of them, or only those that have already ended.
    void ReapRetired(bool all);

    std::unique_ptr<HidBackend> backend_;
    std::unique_ptr<HotplugSource> hotplug_;
    ServiceOptions options_;
    std::atomic<int> debugLevel_{0};
    std::atomic<bool> permissionHintShown_{false};

    std::mutex lifecycleMutex_;  // Start and Shutdown
    std::mutex refreshMutex_;    // one Refresh at a time; taken before stateMutex_

    mutable std::mutex stateMutex_;
    std::condition_variable stateChanged_;
    bool started_ = false;
    std::vector<HidInterfaceInfo> interfaces_;
    std::uint64_t generation_ = 0;  // bumped on every Refresh
    int controlCount_ = 0;
    std::uint32_t lastId_ = 0;
    std::map<std::uint32_t, std::shared_ptr<Request>> requests_;
    std::vector<std::shared_ptr<Request>> retired_;

    std::mutex writerMutex_;  // never held together with stateMutex_
    std::map<std::string, std::unique_ptr<HidDevice>> writers_;
};

}  // namespace qf::hidserv
