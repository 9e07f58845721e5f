#include "device/services/hidraw/hidserv_service.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

#include "device/device_service.h"

namespace qf::hidserv {
namespace {

// The reader thread of the service it runs for; null on every other thread.
thread_local const HidServService* tCurrentService = nullptr;

// Large enough for any hidraw input report.
constexpr std::size_t kReadBufferBytes = kMaxReportBytes;

bool IsControlKey(const QfRequestKey& key) {
    const QfRequestKey& c = device::kControlKey;
    return key.vendor_id == c.vendor_id && key.product_id == c.product_id &&
           key.usage_page == c.usage_page && key.usage == c.usage;
}

constexpr std::string_view kPermissionHint =
    "The keyboard's HID interface %s is present, but this user may not open it.\n"
    "To allow access, install the udev rule shipped with Quillfen and reload udev:\n"
    "  sudo install -m 644 packaging/udev/70-quillfen.rules /etc/udev/rules.d/\n"
    "  sudo udevadm control --reload && sudo udevadm trigger\n"
    "then unplug the keyboard and plug it in again.\n";

}  // namespace

HidServService::HidServService(std::unique_ptr<HidBackend> backend,
                               std::unique_ptr<HotplugSource> hotplug, ServiceOptions options)
    : backend_(std::move(backend)), hotplug_(std::move(hotplug)), options_(std::move(options)) {}

HidServService::~HidServService() {
    Shutdown();
}

int HidServService::Start() {
    std::lock_guard lifecycle(lifecycleMutex_);
    {
        std::lock_guard lock(stateMutex_);
        if (started_) {
            return 1;
        }
    }
    if (backend_->Start() != 1) {
        return 0;
    }
    Refresh();
    {
        std::lock_guard lock(stateMutex_);
        started_ = true;
    }
    if (hotplug_->Start([this] { Refresh(); }) != 1) {
        // Still usable: the keyboards present now are served, later arrivals are not seen.
        Say("Quillfen: cannot watch for keyboards being plugged in or out.\n");
    }
    return 1;
}

int HidServService::Shutdown() {
    if (OnServiceThread()) {
        return 0;
    }
    std::lock_guard lifecycle(lifecycleMutex_);
    {
        std::lock_guard lock(stateMutex_);
        if (!started_) {
            return 1;
        }
    }
    hotplug_->Stop();
    std::vector<std::shared_ptr<Request>> stopping;
    {
        std::lock_guard lock(stateMutex_);
        started_ = false;
        for (auto& [id, request] : requests_) {
            request->stop = true;
            stopping.push_back(request);
        }
        requests_.clear();
    }
    stateChanged_.notify_all();
    for (auto& request : stopping) {
        if (request->thread.joinable()) {
            request->thread.join();
        }
    }
    ReapRetired(true);
    {
        std::lock_guard lock(writerMutex_);
        writers_.clear();
    }
    backend_->Stop();
    return 1;
}

void HidServService::Refresh() {
    std::lock_guard refresh(refreshMutex_);
    std::vector<HidInterfaceInfo> list = backend_->Enumerate();
    std::sort(list.begin(), list.end(),
              [](const HidInterfaceInfo& a, const HidInterfaceInfo& b) { return a.path < b.path; });
    {
        std::lock_guard lock(stateMutex_);
        interfaces_ = std::move(list);
        ++generation_;
        const int count = CountLocked(device::kControlKey);
        if (count != controlCount_) {
            controlCount_ = count;
            if (debugLevel_.load() > 0) {
                std::fprintf(stderr, "HidServ: %d keyboard(s) on the control interface\n", count);
            }
            for (auto& [id, request] : requests_) {
                if (IsControlKey(request->key)) {
                    request->pendingCounts.push_back(static_cast<std::uint32_t>(count));
                }
            }
        }
    }
    stateChanged_.notify_all();

    // Write handles whose interface went away are closed; a new one is opened on the next
    // write should the path come back.
    std::vector<std::string> present;
    {
        std::lock_guard lock(stateMutex_);
        for (const auto& info : interfaces_) {
            present.push_back(info.path);
        }
    }
    std::lock_guard writers(writerMutex_);
    std::erase_if(writers_, [&](const auto& entry) {
        return std::find(present.begin(), present.end(), entry.first) == present.end();
    });
}

std::string HidServService::PathForLocked(const QfRequestKey& key) const {
    for (const auto& info : interfaces_) {
        if (KeyMatches(key, info)) {
            return info.path;
        }
    }
    return {};
}

int HidServService::CountLocked(const QfRequestKey& key) const {
    // One node may list a collection more than once; a keyboard counts once per node.
    std::vector<std::string_view> seen;
    for (const auto& info : interfaces_) {
        if (KeyMatches(key, info) && std::find(seen.begin(), seen.end(), info.path) == seen.end()) {
            seen.push_back(info.path);
        }
    }
    return static_cast<int>(seen.size());
}

int HidServService::DeviceCount(const QfRequestKey& key) const {
    std::lock_guard lock(stateMutex_);
    if (!started_) {
        return 0;
    }
    return CountLocked(key);
}

template <typename Io>
int HidServService::WithWriteHandle(const QfRequestKey& key, Io&& io) {
    std::string path;
    {
        std::lock_guard lock(stateMutex_);
        if (!started_) {
            return 0;
        }
        path = PathForLocked(key);
    }
    if (path.empty()) {
        return 0;
    }
    std::lock_guard writers(writerMutex_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto found = writers_.find(path);
        const bool cached = found != writers_.end();
        if (!cached) {
            int error = 0;
            std::unique_ptr<HidDevice> opened = backend_->Open(path, error);
            if (!opened) {
                ReportOpenFailure(path, error);
                return 0;
            }
            found = writers_.emplace(path, std::move(opened)).first;
        }
        const int result = io(*found->second);
        if (result > 0) {
            return result;
        }
        writers_.erase(found);
        if (!cached) {
            return 0;
        }
    }
    return 0;
}

int HidServService::WriteReport(const QfRequestKey& key, const std::uint8_t* data,
                                std::uint32_t length) {
    if (data == nullptr || length == 0 || length > kMaxReportBytes) {
        return 0;
    }
    const std::span<const std::uint8_t> report(data, length);
    return WithWriteHandle(key, [&](HidDevice& device) { return device.Write(report); });
}

int HidServService::SendFeatureReport(const QfRequestKey& key, const std::uint8_t* data,
                                      std::uint32_t length) {
    if (data == nullptr || length == 0 || length > kMaxReportBytes) {
        return 0;
    }
    const std::span<const std::uint8_t> report(data, length);
    return WithWriteHandle(key, [&](HidDevice& device) { return device.SendFeature(report); });
}

int HidServService::GetFeatureReport(const QfRequestKey& key, std::uint8_t* data,
                                     std::uint32_t length) {
    if (data == nullptr || length == 0 || length > kMaxReportBytes) {
        return 0;
    }
    const std::span<std::uint8_t> report(data, length);
    return WithWriteHandle(key, [&](HidDevice& device) { return device.GetFeature(report); });
}

std::uint32_t HidServService::NewRequestId() {
    std::lock_guard lock(stateMutex_);
    ++lastId_;
    if (lastId_ == 0) {  // 0 names no request
        ++lastId_;
    }
    return lastId_;
}

int HidServService::StartRead(const QfRequestKey& key, QfNotifyHandler handler, std::uint32_t tag,
                              std::uint32_t* requestId) {
    if (handler == nullptr) {
        return 0;
    }
    if (!OnServiceThread()) {
        ReapRetired(false);
    }
    auto request = std::make_shared<Request>();
    request->key = key;
    request->handler = handler;
    request->tag = tag;
    request->id = NewRequestId();
    {
        std::lock_guard lock(stateMutex_);
        if (!started_) {
            return 0;
        }
        // The thread is started under the lock so that Shutdown, which takes the request out
        // of the map under the same lock, always finds a thread to join.
        request->thread = std::thread([this, request] { ReaderLoop(request); });
        requests_.emplace(request->id, request);
    }
    if (requestId != nullptr) {
        *requestId = request->id;
    }
    return 1;
}

int HidServService::DeleteRequest(std::uint32_t requestId) {
    std::shared_ptr<Request> request;
    {
        std::lock_guard lock(stateMutex_);
        auto found = requests_.find(requestId);
        if (found == requests_.end()) {
            return 0;
        }
        request = std::move(found->second);
        requests_.erase(found);
        request->stop = true;
        if (OnServiceThread()) {
            // Joining here could wait for this very thread, or for a reader whose handler is
            // waiting for this one: leave the join to the next caller from outside.
            retired_.push_back(request);
        }
    }
    stateChanged_.notify_all();
    if (!OnServiceThread()) {
        request->thread.join();
        ReapRetired(false);
    }
    return 1;
}

void HidServService::ReapRetired(bool all) {
    std::vector<std::shared_ptr<Request>> joining;
    {
        std::lock_guard lock(stateMutex_);
        auto keep = std::stable_partition(retired_.begin(), retired_.end(), [all](const auto& r) {
            return !(all || r->finished.load());
        });
        joining.assign(std::make_move_iterator(keep), std::make_move_iterator(retired_.end()));
        retired_.erase(keep, retired_.end());
    }
    for (auto& request : joining) {
        if (request->thread.joinable()) {
            request->thread.join();
        }
    }
}

bool HidServService::OnServiceThread() const {
    return tCurrentService == this;
}

void HidServService::ReaderLoop(const std::shared_ptr<Request>& request) {
    using Clock = std::chrono::steady_clock;
    tCurrentService = this;
    std::unique_ptr<HidDevice> device;
    std::uint64_t openedAt = 0;  // list generation when `device` was opened
    // After a failed open or read the reader waits until the list changes or the retry
    // interval has passed, delivering count changes meanwhile.
    bool waiting = false;
    std::uint64_t waitGeneration = 0;
    Clock::time_point waitUntil;
    std::vector<std::uint8_t> buffer(kReadBufferBytes);
    const auto retry = std::chrono::milliseconds(options_.retryIntervalMs);
    const auto startWaiting = [&](std::uint64_t generation) {
        waiting = true;
        waitGeneration = generation;
        waitUntil = Clock::now() + retry;
    };

    for (;;) {
        std::deque<std::uint32_t> counts;
        std::string path;
        std::uint64_t generation = 0;
        {
            std::unique_lock lock(stateMutex_);
            if (waiting) {
                stateChanged_.wait_until(lock, waitUntil, [&] {
                    return request->stop || !request->pendingCounts.empty() ||
                           generation_ != waitGeneration;
                });
                if (generation_ != waitGeneration || Clock::now() >= waitUntil) {
                    waiting = false;
                }
            }
            if (request->stop) {
                break;
            }
            counts.swap(request->pendingCounts);
            generation = generation_;
            if (!device && !waiting) {
                path = PathForLocked(request->key);
            }
        }
        for (std::uint32_t count : counts) {
            DeliverCount(*request, count);
        }
        if (!device) {
            if (waiting) {
                continue;
            }
            int error = 0;
            if (!path.empty()) {
                device = backend_->Open(path, error);
            }
            if (!device) {
                if (!path.empty()) {
                    ReportOpenFailure(path, error);
                }
                startWaiting(generation);
                continue;
            }
            openedAt = generation;
        }
        const int read = device->Read(buffer, options_.readTimeoutMs);
        if (read < 0) {
            // The interface is gone or broken. Open again at once if the list has changed
            // since it was opened (it may be back already), otherwise wait for a change.
            device.reset();
            std::lock_guard lock(stateMutex_);
            if (generation_ == openedAt) {
                startWaiting(openedAt);
            }
            continue;
        }
        if (read == 0) {
            continue;
        }
        {
            std::lock_guard lock(stateMutex_);
            if (request->stop) {
                break;
            }
        }
        const auto count = static_cast<std::uint32_t>(
            std::min<std::size_t>(static_cast<std::size_t>(read), buffer.size()));
        DeliverInput(*request, buffer.data(), count);
    }
    device.reset();
    request->finished.store(true);
}

void HidServService::DeliverInput(const Request& request, const std::uint8_t* bytes,
                                  std::uint32_t count) {
    QfBufferRecord record{};
    record.bytes = bytes;
    QfRequestBlock block{request.tag, count, bytes, request.id, &record};
    QfDeviceNotification notification{QF_NOTIFY_INPUT, 0, &block};
    request.handler(&notification);
}

void HidServService::DeliverCount(const Request& request, std::uint32_t count) {
    QfBufferRecord record{};
    QfRequestBlock block{request.tag, count, nullptr, request.id, &record};
    QfDeviceNotification notification{QF_NOTIFY_COUNT_CHANGED, 0, &block};
    request.handler(&notification);
}

void HidServService::ReportOpenFailure(const std::string& path, int error) {
    if (error == EACCES || error == EPERM) {
        if (!permissionHintShown_.exchange(true)) {
            char text[1024];
            std::snprintf(text, sizeof text, kPermissionHint.data(), path.c_str());
            Say(text);
        }
        return;
    }
    if (debugLevel_.load() > 0) {
        std::fprintf(stderr, "HidServ: cannot open %s (errno %d)\n", path.c_str(), error);
    }
}

void HidServService::Say(std::string_view text) const {
    if (options_.diagnostics) {
        options_.diagnostics(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

}  // namespace qf::hidserv
