// The notification-area icon as the device layer drives it: the device-state icon (128 no
// keyboard, 141 keyboard present), remembered, and the alternate icon 142 shown between the
// keyboard's codes 0x1811 and 0x1810. An icon is only handed to the window when it differs from
// the one shown. Safe to call from any thread; changes are applied one at a time.
#pragma once

#include <mutex>

#include "app/main_window_link.h"
#include "app/window_messages.h"

namespace qf::monitor {

class TrayIcons {
public:
    explicit TrayIcons(app::MainWindowLink& window) : window_(window) {}

    // Remembers `icon` as the device-state icon and shows it.
    void SetDeviceState(int icon);
    // Shows icon 142.
    void ShowAlternate();
    // Shows the remembered device-state icon again.
    void ShowDeviceState();

    int deviceStateIcon() const;
    int shownIcon() const;

private:
    void ShowLocked(int icon);

    app::MainWindowLink& window_;
    mutable std::mutex mutex_;
    // The window creates its icon with 128 when it finishes start-up.
    int deviceState_ = app::kIconNoKeyboard;
    int shown_ = app::kIconNoKeyboard;
};

}  // namespace qf::monitor
