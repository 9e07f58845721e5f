// Several host threads at once against the keyboard's own delivery thread: every report gets
// exactly one well-formed reply, and plugging and key events interleave safely.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

// Counts replies per command without keeping them.
class CountingSink : public qf::device::NotificationSink {
public:
    int OnDeviceNotify(const QfDeviceNotification& n) override {
        if (n.kind == QF_NOTIFY_COUNT_CHANGED) {
            ++countChanges;
            return 1;
        }
        const QfRequestBlock& block = *n.request;
        if (block.byte_count != 64 || block.bytes == nullptr) {
            ++malformed;
            return 1;
        }
        Bytes reply(block.bytes, block.bytes + 64);
        const std::uint16_t sum = SumOf(reply);
        if (reply[1] != (sum & 0xFF) || reply[2] != (sum >> 8) || reply[7] != 0) {
            ++malformed;
        }
        ++perCommand[reply[3]];
        return 1;
    }
    std::atomic<int> malformed{0};
    std::atomic<int> countChanges{0};
    std::array<std::atomic<int>, 256> perCommand{};
};

TEST(VirtualKeyboardConcurrencyTest, ParallelWritersEachGetTheirReplies) {
    VirtualKeyboard keyboard;
    CountingSink control;
    CountingSink consumer;
    ASSERT_EQ(keyboard.RequestAsyncRead(qf::device::kControlKey, &control, qf::device::kTagCtrl, 0,
                                        nullptr),
              1);
    ASSERT_EQ(keyboard.RequestAsyncRead(qf::device::kConsumerKey, &consumer, qf::device::kTagCons,
                                        0, nullptr),
              1);
    std::atomic<int> traced{0};
    keyboard.SetTraceSink([&traced](const TraceEntry&) { ++traced; });

    constexpr int kPerThread = 150;
    const std::vector<Bytes> requests = {Request(3, 44), Request(6, 1, 0, {3}), Request(7, 56, 112),
                                         Request(17, 3, 36, {1, 2, 3})};
    std::vector<std::thread> writers;
    for (const Bytes& request : requests) {
        writers.emplace_back([&keyboard, request] {
            for (int i = 0; i < kPerThread; ++i) {
                EXPECT_EQ(keyboard.RequestWriteOne(qf::device::kControlKey, request.data(), 64, 0),
                          1);
            }
        });
    }
    std::thread events([&keyboard] {
        for (int i = 0; i < 50; ++i) {
            keyboard.PressConsumerCode(0x1810);
            (void)keyboard.Memory(Area::Settings);
            (void)keyboard.Trace();
        }
    });
    for (auto& t : writers) {
        t.join();
    }
    events.join();
    keyboard.WaitIdle();

    EXPECT_EQ(control.malformed, 0);
    for (const Bytes& request : requests) {
        EXPECT_EQ(control.perCommand[request[3]], kPerThread) << int(request[3]);
    }
    EXPECT_EQ(keyboard.ReportsReceived(), requests.size() * kPerThread);
    EXPECT_EQ(traced, static_cast<int>(2 * requests.size() * kPerThread + 50));
}

TEST(VirtualKeyboardConcurrencyTest, PlugChurnWhileWritingNeverDeliversAfterWithdrawal) {
    VirtualKeyboard keyboard;
    CountingSink control;
    std::uint32_t id = 0;
    ASSERT_EQ(
        keyboard.RequestAsyncRead(qf::device::kControlKey, &control, qf::device::kTagCtrl, 0, &id),
        1);
    const Bytes request = Request(1);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            (void)keyboard.RequestWriteOne(qf::device::kControlKey, request.data(), 64, 0);
        }
    });
    for (int i = 0; i < 100; ++i) {
        keyboard.Unplug();
        keyboard.Plug();
    }
    EXPECT_EQ(keyboard.DeleteRequestFromUnitId(id), 1);
    const int changesAtWithdrawal = control.countChanges;
    const int repliesAtWithdrawal = control.perCommand[1];
    stop = true;
    writer.join();
    keyboard.Unplug();
    keyboard.WaitIdle();
    EXPECT_EQ(control.countChanges, changesAtWithdrawal);
    EXPECT_EQ(control.perCommand[1], repliesAtWithdrawal);
    EXPECT_EQ(control.malformed, 0);
}

}  // namespace
}  // namespace qf::vkbd::test
