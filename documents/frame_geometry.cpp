#include "documents/frame_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "config/doctree.h"

namespace vm {

namespace {

constexpr double kZoomStep = 1.1;

// Halves go to the even neighbour, as everywhere in the system.
int32_t RoundEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }

// The surface stays under the visible area: no gap at either side.
int32_t WithinRange(int32_t offset, int32_t extent, int32_t visible) {
  return std::clamp(offset, std::min(0, visible - extent), 0);
}

std::optional<TWindowRect> ClampSaved(const TWindowRect& r, TFrameSize screen, TFrameSize largest) {
  // A window whose place was never saved keeps the place it has.
  if (r.Width <= 0 || r.Height <= 0) return std::nullopt;
  return ClampWindowRect(r, screen.Width, screen.Height, largest.Width, largest.Height);
}

}  // namespace

TButtonBarLayout LayoutButtonBar(int32_t width, bool searchVisible) {
  const int32_t s = searchVisible ? 0 : kSearchLineHeight;
  TButtonBarLayout bar;
  auto& b = bar.Buttons;
  if (width >= kOneRowBarWidth) {
    bar.Height = 78 - s;
    const int32_t l = (width - 6 * kButtonPitch) / 7;
    for (int32_t i = 0; i < kFrameButtons; ++i) b[static_cast<std::size_t>(i)] = {(i + 1) * l + i * kButtonPitch, 30 - s};
    return bar;
  }
  bar.Height = 109 - s;
  // Integer division truncates toward zero, also for a bar narrower than
  // three buttons.
  const int32_t l = (width - 3 * kButtonPitch) / 4;
  const int32_t upper = 30 - s, lower = 62 - s;
  b[kOkBut] = {l, upper};
  b[kCanBut] = {l, lower};
  b[kAddBut] = {2 * l + kButtonPitch, upper};
  b[kDelBut] = {2 * l + kButtonPitch, lower};
  b[kPrintBut] = {3 * l + 2 * kButtonPitch, upper};
  b[kSortBut] = {3 * l + 2 * kButtonPitch, lower};
  return bar;
}

TFrameSize AtLeastFrameSize(TFrameSize size) {
  return {std::max(size.Width, kMinFrameWidth), std::max(size.Height, kMinFrameHeight)};
}

TFrameSize LargerSize(TFrameSize a, TFrameSize b) {
  return {std::max(a.Width, b.Width), std::max(a.Height, b.Height)};
}

TFrameSize ZoomIn(TFrameSize surface, bool horizontal, bool vertical) {
  if (horizontal) surface.Width = RoundEven(surface.Width * kZoomStep);
  if (vertical) surface.Height = RoundEven(surface.Height * kZoomStep);
  return surface;
}

TFrameSize ZoomOut(TFrameSize surface, TFrameSize visible) {
  return LargerSize({RoundEven(surface.Width / kZoomStep), RoundEven(surface.Height / kZoomStep)},
                    visible);
}

TSurface CoverVisible(TSurface surface, TFrameSize visible) {
  surface.Width = std::max(surface.Width, visible.Width);
  surface.Height = std::max(surface.Height, visible.Height);
  surface.Left = std::max(surface.Left, visible.Width - surface.Width);
  surface.Top = std::max(surface.Top, visible.Height - surface.Height);
  return surface;
}

std::optional<int32_t> ScrollOffset(int32_t extent, int32_t visible, int32_t position) {
  const int32_t d = extent - visible;
  if (d < 0) return std::nullopt;
  return -RoundEven(static_cast<double>(d) / kScrollMax * position);
}

int32_t ScrollPosition(int32_t offset, int32_t extent, int32_t visible) {
  if (extent <= visible) return 0;
  return RoundEven(static_cast<double>(std::abs(offset)) / (extent - visible) * kScrollMax);
}

TSurface KeepCellInSight(TSurface surface, TCellBox cell, TFrameSize visible) {
  if (surface.Left + cell.Right + kCellMargin > visible.Width)
    surface.Left = visible.Width - cell.Right - kCellMargin;
  if (surface.Left + cell.Left - kCellMargin < 0) surface.Left = kCellMargin - cell.Left;
  if (surface.Top + cell.Bottom + kCellMargin > visible.Height)
    surface.Top = visible.Height - cell.Bottom - kCellMargin;
  if (surface.Top + cell.Top - kCellMargin < 0) surface.Top = kCellMargin - cell.Top;
  surface.Left = WithinRange(surface.Left, surface.Width, visible.Width);
  surface.Top = WithinRange(surface.Top, surface.Height, visible.Height);
  return surface;
}

void SaveDocLayout(TDocData& data, const TDocLayout& layout) {
  data.BookWindowRect = layout.Lookup;
  data.InfoWindowRect = layout.Info;
  data.WorkWindowRect = layout.Document;
  data.FormWidth = layout.Surface.Width;
  data.FormHeight = layout.Surface.Height;
  data.FixedWidth = !layout.HorizontalZoom;
  data.FixedHeight = !layout.VerticalZoom;
}

TAppliedLayout ApplyDocLayout(const TDocData& data, TFrameSize screen, TFrameSize largest) {
  TAppliedLayout applied;
  applied.Lookup = ClampSaved(data.BookWindowRect, screen, largest);
  applied.Info = ClampSaved(data.InfoWindowRect, screen, largest);
  applied.Document = ClampSaved(data.WorkWindowRect, screen, largest);
  applied.HorizontalZoom = !data.FixedWidth;
  applied.VerticalZoom = !data.FixedHeight;
  return applied;
}

}  // namespace vm
