// The report transaction: framing, presence gate, retry rule, reply slot.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/commands.h"
#include "link_fixture.h"

namespace qf::device::test {
namespace {

const Report kInfoRequest = FrameOf({0x04, 0x2F, 0x00, 0x03, 0x2C});
constexpr std::uint8_t kInfo = 3;

class TransactionTest : public LinkTest {
protected:
    DeviceResult Transact(const std::uint8_t* request, std::uint32_t length, Report& reply,
                          std::int32_t& received, std::uint32_t capacity = kReportSize) {
        return link.transport().TransactReport(request, length, reply.data(), capacity, &received);
    }
};

TEST(TransactionTiming, ScaledScalesEveryWait) {
    const TransactionTiming t = TransactionTiming::Scaled(0.01);
    EXPECT_EQ(t.replyWait, std::chrono::milliseconds(10));
    EXPECT_EQ(t.retryPause, std::chrono::microseconds(100));
    EXPECT_EQ(t.backoff, std::chrono::microseconds(10010));
    EXPECT_EQ(t.endTransferPause, std::chrono::microseconds(100));
    const TransactionTiming production;
    EXPECT_EQ(production.backoff - production.replyWait, std::chrono::milliseconds(1));
}

TEST_F(TransactionTest, ShortRequestIsPaddedAndLongOneCut) {
    std::array<std::uint8_t, 80> request{};
    for (std::size_t i = 0; i < request.size(); ++i) {
        request[i] = static_cast<std::uint8_t>(i + 1);
    }
    request[3] = kInfo;
    Report reply{};
    std::int32_t received = -1;

    ASSERT_EQ(Transact(request.data(), 10, reply, received), DeviceResult::Ok);
    ASSERT_EQ(Transact(request.data(), 80, reply, received), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(std::equal(request.begin(), request.begin() + 10, frames[0].begin()));
    EXPECT_TRUE(
        std::all_of(frames[0].begin() + 10, frames[0].end(), [](auto b) { return b == 0; }));
    EXPECT_TRUE(std::equal(request.begin(), request.begin() + 64, frames[1].begin()));
    EXPECT_EQ(received, 64);
    for (const auto& write : fake.writes()) {
        EXPECT_EQ(write.length, 64u);
        EXPECT_EQ(write.key.usage_page, 0xFF1C);
    }
}

TEST_F(TransactionTest, NoKeyboardSendsNothing) {
    fake.SetDeviceCount(0);
    Report reply{};
    std::int32_t received = -1;
    EXPECT_EQ(Transact(kInfoRequest.data(), 64, reply, received), DeviceResult::NoDevice);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(fake.writes().empty());
    EXPECT_EQ(fake.countQueries(), 1);
    EXPECT_EQ(fake.lastCountUnitId(), ComputeUnitId(kControlKey, 0, kTagNone));

    DeviceInfoBlock info;
    EXPECT_EQ(commands().ReadDeviceInfo(info), DeviceResult::NoDevice);
    EXPECT_TRUE(fake.writes().empty());
}

TEST_F(TransactionTest, ReplyLongerThanCapacityIsCut) {
    Report reply;
    reply.fill(0xAA);
    std::int32_t received = 0;
    ASSERT_EQ(Transact(kInfoRequest.data(), 64, reply, received, 16), DeviceResult::Ok);
    EXPECT_EQ(received, 16);
    EXPECT_EQ(reply[15], 7);  // data byte 7 of a read at address 0
    EXPECT_TRUE(std::all_of(reply.begin() + 16, reply.end(), [](auto b) { return b == 0xAA; }));
}

TEST_F(TransactionTest, ReplyWhileNobodyWaitsIsDropped) {
    Bytes stray = ReplyTo(kInfo);
    stray[8] = 0x99;
    fake.SendInput(kTagCtrl, stray);
    fake.WaitIdle();

    // Had the stray reply been kept, it would satisfy this transaction at once.
    fake.Script({Response::NoReply(), Response::NoReply(), Response::NoReply()});
    Report reply;
    reply.fill(0x5A);
    std::int32_t received = -1;
    EXPECT_EQ(Transact(kInfoRequest.data(), 64, reply, received), DeviceResult::NoReply);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == 0x5A; }));
}

TEST_F(TransactionTest, RefusedArgumentsSendNothing) {
    Report reply{};
    std::int32_t received = 0;
    EXPECT_EQ(link.transport().TransactReport(kInfoRequest.data(), 64, nullptr, 64, &received),
              DeviceResult::BadArgument);
    EXPECT_EQ(Transact(kInfoRequest.data(), 64, reply, received, 4), DeviceResult::BadArgument);
    EXPECT_EQ(Transact(nullptr, 64, reply, received), DeviceResult::BadArgument);
    EXPECT_TRUE(fake.writes().empty());
}

// --- the retry rule --------------------------------------------------------------------------

struct RetryCase {
    std::string name;
    std::vector<Response> script;
    DeviceResult transactResult;
    std::size_t sends;
    DeviceResult commandResult;  // ReadDeviceInfo with the same script
};

std::vector<Response> Repeat(const Response& r, int n) {
    return std::vector<Response>(n, r);
}

std::vector<RetryCase> RetryCases() {
    const Response ok = Response::Reply(ReplyTo(kInfo));
    const Response ff = Response::Reply(ReplyTo(kInfo, 0xFF));
    const Response fe = Response::Reply(ReplyTo(kInfo, 0xFE));
    const Response wrong = Response::Reply(ReplyTo(kInfo + 1));
    const Response silent = Response::NoReply();
    const Response shortReply = Response::Reply({4, 0, 0, kInfo, 0});
    return {
        {"ThreeTimeoutsGiveNoReply", Repeat(silent, 3), DeviceResult::NoReply, 3,
         DeviceResult::NoReply},
        {"ThreeWrongCommandsGiveNoReply", Repeat(wrong, 3), DeviceResult::NoReply, 3,
         DeviceResult::NoReply},
        {"ThreeShortRepliesGiveNoReply", Repeat(shortReply, 3), DeviceResult::NoReply, 3,
         DeviceResult::NoReply},
        {"FfThenGoodSucceedsOnSecondSend", {ff, ok}, DeviceResult::Ok, 2, DeviceResult::Ok},
        {"TwoTimeoutsThenGood", {silent, silent, ok}, DeviceResult::Ok, 3, DeviceResult::Ok},
        {"WrongThenGood", {wrong, ok}, DeviceResult::Ok, 2, DeviceResult::Ok},
        {"StatusOtherThanFfFeIsSuccess",
         {Response::Reply(ReplyTo(kInfo, 0xFD))},
         DeviceResult::Ok,
         1,
         DeviceResult::Ok},
        {"ThreeFeRepliesReachTheCommand", Repeat(fe, 3), DeviceResult::Ok, 3,
         DeviceResult::StatusFE},
        {"ThreeFfRepliesReachTheCommand", Repeat(ff, 3), DeviceResult::Ok, 3,
         DeviceResult::StatusFF},
        {"MixedFailingStatusesCountTogether",
         {ff, silent, fe},
         DeviceResult::Ok,
         3,
         DeviceResult::StatusFE},
        {"RefusedWriteFailsAtOnce",
         {Response::Refuse()},
         DeviceResult::WriteRefused,
         1,
         DeviceResult::WriteRefused},
        {"RefusalAfterATimeout",
         {silent, Response::Refuse()},
         DeviceResult::WriteRefused,
         2,
         DeviceResult::WriteRefused},
    };
}

class RetryRule : public TransactionTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(RetryRule, TransactionAndCommand) {
    const RetryCase& c = GetParam();
    fake.Script(c.script);
    Report reply{};
    std::int32_t received = -1;
    EXPECT_EQ(Transact(kInfoRequest.data(), 64, reply, received), c.transactResult);
    EXPECT_EQ(received, c.transactResult == DeviceResult::Ok ? 64 : 0);

    const auto writes = fake.writes();
    ASSERT_EQ(writes.size(), c.sends);
    // Every send is the identical frame with the same unit id.
    const std::uint32_t unitId = ComputeUnitId(kControlKey, 0, kTagNone, kInfoRequest);
    for (const auto& w : writes) {
        EXPECT_EQ(w.frame, kInfoRequest);
        EXPECT_EQ(w.unitId, unitId);
    }
    // One presence query per transaction, before the first send.
    EXPECT_EQ(fake.countQueries(), 1);

    fake.ClearRecords();
    fake.Script(c.script);
    DeviceInfoBlock info;
    EXPECT_EQ(commands().ReadDeviceInfo(info), c.commandResult);
    EXPECT_EQ(fake.writes().size(), c.sends);
}

INSTANTIATE_TEST_SUITE_P(Transaction, RetryRule, ::testing::ValuesIn(RetryCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace qf::device::test
