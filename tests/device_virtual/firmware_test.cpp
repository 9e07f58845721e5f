// The keyboard side of the command set: every request written as the host writes it, every
// reply checked byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "device/factory_lighting.h"
#include "device/services/virtual/virtual_constants.h"
#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::ElementsAre;

constexpr std::uint8_t kOk = 0x00;
constexpr std::uint8_t kRefused = 0xFF;

class FirmwareTest : public KeyboardFixture {};

// Every reply is a full frame: id 4, the request's command, bytes 4-6 echoed, a checksum over
// bytes 3..63.
void ExpectReplyFrame(const Bytes& reply, const Bytes& request) {
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_EQ(reply[0], 4);
    EXPECT_EQ(reply[3], request[3]);
    EXPECT_EQ(reply[4], request[4]);
    EXPECT_EQ(reply[5], request[5]);
    EXPECT_EQ(reply[6], request[6]);
    const std::uint16_t sum = SumOf(reply);
    EXPECT_EQ(reply[1], sum & 0xFF);
    EXPECT_EQ(reply[2], sum >> 8);
}

TEST_F(FirmwareTest, ReadDeviceInfoAnswersTheHostsExactRequest) {
    // The request the host sends, byte for byte: 04 2F 00 03 2C 00 00 00 and 56 zeros.
    Bytes request(64, 0);
    request[0] = 0x04;
    request[1] = 0x2F;
    request[3] = 0x03;
    request[4] = 0x2C;
    ASSERT_EQ(request, Request(3, 44));

    const Bytes reply = Transact(request);
    ExpectReplyFrame(reply, request);
    EXPECT_EQ(reply[7], kOk);
    EXPECT_EQ(reply[8 + 10], 0) << "active profile";
    EXPECT_EQ(reply[8 + 11], 32) << "4 KiB of macro memory";
    const Bytes modes = Slice(reply, 8 + 12, 32);
    EXPECT_THAT(modes, Contains(8));
    EXPECT_THAT(modes, Contains(12));
    EXPECT_THAT(Slice(reply, 8 + 44, 12), Each(0)) << "nothing past the 44-byte block";
    EXPECT_EQ(Slice(reply, 8, 44), keyboard_.Memory(Area::DeviceInfo));
}

TEST_F(FirmwareTest, WriteDeviceInfoSetsTheActiveProfileButNotTheMemorySize) {
    Bytes info = keyboard_.Memory(Area::DeviceInfo);
    info[10] = 2;
    info[11] = 200;  // the host cannot grow the keyboard's memory
    const Bytes reply = Transact(Request(4, 44, 0, info));
    ExpectReplyFrame(reply, Request(4, 44, 0, info));
    EXPECT_EQ(reply[7], kOk);

    const Bytes read = Transact(Request(3, 44));
    EXPECT_EQ(read[8 + 10], 2);
    EXPECT_EQ(read[8 + 11], 32);
    EXPECT_EQ(keyboard_.Memory(Area::MacroMemory).size(), 32u * 128u);
}

TEST_F(FirmwareTest, WriteDeviceInfoRefusesAProfileTheKeyboardLacks) {
    const Bytes before = keyboard_.Memory(Area::DeviceInfo);
    Bytes info = before;
    info[10] = 3;
    EXPECT_EQ(Transact(Request(4, 44, 0, info))[7], kRefused);
    EXPECT_EQ(keyboard_.Memory(Area::DeviceInfo), before);
}

TEST_F(FirmwareTest, ReadKeymapBlockFirstChunkOfBlockOne) {
    // The host's first report for block 1: 04 41 00 07 38 00 02 00 (address 512).
    const Bytes request = Request(7, 56, 512);
    EXPECT_THAT(Slice(request, 0, 8), ElementsAre(0x04, 0x41, 0x00, 0x07, 0x38, 0x00, 0x02, 0x00));
    const Bytes reply = Transact(request);
    ExpectReplyFrame(reply, request);
    ASSERT_EQ(reply[7], kOk);
    // Position 8 of the factory keymap is Esc, 02 02 29.
    EXPECT_THAT(Slice(reply, 8 + 24, 3), ElementsAre(0x02, 0x02, 0x29));
    EXPECT_EQ(Slice(reply, 8, 56), Slice(keyboard_.Memory(Area::KeymapBlocks), 512, 56));
}

TEST_F(FirmwareTest, ChunkReplyCarriesOnlyTheChunk) {
    const Bytes reply = Transact(Request(7, 8, 504));  // the last 8 bytes of block 0
    ASSERT_EQ(reply[7], kOk);
    EXPECT_EQ(Slice(reply, 8, 8), Slice(keyboard_.Memory(Area::KeymapBlocks), 504, 8));
    EXPECT_THAT(Slice(reply, 16, 48), Each(0));
}

TEST_F(FirmwareTest, WriteKeymapBlockInTenChunksChangesOnlyThatBlock) {
    Bytes image(512);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    const Bytes before = keyboard_.Memory(Area::KeymapBlocks);
    int reports = 0;
    for (std::size_t offset = 0; offset < 512; offset += 56) {
        const std::size_t length = std::min<std::size_t>(56, 512 - offset);
        const Bytes reply = Transact(Request(8, static_cast<std::uint8_t>(length),
                                             static_cast<std::uint16_t>(1024 + offset),
                                             Slice(image, offset, length)));
        ASSERT_EQ(reply[7], kOk) << "offset " << offset;
        ++reports;
    }
    EXPECT_EQ(reports, 10);
    const Bytes after = keyboard_.Memory(Area::KeymapBlocks);
    EXPECT_EQ(Slice(after, 1024, 512), image);
    EXPECT_EQ(Slice(after, 0, 1024), Slice(before, 0, 1024));
    EXPECT_EQ(keyboard_.ReportsReceived(8), 10u);
}

TEST_F(FirmwareTest, ReadDefaultKeymapInChunksGivesTheFactoryKeymap) {
    Bytes image;
    for (std::size_t offset = 0; offset < 512; offset += 56) {
        const std::size_t length = std::min<std::size_t>(56, 512 - offset);
        const Bytes reply = Transact(
            Request(15, static_cast<std::uint8_t>(length), static_cast<std::uint16_t>(offset)));
        ASSERT_EQ(reply[7], kOk);
        const Bytes chunk = Slice(reply, 8, length);
        image.insert(image.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(image, Bytes(kFactoryKeymap.begin(), kFactoryKeymap.end()));
    // The built-in layout, with the G keys where the built-in layout has none: G1 of bank A at
    // position 128, G9 of bank B at 145, as keyboard-specific entries 06 A2 n.
    EXPECT_EQ(Slice(image, 3 * 8, 3), (Bytes{0x02, 0x02, 0x29})) << "Esc";
    EXPECT_EQ(Slice(image, 3 * 128, 3), (Bytes{0x06, 0xA2, 0x01}));
    EXPECT_EQ(Slice(image, 3 * 145, 3), (Bytes{0x06, 0xA2, 0x12}));
    EXPECT_EQ(Slice(image, 3 * 146, 3), (Bytes{0x00, 0x00, 0x00}));
}

TEST_F(FirmwareTest, MacroMemoryRoundTrip) {
    Bytes head = {0xAA, 0x55, 0x10, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_EQ(Transact(Request(10, 16, 56, head))[7], kOk);
    const Bytes reply = Transact(Request(9, 16, 56));
    ASSERT_EQ(reply[7], kOk);
    EXPECT_EQ(Slice(reply, 8, 16), head);
    EXPECT_EQ(Slice(keyboard_.Memory(Area::MacroMemory), 56, 16), head);
}

TEST_F(FirmwareTest, SettingsReadFillsFiftySixBytesWhateverTheLength) {
    // Length 1 at the third record: all 42 record bytes, then zeros past the area's end.
    const Bytes reply = Transact(Request(5, 1, 84));
    ASSERT_EQ(reply[7], kOk);
    EXPECT_EQ(Slice(reply, 8, 5), Bytes({1, 4, 1, 0, 1})) << "mode 1, brightness 4, speed 1";
    EXPECT_EQ(Slice(reply, 8, 42), Slice(keyboard_.Memory(Area::Settings), 84, 42));
    EXPECT_THAT(Slice(reply, 8 + 42, 14), Each(0));

    const Bytes first = Transact(Request(5, 56, 0));
    EXPECT_EQ(Slice(first, 8, 56), Slice(keyboard_.Memory(Area::Settings), 0, 56));
}

TEST_F(FirmwareTest, SettingsWriteOfOneFieldAndOfTheDefaultBlock) {
    ASSERT_EQ(Transact(Request(6, 1, 42 + 1, {2}))[7], kOk);  // brightness of profile 1
    EXPECT_EQ(keyboard_.Memory(Area::Settings)[43], 2);

    Bytes block(35, 0x5A);
    ASSERT_EQ(Transact(Request(6, 35, 84, block))[7], kOk);
    const Bytes settings = keyboard_.Memory(Area::Settings);
    EXPECT_EQ(Slice(settings, 84, 35), block);
    EXPECT_EQ(settings[43], 2) << "other records untouched";
}

TEST_F(FirmwareTest, UserColoursWriteOneSlotAndReadAProfile) {
    // Zone 4 of profile 2 owns slots 6 and 7: addresses 90 and 93.
    ASSERT_EQ(Transact(Request(17, 3, 90, {10, 20, 30}))[7], kOk);
    ASSERT_EQ(Transact(Request(17, 3, 93, {40, 50, 60}))[7], kOk);
    const Bytes reply = Transact(Request(16, 36, 72));
    ASSERT_EQ(reply[7], kOk);
    EXPECT_THAT(Slice(reply, 8 + 18, 6), ElementsAre(10, 20, 30, 40, 50, 60));
    EXPECT_THAT(Slice(reply, 8 + 36, 20), Each(0)) << "past the end of the colour area";
}

TEST_F(FirmwareTest, TransferBracketsAndTestCommandAnswerOk) {
    for (std::uint8_t command : {1, 2, 13}) {
        const Bytes reply = Transact(Request(command));
        ExpectReplyFrame(reply, Request(command));
        EXPECT_EQ(reply[7], kOk) << int(command);
        EXPECT_THAT(Slice(reply, 8, 56), Each(0));
    }
}

TEST_F(FirmwareTest, BadChecksumIsRefusedAndNotCarriedOut) {
    Bytes request = Request(6, 1, 0, {9});
    request[1] ^= 0x01;
    const Bytes before = keyboard_.Memory(Area::Settings);
    const Bytes reply = Transact(request);
    EXPECT_EQ(reply[3], 6);
    EXPECT_EQ(reply[7], kRefused);
    EXPECT_EQ(keyboard_.Memory(Area::Settings), before);
}

TEST_F(FirmwareTest, WrongReportIdIsRefused) {
    Bytes request = Request(3, 44);
    request[0] = 5;
    EXPECT_EQ(Transact(request)[7], kRefused);
}

TEST_F(FirmwareTest, ShortWriteIsPaddedWithZeros) {
    // Ten bytes of a ReadDeviceInfo request; the keyboard sees them followed by zeros.
    const Bytes full = Request(3, 44);
    const Bytes reply = Transact(Slice(full, 0, 10));
    EXPECT_EQ(reply[7], kOk);
}

class UnknownCommandTest : public KeyboardFixture,
                           public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(UnknownCommandTest, IsRefusedWithFF) {
    const Bytes request = Request(GetParam(), 56, 0);
    const Bytes reply = Transact(request);
    ExpectReplyFrame(reply, request);
    EXPECT_EQ(reply[7], kRefused);
    EXPECT_THAT(Slice(reply, 8, 56), Each(0));
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownCommandTest,
                         ::testing::Values(0, 11, 12, 14, 18, 0x80, 0xFF));

// Requests whose length or address does not fit the command's area.
struct OutOfRange {
    const char* name;
    std::uint8_t command;
    std::uint8_t length;
    std::uint16_t address;
};

class OutOfRangeTest : public KeyboardFixture, public ::testing::WithParamInterface<OutOfRange> {};

TEST_P(OutOfRangeTest, IsRefusedAndChangesNothing) {
    const auto& p = GetParam();
    std::vector<Bytes> before;
    for (Area a : {Area::KeymapBlocks, Area::DefaultKeymap, Area::MacroMemory, Area::Settings,
                   Area::UserColours, Area::DeviceInfo}) {
        before.push_back(keyboard_.Memory(a));
    }
    const Bytes reply = Transact(Request(p.command, p.length, p.address, Bytes(56, 0xEE)));
    EXPECT_EQ(reply[7], kRefused);
    EXPECT_THAT(Slice(reply, 8, 56), Each(0));
    std::size_t i = 0;
    for (Area a : {Area::KeymapBlocks, Area::DefaultKeymap, Area::MacroMemory, Area::Settings,
                   Area::UserColours, Area::DeviceInfo}) {
        EXPECT_EQ(keyboard_.Memory(a), before[i++]);
    }
}

INSTANTIATE_TEST_SUITE_P(Requests, OutOfRangeTest,
                         ::testing::Values(OutOfRange{"KeymapBlock3Read", 7, 56, 1536},
                                           OutOfRange{"KeymapBlock3Write", 8, 56, 1536},
                                           OutOfRange{"KeymapChunkPastTheEnd", 8, 56, 1500},
                                           OutOfRange{"KeymapChunkTooLong", 7, 57, 0},
                                           OutOfRange{"KeymapChunkEmpty", 7, 0, 0},
                                           OutOfRange{"DefaultKeymapPastTheEnd", 15, 8, 508},
                                           OutOfRange{"MacroPastCapacity", 10, 56, 32 * 128 - 55},
                                           OutOfRange{"MacroReadPastCapacity", 9, 1, 32 * 128},
                                           OutOfRange{"SettingsReadPastTheArea", 5, 56, 126},
                                           OutOfRange{"SettingsWriteCrossingTheEnd", 6, 7, 120},
                                           OutOfRange{"SettingsWriteTooLong", 6, 57, 0},
                                           OutOfRange{"SettingsWriteEmpty", 6, 0, 0},
                                           OutOfRange{"ColoursReadPastTheArea", 16, 3, 108},
                                           OutOfRange{"ColoursWriteCrossingTheEnd", 17, 3, 106},
                                           OutOfRange{"DeviceInfoWrongLength", 3, 43, 0},
                                           OutOfRange{"DeviceInfoWriteAtAnAddress", 4, 44, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

class SmallMacroMemoryTest : public KeyboardFixture {
protected:
    SmallMacroMemoryTest() : KeyboardFixture(VirtualKeyboardOptions{1, true, {}}) {}
};

TEST_F(SmallMacroMemoryTest, CapacityIsByteElevenTimes128) {
    EXPECT_EQ(Transact(Request(3, 44))[8 + 11], 1);
    EXPECT_EQ(Transact(Request(10, 8, 120, Bytes(8, 1)))[7], kOk);
    EXPECT_EQ(Transact(Request(10, 9, 120, Bytes(9, 1)))[7], kRefused);
    EXPECT_EQ(keyboard_.Memory(Area::MacroMemory).size(), 128u);
}

TEST(KeyboardMemorySetup, SettingByteElevenResizesTheMacroMemory) {
    VirtualKeyboard keyboard;
    const Bytes marker = {1, 2, 3};
    keyboard.SetMemory(Area::MacroMemory, 0, marker);
    keyboard.SetMemory(Area::DeviceInfo, 11, Bytes{2});
    const Bytes macro = keyboard.Memory(Area::MacroMemory);
    ASSERT_EQ(macro.size(), 256u);
    EXPECT_EQ(Slice(macro, 0, 3), marker);
    // Bytes past an area's end are dropped rather than written anywhere.
    keyboard.SetMemory(Area::Settings, 125, Bytes{7, 8, 9});
    EXPECT_EQ(keyboard.Memory(Area::Settings).size(), 126u);
    EXPECT_EQ(keyboard.Memory(Area::Settings)[125], 7);
}

}  // namespace
}  // namespace qf::vkbd::test
