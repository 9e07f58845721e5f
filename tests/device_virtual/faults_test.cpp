// Fault injection: each fault on its own, counted over the reports it applies to.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "device/services/virtual/fault_injector.h"
#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

using ::testing::Each;

class FaultTest : public KeyboardFixture {
protected:
    std::size_t RepliesTraced() {
        std::size_t n = 0;
        for (const auto& e : keyboard_.Trace()) {
            n += e.direction == Direction::FromKeyboard ? 1 : 0;
        }
        return n;
    }
};

TEST_F(FaultTest, NoReplyForTheNextNReportsAndTheRequestIsNotCarriedOut) {
    keyboard_.InjectNoReply(2);
    EXPECT_EQ(Write(Request(6, 1, 0, {9})), 1) << "the report itself is sent";
    EXPECT_TRUE(Transact(Request(6, 1, 0, {9})).empty());
    EXPECT_EQ(keyboard_.Memory(Area::Settings)[0], 1) << "mode unchanged";
    EXPECT_EQ(RepliesTraced(), 0u);

    const Bytes reply = Transact(Request(6, 1, 0, {9}));
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[7], 0);
    EXPECT_EQ(keyboard_.Memory(Area::Settings)[0], 9);
    EXPECT_EQ(keyboard_.ReportsReceived(6), 3u);
}

TEST_F(FaultTest, WrongCommandReplyAnswersAServedRequest) {
    keyboard_.InjectWrongCommand(1);
    const Bytes reply = Transact(Request(6, 1, 0, {5}));
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_NE(reply[3], 6);
    EXPECT_EQ(reply[7], 0);
    EXPECT_EQ(keyboard_.Memory(Area::Settings)[0], 5);
    EXPECT_EQ(Transact(Request(3, 44))[3], 3) << "only one report affected";
}

class InjectedStatusTest : public KeyboardFixture,
                           public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(InjectedStatusTest, FailingStatusForThreeReportsThenSuccess) {
    const std::uint8_t status = GetParam();
    keyboard_.InjectStatus(status, 3);
    for (int i = 0; i < 3; ++i) {
        const Bytes reply = Transact(Request(17, 3, 0, {1, 2, 3}));
        ASSERT_EQ(reply.size(), 64u);
        EXPECT_EQ(reply[3], 17);
        EXPECT_EQ(reply[7], status);
        EXPECT_THAT(Slice(reply, 8, 56), Each(0));
    }
    EXPECT_NE(Slice(keyboard_.Memory(Area::UserColours), 0, 3), Bytes({1, 2, 3}))
        << "a failing keyboard did not store the colour";
    EXPECT_EQ(Transact(Request(17, 3, 0, {1, 2, 3}))[7], 0);
    EXPECT_EQ(Slice(keyboard_.Memory(Area::UserColours), 0, 3), Bytes({1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(Statuses, InjectedStatusTest, ::testing::Values(0xFF, 0xFE));

TEST_F(FaultTest, ANonFailingStatusStillCarriesTheRequestOut) {
    keyboard_.InjectStatus(0x01, 1);
    const Bytes reply = Transact(Request(3, 44));
    EXPECT_EQ(reply[7], 0x01);
    EXPECT_EQ(Slice(reply, 8, 44), keyboard_.Memory(Area::DeviceInfo));
}

TEST_F(FaultTest, GarbledReplyKeepsCommandAndStatus) {
    keyboard_.InjectGarbledReply(1);
    const Bytes garbled = Transact(Request(15, 56, 0));
    const Bytes clean = Transact(Request(15, 56, 0));
    ASSERT_EQ(garbled.size(), 64u);
    EXPECT_EQ(garbled[3], 15);
    EXPECT_EQ(garbled[7], 0);
    EXPECT_NE(Slice(garbled, 8, 56), Slice(clean, 8, 56));
    EXPECT_EQ(Slice(clean, 8, 56), Slice(keyboard_.Memory(Area::DefaultKeymap), 0, 56));
}

TEST_F(FaultTest, RefusedWritesNeverReachTheKeyboard) {
    keyboard_.InjectWriteRefusal(2);
    EXPECT_EQ(Write(Request(6, 1, 0, {7})), 0);
    EXPECT_EQ(Write(Request(6, 1, 0, {7})), 0);
    keyboard_.WaitIdle();
    EXPECT_TRUE(keyboard_.Trace().empty());
    EXPECT_EQ(keyboard_.ReportsReceived(), 0u);
    EXPECT_EQ(keyboard_.Memory(Area::Settings)[0], 1);
    EXPECT_EQ(Transact(Request(6, 1, 0, {7}))[7], 0);
}

TEST_F(FaultTest, UnplugBeforeTheSecondReport) {
    keyboard_.UnplugBeforeReport(2);
    EXPECT_EQ(Transact(Request(1))[7], 0);
    EXPECT_EQ(Write(Request(8, 56, 0, Bytes(56, 1))), 0);
    EXPECT_FALSE(keyboard_.plugged());
    keyboard_.WaitIdle();
    const auto counts = control_.OfKind(QF_NOTIFY_COUNT_CHANGED);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].byteCount, 0u);
    EXPECT_EQ(counts[0].tag, qf::device::kTagCtrl);
    EXPECT_EQ(Write(Request(1)), 0);
    EXPECT_EQ(keyboard_.ReportsReceived(8), 0u);
}

TEST_F(FaultTest, DelayedReplyIsDeliveredAndLostWhenTheKeyboardGoesAway) {
    keyboard_.SetReplyDelay(std::chrono::milliseconds(20));
    EXPECT_EQ(Transact(Request(2))[3], 2) << "WaitIdle waits for a delayed reply";

    keyboard_.SetReplyDelay(std::chrono::milliseconds(300));
    control_.Clear();
    ASSERT_EQ(Write(Request(3, 44)), 1);
    keyboard_.Unplug();  // well before the reply is due
    keyboard_.WaitIdle();
    EXPECT_TRUE(control_.OfKind(QF_NOTIFY_INPUT).empty());
    EXPECT_EQ(control_.OfKind(QF_NOTIFY_COUNT_CHANGED).size(), 1u);
}

TEST_F(FaultTest, ClearFaultsRestoresNormalService) {
    keyboard_.InjectNoReply(5);
    keyboard_.InjectStatus(0xFE, 5);
    keyboard_.InjectWriteRefusal(5);
    keyboard_.UnplugBeforeReport(3);
    keyboard_.ClearFaults();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Transact(Request(13))[7], 0);
    }
    EXPECT_TRUE(keyboard_.plugged());
}

// The injector's counting on its own.
TEST(FaultInjectorTest, FaultsSetTogetherApplyTogetherAndCountDown) {
    FaultInjector faults;
    faults.NoReply(1);
    faults.Garbled(2);
    FaultDecision first = faults.NextReport();
    EXPECT_TRUE(first.noReply);
    EXPECT_TRUE(first.garbled);
    EXPECT_FALSE(first.Serves());
    FaultDecision second = faults.NextReport();
    EXPECT_FALSE(second.noReply);
    EXPECT_TRUE(second.garbled);
    EXPECT_TRUE(second.Serves());
    EXPECT_FALSE(faults.NextReport().garbled);
}

TEST(FaultInjectorTest, RefusedAndUnpluggedReportsConsumeNoOtherFault) {
    FaultInjector faults;
    faults.WriteRefusal(1);
    faults.NoReply(1);
    EXPECT_TRUE(faults.NextReport().refuse);
    EXPECT_TRUE(faults.NextReport().noReply);

    faults.UnplugBefore(1);
    faults.Status(0xFF, 1);
    EXPECT_TRUE(faults.NextReport().unplug);
    EXPECT_EQ(faults.NextReport().status, std::optional<std::uint8_t>(0xFF));
    EXPECT_FALSE(faults.NextReport().status.has_value());
}

}  // namespace
}  // namespace qf::vkbd::test
