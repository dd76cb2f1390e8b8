// The arithmetic of the document window's frame: where the buttons of the
// bar stand at a width, how the document surface grows, shrinks and moves
// under the visible area when the document scrolls, and how the places of
// the three document windows are kept per document. The window only moves
// its widgets to what these say.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "config/registries.h"

namespace vm {

// The buttons of the bar, in their order on it.
enum TFrameButton : int32_t { kOkBut, kCanBut, kAddBut, kDelBut, kPrintBut, kSortBut, kFrameButtons };

struct TBarPlace {
  int32_t Left = 0;
  int32_t Top = 0;
  friend bool operator==(const TBarPlace&, const TBarPlace&) = default;
};

struct TButtonBarLayout {
  int32_t Height = 0;
  std::array<TBarPlace, kFrameButtons> Buttons{};
};

// One row of six buttons from this width of the bar on; two rows below it.
inline constexpr int32_t kOneRowBarWidth = 582;
inline constexpr int32_t kButtonPitch = 89;
// Without the search line the buttons move up by its height.
inline constexpr int32_t kSearchLineHeight = 24;
inline constexpr int32_t kStatusBarHeight = 19;
inline constexpr int32_t kStatusDateWidth = 110;
inline constexpr int32_t kMinFrameWidth = 300;
inline constexpr int32_t kMinFrameHeight = 250;
// The scroll bars run from 0 to this.
inline constexpr int32_t kScrollMax = 255;
// A selected cell is kept this far inside the visible area.
inline constexpr int32_t kCellMargin = 5;

TButtonBarLayout LayoutButtonBar(int32_t width, bool searchVisible);

struct TFrameSize {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const TFrameSize&, const TFrameSize&) = default;
};

// The document surface: its place under the visible area (Left and Top
// are 0 or negative while it scrolls) and its size, as a window's place.
using TSurface = TWindowRect;

// The window's size kept within its least size.
TFrameSize AtLeastFrameSize(TFrameSize size);
// Each side the larger of the two.
TFrameSize LargerSize(TFrameSize a, TFrameSize b);
// Larger by a tenth on the axes allowed.
TFrameSize ZoomIn(TFrameSize surface, bool horizontal, bool vertical);
// Smaller by a tenth, never below the visible size.
TFrameSize ZoomOut(TFrameSize surface, TFrameSize visible);
// The surface at least as large as the visible area and moved so that no
// gap opens at the right or at the bottom.
TSurface CoverVisible(TSurface surface, TFrameSize visible);
// The surface's Left (or Top) for a scroll bar's position; nullopt when
// the surface fits and does not move.
std::optional<int32_t> ScrollOffset(int32_t extent, int32_t visible, int32_t position);
// The scroll bar's position for where the surface stands.
int32_t ScrollPosition(int32_t offset, int32_t extent, int32_t visible);

struct TCellBox {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};
// The surface moved so that the cell (in the surface's coordinates) with
// its margin lies in the visible area; the left and top edges win when
// the cell is larger than the area.
TSurface KeepCellInSight(TSurface surface, TCellBox cell, TFrameSize visible);

// The places of the document windows and the zoom settings a document
// keeps between runs.
struct TDocLayout {
  TWindowRect Lookup;
  TWindowRect Info;
  TWindowRect Document;
  TFrameSize Surface;
  bool HorizontalZoom = true;
  bool VerticalZoom = true;
};

void SaveDocLayout(TDocData& data, const TDocLayout& layout);

// What a document window is given when its document opens: a place kept
// on the screen and within the largest size; none for a window whose place
// was never saved.
struct TAppliedLayout {
  std::optional<TWindowRect> Lookup;
  std::optional<TWindowRect> Info;
  std::optional<TWindowRect> Document;
  bool HorizontalZoom = true;
  bool VerticalZoom = true;
};
TAppliedLayout ApplyDocLayout(const TDocData& data, TFrameSize screen, TFrameSize largest);

}  // namespace vm
