// The arithmetic of the built-ins that take numbers and give a number, kept
// apart from their routines so that the evaluator can run it straight when
// every argument is a plain number, without an argument frame. Each fails
// exactly where its result is not finite; the evaluator then runs the
// routine, which names the error. Inline, so that the number code keeps its
// numbers in registers: a call would spill every one of them.
#pragma once

#include <cmath>
#include <cstdint>

#include "foundation/values/rounding.h"
#include "foundation/values/value_text.h"

namespace vm {

enum : uint8_t {
  kNoNumberFunction,
  kNumFnExp,
  kNumFnSqrt,
  kNumFnMax,
  kNumFnMin,
  kNumFnSign,
  kNumFnRound,
  kNumFnInt,
  kNumFnAbs,
  kNumFnDiv,
  kNumFnMod,
};

// kNoNumberFunction for a function without such arithmetic.
uint8_t NumberFunctionOf(int funcNo);

inline long double ExpOf(long double x) { return std::exp(x); }

inline long double SqrtOf(long double x) { return x < 0 ? NAN : std::sqrt(x); }

inline long double MaxOf(long double a, long double b) { return b >= a ? b : a; }

inline long double MinOf(long double a, long double b) { return b <= a ? b : a; }

inline long double SignOf(long double x) { return x > 0 ? 1 : std::fabs(x) < kNumTolerance ? 0 : -1; }

inline long double RoundOf(long double x) { return RoundHalfEven(x); }

inline long double IntOf(long double x) { return TruncateToWhole(x); }

inline long double AbsOf(long double x) { return std::fabs(x); }

// The two halves of SmallWholes below: A whole with |A| < 2^31, B whole
// with 1 <= |B| <= 10^9.
inline bool WholeDividend(long double a, int32_t& x) {
  int64_t w;
  if (!ReadWhole(a, 2147483648.0L, w)) return false;
  x = static_cast<int32_t>(w);
  return true;
}

inline bool WholeDivisor(long double b, int32_t& y) {
  int64_t w;
  if (!ReadWhole(b, 1000000001.0L, w) || w == 0) return false;
  y = static_cast<int32_t>(w);
  return true;
}

// Whole A and B with |A| < 2^31 and 1 <= |B| <= 10^9, the usual operands
// of DIV and MOD, for which the integer quotient and remainder are bit for
// bit what the rounded division below gives. A fraction of A / B is then at
// least 1e-9 from a whole number, and the errors of the division, of the
// scaling by 1e9 and of the scaling back stay far below that, so the
// rounding to 9 places neither reaches the next whole number nor leaves the
// whole one; a whole quotient under 2^31 and a remainder under 10^9 come back
// from that rounding unchanged (checked for every one of them). Beyond 10^9
// it does not hold: DIV(2147483646, 2147483647) rounds up to 1.
inline bool SmallWholes(long double a, long double b, int32_t& x, int32_t& y) {
  return WholeDividend(a, x) && WholeDivisor(b, y);
}

// DIV and MOD of small wholes (see SmallWholes) as integers.
inline long double WholeDiv(int32_t x, int32_t y) {
  const int32_t q = x / y;
  // The truncation keeps the sign of a negative quotient under 1.
  if (q == 0 && x != 0 && (x < 0) != (y < 0)) return -0.0L;
  return q;
}

inline long double WholeMod(int32_t x, int32_t y) { return x % y; }

// Rounding to 9 places first keeps 0.3 / 0.1 at 3 rather than 2.
inline long double DivOf(long double a, long double b) {
  int32_t x, y;
  if (SmallWholes(a, b, x, y)) return WholeDiv(x, y);
  return std::fabs(b) < kNumTolerance ? 0 : TruncateToWhole(RoundTo9Places(a / b));
}

inline long double ModOf(long double a, long double b) {
  int32_t x, y;
  if (SmallWholes(a, b, x, y)) return WholeMod(x, y);
  if (std::fabs(b) < kNumTolerance) return a;
  return RoundTo9Places(a - TruncateToWhole(RoundTo9Places(a / b)) * b);
}

// The built-in F, known where it is called, inline there: a call would
// pass the numbers through memory.
template <uint8_t F>
[[gnu::always_inline]] inline long double NumberFunction(long double x, long double y) {
  if constexpr (F == kNumFnExp) return ExpOf(x);
  else if constexpr (F == kNumFnSqrt) return SqrtOf(x);
  else if constexpr (F == kNumFnMax) return MaxOf(x, y);
  else if constexpr (F == kNumFnMin) return MinOf(x, y);
  else if constexpr (F == kNumFnSign) return SignOf(x);
  else if constexpr (F == kNumFnRound) return RoundOf(x);
  else if constexpr (F == kNumFnInt) return IntOf(x);
  else if constexpr (F == kNumFnAbs) return AbsOf(x);
  else if constexpr (F == kNumFnDiv) return DivOf(x, y);
  else return ModOf(x, y);
}

// A function of one argument ignores y.
inline long double ApplyNumberFunction(uint8_t function, long double x, long double y) {
  switch (function) {
    case kNumFnExp: return ExpOf(x);
    case kNumFnSqrt: return SqrtOf(x);
    case kNumFnMax: return MaxOf(x, y);
    case kNumFnMin: return MinOf(x, y);
    case kNumFnSign: return SignOf(x);
    case kNumFnRound: return RoundOf(x);
    case kNumFnInt: return IntOf(x);
    case kNumFnAbs: return AbsOf(x);
    case kNumFnDiv: return DivOf(x, y);
    case kNumFnMod: return ModOf(x, y);
    default: return NAN;
  }
}

}  // namespace vm
