// Rounding of long doubles to whole numbers without the x87 rounding
// instruction and without touching the control word, both of which cost
// tens of cycles: the language rounds in every MOD, DIV and ROUND. The
// results are those of std::rint (in the default rounding mode: to nearest,
// halves to even) and std::trunc, bit for bit, the sign of a zero included.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vm {

static_assert(std::numeric_limits<long double>::digits == 64, "the roundings below need the 64-bit mantissa");

// 2^63: from here on a long double (64-bit mantissa) holds only whole
// numbers, and adding it to a smaller magnitude rounds that to a whole
// number in the current rounding mode.
inline constexpr long double kWholeFrom = 9223372036854775808.0L;

inline long double RoundHalfEven(long double x) {
  const long double a = std::fabs(x);
  if (!(a < kWholeFrom)) return x;
  return std::copysign((a + kWholeFrom) - kWholeFrom, x);
}

inline long double TruncateToWhole(long double x) {
  const long double a = std::fabs(x);
  if (!(a < kWholeFrom)) return x;
  long double r = (a + kWholeFrom) - kWholeFrom;
  if (r > a) r -= 1;
  return std::copysign(r, x);
}

// Whether X is a whole number under Limit (at most 2^63) in magnitude, and
// then which; -0 reads as 0. The x87 store of an integer rounds in the
// default mode, which does for a whole number; a conversion by the language
// would switch the control word to truncate and back, which costs more than
// all the rest.
inline bool ReadWhole(long double x, long double limit, int64_t& whole) {
  if (!(std::fabs(x) < limit)) return false;
  int64_t n;
  __asm__("fistpll %0" : "=m"(n) : "t"(x) : "st");
  if (static_cast<long double>(n) != x) return false;
  whole = n;
  return true;
}

}  // namespace vm
