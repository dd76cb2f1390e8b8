// The frame's arithmetic: the button bar at the widths where it changes,
// zooming, covering the visible area, the scroll bars, keeping a cell in
// sight and the remembered places of the document windows.
#include "documents/frame_geometry.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vm {
namespace {

TEST(FrameGeometry, ButtonBarOneRowFrom582TwoRowsBelow) {
  struct Case {
    int32_t Width;
    bool Search;
    int32_t Height;
    std::array<TBarPlace, kFrameButtons> Places;  // OK, Cancel, Add, Delete, Print, Sort
  };
  const Case cases[] = {
      {582, true, 78, {{{6, 30}, {101, 30}, {196, 30}, {291, 30}, {386, 30}, {481, 30}}}},
      {582, false, 54, {{{6, 6}, {101, 6}, {196, 6}, {291, 6}, {386, 6}, {481, 6}}}},
      {700, true, 78, {{{23, 30}, {135, 30}, {247, 30}, {359, 30}, {471, 30}, {583, 30}}}},
      {581, true, 109, {{{78, 30}, {78, 62}, {245, 30}, {245, 62}, {412, 30}, {412, 62}}}},
      {581, false, 85, {{{78, 6}, {78, 38}, {245, 6}, {245, 38}, {412, 6}, {412, 38}}}},
      // Narrower than three buttons: the division truncates toward zero.
      {200, false, 85, {{{-16, 6}, {-16, 38}, {57, 6}, {57, 38}, {130, 6}, {130, 38}}}},
      {200, true, 109, {{{-16, 30}, {-16, 62}, {57, 30}, {57, 62}, {130, 30}, {130, 62}}}},
  };
  for (const Case& c : cases) {
    const TButtonBarLayout bar = LayoutButtonBar(c.Width, c.Search);
    EXPECT_EQ(bar.Height, c.Height) << c.Width << " " << c.Search;
    for (int i = 0; i < kFrameButtons; ++i)
      EXPECT_EQ(bar.Buttons[i], c.Places[i]) << c.Width << " " << c.Search << " button " << i;
  }
}

TEST(FrameGeometry, ZoomActsOnTheTickedAxesAndNeverShrinksBelowTheVisibleArea) {
  EXPECT_EQ(ZoomIn({100, 200}, true, false), (TFrameSize{110, 200}));
  EXPECT_EQ(ZoomIn({101, 203}, true, true), (TFrameSize{111, 223}));
  EXPECT_EQ(ZoomIn({100, 200}, false, false), (TFrameSize{100, 200}));
  struct Case {
    TFrameSize Surface, Visible, Expected;
  };
  const Case cases[] = {
      {{550, 330}, {300, 200}, {500, 300}},
      {{330, 220}, {310, 100}, {310, 200}},  // the width stops at the visible width
      {{300, 200}, {300, 200}, {300, 200}},  // already the visible size
      {{500, 500}, {400, 480}, {455, 480}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ZoomOut(c.Surface, c.Visible), c.Expected) << c.Surface.Width << "x" << c.Surface.Height;
  // Reducing again and again ends at the visible size, not below it.
  TFrameSize s{2000, 1500};
  for (int i = 0; i < 40; ++i) s = ZoomOut(s, {640, 480});
  EXPECT_EQ(s, (TFrameSize{640, 480}));
}

TEST(FrameGeometry, CoveringLeavesNoGapAtTheRightOrBottom) {
  struct Case {
    TSurface Surface;
    TFrameSize Visible;
    TSurface Expected;
  };
  const Case cases[] = {
      {{-50, -50, 300, 300}, {400, 280}, {0, -20, 400, 300}},
      {{-500, -10, 800, 600}, {400, 300}, {-400, -10, 800, 600}},
      {{0, 0, 100, 100}, {400, 300}, {0, 0, 400, 300}},
      {{-10, -10, 1000, 1000}, {400, 300}, {-10, -10, 1000, 1000}},
  };
  for (const Case& c : cases) EXPECT_EQ(CoverVisible(c.Surface, c.Visible), c.Expected);
}

TEST(FrameGeometry, ScrollBarsMoveTheSurfaceOutOf255Steps) {
  EXPECT_EQ(ScrollOffset(555, 300, 255), -255);
  EXPECT_EQ(ScrollOffset(400, 300, 128), -50);
  EXPECT_EQ(ScrollOffset(300, 300, 100), 0);
  EXPECT_EQ(ScrollOffset(200, 300, 100), std::nullopt);  // the surface fits: it stays
  EXPECT_EQ(ScrollPosition(-100, 400, 300), kScrollMax);
  EXPECT_EQ(ScrollPosition(-20, 400, 300), 51);
  EXPECT_EQ(ScrollPosition(-20, 300, 300), 0);
  // A position and back gives the same place.
  for (int32_t pos : {0, 17, 128, 200, 255})
    EXPECT_EQ(ScrollPosition(*ScrollOffset(1275, 1020, pos), 1275, 1020), pos);
}

TEST(FrameGeometry, ASelectedCellIsKeptInSightWithItsMargin) {
  struct Case {
    const char* Name;
    TSurface Surface;
    TCellBox Cell;
    int32_t Left, Top;
  };
  const TFrameSize visible{400, 300};
  const Case cases[] = {
      {"in sight", {-100, 0, 1000, 800}, {150, 10, 250, 30}, -100, 0},
      {"beyond the right", {0, 0, 1000, 800}, {500, 100, 600, 120}, -205, 0},
      {"beyond the left", {-300, 0, 1000, 800}, {10, 10, 50, 30}, -5, 0},
      {"at the left edge", {-300, 0, 1000, 800}, {0, 10, 50, 30}, 0, 0},
      {"beyond the bottom", {0, 0, 1000, 800}, {10, 700, 50, 780}, 0, -485},
      {"above the top", {0, -400, 1000, 800}, {10, 100, 50, 120}, 0, -95},
      {"wider than the area", {0, 0, 1000, 800}, {100, 10, 700, 30}, -95, 0},
  };
  for (const Case& c : cases) {
    const TSurface s = KeepCellInSight(c.Surface, c.Cell, visible);
    EXPECT_EQ(std::tuple(s.Left, s.Top, s.Width), std::tuple(c.Left, c.Top, c.Surface.Width)) << c.Name;
  }
}

TEST(FrameGeometry, LayoutIsSavedPerDocumentAndAppliedOnTheScreen) {
  TDocData data;
  TDocLayout layout;
  layout.Lookup = {2000, -5, 1200, 500};
  layout.Info = {10, 20, 300, 200};
  layout.Document = {0, 0, 0, 0};
  layout.Surface = {800, 600};
  layout.HorizontalZoom = false;
  layout.VerticalZoom = true;
  SaveDocLayout(data, layout);
  EXPECT_EQ(std::tuple(data.BookWindowRect, data.InfoWindowRect, data.FormWidth, data.FormHeight, data.FixedWidth,
                       data.FixedHeight),
            std::tuple(layout.Lookup, layout.Info, 800, 600, true, false));

  const TAppliedLayout applied = ApplyDocLayout(data, {1024, 768}, {1016, 760});
  ASSERT_TRUE(applied.Lookup.has_value());
  EXPECT_EQ(*applied.Lookup, (TWindowRect{974, 0, 1016, 500}));
  EXPECT_EQ(applied.Info, (TWindowRect{10, 20, 300, 200}));
  // A place never saved is left alone, not squeezed into a tiny window.
  EXPECT_FALSE(applied.Document.has_value());
  data.WorkWindowRect = {5, 5, 640, 0};
  EXPECT_FALSE(ApplyDocLayout(data, {1024, 768}, {1016, 760}).Document.has_value());
  EXPECT_EQ(std::pair(applied.HorizontalZoom, applied.VerticalZoom), std::pair(false, true));
}

}  // namespace
}  // namespace vm
