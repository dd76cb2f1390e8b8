// The records of dates, times and typed values that the whole system shares.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

// A date as three integers; the zero record stands for no date.
struct TDateRec {
  int32_t Day = 0;
  int32_t Month = 0;
  int32_t Year = 0;
  friend bool operator==(const TDateRec&, const TDateRec&) = default;
};

// Whether a date's day, month and year fit the eight digits of a date field
// (two, two and four): DATE() takes any parts, and a field given others
// would store another date.
inline bool DateFitsField(const TDateRec& d) {
  return static_cast<unsigned>(d.Day) <= 99 && static_cast<unsigned>(d.Month) <= 99 &&
         static_cast<unsigned>(d.Year) <= 9999;
}

struct TTimeRec {
  int32_t Hour = 0;
  int32_t Minute = 0;
  int32_t Second = 0;
  friend bool operator==(const TTimeRec&, const TTimeRec&) = default;
};

// The one value type of the system: script values, field values,
// auto-parameters and cells. Kind is 'C', 'N', 'D' or 'T' ('R' is stored as
// 'N'); other letters mark their users ('-' no value, 'E' a view column) and
// a value read from a missing record buffer has Kind 0. Only the part that
// belongs to Kind is meaningful. The parts are kept apart rather than
// overlaid, so reading a part of another kind gives its last value (zero
// after ClearValue) instead of reinterpreted bytes.
struct TCommonVar {
  char Kind = 0;
  std::string Str;
  long double Num = 0;
  TDateRec Date;
  TTimeRec Time;
};

}  // namespace vm
