// Fault injection: each fault on its own, counted over the reports it applies to.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

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

// Report faults: every report with the fault's command and address, and no other.
TEST_F(FaultTest, AStatusReportFaultFailsEveryReportItNamesAndNoOther) {
    keyboard_.InjectReportFault({ReportFault::Kind::Status, 17, 3});
    for (int i = 0; i < 3; ++i) {
        const Bytes reply = Transact(Request(17, 3, 3, {1, 2, 3}));
        ASSERT_EQ(reply.size(), 64u);
        EXPECT_EQ(reply[7], 0xFF);
    }
    EXPECT_NE(Slice(keyboard_.Memory(Area::UserColours), 3, 3), Bytes({1, 2, 3}))
        << "a failing keyboard did not store the colour";
    EXPECT_EQ(Transact(Request(17, 3, 0, {4, 5, 6}))[7], 0) << "another address";
    EXPECT_EQ(Slice(keyboard_.Memory(Area::UserColours), 0, 3), Bytes({4, 5, 6}));
    EXPECT_EQ(Transact(Request(15, 3, 3))[7], 0) << "another command";

    keyboard_.ClearFaults();
    EXPECT_EQ(Transact(Request(17, 3, 3, {1, 2, 3}))[7], 0);
    EXPECT_EQ(Slice(keyboard_.Memory(Area::UserColours), 3, 3), Bytes({1, 2, 3}));
}

TEST_F(FaultTest, ARefusingReportFaultComparesTheWholeAddressAndSparesCountedFaults) {
    // 568 is 0x0238: a report for 0x38 (56) shares its low byte and must get through.
    keyboard_.InjectReportFault({ReportFault::Kind::Refuse, 7, 568});
    keyboard_.InjectNoReply(1);
    EXPECT_EQ(Write(Request(7, 56, 568)), 0);
    EXPECT_EQ(Write(Request(7, 56, 568)), 0);
    EXPECT_EQ(Write(Request(7, 56, 56)), 1) << "the counted fault is still there";
    keyboard_.WaitIdle();
    EXPECT_EQ(RepliesTraced(), 0u);
    EXPECT_EQ(Transact(Request(7, 56, 56))[3], 7);
    EXPECT_EQ(keyboard_.ReportsReceived(7), 2u) << "refused reports never arrive";
}

TEST_F(FaultTest, AGarblingReportFaultSparesTheNeighbouringChunks) {
    keyboard_.InjectReportFault({ReportFault::Kind::Garble, 15, 56});
    const Bytes expected = Slice(keyboard_.Memory(Area::DefaultKeymap), 56, 56);
    const Bytes first = Transact(Request(15, 56, 56));
    const Bytes second = Transact(Request(15, 56, 56));
    ASSERT_EQ(first.size(), 64u);
    ASSERT_EQ(second.size(), 64u);
    EXPECT_EQ(first[7], 0);
    EXPECT_NE(Slice(first, 8, 56), expected);
    EXPECT_NE(Slice(second, 8, 56), expected);
    EXPECT_EQ(Slice(Transact(Request(15, 56, 0)), 8, 56),
              Slice(keyboard_.Memory(Area::DefaultKeymap), 0, 56));
    EXPECT_EQ(Slice(Transact(Request(15, 56, 112)), 8, 56),
              Slice(keyboard_.Memory(Area::DefaultKeymap), 112, 56));
}

TEST(ReportFaultTest, ReadsEachKindAndTheFullRangeOfCommandAndAddress) {
    EXPECT_EQ(ParseReportFault("refuse@7:568"), (ReportFault{ReportFault::Kind::Refuse, 7, 568}));
    EXPECT_EQ(ParseReportFault("status@3:0"), (ReportFault{ReportFault::Kind::Status, 3, 0}));
    EXPECT_EQ(ParseReportFault("garble@255:65535"),
              (ReportFault{ReportFault::Kind::Garble, 255, 65535}));
    EXPECT_EQ(ParseReportFault("refuse@007:0568"),
              (ReportFault{ReportFault::Kind::Refuse, 7, 568}));
}

TEST(ReportFaultTest, RefusesAnythingElseAndSaysWhy) {
    struct Case {
        const char* text;
        const char* because;  // a part of the error
    };
    const Case cases[] = {
        {"", "KIND@COMMAND:ADDRESS"},
        {"refuse", "KIND@COMMAND:ADDRESS"},
        {"refuse@7", "KIND@COMMAND:ADDRESS"},
        {"refuse:7@568", "KIND@COMMAND:ADDRESS"},
        {"none@0:0", "unknown kind \"none\""},
        {"Refuse@7:568", "unknown kind \"Refuse\""},
        {"@7:568", "unknown kind \"\""},
        {"refuse@:568", "command \"\""},
        {"refuse@256:0", "command \"256\""},
        {"refuse@-1:0", "command \"-1\""},
        {"refuse@+7:0", "command \"+7\""},
        {"refuse@0x7:0", "command \"0x7\""},
        {"refuse@ 7:0", "command \" 7\""},
        {"refuse@7:", "address \"\""},
        {"refuse@7:65536", "address \"65536\""},
        {"refuse@7:99999999999999999999", "address \"99999999999999999999\""},
        {"refuse@7:568:1", "address \"568:1\""},
        {"refuse@7:568 ", "address \"568 \""},
        {"refuse@7:5x", "address \"5x\""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseReportFault(c.text, &error).has_value()) << c.text;
        EXPECT_NE(error.find(c.because), std::string::npos) << c.text << ": " << error;
        EXPECT_FALSE(ParseReportFault(c.text).has_value()) << c.text << " (no error asked)";
    }
}

TEST(FaultInjectorTest, AReportFaultStaysUntilClearedAndAddsToCountedFaults) {
    FaultInjector faults;
    qf::device::Report named{};
    named[qf::device::report::kCommand] = 8;
    named[qf::device::report::kAddress] = 0x38;
    named[qf::device::report::kAddress + 1] = 0x04;  // 1080
    faults.AtReport({ReportFault::Kind::Garble, 8, 1080});
    faults.NoReply(1);
    const FaultDecision first = faults.NextReport(named);
    EXPECT_TRUE(first.garbled);
    EXPECT_TRUE(first.noReply);
    const FaultDecision second = faults.NextReport(named);
    EXPECT_TRUE(second.garbled);
    EXPECT_FALSE(second.noReply);
    EXPECT_FALSE(faults.NextReport({}).garbled);
    faults.Clear();
    EXPECT_FALSE(faults.NextReport(named).garbled);
}

// The injector's counting on its own.
TEST(FaultInjectorTest, FaultsSetTogetherApplyTogetherAndCountDown) {
    FaultInjector faults;
    faults.NoReply(1);
    faults.Garbled(2);
    FaultDecision first = faults.NextReport({});
    EXPECT_TRUE(first.noReply);
    EXPECT_TRUE(first.garbled);
    EXPECT_FALSE(first.Serves());
    FaultDecision second = faults.NextReport({});
    EXPECT_FALSE(second.noReply);
    EXPECT_TRUE(second.garbled);
    EXPECT_TRUE(second.Serves());
    EXPECT_FALSE(faults.NextReport({}).garbled);
}

TEST(FaultInjectorTest, RefusedAndUnpluggedReportsConsumeNoOtherFault) {
    FaultInjector faults;
    faults.WriteRefusal(1);
    faults.NoReply(1);
    EXPECT_TRUE(faults.NextReport({}).refuse);
    EXPECT_TRUE(faults.NextReport({}).noReply);

    faults.UnplugBefore(1);
    faults.Status(0xFF, 1);
    EXPECT_TRUE(faults.NextReport({}).unplug);
    EXPECT_EQ(faults.NextReport({}).status, std::optional<std::uint8_t>(0xFF));
    EXPECT_FALSE(faults.NextReport({}).status.has_value());
}

}  // namespace
}  // namespace qf::vkbd::test
