#include "monitor/tray_icons.h"

namespace qf::monitor {

void TrayIcons::SetDeviceState(int icon) {
    std::lock_guard lock(mutex_);
    deviceState_ = icon;
    ShowLocked(icon);
}

void TrayIcons::ShowAlternate() {
    std::lock_guard lock(mutex_);
    ShowLocked(app::kIconAlternate);
}

void TrayIcons::ShowDeviceState() {
    std::lock_guard lock(mutex_);
    ShowLocked(deviceState_);
}

int TrayIcons::deviceStateIcon() const {
    std::lock_guard lock(mutex_);
    return deviceState_;
}

int TrayIcons::shownIcon() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

void TrayIcons::ShowLocked(int icon) {
    if (icon == shown_) {
        return;
    }
    shown_ = icon;
    window_.SetTrayIcon(icon);
}

}  // namespace qf::monitor
