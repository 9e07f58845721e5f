#include "ui/bridge/qt_platform.h"

#include <QtGlobal>

namespace qf::ui {

QByteArray ChooseQtPlatform(const QByteArray& qpaPlatform, const QByteArray& display,
                            const QByteArray& waylandDisplay) {
    if (!qpaPlatform.isEmpty()) {
        return {};
    }
    if (display.isEmpty() && !waylandDisplay.isEmpty()) {
        return {};
    }
    return QByteArrayLiteral("xcb");
}

QByteArray PreferX11Platform() {
    const QByteArray platform = ChooseQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"),
                                                 qgetenv("WAYLAND_DISPLAY"));
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
    return platform;
}

}  // namespace qf::ui
