#include "device/result.h"

#include <ostream>

namespace qf::device {

std::string_view DescribeResult(DeviceResult result) {
    switch (result) {
        case DeviceResult::Ok:
            return "success";
        case DeviceResult::NoDevice:
            return "no keyboard";
        case DeviceResult::WriteRefused:
            return "write refused";
        case DeviceResult::NoReply:
            return "no reply";
        case DeviceResult::StatusFF:
            return "status 0xFF";
        case DeviceResult::StatusFE:
            return "status 0xFE";
        case DeviceResult::BlockOutOfRange:
            return "block out of range";
        case DeviceResult::BadArgument:
            return "invalid argument";
    }
    return "unknown result";
}

std::ostream& operator<<(std::ostream& out, DeviceResult result) {
    return out << DescribeResult(result) << " (" << ToInt(result) << ')';
}

}  // namespace qf::device
