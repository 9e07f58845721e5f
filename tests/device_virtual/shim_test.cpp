// The shared library as the program loads it: dlopen, twelve names, Init(0), and a round trip
// through a C notification handler.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

#include "device/device_service.h"
#include "device/hidserv_abi.h"
#include "support/temp_folder.h"
#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

namespace fs = std::filesystem;

// What the C handler saw; the handler has no context pointer, so this lives at file scope.
struct HandlerLog {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<Bytes> replies;
    std::vector<Bytes> consumerCodes;
};
HandlerLog& Log() {
    static HandlerLog log;
    return log;
}

extern "C" int RecordNotification(QfDeviceNotification* n) {
    if (n == nullptr || n->request == nullptr || n->kind != QF_NOTIFY_INPUT) {
        return 1;
    }
    auto& log = Log();
    std::lock_guard lock(log.mutex);
    const QfRequestBlock& block = *n->request;
    if (block.tag == qf::device::kTagCtrl && block.bytes != nullptr) {
        log.replies.emplace_back(block.bytes, block.bytes + block.byte_count);
    } else if (block.tag == qf::device::kTagCons && block.buffer != nullptr &&
               block.buffer->bytes != nullptr) {
        log.consumerCodes.emplace_back(block.buffer->bytes, block.buffer->bytes + block.byte_count);
    }
    log.cv.notify_all();
    return 1;
}

struct Library {
    void* handle = nullptr;
    QfInitFn init = nullptr;
    QfEndFn end = nullptr;
    QfRequestGetDeviceCountFn getDeviceCount = nullptr;
    QfRequestWriteOneFn writeOne = nullptr;
    QfRequestAsyncReadFn asyncRead = nullptr;
    QfRequestStatusWriteFn statusWrite = nullptr;
    QfRequestStatusGetFn statusGet = nullptr;
    QfDeleteRequestFromUnitIdFn deleteRequest = nullptr;
};

template <typename F>
F Resolve(void* handle, const char* name) {
    return reinterpret_cast<F>(dlsym(handle, name));
}

class ShimTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = temp_.Path();
        setenv("QUILLFEN_VIRTUAL_STATE", (folder_ / "state").c_str(), 1);
        setenv("QUILLFEN_VIRTUAL_TRACE", (folder_ / "trace.txt").c_str(), 1);
        {
            auto& log = Log();
            std::lock_guard lock(log.mutex);
            log.replies.clear();
            log.consumerCodes.clear();
        }

        lib_.handle = dlopen(QF_HIDSERV_VIRTUAL_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib_.handle, nullptr) << dlerror();
        for (const char* name : {QF_HIDSERV_EXPORT_NAMES}) {
            EXPECT_NE(dlsym(lib_.handle, name), nullptr) << name;
        }
        lib_.init = Resolve<QfInitFn>(lib_.handle, "Init");
        lib_.end = Resolve<QfEndFn>(lib_.handle, "End");
        lib_.getDeviceCount =
            Resolve<QfRequestGetDeviceCountFn>(lib_.handle, "RequestGetDeviceCount");
        lib_.writeOne = Resolve<QfRequestWriteOneFn>(lib_.handle, "RequestWriteOne");
        lib_.asyncRead = Resolve<QfRequestAsyncReadFn>(lib_.handle, "RequestAsyncRead");
        lib_.statusWrite = Resolve<QfRequestStatusWriteFn>(lib_.handle, "RequestStatusWrite");
        lib_.statusGet = Resolve<QfRequestStatusGetFn>(lib_.handle, "RequestStatusGet");
        lib_.deleteRequest =
            Resolve<QfDeleteRequestFromUnitIdFn>(lib_.handle, "DeleteRequestFromUnitId");
    }

    void TearDown() override {
        if (lib_.end != nullptr) {
            lib_.end();
        }
        if (lib_.handle != nullptr) {
            dlclose(lib_.handle);
        }
        unsetenv("QUILLFEN_VIRTUAL_STATE");
        unsetenv("QUILLFEN_VIRTUAL_TRACE");
        unsetenv("QUILLFEN_VIRTUAL_FAULT");
    }

    int WriteControl(const Bytes& report) {
        return lib_.writeOne(&qf::device::kControlKey, nullptr, 0, report.data(),
                             static_cast<std::uint32_t>(report.size()), 0, nullptr);
    }

    // Waits for the handler to have seen `count` replies; a generous bound only guards against
    // a hang.
    bool AwaitReplies(std::size_t count) {
        auto& log = Log();
        std::unique_lock lock(log.mutex);
        return log.cv.wait_for(lock, std::chrono::seconds(10),
                               [&] { return log.replies.size() >= count; });
    }

    Library lib_;
    // Its own folder per test process: ctest runs tests of this file in parallel.
    qf::testing::TempFolder temp_;
    fs::path folder_;
};

TEST_F(ShimTest, CallsBeforeInitFindNoKeyboard) {
    EXPECT_EQ(lib_.getDeviceCount(&qf::device::kControlKey, nullptr, 0, 0, nullptr), 0);
    EXPECT_EQ(lib_.deleteRequest(1), 0);
}

TEST_F(ShimTest, RoundTripThroughTheCHandler) {
    ASSERT_GT(lib_.init(0), 0);
    EXPECT_EQ(lib_.getDeviceCount(&qf::device::kControlKey, nullptr, 0, 0, nullptr), 1);

    std::uint32_t ctrlId = 0;
    ASSERT_EQ(lib_.asyncRead(&qf::device::kControlKey, RecordNotification, qf::device::kTagCtrl, 0,
                             &ctrlId),
              1);
    EXPECT_NE(ctrlId, 0u);

    const Bytes request = Request(3, 44);
    ASSERT_GT(lib_.writeOne(&qf::device::kControlKey, nullptr, 0, request.data(), 64, 0, nullptr),
              0);
    ASSERT_TRUE(AwaitReplies(1));
    Bytes reply;
    {
        std::lock_guard lock(Log().mutex);
        reply = Log().replies.front();
    }
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_EQ(reply[3], 3);
    EXPECT_EQ(reply[7], 0);
    EXPECT_EQ(reply[8 + 11], 32);

    const std::uint8_t led[2] = {0x05, 0x03};
    std::uint32_t ledId = 0;
    EXPECT_EQ(lib_.statusWrite(&qf::device::kLedKey, RecordNotification, qf::device::kTagLed, led,
                               2, 0, &ledId),
              1);
    std::uint8_t readBack[2] = {};
    EXPECT_EQ(lib_.statusGet(&qf::device::kLedKey, nullptr, 0, readBack, 2, 0, nullptr), 1);
    EXPECT_THAT(readBack, ::testing::ElementsAre(0x05, 0x03));

    EXPECT_EQ(lib_.deleteRequest(ctrlId), 1);
    EXPECT_EQ(lib_.end(), 1);

    // End wrote the trace and saved the state.
    std::ifstream trace(folder_ / "trace.txt");
    std::string first, second, third;
    std::getline(trace, first);
    std::getline(trace, second);
    std::getline(trace, third);
    EXPECT_EQ(first.substr(0, 30), "> CTRL 04 2f 00 03 2c 00 00 00");
    std::string replyLine = "< CTRL";
    for (std::uint8_t b : reply) {
        static const char* digits = "0123456789abcdef";
        replyLine += ' ';
        replyLine += digits[b >> 4];
        replyLine += digits[b & 15];
    }
    EXPECT_EQ(second, replyLine);
    EXPECT_EQ(third, "> LED 05 03");
    EXPECT_TRUE(fs::exists(folder_ / "state"));
    EXPECT_EQ(lib_.end(), 0) << "nothing left to end";
}

TEST_F(ShimTest, StateFileCarriesMemoryAcrossInitAndEnd) {
    ASSERT_GT(lib_.init(0), 0);
    std::uint32_t ctrlId = 0;
    ASSERT_EQ(lib_.asyncRead(&qf::device::kControlKey, RecordNotification, qf::device::kTagCtrl, 0,
                             &ctrlId),
              1);
    const Bytes write = Request(6, 1, 0, {12});
    ASSERT_EQ(lib_.writeOne(&qf::device::kControlKey, nullptr, 0, write.data(), 64, 0, nullptr), 1);
    ASSERT_TRUE(AwaitReplies(1));
    ASSERT_EQ(lib_.end(), 1);

    ASSERT_GT(lib_.init(0), 0);
    ASSERT_EQ(lib_.asyncRead(&qf::device::kControlKey, RecordNotification, qf::device::kTagCtrl, 0,
                             &ctrlId),
              1);
    const Bytes read = Request(5, 56, 0);
    ASSERT_EQ(lib_.writeOne(&qf::device::kControlKey, nullptr, 0, read.data(), 64, 0, nullptr), 1);
    ASSERT_TRUE(AwaitReplies(2));
    std::lock_guard lock(Log().mutex);
    EXPECT_EQ(Log().replies[1][8], 12) << "the mode written before End";
}

TEST_F(ShimTest, TheEnvironmentPlacesOneFaultAndAMalformedOneIsSaidAndIgnored) {
    const Bytes named = Request(6, 1, 0, {12});
    const Bytes other = Request(3, 44);

    setenv("QUILLFEN_VIRTUAL_FAULT", "refuse@6:0", 1);
    ASSERT_GT(lib_.init(0), 0);
    EXPECT_EQ(WriteControl(named), 0);
    EXPECT_EQ(WriteControl(named), 0) << "every report it names, not only the first";
    EXPECT_EQ(WriteControl(other), 1);
    ASSERT_EQ(lib_.end(), 1);

    // Lacks its address: said once on stderr, and the keyboard serves every report.
    setenv("QUILLFEN_VIRTUAL_FAULT", "refuse@6", 1);
    ::testing::internal::CaptureStderr();
    const int init = lib_.init(0);
    const int first = WriteControl(named);
    const int second = WriteControl(named);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_GT(init, 0);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    const std::string notice = "QUILLFEN_VIRTUAL_FAULT=\"refuse@6\" ignored";
    const auto at = said.find(notice);
    ASSERT_NE(at, std::string::npos) << said;
    EXPECT_EQ(said.find(notice, at + 1), std::string::npos) << said;
}

}  // namespace
}  // namespace qf::vkbd::test
