#include "text/language.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/temp_folder.h"

namespace qf::text {
namespace {

using qf::testing::TempFolder;

// ---- Choosing the section -------------------------------------------------------------------

struct ChoiceCase {
    const char* file;
    std::string_view section;
};

class LanguageChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageChoice, PicksEnglishOnlyForOne) {
    const IniDocument doc = IniDocument::Parse(GetParam().file);
    EXPECT_EQ(LanguageSectionFor(LanguageSetting(doc)), GetParam().section);
}

INSTANTIATE_TEST_SUITE_P(Values, LanguageChoice,
                         ::testing::Values(ChoiceCase{"[LANGUAGE]\nlanguage=1\n", "ENGINSH"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=1x\n", "ENGINSH"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=  1\n", "ENGINSH"},
                                           ChoiceCase{"[language]\nLANGUAGE=1\n", "ENGINSH"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=0\n", "CHINESE"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=2\n", "CHINESE"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=\n", "CHINESE"},
                                           ChoiceCase{"[LANGUAGE]\nlanguage=x1\n", "CHINESE"},
                                           ChoiceCase{"[LANGUAGE]\n", "CHINESE"},
                                           ChoiceCase{"", "CHINESE"}));

// ---- Loading --------------------------------------------------------------------------------

constexpr std::string_view kEnglishFile =
    "[LANGUAGE]\n"
    "language=1\n"
    "[ENGINSH]\n"
    "MENU_1=Import profiles\n"
    "menu_2=Export profiles\n"
    "MENU_11=Show\n"
    "MAIN_MINIMIZE_PROMPT=Shrink\n"
    "PROFILE_CANCLE=Cancel\n"
    "[CHINESE]\n"
    "MENU_1=CN import\n"
    "MENU_3=CN about\n";

TEST(LanguageTable, StartsWithTheBuiltInWording) {
    const LanguageTable table;
    EXPECT_EQ(table.Text(TextId::MENU_1), "Import");
    EXPECT_EQ(table.Text(TextId::MENU_33), "Exit(&X)");
    EXPECT_EQ(table.Text(TextId::FUNC_KEY_DESC9), "Select All");
    EXPECT_EQ(table.Text(TextId::PROFILE_NEW), "\\The new contextual  mode");
    EXPECT_EQ(table.Text(TextId::GUANYU_JIESHAO), "");
    EXPECT_EQ(table.Format(TextId::UNKNOWN_KEY, 0x05A), "Unknown Key: 05a");
}

TEST(LanguageTable, LoaderTakesTheChosenSectionAndEmptiesMissingKeys) {
    LanguageTable table;
    const IniDocument doc = IniDocument::Parse(kEnglishFile);
    table.Load(TextLoader::MainMenu, doc);
    EXPECT_EQ(table.Text(TextId::MENU_1), "Import profiles");
    EXPECT_EQ(table.Text(TextId::MENU_2), "Export profiles");
    // In the file only in the other section: empty, no fall-back and no built-in wording.
    EXPECT_EQ(table.Text(TextId::MENU_3), "");
    EXPECT_EQ(table.Text(TextId::MENU_4), "");
    // Keys of other loaders keep what they had.
    EXPECT_EQ(table.Text(TextId::MENU_11), "Open(&O)");
    EXPECT_EQ(table.Text(TextId::MAIN_CAPTION), "Gaming Keyboard Settings");
}

TEST(LanguageTable, ChineseSectionWhenTheSettingIsNotOne) {
    LanguageTable table;
    std::string file(kEnglishFile);
    file.replace(file.find("language=1"), 10, "language=0");
    table.Load(TextLoader::MainMenu, IniDocument::Parse(file));
    EXPECT_EQ(table.Text(TextId::MENU_1), "CN import");
    EXPECT_EQ(table.Text(TextId::MENU_2), "");
    EXPECT_EQ(table.Text(TextId::MENU_3), "CN about");
}

TEST(LanguageTable, SharedTextsAreLoadedByBothLoaders) {
    LanguageTable table;
    table.Load(TextLoader::MainWindowLabels, IniDocument::Parse(kEnglishFile));
    EXPECT_EQ(table.Text(TextId::MAIN_MINIMIZE_PROMPT), "Shrink");
    EXPECT_EQ(table.Text(TextId::PROFILE_CANCLE), "Cancel");
    EXPECT_EQ(table.Text(TextId::MAIN_CLOSE_PROMPT), "");
    table.Load(TextLoader::MessageTexts, IniDocument::Parse("[LANGUAGE]\nlanguage=1\n"));
    EXPECT_EQ(table.Text(TextId::MAIN_MINIMIZE_PROMPT), "");
    EXPECT_EQ(table.Text(TextId::PROFILE_CANCLE), "Cancel");
}

TEST(LanguageTable, MissingFileEmptiesEveryTextOfTheLoader) {
    TempFolder folder;
    LanguageTable table;
    EXPECT_EQ(table.Load(TextLoader::MessageTexts, folder / "Skins" / "language.ini"),
              IniLoadResult::Missing);
    for (const TextId id : KeysOf(TextLoader::MessageTexts)) {
        EXPECT_EQ(table.Text(id), "") << TextKey(id).key;
    }
    EXPECT_EQ(table.Text(TextId::MENU_1), "Import");
}

TEST(LanguageTable, ReloadingSeesTheEditedFile) {
    TempFolder folder;
    const auto file = folder / "language.ini";
    LanguageTable table;
    TempFolder::Write(file, "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_22=About\n");
    EXPECT_EQ(table.Load(TextLoader::TrayMenu, file), IniLoadResult::Loaded);
    EXPECT_EQ(table.Text(TextId::MENU_22), "About");
    TempFolder::Write(file, "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_22=Info\n");
    EXPECT_EQ(table.Load(TextLoader::TrayMenu, file), IniLoadResult::Loaded);
    EXPECT_EQ(table.Text(TextId::MENU_22), "Info");
}

TEST(LanguageTable, HostileTextsAreShownNeverInterpreted) {
    const std::string huge(10000, 'h');
    const std::string file =
        "[LANGUAGE]\nlanguage=1\n[ENGINSH]\n"
        "PROFILE_FORMAT_ERROR=%s%s%n\n"
        "MACRO_ERR_MAX=%1000000d %x %p\n"
        "UNKNOWN_KEY=" +
        huge +
        "%03x\n"
        "MAIN_CAPTION=" +
        std::string("a\0b", 3) + "\n";
    LanguageTable table;
    table.Load(TextLoader::MessageTexts, IniDocument::Parse(file));
    EXPECT_EQ(table.Format(TextId::PROFILE_FORMAT_ERROR, "/p.fwc"), "/p.fwc%s%n");
    const std::string max = table.Format(TextId::MACRO_ERR_MAX, 100);
    EXPECT_EQ(max.size(), kMaxFormatWidth + std::string(" %x %p").size());
    EXPECT_EQ(max.substr(max.size() - 9), "100 %x %p");
    // Cut to the reader's 259 characters before it is used: the placeholder is gone.
    EXPECT_EQ(table.Text(TextId::UNKNOWN_KEY), std::string(259, 'h'));
    EXPECT_EQ(table.Format(TextId::UNKNOWN_KEY, 1), std::string(259, 'h'));
    EXPECT_EQ(table.Text(TextId::MAIN_CAPTION), "a");
}

TEST(LanguageTable, TranslationsLongerThanTheOldBuffersAreKept) {
    const std::string longText(200, 'w');
    LanguageTable table;
    table.Load(TextLoader::TrayMenu,
               IniDocument::Parse("[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_11=" + longText + "\n"));
    EXPECT_EQ(table.Text(TextId::MENU_11), longText);
}

// ---- The key tables -------------------------------------------------------------------------

TEST(LanguageKeys, LoadersReadTheirKnownNumberOfKeys) {
    EXPECT_EQ(KeysOf(TextLoader::MainMenu).size(), 4u);
    EXPECT_EQ(KeysOf(TextLoader::AboutBox).size(), 2u);
    EXPECT_EQ(KeysOf(TextLoader::TrayMenu).size(), 3u);
    EXPECT_EQ(KeysOf(TextLoader::MainWindowLabels).size(), 11u);
    // 23 of the editor's texts and 4 of our own (action states, recording and grab notes).
    EXPECT_EQ(KeysOf(TextLoader::CompositeEditor).size(), 27u);
    // 13 macro and key texts, 18 media names, 11 function names, 26 further messages and one
    // of our own (a new profile file that cannot be written).
    EXPECT_EQ(KeysOf(TextLoader::MessageTexts).size(), 69u);
}

TEST(LanguageKeys, KeysAreDistinctEvenWithoutRegardToCase) {
    std::set<std::string> lower;
    for (const TextKeyInfo& info : kTextKeys) {
        std::string key(info.key);
        for (char& c : key) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_TRUE(lower.insert(key).second) << info.key;
    }
}

TEST(LanguageKeys, SpellingsAsTheFilesHaveThem) {
    EXPECT_EQ(kEnglishSection, "ENGINSH");
    EXPECT_EQ(TextKey(kMediaTextIds[0]).key, "MEDIA_PALYER_1");
    EXPECT_EQ(TextKey(kMediaTextIds[4]).key, "MEDIA_Next_TRACK_5");
    EXPECT_EQ(TextKey(kMediaTextIds[17]).key, "MEDIA_MAIL_18");
    EXPECT_EQ(TextKey(kFunctionTextIds[10]).key, "FUNC_KEY_DESC11");
    EXPECT_EQ(TextKey(TextId::PROFILE_SEELCT_PROMPT2).key, "PROFILE_SEELCT_PROMPT2");
    // The full-width comma (U+FF0C) of two English wordings.
    EXPECT_NE(TextKey(TextId::EXTRA_MACRO_TOO_LONG)
                  .builtIn.find("number\xEF\xBC\x8C"
                                "and"),
              std::string_view::npos);
    EXPECT_NE(TextKey(TextId::MAIN_NO_DEVICE_PROMPT)
                  .builtIn.find("detected\xEF\xBC\x8C"
                                "the"),
              std::string_view::npos);
}

}  // namespace
}  // namespace qf::text
