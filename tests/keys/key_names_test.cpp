// Key names: constant names, language-table names of the media keys, the unknown-key text and
// its formatting with a format string that comes from a language file.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "keys/key_codes.h"
#include "keys/key_names.h"

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

// A language lookup that answers each key with its own name, and remembers what was asked.
struct EchoLanguage {
    std::vector<std::string> asked;
    std::string operator()(std::string_view key) {
        asked.emplace_back(key);
        return std::string(key);
    }
};

TEST(KeyTextsTest, MediaNamesComeFromTheirLanguageKeys) {
    EchoLanguage language;
    const KeyTexts texts = LoadKeyTexts(std::ref(language));
    EXPECT_EQ(language.asked.size(), 1u + 18u + 11u);
    EXPECT_EQ(language.asked.front(), "UNKNOWN_KEY");
    // Rows named by language keys, as the key table names them.
    EXPECT_EQ(KeyName(0x110, texts), "MEDIA_PREV_TRACK_4");
    EXPECT_EQ(KeyName(0x119, texts), "MEDIA_Next_TRACK_5");
    EXPECT_EQ(KeyName(0x122, texts), "MEDIA_PALY_PAUSE_2");
    EXPECT_EQ(KeyName(0x16D, texts), "MEDIA_PALYER_1");
    EXPECT_EQ(KeyName(0x121, texts), "MEDIA_CALC_17");
    EXPECT_EQ(texts.functions[10], "FUNC_KEY_DESC11");
    // The unknown-key text here has no conversion: it is shown as it stands.
    EXPECT_EQ(KeyName(0x05A, texts), "UNKNOWN_KEY");
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
    EXPECT_EQ(texts.functions[0], "Open");
    EXPECT_EQ(texts.functions[8], "Select All");
    for (const std::string& name : texts.media) {
        EXPECT_FALSE(name.empty());
    }
}

// --- formatting with a format from a language file -------------------------------------------

struct FormatCase {
    const char* format;
    std::uint32_t value;
    const char* expected;
};

class FormatUnsignedTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatUnsignedTest, Formats) {
    EXPECT_EQ(FormatUnsigned(GetParam().format, GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, FormatUnsignedTest,
    ::testing::Values(FormatCase{"Unknown Key: %03x", 0x5A, "Unknown Key: 05a"},
                      FormatCase{"%03x", 0x200, "200"}, FormatCase{"%03x", 0x1FFF, "1fff"},
                      FormatCase{"%x", 0, "0"}, FormatCase{"%d", 346, "346"},
                      FormatCase{"%u", 7, "7"}, FormatCase{"%5d|", 42, "   42|"},
                      FormatCase{"%-5d|", 42, "42   |"}, FormatCase{"%05X", 0xAB, "000AB"},
                      FormatCase{"%#x", 0x5A, "0x5a"}, FormatCase{"%+d", 5, "+5"},
                      FormatCase{"%.4x", 0x5A, "005a"}, FormatCase{"%o", 8, "10"},
                      FormatCase{"%lx", 0x5A, "5a"}, FormatCase{"100%% %x", 1, "100% 1"}));

// Formats a language file could hold that printf must never see with our one argument.
INSTANTIATE_TEST_SUITE_P(
    Hostile, FormatUnsignedTest,
    ::testing::Values(FormatCase{"Key %s", 1, "Key %s"}, FormatCase{"Key %n!", 1, "Key %n!"},
                      FormatCase{"%x and %x", 0x10, "10 and %x"},
                      FormatCase{"%s then %x", 0x10, "%s then 10"},
                      FormatCase{"trailing %", 1, "trailing %"}, FormatCase{"%*d", 3, "%*d"},
                      FormatCase{"no conversion", 9, "no conversion"}, FormatCase{"", 9, ""}));

TEST(FormatUnsignedTest, HugeWidthsAreCapped) {
    const std::string out = FormatUnsigned("%999999999999999999999x", 1);
    EXPECT_LE(out.size(), 64u);
    EXPECT_EQ(out.back(), '1');
    EXPECT_LE(FormatUnsigned("%.99999999d", 1).size(), 64u);
}

}  // namespace
}  // namespace qf::keys::test
