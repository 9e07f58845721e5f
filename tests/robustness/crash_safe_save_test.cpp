// Crash-safe saves: every file the program writes is refused at each step of its write in turn
// (creating the temporary file, writing, flushing, closing, renaming) and, separately, the
// process is killed at each step. Afterwards the file holds the complete old or the complete
// new content, never a mix; a refused write reports failure and leaves no temporary file.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "device/services/virtual/keyboard_memory.h"
#include "device/services/virtual/state_file.h"
#include "profiles/profile_store.h"
#include "support/temp_folder.h"
#include "text/ini_file.h"
#include "text/safe_file.h"

namespace qf::robustness {
namespace {

namespace fs = std::filesystem;
using text::WriteFaults;
using text::WriteStep;

constexpr WriteStep kSteps[] = {WriteStep::CreateTemp, WriteStep::Write, WriteStep::Flush,
                                WriteStep::Close, WriteStep::Rename};

std::string StepName(WriteStep step) {
    switch (step) {
        case WriteStep::CreateTemp:
            return "CreateTemp";
        case WriteStep::Write:
            return "Write";
        case WriteStep::Flush:
            return "Flush";
        case WriteStep::Close:
            return "Close";
        case WriteStep::Rename:
            return "Rename";
    }
    return "?";
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// One kind of file the program writes: how to write its old and new content, and where.
struct SavedFile {
    std::string name;
    // Writes the old content (no faults): the state before the save under test.
    std::function<void(const fs::path& file)> writeOld;
    // The save under test; returns its result.
    std::function<int(const fs::path& file, const WriteFaults* faults)> save;
};

profiles::StoreContents OldContents() {
    profiles::StoreContents c;
    c.mainBlock = profiles::NewMainBlock(0);
    keys::KeyRecord r;
    r.kind = static_cast<std::uint16_t>(keys::KeyKind::Key);
    r.value = 0x1E;
    c.SetRecord(40, r);
    return c;
}

void FillNewStore(profiles::ProfileStore& store) {
    auto access = store.Lock();
    keys::KeyRecord text;
    text.kind = static_cast<std::uint16_t>(keys::KeyKind::Text);
    access->SetRecord(7, text);
    access->strings.Set(7, u"new text");
    macros::MacroRecord m;
    m.id = 1;
    m.SetName(u"new macro");
    m.AppendAction({10, 0x1E, 0});
    m.AppendAction({10, 0x1E, 1});
    access->macros.push_back(m);
}

std::vector<SavedFile> SavedFiles() {
    std::vector<SavedFile> files;
    files.push_back({"profile cache",
                     [](const fs::path& file) {
                         auto c = OldContents();
                         ASSERT_EQ(profiles::WriteProfileFile(file, c), 1);
                     },
                     [](const fs::path& file, const WriteFaults* faults) {
                         profiles::ProfileStore store;
                         FillNewStore(store);
                         return profiles::SaveProfileCache(store, file, {true, faults});
                     }});
    files.push_back({"exported profile file",
                     [](const fs::path& file) {
                         auto c = OldContents();
                         ASSERT_EQ(profiles::WriteProfileFile(file, c), 1);
                     },
                     [](const fs::path& file, const WriteFaults* faults) {
                         profiles::ProfileStore store;
                         FillNewStore(store);
                         std::string error;
                         return profiles::ExportProfileFile(store, file, &error, {true, faults});
                     }});
    files.push_back({"INI file",
                     [](const fs::path& file) {
                         qf::testing::TempFolder::Write(
                             file, "; settings\r\n[PROFILES]\r\nlast = 2\r\n[OTHER]\r\nx=1\r\n");
                     },
                     [](const fs::path& file, const WriteFaults* faults) {
                         text::IniFiles files;
                         files.SetWriteFaults(faults);
                         return static_cast<int>(
                             files.WriteString(file, "PROFILES", "last", "a much longer value"));
                     }});
    files.push_back({"virtual keyboard state file",
                     [](const fs::path& file) {
                         vkbd::KeyboardMemory memory(32);
                         ASSERT_EQ(vkbd::SaveStateFile(file, memory), 1);
                     },
                     [](const fs::path& file, const WriteFaults* faults) {
                         vkbd::KeyboardMemory memory(16);
                         const std::uint8_t bytes[] = {9, 8, 7};
                         EXPECT_TRUE(memory.Write(vkbd::Area::Settings, 3, bytes));
                         return vkbd::SaveStateFile(file, memory, faults);
                     }});
    return files;
}

class CrashSafeSave : public ::testing::TestWithParam<SavedFile> {
protected:
    void SetUp() override {
        file_ = folder_ / "target";
        GetParam().writeOld(file_);
        old_ = qf::testing::TempFolder::Read(file_);
        ASSERT_FALSE(old_.empty());
        // The new content, from a save without faults into another folder.
        qf::testing::TempFolder other;
        const fs::path copy = other / "target";
        GetParam().writeOld(copy);
        ASSERT_EQ(GetParam().save(copy, nullptr), 1);
        new_ = qf::testing::TempFolder::Read(copy);
        ASSERT_NE(new_, old_);
    }

    qf::testing::TempFolder folder_;
    fs::path file_;
    std::string old_;
    std::string new_;
};

TEST_P(CrashSafeSave, RefusedStepKeepsTheOldFileAndLeavesNoTemporaryFile) {
    for (const WriteStep failing : kSteps) {
        SCOPED_TRACE("refused step " + StepName(failing));
        std::vector<WriteStep> seen;
        const WriteFaults faults{[&](WriteStep step) {
            seen.push_back(step);
            return step != failing;
        }};
        EXPECT_EQ(GetParam().save(file_, &faults), 0);
        EXPECT_FALSE(seen.empty()) << "the save never reached the fault seam";
        EXPECT_EQ(seen.back(), failing);
        EXPECT_EQ(qf::testing::TempFolder::Read(file_), old_);
        EXPECT_EQ(Names(folder_.Path()), std::vector<std::string>{"target"});
    }
    EXPECT_EQ(GetParam().save(file_, nullptr), 1);
    EXPECT_EQ(qf::testing::TempFolder::Read(file_), new_);
    EXPECT_EQ(Names(folder_.Path()), std::vector<std::string>{"target"});
}

// A crash is a process that stops at the step: nothing of the write after it happens, no
// clean-up either. The target is the complete old file before the rename and the complete new
// one after it.
TEST_P(CrashSafeSave, ProcessKilledAtEachStepLeavesAWholeFile) {
    for (const WriteStep dying : kSteps) {
        SCOPED_TRACE("killed before " + StepName(dying));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const WriteFaults faults{[&](WriteStep step) {
                if (step == dying) {
                    ::_exit(42);
                }
                return true;
            }};
            (void)GetParam().save(file_, &faults);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 42) << "the save did not reach the step";
        EXPECT_EQ(qf::testing::TempFolder::Read(file_), old_);
        // The killed write leaves its temporary file (nobody is left to remove it); it never
        // takes the target's name, it names the dead process, and the start-up clean-up removes
        // it; the next successful save is unaffected by it.
        std::size_t leftovers = 0;
        for (const auto& name : Names(folder_.Path())) {
            if (name != "target") {
                EXPECT_TRUE(std::regex_match(
                    name, std::regex("target\\.tmp-" + std::to_string(child) + "-[0-9a-f]{8}")))
                    << name;
                ++leftovers;
            }
        }
        EXPECT_EQ(leftovers, dying == WriteStep::CreateTemp ? 0u : 1u);
        EXPECT_EQ(text::RemoveStaleTempFiles(folder_.Path()), leftovers);
        EXPECT_EQ(Names(folder_.Path()), std::vector<std::string>{"target"});
    }
    EXPECT_EQ(GetParam().save(file_, nullptr), 1);
    EXPECT_EQ(qf::testing::TempFolder::Read(file_), new_);
}

INSTANTIATE_TEST_SUITE_P(EveryWrittenFile, CrashSafeSave, ::testing::ValuesIn(SavedFiles()),
                         [](const ::testing::TestParamInfo<SavedFile>& info) {
                             std::string name;
                             for (char c : info.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace qf::robustness
