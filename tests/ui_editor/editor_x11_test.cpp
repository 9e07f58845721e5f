// The keyboard grab on a real X server (Xvfb, as in CI): the editor takes the grab once it is
// shown, keys typed with xdotool arrive through the X keycode path (native code = evdev + 8)
// while it is held, and closing lets it go.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <functional>

#include "ui_editor/editor_window_fixture.h"

namespace qf::ui::test {
namespace {

using presenters::EditorPage;

// Qt runs the event loop while it waits, as the dialogs need.
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

class EditorOnX11 : public EditorWindowTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs the xcb platform on a real X server (run under xvfb-run)";
        }
        xdotool_ = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool_.isEmpty()) {
            GTEST_SKIP() << "needs xdotool to type on the X server";
        }
        EditorWindowTest::SetUp();
    }
    void Type(const QString& keys) {
        ASSERT_EQ(QProcess::execute(xdotool_, {QStringLiteral("key"), keys}), 0);
    }

    QString xdotool_;
};

TEST_F(EditorOnX11, CaptureAndRecordingHoldTheGrabAndTakeTypedKeys) {
    OpenOn(0x01E);
    ASSERT_TRUE(WaitFor([&] { return qtGrab.grabbed(); })) << "the X server refused the grab";

    Type(QStringLiteral("super"));
    EXPECT_TRUE(WaitFor([&] { return dialog->model().capturedKey() == 0x15B; }));
    Type(QStringLiteral("q"));
    EXPECT_TRUE(WaitFor([&] { return dialog->model().capturedKey() == 0x010; }));

    // The macro page ends capture; recording takes the grab again.
    dialog->model().ClickPage(EditorPage::Macro);
    dialog->model().AddMacro();
    EXPECT_FALSE(qtGrab.grabbed());
    dialog->model().ToggleRecord();
    ASSERT_TRUE(dialog->model().recording());
    ASSERT_TRUE(WaitFor([&] { return qtGrab.grabbed(); }));
    Type(QStringLiteral("a"));
    EXPECT_TRUE(WaitFor([&] { return dialog->model().actions().ActionCount() == 2; }));
    const auto& actions = dialog->model().actions().actions();
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].scan, 0x01E);
    EXPECT_EQ(actions[0].state, macros::kActionPress);
    EXPECT_EQ(actions[1].state, macros::kActionRelease);

    dialog->close();
    EXPECT_FALSE(qtGrab.grabbed());
    EXPECT_FALSE(qtGrab.filtering());
    EXPECT_FALSE(qtRecorder.IsRecording());
}

}  // namespace
}  // namespace qf::ui::test
