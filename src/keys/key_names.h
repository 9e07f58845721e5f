// Key names. Nearly every name is constant; the eighteen media keys, the eleven keyboard
// functions and the text for keys without a name come from the language table, which the
// caller hands in as a KeyTexts record (filled once per language load with LoadKeyTexts).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "keys/key_tables.h"
#include "text/language_keys.h"

namespace qf::text {
class LanguageTable;
}

namespace qf::keys {

inline constexpr std::size_t kFunctionCount = text::kFunctionTextIds.size();
static_assert(text::kMediaTextIds.size() == kMediaCount);

// The language texts key names depend on. UTF-8.
struct KeyTexts {
    // The name of a key without one, filled with text::Format: its placeholder (e.g. "%03x")
    // takes the scan code.
    std::string unknownKey{text::TextKey(text::TextId::UNKNOWN_KEY).builtIn};
    std::array<std::string, kMediaCount> media;  // media index 0..17
    std::array<std::string, kFunctionCount> functions;
};

// The key texts of a language table: UNKNOWN_KEY, the media names and the function names.
KeyTexts LoadKeyTexts(const text::LanguageTable& language);

// Texts for use without a language file: LoadKeyTexts of a table with the built-in wordings,
// with plain English names for the media functions (the language file has no built-in wording
// for them).
KeyTexts BuiltinKeyTexts();

// The key's name, or the unknown-key text for a scan code without a row or a name
// (codes 0x200 and up included).
std::string KeyName(ScanCode scan, const KeyTexts& texts);

// The name of the first key-table row whose action code is `code`, or an empty text.
std::string ActionKeyName(std::uint16_t code, const KeyTexts& texts);

}  // namespace qf::keys
