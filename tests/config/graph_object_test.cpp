#include "config/graph_object.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vm {
namespace {

TEST(GraphObject, NamedFieldsSitInTheirStoredWords) {
  const TGraphWords stored{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  TGraphObject g;
  g.SetWords(stored);
  EXPECT_EQ(std::tuple(g.FillColor, g.X, g.Y, g.Width, g.Height, g.Transparent, g.TransparentColor,
                       g.AutoTransparent, g.Reserved[0], g.Reserved[7]),
            std::tuple(1, 2, 3, 4, 5, 6, 7, 8, 9, 16));
  EXPECT_EQ(g.Words(), stored);

  // Only the low byte of the automatic-colour word counts; the rest stays
  // as the file had it.
  g.AutoTransparent = 0x100;
  EXPECT_TRUE(g.IsTransparent() && !g.TakesTransparentColor());
  g.SetTakesTransparentColor(true);
  EXPECT_EQ(g.AutoTransparent, 0x101);
  g.SetTakesTransparentColor(false);
  EXPECT_EQ(g.AutoTransparent, 0x100);
}

TEST(GraphObject, KindNumbersRoundTripAndStrangersReadAsALine) {
  for (int32_t n = 0; n < kGraphKindCount; ++n) EXPECT_EQ(GraphKindNumber(GraphKindFromNumber(n)), n);
  EXPECT_EQ(std::tuple(GraphKindFromNumber(5), GraphKindFromNumber(6)),
            std::tuple(TGraphKind::Rhombus, TGraphKind::Picture));
  for (int32_t n : {-1, 7, 255}) EXPECT_EQ(GraphKindFromNumber(n), TGraphKind::Line) << n;
}

}  // namespace
}  // namespace vm
