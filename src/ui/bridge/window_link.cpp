#include "ui/bridge/window_link.h"

#include <algorithm>
#include <limits>

namespace qf::ui {

using presenters::WorkKind;

WindowLink::WindowLink(GuiDispatcher& gui) : gui_(gui) {
    // No window yet: device work waits as it does during a busy scope.
    waitingForTarget_.emplace(gui_.Busy());
}

WindowLink::~WindowLink() = default;

void WindowLink::Bind(MainWindowTarget* target) {
    target_ = target;
    if (target_ == nullptr) {
        if (!waitingForTarget_) {
            waitingForTarget_.emplace(gui_.Busy());
        }
        return;
    }
    if (trayIcon_) {
        target_->ShowTrayIcon(*trayIcon_);
    }
    waitingForTarget_.reset();
}

int WindowLink::SendMessage(std::uint32_t message, std::uint32_t tag) {
    return gui_.dispatcher().Send<int>(
        WorkKind::Device,
        [this, message, tag] {
            return target_ != nullptr ? target_->OnWindowMessage(message, tag) : 0;
        },
        0);
}

void WindowLink::PostMessage(std::uint32_t message, std::uint32_t tag) {
    gui_.dispatcher().Post(WorkKind::Device, [this, message, tag] {
        if (target_ != nullptr) {
            (void)target_->OnWindowMessage(message, tag);
        }
    });
}

void WindowLink::StartTimer(std::uint32_t timerId, std::uint32_t delayMs) {
    gui_.dispatcher().Call(WorkKind::Plain,
                           [this, timerId, delayMs] { StartTimerOnGui(timerId, delayMs); });
}

void WindowLink::StartTimerOnGui(std::uint32_t timerId, std::uint32_t delayMs) {
    std::unique_ptr<QTimer>& timer = timers_[timerId];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        QObject::connect(timer.get(), &QTimer::timeout, [this, timerId] {
            // Queued, not run here: a timer that fires inside a busy scope's nested loop waits
            // for the scope to end.
            gui_.dispatcher().Post(WorkKind::Device, [this, timerId] {
                if (target_ != nullptr) {
                    target_->OnWindowTimer(timerId);
                }
            });
        });
    }
    timer->start(static_cast<int>(std::min<std::uint32_t>(
        delayMs, static_cast<std::uint32_t>(std::numeric_limits<int>::max()))));
}

void WindowLink::SetTrayIcon(int iconId) {
    gui_.dispatcher().Call(WorkKind::Plain, [this, iconId] {
        trayIcon_ = iconId;
        if (target_ != nullptr) {
            target_->ShowTrayIcon(iconId);
        }
    });
}

void WindowLink::HideWindow() {
    gui_.dispatcher().Call(WorkKind::Plain, [this] {
        if (target_ != nullptr) {
            target_->HideMainWindow();
        }
    });
}

}  // namespace qf::ui
