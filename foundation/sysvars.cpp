#include "foundation/sysvars.h"

#include <array>
#include <cmath>

#include "foundation/dates.h"
#include "foundation/number_text.h"
#include "foundation/strutils.h"
#include "foundation/value_text.h"

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

long double ReadNumber(std::string_view text) {
  long double x = 0;
  return TextToExtended(CommaToPoint(TrimBlanks(text)), x) ? x : 0.0L;
}

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

bool FormatValueText(std::string_view text, char kind, int mode, int decimals,
                     std::string_view altText, std::string& result) {
  if (mode == 0 && kind != 'D' && kind != 'E' && kind != 'T') {
    result = std::string(text);
    return true;
  }
  switch (kind) {
    case 'C':
      result = std::string(text);
      return true;
    case 'D':
      result = (mode > 0 && !text.empty()) ? DateStrToLongStr(text) : std::string(text);
      return true;
    case 'E':
      result = std::string(altText);
      return true;
    case 'N':
      result = ExtendedToFixed(ReadNumber(text), decimals);
      return true;
    case 'R': {
      const long double x = ReadNumber(text);
      result = ExtendedToFixed(x, x == std::nearbyint(x) ? 0 : decimals);
      return true;
    }
    case 'T':
      result = TimeRecToStr(StrToTimeRec(text), (mode & 1) != 0, (mode & 2) != 0);
      return true;
    default:
      return false;
  }
}

void ClearValue(TCommonVar& v) {
  v.Str.clear();
  v.Num = 0;
  v.Date = TDateRec{};
  v.Time = TTimeRec{};
}

long double RoundTo9Places(long double x) {
  const long double scaled = x * 1e9f;
  // Beyond the 64-bit integer range (and for NaN) a number has no ninth
  // decimal to round; it comes back as it was instead of as garbage.
  if (!(std::fabs(scaled) < 9223372036854775808.0L)) return x;
  // Through a 64-bit integer, so that a small negative number comes back as
  // a plain 0, not as a negative zero.
  return static_cast<long double>(std::llrint(scaled)) * 1e-9L;
}

}  // namespace vm
