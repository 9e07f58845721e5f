// The assignment editor's window against the virtual keyboard: the presenter tests' rig, a test
// skin of the editor's layout with one fill colour per picture set, the window's keyboard grab
// and hook owner, and key events as the window system delivers them.
#pragma once

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <memory>

#include "support_qt/test_skin.h"
#include "text/skin_keys.h"
#include "ui/editor/assignment_editor_dialog.h"
#include "ui/editor/keyboard_grab.h"

// Last: <linux/input-event-codes.h> defines KEY_FN, a skin key's name.
#include "presenters/editor_support.h"

namespace qf::ui::test {

// The normal fill of each picture set; hover, pressed and disabled are derived from it.
inline constexpr QRgb kKeySetFill = 0xFF204080;
inline constexpr QRgb kMacroSetFill = 0xFF208040;
inline constexpr QRgb kMacro2SetFill = 0xFF802040;
inline constexpr QRgb kMediaSetFill = 0xFF806020;
inline constexpr QRgb kFunctionSetFill = 0xFF406080;
// The disabled picture of the macro sets (the other sets use their normal picture).
inline constexpr QRgb kMacroDisabledFill = 0xFF101010;
inline constexpr QRgb kMacro2DisabledFill = 0xFF303030;

inline constexpr QSize kEditorSize(640, 420);

// Writes Skins/Composite.ini, its background and the five picture sets.
void WriteEditorSkin(TestSkin& skin);

class FakeOnScreenKeyboard final : public OnScreenKeyboard {
public:
    bool Available() const override { return available; }
    bool Open() override {
        ++opens;
        return true;
    }
    bool available = false;
    int opens = 0;
};

class EditorWindowTest : public presenters::testing::KeyboardRig {
protected:
    EditorWindowTest();
    ~EditorWindowTest() override;

    // Opens the dialog on `record` next to a key button at `button` (screen coordinates) and
    // waits until it is shown.
    void OpenOn(std::size_t record, bool macroOnly = false, QRect button = QRect(40, 40, 30, 30));

    // A key event as X11 delivers it (native code = evdev + 8, Num Lock on), sent to `target`
    // (the focus widget by default). True when it reached `target` (nothing swallowed it).
    bool SendKey(std::uint16_t evdev, bool pressed, bool autoRepeat = false,
                 QWidget* target = nullptr);

    TestSkin skin{kEditorSize};
    PictureCache pictures;
    FakeOnScreenKeyboard osk;
    int helpOpened = 0;
    // The window's hooks: the real event filter and grab, and the recorder on them.
    QtKeyboardGrab qtGrab{prompter, language};
    presenters::HookOwner qtHooks{qtGrab};
    macros::MacroRecorder qtRecorder{[this] { return now; }, settings, language, &qtHooks};
    std::unique_ptr<AssignmentEditorDialog> dialog;

private:
    std::uint64_t eventTime_ = 1000;
};

}  // namespace qf::ui::test
