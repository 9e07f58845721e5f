// What quillfenctl reads from its command line and how it writes names: key names, assignment
// targets, macro steps, colours and lighting modes.
// Pure functions of their arguments and the key tables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_names.h"
#include "keys/key_record.h"
#include "keys/key_tables.h"
#include "lighting/lighting_state.h"
#include "macros/macro_record.h"

namespace qf::cli {

// True when `a` and `b` are equal without regard to ASCII letter case.
bool SameName(std::string_view a, std::string_view b);

// A key by the key table's name (case-insensitive: "Esc", "caps lock", "Num 7"), by one of the
// arrow aliases "Up", "Down", "Left", "Right", or by its scan code in hex ("0x01e"). Names that
// differ only in blanks, '-' and '_' match when only one key has that spelling ("capslock",
// "page-up"). Nothing for an unknown name or a scan code without a named row.
std::optional<keys::ScanCode> ParseKeyName(std::string_view text);

// Media index 0..17 or keyboard function index 0..10 by its name in `texts` (the same matching
// as for keys: exact without case first, then without blanks, '-' and '_').
std::optional<std::uint32_t> ParseMediaName(std::string_view text, const keys::KeyTexts& texts);
std::optional<std::uint32_t> ParseFunctionName(std::string_view text, const keys::KeyTexts& texts);

// Which key an assignment is for: an ordinary key or a G key of a bank.
struct KeyTarget {
    bool isGKey = false;
    keys::ScanCode scan = keys::kNoKey;  // ordinary keys
    unsigned gNumber = 0;                // 1..9
    unsigned bank = 0;                   // 0 = A, 1 = B
    std::size_t record = 0;              // record number in a key block
};

// "G1".."G9" (any case) is a G key of `bank`; anything else goes through ParseKeyName.
std::optional<KeyTarget> ParseKeyTarget(std::string_view text, unsigned bank);

// A new function for a key:
//   default | disable | key:NAME | macro:NAME [xN] | media:NAME | function:NAME
// The macro's repeat count may follow as "xN" in the same argument ("macro:Burst x3") or as the
// next argument; N is 1..255.
struct NewFunction {
    enum class Kind { Default, Disable, Key, Macro, Media, Function };
    Kind kind = Kind::Default;
    std::string name;      // key, macro, media or function name
    unsigned repeats = 0;  // macros only: 1..255, 0 when not given
};

// Parses the words after the key. Returns nothing and sets `error` for anything else.
std::optional<NewFunction> ParseAssignment(const std::vector<std::string>& words,
                                           std::string& error);

// Macro steps: "+A" press, "-A" release, "t50" wait 50 ms after the previous action (the
// keyboard's actions carry the wait after them, so a wait adds to the action before it). Key
// names as ParseKeyName. Returns nothing and sets `error` on a step that is none of these, a
// wait before the first action, a wait that would pass the longest the editor accepts
// (40000 ms), an unknown key, no actions at all, or more than 2000 actions.
std::optional<std::vector<macros::MacroAction>> ParseMacroSteps(
    const std::vector<std::string>& steps, std::string& error);

// The steps form of an action list, as ParseMacroSteps reads it ("+A t50 -A").
std::string FormatMacroSteps(const macros::MacroRecord& macro, const keys::KeyTexts& texts);

// "RRGGBB" or "#RRGGBB", hex digits of any case.
std::optional<lighting::Rgb> ParseColour(std::string_view text);
std::string FormatColour(lighting::Rgb colour);

// The tool's own English name of a lighting mode code (1..18), used when no skin layout file
// names the modes; "mode N" for other codes.
std::string BuiltinModeName(int code);

// ---- Names a target accepts, and the nearest ones to a misspelt name ----

// Every key name ParseKeyName accepts by name (the key table's names, once each, then the
// arrow aliases), in table order.
std::vector<std::string> KeyNameList();
// The media and keyboard function names of `texts`, in index order.
std::vector<std::string> MediaNameList(const keys::KeyTexts& texts);
std::vector<std::string> FunctionNameList(const keys::KeyTexts& texts);

// Up to `most` names of `names` nearest to `text` by edit distance (ignoring case, blanks and
// the '-' and '_' between words), nearest first; only names close enough to be a slip of the
// keyboard: at most a third of the longer name's letters differ (at least one may).
std::vector<std::string> NearestNames(std::string_view text, const std::vector<std::string>& names,
                                      std::size_t most = 3);

// " (did you mean A, B or C?)" for the nearest names, or "" when none is near.
std::string DidYouMean(std::string_view text, const std::vector<std::string>& names);

// ---- Macro waits the keyboard can hold ----

// The keyboard keeps a wait in steps of 10 ms; a wait between two steps is cut down to the step
// below (5 ms becomes none). The wait the keyboard keeps for `ms` (0..40000).
std::int32_t KeptDelayMs(std::int32_t ms);

// One action whose wait the keyboard would change.
struct DelayChange {
    std::size_t action = 0;  // 0-based position in the action list
    std::int32_t given = 0;
    std::int32_t kept = 0;
};
std::vector<DelayChange> DelayChanges(const macros::MacroRecord& macro);

// A whole decimal number in [min, max]; nothing for anything else ("3x", "", "-").
std::optional<int> ParseInt(std::string_view text, int min, int max);

}  // namespace qf::cli
