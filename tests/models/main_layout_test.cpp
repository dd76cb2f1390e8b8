#include "models/main_layout.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace vm {
namespace {

TEST(PlaceMainWindow, TheSavedPlaceComesBackOntoAScreenOf1024By768) {
  const struct {
    TWindowRect saved;
    int32_t left, top;
  } rows[] = {
      {{5000, -10, 0, 0}, 974, 0},
      {{100, 5000, 0, 0}, 100, 718},
      {{-3, 300, 0, 0}, 0, 300},
      {{974, 718, 0, 0}, 974, 718},  // at the edge it stays
      {{300, 200, 9, 9}, 300, 200},
  };
  // The size is the window's own, not the saved one.
  for (const auto &r : rows) {
    const TWindowRect placed = PlaceMainWindow(r.saved, 400, 90, 1024, 768);
    EXPECT_EQ(std::tuple(placed.Left, placed.Top, placed.Width, placed.Height), std::tuple(r.left, r.top, 400, 90))
        << r.saved.Left << "," << r.saved.Top;
  }
  // A window wider than the screen is kept to it.
  const TWindowRect wide = PlaceMainWindow({0, 0, 0, 0}, 2000, 10, 1024, 768);
  EXPECT_EQ(std::pair(wide.Width, wide.Height), std::pair(1024, 20));
}

TEST(WrapMenuItems, ItemsGoOnANewLineWhenTheLineWouldGrowPastTheRoom) {
  const struct {
    std::vector<int32_t> widths;
    int32_t available;
    std::vector<int32_t> starts;
    int32_t width, height;
  } rows[] = {
      // All fit: one line as wide as the items and the margin.
      {{50, 60, 40}, 200, {0}, 10 + 150, 19},
      // Exactly full still fits.
      {{50, 60, 40}, 150, {0}, 10 + 150, 19},
      // The third item starts the second line; the widest line counts.
      {{50, 60, 40}, 149, {0, 2}, 10 + 110, 38},
      // Each on its own line; one wider than the room keeps a line alone.
      {{50, 300, 40}, 100, {0, 1, 2}, 10 + 300, 57},
      // The last line may be the widest.
      {{30, 30, 90}, 70, {0, 2}, 10 + 90, 38},
      // Hidden items measure nothing and never break a line.
      {{50, 0, 50}, 100, {0}, 10 + 100, 19},
      {{}, 100, {0}, 10, 19},
  };
  for (const auto &r : rows) {
    const TMenuLines lines = WrapMenuItems(r.widths, r.available, 10, 20);
    EXPECT_EQ(std::tuple(lines.Starts, lines.Width, lines.Height), std::tuple(r.starts, r.width, r.height)) << r.available;
  }
}

}  // namespace
}  // namespace vm
