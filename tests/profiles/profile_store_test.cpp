#include "profiles/profile_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "profile_fixture.h"

namespace qf::profiles {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SampleContents;
using testing::SampleFile;
using testing::TempFolder;
using testing::WriteBytes;

class StoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ProfileFolder(docs.Path());
        ASSERT_EQ(EnsureProfileFolder(folder), 1);
        cache = ProfileCachePath(folder, 0);
    }
    void Fill() {
        auto access = store.Lock();
        *access = SampleContents();
    }

    TempFolder docs;
    fs::path folder;
    fs::path cache;
    ProfileStore store;
};

TEST_F(StoreFileTest, PathsAndTheNewStore) {
    EXPECT_EQ(folder, docs.Path() / "Quillfen_09A");
    EXPECT_EQ(cache, folder / "$Profile0");
    EXPECT_EQ(ProfileCachePath(folder, 1), cache);
    EXPECT_EQ(ProfileCachePath(folder, 2), cache);
    EXPECT_EQ(EnsureProfileFolder(folder), 1);  // already there

    auto access = store.Lock();
    EXPECT_EQ(access->mainBlock, NewMainBlock(0));
    EXPECT_TRUE(access->macros.empty());
    EXPECT_EQ(access->strings.Total(), 0u);
}

TEST_F(StoreFileTest, ExportThenLoadRestoresTheStore) {
    Fill();
    const fs::path file = folder / "mine.fwc";
    ASSERT_EQ(ExportProfileFile(store, file), 1);
    EXPECT_EQ(ReadBytes(file), SampleFile());
    EXPECT_EQ(ValidateProfileFile(file).result, 1);

    ProfileStore other;
    ASSERT_EQ(LoadProfileFile(other, file), 1);
    auto a = store.Lock();
    auto b = other.Lock();
    EXPECT_EQ(b->mainBlock, a->mainBlock);
    EXPECT_EQ(b->macros, a->macros);
    EXPECT_EQ(b->strings, a->strings);

    const fs::path again = folder / "again.fwc";
    ASSERT_EQ(SaveProfileFile(b, again), 1);
    EXPECT_EQ(ReadBytes(again), ReadBytes(file));
}

TEST_F(StoreFileTest, ABrokenFileLeavesTheStoreAsItWas) {
    Fill();
    auto cut = SampleFile();
    cut.resize(40000);
    const fs::path file = folder / "cut.fwc";
    WriteBytes(file, cut);
    LoadReport report;
    EXPECT_EQ(LoadProfileFile(store, file, &report), 0);
    EXPECT_FALSE(report.reason.empty());
    EXPECT_EQ(LoadProfileFile(store, folder / "missing.fwc"), 0);
    auto access = store.Lock();
    EXPECT_EQ(access->macros, SampleContents().macros);
    EXPECT_TRUE(access->HasMainBlock());
}

TEST_F(StoreFileTest, TheCacheIsWrittenOnlyWhenItExists) {
    Fill();
    EXPECT_EQ(SaveProfileCache(store, cache), 0);
    EXPECT_FALSE(fs::exists(cache));
    ASSERT_EQ(WriteBlankProfileFile(cache, 0), 1);
    EXPECT_EQ(ReadBytes(cache), NewMainBlock(0));
    EXPECT_EQ(SaveProfileCache(store, cache), 1);
    EXPECT_EQ(ReadBytes(cache), SampleFile());
}

TEST_F(StoreFileTest, ValidationResultsForMissingSmallAndDamagedFiles) {
    const Validation missing = ValidateProfileFile(folder / "none.fwc");
    EXPECT_EQ(missing.result, 0);
    EXPECT_FALSE(missing.formatError);

    auto bytes = SampleFile();
    bytes.resize(32831);
    WriteBytes(folder / "small.fwc", bytes);
    const Validation small = ValidateProfileFile(folder / "small.fwc");
    EXPECT_EQ(small.result, 0);
    EXPECT_FALSE(small.formatError);

    bytes = SampleFile();
    ++bytes[31];
    WriteBytes(folder / "sum.fwc", bytes);
    const Validation sum = ValidateProfileFile(folder / "sum.fwc");
    EXPECT_EQ(sum.result, 0);
    EXPECT_TRUE(sum.formatError);
}

TEST_F(StoreFileTest, AReadOnlyFileValidatesAndLoads) {
    const fs::path file = folder / "ro.fwc";
    WriteBytes(file, SampleFile());
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(ValidateProfileFile(file).result, 1);
    EXPECT_EQ(LoadProfileFile(store, file), 1);
    EXPECT_EQ(store.Lock()->macros.size(), 2u);
}

TEST_F(StoreFileTest, AnUnreadableFileIsUnopenable) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files without read permission";
    }
    const fs::path file = folder / "closed.fwc";
    WriteBytes(file, SampleFile());
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    EXPECT_EQ(ValidateProfileFile(file).result, -2);
}

TEST_F(StoreFileTest, AFailedExportSaysWhy) {
    Fill();
    std::string error;
    EXPECT_EQ(ExportProfileFile(store, folder / "no-such-folder" / "x.fwc", &error), 0);
    EXPECT_FALSE(error.empty());
}

TEST_F(StoreFileTest, SavingWithoutFlushWritesTheSameBytes) {
    Fill();
    SaveOptions quick;
    quick.flush = false;
    ASSERT_EQ(SaveProfileFile(store, folder / "quick.fwc", quick), 1);
    EXPECT_EQ(ReadBytes(folder / "quick.fwc"), SampleFile());
    EXPECT_EQ(docs.Names().size(), 1u);
}

// ---- Crash safety: a failure at any step of a save keeps the old file complete ----

class CrashSafeSaveTest : public StoreFileTest,
                          public ::testing::WithParamInterface<text::WriteStep> {};

TEST_P(CrashSafeSaveTest, TheOldFileSurvivesAFailureAtEachStep) {
    ASSERT_EQ(WriteBlankProfileFile(cache, 0), 1);
    const auto old = ReadBytes(cache);
    Fill();
    text::WriteFaults faults;
    faults.beforeStep = [&](text::WriteStep step) { return step != GetParam(); };
    SaveOptions options;
    options.faults = &faults;
    std::string error;
    EXPECT_EQ(SaveProfileCache(store, cache, options, &error), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(cache), old);
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "$Profile0");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    std::string exportError;
    EXPECT_EQ(ExportProfileFile(store, folder / "new.fwc", &exportError, options), 0);
    EXPECT_FALSE(exportError.empty());
    EXPECT_FALSE(fs::exists(folder / "new.fwc"));
}

INSTANTIATE_TEST_SUITE_P(Steps, CrashSafeSaveTest,
                         ::testing::Values(text::WriteStep::CreateTemp, text::WriteStep::Write,
                                           text::WriteStep::Flush, text::WriteStep::Close,
                                           text::WriteStep::Rename));

// ---- The macro list ----

class CommitTest : public ::testing::Test {
protected:
    static keys::KeyRecord MacroKey(std::uint32_t id) { return {4, 1, id, 0, 0}; }
    static macros::MacroRecord Macro(std::uint16_t id, std::uint16_t newMark = 0) {
        macros::MacroRecord m;
        m.id = id;
        m.newMark = newMark;
        m.SetName(macros::NumberedName(u"Macro", id));
        return m;
    }
    void SetUp() override {
        auto access = store.Lock();
        for (std::size_t block = 0; block < 4; ++block) {
            access->SetBlockRecord(block, 10, MacroKey(5));
        }
        access->SetBlockRecord(1, 11, MacroKey(3));
        access->SetBlockRecord(2, 12, MacroKey(0));
        access->SetBlockRecord(0, 13, MacroKey(7));
        access->macros = {Macro(3), Macro(5)};
    }
    ProfileStore store;
};

TEST_F(CommitTest, KeysOfADeletedMacroReturnToDefaultInEveryBlock) {
    const CommitResult r = CommitMacroList(store, {Macro(3), Macro(7, 1)});
    EXPECT_TRUE(r.installed);
    EXPECT_TRUE(r.changed);
    auto access = store.Lock();
    for (std::size_t block = 0; block < 4; ++block) {
        EXPECT_EQ(access->BlockRecord(block, 10).kind, 0) << block;
    }
    EXPECT_EQ(access->BlockRecord(1, 11), MacroKey(3));
    EXPECT_EQ(access->BlockRecord(2, 12), MacroKey(3));  // value 0 takes the first macro
    // Id 7 exists only as a new macro of the editor: a key cannot keep it.
    EXPECT_EQ(access->BlockRecord(0, 13).kind, 0);
    EXPECT_EQ(r.resetRecords, (std::vector<std::size_t>{10, 13, 512 + 10, 1024 + 10, 1536 + 10}));
    ASSERT_EQ(access->macros.size(), 2u);
    EXPECT_EQ(access->macros[1].id, 7);
    EXPECT_EQ(access->macros[1].newMark, 0);
    EXPECT_EQ(MacroIdToIndex(store, 7), 1u);
    EXPECT_EQ(MacroIndexToId(store, 0), 3);
}

TEST_F(CommitTest, AnEmptyListLeavesValueZeroKeysAlone) {
    const CommitResult r = CommitMacroList(store, {});
    EXPECT_TRUE(r.installed);
    auto access = store.Lock();
    EXPECT_EQ(access->BlockRecord(2, 12), MacroKey(0));
    EXPECT_EQ(access->BlockRecord(1, 11).kind, 0);
    EXPECT_TRUE(access->macros.empty());
}

TEST_F(CommitTest, MoreThanAHundredMacrosAreRefused) {
    std::vector<macros::MacroRecord> list(101);
    const CommitResult r = CommitMacroList(store, std::move(list));
    EXPECT_FALSE(r.installed);
    EXPECT_FALSE(r.changed);
    auto access = store.Lock();
    EXPECT_EQ(access->macros.size(), 2u);
    EXPECT_EQ(access->BlockRecord(0, 10), MacroKey(5));
}

// ---- Staging ----

TEST(StagingTest, TheCopyHoldsTheStoreWithARefreshedHeader) {
    ProfileStore store;
    auto access = store.Lock();
    *access = SampleContents();
    access->mainBlock[30] = 1;
    {
        StagingStore::Access staging = CopyStoreToStaging(access);
        EXPECT_TRUE(store.staging().HeldByThisThread());
        EXPECT_EQ(staging->macros, access->macros);
        const auto file = SampleFile();
        EXPECT_EQ(staging->mainBlock,
                  std::vector<std::uint8_t>(file.begin(), file.begin() + 32832));
        EXPECT_EQ(staging->Record(testing::kProgramRecord).value,
                  access->Record(testing::kProgramRecord).value);
        EXPECT_EQ(macros::MacroImageSizes(staging->macros).withoutNames,
                  MacroImageSizes(store.staging()).withoutNames);
    }
    EXPECT_FALSE(store.staging().HeldByThisThread());
}

}  // namespace
}  // namespace qf::profiles
