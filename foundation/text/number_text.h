// Numbers as text: reading decimal text into an 80-bit number and writing a
// number with a fixed count of decimals. The locale's separators are never
// used: the point is always '.'.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// Reads optional leading spaces (not tabs), an optional sign, digits with
// an optional '.', and an optional exponent; False, with x unchanged, when
// anything else is left over, when there is no digit or when the number is
// out of range.
bool TextToExtended(std::string_view s, long double& x);

// The texts number fields hold: optional leading spaces, an optional sign and
// at most 19 digits with an optional '.', nothing else. Their value is
// exactly Mantissa / 10^Fraction, negated when Negative; TextToExtended reads
// every such text, to that value rounded to nearest.
struct TDecimalDigits {
  uint64_t Mantissa = 0;
  uint32_t Fraction = 0;
  bool Negative = false;
};
bool ReadDecimalDigits(std::string_view s, TDecimalDigits& d);

// The number with exactly `decimals` decimals (below 0 counts as 0, above
// 255 as 255), rounded on the binary value scaled by the power of ten, halves
// to even: 0.125 with 2 decimals is "0.12", 2.5 with 0 is "2", 3.5 is "4". A
// leading '-' only when a non-zero digit is shown. A magnitude of 1e36 or
// more is written with an exponent ("1.5E+36"); infinities and NaN give "".
std::string ExtendedToFixed(long double x, int decimals);

}  // namespace vm
