// The tracing decorator between the device link and a device service (the virtual keyboard).
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "device/report.h"
#include "device/result.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "device/tracing_service.h"

namespace qf::device {
namespace {

class TracingTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::tmpfile();
        ASSERT_NE(file_, nullptr);
        tracing_ = std::make_unique<TracingService>(keyboard_, file_);
        link_ = std::make_unique<DeviceLink>(*tracing_, TransactionTiming::Scaled(0.1));
        ASSERT_EQ(link_->IssueReadRequests(), 1);
    }
    void TearDown() override {
        link_.reset();
        tracing_.reset();
        std::fclose(file_);
    }

    std::vector<std::string> Lines() {
        keyboard_.WaitIdle();
        std::fflush(file_);
        std::rewind(file_);
        std::vector<std::string> lines;
        char buffer[1024];
        while (std::fgets(buffer, sizeof buffer, file_) != nullptr) {
            std::string line(buffer);
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

    vkbd::VirtualKeyboard keyboard_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<TracingService> tracing_;
    std::unique_ptr<DeviceLink> link_;
};

TEST_F(TracingTest, RequestThenReplyInTheReportFormat) {
    DeviceInfoBlock info;
    ASSERT_EQ(link_->commands().ReadDeviceInfo(info), DeviceResult::Ok);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    // Command 3, length 44: checksum 0x2f.
    EXPECT_EQ(lines[0].rfind("> CTRL 04 2f 00 03 2c 00 00 00", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("< CTRL 04 ", 0), 0u) << lines[1];
    const std::regex report("[<>] (CTRL|CONS|LED)( [0-9a-f]{2}){64}");
    EXPECT_TRUE(std::regex_match(lines[0], report));
    EXPECT_TRUE(std::regex_match(lines[1], report));
    // The reply traced is the one the command decoded: byte 3 of the reply is the command,
    // and the active profile is byte 8 + 10 of the report.
    EXPECT_EQ(lines[1].substr(2 + 5 + 3 * 3, 2), "03");
}

TEST_F(TracingTest, RefusedWritesAreCommentsAfterTheirReport) {
    keyboard_.InjectWriteRefusal(3);
    DeviceInfoBlock info;
    EXPECT_EQ(link_->commands().ReadDeviceInfo(info), DeviceResult::WriteRefused);
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("> CTRL ", 0), 0u);
    EXPECT_EQ(lines[1], "# write refused by the device service (result 0)");
    for (const auto& line : lines) {
        EXPECT_TRUE(line[0] == '>' || line[0] == '#') << line;
    }
}

TEST_F(TracingTest, ConsumerEventsAndLedStatusAndPresence) {
    keyboard_.PressBankSwitch();
    keyboard_.WaitIdle();  // delivered on the keyboard's thread
    ASSERT_EQ(link_->WriteLedStatus({0x01, 0x02}), 1);
    keyboard_.WaitIdle();  // an unplug drops the events not yet delivered
    keyboard_.Unplug();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "< CONS ff 02");
    EXPECT_EQ(lines[1], "> LED 01 02");
    EXPECT_EQ(lines[2], "# device count changed to 0");
}

TEST_F(TracingTest, WriteObserverSeesControlReportsOnly) {
    std::vector<std::uint8_t> commands;
    tracing_->SetWriteObserver(
        [&](std::span<const std::uint8_t> r) { commands.push_back(r[report::kCommand]); });
    ASSERT_EQ(link_->commands().BeginTransfer(), DeviceResult::Ok);
    ASSERT_EQ(link_->WriteLedStatus({0, 0}), 1);
    ASSERT_EQ(link_->commands().EndTransfer(), DeviceResult::Ok);
    tracing_->SetWriteObserver({});
    ASSERT_EQ(link_->commands().TestCommand(), DeviceResult::Ok);
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{1, 2}));
}

TEST(TraceFormat, InterfacesAndBytes) {
    EXPECT_EQ(InterfaceName(kControlKey), "CTRL");
    EXPECT_EQ(InterfaceName(kConsumerKey), "CONS");
    EXPECT_EQ(InterfaceName(kLedKey), "LED");
    QfRequestKey other = kControlKey;
    other.usage_page = 0x0001;
    EXPECT_EQ(InterfaceName(other), "");
    const std::uint8_t bytes[] = {0x00, 0x0a, 0xff};
    EXPECT_EQ(FormatReportLine(true, "CTRL", bytes), "> CTRL 00 0a ff");
    EXPECT_EQ(FormatReportLine(false, "LED", {}), "< LED");
}

TEST(TraceWithoutFile, PassesEverythingOn) {
    vkbd::VirtualKeyboard keyboard;
    TracingService tracing(keyboard, nullptr);
    DeviceLink link(tracing, TransactionTiming::Scaled(0.1));
    ASSERT_EQ(link.IssueReadRequests(), 1);
    DeviceInfoBlock info;
    EXPECT_EQ(link.commands().ReadDeviceInfo(info), DeviceResult::Ok);
    EXPECT_EQ(info.macroMemoryUnits(), 32);
}

}  // namespace
}  // namespace qf::device
