// Helpers shared by the skin's widget tests: reading rendered pixels at logical positions
// (whatever the scale factor), pointer events, and a dialog that places what a test asks.
#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <functional>

#include "ui/skin/skinned_dialog.h"

namespace qf::ui::test {

// The widget as drawn, in device pixels.
inline QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The scale the tests run at (QT_SCALE_FACTOR, 1 when unset): what a rendered picture's device
// pixel ratio must be.
inline qreal ExpectedScale() {
    bool ok = false;
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? scale : 1.0;
}

// The colour drawn at a logical position. At a scale factor above 1 every device pixel that
// logical pixel covers must have it; otherwise the result is 0 (no colour of the tests).
inline QRgb At(const QImage& rendered, QPoint logical) {
    const int ratio = qRound(rendered.devicePixelRatio());
    const QRgb first = rendered.pixel(logical * ratio);
    for (int dy = 0; dy < ratio; ++dy) {
        for (int dx = 0; dx < ratio; ++dx) {
            if (rendered.pixel(logical * ratio + QPoint(dx, dy)) != first) {
                return 0;
            }
        }
    }
    return first;
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint local, Qt::MouseButtons buttons,
                      Qt::MouseButton button = Qt::LeftButton) {
    const QPointF global = widget.mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), QPointF(local), global, button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// A mouse event whose global position is given, for moves of the window itself.
inline void SendMouseAt(QWidget& widget, QEvent::Type type, QPoint local, QPoint global,
                        Qt::MouseButtons buttons, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(local), QPointF(local), QPointF(global), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

inline void SendEnter(QWidget& widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&widget, &event);
}

inline void SendLeave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

// A skinned dialog whose controls a test places.
class TestDialog : public SkinnedDialog {
public:
    using SkinnedDialog::SkinnedDialog;
    std::function<void(TestDialog&)> place;
    int placements = 0;

protected:
    void PlaceControls() override {
        ++placements;
        if (place) {
            place(*this);
        }
    }
};

}  // namespace qf::ui::test
