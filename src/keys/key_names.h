// Key names. Nearly every name is constant; the eighteen media keys, the eleven keyboard
// functions and the text for keys without a name come from the language table, which the
// caller hands in as a KeyTexts record (filled once per language load).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "keys/key_tables.h"

namespace qf::keys {

inline constexpr std::size_t kFunctionCount = 11;

// Language keys of the texts this module shows, spelled as in the language file.
inline constexpr std::string_view kUnknownKeyTextKey = "UNKNOWN_KEY";
inline constexpr std::array<std::string_view, kMediaCount> kMediaTextKeys = {
    "MEDIA_PALYER_1",       "MEDIA_PALY_PAUSE_2",    "MEDIA_STOP_PALY_3",   "MEDIA_PREV_TRACK_4",
    "MEDIA_Next_TRACK_5",   "MEDIA_V_LOW_6",         "MEDIA_V_ADD_7",       "MEDIA_MUTE_8",
    "MEDIA_WWW_HOME_9",     "MEDIA_WWW_REFRESH_10",  "MEDIA_WWW_STOP_11",   "MEDIA_WWW_BACK_12",
    "MEDIA_WWW_FORWARD_13", "MEDIA_WWW_FAVORITE_14", "MEDIA_WWW_SEARCH_15", "MEDIA_MY_PC_16",
    "MEDIA_CALC_17",        "MEDIA_MAIL_18",
};
inline constexpr std::array<std::string_view, kFunctionCount> kFunctionTextKeys = {
    "FUNC_KEY_DESC1", "FUNC_KEY_DESC2",  "FUNC_KEY_DESC3",  "FUNC_KEY_DESC4",
    "FUNC_KEY_DESC5", "FUNC_KEY_DESC6",  "FUNC_KEY_DESC7",  "FUNC_KEY_DESC8",
    "FUNC_KEY_DESC9", "FUNC_KEY_DESC10", "FUNC_KEY_DESC11",
};

// Built-in wordings.
inline constexpr std::string_view kUnknownKeyBuiltin = "Unknown Key: %03x";
inline constexpr std::array<std::string_view, kFunctionCount> kFunctionBuiltin = {
    "Open", "New", "Undo", "Save", "Copy", "Cut", "Paste", "Find", "Select All", "Zoom-", "Zoom+",
};

// The language texts key names depend on. UTF-8.
struct KeyTexts {
    // Format of the name of a key without one: its single integer conversion (e.g. "%03x")
    // takes the scan code.
    std::string unknownKey{kUnknownKeyBuiltin};
    std::array<std::string, kMediaCount> media;  // media index 0..17
    std::array<std::string, kFunctionCount> functions;
};

// Texts for use without a language file: the built-in wordings, and plain English names for
// the media functions (the language file has no built-in wording for them).
KeyTexts BuiltinKeyTexts();

// Fills a KeyTexts record through a language-table lookup by key.
using TextLookup = std::function<std::string(std::string_view key)>;
KeyTexts LoadKeyTexts(const TextLookup& lookup);

// The key's name, or the unknown-key text for a scan code without a row or a name
// (codes 0x200 and up included).
std::string KeyName(ScanCode scan, const KeyTexts& texts);

// The name of the first key-table row whose action code is `code`, or an empty text.
std::string ActionKeyName(std::uint16_t code, const KeyTexts& texts);

// Formats `format` with one unsigned argument, as printf would with a single integer
// conversion (d, i, u, x, X, o with flags, width and precision). The format comes from a
// language file, so it is never handed to printf: "%%" gives "%", the first integer
// conversion takes the value, and every other '%' sequence is copied as it stands. Widths
// and precisions are capped at 64.
std::string FormatUnsigned(std::string_view format, std::uint32_t value);

}  // namespace qf::keys
