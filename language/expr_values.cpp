#include "language/expr_values.h"

#include <cmath>

namespace vm {

namespace {

template <typename T>
int Sign3(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

int CompareValues(const TCommonVar& a, const TCommonVar& b, bool /*caseSensitive*/) {
  switch (a.Kind) {
    case 'C':
      return Sign3(a.Str.compare(b.Str), 0);
    case 'N':
      if (std::fabs(a.Num - b.Num) < kNumberTolerance) return 0;
      return a.Num > b.Num ? 1 : -1;
    case 'D':
      if (a.Date.Year != b.Date.Year) return Sign3(a.Date.Year, b.Date.Year);
      if (a.Date.Month != b.Date.Month) return Sign3(a.Date.Month, b.Date.Month);
      return Sign3(a.Date.Day, b.Date.Day);
    default:
      if (a.Time.Hour != b.Time.Hour) return Sign3(a.Time.Hour, b.Time.Hour);
      if (a.Time.Minute != b.Time.Minute) return Sign3(a.Time.Minute, b.Time.Minute);
      return Sign3(a.Time.Second, b.Time.Second);
  }
}

long double RoundTo9Places(long double x) {
  const long double scaled = std::nearbyint(x * 1e9L);
  // Beyond a 64-bit count of billionths there are no places left to round.
  if (!(std::fabs(scaled) < 9.2e18L)) return x;
  return scaled * 1e-9L;
}

}  // namespace vm
