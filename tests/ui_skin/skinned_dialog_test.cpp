// The skinned dialog: size and outline from its pictures, the failure path of an unreadable
// picture, pictures decoded once and let go, and the move by a press on its surface.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QWindow>
#include <memory>
#include <vector>

#include "support_qt/test_skin.h"
#include "text/skin_keys.h"
#include "ui/skin/picture_button.h"
#include "ui/skin/skinned_dialog.h"
#include "ui/skin/window_shape.h"
#include "ui_skin/skin_test_support.h"

namespace qf::ui::test {
namespace {

namespace skin = text::skin;

constexpr QSize kSize(60, 40);

class SkinnedDialogTest : public ::testing::Test {
protected:
    SkinnedDialogTest() : skin_(kSize) { skin_.WritePicture("Skins/bg.bmp", kBackgroundFill); }

    std::unique_ptr<TestDialog> Dialog(std::string_view layout) {
        skin_.WriteLayout(skin::kProfileLayoutFile, layout);
        return std::make_unique<TestDialog>(skin_.File(skin::kProfileLayoutFile), cache_);
    }

    QString File(std::string_view relative) const {
        return QFile::decodeName(skin_.File(relative).c_str());
    }

    TestSkin skin_;
    PictureCache cache_;
};

// ---- Outline --------------------------------------------------------------------------------

TEST(OutlineRegion, HoldsExactlyThePixelsThatAreNotPureWhite) {
    // A random shape with near-white pixels, which stay inside, and rows that repeat the row
    // above (merged into bands) or differ from it.
    QImage shape(23, 17, QImage::Format_RGB32);
    QRandomGenerator random(12345);
    for (int y = 0; y < shape.height(); ++y) {
        if (y > 0 && y % 4 == 0) {
            for (int x = 0; x < shape.width(); ++x) {
                shape.setPixel(x, y, shape.pixel(x, y - 1));
            }
            continue;
        }
        for (int x = 0; x < shape.width(); ++x) {
            const quint32 pick = random.bounded(3u);
            shape.setPixel(x, y, pick == 0 ? kWhite : pick == 1 ? qRgb(255, 255, 254) : kMarker);
        }
    }
    const QRegion region = RegionFromShapePicture(shape);
    for (int y = 0; y < shape.height(); ++y) {
        for (int x = 0; x < shape.width(); ++x) {
            EXPECT_EQ(region.contains(QPoint(x, y)), shape.pixel(x, y) != kWhite) << x << "," << y;
        }
    }
    EXPECT_FALSE(region.contains(QPoint(shape.width(), 0)));
}

TEST_F(SkinnedDialogTest, OnePixelWhiteBorderOutlineIsOnePixelInOnEverySide) {
    QImage shape = TestSkin::Solid(kSize, kWhite);
    for (int y = 1; y < kSize.height() - 1; ++y) {
        for (int x = 1; x < kSize.width() - 1; ++x) {
            shape.setPixel(x, y, 0xFF000000);
        }
    }
    skin_.WritePicture("Skins/shape.bmp", shape);
    auto dialog = Dialog("[SCREEN]\nMain=bg.bmp\nMask=shape.bmp\n");
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    dialog->show();

    const QRegion inner(QRect(1, 1, kSize.width() - 2, kSize.height() - 2));
    EXPECT_EQ(dialog->outline(), inner);
    EXPECT_EQ(dialog->mask(), inner);
    ASSERT_NE(dialog->windowHandle(), nullptr);
    EXPECT_EQ(dialog->windowHandle()->mask(), inner);
    EXPECT_FALSE(dialog->outlineFellBack());
}

TEST_F(SkinnedDialogTest, OutlineOfAllWhiteShapeFallsBackToTheFullRectangle) {
    skin_.WritePicture("Skins/shape.bmp", kWhite);
    auto dialog = Dialog("[SCREEN]\nMain=bg.bmp\nMask=shape.bmp\n");
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    dialog->show();
    EXPECT_TRUE(dialog->outlineFellBack());
    EXPECT_EQ(dialog->mask(), QRegion(QRect(QPoint(0, 0), kSize)));
}

TEST_F(SkinnedDialogTest, OutlineWithoutMaskKeyComesFromTheBackground) {
    // Any pure-white pixel of the artwork becomes a hole when the background is the shape.
    skin_.WritePicture("Skins/bg.bmp", kBackgroundFill, {{QPoint(30, 20), kWhite}});
    auto dialog = Dialog("[SCREEN]\nMain=bg.bmp\n");
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    dialog->show();
    EXPECT_FALSE(dialog->mask().contains(QPoint(30, 20)));
    EXPECT_TRUE(dialog->mask().contains(QPoint(31, 20)));
    EXPECT_EQ(cache_.decodeCount(File("Skins/bg.bmp")), 1);  // one decode for both uses
}

// ---- Size, pictures, failures ---------------------------------------------------------------

TEST_F(SkinnedDialogTest, TakesTheBackgroundsSizeKeepsItsPlaceAndDecodesOnlyWhenShown) {
    auto dialog = Dialog("[SCREEN]\nMain=Sub\\bg2.bmp\n");  // a skin made on Windows
    skin_.WritePicture("Skins/Sub/bg2.bmp", TestSkin::Solid(QSize(70, 30), kBackgroundFill));
    dialog->move(200, 100);
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    EXPECT_EQ(dialog->size(), QSize(70, 30));
    EXPECT_EQ(dialog->pos(), QPoint(200, 100));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(cache_.decodeCount(), 0);  // headers only
    EXPECT_EQ(dialog->placements, 0);

    dialog->show();
    EXPECT_TRUE(dialog->holdsBackground());
    EXPECT_EQ(dialog->placements, 1);
    EXPECT_EQ(At(Render(*dialog), QPoint(69, 29)), kBackgroundFill);

    dialog->hide();
    EXPECT_FALSE(dialog->holdsBackground());
    QCoreApplication::processEvents();
    EXPECT_EQ(cache_.heldCount(), 0);
    dialog->show();  // decoded again, placed once only
    EXPECT_TRUE(dialog->holdsBackground());
    EXPECT_EQ(dialog->placements, 1);
    dialog->accept();
    EXPECT_FALSE(dialog->holdsBackground());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(SkinnedDialogTest, UnreadablePictureFailsNamingTheFile) {
    skin_.WriteText("Skins/garbage.jpg", "this is no picture");
    struct Case {
        std::string_view layout;
        std::string_view named;  // the file the error must name
    };
    const Case cases[] = {
        {"[SCREEN]\nMain=missing.jpg\n", "Skins/missing.jpg"},
        {"[SCREEN]\nMain=garbage.jpg\n", "Skins/garbage.jpg"},
        {"[SCREEN]\nMain=bg.bmp\nMask=garbage.jpg\n", "Skins/garbage.jpg"},
        {"[SCREEN]\nMain=\nMask=bg.bmp\n", skin::kProfileLayoutFile},  // empty Main: missing
        {"[OTHER]\n", skin::kProfileLayoutFile},
    };
    for (const Case& c : cases) {
        auto dialog = Dialog(c.layout);
        SkinError error;
        EXPECT_FALSE(dialog->ApplyDialogSkin(&error)) << c.layout;
        EXPECT_EQ(error.file, skin_.File(c.named)) << c.layout;
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_FALSE(dialog->skinApplied());
        EXPECT_FALSE(dialog->skinning());
    }
}

TEST_F(SkinnedDialogTest, FailureIsReportedOnStandardErrorAndEndsTheStartWithCodeOne) {
    auto dialog = Dialog("[SCREEN]\nMain=missing.jpg\n");
    SkinError error;
    ASSERT_FALSE(dialog->ApplyDialogSkin(&error));

    // A dialog opened later: the message, and the program goes on.
    ::testing::internal::CaptureStderr();
    ReportSkinFailure(error);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(skin_.File("Skins/missing.jpg").string()), std::string::npos) << said;

    // At start-up: the same message and exit code 1, not a silent 0.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitOnSkinFailure(error), ::testing::ExitedWithCode(kSkinFailureExitCode),
                "Cannot read the skin picture .*missing\\.jpg");
}

TEST_F(SkinnedDialogTest, ButtonsShareOneDecodePerPictureAndLetItGoAfterwards) {
    skin_.WriteMainSet();
    std::string layout = "[SCREEN]\nMain=bg.bmp\n[BUTTONINFO]\n";
    constexpr int kButtons = 60;
    for (int i = 0; i < kButtons; ++i) {
        layout += text::SkinKeyForKeyIndex(static_cast<unsigned>(i)) + "=" +
                  std::to_string(2 + i % 10 * 5) + "," + std::to_string(2 + i / 10 * 5) + ",4,4\n";
    }
    auto dialog = Dialog(layout);
    const PictureSet set = InstallPictureSet(cache_, skin_.installFolder(), skin::kMainPictures);
    std::vector<PictureButton*> buttons;
    dialog->place = [&](TestDialog& d) {
        for (int i = 0; i < kButtons; ++i) {
            auto* button = new PictureButton(&d);
            d.PlaceSkinButton(*button, text::SkinKeyForKeyIndex(static_cast<unsigned>(i)),
                              {set.normal, set.hover, set.pressed, set.normal, set.disabled});
            buttons.push_back(button);
        }
    };
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    dialog->show();

    for (const SkinPicture* picture : {&set.normal, &set.hover, &set.pressed, &set.disabled}) {
        EXPECT_EQ(cache_.decodeCount(picture->file()), 1) << picture->file().toStdString();
    }
    // Each button keeps only its own faces; the full-window pictures go once the placing is
    // over. Only the background, on screen, stays.
    QCoreApplication::processEvents();
    EXPECT_EQ(cache_.heldCount(), 1);
    EXPECT_EQ(buttons.back()->faces()[0].size(), QSize(4, 4));
    EXPECT_EQ(buttons.back()->faces()[0].pixel(0, 0), kNormalFill);

    // A later re-placement decodes what it needs again.
    buttons.front()->SetStatePictures(StatePictures::All(set.hover));
    EXPECT_EQ(cache_.decodeCount(set.hover.file()), 2);
    EXPECT_EQ(buttons.front()->faces()[0].pixel(0, 0), kHoverFill);
}

// ---- Moving ---------------------------------------------------------------------------------

TEST_F(SkinnedDialogTest, LeftPressOnTheSurfaceMovesTheWindowAndAPressOnAChildDoesNot) {
    skin_.WriteMainSet();
    auto dialog = Dialog("[SCREEN]\nMain=bg.bmp\n[BUTTONINFO]\nCONTROL_OK=40,20,10,10\n");
    auto* ok = new PictureButton(dialog.get());
    const PictureSet set = InstallPictureSet(cache_, skin_.installFolder(), skin::kMainPictures);
    dialog->place = [&](TestDialog& d) {
        d.PlaceSkinButton(*ok, skin::CONTROL_OK, StatePictures::All(set.normal));
    };
    ASSERT_TRUE(dialog->ApplyDialogSkin());
    dialog->move(100, 100);
    dialog->show();

    // No window manager answers on this platform: the dialog follows the pointer itself.
    SendMouseAt(*dialog, QEvent::MouseButtonPress, {5, 5}, {105, 105}, Qt::LeftButton);
    SendMouseAt(*dialog, QEvent::MouseMove, {5, 5}, {125, 115}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), QPoint(120, 110));
    SendMouseAt(*dialog, QEvent::MouseMove, {5, 5}, {135, 125}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), QPoint(130, 120));
    SendMouseAt(*dialog, QEvent::MouseButtonRelease, {5, 5}, {135, 125}, Qt::NoButton);
    SendMouseAt(*dialog, QEvent::MouseMove, {5, 5}, {160, 160}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), QPoint(130, 120));

    // The right button moves nothing; a press the button takes is the button's.
    SendMouseAt(*dialog, QEvent::MouseButtonPress, {5, 5}, {135, 125}, Qt::RightButton,
                Qt::RightButton);
    SendMouseAt(*dialog, QEvent::MouseMove, {5, 5}, {160, 160}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), QPoint(130, 120));
    SendMouse(*ok, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton);
    SendMouseAt(*dialog, QEvent::MouseMove, {5, 5}, {170, 170}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), QPoint(130, 120));
    EXPECT_TRUE(ok->isDown());
}

}  // namespace
}  // namespace qf::ui::test
