#include "ui/lighting/panel_controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

namespace qf::ui {

namespace {

constexpr int kPlainThumbWidth = 11;
constexpr int kTrackHeight = 4;

}  // namespace

ThumbSlider::ThumbSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void ThumbSlider::SetThumb(const QImage& picture) {
    if (picture.cacheKey() != thumb_.cacheKey()) {
        thumb_ = picture;
        update();
    }
}

QSize ThumbSlider::ThumbSize() const {
    if (thumb_.isNull()) {
        return {kPlainThumbWidth, height()};
    }
    return thumb_.deviceIndependentSize().toSize();
}

int ThumbSlider::ThumbX(int position) const {
    const int span = std::max(0, width() - ThumbSize().width());
    return QStyle::sliderPositionFromValue(minimum(), maximum(), position, span);
}

int ThumbSlider::PositionAt(int thumbX) const {
    const int span = std::max(0, width() - ThumbSize().width());
    return QStyle::sliderValueFromPosition(minimum(), maximum(), std::clamp(thumbX, 0, span), span);
}

QRect ThumbSlider::ThumbRect() const {
    const QSize size = ThumbSize();
    return {ThumbX(sliderPosition()), (height() - size.height()) / 2, size.width(), size.height()};
}

void ThumbSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect thumb = ThumbRect();
    const int half = thumb.width() / 2;
    const QRect track(half, (height() - kTrackHeight) / 2, std::max(0, width() - 2 * half),
                      kTrackHeight);
    painter.fillRect(track, QColor(20, 20, 20));
    painter.setPen(QColor(110, 110, 110));
    painter.drawRect(track.adjusted(0, 0, -1, -1));
    if (thumb_.isNull()) {
        painter.fillRect(thumb, QColor(200, 200, 200));
        painter.setPen(QColor(60, 60, 60));
        painter.drawRect(thumb.adjusted(0, 0, -1, -1));
    } else {
        painter.drawImage(thumb.topLeft(), thumb_);
    }
    if (hasFocus()) {
        QPen pen(QColor(230, 230, 230), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ThumbSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || maximum() == minimum()) {
        event->ignore();
        return;
    }
    event->accept();
    const QRect thumb = ThumbRect();
    const int x = event->position().toPoint().x();
    if (thumb.contains(event->position().toPoint())) {
        grabOffset_ = x - thumb.x();
        setSliderDown(true);
    } else {
        triggerAction(x < thumb.x() ? SliderPageStepSub : SliderPageStepAdd);
    }
}

void ThumbSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    event->accept();
    setSliderPosition(PositionAt(event->position().toPoint().x() - grabOffset_));
}

void ThumbSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    setSliderDown(false);
}

QuietComboBox::QuietComboBox(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void QuietComboBox::wheelEvent(QWheelEvent* event) {
    // A closed list would change its entry on a scroll that was meant for the window; the open
    // list scrolls in its own view and never gets here.
    event->ignore();
}

void QuietComboBox::keyPressEvent(QKeyEvent* event) {
    if (swallowKeys_ && !event->modifiers().testFlag(Qt::AltModifier)) {
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                event->accept();
                return;
            default:
                break;
        }
    }
    QComboBox::keyPressEvent(event);
}

}  // namespace qf::ui
