#include "cli_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "keys/catalogues.h"
#include "keys/key_codes.h"
#include "macros/macro_image.h"

namespace qf::cli {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name in lower case without blanks, and without the '-' and '_' that join two words:
// "Page Up", "page-up" and "PAGE_UP" all give "pageup", while the '-' of "Num -" stays.
std::string Loose(std::string_view text) {
    auto isWordChar = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            continue;
        }
        if ((c == '-' || c == '_') && i > 0 && i + 1 < text.size() && isWordChar(text[i - 1]) &&
            isWordChar(text[i + 1])) {
            continue;
        }
        out += Lower(c);
    }
    return out;
}

// The index of the name that matches `text`: an exact match without case first, then the only
// loose match. `names` may hold empty entries (never matched).
template <typename Names>
std::optional<std::size_t> MatchName(std::string_view text, const Names& names) {
    if (text.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!std::string_view(names[i]).empty() && SameName(names[i], text)) {
            return i;
        }
    }
    const std::string loose = Loose(text);
    if (loose.empty()) {
        return std::nullopt;
    }
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!std::string_view(names[i]).empty() && Loose(names[i]) == loose) {
            if (found) {
                return std::nullopt;  // two keys spelled alike: the user must be exact
            }
            found = i;
        }
    }
    return found;
}

std::optional<std::string_view> StripPrefix(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size() || !SameName(text.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    return text.substr(prefix.size());
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<int> ParseInt(std::string_view text, int min, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<keys::ScanCode> ParseKeyName(std::string_view text) {
    if (const auto hex = StripPrefix(text, "0x"); hex && !hex->empty()) {
        unsigned value = 0;
        const char* end = hex->data() + hex->size();
        const auto [ptr, ec] = std::from_chars(hex->data(), end, value, 16);
        if (ec != std::errc() || ptr != end || value == 0 || value >= 0x200) {
            return std::nullopt;
        }
        const auto scan = static_cast<keys::ScanCode>(value);
        if (keys::KeyRowOf(scan).name.empty()) {
            return std::nullopt;
        }
        return scan;
    }
    static constexpr std::array<std::pair<std::string_view, keys::ScanCode>, 4> kArrows = {{
        {"Up", 0x148},
        {"Down", 0x150},
        {"Left", 0x14B},
        {"Right", 0x14D},
    }};
    for (const auto& [alias, scan] : kArrows) {
        if (SameName(alias, text)) {
            return scan;
        }
    }
    std::array<std::string_view, keys::kKeyTableSize> names{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = keys::kKeyTable[i].name;
    }
    if (const auto index = MatchName(text, names)) {
        return keys::KeyIndexToScan(static_cast<unsigned>(*index));
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ParseMediaName(std::string_view text, const keys::KeyTexts& texts) {
    if (const auto index = MatchName(text, texts.media)) {
        return static_cast<std::uint32_t>(*index);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ParseFunctionName(std::string_view text, const keys::KeyTexts& texts) {
    if (const auto index = MatchName(text, texts.functions)) {
        return static_cast<std::uint32_t>(*index);
    }
    return std::nullopt;
}

std::optional<KeyTarget> ParseKeyTarget(std::string_view text, unsigned bank) {
    if (text.size() == 2 && (text[0] == 'G' || text[0] == 'g') && text[1] >= '1' &&
        text[1] <= '9' && bank <= 1) {
        KeyTarget target;
        target.isGKey = true;
        target.gNumber = static_cast<unsigned>(text[1] - '0');
        target.bank = bank;
        target.record = keys::GRecordIndex(bank, target.gNumber);
        return target;
    }
    const auto scan = ParseKeyName(text);
    if (!scan) {
        return std::nullopt;
    }
    KeyTarget target;
    target.scan = *scan;
    target.record = keys::ScanToKeyIndex(*scan);
    return target;
}

std::optional<NewFunction> ParseAssignment(const std::vector<std::string>& words,
                                           std::string& error) {
    if (words.empty()) {
        error =
            "no function given (default, disable, key:NAME, macro:NAME, media:NAME or "
            "function:NAME)";
        return std::nullopt;
    }
    // Words after the first belong to the name ("media:Volume Up" given unquoted), except a
    // trailing "xN" repeat count of a macro.
    std::string joined = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
        joined += ' ';
        joined += words[i];
    }
    NewFunction wanted;
    const std::string_view all = joined;
    if (SameName(all, "default")) {
        wanted.kind = NewFunction::Kind::Default;
        return wanted;
    }
    if (SameName(all, "disable") || SameName(all, "disabled")) {
        wanted.kind = NewFunction::Kind::Disable;
        return wanted;
    }
    struct Prefix {
        std::string_view text;
        NewFunction::Kind kind;
    };
    static constexpr std::array<Prefix, 4> kPrefixes = {{
        {"key:", NewFunction::Kind::Key},
        {"macro:", NewFunction::Kind::Macro},
        {"media:", NewFunction::Kind::Media},
        {"function:", NewFunction::Kind::Function},
    }};
    for (const Prefix& prefix : kPrefixes) {
        const auto rest = StripPrefix(all, prefix.text);
        if (!rest) {
            continue;
        }
        wanted.kind = prefix.kind;
        std::string name(*rest);
        if (wanted.kind == NewFunction::Kind::Macro) {
            const std::size_t blank = name.find_last_of(' ');
            if (blank != std::string::npos && blank + 1 < name.size() &&
                (name[blank + 1] == 'x' || name[blank + 1] == 'X')) {
                const auto count = ParseInt(std::string_view(name).substr(blank + 2),
                                            macros::kMinRepeatCount, macros::kMaxRepeatCount);
                if (!count) {
                    error = "repeat count \"" + name.substr(blank + 1) + "\" is not x1 to x255";
                    return std::nullopt;
                }
                wanted.repeats = static_cast<unsigned>(*count);
                name.erase(blank);
                while (!name.empty() && name.back() == ' ') {
                    name.pop_back();
                }
            }
        }
        if (name.empty()) {
            error = "\"" + joined + "\" names nothing after the colon";
            return std::nullopt;
        }
        wanted.name = std::move(name);
        return wanted;
    }
    error = "unknown function \"" + joined +
            "\" (use default, disable, key:NAME, macro:NAME [xN], media:NAME or function:NAME)";
    return std::nullopt;
}

std::optional<std::vector<macros::MacroAction>> ParseMacroSteps(
    const std::vector<std::string>& steps, std::string& error) {
    std::vector<macros::MacroAction> actions;
    for (const std::string& step : steps) {
        if (step.size() >= 2 && (step[0] == '+' || step[0] == '-')) {
            const auto scan = ParseKeyName(std::string_view(step).substr(1));
            if (!scan) {
                error = "unknown key in step \"" + step + "\"";
                return std::nullopt;
            }
            if (actions.size() >= macros::kMaxMacroActions) {
                error = "a macro holds at most " + std::to_string(macros::kMaxMacroActions) +
                        " actions";
                return std::nullopt;
            }
            macros::MacroAction action;
            action.scan = *scan;
            action.state = step[0] == '+' ? macros::kActionPress : macros::kActionRelease;
            actions.push_back(action);
            continue;
        }
        if (step.size() >= 2 && (step[0] == 't' || step[0] == 'T')) {
            const auto delay =
                ParseInt(std::string_view(step).substr(1), 0, macros::kMaxTypedDelayMs);
            if (!delay) {
                error = "wait \"" + step + "\" is not t0 to t" +
                        std::to_string(macros::kMaxTypedDelayMs) + " (milliseconds)";
                return std::nullopt;
            }
            if (actions.empty()) {
                error = "wait \"" + step + "\" comes before any key: a wait follows an action";
                return std::nullopt;
            }
            const std::int32_t total = actions.back().delay + *delay;
            if (total > macros::kMaxTypedDelayMs) {
                error = "the waits after one action add up to more than " +
                        std::to_string(macros::kMaxTypedDelayMs) + " ms";
                return std::nullopt;
            }
            actions.back().delay = total;
            continue;
        }
        error = "step \"" + step + "\" is none of +KEY (press), -KEY (release), tMS (wait)";
        return std::nullopt;
    }
    if (actions.empty()) {
        error = "a macro needs at least one step";
        return std::nullopt;
    }
    // Rather than change the user's macro quietly, name the waits the keyboard can keep.
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const std::int32_t given = actions[i].delay;
        const std::int32_t below = KeptDelayMs(given);
        if (below == given) {
            continue;
        }
        const std::int32_t above = below + macros::kImageDelayUnitMs;
        const std::string step =
            std::string(actions[i].state == macros::kActionRelease ? "-" : "+") +
            keys::KeyName(actions[i].scan, keys::BuiltinKeyTexts());
        error = "the wait after step " + step + " (action " + std::to_string(i + 1) + ") is " +
                std::to_string(given) +
                " ms, but the keyboard keeps waits in steps of 10 ms: make it " +
                std::to_string(below) + " ms" + (below == 0 ? " (no wait)" : "") +
                (above <= macros::kMaxTypedDelayMs ? " or " + std::to_string(above) + " ms"
                                                   : std::string());
        return std::nullopt;
    }
    return actions;
}

std::vector<std::string> KeyNameList() {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < keys::kKeyTableSize; ++i) {
        const std::string_view name = keys::kKeyTable[i].name;
        if (!name.empty() && std::find(out.begin(), out.end(), name) == out.end()) {
            out.emplace_back(name);
        }
    }
    for (const char* alias : {"Up", "Down", "Left", "Right"}) {
        if (std::find(out.begin(), out.end(), alias) == out.end()) {
            out.emplace_back(alias);
        }
    }
    return out;
}

std::vector<std::string> MediaNameList(const keys::KeyTexts& texts) {
    return {texts.media.begin(), texts.media.end()};
}

std::vector<std::string> FunctionNameList(const keys::KeyTexts& texts) {
    return {texts.functions.begin(), texts.functions.end()};
}

namespace {

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0u : 1u)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string> NearestNames(std::string_view text, const std::vector<std::string>& names,
                                      std::size_t most) {
    const std::string wanted = Loose(text);
    std::vector<std::pair<std::size_t, std::size_t>> scored;  // distance, index
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string candidate = Loose(names[i]);
        if (candidate.empty()) {
            continue;
        }
        const std::size_t distance = EditDistance(wanted, candidate);
        const std::size_t longer = std::max(wanted.size(), candidate.size());
        if (distance <= std::max<std::size_t>(1, longer / 3) && distance < longer) {
            scored.emplace_back(distance, i);
        }
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> out;
    for (const auto& [distance, index] : scored) {
        if (out.size() >= most) {
            break;
        }
        if (std::find(out.begin(), out.end(), names[index]) == out.end()) {
            out.push_back(names[index]);
        }
    }
    return out;
}

std::string DidYouMean(std::string_view text, const std::vector<std::string>& names) {
    const auto near = NearestNames(text, names);
    if (near.empty()) {
        return "";
    }
    std::string out = " (did you mean ";
    for (std::size_t i = 0; i < near.size(); ++i) {
        if (i > 0) {
            out += i + 1 == near.size() ? " or " : ", ";
        }
        out += "\"" + near[i] + "\"";
    }
    return out + "?)";
}

std::int32_t KeptDelayMs(std::int32_t ms) {
    const std::int32_t device = macros::DeviceDelayMs(ms);
    return device / macros::kImageDelayUnitMs * macros::kImageDelayUnitMs;
}

std::vector<DelayChange> DelayChanges(const macros::MacroRecord& macro) {
    std::vector<DelayChange> out;
    for (std::size_t i = 0; i < macro.UsedActions(); ++i) {
        const std::int32_t given = macro.actions[i].delay;
        const std::int32_t kept = KeptDelayMs(given);
        if (kept != given) {
            out.push_back({i, given, kept});
        }
    }
    return out;
}

std::string FormatMacroSteps(const macros::MacroRecord& macro, const keys::KeyTexts& texts) {
    std::string out;
    for (std::size_t i = 0; i < macro.UsedActions(); ++i) {
        const macros::MacroAction& action = macro.actions[i];
        if (!out.empty()) {
            out += ' ';
        }
        out += action.state == macros::kActionRelease ? '-' : '+';
        out += keys::KeyName(action.scan, texts);
        if (action.delay != 0) {
            out += " t" + std::to_string(action.delay);
        }
    }
    return out;
}

std::optional<lighting::Rgb> ParseColour(std::string_view text) {
    if (!text.empty() && text[0] == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 3> parts{};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string_view pair = text.substr(2 * i, 2);
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(pair.data(), pair.data() + 2, value, 16);
        if (ec != std::errc() || ptr != pair.data() + 2) {
            return std::nullopt;
        }
        parts[i] = static_cast<std::uint8_t>(value);
    }
    return lighting::Rgb{parts[0], parts[1], parts[2]};
}

std::string FormatColour(lighting::Rgb colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", colour.r, colour.g, colour.b);
    return buffer;
}

std::string BuiltinModeName(int code) {
    // Named after what each effect lets the user set (direction, speed, colours).
    static constexpr std::array<std::string_view, 18> kNames = {
        "Rainbow wave",   "Wave",         "Rainbow breathing", "Static", "Breathing",
        "Reactive",       "Scan",         "Custom zones",      "Ripple", "Raindrops",
        "Spectrum cycle", "Rising wave",  "Starlight",         "Flash",  "Snake",
        "Trigger",        "Four colours", "Spread and gather",
    };
    if (code >= 1 && code <= static_cast<int>(kNames.size())) {
        return std::string(kNames[static_cast<std::size_t>(code - 1)]);
    }
    return "mode " + std::to_string(code);
}

}  // namespace qf::cli
