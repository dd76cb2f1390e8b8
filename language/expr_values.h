// Typed-value helpers the expression language leans on.
#pragma once

#include "foundation/values.h"

namespace vm {

// Numbers closer than this are equal; a smaller magnitude is false.
inline constexpr long double kNumberTolerance = 1e-9L;

inline bool IsTrue(long double v) { return v >= kNumberTolerance || v <= -kNumberTolerance; }

// Interim copy until the shared typed values land: -1, 0 or 1; the kind of
// a decides the rule.
int CompareValues(const TCommonVar& a, const TCommonVar& b, bool caseSensitive);

// Interim copy: X rounded to 9 decimal places.
long double RoundTo9Places(long double x);

}  // namespace vm
