// The device link: standing requests, LED status writes and notification routing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/recording_listener.h"
#include "link_fixture.h"

namespace qf::device::test {
namespace {

bool SameKey(const QfRequestKey& a, const QfRequestKey& b) {
    return SerializeKey(a) == SerializeKey(b);
}

class DeviceLinkTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        link.SetListener(&listener);
    }
    void TearDown() override { link.SetListener(nullptr); }

    RecordingListener listener;
};

TEST_F(DeviceLinkTest, ReadRequestsAreConsumerThenControl) {
    const auto requests = fake.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(SameKey(requests[0].key, kConsumerKey));
    EXPECT_EQ(requests[0].tag, kTagCons);
    EXPECT_TRUE(SameKey(requests[1].key, kControlKey));
    EXPECT_EQ(requests[1].tag, kTagCtrl);
    const auto address = static_cast<std::uint32_t>(
        reinterpret_cast<std::uintptr_t>(static_cast<NotificationSink*>(&link)));
    EXPECT_EQ(link.handlerAddress(), address);
    for (const auto& r : requests) {
        EXPECT_EQ(r.sink, &link);
        EXPECT_EQ(r.unitId, ComputeUnitId(r.key, address, r.tag));
    }
    EXPECT_TRUE(fake.deleted().empty());  // nothing stored yet to withdraw
}

TEST_F(DeviceLinkTest, IssuingAgainWithdrawsTheStoredRequests) {
    const auto first = fake.requests();
    ASSERT_EQ(link.IssueReadRequests(), 1);
    EXPECT_EQ(fake.deleted(), (std::vector<std::uint32_t>{first[0].id, first[1].id}));
    EXPECT_EQ(fake.requests().size(), 4u);
}

TEST_F(DeviceLinkTest, LedStatusWriteCarriesTheTwoBytes) {
    ASSERT_GT(link.WriteLedStatus({0x05, 0x03}), 0);
    ASSERT_GT(link.WriteLedStatus({0x05, 0x02}), 0);
    const auto requests = fake.requests();
    ASSERT_EQ(requests.size(), 4u);
    const auto& first = requests[2];
    EXPECT_TRUE(SameKey(first.key, kLedKey));
    EXPECT_EQ(first.tag, kTagLed);
    EXPECT_EQ(first.data, (Bytes{0x05, 0x03}));
    const std::array<std::uint8_t, 2> status{0x05, 0x03};
    EXPECT_EQ(first.unitId, ComputeUnitId(kLedKey, link.handlerAddress(), kTagLed, status));
    EXPECT_EQ(requests[3].data, (Bytes{0x05, 0x02}));
    EXPECT_EQ(fake.deleted(), std::vector<std::uint32_t>{first.id});
}

TEST_F(DeviceLinkTest, ConsumerCodesAndCountChangesReachTheListener) {
    fake.SendInput(kTagCons, {0xFF, 0x02, 0x00});
    fake.SendInput(kTagCons, {0x11});  // too short for a code
    fake.SendInput(kTagCons, {0x11, 0x18});
    fake.SendCountChange(kTagCtrl, 2);
    fake.SendCountChange(kTagCons, 5);  // count changes only count on CTRL
    fake.SendCountChange(kTagCtrl, 0);
    fake.SendInput(kTagCtrl, ReplyTo(3));  // a reply nobody waits for
    fake.WaitIdle();
    EXPECT_EQ(listener.codes, (std::vector<std::uint16_t>{0x02FF, 0x1811}));
    EXPECT_EQ(listener.counts, (std::vector<std::uint32_t>{2, 0}));
}

TEST_F(DeviceLinkTest, OddNotificationsAreAnsweredAndIgnored) {
    const std::uint8_t code[] = {0x01, 0x04};
    QfBufferRecord buffer{};
    buffer.bytes = code;
    QfRequestBlock block{kTagLed, 2, code, 1, &buffer};
    QfDeviceNotification notification{QF_NOTIFY_INPUT, 0, &block};
    EXPECT_EQ(link.OnDeviceNotify(notification), 1);  // LED tag
    block.tag = kTagCons;
    notification.kind = 7;
    EXPECT_EQ(link.OnDeviceNotify(notification), 1);  // unknown kind
    notification.request = nullptr;
    EXPECT_EQ(link.OnDeviceNotify(notification), 1);
    block.buffer = nullptr;
    notification = {QF_NOTIFY_INPUT, 0, &block};
    EXPECT_EQ(link.OnDeviceNotify(notification), 1);  // CONS without its buffer record
    EXPECT_TRUE(listener.codes.empty());
    EXPECT_TRUE(listener.counts.empty());

    link.SetListener(nullptr);
    block.buffer = &buffer;
    EXPECT_EQ(link.OnDeviceNotify(notification), 1);  // no listener: dropped
}

// A listener that holds the notification thread until it is let go.
class BlockingListener : public DeviceEventListener {
public:
    void OnConsumerCode(std::uint16_t) override {
        std::unique_lock lock(mutex);
        entered = true;
        cv.notify_all();
        cv.wait(lock, [&] { return released; });
        finished = true;
    }
    void OnDeviceCountChanged(std::uint32_t) override {}
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false;
    bool released = false;
    bool finished = false;
};

TEST_F(DeviceLinkTest, ClearingTheListenerWaitsForACallUnderWay) {
    BlockingListener blocking;
    link.SetListener(&blocking);
    fake.SendInput(kTagCons, {0xFF, 0x02});
    {
        std::unique_lock lock(blocking.mutex);
        ASSERT_TRUE(
            blocking.cv.wait_for(lock, std::chrono::seconds(10), [&] { return blocking.entered; }));
    }
    std::atomic<bool> cleared{false};
    bool finishedWhenCleared = false;
    std::thread clearer([&] {
        link.SetListener(nullptr);
        std::lock_guard lock(blocking.mutex);
        finishedWhenCleared = blocking.finished;
        cleared = true;
    });
    {
        std::lock_guard lock(blocking.mutex);
        blocking.released = true;
    }
    blocking.cv.notify_all();
    clearer.join();
    fake.WaitIdle();
    EXPECT_TRUE(cleared);
    EXPECT_TRUE(finishedWhenCleared) << "SetListener returned while the listener still ran";
}

TEST_F(DeviceLinkTest, RepliesReachTheTransportThroughTheControlRequest) {
    DeviceInfoBlock info;
    ASSERT_EQ(commands().ReadDeviceInfo(info), DeviceResult::Ok);
    EXPECT_EQ(info.bytes[43], 43);
}

TEST(DeviceLinkLifetime, DestructionWithdrawsItsRequests) {
    FakeService fake;
    std::vector<std::uint32_t> ids;
    {
        DeviceLink link(fake, FastTiming());
        ASSERT_EQ(link.IssueReadRequests(), 1);
        ASSERT_GT(link.WriteLedStatus({0x05, 0x02}), 0);
        for (const auto& r : fake.requests()) {
            ids.push_back(r.id);
        }
    }
    auto deleted = fake.deleted();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, ids);
}

TEST(DeviceLinkLifetime, TransactionsBeforeTheControlRequestGetNoReply) {
    FakeService fake;
    DeviceLink link(fake, FastTiming());
    DeviceInfoBlock info;
    EXPECT_EQ(link.commands().ReadDeviceInfo(info), DeviceResult::NoReply);
    EXPECT_EQ(fake.writes().size(), 3u);
}

TEST(ForwardingServiceTest, AnUnboundSlotRefusesEverythingABoundOneForwardsUnchanged) {
    FakeService fake;
    fake.SetDeviceCount(1);
    ForwardingService slot;
    {
        // No service behind it: no keyboard, and the link's requests are refused.
        DeviceLink link(slot, FastTiming());
        EXPECT_EQ(link.IssueReadRequests(), 0);
        DeviceInfoBlock info;
        EXPECT_EQ(link.commands().ReadDeviceInfo(info), DeviceResult::NoDevice);
        EXPECT_EQ(slot.RequestGetDeviceCount(kControlKey, 0), 0);
    }
    EXPECT_TRUE(fake.writes().empty());
    EXPECT_TRUE(fake.requests().empty());

    // Bound: the same link works as on the service itself, and withdraws its requests there.
    slot.BindInner(&fake);
    EXPECT_EQ(slot.inner(), &fake);
    {
        DeviceLink link(slot, FastTiming());
        ASSERT_EQ(link.IssueReadRequests(), 1);
        EXPECT_EQ(slot.RequestGetDeviceCount(kControlKey, 0), 1);
        DeviceInfoBlock info;
        EXPECT_EQ(link.commands().ReadDeviceInfo(info), DeviceResult::Ok);
        ASSERT_GT(link.WriteLedStatus({0x05, 0x02}), 0);
        EXPECT_EQ(fake.requests().size(), 3u);
        EXPECT_EQ(fake.requests()[1].sink, static_cast<NotificationSink*>(&link));
    }
    EXPECT_EQ(fake.deleted().size(), 3u);
}

}  // namespace
}  // namespace qf::device::test
