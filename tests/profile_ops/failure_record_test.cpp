// Where a download, an import, a read into a file and an Apply failed: the failure record each
// returns, filled by the command that failed first. Faults are injected by the virtual keyboard
// at a known report, so the expected place follows from the order of the reports.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/failure.h"
#include "device/memory_layout.h"
#include "device/report.h"
#include "device/result.h"
#include "profile_ops/profile_ops_fixture.h"

namespace qf::profiles::testing {
namespace {

using device::Command;
using device::DeviceResult;

constexpr unsigned kReportsPerKeymap =
    (device::kKeymapBlockSize + device::kReportDataSize - 1) / device::kReportDataSize;

class FailureRecordTest : public ProfileOpsTest {
protected:
    void SetUp() override {
        ProfileOpsTest::SetUp();
        ASSERT_EQ(transfers.LoadProfileFromKeyboard(false), 1);
        store.Lock()->macros = {MakeMacro(1, u"long enough for two reports", 12)};
        // A healthy download first: how many reports its macro memory image takes.
        DownloadReport healthy;
        ASSERT_EQ(transfers.ApplyStoreToKeyboard(true, &healthy), 1);
        ASSERT_FALSE(healthy.failure.failed());
        macroReports = (healthy.imageSize + device::kReportDataSize - 1) / device::kReportDataSize;
        ASSERT_GE(macroReports, 2u);
        keyboard.ClearTrace();
    }

    // The report of an all-profile download that carries chunk `chunk` of keymap `block`:
    // BeginTransfer, the macro memory, then the keymaps in order.
    unsigned DownloadReportOf(unsigned block, unsigned chunk) const {
        return 1 + macroReports + block * kReportsPerKeymap + chunk;
    }

    unsigned macroReports = 0;
};

TEST_F(FailureRecordTest, DownloadNamesTheFirstReportThatFailed) {
    // The keyboard goes away at chunk 3 of keymap 1; every later command fails too (no
    // keyboard), and the record keeps the first.
    keyboard.UnplugBeforeReport(DownloadReportOf(1, 3));
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 0);
    const device::Failure& f = report.failure;
    EXPECT_EQ(f.code, DeviceResult::WriteRefused);
    EXPECT_EQ(f.command, Command::WriteKeymapBlock);
    EXPECT_EQ(f.block, 1);
    EXPECT_EQ(f.chunk, 3);
    EXPECT_EQ(device::Describe(f), "write refused at WriteKeymapBlock block 1 chunk 3");
    EXPECT_EQ(WriteSequenceResult(f), DeviceResult::WriteRefused);

    // The next download starts with a clean record.
    keyboard.Plug();
    keyboard.ClearFaults();
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 1);
    EXPECT_FALSE(report.failure.failed());
}

TEST_F(FailureRecordTest, AFailureEarlyInTheSequenceIsKeptThoughLaterCommandsSucceed) {
    // Status 0xFE on all three sends of BeginTransfer; the writes after it go through.
    keyboard.InjectStatus(device::report::kStatusFailFE, 3);
    DownloadReport report;
    EXPECT_EQ(transfers.ApplyStoreToKeyboard(true, &report), 0);
    EXPECT_EQ(device::Describe(report.failure), "status 0xFE at BeginTransfer");
    EXPECT_EQ(report.profiles, (std::vector<unsigned>{0, 1, 2}));
}

TEST_F(FailureRecordTest, ImportNamesTheReportAndTheFile) {
    StoreContents contents;
    contents.mainBlock = NewMainBlock(0);
    contents.macros = {MakeMacro(1, u"long enough for two reports", 12)};
    const auto path = ProfileFolder() / "import.fwc";
    ASSERT_EQ(WriteProfileFile(path, contents), 1);
    keyboard.ClearTrace();

    keyboard.UnplugBeforeReport(DownloadReportOf(2, 1));
    DownloadReport report;
    const ImportResult result = transfers.ImportProfileFile(path, &report);
    EXPECT_EQ(result.result, 1);
    EXPECT_EQ(result.download, DeviceResult::WriteRefused);
    EXPECT_EQ(result.failure.command, Command::WriteKeymapBlock);
    EXPECT_EQ(result.failure.block, 2);
    EXPECT_EQ(result.failure.chunk, 1);
    EXPECT_EQ(result.failure.file, path.string());
    EXPECT_EQ(device::Describe(result.failure),
              "write refused at WriteKeymapBlock block 2 chunk 1, file " + path.string());
    // The download report holds the same place.
    EXPECT_EQ(device::DescribePlace(report.failure), "WriteKeymapBlock block 2 chunk 1");
}

TEST_F(FailureRecordTest, ReadIntoAFileNamesTheReadThatFailedAndTheFile) {
    // The read: the device info (one report), keymaps 0, 1, 2, then the macro memory.
    const auto path = ProfileFolder() / "read.fwc";
    keyboard.UnplugBeforeReport(1 + kReportsPerKeymap + 2);
    std::string error;
    device::Failure failure;
    EXPECT_EQ(transfers.ReadKeyboardIntoFile(path, &error, &failure), 0);
    EXPECT_EQ(error, "keymap 1 cannot be read");
    EXPECT_EQ(device::Describe(failure),
              "write refused at ReadKeymapBlock block 1 chunk 2, file " + path.string());
    EXPECT_FALSE(std::filesystem::exists(path));

    // A read that goes through leaves no failure behind.
    keyboard.Plug();
    keyboard.ClearFaults();
    EXPECT_EQ(transfers.ReadKeyboardIntoFile(path, &error, &failure), 1);
    EXPECT_FALSE(failure.failed());
    EXPECT_EQ(device::Describe(failure), "none");
}

TEST_F(FailureRecordTest, ReadIntoTheStoreNamesTheMacroMemoryRead) {
    const std::vector<std::uint8_t> before = store.Lock()->mainBlock;
    // After the device info and the three keymaps, the first report of the macro memory.
    keyboard.UnplugBeforeReport(1 + 3 * kReportsPerKeymap + 1);
    device::Failure failure;
    failure.reason = "left from an earlier call";
    EXPECT_EQ(transfers.ReadKeyboardIntoStore(nullptr, &failure), 0);
    EXPECT_EQ(device::Describe(failure), "write refused at ReadMacroArea chunk 1");
    EXPECT_EQ(store.Lock()->mainBlock, before);

    keyboard.Plug();
    keyboard.ClearFaults();
    EXPECT_EQ(transfers.ReadKeyboardIntoStore(nullptr, &failure), 1);
    EXPECT_FALSE(failure.failed());
}

TEST_F(FailureRecordTest, ApplyNamesTheCacheFileItCouldNotSave) {
    // Without the cache file (it is made only by reading the keyboard) Apply cannot save it.
    std::filesystem::remove(CachePath());
    host.unapplied = true;
    ApplyReport report;
    EXPECT_EQ(transfers.ApplyChanges(&report), 0);
    EXPECT_EQ(report.download, 1);
    EXPECT_TRUE(report.failure.failed());
    EXPECT_EQ(report.failure.code, DeviceResult::Ok);
    EXPECT_EQ(report.failure.file, CachePath().string());

    // Both halves fail: the record keeps the cache file, the download report the keyboard's.
    keyboard.Unplug();
    EXPECT_EQ(transfers.ApplyChanges(&report), 0);
    EXPECT_EQ(report.failure.file, CachePath().string());
    EXPECT_EQ(report.downloadReport.failure.code, DeviceResult::NoDevice);
}

}  // namespace
}  // namespace qf::profiles::testing
