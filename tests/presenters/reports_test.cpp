// The macro memory meter and the failure texts of Apply, import and export.
#include <gtest/gtest.h>

#include "presenters/reports.h"

namespace qf::presenters {
namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

TEST(MacroMeterTest, WithAndWithoutNames) {
    MacroMeter meter = DescribeMacroMemory({300, 200}, 4096);
    EXPECT_EQ(meter.text, "macro memory: 300 / 4096 bytes");
    EXPECT_EQ(meter.used, 300u);
    EXPECT_FALSE(meter.namesDropped);
    EXPECT_FALSE(meter.tooLarge);

    // Exactly full still keeps the names.
    EXPECT_FALSE(DescribeMacroMemory({4096, 3000}, 4096).namesDropped);

    meter = DescribeMacroMemory({5000, 4000}, 4096);
    EXPECT_EQ(meter.text,
              "macro memory: 4000 / 4096 bytes without names (5000 with names): the macro names "
              "will be left out");
    EXPECT_EQ(meter.used, 4000u);
    EXPECT_TRUE(meter.namesDropped);

    meter = DescribeMacroMemory({6000, 5000}, 4096);
    EXPECT_TRUE(meter.tooLarge);
    EXPECT_EQ(meter.text,
              "macro memory: 5000 / 4096 bytes without names: the macros do not fit, nothing "
              "will be written");

    // No keyboard has told its capacity yet.
    meter = DescribeMacroMemory({16, 16}, 0);
    EXPECT_EQ(meter.text, "macro memory: 16 bytes");
    EXPECT_FALSE(meter.tooLarge);
}

TEST(ApplyFailureTest, SaysWhichHalfFailed) {
    const std::filesystem::path cache = "/home/u/Documents/Quillfen_09A/$Profile0";
    profiles::ApplyReport report;
    report.attempted = true;
    report.download = 0;
    report.downloadReport.failure = device::Failure::Of(device::DeviceResult::StatusFF,
                                                        device::Command::WriteKeymapBlock, 1, 3);
    std::string text = DescribeApplyFailure(report, cache, true);
    EXPECT_TRUE(Contains(text, "not written to the keyboard")) << text;
    EXPECT_TRUE(Contains(text, "status 0xFF")) << text;
    EXPECT_TRUE(Contains(text, "-102")) << text;
    EXPECT_TRUE(Contains(text, "at WriteKeymapBlock block 1 chunk 3")) << text;
    EXPECT_FALSE(Contains(text, "cache")) << text;
    EXPECT_TRUE(Contains(text, "Apply stays enabled")) << text;

    report.cacheSaved = 0;
    report.cacheError = "disk full";
    text = DescribeApplyFailure(report, cache, true);
    EXPECT_TRUE(Contains(text, "not written to the keyboard")) << text;
    EXPECT_TRUE(Contains(text, "not saved either: disk full")) << text;

    report.download = 1;
    report.downloadReport = {};
    text = DescribeApplyFailure(report, cache, false);
    EXPECT_FALSE(Contains(text, "not written to the keyboard")) << text;
    EXPECT_TRUE(Contains(text, "written to the keyboard, but the profile cache file was not saved"))
        << text;
    EXPECT_TRUE(Contains(text, "no profile cache file " + cache.string())) << text;

    profiles::DownloadReport tooLong;
    tooLong.tooLong = true;
    tooLong.capacity = 4096;
    EXPECT_TRUE(Contains(DescribeDownloadProblem(tooLong), "nothing was written"));
    profiles::DownloadReport refused;
    refused.failure.reason = "the keyboard reports active profile 7";
    EXPECT_TRUE(Contains(DescribeDownloadProblem(refused),
                         "nothing was sent: the keyboard reports active profile 7"));
    // A device info that cannot be read stops the download before anything is written.
    profiles::DownloadReport unread;
    unread.failure =
        device::Failure::Of(device::DeviceResult::NoReply, device::Command::ReadDeviceInfo);
    const std::string text2 = DescribeDownloadProblem(unread);
    EXPECT_TRUE(Contains(text2, "nothing was sent")) << text2;
    EXPECT_TRUE(Contains(text2, "no reply")) << text2;
}

TEST(ApplyFailureTest, ImportAndExport) {
    profiles::DownloadReport report;
    report.failure =
        device::Failure::Of(device::DeviceResult::NoDevice, device::Command::BeginTransfer);
    const std::string import = DescribeImportDownloadFailure(report);
    EXPECT_TRUE(Contains(import, "no keyboard")) << import;
    EXPECT_TRUE(Contains(import, "all three profiles")) << import;

    const std::string exported = DescribeExportFailure("/tmp/x/out.fwc", "permission denied");
    EXPECT_TRUE(Contains(exported, "/tmp/x/out.fwc: permission denied.")) << exported;
    EXPECT_TRUE(Contains(exported, "unchanged")) << exported;
}

}  // namespace
}  // namespace qf::presenters
