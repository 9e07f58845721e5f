#include "device/report.h"

#include "common/bytes.h"

namespace qf::device {

std::uint16_t ComputeChecksum(const Report& frame) {
    std::uint32_t sum = 0;
    for (std::size_t i = report::kCommand; i < kReportSize; ++i) {
        sum += frame[i];
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void StoreChecksum(Report& frame) {
    WriteLe16(frame.data() + report::kChecksum, ComputeChecksum(frame));
}

Report BlankFrame() {
    Report frame{};
    frame[report::kId] = report::kReportId;
    return frame;
}

}  // namespace qf::device
