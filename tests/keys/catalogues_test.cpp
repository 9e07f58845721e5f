// The media and keyboard-function catalogues: names, records, keymap entries written and read
// back, and the guards for values outside the catalogues.
#include <gtest/gtest.h>

#include "keys/catalogues.h"

namespace qf::keys::test {
namespace {

class CatalogueTest : public ::testing::Test {
protected:
    KeyTexts texts_ = BuiltinKeyTexts();
};

TEST_F(CatalogueTest, MediaNamesAreTheMediaKeysNames) {
    for (std::uint32_t i = 0; i < kMediaCount; ++i) {
        EXPECT_EQ(MediaName(i, texts_), KeyName(kMediaKeyList[i], texts_));
        EXPECT_EQ(MediaName(i, texts_), texts_.media[i]);
    }
    EXPECT_EQ(MediaName(1, texts_), KeyName(0x122, texts_));
}

TEST_F(CatalogueTest, FunctionNamesFollowTheirLanguageKeys) {
    EXPECT_EQ(FunctionName(0, texts_), "Open");
    EXPECT_EQ(FunctionName(9, texts_), "Zoom-");
    EXPECT_EQ(FunctionName(10, texts_), "Zoom+");
    texts_.functions[10] = "Vergr\u00f6\u00dfern";
    EXPECT_EQ(FunctionName(10, texts_), "Vergr\u00f6\u00dfern");
}

TEST_F(CatalogueTest, NamesOutsideTheCataloguesAreEmpty) {
    EXPECT_EQ(MediaName(18, texts_), "");
    EXPECT_EQ(MediaName(0xFFFFFFFF, texts_), "");
    EXPECT_EQ(FunctionName(11, texts_), "");
    EXPECT_EQ(FunctionName(32, texts_), "");  // 05 05 20 from a keyboard
}

TEST(MediaEntryTest, MuteWritesItsConsumerUsage) {
    EXPECT_EQ(MediaKeymapEntry(7), (DeviceKeyRef{3, 0xE2, 0x00}));
    EXPECT_EQ(MediaIndexFromKeymapEntry({3, 0xE2, 0x00}), 7u);
    EXPECT_EQ(MediaIndexFromKeymapEntry({3, 0xE9, 0x00}), 6u);      // volume up
    EXPECT_EQ(MediaKeymapEntry(8), (DeviceKeyRef{3, 0x23, 0x02}));  // WWW home, 0x0223
}

TEST(MediaEntryTest, EveryEntryReadsBackAsItsIndex) {
    for (std::uint32_t i = 0; i < kMediaCount; ++i) {
        const auto entry = MediaKeymapEntry(i);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->type, 3);
        EXPECT_EQ(MediaIndexFromKeymapEntry(*entry), i);
        // The entry names the same key the catalogue names.
        EXPECT_EQ(DeviceKeyRefToScan(*entry), kMediaKeyList[i]);
    }
}

TEST(MediaEntryTest, GuardsAndForeignEntries) {
    EXPECT_FALSE(MediaKeymapEntry(18).has_value());
    EXPECT_FALSE(MediaKeymapEntry(0x10000).has_value());
    EXPECT_FALSE(MediaIndexFromKeymapEntry({3, 0x00, 0x01}).has_value());  // usage 0x0100
    EXPECT_FALSE(MediaIndexFromKeymapEntry({3, 0x00, 0x00}).has_value());
    EXPECT_FALSE(MediaIndexFromKeymapEntry({2, 0xE2, 0x00}).has_value());
    EXPECT_FALSE(MediaIndexFromKeymapEntry({4, 0xE2, 0x00}).has_value());
}

TEST(FunctionEntryTest, WritesAndReadsAnyValue) {
    EXPECT_EQ(FunctionKeymapEntry(10), (DeviceKeyRef{5, 5, 0x0A}));
    EXPECT_EQ(FunctionKeymapEntry(0), (DeviceKeyRef{5, 5, 0x00}));
    EXPECT_EQ(FunctionFromKeymapEntry({5, 5, 0x0A}), 10u);
    EXPECT_EQ(FunctionFromKeymapEntry({5, 5, 0x20}), 32u);
    // What a keyboard delivered goes back unchanged.
    EXPECT_EQ(FunctionKeymapEntry(*FunctionFromKeymapEntry({5, 5, 0xFF})),
              (DeviceKeyRef{5, 5, 0xFF}));
}

TEST(FunctionEntryTest, OtherActionEntriesAreNoFunctions) {
    EXPECT_FALSE(FunctionFromKeymapEntry({5, 1, 0}).has_value());  // play macro
    EXPECT_FALSE(FunctionFromKeymapEntry({5, 2, 0}).has_value());  // stop macro
    EXPECT_FALSE(FunctionFromKeymapEntry({5, 0, 0}).has_value());  // keyboard-specific
    EXPECT_FALSE(FunctionFromKeymapEntry({3, 5, 10}).has_value());
}

TEST(AssignTest, SetsKindExtraAndValueOnly) {
    KeyRecord record;
    record.kind = 4;
    record.extra = 3;
    record.value = 9;
    record.reserved0 = 0xAABBCCDD;
    record.reserved1 = 0x11223344;

    ASSERT_EQ(AssignMedia(record, 7), 1);
    EXPECT_EQ(record.keyKind(), KeyKind::Media);
    EXPECT_EQ(record.extra, 0);
    EXPECT_EQ(record.value, 7u);
    EXPECT_EQ(record.reserved0, 0xAABBCCDDu);
    EXPECT_EQ(record.reserved1, 0x11223344u);

    ASSERT_EQ(AssignFunction(record, 10), 1);
    EXPECT_EQ(record.keyKind(), KeyKind::Function);
    EXPECT_EQ(record.value, 10u);
    EXPECT_EQ(record.reserved0, 0xAABBCCDDu);
}

TEST(AssignTest, OutOfRangeLeavesTheRecordAlone) {
    KeyRecord record;
    record.kind = 2;
    record.value = 0x01E;
    const KeyRecord before = record;
    EXPECT_EQ(AssignMedia(record, 18), 0);
    EXPECT_EQ(AssignFunction(record, 11), 0);
    EXPECT_EQ(record, before);
}

}  // namespace
}  // namespace qf::keys::test
