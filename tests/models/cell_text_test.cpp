#include "models/cell_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/encoding.h"

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
  // Mode 0 allows sixteen characters with four decimals.
  const struct {
    int32_t mode, decimals, sign;
    const char* text;
    bool valid;
  } rows[] = {
      {6, 2, 1, "123.45", true},  {6, 2, 1, "1234.5", false}, {6, 2, 1, "1.234", false},
      {6, 2, 1, "abc", false},    {6, 2, 1, "", false},       {0, 0, 1, "12345678901.1234", true},
      {0, 0, 1, "1.12345", false}, {0, 0, 1, "123456789012.123", false},
      {10, 0, 1, "-3", false},    {10, 0, 1, "0", true},      {10, 0, 2, "0", false},
      {10, 0, 2, "1", true},      {10, 0, -1, "0", true},     {10, 0, -1, "1", false},
      {10, 0, -2, "0", false},    {10, 0, -2, "-1", true},    {10, 0, 0, "-7", true},
  };
  for (const auto& r : rows)
    EXPECT_EQ(Typed(Format('N', r.mode, r.decimals, r.sign), r.text).Valid, r.valid)
        << r.mode << "," << r.decimals << " sign " << r.sign << ": " << r.text;
  // 'R' is a number too.
  EXPECT_EQ(Typed(Format('R', 10, 2), "3,5").Text, "3.5");
}

TEST(CellText, DatesAreNormalisedBeforeTheTest) {
  const TCellInput feb = Typed(Format('D'), "31.02.2005");
  EXPECT_EQ(std::pair(feb.Valid, feb.Text), std::pair(true, std::string("28.02.2005")));
  EXPECT_EQ(Typed(Format('D'), " 5. 3.2007").Text, "5.03.2007");
  EXPECT_FALSE(Typed(Format('D'), "").Valid);
  EXPECT_FALSE(Typed(Format('D'), "5.03.1850").Valid);
}

TEST(CellText, ComputedColumnsKeepTheirTextAndOtherKindsTakeAnything) {
  const TCellInput e = Typed(Format('E'), "  x,y\t ");
  EXPECT_EQ(std::pair(e.Valid, e.Text), std::pair(true, std::string("x,y")));
  EXPECT_TRUE(Typed(Format('T'), "whatever").Valid);
  EXPECT_TRUE(CheckCellText(nullptr, "", 'E'));
  EXPECT_FALSE(CheckCellText(nullptr, "x", 'E'));
  EXPECT_TRUE(NormalizeCellInput(nullptr, "a,b").Valid);
}

// A number too wide for its column says how many digits fit; the minus of a
// negative number takes one of the places before the point, which the
// message says when the number typed is negative and the column's sign
// rule takes one, and where the rule takes nothing but negatives and zero.
// Where the rule takes no negative, the message says so instead; a number
// that fits and breaks the sign rule gets the first line alone.
TEST(CellText, ANumberTooWideSaysWhatFitsAndWhatANegativeOneLoses) {
  const std::string bad = "Введены неправильные данные\r"_w;
  const std::string fits = "В поле помещается число не больше 7 знаков до точки и 2 после нее";
  const std::string fitsNegative = fits + ", 6 знаков до точки, если число отрицательное";
  const std::string notNegative = fits + ", число не может быть отрицательным";
  const struct {
    int32_t mode, decimals, sign;
    const char* typed;
    std::string said;  // after the first line; empty for that line alone, "+" when accepted
  } rows[] = {
      {10, 2, 0, "12345678,5", fits},
      {10, 2, 0, "-1234567,5", fitsNegative},
      {10, 2, 0, "-1,234", fitsNegative},
      {10, 2, 0, "-123456,5", "+"},
      {10, 2, 1, "12345678,5", fits},
      {10, 2, 1, "-1234567,5", notNegative},
      {10, 2, 1, "-1,234", notNegative},
      {10, 2, 1, "-123456,5", ""},
      {10, 2, 2, "12345678,5", fits},
      {10, 2, 2, "-1234567,5", notNegative},
      {10, 2, 2, "-123456,5", ""},
      {10, 2, -1, "12345678,5", fitsNegative},
      {10, 2, -1, "-1234567,5", fitsNegative},
      {10, 2, -1, "-123456,5", "+"},
      {10, 2, -2, "12345678,5", fitsNegative},
      {10, 2, -2, "-1234567,5", fitsNegative},
      {10, 2, -2, "-123456,5", "+"},
      {10, 2, -2, "123456,5", ""},
      {6, 0, 1, "1234567", "В поле помещается целое число не больше 6 знаков"},
      {6, 0, 0, "-123456", "В поле помещается целое число не больше 6 знаков, 5 знаков, если число отрицательное"},
      {6, 0, 1, "-123456", "В поле помещается целое число не больше 6 знаков, число не может быть отрицательным"},
      {1, 0, 1, "12", "В поле помещается целое число не больше 1 знаков"},
      {1, 0, 0, "-5", "В поле помещается целое число не больше 1 знаков, отрицательное число в поле не помещается"},
      {1, 0, 2, "-5", "В поле помещается целое число не больше 1 знаков, число не может быть отрицательным"},
      {4, 2, 0, "-1", "В поле помещается число не больше 1 знаков до точки и 2 после нее, отрицательное число в поле "
                      "не помещается"},
      {4, 2, -2, "12", "В поле помещается число не больше 1 знаков до точки и 2 после нее, отрицательное число в поле "
                       "не помещается"},
      {10, 2, 1, "abc", ""},
      {25, 0, 1, "1234567890123456789", "+"},
      {25, 0, 1, "92348234340767469509", "Число хранит не больше 18 значащих цифр"},
      {22, 14, 1, "5951192,353", "+"},
  };
  for (const auto& r : rows) {
    const TColFormat f = Format('N', r.mode, r.decimals, r.sign);
    const TCellInput in = Typed(f, r.typed);
    ASSERT_EQ(in.Valid, r.said == "+") << r.mode << "," << r.decimals << " sign " << r.sign << ": " << r.typed;
    if (in.Valid) continue;
    const std::string said = Utf8ToCp1251(r.said);
    EXPECT_EQ(CellRefusalText(&f, in), said.empty() ? bad.substr(0, bad.size() - 1) : bad + said)
        << r.mode << "," << r.decimals << " sign " << r.sign << ": " << r.typed;
  }
}
