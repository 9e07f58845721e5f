// Key names: constant names, language-table names of the media keys, the unknown-key text and
// its formatting with a format string that comes from a language file.
#include <gtest/gtest.h>

#include <string>

#include "keys/key_codes.h"
#include "keys/key_names.h"
#include "text/ini_file.h"
#include "text/language.h"
#include "text/text_format.h"

namespace qf::keys::test {
namespace {

TEST(KeyNameTest, ConstantNames) {
    const KeyTexts texts = BuiltinKeyTexts();
    EXPECT_EQ(KeyName(0x01E, texts), "A");
    EXPECT_EQ(KeyName(0x148, texts), "\u2191");
    EXPECT_EQ(KeyName(0x136, texts), "Right Shift");
    EXPECT_EQ(KeyName(0x07B, texts), "N-CHG (131)");
    EXPECT_EQ(KeyName(0x02B, texts), "\\");
}

TEST(KeyNameTest, UnknownKeysUseTheUnknownKeyText) {
    const KeyTexts texts = BuiltinKeyTexts();
    EXPECT_EQ(KeyName(0x05A, texts), "Unknown Key: 05a");
    EXPECT_EQ(KeyName(0x200, texts), "Unknown Key: 200");  // G key reference (6, A2, 1)
    EXPECT_EQ(KeyName(DeviceKeyRefToScan(6, 0xA2, 1), texts), "Unknown Key: 200");
    EXPECT_EQ(KeyName(0, texts), "Unknown Key: 000");
    EXPECT_EQ(KeyName(0xFFFF, texts), "Unknown Key: ffff");
}

// A language file that gives each key text its own key as wording.
text::LanguageTable EchoLanguage() {
    std::string file = "[LANGUAGE]\nlanguage=1\n[ENGINSH]\n";
    auto add = [&file](text::TextId id) {
        const std::string_view key = text::TextKey(id).key;
        file += std::string(key) + "=" + std::string(key) + "\n";
    };
    add(text::TextId::UNKNOWN_KEY);
    for (const text::TextId id : text::kMediaTextIds) {
        add(id);
    }
    for (const text::TextId id : text::kFunctionTextIds) {
        add(id);
    }
    text::LanguageTable table;
    table.Load(text::TextLoader::MessageTexts, text::IniDocument::Parse(file));
    return table;
}

TEST(KeyTextsTest, MediaNamesComeFromTheirLanguageKeys) {
    const KeyTexts texts = LoadKeyTexts(EchoLanguage());
    // Rows named by language keys, as the key table names them.
    EXPECT_EQ(KeyName(0x110, texts), "MEDIA_PREV_TRACK_4");
    EXPECT_EQ(KeyName(0x119, texts), "MEDIA_Next_TRACK_5");
    EXPECT_EQ(KeyName(0x122, texts), "MEDIA_PALY_PAUSE_2");
    EXPECT_EQ(KeyName(0x16D, texts), "MEDIA_PALYER_1");
    EXPECT_EQ(KeyName(0x121, texts), "MEDIA_CALC_17");
    EXPECT_EQ(texts.media[17], "MEDIA_MAIL_18");
    EXPECT_EQ(texts.functions[0], "FUNC_KEY_DESC1");
    EXPECT_EQ(texts.functions[10], "FUNC_KEY_DESC11");
    // The unknown-key text here has no placeholder: it is shown as it stands.
    EXPECT_EQ(KeyName(0x05A, texts), "UNKNOWN_KEY");
}

TEST(KeyTextsTest, TextsMissingFromTheLanguageFileAreEmpty) {
    text::LanguageTable table;
    table.Load(text::TextLoader::MessageTexts,
               text::IniDocument::Parse("[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMEDIA_MUTE_8=Stumm\n"));
    const KeyTexts texts = LoadKeyTexts(table);
    EXPECT_EQ(texts.media[7], "Stumm");
    EXPECT_TRUE(texts.media[0].empty());  // no English fall-back once a language file is read
    EXPECT_TRUE(texts.functions[0].empty());
    // Without a name and without an unknown-key text, a key's name is empty.
    EXPECT_EQ(KeyName(0x16D, texts), "");
    EXPECT_EQ(KeyName(0x120, texts), "Stumm");
}

TEST(KeyTextsTest, TranslatedTextsAreUsed) {
    KeyTexts texts = BuiltinKeyTexts();
    texts.media[7] = "Stumm";
    texts.unknownKey = "Unbekannte Taste %03X";
    EXPECT_EQ(KeyName(0x120, texts), "Stumm");
    EXPECT_EQ(KeyName(0x05A, texts), "Unbekannte Taste 05A");
    // An empty media text leaves the key without a name.
    texts.media[7].clear();
    EXPECT_EQ(KeyName(0x120, texts), "Unbekannte Taste 120");
}

TEST(KeyTextsTest, BuiltinWordings) {
    const KeyTexts texts = BuiltinKeyTexts();
    EXPECT_EQ(texts.unknownKey, "Unknown Key: %03x");
    EXPECT_EQ(texts.unknownKey, KeyTexts{}.unknownKey);
    EXPECT_EQ(texts.functions[0], "Open");
    EXPECT_EQ(texts.functions[8], "Select All");
    EXPECT_EQ(texts.functions[10], "Zoom+");
    // The language table has no built-in wording for the media functions: English names.
    EXPECT_EQ(texts.media[0], "Media Player");
    EXPECT_EQ(texts.media[7], "Mute");
    EXPECT_EQ(texts.media[17], "Mail");
    for (const std::string& name : texts.media) {
        EXPECT_FALSE(name.empty());
    }
    // Everything else is the built-in table's.
    const KeyTexts table = LoadKeyTexts(text::LanguageTable{});
    EXPECT_EQ(texts.unknownKey, table.unknownKey);
    EXPECT_EQ(texts.functions, table.functions);
}

// --- the unknown-key text: a format from a language file ------------------------------------
//
// The text is filled with text::Format, never printf: it knows %d %i %u %x %X %s and %%, with the
// flags '-' and '0' and a width; anything else after '%' stays in the name as written.

struct UnknownKeyCase {
    const char* format;
    ScanCode scan;  // a code without a name
    const char* expected;
};

class UnknownKeyTextTest : public ::testing::TestWithParam<UnknownKeyCase> {};

TEST_P(UnknownKeyTextTest, Formats) {
    const UnknownKeyCase& c = GetParam();
    ASSERT_TRUE(KeyRowOf(c.scan).name.empty() && !KeyRowOf(c.scan).isMedia()) << c.scan;
    KeyTexts texts = BuiltinKeyTexts();
    texts.unknownKey = c.format;
    EXPECT_EQ(KeyName(c.scan, texts), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, UnknownKeyTextTest,
    ::testing::Values(UnknownKeyCase{"Unknown Key: %03x", 0x5A, "Unknown Key: 05a"},
                      UnknownKeyCase{"%03x", 0x200, "200"}, UnknownKeyCase{"%03x", 0x1FFF, "1fff"},
                      UnknownKeyCase{"%x", 0, "0"}, UnknownKeyCase{"%d", 0x25A, "602"},
                      UnknownKeyCase{"%i", 0x300, "768"}, UnknownKeyCase{"%u", 0x207, "519"},
                      UnknownKeyCase{"%5d|", 0x22A, "  554|"},
                      UnknownKeyCase{"%-5d|", 0x22A, "554  |"},
                      UnknownKeyCase{"%05X", 0x2AB, "002AB"},
                      UnknownKeyCase{"100%% %x", 0x201, "100% 201"}));

// printf's other flags, precisions, octal and length modifiers are not placeholders: they stay
// as written and take no argument.
INSTANTIATE_TEST_SUITE_P(NotPlaceholders, UnknownKeyTextTest,
                         ::testing::Values(UnknownKeyCase{"%#x", 0x25A, "%#x"},
                                           UnknownKeyCase{"%+d", 0x205, "%+d"},
                                           UnknownKeyCase{"%.4x", 0x25A, "%.4x"},
                                           UnknownKeyCase{"%o", 0x208, "%o"},
                                           UnknownKeyCase{"%lx", 0x25A, "%lx"},
                                           UnknownKeyCase{"%#x then %x", 0x25A, "%#x then 25a"}));

// Formats a language file could hold that printf must never see with our one argument.
INSTANTIATE_TEST_SUITE_P(Hostile, UnknownKeyTextTest,
                         ::testing::Values(UnknownKeyCase{"Key %s", 0x201,
                                                          "Key 513"},  // the code, in decimal
                                           UnknownKeyCase{"Key %n!", 0x201, "Key %n!"},
                                           UnknownKeyCase{"%p %n %ls", 0x201, "%p %n %ls"},
                                           UnknownKeyCase{"%x and %x", 0x210, "210 and %x"},
                                           UnknownKeyCase{"%s then %x", 0x210, "528 then %x"},
                                           UnknownKeyCase{"%s%s%s%s%s", 0x210, "528%s%s%s%s"},
                                           UnknownKeyCase{"trailing %", 0x201, "trailing %"},
                                           UnknownKeyCase{"trailing %05", 0x201, "trailing %05"},
                                           UnknownKeyCase{"%*d", 0x203, "%*d"},
                                           UnknownKeyCase{"no conversion", 0x209, "no conversion"},
                                           UnknownKeyCase{"", 0x209, ""}));

TEST(UnknownKeyTextTest, HugeWidthsAreCapped) {
    KeyTexts texts = BuiltinKeyTexts();
    texts.unknownKey = "%999999999999999999999x";
    const std::string out = KeyName(0x201, texts);
    EXPECT_EQ(out.size(), text::kMaxFormatWidth);
    EXPECT_EQ(out.substr(out.size() - 3), "201");
    texts.unknownKey = "%0999999999d";
    EXPECT_EQ(KeyName(0x201, texts), std::string(text::kMaxFormatWidth - 3, '0') + "513");
    texts.unknownKey = "%-99999999999s|";
    EXPECT_EQ(KeyName(0x201, texts).size(), text::kMaxFormatWidth + 1);
    // A precision is no placeholder at all.
    texts.unknownKey = "%.99999999d";
    EXPECT_EQ(KeyName(0x201, texts), "%.99999999d");
}

}  // namespace
}  // namespace qf::keys::test
