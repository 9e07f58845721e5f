// Result codes shared by every device operation: 1 is success, anything else a failure.
#pragma once

#include <cstdint>
#include <string_view>

namespace qf::device {

inline constexpr int kOk = 1;
inline constexpr int kNoDevice = 0;            // no keyboard (nothing sent), or the wait failed
inline constexpr int kWriteRefused = -1;       // the device service refused the write
inline constexpr int kNoReply = -2;            // three attempts without a reply to this command
inline constexpr int kStatusFF = -102;         // the keyboard answered with status 0xFF
inline constexpr int kStatusFE = -103;         // the keyboard answered with status 0xFE
inline constexpr int kBlockOutOfRange = -201;  // keymap block number 3 or more
// Refused before anything was sent: a length or address that does not fit the report.
inline constexpr int kBadArgument = -202;

// A short English description for logs and the command line ("no reply", ...).
std::string_view DescribeResult(int result);

}  // namespace qf::device
