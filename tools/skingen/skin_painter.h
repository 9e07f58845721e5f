// Draws the skin's pictures from the description in skin_spec.h with QPainter.
//
// Every dialog is drawn as a scene: the window's chrome, then each control's face in the state
// a picture stands for. A state picture is the scene moved one pixel up and left, because a
// picture button shows its rectangle of a state picture one pixel up and left of where it
// stands; the background is the normal scene where it is, with the faces of controls the
// program may hide left out.
#pragma once

#include <QImage>
#include <QString>

#include "skin_spec.h"

namespace qf::skingen {

enum class DialogKind { Main, Composite, Profile };

// The main window's pictures of the keyboard in its two colour displays.
enum class ColourDisplay { None, Zones, Spectrum };

// Registers the fonts the skin is drawn with (DejaVu Sans, and WenQuanYi Micro Hei for the
// Chinese labels). Returns false, with the missing file in `missing`, when one cannot be loaded;
// drawing then falls back to whatever the font configuration offers.
bool LoadSkinFonts(QString& missing);

// The scene of a dialog as a state picture shows it (already moved one pixel up and left).
QImage StatePicture(const DialogSpec& dialog, DialogKind kind, Picture picture,
                    Page page = Page::None, ColourDisplay colours = ColourDisplay::None);

// The background: the normal scene in place, without the faces of controls the program may hide.
QImage BackgroundPicture(const DialogSpec& dialog, DialogKind kind);

// The shape picture: pure white outside the window's outline, dark inside.
QImage ShapePicture(const DialogSpec& dialog);

// Arrow.jpg: the faces of the variant arrows at the origins ArrowFaces() gives.
QImage ArrowPicture(const DialogSpec& mainDialog);

// A lighting panel picture at its control's size, on the panel's colour.
QImage PanelBitmap(const PanelBitmapSpec& picture);

// Slider thumb k (0..25): a knob whose ring shows the level it stands for.
QImage ThumbBitmap(int k);

}  // namespace qf::skingen
