// The picture button's choice of face, its frame mode, its clicks and its tooltip.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QToolTip>

#include "support_qt/test_skin.h"
#include "ui/skin/picture_button.h"
#include "ui_skin/skin_test_support.h"

namespace qf::ui::test {
namespace {

constexpr QRgb kSelectedFill = 0xFFC0C000;
constexpr QRgb kFirstAltFill = 0xFF00C0C0;
constexpr QRgb kSecondAltFill = 0xFFC000C0;
constexpr QRgb kFrameColour = 0xFFFF8000;

class PictureButtonTest : public ::testing::Test {
protected:
    PictureButtonTest() {
        skin_.WriteMainSet();
        skin_.WritePicture("Skins/selected.bmp", kSelectedFill);
        skin_.WritePicture("Skins/alt1.bmp", kFirstAltFill);
        skin_.WritePicture("Skins/alt2.bmp", kSecondAltFill);
        const PictureSet set =
            InstallPictureSet(cache_, skin_.installFolder(), text::skin::kMainPictures);
        parent_.resize(100, 60);
        parent_.setAutoFillBackground(true);
        QPalette palette = parent_.palette();
        palette.setColor(QPalette::Window, QColor(kBackgroundFill));
        parent_.setPalette(palette);
        button_ = new PictureButton(&parent_);
        button_->setGeometry(20, 10, 40, 30);
        button_->SetSkin(20, 10,
                         {set.normal, set.hover, set.pressed, set.disabled, Picture("selected")});
    }

    SkinPicture Picture(const char* name) {
        return InstallPicture(cache_, skin_.installFolder(), std::string("Skins/") + name + ".bmp");
    }

    QRgb Shown() const { return button_->ChosenFace().pixel(5, 5); }

    TestSkin skin_;
    PictureCache cache_;
    QWidget parent_;
    PictureButton* button_ = nullptr;
};

TEST_F(PictureButtonTest, FaceFollowsTheStateInItsOrder) {
    EXPECT_EQ(Shown(), kNormalFill);
    button_->SetSelected(true);
    EXPECT_EQ(Shown(), kSelectedFill);
    SendEnter(*button_);
    EXPECT_TRUE(button_->hovered());
    EXPECT_EQ(Shown(), kHoverFill);  // hover over selected
    button_->setDown(true);
    EXPECT_EQ(Shown(), kPressedFill);  // pressed over hover
    button_->setDown(false);

    // Disabled wins over hover: a disabled button under the pointer shows disabled.
    button_->setEnabled(false);
    EXPECT_TRUE(button_->hovered());
    EXPECT_EQ(Shown(), kDisabledFill);
    EXPECT_EQ(At(Render(parent_), QPoint(25, 15)), kDisabledFill);
    button_->setEnabled(true);

    SendLeave(*button_);
    EXPECT_FALSE(button_->hovered());
    EXPECT_EQ(Shown(), kSelectedFill);
}

TEST_F(PictureButtonTest, AlternativePictureWinsOverEveryStateButDisabled) {
    button_->SetAltSkin(Picture("alt1"), Picture("alt2"), true, 0);
    EXPECT_EQ(Shown(), kFirstAltFill);
    SendEnter(*button_);
    button_->setDown(true);
    button_->SetSelected(true);
    EXPECT_EQ(Shown(), kFirstAltFill);
    button_->SetAltSkin(Picture("alt1"), Picture("alt2"), true, 7);  // any chooser but 0
    EXPECT_EQ(Shown(), kSecondAltFill);
    EXPECT_FALSE(button_->hovered());  // a re-skin clears hover and pressed
    EXPECT_FALSE(button_->isDown());
    button_->setEnabled(false);
    EXPECT_EQ(Shown(), kDisabledFill);
    button_->setEnabled(true);
    button_->SetAltSkin(Picture("alt1"), Picture("alt2"), false, 0);
    EXPECT_EQ(Shown(), kSelectedFill);
}

TEST_F(PictureButtonTest, FrameModeDrawsOnlyTheFrameWhateverTheState) {
    button_->SetFrame(QColor(kFrameColour), 250, true);
    EXPECT_EQ(button_->framePercent(), 100);
    for (bool down : {false, true}) {
        button_->setDown(down);
        const QImage rendered = Render(parent_);
        // The frame runs along the button's edges, two pixels wide...
        EXPECT_EQ(At(rendered, QPoint(20 + 1, 10 + 15)), kFrameColour);
        EXPECT_EQ(At(rendered, QPoint(20 + 20, 10 + 1)), kFrameColour);
        EXPECT_EQ(At(rendered, QPoint(20 + 38, 10 + 15)), kFrameColour);
        // ...and no face is drawn inside it: the parent shows through.
        EXPECT_EQ(At(rendered, QPoint(20 + 20, 10 + 15)), kBackgroundFill);
    }
    button_->SetFrame(QColor(kFrameColour), 50, false);
    EXPECT_EQ(At(Render(parent_), QPoint(20 + 20, 10 + 15)), kPressedFill);
}

TEST_F(PictureButtonTest, DoubleClickCountsAsTwoClicks) {
    QSignalSpy clicks(button_, &QAbstractButton::clicked);
    const QPoint inside(5, 5);
    // As the platform of old delivered it: down, up, double click, up.
    SendMouse(*button_, QEvent::MouseButtonPress, inside, Qt::LeftButton);
    SendMouse(*button_, QEvent::MouseButtonRelease, inside, Qt::NoButton);
    SendMouse(*button_, QEvent::MouseButtonDblClick, inside, Qt::LeftButton);
    SendMouse(*button_, QEvent::MouseButtonRelease, inside, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);

    // As Qt delivers it: the second press comes as a press and then a double click.
    clicks.clear();
    SendMouse(*button_, QEvent::MouseButtonPress, inside, Qt::LeftButton);
    SendMouse(*button_, QEvent::MouseButtonRelease, inside, Qt::NoButton);
    SendMouse(*button_, QEvent::MouseButtonPress, inside, Qt::LeftButton);
    SendMouse(*button_, QEvent::MouseButtonDblClick, inside, Qt::LeftButton);
    SendMouse(*button_, QEvent::MouseButtonRelease, inside, Qt::NoButton);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(PictureButtonTest, TooltipPopsUpAtOnceAndAnEmptyTextIsIgnored) {
    parent_.show();
    button_->SetTooltip(QStringLiteral("G3, Keys, Set: Key(A)"));
    button_->SetTooltip(QString());
    EXPECT_EQ(button_->tooltipText(), QStringLiteral("G3, Keys, Set: Key(A)"));
    SendEnter(*button_);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("G3, Keys, Set: Key(A)"));
    SendLeave(*button_);
    QToolTip::hideText();
}

TEST_F(PictureButtonTest, FacesCanBeRearrangedWithoutDecoding) {
    // The keyboard view keeps a clicked key highlighted: the hover face in the normal look.
    QCoreApplication::processEvents();  // the cache lets go of the pictures
    const int decodes = cache_.decodeCount();
    LookFaces faces = button_->faces();
    faces[static_cast<int>(Look::Normal)] = faces[static_cast<int>(Look::Hover)];
    button_->SetFaces(faces);
    EXPECT_EQ(Shown(), kHoverFill);
    button_->resize(30, 20);  // given faces are not cut again
    EXPECT_EQ(cache_.decodeCount(), decodes);
}

}  // namespace
}  // namespace qf::ui::test
