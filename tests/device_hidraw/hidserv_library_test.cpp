// Loads the built device service library the way the program does and checks its face: the
// twelve names resolve, nothing else leaks out, and with no keyboard attached it starts, counts
// none, refuses writes and still takes standing reads.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "device/device_service.h"
#include "device/hidserv_abi.h"

namespace {

constexpr const char* kNames[] = {QF_HIDSERV_EXPORT_NAMES};

int Ignore(QfDeviceNotification*) {
    return 1;
}

class HidServLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(QF_HIDSERV_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
    }
    void TearDown() override {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    template <typename Fn>
    Fn Get(const char* name) {
        return reinterpret_cast<Fn>(dlsym(handle_, name));
    }
    void* handle_ = nullptr;
};

TEST_F(HidServLibraryTest, ExportsExactlyTheTwelveEntryPoints) {
    static_assert(std::size(kNames) == 12);
    for (const char* name : kNames) {
        EXPECT_NE(dlsym(handle_, name), nullptr) << name;
    }
    // The service's own classes stay inside.
    EXPECT_EQ(dlsym(handle_, "_ZN2qf7hidserv17MakeHidapiBackendEv"), nullptr);
    EXPECT_EQ(dlsym(handle_, "_ZN2qf7hidserv14HidServService5StartEv"), nullptr);
}

TEST_F(HidServLibraryTest, RunsWithoutAKeyboard) {
    using qf::device::kControlKey;
    auto init = Get<QfInitFn>("Init");
    auto end = Get<QfEndFn>("End");
    auto count = Get<QfRequestGetDeviceCountFn>("RequestGetDeviceCount");
    auto writeOne = Get<QfRequestWriteOneFn>("RequestWriteOne");
    auto asyncRead = Get<QfRequestAsyncReadFn>("RequestAsyncRead");
    auto statusWrite = Get<QfRequestStatusWriteFn>("RequestStatusWrite");
    auto remove = Get<QfDeleteRequestFromUnitIdFn>("DeleteRequestFromUnitId");
    auto removeHandle = Get<QfDeleteRequestFromHandleFn>("DeleteRequestFromHandle");
    ASSERT_TRUE(init && end && count && writeOne && asyncRead && statusWrite && remove &&
                removeHandle);

    EXPECT_EQ(count(&kControlKey, nullptr, 0, 1, nullptr), 0);  // not started yet
    ASSERT_EQ(init(0), 1);
    EXPECT_EQ(init(0), 1);
    // This machine has no keyboard of this kind.
    EXPECT_EQ(count(&kControlKey, nullptr, 0, 1, nullptr), 0);
    std::array<std::uint8_t, 64> frame{4};
    EXPECT_EQ(writeOne(&kControlKey, nullptr, 0, frame.data(), 64, 1, nullptr), 0);
    const std::uint8_t led[2] = {0x05, 0x02};
    std::uint32_t ledId = 0;
    EXPECT_EQ(statusWrite(&qf::device::kLedKey, Ignore, qf::device::kTagLed, led, 2, 1, &ledId), 0);

    std::uint32_t id = 0;
    EXPECT_EQ(asyncRead(&kControlKey, Ignore, qf::device::kTagCtrl, 1, &id), 1);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(remove(id), 1);
    EXPECT_EQ(remove(id), 0);
    EXPECT_EQ(removeHandle(nullptr), 0);

    EXPECT_EQ(asyncRead(&kControlKey, Ignore, qf::device::kTagCtrl, 1, &id), 1);
    EXPECT_EQ(end(), 1);  // stops the standing read too
    EXPECT_EQ(count(&kControlKey, nullptr, 0, 1, nullptr), 0);
    ASSERT_EQ(init(0), 1);  // and can start again
    EXPECT_EQ(end(), 1);
}

}  // namespace
