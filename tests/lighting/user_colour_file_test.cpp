// The user colour files and the panel switch in the per-user settings file, on temporary
// folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lighting/panel_switch.h"
#include "lighting/user_colour_file.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"

namespace qf::lighting {
namespace {

using qf::testing::TempFolder;

class UserColourFileTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(install / "Skins"); }

    std::string Content(int profile) const { return TempFolder::Read(writer.FileOf(profile)); }

    TempFolder install;
    text::IniFiles files;
    UserColourFiles writer{files, install.Path()};
};

TEST_F(UserColourFileTest, FileNameCarriesTheProfileNumber) {
    EXPECT_EQ(UserColourFilePath(install.Path(), 1),
              install.Path() / "Skins/UserDengColor_1.userd");
    EXPECT_EQ(writer.FileOf(0).filename(), "UserDengColor_0.userd");
}

TEST_F(UserColourFileTest, RenamingMode0OfProfile2) {
    EXPECT_EQ(writer.WriteUserModeName(2, 0, "Night"), lighting::UserColourResult::Written);
    EXPECT_EQ(Content(2), "[MODENAME]\n0=Night\n");
    EXPECT_FALSE(std::filesystem::exists(writer.FileOf(0)));
    EXPECT_FALSE(std::filesystem::exists(writer.FileOf(1)));
}

TEST_F(UserColourFileTest, TwoRenamesLeaveOneLineWithTheLastText) {
    ASSERT_EQ(writer.WriteUserModeName(1, 4, "Day"), lighting::UserColourResult::Written);
    ASSERT_EQ(writer.WriteUserModeName(1, 4, "Dusk"), lighting::UserColourResult::Written);
    EXPECT_EQ(Content(1), "[MODENAME]\n4=Dusk\n");
}

TEST_F(UserColourFileTest, PureRedForMode3OfProfile0WritesToolsInOrder) {
    EXPECT_EQ(writer.WriteUserModeTools(0, 3, UserModeTools{0, kBlack, Rgb{255, 0, 0}}),
              lighting::UserColourResult::Written);
    EXPECT_EQ(Content(0), "[Mode3]\ntool=0\njcolor=0,0,0\ncolor=255,0,0\n");
}

TEST_F(UserColourFileTest, OtherSectionsAndKeysAreKept) {
    const std::string original =
        "; written by hand\r\n[MODENAME]\r\n0=Night\r\n1=Day\r\n[Mode0]\r\ncolor = 1,2,3\r\n"
        "extra=keep me\r\n[Other]\r\nx=1\r\n";
    TempFolder::Write(writer.FileOf(1), original);

    ASSERT_EQ(writer.WriteUserModeTools(1, 0, UserModeTools{0, kBlack, Rgb{9, 8, 7}}),
              lighting::UserColourResult::Written);
    ASSERT_EQ(writer.WriteUserModeName(1, 2, "Storm"), lighting::UserColourResult::Written);

    EXPECT_EQ(Content(1),
              "; written by hand\r\n[MODENAME]\r\n0=Night\r\n1=Day\r\n2=Storm\r\n[Mode0]\r\n"
              "color = 9,8,7\r\nextra=keep me\r\ntool=0\r\njcolor=0,0,0\r\n[Other]\r\nx=1\r\n");
}

TEST_F(UserColourFileTest, AMissingSkinsFolderFailsWithoutCreatingIt) {
    TempFolder bare;
    UserColourFiles elsewhere{files, bare.Path()};
    EXPECT_EQ(elsewhere.WriteUserModeName(0, 0, "Night"), lighting::UserColourResult::Failed);
    EXPECT_EQ(elsewhere.WriteUserModeTools(0, 0, UserModeTools{}),
              lighting::UserColourResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(bare / "Skins"));
}

TEST_F(UserColourFileTest, BadArgumentsWriteNothing) {
    ASSERT_EQ(writer.WriteUserModeName(0, 0, "Night"), lighting::UserColourResult::Written);
    const std::string before = Content(0);

    EXPECT_EQ(writer.WriteUserModeName(3, 0, "x"), UserColourResult::BadProfile);
    EXPECT_EQ(writer.WriteUserModeName(-1, 0, "x"), UserColourResult::BadProfile);
    EXPECT_EQ(writer.WriteUserModeTools(0, -1, UserModeTools{}), UserColourResult::BadMode);
    // A name that would break the file's lines.
    EXPECT_EQ(writer.WriteUserModeName(0, 0, "two\nlines"), UserColourResult::BadName);

    EXPECT_EQ(Content(0), before);
    EXPECT_FALSE(std::filesystem::exists(writer.FileOf(3)));
}

// ---- The panel switch ------------------------------------------------------------------------

struct PanelCase {
    const char* content;
    bool on;
};

class PanelSwitchTest : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelSwitchTest, OnlyTheValue1MeansOn) {
    TempFolder folder;
    const auto file = folder / "mrgo.ini";
    TempFolder::Write(file, GetParam().content);
    text::IniFiles files;
    EXPECT_EQ(ReadPanelOn(files, file), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(Lighting, PanelSwitchTest,
                         ::testing::Values(PanelCase{"", false},
                                           PanelCase{"[KEYCOLOR]\nDengCheck=1\n", true},
                                           PanelCase{"[KEYCOLOR]\nDengCheck=0\n", false},
                                           PanelCase{"[KEYCOLOR]\nDengCheck=2\n", false},
                                           PanelCase{"[KEYCOLOR]\nDengCheck=yes\n", false},
                                           PanelCase{"[OTHER]\nDengCheck=1\n", false}));

TEST(PanelSwitchWriteTest, WritesOneAndZeroAndKeepsTheRestOfTheFile) {
    TempFolder folder;
    const auto file = folder / "mrgo.ini";
    TempFolder::Write(file, "[OTHER]\nx=y\n");
    text::IniFiles files;
    ASSERT_EQ(WritePanelOn(files, file, true), text::IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "[OTHER]\nx=y\n[KEYCOLOR]\nDengCheck=1\n");
    ASSERT_EQ(WritePanelOn(files, file, false), text::IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(file), "[OTHER]\nx=y\n[KEYCOLOR]\nDengCheck=0\n");
    EXPECT_FALSE(ReadPanelOn(files, file));

    EXPECT_EQ(WritePanelOn(files, folder / "missing/mrgo.ini", true), text::IniWriteResult::Failed);
}

}  // namespace
}  // namespace qf::lighting
