// quillfenctl: the keyboard from a terminal or a script.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <iostream>
#include <string_view>

#include "cli_text.h"
#include "commands.h"
#include "session.h"
#include "terminal.h"

namespace {

using namespace qf::cli;

constexpr const char* kDescription =
    "quillfenctl - configure the gaming keyboard from the command line.\n"
    "Exit codes: 0 success; 1 no keyboard, a device error, or the windowed program running; "
    "2 usage error or a question answered No; 3 a file missing, unreadable, unwritable or "
    "malformed.";

constexpr const char* kFooter =
    "The names a command accepts: quillfenctl list keys | media | functions | modes.\n"
    "Each command has its own help: quillfenctl COMMAND --help.";

// The options before the command that take a value, and those of the commands that take one.
constexpr std::array<std::string_view, 3> kGlobalValueOptions = {"--trace", "--virtual-state",
                                                                 "--device-service"};

struct CommandNames {
    std::string_view name;
    std::vector<std::string> subcommands;  // empty: none
};

const std::vector<CommandNames>& Commands() {
    static const std::vector<CommandNames> commands = {
        {"info", {}},
        {"profile", {}},
        {"read", {}},
        {"write", {}},
        {"show", {}},
        {"validate", {}},
        {"assign", {}},
        {"macro", {"list", "add", "set", "remove"}},
        {"lighting", {"show", "set", "zone"}},
        {"list", {}},
    };
    return commands;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        out += (out.empty() ? "" : ", ") + name;
    }
    return out;
}

// Finds the command word (and the word after it for commands that have their own commands)
// before the parser does, so that an unknown or missing one is named with the valid ones
// rather than with the parser's general complaint. kExitOk when the words are known.
int CheckCommandWords(const std::vector<std::string>& args) {
    std::size_t k = 1;
    const auto skipOptions = [&](bool global) {
        while (k < args.size() && args[k].size() > 1 && args[k][0] == '-') {
            if (args[k] == "--help" || args[k] == "-h" || args[k] == "--version") {
                return false;  // the parser answers these
            }
            const bool takesValue =
                (global && std::find(kGlobalValueOptions.begin(), kGlobalValueOptions.end(),
                                     args[k]) != kGlobalValueOptions.end()) ||
                (!global && (args[k] == "--file" || args[k] == "--repeat"));
            k += takesValue ? 2 : 1;
        }
        return true;
    };
    std::vector<std::string> names;
    for (const auto& c : Commands()) {
        names.emplace_back(c.name);
    }
    if (!skipOptions(true)) {
        return kExitOk;
    }
    if (k >= args.size()) {
        PrintMessage("no command given; the commands are: " + JoinNames(names) +
                     " (quillfenctl --help says more)");
        return kExitUsage;
    }
    const auto known = std::find_if(Commands().begin(), Commands().end(),
                                    [&](const CommandNames& c) { return c.name == args[k]; });
    if (known == Commands().end()) {
        PrintMessage("unknown command \"" + args[k] + "\"" + DidYouMean(args[k], names) +
                     "; the commands are: " + JoinNames(names));
        return kExitUsage;
    }
    if (known->subcommands.empty()) {
        return kExitOk;
    }
    ++k;
    if (!skipOptions(false)) {
        return kExitOk;
    }
    const std::string parent(known->name);
    if (k >= args.size()) {
        PrintMessage("\"" + parent + "\" needs one of: " + JoinNames(known->subcommands));
        return kExitUsage;
    }
    if (std::find(known->subcommands.begin(), known->subcommands.end(), args[k]) ==
        known->subcommands.end()) {
        PrintMessage("unknown command \"" + parent + " " + args[k] + "\"" +
                     DidYouMean(args[k], known->subcommands) + "; \"" + parent +
                     "\" has: " + JoinNames(known->subcommands));
        return kExitUsage;
    }
    return kExitOk;
}

// The command line as one line, each word quoted when it holds a blank.
std::string CommandLineText(const std::vector<std::string>& args) {
    std::string out;
    for (const auto& word : args) {
        if (!out.empty()) {
            out += ' ';
        }
        out += word.find_first_of(" \t") != std::string::npos ? "\"" + word + "\"" : word;
    }
    return out;
}

// Macro steps such as "-A" look like options to a parser: every word after the name of
// "macro add" is taken aside as a step before the rest is parsed.
std::vector<std::string> TakeMacroSteps(std::vector<std::string>& args) {
    std::size_t k = 1;
    auto skipOptions = [&](std::initializer_list<std::string_view> withValue) {
        while (k < args.size() && args[k].size() > 1 && args[k][0] == '-') {
            const bool takesValue =
                std::find(withValue.begin(), withValue.end(), args[k]) != withValue.end();
            k += takesValue ? 2 : 1;
        }
    };
    skipOptions({"--trace", "--virtual-state", "--device-service"});
    if (k >= args.size() || args[k] != "macro") {
        return {};
    }
    ++k;
    skipOptions({"--file"});
    if (k >= args.size() || args[k] != "add") {
        return {};
    }
    ++k;
    skipOptions({"--file", "--repeat"});
    if (k + 1 >= args.size()) {
        return {};  // no name, or a name without steps
    }
    std::vector<std::string> steps(args.begin() + static_cast<std::ptrdiff_t>(k + 1), args.end());
    args.resize(k + 1);
    return steps;
}

int Run(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    GlobalOptions global;
    global.commandLine = CommandLineText(args);
    if (const int words = CheckCommandWords(args); words != kExitOk) {
        return words;
    }
    std::vector<std::string> macroSteps = TakeMacroSteps(args);

    CLI::App app(kDescription, "quillfenctl");
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(kFooter);
    app.set_version_flag("--version", "quillfenctl " + std::string(ProgramVersion()));

    app.add_option("--trace", global.trace,
                   "Write every report to and from the keyboard to FILE, one per line")
        ->type_name("FILE");
    app.add_flag("--virtual", global.useVirtual,
                 "Use the built-in virtual keyboard, whose memory is kept in a state file "
                 "($XDG_STATE_HOME/quillfen/virtual-keyboard.state)");
    app.add_option("--virtual-state", global.virtualState,
                   "The virtual keyboard's state file (implies --virtual)")
        ->type_name("FILE");
    app.add_option("--device-service", global.deviceService,
                   "The device service library to load (default: $QUILLFEN_HIDSERV, else "
                   "libHidServ.so beside the program)")
        ->type_name("PATH");
    app.add_flag("-y,--yes", global.assumeYes, "Answer Yes to every question");
    app.add_flag("--force", global.force,
                 "Replace an existing file (read), and change the keyboard even while the "
                 "windowed program runs");

    // The command chosen sets this; it runs once the whole line has parsed.
    std::function<int(Session&)> command;

    bool json = false;
    auto* info = app.add_subcommand("info",
                                    "Show the keyboard: active profile, macro memory, "
                                    "lighting modes");
    info->add_flag("--json", json, "Print JSON");
    info->callback([&] { command = [&](Session& s) { return RunInfo(s, json); }; });

    auto* profile = app.add_subcommand("profile",
                                       "Show the active on-board profile, or make "
                                       "profile N (0..2) active");
    std::optional<int> profileNumber;
    profile->add_option("N", profileNumber, "Profile to make active")->check(CLI::Range(0, 2));
    profile->callback([&] { command = [&](Session& s) { return RunProfile(s, profileNumber); }; });

    std::string filePath;
    auto* read = app.add_subcommand("read",
                                    "Read the keyboard's three profiles and its macros "
                                    "into a profile file");
    read->add_option("FILE", filePath,
                     "Profile file (.fwc) to write; an existing one is replaced only with "
                     "--force or --yes, or when you say so at the terminal")
        ->required();
    read->callback([&] { command = [&](Session& s) { return RunRead(s, filePath); }; });

    auto* write = app.add_subcommand("write",
                                     "Check a profile file and write its macros and "
                                     "three keymaps to the keyboard");
    write->add_option("FILE", filePath, "Profile file (.fwc) to write to the keyboard")->required();
    bool verify = false;
    write->add_flag("--verify", verify,
                    "Read the keymaps and the macro memory back and report the first difference");
    write->callback([&] { command = [&](Session& s) { return RunWrite(s, filePath, verify); }; });
    auto* show = app.add_subcommand("show",
                                    "List a profile file's assigned keys per profile "
                                    "and its macros");
    show->add_option("FILE", filePath, "Profile file (.fwc)")->required();
    show->add_flag("--json", json, "Print JSON");
    show->callback([&] { command = [&](Session& s) { return RunShow(s, filePath, json); }; });

    auto* validate = app.add_subcommand("validate",
                                        "Say whether a profile file is valid, and "
                                        "why not");
    validate->add_option("FILE", filePath, "Profile file (.fwc)")->required();
    validate->callback([&] { command = [&](Session& s) { return RunValidate(s, filePath); }; });

    AssignOptions assign;
    auto* assignCmd = app.add_subcommand(
        "assign",
        "Give a key a new function, on the keyboard or in a file (--file).\n"
        "TARGET: default | disable | key:NAME | macro:NAME [xN] | media:NAME | function:NAME");
    assignCmd
        ->add_option("--profile", assign.profile,
                     "On-board profile 0..2 (default: the active one; 0 for a file)")
        ->check(CLI::Range(0, 2));
    assignCmd
        ->add_option("--file", assign.place.file,
                     "Change this profile file instead of the keyboard")
        ->type_name("FILE");
    assignCmd->add_flag("--create", assign.place.create,
                        "Make the --file profile file when it does not exist");
    assignCmd->add_flag("--verify", assign.verify,
                        "Read the keyboard's keymaps and macro memory back and report the first "
                        "difference");
    assignCmd->add_option("--bank", assign.bank, "Key bank of a G key: A or B (default A)");
    assignCmd->add_option("KEY", assign.key, "Key name (quillfenctl list keys), or G1..G9")
        ->required();
    assignCmd->add_option("TARGET", assign.target, "The new function")->required();
    assignCmd->callback([&] { command = [&](Session& s) { return RunAssign(s, assign); }; });

    auto* macro = app.add_subcommand("macro",
                                     "List, add, change or remove macros, on the "
                                     "keyboard or in a file (--file)");
    macro->require_subcommand(1);
    StorePlace macroPlace;
    macro->add_option("--file", macroPlace.file, "Work on this profile file instead")
        ->type_name("FILE");
    auto* macroList = macro->add_subcommand("list", "List the macros");
    macroList->add_option("--file", macroPlace.file, "Work on this profile file instead")
        ->type_name("FILE");
    macroList->callback([&] { command = [&](Session& s) { return RunMacroList(s, macroPlace); }; });
    std::string macroName;
    int macroRepeats = 1;
    auto* macroAdd = macro->add_subcommand(
        "add",
        "Add a macro. Steps: +KEY press, -KEY release, tMS wait MS milliseconds after the step "
        "before (e.g. +A t50 -A)");
    macroAdd->add_option("--file", macroPlace.file, "Work on this profile file instead")
        ->type_name("FILE");
    macroAdd->add_flag("--create", macroPlace.create,
                       "Make the --file profile file when it does not exist");
    macroAdd->add_option("--repeat", macroRepeats, "Times the keyboard plays it (1..255)")
        ->check(CLI::Range(1, 255));
    macroAdd->add_option("NAME", macroName, "Macro name")->required();
    macroAdd->footer("STEPS: +KEY, -KEY and tMS words after NAME, e.g. +Shift +A t50 -A -Shift");
    macroAdd->callback([&] {
        command = [&](Session& s) {
            return RunMacroAdd(s, macroPlace, macroName, macroSteps, macroRepeats);
        };
    });
    std::optional<int> newRepeats;
    auto* macroSet = macro->add_subcommand(
        "set", "Change a macro: how many times the keyboard plays it, for every key that plays it");
    macroSet->add_option("--file", macroPlace.file, "Work on this profile file instead")
        ->type_name("FILE");
    macroSet->add_option("--repeat", newRepeats, "Times the keyboard plays it (1..255)")
        ->check(CLI::Range(1, 255))
        ->required();
    macroSet->add_option("NAME", macroName, "Macro name")->required();
    macroSet->callback([&] {
        command = [&](Session& s) { return RunMacroSet(s, macroPlace, macroName, *newRepeats); };
    });
    auto* macroRemove = macro->add_subcommand("remove",
                                              "Remove a macro; keys that play it get "
                                              "their default function");
    macroRemove->add_option("--file", macroPlace.file, "Work on this profile file instead")
        ->type_name("FILE");
    macroRemove->add_option("NAME", macroName, "Macro name")->required();
    macroRemove->callback(
        [&] { command = [&](Session& s) { return RunMacroRemove(s, macroPlace, macroName); }; });

    auto* lighting = app.add_subcommand("lighting", "Show or change the lighting");
    lighting->require_subcommand(1);
    std::optional<int> lightProfile;
    auto* lightShow = lighting->add_subcommand("show", "Show a profile's lighting");
    lightShow->add_option("--profile", lightProfile, "On-board profile 0..2 (default: active)")
        ->check(CLI::Range(0, 2));
    lightShow->callback(
        [&] { command = [&](Session& s) { return RunLightingShow(s, lightProfile); }; });
    std::vector<std::string> lightSettings;
    auto* lightSet = lighting->add_subcommand(
        "set",
        "Change lighting settings: mode=NAME|CODE brightness=0..4 speed=0..4 direction=0|1 "
        "colour=RRGGBB multicolour=on|off rate=0..3 choice=0..3");
    lightSet->add_option("--profile", lightProfile, "On-board profile 0..2 (default: active)")
        ->check(CLI::Range(0, 2));
    lightSet->add_option("SETTING", lightSettings, "NAME=VALUE")->required();
    lightSet->callback([&] {
        command = [&](Session& s) { return RunLightingSet(s, lightProfile, lightSettings); };
    });
    int zone = 0;
    std::string zoneColour;
    auto* lightZone = lighting->add_subcommand("zone", "Colour one of the six key zones (mode 8)");
    lightZone->add_option("--profile", lightProfile, "On-board profile 0..2 (default: active)")
        ->check(CLI::Range(0, 2));
    lightZone->add_option("ZONE", zone, "Zone 1..6")->required()->check(CLI::Range(1, 6));
    lightZone->add_option("COLOUR", zoneColour, "RRGGBB")->required();
    lightZone->callback([&] {
        command = [&](Session& s) { return RunLightingZone(s, lightProfile, zone, zoneColour); };
    });

    std::string listWhat;
    auto* list = app.add_subcommand(
        "list", "Print every name a command accepts: keys, media, functions or modes");
    list->add_option("WHAT", listWhat,
                     "keys (assign KEY, key:NAME, macro steps), media "
                     "(media:NAME), functions (function:NAME), modes "
                     "(lighting set mode=NAME)")
        ->required();
    list->callback([&] { command = [&](Session& s) { return RunList(s, listWhat); }; });

    try {
        // CLI11 takes the arguments in reverse order, without the program name.
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        // Help and version requests end with 0; every other parse error is a usage error.
        if (e.get_exit_code() == 0) {
            return app.exit(e);
        }
        (void)app.exit(e);
        return kExitUsage;
    }
    if (!global.virtualState.empty()) {
        global.useVirtual = true;
    }
    if (global.useVirtual && !global.deviceService.empty()) {
        std::cerr << "quillfenctl: --virtual and --device-service exclude each other\n";
        return kExitUsage;
    }
    if (!command) {
        std::cerr << app.help();
        return kExitUsage;
    }
    Session session(global);
    return session.Finish(command(session));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "quillfenctl: " << e.what() << '\n';
        return kExitDevice;
    } catch (...) {
        std::cerr << "quillfenctl: unexpected failure\n";
        return kExitDevice;
    }
}
