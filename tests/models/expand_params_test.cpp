#include "models/expand_params.h"

#include <gtest/gtest.h>

#include "config/blanks.h"
#include "config/sysvars.h"
#include "platform/encoding.h"

namespace vm {
namespace {

class ExpandParamsTest : public ::testing::Test {
 protected:
  ExpandParamsTest() {
    ResetSysVars();
    SetSysVarText(kSysVarCurDate, "5.03.2007");
    SetSysVarText(kSysVarNoOperat, "17");
    SetSysVarText(kSysVarCurTime, "9:05.07");
    Add("СКЛАД"_w, 'C', "Главный"_w);
    Add("СУММА"_w, 'N', "12.5");
    Add("ПРОЦЕНТ"_w, 'C', "50%");
    Add("ДЕНЬ"_w, 'D', "1.02.2007");
  }
  ~ExpandParamsTest() override { ResetSysVars(); }

  void Add(const std::string &name, char kind, const std::string &value) {
    TAPar *p = params.AddNew();
    p->Name = name;
    p->Kind = kind;
    p->ValueText = value;
  }

  TAutoList params;
};

TEST_F(ExpandParamsTest, ReferencesAreReplacedOnceEachLeftToRight) {
  const struct {
    const char *text;
    const char *expanded;
  } rows[] = {
      {"Накладная № %NO_OPERAT% от %CURDATE%", "Накладная № 17 от 5.03.2007"},
      {"%curdate:1%", "5 марта 2007г."},
      {"Склад: %склад%", "Склад: Главный"},
      {"%СУММА:1:2% руб.", "12.50 руб."},
      {"% СУММА : 1 : 3 %", "12.500"},
      {"%СУММА:x:2%", "12.5"},  // a mode that is no number is 0
      {"%ДЕНЬ:1%", "1 февраля 2007г."},
      {"%CURTIME%", "9:05"},
      // A value holding '%' is not looked into again.
      {"%ПРОЦЕНТ%%СКЛАД%", "50%Главный"},
      // Percent signs pair from the left, whatever stands between them.
      {"скидка 5% и %СКЛАД%", "скидка 5СКЛАД%"},
      // A lone '%' stays; an unknown name gives nothing.
      {"100%", "100%"},
      {"%НЕТ_ТАКОГО%!", "!"},
      {"%%", ""},
      {"", ""},
  };
  for (const auto &r : rows)
    EXPECT_EQ(Cp1251ToUtf8(ExpandParams(Utf8ToCp1251(r.text), &params)), r.expanded) << r.text;
  EXPECT_EQ(ExpandParams("%СКЛАД%-%CURDATE%"_w, nullptr), "-5.03.2007");
}

}  // namespace
}  // namespace vm
