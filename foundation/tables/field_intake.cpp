#include "foundation/tables/field_intake.h"

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"

namespace vm {

namespace {

// Past this many digits the 80-bit numbers no longer hold every number
// exactly, and rounding through them may give another.
constexpr std::size_t kExtendedDigits = 19;

bool IsDigits(std::string_view s) { return s.find_first_not_of("0123456789") == std::string_view::npos; }

bool RealDate(const TDateRec& d, TIntake intake) {
  if (intake == TIntake::TableFile) return IsValidDateRec(d);
  return d.Year >= 1 && d.Month >= 1 && d.Month <= 12 && d.Day >= 1 && d.Day == ClampDayToMonth(d.Day, d.Month, d.Year);
}

bool DateText(const std::string& text, TIntake intake, std::string& stored) {
  if (text.size() == 8 && IsDigits(text)) {
    // The zero date is what the documents write for a date not given.
    if (intake != TIntake::Archived && text != "00000000" &&
        !RealDate({std::stoi(text.substr(6, 2)), std::stoi(text.substr(4, 2)), std::stoi(text.substr(0, 4))}, intake))
      return false;
    stored = text;
    return true;
  }
  if (intake == TIntake::Archived || !IsValidDateStr(text)) return false;
  TDateFieldBuffer buf;
  stored = DateFieldText(StrToDateRec(text), buf);
  return true;
}

bool NumberText(const TFieldRecord& field, const std::string& text, TIntake intake, std::string& stored) {
  if (text == "???" || text.find_first_not_of('*') == std::string::npos) {
    stored = text;
    return true;
  }
  const std::string number = CommaToPoint(text);
  TDecimalNumber n;
  if (!ReadDecimalNumber(number, n)) return false;
  stored = FitDecimalNumber(n, field.Length, field.Decimals);
  if (stored.empty() && intake != TIntake::Archived && n.Places() > field.Decimals &&
      n.Digits.size() <= kExtendedDigits) {
    long double x = 0;
    const TNumberRead read = ReadExtended(number, x);
    if (read == TNumberRead::TooSmall) x = 0;
    if (read == TNumberRead::Number || read == TNumberRead::TooSmall) stored = FitNumber(x, field.Length, field.Decimals);
  }
  return !stored.empty();
}

}  // namespace

bool FieldTextOf(const TFieldRecord& field, std::string_view value, TIntake intake, std::string& stored) {
  const char kind = field.FieldType;
  if (kind != 'D' && kind != 'L' && kind != 'N') {
    stored.assign(value);
    TrimRightSpaces(stored);
    return true;
  }
  const std::string text = TrimBlanks(value);
  bool taken = true;
  if (text.empty()) {
    stored.clear();
  } else if (kind == 'D') {
    taken = DateText(text, intake, stored);
  } else if (kind == 'L') {
    taken = text.size() == 1 && std::string_view("TtFfYyNn?").find(text[0]) != std::string_view::npos;
    stored = text;
  } else {
    taken = NumberText(field, text, intake, stored);
  }
  return taken && stored.size() <= static_cast<std::size_t>(field.Length);
}

}  // namespace vm
