// On a real X server without a window manager (Xvfb, as in CI): the outline cuts real holes in
// the window, and a drag on the dialog's surface moves it by hand, since no window manager
// takes the move.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <functional>
#include <memory>

#include "support_qt/test_skin.h"
#include "text/skin_keys.h"
#include "ui/skin/skinned_dialog.h"

namespace qf::ui::test {
namespace {

namespace skin = text::skin;

constexpr QSize kSize(200, 120);
const QRect kHole(50, 30, 50, 40);

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(10);
    }
    return true;
}

class SkinOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs the xcb platform on a real X server (run under xvfb-run)";
        }
        QImage shape = TestSkin::Solid(kSize, 0xFF000000);
        for (int y = kHole.top(); y <= kHole.bottom(); ++y) {
            for (int x = kHole.left(); x <= kHole.right(); ++x) {
                shape.setPixel(x, y, kWhite);
            }
        }
        skin_.WritePicture("Skins/bg.bmp", kBackgroundFill);
        skin_.WritePicture("Skins/shape.bmp", shape);
        skin_.WriteLayout(skin::kProfileLayoutFile, "[SCREEN]\nMain=bg.bmp\nMask=shape.bmp\n");
        dialog_ = std::make_unique<SkinnedDialog>(skin_.File(skin::kProfileLayoutFile), cache_);
        ASSERT_TRUE(dialog_->ApplyDialogSkin());
        dialog_->move(100, 100);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        QTest::qWait(100);
    }

    TestSkin skin_{kSize};
    PictureCache cache_;
    std::unique_ptr<SkinnedDialog> dialog_;
};

TEST_F(SkinOnX11, OutlineCutsHolesThroughWhichTheDesktopShows) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint origin = dialog_->geometry().topLeft();
    EXPECT_EQ(screen.pixel(origin + QPoint(10, 10)), kBackgroundFill);
    EXPECT_EQ(screen.pixel(origin + kHole.topLeft() - QPoint(1, 1)), kBackgroundFill);
    EXPECT_NE(screen.pixel(origin + kHole.center()), kBackgroundFill);
    EXPECT_NE(screen.pixel(origin + kHole.topLeft()), kBackgroundFill);
}

TEST_F(SkinOnX11, DragOnTheSurfaceMovesTheWindowWithoutAWindowManager) {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty()) {
        GTEST_SKIP() << "xdotool is not installed: it plays the user who drags the window";
    }
    const QPoint start = dialog_->pos();
    const QPoint grab = start + QPoint(10, 10);
    const QStringList args = {QStringLiteral("mousemove"),
                              QString::number(grab.x()),
                              QString::number(grab.y()),
                              QStringLiteral("sleep"),
                              QStringLiteral("0.1"),
                              QStringLiteral("mousedown"),
                              QStringLiteral("1"),
                              QStringLiteral("sleep"),
                              QStringLiteral("0.1"),
                              QStringLiteral("mousemove"),
                              QString::number(grab.x() + 20),
                              QString::number(grab.y() + 10),
                              QStringLiteral("sleep"),
                              QStringLiteral("0.1"),
                              QStringLiteral("mousemove"),
                              QString::number(grab.x() + 40),
                              QString::number(grab.y() + 30),
                              QStringLiteral("sleep"),
                              QStringLiteral("0.1"),
                              QStringLiteral("mouseup"),
                              QStringLiteral("1")};
    QProcess user;
    user.start(xdotool, args);
    ASSERT_TRUE(user.waitForStarted());
    // The dialog handles the pointer while xdotool plays it.
    ASSERT_TRUE(WaitFor([&] { return user.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(user.exitCode(), 0) << user.readAllStandardError().toStdString();
    EXPECT_TRUE(WaitFor([&] { return dialog_->pos() == start + QPoint(40, 30); }))
        << dialog_->pos().x() << "," << dialog_->pos().y();
}

}  // namespace
}  // namespace qf::ui::test
