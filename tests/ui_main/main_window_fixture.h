// The main window on the shipped skin, the session and the virtual keyboard, as the program
// builds them, for the window's widget tests (offscreen) and its X11 tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/services/virtual/virtual_keyboard.h"
#include "session/session.h"
#include "support/temp_folder.h"
#include "ui/bridge/window_bridge.h"
#include "ui/main/main_window.h"

namespace qf::ui::test {

namespace fs = std::filesystem;
using qf::testing::TempFolder;

class SilentBoxes final : public MessageBoxes {
public:
    void ShowMessage(QWidget*, const QString& text) override { shown.push_back(text); }
    bool AskYesNo(QWidget*, const QString& text) override {
        asked.push_back(text);
        return false;
    }
    std::vector<QString> shown;
    std::vector<QString> asked;
};

class RecordingShell final : public presenters::ShellControl {
public:
    void RunEndingStep(presenters::EndingStep step) override { steps.push_back(step); }
    std::vector<presenters::EndingStep> steps;
};

class MainWindowWidgetTest : public ::testing::Test {
protected:
    MainWindowWidgetTest() {
        // The program's install folder: the shipped skin beside a stand-in executable.
        TempFolder::Write(install / "quillfen", "");
        fs::create_directory_symlink(QF_SKINS_DIR, install / "Skins");
        variables["HOME"] = home.Path().string();
        variables["XDG_CONFIG_HOME"] = (home / "config").string();
        app::Environment env;
        env.variable = [this](std::string_view name) -> std::optional<std::string> {
            const auto it = variables.find(std::string(name));
            return it == variables.end() ? std::nullopt : std::optional(it->second);
        };
        env.executable = install / "quillfen";
        session::SessionSource source{keyboard, env};
        source.timing = device::TransactionTiming::Scaled(0.1);
        source.monitorTiming.readyPoll = std::chrono::milliseconds(1);
        session = std::make_unique<session::Session>(
            source, session::SessionWindows{bridge.prompter(), bridge.link(), bridge.bankView(),
                                            bridge.assignmentView(), bridge.lightingView(),
                                            bridge.deviceWindowView(), bridge.switchHost()});
        window = std::make_unique<MainWindow>(MainWindowParts{*session, bridge, pictures, shell});
    }

    ~MainWindowWidgetTest() override {
        bridge.BeginClosing();
        session->StopMonitor();
        window.reset();
        session.reset();
    }

    // The program's start: skin, INIT queued, monitor; then until the keyboard's arrival has
    // been handled and the window shows.
    void StartUp() {
        ASSERT_TRUE(window->ApplyDialogSkin());
        window->Start();
        ASSERT_EQ(session->StartMonitor(), 1u);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return window->presenter().IsReady() && window->isVisible() &&
                       session->store().Lock()->HasMainBlock();
            },
            20000));
        // The arrival's device work ends on this thread: let what it queued run.
        QTest::qWait(50);
    }

    std::uint8_t KeyboardProfile() const { return keyboard.Memory(vkbd::Area::DeviceInfo)[10]; }

    TempFolder install;
    TempFolder home;
    std::map<std::string, std::string> variables;
    vkbd::VirtualKeyboard keyboard;
    SilentBoxes boxes;
    WindowBridge bridge{&boxes};
    PictureCache pictures;
    RecordingShell shell;
    std::unique_ptr<session::Session> session;
    std::unique_ptr<MainWindow> window;
};

}  // namespace qf::ui::test
