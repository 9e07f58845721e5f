// Where the editor opens next to its key button.
#include "presenters/editor_placement.h"

#include <gtest/gtest.h>

namespace qf::presenters {
namespace {

constexpr ScreenRect kScreen{0, 0, 1920, 1040};  // a panel takes the bottom 40 pixels
constexpr int kWidth = 600;
constexpr int kHeight = 400;

ScreenRect Button(int x, int y) {
    return {x, y, 40, 30};
}

TEST(EditorPlacement, BelowRightWhenItFits) {
    EXPECT_EQ(PlaceEditor(Button(100, 100), kWidth, kHeight, kScreen), (ScreenPoint{140, 130}));
    // Exactly to the edges still fits.
    EXPECT_EQ(PlaceEditor(Button(1280, 610), kWidth, kHeight, kScreen), (ScreenPoint{1320, 640}));
}

TEST(EditorPlacement, AboveRightWhenOnlyAboveFits) {
    EXPECT_EQ(PlaceEditor(Button(100, 900), kWidth, kHeight, kScreen), (ScreenPoint{140, 500}));
}

TEST(EditorPlacement, LeftOfTheButtonWhenTheRightIsShort) {
    EXPECT_EQ(PlaceEditor(Button(1500, 100), kWidth, kHeight, kScreen), (ScreenPoint{900, 130}));
    EXPECT_EQ(PlaceEditor(Button(1500, 900), kWidth, kHeight, kScreen), (ScreenPoint{900, 500}));
}

TEST(EditorPlacement, TheLastResortIsClampedIntoTheScreen) {
    // Neither above nor below fits: bottom-right, then moved inside.
    const ScreenRect tall{0, 0, 1920, 600};
    EXPECT_EQ(PlaceEditor(Button(1500, 250), kWidth, kHeight, tall), (ScreenPoint{1320, 200}));
    // Too narrow for either side.
    const ScreenRect narrow{0, 0, 900, 1040};
    EXPECT_EQ(PlaceEditor(Button(400, 100), kWidth, kHeight, narrow), (ScreenPoint{300, 130}));
}

TEST(EditorPlacement, ScreensAwayFromTheOriginAndTooSmall) {
    const ScreenRect second{1920, 24, 1280, 1000};
    EXPECT_EQ(PlaceEditor(Button(1930, 30), kWidth, kHeight, second), (ScreenPoint{1970, 60}));
    EXPECT_EQ(PlaceEditor(Button(3100, 30), kWidth, kHeight, second), (ScreenPoint{2500, 60}));
    // A dialog larger than the screen keeps its top-left corner on it.
    const ScreenRect tiny{0, 0, 500, 300};
    EXPECT_EQ(PlaceEditor(Button(100, 100), kWidth, kHeight, tiny), (ScreenPoint{0, 0}));
}

}  // namespace
}  // namespace qf::presenters
