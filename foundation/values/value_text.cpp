#include "foundation/values/value_text.h"

#include <climits>
#include <cmath>

#include "foundation/values/dates.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"

namespace vm {

namespace {

int Magnitude(int decimals) {
  if (decimals == INT_MIN) return INT_MAX;
  return decimals < 0 ? -decimals : decimals;
}

}  // namespace

void TextToValue(std::string_view s, char kind, TCommonVar& v) {
  if (kind == 'R') kind = 'N';
  v.Kind = kind;
  switch (kind) {
    case 'C':
      v.Str = TrimBlanks(s);
      break;
    case 'D':
      v.Date = StrToDateRec(NormalizeDateStr(s));
      break;
    case 'N': {
      long double x = 0;
      v.Num = TextToExtended(CommaToPoint(s), x) ? x : 0.0L;
      break;
    }
    case 'T':
      v.Time = StrToTimeRec(s);
      break;
    default:
      ClearValue(v);
      break;
  }
}

std::string ValueToText(const TCommonVar& v, int mode, int decimals) {
  switch (v.Kind) {
    case 'C':
      return TrimBlanks(v.Str);
    case 'D':
      return mode > 0 ? DateRecToLongStr(v.Date) : DateRecToStr(v.Date);
    case 'N':
      return ExtendedToFixed(IsNearZero(v.Num) ? 0.0L : v.Num, mode == 0 ? 4 : decimals);
    case 'T':
      return TimeRecToStr(v.Time, (mode & 1) != 0, (mode & 2) != 0);
    default:
      return "";
  }
}

std::string ValueToTextAuto(const TCommonVar& v, int decimals) {
  const int magnitude = Magnitude(decimals);
  if (v.Kind == 'D' || v.Kind == 'T') return ValueToText(v, magnitude, 0);
  if (v.Kind == 'N' && decimals < 0 && std::isfinite(v.Num) &&
      IsNearZero(v.Num - std::rint(v.Num))) {
    return ValueToText(v, 255, 0);
  }
  return ValueToText(v, 255, magnitude);
}

int CompareValues(const TCommonVar& a, const TCommonVar& b, bool caseSensitive) {
  switch (a.Kind) {
    case 'C':
      return CompareStrLocale(a.Str, b.Str, caseSensitive);
    case 'N':
      if (IsNearZero(a.Num - b.Num)) return 0;
      return a.Num > b.Num ? 1 : -1;
    case 'D':
      return CompareDateRec(a.Date, b.Date) - 1;
    default:
      return CompareTimeRec(a.Time, b.Time) - 1;
  }
}

bool ValuesEqual(const TCommonVar& a, const TCommonVar& b) { return CompareValues(a, b, false) == 0; }

int CompareValuesInOrder(const TCommonVar& a, const TCommonVar& b, bool caseSensitive) {
  if (a.Kind != 'N') return CompareValues(a, b, caseSensitive);
  const long double ka = NumberOrderKey(a.Num), kb = NumberOrderKey(b.Num);
  return ka < kb ? -1 : (ka > kb ? 1 : 0);
}

namespace {

long double ReadNumber(std::string_view text) {
  long double x = 0;
  return TextToExtended(CommaToPoint(TrimBlanks(text)), x) ? x : 0.0L;
}

}  // namespace

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
    case 'D': {
      // Cells write dates as d.m.y; a date kept in another form (the long
      // one of a fixed-text cell whose row now asks for a date) shows as the
      // date its value reads, not as its digits taken for d.m.y.
      std::string dmy(text);
      if (text.find_first_not_of("0123456789. ") != std::string_view::npos)
        if (std::string read = NormalizeDateStr(text); !read.empty()) dmy = std::move(read);
      result = (mode > 0 && !dmy.empty()) ? DateStrToLongStr(dmy) : std::move(dmy);
      return true;
    }
    case 'E':
      result = std::string(altText);
      return true;
    case 'N':
      result = ExtendedToFixed(ReadNumber(text), decimals);
      return true;
    case 'R': {
      const long double x = ReadNumber(text);
      result = ExtendedToFixed(x, x == std::rint(x) ? 0 : decimals);
      return true;
    }
    case 'T':
      result = TimeRecToStr(StrToTimeRec(text), (mode & 1) != 0, (mode & 2) != 0);
      return true;
    default:
      return false;
  }
}

}  // namespace vm
