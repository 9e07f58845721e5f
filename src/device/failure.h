// The keyboard's commands, and the record of where a sequence of them failed: the result of the
// first command that failed, which command it was, the keymap block and the report (chunk) of a
// chunked transfer, and the file the operation read or wrote. Operations that run many commands
// (downloads, reads into files, imports, Apply) return one so that a caller can say where it
// went wrong without decoding the traffic.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "device/result.h"

namespace qf::device {

enum class Command : std::uint8_t {
    BeginTransfer = 1,
    EndTransfer = 2,
    ReadDeviceInfo = 3,
    WriteDeviceInfo = 4,
    ReadSettings = 5,
    WriteSettings = 6,
    ReadKeymapBlock = 7,
    WriteKeymapBlock = 8,
    ReadMacroArea = 9,
    WriteMacroArea = 10,
    TestCommand = 13,
    ReadDefaultKeymap = 15,
    ReadUserColours = 16,
    WriteUserColours = 17,
};

// The command's name as the code spells it: "WriteKeymapBlock".
std::string_view CommandName(Command command);
// The name, for logs and test failure messages.
std::ostream& operator<<(std::ostream& out, Command command);

struct Failure {
    static constexpr int kNone = -1;

    // The first failing command's result; Ok when no command failed (the failure, if any, is
    // then described by `reason`).
    DeviceResult code = DeviceResult::Ok;
    std::optional<Command> command;
    int block = kNone;  // the keymap block (profile) of a keymap command
    int chunk = kNone;  // 1-based report of a chunked transfer
    std::string file;   // the file the operation imported, exported or cached
    // What failed when it was not a keyboard command: "the file cannot be written: ...".
    std::string reason;

    // A command failed or something else did.
    bool failed() const { return code != DeviceResult::Ok || !reason.empty(); }

    // The record of `command` failing with `code` (nothing for Ok).
    static Failure Of(DeviceResult code, Command command, int block = kNone, int chunk = kNone);
    // Takes `other` when this record holds no failure yet, keeping the file already named.
    void KeepFirst(const Failure& other);
    // Records `code` from `command` unless a failure is already kept; returns `code`.
    DeviceResult KeepFirst(DeviceResult code, Command command, int block = kNone);
};

// "WriteKeymapBlock block 1 chunk 3": the failing command and its place; empty without one.
std::string DescribePlace(const Failure& failure);

// "status 0xFF at WriteKeymapBlock block 1 chunk 3", with ", file <path>" when a file is named;
// "none" when nothing failed.
std::string Describe(const Failure& failure);

}  // namespace qf::device
