#include "macros/macro_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace qf::macros {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(rng());
    }
    return bytes;
}

TEST(MacroRecordBytes, EveryByteSurvivesReadAndWrite) {
    const auto bytes = RandomBytes(kMacroRecordSize, 7);
    const auto record = std::make_unique<MacroRecord>(MacroRecord::Read(bytes.data()));
    std::vector<std::uint8_t> out(kMacroRecordSize, 0xEE);
    record->Write(out.data());
    EXPECT_EQ(out, bytes);
}

TEST(MacroRecordBytes, FieldsLieAtTheirOffsets) {
    auto record = std::make_unique<MacroRecord>();
    record->SetName(u"Zq");
    record->repeatCount = 0x7B;
    record->newMark = 1;
    record->playMode = 0x0203;
    record->id = 42;
    record->actionCount = 2;
    record->actions[0] = {-2, 0x11D, kActionRelease};
    record->actions[1999] = {40000, 0x01E, kActionPress};
    std::vector<std::uint8_t> b(kMacroRecordSize);
    record->Write(b.data());

    EXPECT_EQ(ReadLe16(&b[0]), u'Z');
    EXPECT_EQ(ReadLe16(&b[2]), u'q');
    EXPECT_EQ(ReadLe16(&b[4]), 0);
    EXPECT_EQ(b[500], 0x7B);
    EXPECT_EQ(b[501], 0);
    EXPECT_EQ(ReadLe16(&b[502]), 1);
    EXPECT_EQ(ReadLe16(&b[504]), 0x0203);
    EXPECT_EQ(ReadLe16(&b[506]), 42);
    EXPECT_EQ(ReadLe16(&b[508]), 2);
    EXPECT_EQ(ReadLe32(&b[512]), 0xFFFFFFFEu);
    EXPECT_EQ(ReadLe16(&b[516]), 0x11D);
    EXPECT_EQ(ReadLe16(&b[518]), kActionRelease);
    const std::size_t last = 512 + 1999 * 8;
    EXPECT_EQ(ReadLe32(&b[last]), 40000u);
    EXPECT_EQ(ReadLe16(&b[last + 4]), 0x01E);
}

TEST(MacroRecordName, LongNamesAreCutAndUnterminatedNamesStopAt249) {
    auto record = std::make_unique<MacroRecord>();
    record->SetName(std::u16string(300, u'x'));
    EXPECT_EQ(record->NameView().size(), kMacroNameMaxChars);
    EXPECT_EQ(record->name[kMacroNameMaxChars], 0);

    record->name.fill(u'y');  // as read from a damaged file: no terminator at all
    EXPECT_EQ(record->NameView().size(), kMacroNameMaxChars);
}

TEST(MacroRecordActions, TheActionAfter2000IsIgnored) {
    auto record = std::make_unique<MacroRecord>();
    for (std::size_t i = 0; i < kMaxMacroActions; ++i) {
        ASSERT_TRUE(record->AppendAction({10, 0x01E, kActionPress}));
    }
    EXPECT_FALSE(record->AppendAction({10, 0x030, kActionPress}));
    EXPECT_EQ(record->actionCount, kMaxMacroActions);

    record->actionCount = 0xFFFF;  // a hostile count from a file
    EXPECT_EQ(record->UsedActions(), kMaxMacroActions);
}

class NewMacroTest : public ::testing::Test {
protected:
    MacroRecord Add() {
        auto made = NewMacroRecord(list, counter, kMacroNewPrefixDefault);
        EXPECT_TRUE(made.has_value());
        list.push_back(*made);
        return *made;
    }
    std::vector<MacroRecord> list;
    int counter = 17;  // left over from an earlier editing session
};

TEST_F(NewMacroTest, ThreeNewMacrosAreNumberedFromOne) {
    for (int i = 1; i <= 3; ++i) {
        const MacroRecord m = Add();
        EXPECT_EQ(m.NameView(), NumberedName(u"Macro", i));
        EXPECT_EQ(m.id, i);
        EXPECT_EQ(m.newMark, 1);
        EXPECT_EQ(m.repeatCount, 1);
        EXPECT_EQ(m.playMode, 0);
        EXPECT_EQ(m.actionCount, 0);
    }
}

TEST_F(NewMacroTest, ADeletedIdIsReusedButItsNameIsNot) {
    Add();
    Add();
    Add();
    list.erase(list.begin() + 1);  // id 2, "Macro2"
    const MacroRecord m = Add();
    EXPECT_EQ(m.id, 2);
    EXPECT_EQ(m.NameView(), u"Macro4");
}

TEST_F(NewMacroTest, NamesStartingWithTheCandidateAreSkippedWithoutRegardToCase) {
    list.push_back(MacroRecord{});
    list.back().SetName(u"MACRO1 old");
    list.back().id = 9;
    counter = 0;
    const MacroRecord m = Add();
    EXPECT_EQ(m.NameView(), u"Macro2");
    EXPECT_EQ(m.id, 1);
}

TEST_F(NewMacroTest, TheHundredAndFirstIsRefused) {
    for (int i = 0; i < 100; ++i) {
        Add();
    }
    EXPECT_EQ(list.back().id, 100);
    EXPECT_FALSE(NewMacroRecord(list, counter, u"Macro").has_value());
    EXPECT_EQ(list.size(), kMaxMacros);
}

TEST(MacroIds, IdsAndPositionsConvertWithZeroForMisses) {
    std::vector<MacroRecord> list(3);
    list[0].id = 4;
    list[1].id = 7;
    list[2].id = 7;
    EXPECT_EQ(MacroIdToIndex(list, 7), 1u);
    EXPECT_EQ(MacroIdToIndex(list, 4), 0u);
    EXPECT_EQ(MacroIdToIndex(list, 5), 0u);
    EXPECT_EQ(MacroIndexToId(list, 1), 7);
    EXPECT_EQ(MacroIndexToId(list, 3), 0);
}

struct DelayCase {
    std::int32_t recorded;
    std::int32_t kept;
};

class DeviceDelayTest : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DeviceDelayTest, DelaysOutsideTwelveBitsAreClampedNotWrapped) {
    EXPECT_EQ(DeviceDelayMs(GetParam().recorded), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Delays, DeviceDelayTest,
                         ::testing::Values(DelayCase{0, 0}, DelayCase{15, 15},
                                           DelayCase{40000, 40000}, DelayCase{40950, 40950},
                                           DelayCase{40951, 40000}, DelayCase{40960, 40000},
                                           DelayCase{1000000, 40000}, DelayCase{-1, 0},
                                           DelayCase{INT32_MIN, 0}));

}  // namespace
}  // namespace qf::macros
