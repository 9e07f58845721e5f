#include "presenters/command_line.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace qf::presenters {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine line;
    for (const std::string_view argument : arguments) {
        if (EqualsIgnoringCase(argument, kKillSwitch)) {
            line.kill = true;
            break;  // the program ends here: nothing after it counts
        }
        if (EqualsIgnoringCase(argument, kStartSwitch)) {
            line.start = true;
        }
    }
    return line;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc && argv != nullptr; ++i) {
        if (argv[i] != nullptr) {
            arguments.emplace_back(argv[i]);
        }
    }
    return ParseCommandLine(arguments);
}

}  // namespace qf::presenters
