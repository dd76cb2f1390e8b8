#include "ui/cell_text.h"

#include <gtest/gtest.h>

using namespace vm;

namespace {

TColFormat Format(char kind, int32_t mode = 0, int32_t decimals = 0, int32_t sign = 1) {
  TColFormat f;
  f.Kind = kind;
  f.Mode = mode;
  f.Decimals = decimals;
  f.Sign = sign;
  return f;
}

TCellInput Typed(const TColFormat& f, std::string_view text) { return NormalizeCellInput(&f, text); }

}  // namespace

TEST(CellText, CleaningTurnsBreaksIntoBlanksAndCommasIntoPointsOnlyForNumbers) {
  EXPECT_EQ(CleanCellText("a\tb\r\nc", false), "a b c");
  EXPECT_EQ(CleanCellText("12,5", true), "12.5");
  EXPECT_EQ(CleanCellText("12,5", false), "12,5");

  EXPECT_EQ(Typed(Format('N', 10, 2), "12,5").Text, "12.5");
  EXPECT_EQ(Typed(Format('C', 20), "12,5").Text, "12,5");
  EXPECT_EQ(Typed(Format('C', 20), "  two\r\nlines\n").Text, "two lines");
  EXPECT_EQ(Typed(Format('N', 10, 2), " 1 234 ").Text, "1234");
}

TEST(CellText, NumbersAreTestedByWidthDecimalsAndSignRule) {
  EXPECT_TRUE(Typed(Format('N', 6, 2), "123.45").Valid);
  EXPECT_FALSE(Typed(Format('N', 6, 2), "1234.5").Valid);
  EXPECT_FALSE(Typed(Format('N', 6, 2), "1.234").Valid);
  EXPECT_FALSE(Typed(Format('N', 6, 2), "abc").Valid);
  EXPECT_FALSE(Typed(Format('N', 6, 2), "").Valid);
  // Mode 0: sixteen characters with four decimals.
  EXPECT_TRUE(Typed(Format('N', 0, 0), "12345678901.1234").Valid);
  EXPECT_FALSE(Typed(Format('N', 0, 0), "1.12345").Valid);
  EXPECT_FALSE(Typed(Format('N', 0, 0), "123456789012.123").Valid);
  // 'R' is a number too.
  EXPECT_EQ(Typed(Format('R', 10, 2), "3,5").Text, "3.5");

  EXPECT_FALSE(Typed(Format('N', 10, 0, 1), "-3").Valid);
  EXPECT_TRUE(Typed(Format('N', 10, 0, 1), "0").Valid);
  EXPECT_FALSE(Typed(Format('N', 10, 0, 2), "0").Valid);
  EXPECT_TRUE(Typed(Format('N', 10, 0, 2), "1").Valid);
  EXPECT_TRUE(Typed(Format('N', 10, 0, -1), "0").Valid);
  EXPECT_FALSE(Typed(Format('N', 10, 0, -1), "1").Valid);
  EXPECT_FALSE(Typed(Format('N', 10, 0, -2), "0").Valid);
  EXPECT_TRUE(Typed(Format('N', 10, 0, -2), "-1").Valid);
  EXPECT_TRUE(Typed(Format('N', 10, 0, 0), "-7").Valid);
}

TEST(CellText, DatesAreNormalisedBeforeTheTest) {
  const TCellInput feb = Typed(Format('D'), "31.02.2005");
  EXPECT_TRUE(feb.Valid);
  EXPECT_EQ(feb.Text, "28.02.2005");
  EXPECT_EQ(Typed(Format('D'), " 5. 3.2007").Text, "5.03.2007");
  EXPECT_FALSE(Typed(Format('D'), "").Valid);
  EXPECT_FALSE(Typed(Format('D'), "5.03.1850").Valid);
}

TEST(CellText, ComputedColumnsKeepTheirTextAndOtherKindsTakeAnything) {
  const TCellInput e = Typed(Format('E'), "  x,y\t ");
  EXPECT_TRUE(e.Valid);
  EXPECT_EQ(e.Text, "x,y");
  EXPECT_TRUE(Typed(Format('T'), "whatever").Valid);
  EXPECT_TRUE(CheckCellText(nullptr, "", 'E'));
  EXPECT_FALSE(CheckCellText(nullptr, "x", 'E'));
  EXPECT_TRUE(NormalizeCellInput(nullptr, "a,b").Valid);
}
