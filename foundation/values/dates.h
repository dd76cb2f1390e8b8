// Dates and times as records of three integers: validity, stepping,
// comparison, the texts the system prints and the parsers of what users type.
// None of the parsers reports an error: bad parts become 0 or are clamped, and
// callers that need a real date test the result with IsValidDateRec.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/values/values.h"

namespace vm {

// Validity and stepping.

// Day clamped to 1..the length of Month (Month itself clamped to 1..12 for
// the look-up) in Year.
int32_t ClampDayToMonth(int32_t day, int32_t month, int32_t year);
// A real date of the Gregorian calendar with the year 1900..2100.
bool IsValidDateRec(const TDateRec& date);
// S is exactly d.m.yyyy: day and month of at most two characters, year of at
// most four, all digits, a real date with the year 1900..2100.
bool IsValidDateStr(std::string_view s);
bool IsValidTimeRec(const TTimeRec& time);
// Day numbers count days with day 0 = 30 December 1899.
int32_t DateRecToDayNum(const TDateRec& date);
TDateRec DayNumToDateRec(int32_t days);
TDateRec IncDateRec(const TDateRec& date);
TDateRec DecDateRec(const TDateRec& date);
// A rough count of days from B to A: years of 365 days and months of the
// length of B's month (February 29).
int32_t DaysBetweenApprox(const TDateRec& a, const TDateRec& b);

// Comparison: 0 when A is earlier, 1 when equal, 2 when A is later.
int CompareDateRec(const TDateRec& a, const TDateRec& b);
int CompareTimeRec(const TTimeRec& a, const TTimeRec& b);
int CompareDateTimeRec(const TDateRec& dateA, const TTimeRec& timeA, const TDateRec& dateB,
                       const TTimeRec& timeB);

// The local clock (through the installed platform clock).
TDateRec GetTodayRec();
void GetNowRec(TDateRec& date, TTimeRec& time);
// Today in UTC, for the headers of new table files.
TDateRec GetUtcTodayRec();
// "6 декабря 2026 г."
std::string TodayLongStr();
// "17ч. 5мин. 9c. " (the text ends with a blank).
std::string NowTimeWordsStr();

// Texts.

// "5.03.2007"
std::string DateRecToStr(const TDateRec& date);
// "5 марта 2007 г."
std::string DateRecToLongStr(const TDateRec& date);
// "5.03.07" -> "5 марта 2007г." (no blank before "г.").
std::string DateStrToLongStr(std::string_view s);
// "h:mm", "h:mm.ss", "hч. mmмин." or "hч. mmмин. ssс.".
std::string TimeRecToStr(const TTimeRec& time, bool inWords, bool withSeconds);
// The month name in the genitive; Month clamped to 1..12.
std::string MonthNameGenitive(int32_t month);

// Parsers.

// Three digit groups split at the first two '.'; a two-digit year below 30
// is 20yy, otherwise 19yy; a one-digit year is 200y; a bad group gives 0.
TDateRec StrToDateRec(std::string_view s);
// The first three runs of digits; an hour above 23 becomes 0, a minute above
// 59 becomes 0, a second above 59 becomes 59.
TTimeRec StrToTimeRec(std::string_view s);
// A free-form date ("15.5.07", "3/12/1999", "5 мая 2007", "150507") as
// "d.mm.yyyy" corrected to a real day of the month; "" when S has no digit.
std::string NormalizeDateStr(std::string_view s);
// Rewrites "d.m.y" as Day "." two-digit Month "." Year after clamping the
// month to 1..12, a year below 1 to 2000 and the day to the month. Text of
// another form is left as it is.
void NormalizeDateFields(std::string& s);
// The N-th (1-based) run of digits and letters of S, and in sep the run of
// other characters after it; both "" when there is no N-th run.
std::string GetDateToken(std::string_view s, int n, std::string& sep);

}  // namespace vm
