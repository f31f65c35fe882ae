// Fitting a stored window place to the screen there is now.
#include <gtest/gtest.h>

#include <climits>

#include "platform/ui/window_place.h"

namespace {

using ui::FitWindowPlace;
using ui::WindowPlace;
using ui::WorkArea;

// A 1280 x 1024 screen with a 24-pixel panel at its top.
constexpr WorkArea kArea{0, 24, 1280, 1000};
// Frame: 4-pixel borders and a 32-pixel title bar.
constexpr int kMaxWidth = 1280 - 8;
constexpr int kMaxHeight = 1000 - 36;

TEST(WindowPlaceTest, PlacesAreFittedToTheWorkArea) {
  struct Case {
    const char* what;
    WindowPlace stored;
    int minWidth, minHeight;
    WindowPlace fitted;
  } cases[] = {
      {"a place that fits is kept", {100, 80, 800, 600}, 400, 300, {100, 80, 800, 600}},
      {"larger than the screen", {0, 24, 100000, 100000}, 400, 300, {0, 24, kMaxWidth, kMaxHeight}},
      {"beyond the right and bottom edges", {50000, 40000, 800, 600}, 400, 300, {1280 - 808, 1024 - 636, 800, 600}},
      {"above and left of the screen", {-3000, -20, 800, 600}, 400, 300, {0, 24, 800, 600}},
      {"the title bar under the panel", {200, 10, 800, 600}, 400, 300, {200, 24, 800, 600}},
      {"smaller than the minimum", {10, 30, 120, 90}, 400, 300, {10, 30, 400, 300}},
      {"the minimum wider than the screen", {500, 500, 100, 100}, 2000, 300, {0, 500, 2000, 300}},
      {"the minimum taller than the screen", {500, 500, 100, 100}, 400, 1500, {500, 24, 400, 1500}},
      {"the extremes of an integer", {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, 0, 0, {0, 24, kMaxWidth, kMaxHeight}},
      {"no size at all", {100, 100, INT_MIN, 0}, 0, 0, {100, 100, 1, 1}},
  };
  for (const Case& c : cases) {
    const WindowPlace got = FitWindowPlace(c.stored, c.minWidth, c.minHeight, kArea);
    EXPECT_EQ(got, c.fitted) << c.what << ": " << got.Left << "," << got.Top << " " << got.Width << "x" << got.Height;
  }
}

TEST(WindowPlaceTest, ASecondScreenKeepsItsOwnPlaces) {
  // The screen right of the first one.
  const WorkArea right{1920, 0, 1280, 1024};
  EXPECT_EQ(FitWindowPlace({2000, 100, 800, 600}, 0, 0, right), (WindowPlace{2000, 100, 800, 600}));
  EXPECT_EQ(FitWindowPlace({100, 100, 800, 600}, 0, 0, right), (WindowPlace{1920, 100, 800, 600}));
}

}  // namespace
