// The profile manager's window on the offscreen platform, against the virtual keyboard: the list
// as the model fills it, a user's check, New and Delete through a fake file chooser, OK and
// Escape, and an unreadable background. The manager's rules are the model's, tested in
// tests/presenters.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "support_qt/test_skin.h"
#include "text/language_keys.h"
#include "text/skin_keys.h"
#include "ui/profiles/profile_manager_dialog.h"

// Last: it includes <linux/input-event-codes.h>, which defines KEY_FN, a skin key's name.
#include "presenters/editor_support.h"

namespace qf::ui::test {
namespace {

namespace fs = std::filesystem;
namespace skin = text::skin;

class FakeChooser final : public presenters::ProfileFileChooser {
public:
    std::optional<fs::path> ChooseNewProfile(const fs::path& initial) override {
        ++asked;
        return acceptSuggestion ? std::optional(fs::path(initial.string() + ".fwc")) : std::nullopt;
    }
    std::optional<fs::path> ChooseProfileToLoad(const fs::path& /*initial*/) override {
        ++asked;
        return std::nullopt;
    }
    bool acceptSuggestion = true;
    int asked = 0;
};

class ProfileManagerWindowTest : public presenters::testing::KeyboardRig {
protected:
    ProfileManagerWindowTest() {
        skin.WritePicture("Skins/profile_bg.bmp", kBackgroundFill);
        skin.WritePicture(skin::kProfilePictures[0], kNormalFill);
        skin.WritePicture(skin::kProfilePictures[1], kHoverFill);
        skin.WritePicture(skin::kProfilePictures[2], kPressedFill);
        skin.WriteLayout(skin::kProfileLayoutFile,
                         "[SCREEN]\nMain=profile_bg.bmp\n[BUTTONINFO]\n"
                         "PROGRAM_LIST=16,52,432,244\n"
                         "FUNC_ADD=460,52,84,40\n"
                         "FUNC_LOAD=460,98,84,40\n"
                         "FUNC_DELETE=460,144,84,40\n"
                         "CONTROL2_APPLY=208,330,108,34\n"
                         "CONTROL_OK=322,330,108,34\n"
                         "CONTROL_CANCEL=436,330,108,34\n");
        dialog = std::make_unique<ProfileManagerDialog>(ProfileWindowDependencies{
            settings, active, transfers, switching, mainWindow, prompter, language, ProfileFolder(),
            chooser, skin.File(skin::kProfileLayoutFile), skin.installFolder(), pictures,
            [this] { ++helpOpened; }});
    }
    void SetUp() override {
        KeyboardRig::SetUp();
        SetKeyboardProfile(1);
    }
    void Open() {
        ASSERT_TRUE(dialog->Open());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QTableWidget& list() { return dialog->list(); }
    bool Checked(int row) { return list().item(row, 0)->checkState() == Qt::Checked; }
    std::string Setting(int number) const {
        return settings.ReadString(app::Settings::ProfileRowName(number), "(none)");
    }

    TestSkin skin{QSize(560, 380)};
    PictureCache pictures;
    FakeChooser chooser;
    int helpOpened = 0;
    std::unique_ptr<ProfileManagerDialog> dialog;
};

TEST_F(ProfileManagerWindowTest, TheListShowsTheModelAndAUserCheckLeavesOneRowChecked) {
    Open();
    EXPECT_EQ(dialog->model().openCount(), 1);
    ASSERT_EQ(list().rowCount(), 3);
    ASSERT_EQ(list().columnCount(), 3);
    EXPECT_EQ(list().horizontalHeaderItem(0)->text(), QStringLiteral("激活"));
    EXPECT_EQ(list().columnWidth(2), 230);
    EXPECT_EQ(list().item(0, 1)->text(), "$Profile0");
    EXPECT_EQ(list().item(0, 2)->text().toStdString(), ProfileFolder().string() + "/");
    EXPECT_TRUE(list().item(0, 0)->text().isEmpty());
    EXPECT_TRUE(Checked(1));  // the keyboard's active profile; filling is no user's change
    EXPECT_FALSE(dialog->applyButton().isEnabled());

    list().item(2, 0)->setCheckState(Qt::Checked);  // as a click on the check box does
    EXPECT_FALSE(Checked(1));
    EXPECT_TRUE(Checked(2));
    EXPECT_EQ(dialog->model().CheckedRow(), 2);
    EXPECT_TRUE(dialog->applyButton().isEnabled());
    EXPECT_TRUE(dialog->HasUnappliedChanges());

    // Escape cancels: the keyboard keeps its profile, the dialog is closed.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsOpen());
    EXPECT_EQ(KeyboardProfile(), 1);
    EXPECT_FALSE(dialog->holdsBackground());
}

TEST_F(ProfileManagerWindowTest, NewAndDeleteThroughTheButtonsThenOk) {
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_Return);  // Enter does nothing
    EXPECT_TRUE(dialog->isVisible());

    QTest::mouseClick(&dialog->newButton(), Qt::LeftButton);
    const fs::path created = dialog->model().SuggestedNewFile().string() + ".fwc";
    EXPECT_EQ(created.filename().string(),
              language.Text(text::TextId::PROFILE_NEW).substr(1) + ".fwc");
    ASSERT_TRUE(fs::exists(created));
    EXPECT_EQ(fs::file_size(created), 32832u);
    ASSERT_EQ(list().rowCount(), 4);
    EXPECT_EQ(list().item(3, 1)->text().toStdString(), created.stem().string());
    EXPECT_TRUE(dialog->applyButton().isEnabled());

    // Delete takes the first selected row; with none selected it does nothing.
    list().clearSelection();
    QTest::mouseClick(&dialog->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(list().rowCount(), 4);
    list().selectRow(3);
    list().selectionModel()->select(list().model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::mouseClick(&dialog->deleteButton(), Qt::LeftButton);
    ASSERT_EQ(list().rowCount(), 3);
    EXPECT_EQ(list().item(2, 1)->text().toStdString(), created.stem().string());

    chooser.acceptSuggestion = false;  // a cancelled file dialog changes nothing
    QTest::mouseClick(&dialog->newButton(), Qt::LeftButton);
    EXPECT_EQ(list().rowCount(), 3);

    QTest::mouseClick(&dialog->okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->model().openCount(), 0);
    EXPECT_EQ(Setting(0), "3");
    EXPECT_EQ(Setting(3), created.string());
    EXPECT_EQ(KeyboardProfile(), 1);  // the checked row, written again
}

TEST_F(ProfileManagerWindowTest, AnUnreadableBackgroundOnALaterOpeningKeepsItClosed) {
    Open();
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    EXPECT_EQ(helpOpened, 1);
    dialog->CloseFromOutside();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->model().openCount(), 0);

    fs::remove(skin.File("Skins/profile_bg.bmp"));
    EXPECT_FALSE(dialog->Open());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->model().openCount(), 0);
}

}  // namespace
}  // namespace qf::ui::test
