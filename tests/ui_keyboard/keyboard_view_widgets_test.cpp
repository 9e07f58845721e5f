// The keyboard view's widgets on a skinned dialog of their own, with a test skin: placement
// from the layout, clicks reaching the presenter, the faces and the tint drawn, the variant.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/settings.h"
#include "device/device_link.h"
#include "device/services/virtual/virtual_keyboard.h"
#include "lighting/lighting_model.h"
#include "support/profile_fakes.h"
#include "support_qt/test_skin.h"
#include "ui/keyboard/keyboard_view_widgets.h"
#include "ui_skin/skin_test_support.h"

namespace qf::ui::test {
namespace {

using presenters::ViewButton;

constexpr std::size_t kA = 0;
constexpr std::size_t kF1 = 52;
constexpr std::size_t kPrint = 64;

class Editor final : public presenters::AssignmentEditorHost {
public:
    void OpenAssignmentEditor(const presenters::EditorRequest& request) override {
        records.push_back(request.record);
    }
    std::vector<std::size_t> records;
};

class KeyboardWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        skin.WriteMainSet();
        skin.WritePicture("Skins/bg.bmp", kBackgroundFill);
        skin.WritePicture("Skins/Arrow.jpg", kWhite, {{QPoint(30, 0), kMarker}});
        skin.WriteLayout("Skins/Main.ini",
                         "[SCREEN]\nMain=bg.bmp\n"
                         "[BUTTONINFO]\n"
                         "FUNC_G3=10,10,30,20\nKEY_01E=50,10,30,20\n"
                         "KEY_03B=10,40,20,20\nKEY_03C=35,40,20,20\n"
                         "KEY_03D=60,40,20,20\nKEY_03E=85,40,20,20\n"
                         "KEY_D1=10,70,20,20\nFLIP_1=120,40,20,20\nLEFT_ARROW=120,70,10,10\n"
                         "[BUTTONINFO2]\nDOWN_ARROW_LEFT1=1,1,1,1\nUP_ARROW_LEFT1=31,1,1,1\n");
        dialog = std::make_unique<KeyboardViewDialog>(skin.File("Skins/Main.ini"), cache,
                                                      skin.installFolder());
        presenter = std::make_unique<presenters::KeyboardViewPresenter>(
            presenters::KeyboardViewDependencies{dialog->widgets(), editor, model, bank, settings});
        dialog->Bind(*presenter);
        ASSERT_TRUE(dialog->ApplyDialogSkin());
        dialog->show();
    }

    KeyButton& Button(ViewButton button) {
        KeyButton* widget = dialog->widgets().ButtonOf(button);
        EXPECT_NE(widget, nullptr);
        return *widget;
    }
    QRgb FaceColour(ViewButton button) { return At(Render(Button(button)), QPoint(5, 5)); }

    TestSkin skin{QSize(200, 120)};
    PictureCache cache;
    vkbd::VirtualKeyboard keyboard;
    device::DeviceLink link{keyboard};
    text::IniFiles files;
    app::Settings settings{files, skin.File("config/Quillfen.conf")};
    lighting::NoLightingView noTints;
    lighting::LightingModel model{link.commands(), noTints, files, skin.File("mrgo.ini")};
    qf::testing::FixedBank bank;
    Editor editor;
    std::unique_ptr<KeyboardViewDialog> dialog;
    std::unique_ptr<presenters::KeyboardViewPresenter> presenter;
};

TEST_F(KeyboardWidgetsTest, ButtonsArePlacedFromTheSkin) {
    KeyButton& a = Button(ViewButton::Key(kA));
    EXPECT_EQ(a.geometry(), QRect(50, 10, 30, 20));
    EXPECT_TRUE(a.isEnabled());
    EXPECT_EQ(a.accessibleName(), "A");

    // Missing from the skin: disabled, 1 x 1 at (1, 1).
    KeyButton& print = Button(ViewButton::Key(kPrint));
    EXPECT_EQ(print.geometry(), QRect(1, 1, 1, 1));
    EXPECT_FALSE(print.isEnabled());

    EXPECT_FALSE(Button(ViewButton::TopRow(0)).isHidden());
    EXPECT_FALSE(Button(ViewButton::TopRow(0)).isEnabled());  // the variant is not set
    EXPECT_TRUE(Button(ViewButton::TopRow(1)).isHidden());    // the skin has no KEY_D2
    EXPECT_EQ(Button(ViewButton::G(2)).text(), "A3");

    PictureButton* arrow = dialog->widgets().ArrowOf(presenters::ArrowSide::Left);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->geometry(), QRect(120, 70, 10, 10));
}

TEST_F(KeyboardWidgetsTest, ClicksOpenTheEditorOnTheButtonsRecord) {
    Button(ViewButton::Key(kA)).click();
    Button(ViewButton::Key(kPrint)).click();  // disabled: no click
    bank.bankB = true;
    presenter->ShowBankIndicator(true);
    for (std::size_t i = 0; i < 9; ++i) {
        presenter->SetGButtonLabel(i, keys::GButtonLabel(true, i));
    }
    EXPECT_EQ(Button(ViewButton::G(2)).text(), "B3");
    Button(ViewButton::G(2)).click();
    EXPECT_EQ(editor.records, (std::vector<std::size_t>{0x1E, 267}));
}

TEST_F(KeyboardWidgetsTest, AssignedKeysShowTheirFaceAndTintsLieHalfOverIt) {
    const ViewButton a = ViewButton::Key(kA);
    EXPECT_EQ(FaceColour(a), kNormalFill);

    presenter->SetKeyButton(kA, true, "A: assigned");
    EXPECT_EQ(FaceColour(a), kDisabledFill);  // main_disable is the assigned look
    EXPECT_EQ(Button(a).tooltipText(), "A: assigned");

    presenter->ClearAllTints();
    presenter->TintAllKeys({255, 0, 0});
    const QColor face(kNormalFill);
    const QColor drawn(FaceColour(a));
    EXPECT_NEAR(drawn.red(), (face.red() + 255) / 2, 2);
    EXPECT_NEAR(drawn.green(), face.green() / 2, 2);
    EXPECT_NEAR(drawn.blue(), face.blue() / 2, 2);

    presenter->ClearAllTints();
    EXPECT_EQ(FaceColour(a), kNormalFill);
}

TEST_F(KeyboardWidgetsTest, TheVariantButtonTogglesTheTopRowAndTheArrow) {
    PictureButton* arrow = dialog->widgets().ArrowOf(presenters::ArrowSide::Left);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->originX(), 1);

    Button(ViewButton::Flip(1)).click();
    EXPECT_FALSE(Button(ViewButton::Key(kF1)).isEnabled());
    EXPECT_TRUE(Button(ViewButton::TopRow(0)).isEnabled());
    EXPECT_EQ(arrow->originX(), 31);
    EXPECT_EQ(At(Render(*arrow), QPoint(0, 0)), kMarker);  // cut at the UP_ARROW_LEFT1 origin

    Button(ViewButton::Flip(1)).click();
    EXPECT_TRUE(Button(ViewButton::Key(kF1)).isEnabled());
    EXPECT_TRUE(Button(ViewButton::Key(kF1 + 3)).isEnabled());
    EXPECT_FALSE(Button(ViewButton::TopRow(0)).isEnabled());
}

}  // namespace
}  // namespace qf::ui::test
