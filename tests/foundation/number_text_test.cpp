#include "foundation/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vm;

namespace {

bool Reads(std::string_view s, long double expected) {
  long double x = -12345;
  return TextToExtended(s, x) && x == expected;
}

bool Refuses(std::string_view s) {
  long double x = -12345;
  return !TextToExtended(s, x) && x == -12345;
}

}  // namespace

TEST(NumberText, ReadsDecimalTextOnly) {
  EXPECT_TRUE(Reads("1.5", 1.5L));
  EXPECT_TRUE(Reads("  12", 12));
  EXPECT_TRUE(Reads("-3.25e2", -325));
  EXPECT_TRUE(Reads("5.", 5));
  EXPECT_TRUE(Reads(".5", 0.5L));
  EXPECT_TRUE(Reads("0.1", 0.1L));  // the extended value, not the double one
  EXPECT_TRUE(Refuses(""));
  EXPECT_TRUE(Refuses("12 "));
  EXPECT_TRUE(Refuses("\t12"));
  EXPECT_TRUE(Refuses("."));
  EXPECT_TRUE(Refuses("+-5"));
  EXPECT_TRUE(Refuses("1e"));
  EXPECT_TRUE(Refuses("1.5,3"));
  EXPECT_TRUE(Refuses("inf"));
  EXPECT_TRUE(Refuses("0x10"));
  EXPECT_TRUE(Refuses("1e5000"));
}

TEST(NumberText, FixedDecimalsRoundHalvesToEven) {
  EXPECT_EQ(ExtendedToFixed(0.125L, 2), "0.12");
  EXPECT_EQ(ExtendedToFixed(0.375L, 2), "0.38");
  EXPECT_EQ(ExtendedToFixed(2.5L, 0), "2");
  EXPECT_EQ(ExtendedToFixed(3.5L, 0), "4");
  EXPECT_EQ(ExtendedToFixed(-2.5L, 0), "-2");
  EXPECT_EQ(ExtendedToFixed(1.5L, 0), "2");
  // A long double that lies just above a half is not a half.
  EXPECT_EQ(ExtendedToFixed(std::nextafter(2.5L, 3.0L), 0), "3");
  EXPECT_EQ(ExtendedToFixed(12.5L, 4), "12.5000");
  EXPECT_EQ(ExtendedToFixed(-0.001L, 2), "0.00");
  EXPECT_EQ(ExtendedToFixed(-1234567.891L, 2), "-1234567.89");
  EXPECT_EQ(ExtendedToFixed(0.1L, 18), "0.100000000000000000");
  EXPECT_EQ(ExtendedToFixed(9.9999L, 2), "10.00");
}

TEST(NumberText, WideAndHugeNumbers) {
  EXPECT_EQ(ExtendedToFixed(std::ldexp(1.0L, 100), 1), "1267650600228229401496703205376.0");
  EXPECT_EQ(ExtendedToFixed(1e20L, 20), "100000000000000000000.00000000000000000000");
  EXPECT_EQ(ExtendedToFixed(0.1L, 25), "0.1000000000000000000000000");
  EXPECT_EQ(ExtendedToFixed(1e10L + 0.1L, 15), "10000000000.100000000000000");
  EXPECT_EQ(ExtendedToFixed(1e-30L, 32), "0.00000000000000000000000000000100");
  EXPECT_EQ(ExtendedToFixed(1e36L, 2), "1E+36");
  EXPECT_EQ(ExtendedToFixed(-1.5e40L, 0), "-1.5E+40");
  EXPECT_EQ(ExtendedToFixed(123456789012345678901234567890123456789.0L, 2),
            "1.23456789012345679E+38");
  EXPECT_EQ(ExtendedToFixed(std::numeric_limits<long double>::max(), 2).substr(0, 6), "1.1897");
  EXPECT_EQ(ExtendedToFixed(9.99999999999999999999e36L, 0), "1E+37");
  EXPECT_EQ(ExtendedToFixed(std::numeric_limits<long double>::infinity(), 2), "");
}
