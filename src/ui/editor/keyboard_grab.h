// The window side of the keyboard hooks: an application event filter that hands every key event
// to the hook owner, plus a keyboard grab on the assignment editor while key capture or the
// macro recorder runs.
//
//   QtKeyboardGrab grab(prompter, language);
//   presenters::HookOwner hooks(grab);
//   grab.SetHookOwner(&hooks);
//   // the editor names itself the grab's window while it is open: grab.SetWindow(&dialog)
//
// Take installs the filter at once (capture starts while the editor opens, before it is
// visible) and grabs the keyboard as soon as the window is shown, retrying for a short while:
// a window that has only just been mapped, or a desktop that holds a grab of its own for a
// moment, refuses the first attempts. A grab the desktop refuses for good (always so on the
// offscreen platform, and under Wayland, where a grab holds only inside the program) costs
// only the Windows and system keys: the user is told once per run (KEYBOARD_GRAB_REFUSED) and
// capture and recording go on through the filter. Release removes the filter and lets the
// keyboard go; so does the destructor and the destruction of the window.
//
// GUI thread only.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "presenters/hook_owner.h"
#include "text/language.h"
#include "text/prompter.h"

class QKeyEvent;

namespace qf::ui {

class QtKeyboardGrab final : public QObject, public presenters::KeyboardGrab {
    Q_OBJECT
public:
    // Grab attempts after the window is shown, and the pause between two.
    static constexpr int kGrabAttempts = 10;
    static constexpr int kGrabRetryMs = 50;

    QtKeyboardGrab(text::Prompter& prompter, const text::LanguageTable& language,
                   QObject* parent = nullptr);
    ~QtKeyboardGrab() override;

    // Where the key events go. Set once, before the first Take.
    void SetHookOwner(presenters::HookOwner* hooks) { hooks_ = hooks; }
    // The window that holds the keyboard grab (the assignment editor), or none.
    void SetWindow(QWidget* window);

    // presenters::KeyboardGrab. Take fails only when there is no application to filter.
    [[nodiscard]] bool Take() override;
    void Release() override;

    // The filter is installed (the hooks are held).
    [[nodiscard]] bool filtering() const { return filtering_; }
    // The window system granted the keyboard grab.
    [[nodiscard]] bool grabbed() const { return grabbed_; }

    // The key event as the hook owner takes it: native key code and modifier state, press or
    // release, auto-repeat.
    [[nodiscard]] static presenters::NativeKeyEvent NativeEventOf(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartGrabAttempts();
    void TryGrab();
    void LetGoOfGrab();
    [[nodiscard]] bool HandleKey(QKeyEvent& event);

    text::Prompter& prompter_;
    const text::LanguageTable& language_;
    presenters::HookOwner* hooks_ = nullptr;
    QPointer<QWidget> window_;
    QTimer retry_;
    int attemptsLeft_ = 0;
    bool filtering_ = false;
    bool grabbed_ = false;

    // A key event reaches the filter once for each object it is offered to (the window, the
    // focus widget, its parents): the first decision stands for the rest of its way.
    struct SeenKey {
        const QEvent* event = nullptr;
        QEvent::Type type = QEvent::None;
        std::uint64_t timestamp = 0;
        std::uint32_t nativeScanCode = 0;
        bool swallowed = false;
    };
    SeenKey lastKey_;
};

}  // namespace qf::ui
