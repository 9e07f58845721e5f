// The virtual keyboard's firmware serving any sequence of requests, as a misbehaving host might
// send them: every reply is a sealed frame of the request's command, and the memory areas keep
// their sizes.
#include <cstddef>
#include <cstdint>

#include "common/bytes.h"
#include "device/report.h"
#include "device/services/virtual/firmware.h"
#include "device/services/virtual/keyboard_memory.h"
#include "fuzz_check.h"

using namespace qf::vkbd;
using qf::device::Report;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    KeyboardMemory memory(static_cast<std::uint8_t>(data[0]));
    Firmware firmware(memory);
    std::size_t sizes[kAreaCount];
    for (std::size_t a = 0; a < kAreaCount; ++a) {
        sizes[a] = memory.Size(static_cast<Area>(a));
    }
    for (std::size_t at = 1; at < size; at += qf::device::kReportSize) {
        Report request{};
        for (std::size_t i = 0; i < request.size() && at + i < size; ++i) {
            request[i] = data[at + i];
        }
        // Most requests are well framed, so that the firmware's commands are reached; a first
        // byte of 0xEE keeps the frame as given.
        if (request[0] != 0xEE) {
            request[0] = qf::device::report::kReportId;
            SealFrame(request);
        }
        const Report reply = firmware.Serve(request);
        QF_FUZZ_CHECK(reply[qf::device::report::kCommand] == request[qf::device::report::kCommand]);
        QF_FUZZ_CHECK(FrameChecksum(reply) == qf::ReadLe16(reply.data() + 1));
        for (std::size_t a = 0; a < kAreaCount; ++a) {
            if (static_cast<Area>(a) != Area::MacroMemory) {
                QF_FUZZ_CHECK(memory.Size(static_cast<Area>(a)) == sizes[a]);
            }
        }
        QF_FUZZ_CHECK(memory.Size(Area::MacroMemory) == std::size_t{memory.macroUnits()} * 128u);
    }
    return 0;
}
