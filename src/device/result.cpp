#include "device/result.h"

namespace qf::device {

std::string_view DescribeResult(int result) {
    switch (result) {
        case kOk:
            return "success";
        case kNoDevice:
            return "no keyboard";
        case kWriteRefused:
            return "write refused";
        case kNoReply:
            return "no reply";
        case kStatusFF:
            return "status 0xFF";
        case kStatusFE:
            return "status 0xFE";
        case kBlockOutOfRange:
            return "block out of range";
        case kBadArgument:
            return "invalid argument";
        default:
            return "unknown result";
    }
}

}  // namespace qf::device
