#include "device/failure.h"

#include <ostream>

namespace qf::device {

std::string_view CommandName(Command command) {
    switch (command) {
        case Command::BeginTransfer:
            return "BeginTransfer";
        case Command::EndTransfer:
            return "EndTransfer";
        case Command::ReadDeviceInfo:
            return "ReadDeviceInfo";
        case Command::WriteDeviceInfo:
            return "WriteDeviceInfo";
        case Command::ReadSettings:
            return "ReadSettings";
        case Command::WriteSettings:
            return "WriteSettings";
        case Command::ReadKeymapBlock:
            return "ReadKeymapBlock";
        case Command::WriteKeymapBlock:
            return "WriteKeymapBlock";
        case Command::ReadMacroArea:
            return "ReadMacroArea";
        case Command::WriteMacroArea:
            return "WriteMacroArea";
        case Command::TestCommand:
            return "TestCommand";
        case Command::ReadDefaultKeymap:
            return "ReadDefaultKeymap";
        case Command::ReadUserColours:
            return "ReadUserColours";
        case Command::WriteUserColours:
            return "WriteUserColours";
    }
    return "unknown command";
}

std::ostream& operator<<(std::ostream& out, Command command) {
    return out << CommandName(command);
}

Failure Failure::Of(DeviceResult code, Command command, int block, int chunk) {
    Failure failure;
    if (code != DeviceResult::Ok) {
        failure.code = code;
        failure.command = command;
        failure.block = block;
        failure.chunk = chunk;
    }
    return failure;
}

void Failure::KeepFirst(const Failure& other) {
    if (failed() || !other.failed()) {
        return;
    }
    std::string keptFile = std::move(file);
    *this = other;
    if (file.empty()) {
        file = std::move(keptFile);
    }
}

DeviceResult Failure::KeepFirst(DeviceResult result, Command which, int atBlock) {
    KeepFirst(Of(result, which, atBlock));
    return result;
}

std::string DescribePlace(const Failure& failure) {
    if (!failure.command) {
        return {};
    }
    std::string text(CommandName(*failure.command));
    if (failure.block != Failure::kNone) {
        text += " block " + std::to_string(failure.block);
    }
    if (failure.chunk != Failure::kNone) {
        text += " chunk " + std::to_string(failure.chunk);
    }
    return text;
}

std::string Describe(const Failure& failure) {
    std::string text;
    if (failure.code != DeviceResult::Ok) {
        text = std::string(DescribeResult(failure.code));
        if (const std::string place = DescribePlace(failure); !place.empty()) {
            text += " at " + place;
        }
    } else if (!failure.reason.empty()) {
        text = failure.reason;
    } else {
        text = "none";
    }
    if (!failure.file.empty() && failure.failed()) {
        text += ", file " + failure.file;
    }
    return text;
}

}  // namespace qf::device
