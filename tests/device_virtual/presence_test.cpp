// Plugging, consumer-key events, the LED status, request withdrawal and the trace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

using qf::device::kConsumerKey;
using qf::device::kControlKey;
using qf::device::kLedKey;
using qf::device::kTagCons;
using qf::device::kTagCtrl;
using qf::device::kTagLed;
using ::testing::ElementsAre;

class PresenceTest : public KeyboardFixture {
protected:
    void SetUp() override {
        KeyboardFixture::SetUp();
        ASSERT_EQ(keyboard_.RequestAsyncRead(kConsumerKey, &consumer_, kTagCons, 0, &consumerId_),
                  1);
        EXPECT_NE(consumerId_, 0u);
        EXPECT_NE(consumerId_, controlId_);
    }

    RecordingSink consumer_;
    std::uint32_t consumerId_ = 0;
};

TEST_F(PresenceTest, UnplugAndPlugNotifyTheControlRequestOnly) {
    keyboard_.Unplug();
    keyboard_.Unplug();  // no change, no notification
    EXPECT_EQ(keyboard_.RequestGetDeviceCount(kControlKey, 0), 0);
    keyboard_.Plug();
    keyboard_.WaitIdle();

    const auto counts = control_.All();
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].kind, static_cast<std::uint32_t>(QF_NOTIFY_COUNT_CHANGED));
    EXPECT_EQ(counts[0].byteCount, 0u);
    EXPECT_EQ(counts[0].tag, kTagCtrl);
    EXPECT_EQ(counts[0].requestId, controlId_);
    EXPECT_EQ(counts[1].byteCount, 1u);
    EXPECT_TRUE(consumer_.All().empty());
    EXPECT_EQ(keyboard_.RequestGetDeviceCount(kControlKey, 0), 1);
}

TEST_F(PresenceTest, TwoKeyboardsAreCountedAsTwo) {
    keyboard_.SetDeviceCount(2);
    keyboard_.WaitIdle();
    EXPECT_EQ(keyboard_.RequestGetDeviceCount(kControlKey, 0), 2);
    ASSERT_EQ(control_.All().size(), 1u);
    EXPECT_EQ(control_.All()[0].byteCount, 2u);
}

TEST_F(PresenceTest, AnAbsentKeyboardRefusesWritesAndStatus) {
    keyboard_.Unplug();
    EXPECT_EQ(Write(Request(3, 44)), 0);
    const std::uint8_t led[2] = {0x05, 0x03};
    EXPECT_EQ(keyboard_.RequestStatusWrite(kLedKey, nullptr, kTagLed, led, 2, 0, nullptr), 0);
    keyboard_.PressConsumerCode(0x02FF);
    keyboard_.WaitIdle();
    EXPECT_TRUE(consumer_.All().empty());
    EXPECT_EQ(keyboard_.ReportsReceived(), 0u);
}

TEST_F(PresenceTest, ConsumerCodeReachesTheBufferRecordAndTheBlock) {
    keyboard_.PressBankSwitch();
    keyboard_.PressConsumerCode(0x1811);
    keyboard_.WaitIdle();
    const auto events = consumer_.All();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, static_cast<std::uint32_t>(QF_NOTIFY_INPUT));
    EXPECT_EQ(events[0].tag, kTagCons);
    EXPECT_TRUE(events[0].hadBuffer);
    EXPECT_THAT(events[0].bufferBytes, ElementsAre(0xFF, 0x02));
    EXPECT_EQ(events[0].bytes, events[0].bufferBytes);
    EXPECT_THAT(events[1].bufferBytes, ElementsAre(0x11, 0x18));
    EXPECT_TRUE(control_.All().empty()) << "key events do not go to the control request";
}

TEST_F(PresenceTest, RepliesDoNotGoToTheConsumerRequest) {
    EXPECT_FALSE(Transact(Request(1)).empty());
    EXPECT_TRUE(consumer_.All().empty());
}

TEST_F(PresenceTest, LedStatusIsStoredAndTraced) {
    EXPECT_THAT(keyboard_.LedStatus(), ElementsAre(0, 0));
    const std::uint8_t bankB[2] = {0x05, 0x03};
    std::uint32_t id = 0;
    EXPECT_EQ(keyboard_.RequestStatusWrite(kLedKey, &consumer_, kTagLed, bankB, 2, 0, &id), 1);
    EXPECT_NE(id, 0u);
    EXPECT_THAT(keyboard_.LedStatus(), ElementsAre(0x05, 0x03));
    const std::uint8_t one[1] = {0x05};
    EXPECT_EQ(keyboard_.RequestStatusWrite(kLedKey, nullptr, kTagLed, one, 1, 0, nullptr), 0);
    EXPECT_EQ(keyboard_.RequestStatusWrite(kControlKey, nullptr, kTagLed, bankB, 2, 0, nullptr), 0);
    const auto trace = keyboard_.Trace();
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(FormatTraceLine(trace[0]), "> LED 05 03");
}

TEST_F(PresenceTest, WithdrawnRequestReceivesNothingMore) {
    EXPECT_EQ(keyboard_.DeleteRequestFromUnitId(consumerId_), 1);
    EXPECT_EQ(keyboard_.DeleteRequestFromUnitId(consumerId_), 0);
    EXPECT_EQ(keyboard_.DeleteRequestFromUnitId(0), 0);
    keyboard_.PressConsumerCode(0x0401);
    keyboard_.WaitIdle();
    EXPECT_TRUE(consumer_.All().empty());
}

TEST_F(PresenceTest, ForeignKeysAreNotTheKeyboard) {
    QfRequestKey other = kControlKey;
    other.product_id = 0x1234;
    EXPECT_EQ(keyboard_.RequestGetDeviceCount(other, 0), 0);
    EXPECT_EQ(keyboard_.RequestWriteOne(other, Request(3, 44).data(), 64, 0), 0);
    RecordingSink sink;
    EXPECT_EQ(keyboard_.RequestAsyncRead(other, &sink, kTagCtrl, 0, nullptr), 0);
    EXPECT_EQ(keyboard_.RequestAsyncRead(kControlKey, nullptr, kTagCtrl, 0, nullptr), 0);
    // Reports go to the control interface only.
    EXPECT_EQ(keyboard_.RequestWriteOne(kConsumerKey, Request(3, 44).data(), 64, 0), 0);
    EXPECT_EQ(keyboard_.RequestWriteOne(kControlKey, nullptr, 64, 0), 0);
}

// A sink that withdraws its own request on the first notification, as a handler re-issuing its
// requests would; the withdrawal must not wait for the delivery it is part of.
class SelfWithdrawingSink : public qf::device::NotificationSink {
public:
    VirtualKeyboard* keyboard = nullptr;
    std::atomic<std::uint32_t> id{0};
    std::atomic<int> calls{0};
    std::atomic<int> withdrawResult{-1};
    int OnDeviceNotify(const QfDeviceNotification&) override {
        ++calls;
        withdrawResult = keyboard->DeleteRequestFromUnitId(id);
        return 1;
    }
};

TEST_F(PresenceTest, ASinkMayWithdrawItsOwnRequest) {
    SelfWithdrawingSink sink;
    sink.keyboard = &keyboard_;
    std::uint32_t id = 0;
    ASSERT_EQ(keyboard_.RequestAsyncRead(kConsumerKey, &sink, kTagCons, 0, &id), 1);
    sink.id = id;
    keyboard_.PressConsumerCode(1);
    keyboard_.PressConsumerCode(2);
    keyboard_.WaitIdle();
    EXPECT_EQ(sink.calls, 1);
    EXPECT_EQ(sink.withdrawResult, 1);
}

TEST_F(PresenceTest, StartingUnpluggedCountsZero) {
    VirtualKeyboard absent(VirtualKeyboardOptions{32, false, {}});
    EXPECT_FALSE(absent.plugged());
    EXPECT_EQ(absent.RequestGetDeviceCount(kControlKey, 0), 0);
}

class TraceTest : public KeyboardFixture {};

TEST_F(TraceTest, RecordsEveryReportInOrderAndFeedsTheSink) {
    std::vector<std::string> lines;
    std::mutex linesMutex;
    keyboard_.SetTraceSink([&](const TraceEntry& e) {
        std::lock_guard lock(linesMutex);
        lines.push_back(FormatTraceLine(e));
    });
    const Bytes request = Request(3, 44);
    const Bytes reply = Transact(request);
    keyboard_.PressConsumerCode(0x0402);
    keyboard_.WaitIdle();

    const auto trace = keyboard_.Trace();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].direction, Direction::ToKeyboard);
    EXPECT_EQ(trace[0].interface, Interface::Control);
    EXPECT_EQ(trace[0].bytes, request);
    EXPECT_EQ(trace[1].direction, Direction::FromKeyboard);
    EXPECT_EQ(trace[1].bytes, reply);
    EXPECT_EQ(trace[2].interface, Interface::Consumer);

    {
        std::lock_guard lock(linesMutex);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0].substr(0, 30), "> CTRL 04 2f 00 03 2c 00 00 00");
        EXPECT_EQ(lines[0].size(), std::string("> CTRL ").size() + 64 * 3 - 1);
        EXPECT_EQ(lines[1].substr(0, 10), "< CTRL 04 ");
        EXPECT_EQ(lines[2], "< CONS 02 04");
    }

    keyboard_.ClearTrace();
    EXPECT_TRUE(keyboard_.Trace().empty());
}

TEST_F(TraceTest, ReceivedRequestsAreTheControlReportsThatArrivedDecoded) {
    (void)Transact(Request(3, 44, 0x0201));
    (void)Transact(Request(6, 3, 0x0102, {7, 8, 9, 10}));  // the fourth byte is past the length
    keyboard_.InjectWriteRefusal(1);
    EXPECT_EQ(Write(Request(6, 1, 0, {1})), 0);
    (void)Transact(Request(6, 200, 0, Bytes(56, 0xAB)));  // a length past the report keeps 56 bytes
    const Bytes shortReport = {4, 0, 0, 6, 1, 0x34, 0x12, 0, 5};
    ASSERT_EQ(keyboard_.RequestWriteOne(kControlKey, shortReport.data(), 9, 0), 1);
    keyboard_.PressConsumerCode(0x0402);
    const std::uint8_t led[2] = {0x05, 0x03};
    ASSERT_EQ(keyboard_.RequestStatusWrite(kLedKey, nullptr, 0, led, 2, 0, nullptr), 1);
    keyboard_.WaitIdle();

    const std::vector<ReceivedRequest> requests = keyboard_.ReceivedRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0], (ReceivedRequest{3, 44, 0x0201, Bytes(44, 0)}));
    EXPECT_EQ(requests[1], (ReceivedRequest{6, 3, 0x0102, {7, 8, 9}}));
    EXPECT_EQ(requests[2], (ReceivedRequest{6, 200, 0, Bytes(56, 0xAB)}));
    EXPECT_EQ(requests[3], (ReceivedRequest{6, 1, 0x1234, {5}}));
    EXPECT_THAT(keyboard_.ReceivedLedStatuses(),
                ElementsAre(std::array<std::uint8_t, 2>{0x05, 0x03}));

    keyboard_.ClearTrace();
    EXPECT_TRUE(keyboard_.ReceivedRequests().empty());
    EXPECT_TRUE(keyboard_.ReceivedLedStatuses().empty());
}

}  // namespace
}  // namespace qf::vkbd::test
