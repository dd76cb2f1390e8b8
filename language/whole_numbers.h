// The language's arithmetic on whole numbers held as 64-bit integers. A
// long double has a 64-bit mantissa, so every whole number under 2^63 in
// magnitude is exact in it, and so is every sum, difference, product and
// exact quotient of two of them that stays under 2^63: there the integer
// result is bit for bit what the long double arithmetic gives. Where it is
// not (a fraction, a negative zero, past 2^63, a power, a built-in without
// an integer form), the operation runs on long doubles and its result is
// taken back only when it is such a whole number again. Every function here
// gives false where the long double result is not one, and then changes
// nothing the caller may rely on.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "foundation/values/rounding.h"
#include "language/number_functions.h"
#include "language/operators.h"

namespace vm {

// Whether X is a whole number an integer holds as the language sees it:
// under 2^63 in magnitude, and not a negative zero, which prints and
// divides differently from a zero.
inline bool ToWhole(long double x, int64_t& w) {
  return ReadWhole(x, kWholeFrom, w) && (w != 0 || !std::signbit(x));
}

// -2^63 is whole in a long double but its magnitude is not an int64_t.
inline bool InWholeRange(int64_t w) { return w != std::numeric_limits<int64_t>::min(); }

// X op Y through the long double arithmetic, when that gives a whole number.
[[gnu::noinline]] inline bool WholeOperatorByLongDouble(int op, int64_t x, int64_t y, int64_t& r) {
  long double acc = static_cast<long double>(x);
  if (ApplyNumberOperator(op, acc, static_cast<long double>(y)) != 0) return false;
  return ToWhole(acc, r);
}

// X op Y for the operator Op (operators.h) as ApplyNumberOperator gives it.
template <int Op>
inline bool WholeOperator(int64_t x, int64_t y, int64_t& r) {
  if constexpr (Op == kOpAdd) {
    if (!__builtin_add_overflow(x, y, &r) && InWholeRange(r)) return true;
  } else if constexpr (Op == kOpSub) {
    if (!__builtin_sub_overflow(x, y, &r) && InWholeRange(r)) return true;
  } else if constexpr (Op == kOpMul) {
    // A zero times a negative number is a negative zero.
    if (!__builtin_mul_overflow(x, y, &r) && InWholeRange(r) && (r != 0 || (x >= 0 && y >= 0))) return true;
  } else if constexpr (Op == kOpDiv) {
    // A quotient that is not whole in the integers is no whole long double
    // either: its fraction is at least 1/|Y|, more than half a unit of its
    // last place.
    if (y != 0 && x % y == 0 && (x != 0 || y > 0)) {
      r = x / y;
      return true;
    }
  } else if constexpr (Op == kOpPow) {
    // The square is one multiplication there too.
    if (y == 2 && x != 0 && !__builtin_mul_overflow(x, x, &r) && InWholeRange(r)) return true;
  } else {
    // The difference of two numbers under 2^63 is exact, so the tolerance of
    // the comparison decides nothing.
    static_assert(Op >= kOpLess && Op <= kOpEq);
    const bool holds = Op == kOpLess        ? x < y
                       : Op == kOpGreater   ? x > y
                       : Op == kOpLessEq    ? x <= y
                       : Op == kOpGreaterEq ? x >= y
                       : Op == kOpNotEq     ? x != y
                                            : x == y;
    r = holds ? 1 : 0;
    return true;
  }
  return WholeOperatorByLongDouble(Op, x, y, r);
}

// The same with the operator known only at run time.
inline bool WholeOperatorOf(int op, int64_t x, int64_t y, int64_t& r) {
  switch (op) {
    case kOpMul: return WholeOperator<kOpMul>(x, y, r);
    case kOpDiv: return WholeOperator<kOpDiv>(x, y, r);
    case kOpAdd: return WholeOperator<kOpAdd>(x, y, r);
    case kOpSub: return WholeOperator<kOpSub>(x, y, r);
    case kOpPow: return WholeOperator<kOpPow>(x, y, r);
    case kOpLess: return WholeOperator<kOpLess>(x, y, r);
    case kOpGreater: return WholeOperator<kOpGreater>(x, y, r);
    case kOpLessEq: return WholeOperator<kOpLessEq>(x, y, r);
    case kOpGreaterEq: return WholeOperator<kOpGreaterEq>(x, y, r);
    case kOpNotEq: return WholeOperator<kOpNotEq>(x, y, r);
    case kOpEq: return WholeOperator<kOpEq>(x, y, r);
    default: return false;
  }
}

// The operands of DIV and MOD for which the integer quotient and remainder
// are what the rounded division gives (see SmallWholes).
inline bool SmallWholeDividend(int64_t x) { return x > -2147483648LL && x < 2147483648LL; }
inline bool SmallWholeDivisor(int64_t y) { return y != 0 && y >= -1000000000LL && y <= 1000000000LL; }

[[gnu::noinline]] inline bool WholeFunctionByLongDouble(uint8_t function, int64_t x, int64_t y, int64_t& r) {
  const long double v = ApplyNumberFunction(function, static_cast<long double>(x), static_cast<long double>(y));
  return std::isfinite(v) && ToWhole(v, r);
}

// DIV and MOD as DivOf and ModOf give them, by a divisor known to be small.
inline bool WholeDivBySmall(int64_t x, int64_t y, int64_t& r) {
  if (!SmallWholeDividend(x)) return WholeFunctionByLongDouble(kNumFnDiv, x, y, r);
  // Both fit 32 bits, whose division is the quicker.
  r = static_cast<int32_t>(x) / static_cast<int32_t>(y);
  // A quotient truncated to zero from below is a negative zero.
  return r != 0 || x == 0 || (x < 0) == (y < 0);
}

inline bool WholeModBySmall(int64_t x, int64_t y, int64_t& r) {
  if (!SmallWholeDividend(x)) return WholeFunctionByLongDouble(kNumFnMod, x, y, r);
  r = static_cast<int32_t>(x) % static_cast<int32_t>(y);
  return true;
}

// DIV and MOD by any divisor.
inline bool WholeDivOf(int64_t x, int64_t y, int64_t& r) {
  return SmallWholeDivisor(y) ? WholeDivBySmall(x, y, r) : WholeFunctionByLongDouble(kNumFnDiv, x, y, r);
}

inline bool WholeModOf(int64_t x, int64_t y, int64_t& r) {
  return SmallWholeDivisor(y) ? WholeModBySmall(x, y, r) : WholeFunctionByLongDouble(kNumFnMod, x, y, r);
}

// A built-in of number_functions.h on whole numbers as ApplyNumberFunction
// gives it (a function of one argument ignores Y).
inline bool WholeFunction(uint8_t function, int64_t x, int64_t y, int64_t& r) {
  switch (function) {
    case kNumFnMax: r = y >= x ? y : x; return true;
    case kNumFnMin: r = y <= x ? y : x; return true;
    case kNumFnSign: r = (x > 0) - (x < 0); return true;
    // A whole number rounds and truncates to itself.
    case kNumFnRound:
    case kNumFnInt: r = x; return true;
    case kNumFnAbs: r = x < 0 ? -x : x; return true;
    case kNumFnDiv: return WholeDivOf(x, y, r);
    case kNumFnMod: return WholeModOf(x, y, r);
    default: return WholeFunctionByLongDouble(function, x, y, r);
  }
}

}  // namespace vm
