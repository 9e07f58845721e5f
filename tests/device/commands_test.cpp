// The command set: byte-exact frames, chunking, status mapping and refused arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "common/bytes.h"
#include "device/commands.h"
#include "link_fixture.h"

namespace qf::device::test {
namespace {

using CommandsTest = LinkTest;

std::uint16_t AddressOf(const Report& frame) {
    return ReadLe16(frame.data() + 5);
}

// Bytes 1-2 hold the sum of bytes 3..63 (summed here independently of the code under test).
void ExpectChecksumsHold(const std::vector<Report>& frames) {
    for (const auto& f : frames) {
        const unsigned sum = std::accumulate(f.begin() + 3, f.end(), 0u);
        EXPECT_EQ(ReadLe16(f.data() + 1), sum & 0xFFFF);
        EXPECT_EQ(f[0], 4);
        EXPECT_EQ(f[7], 0);
    }
}

// --- single-report operations ----------------------------------------------------------------

TEST_F(CommandsTest, BareCommandsSendOnlyTheirCode) {
    ASSERT_EQ(commands().BeginTransfer(), DeviceResult::Ok);
    ASSERT_EQ(commands().EndTransfer(), DeviceResult::Ok);
    ASSERT_EQ(commands().TestCommand(), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], FrameOf({0x04, 0x01, 0x00, 0x01}));
    EXPECT_EQ(frames[1], FrameOf({0x04, 0x02, 0x00, 0x02}));
    EXPECT_EQ(frames[2], FrameOf({0x04, 0x0D, 0x00, 0x0D}));
}

TEST_F(CommandsTest, ReadDeviceInfoFrameAndData) {
    DeviceInfoBlock info;
    info.bytes.fill(0xEE);
    ASSERT_EQ(commands().ReadDeviceInfo(info), DeviceResult::Ok);
    ASSERT_EQ(fake.frames().size(), 1u);
    EXPECT_EQ(fake.frames()[0], FrameOf({0x04, 0x2F, 0x00, 0x03, 0x2C, 0x00, 0x00, 0x00}));
    for (std::size_t i = 0; i < kDeviceInfoSize; ++i) {
        EXPECT_EQ(info.bytes[i], i) << i;  // reply bytes 8..51
    }
}

TEST_F(CommandsTest, WriteDeviceInfoCarriesTheBlock) {
    DeviceInfoBlock info;
    std::iota(info.bytes.begin(), info.bytes.end(), 1);  // 1..44, sum 990
    ASSERT_EQ(commands().WriteDeviceInfo(info), DeviceResult::Ok);
    const Report frame = fake.frames().at(0);
    // 4 + 44 + 990 = 1038 = 0x040E
    EXPECT_EQ(frame[1], 0x0E);
    EXPECT_EQ(frame[2], 0x04);
    EXPECT_EQ(frame[3], 4);
    EXPECT_EQ(frame[4], 44);
    EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), frame.begin() + 8));
    EXPECT_TRUE(std::all_of(frame.begin() + 52, frame.end(), [](auto b) { return b == 0; }));
}

TEST_F(CommandsTest, ReadSettingsCopies56BytesWhateverTheLength) {
    std::array<std::uint8_t, 64> buffer;
    buffer.fill(0xAA);
    ASSERT_EQ(commands().ReadSettings(std::span(buffer).first<56>(), 1, 84), DeviceResult::Ok);
    EXPECT_EQ(fake.frames().at(0), FrameOf({0x04, 0x5A, 0x00, 0x05, 0x01, 0x54, 0x00, 0x00}));
    for (std::size_t i = 0; i < 56; ++i) {
        EXPECT_EQ(buffer[i], static_cast<std::uint8_t>(84 + i)) << i;
    }
    EXPECT_TRUE(std::all_of(buffer.begin() + 56, buffer.end(), [](auto b) { return b == 0xAA; }));
}

TEST_F(CommandsTest, WriteSettingsFrame) {
    const std::uint8_t data[] = {0x10, 0x20, 0x30};
    ASSERT_EQ(commands().WriteSettings(data, 3, 0x0130), DeviceResult::Ok);
    // 6 + 3 + 0x30 + 0x01 + 0x10 + 0x20 + 0x30 = 154
    EXPECT_EQ(fake.frames().at(0),
              FrameOf({0x04, 0x9A, 0x00, 0x06, 0x03, 0x30, 0x01, 0x00, 0x10, 0x20, 0x30}));
}

TEST_F(CommandsTest, UserColourAddressesFollowProfileAndSlot) {
    std::array<std::uint8_t, 56> buffer{};
    ASSERT_EQ(commands().ReadUserColours(buffer, 36, 2, 1), DeviceResult::Ok);  // 36 + 6 = 42
    const std::uint8_t colour[] = {1, 2, 3};
    ASSERT_EQ(commands().WriteUserColours(colour, 3, 11, 2), DeviceResult::Ok);  // 72 + 33 = 105
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], FrameOf({0x04, 0x5E, 0x00, 0x10, 0x24, 0x2A, 0x00, 0x00}));
    EXPECT_EQ(frames[1], FrameOf({0x04, 0x83, 0x00, 0x11, 0x03, 0x69, 0x00, 0x00, 1, 2, 3}));
    EXPECT_EQ(buffer[0], 42);
    EXPECT_EQ(buffer[55], 42 + 55);
}

// --- chunked transfers -----------------------------------------------------------------------

TEST_F(CommandsTest, ReadKeymapBlockOneIsTenReportsFrom512) {
    std::array<std::uint8_t, 512> buffer{};
    ASSERT_EQ(commands().ReadKeymapBlock(buffer, 1), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames[0], FrameOf({0x04, 0x41, 0x00, 0x07, 0x38, 0x00, 0x02, 0x00}));
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(AddressOf(frames[k]), 512 + 56 * k);
        EXPECT_EQ(frames[k][4], k < 9 ? 56 : 8);
    }
    ExpectChecksumsHold(frames);
    // Each byte comes from its own address (the fake answers the address's low byte).
    for (std::size_t j = 0; j < buffer.size(); ++j) {
        ASSERT_EQ(buffer[j], static_cast<std::uint8_t>(512 + j)) << j;
    }
}

TEST_F(CommandsTest, ReadDefaultKeymapStartsAtZero) {
    std::array<std::uint8_t, 512> buffer{};
    ASSERT_EQ(commands().ReadDefaultKeymap(buffer), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(frames[0], FrameOf({0x04, 0x47, 0x00, 0x0F, 0x38, 0x00, 0x00, 0x00}));
    EXPECT_EQ(AddressOf(frames[9]), 504);
    EXPECT_EQ(buffer[511], static_cast<std::uint8_t>(511));
}

TEST_F(CommandsTest, ReadMacroAreaOfHundredBytes) {
    std::array<std::uint8_t, 100> buffer{};
    ASSERT_EQ(commands().ReadMacroArea(buffer.data(), 100), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], FrameOf({0x04, 0x41, 0x00, 0x09, 56, 0, 0, 0}));
    EXPECT_EQ(frames[1], FrameOf({0x04, 0x6D, 0x00, 0x09, 44, 56, 0, 0}));
    for (std::size_t j = 0; j < buffer.size(); ++j) {
        ASSERT_EQ(buffer[j], j);
    }
}

TEST_F(CommandsTest, MacroAreaOfNothingSendsNothing) {
    EXPECT_EQ(commands().ReadMacroArea(nullptr, 0), DeviceResult::Ok);
    EXPECT_EQ(commands().WriteMacroArea(nullptr, 0), DeviceResult::Ok);
    EXPECT_TRUE(fake.writes().empty());
    EXPECT_EQ(fake.countQueries(), 0);
}

TEST_F(CommandsTest, WriteKeymapBlockTwoKeepsStaleBytesInTheLastReport) {
    std::array<std::uint8_t, 512> data{};
    for (std::size_t j = 0; j < data.size(); ++j) {
        data[j] = static_cast<std::uint8_t>(j * 7 + 1);
    }
    ASSERT_EQ(commands().WriteKeymapBlock(data, 2), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 10u);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(frames[k][3], 8);
        EXPECT_EQ(AddressOf(frames[k]), 1024 + 56 * k);
        const std::size_t length = k < 9 ? 56 : 8;
        EXPECT_EQ(frames[k][4], length);
        EXPECT_TRUE(std::equal(data.begin() + 56 * k, data.begin() + 56 * k + length,
                               frames[k].begin() + 8));
    }
    EXPECT_EQ(AddressOf(frames[9]), 1528);
    // Past its 8 bytes the last report still holds the ninth chunk's bytes 8..55.
    EXPECT_TRUE(std::equal(data.begin() + 448 + 8, data.begin() + 504, frames[9].begin() + 16));
    ExpectChecksumsHold(frames);
}

TEST_F(CommandsTest, WriteMacroAreaReassemblesToTheSource) {
    std::vector<std::uint8_t> data(4096);
    for (std::size_t j = 0; j < data.size(); ++j) {
        data[j] = static_cast<std::uint8_t>((j * 31) ^ (j >> 8));
    }
    ASSERT_EQ(commands().WriteMacroArea(data.data(), 4096), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 74u);  // 73 of 56 bytes and one of 8
    std::vector<std::uint8_t> seen(4096, 0);
    std::size_t total = 0;
    for (const auto& f : frames) {
        EXPECT_EQ(f[3], 10);
        std::copy_n(f.begin() + 8, f[4], seen.begin() + AddressOf(f));
        total += f[4];
    }
    EXPECT_EQ(total, 4096u);
    EXPECT_EQ(seen, data);
    ExpectChecksumsHold(frames);
}

TEST_F(CommandsTest, LargestMacroAreaEndsAtTheTopOfTheAddressSpace) {
    std::vector<std::uint8_t> buffer(65536);
    ASSERT_EQ(commands().ReadMacroArea(buffer.data(), 65536), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 1171u);
    EXPECT_EQ(AddressOf(frames.back()), 65520);
    EXPECT_EQ(frames.back()[4], 16);
    EXPECT_EQ(buffer[65535], 0xFF);
}

TEST_F(CommandsTest, FailingChunkStopsTheTransfer) {
    // Chunks 1-3 succeed; every send of chunk 4 is answered 0xFE.
    fake.SetResponder([](const Report& request) {
        const auto status = ReadLe16(request.data() + 5) == 512 + 3 * 56 ? 0xFE : 0;
        return Response::Reply(MemoryReply(request, static_cast<std::uint8_t>(status)));
    });
    std::array<std::uint8_t, 512> data{};
    Failure failure;
    EXPECT_EQ(commands().WriteKeymapBlock(data, 1, &failure), DeviceResult::StatusFE);
    // The record names the block and the report (1-based) that failed.
    EXPECT_EQ(failure.code, DeviceResult::StatusFE);
    EXPECT_EQ(failure.command, Command::WriteKeymapBlock);
    EXPECT_EQ(failure.block, 1);
    EXPECT_EQ(failure.chunk, 4);
    EXPECT_EQ(Describe(failure), "status 0xFE at WriteKeymapBlock block 1 chunk 4");
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(AddressOf(frames[2]), 512 + 2 * 56);
    for (std::size_t k = 3; k < 6; ++k) {
        EXPECT_EQ(AddressOf(frames[k]), 512 + 3 * 56);
    }
}

TEST_F(CommandsTest, FailedReadLeavesLaterChunksUntouched) {
    fake.SetResponder([](const Report& request) {
        return ReadLe16(request.data() + 5) >= 56 ? Response::Refuse()
                                                  : Response::Reply(MemoryReply(request));
    });
    std::vector<std::uint8_t> buffer(200, 0xAA);
    Failure failure;
    EXPECT_EQ(commands().ReadMacroArea(buffer.data(), 200, &failure), DeviceResult::WriteRefused);
    EXPECT_EQ(Describe(failure), "write refused at ReadMacroArea chunk 2");
    EXPECT_EQ(buffer[55], 55);
    EXPECT_TRUE(std::all_of(buffer.begin() + 56, buffer.end(), [](auto b) { return b == 0xAA; }));
    // A transfer that succeeds leaves the record alone.
    fake.SetResponder([](const Report& request) { return Response::Reply(MemoryReply(request)); });
    EXPECT_EQ(commands().ReadMacroArea(buffer.data(), 56, &failure), DeviceResult::Ok);
    EXPECT_EQ(failure.chunk, 2);
}

// --- refused before sending ------------------------------------------------------------------

TEST_F(CommandsTest, KeymapBlockThreeIsOutOfRange) {
    std::array<std::uint8_t, 512> buffer{};
    Failure failure;
    EXPECT_EQ(commands().WriteKeymapBlock(buffer, 7, &failure), DeviceResult::BlockOutOfRange);
    EXPECT_EQ(Describe(failure), "block out of range at WriteKeymapBlock block 7");
    EXPECT_EQ(commands().ReadKeymapBlock(buffer, 3), DeviceResult::BlockOutOfRange);
    EXPECT_EQ(commands().WriteKeymapBlock(buffer, 3), DeviceResult::BlockOutOfRange);
    EXPECT_EQ(commands().ReadKeymapBlock(buffer, 0xFFFFFFFFu), DeviceResult::BlockOutOfRange);
    EXPECT_TRUE(fake.writes().empty());
    EXPECT_EQ(fake.countQueries(), 0);
}

TEST_F(CommandsTest, ArgumentsThatDoNotFitAReportAreRefused) {
    std::vector<std::uint8_t> bytes(70000, 1);
    std::uint8_t* b = bytes.data();
    EXPECT_EQ(commands().WriteSettings(b, 0, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteSettings(b, 57, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteSettings(nullptr, 3, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteUserColours(b, 0, 0, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteUserColours(b, 57, 0, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteUserColours(b, 3, 12, 0), DeviceResult::BadArgument);
    std::array<std::uint8_t, kSettingsReplySize> window{};
    EXPECT_EQ(commands().ReadUserColours(window, 36, 12, 0), DeviceResult::BadArgument);
    EXPECT_EQ(commands().ReadUserColours(window, 36, 0, 1821), DeviceResult::BadArgument);  // 65556
    EXPECT_EQ(commands().ReadMacroArea(b, 65537), DeviceResult::BadArgument);
    EXPECT_EQ(commands().WriteMacroArea(b, 65537), DeviceResult::BadArgument);
    EXPECT_EQ(commands().ReadMacroArea(nullptr, 16), DeviceResult::BadArgument);
    EXPECT_TRUE(fake.writes().empty());
}

TEST_F(CommandsTest, LimitsThemselvesAreAccepted) {
    std::array<std::uint8_t, 56> bytes{};
    ASSERT_EQ(commands().WriteSettings(bytes.data(), 56, 0xFFFF), DeviceResult::Ok);
    ASSERT_EQ(commands().ReadUserColours(bytes, 0, 5, 1820), DeviceResult::Ok);  // 65520 + 15
    ASSERT_EQ(commands().ReadSettings(bytes, 255, 0), DeviceResult::Ok);
    const auto frames = fake.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0][4], 56);
    EXPECT_EQ(AddressOf(frames[1]), 0xFFFF);
    EXPECT_EQ(frames[2][4], 255);
}

}  // namespace
}  // namespace qf::device::test
