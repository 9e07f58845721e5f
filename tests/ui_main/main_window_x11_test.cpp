// The whole path a user takes, on a real X server (Xvfb, as in CI): a click on a key of the main
// window opens the assignment editor next to it, a key typed on the X server (xdotool) is
// captured under the editor's keyboard grab, OK puts it in the store and enables Apply, and
// Apply writes it to the keyboard, where a read-back finds it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <functional>

#include "keys/key_record.h"
#include "keys/key_tables.h"
#include "keys/keymap_image.h"
#include "presenters/keyboard_buttons.h"
#include "ui/editor/assignment_editor_dialog.h"
#include "ui_main/main_window_fixture.h"

namespace qf::ui::test {
namespace {

// Qt runs the event loop while it waits, as the dialogs need.
bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    return QTest::qWaitFor(done, ms);
}

// The key "A" (scan 0x1E) and its button on the main window.
constexpr keys::ScanCode kScanA = 0x1E;

class MainWindowOnX11 : public MainWindowWidgetTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs the xcb platform on a real X server (run under xvfb-run)";
        }
        xdotool_ = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        if (xdotool_.isEmpty()) {
            GTEST_SKIP() << "needs xdotool to type on the X server";
        }
    }

    // The record the keyboard's keymap block 0 holds for `scan`, read back from its memory.
    keys::KeyRecord KeyboardRecord(keys::ScanCode scan) {
        const std::vector<std::uint8_t> memory = keyboard.Memory(vkbd::Area::KeymapBlocks);
        keys::KeymapImage image{};
        std::copy_n(memory.begin(), image.size(), image.begin());
        std::vector<std::uint8_t> block(keys::kKeyBlockSize);
        EXPECT_EQ(keys::KeymapImageToKeyBlock(image, session->defaultKeymap().Get(), block), 1);
        return keys::KeyRecord::Read(block.data() +
                                     keys::ScanToKeyIndex(scan) * keys::kKeyRecordSize);
    }

    QString xdotool_;
};

TEST_F(MainWindowOnX11, AKeyAssignedInTheEditorReachesTheKeyboardOnApply) {
    StartUp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const keys::KeyRecord before = KeyboardRecord(kScanA);

    // The key button of "A": the first key button whose record is A's.
    KeyButton* buttonA = nullptr;
    for (std::size_t n = 0; n < presenters::GroupSize(presenters::ButtonGroup::Key); ++n) {
        const presenters::ViewButton button = presenters::ViewButton::Key(n);
        if (keys::kSingleKeyList[n] == kScanA) {
            buttonA = window->widgets().ButtonOf(button);
        }
    }
    ASSERT_NE(buttonA, nullptr);

    // The editor runs its own loop: what the user does in it runs from there.
    bool typed = false;
    QTimer::singleShot(0, window.get(), [&] {
        AssignmentEditorDialog* editor = window->editor();
        if (!WaitFor([&] { return editor != nullptr && editor->isVisible(); }) ||
            !WaitFor([&] { return window->keyboardGrab().grabbed(); })) {
            if (editor != nullptr) {
                editor->CloseFromOutside();
            }
            return;
        }
        QProcess::execute(xdotool_, {QStringLiteral("key"), QStringLiteral("b")});
        typed = WaitFor([&] { return editor->model().capturedKey() == 0x030; });
        QTest::mouseClick(&editor->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(buttonA, Qt::LeftButton);  // returns when the editor has closed

    ASSERT_TRUE(typed) << "the typed key did not reach the editor";
    EXPECT_FALSE(window->IsEditorOpen());
    EXPECT_FALSE(window->keyboardGrab().grabbed());
    EXPECT_TRUE(window->presenter().unappliedChanges());
    EXPECT_TRUE(window->ButtonOf(presenters::kCtlApply)->isEnabled());
    EXPECT_EQ(KeyboardRecord(kScanA), before) << "written before Apply";

    QTest::mouseClick(window->ButtonOf(presenters::kCtlApply), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !window->presenter().unappliedChanges(); }));
    const keys::KeyRecord after = KeyboardRecord(kScanA);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, session->store().Lock()->BlockRecord(0, keys::ScanToKeyIndex(kScanA)));
}

}  // namespace
}  // namespace qf::ui::test
