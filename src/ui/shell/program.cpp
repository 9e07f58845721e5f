#include "ui/shell/program.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/paths.h"
#include "app/window_messages.h"
#include "device/service_loader.h"
#include "presenters/command_line.h"
#include "presenters/instance.h"
#include "presenters/main_window_view.h"
#include "session/session.h"
#include "ui/bridge/qt_platform.h"
#include "ui/bridge/window_bridge.h"
#include "ui/main/main_window.h"
#include "ui/shell/instance_channel.h"
#include "ui/shell/instance_lock.h"
#include "ui/shell/termination_signals.h"
#include "ui/skin/skinned_dialog.h"

Q_LOGGING_CATEGORY(lcShell, "quillfen.shell", QtWarningMsg)

namespace qf::ui {

namespace {

using namespace std::chrono_literals;

// How long a second start waits for a first one that holds the lock but does not listen yet.
constexpr auto kStartingInstancePatience = 1000ms;
constexpr std::string_view kDefaultExecutableName = "quillfen";

void Say(const std::string& text) {
    std::fprintf(stderr, "quillfen: %s\n", text.c_str());
}

// The ending steps that belong to the program rather than to the window.
class Shell final : public presenters::ShellControl {
public:
    Shell(WindowBridge& bridge, session::Session& session, InstanceLock& lock,
          InstanceServer& server)
        : bridge_(bridge), session_(session), lock_(lock), server_(server) {}

    void RunEndingStep(presenters::EndingStep step) override {
        qCDebug(lcShell) << "ending:" << presenters::EndingStepName(step).data();
        switch (step) {
            case presenters::EndingStep::BeginClosing:
                bridge_.BeginClosing();
                return;
            case presenters::EndingStep::ReleaseInstance:
                server_.Stop();
                lock_.Release();
                return;
            case presenters::EndingStep::StopMonitor:
                session_.StopMonitor();
                return;
            case presenters::EndingStep::ClearDeviceListener:
                session_.link().SetListener(nullptr);
                return;
            case presenters::EndingStep::FreeStores:
                session_.FreeStores();
                return;
            case presenters::EndingStep::QuitEventLoop:
                QCoreApplication::exit(0);
                return;
            default:
                return;
        }
    }

private:
    WindowBridge& bridge_;
    session::Session& session_;
    InstanceLock& lock_;
    InstanceServer& server_;
};

// "/Kill", or a start while another instance runs: hand the request over and end. Nothing of
// the program is started.
int SendAndEnd(int argc, char** argv, const presenters::InstanceNames& names,
               presenters::InstanceRequest request, std::chrono::milliseconds patience) {
    QCoreApplication core(argc, argv);
    const bool sent =
        SendToRunningInstance(names, presenters::MessageForRequest(request), patience);
    qCDebug(lcShell) << (request == presenters::InstanceRequest::Kill ? "KILL" : "OPEN")
                     << (sent ? "sent" : "not sent: no instance answered");
    return 0;
}

// No display to show a window on: say so instead of letting the platform abort.
bool DisplayMissing() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return !set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY");
}

void StartCompanion(const std::filesystem::path& program) {
    if (program.empty()) {
        return;
    }
    // Detached (a session of its own), no arguments, no working folder of its own; whatever
    // becomes of it is its business. A thread of its own starts it and collects its end, so the
    // start-up goes on at once and the companion never lingers as a zombie. posix_spawn rather
    // than a fork of this process: the copy of a Qt program's address space costs milliseconds.
    // The environment is copied here: the thread must not read it while this one may change it.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
    }
    std::thread([path = program.string(), environment = std::move(environment)] {
        std::vector<char*> envp;
        envp.reserve(environment.size() + 1);
        for (const std::string& variable : environment) {
            envp.push_back(const_cast<char*>(variable.c_str()));
        }
        envp.push_back(nullptr);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv, envp.data());
        posix_spawnattr_destroy(&attributes);
        qCDebug(lcShell) << "companion program" << path.c_str()
                         << (failed == 0 ? "started" : "not started");
        if (failed != 0) {
            return;
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

void ReportServiceFailure(const std::string& reason) {
    const std::string text =
        "The keyboard's device service could not be loaded: " + reason +
        "\nReinstall the program, or name a device service in QUILLFEN_HIDSERV (for example "
        "the virtual keyboard, libHidServVirtual.so, beside the program).";
    Say(text);
    if (HasDisplay()) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillfen"), QString::fromStdString(text));
    }
}

}  // namespace

int RunProgram(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    const auto milestone = [&clock](const char* what) {
        qCDebug(lcShell) << "start-up:" << what << "at" << clock.elapsed() << "ms";
    };
    const presenters::CommandLine commandLine = presenters::ParseCommandLine(argc, argv);
    const app::Environment environment = app::Environment::FromProcess();
    app::InstallPaths install;
    (void)app::BuildInstallPaths(environment.executable, install);
    const std::string executableName = install.executableName.empty()
                                           ? std::string(kDefaultExecutableName)
                                           : install.executableName;
    const presenters::InstanceNames names = presenters::MakeInstanceNames(
        executableName, static_cast<unsigned>(::getuid()), environment.variable("XDG_RUNTIME_DIR"));

    if (commandLine.kill) {
        // No instance: nothing to wait for, and nothing is left behind.
        std::error_code ec;
        const bool mayRun = std::filesystem::exists(names.lockFile, ec);
        return SendAndEnd(argc, argv, names, presenters::InstanceRequest::Kill,
                          mayRun ? std::chrono::milliseconds(kStartingInstancePatience) : 0ms);
    }

    InstanceLock lock(names);
    if (lock.outcome() == InstanceLock::Outcome::HeldByAnother) {
        return SendAndEnd(argc, argv, names, presenters::InstanceRequest::Open,
                          kStartingInstancePatience);
    }
    if (lock.outcome() == InstanceLock::Outcome::Failed) {
        // The program still runs; a second start may then run beside it.
        Say("the single-instance lock file cannot be used: " + lock.error());
    }

    if (DisplayMissing()) {
        Say("no display (DISPLAY and WAYLAND_DISPLAY are unset); quillfenctl works without one");
        return 1;
    }
    (void)PreferX11Platform();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Quillfen"));
    QApplication::setOrganizationName(QStringLiteral("Quillfen_Orvanti"));
    // Matches the menu entry, so that a Wayland desktop pairs the window with its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.quillfen.Quillfen"));
    // The windows' icon is set by the main window when the first of them appears.

    milestone("application");
    StartCompanion(install.companionProgram);
    milestone("companion program");

    std::string serviceError;
    std::unique_ptr<device::DeviceService> service =
        device::LoadDeviceService(install.installFolder, serviceError);
    if (!service) {
        ReportServiceFailure(serviceError.empty() ? std::string("unknown reason") : serviceError);
        return 1;
    }

    milestone("device service");
    WindowBridge bridge;
    session::SessionSource source{*service, environment};
    // The first presence check waits for the window's ready flag (set by INIT) by looking at it
    // now and then; looking often makes the first refresh follow INIT at once, so the program
    // is idle sooner after its start. It only ever waits at start and at an arrival.
    source.monitorTiming.readyPoll = std::chrono::milliseconds(5);
    session::Session session(
        source, {bridge.prompter(), bridge.link(), bridge.bankView(), bridge.assignmentView(),
                 bridge.lightingView(), bridge.deviceWindowView(), bridge.switchHost()});
    if (commandLine.start) {
        // Started with the session: stay in the notification area.
        session.appState().openedOnce.store(1);
    }

    milestone("session");
    InstanceServer server;
    Shell shell(bridge, session, lock, server);
    PictureCache pictures;
    MainWindow window({session, bridge, pictures, shell});
    SkinError skinError;
    if (!window.ApplyDialogSkin(&skinError)) {
        ExitOnSkinFailure(skinError);
    }

    milestone("main window");
    if (lock.held()) {
        QString error;
        if (!server.Listen(names, &error)) {
            Say("other starts of the program cannot reach this one: " + error.toStdString());
        }
    }
    QObject::connect(&server, &InstanceServer::requestReceived, &window,
                     [&window](presenters::InstanceRequest request) {
                         qCDebug(lcShell)
                             << "request received:"
                             << (request == presenters::InstanceRequest::Open ? "OPEN" : "KILL");
                         if (request == presenters::InstanceRequest::Open) {
                             (void)window.presenter().OnMessage(app::kMsgOpen, app::kTagOpen);
                         } else if (request == presenters::InstanceRequest::Kill) {
                             (void)window.presenter().OnMessage(app::kMsgKill, app::kTagKill);
                         }
                     });
    QString signalError;
    const std::unique_ptr<TerminationSignals> termination =
        TerminationSignals::Install(&signalError);
    if (termination) {
        QObject::connect(termination.get(), &TerminationSignals::terminationRequested, &window,
                         [&window](int signal) {
                             qCDebug(lcShell) << "signal" << signal << ": ending";
                             window.presenter().End();
                         });
    } else {
        Say("SIGTERM and SIGINT will end the program without its ending: " +
            signalError.toStdString());
    }

    // INIT is queued before the monitor's threads start, so that the event loop handles it
    // before anything they send: the icon is up before the first keyboard refresh runs.
    window.Start();
    milestone("INIT posted");
    const std::uint32_t keyboards = session.StartMonitor();
    qCDebug(lcShell) << "device monitor started," << keyboards << "keyboard(s)";
    QTimer::singleShot(0, &window, [&milestone] { milestone("event loop running"); });
    const int code = QApplication::exec();
    qCDebug(lcShell) << "event loop ended with" << code;
    // An event loop ended some other way still stops the device threads before anything goes.
    bridge.BeginClosing();
    session.StopMonitor();
    return code;
}

}  // namespace qf::ui
