#include "foundation/values/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/encoding.h"
#include "config/sysvars.h"

using namespace vm;

namespace {

TCommonVar Num(long double x) { return {'N', "", x, {}, {}}; }
TCommonVar Text(const std::string& s) { return {'C', s, 0, {}, {}}; }
TCommonVar Of(char kind, TDateRec d, TTimeRec t = {}) { return {kind, "", 0, d, t}; }

TCommonVar Read(std::string_view s, char kind) {
  TCommonVar v;
  TextToValue(s, kind, v);
  return v;
}

}  // namespace

TEST(ValueText, TextToNumberTakesTheFirstCommaAsPoint) {
  for (auto [text, num] : {std::pair{"1,5", 1.5L}, {"1,5,3", 0}, {"12 ", 0}, {"  12", 12}})
    EXPECT_EQ(Read(text, 'N').Num, num) << text;
  const TCommonVar r = Read("7", 'R');
  EXPECT_EQ(std::pair(r.Kind, r.Num), std::pair('N', 7.0L));

  TCommonVar v = Text("kept");
  TextToValue("3", 'N', v);
  EXPECT_EQ(std::pair(v.Kind, v.Str), std::pair('N', std::string("kept")))
      << "other parts are left as they were";
}

TEST(ValueText, TextToOtherKinds) {
  const TCommonVar c = Read(" \tслово \t"_w, 'C');
  EXPECT_EQ(std::pair(c.Kind, c.Str), std::pair('C', "слово"_w));
  EXPECT_EQ(Read("15.5.07", 'D').Date, (TDateRec{15, 5, 2007}));
  EXPECT_EQ(Read("31 февраля 2007"_w, 'D').Date, (TDateRec{28, 2, 2007}));
  EXPECT_EQ(Read("", 'D').Date, (TDateRec{0, 0, 0}));
  EXPECT_EQ(Read("9:05", 'T').Time, (TTimeRec{9, 5, 0}));

  TCommonVar x = Num(5);
  x.Str = "s";
  TextToValue("5", 'Q', x);
  EXPECT_EQ(std::tuple(x.Kind, x.Num, x.Str), std::tuple('Q', 0.0L, std::string()));
}

TEST(ValueText, NumbersPrintWithHalvesToEven) {
  struct Case {
    long double x;
    int mode, decimals;
    const char* text;
  };
  for (const Case& c : {Case{12.5L, 0, 2, "12.5000"}, {2.5L, 0, 0, "2.5000"}, {0.125L, 255, 2, "0.12"},
                        {2.5L, 255, 0, "2"}, {3.5L, 255, 0, "4"}, {12.6L, 1, 0, "13"},
                        {-1.005L, 2, 1, "-1.0"}, {0.0000000009L, 0, 0, "0.0000"},
                        {-0.0000000009L, 255, 2, "0.00"}, {1e-9L, 255, 12, "0.000000001000"},
                        {0.5L, 255, 0, "0"}, {-0.5L, 255, 0, "0"}, {-2.5L, 255, 0, "-2"},
                        {-3.5L, 255, 0, "-4"}, {-0.125L, 255, 2, "-0.12"}, {-0.375L, 255, 2, "-0.38"}})
    EXPECT_EQ(ValueToText(Num(c.x), c.mode, c.decimals), c.text) << c.mode << "," << c.decimals;
}

// Rounding to nine places went through a 64-bit integer; now it stays in
// floating point and must give the very same bits, a plain 0 for a small
// negative number included.
TEST(ValueText, RoundingToNinePlacesMatchesTheIntegerRoute) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-14, 9);
  for (int i = 0; i < 200000; ++i) {
    const long double x = static_cast<long double>(mantissa(rng)) * std::pow(10.0L, exponent(rng));
    const long double scaled = x * 1e9f;
    const long double old = std::fabs(scaled) < 9223372036854775808.0L
                                ? static_cast<long double>(std::llrint(scaled)) * 1e-9L
                                : x;
    const long double now = RoundTo9Places(x);
    ASSERT_TRUE(old == now && std::signbit(old) == std::signbit(now)) << static_cast<double>(x);
  }
  EXPECT_FALSE(std::signbit(RoundTo9Places(-1e-12L)));
  EXPECT_EQ(RoundTo9Places(0.1L + 0.2L), RoundTo9Places(0.3L));
  EXPECT_EQ(std::pair(RoundTo9Places(2.5e-9L), RoundTo9Places(3.5e-9L)), std::pair(2e-9L, 4e-9L));
}

TEST(ValueText, OtherKindsPrint) {
  const TCommonVar d = Of('D', {5, 3, 2007});
  EXPECT_EQ(ValueToText(d, 0, 0), "5.03.2007");
  EXPECT_EQ(ValueToText(d, 1, 0), "5 марта 2007 г."_w);
  const TCommonVar t = Of('T', {}, {14, 5, 9});
  EXPECT_EQ(ValueToText(t, 0, 0), "14:05");
  EXPECT_EQ(ValueToText(t, 2, 0), "14:05.09");
  EXPECT_EQ(ValueToText(t, 3, 0), "14ч. 05мин. 09с."_w);
  EXPECT_EQ(ValueToText(Text("  a b "), 0, 0), "a b");
  EXPECT_EQ(ValueToText(Of('-', {}), 0, 0), "");

  EXPECT_EQ(ValueToTextAuto(Num(7.0000000001L), -2), "7");
  EXPECT_EQ(ValueToTextAuto(Num(5.25L), -2), "5.25");
  EXPECT_EQ(ValueToTextAuto(Num(-6.9999999999L), -3), "-7");
  EXPECT_EQ(ValueToTextAuto(Num(5), 2), "5.00");
  EXPECT_EQ(ValueToTextAuto(d, 1), "5 марта 2007 г."_w);
  EXPECT_EQ(ValueToTextAuto(t, -2), "14:05.09");
  EXPECT_EQ(ValueToTextAuto(Text(" x "), -2), "x");
}

TEST(ValueText, ComparisonUsesTheToleranceAndTheKindOfTheFirstValue) {
  EXPECT_EQ(CompareValues(Num(1), Num(1.0000000005L), false), 0);
  EXPECT_EQ(CompareValues(Num(1), Num(1.000000002L), false), -1);
  EXPECT_EQ(CompareValues(Num(1.000000002L), Num(1), false), 1);
  EXPECT_EQ(CompareValues(Num(0), Num(1e-9L), false), -1);  // exactly the tolerance is apart
  EXPECT_TRUE(ValuesEqual(Num(2), Num(2.0000000001L)));

  EXPECT_EQ(CompareValues(Text("abc"), Text("ABC"), false), 0);
  EXPECT_NE(CompareValues(Text("abc"), Text("ABC"), true), 0);
  EXPECT_EQ(CompareValues(Text("ёлка"_w), Text("жук"_w), false), -1);  // Ё sorts after Е, before Ж
  EXPECT_TRUE(ValuesEqual(Text("Привет"_w), Text("ПРИВЕТ"_w)));

  EXPECT_EQ(CompareValues(Of('D', {31, 12, 2006}), Of('C', {1, 1, 2007}), false), -1);
  EXPECT_EQ(CompareValues(Of('C', {1, 1, 2007}), Of('D', {31, 12, 2006}), false), 0);
  EXPECT_EQ(CompareValues(Of('T', {}, {10, 0, 1}), Of('T', {}, {10, 0, 0}), false), 1);
  EXPECT_EQ(CompareValues(Of('-', {}, {10, 0, 1}), Of('T', {}, {10, 0, 0}), false), 1);
}

// Sorts and searches order numbers by nine decimals: equal within the
// tolerance where a number has no more decimals, never equal in pairs along
// a chain longer than the tolerance; other kinds as CompareValues.
TEST(ValueText, TheOrderOfNumbersGoesByNineDecimals) {
  EXPECT_EQ(CompareValuesInOrder(Num(1), Num(1.0000000004L), false), 0);
  EXPECT_EQ(CompareValuesInOrder(Num(1.0000000004L), Num(1.0000000008L), false), -1);
  EXPECT_EQ(CompareValuesInOrder(Num(1.000000001L), Num(1), false), 1);
  EXPECT_EQ(CompareValuesInOrder(Num(-0.0L), Num(0), false), 0);
  EXPECT_EQ(CompareValuesInOrder(Num(-0.0000000004L), Num(0), false), 0);
  EXPECT_EQ(CompareValuesInOrder(Num(123456789.123456789L), Num(123456789.123456788L), false), 1);
  // Past 2^63 units every number is whole and stands for itself.
  EXPECT_EQ(CompareValuesInOrder(Num(1e19L), Num(1e19L + 8), false), -1);
  EXPECT_EQ(CompareValuesInOrder(Num(-1e30L), Num(-1e30L), false), 0);
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_EQ(CompareValuesInOrder(Num(nan), Num(-1e30L), false), -1);
  EXPECT_EQ(CompareValuesInOrder(Num(-1e30L), Num(nan), false), 1);
  EXPECT_EQ(CompareValuesInOrder(Text("abc"), Text("ABC"), false), 0);
  EXPECT_EQ(CompareValuesInOrder(Of('D', {31, 12, 2006}), Of('C', {1, 1, 2007}), false), -1);
}
