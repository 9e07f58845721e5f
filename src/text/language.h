// The language table: every text the user sees, looked up by its key in one language file.
//
// The file ("Skins/language.ini" beside the program) holds one section per language. Key
// "language" of section "LANGUAGE" chooses it: 1 selects "ENGINSH", anything else (0, 2, an empty
// value, no key, no file) "CHINESE". The value is read like atoi: "1x" selects English too.
//
// A LanguageTable starts with the built-in wording of every key. Six loaders, run at the moments
// the windows decide (the message texts once at start, the menus each time they open, ...), read
// the chosen section afresh and replace the texts of their keys. A key missing from the chosen
// section, or a missing file, leaves its text empty: once a loader has run, the built-in wording
// of its keys is never shown, and there is no fall-back to the other section.
//
// Texts that take arguments ("%d", "%s", "%03x") are filled with Format (text/text_format.h),
// never with printf: the language file is user-editable input.
//
// Not synchronised: load and read on one thread (the window thread), or load before other
// threads start and only read afterwards.
#pragma once

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "text/ini_file.h"
#include "text/language_keys.h"
#include "text/text_format.h"

namespace qf::text {

enum class TextLoader {
    MessageTexts,      // LoadMessageTexts: once at program start
    MainWindowLabels,  // when the main window opens
    MainMenu,          // each time the main window's menu opens
    AboutBox,          // each time the About box opens
    CompositeEditor,   // each time the composite assignment editor opens
    TrayMenu,          // each time the notification-area menu opens
};

// The keys a loader reads, in reading order.
[[nodiscard]] std::span<const TextId> KeysOf(TextLoader loader);

// The integer value of key "language" of section "LANGUAGE" (its default, a blank, counts as 0).
// Other files choose by it too: the skin's "Mode"/"Mode1" and "Control_Name"/"Control_Name1".
[[nodiscard]] int LanguageSetting(const IniDocument& languageFile);
// "ENGINSH" for a setting of 1, "CHINESE" otherwise.
[[nodiscard]] std::string_view LanguageSectionFor(int languageSetting);

class LanguageTable {
public:
    // Every text holds its built-in wording.
    LanguageTable();

    [[nodiscard]] const std::string& Text(TextId id) const {
        return texts_[static_cast<std::size_t>(id)];
    }

    // Text(id) with its placeholders filled (see text/text_format.h).
    template <typename... Args>
    [[nodiscard]] std::string Format(TextId id, const Args&... args) const {
        return text::Format(Text(id), args...);
    }

    // Runs a loader on a parsed language file.
    void Load(TextLoader loader, const IniDocument& languageFile);
    // Runs a loader on the language file as it is on disk now. A missing or unreadable file
    // reads as empty: every text of the loader becomes empty. Returns LoadIniFile's result.
    IniLoadResult Load(TextLoader loader, const std::filesystem::path& languageFile);

private:
    std::array<std::string, kTextCount> texts_;
};

}  // namespace qf::text
