// The commands that talk to the keyboard only: info, profile and lighting.
#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "cli_text.h"
#include "commands.h"
#include "device/result.h"
#include "lighting/key_zones.h"
#include "lighting/lighting_model.h"
#include "lighting/modes.h"
#include "profiles/switching.h"
#include "store_view.h"
#include "text/skin_layout.h"

namespace qf::cli {

namespace {

namespace fs = std::filesystem;

// The display names of the keyboard's modes and where they came from.
struct ModeNames {
    std::vector<std::string> names;  // one per entry, in list order
    std::string source;
};

ModeNames NamesOfModes(Session& session, std::span<const lighting::ModeEntry> entries) {
    ModeNames out;
    const fs::path mainLayout = session.core().install().mainSkin.file;
    std::error_code ec;
    if (!mainLayout.empty() && fs::is_regular_file(mainLayout, ec)) {
        text::IniDocument layout;
        if (text::LoadIniFile(mainLayout, layout) == text::IniLoadResult::Loaded) {
            out.names =
                lighting::ModeDisplayNames(entries, layout, session.core().languageSetting());
            out.source = "names from " + mainLayout.string();
            return out;
        }
    }
    for (const lighting::ModeEntry& entry : entries) {
        out.names.push_back(BuiltinModeName(entry.code));
    }
    out.source = "built-in English names";
    return out;
}

// The result of reading the device info, for an operation that reported only that it could not
// read it.
device::DeviceResult DeviceInfoFailure(Session& session) {
    device::DeviceInfoBlock info;
    const device::DeviceResult result = session.commands().ReadDeviceInfo(info);
    return result == device::DeviceResult::Ok ? device::DeviceResult::NoDevice : result;
}

// The profile a lighting command works on: the one given, or the keyboard's active one.
std::optional<int> ChosenProfile(Session& session, std::optional<int> given, int& exitCode) {
    if (given) {
        return given;
    }
    const int profile = session.core().activeProfile().ReadActiveProfile();
    if (profile < 0) {
        exitCode = session.DeviceFailure("reading the active profile", DeviceInfoFailure(session));
        return std::nullopt;
    }
    if (profile >= profiles::kOnBoardProfiles) {
        PrintMessage("the keyboard reports active profile " + std::to_string(profile) +
                     ", which it does not have; give --profile 0..2");
        exitCode = kExitDevice;
        return std::nullopt;
    }
    return profile;
}

// Reads the session's lighting model from the keyboard and makes it show `profile` (the one
// given, or the active one). kExitOk or the exit code.
int LoadLighting(Session& session, std::optional<int> given) {
    int exitCode = kExitOk;
    const auto profile = ChosenProfile(session, given, exitCode);
    if (!profile) {
        return exitCode;
    }
    lighting::LightingModel& model = session.core().lighting();
    if (model.ReadLightingState(true) != lighting::LightingRead::Read) {
        return session.DeviceFailure("reading the device info", DeviceInfoFailure(session));
    }
    if (model.lastReadResult() != device::DeviceResult::Ok) {
        return session.DeviceFailure("reading the lighting settings", model.lastReadResult());
    }
    (void)model.SetCurrentProfile(*profile);
    return kExitOk;
}

int CheckWrite(Session& session, std::string_view what, device::DeviceResult result) {
    if (result != device::DeviceResult::Ok) {
        return session.DeviceFailure(what, result);
    }
    return kExitOk;
}

}  // namespace

int RunInfo(Session& session, bool json) {
    if (const int open = session.OpenKeyboard(); open != kExitOk) {
        return open;
    }
    device::DeviceInfoBlock info;
    if (const device::DeviceResult read = session.commands().ReadDeviceInfo(info);
        read != device::DeviceResult::Ok) {
        return session.DeviceFailure("reading the device info", read);
    }
    if (json) {
        std::array<std::uint8_t, lighting::kModeListSize> modeBytes{};
        std::copy_n(info.bytes.begin() + lighting::kModeListOffset, modeBytes.size(),
                    modeBytes.begin());
        const auto entries = lighting::BuildModeList(modeBytes);
        const ModeNames names = NamesOfModes(session, entries);
        nlohmann::json doc;
        doc["attached"] = true;
        doc["activeProfile"] = info.activeProfile();
        doc["macroMemoryBytes"] = info.macroMemoryBytes();
        doc["modeNames"] = names.source;
        doc["modes"] = nlohmann::json::array();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            doc["modes"].push_back({{"code", entries[i].code}, {"name", names.names[i]}});
        }
        std::cout << doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return kExitOk;
    }
    std::cout << "keyboard: attached\n";
    std::cout << "active profile: " << int{info.activeProfile()} << '\n';
    std::cout << "macro memory: " << info.macroMemoryBytes() << " bytes ("
              << int{info.macroMemoryUnits()} << " x 128)\n";
    std::array<std::uint8_t, lighting::kModeListSize> modeBytes{};
    std::copy_n(info.bytes.begin() + lighting::kModeListOffset, modeBytes.size(),
                modeBytes.begin());
    const auto entries = lighting::BuildModeList(modeBytes);
    const ModeNames names = NamesOfModes(session, entries);
    std::cout << "lighting modes (" << entries.size() << ", " << names.source << "):\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::cout << "  " << (entries[i].code < 10 ? " " : "") << int{entries[i].code} << "  "
                  << names.names[i] << '\n';
    }
    return kExitOk;
}

int RunProfile(Session& session, std::optional<int> profile) {
    if (profile) {
        if (const int free = session.CheckWindowedProgramNotRunning(); free != kExitOk) {
            return free;
        }
    }
    if (const int open = session.OpenKeyboard(); open != kExitOk) {
        return open;
    }
    profiles::ActiveProfile& active = session.core().activeProfile();
    int before = -1;
    if (profile) {
        before = active.ReadActiveProfile();
        const device::DeviceResult written = active.WriteActiveProfile(*profile);
        if (written != device::DeviceResult::Ok) {
            return session.DeviceFailure("switching the active profile", written);
        }
    }
    const int now = active.ReadActiveProfile();
    if (now < 0) {
        return session.DeviceFailure("reading the active profile", DeviceInfoFailure(session));
    }
    std::cout << "active profile: " << now;
    if (profile && before >= 0 && before != now) {
        std::cout << " (was " << before << "); to undo: quillfenctl" << KeyboardOptions(session)
                  << " profile " << before;
    }
    std::cout << '\n';
    return kExitOk;
}

int RunLightingShow(Session& session, std::optional<int> profile) {
    if (const int open = session.OpenKeyboard(); open != kExitOk) {
        return open;
    }
    if (const int loaded = LoadLighting(session, profile); loaded != kExitOk) {
        return loaded;
    }
    const lighting::LightingState& s = session.core().lighting().state();
    const ModeNames names = NamesOfModes(session, s.modeEntries);
    std::string modeName = BuiltinModeName(s.mode);
    for (std::size_t i = 0; i < s.modeEntries.size(); ++i) {
        if (s.modeEntries[i].code == s.mode) {
            modeName = names.names[i];
        }
    }
    std::cout << "profile=" << s.currentProfile << '\n'
              << "mode=" << s.mode << " (" << modeName << ")\n"
              << "brightness=" << s.brightness << '\n'
              << "speed=" << s.speed << '\n'
              << "direction=" << s.direction << '\n'
              << "colour=" << FormatColour(s.colour) << '\n'
              << "multicolour=" << (s.multicolour ? "on" : "off") << '\n'
              << "rate=" << s.reportRate << '\n'
              << "choice=" << s.fourColourChoice << '\n';
    if (s.OffersMode(lighting::kZoneColourMode)) {
        for (int zone = lighting::kFirstZone; zone <= lighting::kLastZone; ++zone) {
            std::cout << "zone" << zone << '=' << FormatColour(s.ZoneTint(zone)) << '\n';
        }
    }
    return kExitOk;
}

int RunLightingSet(Session& session, std::optional<int> profile,
                   const std::vector<std::string>& settings) {
    // Everything is checked before the keyboard is touched.
    struct Setting {
        std::string name;
        std::string value;
    };
    std::vector<Setting> parsed;
    static constexpr std::array<std::string_view, 8> kNames = {
        "mode", "brightness", "speed", "direction", "colour", "multicolour", "rate", "choice"};
    for (const std::string& word : settings) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0) {
            PrintMessage("\"" + word + "\" is not NAME=VALUE");
            return kExitUsage;
        }
        std::string name = word.substr(0, eq);
        if (SameName(name, "color")) {
            name = "colour";
        }
        if (SameName(name, "multicolor")) {
            name = "multicolour";
        }
        const auto known = std::find_if(kNames.begin(), kNames.end(),
                                        [&](std::string_view k) { return SameName(k, name); });
        if (known == kNames.end()) {
            PrintMessage("unknown lighting setting \"" + name + "\"" +
                         DidYouMean(name, {kNames.begin(), kNames.end()}) +
                         "; the settings are mode, brightness, speed, direction, colour, "
                         "multicolour, rate, choice");
            return kExitUsage;
        }
        parsed.push_back({std::string(*known), word.substr(eq + 1)});
    }
    if (parsed.empty()) {
        PrintMessage("nothing to set: give NAME=VALUE settings");
        return kExitUsage;
    }
    std::optional<lighting::Rgb> colour;
    for (const Setting& s : parsed) {
        bool ok = true;
        if (s.name == "brightness" || s.name == "speed") {
            ok = ParseInt(s.value, 0, lighting::kMaxLevel).has_value();
        } else if (s.name == "direction") {
            ok = ParseInt(s.value, 0, 1).has_value();
        } else if (s.name == "rate" || s.name == "choice") {
            ok = ParseInt(s.value, 0, 3).has_value();
        } else if (s.name == "multicolour") {
            ok = SameName(s.value, "on") || SameName(s.value, "off");
        } else if (s.name == "colour") {
            colour = ParseColour(s.value);
            ok = colour.has_value();
        } else if (s.name == "mode") {
            ok = !s.value.empty();
        }
        if (!ok) {
            PrintMessage("bad value \"" + s.value + "\" for " + s.name);
            return kExitUsage;
        }
    }

    if (const int free = session.CheckWindowedProgramNotRunning(); free != kExitOk) {
        return free;
    }
    if (const int open = session.OpenKeyboard(); open != kExitOk) {
        return open;
    }
    if (const int loaded = LoadLighting(session, profile); loaded != kExitOk) {
        return loaded;
    }
    lighting::LightingModel& model = session.core().lighting();

    // The mode first: choosing it may write the multicolour byte, which a later setting then
    // overrides as the user asked.
    std::stable_partition(parsed.begin(), parsed.end(),
                          [](const Setting& s) { return s.name == "mode"; });
    for (const Setting& s : parsed) {
        int exitCode = kExitOk;
        if (s.name == "mode") {
            const auto& entries = model.state().modeEntries;
            const ModeNames names = NamesOfModes(session, entries);
            std::optional<int> code = ParseInt(s.value, 1, 255);
            if (!code) {
                for (std::size_t i = 0; i < entries.size() && !code; ++i) {
                    if (SameName(names.names[i], s.value)) {
                        code = entries[i].code;
                    }
                }
            }
            if (!code || !model.state().OffersMode(*code)) {
                PrintMessage("the keyboard offers no lighting mode \"" + s.value + "\"" +
                             DidYouMean(s.value, names.names) +
                             "; quillfenctl list modes names them all");
                return kExitUsage;
            }
            exitCode = CheckWrite(session, "writing the lighting mode", model.SelectMode(*code));
        } else if (s.name == "brightness") {
            exitCode = CheckWrite(session, "writing the brightness",
                                  model.SetBrightness(*ParseInt(s.value, 0, 4)));
        } else if (s.name == "speed") {
            // The value is the keyboard's (as shown); the model takes a slider position.
            exitCode = CheckWrite(
                session, "writing the speed",
                model.SetSpeedFromSlider(lighting::kMaxLevel - *ParseInt(s.value, 0, 4)));
        } else if (s.name == "direction") {
            exitCode = CheckWrite(session, "writing the direction",
                                  model.SetDirection(*ParseInt(s.value, 0, 1)));
        } else if (s.name == "colour") {
            exitCode =
                CheckWrite(session, "writing the colour", model.SetColour(*ParseColour(s.value)));
        } else if (s.name == "multicolour") {
            if (model.state().multicolour != SameName(s.value, "on")) {
                exitCode = CheckWrite(session, "writing the multicolour switch",
                                      model.ToggleMulticolour());
            }
        } else if (s.name == "rate") {
            exitCode = CheckWrite(session, "writing the report rate",
                                  model.SetReportRate(*ParseInt(s.value, 0, 3)));
        } else if (s.name == "choice") {
            exitCode = CheckWrite(session, "writing the four-colour choice",
                                  model.SetFourColourChoice(*ParseInt(s.value, 0, 3)));
        }
        if (exitCode != kExitOk) {
            return exitCode;
        }
    }
    std::cout << "lighting of profile " << model.state().currentProfile << " set\n";
    return kExitOk;
}

int RunList(Session& session, const std::string& what) {
    std::vector<std::string> names;
    if (SameName(what, "keys")) {
        names = KeyNameList();
        names.insert(names.begin(), {"G1", "G2", "G3", "G4", "G5", "G6", "G7", "G8", "G9"});
    } else if (SameName(what, "media")) {
        names = MediaNameList(session.keyTexts());
    } else if (SameName(what, "functions")) {
        names = FunctionNameList(session.keyTexts());
    } else if (SameName(what, "modes")) {
        // Every mode code the tool knows, by the skin's names when the skin is installed; the
        // keyboard offers some of them (quillfenctl info lists which).
        std::vector<lighting::ModeEntry> entries;
        for (int code = 1; code <= 18; ++code) {
            lighting::ModeEntry entry{};
            entry.position = code - 1;
            entry.code = static_cast<std::uint8_t>(code);
            entries.push_back(entry);
        }
        const ModeNames modes = NamesOfModes(session, entries);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::cout << int{entries[i].code} << '\t' << modes.names[i] << '\n';
        }
        return kExitOk;
    } else {
        const std::vector<std::string> kinds = {"keys", "media", "functions", "modes"};
        PrintMessage("nothing called \"" + what + "\" to list" + DidYouMean(what, kinds) +
                     "; give keys, media, functions or modes");
        return kExitUsage;
    }
    for (const std::string& name : names) {
        if (!name.empty()) {
            std::cout << name << '\n';
        }
    }
    return kExitOk;
}

int RunLightingZone(Session& session, std::optional<int> profile, int zone,
                    const std::string& colourText) {
    const auto colour = ParseColour(colourText);
    if (!colour) {
        PrintMessage("bad colour \"" + colourText + "\" (RRGGBB)");
        return kExitUsage;
    }
    if (zone < lighting::kFirstZone || zone > lighting::kLastZone) {
        PrintMessage("zone " + std::to_string(zone) + " does not exist (1..6)");
        return kExitUsage;
    }
    if (const int free = session.CheckWindowedProgramNotRunning(); free != kExitOk) {
        return free;
    }
    if (const int open = session.OpenKeyboard(); open != kExitOk) {
        return open;
    }
    if (const int loaded = LoadLighting(session, profile); loaded != kExitOk) {
        return loaded;
    }
    lighting::LightingModel& model = session.core().lighting();
    if (!model.state().OffersMode(lighting::kZoneColourMode)) {
        PrintMessage("this keyboard keeps no zone colours");
        return kExitUsage;
    }
    if (model.state().mode != lighting::kZoneColourMode) {
        PrintMessage(
            "zone colours show only in lighting mode 8: choose it first with "
            "\"quillfenctl lighting set mode=8\"");
        return kExitUsage;
    }
    // Painting is what a click on a key of the zone does while the panel is on; the panel
    // switch is turned on for this run only, not stored.
    model.SetPanelOn(true);
    model.SetPaintColour(*colour);
    const auto buttons = lighting::ButtonsOfZone(zone);
    const lighting::PaintResult painted = model.PaintZone(buttons.front());
    if (painted.refused) {
        PrintMessage("the zone colour was not painted (" +
                     std::to_string(static_cast<int>(*painted.refused)) + ")");
        return kExitDevice;
    }
    if (painted.device != device::DeviceResult::Ok) {
        return session.DeviceFailure("writing the zone colour", painted.device);
    }
    std::cout << "zone " << zone << " of profile " << model.state().currentProfile << " set to "
              << FormatColour(*colour) << '\n';
    return kExitOk;
}

}  // namespace qf::cli
