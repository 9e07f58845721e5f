// The main window on the shipped skin, the session and the virtual keyboard, offscreen (where no
// notification area exists): its start-up, its controls where the skin puts them, a profile
// button and Apply through to the keyboard, the profile button's context menu, and the ending.
#include "ui/main/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/window_messages.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "presenters/commands.h"
#include "text/temp_folder.h"
#include "ui/tray/tray_icon.h"

namespace qf::ui::test {
namespace {

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

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
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

    ~MainWindowTest() override {
        bridge.BeginClosing();
        session->StopMonitor();
        window.reset();
        session.reset();
    }

    // The program's start: skin, monitor, INIT; then until the keyboard's arrival has been
    // handled and the window shows.
    void StartUp() {
        ASSERT_TRUE(window->ApplyDialogSkin());
        ASSERT_EQ(session->StartMonitor(), 1u);
        window->Start();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return window->presenter().IsReady() && window->isVisible() &&
                       session->store().Lock()->HasMainBlock();
            },
            20000));
        // The arrival's device work ends on this thread: let what it queued run.
        QTest::qWait(50);
    }

    std::uint8_t KeyboardProfile() const {
        return keyboard.Memory(vkbd::Area::DeviceInfo)[10];
    }

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

TEST_F(MainWindowTest, WithoutANotificationAreaTheWindowStartsShownWithItsControlsInPlace) {
    StartUp();
    // Offscreen has no notification area: the window stays shown, as an application window.
    EXPECT_FALSE(window->tray().available());
    EXPECT_FALSE(window->isToolWindow());
    EXPECT_TRUE(bridge.link().IsReady());
    EXPECT_EQ(window->windowTitle().toStdString(),
              session->language().Text(text::TextId::MAIN_CAPTION));

    // Every button of the window inside it, where the skin puts it; Apply disabled; the
    // version button disabled; the macro meter says what the macros take.
    const QRect inside = window->rect();
    for (std::uint32_t id : {presenters::kCtlProfiles, presenters::kCtlMacro, presenters::kCtlOk,
                             presenters::kCtlCancel, presenters::kCtlApply, presenters::kCtlHelp,
                             presenters::kCtlMinimize, presenters::kCtlMenu, presenters::kCtlClose,
                             presenters::kCtlLink, presenters::kCtlProfile1,
                             presenters::kCtlDefault}) {
        PictureButton* button = window->ButtonOf(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->isVisible()) << id;
        EXPECT_TRUE(inside.contains(button->geometry())) << id;
    }
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlApply)->isEnabled());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlVersion)->isEnabled());
    EXPECT_TRUE(window->macroMeter().text().startsWith("macro memory:"))
        << window->macroMeter().text().toStdString();
    // The keyboard's active profile is the selected profile button.
    EXPECT_TRUE(window->ButtonOf(presenters::kCtlProfile1)->selected());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlProfile1 + 1)->selected());
}

TEST_F(MainWindowTest, AProfileButtonSwitchesTheKeyboardsProfile) {
    StartUp();
    ASSERT_EQ(KeyboardProfile(), 0);
    QTest::mouseClick(window->ButtonOf(presenters::kCtlProfile1 + 2), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return KeyboardProfile() == 2; }, 10000));
    EXPECT_EQ(session->appState().activeProfile.load(), 2);
    EXPECT_TRUE(window->ButtonOf(presenters::kCtlProfile1 + 2)->selected());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlProfile1)->selected());
    EXPECT_TRUE(window->presenter().windowShown());
}

TEST_F(MainWindowTest, TheProfileButtonsContextMenuChecksTheActiveProfile) {
    StartUp();
    const std::vector<presenters::MenuItem> menu = window->presenter().ProfileContextMenu();
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_TRUE(menu[0].checked);
    EXPECT_FALSE(menu[1].checked);
    EXPECT_EQ(window->ButtonOf(presenters::kCtlProfiles)->text().toStdString(), menu[0].text);

    window->ButtonOf(presenters::kCtlProfiles)
        ->customContextMenuRequested(QPoint(2, 2));
    QMenu* popup = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        popup = window->findChild<QMenu*>();
        return popup != nullptr && popup->isVisible();
    }));
    ASSERT_EQ(popup->actions().size(), 3);
    popup->actions().at(1)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return KeyboardProfile() == 1; }, 10000));
}

TEST_F(MainWindowTest, ClosingWithoutANotificationAreaEndsTheProgramInOrder) {
    StartUp();
    window->close();  // the window manager's close box
    EXPECT_FALSE(window->isVisible());
    const std::vector<presenters::EndingStep> expected = {
        presenters::EndingStep::BeginClosing,        presenters::EndingStep::ReleaseInstance,
        presenters::EndingStep::StopMonitor,         presenters::EndingStep::ClearDeviceListener,
        presenters::EndingStep::FreeStores,          presenters::EndingStep::QuitEventLoop};
    EXPECT_EQ(shell.steps, expected);
    EXPECT_FALSE(window->tray().exists());
}

}  // namespace
}  // namespace qf::ui::test
