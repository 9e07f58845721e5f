#include "ui/skin/picture_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QToolTip>
#include <algorithm>

namespace qf::ui {

namespace {

std::size_t Index(Look look) {
    return static_cast<std::size_t>(look);
}

}  // namespace

QImage CutFace(const QImage& picture, const QRect& area) {
    if (picture.isNull() || area.isEmpty()) {
        return {};
    }
    if (picture.rect().contains(area)) {
        return picture.copy(area);
    }
    // Partly or wholly outside the picture (an origin of -1, a control reaching past the
    // picture's edge): what lies outside stays transparent rather than wrapping or turning
    // black.
    QImage face(area.size(), QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    const QRect inside = picture.rect().intersected(area);
    if (!inside.isEmpty()) {
        QPainter painter(&face);
        painter.drawImage(inside.topLeft() - area.topLeft(), picture, inside);
    }
    return face;
}

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
}

PictureButton::~PictureButton() = default;

QSize PictureButton::sizeHint() const {
    return size();
}

void PictureButton::SetSkin(int originX, int originY, const StatePictures& pictures, bool redraw) {
    originX_ = originX;
    originY_ = originY;
    pictures_ = pictures;
    cutFromPictures_ = true;
    ClearPointerState();
    CutFaces();
    CutAlternatives();
    if (redraw) {
        update();
    }
}

void PictureButton::SetAltSkin(const SkinPicture& first, const SkinPicture& second,
                               bool useAlternative, int chooser, bool redraw) {
    alternatives_ = {first, second};
    useAlternative_ = useAlternative;
    chooser_ = chooser;
    ClearPointerState();
    CutAlternatives();
    if (redraw) {
        update();
    }
}

void PictureButton::SetStatePictures(const StatePictures& pictures, bool redraw) {
    pictures_ = pictures;
    cutFromPictures_ = true;
    CutFaces();
    if (redraw) {
        update();
    }
}

void PictureButton::SetOrigin(int originX, int originY, bool redraw) {
    if (originX != originX_ || originY != originY_) {
        originX_ = originX;
        originY_ = originY;
        CutFaces();
        CutAlternatives();
    }
    if (redraw) {
        update();
    }
}

void PictureButton::SetSelected(bool selected, bool redraw) {
    selected_ = selected;
    if (redraw) {
        update();
    }
}

void PictureButton::SetFrame(const QColor& colour, int percent, bool on) {
    frameColour_ = colour;
    framePercent_ = std::min(percent, 100);
    frame_ = on;
    update();
}

void PictureButton::SetCaptionStyle(bool on, int pointSize, const QString& face,
                                    const QColor& colour, Qt::Alignment alignment) {
    captionOn_ = on;
    captionPointSize_ = pointSize > 0 ? pointSize : kDefaultCaptionPointSize;
    captionFace_ = face;
    captionColour_ = colour;
    captionAlignment_ = alignment;
    update();
}

void PictureButton::SetCaptionAngle(int tenthsOfDegree, bool rotated) {
    captionAngle_ = tenthsOfDegree;
    captionRotated_ = rotated;
    update();
}

void PictureButton::SetTooltip(const QString& text, bool activate) {
    if (text.isEmpty()) {
        return;
    }
    tooltip_ = text;
    tooltipActive_ = activate;
    if (!activate && QToolTip::isVisible() && QToolTip::text() == tooltip_) {
        QToolTip::hideText();
    }
}

void PictureButton::SetDrawCallback(DrawCallback callback) {
    drawCallback_ = std::move(callback);
}

void PictureButton::SetFaces(const LookFaces& faces, bool redraw) {
    faces_ = faces;
    pictures_ = {};
    cutFromPictures_ = false;
    cutSize_ = size();
    if (redraw) {
        update();
    }
}

void PictureButton::CutFaces() {
    cutSize_ = size();
    if (!cutFromPictures_) {
        return;
    }
    const QRect area(originX_ - 1, originY_ - 1, width(), height());
    const std::array<const SkinPicture*, kLookCount> sources = {
        &pictures_.normal, &pictures_.hover, &pictures_.pressed, &pictures_.disabled,
        &pictures_.selected};
    for (std::size_t i = 0; i < kLookCount; ++i) {
        // States that use the same picture share one face.
        const auto same = std::find_if(sources.begin(), sources.begin() + static_cast<long>(i),
                                       [&](const SkinPicture* p) { return *p == *sources[i]; });
        if (same != sources.begin() + static_cast<long>(i)) {
            faces_[i] = faces_[static_cast<std::size_t>(same - sources.begin())];
        } else {
            faces_[i] = CutFace(sources[i]->Load(), area);
        }
    }
}

void PictureButton::CutAlternatives() {
    const QRect area(originX_ - 1, originY_ - 1, width(), height());
    for (std::size_t i = 0; i < alternatives_.size(); ++i) {
        alternativeFaces_[i] =
            alternatives_[i].isNull() ? QImage() : CutFace(alternatives_[i].Load(), area);
    }
}

void PictureButton::ClearPointerState() {
    hover_ = false;
    tracking_ = false;
    setDown(false);
}

Look PictureButton::ChosenLook() const {
    if (!isEnabled()) {
        return Look::Disabled;
    }
    if (isDown()) {
        return Look::Pressed;
    }
    if (hover_) {
        return Look::Hover;
    }
    if (selected_) {
        return Look::Selected;
    }
    return Look::Normal;
}

bool PictureButton::alternativeShown() const {
    return isEnabled() && useAlternative_;
}

QImage PictureButton::ChosenFace() const {
    if (alternativeShown()) {
        return alternativeFaces_[chooser_ == 0 ? 0 : 1];
    }
    return faces_[Index(ChosenLook())];
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (frame_) {
        painter.setPen(QPen(frameColour_, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(1, 1, width() - 2, height() - 2));
    } else {
        const QImage face = ChosenFace();
        if (!face.isNull()) {
            painter.drawImage(QPoint(0, 0), face);
        }
    }
    if (captionOn_ && !text().isEmpty()) {
        DrawCaption(painter);
    }
    painter.end();
    if (drawCallback_) {
        drawCallback_(*this, !alternativeShown() && ChosenLook() == Look::Normal);
    }
}

void PictureButton::DrawCaption(QPainter& painter) {
    QFont font(captionFace_);
    font.setPointSize(captionPointSize_);
    font.setWeight(captionRotated_ ? QFont::Black : QFont::Normal);
    painter.setFont(font);
    painter.setPen(captionColour_);
    if (captionAngle_ == 0) {
        painter.drawText(rect(), static_cast<int>(captionAlignment_) | Qt::TextSingleLine, text());
        return;
    }
    // A turned caption is centred by its own extent: turned about the button's centre.
    const QFontMetrics metrics(font);
    const QSize extent = metrics.size(Qt::TextSingleLine, text());
    painter.save();
    painter.translate(QRectF(rect()).center());
    painter.rotate(-captionAngle_ / 10.0);
    painter.drawText(
        QRectF(-extent.width() / 2.0, -extent.height() / 2.0, extent.width(), extent.height()),
        Qt::AlignCenter | Qt::TextSingleLine, text());
    painter.restore();
}

void PictureButton::StartHover() {
    tracking_ = true;
    hover_ = true;
    update();
    ShowTooltip();
}

void PictureButton::ShowTooltip() {
    if (tooltip_.isEmpty() || !tooltipActive_) {
        return;
    }
    QToolTip::showText(QCursor::pos(), tooltip_, this, rect(), kTooltipShowMs);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    StartHover();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hover_ = false;
    tracking_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
    // After a re-skin cleared the hover look under a resting pointer, the next move brings it
    // back, as entering would.
    if (!tracking_ && rect().contains(event->position().toPoint())) {
        StartHover();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void PictureButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    if (size() != cutSize_) {
        CutFaces();
        CutAlternatives();
    }
}

bool PictureButton::event(QEvent* event) {
    // The tooltip pops up when the pointer enters, not after the platform's wait; the wait's
    // own request shows the same text again if it was hidden meanwhile.
    if (event->type() == QEvent::ToolTip) {
        ShowTooltip();
        return true;
    }
    return QAbstractButton::event(event);
}

}  // namespace qf::ui
