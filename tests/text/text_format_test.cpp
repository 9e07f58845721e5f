#include "text/text_format.h"

#include <gtest/gtest.h>

#include <string>

namespace qf::text {
namespace {

TEST(Format, FillsTheWordingsOfTheLanguageTexts) {
    EXPECT_EQ(Format("Unknown Key: %03x", 0x05A), "Unknown Key: 05a");
    EXPECT_EQ(Format("Unknown Key: %03x", 0x200), "Unknown Key: 200");
    EXPECT_EQ(Format("The maximum number of macro: %d   ", 100),
              "The maximum number of macro: 100   ");
    EXPECT_EQ(Format("Maximum delay time is: %d(ms) ", 40000), "Maximum delay time is: 40000(ms) ");
    EXPECT_EQ(Format("wrong file format, revert to the default values: \n  %s",
                     std::string("/home/u/a.fwc")),
              "wrong file format, revert to the default values: \n  /home/u/a.fwc");
    EXPECT_EQ(Format("%s%d", "Macro", 3), "Macro3");
}

TEST(Format, ExtraArgumentsAreIgnored) {
    // A translation without %s shows no path.
    EXPECT_EQ(Format("wrong file format", "/home/u/a.fwc"), "wrong file format");
}

TEST(Format, PlaceholdersWithoutArgumentsStayAsWritten) {
    EXPECT_EQ(Format("%s and %s", "one"), "one and %s");
    EXPECT_EQ(Format("%03x%d"), "%03x%d");
}

TEST(Format, ConversionsOtherThanTheKnownOnesAreLiteralText) {
    EXPECT_EQ(Format("%s%s%n", "p"), "p%s%n");
    EXPECT_EQ(Format("%n%p%ld%.3s %", 1), "%n%p%ld%.3s %");
    EXPECT_EQ(Format("100%% sure %d%%", 5), "100% sure 5%");
    EXPECT_EQ(Format("ends with %"), "ends with %");
}

TEST(Format, HugeWidthsAreBounded) {
    const std::string out = Format("%1000000d|%99999999999999999999999s", 7, "x");
    EXPECT_EQ(out.size(), kMaxFormatWidth * 2 + 1);
    EXPECT_EQ(out.substr(kMaxFormatWidth - 1, 2), "7|");
    EXPECT_EQ(out.back(), 'x');
}

struct FlagCase {
    const char* text;
    std::int64_t value;
    const char* expected;
};

class FormatNumbers : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FormatNumbers, MatchesThePrintfResult) {
    EXPECT_EQ(Format(GetParam().text, GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FormatNumbers,
    ::testing::Values(FlagCase{"%d", -42, "-42"}, FlagCase{"%05d", -42, "-0042"},
                      FlagCase{"%-5d|", 42, "42   |"}, FlagCase{"%5d|", 42, "   42|"},
                      FlagCase{"%i", 0, "0"}, FlagCase{"%u", -1, "4294967295"},
                      FlagCase{"%x", 255, "ff"}, FlagCase{"%X", 255, "FF"},
                      FlagCase{"%04X", 0x1C, "001C"}, FlagCase{"%x", -1, "ffffffff"},
                      FlagCase{"%d", 2147483647, "2147483647"}));

TEST(Format, ArgumentsShowByTheirOwnType) {
    EXPECT_EQ(Format("%s", 12), "12");
    EXPECT_EQ(Format("%d", "twelve"), "twelve");
    EXPECT_EQ(Format("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    // Zero padding is for numbers only.
    EXPECT_EQ(Format("%05s", "ab"), "   ab");
}

}  // namespace
}  // namespace qf::text
