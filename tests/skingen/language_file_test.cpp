// The shipped language file: English selected, every text of the language table in both
// sections, placeholders where the program fills them, real Chinese, one line per text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "skin_files.h"
#include "text/language.h"
#include "text/language_keys.h"
#include "text/text_format.h"

namespace qf::skintest {
namespace {

using text::TextId;

std::vector<std::string> Placeholders(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        std::size_t j = i + 1;
        while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) != 0)) {
            ++j;
        }
        if (j < text.size()) {
            found.emplace_back(text.substr(i, j - i + 1));
        }
        i = j;
    }
    return found;
}

bool HasChinese(std::string_view utf8) {
    // Any character from U+3000 up: its UTF-8 form starts with a byte of 0xE3 or more.
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0xE3) {
            return true;
        }
    }
    return false;
}

class LanguageFile : public ::testing::Test {
protected:
    void SetUp() override { file = LoadLayout("language.ini"); }
    text::IniDocument file;
};

TEST_F(LanguageFile, SelectsEnglish) {
    EXPECT_EQ(text::LanguageSectionFor(text::LanguageSetting(file)), text::kEnglishSection);
}

TEST_F(LanguageFile, HoldsEveryTextInBothSections) {
    for (std::string_view section : {text::kEnglishSection, text::kChineseSection}) {
        for (const text::TextKeyInfo& info : text::kTextKeys) {
            SCOPED_TRACE(std::string(section) + " " + std::string(info.key));
            const std::optional<std::string> value = file.Find(section, info.key);
            ASSERT_TRUE(value.has_value()) << "missing";
            EXPECT_FALSE(value->empty());
            // The reader keeps a value to one line and does not unescape: no "\n" wording.
            EXPECT_EQ(value->find("\\n"), std::string::npos);
            EXPECT_EQ(value->find("\\r"), std::string::npos);
            EXPECT_LE(value->size(), text::kIniValueMaxChars);
        }
        // No key of the file is unknown to the program: a misspelt key would stay unread.
        for (const std::string& key : file.KeyNames(section)) {
            const bool known = std::any_of(text::kTextKeys.begin(), text::kTextKeys.end(),
                                           [&](const auto& info) { return info.key == key; });
            EXPECT_TRUE(known) << section << " " << key;
        }
    }
}

TEST_F(LanguageFile, KeepsThePlaceholdersOfTheBuiltInWording) {
    for (std::string_view section : {text::kEnglishSection, text::kChineseSection}) {
        for (const text::TextKeyInfo& info : text::kTextKeys) {
            const std::string value = file.GetString(section, info.key, "");
            EXPECT_EQ(Placeholders(value), Placeholders(info.builtIn))
                << section << " " << info.key << ": " << value;
        }
    }
    // Filled through the program's formatter, the numbers and the path land in the text.
    text::LanguageTable table;
    table.Load(text::TextLoader::MessageTexts, file);
    EXPECT_NE(table.Format(TextId::MACRO_ERR_MAX, 100).find("100"), std::string::npos);
    EXPECT_NE(table.Format(TextId::UNKNOWN_KEY, 0x1ab).find("1ab"), std::string::npos);
    EXPECT_NE(
        table.Format(TextId::PROFILE_FORMAT_ERROR, std::string("/tmp/a.fwc")).find("/tmp/a.fwc"),
        std::string::npos);
}

TEST_F(LanguageFile, KeepsTheValuesTheProgramReliesOn) {
    for (std::string_view section : {text::kEnglishSection, text::kChineseSection}) {
        // Also the name the record-delay choice is stored under.
        EXPECT_EQ(file.GetString(section, "MACRO_ACTION_RECORD_DELAY", ""), "RecordDelay");
        // The default file name of a new profile starts with a separator.
        EXPECT_TRUE(file.GetString(section, "PROFILE_NEW", "").starts_with("\\")) << section;
        // The build wrote the version in.
        const std::string version = file.GetString(section, "MAIN_BUTTON_ZORVAT_VER", "");
        EXPECT_TRUE(version.starts_with("v")) << version;
        EXPECT_EQ(version.find('@'), std::string::npos) << version;
    }
    // "No Use!" was no message for a profile that cannot be read.
    const std::string apply = file.GetString(text::kEnglishSection, "APPLY_PROMPT", "");
    EXPECT_NE(apply, text::TextKey(TextId::APPLY_PROMPT).builtIn);
    EXPECT_GT(apply.size(), 30u);
}

TEST_F(LanguageFile, TheChineseSectionIsChinese) {
    // Texts that are the same in both languages: a stored value name, the version, a separator
    // and the tray items' letters.
    const std::vector<std::string_view> same = {"MACRO_ACTION_RECORD_DELAY",
                                                "MAIN_BUTTON_ZORVAT_VER", "KEY_PROMPT_SET"};
    for (const text::TextKeyInfo& info : text::kTextKeys) {
        if (std::find(same.begin(), same.end(), info.key) != same.end()) {
            continue;
        }
        EXPECT_TRUE(HasChinese(file.GetString(text::kChineseSection, info.key, ""))) << info.key;
        EXPECT_FALSE(HasChinese(file.GetString(text::kEnglishSection, info.key, ""))) << info.key;
    }
}

TEST_F(LanguageFile, EveryLoaderFindsItsTexts) {
    // Through the program's own loaders, in English and with the language switched to Chinese.
    for (const char* setting : {"1", "0"}) {
        text::IniDocument doc = file;
        ASSERT_EQ(doc.SetString(text::kLanguageSection, text::kLanguageKey, setting),
                  text::IniWriteResult::Written);
        text::LanguageTable table;
        for (text::TextLoader loader :
             {text::TextLoader::MessageTexts, text::TextLoader::MainWindowLabels,
              text::TextLoader::MainMenu, text::TextLoader::AboutBox,
              text::TextLoader::CompositeEditor, text::TextLoader::TrayMenu}) {
            table.Load(loader, doc);
            for (TextId id : text::KeysOf(loader)) {
                EXPECT_FALSE(table.Text(id).empty()) << setting << " " << text::TextKey(id).key;
            }
        }
    }
}

}  // namespace
}  // namespace qf::skintest
