// The outline of a skinned window, taken from its shape picture: every pixel that is exactly
// white (red, green and blue all 255, whatever its alpha) lies outside the window, every other
// pixel inside. The outline is the union of the horizontal runs of inside pixels of each row.
#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>

namespace qf::ui {

// The inside pixels of `shape` (empty for a null or all-white picture).
[[nodiscard]] QRegion RegionFromShapePicture(const QImage& shape);

struct WindowShape {
    QRegion region;
    // The shape picture had no inside pixel at all: an outline made from it would leave the
    // window invisible, so the region is the window's full rectangle instead.
    bool fullRectangle = false;
};

// The region to give a window of `windowSize` whose shape picture is `shape`.
[[nodiscard]] WindowShape WindowShapeFor(const QImage& shape, QSize windowSize);

}  // namespace qf::ui
