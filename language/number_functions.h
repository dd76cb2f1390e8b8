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

// Rounding to 9 places first keeps 0.3 / 0.1 at 3 rather than 2.
inline long double DivOf(long double a, long double b) {
  return std::fabs(b) < kNumTolerance ? 0 : TruncateToWhole(RoundTo9Places(a / b));
}

inline long double ModOf(long double a, long double b) {
  if (std::fabs(b) < kNumTolerance) return a;
  return RoundTo9Places(a - TruncateToWhole(RoundTo9Places(a / b)) * b);
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
