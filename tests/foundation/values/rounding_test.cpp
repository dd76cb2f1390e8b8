#include "foundation/values/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>

using namespace vm;

namespace {

bool SameBits(long double a, long double b) {
  return (a == b && std::signbit(a) == std::signbit(b)) || (std::isnan(a) && std::isnan(b));
}

void ExpectAsLibrary(long double x) {
  EXPECT_TRUE(SameBits(RoundHalfEven(x), std::rint(x))) << static_cast<double>(x);
  EXPECT_TRUE(SameBits(TruncateToWhole(x), std::trunc(x))) << static_cast<double>(x);
}

}  // namespace

TEST(Rounding, HalvesGoToEvenAndZerosKeepTheirSign) {
  for (const long double x : {0.5L, 1.5L, 2.5L, 3.5L, -0.5L, -1.5L, -2.5L, -3.5L, 0.0L, -0.0L, 0.49L, -0.49L,
                              1e-30L, -1e-30L, 4503599627370495.5L, -4503599627370496.5L})
    ExpectAsLibrary(x);
  EXPECT_EQ(std::pair(RoundHalfEven(2.5L), RoundHalfEven(-3.5L)), std::pair(2.0L, -4.0L));
  EXPECT_TRUE(std::signbit(RoundHalfEven(-0.5L)) && std::signbit(TruncateToWhole(-0.9L)));
}

TEST(Rounding, NumbersAtTheEdgeOfTheMantissa) {
  const long double big = 9223372036854775808.0L;
  for (const long double x : {big, -big, std::nextafter(big, 0.0L), -std::nextafter(big, 0.0L), big / 2 + 0.5L,
                              -(big / 2 + 0.5L), std::numeric_limits<long double>::max(),
                              std::numeric_limits<long double>::infinity(),
                              -std::numeric_limits<long double>::infinity(),
                              std::numeric_limits<long double>::denorm_min()})
    ExpectAsLibrary(x);
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN())));
}

TEST(Rounding, RandomNumbersOfEveryScale) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-40, 70);
  for (int i = 0; i < 300000; ++i) {
    const long double x = std::ldexp(static_cast<long double>(mantissa(rng)), exponent(rng));
    ASSERT_TRUE(SameBits(RoundHalfEven(x), std::rint(x))) << static_cast<double>(x);
    ASSERT_TRUE(SameBits(TruncateToWhole(x), std::trunc(x))) << static_cast<double>(x);
    // Exact halves of every size.
    const long double half = std::trunc(x) + (x < 0 ? -0.5L : 0.5L);
    ASSERT_TRUE(SameBits(RoundHalfEven(half), std::rint(half))) << static_cast<double>(half);
  }
}

TEST(Rounding, ReadsWholeNumbersUnderTheLimitOnly) {
  int64_t n = 99;
  for (const long double x : {0.0L, -0.0L, 1.0L, -1.0L, 2147483647.0L, -2147483647.0L, 4611686018427387903.0L,
                              -4611686018427387903.0L}) {
    ASSERT_TRUE(ReadWhole(x, 4611686018427387904.0L, n)) << static_cast<double>(x);
    EXPECT_EQ(static_cast<long double>(n), x);
  }
  for (const long double x : {0.5L, -0.5L, 1e-20L, 2147483647.5L, -3.0000000001L,
                              std::numeric_limits<long double>::quiet_NaN(),
                              std::numeric_limits<long double>::infinity()})
    EXPECT_FALSE(ReadWhole(x, 4611686018427387904.0L, n)) << static_cast<double>(x);
  EXPECT_FALSE(ReadWhole(2147483648.0L, 2147483648.0L, n) || ReadWhole(-2147483648.0L, 2147483648.0L, n));
}
