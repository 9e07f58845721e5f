#include "presenters/editor_placement.h"

#include <algorithm>

namespace qf::presenters {

namespace {

int Clamp(int position, int size, int first, int end) {
    // The far edge first, then the near one: a dialog larger than the screen keeps its top-left
    // corner on screen.
    return std::max(std::min(position, end - size), first);
}

}  // namespace

ScreenPoint PlaceEditor(const ScreenRect& button, int width, int height, const ScreenRect& screen) {
    const bool fitsRight = button.right() + width <= screen.right();
    const bool fitsBelow = button.bottom() + height <= screen.bottom();
    const bool fitsAbove = button.y - height >= screen.y;
    const bool fitsLeft = button.x - screen.x >= width;

    ScreenPoint place{button.right(), button.bottom()};
    if (fitsRight && fitsBelow) {
        // the first choice, as set
    } else if (fitsRight && fitsAbove) {
        place = {button.right(), button.y - height};
    } else if (fitsLeft && fitsBelow) {
        place = {button.x - width, button.bottom()};
    } else if (fitsLeft && fitsAbove) {
        place = {button.x - width, button.y - height};
    }
    return {Clamp(place.x, width, screen.x, screen.right()),
            Clamp(place.y, height, screen.y, screen.bottom())};
}

}  // namespace qf::presenters
