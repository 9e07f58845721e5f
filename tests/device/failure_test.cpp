// Result descriptions and the failure record: what the command line and the windows print.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "device/failure.h"
#include "device/result.h"

namespace qf::device::test {
namespace {

struct Described {
    DeviceResult result;
    int number;
    const char* text;
};

// Each result keeps the protocol's number and its own description.
TEST(DeviceResultTest, EveryResultHasItsNumberAndDescription) {
    const Described table[] = {
        {DeviceResult::Ok, 1, "success"},
        {DeviceResult::NoDevice, 0, "no keyboard"},
        {DeviceResult::WriteRefused, -1, "write refused"},
        {DeviceResult::NoReply, -2, "no reply"},
        {DeviceResult::StatusFF, -102, "status 0xFF"},
        {DeviceResult::StatusFE, -103, "status 0xFE"},
        {DeviceResult::BlockOutOfRange, -201, "block out of range"},
        {DeviceResult::BadArgument, -202, "invalid argument"},
    };
    for (const Described& d : table) {
        SCOPED_TRACE(d.text);
        EXPECT_EQ(ToInt(d.result), d.number);
        EXPECT_EQ(DescribeResult(d.result), d.text);
        std::ostringstream out;
        out << d.result;
        EXPECT_EQ(out.str(), std::string(d.text) + " (" + std::to_string(d.number) + ")");
    }
    // A number no operation returns (a value read from elsewhere) is not mistaken for one.
    EXPECT_EQ(DescribeResult(static_cast<DeviceResult>(7)), "unknown result");
}

TEST(FailureTest, DescribesTheCommandAndItsPlace) {
    EXPECT_EQ(Describe(Failure{}), "none");
    EXPECT_FALSE(Failure{}.failed());
    // Ok is no failure, whatever command it names.
    EXPECT_FALSE(Failure::Of(DeviceResult::Ok, Command::WriteKeymapBlock, 1, 3).failed());

    Failure f = Failure::Of(DeviceResult::StatusFF, Command::WriteKeymapBlock, 1, 3);
    EXPECT_TRUE(f.failed());
    EXPECT_EQ(Describe(f), "status 0xFF at WriteKeymapBlock block 1 chunk 3");
    f.file = "/tmp/p.fwc";
    EXPECT_EQ(Describe(f), "status 0xFF at WriteKeymapBlock block 1 chunk 3, file /tmp/p.fwc");
    EXPECT_EQ(Describe(Failure::Of(DeviceResult::NoReply, Command::EndTransfer)),
              "no reply at EndTransfer");
    std::ostringstream named;
    named << Command::ReadUserColours;
    EXPECT_EQ(named.str(), "ReadUserColours");

    Failure file;
    file.reason = "the file cannot be written: permission denied";
    file.file = "/ro/x.fwc";
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(Describe(file), "the file cannot be written: permission denied, file /ro/x.fwc");
}

TEST(FailureTest, KeepsTheFirstFailureAndTheFileAlreadyNamed) {
    Failure kept;
    kept.file = "/home/u/import.fwc";
    EXPECT_EQ(kept.KeepFirst(DeviceResult::Ok, Command::BeginTransfer), DeviceResult::Ok);
    EXPECT_FALSE(kept.failed());
    EXPECT_EQ(kept.KeepFirst(DeviceResult::WriteRefused, Command::WriteMacroArea),
              DeviceResult::WriteRefused);
    kept.KeepFirst(Failure::Of(DeviceResult::NoDevice, Command::EndTransfer));
    EXPECT_EQ(kept.code, DeviceResult::WriteRefused);
    EXPECT_EQ(kept.command, Command::WriteMacroArea);
    EXPECT_EQ(kept.file, "/home/u/import.fwc");

    // A reason counts as a failure too: a later command's failure does not replace it.
    Failure reason;
    reason.reason = "the profile cache file cannot be saved";
    reason.KeepFirst(Failure::Of(DeviceResult::StatusFE, Command::WriteKeymapBlock, 0, 1));
    EXPECT_EQ(reason.code, DeviceResult::Ok);
    EXPECT_FALSE(reason.command.has_value());
}

}  // namespace
}  // namespace qf::device::test
