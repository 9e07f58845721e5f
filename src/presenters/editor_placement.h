// Where the assignment editor opens: next to the key button that opened it, inside the screen.
#pragma once

namespace qf::presenters {

// A rectangle in screen coordinates; right() and bottom() lie just outside it.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] int right() const { return x + width; }
    [[nodiscard]] int bottom() const { return y + height; }
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner of a dialog of `width` x `height` opened for `button`, on a screen whose
// available area is `screen`. In order of preference: at the button's bottom-right corner when
// the dialog fits there to the right and below; to the right above the button (its bottom edge
// at the button's top); to the left of the button (its right edge at the button's left edge),
// below or else above, when the space left of the button takes the dialog's width. Otherwise,
// at the button's bottom-right corner. Whatever the choice, the dialog is then moved into the
// available area (to its top-left corner when the dialog is larger than the area).
[[nodiscard]] ScreenPoint PlaceEditor(const ScreenRect& button, int width, int height,
                                      const ScreenRect& screen);

}  // namespace qf::presenters
