// Loading the device service library and calling through the adapter.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "device/service_loader.h"
#include "support/temp_folder.h"

namespace qf::device {
namespace {

struct FakeHidServRecord {  // as the stand-in library defines it
    int initCalls;
    int initFlags;
    int countCalls;
    QfRequestKey lastKey;
    const void* lastHandler;
    std::uint32_t lastTag;
    std::uint32_t lastUnitId;
    const void* lastRequestId;
    std::uint8_t lastData[64];
    std::uint32_t lastLength;
    std::uint32_t deletedId;
    int deleteCalls;
};

// The already loaded stand-in library's test functions.
struct StandIn {
    explicit StandIn(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_NOLOAD)) {}
    ~StandIn() {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    const FakeHidServRecord& record() const {
        auto fn =
            reinterpret_cast<const FakeHidServRecord* (*)()>(dlsym(handle, "FakeHidServ_Record"));
        return *fn();
    }
    int Notify(std::uint32_t kind, std::uint32_t tag, const std::uint8_t* bytes,
               std::uint32_t count) const {
        auto fn = reinterpret_cast<int (*)(std::uint32_t, std::uint32_t, const std::uint8_t*,
                                           std::uint32_t)>(dlsym(handle, "FakeHidServ_Notify"));
        return fn(kind, tag, bytes, count);
    }
    void* handle;
};

class RecordingSink : public NotificationSink {
public:
    int OnDeviceNotify(const QfDeviceNotification& notification) override {
        kinds.push_back(notification.kind);
        const auto bytes = NotificationBytes(notification);
        lastBytes.assign(bytes.begin(), bytes.end());
        return 1;
    }
    std::vector<std::uint32_t> kinds;
    std::vector<std::uint8_t> lastBytes;
};

// Sets or clears QUILLFEN_HIDSERV for one test and puts the old value back.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const char* value) {
        if (const char* old = getenv(kDeviceServiceEnvironmentVariable)) {
            old_ = old;
        }
        if (value != nullptr) {
            setenv(kDeviceServiceEnvironmentVariable, value, 1);
        } else {
            unsetenv(kDeviceServiceEnvironmentVariable);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(kDeviceServiceEnvironmentVariable, old_->c_str(), 1);
        } else {
            unsetenv(kDeviceServiceEnvironmentVariable);
        }
    }

private:
    std::optional<std::string> old_;
};

TEST(ServiceLoader, CompleteLibraryIsInitialisedAndCalledThrough) {
    std::string error = "stale";
    auto service = LoadDeviceServiceFrom(QF_TEST_HIDSERV_GOOD, error);
    ASSERT_NE(service, nullptr) << error;
    EXPECT_TRUE(error.empty());
    StandIn lib(QF_TEST_HIDSERV_GOOD);
    ASSERT_NE(lib.handle, nullptr);
    EXPECT_GE(lib.record().initCalls, 1);
    EXPECT_EQ(lib.record().initFlags, 0);

    EXPECT_EQ(service->RequestGetDeviceCount(kControlKey, 1234), 2);
    EXPECT_EQ(lib.record().lastKey.usage_page, 0xFF1C);
    EXPECT_EQ(lib.record().lastHandler, nullptr);
    EXPECT_EQ(lib.record().lastTag, 0u);
    EXPECT_EQ(lib.record().lastUnitId, 1234u);
    EXPECT_EQ(lib.record().lastRequestId, nullptr);

    const std::uint8_t frame[64] = {4, 3, 0, 3};
    EXPECT_EQ(service->RequestWriteOne(kControlKey, frame, 64, 99), 64);
    EXPECT_EQ(lib.record().lastLength, 64u);
    EXPECT_EQ(lib.record().lastData[3], 3);

    const int deletes = lib.record().deleteCalls;
    EXPECT_EQ(service->DeleteRequestFromUnitId(0), 0);  // id 0 names no request
    EXPECT_EQ(lib.record().deleteCalls, deletes);
    EXPECT_EQ(service->DeleteRequestFromUnitId(77), 1);
    EXPECT_EQ(lib.record().deletedId, 77u);
}

TEST(ServiceLoader, NotificationsReachTheSinkThroughTheHandler) {
    std::string error;
    auto service = LoadDeviceServiceFrom(QF_TEST_HIDSERV_GOOD, error);
    ASSERT_NE(service, nullptr) << error;
    StandIn lib(QF_TEST_HIDSERV_GOOD);

    RecordingSink sink;
    std::uint32_t id = 0;
    ASSERT_EQ(service->RequestAsyncRead(kControlKey, &sink, kTagCtrl, 5, &id), 1);
    EXPECT_EQ(id, 77u);
    EXPECT_NE(lib.record().lastHandler, nullptr);
    EXPECT_EQ(lib.record().lastTag, kTagCtrl);

    const std::uint8_t reply[] = {4, 0, 0, 3, 0, 0, 0, 0, 42};
    EXPECT_EQ(lib.Notify(QF_NOTIFY_INPUT, kTagCtrl, reply, sizeof reply), 1);
    EXPECT_EQ(lib.Notify(QF_NOTIFY_COUNT_CHANGED, kTagCtrl, nullptr, 1), 1);
    ASSERT_EQ(sink.kinds, (std::vector<std::uint32_t>{QF_NOTIFY_INPUT, QF_NOTIFY_COUNT_CHANGED}));

    const std::uint8_t led[] = {5, 3};
    ASSERT_EQ(service->RequestStatusWrite(kLedKey, &sink, kTagLed, led, 2, 6, &id), 1);
    EXPECT_EQ(lib.record().lastLength, 2u);
    EXPECT_EQ(lib.record().lastData[1], 3);

    // Once the adapter is gone, the library's notifications are answered and dropped.
    service.reset();
    EXPECT_EQ(lib.Notify(QF_NOTIFY_INPUT, kTagCtrl, reply, sizeof reply), 1);
    EXPECT_EQ(sink.kinds.size(), 2u);
}

TEST(ServiceLoader, LibraryLackingAnEntryPointIsRefused) {
    std::string error;
    EXPECT_EQ(LoadDeviceServiceFrom(QF_TEST_HIDSERV_MISSING, error), nullptr);
    EXPECT_NE(error.find("\"End\""), std::string::npos) << error;
    EXPECT_EQ(error.find("RequestWrite"), std::string::npos) << error;
}

TEST(ServiceLoader, RefusedInitIsRefused) {
    std::string error;
    EXPECT_EQ(LoadDeviceServiceFrom(QF_TEST_HIDSERV_REFUSING, error), nullptr);
    EXPECT_NE(error.find("Init"), std::string::npos) << error;
}

TEST(ServiceLoader, MissingLibraryIsNamed) {
    std::string error;
    EXPECT_EQ(LoadDeviceServiceFrom("/nonexistent/libHidServ.so", error), nullptr);
    EXPECT_NE(error.find("/nonexistent/libHidServ.so"), std::string::npos) << error;
}

class InstallFolder : public ::testing::Test {
protected:
    qf::testing::TempFolder folder_;
};

TEST_F(InstallFolder, ServiceBesideTheProgramIsLoaded) {
    ScopedEnvironment env(nullptr);
    std::filesystem::copy_file(QF_TEST_HIDSERV_GOOD, folder_ / "libHidServ.so");
    std::string error;
    EXPECT_NE(LoadDeviceService(folder_.Path(), error), nullptr) << error;
}

TEST_F(InstallFolder, EmptyFolderGivesAnError) {
    ScopedEnvironment env("");  // set but empty: the install folder is used
    std::string error;
    EXPECT_EQ(LoadDeviceService(folder_.Path(), error), nullptr);
    EXPECT_NE(error.find("libHidServ.so"), std::string::npos) << error;
}

TEST_F(InstallFolder, EnvironmentVariableNamesAnotherLibrary) {
    std::filesystem::copy_file(QF_TEST_HIDSERV_GOOD, folder_ / "libHidServ.so");
    ScopedEnvironment env(QF_TEST_HIDSERV_MISSING);
    std::string error;
    EXPECT_EQ(LoadDeviceService(folder_.Path(), error), nullptr);
    EXPECT_NE(error.find("\"End\""), std::string::npos) << error;
}

}  // namespace
}  // namespace qf::device
