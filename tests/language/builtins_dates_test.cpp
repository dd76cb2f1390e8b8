#include <gtest/gtest.h>

#include <cstdint>

#include "expr_fakes.h"
#include "foundation/encoding.h"

using namespace vm;
using namespace vm::testing;

namespace {

using DateBuiltins = FormulaTest;

TDateRec DateOf(const Outcome& o) {
  EXPECT_EQ(o.Err, 0);
  EXPECT_EQ(o.Value.Kind, 'D');
  return o.Value.Date;
}

TTimeRec TimeOf(const Outcome& o) {
  EXPECT_EQ(o.Err, 0);
  EXPECT_EQ(o.Value.Kind, 'T');
  return o.Value.Time;
}

TEST_F(DateBuiltins, DatesAreBuiltAndTakenApart) {
  EXPECT_EQ(DateOf(Eval("DATE(5, 3, 2007)")), (TDateRec{5, 3, 2007}));
  // Fields are rounded and not validated.
  EXPECT_EQ(DateOf(Eval("DATE(31.4, 2, 2007)")), (TDateRec{31, 2, 2007}));
  EXPECT_EQ(Value("YEAR(DATE(5, 3, 2007)) + MONTH(DATE(5, 3, 2007)) + DAY(DATE(5, 3, 2007))"), 2015);
  EXPECT_EQ(Value("KVARTAL(DATE(15, 8, 2007))"), 3);
  EXPECT_EQ(Value("KVARTAL(DATE(1, 12, 2007))"), 4);
  EXPECT_EQ(DateOf(Eval("BEGKVART(DATE(15, 8, 2007))")), (TDateRec{1, 7, 2007}));
  EXPECT_EQ(Text("DATEDIR(DATE(7, 3, 2006), 1)"), "2006-03-07");
  EXPECT_EQ(Text("DATEDIR(DATE(7, 3, 2006), 0)"), "2006-03");
  EXPECT_EQ(Value("DATE(31, 12, 2006) < DATE(1, 1, 2007)"), 1);
  EXPECT_EQ(Value("DATE(1, 1, 2007) = DATE(1, 1, 2007)"), 1);
  EXPECT_EQ(Error("DATE(1E10, 1, 2007)"), -1);
  // Fields are not validated, so quarters hold for any 32-bit month.
  EXPECT_EQ(Value("KVARTAL(DATE(1, -2147483648, 1))"), -715827882);
  EXPECT_EQ(DateOf(Eval("BEGKVART(DATE(1, -2147483648, 1))")), (TDateRec{1, INT32_MIN, 1}));
  EXPECT_EQ(DateOf(Eval("BEGKVART(DATE(1, 2147483647, 1))")), (TDateRec{1, INT32_MAX, 1}));
}

TEST_F(DateBuiltins, DaysForwardAndBack) {
  EXPECT_EQ(DateOf(Eval("NEXTDATE(DATE(28, 2, 2007))")), (TDateRec{1, 3, 2007}));
  EXPECT_EQ(DateOf(Eval("NEXTDATE(DATE(31, 12, 2006))")), (TDateRec{1, 1, 2007}));
  EXPECT_EQ(DateOf(Eval("PREVDATE(DATE(1, 3, 2008))")), (TDateRec{29, 2, 2008}));
  EXPECT_EQ(Error("NEXTDATE(DATE(0, 0, 0))"), -1);
  // The calendar, not the range of dates a user may type: 1900 had no
  // 29th of February, and 1800 had days all the same.
  EXPECT_EQ(DateOf(Eval("NEXTDATE(DATE(28, 2, 1900))")), (TDateRec{1, 3, 1900}));
  EXPECT_EQ(DateOf(Eval("PREVDATE(DATE(1, 3, 2100))")), (TDateRec{28, 2, 2100}));
  EXPECT_EQ(Error("NEXTDATE(DATE(29, 2, 1900))"), -1);
  EXPECT_EQ(DateOf(Eval("NEXTDATE(DATE(31, 12, 1799))")), (TDateRec{1, 1, 1800}));
  EXPECT_EQ(Error("NEXTDATE(DATE(31, 12, 9999))"), -1);
  EXPECT_EQ(Error("PREVDATE(DATE(1, 1, 1))"), -1);
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(29, 2, 2100), 1)")), (TDateRec{}));
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(1, 1, 1800), 31)")), (TDateRec{1, 2, 1800}));
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(31, 12, 9999), 1)")), (TDateRec{}));
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(31, 12, 2006), 1)")), (TDateRec{1, 1, 2007}));
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(1, 3, 2008), -1)")), (TDateRec{29, 2, 2008}));
  // What cannot be converted gives the zero date, without an error.
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(0, 0, 0), 1)")), (TDateRec{}));
  EXPECT_EQ(DateOf(Eval("SUMDATEDAY(DATE(1, 1, 2007), 1E9)")), (TDateRec{}));
  // A period of one month counts round(30.4375) = 30 days.
  EXPECT_EQ(DateOf(Eval("SUMDATE(DATE(1, 1, 2007), DATE(0, 1, 0), 1)")), (TDateRec{31, 1, 2007}));
  EXPECT_EQ(DateOf(Eval("SUMDATE(DATE(1, 1, 2007), DATE(1, 0, 1), -1)")), (TDateRec{31, 12, 2005}));
}

TEST_F(DateBuiltins, Times) {
  EXPECT_EQ(TimeOf(Eval("TIME(25, 61, 0.4)")), (TTimeRec{25, 61, 0}));
  EXPECT_EQ(Text("TIMETOSTR(TIME(1, 5, 7))"), "1:05.07");
  EXPECT_EQ(TimeOf(Eval("STRTOTIME('25:61:75')")), (TTimeRec{0, 0, 59}));
  EXPECT_EQ(Value("TIMETOSECONDS(TIME(1, 1, 1))"), 3661);
  EXPECT_EQ(TimeOf(Eval("SECONDSTOTIME(90061)")), (TTimeRec{25, 1, 1}));
  EXPECT_EQ(Value("TIMETOMINUTES(TIME(1, 10, 30))"), 71);
  EXPECT_EQ(Value("TIMETOMINUTES(TIME(1, 10, 29))"), 70);
  EXPECT_EQ(TimeOf(Eval("MINUTESTOTIME(125)")), (TTimeRec{2, 5, 0}));
  EXPECT_EQ(Value("TIME(1, 2, 3) > TIME(1, 2, 2)"), 1);
}

TEST_F(DateBuiltins, ValuesAsText) {
  EXPECT_EQ(Text("TOSTR(5, -2)"), "5");
  EXPECT_EQ(Text("TOSTR(5.5, -2)"), "5.50");
  EXPECT_EQ(Text("TOSTR(3.14159, 2)"), "3.14");
  EXPECT_EQ(Text("TOSTR(2.5, 0)"), "2");
  EXPECT_EQ(Text("TOSTR(' ab ', 3)"), "ab");
  EXPECT_EQ(Text("TOSTR(DATE(5, 3, 2007), 0)"), "5.03.2007");
  EXPECT_EQ(Text("TOSTR(DATE(5, 3, 2007), -1)"), "5 марта 2007 г."_w);
  EXPECT_EQ(Text("TOSTR(TIME(1, 5, 7), 2)"), "1:05.07");
  EXPECT_EQ(Text("MONTHSTRING(3)"), "марта"_w);
  EXPECT_EQ(Text("MONTHSTRING(13)"), "декабря"_w);
  EXPECT_EQ(Text("RUBWORD(2)"), "рубля"_w);
  EXPECT_EQ(Text("SUMPROP(1234.56)"), "Одна тысяча двести тридцать четыре рубля 56 копеек"_w);
  EXPECT_FALSE(Text("SUMPROPEX(2, 'доллар', 'цент', 1, 1)").empty());
}

}  // namespace
