#include "skin_painter.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "text/skin_keys.h"

namespace qf::skingen {

namespace {

// ---- Palette ------------------------------------------------------------------------------
// Dark panels, light legends that are never pure white (pure white is "outside" in a shape
// picture), one cyan accent for selected and assigned, amber for the second bank.

const QColor kOutside(0x0B, 0x0D, 0x10);
const QColor kBodyTop(0x1A, 0x1D, 0x22);
const QColor kBodyBottom(0x12, 0x14, 0x18);
const QColor kRule(0x26, 0x2B, 0x32);
const QColor kPlateTop(0x1D, 0x21, 0x27);
const QColor kPlateBottom(0x17, 0x1A, 0x1F);
const QColor kPlateBorder(0x2B, 0x30, 0x38);
const QColor kCard(0x1B, 0x1F, 0x25);
const QColor kCardBorder(0x2A, 0x30, 0x38);
const QColor kKeyEdge(0x0F, 0x11, 0x14);
const QColor kKeyTop(0x36, 0x3C, 0x45);
const QColor kKeyTopLow(0x2B, 0x30, 0x37);
const QColor kMacroTop(0x30, 0x3A, 0x48);
const QColor kMacroTopLow(0x27, 0x2F, 0x3B);
const QColor kLegend(0xDD, 0xE2, 0xE8);
const QColor kLegendBright(0xF0, 0xF3, 0xF5);
const QColor kLegendDim(0x8E, 0x98, 0xA4);
const QColor kLegendOff(0x4C, 0x54, 0x5E);
const QColor kAccent(0x2C, 0xC4, 0xE6);
const QColor kAccentDeep(0x17, 0x8E, 0xAD);
const QColor kAccentSoft(0x6A, 0xD6, 0xEF);
const QColor kAccentInk(0xF2, 0xFA, 0xFC);
const QColor kBankB(0xF2, 0xB1, 0x34);
const QColor kDanger(0xD9, 0x41, 0x4A);
const QColor kRecordRed(0xE5, 0x48, 0x4D);
const QColor kButtonTop(0x33, 0x3A, 0x44);
const QColor kButtonLow(0x2A, 0x30, 0x38);
const QColor kButtonBorder(0x3D, 0x45, 0x50);
const QColor kHoverTop(0x3D, 0x45, 0x50);
const QColor kHoverLow(0x34, 0x3B, 0x45);
const QColor kPressed(0x1A, 0x1E, 0x23);
const QColor kDisabledFill(0x1F, 0x23, 0x29);
const QColor kDisabledBorder(0x2A, 0x2F, 0x36);

const QString kLatinFamily = QStringLiteral("DejaVu Sans");
const QString kChineseFamily = QStringLiteral("WenQuanYi Micro Hei");

QFont Font(qreal pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies({kLatinFamily, kChineseFamily});
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setBold(bold);
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return font;
}

QRectF ToQt(const Rect& r) {
    return QRectF(r.x, r.y, r.w, r.h);
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void FillRounded(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                 const QColor& border = QColor(), qreal borderWidth = 1.0) {
    p.save();
    if (border.isValid()) {
        p.setPen(QPen(border, borderWidth));
        const qreal inset = borderWidth / 2;
        p.setBrush(fill);
        p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, radius, radius);
    }
    p.restore();
}

QLinearGradient Vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Draws text centred in a box, shrinking the font until it fits.
void DrawFittedText(QPainter& p, const QRectF& box, const QString& text, qreal pixelSize, bool bold,
                    const QColor& colour, Qt::Alignment align = Qt::AlignCenter) {
    QFont font = Font(pixelSize, bold);
    while (font.pixelSize() > 7 && QFontMetricsF(font).horizontalAdvance(text) > box.width() - 4) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, static_cast<int>(align | Qt::TextSingleLine), text);
    p.restore();
}

// ---- Icons --------------------------------------------------------------------------------

QPen IconPen(const QColor& colour, qreal width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void Arrowhead(QPainter& p, QPointF tip, qreal size, bool up) {
    const qreal dy = up ? size : -size;
    p.drawLine(tip, tip + QPointF(-size, dy));
    p.drawLine(tip, tip + QPointF(size, dy));
}

void DrawIcon(QPainter& p, Icon icon, const QRectF& box, const QColor& colour) {
    const qreal s = std::min(box.width(), box.height());
    const QPointF c = box.center();
    const qreal w = std::max(1.5, s / 9.0);
    p.save();
    p.setPen(IconPen(colour, w));
    p.setBrush(Qt::NoBrush);
    const qreal h = s / 2;  // half extent of the glyph
    switch (icon) {
        case Icon::None:
            break;
        case Icon::Menu:
            for (int i = -1; i <= 1; ++i) {
                p.drawLine(QPointF(c.x() - h * 0.8, c.y() + i * h * 0.55),
                           QPointF(c.x() + h * 0.8, c.y() + i * h * 0.55));
            }
            break;
        case Icon::Help: {
            p.drawEllipse(c, h * 0.85, h * 0.85);
            DrawFittedText(p, QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h), QStringLiteral("?"),
                           s * 0.62, true, colour);
            break;
        }
        case Icon::Minimise:
            p.drawLine(QPointF(c.x() - h * 0.7, c.y() + h * 0.35),
                       QPointF(c.x() + h * 0.7, c.y() + h * 0.35));
            break;
        case Icon::Close:
        case Icon::Cross:
            p.drawLine(QPointF(c.x() - h * 0.6, c.y() - h * 0.6),
                       QPointF(c.x() + h * 0.6, c.y() + h * 0.6));
            p.drawLine(QPointF(c.x() + h * 0.6, c.y() - h * 0.6),
                       QPointF(c.x() - h * 0.6, c.y() + h * 0.6));
            break;
        case Icon::Swap: {
            const qreal x1 = c.x() - h * 0.4;
            const qreal x2 = c.x() + h * 0.4;
            p.drawLine(QPointF(x1, c.y() + h * 0.75), QPointF(x1, c.y() - h * 0.75));
            Arrowhead(p, QPointF(x1, c.y() - h * 0.75), h * 0.35, true);
            p.drawLine(QPointF(x2, c.y() - h * 0.75), QPointF(x2, c.y() + h * 0.75));
            Arrowhead(p, QPointF(x2, c.y() + h * 0.75), h * 0.35, false);
            break;
        }
        case Icon::Plus:
            p.drawLine(QPointF(c.x() - h * 0.6, c.y()), QPointF(c.x() + h * 0.6, c.y()));
            p.drawLine(QPointF(c.x(), c.y() - h * 0.6), QPointF(c.x(), c.y() + h * 0.6));
            break;
        case Icon::Minus:
            p.drawLine(QPointF(c.x() - h * 0.6, c.y()), QPointF(c.x() + h * 0.6, c.y()));
            break;
        case Icon::Trash: {
            const qreal top = c.y() - h * 0.55;
            p.drawLine(QPointF(c.x() - h * 0.7, top), QPointF(c.x() + h * 0.7, top));
            p.drawLine(QPointF(c.x() - h * 0.22, top - h * 0.2),
                       QPointF(c.x() + h * 0.22, top - h * 0.2));
            QPainterPath bin;
            bin.moveTo(c.x() - h * 0.5, top + h * 0.12);
            bin.lineTo(c.x() - h * 0.4, c.y() + h * 0.75);
            bin.lineTo(c.x() + h * 0.4, c.y() + h * 0.75);
            bin.lineTo(c.x() + h * 0.5, top + h * 0.12);
            p.drawPath(bin);
            p.drawLine(QPointF(c.x(), top + h * 0.35), QPointF(c.x(), c.y() + h * 0.5));
            break;
        }
        case Icon::Top:
        case Icon::Bottom: {
            const bool up = icon == Icon::Top;
            const qreal bar = up ? c.y() - h * 0.7 : c.y() + h * 0.7;
            p.drawLine(QPointF(c.x() - h * 0.6, bar), QPointF(c.x() + h * 0.6, bar));
            const QPointF tip(c.x(), up ? c.y() - h * 0.3 : c.y() + h * 0.3);
            p.drawLine(tip, QPointF(c.x(), up ? c.y() + h * 0.75 : c.y() - h * 0.75));
            Arrowhead(p, tip, h * 0.42, up);
            break;
        }
        case Icon::Up:
        case Icon::Down: {
            const bool up = icon == Icon::Up;
            const QPointF tip(c.x(), up ? c.y() - h * 0.65 : c.y() + h * 0.65);
            p.drawLine(tip, QPointF(c.x(), up ? c.y() + h * 0.65 : c.y() - h * 0.65));
            Arrowhead(p, tip, h * 0.42, up);
            break;
        }
        case Icon::Record:
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(c, h * 0.5, h * 0.5);
            break;
        case Icon::Restore: {
            const QRectF arc(c.x() - h * 0.62, c.y() - h * 0.62, h * 1.24, h * 1.24);
            p.drawArc(arc, 100 * 16, 290 * 16);
            // The arrowhead at the arc's start, pointing along it.
            const qreal a = 100.0 * M_PI / 180.0;
            const QPointF start(c.x() + h * 0.62 * std::cos(a), c.y() - h * 0.62 * std::sin(a));
            p.drawLine(start, start + QPointF(h * 0.42, -h * 0.12));
            p.drawLine(start, start + QPointF(h * 0.12, h * 0.4));
            break;
        }
        case Icon::Keyboard: {
            const QRectF body(c.x() - h * 0.85, c.y() - h * 0.5, h * 1.7, h * 1.0);
            p.setPen(IconPen(colour, w * 0.85));
            p.drawRoundedRect(body, h * 0.15, h * 0.15);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            const qreal dot = std::max(1.2, h * 0.14);
            for (int row = 0; row < 2; ++row) {
                for (int col = 0; col < 5; ++col) {
                    p.drawRect(QRectF(body.left() + h * 0.25 + col * h * 0.3 - dot / 2,
                                      body.top() + h * 0.22 + row * h * 0.25 - dot / 2, dot, dot));
                }
            }
            p.drawRect(QRectF(c.x() - h * 0.45, body.bottom() - h * 0.3, h * 0.9, dot));
            break;
        }
        case Icon::Check:
            p.drawLine(QPointF(c.x() - h * 0.6, c.y()),
                       QPointF(c.x() - h * 0.15, c.y() + h * 0.45));
            p.drawLine(QPointF(c.x() - h * 0.15, c.y() + h * 0.45),
                       QPointF(c.x() + h * 0.65, c.y() - h * 0.5));
            break;
        case Icon::Apply:
            p.drawEllipse(c, h * 0.8, h * 0.8);
            p.drawLine(QPointF(c.x() - h * 0.38, c.y() + h * 0.02),
                       QPointF(c.x() - h * 0.08, c.y() + h * 0.32));
            p.drawLine(QPointF(c.x() - h * 0.08, c.y() + h * 0.32),
                       QPointF(c.x() + h * 0.42, c.y() - h * 0.3));
            break;
        case Icon::NewFile: {
            QPainterPath page;
            page.moveTo(c.x() - h * 0.55, c.y() - h * 0.8);
            page.lineTo(c.x() + h * 0.2, c.y() - h * 0.8);
            page.lineTo(c.x() + h * 0.55, c.y() - h * 0.45);
            page.lineTo(c.x() + h * 0.55, c.y() + h * 0.8);
            page.lineTo(c.x() - h * 0.55, c.y() + h * 0.8);
            page.closeSubpath();
            p.drawPath(page);
            p.drawLine(QPointF(c.x() - h * 0.25, c.y() + h * 0.15),
                       QPointF(c.x() + h * 0.25, c.y() + h * 0.15));
            p.drawLine(QPointF(c.x(), c.y() - h * 0.1), QPointF(c.x(), c.y() + h * 0.4));
            break;
        }
        case Icon::Folder: {
            QPainterPath folder;
            folder.moveTo(c.x() - h * 0.85, c.y() + h * 0.65);
            folder.lineTo(c.x() - h * 0.85, c.y() - h * 0.6);
            folder.lineTo(c.x() - h * 0.3, c.y() - h * 0.6);
            folder.lineTo(c.x() - h * 0.15, c.y() - h * 0.4);
            folder.lineTo(c.x() + h * 0.85, c.y() - h * 0.4);
            folder.lineTo(c.x() + h * 0.85, c.y() + h * 0.65);
            folder.closeSubpath();
            p.drawPath(folder);
            p.drawLine(QPointF(c.x() - h * 0.85, c.y() - h * 0.15),
                       QPointF(c.x() + h * 0.85, c.y() - h * 0.15));
            break;
        }
        case Icon::Macro: {
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(c.x() - h * 0.55, c.y()), h * 0.25, h * 0.25);
            p.setPen(IconPen(colour, w));
            for (int i = -1; i <= 1; ++i) {
                p.drawLine(QPointF(c.x() - h * 0.1, c.y() + i * h * 0.45),
                           QPointF(c.x() + h * 0.75, c.y() + i * h * 0.45));
            }
            break;
        }
        case Icon::Media: {
            p.drawLine(QPointF(c.x() + h * 0.15, c.y() + h * 0.45),
                       QPointF(c.x() + h * 0.15, c.y() - h * 0.75));
            p.drawLine(QPointF(c.x() + h * 0.15, c.y() - h * 0.75),
                       QPointF(c.x() + h * 0.6, c.y() - h * 0.45));
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QPointF(c.x() - h * 0.12, c.y() + h * 0.5), h * 0.3, h * 0.24);
            break;
        }
        case Icon::Bulb: {
            p.drawEllipse(QPointF(c.x(), c.y() - h * 0.2), h * 0.55, h * 0.55);
            p.drawLine(QPointF(c.x() - h * 0.28, c.y() + h * 0.55),
                       QPointF(c.x() + h * 0.28, c.y() + h * 0.55));
            p.drawLine(QPointF(c.x() - h * 0.2, c.y() + h * 0.82),
                       QPointF(c.x() + h * 0.2, c.y() + h * 0.82));
            break;
        }
        case Icon::Function:
            DrawFittedText(p, QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h), QStringLiteral("\u0192"),
                           s * 0.8, true, colour);
            break;
    }
    p.restore();
}

// ---- Faces --------------------------------------------------------------------------------

struct KeyColours {
    QColor top;
    QColor low;
    QColor legend;
    QColor shifted;
    QColor outline;  // invalid for none
};

KeyColours KeycapColours(FaceState state, bool macro) {
    const QColor top = macro ? kMacroTop : kKeyTop;
    const QColor low = macro ? kMacroTopLow : kKeyTopLow;
    switch (state) {
        case FaceState::Hover:
            return {top.lighter(122), low.lighter(122), kLegendBright, kLegend, kAccentSoft};
        case FaceState::Pressed:
            return {kPressed, kPressed.darker(110), kAccentSoft, kAccentDeep, kAccentDeep};
        case FaceState::Selected:
            return {kAccent, kAccentDeep, kAccentInk, kAccentInk, kAccentSoft};
        case FaceState::Disabled:
            return {low, low, kLegendOff, kLegendOff, QColor()};
        case FaceState::Normal:
            break;
    }
    return {top, low, kLegend, kLegendDim, QColor()};
}

// The colour a key shows in a colour display, or an invalid colour for none.
QColor DisplayColour(const Control& c, ColourDisplay colours) {
    static const std::array<QColor, 7> zoneColours = {
        QColor(),
        QColor(0xFF, 0x4D, 0x5E),
        QColor(0xFF, 0x9F, 0x1C),
        QColor(0xFF, 0xE0, 0x4A),
        QColor(0x3D, 0xDC, 0x84),
        QColor(0x2C, 0xC4, 0xE6),
        QColor(0x8B, 0x6C, 0xFF),
    };
    switch (colours) {
        case ColourDisplay::None:
            return {};
        case ColourDisplay::Zones:
            return c.zone >= 1 && c.zone <= 6 ? zoneColours[static_cast<std::size_t>(c.zone)]
                                              : QColor();
        case ColourDisplay::Spectrum: {
            const qreal t =
                std::clamp((c.rect.x + c.rect.w / 2.0 - kMainPlate.x) / kMainPlate.w, 0.0, 1.0);
            return QColor::fromHsvF(static_cast<float>(t * 0.83), 0.75f, 1.0f);
        }
    }
    return {};
}

void DrawKeycap(QPainter& p, const Control& c, FaceState state, const QColor& glow) {
    const QRectF r = ToQt(c.rect);
    const bool macro = c.look == Look::MacroKey;
    KeyColours k = KeycapColours(state, macro);
    if (glow.isValid()) {
        k.top = Mix(k.top, glow, 0.55);
        k.low = Mix(k.low, glow, 0.45);
        k.outline = glow.lighter(115);
    }
    // The cap's skirt, then its top; a pressed cap sits lower and shows no skirt below.
    FillRounded(p, r, 5, kKeyEdge);
    const bool down = state == FaceState::Pressed;
    const QRectF top = down ? r.adjusted(1.5, 2.5, -1.5, -1.5) : r.adjusted(1.5, 1, -1.5, -3.5);
    FillRounded(p, top, 4, Vertical(top, k.top, k.low));
    if (!down) {
        p.save();
        p.setPen(QPen(k.top.lighter(118), 1));
        p.drawLine(QPointF(top.left() + 4, top.top() + 0.5),
                   QPointF(top.right() - 4, top.top() + 0.5));
        p.restore();
    }
    if (k.outline.isValid()) {
        FillRounded(p, top, 4, Qt::NoBrush, k.outline, 1.2);
    }

    const QString legend = QString::fromUtf8(c.legend.c_str());
    const QString shifted = QString::fromUtf8(c.legend2.c_str());
    if (macro) {
        // A small mark names the G key; the program writes the bank label in the middle.
        DrawFittedText(p, QRectF(top.left() + 3, top.top() + 1, 18, 10), legend, 8, false,
                       k.shifted, Qt::AlignLeft | Qt::AlignTop);
        return;
    }
    if (legend.isEmpty()) {
        return;
    }
    if (!shifted.isEmpty()) {
        const qreal half = top.height() / 2;
        DrawFittedText(p, QRectF(top.left(), top.top() + 1, top.width(), half), shifted, 10, false,
                       k.shifted);
        DrawFittedText(p, QRectF(top.left(), top.top() + half - 2, top.width(), half), legend, 12,
                       true, k.legend);
        return;
    }
    const bool single = legend.size() == 1;
    DrawFittedText(p, top, legend, single ? 13 : 10, single, k.legend);
}

void DrawButton(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    switch (state) {
        case FaceState::Normal:
            FillRounded(p, r, 6, Vertical(r, kButtonTop, kButtonLow), kButtonBorder);
            break;
        case FaceState::Hover:
            FillRounded(p, r, 6, Vertical(r, kHoverTop, kHoverLow), kAccentSoft);
            break;
        case FaceState::Pressed:
            FillRounded(p, r, 6, kPressed, kAccentDeep);
            p.save();
            p.setPen(QPen(QColor(0, 0, 0, 90), 2));
            p.drawLine(QPointF(r.left() + 5, r.top() + 2), QPointF(r.right() - 5, r.top() + 2));
            p.restore();
            break;
        case FaceState::Selected:
            FillRounded(p, r, 6, Vertical(r, kAccent, kAccentDeep), kAccentSoft);
            break;
        case FaceState::Disabled:
            FillRounded(p, r, 6, kDisabledFill, kDisabledBorder);
            break;
    }
    if (c.icon == Icon::Record) {
        const QColor red =
            state == FaceState::Disabled ? Mix(kRecordRed, kDisabledFill, 0.6) : kRecordRed;
        DrawIcon(p, Icon::Record, QRectF(r.left() + 6, r.top() + (r.height() - 14) / 2, 14, 14),
                 red);
    }
}

QColor IconColour(FaceState state) {
    switch (state) {
        case FaceState::Hover:
            return kLegendBright;
        case FaceState::Pressed:
            return kAccentSoft;
        case FaceState::Selected:
            return kAccentInk;
        case FaceState::Disabled:
            return kLegendOff;
        case FaceState::Normal:
            break;
    }
    return kLegend;
}

void DrawIconButton(QPainter& p, const Control& c, FaceState state) {
    Control frame = c;
    frame.icon = Icon::None;
    DrawButton(p, frame, state);
    const QRectF r = ToQt(c.rect);
    const qreal s = std::min(r.width(), r.height()) * 0.62;
    DrawIcon(p, c.icon, QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s),
             IconColour(state));
}

void DrawHeaderIcon(QPainter& p, const Control& c, FaceState state, bool danger) {
    const QRectF r = ToQt(c.rect);
    QColor icon = kLegendDim;
    if (state == FaceState::Hover) {
        FillRounded(p, r, 6, danger ? kDanger : QColor(0x2E, 0x34, 0x3C));
        icon = kLegendBright;
    } else if (state == FaceState::Pressed) {
        FillRounded(p, r, 6, danger ? kDanger.darker(140) : QColor(0x0E, 0x10, 0x13),
                    danger ? kDanger : kAccentDeep);
        icon = danger ? kLegend : kAccentSoft;
    }
    const qreal s = 14;
    DrawIcon(p, c.icon, QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s), icon);
}

void DrawRateButton(QPainter& p, const Control& c, FaceState state) {
    DrawButton(p, c, state);
    const QColor ink = state == FaceState::Selected   ? kAccentInk
                       : state == FaceState::Pressed  ? kAccentSoft
                       : state == FaceState::Hover    ? kLegendBright
                       : state == FaceState::Disabled ? kLegendOff
                                                      : kLegend;
    DrawFittedText(p, ToQt(c.rect), QString::fromUtf8(c.legend.c_str()), 11, true, ink);
}

void DrawQuill(QPainter& p, const QRectF& box, const QColor& colour) {
    const qreal s = box.height();
    const QPointF o = box.topLeft();
    auto at = [&](qreal x, qreal y) { return o + QPointF(x * s / 24.0, y * s / 24.0); };
    QPainterPath feather;
    feather.moveTo(at(4, 21));
    feather.cubicTo(at(6, 12), at(12, 5), at(22, 2));
    feather.cubicTo(at(20, 10), at(14, 17), at(6, 19));
    feather.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    QLinearGradient g(at(4, 21), at(22, 2));
    g.setColorAt(0, colour.darker(135));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.drawPath(feather);
    p.setPen(IconPen(kBodyBottom, 1.2));
    p.drawLine(at(5, 20), at(17, 7));
    p.setPen(IconPen(colour.darker(120), 1.6));
    p.drawLine(at(4, 21), at(2, 23));
    p.restore();
}

void DrawWordmark(QPainter& p, const QRectF& box, qreal pixelSize, const QColor& colour) {
    QFont font = Font(pixelSize, true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize * 0.14);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QStringLiteral("QUILLFEN"));
    p.restore();
}

void DrawLink(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    QColor quill = kAccent;
    QColor word = kLegend;
    if (state == FaceState::Hover) {
        quill = kAccentSoft;
        word = kLegendBright;
        FillRounded(p, r, 6, QColor(0x22, 0x27, 0x2E));
    } else if (state == FaceState::Pressed) {
        quill = kAccentDeep;
        word = kAccentSoft;
        FillRounded(p, r, 6, kPressed);
    }
    DrawQuill(p, QRectF(r.left() + 4, r.top() + 3, 24, 24), quill);
    DrawWordmark(p, QRectF(r.left() + 32, r.top(), r.width() - 34, r.height()), 15, word);
}

void DrawProfileField(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    const qreal radius = r.height() / 2;
    QColor border = QColor(0x34, 0x3B, 0x44);
    QColor fill = QColor(0x1F, 0x23, 0x29);
    QColor ink = kLegendDim;
    if (state == FaceState::Hover) {
        border = kAccentSoft;
        fill = QColor(0x26, 0x2B, 0x32);
        ink = kAccentSoft;
    } else if (state == FaceState::Pressed) {
        border = kAccentDeep;
        fill = kPressed;
        ink = kAccent;
    }
    FillRounded(p, r, radius, fill, border);
    // A stack of layers at the left, a chevron at the right; the name goes between them.
    p.save();
    p.setPen(IconPen(ink, 1.5));
    const qreal cx = r.left() + 17;
    const qreal cy = r.center().y();
    for (int i = 0; i < 2; ++i) {
        const qreal y = cy - 2.5 + i * 5;
        QPolygonF layer(
            {QPointF(cx - 6, y), QPointF(cx, y - 3.5), QPointF(cx + 6, y), QPointF(cx, y + 3.5)});
        p.drawPolygon(layer);
    }
    const qreal vx = r.right() - 17;
    p.drawLine(QPointF(vx - 4, cy - 2), QPointF(vx, cy + 2));
    p.drawLine(QPointF(vx, cy + 2), QPointF(vx + 4, cy - 2));
    p.restore();
}

void DrawVersion(QPainter& p, const Control& c) {
    const QRectF r = ToQt(c.rect);
    FillRounded(p, r, r.height() / 2, QColor(0x1C, 0x20, 0x25), QColor(0x2A, 0x2F, 0x36));
}

void DrawIndicator(QPainter& p, const Control& c, FaceState state, bool bank) {
    const QRectF r = ToQt(c.rect);
    FillRounded(p, r, 5, QColor(0x14, 0x17, 0x1B), QColor(0x2C, 0x32, 0x3A));
    QColor dot = QColor(0x2C, 0x32, 0x3A);
    QColor ink = kLegendDim;
    QString glyph = QString::fromUtf8(c.legend.c_str());
    if (bank) {
        const bool b = state == FaceState::Selected;
        dot = b ? kBankB : kAccent;
        ink = b ? kBankB : kAccentSoft;
        glyph = b ? QStringLiteral("B") : QStringLiteral("A");
    }
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(dot);
    p.drawEllipse(QPointF(r.left() + 8, r.center().y()), 2.6, 2.6);
    p.restore();
    DrawFittedText(p, QRectF(r.left() + 12, r.top(), r.width() - 14, r.height()), glyph, 11, true,
                   ink);
}

void DrawLamp(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    const QPointF centre = r.center();
    const qreal radius = r.width() / 2 - 1;
    p.save();
    p.setPen(QPen(QColor(0x0F, 0x11, 0x14), 1));
    if (state == FaceState::Selected) {
        QRadialGradient g(centre, radius);
        g.setColorAt(0, kAccentSoft);
        g.setColorAt(0.7, kAccent);
        g.setColorAt(1, kAccentDeep);
        p.setBrush(g);
    } else {
        p.setBrush(QColor(0x2A, 0x2F, 0x36));
    }
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void DrawTab(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    QColor icon = kLegendDim;
    switch (state) {
        case FaceState::Normal:
            break;
        case FaceState::Hover:
            FillRounded(p, r, 7, QColor(0x2A, 0x30, 0x38));
            icon = kLegendBright;
            break;
        case FaceState::Pressed:
        case FaceState::Selected:
            FillRounded(p, r, 7, Vertical(r, kAccentDeep, kAccentDeep.darker(125)));
            FillRounded(p, QRectF(r.left(), r.top() + 5, 3, r.height() - 10), 1.5, kAccentSoft);
            icon = kAccentInk;
            break;
        case FaceState::Disabled:
            // Sunk and quiet: the page cannot be chosen.
            FillRounded(p, r, 7, QColor(0x12, 0x14, 0x17), QColor(0x22, 0x26, 0x2C));
            icon = kLegendOff;
            break;
    }
    DrawIcon(p, c.icon, QRectF(r.left() + 10, r.center().y() - 8, 16, 16), icon);
}

void DrawTitle(QPainter& p, const Control& c) {
    const QRectF r = ToQt(c.rect);
    DrawQuill(p, QRectF(r.left() + 2, r.top() + 3, 24, 24), kAccent);
    DrawWordmark(p, QRectF(r.left() + 32, r.top(), 120, r.height()), 14, kLegend);
    DrawIcon(p, Icon::Keyboard, QRectF(r.left() + 150, r.top() + 7, 18, 18), kLegendDim);
}

void DrawLabelButton(QPainter& p, const Control& c, FaceState state) {
    const QRectF r = ToQt(c.rect);
    QColor ink = kLegend;
    QColor second = kLegendDim;
    QColor icon = kAccentSoft;
    switch (state) {
        case FaceState::Hover:
            FillRounded(p, r, 6, Vertical(r, kHoverTop, kHoverLow), kAccentSoft);
            ink = kLegendBright;
            second = kLegend;
            icon = kAccentSoft;
            break;
        case FaceState::Pressed:
        case FaceState::Disabled:
            // Pressed is also the disabled look: sunk and quiet.
            FillRounded(p, r, 6, QColor(0x19, 0x1C, 0x21), QColor(0x25, 0x2A, 0x30));
            ink = QColor(0x66, 0x6E, 0x78);
            second = QColor(0x50, 0x57, 0x60);
            icon = ink;
            break;
        case FaceState::Selected:
        case FaceState::Normal:
            FillRounded(p, r, 6, Vertical(r, kButtonTop, kButtonLow), kButtonBorder);
            break;
    }
    DrawIcon(p, c.icon, QRectF(r.left() + 8, r.center().y() - 8, 16, 16), icon);
    const QRectF text(r.left() + 28, r.top(), r.width() - 30, r.height());
    const QString english = QString::fromUtf8(c.legend.c_str());
    const QString chinese = QString::fromUtf8(c.legend2.c_str());
    if (r.height() >= 38) {
        DrawFittedText(p, QRectF(text.left(), text.top() + 3, text.width(), text.height() / 2 - 2),
                       english, 12, true, ink);
        DrawFittedText(
            p, QRectF(text.left(), text.center().y() - 1, text.width(), text.height() / 2 - 2),
            chinese, 12, false, second);
    } else {
        // Both labels on one line, smaller together until they fit.
        qreal size = 12;
        qreal w1 = 0;
        qreal w2 = 0;
        for (;; size -= 1) {
            w1 = QFontMetricsF(Font(size, true)).horizontalAdvance(english);
            w2 = QFontMetricsF(Font(size, false)).horizontalAdvance(chinese);
            if (w1 + 5 + w2 <= text.width() - 4 || size <= 8) {
                break;
            }
        }
        const qreal x = text.left() + std::max(0.0, (text.width() - w1 - 5 - w2) / 2);
        DrawFittedText(p, QRectF(x, text.top(), w1 + 4, text.height()), english, size, true, ink,
                       Qt::AlignLeft | Qt::AlignVCenter);
        DrawFittedText(p, QRectF(x + w1 + 5, text.top(), w2 + 4, text.height()), chinese, size,
                       false, second, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void DrawFace(QPainter& p, const Control& c, FaceState state, ColourDisplay colours) {
    switch (c.look) {
        case Look::Blank:
            break;
        case Look::Keycap:
        case Look::MacroKey:
            DrawKeycap(p, c, state, DisplayColour(c, colours));
            break;
        case Look::Button:
            DrawButton(p, c, state);
            break;
        case Look::IconButton:
            DrawIconButton(p, c, state);
            break;
        case Look::HeaderIcon:
            DrawHeaderIcon(p, c, state, false);
            break;
        case Look::CloseButton:
            DrawHeaderIcon(p, c, state, true);
            break;
        case Look::RateButton:
            DrawRateButton(p, c, state);
            break;
        case Look::Link:
            DrawLink(p, c, state);
            break;
        case Look::Version:
            DrawVersion(p, c);
            break;
        case Look::ProfileField:
            DrawProfileField(p, c, state);
            break;
        case Look::Indicator:
            DrawIndicator(p, c, state, false);
            break;
        case Look::BankIndicator:
            DrawIndicator(p, c, state, true);
            break;
        case Look::Lamp:
            DrawLamp(p, c, state);
            break;
        case Look::Tab:
            DrawTab(p, c, state);
            break;
        case Look::Title:
            DrawTitle(p, c);
            break;
        case Look::LabelButton:
            DrawLabelButton(p, c, state);
            break;
    }
}

// ---- Chrome -------------------------------------------------------------------------------

constexpr qreal kWindowRadius = 12;

void DrawBody(QPainter& p, int width, int height, int headerHeight) {
    const QRectF r(0, 0, width, height);
    FillRounded(p, r, kWindowRadius, Vertical(r, kBodyTop, kBodyBottom), QColor(0x30, 0x36, 0x3E));
    p.save();
    p.setPen(QPen(kRule, 1));
    p.drawLine(QPointF(14, headerHeight + 0.5), QPointF(width - 14, headerHeight + 0.5));
    p.restore();
}

void DrawCard(QPainter& p, const Rect& rect, qreal radius = 10) {
    FillRounded(p, ToQt(rect), radius, kCard, kCardBorder);
}

void DrawMainChrome(QPainter& p) {
    DrawBody(p, kMainWidth, kMainHeight, 48);
    const QRectF plate = ToQt(kMainPlate);
    FillRounded(p, plate, 10, Vertical(plate, kPlateTop, kPlateBottom), kPlateBorder);
    DrawCard(p, kLightingCard);
    DrawIcon(p, Icon::Bulb, QRectF(kLightingCard.right() - 38, kLightingCard.y + 14, 22, 22),
             QColor(0x3A, 0x42, 0x4C));
    DrawCard(p, kProfileCard);
    p.save();
    p.setPen(QPen(kRule, 1));
    const qreal y = kProfileCard.bottom() - 56.5;
    p.drawLine(QPointF(kProfileCard.x + 16, y), QPointF(kProfileCard.right() - 16, y));
    p.restore();
}

void DrawCompositePage(QPainter& p, Page page) {
    DrawCard(p, kCompositePage);
    const QRectF r = ToQt(kCompositePage);
    switch (page) {
        case Page::Key: {
            // A frame around the key field, the keyboard above it.
            const QRectF field(r.left() + 50, r.top() + 138, 300, 36);
            QPen dashed(kAccentDeep, 1.2, Qt::DashLine);
            p.save();
            p.setPen(dashed);
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(field.adjusted(-14, -14, 14, 14), 10, 10);
            p.restore();
            DrawIcon(p, Icon::Keyboard, QRectF(r.center().x() - 26, r.top() + 56, 52, 52),
                     QColor(0x3A, 0x42, 0x4C));
            break;
        }
        case Page::Macro: {
            p.save();
            p.setPen(QPen(kRule, 1));
            const qreal x = r.left() + 270.5;
            p.drawLine(QPointF(x, r.top() + 48), QPointF(x, r.bottom() - 12));
            p.restore();
            break;
        }
        case Page::Media:
        case Page::Function:
        case Page::None:
            break;
    }
}

void DrawCompositeChrome(QPainter& p, Page page) {
    DrawBody(p, kCompositeWidth, kCompositeHeight, 44);
    DrawCard(p, kCompositeSidebar);
    DrawCompositePage(p, page);
    p.save();
    p.setPen(QPen(kRule, 1));
    const qreal y = kCompositeHeight - 48.5;
    p.drawLine(QPointF(14, y), QPointF(kCompositeWidth - 14, y));
    p.restore();
}

void DrawProfileChrome(QPainter& p) {
    DrawBody(p, kProfileWidth, kProfileHeight, 44);
    DrawQuill(p, QRectF(18, 10, 24, 24), kAccent);
    DrawFittedText(p, QRectF(48, 8, 100, 28), QStringLiteral("Profiles"), 15, true, kLegend,
                   Qt::AlignLeft | Qt::AlignVCenter);
    DrawFittedText(p, QRectF(130, 8, 120, 28), QStringLiteral("\u914D\u7F6E\u6587\u4EF6"), 14,
                   false, kLegendDim, Qt::AlignLeft | Qt::AlignVCenter);
    // A frame around the profile list.
    FillRounded(p, QRectF(12, 48, 440, 252), 8, kCard, kCardBorder);
}

void DrawChrome(QPainter& p, DialogKind kind, Page page) {
    switch (kind) {
        case DialogKind::Main:
            DrawMainChrome(p);
            break;
        case DialogKind::Composite:
            DrawCompositeChrome(p, page == Page::None ? Page::Key : page);
            break;
        case DialogKind::Profile:
            DrawProfileChrome(p);
            break;
    }
}

QImage Scene(const DialogSpec& dialog, DialogKind kind, Picture picture, Page page,
             ColourDisplay colours, bool background) {
    QImage image(dialog.width, dialog.height, QImage::Format_RGB32);
    image.fill(kOutside);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawChrome(p, kind, page);
    const Page shownPage = page == Page::None ? Page::Key : page;
    for (const Control& c : dialog.controls) {
        if (c.page != Page::None && c.page != shownPage) {
            continue;
        }
        if (background && !c.inBackground) {
            continue;
        }
        const FaceState state = c.states[static_cast<std::size_t>(picture)];
        DrawFace(p, c, state, colours);
    }
    p.end();
    return image;
}

}  // namespace

bool LoadSkinFonts(QString& missing) {
    const char* files[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
        "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    };
    bool all = true;
    for (const char* file : files) {
        if (!QFile::exists(QString::fromUtf8(file)) ||
            QFontDatabase::addApplicationFont(QString::fromUtf8(file)) < 0) {
            missing = QString::fromUtf8(file);
            all = false;
        }
    }
    return all;
}

QImage StatePicture(const DialogSpec& dialog, DialogKind kind, Picture picture, Page page,
                    ColourDisplay colours) {
    const QImage scene = Scene(dialog, kind, picture, page, colours, false);
    QImage shifted(scene.size(), QImage::Format_RGB32);
    shifted.fill(kOutside);
    QPainter p(&shifted);
    p.drawImage(QPointF(-1, -1), scene);
    p.end();
    return shifted;
}

QImage BackgroundPicture(const DialogSpec& dialog, DialogKind kind) {
    return Scene(dialog, kind, Picture::Normal, Page::None, ColourDisplay::None, true);
}

QImage ShapePicture(const DialogSpec& dialog) {
    QImage image(dialog.width, dialog.height, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x10, 0x10));
    p.drawRoundedRect(QRectF(0, 0, dialog.width, dialog.height), kWindowRadius, kWindowRadius);
    p.end();
    return image;
}

QImage ArrowPicture(const DialogSpec& mainDialog) {
    const QImage background = BackgroundPicture(mainDialog, DialogKind::Main);
    const Rect size = ArrowPictureSize();
    QImage image(size.w, size.h, QImage::Format_RGB32);
    image.fill(kPlateTop);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const Rect left = FindControl(mainDialog, text::skin::LEFT_ARROW).rect;
    const Rect right = FindControl(mainDialog, text::skin::RIGHT_ARROW).rect;
    for (const ArrowFace& face : ArrowFaces()) {
        const Rect place = face.left ? left : right;
        // The face shows the window beneath the arrow, so it sits seamlessly over the plate.
        const QRectF target(face.rect.x - 1, face.rect.y - 1, face.rect.w, face.rect.h);
        p.drawImage(target, background, ToQt(place));
        const QColor ink = face.highlighted ? kAccentSoft : kLegendDim;
        const QPointF c = target.center();
        p.setPen(IconPen(ink, 2));
        const qreal dy = face.up ? -3 : 3;
        p.drawLine(QPointF(c.x() - 4, c.y() - dy), QPointF(c.x(), c.y() + dy));
        p.drawLine(QPointF(c.x(), c.y() + dy), QPointF(c.x() + 4, c.y() - dy));
    }
    p.end();
    return image;
}

QImage PanelBitmap(const PanelBitmapSpec& picture) {
    QImage image(picture.w, picture.h, QImage::Format_RGB32);
    image.fill(kCard);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, picture.w - 1, picture.h - 1);
    const bool on = picture.selected;
    auto segment = [&]() {
        if (on) {
            FillRounded(p, r, 6, Vertical(r, kAccent, kAccentDeep), kAccentSoft);
        } else {
            FillRounded(p, r, 6, Vertical(r, kButtonTop, kButtonLow), kButtonBorder);
        }
    };
    const QColor ink = on ? kAccentInk : kLegend;
    const QPointF c = r.center();
    p.setPen(IconPen(ink, 2));
    switch (picture.art) {
        case PanelArt::SwitchOff:
        case PanelArt::SwitchOn: {
            const bool lit = picture.art == PanelArt::SwitchOn;
            const qreal radius = r.height() / 2;
            if (lit) {
                FillRounded(p, r, radius, Vertical(r, kAccent, kAccentDeep), kAccentSoft);
            } else {
                FillRounded(p, r, radius, QColor(0x2A, 0x30, 0x38), kButtonBorder);
            }
            const qreal knob = radius - 3;
            const QPointF at(lit ? r.right() - radius : r.left() + radius, c.y());
            p.setPen(Qt::NoPen);
            p.setBrush(lit ? kLegendBright : kLegendDim);
            p.drawEllipse(at, knob, knob);
            break;
        }
        case PanelArt::Left:
        case PanelArt::Right:
        case PanelArt::Up:
        case PanelArt::Down: {
            segment();
            p.setPen(IconPen(ink, 2));
            const bool vertical = picture.art == PanelArt::Up || picture.art == PanelArt::Down;
            const qreal sign =
                picture.art == PanelArt::Right || picture.art == PanelArt::Down ? 1 : -1;
            if (vertical) {
                const QPointF tip(c.x(), c.y() + sign * 7);
                p.drawLine(QPointF(c.x(), c.y() - sign * 7), tip);
                p.drawLine(tip, tip + QPointF(-5, -sign * 5));
                p.drawLine(tip, tip + QPointF(5, -sign * 5));
            } else {
                const QPointF tip(c.x() + sign * 10, c.y());
                p.drawLine(QPointF(c.x() - sign * 10, c.y()), tip);
                p.drawLine(tip, tip + QPointF(-sign * 5, -5));
                p.drawLine(tip, tip + QPointF(-sign * 5, 5));
            }
            break;
        }
        case PanelArt::Spread:
        case PanelArt::Gather: {
            segment();
            p.setPen(IconPen(ink, 1.8));
            const bool out = picture.art == PanelArt::Spread;
            for (int side = -1; side <= 1; side += 2) {
                const QPointF inner(c.x() + side * 5, c.y());
                const QPointF outer(c.x() + side * 16, c.y());
                p.drawLine(inner, outer);
                const QPointF tip = out ? outer : inner;
                const qreal back = out ? -side * 4.0 : side * 4.0;
                p.drawLine(tip, tip + QPointF(back, -4));
                p.drawLine(tip, tip + QPointF(back, 4));
            }
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(c, 2, 2);
            break;
        }
        case PanelArt::Red:
        case PanelArt::Yellow:
        case PanelArt::Green:
        case PanelArt::Blue: {
            static const std::array<QColor, 4> swatches = {
                QColor(0xE5, 0x48, 0x4D), QColor(0xF5, 0xC5, 0x42), QColor(0x3D, 0xCB, 0x6C),
                QColor(0x3A, 0x8D, 0xFF)};
            const QColor colour = swatches[static_cast<std::size_t>(picture.art) -
                                           static_cast<std::size_t>(PanelArt::Red)];
            if (on) {
                FillRounded(p, r, 6, colour, kLegendBright, 2);
                p.setPen(IconPen(QColor(0x12, 0x14, 0x18), 2.2));
                p.drawLine(QPointF(c.x() - 5, c.y()), QPointF(c.x() - 1.5, c.y() + 4));
                p.drawLine(QPointF(c.x() - 1.5, c.y() + 4), QPointF(c.x() + 5.5, c.y() - 4));
            } else {
                FillRounded(p, r, 6, Mix(colour, kCard, 0.45), kButtonBorder);
            }
            break;
        }
        case PanelArt::Multicolour: {
            QLinearGradient rainbow(r.topLeft(), r.topRight());
            for (int i = 0; i <= 6; ++i) {
                const float hue = static_cast<float>(i) / 7.0f;
                rainbow.setColorAt(i / 6.0,
                                   QColor::fromHsvF(hue, on ? 0.75f : 0.12f, on ? 0.95f : 0.45f));
            }
            FillRounded(p, r, 6, rainbow, on ? kLegendBright : kButtonBorder, on ? 2 : 1);
            break;
        }
        case PanelArt::PaintTool: {
            segment();
            // A brush: a slanted handle and a rounded tip.
            p.setPen(IconPen(ink, 2.2));
            p.drawLine(QPointF(c.x() + 8, c.y() - 7), QPointF(c.x() - 1, c.y() + 2));
            p.setPen(Qt::NoPen);
            p.setBrush(on ? kAccentInk : kAccent);
            QPainterPath tip;
            tip.moveTo(c.x() - 1, c.y() + 1);
            tip.cubicTo(c.x() - 4, c.y() + 2, c.x() - 6, c.y() + 5, c.x() - 9, c.y() + 8);
            tip.cubicTo(c.x() - 4, c.y() + 8, c.x() + 1, c.y() + 6, c.x() + 1, c.y() + 3);
            tip.closeSubpath();
            p.drawPath(tip);
            break;
        }
    }
    p.end();
    return image;
}

QImage ThumbBitmap(int k) {
    const Rect size = ThumbSize();
    QImage image(size.w, size.h, QImage::Format_RGB32);
    image.fill(kCard);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size.w / 2.0, size.h / 2.0);
    const qreal radius = size.h / 2.0 - 1.5;
    // Brightness uses thumbs 0..4, speed 6..10 (11 with the refresh numbering): the ring shows
    // the level out of 4. The others are plain knobs.
    qreal level = 0;
    if (k >= 0 && k <= 5) {
        level = std::min(k, 4) / 4.0;
    } else if (k >= 6 && k <= 11) {
        level = std::min(k - 6, 4) / 4.0;
    }
    QRadialGradient body(c - QPointF(2, 3), radius * 1.4);
    body.setColorAt(0, QColor(0xE2, 0xE7, 0xEC));
    body.setColorAt(1, QColor(0xA9, 0xB3, 0xBE));
    p.setPen(QPen(QColor(0x0D, 0x0F, 0x12), 1));
    p.setBrush(body);
    p.drawEllipse(c, radius, radius);
    const QRectF ring(c.x() - radius + 3, c.y() - radius + 3, 2 * radius - 6, 2 * radius - 6);
    p.setPen(IconPen(QColor(0x8A, 0x94, 0x9F), 2));
    p.drawEllipse(ring);
    if (level > 0) {
        p.setPen(IconPen(kAccentDeep, 2.4));
        p.drawArc(ring, 90 * 16, -static_cast<int>(std::lround(level * 360 * 16)));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(level > 0 ? kAccentDeep : QColor(0x6B, 0x75, 0x80));
    p.drawEllipse(c, 1.8, 1.8);
    p.end();
    return image;
}

}  // namespace qf::skingen
