#include "text/language.h"

namespace qf::text {

std::span<const TextId> KeysOf(TextLoader loader) {
    switch (loader) {
        case TextLoader::MessageTexts:
            return kMessageTextIds;
        case TextLoader::MainWindowLabels:
            return kMainWindowLabelIds;
        case TextLoader::MainMenu:
            return kMainMenuIds;
        case TextLoader::AboutBox:
            return kAboutBoxIds;
        case TextLoader::CompositeEditor:
            return kCompositeEditorIds;
        case TextLoader::TrayMenu:
            return kTrayMenuIds;
    }
    return {};
}

int LanguageSetting(const IniDocument& languageFile) {
    return ParseLeadingInt(languageFile.GetString(kLanguageSection, kLanguageKey, " "));
}

std::string_view LanguageSectionFor(int languageSetting) {
    return languageSetting == kEnglishLanguageValue ? kEnglishSection : kChineseSection;
}

LanguageTable::LanguageTable() {
    for (const TextKeyInfo& info : kTextKeys) {
        texts_[static_cast<std::size_t>(info.id)] = std::string(info.builtIn);
    }
}

void LanguageTable::Load(TextLoader loader, const IniDocument& languageFile) {
    const std::string_view section = LanguageSectionFor(LanguageSetting(languageFile));
    for (const TextId id : KeysOf(loader)) {
        // The reader's default is a single blank, which reads as an empty text.
        texts_[static_cast<std::size_t>(id)] =
            languageFile.GetString(section, TextKey(id).key, " ");
    }
}

IniLoadResult LanguageTable::Load(TextLoader loader, const std::filesystem::path& languageFile) {
    IniDocument doc;
    const IniLoadResult result = LoadIniFile(languageFile, doc);
    Load(loader, doc);
    return result;
}

}  // namespace qf::text
