#include "device/service_loader.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>

namespace qf::device {

namespace {

// The one sink the loaded library's notifications go to (see service_loader.h).
std::atomic<NotificationSink*> g_notificationSink{nullptr};

extern "C" int QuillfenNotifyTrampoline(QfDeviceNotification* notification) {
    NotificationSink* sink = g_notificationSink.load();
    if (sink == nullptr || notification == nullptr) {
        return 1;
    }
    return sink->OnDeviceNotify(*notification);
}

struct EntryPoints {
    QfInitFn init = nullptr;
    QfDebugFn debug = nullptr;
    QfEndFn end = nullptr;
    QfRequestGetDeviceCountFn requestGetDeviceCount = nullptr;
    QfRequestWriteOneFn requestWriteOne = nullptr;
    QfRequestWriteFn requestWrite = nullptr;
    QfRequestAsyncReadFn requestAsyncRead = nullptr;
    QfRequestStatusWriteFn requestStatusWrite = nullptr;
    QfRequestStatusGetFn requestStatusGet = nullptr;
    QfRequestStatusSetFeatureFn requestStatusSetFeature = nullptr;
    QfDeleteRequestFromUnitIdFn deleteRequestFromUnitId = nullptr;
    QfDeleteRequestFromHandleFn deleteRequestFromHandle = nullptr;
};

class LibraryDeviceService final : public DeviceService {
public:
    explicit LibraryDeviceService(const EntryPoints& entry) : entry_(entry) {}
    ~LibraryDeviceService() override { g_notificationSink.store(nullptr); }

    int RequestGetDeviceCount(const QfRequestKey& key, std::uint32_t unitId) override {
        return entry_.requestGetDeviceCount(&key, nullptr, kTagNone, unitId, nullptr);
    }

    int RequestWriteOne(const QfRequestKey& key, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t unitId) override {
        return entry_.requestWriteOne(&key, nullptr, kTagNone, data, length, unitId, nullptr);
    }

    int RequestAsyncRead(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                         std::uint32_t unitId, std::uint32_t* requestId) override {
        return entry_.requestAsyncRead(&key, Route(sink), tag, unitId, requestId);
    }

    int RequestStatusWrite(const QfRequestKey& key, NotificationSink* sink, std::uint32_t tag,
                           const std::uint8_t* data, std::uint32_t length, std::uint32_t unitId,
                           std::uint32_t* requestId) override {
        return entry_.requestStatusWrite(&key, Route(sink), tag, data, length, unitId, requestId);
    }

    int DeleteRequestFromUnitId(std::uint32_t requestId) override {
        if (requestId == 0) {
            return 0;
        }
        return entry_.deleteRequestFromUnitId(requestId);
    }

private:
    static QfNotifyHandler Route(NotificationSink* sink) {
        if (sink == nullptr) {
            return nullptr;
        }
        g_notificationSink.store(sink);
        return &QuillfenNotifyTrampoline;
    }

    EntryPoints entry_;
};

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& out, std::string& missing) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        if (!missing.empty()) {
            missing += ", ";
        }
        missing += '"';
        missing += name;
        missing += '"';
        return false;
    }
    out = reinterpret_cast<Fn>(symbol);
    return true;
}

}  // namespace

std::unique_ptr<DeviceService> LoadDeviceServiceFrom(const std::filesystem::path& library,
                                                     std::string& error) {
    error.clear();
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot open device service \"" + library.string() +
                "\": " + (reason != nullptr ? reason : "unknown error");
        return nullptr;
    }

    // Every name is resolved, even those never called: a library that lacks one is not a
    // device service.
    EntryPoints entry;
    std::string missing;
    Resolve(handle, "Init", entry.init, missing);
    Resolve(handle, "Debug", entry.debug, missing);
    Resolve(handle, "End", entry.end, missing);
    Resolve(handle, "RequestGetDeviceCount", entry.requestGetDeviceCount, missing);
    Resolve(handle, "RequestWriteOne", entry.requestWriteOne, missing);
    Resolve(handle, "RequestWrite", entry.requestWrite, missing);
    Resolve(handle, "RequestAsyncRead", entry.requestAsyncRead, missing);
    Resolve(handle, "RequestStatusWrite", entry.requestStatusWrite, missing);
    Resolve(handle, "RequestStatusGet", entry.requestStatusGet, missing);
    Resolve(handle, "RequestStatusSetFeature", entry.requestStatusSetFeature, missing);
    Resolve(handle, "DeleteRequestFromUnitId", entry.deleteRequestFromUnitId, missing);
    Resolve(handle, "DeleteRequestFromHandle", entry.deleteRequestFromHandle, missing);
    if (!missing.empty()) {
        error = "device service \"" + library.string() + "\" lacks entry point " + missing;
        dlclose(handle);
        return nullptr;
    }

    const int init = entry.init(0);
    if (init <= 0) {
        error = "device service \"" + library.string() + "\" refused Init (returned " +
                std::to_string(init) + ")";
        return nullptr;  // stays loaded: Init may have started threads of its own
    }
    return std::make_unique<LibraryDeviceService>(entry);
}

std::unique_ptr<DeviceService> LoadDeviceService(const std::filesystem::path& installFolder,
                                                 std::string& error) {
    const char* chosen = std::getenv(kDeviceServiceEnvironmentVariable);
    if (chosen != nullptr && *chosen != '\0') {
        return LoadDeviceServiceFrom(chosen, error);
    }
    return LoadDeviceServiceFrom(installFolder / kDeviceServiceFileName, error);
}

}  // namespace qf::device
