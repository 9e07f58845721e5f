#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace qf::app {
namespace {

using qf::testing::TempFolder;

class SettingsTest : public ::testing::Test {
protected:
    TempFolder config;
    text::IniFiles files;
    std::filesystem::path store = config / "Quillfen_Orvanti" / "Quillfen.conf";
    Settings settings{files, store};
};

TEST_F(SettingsTest, AbsentValuesReadAsTheirDefault) {
    EXPECT_EQ(settings.ReadString("RecordDelay"), "0");
    EXPECT_EQ(settings.ReadString("RecordDelay", "dflt"), "dflt");
    EXPECT_EQ(settings.ReadFlip(), 0);
    EXPECT_EQ(settings.ReadInt("PROFILE00", 3), 3);
    EXPECT_FALSE(std::filesystem::exists(store));
}

TEST_F(SettingsTest, WritingCreatesTheStoreInSectionProfiles) {
    ASSERT_EQ(settings.WriteString("PROFILE00", "2"), text::IniWriteResult::Written);
    ASSERT_EQ(settings.WriteFlip(1), text::IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(store), "[PROFILES]\nPROFILE00=2\nFlip=1\n");
    EXPECT_EQ(settings.ReadFlip(), 1);
    // Value names are matched without regard to case, like the store always did.
    EXPECT_EQ(settings.ReadString("flip"), "1");
    ASSERT_EQ(settings.WriteFlip(0), text::IniWriteResult::Written);
    EXPECT_EQ(TempFolder::Read(store), "[PROFILES]\nPROFILE00=2\nFlip=0\n");
}

struct FlagCase {
    int written;
    const char* stored;
};

class SettingsFlag : public ::testing::TestWithParam<FlagCase> {};

TEST_P(SettingsFlag, OnlyZeroAndOneAreStoredAsGiven) {
    TempFolder config;
    text::IniFiles files;
    Settings settings(files, config / "s.conf");
    ASSERT_EQ(settings.WriteFlip(GetParam().written), text::IniWriteResult::Written);
    EXPECT_EQ(settings.ReadString("Flip", "absent"), GetParam().stored);
    ASSERT_EQ(settings.WriteFlag("RecordDelay", GetParam().written), text::IniWriteResult::Written);
    EXPECT_EQ(settings.ReadString("RecordDelay", "absent"), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsFlag,
                         ::testing::Values(FlagCase{0, "0"}, FlagCase{1, "1"}, FlagCase{5, "0"},
                                           FlagCase{-1, "0"}, FlagCase{2, "0"}));

TEST_F(SettingsTest, StoredFlipIsReadAsAnInteger) {
    TempFolder::Write(store, "[PROFILES]\nFlip=7\n");
    EXPECT_EQ(settings.ReadFlip(), 7);  // the keyboard view treats any non-zero value as 1
    TempFolder::Write(store, "[PROFILES]\nFlip=\n");
    EXPECT_EQ(settings.ReadFlip(), 0);
}

TEST_F(SettingsTest, LongValuesAreKeptWhole) {
    const std::string path = "/home/u/" + std::string(400, 'p') + ".fwc";
    ASSERT_EQ(settings.WriteString(Settings::ProfileRowName(1), path),
              text::IniWriteResult::Written);
    EXPECT_EQ(settings.ReadString("PROFILE01", ""), path);
}

TEST_F(SettingsTest, ValuesWithLineBreaksAreRefusedAndTheStoreKept) {
    ASSERT_EQ(settings.WriteString("PROFILE00", "1"), text::IniWriteResult::Written);
    EXPECT_EQ(settings.WriteString("PROFILE01", "/a\n[EVIL]\nx=1"),
              text::IniWriteResult::InvalidName);
    EXPECT_EQ(TempFolder::Read(store), "[PROFILES]\nPROFILE00=1\n");
}

TEST_F(SettingsTest, UnwritableStoreReportsFailure) {
    TempFolder::Write(config / "blocker", "a file where a folder should be");
    Settings blocked(files, config / "blocker" / "Quillfen.conf");
    EXPECT_EQ(blocked.WriteFlip(1), text::IniWriteResult::Failed);
}

TEST(SettingsNames, ProfileRowNamesHaveTwoDigitsAtLeast) {
    EXPECT_EQ(Settings::ProfileRowName(0), "PROFILE00");
    EXPECT_EQ(Settings::ProfileRowName(7), "PROFILE07");
    EXPECT_EQ(Settings::ProfileRowName(12), "PROFILE12");
    EXPECT_EQ(Settings::ProfileRowName(123), "PROFILE123");
}

}  // namespace
}  // namespace qf::app
