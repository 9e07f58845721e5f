#include "verify.h"

#include <cstdio>

#include "common/bytes.h"
#include "device/report.h"
#include "device/result.h"

namespace qf::cli {

namespace {

std::string Hex(std::uint8_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02x", value);
    return buffer;
}

std::string Chunk(std::size_t offset) {
    return "chunk " + std::to_string(offset / device::kReportDataSize + 1);
}

}  // namespace

void SentImage::OnReport(std::span<const std::uint8_t> report) {
    if (report.size() < device::kReportSize) {
        return;
    }
    const auto command = static_cast<device::Command>(report[device::report::kCommand]);
    const std::uint32_t length = report[device::report::kParameter];
    const std::uint32_t address = ReadLe16(report.data() + device::report::kAddress);
    if (length > device::kReportDataSize) {
        return;
    }
    const std::uint8_t* data = report.data() + device::report::kData;
    if (command == device::Command::WriteKeymapBlock) {
        const unsigned block = address / device::kKeymapBlockSize;
        const std::uint32_t offset = address % device::kKeymapBlockSize;
        Block& target = keymaps_[block];
        for (std::uint32_t i = 0; i < length && offset + i < device::kKeymapBlockSize; ++i) {
            target.bytes[offset + i] = data[i];
            target.written[offset + i] = true;
        }
    } else if (command == device::Command::WriteMacroArea) {
        if (macroBytes_.size() < address + length) {
            macroBytes_.resize(address + length);
            macroWritten_.resize(address + length);
        }
        for (std::uint32_t i = 0; i < length; ++i) {
            macroBytes_[address + i] = data[i];
            macroWritten_[address + i] = true;
        }
    }
}

VerifyResult VerifyWritten(device::DeviceCommands& commands, const SentImage& sent) {
    VerifyResult out;
    std::string matched;
    for (const auto& [block, image] : sent.keymaps()) {
        std::vector<std::uint8_t> back(device::kKeymapBlockSize);
        const device::DeviceResult read = commands.ReadKeymapBlock(
            device::KeymapBlockSpan(back.data(), device::kKeymapBlockSize), block);
        if (read != device::DeviceResult::Ok) {
            out.deviceResult = read;
            out.what = "reading back the keymap of profile " + std::to_string(block);
            return out;
        }
        for (std::size_t i = 0; i < back.size(); ++i) {
            if (image.written[i] && back[i] != image.bytes[i]) {
                out.what = "keymap of profile " + std::to_string(block) + ", byte " +
                           std::to_string(i) + " (" + Chunk(i) + "): written " +
                           Hex(image.bytes[i]) + ", read back " + Hex(back[i]);
                return out;
            }
        }
        matched += (matched.empty() ? "the keymaps of profiles " : ", ") + std::to_string(block);
    }
    const auto& macro = sent.macroBytes();
    if (!macro.empty()) {
        std::vector<std::uint8_t> back(macro.size());
        const device::DeviceResult read =
            commands.ReadMacroArea(back.data(), static_cast<std::uint32_t>(back.size()));
        if (read != device::DeviceResult::Ok) {
            out.deviceResult = read;
            out.what = "reading back the macro memory";
            return out;
        }
        for (std::size_t i = 0; i < back.size(); ++i) {
            if (sent.macroWritten()[i] && back[i] != macro[i]) {
                out.what = "macro memory byte " + std::to_string(i) + " (" + Chunk(i) +
                           "): written " + Hex(macro[i]) + ", read back " + Hex(back[i]);
                return out;
            }
        }
        matched += (matched.empty() ? "" : " and ") + std::to_string(macro.size()) +
                   " bytes of macro memory";
    }
    out.same = true;
    out.what = matched.empty() ? std::string("nothing was written") : matched;
    return out;
}

}  // namespace qf::cli
