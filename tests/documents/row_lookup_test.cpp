// Where the look-up list stands beside the key cell and how wide its
// columns are. The list itself is driven through the document window in
// tests/ui/qt/help_list_box_test.
#include "documents/row_lookup.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace vm {
namespace {

constexpr TRect32 kPanel{0, 0, 600, 400};
constexpr TRect32 kView{0, 50, 500, 300};

TEST(LookupListPlacement, BelowOrAboveTheCellAtMostTenRowsWithAScrollBarBeyond) {
  const TRect32 high{20, 60, 80, 16};
  TListPlacement p = PlaceLookupList(4, 14, high, kView, kPanel, {100});
  EXPECT_EQ(std::tuple(p.Box.Top, p.Box.Height, p.ScrollBar, p.Box.Left),
            std::tuple(high.Bottom(), 4 * 15 + 1, false, 20));

  p = PlaceLookupList(30, 14, high, kView, kPanel, {100});
  EXPECT_EQ(std::pair(p.Box.Height, p.ScrollBar), std::pair(10 * 15 + 1, true));

  // Near the bottom there is more room above: the list goes there.
  const TRect32 low{20, 340, 80, 16};
  p = PlaceLookupList(4, 14, low, kView, kPanel, {100});
  EXPECT_EQ(p.Box.Bottom(), low.Top);

  // A title row alone still gets two rows' height.
  p = PlaceLookupList(1, 14, high, kView, kPanel, {100});
  EXPECT_EQ(p.Box.Height, 2 * 14 + 3);

  // Little room: the height is cut to it less 10, and the rows scroll.
  p = PlaceLookupList(8, 14, {20, 5, 80, 16}, kView, {0, 0, 600, 80}, {100});
  EXPECT_EQ(std::pair(p.Box.Height, p.ScrollBar), std::pair(80 - 21 - 10, true));
}

TEST(LookupListPlacement, KeptInsideTheViewAndPanelColumnsScaledToTheWidth) {
  TListPlacement p = PlaceLookupList(3, 14, {450, 60, 40, 16}, kView, kPanel, {100, 50});
  EXPECT_EQ(std::tuple(p.Box.Width, p.Box.Right(), p.ColumnWidths),
            std::tuple(150 + 9 * 2 + 1, kView.Right(), std::vector<int32_t>{108, 58}));

  // Wider than the panel: at most the panel less 10, the columns shrink.
  p = PlaceLookupList(3, 14, {10, 60, 40, 16}, kView, kPanel, {800, 400});
  EXPECT_EQ(p.Box.Width, 590);
  EXPECT_GE(p.Box.Left, 0);
  EXPECT_EQ(p.ColumnWidths[0], static_cast<int32_t>(800 * (590 - 19) / 1200.0L) + 8);

  // No nominal widths: a scale of one.
  p = PlaceLookupList(3, 14, {10, 60, 40, 16}, kView, kPanel, {0, 0});
  EXPECT_EQ(p.ColumnWidths, (std::vector<int32_t>{8, 8}));
}

}  // namespace
}  // namespace vm
