// The main window on the shipped skin, the session and the virtual keyboard, offscreen (where no
// notification area exists): its start-up, its controls where the skin puts them, a profile
// button and Apply through to the keyboard, the profile button's context menu, and the ending.
#include "ui_main/main_window_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QImage>
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
#include "support/temp_folder.h"
#include "ui/tray/tray_icon.h"

namespace qf::ui::test {
namespace {

TEST_F(MainWindowWidgetTest, WithoutANotificationAreaTheWindowStartsShownWithItsControlsInPlace) {
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
    for (std::uint32_t id :
         {presenters::kCtlProfiles, presenters::kCtlMacro, presenters::kCtlOk,
          presenters::kCtlCancel, presenters::kCtlApply, presenters::kCtlHelp,
          presenters::kCtlMinimize, presenters::kCtlMenu, presenters::kCtlClose,
          presenters::kCtlLink, presenters::kCtlProfile1, presenters::kCtlDefault}) {
        PictureButton* button = window->ButtonOf(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->isVisible()) << id;
        EXPECT_TRUE(inside.contains(button->geometry())) << id;
    }
    // Each control once: nothing stray at the window's corner (a second placement of the skin
    // moves the controls it made before).
    EXPECT_TRUE(window->ApplyDialogSkin());
    window->EnsureSkinned();
    int buttons = 0;
    for (PictureButton* button : window->findChildren<PictureButton*>(Qt::FindDirectChildrenOnly)) {
        buttons += button->accessibleName() == QStringLiteral("OK") ? 1 : 0;
        EXPECT_NE(button->geometry(), QRect(0, 0, 100, 30))
            << button->accessibleName().toStdString();
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlApply)->isEnabled());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlVersion)->isEnabled());
    EXPECT_TRUE(window->macroMeter().text().startsWith("macro memory:"))
        << window->macroMeter().text().toStdString();
    // The keyboard's active profile is the selected profile button.
    EXPECT_TRUE(window->ButtonOf(presenters::kCtlProfile1)->selected());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlProfile1 + 1)->selected());
}

TEST_F(MainWindowWidgetTest, TheBusyPointerAndTheProgramsIconWaitForAWindowOnScreen) {
    // Work while no window is shown (a start into the notification area): no pointer change.
    ASSERT_TRUE(window->ApplyDialogSkin());
    window->SetBusy(true);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The window appears while the work runs: it gets the busy pointer, and the program's
    // windows their icon.
    window->show();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(window->windowIcon().isNull());
    window->SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Busy again with the window shown: the pointer at once, and only once.
    window->SetBusy(true);
    window->SetBusy(true);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    window->SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(TrayPictures, EachIconHasItsOwnPicture) {
    // Read from the program's resources as PNG only: a picture that fails to read would leave
    // an empty icon in the notification area.
    std::vector<QImage> pictures;
    for (int id : {app::kIconNoKeyboard, app::kIconKeyboardPresent, app::kIconAlternate}) {
        const QIcon icon = TrayPicture(id);
        ASSERT_FALSE(icon.isNull()) << id;
        const QImage image = icon.pixmap(QSize(64, 64)).toImage();
        EXPECT_EQ(image.size(), QSize(64, 64)) << id;
        pictures.push_back(image);
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
}

TEST_F(MainWindowWidgetTest, AProfileButtonSwitchesTheKeyboardsProfile) {
    StartUp();
    ASSERT_EQ(KeyboardProfile(), 0);
    QTest::mouseClick(window->ButtonOf(presenters::kCtlProfile1 + 2), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return KeyboardProfile() == 2; }, 10000));
    EXPECT_EQ(session->appState().activeProfile.load(), 2);
    EXPECT_TRUE(window->ButtonOf(presenters::kCtlProfile1 + 2)->selected());
    EXPECT_FALSE(window->ButtonOf(presenters::kCtlProfile1)->selected());
    EXPECT_TRUE(window->presenter().windowShown());
}

TEST_F(MainWindowWidgetTest, TheProfileButtonsContextMenuChecksTheActiveProfile) {
    StartUp();
    const std::vector<presenters::MenuItem> menu = window->presenter().ProfileContextMenu();
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_TRUE(menu[0].checked);
    EXPECT_FALSE(menu[1].checked);
    EXPECT_EQ(window->ButtonOf(presenters::kCtlProfiles)->text().toStdString(), menu[0].text);

    window->ButtonOf(presenters::kCtlProfiles)->customContextMenuRequested(QPoint(2, 2));
    QMenu* popup = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        popup = window->findChild<QMenu*>();
        return popup != nullptr && popup->isVisible();
    }));
    ASSERT_EQ(popup->actions().size(), 3);
    popup->actions().at(1)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return KeyboardProfile() == 1; }, 10000));
}

TEST_F(MainWindowWidgetTest, ClosingWithoutANotificationAreaEndsTheProgramInOrder) {
    StartUp();
    window->close();  // the window manager's close box
    EXPECT_FALSE(window->isVisible());
    const std::vector<presenters::EndingStep> expected = {
        presenters::EndingStep::BeginClosing, presenters::EndingStep::ReleaseInstance,
        presenters::EndingStep::StopMonitor,  presenters::EndingStep::ClearDeviceListener,
        presenters::EndingStep::FreeStores,   presenters::EndingStep::QuitEventLoop};
    EXPECT_EQ(shell.steps, expected);
    EXPECT_FALSE(window->tray().exists());
}

}  // namespace
}  // namespace qf::ui::test
