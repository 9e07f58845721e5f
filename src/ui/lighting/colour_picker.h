// The lighting panel's colour pickers: a swatch of the current colour that opens a palette when
// clicked. The palette offers "Automatic" (kAutomaticColour, red), the colours of
// kPickerPalette and "Other...", a free choice through a ColourChooser (QColorDialog in the
// program, a fake in tests, so no test opens a real dialog).
//
// Showing a colour (SetColour) never reaches the choice handler; only a choice in the palette
// or in the chooser does.
//
// GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "presenters/lighting_panel.h"

class QToolButton;

namespace qf::ui {

// Asks the user for a colour of their own.
class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    // The colour chosen, starting from `initial`; nothing when the user cancels.
    virtual std::optional<QColor> ChooseColour(const QColor& initial, QWidget* parent) = 0;
};

// The standard colour dialog.
class DialogColourChooser final : public ColourChooser {
public:
    std::optional<QColor> ChooseColour(const QColor& initial, QWidget* parent) override;
};

[[nodiscard]] QColor ToQColor(const lighting::Rgb& colour);
[[nodiscard]] lighting::Rgb ToRgb(const QColor& colour);

// The names a screen reader gives the palette's colours, in the order of kPickerPalette.
[[nodiscard]] const std::array<QString, presenters::kPickerPalette.size()>& PaletteColourNames();

// The pop-up palette of a colour picker. It closes (and deletes itself) after a choice.
class ColourPalette final : public QFrame {
    Q_OBJECT
public:
    using ChoiceHandler = std::function<void(presenters::ColourChoice)>;

    // `onChoice` gets "Automatic" and the palette's colours; `onOther` runs for "Other...".
    ColourPalette(QWidget* parent, ChoiceHandler onChoice, std::function<void()> onOther);

    [[nodiscard]] QAbstractButton* automaticButton() const;
    [[nodiscard]] QAbstractButton* colourButton(std::size_t index) const;
    [[nodiscard]] QAbstractButton* otherButton() const;

private:
    void Choose(presenters::ColourChoice choice);

    ChoiceHandler onChoice_;
    std::function<void()> onOther_;
    QToolButton* automatic_ = nullptr;
    QToolButton* other_ = nullptr;
    std::array<QAbstractButton*, presenters::kPickerPalette.size()> colours_{};
};

class ColourPicker final : public QAbstractButton {
    Q_OBJECT
public:
    using ChoiceHandler = ColourPalette::ChoiceHandler;

    // `chooser` outlives the picker.
    explicit ColourPicker(ColourChooser& chooser, QWidget* parent = nullptr);

    // Where the user's choices go.
    void SetChoiceHandler(ChoiceHandler handler) { onChoice_ = std::move(handler); }
    // Shows `colour`; reaches no handler.
    void SetColour(const QColor& colour);
    [[nodiscard]] const QColor& colour() const { return colour_; }

    // Opens the palette under the picker (what a click does).
    void OpenPalette();
    // The palette while it is open, else null.
    [[nodiscard]] ColourPalette* palette() const { return palette_.data(); }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Choose(presenters::ColourChoice choice);
    void ChooseOther();

    ColourChooser& chooser_;
    ChoiceHandler onChoice_;
    QColor colour_ = Qt::black;
    QPointer<ColourPalette> palette_;
    bool hovered_ = false;
};

}  // namespace qf::ui
