// The colours of the plain controls (lists, text fields, check boxes, labels) and of the
// captions the program draws on picture buttons, matched to the shipped skin's dark artwork.
// The skin's pictures carry no colours for them, so they are named here once.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace qf::ui {

struct ControlColours {
    QColor text{0xDD, 0xE2, 0xE8};
    QColor dimText{0x8E, 0x98, 0xA4};  // the disabled-text colour: greyed captions, dim columns
    QColor offText{0x5C, 0x65, 0x70};  // captions of disabled buttons
    QColor base{0x14, 0x17, 0x1B};
    QColor alternateBase{0x1B, 0x1F, 0x25};
    QColor window{0x1B, 0x1F, 0x25};
    QColor button{0x2A, 0x30, 0x38};
    QColor highlight{0x17, 0x8E, 0xAD};
    QColor highlightedText{0xF2, 0xFA, 0xFC};
    QColor grid{0x2B, 0x30, 0x38};
};

inline constexpr int kCaptionPointSize = 9;

// Gives `widget` and its children the palette of the skin's controls.
inline void ApplyControlPalette(QWidget& widget, const ControlColours& colours = {}) {
    QPalette palette = widget.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colours.text);
        palette.setColor(group, QPalette::Text, colours.text);
        palette.setColor(group, QPalette::ButtonText, colours.text);
        palette.setColor(group, QPalette::PlaceholderText, colours.dimText);
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, colours.dimText);
    palette.setColor(QPalette::Disabled, QPalette::Text, colours.dimText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, colours.dimText);
    palette.setColor(QPalette::Base, colours.base);
    palette.setColor(QPalette::AlternateBase, colours.alternateBase);
    palette.setColor(QPalette::Window, colours.window);
    palette.setColor(QPalette::Button, colours.button);
    palette.setColor(QPalette::Highlight, colours.highlight);
    palette.setColor(QPalette::HighlightedText, colours.highlightedText);
    palette.setColor(QPalette::ToolTipBase, colours.alternateBase);
    palette.setColor(QPalette::ToolTipText, colours.text);
    widget.setPalette(palette);
}

// Check boxes (a check box, or the check column of a list): the style frames their indicators
// in a shade of the window colour, which would vanish on the dark artwork; a light window colour
// gives them a visible frame. Their other colours stay.
inline void LightenCheckFrames(QWidget& widget, const ControlColours& colours = {}) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colours.dimText);
    widget.setPalette(palette);
}

}  // namespace qf::ui
