// What quillfenctl reads from its command line: key names, targets, macro steps, colours.
#include <gtest/gtest.h>

#include "cli_text.h"
#include "keys/key_names.h"

namespace qf::cli {
namespace {

TEST(KeyNames, TableNamesMatchWithoutRegardToCase) {
    EXPECT_EQ(ParseKeyName("Esc"), keys::ScanCode{0x001});
    EXPECT_EQ(ParseKeyName("esc"), keys::ScanCode{0x001});
    EXPECT_EQ(ParseKeyName("CAPS LOCK"), keys::ScanCode{0x03A});
    EXPECT_EQ(ParseKeyName("Num 7"), keys::ScanCode{0x047});
    EXPECT_EQ(ParseKeyName("Right Ctrl"), keys::ScanCode{0x11D});
    EXPECT_EQ(ParseKeyName("F12"), keys::ScanCode{0x058});
}

TEST(KeyNames, TwoRowsWithOneNameGiveTheFirstRow) {
    // "Right Shift" names both 0x036 and 0x136; the keyboard's own key is the first.
    EXPECT_EQ(ParseKeyName("Right Shift"), keys::ScanCode{0x036});
}

TEST(KeyNames, LooseSpellingsMatchOnlyWhenUnambiguous) {
    EXPECT_EQ(ParseKeyName("capslock"), keys::ScanCode{0x03A});
    EXPECT_EQ(ParseKeyName("page-up"), keys::ScanCode{0x149});
    EXPECT_EQ(ParseKeyName("Num_Lock"), keys::ScanCode{0x145});
    // Only a '-' between two words is dropped: "Num -" keeps its sign, "num" names no key.
    EXPECT_EQ(ParseKeyName("Num -"), keys::ScanCode{0x04A});
    EXPECT_EQ(ParseKeyName("num-"), keys::ScanCode{0x04A});
    EXPECT_EQ(ParseKeyName("num"), std::nullopt);
    EXPECT_EQ(ParseKeyName("-"), keys::ScanCode{0x00C});
}

TEST(KeyNames, ArrowAliasesAndScanCodes) {
    EXPECT_EQ(ParseKeyName("Up"), keys::ScanCode{0x148});
    EXPECT_EQ(ParseKeyName("left"), keys::ScanCode{0x14B});
    EXPECT_EQ(ParseKeyName("\u2193"), keys::ScanCode{0x150});
    EXPECT_EQ(ParseKeyName("0x01e"), keys::ScanCode{0x01E});
    EXPECT_EQ(ParseKeyName("0X2A"), keys::ScanCode{0x02A});
}

TEST(KeyNames, UnknownNamesAndCodesAreRefused) {
    EXPECT_EQ(ParseKeyName(""), std::nullopt);
    EXPECT_EQ(ParseKeyName("Hyper"), std::nullopt);
    EXPECT_EQ(ParseKeyName("0x"), std::nullopt);
    EXPECT_EQ(ParseKeyName("0x055"), std::nullopt);  // an empty row
    EXPECT_EQ(ParseKeyName("0x110"), std::nullopt);  // a media row has no name of its own
    EXPECT_EQ(ParseKeyName("0x200"), std::nullopt);  // G codes are not keys
    EXPECT_EQ(ParseKeyName("0x1zz"), std::nullopt);
}

TEST(KeyTargets, GKeysTakeTheirBank) {
    const auto g3a = ParseKeyTarget("G3", 0);
    ASSERT_TRUE(g3a);
    EXPECT_TRUE(g3a->isGKey);
    EXPECT_EQ(g3a->record, 258u);
    const auto g9b = ParseKeyTarget("g9", 1);
    ASSERT_TRUE(g9b);
    EXPECT_EQ(g9b->record, 273u);
    // "G" alone and "G10" are not G keys; "G" is the letter key.
    const auto letter = ParseKeyTarget("G", 0);
    ASSERT_TRUE(letter);
    EXPECT_FALSE(letter->isGKey);
    EXPECT_EQ(letter->record, 0x22u);
    EXPECT_EQ(ParseKeyTarget("G10", 0), std::nullopt);
    EXPECT_EQ(ParseKeyTarget("G0", 0), std::nullopt);
}

TEST(KeyTargets, ExtendedKeysUseTheirKeyIndex) {
    const auto del = ParseKeyTarget("Delete", 0);
    ASSERT_TRUE(del);
    EXPECT_EQ(del->record, keys::ScanToKeyIndex(0x153));
}

TEST(Assignments, EveryFormParses) {
    std::string error;
    auto wanted = ParseAssignment({"default"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->kind, NewFunction::Kind::Default);
    wanted = ParseAssignment({"Disable"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->kind, NewFunction::Kind::Disable);
    wanted = ParseAssignment({"key:Right Ctrl"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->kind, NewFunction::Kind::Key);
    EXPECT_EQ(wanted->name, "Right Ctrl");
    wanted = ParseAssignment({"media:Volume", "Up"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->kind, NewFunction::Kind::Media);
    EXPECT_EQ(wanted->name, "Volume Up");
    wanted = ParseAssignment({"FUNCTION:Copy"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->kind, NewFunction::Kind::Function);
}

TEST(Assignments, MacroRepeatCountInTheSameOrTheNextWord) {
    std::string error;
    auto wanted = ParseAssignment({"macro:Burst x3"}, error);
    ASSERT_TRUE(wanted) << error;
    EXPECT_EQ(wanted->name, "Burst");
    EXPECT_EQ(wanted->repeats, 3u);
    wanted = ParseAssignment({"macro:Two Words", "X255"}, error);
    ASSERT_TRUE(wanted) << error;
    EXPECT_EQ(wanted->name, "Two Words");
    EXPECT_EQ(wanted->repeats, 255u);
    wanted = ParseAssignment({"macro:Burst"}, error);
    ASSERT_TRUE(wanted);
    EXPECT_EQ(wanted->repeats, 0u);  // not given: the macro keeps its count
}

TEST(Assignments, BadFormsSayWhy) {
    std::string error;
    EXPECT_FALSE(ParseAssignment({}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ParseAssignment({"macro:Burst x0"}, error));
    EXPECT_NE(error.find("x0"), std::string::npos);
    EXPECT_FALSE(ParseAssignment({"macro:Burst x256"}, error));
    EXPECT_FALSE(ParseAssignment({"macro:"}, error));
    EXPECT_FALSE(ParseAssignment({"program:/bin/sh"}, error));
    EXPECT_NE(error.find("program:/bin/sh"), std::string::npos);
}

TEST(MediaAndFunctions, NamesFromTheTexts) {
    const keys::KeyTexts texts = keys::BuiltinKeyTexts();
    EXPECT_EQ(ParseMediaName("Mute", texts), 7u);
    EXPECT_EQ(ParseMediaName("volume-up", texts), 6u);
    EXPECT_EQ(ParseMediaName("Play/Pause", texts), 1u);
    EXPECT_EQ(ParseMediaName("Louder", texts), std::nullopt);
    EXPECT_EQ(ParseFunctionName("select all", texts), 8u);
    EXPECT_EQ(ParseFunctionName("Zoom+", texts), 10u);
    EXPECT_EQ(ParseFunctionName("Zoom-", texts), 9u);
    // Without a language text (an empty name) nothing matches, not even the empty text.
    keys::KeyTexts empty;
    EXPECT_EQ(ParseMediaName("", empty), std::nullopt);
}

TEST(MacroSteps, WaitsGoOntoThePreviousAction) {
    std::string error;
    const auto actions =
        ParseMacroSteps({"+Shift", "+A", "t50", "t20", "-A", "-Shift", "t10"}, error);
    ASSERT_TRUE(actions) << error;
    ASSERT_EQ(actions->size(), 4u);
    EXPECT_EQ((*actions)[0], (macros::MacroAction{0, 0x02A, macros::kActionPress}));
    EXPECT_EQ((*actions)[1], (macros::MacroAction{70, 0x01E, macros::kActionPress}));
    EXPECT_EQ((*actions)[2], (macros::MacroAction{0, 0x01E, macros::kActionRelease}));
    EXPECT_EQ((*actions)[3], (macros::MacroAction{10, 0x02A, macros::kActionRelease}));
}

TEST(MacroSteps, RefusedSteps) {
    std::string error;
    EXPECT_FALSE(ParseMacroSteps({"t50", "+A"}, error));
    EXPECT_NE(error.find("before any key"), std::string::npos);
    EXPECT_FALSE(ParseMacroSteps({"+A", "t40001"}, error));
    EXPECT_FALSE(ParseMacroSteps({"+A", "t30000", "t10001"}, error));
    EXPECT_NE(error.find("add up"), std::string::npos);
    EXPECT_FALSE(ParseMacroSteps({"+A", "t-5"}, error));
    EXPECT_FALSE(ParseMacroSteps({"+Hyper"}, error));
    EXPECT_FALSE(ParseMacroSteps({"A"}, error));
    EXPECT_FALSE(ParseMacroSteps({"+"}, error));
    EXPECT_FALSE(ParseMacroSteps({}, error));
    std::vector<std::string> tooMany(macros::kMaxMacroActions + 1, "+A");
    EXPECT_FALSE(ParseMacroSteps(tooMany, error));
    tooMany.pop_back();
    EXPECT_TRUE(ParseMacroSteps(tooMany, error));
}

TEST(MacroSteps, FormattedStepsReadBackTheSame) {
    std::string error;
    const std::vector<std::string> steps = {"+Ctrl", "t20", "+C", "-C", "t40000", "-Ctrl"};
    const auto actions = ParseMacroSteps(steps, error);
    ASSERT_TRUE(actions);
    macros::MacroRecord record;
    for (const auto& a : *actions) {
        ASSERT_TRUE(record.AppendAction(a));
    }
    const std::string text = FormatMacroSteps(record, keys::BuiltinKeyTexts());
    EXPECT_EQ(text, "+Ctrl t20 +C -C t40000 -Ctrl");
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t blank = text.find(' ', start);
        words.push_back(text.substr(start, blank - start));
        if (blank == std::string::npos) {
            break;
        }
        start = blank + 1;
    }
    EXPECT_EQ(ParseMacroSteps(words, error), actions);
}

TEST(Colours, HexWithOrWithoutHash) {
    EXPECT_EQ(ParseColour("ff8000"), (lighting::Rgb{255, 128, 0}));
    EXPECT_EQ(ParseColour("#00FFaa"), (lighting::Rgb{0, 255, 170}));
    EXPECT_EQ(ParseColour("fff"), std::nullopt);
    EXPECT_EQ(ParseColour("gg0000"), std::nullopt);
    EXPECT_EQ(ParseColour("+f0000"), std::nullopt);
    EXPECT_EQ(ParseColour("ff00001"), std::nullopt);
    EXPECT_EQ(FormatColour({1, 171, 255}), "01abff");
}

TEST(Numbers, WholeNumbersInRangeOnly) {
    EXPECT_EQ(ParseInt("4", 0, 4), 4);
    EXPECT_EQ(ParseInt("5", 0, 4), std::nullopt);
    EXPECT_EQ(ParseInt("3x", 0, 4), std::nullopt);
    EXPECT_EQ(ParseInt("", 0, 4), std::nullopt);
    EXPECT_EQ(ParseInt("-1", -1, 4), -1);
    EXPECT_EQ(ParseInt("99999999999", 0, 4), std::nullopt);
}

TEST(ModeNames, BuiltInNamesForEveryKnownCode) {
    for (int code = 1; code <= 18; ++code) {
        EXPECT_FALSE(BuiltinModeName(code).empty());
        EXPECT_NE(BuiltinModeName(code).find_first_not_of("0123456789 "), std::string::npos);
    }
    EXPECT_EQ(BuiltinModeName(8), "Custom zones");
    EXPECT_EQ(BuiltinModeName(42), "mode 42");
}

}  // namespace
}  // namespace qf::cli
