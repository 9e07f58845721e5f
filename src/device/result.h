// Result codes shared by every device operation: Ok is success, anything else a failure. The
// numbers are the keyboard protocol's own and reach the command line and the virtual keyboard's
// wire status, so ToInt is the one place they are read as numbers.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace qf::device {

enum class DeviceResult : int {
    Ok = 1,
    NoDevice = 0,            // no keyboard (nothing sent), or the wait failed
    WriteRefused = -1,       // the device service refused the write
    NoReply = -2,            // three attempts without a reply to this command
    StatusFF = -102,         // the keyboard answered with status 0xFF
    StatusFE = -103,         // the keyboard answered with status 0xFE
    BlockOutOfRange = -201,  // keymap block number 3 or more
    // Refused before anything was sent: a length or address that does not fit the report.
    BadArgument = -202,
};

// The protocol's number for `result` (1, 0, -1, -2, -102, -103, -201, -202).
constexpr int ToInt(DeviceResult result) {
    return static_cast<int>(result);
}

// A short English description for logs and the command line ("no reply", ...).
std::string_view DescribeResult(DeviceResult result);

// "no reply (-2)": for logs and test failure messages.
std::ostream& operator<<(std::ostream& out, DeviceResult result);

}  // namespace qf::device
