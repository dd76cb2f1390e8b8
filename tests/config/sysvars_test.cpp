#include "config/sysvars.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

using namespace vm;

namespace {

std::string Format(std::string_view text, char kind, int mode, int decimals,
                   std::string_view alt = "") {
  std::string r = "untouched";
  FormatValueText(text, kind, mode, decimals, alt, r);
  return r;
}

class SysVars : public ::testing::Test {
 protected:
  void SetUp() override { ResetSysVars(); }
  void TearDown() override { ResetSysVars(); }
};

}  // namespace

TEST_F(SysVars, LookUpByUpperCasedName) {
  for (auto [name, index] : {std::pair{"curdate", 1}, {"No_Operat", 2}, {"CURTIME", 3}, {"CURDATE ", -1},
                             {"NO_OPER", -1}})
    EXPECT_EQ(FindSysVar(name), index) << name;
  EXPECT_EQ(IndexOfReservedField("no__"), 1);
  EXPECT_EQ(IndexOfReservedField("NO_"), -1);
}

TEST_F(SysVars, ValuesAndTexts) {
  auto texts = [](std::initializer_list<std::array<int, 3>> asks) {
    std::string all;
    for (const auto& [index, mode, decimals] : asks) all += GetSysVarText(index, mode, decimals) + "|";
    return all;
  };
  EXPECT_EQ(texts({{2, 1, 0}, {1, 1, 0}, {3, 0, 0}}), "1||0:00|");

  SetSysVarText(kSysVarCurDate, "6.12.2026");
  SetSysVarText(kSysVarCurTime, "9:05.07");
  SetSysVarText(kSysVarNoOperat, "41");
  EXPECT_EQ(texts({{1, 0, 0}, {1, 1, 0}, {3, 3, 0}, {2, 1, 2}}),
            "6.12.2026|6 декабря 2026г.|9ч. 05мин. 07с.|41.00|"_w);
  EXPECT_EQ(GetSysVarValue(1).Date, (TDateRec{6, 12, 2026}));
  EXPECT_EQ(std::pair(GetSysVarValue(2).Kind, GetSysVarValue(2).Num), std::pair('N', 41.0L));
  EXPECT_EQ(GetSysVarValue(3).Time, (TTimeRec{9, 5, 7}));

  // A wrong index is refused instead of reaching outside the table.
  SetSysVarText(4, "x");
  EXPECT_EQ(GetSysVarText(0, 1, 0), "");
  EXPECT_EQ(GetSysVarValue(-1).Kind, '-');
}

TEST(ValueDisplay, FormatByKindLetter) {
  struct Case {
    std::string text;
    char kind;
    int mode, decimals;
    std::string shown;
  };
  for (const Case& c : {Case{"12,5", 'N', 1, 2, "12.50"}, {"12,5", 'N', 0, 2, "12,5"},
                        {"abc", 'N', 1, 0, "0"}, {"-0,125", 'N', 1, 2, "-0.12"}, {"7", 'R', 1, 2, "7"},
                        {"7,25", 'R', 1, 2, "7.25"}, {"7,0000000001", 'R', 1, 2, "7.00"},
                        {"", 'D', 1, 0, ""}, {"5.03.2007", 'D', 0, 0, "5.03.2007"},
                        {"5.03.2007", 'D', 1, 0, "5 марта 2007г."_w}, {"5.03", 'D', 0, 0, "5.03"},
                        {"1 февраля 2026 г."_w, 'D', 1, 0, "1 февраля 2026г."_w},
                        {"1 февраля 2026 г."_w, 'D', 0, 0, "1.02.2026"}, {"9:5:7", 'T', 0, 0, "9:05"},
                        {"9:5:7", 'T', 2, 0, "9:05.07"}, {" as is ", 'C', 1, 0, " as is "},
                        {"x", 'Q', 1, 0, "untouched"}, {"x", 'Q', 0, 0, "x"}})
    EXPECT_EQ(Format(c.text, c.kind, c.mode, c.decimals), c.shown) << c.text << " " << c.kind << c.mode;
  EXPECT_EQ(Format("text", 'E', 0, 0, "computed"), "computed");
}

TEST(ValueDisplay, ClearKeepsOnlyTheKind) {
  TCommonVar v{'N', "s", 3.5L, {1, 2, 3}, {4, 5, 6}};
  ClearValue(v);
  EXPECT_TRUE(v.Kind == 'N' && v.Num == 0 && v.Str.empty() && v.Date == TDateRec{} && v.Time == TTimeRec{});
}
