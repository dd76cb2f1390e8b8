#include "models/input_rules.h"

#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"

namespace vm {

namespace {

bool ValidDate(const std::string& text) {
  const std::string normal = NormalizeDateStr(text);
  if (normal.empty() || !IsValidDateRec(StrToDateRec(normal))) return false;
  // Normalising moves a day past the month's end back into it; a date typed
  // with such a day is still refused.
  const TDateRec typed = StrToDateRec(TrimBlanks(text));
  return typed.Day == 0 || typed.Month == 0 || typed.Year == 0 || IsValidDateRec(typed);
}

}  // namespace

bool InputTextValid(const std::string& text, const TInputRules& rules) {
  const std::string trimmed = TrimBlanks(text);
  if (trimmed.empty()) {
    if (!rules.AllowEmpty) return false;
  } else if (rules.Kind == 'N') {
    if (!IsValidNumStr(text, 16, 4)) return false;
  } else if (rules.Kind != 'C') {
    if (!ValidDate(text)) return false;
  }
  if (!rules.Names.empty()) {
    const std::string key = UpperStr(trimmed);
    for (size_t i = 0; i < rules.Names.size(); ++i)
      if (static_cast<int32_t>(i) != rules.ExceptIndex && UpperStr(TrimBlanks(rules.Names[i])) == key)
        return false;
  }
  return true;
}

}  // namespace vm
