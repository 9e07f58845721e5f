#include "keys/key_names.h"

#include "keys/key_codes.h"
#include "text/language.h"
#include "text/text_format.h"

namespace qf::keys {

namespace {

// The media functions' names when no language text names them.
constexpr std::array<std::string_view, kMediaCount> kMediaEnglish = {
    "Media Player", "Play/Pause",    "Stop",       "Previous Track", "Next Track", "Volume Down",
    "Volume Up",    "Mute",          "WWW Home",   "WWW Refresh",    "WWW Stop",   "WWW Back",
    "WWW Forward",  "WWW Favorites", "WWW Search", "My Computer",    "Calculator", "Mail",
};

}  // namespace

KeyTexts LoadKeyTexts(const text::LanguageTable& language) {
    KeyTexts texts;
    texts.unknownKey = language.Text(text::TextId::UNKNOWN_KEY);
    for (std::size_t i = 0; i < kMediaCount; ++i) {
        texts.media[i] = language.Text(text::kMediaTextIds[i]);
    }
    for (std::size_t i = 0; i < kFunctionCount; ++i) {
        texts.functions[i] = language.Text(text::kFunctionTextIds[i]);
    }
    return texts;
}

KeyTexts BuiltinKeyTexts() {
    KeyTexts texts = LoadKeyTexts(text::LanguageTable{});
    for (std::size_t i = 0; i < kMediaCount; ++i) {
        if (texts.media[i].empty()) {
            texts.media[i] = std::string(kMediaEnglish[i]);
        }
    }
    return texts;
}

std::string KeyName(ScanCode scan, const KeyTexts& texts) {
    const KeyRow& row = KeyRowOf(scan);
    if (row.isMedia()) {
        const std::string& media = texts.media[row.mediaIndex];
        if (!media.empty()) {
            return media;
        }
    } else if (!row.name.empty()) {
        return std::string(row.name);
    }
    return text::Format(texts.unknownKey, scan);
}

std::string ActionKeyName(std::uint16_t code, const KeyTexts& texts) {
    const ScanCode scan = ActionKeyCodeToScan(code);
    // Row 0 is empty, so a scan code of 0 always means that no row carries the code.
    if (scan == kNoKey) {
        return {};
    }
    const KeyRow& row = KeyRowOf(scan);
    if (row.isMedia()) {
        return texts.media[row.mediaIndex];
    }
    return std::string(row.name);
}

}  // namespace qf::keys
