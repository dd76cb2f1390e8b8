#include "models/cell_text.h"

#include <algorithm>

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"
#include "language/expr_types.h"

namespace vm {

namespace {

constexpr int kDefaultNumWidth = 16;
constexpr int kDefaultNumDecimals = 4;

// The sign rules of the layout language: -2 < 0, -1 <= 0, 1 >= 0, 2 > 0;
// any other rule takes every number. A number within the tolerance counts
// as 0, as it does everywhere else.
bool KeepsSignRule(int32_t rule, long double x) {
  if (IsNearZero(x)) x = 0.0L;
  switch (rule) {
    case -2: return x < 0;
    case -1: return x <= 0;
    case 1: return x >= 0;
    case 2: return x > 0;
    default: return true;
  }
}

bool KeepsSignRule(int32_t rule, std::string_view text) {
  TCommonVar v;
  TextToValue(text, 'N', v);
  return KeepsSignRule(rule, v.Num);
}

// What the editor holds may start or end with line breaks as well as
// blanks; all of them go.
std::string TrimTyped(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

std::string CleanCellText(std::string_view s, bool pointDecimal) {
  std::string r;
  r.reserve(s.size());
  for (const char c : s) {
    if (c == '\t' || c == '\r') {
      r += ' ';
    } else if (c == '\n') {
      continue;
    } else if (c == ',' && pointDecimal) {
      r += '.';
    } else {
      r += c;
    }
  }
  return r;
}

namespace {

bool FitsNumberFormat(const TColFormat* format, std::string_view s) {
  if (!format || format->Mode < 1) return IsValidNumStr(s, kDefaultNumWidth, kDefaultNumDecimals);
  return IsValidNumStr(s, format->Mode, format->Decimals);
}

}  // namespace

bool CheckCellText(const TColFormat* format, std::string_view s, char kind) {
  switch (kind) {
    case 'D': return IsValidDateStr(s);
    case 'N':
    case 'R': return FitsNumberFormat(format, s) && TypedDigitsHeld(s);
    case 'E': return s.empty();
    default: return true;
  }
}

std::string CellRefusalText(const TColFormat* format, const TCellInput& input) {
  std::string text(kBadCellInput);
  long double x = 0;
  if (!format || NormalizeTypeChar(format->Kind) != 'N' || !TextToExtended(input.Text, x) ||
      CheckCellText(format, input.Text, 'N'))
    return text;
  if (FitsNumberFormat(format, input.Text)) return text + std::string(kTooManyDigits);
  const int width = format->Mode < 1 ? kDefaultNumWidth : format->Mode;
  const int decimals = format->Mode < 1 ? kDefaultNumDecimals : format->Decimals;
  // The minus takes a place of its own: a negative number that looks as
  // long as the limit is still refused, and the message has to say why.
  // That is said only where the sign rule lets a negative number in at
  // all, and always where it lets nothing else in but zero.
  const bool negative = !input.Text.empty() && input.Text[0] == '-';
  const bool takesNegative = KeepsSignRule(format->Sign, -1.0L);
  const bool takesPositive = KeepsSignRule(format->Sign, 1.0L);
  int room = width;
  std::string places = " знаков"_w;
  if (decimals <= 0) {
    text += "\rВ поле помещается целое число не больше "_w + std::to_string(width) + places;
  } else {
    room = std::max(width - decimals - 1, 0);
    places = " знаков до точки"_w;
    text += "\rВ поле помещается число не больше "_w + std::to_string(room) + places + " и "_w +
            std::to_string(decimals) + " после нее"_w;
  }
  if (negative && !takesNegative) return text + ", число не может быть отрицательным"_w;
  if (!negative && takesPositive) return text;
  if (room <= 1) return text + ", отрицательное число в поле не помещается"_w;
  return text + ", "_w + std::to_string(room - 1) + places + ", если число отрицательное"_w;
}

TCellInput NormalizeCellInput(const TColFormat* format, std::string_view typed) {
  const char kind = format ? NormalizeTypeChar(format->Kind) : 'C';
  const std::string trimmed = TrimTyped(typed);
  const std::string cleaned = CleanCellText(trimmed, kind == 'N');
  TCellInput in;
  switch (kind) {
    case 'D': in.Text = NormalizeDateStr(RemoveBlanks(cleaned)); break;
    case 'E': in.Text = trimmed; break;
    case 'N': in.Text = CommaToPoint(RemoveBlanks(cleaned)); break;
    default: in.Text = cleaned; break;
  }
  if (kind == 'E') {
    in.Valid = true;
  } else {
    in.Valid = CheckCellText(format, in.Text, kind);
    if (in.Valid && kind == 'N' && format) in.Valid = KeepsSignRule(format->Sign, in.Text);
  }
  return in;
}

}  // namespace vm
