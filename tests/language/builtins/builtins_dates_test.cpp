#include <gtest/gtest.h>

#include <tuple>

#include <cstdint>

#include "language/expr_fakes.h"
#include "platform/encoding.h"

using namespace vm;
using namespace vm::testing;

namespace {

class DateBuiltins : public FormulaTest {
 protected:
  void ExpectDates(std::initializer_list<std::pair<const char*, TDateRec>> cases) {
    for (const auto& [text, date] : cases) {
      const Outcome o = Eval(text);
      EXPECT_EQ(std::tuple(o.Err, o.Value.Kind, o.Value.Date), std::tuple(0, 'D', date)) << text;
    }
  }
};

TEST_F(DateBuiltins, DatesAreBuiltAndTakenApart) {
  // Fields are rounded and not validated, so quarters hold for any 32-bit
  // month.
  ExpectDates({{"DATE(5, 3, 2007)", {5, 3, 2007}},
                      {"DATE(31.4, 2, 2007)", {31, 2, 2007}}, {"BEGKVART(DATE(15, 8, 2007))", {1, 7, 2007}},
                      {"BEGKVART(DATE(1, -2147483648, 1))", {1, INT32_MIN, 1}},
                      {"BEGKVART(DATE(1, 2147483647, 1))", {1, INT32_MAX, 1}}});
  ExpectNums({{"YEAR(DATE(5, 3, 2007)) + MONTH(DATE(5, 3, 2007)) + DAY(DATE(5, 3, 2007))", 2015},
              {"KVARTAL(DATE(15, 8, 2007))", 3}, {"KVARTAL(DATE(1, 12, 2007))", 4},
              {"DATE(31, 12, 2006) < DATE(1, 1, 2007)", 1}, {"DATE(1, 1, 2007) = DATE(1, 1, 2007)", 1},
              {"KVARTAL(DATE(1, -2147483648, 1))", -715827882}});
  ExpectTexts({{"DATEDIR(DATE(7, 3, 2006), 1)", "2006-03-07"}, {"DATEDIR(DATE(7, 3, 2006), 0)", "2006-03"}});
  EXPECT_EQ(Error("DATE(1E10, 1, 2007)"), -1);
}

TEST_F(DateBuiltins, DaysForwardAndBack) {
  // The calendar, not the range of dates a user may type: 1900 had no 29th
  // of February, and 1800 had days all the same. What SUMDATEDAY cannot
  // convert gives the zero date without an error; a period of one month in
  // SUMDATE counts round(30.4375) = 30 days.
  ExpectDates({{"NEXTDATE(DATE(28, 2, 2007))", {1, 3, 2007}},  {"NEXTDATE(DATE(31, 12, 2006))", {1, 1, 2007}},
               {"PREVDATE(DATE(1, 3, 2008))", {29, 2, 2008}},  {"NEXTDATE(DATE(28, 2, 1900))", {1, 3, 1900}},
               {"PREVDATE(DATE(1, 3, 2100))", {28, 2, 2100}},  {"NEXTDATE(DATE(31, 12, 1799))", {1, 1, 1800}},
               {"SUMDATEDAY(DATE(29, 2, 2100), 1)", {}},       {"SUMDATEDAY(DATE(1, 1, 1800), 31)", {1, 2, 1800}},
               {"SUMDATEDAY(DATE(31, 12, 9999), 1)", {}},      {"SUMDATEDAY(DATE(31, 12, 2006), 1)", {1, 1, 2007}},
               {"SUMDATEDAY(DATE(1, 3, 2008), -1)", {29, 2, 2008}}, {"SUMDATEDAY(DATE(0, 0, 0), 1)", {}},
               {"SUMDATEDAY(DATE(1, 1, 2007), 1E9)", {}},
               {"SUMDATE(DATE(1, 1, 2007), DATE(0, 1, 0), 1)", {31, 1, 2007}},
               {"SUMDATE(DATE(1, 1, 2007), DATE(1, 0, 1), -1)", {31, 12, 2005}}});
  ExpectErrors({{"NEXTDATE(DATE(0, 0, 0))", -1}, {"NEXTDATE(DATE(29, 2, 1900))", -1},
                {"NEXTDATE(DATE(31, 12, 9999))", -1}, {"PREVDATE(DATE(1, 1, 1))", -1}});
}

TEST_F(DateBuiltins, Times) {
  for (const auto& [text, time] : {std::pair<const char*, TTimeRec>{"TIME(25, 61, 0.4)", {25, 61, 0}},
                                   {"STRTOTIME('25:61:75')", {0, 0, 59}},
                                   {"SECONDSTOTIME(90061)", {25, 1, 1}},
                                   {"MINUTESTOTIME(125)", {2, 5, 0}}}) {
    const Outcome o = Eval(text);
    EXPECT_EQ(std::tuple(o.Err, o.Value.Kind, o.Value.Time), std::tuple(0, 'T', time)) << text;
  }
  EXPECT_EQ(Text("TIMETOSTR(TIME(1, 5, 7))"), "1:05.07");
  ExpectNums({{"TIMETOSECONDS(TIME(1, 1, 1))", 3661}, {"TIMETOMINUTES(TIME(1, 10, 30))", 71},
              {"TIMETOMINUTES(TIME(1, 10, 29))", 70}, {"TIME(1, 2, 3) > TIME(1, 2, 2)", 1}});
}

TEST_F(DateBuiltins, ValuesAsText) {
  ExpectTexts({{"TOSTR(5, -2)", "5"},
               {"TOSTR(5.5, -2)", "5.50"},
               {"TOSTR(3.14159, 2)", "3.14"},
               {"TOSTR(2.5, 0)", "2"},
               {"TOSTR(' ab ', 3)", "ab"},
               {"TOSTR(DATE(5, 3, 2007), 0)", "5.03.2007"},
               {"TOSTR(DATE(5, 3, 2007), -1)", "5 марта 2007 г."_w},
               {"TOSTR(TIME(1, 5, 7), 2)", "1:05.07"},
               {"MONTHSTRING(3)", "марта"_w},
               {"MONTHSTRING(13)", "декабря"_w},
               {"RUBWORD(2)", "рубля"_w},
               {"SUMPROP(1234.56)", "Одна тысяча двести тридцать четыре рубля 56 копеек"_w}});
  EXPECT_FALSE(Text("SUMPROPEX(2, 'доллар', 'цент', 1, 1)").empty());
}

}  // namespace
