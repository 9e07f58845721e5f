// Safe writes that respect their target: links followed, permissions and owner kept, targets that
// are not writable regular files refused and left as they were; and the clean-up of temporary
// files that crashed writes left behind.
#include "text/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace qf::text {
namespace {

namespace fs = std::filesystem;
using qf::testing::TempFolder;

const std::vector<std::uint8_t> kNew = {'n', 'e', 'w', '\n'};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

// A process that has ended and been reaped: its id names no running process.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::string TempName(const std::string& target, pid_t pid, const char* random = "0123abcd") {
    return target + ".tmp-" + std::to_string(pid) + "-" + random;
}

class SafeWriteTest : public ::testing::Test {
protected:
    // Writes and expects a refusal that names the reason, the target's content unchanged and no
    // file added to its folder.
    void ExpectRefused(const fs::path& target, const std::string& reason) {
        const auto before = Names(dir_.Path());
        std::string error;
        EXPECT_EQ(CheckWritableTarget(target, &error), 0) << target;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        error.clear();
        EXPECT_EQ(WriteFileAtomically(target, kNew, nullptr, &error), 0) << target;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_EQ(Names(dir_.Path()), before);
    }

    TempFolder dir_;
};

TEST_F(SafeWriteTest, AWriteProtectedFileIsRefusedEvenForRoot) {
    const fs::path file = dir_ / "locked.fwc";
    TempFolder::Write(file, "old");
    for (const mode_t mode : {0444, 0400, 0000, 0555}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ExpectRefused(file, "write-protected");
        EXPECT_EQ(ModeOf(file) & 07777, mode);
        ASSERT_EQ(::chmod(file.c_str(), 0444), 0);  // readable for a check as any user
        EXPECT_EQ(TempFolder::Read(file), "old");
    }
}

TEST_F(SafeWriteTest, AFileTheUserMayNotWriteIsRefused) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root passes every access check; the write-bit rule above covers root";
    }
    // Write permission for the group only: the owner may not write it.
    const fs::path file = dir_ / "group.fwc";
    TempFolder::Write(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0464), 0);
    ExpectRefused(file, "Permission denied");
    EXPECT_EQ(TempFolder::Read(file), "old");
}

TEST_F(SafeWriteTest, PermissionsAreKept) {
    for (const mode_t mode : {0600, 0640, 0664, 0604}) {
        SCOPED_TRACE(mode);
        const fs::path file = dir_ / ("mode-" + std::to_string(mode));
        TempFolder::Write(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        std::string error;
        ASSERT_EQ(WriteFileAtomically(file, kNew, nullptr, &error), 1) << error;
        EXPECT_EQ(ModeOf(file) & 07777, mode);
        EXPECT_EQ(TempFolder::Read(file), "new\n");
    }
    // A new file gets the usual permissions, less the umask.
    const mode_t mask = ::umask(022);
    ASSERT_EQ(WriteFileAtomically(dir_ / "fresh", kNew), 1);
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir_ / "fresh") & 07777, 0644u);
}

TEST_F(SafeWriteTest, RootKeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    const fs::path file = dir_ / "theirs.fwc";
    TempFolder::Write(file, "old");
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0620), 0);
    ASSERT_EQ(WriteFileAtomically(file, kNew), 1);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0620u);
    EXPECT_EQ(TempFolder::Read(file), "new\n");
}

TEST_F(SafeWriteTest, ALinkIsFollowedAndStaysALink) {
    fs::create_directories(dir_ / "real");
    const fs::path target = dir_ / "real" / "profile.fwc";
    TempFolder::Write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // A relative link read from its own folder, and a link to that link.
    fs::create_directories(dir_ / "links");
    fs::create_symlink("../real/profile.fwc", dir_ / "links" / "first");
    fs::create_symlink(dir_ / "links" / "first", dir_ / "second");

    ASSERT_EQ(WriteFileAtomically(dir_ / "second", kNew), 1);
    EXPECT_EQ(TempFolder::Read(target), "new\n");
    EXPECT_TRUE(fs::is_symlink(dir_ / "second"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "first"));
    EXPECT_EQ(fs::read_symlink(dir_ / "links" / "first"), "../real/profile.fwc");
    EXPECT_EQ(ModeOf(target) & 07777, 0600u);
    EXPECT_EQ(Names(dir_ / "real"), std::vector<std::string>{"profile.fwc"});
    EXPECT_EQ(Names(dir_ / "links"), std::vector<std::string>{"first"});
}

TEST_F(SafeWriteTest, ALinkToAFileStillToBeMadeCreatesThatFile) {
    fs::create_symlink("made-later.fwc", dir_ / "link");
    ASSERT_EQ(WriteFileAtomically(dir_ / "link", kNew), 1);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_EQ(TempFolder::Read(dir_ / "made-later.fwc"), "new\n");

    fs::create_symlink("nowhere/x.fwc", dir_ / "lost");
    ExpectRefused(dir_ / "lost", "does not exist");
}

TEST_F(SafeWriteTest, ALinkToAProtectedFileIsRefused) {
    TempFolder::Write(dir_ / "locked", "old");
    ASSERT_EQ(::chmod((dir_ / "locked").c_str(), 0444), 0);
    fs::create_symlink("locked", dir_ / "link");
    ExpectRefused(dir_ / "link", "write-protected");
    EXPECT_EQ(TempFolder::Read(dir_ / "locked"), "old");
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
}

TEST_F(SafeWriteTest, ALinkLoopIsRefused) {
    fs::create_symlink("b", dir_ / "a");
    fs::create_symlink("a", dir_ / "b");
    ExpectRefused(dir_ / "a", "symbolic links");
}

TEST_F(SafeWriteTest, AFifoIsRefusedAndStaysAFifo) {
    const fs::path fifo = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    ExpectRefused(fifo, "named pipe");
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
    // Also through a link, as /dev/stdout names a pipe.
    fs::create_symlink("pipe", dir_ / "out");
    ExpectRefused(dir_ / "out", "named pipe");
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
}

TEST_F(SafeWriteTest, ADeviceNodeIsRefusedAndStaysADevice) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making a device node needs root";
    }
    // A node like /dev/null (character device 1, 3).
    const fs::path node = dir_ / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ExpectRefused(node, "a device");
    EXPECT_TRUE(S_ISCHR(ModeOf(node)));
    struct stat st {};
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    EXPECT_EQ(st.st_rdev, ::makedev(1, 3));
}

TEST_F(SafeWriteTest, AFolderIsRefused) {
    fs::create_directories(dir_ / "sub");
    TempFolder::Write(dir_ / "sub" / "inside", "x");
    ExpectRefused(dir_ / "sub", "a folder");
    EXPECT_EQ(Names(dir_ / "sub"), std::vector<std::string>{"inside"});
}

TEST_F(SafeWriteTest, AMissingFolderIsRefusedAndNotMade) {
    ExpectRefused(dir_ / "missing" / "x.fwc", "does not exist");
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
    TempFolder::Write(dir_ / "file", "x");
    ExpectRefused(dir_ / "file" / "x.fwc", "cannot write");
    ExpectRefused("", "without a name");
}

TEST_F(SafeWriteTest, TheTemporaryFileNamesTheTargetAndTheProcess) {
    const fs::path file = dir_ / "target.fwc";
    std::vector<std::string> during;
    const WriteFaults watch{[&](WriteStep step) {
        if (step == WriteStep::Rename) {
            during = Names(dir_.Path());
        }
        return true;
    }};
    ASSERT_EQ(WriteFileAtomically(file, kNew, &watch), 1);
    ASSERT_EQ(during.size(), 1u);
    const std::string prefix = "target.fwc.tmp-" + std::to_string(::getpid()) + "-";
    ASSERT_EQ(during[0].rfind(prefix, 0), 0u) << during[0];
    const std::string random = during[0].substr(prefix.size());
    EXPECT_EQ(random.size(), 8u);
    EXPECT_EQ(random.find_first_not_of("0123456789abcdef"), std::string::npos) << random;
    EXPECT_EQ(Names(dir_.Path()), std::vector<std::string>{"target.fwc"});
}

TEST_F(SafeWriteTest, OnlyLeftoversOfEndedProcessesInOurPatternAreRemoved) {
    const pid_t ended = EndedProcess();
    // A save under way in another, running process.
    const pid_t running = ::fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    const std::vector<std::string> removed = {
        TempName("a.fwc", ended),
        TempName("$Profile0", ended, "ffffffff"),
    };
    const std::vector<std::string> kept = {
        "a.fwc",
        TempName("a.fwc", running),
        TempName("a.fwc", ::getpid()),
        TempName("a.fwc", ended, "0123ABCD"),   // not our hex digits
        TempName("a.fwc", ended, "0123abc"),    // seven digits
        TempName("a.fwc", ended, "0123abcd0"),  // nine digits
        TempName("", ended),                    // no target name
        "a.fwc.tmp-x" + std::to_string(ended) + "-0123abcd",
        "a.fwc.tmp-0123abcd",  // another program's pattern
        "a.fwc.XXab12",
    };
    for (const auto& name : removed) {
        TempFolder::Write(dir_ / name, "partial");
    }
    for (const auto& name : kept) {
        TempFolder::Write(dir_ / name, "keep");
    }
    // A folder and a link that look like leftovers are not ours to remove.
    fs::create_directories(dir_ / TempName("dir", ended));
    fs::create_symlink("a.fwc", dir_ / TempName("link", ended));

    EXPECT_EQ(RemoveStaleTempFiles(dir_.Path()), removed.size());
    std::vector<std::string> expected = kept;
    expected.push_back(TempName("dir", ended));
    expected.push_back(TempName("link", ended));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(dir_.Path()), expected);

    // Once the other process has ended, its leftover goes too.
    ::kill(running, SIGKILL);
    int status = 0;
    ::waitpid(running, &status, 0);
    EXPECT_EQ(RemoveStaleTempFiles(dir_.Path()), 1u);
    EXPECT_FALSE(fs::exists(dir_ / TempName("a.fwc", running)));
    EXPECT_EQ(RemoveStaleTempFiles(dir_ / "no-such-folder"), 0u);
}

TEST_F(SafeWriteTest, LeftoversOfOneFileAreThoseBesideTheFileItsLinkNames) {
    const pid_t ended = EndedProcess();
    fs::create_directories(dir_ / "state");
    fs::create_symlink("state/vk.state", dir_ / "vk.link");
    TempFolder::Write(dir_ / "state" / TempName("vk.state", ended), "partial");
    TempFolder::Write(dir_ / "state" / TempName("vk.state2", ended), "another file's");
    TempFolder::Write(dir_ / "state" / TempName("other", ended), "another file's");
    EXPECT_EQ(RemoveStaleTempFilesOf(dir_ / "vk.link"), 1u);
    EXPECT_EQ(Names(dir_ / "state"),
              (std::vector<std::string>{TempName("other", ended), TempName("vk.state2", ended)}));
}

}  // namespace
}  // namespace qf::text
