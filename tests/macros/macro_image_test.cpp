#include "macros/macro_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "keys/key_codes.h"

namespace qf::macros {
namespace {

constexpr std::uint16_t kScanA = 0x01E;
constexpr std::uint16_t kScanRightShift = 0x036;
constexpr std::uint16_t kScanLeftButton = 0x171;
constexpr std::uint16_t kScanPlayPause = 0x122;
constexpr std::uint16_t kScanPower = 0x15E;

std::array<std::uint8_t, 4> Encode(std::int32_t delay, std::uint16_t scan, std::uint16_t state) {
    return EncodeImageAction(MacroAction{delay, scan, state});
}

TEST(ImageAction, PressAndReleaseOfAKey) {
    EXPECT_EQ(Encode(50, kScanA, kActionPress), (std::array<std::uint8_t, 4>{0x05, 0xA0, 2, 4}));
    EXPECT_EQ(Encode(50, kScanA, kActionRelease), (std::array<std::uint8_t, 4>{0x05, 0x20, 2, 4}));
}

TEST(ImageAction, ModifiersConsumerSystemAndKeysWithoutUsage) {
    EXPECT_EQ(Encode(0, kScanRightShift, kActionPress),
              (std::array<std::uint8_t, 4>{0x00, 0xA0, 1, 0x20}));
    const auto play = Encode(0, kScanPlayPause, kActionPress);
    EXPECT_EQ(play[1] >> 4, 0x8 | 3);
    EXPECT_EQ(play[2] | (play[3] << 8), keys::ScanToDeviceUsage(kScanPlayPause).usage);
    EXPECT_EQ(Encode(0, kScanPower, kActionRelease),
              (std::array<std::uint8_t, 4>{0x00, 0x40, 0x81, 0x00}));
    EXPECT_EQ(Encode(0, kScanLeftButton, kActionPress),
              (std::array<std::uint8_t, 4>{0x00, 0x80, 0, 0}));
}

struct DelayWord {
    std::int32_t delay;
    std::uint16_t units;
};

class ImageDelayTest : public ::testing::TestWithParam<DelayWord> {};

TEST_P(ImageDelayTest, DelayBitsHoldTenths) {
    const auto bytes = Encode(GetParam().delay, kScanA, kActionRelease);
    EXPECT_EQ(ReadLe16(bytes.data()) & kImageDelayMask, GetParam().units);
}

// 50000 ms would wrap to 904 units (9 s) without the clamp.
INSTANTIATE_TEST_SUITE_P(Delays, ImageDelayTest,
                         ::testing::Values(DelayWord{40000, 0x0FA0}, DelayWord{15, 1},
                                           DelayWord{9, 0}, DelayWord{40950, 0x0FFF},
                                           DelayWord{50000, 4000}, DelayWord{-30, 0}));

MacroRecord MakeMacro(std::u16string_view name, std::uint8_t repeat,
                      std::vector<MacroAction> actions) {
    MacroRecord m;
    m.SetName(name);
    m.repeatCount = repeat;
    for (const auto& a : actions) {
        m.AppendAction(a);
    }
    return m;
}

std::vector<std::uint8_t> Build(const std::vector<MacroRecord>& list, bool names) {
    const ImageSizes sizes = MacroImageSizes(list);
    const std::size_t size = names ? sizes.withNames : sizes.withoutNames;
    std::vector<std::uint8_t> image(size, 0xCC);
    EXPECT_EQ(BuildMacroImage(list, image, size, names), 1);
    return image;
}

TEST(ImageSizesTest, OneMacroOfThreeActionsNamedAb) {
    const std::vector<MacroRecord> list{
        MakeMacro(u"ab", 1, {{10, kScanA, 0}, {10, kScanA, 1}, {10, kScanRightShift, 0}})};
    const ImageSizes sizes = MacroImageSizes(list);
    EXPECT_EQ(sizes.withNames, 38u);
    EXPECT_EQ(sizes.withoutNames, 34u);
    const auto image = Build(list, true);
    EXPECT_EQ(ReadLe16(&image[0]), 0x55AA);
    EXPECT_EQ(ReadLe16(&image[2]), 38);
    EXPECT_EQ(ReadLe16(&image[4]), 1);
    EXPECT_EQ(ReadLe16(&image[6]), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 8, image.begin() + 16),
              std::vector<std::uint8_t>(8, 0));
    EXPECT_EQ(ReadLe16(&image[16]), 18);
    EXPECT_EQ(ReadLe16(&image[18]), 3);  // action count
    EXPECT_EQ(image[21], 2);             // name length
    EXPECT_EQ(ReadLe16(&image[34]), u'a');
    EXPECT_EQ(ReadLe16(&image[36]), u'b');
}

std::vector<MacroRecord> MixedList() {
    return {
        MakeMacro(u"keys", 3,
                  {{50, kScanA, kActionPress},
                   {20, kScanRightShift, kActionPress},
                   {0, kScanRightShift, kActionRelease},
                   {40000, kScanA, kActionRelease}}),
        MakeMacro(u"", 1, {}),
        MakeMacro(u"media", 255,
                  {{100, kScanPlayPause, kActionPress},
                   {100, kScanPlayPause, kActionRelease},
                   {10, kScanPower, kActionPress},
                   {10, kScanPower, kActionRelease}}),
    };
}

TEST(ImageRoundTrip, ActionsRepeatCountsAndNamesComeBack) {
    const auto list = MixedList();
    const auto read = MacroImageToRecords(Build(list, true), u"Macro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.damagedMacros, 0u);
    ASSERT_EQ(read.records.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const MacroRecord& got = read.records[i];
        EXPECT_EQ(got.id, i + 1);
        EXPECT_EQ(got.newMark, 0);
        EXPECT_EQ(got.repeatCount, list[i].repeatCount);
        ASSERT_EQ(got.actionCount, list[i].actionCount);
        for (std::size_t j = 0; j < got.actionCount; ++j) {
            EXPECT_EQ(got.actions[j], list[i].actions[j]) << "macro " << i << " action " << j;
        }
    }
    EXPECT_EQ(read.records[0].NameView(), u"keys");
    EXPECT_EQ(read.records[1].NameView(), u"Macro2");  // empty name: none in the image
    EXPECT_EQ(read.records[2].NameView(), u"media");
}

TEST(ImageRoundTrip, WithoutNamesMacrosAreNamedByPosition) {
    const auto read = MacroImageToRecords(Build(MixedList(), false), u"Makro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.records[0].NameView(), u"Makro1");
    EXPECT_EQ(read.records[2].NameView(), u"Makro3");
    EXPECT_EQ(read.records[2].actionCount, 4);
}

TEST(ImageRoundTrip, KeysWithoutUsageReadBackAsNoKeyAndDelaysAsTenths) {
    const std::vector<MacroRecord> list{
        MakeMacro(u"m", 1, {{15, kScanLeftButton, kActionPress}, {45000, kScanA, 0}})};
    const auto read = MacroImageToRecords(Build(list, false), u"Macro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.records[0].actions[0], (MacroAction{10, 0, kActionPress}));
    EXPECT_EQ(read.records[0].actions[1].delay, 40000);
}

TEST(ImageLimits, TheLargestListFitsTheFormatsOnlyWhenUnder64K) {
    std::vector<MacroRecord> list(kMaxMacros);
    for (auto& m : list) {
        m.SetName(u"n");
        for (int j = 0; j < 150; ++j) {
            m.AppendAction({10, kScanA, static_cast<std::uint16_t>(j & 1)});
        }
    }
    const ImageSizes sizes = MacroImageSizes(list);
    ASSERT_LE(sizes.withNames, kMaxMacroImageSize);
    const auto read = MacroImageToRecords(Build(list, true), u"Macro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.records.size(), kMaxMacros);
    EXPECT_EQ(read.records[99].actionCount, 150);

    list[0].actionCount = 2000;  // now beyond the 16-bit size and offsets
    const ImageSizes big = MacroImageSizes(list);
    std::vector<std::uint8_t> buffer(big.withNames);
    EXPECT_EQ(BuildMacroImage(list, buffer, big.withNames, true), 0);
}

TEST(ImageLimits, BuildRefusesTooManyMacrosAndWrongSizes) {
    const auto list = MixedList();
    const ImageSizes sizes = MacroImageSizes(list);
    std::vector<std::uint8_t> buffer(sizes.withNames + 8);
    EXPECT_EQ(BuildMacroImage(list, buffer, sizes.withNames - 1, true), 0);
    EXPECT_EQ(BuildMacroImage(list, buffer, buffer.size() + 1, true), 0);
    EXPECT_EQ(BuildMacroImage(list, buffer, sizes.withNames + 8, true), 1);
    EXPECT_EQ(ReadLe16(&buffer[2]), sizes.withNames + 8);

    std::vector<MacroRecord> tooMany(kMaxMacros + 1);
    const ImageSizes s2 = MacroImageSizes(tooMany);
    std::vector<std::uint8_t> b2(s2.withoutNames);
    EXPECT_EQ(BuildMacroImage(tooMany, b2, b2.size(), false), 0);
}

TEST(ImageLimits, AHostileActionCountInARecordIsLimitedTo2000) {
    std::vector<MacroRecord> list(1);
    list[0].actionCount = 0xFFFF;
    EXPECT_EQ(MacroImageSizes(list).withoutNames, 16u + 2 + 4 + 4 * 2000);
}

// A valid image with names, two macros: [16] offsets 20, 20+4+8+4; macro 0 "ab" with 2
// actions, macro 1 "c" with 1 action.
std::vector<std::uint8_t> Fixture() {
    return Build({MakeMacro(u"ab", 2, {{10, kScanA, 0}, {10, kScanA, 1}}),
                  MakeMacro(u"c", 1, {{10, kScanRightShift, 0}})},
                 true);
}

struct Damage {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> apply;
    int result;                // expected result
    std::size_t damaged;       // damaged macros when decoded
    std::size_t actions0 = 0;  // action count of macro 0 when decoded
};

class ImageDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(ImageDamageTest, DamageIsRefusedOrEmptiedNeverReadPast) {
    auto image = Fixture();
    GetParam().apply(image);
    // A copy of exactly the damaged size, so that any read past it is caught by the sanitizers.
    const std::vector<std::uint8_t> exact(image);
    const auto read = MacroImageToRecords(exact, u"Macro");
    EXPECT_EQ(read.result, GetParam().result);
    if (read.result == 1) {
        EXPECT_EQ(read.records.size(), 2u);
        EXPECT_EQ(read.damagedMacros, GetParam().damaged);
        EXPECT_EQ(read.records[0].actionCount, GetParam().actions0);
    } else {
        EXPECT_TRUE(read.records.empty());
    }
}

auto Truncate(std::size_t n) {
    return [n](std::vector<std::uint8_t>& b) { b.resize(n); };
}
auto SetU16(std::size_t at, std::uint16_t v) {
    return [at, v](std::vector<std::uint8_t>& b) { WriteLe16(&b[at], v); };
}
auto SetU8(std::size_t at, std::uint8_t v) {
    return [at, v](std::vector<std::uint8_t>& b) { b[at] = v; };
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImageDamageTest,
    ::testing::Values(Damage{"intact", [](auto&) {}, 1, 0, 2}, Damage{"empty", Truncate(0), 0, 0},
                      Damage{"header_cut", Truncate(15), 0, 0},
                      Damage{"table_cut", Truncate(19), 0, 0},
                      Damage{"no_magic", SetU16(0, 0x55AB), 0, 0},
                      Damage{"count_101", SetU16(4, 101), 0, 0},
                      Damage{"count_65535", SetU16(4, 0xFFFF), 0, 0},
                      Damage{"size_field_small", SetU16(2, 18), 0, 0},
                      Damage{"second_block_cut", Truncate(36 + 3), 1, 1, 2},
                      Damage{"second_name_cut", Truncate(36 + 4 + 4 + 1), 1, 1, 2},
                      Damage{"offset_into_table", SetU16(16, 17), 1, 1, 0},
                      Damage{"offset_past_end", SetU16(16, 0xFFFF), 1, 1, 0},
                      Damage{"actions_2001", SetU16(20, 2001), 1, 1, 0},
                      Damage{"actions_past_end", SetU16(20, 7), 1, 1, 0},
                      Damage{"name_past_end", SetU8(23, 200), 1, 1, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImageDamage, ADamagedMacroKeepsItsPositionAndDefaultName) {
    auto image = Fixture();
    WriteLe16(&image[16], 0xFFFF);
    const auto read = MacroImageToRecords(image, u"Macro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.records[0].NameView(), u"Macro1");
    EXPECT_EQ(read.records[0].id, 1);
    EXPECT_EQ(read.records[1].NameView(), u"c");
    EXPECT_EQ(read.records[1].id, 2);
}

TEST(ImageDamage, LongNameLengthsAreCutToTheRecordsName) {
    std::vector<std::uint8_t> image(16 + 2 + 4 + 2 * 255);
    WriteLe16(&image[0], 0x55AA);
    WriteLe16(&image[2], static_cast<std::uint16_t>(image.size()));
    WriteLe16(&image[4], 1);
    WriteLe16(&image[16], 18);
    image[21] = 255;
    for (std::size_t u = 0; u < 255; ++u) {
        WriteLe16(&image[22 + 2 * u], u'q');
    }
    const auto read = MacroImageToRecords(image, u"Macro");
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.records[0].NameView().size(), kMacroNameMaxChars);
}

}  // namespace
}  // namespace qf::macros
