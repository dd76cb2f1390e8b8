// DIV and MOD over small whole numbers take the integer division; they must
// give the bits of the rounded division they replace, for every sign and
// size of operand, and leave every other operand to it.
#include "language/number_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

using namespace vm;

namespace {

long double RoundedDiv(long double a, long double b) {
  return std::fabs(b) < kNumTolerance ? 0 : TruncateToWhole(RoundTo9Places(a / b));
}

long double RoundedMod(long double a, long double b) {
  if (std::fabs(b) < kNumTolerance) return a;
  return RoundTo9Places(a - TruncateToWhole(RoundTo9Places(a / b)) * b);
}

bool SameBits(long double a, long double b) {
  return (a == b && std::signbit(a) == std::signbit(b)) || (std::isnan(a) && std::isnan(b));
}

::testing::AssertionResult AsRounded(long double a, long double b) {
  if (SameBits(DivOf(a, b), RoundedDiv(a, b)) && SameBits(ModOf(a, b), RoundedMod(a, b)))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "DIV/MOD(" << static_cast<double>(a) << ", " << static_cast<double>(b)
                                       << ") = " << static_cast<double>(DivOf(a, b)) << " / "
                                       << static_cast<double>(ModOf(a, b)) << ", rounded "
                                       << static_cast<double>(RoundedDiv(a, b)) << " / "
                                       << static_cast<double>(RoundedMod(a, b));
}

}  // namespace

TEST(NumberFunctions, DivAndModOfWholesAtTheEdges) {
  const long double edges[] = {0.0L,         -0.0L,        1,           -1,          2,           -2,
                               3,            -3,           7,           -7,          999999999,   -999999999,
                               1000000000,   -1000000000,  1000000001,  -1000000001, 1999999999,  2000000000,
                               2147483646,   -2147483646,  2147483647,  -2147483647, 2147483648.0L, -2147483648.0L,
                               4294967296.0L, 1e15L,       0.5L,        -2.5L,       1e-10L,      1e18L};
  for (const long double a : edges)
    for (const long double b : edges) EXPECT_TRUE(AsRounded(a, b));
  // Where the quotient's fraction is within 5e-10 of the next whole number
  // the rounding reaches it; the integer division must not be taken there.
  EXPECT_EQ(DivOf(2147483646, 2147483647), 1);
  EXPECT_EQ(ModOf(2147483646, 2147483647), -1);
  EXPECT_TRUE(std::signbit(DivOf(-1, 3)));
  EXPECT_FALSE(std::signbit(DivOf(-0.0L, 3)));
  EXPECT_FALSE(std::signbit(ModOf(-3, 3)));
}

TEST(NumberFunctions, DivAndModOfRandomWholes) {
  std::mt19937_64 rng(12);
  std::uniform_int_distribution<int64_t> any(-2147483647, 2147483647);
  std::uniform_int_distribution<int> bits(0, 31);
  for (int i = 0; i < 1000000; ++i) {
    // Operands of every size, small divisors and those next to 10^9 most.
    const int64_t a = any(rng) >> bits(rng);
    int64_t b = any(rng) >> bits(rng);
    if (i % 4 == 1) b = 1000000000 - (b & 1023);
    if (i % 4 == 2) b = -(b & 15);
    ASSERT_TRUE(AsRounded(a, b));
    ASSERT_TRUE(AsRounded(a + 0.25L, b));
  }
}

TEST(NumberFunctions, DivAndModOfExactMultiples) {
  std::mt19937_64 rng(13);
  std::uniform_int_distribution<int64_t> divisor(-1000000000, 1000000000);
  for (int i = 0; i < 200000; ++i) {
    const int64_t b = divisor(rng) >> (i % 31);
    if (b == 0) continue;
    const int64_t q = (2147483647 / (b < 0 ? -b : b)) >> (i % 17);
    for (const int64_t a : {q * b, -q * b, q * b + 1, q * b - 1, -q * b + 1}) {
      if (a <= -2147483648LL || a >= 2147483648LL) continue;
      ASSERT_TRUE(AsRounded(a, b));
    }
  }
}
