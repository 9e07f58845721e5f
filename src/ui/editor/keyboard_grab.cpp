#include "ui/editor/keyboard_grab.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QWindow>

#include "text/language_keys.h"

namespace qf::ui {

Q_LOGGING_CATEGORY(lcGrab, "quillfen.grab")

QtKeyboardGrab::QtKeyboardGrab(text::Prompter& prompter, const text::LanguageTable& language,
                               QObject* parent)
    : QObject(parent), prompter_(prompter), language_(language) {
    retry_.setSingleShot(true);
    retry_.setInterval(kGrabRetryMs);
    connect(&retry_, &QTimer::timeout, this, &QtKeyboardGrab::TryGrab);
}

QtKeyboardGrab::~QtKeyboardGrab() {
    Release();
}

void QtKeyboardGrab::SetWindow(QWidget* window) {
    if (window_ == window) {
        return;
    }
    LetGoOfGrab();
    window_ = window;
    if (filtering_) {
        StartGrabAttempts();
    }
}

bool QtKeyboardGrab::Take() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    if (!filtering_) {
        app->installEventFilter(this);
        filtering_ = true;
        lastKey_ = {};
    }
    StartGrabAttempts();
    return true;
}

void QtKeyboardGrab::Release() {
    LetGoOfGrab();
    if (filtering_) {
        filtering_ = false;
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->removeEventFilter(this);
        }
    }
    lastKey_ = {};
}

void QtKeyboardGrab::StartGrabAttempts() {
    attemptsLeft_ = kGrabAttempts;
    if (window_ != nullptr && window_->isVisible()) {
        TryGrab();
    }
    // Otherwise the window's Show event starts them (see eventFilter).
}

void QtKeyboardGrab::TryGrab() {
    if (!filtering_ || grabbed_ || window_ == nullptr || !window_->isVisible()) {
        return;
    }
    QWindow* handle = window_->windowHandle();
    if (handle != nullptr && handle->setKeyboardGrabEnabled(true)) {
        // The window system's grab is ours; let Qt route the keys to the window as well.
        window_->grabKeyboard();
        grabbed_ = true;
        attemptsLeft_ = 0;
        return;
    }
    if (--attemptsLeft_ > 0) {
        retry_.start(kGrabRetryMs);
        return;
    }
    qCInfo(lcGrab) << "the keyboard grab was refused on" << QGuiApplication::platformName();
    if (hooks_ != nullptr && hooks_->NoteGrabRefused()) {
        prompter_.ShowMessage(text::TextId::KEYBOARD_GRAB_REFUSED,
                              language_.Text(text::TextId::KEYBOARD_GRAB_REFUSED));
    }
}

void QtKeyboardGrab::LetGoOfGrab() {
    retry_.stop();
    attemptsLeft_ = 0;
    if (!grabbed_) {
        return;
    }
    grabbed_ = false;
    if (window_ != nullptr) {
        window_->releaseKeyboard();
        if (QWindow* handle = window_->windowHandle()) {
            (void)handle->setKeyboardGrabEnabled(false);
        }
    }
}

presenters::NativeKeyEvent QtKeyboardGrab::NativeEventOf(const QKeyEvent& event) {
    presenters::NativeKeyEvent native;
    native.nativeKeycode = event.nativeScanCode();
    native.nativeModifiers = event.nativeModifiers();
    native.pressed = event.type() == QEvent::KeyPress;
    native.autoRepeat = event.isAutoRepeat();
    return native;
}

bool QtKeyboardGrab::HandleKey(QKeyEvent& event) {
    const SeenKey seen{&event, event.type(), event.timestamp(), event.nativeScanCode(), false};
    if (lastKey_.event == seen.event && lastKey_.type == seen.type &&
        lastKey_.timestamp == seen.timestamp && lastKey_.nativeScanCode == seen.nativeScanCode) {
        return lastKey_.swallowed;
    }
    lastKey_ = seen;
    lastKey_.swallowed = hooks_ != nullptr && hooks_->OnKeyEvent(NativeEventOf(event));
    return lastKey_.swallowed;
}

bool QtKeyboardGrab::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return HandleKey(static_cast<QKeyEvent&>(*event));
        case QEvent::ShortcutOverride:
            // While the hooks hold the keyboard no key is a shortcut: the press that follows
            // goes to capture or to the recorder.
            if (hooks_ != nullptr && hooks_->mode() != presenters::HookMode::Off) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::Show:
            if (watched == window_ && !grabbed_) {
                attemptsLeft_ = kGrabAttempts;
                // The window is shown but not yet mapped: the first attempt goes after it is.
                retry_.start(0);
            }
            return false;
        case QEvent::Hide:
            if (watched == window_ && grabbed_) {
                LetGoOfGrab();
            }
            return false;
        default:
            return false;
    }
}

}  // namespace qf::ui
