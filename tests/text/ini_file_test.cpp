#include "text/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace qf::text {
namespace {

using qf::testing::TempFolder;

// A file with the things real skin and language files hold: comments, blank lines, odd blanks,
// a key before the first section, an indented key.
constexpr std::string_view kSample =
    "; skin for the main window\n"
    "top=before any section\n"
    "\n"
    "[SCREEN]\n"
    "Main = main.jpg\n"
    "  Mask=mask.jpg   \n"
    "\n"
    "; buttons follow\n"
    "[ButtonInfo]\n"
    "CONTROL_OK=10,20,30,40\n"
    "CONTROL_HELP =  \"1,2,3,4\"\n"
    "CONTROL_OK=99,99,99,99\n"
    "just some text\n"
    "\n"
    "[screen]\n"
    "Main=second.jpg\n"
    "Link=https://example.org/\n";

class IniDocumentTest : public ::testing::Test {
protected:
    IniDocument doc = IniDocument::Parse(kSample);
};

TEST_F(IniDocumentTest, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(doc.GetString("SCREEN", "Main", "-"), "main.jpg");
    EXPECT_EQ(doc.GetString("screen", "MAIN", "-"), "main.jpg");
    EXPECT_EQ(doc.GetString("BUTTONINFO", "control_ok", "-"), "10,20,30,40");
    EXPECT_EQ(doc.GetString("buttoninfo", "Control_Ok", "-"), "10,20,30,40");
}

TEST_F(IniDocumentTest, BlanksAndQuotesAroundValuesAreRemoved) {
    EXPECT_EQ(doc.GetString("SCREEN", "Mask", "-"), "mask.jpg");
    EXPECT_EQ(doc.GetString("ButtonInfo", "CONTROL_HELP", "-"), "1,2,3,4");
}

TEST_F(IniDocumentTest, FirstSectionAndFirstKeyCount) {
    // The second [screen] and the second CONTROL_OK are never read.
    EXPECT_EQ(doc.GetString("SCREEN", "Main", "-"), "main.jpg");
    EXPECT_EQ(doc.GetString("SCREEN", "Link", "-"), "-");
    EXPECT_EQ(doc.GetString("ButtonInfo", "CONTROL_OK", "-"), "10,20,30,40");
}

TEST_F(IniDocumentTest, MissingKeysGiveTheDefaultWithoutTrailingBlanks) {
    EXPECT_EQ(doc.GetString("SCREEN", "Nothing", "1,1,1,1,x"), "1,1,1,1,x");
    EXPECT_EQ(doc.GetString("NoSection", "Main", "dflt"), "dflt");
    EXPECT_EQ(doc.GetString("SCREEN", "Nothing", " "), "");
    EXPECT_EQ(doc.GetString("SCREEN", "Nothing", "abc  "), "abc");
    // Comments and lines without '=' are not keys.
    EXPECT_EQ(doc.GetString("ButtonInfo", "just some text", "-"), "-");
    EXPECT_EQ(doc.GetString("", "; skin for the main window", "-"), "-");
}

TEST_F(IniDocumentTest, KeysBeforeTheFirstHeaderBelongToTheUnnamedSection) {
    EXPECT_EQ(doc.GetString("", "top", "-"), "before any section");
    EXPECT_EQ(doc.GetString("SCREEN", "top", "-"), "-");
    EXPECT_FALSE(doc.HasSection(""));
}

TEST_F(IniDocumentTest, ListsSectionsAndKeysInFileOrder) {
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"SCREEN", "ButtonInfo"}));
    EXPECT_EQ(doc.KeyNames("buttoninfo"), (std::vector<std::string>{"CONTROL_OK", "CONTROL_HELP"}));
}

TEST_F(IniDocumentTest, SerialiseGivesBackTheBytesRead) {
    EXPECT_EQ(doc.Serialise(), kSample);
}

TEST_F(IniDocumentTest, ReplacingAValueChangesOnlyItsLine) {
    ASSERT_EQ(doc.SetString("screen", "MASK", "other.jpg"), IniWriteResult::Written);
    std::string expected(kSample);
    const std::string old = "  Mask=mask.jpg   \n";
    expected.replace(expected.find(old), old.size(), "  Mask=other.jpg\n");
    EXPECT_EQ(doc.Serialise(), expected);
    EXPECT_EQ(doc.GetString("SCREEN", "Mask", "-"), "other.jpg");
}

TEST_F(IniDocumentTest, ReplacingKeepsTheKeysSpellingAndBlanksAroundEquals) {
    ASSERT_EQ(doc.SetString("SCREEN", "main", "new.jpg"), IniWriteResult::Written);
    EXPECT_NE(doc.Serialise().find("\nMain = new.jpg\n"), std::string::npos);
}

TEST_F(IniDocumentTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    ASSERT_EQ(doc.SetString("SCREEN", "Link", "https://x/"), IniWriteResult::Written);
    std::string expected(kSample);
    const std::string after = "  Mask=mask.jpg   \n";
    expected.insert(expected.find(after) + after.size(), "Link=https://x/\n");
    EXPECT_EQ(doc.Serialise(), expected);
    EXPECT_EQ(doc.GetString("SCREEN", "Link", "-"), "https://x/");
}

TEST_F(IniDocumentTest, NewSectionGoesAtTheEnd) {
    ASSERT_EQ(doc.SetString("KEYCOLOR", "DengCheck", "1"), IniWriteResult::Written);
    EXPECT_EQ(doc.Serialise(), std::string(kSample) + "[KEYCOLOR]\nDengCheck=1\n");
    EXPECT_EQ(doc.GetInt("keycolor", "dengcheck", 0), 1);
}

TEST_F(IniDocumentTest, DeletesKeysAndSections) {
    EXPECT_TRUE(doc.DeleteKey("ButtonInfo", "control_help"));
    EXPECT_EQ(doc.GetString("ButtonInfo", "CONTROL_HELP", "-"), "-");
    EXPECT_FALSE(doc.DeleteKey("ButtonInfo", "control_help"));
    EXPECT_TRUE(doc.DeleteSection("SCREEN"));
    EXPECT_EQ(doc.Serialise().find("mask.jpg"), std::string::npos);
    EXPECT_NE(doc.Serialise().find("[ButtonInfo]"), std::string::npos);
    // The second [screen] is now the first.
    EXPECT_EQ(doc.GetString("SCREEN", "Main", "-"), "second.jpg");
    EXPECT_FALSE(doc.DeleteSection("NoSuchSection"));
}

TEST(IniDocument, EmptyDocumentGrowsIntoAFile) {
    IniDocument doc;
    ASSERT_EQ(doc.SetString("MODENAME", "0", "Fire"), IniWriteResult::Written);
    ASSERT_EQ(doc.SetString("Mode0", "tool", "0"), IniWriteResult::Written);
    ASSERT_EQ(doc.SetString("MODENAME", "1", "Ice"), IniWriteResult::Written);
    EXPECT_EQ(doc.Serialise(), "[MODENAME]\n0=Fire\n1=Ice\n[Mode0]\ntool=0\n");
}

TEST(IniDocument, LastLineWithoutNewlineGetsOneBeforeAnAppendedLine) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1");
    EXPECT_EQ(doc.GetString("A", "x", "-"), "1");
    ASSERT_EQ(doc.SetString("A", "y", "2"), IniWriteResult::Written);
    EXPECT_EQ(doc.Serialise(), "[A]\nx=1\ny=2\n");
}

TEST(IniDocument, ByteOrderMarkIsAcceptedAndKept) {
    IniDocument doc = IniDocument::Parse("\xEF\xBB\xBF[LANGUAGE]\nlanguage=1\n");
    EXPECT_TRUE(doc.HasByteOrderMark());
    EXPECT_EQ(doc.GetInt("LANGUAGE", "language", 0), 1);
    ASSERT_EQ(doc.SetString("LANGUAGE", "language", "0"), IniWriteResult::Written);
    EXPECT_EQ(doc.Serialise(), "\xEF\xBB\xBF[LANGUAGE]\nlanguage=0\n");
}

TEST(IniDocument, WrittenValuesReadBackExactly) {
    IniDocument doc;
    for (const std::string_view value :
         {" leading", "trailing  ", "\"quoted\"", "'single'", "\"", "", "a = b", "[x]", ";x"}) {
        ASSERT_EQ(doc.SetString("S", "k", value), IniWriteResult::Written) << value;
        EXPECT_EQ(doc.GetString("S", "k", "-"), value);
        EXPECT_EQ(IniDocument::Parse(doc.Serialise()).GetString("S", "k", "-"), value);
    }
}

TEST(IniDocument, NamesAndValuesThatWouldBreakTheFileAreRefused) {
    IniDocument doc = IniDocument::Parse("[S]\nk=1\n");
    const std::string before = doc.Serialise();
    EXPECT_EQ(doc.SetString("S", "k", "two\nlines"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", "k", "cr\r"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", "k", std::string_view("nul\0", 4)), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", "a=b", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", "", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", "[k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", ";k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S", " k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S]", "k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("", "k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.SetString("S\nT", "k", "1"), IniWriteResult::InvalidName);
    EXPECT_EQ(doc.Serialise(), before);
}

// ---- Value length ---------------------------------------------------------------------------

TEST(IniValueLength, ValuesAreReadUpTo259Characters) {
    const std::string exact(259, 'a');
    const std::string longer = std::string(259, 'b') + "TAIL";
    IniDocument doc = IniDocument::Parse("[S]\nexact=" + exact + "\nlong=" + longer + "\n");
    EXPECT_EQ(doc.GetString("S", "exact", ""), exact);
    EXPECT_EQ(doc.GetString("S", "long", ""), std::string(259, 'b'));
    EXPECT_EQ(doc.GetString("S", "long", "", 3), "bbb");
    // The default is cut the same way.
    EXPECT_EQ(doc.GetString("S", "none", longer), std::string(259, 'b'));
    // Find gives the whole stored value.
    EXPECT_EQ(doc.Find("S", "long"), longer);
}

TEST(IniValueLength, CutsNeverSplitACharacter) {
    // "é" is two bytes, "中" three: 300 characters of each keep 259 whole characters.
    std::string twoByte;
    std::string threeByte;
    for (int i = 0; i < 300; ++i) {
        twoByte += "\xC3\xA9";
        threeByte += "\xE4\xB8\xAD";
    }
    IniDocument doc = IniDocument::Parse("[S]\na=" + twoByte + "\nb=" + threeByte + "\n");
    EXPECT_EQ(doc.GetString("S", "a", ""), twoByte.substr(0, 259 * 2));
    EXPECT_EQ(doc.GetString("S", "b", ""), threeByte.substr(0, 259 * 3));
    // A broken sequence counts byte by byte.
    EXPECT_EQ(CutToChars("\xE4\xB8x", 2), "\xE4\xB8");
}

// ---- Integers -------------------------------------------------------------------------------

struct IntCase {
    const char* value;  // nullptr: no such key
    int expected;
};

class IniGetInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniGetInt, ReadsLikeThePrivateProfileIntegerRead) {
    const IntCase& c = GetParam();
    const std::string text = c.value == nullptr ? "[S]\n" : std::string("[S]\nk=") + c.value + "\n";
    EXPECT_EQ(IniDocument::Parse(text).GetInt("S", "k", 77), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Values, IniGetInt,
                         ::testing::Values(IntCase{nullptr, 77}, IntCase{"", 77}, IntCase{"1", 1},
                                           IntCase{"1x", 1}, IntCase{"12abc", 12},
                                           IntCase{"abc", 0}, IntCase{"-7", -7}, IntCase{"+3", 3},
                                           IntCase{"99999999999", 2147483647},
                                           IntCase{"-99999999999", -2147483647 - 1}));

// ---- Line endings ---------------------------------------------------------------------------

class IniLineEndings : public ::testing::TestWithParam<std::string> {};

TEST_P(IniLineEndings, EditsKeepTheFilesLineEnding) {
    const std::string nl = GetParam();
    const std::string text = "; c" + nl + "[A]" + nl + "x=1" + nl + nl + "[B]" + nl + "y=2" + nl;
    IniDocument doc = IniDocument::Parse(text);
    EXPECT_EQ(doc.GetString("A", "x", "-"), "1");
    EXPECT_EQ(doc.GetString("B", "y", "-"), "2");
    ASSERT_EQ(doc.SetString("A", "x", "5"), IniWriteResult::Written);
    ASSERT_EQ(doc.SetString("A", "z", "3"), IniWriteResult::Written);
    ASSERT_EQ(doc.SetString("C", "w", "4"), IniWriteResult::Written);
    const std::string expected = "; c" + nl + "[A]" + nl + "x=5" + nl + "z=3" + nl + nl + "[B]" +
                                 nl + "y=2" + nl + "[C]" + nl + "w=4" + nl;
    EXPECT_EQ(doc.Serialise(), expected);
}

INSTANTIATE_TEST_SUITE_P(LfAndCrLf, IniLineEndings, ::testing::Values("\n", "\r\n"));

// ---- Hostile input ----------------------------------------------------------------------------

TEST(IniHostileInput, HeaderWithoutClosingBracketIsNoSection) {
    IniDocument doc = IniDocument::Parse("[A]\nx=1\n[B\ny=2\n");
    EXPECT_FALSE(doc.HasSection("B"));
    EXPECT_EQ(doc.GetString("A", "y", "-"), "2");
    EXPECT_EQ(doc.Serialise(), "[A]\nx=1\n[B\ny=2\n");
}

TEST(IniHostileInput, NulBytesEndTheValueRead) {
    const std::string text("[A]\nx=ab\0cd\ny=2\n", 16);
    IniDocument doc = IniDocument::Parse(text);
    EXPECT_EQ(doc.GetString("A", "x", "-"), "ab");
    EXPECT_EQ(doc.GetString("A", "y", "-"), "2");
    EXPECT_EQ(doc.Serialise(), text);
}

TEST(IniHostileInput, VeryLongLinesParse) {
    const std::string huge(2 * 1024 * 1024, 'z');
    IniDocument doc = IniDocument::Parse("[A]\nx=" + huge + "\n[" + huge + "]\ny=1\n");
    EXPECT_EQ(doc.GetString("A", "x", "-"), std::string(259, 'z'));
    EXPECT_EQ(doc.GetString(huge, "y", "-"), "1");
}

// ---- Files ----------------------------------------------------------------------------------

class IniFilesTest : public ::testing::Test {
protected:
    TempFolder folder;
    IniFiles files;
    std::filesystem::path file = folder / "mrgo.ini";
};

TEST_F(IniFilesTest, MissingFileReadsAsDefaults) {
    IniDocument doc;
    EXPECT_EQ(LoadIniFile(file, doc), IniLoadResult::Missing);
    EXPECT_EQ(files.GetString(file, "KEYCOLOR", "DengCheck", "0"), "0");
    EXPECT_EQ(files.GetInt(file, "KEYCOLOR", "DengCheck", 0), 0);
}

TEST_F(IniFilesTest, WritingCreatesTheFileAndKeepsOtherLines) {
    ASSERT_EQ(files.WriteString(file, "KEYCOLOR", "DengCheck", "1"), IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "[KEYCOLOR]\nDengCheck=1\n");

    TempFolder::Write(file, "; mine\r\n[KEYCOLOR]\r\nDengCheck = 1\r\nOther=x\r\n");
    ASSERT_EQ(files.WriteString(file, "keycolor", "dengcheck", "0"), IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "; mine\r\n[KEYCOLOR]\r\nDengCheck = 0\r\nOther=x\r\n");
    EXPECT_EQ(files.GetInt(file, "KEYCOLOR", "DengCheck", 5), 0);
}

TEST_F(IniFilesTest, WritingIntoAMissingFolderFails) {
    std::string error;
    EXPECT_EQ(files.WriteString(folder / "none" / "x.ini", "S", "k", "v", &error),
              IniWriteResult::Failed);
    EXPECT_FALSE(error.empty());
}

TEST_F(IniFilesTest, OversizedFileIsRefusedAndLeftAlone) {
    {
        std::ofstream out(file, std::ios::binary);
        out << "[S]\nk=1\n";
    }
    std::filesystem::resize_file(file, kIniMaxFileBytes + 1);
    IniDocument doc;
    std::string error;
    EXPECT_EQ(LoadIniFile(file, doc, &error), IniLoadResult::TooLarge);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(files.GetString(file, "S", "k", "dflt"), "dflt");
    EXPECT_EQ(files.WriteString(file, "S", "k", "2"), IniWriteResult::Failed);
    EXPECT_EQ(std::filesystem::file_size(file), kIniMaxFileBytes + 1);
}

TEST_F(IniFilesTest, UnreadablePathIsNeverReplaced) {
    std::filesystem::create_directory(file);  // a folder where the file should be
    IniDocument doc;
    EXPECT_EQ(LoadIniFile(file, doc), IniLoadResult::Unreadable);
    EXPECT_EQ(files.WriteString(file, "S", "k", "v"), IniWriteResult::Failed);
    // A removal that finds nothing to remove still fails when the file cannot be read.
    EXPECT_EQ(files.DeleteKey(file, "S", "k"), IniWriteResult::Failed);
    EXPECT_EQ(files.DeleteSection(file, "S"), IniWriteResult::Failed);
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(IniFilesTest, DeletesOnlyWhatIsThere) {
    ASSERT_EQ(files.DeleteKey(file, "S", "k"), IniWriteResult::Written);
    EXPECT_FALSE(std::filesystem::exists(file));  // nothing to delete: no file written
    ASSERT_EQ(files.WriteString(file, "S", "k", "1"), IniWriteResult::Written);
    ASSERT_EQ(files.WriteString(file, "S", "j", "2"), IniWriteResult::Written);
    ASSERT_EQ(files.DeleteKey(file, "s", "K"), IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "[S]\nj=2\n");
    ASSERT_EQ(files.DeleteSection(file, "S"), IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "");
}

TEST_F(IniFilesTest, UpdateWritesOnlyWhenTheEditSucceeds) {
    ASSERT_EQ(files.WriteString(file, "Mode0", "tool", "0"), IniWriteResult::Written);
    EXPECT_EQ(files.Update(file,
                           [](IniDocument& doc) {
                               (void)doc.SetString("Mode0", "tool", "1");
                               return IniWriteResult::Failed;
                           }),
              IniWriteResult::Failed);
    EXPECT_EQ(files.GetString(file, "Mode0", "tool", "-"), "0");
    EXPECT_EQ(files.Update(file,
                           [](IniDocument& doc) {
                               return doc.SetString("Mode0", "jcolor", "0,0,0") ==
                                                  IniWriteResult::Written &&
                                              doc.SetString("Mode0", "color", "255,0,0") ==
                                                  IniWriteResult::Written
                                          ? IniWriteResult::Written
                                          : IniWriteResult::Failed;
                           }),
              IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "[Mode0]\ntool=0\njcolor=0,0,0\ncolor=255,0,0\n");
}

}  // namespace
}  // namespace qf::text
