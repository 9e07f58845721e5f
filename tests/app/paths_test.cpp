#include "app/paths.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/temp_folder.h"

namespace qf::app {
namespace {

namespace fs = std::filesystem;
using qf::testing::TempFolder;

// ---- Install paths --------------------------------------------------------------------------

TEST(InstallPaths, EveryPathLiesBesideTheExecutable) {
    InstallPaths paths;
    ASSERT_EQ(BuildInstallPaths("/D/Tools/Kb/quillfen", paths), 1);
    EXPECT_EQ(paths.installFolder, "/D/Tools/Kb");
    EXPECT_EQ(paths.executableName, "quillfen");
    EXPECT_EQ(paths.mainSkin.file, "/D/Tools/Kb/Skins/Main.ini");
    EXPECT_EQ(paths.mainSkin.folder, "/D/Tools/Kb/Skins");
    EXPECT_EQ(paths.profileSkin.file, "/D/Tools/Kb/Skins/Profile.ini");
    EXPECT_EQ(paths.compositeSkin.file, "/D/Tools/Kb/Skins/Composite.ini");
    EXPECT_EQ(paths.compositeSkin.folder, "/D/Tools/Kb/Skins");
    EXPECT_EQ(paths.languageFile, "/D/Tools/Kb/Skins/language.ini");
    EXPECT_EQ(paths.helpFolder, "/D/Tools/Kb/Help");
    EXPECT_EQ(paths.helpPage, "/D/Tools/Kb/Help/index.html");
    EXPECT_EQ(paths.companionProgram, "/D/Tools/Kb/Velmorad");
    EXPECT_EQ(paths.skinsFolder, "/D/Tools/Kb/Skins");
    EXPECT_EQ(paths.UserColourFile(1), "/D/Tools/Kb/Skins/UserDengColor_1.userd");
    EXPECT_EQ(paths.InstallFile("Skins\\main_normal.jpg"), "/D/Tools/Kb/Skins/main_normal.jpg");
}

TEST(InstallPaths, HelpPageDoesNotDependOnTheWorkingFolder) {
    InstallPaths paths;
    ASSERT_EQ(BuildInstallPaths("/opt/quillfen/bin/quillfen", paths), 1);
    EXPECT_TRUE(paths.helpPage.is_absolute());
    EXPECT_EQ(paths.helpPage, "/opt/quillfen/bin/Help/index.html");
}

TEST(InstallPaths, LongInstallFoldersAreNotCut) {
    std::string deep = "/";
    for (int i = 0; i < 40; ++i) {
        deep += "folder" + std::to_string(i) + "/";
    }
    InstallPaths paths;
    ASSERT_EQ(BuildInstallPaths(deep + "quillfen", paths), 1);
    EXPECT_GT(paths.mainSkin.file.string().size(), 260u);
    EXPECT_EQ(paths.mainSkin.file, fs::path(deep) / "Skins" / "Main.ini");
}

TEST(InstallPaths, ExecutableMustBeAnAbsoluteFilePath) {
    InstallPaths paths;
    EXPECT_EQ(BuildInstallPaths("", paths), 0);
    EXPECT_EQ(BuildInstallPaths("quillfen", paths), 0);
    EXPECT_EQ(BuildInstallPaths("/opt/q/", paths), 0);
}

TEST(InstallPaths, TheRunningProcessFindsItsOwnExecutable) {
    const Environment env = Environment::FromProcess();
    EXPECT_TRUE(env.executable.is_absolute());
    EXPECT_EQ(env.executable.filename(), "app_tests");
}

// ---- User paths -----------------------------------------------------------------------------

// An environment over a temporary home folder.
class UserPathsTest : public ::testing::Test {
protected:
    TempFolder home;
    std::map<std::string, std::string> variables{{"HOME", home.Path().string()}};

    Environment Env() const {
        Environment env;
        env.variable = [vars = variables](std::string_view name) -> std::optional<std::string> {
            const auto it = vars.find(std::string(name));
            return it == vars.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        env.executable = "/opt/q/quillfen";
        return env;
    }
    void WriteUserDirs(std::string_view content) const {
        TempFolder::Write(home / ".config" / "user-dirs.dirs", content);
    }
};

TEST_F(UserPathsTest, WithoutUserDirsTheDocumentsFolderIsHomeDocuments) {
    UserPaths paths;
    ASSERT_EQ(BuildUserPaths(Env(), paths), 1);
    EXPECT_EQ(paths.documentsFolder, home / "Documents");
    EXPECT_EQ(paths.profileFolder, home / "Documents" / "Quillfen_09A");
    EXPECT_EQ(paths.userSettingsFile, home / "Documents" / "Quillfen_09A" / "mrgo.ini");
    EXPECT_EQ(paths.profileCacheFile, home / "Documents" / "Quillfen_09A" / "$Profile0");
    EXPECT_EQ(paths.configFolder, home / ".config");
    EXPECT_EQ(paths.settingsStoreFile, home / ".config" / "Quillfen_Orvanti" / "Quillfen.conf");
}

TEST_F(UserPathsTest, UserDirsNamesTheDocumentsFolder) {
    WriteUserDirs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    UserPaths paths;
    ASSERT_EQ(BuildUserPaths(Env(), paths), 1);
    EXPECT_EQ(paths.documentsFolder, home / "Dokumente");
    EXPECT_EQ(paths.userSettingsFile, home / "Dokumente" / "Quillfen_09A" / "mrgo.ini");
}

TEST_F(UserPathsTest, ConfigHomeMovesUserDirsAndTheSettingsStore) {
    TempFolder config;
    variables["XDG_CONFIG_HOME"] = config.Path().string();
    TempFolder::Write(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/ignored\"\n");
    UserPaths paths;
    ASSERT_EQ(BuildUserPaths(Env(), paths, "Other"), 1);
    EXPECT_EQ(paths.documentsFolder, "/srv/docs");
    EXPECT_EQ(paths.settingsStoreFile, config / "Quillfen_Orvanti" / "Other.conf");
}

TEST_F(UserPathsTest, RelativeConfigHomeIsIgnored) {
    variables["XDG_CONFIG_HOME"] = "relative/config";
    UserPaths paths;
    ASSERT_EQ(BuildUserPaths(Env(), paths), 1);
    EXPECT_EQ(paths.configFolder, home / ".config");
}

TEST_F(UserPathsTest, NoHomeNoUserPaths) {
    variables.erase("HOME");
    UserPaths paths;
    EXPECT_EQ(BuildUserPaths(Env(), paths), 0);
    variables["HOME"] = "not/absolute";
    EXPECT_EQ(BuildUserPaths(Env(), paths), 0);
}

struct UserDirsCase {
    const char* content;
    const char* documents;  // nullptr: the file names none
};

class UserDirsParse : public ::testing::TestWithParam<UserDirsCase> {};

TEST_P(UserDirsParse, FindsTheDocumentsFolder) {
    const auto found = DocumentsFromUserDirs(GetParam().content, "/home/u");
    if (GetParam().documents == nullptr) {
        EXPECT_EQ(found, std::nullopt);
    } else {
        EXPECT_EQ(found, fs::path(GetParam().documents));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UserDirsParse,
    ::testing::Values(
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/home/u/Documents"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/My Files/\"", "/home/u/My Files"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME\"\n", "/home/u"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "/home/u"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"/data/docs\"\r\n", "/data/docs"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/say \\\"hi\\\"\"\n", "/home/u/say \"hi\""},
        UserDirsCase{"XDG_DOCUMENTS_DIR=$HOME/Unquoted\n", "/home/u/Unquoted"},
        UserDirsCase{"  XDG_DOCUMENTS_DIR = \"$HOME/Spaced\"\n", "/home/u/Spaced"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"$HOME/b\"\n", "/home/u/b"},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"broken\n", "/home/u/a"},
        UserDirsCase{"#XDG_DOCUMENTS_DIR=\"$HOME/commented\"\n", nullptr},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", nullptr},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOMEBOY/x\"\n", nullptr},
        UserDirsCase{"XDG_DOCUMENTS_DIR=\"$HOME/unterminated\n", nullptr},
        UserDirsCase{"XDG_DOCUMENTS_DIRECTORY=\"/x\"\n", nullptr},
        UserDirsCase{"XDG_MUSIC_DIR=\"$HOME/Music\"\n", nullptr}, UserDirsCase{"", nullptr}));

}  // namespace
}  // namespace qf::app
