// The read-back after a write to the keyboard. The keyboard's replies carry no checksum that
// the protocol checks, so reading the keymaps and the macro memory back is the only way to know
// that a write arrived whole.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/commands.h"
#include "device/result.h"

namespace qf::cli {

// What the control reports written to the keyboard put into its keymaps and macro memory, built
// from the reports themselves (a report sent again overwrites the same bytes).
class SentImage {
public:
    void OnReport(std::span<const std::uint8_t> report);

    bool empty() const { return keymaps_.empty() && macroBytes_.empty(); }
    // The keymap blocks written, by profile, with the bytes written of each.
    struct Block {
        std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(device::kKeymapBlockSize);
        std::vector<bool> written = std::vector<bool>(device::kKeymapBlockSize);
    };
    const std::map<unsigned, Block>& keymaps() const { return keymaps_; }
    // The macro memory from address 0 to the last byte written.
    const std::vector<std::uint8_t>& macroBytes() const { return macroBytes_; }
    const std::vector<bool>& macroWritten() const { return macroWritten_; }

private:
    std::map<unsigned, Block> keymaps_;
    std::vector<std::uint8_t> macroBytes_;
    std::vector<bool> macroWritten_;
};

struct VerifyResult {
    bool same = false;
    device::DeviceResult deviceResult = device::DeviceResult::Ok;  // a read-back that failed
    std::string what;  // the first difference, or the read that failed, or what matched
};

// Reads back every keymap block and the macro memory that `sent` holds and compares them byte
// for byte with what was written.
VerifyResult VerifyWritten(device::DeviceCommands& commands, const SentImage& sent);

}  // namespace qf::cli
