// Placing controls from layout records: the face cut one pixel up and left of the control, the
// disabling at (1, 1), the move that keeps the size, the faces taken from a second record.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

#include "support_qt/test_skin.h"
#include "text/skin_keys.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/skin_placement.h"
#include "ui_skin/skin_test_support.h"

namespace qf::ui::test {
namespace {

namespace skin = text::skin;

constexpr std::string_view kLayout =
    "[SCREEN]\n"
    "Main=bg.bmp\n"
    "[BUTTONINFO]\n"
    "CONTROL_OK=10,20,30,40\n"
    "control_menu=1,1,80,24\n"
    "CONTROL_MINIMIZE=5,6,7,8\n"
    "CONTROL_CLOSE=0,0,12,10\n"
    "LEFT_ARROW=50,5,16,8\n"
    "[BUTTONINFO2]\n"
    "UP_ARROW_LEFT1=3,4,0,0\n";

class Placement : public ::testing::Test {
protected:
    Placement() {
        skin_.WritePicture("Skins/bg.bmp", kBackgroundFill);
        skin_.WriteLayout("Skins/Main.ini", kLayout);
        // The marker sits where the normal face of CONTROL_OK (10,20) must start, and at the
        // picture's own corner for a control at (0, 0).
        skin_.WriteMainSet({{QPoint(9, 19), kMarker}, {QPoint(0, 0), kMarker}});
        skin_.WritePicture(skin::kArrowPicture, kNormalFill, {{QPoint(2, 3), kMarker}});
        set_ = InstallPictureSet(cache_, skin_.installFolder(), skin::kMainPictures);
        dialog_ = std::make_unique<TestDialog>(skin_.File(skin::kMainLayoutFile), cache_);
        EXPECT_TRUE(dialog_->ApplyDialogSkin());
    }

    // Pictures as the main window's buttons take them: N, H, P, N, D.
    StatePictures MainLooks() const {
        return {set_.normal, set_.hover, set_.pressed, set_.normal, set_.disabled};
    }

    TestSkin skin_;
    PictureCache cache_;
    PictureSet set_;
    std::unique_ptr<TestDialog> dialog_;
};

TEST_F(Placement, FaceIsCutOnePixelUpAndLeftOfTheControl) {
    auto* ok = new PictureButton(dialog_.get());
    dialog_->place = [&](TestDialog& d) { d.PlaceSkinButton(*ok, skin::CONTROL_OK, MainLooks()); };
    dialog_->EnsureSkinned();

    EXPECT_EQ(ok->geometry(), QRect(10, 20, 30, 40));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(ok->originX(), 10);
    EXPECT_EQ(ok->originY(), 20);
    const LookFaces& faces = ok->faces();
    ASSERT_EQ(faces[0].size(), QSize(30, 40));
    EXPECT_EQ(faces[0].pixel(0, 0), kMarker);  // picture (9, 19)
    EXPECT_EQ(faces[0].pixel(1, 1), kNormalFill);
    // N, H, P, N, D: each look from its own picture.
    EXPECT_EQ(faces[static_cast<int>(Look::Hover)].pixel(1, 1), kHoverFill);
    EXPECT_EQ(faces[static_cast<int>(Look::Pressed)].pixel(1, 1), kPressedFill);
    EXPECT_EQ(faces[static_cast<int>(Look::Disabled)].pixel(1, 1), kNormalFill);
    EXPECT_EQ(faces[static_cast<int>(Look::Selected)].pixel(1, 1), kDisabledFill);

    // Drawn in the dialog, the marker lands on the control's own top-left pixel.
    const QImage rendered = Render(*dialog_);
    EXPECT_EQ(rendered.devicePixelRatio(), ExpectedScale());
    EXPECT_EQ(At(rendered, QPoint(10, 20)), kMarker);
    EXPECT_EQ(At(rendered, QPoint(11, 21)), kNormalFill);
    EXPECT_EQ(At(rendered, QPoint(39, 59)), kNormalFill);
    EXPECT_EQ(At(rendered, QPoint(9, 19)), kBackgroundFill);
    EXPECT_EQ(At(rendered, QPoint(40, 60)), kBackgroundFill);
}

TEST_F(Placement, MissingKeyOrRecordAtOneOneDisablesTheButton) {
    PictureButton help(dialog_.get());
    PictureButton menu(dialog_.get());
    PictureButton ok(dialog_.get());
    PlaceSkinButton(help, dialog_->layout(), skin::kButtonSection, skin::CONTROL_HELP, MainLooks());
    PlaceSkinButton(menu, dialog_->layout(), skin::kButtonSection, skin::CONTROL_MENU, MainLooks());
    PlaceSkinButton(ok, dialog_->layout(), skin::kButtonSection, skin::CONTROL_OK, MainLooks());

    EXPECT_EQ(help.geometry(), QRect(1, 1, 1, 1));
    EXPECT_FALSE(help.isEnabled());
    EXPECT_EQ(menu.geometry(), QRect(1, 1, 80, 24));  // a real size, still disabled
    EXPECT_FALSE(menu.isEnabled());
    EXPECT_TRUE(ok.isEnabled());
    EXPECT_EQ(menu.ChosenLook(), Look::Disabled);
}

TEST_F(Placement, MoveKeepsTheSizeAndPlaceTakesTheRecordsSize) {
    QWidget moved(dialog_.get());
    moved.resize(50, 20);
    MoveSkinControl(moved, dialog_->layout(), skin::kButtonSection, skin::CONTROL_MINIMIZE);
    EXPECT_EQ(moved.geometry(), QRect(5, 6, 50, 20));

    QWidget placed(dialog_.get());
    placed.resize(50, 20);
    PlaceSkinControl(placed, dialog_->layout(), skin::kButtonSection, skin::CONTROL_MINIMIZE);
    EXPECT_EQ(placed.geometry(), QRect(5, 6, 7, 8));
}

TEST_F(Placement, ButtonFromTakesEveryFaceAtTheSecondRecord) {
    PictureButton arrow(dialog_.get());
    const SkinPicture picture = InstallPicture(cache_, skin_.installFolder(), skin::kArrowPicture);
    PlaceSkinButtonFrom(arrow, dialog_->layout(), skin::kButtonSection, skin::LEFT_ARROW,
                        skin::kArrowPictureSection, text::ArrowPictureKey(skin::UP_ARROW_LEFT, 1),
                        picture);

    EXPECT_EQ(arrow.geometry(), QRect(50, 5, 16, 8));
    for (const QImage& face : arrow.faces()) {
        ASSERT_EQ(face.size(), QSize(16, 8));
        EXPECT_EQ(face.pixel(0, 0), kMarker);  // picture (2, 3): the second record's (x-1, y-1)
        EXPECT_EQ(face.pixel(1, 1), kNormalFill);
    }
}

TEST_F(Placement, OriginOutsideThePictureIsTransparentNotWrapped) {
    PictureButton corner(dialog_.get());
    PlaceSkinButton(corner, dialog_->layout(), skin::kButtonSection, skin::CONTROL_CLOSE,
                    MainLooks());
    const QImage& face = corner.faces()[0];
    ASSERT_EQ(face.size(), QSize(12, 10));
    EXPECT_EQ(qAlpha(face.pixel(0, 0)), 0);  // picture (-1, -1)
    EXPECT_EQ(qAlpha(face.pixel(5, 0)), 0);  // row -1
    EXPECT_EQ(qAlpha(face.pixel(0, 5)), 0);  // column -1
    EXPECT_EQ(face.pixel(1, 1), kMarker);    // picture (0, 0)
    EXPECT_EQ(face.pixel(2, 2), kNormalFill);
}

}  // namespace
}  // namespace qf::ui::test
