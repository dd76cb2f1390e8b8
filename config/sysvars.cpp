#include "config/sysvars.h"

#include <array>
#include <cmath>

#include "foundation/values/dates.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

struct TSysVar {
  std::string_view Name;
  char Kind;
  std::string ValueText;
};

std::array<TSysVar, 3> gSysVars = {{
    {"CURDATE", 'D', ""},
    {"NO_OPERAT", 'N', "1"},
    {"CURTIME", 'T', "0"},
}};

bool ValidIndex(int index) { return index >= 1 && index <= static_cast<int>(gSysVars.size()); }

TSysVar& Entry(int index) { return gSysVars[static_cast<size_t>(index - 1)]; }

}  // namespace

int FindSysVar(std::string_view name) {
  const std::string upper = UpperStr(name);
  for (size_t i = 0; i < gSysVars.size(); ++i)
    if (gSysVars[i].Name == upper) return static_cast<int>(i + 1);
  return -1;
}

std::string GetSysVarText(int index, int mode, int decimals) {
  std::string s;
  if (ValidIndex(index)) FormatValueText(Entry(index).ValueText, Entry(index).Kind, mode, decimals, "", s);
  return s;
}

TCommonVar GetSysVarValue(int index) {
  TCommonVar v;
  if (ValidIndex(index)) {
    TextToValue(Entry(index).ValueText, Entry(index).Kind, v);
  } else {
    v.Kind = '-';
  }
  return v;
}

void SetSysVarText(int index, std::string_view text) {
  if (ValidIndex(index)) Entry(index).ValueText = std::string(text);
}

void SetSysVarMoment(const TDateRec& date, const TTimeRec& time) {
  SetSysVarText(kSysVarCurDate, DateRecToStr(date));
  SetSysVarText(kSysVarCurTime, TimeRecToStr(time, false, true));
}

void ResetSysVars() {
  Entry(kSysVarCurDate).ValueText.clear();
  Entry(kSysVarNoOperat).ValueText.assign(1, '1');
  Entry(kSysVarCurTime).ValueText.assign(1, '0');
}

std::span<const TFieldRecord> ReservedFields() {
  static const TFieldRecord kReserved[] = {{"NO__", 'N', 10, 0}};
  return kReserved;
}

int IndexOfReservedField(std::string_view name) {
  const std::string upper = UpperStr(name);
  const auto fields = ReservedFields();
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].Name == upper) return static_cast<int>(i + 1);
  return -1;
}

}  // namespace vm
