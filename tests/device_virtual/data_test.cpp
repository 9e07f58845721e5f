// The built-in default keymap and the lighting defaults, checked against facts known about the
// keyboard independently of the tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "device/factory_lighting.h"
#include "keys/builtin_keymap.h"

namespace {

using qf::keys::kBuiltinDefaultKeymap;
using ::testing::ElementsAre;

std::array<std::uint8_t, 3> Entry(std::size_t position) {
    return {kBuiltinDefaultKeymap[3 * position], kBuiltinDefaultKeymap[3 * position + 1],
            kBuiltinDefaultKeymap[3 * position + 2]};
}

TEST(BuiltinKeymapTest, KnownKeysSitAtTheirPositions) {
    EXPECT_THAT(Entry(8), ElementsAre(0x02, 0x02, 0x29)) << "Esc (usage 0x29)";
    EXPECT_THAT(Entry(19), ElementsAre(0x02, 0x02, 0x04)) << "A (usage 0x04)";
    EXPECT_THAT(Entry(37), ElementsAre(0x02, 0x02, 0x2C)) << "Space (usage 0x2C)";
    EXPECT_THAT(Entry(12), ElementsAre(0x02, 0x01, 0x02)) << "left Shift (modifier bit 1)";
    EXPECT_THAT(Entry(13), ElementsAre(0x02, 0x01, 0x01)) << "left Ctrl (modifier bit 0)";
    EXPECT_THAT(Entry(112), ElementsAre(0x03, 0xB6, 0x00)) << "consumer usage 0xB6";
    EXPECT_THAT(Entry(120), ElementsAre(0x03, 0xCD, 0x00)) << "consumer usage 0xCD";
    EXPECT_THAT(Entry(53), ElementsAre(0x05, 0x02, 0x02)) << "keyboard-specific entry kept";
    for (std::size_t p = 0; p < 6; ++p) {
        EXPECT_THAT(Entry(p), ElementsAre(0x05, 0x00, 0x00)) << p;
    }
}

TEST(BuiltinKeymapTest, EqualsSignSitsAtTwoPositions) {
    EXPECT_EQ(Entry(54), Entry(105));
    EXPECT_THAT(Entry(54), ElementsAre(0x02, 0x02, 0x2E));
}

TEST(BuiltinKeymapTest, PositionsPast127AndTheTailAreEmpty) {
    EXPECT_TRUE(std::all_of(kBuiltinDefaultKeymap.begin() + 3 * 128, kBuiltinDefaultKeymap.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_THAT(Entry(7), ElementsAre(0, 0, 0));
    EXPECT_THAT(Entry(126), ElementsAre(0, 0, 0));
}

namespace lighting = qf::lighting;

TEST(DefaultLightingTest, BlockIsModeOneBrightFourMulticolourRed) {
    using namespace lighting::record;
    const auto& block = lighting::kDefaultLightingBlock;
    ASSERT_EQ(block.size(), 35u);
    EXPECT_EQ(block[kMode], 1);
    EXPECT_EQ(block[kBrightness], 4);
    EXPECT_EQ(block[kSpeed], 1);
    EXPECT_EQ(block[kDirection], 0);
    EXPECT_EQ(block[kMulticolour], 1);
    EXPECT_THAT((std::array{block[kColour], block[kColour + 1], block[kColour + 2]}),
                ElementsAre(255, 0, 0));
    EXPECT_EQ(block[8], 8);
    EXPECT_THAT((std::array{block[kBaseColour], block[kBaseColour + 1], block[kBaseColour + 2]}),
                ElementsAre(255, 255, 255));
    EXPECT_EQ(block[kReportRate], 255) << "the default block writes 255";
    EXPECT_EQ(block[kTriggerStyle], 0);
    EXPECT_THAT((std::array{block[kSecondColour], block[kSecondColour + 2]}),
                ElementsAre(255, 255));
    EXPECT_THAT((std::array{block[kThirdColour], block[kThirdColour + 2]}), ElementsAre(255, 255));
    EXPECT_EQ(block[kThirdMulticolour], 0);
}

TEST(DefaultLightingTest, FactoryRecordsHoldTheBlockForEachProfile) {
    const auto& records = lighting::kFactoryLightingRecords;
    ASSERT_EQ(records.size(), 126u);
    for (std::size_t p = 0; p < 3; ++p) {
        const std::size_t at = lighting::LightingRecordAddress(p);
        EXPECT_TRUE(std::equal(lighting::kDefaultLightingBlock.begin(),
                               lighting::kDefaultLightingBlock.end(), records.begin() + at));
        EXPECT_TRUE(std::all_of(records.begin() + at + 35, records.begin() + at + 42,
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST(DefaultLightingTest, AddressesOfRecordsAndColourSlots) {
    EXPECT_EQ(lighting::LightingRecordAddress(2), 84);
    // Zone 4 of profile 2 owns slots 6 and 7, at 72 + 18 and 72 + 21.
    EXPECT_EQ(lighting::UserColourAddress(2, 6), 90);
    EXPECT_EQ(lighting::UserColourAddress(2, 7), 93);
    EXPECT_EQ(lighting::kUserColourAreaSize, 108u);
}

}  // namespace
