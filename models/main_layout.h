// The main window's geometry without a screen: its menu bar wrapped into
// lines that fit the screen, and its saved place brought back onto it.
#pragma once

#include <cstdint>
#include <vector>

#include "config/registries.h"

namespace vm {

struct TMenuLines {
  // The index of the first item of each line; the first line starts at 0.
  std::vector<int32_t> Starts;
  // The room the menu takes: the margin and the widest line, and the lines'
  // height (each further line adds LineHeight - 1).
  int32_t Width = 0;
  int32_t Height = 0;
};

// Wraps top-level menu items of the given widths into lines no wider than
// Available; an item that does not fit after others starts a new line, one
// wider than Available alone keeps a line to itself.
TMenuLines WrapMenuItems(const std::vector<int32_t> &itemWidths, int32_t available,
                         int32_t margin, int32_t lineHeight);

// The main window's place: the saved Left and Top with the window's own
// size, clamped onto a screen of the given size.
TWindowRect PlaceMainWindow(const TWindowRect &saved, int32_t width, int32_t height,
                            int32_t screenWidth, int32_t screenHeight);

}  // namespace vm
