// The notification-area icon's menu, activation rule and picture.
#include <gtest/gtest.h>

#include "presenters/main_window_support.h"
#include "presenters/tray_menu.h"

namespace qf::presenters::testing {
namespace {

TEST(TrayActivationTest, DoubleClickAlwaysOpensAndASingleClickOnlyOnAnSniHost) {
    EXPECT_EQ(TrayActivationCommand(TrayActivation::DoubleClick, false), kCmdOpen);
    EXPECT_EQ(TrayActivationCommand(TrayActivation::DoubleClick, true), kCmdOpen);
    EXPECT_EQ(TrayActivationCommand(TrayActivation::Trigger, true), kCmdOpen);
    EXPECT_EQ(TrayActivationCommand(TrayActivation::Trigger, false), std::nullopt);
    for (const auto other :
         {TrayActivation::Context, TrayActivation::MiddleClick, TrayActivation::Unknown}) {
        EXPECT_EQ(TrayActivationCommand(other, true), std::nullopt);
        EXPECT_EQ(TrayActivationCommand(other, false), std::nullopt);
    }
}

class TrayMenuTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::filesystem::path file = folder.Path() / "language.ini";
    text::LanguageTable language;
    TrayMenuPresenter tray{language, file};
};

TEST_F(TrayMenuTest, TheMenuIsReadAtEachOpeningWithOpenAsDefault) {
    EXPECT_EQ(tray.Tooltip(), "Halvorne");
    TempFolder::Write(file,
                      "[LANGUAGE]\nlanguage=1\n[ENGINSH]\nMENU_11=Open(&O)\nMENU_22=About(&A)\n"
                      "MENU_33=Exit(&X)\n[CHINESE]\nMENU_11=Kai\n");
    EXPECT_EQ(tray.BuildMenu(), (std::vector<MenuItem>{{kCmdOpen, "Open(&O)", true, false},
                                                       {kCmdAbout, "About(&A)", false, false},
                                                       {kCmdExit, "Exit(&X)", false, false}}));
    // The file changed between two openings: the second shows the new texts; a missing key
    // is an empty item.
    TempFolder::Write(file, "[LANGUAGE]\nlanguage=0\n[CHINESE]\nMENU_11=Kai\nMENU_33=Tui\n");
    const auto menu = tray.BuildMenu();
    EXPECT_EQ(menu[0].text, "Kai");
    EXPECT_EQ(menu[1].text, "");
    EXPECT_EQ(menu[2].text, "Tui");
    EXPECT_TRUE(menu[0].isDefault);
}

TEST_F(TrayMenuTest, PicturesOnlyOnAnIconThatExists) {
    EXPECT_EQ(tray.SetIcon(141), std::nullopt);  // not created yet
    tray.OnIconCreated(true);
    EXPECT_EQ(tray.currentIcon(), 128);
    EXPECT_EQ(tray.SetIcon(128), std::nullopt);  // already shown
    EXPECT_EQ(tray.SetIcon(141), 141);
    EXPECT_EQ(tray.SetIcon(142), 142);
    EXPECT_EQ(tray.currentIcon(), 142);
    tray.OnIconRemoved();
    EXPECT_EQ(tray.SetIcon(141), std::nullopt);
    tray.OnIconCreated(false);
    EXPECT_EQ(tray.SetIcon(141), std::nullopt);
}

}  // namespace
}  // namespace qf::presenters::testing
