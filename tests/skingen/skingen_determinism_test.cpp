// The generator gives the same bytes on every run: two runs into fresh folders agree with each
// other and with the skin the build put beside the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "skin_files.h"
#include "support/temp_folder.h"

namespace qf::skintest {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
    return qf::testing::TempFolder::Read(file);
}

std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

int RunGenerator(const fs::path& folder) {
    const std::string command =
        std::string("'") + QF_SKINGEN_PATH + "' '" + folder.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

TEST(SkinGenerator, GivesTheSameBytesOnEveryRun) {
    const qf::testing::TempFolder first;
    const qf::testing::TempFolder second;
    ASSERT_EQ(RunGenerator(first.Path() / "Skins"), 0);
    ASSERT_EQ(RunGenerator(second.Path() / "Skins"), 0);
    const std::set<std::string> names = FileNames(first.Path() / "Skins");
    ASSERT_GT(names.size(), 80u);
    EXPECT_EQ(names, FileNames(second.Path() / "Skins"));
    for (const std::string& name : names) {
        const std::string bytes = Bytes(first.Path() / "Skins" / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, Bytes(second.Path() / "Skins" / name)) << name << " differs between runs";
        EXPECT_EQ(bytes, Bytes(BuiltSkins() / name)) << name << " differs from the built skin";
    }
}

TEST(SkinGenerator, RefusesAFolderItCannotWrite) {
    const qf::testing::TempFolder folder;
    // A file where the folder should be.
    qf::testing::TempFolder::Write(folder / "Skins", "not a folder");
    EXPECT_NE(RunGenerator(folder / "Skins"), 0);
}

}  // namespace
}  // namespace qf::skintest
