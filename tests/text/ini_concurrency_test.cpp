// Several threads reading and writing one INI file through one IniFiles.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"
#include "text/ini_file.h"

namespace qf::text {
namespace {

using qf::testing::TempFolder;

constexpr int kWritesPerThread = 60;

TEST(IniConcurrency, TwoWritersNeverLoseOrCorruptValues) {
    TempFolder folder;
    IniFiles files;
    const auto file = folder / "shared.ini";
    ASSERT_EQ(files.WriteString(file, "MARK", "present", "yes"), IniWriteResult::Written);

    std::atomic<int> failures{0};
    std::atomic<bool> writing{true};
    auto writer = [&](const std::string& section) {
        for (int i = 0; i < kWritesPerThread; ++i) {
            // Each thread rewrites one key over and over and adds a new one each time.
            if (files.WriteString(file, section, "last", std::to_string(i)) !=
                    IniWriteResult::Written ||
                files.WriteString(file, section, "k" + std::to_string(i), std::to_string(i)) !=
                    IniWriteResult::Written) {
                ++failures;
            }
        }
    };
    // A reader never sees a half-written file: the marker written first is always there.
    std::atomic<int> badReads{0};
    auto reader = [&] {
        while (writing) {
            IniDocument doc;
            if (LoadIniFile(file, doc) != IniLoadResult::Loaded ||
                doc.GetString("MARK", "present", "") != "yes") {
                ++badReads;
            }
        }
    };
    std::thread r(reader);
    std::thread a(writer, "ThreadA");
    std::thread b(writer, "threadB");
    a.join();
    b.join();
    writing = false;
    r.join();

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(badReads, 0);
    IniDocument doc;
    ASSERT_EQ(LoadIniFile(file, doc), IniLoadResult::Loaded);
    for (const char* section : {"ThreadA", "threadB"}) {
        EXPECT_EQ(doc.GetInt(section, "last", -1), kWritesPerThread - 1) << section;
        EXPECT_EQ(doc.KeyNames(section).size(), static_cast<std::size_t>(kWritesPerThread + 1));
        for (int i = 0; i < kWritesPerThread; ++i) {
            EXPECT_EQ(doc.GetInt(section, "k" + std::to_string(i), -1), i) << section << i;
        }
    }
    // Every write renamed its temporary file away.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(IniConcurrency, OnePathSpelledTwoWaysSharesOneLock) {
    TempFolder folder;
    IniFiles files;
    std::filesystem::create_directory(folder / "sub");
    const auto plain = folder / "x.ini";
    const auto roundabout = folder / "sub" / ".." / "." / "x.ini";
    auto writer = [&](const std::filesystem::path& path, const std::string& prefix) {
        for (int i = 0; i < kWritesPerThread; ++i) {
            (void)files.WriteString(path, "S", prefix + std::to_string(i), "1");
        }
    };
    std::thread a(writer, plain, "a");
    std::thread b(writer, roundabout, "b");
    a.join();
    b.join();
    IniDocument doc;
    ASSERT_EQ(LoadIniFile(plain, doc), IniLoadResult::Loaded);
    EXPECT_EQ(doc.KeyNames("S").size(), static_cast<std::size_t>(2 * kWritesPerThread));
}

}  // namespace
}  // namespace qf::text
