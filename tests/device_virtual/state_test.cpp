// The state file: what the keyboard remembers across runs, and what it does with a broken file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "device/services/virtual/keyboard_memory.h"
#include "device/services/virtual/state_file.h"
#include "device/services/virtual/virtual_constants.h"
#include "support/temp_folder.h"
#include "vkbd_test_support.h"

namespace qf::vkbd::test {
namespace {

namespace fs = std::filesystem;

class StateFileTest : public ::testing::Test {
protected:
    VirtualKeyboardOptions Options(std::uint8_t units = 32) const {
        return VirtualKeyboardOptions{units, true, path_};
    }

    Bytes FileBytes() const { return qf::testing::ReadBytes(path_); }
    void WriteFile(const Bytes& bytes) const { qf::testing::WriteBytes(path_, bytes); }

    qf::testing::TempFolder folder_;
    fs::path path_ = folder_ / "keyboard.state";
};

// Changes made through reports, in every area the host can write.
void ChangeEveryArea(VirtualKeyboard& keyboard) {
    RecordingSink sink;
    std::uint32_t id = 0;
    ASSERT_EQ(
        keyboard.RequestAsyncRead(qf::device::kControlKey, &sink, qf::device::kTagCtrl, 0, &id), 1);
    Bytes info = keyboard.Memory(Area::DeviceInfo);
    info[10] = 1;
    for (const Bytes& frame :
         {Request(8, 3, 1024 + 24, {0x02, 0x02, 0x04}), Request(10, 4, 0, {0xAA, 0x55, 4, 0}),
          Request(6, 1, 42, {7}), Request(17, 3, 36, {1, 2, 3}), Request(4, 44, 0, info)}) {
        ASSERT_EQ(keyboard.RequestWriteOne(qf::device::kControlKey, frame.data(), 64, 0), 1);
    }
    keyboard.WaitIdle();
    ASSERT_EQ(keyboard.DeleteRequestFromUnitId(id), 1);
    for (const auto& reply : sink.OfKind(QF_NOTIFY_INPUT)) {
        ASSERT_EQ(reply.bytes[7], 0);
    }
}

TEST_F(StateFileTest, MemorySurvivesARestart) {
    std::vector<Bytes> saved;
    {
        VirtualKeyboard keyboard(Options());
        ChangeEveryArea(keyboard);
        for (Area a : {Area::KeymapBlocks, Area::DefaultKeymap, Area::MacroMemory, Area::Settings,
                       Area::UserColours, Area::DeviceInfo}) {
            saved.push_back(keyboard.Memory(a));
        }
    }  // saved at destruction
    ASSERT_TRUE(fs::exists(path_));

    VirtualKeyboard again(Options());
    std::size_t i = 0;
    for (Area a : {Area::KeymapBlocks, Area::DefaultKeymap, Area::MacroMemory, Area::Settings,
                   Area::UserColours, Area::DeviceInfo}) {
        EXPECT_EQ(again.Memory(a), saved[i++]) << "area " << static_cast<int>(a);
    }
    EXPECT_EQ(again.Memory(Area::DeviceInfo)[10], 1);
    EXPECT_THAT(Slice(again.Memory(Area::KeymapBlocks), 1024 + 24, 3),
                ::testing::ElementsAre(2, 2, 4));
}

// A program that loads the service library and exits without ending it still keeps what it
// wrote: the keyboard commits its memory when a transfer ends and when the device info changes.
TEST_F(StateFileTest, EndOfTransferCommitsWhileTheKeyboardRuns) {
    VirtualKeyboard keyboard(Options());
    RecordingSink sink;
    std::uint32_t id = 0;
    ASSERT_EQ(
        keyboard.RequestAsyncRead(qf::device::kControlKey, &sink, qf::device::kTagCtrl, 0, &id), 1);
    const Bytes write = Request(8, 3, 512 + 24, {0x02, 0x02, 0x05});
    ASSERT_EQ(keyboard.RequestWriteOne(qf::device::kControlKey, write.data(), 64, 0), 1);
    keyboard.WaitIdle();
    EXPECT_FALSE(fs::exists(path_)) << "nothing is committed in the middle of a transfer";

    const Bytes end = Request(2);
    ASSERT_EQ(keyboard.RequestWriteOne(qf::device::kControlKey, end.data(), 64, 0), 1);
    keyboard.WaitIdle();
    ASSERT_TRUE(fs::exists(path_));
    VirtualKeyboard reader(Options());
    EXPECT_THAT(Slice(reader.Memory(Area::KeymapBlocks), 512 + 24, 3),
                ::testing::ElementsAre(2, 2, 5));
    ASSERT_EQ(keyboard.DeleteRequestFromUnitId(id), 1);
}

TEST_F(StateFileTest, SaveStateWritesWithoutLeavingTemporaryFiles) {
    VirtualKeyboard keyboard(Options());
    keyboard.SetMemory(Area::Settings, 0, Bytes{9});
    ASSERT_EQ(keyboard.SaveState(), 1);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
    keyboard.SetMemory(Area::Settings, 0, Bytes{1});
    ASSERT_EQ(keyboard.LoadState(), 1);
    EXPECT_EQ(keyboard.Memory(Area::Settings)[0], 9);
}

// A save that a crash interrupted leaves its temporary file; the keyboard removes it when it
// starts, but not a save under way in a running process, nor the files of other names.
TEST_F(StateFileTest, StartingRemovesTheLeftoversOfCrashedSaves) {
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const auto leftover = [](const std::string& name, pid_t pid) {
        return name + ".tmp-" + std::to_string(pid) + "-00c0ffee";
    };
    for (const std::string& name :
         {leftover("keyboard.state", ended), leftover("keyboard.state", ::getpid()),
          leftover("other.state", ended)}) {
        std::ofstream(folder_ / name) << "partial";
    }
    VirtualKeyboard keyboard(Options());
    EXPECT_FALSE(fs::exists(folder_ / leftover("keyboard.state", ended)));
    EXPECT_TRUE(fs::exists(folder_ / leftover("keyboard.state", ::getpid())));
    EXPECT_TRUE(fs::exists(folder_ / leftover("other.state", ended)));
}

// A state file reached through a link stays a link; the file it names holds the state.
TEST_F(StateFileTest, AStateFileLinkIsFollowed) {
    fs::create_directories(folder_ / "real");
    fs::create_symlink("real/kb.state", path_);
    {
        VirtualKeyboard keyboard(Options());
        keyboard.SetMemory(Area::Settings, 0, Bytes{7});
        ASSERT_EQ(keyboard.SaveState(), 1);
    }
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder_ / "real" / "kb.state")));
    VirtualKeyboard again(Options());
    EXPECT_EQ(again.Memory(Area::Settings)[0], 7);
}

TEST_F(StateFileTest, WithoutAStateFileSaveAndLoadFail) {
    VirtualKeyboard keyboard;
    EXPECT_EQ(keyboard.SaveState(), 0);
    EXPECT_EQ(keyboard.LoadState(), 0);
}

TEST_F(StateFileTest, SaveIntoAMissingFolderFails) {
    VirtualKeyboard keyboard(VirtualKeyboardOptions{32, true, folder_ / "absent" / "state"});
    EXPECT_EQ(keyboard.SaveState(), 0);
}

TEST_F(StateFileTest, MacroMemoryIsFittedToTheKeyboardsOwnSize) {
    {
        VirtualKeyboard big(Options(4));
        Bytes macro(512, 0x11);
        big.SetMemory(Area::MacroMemory, 0, macro);
    }
    VirtualKeyboard small(Options(2));
    EXPECT_EQ(small.Memory(Area::MacroMemory), Bytes(256, 0x11));
    EXPECT_EQ(small.Memory(Area::DeviceInfo)[11], 2);
}

// A state file that cannot be written (its folder is a regular file, which stops root too):
// the command that changed the memory fails instead of reporting a change that the next run
// will not have, and the reason is told once, not once per retry.
TEST_F(StateFileTest, ACommitThatCannotBeSavedFailsTheCommand) {
    const fs::path blocker = folder_ / "blocker";
    std::ofstream(blocker) << "a file, not a folder";
    std::vector<std::string> reasons;
    VirtualKeyboardOptions options{32, true, blocker / "keyboard.state"};
    options.saveFailed = [&reasons](const std::string& reason) { reasons.push_back(reason); };
    VirtualKeyboard keyboard(options);
    RecordingSink sink;
    std::uint32_t id = 0;
    ASSERT_EQ(
        keyboard.RequestAsyncRead(qf::device::kControlKey, &sink, qf::device::kTagCtrl, 0, &id), 1);
    const auto statusOf = [&](const Bytes& frame) {
        sink.Clear();
        EXPECT_EQ(keyboard.RequestWriteOne(qf::device::kControlKey, frame.data(), 64, 0), 1);
        keyboard.WaitIdle();
        const auto replies = sink.OfKind(QF_NOTIFY_INPUT);
        return replies.size() == 1 ? int{replies[0].bytes[7]} : -1;
    };

    Bytes info = keyboard.Memory(Area::DeviceInfo);
    info[10] = 2;
    const Bytes writeInfo = Request(4, 44, 0, info);
    EXPECT_EQ(statusOf(Request(8, 3, 24, {0x02, 0x02, 0x05})), kStatusOk)
        << "nothing is saved in the middle of a transfer";
    EXPECT_EQ(statusOf(Request(2)), kStatusNotSaved);
    EXPECT_EQ(statusOf(writeInfo), kStatusNotSaved);
    EXPECT_EQ(statusOf(writeInfo), kStatusNotSaved);
    EXPECT_EQ(statusOf(Request(3, 44)), kStatusOk) << "reads need no save";
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_THAT(reasons[0], ::testing::HasSubstr((blocker / "keyboard.state").string()));
    EXPECT_EQ(keyboard.SaveState(), 0);
    EXPECT_EQ(reasons.size(), 1u) << "the same reason again is not repeated";

    // Once the folder can hold it, the next commit saves everything and succeeds.
    fs::remove(blocker);
    fs::create_directory(blocker);
    EXPECT_EQ(statusOf(writeInfo), kStatusOk);
    VirtualKeyboard reader(VirtualKeyboardOptions{32, true, blocker / "keyboard.state"});
    EXPECT_EQ(reader.Memory(Area::DeviceInfo)[10], 2);
    EXPECT_THAT(Slice(reader.Memory(Area::KeymapBlocks), 24, 3), ::testing::ElementsAre(2, 2, 5));

    // A later failure is told again.
    fs::remove_all(blocker);
    std::ofstream(blocker) << "a file again";
    EXPECT_EQ(statusOf(Request(2)), kStatusNotSaved);
    EXPECT_EQ(reasons.size(), 2u);
    ASSERT_EQ(keyboard.DeleteRequestFromUnitId(id), 1);
}

// At its end the keyboard saves only what the file does not hold yet: a run on a write-protected
// state file that changed nothing has nothing to report, one that changed memory reports it.
TEST_F(StateFileTest, TheEndSavesOnlyAChangedMemory) {
    {
        VirtualKeyboard keyboard(Options());
        keyboard.SetMemory(Area::Settings, 0, Bytes{9});
    }
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Bytes before = FileBytes();
    std::vector<std::string> reasons;
    VirtualKeyboardOptions options = Options();
    options.saveFailed = [&reasons](const std::string& reason) { reasons.push_back(reason); };
    { VirtualKeyboard reader(options); }
    EXPECT_TRUE(reasons.empty());
    {
        VirtualKeyboard writer(options);
        writer.SetMemory(Area::Settings, 0, Bytes{5});
    }
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_THAT(reasons[0], ::testing::HasSubstr("write-protected"));
    EXPECT_EQ(FileBytes(), before) << "the protected file stays as it was";
}

// A broken file, made by one change to a good one.
struct Breakage {
    const char* name;
    std::function<void(Bytes&)> breakIt;
};

class BrokenStateFileTest : public StateFileTest, public ::testing::WithParamInterface<Breakage> {};

TEST_P(BrokenStateFileTest, IsIgnoredAndTheKeyboardStartsFromTheFactory) {
    {
        VirtualKeyboard keyboard(Options());
        keyboard.SetMemory(Area::Settings, 0, Bytes{9});
        keyboard.SetMemory(Area::DefaultKeymap, 0, Bytes{0x77});
    }
    Bytes bytes = FileBytes();
    ASSERT_GT(bytes.size(), 100u);
    GetParam().breakIt(bytes);
    WriteFile(bytes);

    VirtualKeyboard keyboard(VirtualKeyboardOptions{32, true, path_});
    EXPECT_EQ(keyboard.Memory(Area::Settings)[0], 1) << "factory mode 1";
    EXPECT_EQ(keyboard.Memory(Area::DefaultKeymap),
              Bytes(kFactoryKeymap.begin(), kFactoryKeymap.end()));
    EXPECT_EQ(keyboard.LoadState(), 0);
    EXPECT_EQ(keyboard.Memory(Area::Settings)[0], 1) << "a failed load changes nothing";
}

// Re-seals a changed file so that only the change itself is wrong.
void Reseal(Bytes& bytes) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i + 4 < bytes.size(); ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    const std::size_t at = bytes.size() - 4;
    for (int k = 0; k < 4; ++k) {
        bytes[at + k] = static_cast<std::uint8_t>(hash >> (8 * k));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenStateFileTest,
    ::testing::Values(Breakage{"Empty", [](Bytes& b) { b.clear(); }},
                      Breakage{"HeaderOnly", [](Bytes& b) { b.resize(16); }},
                      Breakage{"Truncated", [](Bytes& b) { b.resize(b.size() / 2); }},
                      Breakage{"OneByteShort", [](Bytes& b) { b.pop_back(); }},
                      Breakage{"FlippedByte", [](Bytes& b) { b[200] ^= 0x40; }},
                      Breakage{"TrailingGarbage", [](Bytes& b) { b.push_back(0); }},
                      Breakage{"WrongMagic",
                               [](Bytes& b) {
                                   b[0] = 'X';
                                   Reseal(b);
                               }},
                      Breakage{"WrongVersion",
                               [](Bytes& b) {
                                   b[8] = 2;
                                   Reseal(b);
                               }},
                      Breakage{"AreaLengthTooLarge",
                               [](Bytes& b) {
                                   b[16 + 1 + 3] = 0x7F;  // first area's length, high byte
                                   Reseal(b);
                               }},
                      Breakage{"AreaNumberRepeated",
                               [](Bytes& b) {
                                   b[16 + 5 + 1536] =
                                       0;  // the second area claims to be the first again
                                   Reseal(b);
                               }},
                      Breakage{"ActiveProfileOutOfRange",
                               [](Bytes& b) {
                                   b[b.size() - 4 - 44 + 10] = 3;
                                   Reseal(b);
                               }},
                      Breakage{"NotAStateFileAtAll",
                               [](Bytes& b) {
                                   for (std::size_t i = 0; i < b.size(); ++i) {
                                       b[i] = static_cast<std::uint8_t>(i * 31 + 7);
                                   }
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StateFormatTest, ParseAcceptsWhatSerializeWrites) {
    KeyboardMemory memory(32);
    (void)memory.Write(Area::UserColours, 105, Bytes{4, 5, 6});
    KeyboardMemory other(32);
    ASSERT_EQ(ParseState(SerializeState(memory), other), 1);
    EXPECT_THAT(
        Slice(Bytes(other.Bytes(Area::UserColours).begin(), other.Bytes(Area::UserColours).end()),
              105, 3),
        ::testing::ElementsAre(4, 5, 6));
}

}  // namespace
}  // namespace qf::vkbd::test
