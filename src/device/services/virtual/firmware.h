// The keyboard's firmware: serves one control report from the keyboard's memory.
//
// A request is carried out only when it is well formed: report id 4, a correct checksum, a
// known command, and a length and address that lie inside the command's memory area. Anything
// else is refused with status 0xFF and changes nothing, as careful firmware does.
#pragma once

#include <cstdint>

#include "device/report.h"
#include "device/services/virtual/keyboard_memory.h"

namespace qf::vkbd {

using qf::device::Report;

// Sum of bytes 3..63 modulo 65536, as the frame's bytes 1-2 carry it.
std::uint16_t FrameChecksum(const Report& frame);
// Stores FrameChecksum in bytes 1-2.
void SealFrame(Report& frame);

// A reply frame to `request`: id 4, the request's command, bytes 4-6 echoed, `status`, data
// zero, checksum sealed.
Report ReplyFrame(const Report& request, std::uint8_t status);

class Firmware {
public:
    explicit Firmware(KeyboardMemory& memory) : memory_(memory) {}

    // Carries out the request and returns the sealed reply: status 0 and the data read, or
    // status 0xFF for a request that cannot be served.
    Report Serve(const Report& request);

private:
    // Each returns the reply status; reads fill `reply`'s data bytes.
    std::uint8_t ReadDeviceInfo(const Report& request, Report& reply);
    std::uint8_t WriteDeviceInfo(const Report& request);
    // Settings and user colours: a read fills all 56 data bytes from the address on, zero past
    // the end of the area; only the start address must lie inside it.
    std::uint8_t ReadWindow(Area area, const Report& request, Report& reply);
    // Chunk reads (keymaps, macro memory, default keymap): exactly `length` bytes, all inside
    // the area.
    std::uint8_t ReadChunk(Area area, const Report& request, Report& reply);
    std::uint8_t WriteChunk(Area area, const Report& request);

    KeyboardMemory& memory_;
};

}  // namespace qf::vkbd
