#include "device/services/virtual/firmware.h"

#include <algorithm>
#include <span>

#include "common/bytes.h"
#include "device/commands.h"
#include "device/services/virtual/virtual_constants.h"

namespace qf::vkbd {

namespace report = qf::device::report;
using qf::device::Command;

namespace {

std::uint8_t Length(const Report& frame) {
    return frame[report::kParameter];
}

std::uint16_t Address(const Report& frame) {
    return ReadLe16(frame.data() + report::kAddress);
}

std::span<std::uint8_t> ReplyData(Report& reply) {
    return std::span<std::uint8_t>(reply).subspan(report::kData);
}

std::span<const std::uint8_t> RequestData(const Report& request, std::size_t length) {
    return std::span<const std::uint8_t>(request).subspan(report::kData, length);
}

}  // namespace

std::uint16_t FrameChecksum(const Report& frame) {
    std::uint32_t sum = 0;
    for (std::size_t i = report::kCommand; i < frame.size(); ++i) {
        sum += frame[i];
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void SealFrame(Report& frame) {
    WriteLe16(frame.data() + report::kChecksum, FrameChecksum(frame));
}

Report ReplyFrame(const Report& request, std::uint8_t status) {
    Report reply{};
    reply[report::kId] = report::kReportId;
    reply[report::kCommand] = request[report::kCommand];
    reply[report::kParameter] = request[report::kParameter];
    reply[report::kAddress] = request[report::kAddress];
    reply[report::kAddress + 1] = request[report::kAddress + 1];
    reply[report::kStatus] = status;
    SealFrame(reply);
    return reply;
}

Report Firmware::Serve(const Report& request) {
    Report reply = ReplyFrame(request, kStatusOk);
    std::uint8_t status = kStatusRefused;

    const bool wellFramed = request[report::kId] == report::kReportId &&
                            ReadLe16(request.data() + report::kChecksum) == FrameChecksum(request);
    if (wellFramed) {
        switch (static_cast<Command>(request[report::kCommand])) {
            case Command::BeginTransfer:
            case Command::EndTransfer:
            case Command::TestCommand:
                status = kStatusOk;
                break;
            case Command::ReadDeviceInfo:
                status = ReadDeviceInfo(request, reply);
                break;
            case Command::WriteDeviceInfo:
                status = WriteDeviceInfo(request);
                break;
            case Command::ReadSettings:
                status = ReadWindow(Area::Settings, request, reply);
                break;
            case Command::WriteSettings:
                status = WriteChunk(Area::Settings, request);
                break;
            case Command::ReadKeymapBlock:
                status = ReadChunk(Area::KeymapBlocks, request, reply);
                break;
            case Command::WriteKeymapBlock:
                status = WriteChunk(Area::KeymapBlocks, request);
                break;
            case Command::ReadMacroArea:
                status = ReadChunk(Area::MacroMemory, request, reply);
                break;
            case Command::WriteMacroArea:
                status = WriteChunk(Area::MacroMemory, request);
                break;
            case Command::ReadDefaultKeymap:
                status = ReadChunk(Area::DefaultKeymap, request, reply);
                break;
            case Command::ReadUserColours:
                status = ReadWindow(Area::UserColours, request, reply);
                break;
            case Command::WriteUserColours:
                status = WriteChunk(Area::UserColours, request);
                break;
            default:
                status = kStatusRefused;
                break;
        }
    }

    if (status != kStatusOk) {
        return ReplyFrame(request, status);
    }
    SealFrame(reply);
    return reply;
}

std::uint8_t Firmware::ReadDeviceInfo(const Report& request, Report& reply) {
    if (Length(request) != kDeviceInfoSize || Address(request) != 0) {
        return kStatusRefused;
    }
    if (!memory_.Read(Area::DeviceInfo, 0, ReplyData(reply).first(kDeviceInfoSize))) {
        return kStatusRefused;
    }
    return kStatusOk;
}

std::uint8_t Firmware::WriteDeviceInfo(const Report& request) {
    if (Length(request) != kDeviceInfoSize || Address(request) != 0) {
        return kStatusRefused;
    }
    std::array<std::uint8_t, kDeviceInfoSize> block{};
    std::copy_n(request.begin() + report::kData, kDeviceInfoSize, block.begin());
    if (block[kInfoActiveProfile] >= kProfileCount) {
        return kStatusRefused;
    }
    // The macro memory is hardware: its size stays whatever the host writes.
    block[kInfoMacroUnits] = memory_.macroUnits();
    return memory_.Write(Area::DeviceInfo, 0, block) ? kStatusOk : kStatusRefused;
}

std::uint8_t Firmware::ReadWindow(Area area, const Report& request, Report& reply) {
    const std::size_t address = Address(request);
    const std::size_t size = memory_.Size(area);
    if (Length(request) > kMaxDataLength || address >= size) {
        return kStatusRefused;
    }
    const std::size_t count = std::min(kMaxDataLength, size - address);
    if (!memory_.Read(area, address, ReplyData(reply).first(count))) {
        return kStatusRefused;
    }
    return kStatusOk;
}

std::uint8_t Firmware::ReadChunk(Area area, const Report& request, Report& reply) {
    const std::size_t length = Length(request);
    if (length == 0 || length > kMaxDataLength) {
        return kStatusRefused;
    }
    if (!memory_.Read(area, Address(request), ReplyData(reply).first(length))) {
        return kStatusRefused;
    }
    return kStatusOk;
}

std::uint8_t Firmware::WriteChunk(Area area, const Report& request) {
    const std::size_t length = Length(request);
    if (length == 0 || length > kMaxDataLength) {
        return kStatusRefused;
    }
    return memory_.Write(area, Address(request), RequestData(request, length)) ? kStatusOk
                                                                               : kStatusRefused;
}

}  // namespace qf::vkbd
