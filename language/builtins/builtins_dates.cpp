// Built-in functions over dates and times.
#include <cmath>
#include <cstdio>
#include <string>

#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "language/builtins.h"

namespace vm {

namespace {

// A date of the Gregorian calendar between 1.01.0001 and 31.12.9999: what
// the day numbers can stand for. Wider than the dates a user may type, and
// without the 29th of February of 1900 and 2100, which the calendar lacks.
bool IsCalendarDate(const TDateRec& d) {
  if (d.Year < 1 || d.Year > 9999 || d.Month < 1 || d.Month > 12 || d.Day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = d.Year % 4 == 0 && (d.Year % 100 != 0 || d.Year % 400 == 0);
  return d.Day <= kDays[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0);
}

// The date a number of days after date; the zero date when either end
// leaves the calendar.
TDateRec ShiftDate(const TDateRec& date, long double days) {
  if (!IsCalendarDate(date) || !(std::fabs(days) < 1e7L)) return {};
  const TDateRec shifted =
      DayNumToDateRec(DateRecToDayNum(date) + static_cast<int32_t>(std::rint(days)));
  return IsCalendarDate(shifted) ? shifted : TDateRec{};
}

// The day after or before date; error -1 when there is none in the calendar.
void StepDate(TBuiltinCall& c, int step) {
  const TDateRec shifted = ShiftDate(c.Date(1), step);
  if (!IsCalendarDate(shifted)) return c.FailWith(" Неверная дата "_w);
  c.SetDate(shifted);
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

void FnNextdate(TBuiltinCall& c) { StepDate(c, 1); }

void FnPrevdate(TBuiltinCall& c) { StepDate(c, -1); }

void FnSumdateday(TBuiltinCall& c) { c.SetDate(ShiftDate(c.Date(1), c.Num(2))); }

void FnSumdate(TBuiltinCall& c) {
  const TDateRec& period = c.Date(2);
  const long double days = std::rint(period.Month * 30.4375L + period.Year * 365.0L + period.Day);
  c.SetDate(ShiftDate(c.Date(1), c.Num(3) < 0 ? -days : days));
}

// Months are not validated, so the arithmetic must hold for any 32-bit one.
void FnKvartal(TBuiltinCall& c) { c.SetNum((c.Date(1).Month - 1LL) / 3 + 1); }

void FnBegkvart(TBuiltinCall& c) {
  const TDateRec& d = c.Date(1);
  c.SetDate({1, static_cast<int32_t>((d.Month - 1LL) / 3 * 3 + 1), d.Year});
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
