// The windowed program's command line: two switches, compared without regard to case, walked in
// the order given. Everything else on the command line is ignored, without an error.
//
//   "/Kill"   ask the running instance to end, then end at once (exit code 0); the walk stops
//             here, so "/Start /Kill" and "/Kill /Start" both only kill
//   "/Start"  set the opened-once flag: a keyboard found later does not show the window
#pragma once

#include <span>
#include <string_view>

namespace qf::presenters {

inline constexpr std::string_view kKillSwitch = "/Kill";
inline constexpr std::string_view kStartSwitch = "/Start";

struct CommandLine {
    bool kill = false;   // send KILL to the running instance and end
    bool start = false;  // started as from the session's autostart: stay in the tray
    bool operator==(const CommandLine&) const = default;
};

// `arguments` are the arguments after the program name.
[[nodiscard]] CommandLine ParseCommandLine(std::span<const std::string_view> arguments);
// The same over main()'s argc/argv (argv[0] is the program and is skipped).
[[nodiscard]] CommandLine ParseCommandLine(int argc, const char* const* argv);

}  // namespace qf::presenters
