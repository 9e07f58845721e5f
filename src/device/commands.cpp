#include "device/commands.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "common/bytes.h"
#include "device/report.h"
#include "device/result.h"

namespace qf::device {

namespace {

DeviceResult MapStatus(const Report& reply) {
    switch (reply[report::kStatus]) {
        case report::kStatusFailFF:
            return DeviceResult::StatusFF;
        case report::kStatusFailFE:
            return DeviceResult::StatusFE;
        default:
            return DeviceResult::Ok;
    }
}

// Fills `failure` (when given) for a chunked transfer that returned `result`.
DeviceResult Place(DeviceResult result, Failure* failure, Command command, int block, int chunk) {
    if (failure != nullptr && result != DeviceResult::Ok) {
        *failure = Failure::Of(result, command, block, chunk);
    }
    return result;
}

Report CommandFrame(Command command, std::uint8_t parameter, std::uint16_t address) {
    Report frame = BlankFrame();
    frame[report::kCommand] = static_cast<std::uint8_t>(command);
    frame[report::kParameter] = parameter;
    WriteLe16(frame.data() + report::kAddress, address);
    return frame;
}

bool ColourAddress(unsigned slot, unsigned profile, std::uint16_t& address) {
    if (slot >= kColourSlotsPerProfile || profile > 0xFFFF) {
        return false;
    }
    const std::size_t value = kZoneColourTableSize * profile + kColourSlotSize * slot;
    if (value > 0xFFFF) {
        return false;
    }
    address = static_cast<std::uint16_t>(value);
    return true;
}

// Runs one finished frame (checksum stored) and maps the reply's status. `reply` receives the
// reply, zero past the bytes the keyboard sent.
DeviceResult Exchange(ReportTransport& transport, Report& frame, Report& reply) {
    StoreChecksum(frame);
    reply.fill(0);
    std::int32_t received = 0;
    const DeviceResult result =
        transport.TransactReport(frame.data(), kReportSize, reply.data(), kReportSize, &received);
    if (result != DeviceResult::Ok) {
        return result;
    }
    return MapStatus(reply);
}

DeviceResult SingleReport(ReportTransport& transport, Report frame, std::uint8_t* out,
                          std::size_t outSize) {
    Report reply{};
    const DeviceResult result = Exchange(transport, frame, reply);
    if (result == DeviceResult::Ok && out != nullptr) {
        std::memcpy(out, reply.data() + report::kData, outSize);
    }
    return result;
}

// Moves `total` bytes in chunks of 56 starting at `base`. The frame is built once and only the
// length, address and data of each chunk change: after a short last chunk the data bytes past
// its length still hold the previous chunk's bytes, and the checksum covers them as sent.
// A failing report ends the transfer; `failure` then names it (`block` as the caller gives it).
DeviceResult ChunkedTransfer(ReportTransport& transport, Command command, std::uint32_t base,
                             std::uint32_t total, const std::uint8_t* source,
                             std::uint8_t* destination, Failure* failure,
                             int block = Failure::kNone) {
    Report frame = BlankFrame();
    frame[report::kCommand] = static_cast<std::uint8_t>(command);
    Report reply{};
    for (std::uint32_t offset = 0; offset < total; offset += kReportDataSize) {
        const std::uint32_t chunk =
            offset + kReportDataSize < total ? kReportDataSize : total - offset;
        frame[report::kParameter] = static_cast<std::uint8_t>(chunk);
        WriteLe16(frame.data() + report::kAddress, static_cast<std::uint16_t>(base + offset));
        if (source != nullptr) {
            std::memcpy(frame.data() + report::kData, source + offset, chunk);
        }
        const DeviceResult result = Exchange(transport, frame, reply);
        if (result != DeviceResult::Ok) {
            const auto chunkNumber = static_cast<int>(offset / kReportDataSize + 1);
            return Place(result, failure, command, block, chunkNumber);
        }
        if (destination != nullptr) {
            std::memcpy(destination + offset, reply.data() + report::kData, chunk);
        }
    }
    return DeviceResult::Ok;
}

}  // namespace

bool DeviceInfoBlock::offersMode(std::uint8_t code) const {
    if (code == 0) {
        return false;
    }
    const auto first = bytes.begin() + kInfoModeList;
    return std::find(first, bytes.end(), code) != bytes.end();
}

DeviceResult DeviceCommands::BeginTransfer() {
    return SingleReport(transport_, CommandFrame(Command::BeginTransfer, 0, 0), nullptr, 0);
}

DeviceResult DeviceCommands::EndTransfer() {
    std::this_thread::sleep_for(transport_.timing().endTransferPause);
    return SingleReport(transport_, CommandFrame(Command::EndTransfer, 0, 0), nullptr, 0);
}

DeviceResult DeviceCommands::TestCommand() {
    return SingleReport(transport_, CommandFrame(Command::TestCommand, 0, 0), nullptr, 0);
}

DeviceResult DeviceCommands::ReadDeviceInfo(DeviceInfoBlock& info) {
    return SingleReport(transport_, CommandFrame(Command::ReadDeviceInfo, kDeviceInfoSize, 0),
                        info.bytes.data(), kDeviceInfoSize);
}

DeviceResult DeviceCommands::WriteDeviceInfo(const DeviceInfoBlock& info) {
    Report frame = CommandFrame(Command::WriteDeviceInfo, kDeviceInfoSize, 0);
    std::memcpy(frame.data() + report::kData, info.bytes.data(), kDeviceInfoSize);
    return SingleReport(transport_, frame, nullptr, 0);
}

DeviceResult DeviceCommands::ReadSettings(ReplyDataSpan window, std::uint8_t length,
                                          std::uint16_t address) {
    return SingleReport(transport_, CommandFrame(Command::ReadSettings, length, address),
                        window.data(), window.size());
}

DeviceResult DeviceCommands::WriteSettings(const std::uint8_t* data, std::uint8_t length,
                                           std::uint16_t address) {
    if (data == nullptr || length == 0 || length > kReportDataSize) {
        return DeviceResult::BadArgument;
    }
    Report frame = CommandFrame(Command::WriteSettings, length, address);
    std::memcpy(frame.data() + report::kData, data, length);
    return SingleReport(transport_, frame, nullptr, 0);
}

DeviceResult DeviceCommands::ReadKeymapBlock(KeymapBlockSpan keymap, unsigned block,
                                             Failure* failure) {
    const int number = block > 0xFFFF ? Failure::kNone : static_cast<int>(block);
    if (block >= kKeymapBlockCount) {
        return Place(DeviceResult::BlockOutOfRange, failure, Command::ReadKeymapBlock, number,
                     Failure::kNone);
    }
    return ChunkedTransfer(transport_, Command::ReadKeymapBlock, block * kKeymapBlockSize,
                           keymap.size(), nullptr, keymap.data(), failure, number);
}

DeviceResult DeviceCommands::WriteKeymapBlock(ConstKeymapBlockSpan keymap, unsigned block,
                                              Failure* failure) {
    const int number = block > 0xFFFF ? Failure::kNone : static_cast<int>(block);
    if (block >= kKeymapBlockCount) {
        return Place(DeviceResult::BlockOutOfRange, failure, Command::WriteKeymapBlock, number,
                     Failure::kNone);
    }
    return ChunkedTransfer(transport_, Command::WriteKeymapBlock, block * kKeymapBlockSize,
                           keymap.size(), keymap.data(), nullptr, failure, number);
}

DeviceResult DeviceCommands::ReadMacroArea(std::uint8_t* buffer, std::uint32_t count,
                                           Failure* failure) {
    if (count == 0) {
        return DeviceResult::Ok;
    }
    if (buffer == nullptr || count > kMaxMacroAreaSize) {
        return Place(DeviceResult::BadArgument, failure, Command::ReadMacroArea, Failure::kNone,
                     Failure::kNone);
    }
    return ChunkedTransfer(transport_, Command::ReadMacroArea, 0, count, nullptr, buffer, failure);
}

DeviceResult DeviceCommands::WriteMacroArea(const std::uint8_t* data, std::uint32_t count,
                                            Failure* failure) {
    if (count == 0) {
        return DeviceResult::Ok;
    }
    if (data == nullptr || count > kMaxMacroAreaSize) {
        return Place(DeviceResult::BadArgument, failure, Command::WriteMacroArea, Failure::kNone,
                     Failure::kNone);
    }
    return ChunkedTransfer(transport_, Command::WriteMacroArea, 0, count, data, nullptr, failure);
}

DeviceResult DeviceCommands::ReadDefaultKeymap(KeymapBlockSpan keymap, Failure* failure) {
    return ChunkedTransfer(transport_, Command::ReadDefaultKeymap, 0, keymap.size(), nullptr,
                           keymap.data(), failure);
}

DeviceResult DeviceCommands::ReadUserColours(ReplyDataSpan window, std::uint8_t length,
                                             unsigned slot, unsigned profile) {
    std::uint16_t address = 0;
    if (!ColourAddress(slot, profile, address)) {
        return DeviceResult::BadArgument;
    }
    return SingleReport(transport_, CommandFrame(Command::ReadUserColours, length, address),
                        window.data(), window.size());
}

DeviceResult DeviceCommands::WriteUserColours(const std::uint8_t* data, std::uint8_t length,
                                              unsigned slot, unsigned shownProfile) {
    std::uint16_t address = 0;
    if (data == nullptr || length == 0 || length > kReportDataSize ||
        !ColourAddress(slot, shownProfile, address)) {
        return DeviceResult::BadArgument;
    }
    Report frame = CommandFrame(Command::WriteUserColours, length, address);
    std::memcpy(frame.data() + report::kData, data, length);
    return SingleReport(transport_, frame, nullptr, 0);
}

}  // namespace qf::device
