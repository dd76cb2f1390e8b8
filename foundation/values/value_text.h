// Typed values as text, and their comparison. Numbers are read with '.' or
// the first ',' as the point and always written with '.'; two numbers closer
// than kNumTolerance are equal, and a number closer to 0 counts as 0.
// Nothing here raises or reports: unreadable text gives 0 or whatever the
// date and time parsers give, an unknown kind gives the empty text.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "foundation/values/rounding.h"
#include "foundation/values/values.h"

namespace vm {

inline constexpr long double kNumTolerance = 1e-9L;

// Whether a number counts as zero (and so as false in a condition).
inline bool IsNearZero(long double x) { return std::fabs(x) < kNumTolerance; }

// Sets v.Kind to Kind ('R' is stored as 'N') and reads S into the part of
// that kind: 'C' trimmed; 'D' a free-form date, valid or not; 'N' a decimal
// number, 0 when anything is left over; 'T' three groups of digits. Any other
// kind clears the value and keeps the letter.
void TextToValue(std::string_view s, char kind, TCommonVar& v);

// 'C' the trimmed text; 'D' "d.mm.yyyy", the long form when Mode > 0; 'N'
// with 4 decimals when Mode is 0, else with Decimals, halves to even; 'T' by
// the bits of Mode (bit 0 in words, bit 1 with seconds); otherwise "".
std::string ValueToText(const TCommonVar& v, int mode, int decimals);

// The form shown in views and reports. Dates and times take |Decimals| as
// their mode; other values take |Decimals| decimals, except that a negative
// Decimals shows a number within the tolerance of an integer without any.
std::string ValueToTextAuto(const TCommonVar& v, int decimals);

// -1, 0 or 1 by the kind of A (B is taken as the same kind): texts by the
// collation of the program, case ignored unless CaseSensitive; numbers with
// the tolerance; dates; times and every other kind as times.
int CompareValues(const TCommonVar& a, const TCommonVar& b, bool caseSensitive);
// Equal by CompareValues, texts without regard to case.
bool ValuesEqual(const TCommonVar& a, const TCommonVar& b);

// What orders numbers in sorts and in searches on sorted rows: the number
// rounded to nine decimals, halves to even, in units of the ninth decimal
// (beyond 2^63 units, where every number is whole, as it is). Equality
// within the tolerance is no order: 4, 4.0000000008 and 4.0000000016 would
// be equal in pairs, yet 4 below 4.0000000016, and a sort or a binary search
// on it leaves rows out of order. Rounded, numbers of up to nine decimals
// are equal exactly when they are (a whole unit apart is not within the
// tolerance), and numbers that round alike lie within the tolerance of each
// other. NaN goes below every number, as CompareValues puts it.
inline long double NumberOrderKey(long double x) {
  const long double key = RoundHalfEven(x * 1e9f);
  return key == key ? key : -std::numeric_limits<long double>::infinity();
}

// CompareValues, but numbers by NumberOrderKey: the order of sorts and of
// the searches on sorted rows.
int CompareValuesInOrder(const TCommonVar& a, const TCommonVar& b, bool caseSensitive);

// The display text of a value held as text, by its kind letter. With Mode 0
// only times and computed columns ('E', whose text is AltText) change;
// otherwise dates get the long form, numbers ('N', and 'R' without decimals
// when whole) are rewritten with Decimals decimals. False, with Result left
// as it was, for an unknown kind.
bool FormatValueText(std::string_view text, char kind, int mode, int decimals,
                     std::string_view altText, std::string& result);

// A zero number written as plain zero bytes (+0 in every format): an 80-bit
// store is slow on this machine, the more so when the number is read back at
// once.
inline void ZeroNumber(long double& x) { std::memset(&x, 0, sizeof x); }

// Empties the text and zeroes the number, date and time; the kind stays.
// Inline: loads and filters clear a value for every field of every record.
inline void ClearValue(TCommonVar& v) {
  v.Str.clear();
  ZeroNumber(v.Num);
  v.Date = TDateRec{};
  v.Time = TTimeRec{};
}

// X rounded to nine decimals, halves to even. Inline: MOD and DIV round
// twice each, and a long double passed to a function goes through memory.
inline long double RoundTo9Places(long double x) {
  const long double scaled = x * 1e9f;
  // Beyond the 64-bit integer range (and for NaN) a number has no ninth
  // decimal to round; it comes back as it was instead of as garbage.
  if (!(std::fabs(scaled) < 9223372036854775808.0L)) return x;
  // Adding 0 makes a small negative number come back as a plain 0, not as a
  // negative zero, as a trip through a 64-bit integer would.
  return (RoundHalfEven(scaled) + 0.0L) * 1e-9L;
}

}  // namespace vm
