#include "profiles/profile_format.h"

#include <gtest/gtest.h>

#include <functional>

#include "profile_fixture.h"

namespace qf::profiles {
namespace {

using testing::kLastText;
using testing::kLastTextRecord;
using testing::kProgram;
using testing::kProgramRecord;
using testing::kText;
using testing::kTextRecord;
using testing::SampleContents;
using testing::SampleFile;

std::uint32_t RecordValue(const std::vector<std::uint8_t>& file, std::size_t n) {
    return ReadLe32(&file[64 + 16 * n + 4]);
}

TEST(NewMainBlockTest, HeaderIdRecordAndGCodes) {
    const auto block = NewMainBlock(1);
    ASSERT_EQ(block.size(), 32832u);
    const std::vector<std::uint8_t> header(block.begin(), block.begin() + 32);
    const std::vector<std::uint8_t> expected{0x46, 0x44, 0x20, 0, 3, 0, 1, 0, 0x40, 0x80, 0,
                                             0,    0x00, 0x08, 0, 0, 0, 0, 0, 0,    0,    0,
                                             0,    0,    0,    0, 0, 0, 0, 0, 1,    0};
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.begin() + 31),
              std::vector<std::uint8_t>(expected.begin(), expected.begin() + 31));
    std::uint8_t sum = 0;
    for (int i = 0; i < 31; ++i) {
        sum = static_cast<std::uint8_t>(sum + block[i]);
    }
    EXPECT_EQ(block[31], sum);
    EXPECT_EQ(ReadLe32(&block[32]), 0x0020484Bu);
    EXPECT_EQ(ReadLe32(&block[48]), 0x65230C45u);
    EXPECT_EQ(ReadLe32(&block[52]), 0x000E1C4Fu);

    StoreContents c;
    c.mainBlock = block;
    for (std::size_t n = 0; n < kKeyRecordCount; ++n) {
        std::uint16_t extra = 0;
        if (n >= 256 && n <= 264) {
            extra = static_cast<std::uint16_t>(0x0301 + (n - 256));
        } else if (n >= 265 && n <= 273) {
            extra = static_cast<std::uint16_t>(0x1301 + (n - 265));
        }
        ASSERT_EQ(c.Record(n), (keys::KeyRecord{0, extra, 0, 0, 0})) << "record " << n;
    }
    EXPECT_EQ(ValidateProfileBytes(block).result, 1);
}

// ---- Validation: a valid file with one field damaged at a time ----

struct HeaderDamage {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> apply;
    bool fixChecksum;  // recompute the checksum so that the damaged field alone is judged
    int result;
    bool formatError;
};

class ValidationTest : public ::testing::TestWithParam<HeaderDamage> {};

TEST_P(ValidationTest, EachFieldIsChecked) {
    auto file = SampleFile();
    GetParam().apply(file);
    if (GetParam().fixChecksum && file.size() >= 32) {
        file[31] = HeaderChecksum(file);
    }
    const Validation v = ValidateProfileBytes(file);
    EXPECT_EQ(v.result, GetParam().result) << v.reason;
    EXPECT_EQ(v.formatError, GetParam().formatError);
    EXPECT_EQ(v.reason.empty(), v.result == 1);
}

auto U16(std::size_t at, std::uint16_t v) {
    return [at, v](std::vector<std::uint8_t>& f) { WriteLe16(&f[at], v); };
}
auto U32(std::size_t at, std::uint32_t v) {
    return [at, v](std::vector<std::uint8_t>& f) { WriteLe32(&f[at], v); };
}
auto Byte(std::size_t at, std::uint8_t v) {
    return [at, v](std::vector<std::uint8_t>& f) { f[at] = v; };
}
auto Size(std::size_t n) {
    return [n](std::vector<std::uint8_t>& f) { f.resize(n, 0); };
}
auto Grow(std::size_t n) {
    return [n](std::vector<std::uint8_t>& f) { f.resize(f.size() + n, 0xAB); };
}
auto CutBy(std::size_t n) {
    return [n](std::vector<std::uint8_t>& f) { f.resize(f.size() - n); };
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ValidationTest,
    ::testing::Values(HeaderDamage{"intact", [](auto&) {}, false, 1, false},
                      HeaderDamage{"magic", U16(0, 0x4447), true, 0, true},
                      HeaderDamage{"header_size", U16(2, 33), true, 0, true},
                      HeaderDamage{"version_a", U16(4, 2), true, 0, true},
                      HeaderDamage{"version_b", U16(6, 0), true, 0, true},
                      HeaderDamage{"total_below_main_block", U32(8, 32831), true, 0, true},
                      HeaderDamage{"total_mismatch", U32(8, 32834), true, 0, true},
                      HeaderDamage{"record_count", U16(12, 2047), true, 0, true},
                      HeaderDamage{"count_101", U16(14, 101), true, 0, true},
                      HeaderDamage{"count_off_by_one", U16(14, 3), true, 0, true},
                      HeaderDamage{"string_bytes", U32(16, 50), true, 0, true},
                      HeaderDamage{"flag_1", Byte(30, 1), true, 1, false},
                      HeaderDamage{"flag_2", Byte(30, 2), true, 0, true},
                      HeaderDamage{"reserved_ignored", U32(20, 0x12345678), true, 1, false},
                      HeaderDamage{"checksum_plus_one", [](auto& f) { ++f[31]; }, false, 0, true},
                      HeaderDamage{"checksum_stale", Byte(30, 1), false, 0, true},
                      HeaderDamage{"empty", Size(0), false, 0, false},
                      HeaderDamage{"below_main_block", Size(32831), false, 0, false},
                      HeaderDamage{"macros_cut_short", Size(32832 + 16512 + 100), false, 0, true},
                      HeaderDamage{"strings_cut_short", CutBy(2), false, 0, true},
                      HeaderDamage{"trailing_bytes", Grow(100), false, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValidationLimits, OneHundredMacrosWithMatchingTotalAreAccepted) {
    StoreContents c = SampleContents();
    c.macros.resize(100);
    std::vector<std::uint8_t> file;
    ASSERT_EQ(BuildProfileFile(c, file), 1);
    EXPECT_EQ(ReadLe16(&file[14]), 100);
    EXPECT_EQ(ValidateProfileBytes(file).result, 1);
    c.macros.resize(101);
    EXPECT_EQ(BuildProfileFile(c, file), 0);
}

// ---- Writing ----

TEST(BuildTest, StringsArePackedInRecordOrderAndRecordsPointAtThem) {
    const auto file = SampleFile();
    const std::uint32_t textBytes = StringByteLength(kText.size());
    const std::uint32_t programBytes = StringByteLength(kProgram.size());
    EXPECT_EQ(programBytes, 18u);
    EXPECT_EQ(RecordValue(file, kTextRecord), 0u);
    EXPECT_EQ(RecordValue(file, kProgramRecord), textBytes);
    EXPECT_EQ(RecordValue(file, kLastTextRecord), textBytes + programBytes);
    const std::uint32_t area = textBytes + programBytes + StringByteLength(kLastText.size());
    EXPECT_EQ(ReadLe32(&file[16]), area);
    EXPECT_EQ(ReadLe32(&file[8]), 32832 + 2 * 16512 + area);
    EXPECT_EQ(file.size(), 32832 + 2 * 16512 + area);
    const std::size_t at = 32832 + 2 * 16512 + textBytes;
    EXPECT_EQ(ReadLe16(&file[at]), u'/');
    EXPECT_EQ(ReadLe16(&file[at + 16]), 0);
}

TEST(BuildTest, TheStoresHeaderDescribesTheLastWrite) {
    StoreContents c = SampleContents();
    c.mainBlock[30] = 1;
    std::vector<std::uint8_t> file;
    ASSERT_EQ(BuildProfileFile(c, file), 1);
    EXPECT_EQ(c.mainBlock[30], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(c.mainBlock.begin(), c.mainBlock.end()),
              std::vector<std::uint8_t>(file.begin(), file.begin() + 32832));
}

TEST(BuildTest, AStringRecordWithoutAStringPointsAtAnEmptyOne) {
    StoreContents c = SampleContents();
    c.strings.Clear(kProgramRecord);
    c.SetRecord(kProgramRecord, {3, 0, 0xFFFF, 0, 0});
    std::vector<std::uint8_t> file;
    ASSERT_EQ(BuildProfileFile(c, file), 1);
    StoreContents back;
    ASSERT_EQ(ParseProfileFile(file, back), 1);
    EXPECT_TRUE(back.strings.Has(kProgramRecord));
    EXPECT_EQ(back.strings.Get(kProgramRecord), u"");
    EXPECT_EQ(back.strings.Get(kLastTextRecord), kLastText);
}

TEST(BuildTest, SlotsOfOtherKindsTakeNoRoom) {
    StoreContents c = SampleContents();
    c.strings.Set(9, u"stale");  // record 9 is kind 0
    std::vector<std::uint8_t> with;
    ASSERT_EQ(BuildProfileFile(c, with), 1);
    EXPECT_EQ(with, SampleFile());
}

// ---- Reading ----

TEST(RoundTrip, SaveLoadSaveGivesTheSameBytesAndSlots) {
    const auto first = SampleFile();
    StoreContents loaded;
    LoadReport report;
    ASSERT_EQ(ParseProfileFile(first, loaded, &report), 1);
    EXPECT_EQ(report.stringsLoaded, 3u);
    EXPECT_EQ(report.damagedStrings, 0u);
    EXPECT_EQ(loaded.strings.Get(kTextRecord), kText);
    EXPECT_EQ(loaded.strings.Get(kProgramRecord), kProgram);
    EXPECT_EQ(loaded.strings.Get(kLastTextRecord), kLastText);
    EXPECT_EQ(loaded.macros, SampleContents().macros);
    std::vector<std::uint8_t> second;
    ASSERT_EQ(BuildProfileFile(loaded, second), 1);
    EXPECT_EQ(second, first);
}

TEST(RoundTrip, UnknownBytesOfTheMainBlockAndMacrosAreKept) {
    auto file = SampleFile();
    WriteLe32(&file[36], 0xCAFEBABE);                // device id record
    WriteLe32(&file[64 + 16 * 40 + 8], 0x01020304);  // a reserved field of a key record
    file[32832 + 501] = 0x5A;                        // a macro's pad byte
    WriteLe32(&file[32832 + 512 + 8 * 1999], 77);    // an unused action slot
    StoreContents loaded;
    ASSERT_EQ(ParseProfileFile(file, loaded), 1);
    std::vector<std::uint8_t> again;
    ASSERT_EQ(BuildProfileFile(loaded, again), 1);
    EXPECT_EQ(again, file);
}

struct StringDamage {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> apply;
    std::size_t damaged;
    std::u16string text;  // what record 5 holds afterwards
};

class StringDamageTest : public ::testing::TestWithParam<StringDamage> {};

TEST_P(StringDamageTest, DamagedStringsBecomeEmptyAndNothingIsReadPastTheFile) {
    auto file = SampleFile();
    GetParam().apply(file);
    const std::vector<std::uint8_t> exact(file);
    StoreContents loaded;
    LoadReport report;
    ASSERT_EQ(ParseProfileFile(exact, loaded, &report), 1) << report.reason;
    EXPECT_EQ(report.damagedStrings, GetParam().damaged);
    EXPECT_TRUE(loaded.strings.Has(kTextRecord));
    EXPECT_EQ(loaded.strings.Get(kTextRecord), GetParam().text);
    EXPECT_EQ(loaded.Record(kTextRecord).kind, 6);
}

auto Value(std::size_t record, std::uint32_t v) {
    return [record, v](std::vector<std::uint8_t>& f) { WriteLe32(&f[64 + 16 * record + 4], v); };
}

INSTANTIATE_TEST_SUITE_P(
    Strings, StringDamageTest,
    ::testing::Values(
        StringDamage{"intact", [](auto&) {}, 0, kText},
        StringDamage{"offset_past_area", Value(kTextRecord, 1000), 1, u""},
        StringDamage{"offset_huge", Value(kTextRecord, 0xFFFFFFFF), 1, u""},
        StringDamage{"odd_offset_rounds_down", Value(kTextRecord, 3), 0, kText.substr(1)},
        StringDamage{"unterminated_last",
                     [](auto& f) {
                         f.resize(f.size() - 2);  // the last string loses its terminator
                     },
                     1, kText},
        StringDamage{"area_cut_to_nothing", [](auto& f) { f.resize(32832 + 2 * 16512); }, 3, u""},
        StringDamage{"area_cut_mid_first", [](auto& f) { f.resize(32832 + 2 * 16512 + 7); }, 3,
                     u""},
        // Sharing a string is no damage, however many records share it.
        StringDamage{"shared_by_1900_records",
                     [](auto& f) {
                         for (std::size_t n = 100; n < 2000; ++n) {
                             WriteLe16(&f[64 + 16 * n], 6);
                             WriteLe32(&f[64 + 16 * n + 4], 0);
                         }
                     },
                     0, kText}),
    [](const auto& info) { return std::string(info.param.name); });

// Records that share a string, whole or from a later character, each get it; the strings of
// other records stay whole (a share once used up the room of the strings after it).
TEST(SharedStrings, RecordsSharingAStringLeaveTheOtherStringsWhole) {
    auto file = SampleFile();
    const std::uint32_t programOffset = RecordValue(file, kProgramRecord);
    for (const std::size_t n : {100, 101}) {
        WriteLe16(&file[64 + 16 * n], 6);
        WriteLe32(&file[64 + 16 * n + 4], RecordValue(file, kTextRecord));
    }
    WriteLe16(&file[64 + 16 * 102], 3);
    WriteLe32(&file[64 + 16 * 102 + 4], programOffset + 2 * 5);  // "bin" of "/usr/bin"
    StoreContents loaded;
    LoadReport report;
    ASSERT_EQ(ParseProfileFile(file, loaded, &report), 1);
    EXPECT_EQ(report.damagedStrings, 0u);
    EXPECT_EQ(report.stringsLoaded, 6u);
    EXPECT_EQ(loaded.strings.Get(kTextRecord), kText);
    EXPECT_EQ(loaded.strings.Get(100), kText);
    EXPECT_EQ(loaded.strings.Get(101), kText);
    EXPECT_EQ(loaded.strings.Get(kProgramRecord), kProgram);
    EXPECT_EQ(loaded.strings.Get(102), u"bin");
    EXPECT_EQ(loaded.strings.Get(kLastTextRecord), kLastText);
    // Saved, every record has a string of its own.
    std::vector<std::uint8_t> saved;
    ASSERT_EQ(BuildProfileFile(loaded, saved), 1);
    StoreContents again;
    ASSERT_EQ(ParseProfileFile(saved, again, &report), 1);
    EXPECT_EQ(report.damagedStrings, 0u);
    EXPECT_EQ(again.strings, loaded.strings);
}

// Every record pointed at one long string: the copies stop at the allowance, so a small file
// cannot claim gigabytes.
TEST(SharedStrings, CopiesOfALongStringStopAtTheAllowance) {
    constexpr std::size_t kStringBytes = 1024 * 1024;
    StoreContents c;
    c.mainBlock = NewMainBlock(0);
    c.SetRecord(0, keys::KeyRecord{6, 0, 0, 0, 0});
    c.strings.Set(0, std::u16string(kStringBytes / 2 - 1, u'x'));
    std::vector<std::uint8_t> file;
    ASSERT_EQ(BuildProfileFile(c, file), 1);
    for (std::size_t n = 1; n < kKeyRecordCount; ++n) {
        WriteLe16(&file[64 + 16 * n], 6);
        WriteLe32(&file[64 + 16 * n + 4], 0);
    }
    StoreContents loaded;
    LoadReport report;
    ASSERT_EQ(ParseProfileFile(file, loaded, &report), 1);
    const std::size_t copies = kSharedStringAllowance / kStringBytes;
    EXPECT_EQ(report.stringsLoaded, 1 + copies);
    EXPECT_EQ(report.damagedStrings, kKeyRecordCount - 1 - copies);
    EXPECT_EQ(loaded.strings.Total(),
              (1 + copies) * kStringBytes + (kKeyRecordCount - 1 - copies) * 2);
    EXPECT_EQ(loaded.strings.Get(0), c.strings.Get(0));
    EXPECT_EQ(loaded.strings.Get(kKeyRecordCount - 1), u"");
}

TEST(LoadRefusal, CutMacrosAndTooManyMacrosAreRefusedAndLeaveTheTargetAlone) {
    StoreContents target = SampleContents();
    const StoreContents before = target;
    auto cut = SampleFile();
    cut.resize(32832 + 16512 + 16511);
    LoadReport report;
    EXPECT_EQ(ParseProfileFile(cut, target, &report), 0);
    EXPECT_FALSE(report.reason.empty());
    auto many = SampleFile();
    WriteLe16(&many[14], 101);
    many.resize(32832 + 101 * 16512);
    EXPECT_EQ(ParseProfileFile(many, target), 0);
    auto small = SampleFile();
    small.resize(32831);
    EXPECT_EQ(ParseProfileFile(small, target), 0);
    EXPECT_TRUE(target.mainBlock == before.mainBlock && target.macros == before.macros &&
                target.strings == before.strings);
}

}  // namespace
}  // namespace qf::profiles
