// Frame checksum, unit ids, notification bytes and the device info block.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "device/commands.h"
#include "device/device_service.h"
#include "device/report.h"

namespace qf::device {
namespace {

TEST(ReportFrame, BlankFrameIsReportIdFollowedByZeros) {
    const Report frame = BlankFrame();
    EXPECT_EQ(frame[0], 4);
    EXPECT_TRUE(std::all_of(frame.begin() + 1, frame.end(), [](auto b) { return b == 0; }));
}

TEST(ReportFrame, ChecksumOfAllFfBytesIs15555) {
    Report frame = BlankFrame();
    std::fill(frame.begin() + 3, frame.end(), 0xFF);
    StoreChecksum(frame);
    EXPECT_EQ(frame[1], 0xC3);
    EXPECT_EQ(frame[2], 0x3C);
    EXPECT_EQ(frame[0], 4);
}

TEST(ReportFrame, ChecksumIgnoresBytesZeroToTwo) {
    Report frame = BlankFrame();
    frame[3] = 1;
    frame[1] = 0x77;  // whatever the old checksum was
    frame[2] = 0x99;
    StoreChecksum(frame);
    EXPECT_EQ(frame[1], 0x01);
    EXPECT_EQ(frame[2], 0x00);
    frame[0] = 0xEE;
    EXPECT_EQ(ComputeChecksum(frame), 1);
}

TEST(ReportFrame, ChecksumCoversTheLastByte) {
    Report frame = BlankFrame();
    frame[63] = 0x80;
    frame[8] = 0x90;
    EXPECT_EQ(ComputeChecksum(frame), 0x110);
}

TEST(UnitId, TableIsAPermutation) {
    std::array<int, 256> seen{};
    for (std::uint8_t v : UnitIdTable) {
        ++seen[v];
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

TEST(UnitId, KeySerialisesLittleEndian) {
    const auto bytes = SerializeKey(kControlKey);
    const std::array<std::uint8_t, 16> expected{15,   0,    0,    0,    0x45, 0x0C, 0x23, 0x65,
                                                0x1C, 0xFF, 0x92, 0x00, 0,    0,    0,    0};
    EXPECT_EQ(bytes, expected);
}

TEST(UnitId, EveryByteValueOnceAddsTheSumOfZeroTo255) {
    // The table is a permutation, so running every byte value through it once adds 0+..+255.
    std::array<std::uint8_t, 256> all{};
    std::iota(all.begin(), all.end(), 0);
    const std::uint32_t base = ComputeUnitId(kControlKey, 0, kTagNone);
    EXPECT_EQ(ComputeUnitId(kControlKey, 0, kTagNone, all), base + 32640u);
}

TEST(UnitId, HandlerAndTagEnterAsTheirFourBytes) {
    // Addition does not care where a byte sits: the tag's four little-endian bytes swapped
    // with four zero data bytes give the same sum. A different handler changes it.
    const std::array<std::uint8_t, 4> ctrlBytes{0x4C, 0x52, 0x54, 0x43};
    const std::array<std::uint8_t, 4> zeros{};
    EXPECT_EQ(ComputeUnitId(kControlKey, 0, kTagCtrl, zeros),
              ComputeUnitId(kControlKey, 0, kTagNone, ctrlBytes));
    EXPECT_EQ(ComputeUnitId(kControlKey, kTagCtrl, kTagNone),
              ComputeUnitId(kControlKey, 0, kTagCtrl));
    EXPECT_NE(ComputeUnitId(kControlKey, 0x1000, kTagNone),
              ComputeUnitId(kControlKey, 0, kTagNone));
    EXPECT_NE(ComputeUnitId(kControlKey, 0, kTagNone), ComputeUnitId(kLedKey, 0, kTagNone));
}

TEST(NotificationBytesTest, ConsumerBytesComeThroughTheBufferRecord) {
    const std::uint8_t viaBuffer[] = {0xFF, 0x02};
    const std::uint8_t viaBlock[] = {0x11, 0x18};
    QfBufferRecord buffer{};
    buffer.bytes = viaBuffer;
    QfRequestBlock block{kTagCons, 2, viaBlock, 1, &buffer};
    QfDeviceNotification notification{QF_NOTIFY_INPUT, 0, &block};
    auto bytes = NotificationBytes(notification);
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes.data(), viaBuffer);

    block.tag = kTagCtrl;
    bytes = NotificationBytes(notification);
    ASSERT_EQ(bytes.size(), 2u);
    EXPECT_EQ(bytes.data(), viaBlock);
}

TEST(NotificationBytesTest, MissingRecordsGiveNoBytes) {
    QfDeviceNotification notification{QF_NOTIFY_INPUT, 0, nullptr};
    EXPECT_TRUE(NotificationBytes(notification).empty());

    QfRequestBlock block{kTagCons, 8, nullptr, 1, nullptr};
    notification.request = &block;
    EXPECT_TRUE(NotificationBytes(notification).empty());  // CONS without buffer record

    QfBufferRecord buffer{};
    block.buffer = &buffer;
    EXPECT_TRUE(NotificationBytes(notification).empty());  // buffer record without bytes

    block.tag = kTagCtrl;
    EXPECT_TRUE(NotificationBytes(notification).empty());  // CTRL without bytes
}

TEST(DeviceInfo, FieldsAndModeList) {
    DeviceInfoBlock info;
    info.bytes[10] = 2;
    info.bytes[11] = 32;
    info.bytes[12] = 1;
    info.bytes[43] = 8;  // the last mode slot
    EXPECT_EQ(info.activeProfile(), 2);
    EXPECT_EQ(info.macroMemoryBytes(), 4096u);
    EXPECT_TRUE(info.offersMode(1));
    EXPECT_TRUE(info.keepsUserColours());
    EXPECT_FALSE(info.offersMode(0));  // 0 marks empty slots, it is not a mode
    info.bytes[43] = 0;
    info.bytes[11] = 8;  // byte 11 is the memory size, not a mode slot
    EXPECT_FALSE(info.keepsUserColours());
}

}  // namespace
}  // namespace qf::device
