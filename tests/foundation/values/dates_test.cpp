#include "foundation/values/dates.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/clock.h"

using namespace vm;

namespace {

TDateRec D(int d, int m, int y) { return {d, m, y}; }

using Pairs = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(Dates, LeapYearsFollowTheGregorianRule) {
  EXPECT_TRUE(IsValidDateRec(D(29, 2, 2000)));
  for (TDateRec bad : {D(29, 2, 2001), D(29, 2, 1900), D(29, 2, 2100), D(1, 1, 1899), D(1, 1, 2101),
                       D(31, 4, 2007)})
    EXPECT_FALSE(IsValidDateRec(bad)) << bad.Day << "." << bad.Month << "." << bad.Year;

  // The month is clamped to December too.
  for (auto [date, day] : {std::pair{D(29, 2, 2100), 28}, {D(29, 2, 1900), 28}, {D(31, 2, 2008), 29},
                           {D(0, 5, 2007), 1}, {D(31, 13, 2007), 31}})
    EXPECT_EQ(ClampDayToMonth(date.Day, date.Month, date.Year), day) << date.Month << "." << date.Year;
}

TEST(Dates, DayNumbersCountFromThe30thOfDecember1899) {
  EXPECT_EQ(DateRecToDayNum(D(30, 12, 1899)), 0);
  EXPECT_EQ(DateRecToDayNum(D(1, 3, 1900)), 61);  // no 29 February 1900
  EXPECT_EQ(DateRecToDayNum(D(1, 1, 2000)), 36526);
  EXPECT_EQ(DayNumToDateRec(46362), D(6, 12, 2026));
  for (int n = 0; n < 80000; n += 7) EXPECT_EQ(DateRecToDayNum(DayNumToDateRec(n)), n);

  for (auto [from, next] : {std::pair{D(28, 2, 2007), D(1, 3, 2007)}, {D(31, 12, 2006), D(1, 1, 2007)},
                            {D(28, 2, 2100), D(1, 3, 2100)}})
    EXPECT_EQ(IncDateRec(from), next) << from.Year;
  EXPECT_EQ(DecDateRec(D(1, 3, 2008)), D(29, 2, 2008));
}

TEST(Dates, ApproximateDistanceUsesTheLengthOfTheEarlierMonth) {
  EXPECT_EQ(DaysBetweenApprox(D(1, 3, 2007), D(28, 2, 2007)), 2);  // February counts 29
  EXPECT_EQ(DaysBetweenApprox(D(1, 1, 2008), D(1, 1, 2007)), 365);
  EXPECT_EQ(DaysBetweenApprox(D(1, 1, 2007), D(8, 1, 2007)), -7);
  EXPECT_EQ(DaysBetweenApprox(D(1, 1, 2007), D(0, 0, 0)), 2007 * 365 + 31 + 1);
}

TEST(Dates, ComparisonGivesZeroOneTwo) {
  EXPECT_EQ(CompareDateRec(D(31, 12, 2006), D(1, 1, 2007)), 0);
  EXPECT_EQ(CompareDateRec(D(1, 1, 2007), D(1, 1, 2007)), 1);
  EXPECT_EQ(CompareDateRec(D(1, 2, 2007), D(31, 1, 2007)), 2);
  EXPECT_EQ(CompareDateTimeRec(D(1, 1, 2007), {10, 0, 0}, D(1, 1, 2007), {10, 0, 1}), 0);
  EXPECT_EQ(CompareDateTimeRec(D(2, 1, 2007), {0, 0, 0}, D(1, 1, 2007), {23, 0, 0}), 2);
}

TEST(Dates, ValidDateTextIsExactlyDayMonthYear) {
  EXPECT_TRUE(IsValidDateStr("1.1.2007"));
  for (const char* bad : {"29.02.2100", "1.1.2007 ", "001.1.2007", "1.1.07", "1/1/2007", "1..1.2007",
                          "31.4.2007", "-1.1.2007"})
    EXPECT_FALSE(IsValidDateStr(bad)) << bad;
  EXPECT_FALSE(IsValidDateStr("1.я.2007"_w));

  std::string sep;
  EXPECT_EQ(GetDateToken("  12 мая,  2007"_w, 2, sep), "мая"_w);
  EXPECT_EQ(sep, ",  ");
  EXPECT_EQ(GetDateToken("12 мая"_w, 3, sep), "");
  EXPECT_EQ(GetDateToken("Ёлка-ёж"_w, 2, sep), "ёж"_w);
}

TEST(Dates, TimesAreClampedAndPrinted) {
  EXPECT_TRUE(IsValidTimeRec({23, 59, 59}));
  EXPECT_FALSE(IsValidTimeRec({24, 0, 0}));
  EXPECT_EQ(StrToTimeRec("25:61:75"), (TTimeRec{0, 0, 59}));
  EXPECT_EQ(StrToTimeRec("9ч 5м"_w), (TTimeRec{9, 5, 0}));
  EXPECT_EQ(StrToTimeRec("99999999999:1:2"), (TTimeRec{0, 1, 2}));

  const TTimeRec t{25, 5, 7};
  EXPECT_EQ(TimeRecToStr(t, false, false), "1:05");
  EXPECT_EQ(TimeRecToStr(t, false, true), "1:05.07");
  EXPECT_EQ(TimeRecToStr(t, true, false), "1ч. 05мин."_w);
  EXPECT_EQ(TimeRecToStr(t, true, true), "1ч. 05мин. 07с."_w);
}

TEST(Dates, DateTexts) {
  EXPECT_EQ(DateRecToStr(D(5, 3, 2007)), "5.03.2007");
  EXPECT_EQ(DateRecToLongStr(D(5, 3, 2007)), "5 марта 2007 г."_w);
  EXPECT_EQ(DateRecToLongStr(D(1, 13, 2007)), "1 декабря 2007 г."_w);
  EXPECT_EQ(DateStrToLongStr("5.03.07"), "5 марта 2007г."_w);
  EXPECT_EQ(DateStrToLongStr("15.x.1999"), "15 января 1999г."_w);
  EXPECT_EQ(DateStrToLongStr("1.44.85"), "1 декабря 1985г."_w);
}

TEST(Dates, DigitGroupsWithTheTwoDigitYearWindow) {
  // The clock never fills a missing year.
  for (const auto& [text, date] : std::vector<std::pair<std::string, TDateRec>>{
           {"5.3.07", D(5, 3, 2007)}, {"5.3.29", D(5, 3, 2029)}, {"5.3.30", D(5, 3, 1930)},
           {"5.3.007", D(5, 3, 7)}, {" 5д.3м.2 007г", D(5, 3, 2007)}, {"12.05", D(12, 5, 0)},
           {"x.5.2007", D(0, 5, 2007)}, {"1.1.99999999999", D(1, 1, 0)}})
    EXPECT_EQ(StrToDateRec(text), date) << text;
}

TEST(Dates, FreeFormDatesAreNormalised) {
  for (const auto& [in, out] : Pairs{
           {"15.5.07", "15.05.2007"}, {"3/12/1999", "3.12.1999"}, {"5 мая 2007"_w, "5.05.2007"},
           {"8 марта 99"_w, "8.03.1999"}, {"31 февраля 2007"_w, "28.02.2007"},
           {"29 feb 1900", "28.02.1900"}, {"115 Dec 2,0,0,7", "15.12.2007"}, {"150507", "15.05.2007"},
           {"15051999", "15.05.1999"}, {"15052007", "5.12.2007"}, {"05.2007", "1.05.2007"},
           {"12.05", "1.12.2005"}, {"1.1.0", "1.01.2000"}, {"0.0.2007", "1.01.2007"},
           {"7.1.123456", "7.01.3456"}, {"99.1.2.2007", "1.02.2007"}, {"5", "1.01.2005"},
           {"мая"_w, ""}, {"5 мая"_w, ""}})
    EXPECT_EQ(NormalizeDateStr(in), out) << Cp1251ToUtf8(in);

  for (const auto& [in, out] : Pairs{{"31.2.2100", "28.02.2100"}, {"5.0.0", "5.01.2000"},
                                     {"no points", "no points"}}) {
    std::string s = in;
    NormalizeDateFields(s);
    EXPECT_EQ(s, out) << in;
  }
}

TEST(Dates, TheClockComesFromTheInstalledClock) {
  const FixedClock clock({2026, 12, 6, 9, 5, 7, 0}, {2026, 12, 5, 23, 5, 7, 0});
  const ScopedClock fixed(clock);
  EXPECT_EQ(GetTodayRec(), D(6, 12, 2026));
  EXPECT_EQ(GetUtcTodayRec(), D(5, 12, 2026));
  TDateRec d;
  TTimeRec t;
  GetNowRec(d, t);
  EXPECT_EQ(d, D(6, 12, 2026));
  EXPECT_EQ(t, (TTimeRec{9, 5, 7}));
  EXPECT_EQ(TodayLongStr(), "6 декабря 2026 г."_w);
  EXPECT_EQ(NowTimeWordsStr(), "9ч. 5мин. 7c. "_w);
}
