// The single instance: the lock file decides who runs, the local socket carries OPEN and KILL,
// and whatever else arrives on it is ignored.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QSignalSpy>
#include <cstring>
#include <filesystem>

#include "app/window_messages.h"
#include "support/temp_folder.h"
#include "ui/shell/instance_channel.h"
#include "ui/shell/instance_lock.h"

namespace qf::ui {
namespace {

using presenters::InstanceMessage;
using presenters::InstanceNames;
using presenters::InstanceRequest;
using namespace std::chrono_literals;

class InstanceTest : public ::testing::Test {
protected:
    qf::testing::TempFolder folder;
    InstanceNames names =
        presenters::MakeInstanceNames("quillfen", ::getuid(), folder.Path().string());
};

TEST_F(InstanceTest, TheFirstLockRunsTheSecondFindsItHeld) {
    {
        InstanceLock first(names);
        ASSERT_EQ(first.outcome(), InstanceLock::Outcome::Acquired) << first.error();
        EXPECT_TRUE(first.held());
        EXPECT_EQ(
            std::filesystem::status(names.lockFile).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

        InstanceLock second(names);
        EXPECT_EQ(second.outcome(), InstanceLock::Outcome::HeldByAnother);
        EXPECT_FALSE(second.held());
    }
    // Released at the end: nothing is left behind, and the next start runs.
    EXPECT_FALSE(std::filesystem::exists(names.lockFile));
    InstanceLock next(names);
    EXPECT_EQ(next.outcome(), InstanceLock::Outcome::Acquired);
}

TEST_F(InstanceTest, ASharedFolderRefusesALinkInPlaceOfTheLockFile) {
    names.sharedFolder = true;
    const auto target = folder / "elsewhere";
    std::filesystem::create_symlink(target, names.lockFile);
    InstanceLock lock(names);
    EXPECT_EQ(lock.outcome(), InstanceLock::Outcome::Failed);
    EXPECT_NE(lock.error().find(names.lockFile.string()), std::string::npos) << lock.error();
    EXPECT_FALSE(std::filesystem::exists(target));

    // A folder where the lock file should be is refused too, with a reason.
    names.sharedFolder = false;
    std::filesystem::remove(names.lockFile);
    std::filesystem::create_directory(names.lockFile);
    InstanceLock blocked(names);
    EXPECT_EQ(blocked.outcome(), InstanceLock::Outcome::Failed);
    EXPECT_FALSE(blocked.error().empty());
}

TEST_F(InstanceTest, OpenAndKillReachTheRunningInstance) {
    InstanceServer server;
    QString error;
    ASSERT_TRUE(server.Listen(names, &error)) << error.toStdString();
    QSignalSpy requests(&server, &InstanceServer::requestReceived);

    EXPECT_TRUE(SendToRunningInstance(names, {app::kMsgOpen, app::kTagOpen}, 0ms));
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).value<InstanceRequest>(), InstanceRequest::Open);

    EXPECT_TRUE(SendToRunningInstance(names, {app::kMsgKill, app::kTagKill}, 0ms));
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).value<InstanceRequest>(), InstanceRequest::Kill);

    // Stopped: the socket is gone, and a second start gives up after its patience.
    server.Stop();
    EXPECT_FALSE(std::filesystem::exists(names.socket));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendToRunningInstance(names, {app::kMsgOpen, app::kTagOpen}, 200ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
}

TEST_F(InstanceTest, GarbageWrongTagsAndShortMessagesAreIgnored) {
    InstanceServer server;
    ASSERT_TRUE(server.Listen(names));
    QSignalSpy requests(&server, &InstanceServer::requestReceived);

    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(names.socket.string()));
    ASSERT_TRUE(socket.waitForConnected(1000));
    const auto wrongTag = presenters::EncodeInstanceMessage({app::kMsgOpen, app::kTagKill});
    socket.write(reinterpret_cast<const char*>(wrongTag.data()), 8);
    socket.write("garbage!");
    socket.write("\x50\x53", 2);  // the start of an OPEN, never finished
    ASSERT_TRUE(socket.waitForBytesWritten(1000));
    socket.disconnectFromServer();
    EXPECT_FALSE(requests.wait(300));

    // The server still answers the next start.
    EXPECT_TRUE(SendToRunningInstance(names, {app::kMsgOpen, app::kTagOpen}, 0ms));
    EXPECT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.size(), 1);
}

TEST_F(InstanceTest, ASocketLeftByACrashDoesNotStopTheNextInstance) {
    // A socket file nobody listens on, as a killed instance leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, names.socket.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(names.socket));
    InstanceServer server;
    QString error;
    EXPECT_TRUE(server.Listen(names, &error)) << error.toStdString();
    EXPECT_TRUE(server.listening());
}

TEST_F(InstanceTest, OnlyTheUserReachesTheSocketWhereverItLies) {
    namespace fs = std::filesystem;
    const auto othersBits = [](const fs::path& path) {
        return fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all);
    };
    // A folder others may enter: the socket itself is the user's only.
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    {
        InstanceServer server;
        QString error;
        ASSERT_TRUE(server.Listen(names, &error)) << error.toStdString();
        EXPECT_EQ(othersBits(names.socket), fs::perms::none);
    }
    // A private folder (a runtime folder) keeps everyone else out already; starts still meet.
    fs::permissions(folder.Path(), fs::perms::owner_all);
    InstanceServer server;
    ASSERT_TRUE(server.Listen(names));
    QSignalSpy requests(&server, &InstanceServer::requestReceived);
    EXPECT_TRUE(SendToRunningInstance(names, {app::kMsgOpen, app::kTagOpen}, 0ms));
    EXPECT_TRUE(requests.wait(2000));
}

}  // namespace
}  // namespace qf::ui
