// Which Qt platform the program runs on. Shaped windows, the keyboard grab while capturing or
// recording, and the XEmbed notification area all need X11, so the program uses Qt's xcb
// platform (XWayland on a Wayland desktop) unless QT_QPA_PLATFORM names another. Call
// PreferX11Platform before the QApplication is created.
#pragma once

#include <QByteArray>

namespace qf::ui {

// The platform to ask for, from the environment's QT_QPA_PLATFORM, DISPLAY and
// WAYLAND_DISPLAY: empty when the environment already names one, or when no X server is
// reachable (a Wayland session without XWayland: Qt then picks Wayland and shaped windows and
// the tray may be missing); "xcb" otherwise.
[[nodiscard]] QByteArray ChooseQtPlatform(const QByteArray& qpaPlatform, const QByteArray& display,
                                          const QByteArray& waylandDisplay);

// Sets QT_QPA_PLATFORM as ChooseQtPlatform says and returns what it set (empty: nothing).
QByteArray PreferX11Platform();

}  // namespace qf::ui
