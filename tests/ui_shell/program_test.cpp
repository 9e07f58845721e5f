// The real `quillfen` program, started as a user's session would, on the offscreen platform and
// the virtual keyboard, with its own home and runtime folders: the single instance between two
// processes, "/Kill" in any case, SIGTERM through the ordinary ending, a missing companion
// program and a missing device service. What the program does is read from its log category.
#include <signal.h>

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using qf::testing::TempFolder;

constexpr int kStartMs = 20000;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        fs::create_directories(runtime.Path());
        fs::permissions(runtime.Path(), fs::perms::owner_all);
    }
    ~ProgramTest() override {
        for (auto& process : processes_) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcessEnvironment Environment(const fs::path& service = QF_VIRTUAL_SERVICE) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "quillfen.shell.debug=true");
        env.insert("HOME", Q(home.Path()));
        env.insert("XDG_CONFIG_HOME", Q(home / "config"));
        env.insert("XDG_RUNTIME_DIR", Q(runtime.Path()));
        env.insert("QUILLFEN_HIDSERV", Q(service));
        env.insert("QUILLFEN_VIRTUAL_STATE", Q(home / "virtual.state"));
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        return env;
    }

    QProcess& Start(const QStringList& arguments, const fs::path& program = QF_QUILLFEN,
                    const QProcessEnvironment& env = {}) {
        processes_.push_back(std::make_unique<QProcess>());
        QProcess& process = *processes_.back();
        process.setProcessEnvironment(env.isEmpty() ? Environment() : env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(Q(program), arguments);
        EXPECT_TRUE(process.waitForStarted(kStartMs));
        return process;
    }

    // Reads the process's output until it holds `text` (or the process ends, or time runs out).
    static bool WaitForOutput(QProcess& process, QString& seen, const QString& text,
                              int limitMs = kStartMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!seen.contains(text)) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            if (process.state() == QProcess::NotRunning) {
                seen += QString::fromUtf8(process.readAll());
                return seen.contains(text);
            }
            process.waitForReadyRead(100);
            seen += QString::fromUtf8(process.readAll());
        }
        return true;
    }

    // A first instance that has finished its start-up (INIT handled: its icon is made).
    QProcess& StartFirst(QString& seen) {
        QProcess& first = Start({});
        EXPECT_TRUE(WaitForOutput(first, seen, "device monitor started")) << seen.toStdString();
        EXPECT_TRUE(WaitForOutput(first, seen, "No notification area")) << seen.toStdString();
        return first;
    }

    bool RuntimeFolderEmpty() const { return fs::is_empty(runtime.Path()); }

    TempFolder home;
    TempFolder runtime;

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(ProgramTest, ASecondStartHandsOpenToTheFirstAndEnds) {
    QString firstOut;
    QProcess& first = StartFirst(firstOut);

    QProcess& second = Start({});
    ASSERT_TRUE(second.waitForFinished(kStartMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    const QString secondOut = QString::fromUtf8(second.readAll());
    EXPECT_TRUE(secondOut.contains("OPEN sent")) << secondOut.toStdString();
    EXPECT_FALSE(secondOut.contains("device monitor")) << "the second start loaded the service";

    EXPECT_TRUE(WaitForOutput(first, firstOut, "request received: OPEN")) << firstOut.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(ProgramTest, KillInAnyCaseEndsTheInstanceThroughItsEnding) {
    QString firstOut;
    QProcess& first = StartFirst(firstOut);

    QProcess& killer = Start({"/kill"});
    ASSERT_TRUE(killer.waitForFinished(kStartMs));
    EXPECT_EQ(killer.exitCode(), 0);

    ASSERT_TRUE(first.waitForFinished(kStartMs)) << firstOut.toStdString();
    firstOut += QString::fromUtf8(first.readAll());
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    // The ending ran in its order: the instance let go before the monitor stopped, the stores
    // freed after it.
    const qsizetype release = firstOut.indexOf("ending: release instance");
    const qsizetype stop = firstOut.indexOf("ending: stop monitor");
    const qsizetype free = firstOut.indexOf("ending: free stores");
    EXPECT_GE(release, 0) << firstOut.toStdString();
    EXPECT_LT(release, stop);
    EXPECT_LT(stop, free);
    EXPECT_TRUE(RuntimeFolderEmpty()) << "lock file or socket left behind";
}

TEST_F(ProgramTest, KillWithNoInstanceStartsNothingAndLeavesNothing) {
    for (const char* spelling : {"/Kill", "/KILL", "/start /kIlL"}) {
        const QStringList arguments = QString(spelling).split(' ');
        QProcess& killer = Start(arguments);
        ASSERT_TRUE(killer.waitForFinished(kStartMs)) << spelling;
        EXPECT_EQ(killer.exitCode(), 0) << spelling;
        const QString out = QString::fromUtf8(killer.readAll());
        EXPECT_FALSE(out.contains("device monitor")) << spelling;
        EXPECT_FALSE(out.contains("companion program")) << spelling;
        EXPECT_TRUE(RuntimeFolderEmpty()) << spelling;
    }
}

TEST_F(ProgramTest, SigtermRunsTheEndingAndExitsWithZero) {
    QString out;
    QProcess& first = StartFirst(out);
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(kStartMs));
    out += QString::fromUtf8(first.readAll());
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(out.contains("signal 15")) << out.toStdString();
    EXPECT_TRUE(out.contains("ending: quit event loop")) << out.toStdString();
    EXPECT_TRUE(RuntimeFolderEmpty());
}

TEST_F(ProgramTest, AMissingCompanionProgramDoesNotStopTheStart) {
    // An install folder with the program, its skin and language file, and no companion.
    TempFolder install;
    const fs::path build = fs::path(QF_QUILLFEN).parent_path();
    fs::copy_file(QF_QUILLFEN, install / "quillfen");
    fs::create_directory_symlink(build / "Skins", install / "Skins");
    ASSERT_FALSE(fs::exists(install / "Velmorad"));

    QProcess& process = Start({}, install / "quillfen");
    QString out;
    EXPECT_TRUE(WaitForOutput(process, out, "not started")) << out.toStdString();
    EXPECT_TRUE(WaitForOutput(process, out, "device monitor started")) << out.toStdString();
    EXPECT_EQ(process.state(), QProcess::Running);
}

TEST_F(ProgramTest, AMissingDeviceServiceIsSaidAndEndsWithOne) {
    QProcess& process = Start({}, QF_QUILLFEN, Environment(home / "no-such-service.so"));
    ASSERT_TRUE(process.waitForFinished(kStartMs));
    const QString out = QString::fromUtf8(process.readAll());
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(out.contains("device service could not be loaded")) << out.toStdString();
    EXPECT_TRUE(out.contains("no-such-service.so")) << out.toStdString();
}

}  // namespace
