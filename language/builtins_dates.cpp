// Built-in functions over dates and times.
#include <cmath>
#include <cstdio>
#include <string>

#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "language/builtins.h"

namespace vm {

namespace {

// Day numbers of 1.01.0001 and 31.12.9999: the calendar the day numbers span.
constexpr long long kFirstDayNum = -693593;
constexpr long long kLastDayNum = 2958465;

// The date a number of days after date; the zero date when either end
// leaves the calendar.
TDateRec ShiftDate(const TDateRec& date, long double days) {
  if (!IsValidDateRec(date) || !(std::fabs(days) < 1e7L)) return {};
  const long long target = DateRecToDayNum(date) + static_cast<long long>(std::nearbyint(days));
  if (target < kFirstDayNum || target > kLastDayNum) return {};
  return DayNumToDateRec(static_cast<int32_t>(target));
}

bool CheckedDate(TBuiltinCall& c, const TDateRec& date) {
  if (IsValidDateRec(date)) return true;
  c.FailWith(" Неверная дата "_w);
  return false;
}

std::string ZeroPadded(int32_t value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

}  // namespace

void FnDate(TBuiltinCall& c) {
  TDateRec d;
  if (c.IntArg(1, d.Day) && c.IntArg(2, d.Month) && c.IntArg(3, d.Year)) c.SetDate(d);
}

void FnTime(TBuiltinCall& c) {
  TTimeRec t;
  if (c.IntArg(1, t.Hour) && c.IntArg(2, t.Minute) && c.IntArg(3, t.Second)) c.SetTime(t);
}

void FnYear(TBuiltinCall& c) { c.SetNum(c.Date(1).Year); }

void FnDay(TBuiltinCall& c) { c.SetNum(c.Date(1).Day); }

void FnMonth(TBuiltinCall& c) { c.SetNum(c.Date(1).Month); }

void FnNextdate(TBuiltinCall& c) {
  if (CheckedDate(c, c.Date(1))) c.SetDate(IncDateRec(c.Date(1)));
}

void FnPrevdate(TBuiltinCall& c) {
  if (CheckedDate(c, c.Date(1))) c.SetDate(DecDateRec(c.Date(1)));
}

void FnSumdateday(TBuiltinCall& c) { c.SetDate(ShiftDate(c.Date(1), c.Num(2))); }

void FnSumdate(TBuiltinCall& c) {
  const TDateRec& period = c.Date(2);
  const long double days = std::nearbyint(period.Month * 30.4375L + period.Year * 365.0L + period.Day);
  c.SetDate(ShiftDate(c.Date(1), c.Num(3) < 0 ? -days : days));
}

void FnKvartal(TBuiltinCall& c) { c.SetNum((c.Date(1).Month - 1) / 3 + 1); }

void FnBegkvart(TBuiltinCall& c) {
  const TDateRec& d = c.Date(1);
  c.SetDate({1, (d.Month - 1) / 3 * 3 + 1, d.Year});
}

void FnDatedir(TBuiltinCall& c) {
  const TDateRec& d = c.Date(1);
  std::string text = ZeroPadded(d.Year, 4) + "-" + ZeroPadded(d.Month, 2);
  if (c.Num(2) != 0) text += "-" + ZeroPadded(d.Day, 2);
  c.SetStr(std::move(text));
}

void FnTimetostr(TBuiltinCall& c) { c.SetStr(TimeRecToStr(c.Time(1), false, true)); }

void FnStrtotime(TBuiltinCall& c) { c.SetTime(StrToTimeRec(c.Str(1))); }

void FnTimetoseconds(TBuiltinCall& c) {
  const TTimeRec& t = c.Time(1);
  c.SetNum(t.Hour * 3600.0L + t.Minute * 60.0L + t.Second);
}

void FnSecondstotime(TBuiltinCall& c) {
  int32_t n = 0;
  if (!c.IntArg(1, n)) return;
  c.SetTime({n / 3600, n % 3600 / 60, n % 3600 % 60});
}

void FnTimetominutes(TBuiltinCall& c) {
  const TTimeRec& t = c.Time(1);
  c.SetNum(t.Hour * 60.0L + t.Minute + (static_cast<long long>(t.Second) + 30) / 60);
}

void FnMinutestotime(TBuiltinCall& c) {
  int32_t n = 0;
  if (!c.IntArg(1, n)) return;
  c.SetTime({n / 60, n % 60, 0});
}

}  // namespace vm
