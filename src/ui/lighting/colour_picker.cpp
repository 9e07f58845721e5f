#include "ui/lighting/colour_picker.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace qf::ui {

namespace {

using presenters::ColourChoice;

constexpr int kSwatchSize = 18;
constexpr int kPaletteColumns = 8;
// The width of the picker's drop-down mark, right of its swatch.
constexpr int kMarkWidth = 10;

QPixmap SwatchIcon(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(0, 0, 11, 11);
    return pixmap;
}

// One colour of the palette.
class SwatchButton final : public QAbstractButton {
public:
    SwatchButton(const QColor& colour, QWidget* parent) : QAbstractButton(parent), colour_(colour) {
        setFixedSize(kSwatchSize, kSwatchSize);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool hot = underMouse() || hasFocus();
        painter.fillRect(rect(), hot ? palette().highlight().color() : palette().window().color());
        const QRect swatch = rect().adjusted(2, 2, -3, -3);
        painter.fillRect(swatch, colour_);
        painter.setPen(QColor(60, 60, 60));
        painter.drawRect(swatch);
    }

private:
    QColor colour_;
};

QToolButton* TextEntry(const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

}  // namespace

std::optional<QColor> DialogColourChooser::ChooseColour(const QColor& initial, QWidget* parent) {
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid()) {
        return std::nullopt;
    }
    return colour;
}

QColor ToQColor(const lighting::Rgb& colour) {
    return QColor(colour.r, colour.g, colour.b);
}

lighting::Rgb ToRgb(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return {static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
            static_cast<std::uint8_t>(rgb.blue())};
}

const std::array<QString, presenters::kPickerPalette.size()>& PaletteColourNames() {
    static const std::array<QString, presenters::kPickerPalette.size()> names = {
        QStringLiteral("Red"),         QStringLiteral("Orange"),  QStringLiteral("Yellow"),
        QStringLiteral("Lime"),        QStringLiteral("Green"),   QStringLiteral("Spring green"),
        QStringLiteral("Cyan"),        QStringLiteral("Azure"),   QStringLiteral("Blue"),
        QStringLiteral("Violet"),      QStringLiteral("Magenta"), QStringLiteral("Rose"),
        QStringLiteral("White"),       QStringLiteral("Silver"),  QStringLiteral("Grey"),
        QStringLiteral("Black (off)"),
    };
    return names;
}

ColourPalette::ColourPalette(QWidget* parent, ChoiceHandler onChoice, std::function<void()> onOther)
    : QFrame(parent, Qt::Popup), onChoice_(std::move(onChoice)), onOther_(std::move(onOther)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(QStringLiteral("Colours"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);

    automatic_ = TextEntry(QStringLiteral("Automatic"), this);
    automatic_->setIcon(SwatchIcon(ToQColor(presenters::kAutomaticColour)));
    automatic_->setAccessibleName(QStringLiteral("Automatic (red)"));
    connect(automatic_, &QToolButton::clicked, this, [this] { Choose(ColourChoice::Automatic()); });
    layout->addWidget(automatic_);

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    for (std::size_t i = 0; i < presenters::kPickerPalette.size(); ++i) {
        const lighting::Rgb rgb = presenters::kPickerPalette[i];
        auto* swatch = new SwatchButton(ToQColor(rgb), this);
        swatch->setAccessibleName(PaletteColourNames()[i]);
        swatch->setToolTip(PaletteColourNames()[i]);
        connect(swatch, &QAbstractButton::clicked, this,
                [this, rgb] { Choose(ColourChoice::Of(rgb)); });
        grid->addWidget(swatch, static_cast<int>(i) / kPaletteColumns,
                        static_cast<int>(i) % kPaletteColumns);
        colours_[i] = swatch;
    }
    layout->addLayout(grid);

    other_ = TextEntry(QStringLiteral("Other..."), this);
    connect(other_, &QToolButton::clicked, this, [this] {
        std::function<void()> other = onOther_;
        close();
        if (other) {
            other();
        }
    });
    layout->addWidget(other_);
}

QAbstractButton* ColourPalette::automaticButton() const {
    return automatic_;
}

QAbstractButton* ColourPalette::colourButton(std::size_t index) const {
    return index < colours_.size() ? colours_[index] : nullptr;
}

QAbstractButton* ColourPalette::otherButton() const {
    return other_;
}

void ColourPalette::Choose(ColourChoice choice) {
    // The palette goes first: the handler may take a while (it writes to the keyboard).
    ChoiceHandler handler = onChoice_;
    close();
    if (handler) {
        handler(choice);
    }
}

ColourPicker::ColourPicker(ColourChooser& chooser, QWidget* parent)
    : QAbstractButton(parent), chooser_(chooser) {
    setFocusPolicy(Qt::TabFocus);  // Space opens the palette
    setAccessibleDescription(colour_.name());
    connect(this, &QAbstractButton::clicked, this, &ColourPicker::OpenPalette);
}

void ColourPicker::SetColour(const QColor& colour) {
    if (colour != colour_) {
        colour_ = colour;
        setAccessibleDescription(colour_.name());
        update();
    }
}

QSize ColourPicker::sizeHint() const {
    return {kSwatchSize * 2 + kMarkWidth, kSwatchSize};
}

void ColourPicker::OpenPalette() {
    if (palette_ != nullptr) {
        palette_->close();
    }
    palette_ = new ColourPalette(
        this, [this](ColourChoice choice) { Choose(choice); }, [this] { ChooseOther(); });
    palette_->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        // Inside the screen: above the picker when there is no room below.
        const QRect area = screen->availableGeometry();
        const QSize size = palette_->size();
        if (at.y() + size.height() > area.bottom()) {
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        }
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(std::max(at.y(), area.top()));
    }
    palette_->move(at);
    palette_->show();
}

void ColourPicker::Choose(ColourChoice choice) {
    if (onChoice_) {
        onChoice_(choice);
    }
}

void ColourPicker::ChooseOther() {
    if (const std::optional<QColor> colour = chooser_.ChooseColour(colour_, window())) {
        Choose(ColourChoice::Of(ToRgb(*colour)));
    }
}

void ColourPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), QColor(40, 40, 40));
    const bool markShown = width() >= 2 * kMarkWidth + 4;
    const QRect swatch = outer.adjusted(2, 2, markShown ? -kMarkWidth - 1 : -2, -2);
    painter.fillRect(swatch, colour_);
    painter.setPen(hovered_ || isDown() || hasFocus() ? QColor(255, 255, 255)
                                                      : QColor(150, 150, 150));
    painter.drawRect(outer);
    if (markShown) {
        // A small triangle pointing down: the picker drops a palette.
        const QPointF centre(outer.right() - kMarkWidth / 2.0, outer.center().y() + 0.5);
        QPainterPath mark;
        mark.moveTo(centre + QPointF(-3, -1.5));
        mark.lineTo(centre + QPointF(3, -1.5));
        mark.lineTo(centre + QPointF(0, 2));
        mark.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(mark, QColor(220, 220, 220));
    }
}

void ColourPicker::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ColourPicker::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace qf::ui
