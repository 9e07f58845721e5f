// The reply slot shared by concurrent transactions and the service's delivering thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "common/bytes.h"
#include "device/commands.h"
#include "link_fixture.h"

namespace qf::device::test {
namespace {

using namespace std::chrono_literals;

TEST(ReplySlot, TwoThreadsTransactAtOnce) {
    FakeService fake;
    // Replies come late enough that the other thread regularly finds the slot held.
    fake.SetResponder([](const Report& request) {
        return Response::Reply(MemoryReply(request), std::chrono::microseconds(200));
    });
    DeviceLink link(fake, TransactionTiming::Scaled(0.5));
    ASSERT_EQ(link.IssueReadRequests(), 1);

    std::atomic<int> failures{0};
    std::thread keymaps([&] {
        std::array<std::uint8_t, 512> block{};
        for (int round = 0; round < 10; ++round) {
            if (link.commands().ReadKeymapBlock(block, 1) != DeviceResult::Ok) {
                ++failures;
            }
            for (std::size_t j = 0; j < block.size(); ++j) {
                if (block[j] != static_cast<std::uint8_t>(512 + j)) {
                    ++failures;
                    break;
                }
            }
        }
    });
    std::thread infos([&] {
        for (int round = 0; round < 40; ++round) {
            DeviceInfoBlock info;
            if (link.commands().ReadDeviceInfo(info) != DeviceResult::Ok || info.bytes[20] != 20) {
                ++failures;
            }
        }
    });
    keymaps.join();
    infos.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(fake.writes().size(), 10u * 10 + 40);  // no attempt was lost
}

TEST(ReplySlot, ReplyAfterGiveUpNeverTouchesTheReturnedBuffer) {
    FakeService fake;
    const TransactionTiming timing = FastTiming();
    DeviceLink link(fake, timing);
    ASSERT_EQ(link.IssueReadRequests(), 1);

    const Report request = FrameOf({0x04, 0x2F, 0x00, 0x03, 0x2C});
    // The first send is answered after all three waits are over; the others not at all.
    fake.Script({Response::Reply(MemoryReply(request), timing.replyWait * 4), Response::NoReply(),
                 Response::NoReply()});
    std::array<std::uint8_t, 64> reply{};
    std::int32_t received = -1;
    EXPECT_EQ(link.transport().TransactReport(request.data(), 64, reply.data(), 64, &received),
              DeviceResult::NoReply);
    // The caller owns its buffer again: it reuses it while the late reply arrives.
    reply.fill(0x5A);
    fake.WaitIdle();
    EXPECT_TRUE(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == 0x5A; }));
    EXPECT_EQ(received, 0);
}

TEST(ReplySlot, HolderPastTheBackoffLosesTheSlot) {
    FakeService fake;
    // An attempt that outlasts the back-off: the reply wait is made longer than it.
    TransactionTiming timing;
    timing.replyWait = 300ms;
    timing.backoff = 20ms;
    timing.retryPause = 1ms;
    DeviceLink link(fake, timing);
    ASSERT_EQ(link.IssueReadRequests(), 1);
    // ReadDeviceInfo is never answered; TestCommand is answered at once.
    fake.SetResponder([](const Report& request) {
        return request[3] == 3 ? Response::NoReply() : Response::Reply(MemoryReply(request));
    });

    const Report infoRequest = FrameOf({0x04, 0x2F, 0x00, 0x03, 0x2C});
    std::array<std::uint8_t, 64> infoReply;
    infoReply.fill(0x5A);
    std::int32_t infoReceived = -1;
    DeviceResult infoResult = DeviceResult::NoDevice;
    std::thread holder([&] {
        infoResult = link.transport().TransactReport(infoRequest.data(), 64, infoReply.data(), 64,
                                                     &infoReceived);
    });
    // Let the holder take the slot first.
    while (fake.writes().empty()) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(link.commands().TestCommand(), DeviceResult::Ok);
    holder.join();

    EXPECT_EQ(infoResult, DeviceResult::NoReply);
    EXPECT_EQ(infoReceived, 0);
    // The TestCommand reply went to its own transaction, not into the holder's buffer.
    EXPECT_TRUE(std::all_of(infoReply.begin(), infoReply.end(), [](auto b) { return b == 0x5A; }));
}

}  // namespace
}  // namespace qf::device::test
