// The assignment editor's write of one key record into the store.
#include <gtest/gtest.h>

#include "profile_fixture.h"
#include "profiles/profile_store.h"

namespace qf::profiles {
namespace {

using keys::KeyKind;
using keys::KeyRecord;
using testing::kProgram;
using testing::kProgramRecord;
using testing::kText;
using testing::kTextRecord;
using testing::SampleContents;

constexpr auto Kind(KeyKind kind) {
    return static_cast<std::uint16_t>(kind);
}

class EditedRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto access = store.Lock();
        *access = SampleContents();
        // Reserved bytes that a write must keep.
        KeyRecord record = access->Record(kTextRecord);
        record.reserved0 = 0x11223344;
        record.reserved1 = 0x55667788;
        ASSERT_TRUE(access->SetRecord(kTextRecord, record));
    }

    ProfileStore store;
};

TEST_F(EditedRecordTest, AChangedKindDropsTheStringAndKeepsTheReservedBytes) {
    auto access = store.Lock();
    const std::uint32_t total = access->strings.Total();
    ASSERT_TRUE(WriteEditedRecord(access, 0, kTextRecord, Kind(KeyKind::Key), 0, 0x01E));

    const KeyRecord record = access->Record(kTextRecord);
    EXPECT_EQ(record.kind, Kind(KeyKind::Key));
    EXPECT_EQ(record.extra, 0);
    EXPECT_EQ(record.value, 0x01Eu);
    EXPECT_EQ(record.reserved0, 0x11223344u);
    EXPECT_EQ(record.reserved1, 0x55667788u);
    EXPECT_FALSE(access->strings.Has(kTextRecord));
    EXPECT_EQ(access->strings.Total(), total - StringByteLength(kText.size()));
    // The other strings stay.
    EXPECT_EQ(access->strings.Get(kProgramRecord), kProgram);
}

TEST_F(EditedRecordTest, TheSameKindKeepsTheString) {
    auto access = store.Lock();
    const std::uint32_t total = access->strings.Total();
    const KeyRecord before = access->Record(kTextRecord);
    ASSERT_TRUE(WriteEditedRecord(access, 0, kTextRecord, before.kind, before.extra, before.value));
    EXPECT_EQ(access->Record(kTextRecord), before);
    EXPECT_EQ(access->strings.Get(kTextRecord), kText);
    EXPECT_EQ(access->strings.Total(), total);
}

TEST_F(EditedRecordTest, TheSlotIsTheStoreWideRecordNumber) {
    // kProgramRecord is record 188 of block 1: writing record 188 of block 0 leaves it alone.
    const std::size_t k = kProgramRecord % keys::kRecordsPerBlock;
    auto access = store.Lock();
    ASSERT_TRUE(WriteEditedRecord(access, 0, k, Kind(KeyKind::Media), 0, 3));
    EXPECT_EQ(access->strings.Get(kProgramRecord), kProgram);
    EXPECT_EQ(access->Record(kProgramRecord).keyKind(), KeyKind::Program);

    ASSERT_TRUE(WriteEditedRecord(access, 1, k, Kind(KeyKind::Default), 0, 0));
    EXPECT_FALSE(access->strings.Has(kProgramRecord));
    EXPECT_EQ(access->Record(kProgramRecord).keyKind(), KeyKind::Default);
    EXPECT_EQ(access->BlockRecord(0, k).keyKind(), KeyKind::Media);
}

TEST_F(EditedRecordTest, OutOfRangeOrWithoutMainBlockChangesNothing) {
    auto access = store.Lock();
    const StoreContents before = *access;
    EXPECT_FALSE(WriteEditedRecord(access, 4, 0, Kind(KeyKind::Key), 0, 0x01E));
    EXPECT_FALSE(WriteEditedRecord(access, 0, keys::kRecordsPerBlock, Kind(KeyKind::Key), 0, 1));
    EXPECT_EQ(access->mainBlock, before.mainBlock);
    EXPECT_EQ(access->strings, before.strings);

    access->FreeContents();
    EXPECT_FALSE(WriteEditedRecord(access, 0, kTextRecord, Kind(KeyKind::Key), 0, 0x01E));
    EXPECT_FALSE(access->HasMainBlock());
}

}  // namespace
}  // namespace qf::profiles
