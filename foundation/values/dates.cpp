#include "foundation/values/dates.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"
#include "platform/clock.h"

namespace vm {

namespace {

constexpr std::array<int32_t, 12> kMonthDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr std::array<std::string_view, 12> kMonthGenitive = {
    "января"_wv, "февраля"_wv, "марта"_wv,    "апреля"_wv,  "мая"_wv,    "июня"_wv,
    "июля"_wv,   "августа"_wv, "сентября"_wv, "октября"_wv, "ноября"_wv, "декабря"_wv};

// Searched in this order; the first one found anywhere in the text wins.
// The Russian May is two letters so that "МАЯ" and "МАЙ" both find it, and
// it comes after "МАР" so that March is found first.
constexpr std::array<std::string_view, 24> kMonthAbbrev = {
    "JAN",     "FEB",     "MAR",     "APR",     "MAY",     "JUN",     "JUL",     "AUG",
    "SEP",     "OCT",     "NOV",     "DEC",     "ЯНВ"_wv, "ФЕВ"_wv, "МАР"_wv, "АПР"_wv,
    "МА"_wv,  "ИЮН"_wv, "ИЮЛ"_wv, "АВГ"_wv, "СЕН"_wv, "ОКТ"_wv, "НОЯ"_wv, "ДЕК"_wv};

bool IsLeapYear(int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int32_t ClampMonth(int32_t month) { return month < 1 ? 1 : (month > 12 ? 12 : month); }

int32_t MonthLength(int32_t month, int32_t year) {
  if (month == 2) return IsLeapYear(year) ? 29 : 28;
  return kMonthDays[static_cast<size_t>(ClampMonth(month) - 1)];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string DigitsOf(std::string_view s) {
  std::string d;
  for (char c : s)
    if (IsDigit(c)) d += c;
  return d;
}

std::string_view LastChars(std::string_view s, size_t n) {
  return s.size() > n ? s.substr(s.size() - n) : s;
}

// Decimal digits to a 32-bit value; False for an empty text or one too
// large.
bool ParseDigits(std::string_view digits, int32_t& value) {
  if (digits.empty()) return false;
  int64_t v = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return false;
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

// A one- or two-digit year read by the window: 0..29 are this century,
// 30..99 the last one, a single digit 200y.
int32_t WidenYear(std::string_view digits) {
  int32_t v = 0;
  if (!ParseDigits(digits, v)) return 0;
  if (digits.size() == 1) return 2000 + v;
  if (digits.size() == 2) return v < 30 ? 2000 + v : 1900 + v;
  return v;
}

// Appends v with at least two digits.
void AppendTwoDigits(std::string& s, int32_t v) {
  if (v >= 0 && v < 10) s += '0';
  s += std::to_string(v);
}

std::string TwoDigits(int32_t v) {
  std::string s;
  AppendTwoDigits(s, v);
  return s;
}

bool IsTokenChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  return IsDigit(c) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0 ||
         b == 0xA8 || b == 0xB8;
}

// The three parts of "d.m.y" split at the first two points; the missing
// ones are empty.
struct DateParts {
  std::string_view day, month, year;
};

DateParts SplitAtPoints(std::string_view s) {
  DateParts p;
  const size_t p1 = s.find('.');
  if (p1 == std::string_view::npos) {
    p.day = s;
    return p;
  }
  p.day = s.substr(0, p1);
  const std::string_view rest = s.substr(p1 + 1);
  const size_t p2 = rest.find('.');
  if (p2 == std::string_view::npos) {
    p.month = rest;
    return p;
  }
  p.month = rest.substr(0, p2);
  p.year = rest.substr(p2 + 1);
  return p;
}

std::string JoinDate(int32_t day, int32_t month, int32_t year) {
  return std::to_string(day) + "." + TwoDigits(month) + "." + std::to_string(year);
}

TDateRec DateOf(const TClockReading& r) { return {r.Day, r.Month, r.Year}; }

// Days since 1 January 1970 of the proleptic Gregorian calendar; months and
// days out of range roll over instead of failing.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  const int64_t m0 = m - 1;
  y += (m0 >= 0 ? m0 : m0 - 11) / 12;
  m = m0 - ((m0 >= 0 ? m0 : m0 - 11) / 12) * 12 + 1;
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// Day 0 of the day numbers, 30 December 1899, counted from 1 January 1970.
constexpr int64_t kDayNumEpoch = -25569;

}  // namespace

int32_t ClampDayToMonth(int32_t day, int32_t month, int32_t year) {
  if (day < 1) return 1;
  const int32_t len = MonthLength(ClampMonth(month), year);
  return day > len ? len : day;
}

bool IsValidDateRec(const TDateRec& date) {
  if (date.Year < 1900 || date.Year > 2100) return false;
  if (date.Month < 1 || date.Month > 12) return false;
  return date.Day >= 1 && date.Day <= MonthLength(date.Month, date.Year);
}

bool IsValidDateStr(std::string_view s) {
  std::string sep[4];
  std::string tok[4];
  // The tokens skip what precedes the first one; a date text begins with it.
  if (s.empty() || !IsTokenChar(s.front())) return false;
  for (int i = 0; i < 4; ++i) tok[i] = GetDateToken(s, i + 1, sep[i]);
  if (tok[0].empty() || tok[1].empty() || tok[2].empty() || !tok[3].empty()) return false;
  if (tok[0].size() > 2 || sep[0] != ".") return false;
  if (tok[1].size() > 2 || sep[1] != ".") return false;
  if (tok[2].size() > 4 || !sep[2].empty()) return false;
  TDateRec d;
  if (!ParseDigits(tok[0], d.Day) || !ParseDigits(tok[1], d.Month) || !ParseDigits(tok[2], d.Year))
    return false;
  return IsValidDateRec(d);
}

bool IsValidTimeRec(const TTimeRec& time) {
  return time.Hour >= 0 && time.Hour <= 23 && time.Minute >= 0 && time.Minute <= 59 &&
         time.Second >= 0 && time.Second <= 59;
}

int32_t DateRecToDayNum(const TDateRec& date) {
  return static_cast<int32_t>(DaysFromCivil(date.Year, date.Month, date.Day) - kDayNumEpoch);
}

TDateRec DayNumToDateRec(int32_t days) {
  const int64_t z = static_cast<int64_t>(days) + kDayNumEpoch + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int32_t>(d), static_cast<int32_t>(m), static_cast<int32_t>(y)};
}

TDateRec IncDateRec(const TDateRec& date) {
  return DayNumToDateRec(static_cast<int32_t>(static_cast<int64_t>(DateRecToDayNum(date)) + 1));
}

TDateRec DecDateRec(const TDateRec& date) {
  return DayNumToDateRec(static_cast<int32_t>(static_cast<int64_t>(DateRecToDayNum(date)) - 1));
}

int32_t DaysBetweenApprox(const TDateRec& a, const TDateRec& b) {
  const int64_t monthLen = kMonthDays[static_cast<size_t>(ClampMonth(b.Month) - 1)];
  const int64_t days = (static_cast<int64_t>(a.Year) - b.Year) * 365 +
                       (static_cast<int64_t>(a.Month) - b.Month) * monthLen +
                       (static_cast<int64_t>(a.Day) - b.Day);
  return static_cast<int32_t>(days);
}

namespace {
int Compare3(int32_t a1, int32_t a2, int32_t a3, int32_t b1, int32_t b2, int32_t b3) {
  if (a1 != b1) return a1 < b1 ? 0 : 2;
  if (a2 != b2) return a2 < b2 ? 0 : 2;
  if (a3 != b3) return a3 < b3 ? 0 : 2;
  return 1;
}
}  // namespace

int CompareDateRec(const TDateRec& a, const TDateRec& b) {
  return Compare3(a.Year, a.Month, a.Day, b.Year, b.Month, b.Day);
}

int CompareTimeRec(const TTimeRec& a, const TTimeRec& b) {
  return Compare3(a.Hour, a.Minute, a.Second, b.Hour, b.Minute, b.Second);
}

int CompareDateTimeRec(const TDateRec& dateA, const TTimeRec& timeA, const TDateRec& dateB,
                       const TTimeRec& timeB) {
  const int byDate = CompareDateRec(dateA, dateB);
  return byDate == 1 ? CompareTimeRec(timeA, timeB) : byDate;
}

TDateRec GetTodayRec() { return DateOf(SystemClock().LocalNow()); }

void GetNowRec(TDateRec& date, TTimeRec& time) {
  const TClockReading r = SystemClock().LocalNow();
  date = DateOf(r);
  time = {r.Hour, r.Minute, r.Second};
}

TDateRec GetUtcTodayRec() { return DateOf(SystemClock().UtcNow()); }

std::string TodayLongStr() { return DateRecToLongStr(GetTodayRec()); }

std::string NowTimeWordsStr() {
  const TClockReading r = SystemClock().LocalNow();
  // The letter of the seconds is the Latin c, as the log heading always had.
  return std::to_string(r.Hour) + "ч. "_w + std::to_string(r.Minute) + "мин. "_w +
         std::to_string(r.Second) + "c. ";
}

std::string DateRecToStr(const TDateRec& date) { return JoinDate(date.Day, date.Month, date.Year); }

std::string DateRecToLongStr(const TDateRec& date) {
  return std::to_string(date.Day) + " " + MonthNameGenitive(date.Month) + " " +
         std::to_string(date.Year) + " г."_w;
}

std::string DateStrToLongStr(std::string_view s) {
  const DateParts p = SplitAtPoints(s);
  return DigitsOf(p.day) + " " + MonthNameGenitive(DigitsToInt(p.month)) + " " +
         std::to_string(WidenYear(DigitsOf(p.year))) + "г."_w;
}

std::string TimeRecToStr(const TTimeRec& time, bool inWords, bool withSeconds) {
  const int32_t hour = ((time.Hour % 24) + 24) % 24;
  std::string s = std::to_string(hour);
  s += inWords ? "ч. "_wv : ":";
  AppendTwoDigits(s, time.Minute);
  if (inWords) s += "мин."_wv;
  if (withSeconds) {
    s += inWords ? ' ' : '.';
    AppendTwoDigits(s, time.Second);
    if (inWords) s += "с."_wv;
  }
  return s;
}

std::string MonthNameGenitive(int32_t month) {
  return std::string(kMonthGenitive[static_cast<size_t>(ClampMonth(month) - 1)]);
}

TDateRec StrToDateRec(std::string_view s) {
  const DateParts p = SplitAtPoints(s);
  return {DigitsToInt(p.day), DigitsToInt(p.month),
          WidenYear(DigitsOf(p.year))};
}

TTimeRec StrToTimeRec(std::string_view s) {
  int32_t v[3] = {0, 0, 0};
  size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    while (i < s.size() && !IsDigit(s[i])) ++i;
    const size_t start = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    v[k] = DigitsToInt(s.substr(start, i - start));
  }
  TTimeRec t{v[0], v[1], v[2]};
  if (t.Hour > 23) t.Hour = 0;
  if (t.Minute > 59) t.Minute = 0;
  if (t.Second > 59) t.Second = 59;
  return t;
}

std::string NormalizeDateStr(std::string_view s) {
  if (s.find_first_of("0123456789") == std::string_view::npos) return "";
  const std::string up = UpperStr(s);

  for (size_t i = 0; i < kMonthAbbrev.size(); ++i) {
    const size_t p = up.find(kMonthAbbrev[i]);
    if (p == std::string::npos) continue;
    const auto month = static_cast<int32_t>(i % 12 + 1);
    const size_t q = up.find_first_of("0123456789", p);
    // A month name with no year after it is not a date.
    if (q == std::string::npos) return "";
    const std::string yearDigits(LastChars(DigitsOf(std::string_view(up).substr(q)), 4));
    int32_t year = DigitsToInt(yearDigits);
    if (yearDigits.size() <= 2) year += year < 30 ? 2000 : 1900;
    const int32_t day = ClampDayToMonth(
        DigitsToInt(LastChars(DigitsOf(std::string_view(up).substr(0, p)), 2)), month, year);
    std::string r = JoinDate(day, month, year);
    NormalizeDateFields(r);
    return r;
  }

  // Without a month name the runs of digits are read from the end: year,
  // month, day.
  std::string runs[3];
  int found = 0;
  size_t end = s.size();
  while (found < 3) {
    while (end > 0 && !IsDigit(s[end - 1])) --end;
    if (end == 0) break;
    size_t start = end;
    while (start > 0 && IsDigit(s[start - 1])) --start;
    runs[found++] = std::string(s.substr(start, end - start));
    end = start;
  }
  if (found == 0) return "";

  std::string dayText, monthText, yearText;
  if (found >= 2) {
    yearText = runs[0];
    monthText = std::string(LastChars(runs[1], 2));
    dayText = found == 3 ? std::string(LastChars(runs[2], 2)) : "1";
    if (yearText.size() >= 5) yearText = std::string(LastChars(yearText, 4));
  } else {
    // A compact date: 150507 or 15051999.
    const std::string& run = runs[0];
    std::string rest;
    const size_t p = run.rfind("19");
    if (p != std::string::npos && p + 4 <= run.size() &&
        DigitsToInt(std::string_view(run).substr(p, 4)) > 1913) {
      yearText = run.substr(p, 4);
      rest = run.substr(0, p) + run.substr(p + 4);
    } else {
      yearText = std::string(LastChars(run, 2));
      rest = run.substr(0, run.size() - yearText.size());
    }
    monthText = rest.empty() ? "1" : std::string(LastChars(rest, 2));
    const std::string_view before =
        std::string_view(rest).substr(0, rest.size() - std::min<size_t>(rest.size(), 2));
    dayText = before.empty() ? "1" : std::string(LastChars(before, 2));
  }
  if (yearText.size() <= 2) yearText = std::to_string(WidenYear(yearText));
  if (monthText.size() == 1) monthText = "0" + monthText;
  std::string r = dayText + "." + monthText + "." + yearText;
  NormalizeDateFields(r);
  return r;
}

void NormalizeDateFields(std::string& s) {
  const size_t p1 = s.find('.');
  if (p1 == std::string::npos || s.find('.', p1 + 1) == std::string::npos) return;
  const DateParts p = SplitAtPoints(s);
  const int32_t month = ClampMonth(DigitsToInt(p.month));
  int32_t year = DigitsToInt(p.year);
  if (year < 1) year = 2000;
  const int32_t day = ClampDayToMonth(DigitsToInt(p.day), month, year);
  s = JoinDate(day, month, year);
}

std::string GetDateToken(std::string_view s, int n, std::string& sep) {
  sep.clear();
  size_t i = 0;
  while (i < s.size() && !IsTokenChar(s[i])) ++i;
  for (int k = 1; i < s.size(); ++k) {
    const size_t start = i;
    while (i < s.size() && IsTokenChar(s[i])) ++i;
    const size_t sepStart = i;
    while (i < s.size() && !IsTokenChar(s[i])) ++i;
    if (k == n) {
      sep = std::string(s.substr(sepStart, i - sepStart));
      return std::string(s.substr(start, sepStart - start));
    }
  }
  return "";
}

}  // namespace vm
