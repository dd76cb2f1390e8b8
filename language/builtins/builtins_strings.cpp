// Built-in functions over strings.
#include <cmath>
#include <string>
#include <string_view>

#include "foundation/text/amount_words.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "language/builtins.h"
#include "language/expr_context.h"
#include "config/sysvars.h"
#include "foundation/values/value_text.h"
#include "foundation/text/number_text.h"

namespace vm {

namespace {

enum { kErrBadNumberParam = 37 };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A sum in whole hundredths, through a 64-bit integer as the rounding does.
bool Hundredths(TBuiltinCall& c, long double sum, long long& k) {
  const long double r = std::rint(sum * 100);
  if (!(std::fabs(r) < 9223372036854775807.0L)) {
    c.FailWith(" Целое число вне допустимого диапазона "_w);
    return false;
  }
  k = static_cast<long long>(r);
  return true;
}

// Position of the first digit outside quotes; both kinds of quote toggle
// the same state. npos when there is none.
std::size_t FirstFreeDigit(std::string_view s) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"' || s[i] == '\'') quoted = !quoted;
    else if (!quoted && IsDigit(s[i])) return i;
  }
  return std::string_view::npos;
}

TVariable& VariableArg(TBuiltinCall& c, int i) { return *c.ArgNode(i).Child.front().Var; }

}  // namespace

void FnChr(TBuiltinCall& c) {
  int32_t code = 0;
  if (!c.IntArg(1, code)) return;
  c.SetStr(std::string(1, static_cast<char>(code >= 0 && code <= 255 ? code : 0)));
}

void FnOrd(TBuiltinCall& c) {
  const std::string& s = c.Str(1);
  c.SetNum(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
}

void FnCharatpos(TBuiltinCall& c) {
  int32_t n = 0;
  if (!c.IntArg(2, n)) return;
  if (n < 1) return c.FailWith(" Неверная позиция символа в строке "_w);
  const std::string& s = c.Str(1);
  c.SetStr(static_cast<std::size_t>(n) <= s.size() ? std::string(1, s[static_cast<std::size_t>(n - 1)])
                                                   : std::string());
}

void FnLen(TBuiltinCall& c) { c.SetNum(static_cast<long double>(c.Str(1).size())); }

void FnCopystr(TBuiltinCall& c) {
  int32_t from = 0, count = 0;
  if (!c.IntArg(2, from) || !c.IntArg(3, count)) return;
  const std::string& s = c.Str(1);
  const long long start = from < 1 ? 0 : from - 1LL;
  if (count <= 0 || start >= static_cast<long long>(s.size())) return c.SetStr({});
  c.SetStr(s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

void FnExpandstring(TBuiltinCall& c) {
  int32_t width = 0;
  if (!c.WidthArg(2, width)) return;
  const std::string& fill = c.Str(4);
  c.SetStr(PadStr(c.Str(1), width < 0 ? 0 : width, !IsNearZero(c.Num(3)), fill.empty() ? ' ' : fill[0]));
}

void FnNospace(TBuiltinCall& c) { c.SetStr(TrimBlanks(c.Str(1))); }

void FnRustoeng(TBuiltinCall& c) { c.SetStr(CyrLookalikesToLatin(c.Str(1))); }

void FnValidhtml(TBuiltinCall& c) { c.SetStr(EncodeHtmlChars(c.Str(1))); }

void FnFindword(TBuiltinCall& c) {
  c.SetNum(IsInDelimitedList(c.Str(1), c.Str(2), c.Str(3)) ? 1 : 0);
}

void FnCheckfilename(TBuiltinCall& c) {
  std::string name = c.Str(1);
  MakeValidFileName(name);
  c.SetStr(std::move(name));
}

void FnShortname(TBuiltinCall& c) {
  std::string result = TrimBlanks(c.Str(1));
  if (!result.empty()) {
    for (int i : {2, 3}) {
      const std::string part = TrimBlanks(c.Str(i));
      if (part.empty()) continue;
      result += ' ';
      result += RusUpCase(part[0]);
      result += '.';
    }
  }
  c.SetStr(std::move(result));
}

void FnProdname(TBuiltinCall& c) {
  const std::string& s = c.Str(1);
  c.SetStr(TrimBlanks(std::string_view(s).substr(0, FirstFreeDigit(s))));
}

void FnProdweight(TBuiltinCall& c) {
  const std::string& s = c.Str(1);
  const std::size_t at = FirstFreeDigit(s);
  c.SetStr(at == std::string::npos ? std::string() : TrimBlanks(std::string_view(s).substr(at)));
}

void FnPricestring(TBuiltinCall& c) {
  long long k = 0;
  if (!Hundredths(c, c.Num(1), k)) return;
  const long long whole = k / 100, cents = k % 100;
  std::string centText = std::to_string(cents);
  if (centText.size() == 1) centText.insert(0, 1, '0');
  if (whole == 0)
    c.SetStr(centText + c.Str(3));
  else
    c.SetStr(std::to_string(whole) + c.Str(2) + centText + c.Str(3));
}

void FnGetparamval(TBuiltinCall& c) {
  int32_t n = 0;
  if (!c.IntArg(2, n)) return;
  const std::string& s = c.Str(1);
  auto numeric = [](char ch) { return IsDigit(ch) || ch == '.'; };
  std::size_t i = 0;
  std::string_view run;
  // Past the end of the text every further number is the empty run.
  for (int k = 0; k < n && (k == 0 || !run.empty()); ++k) {
    while (i < s.size() && !numeric(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && numeric(s[i])) ++i;
    run = std::string_view(s).substr(start, i - start);
  }
  long double v = 0;
  if (!run.empty() && !TextToExtended(run, v)) return c.Fail(kErrBadNumberParam);
  c.SetNum(v);
}

void FnRubkop(TBuiltinCall& c) {
  long long k = 0;
  if (!Hundredths(c, c.Num(1), k)) return;
  VariableArg(c, 2).Value.Num = static_cast<long double>(k / 100);
  VariableArg(c, 3).Value.Num = static_cast<long double>(k % 100);
}

void FnSumpropex(TBuiltinCall& c) {
  c.SetStr(SumInWordsEx(static_cast<double>(c.Num(1)), c.Str(2), !IsNearZero(c.Num(4)), c.Str(3),
                        !IsNearZero(c.Num(5)), true));
}

void FnRubword(TBuiltinCall& c) {
  int32_t n = 0;
  if (c.IntArg(1, n)) c.SetStr(RubleWord(n));
}

void FnMonthstring(TBuiltinCall& c) {
  int32_t m = 0;
  if (c.IntArg(1, m)) c.SetStr(MonthNameGenitive(m));
}

void FnSumprop(TBuiltinCall& c) { c.SetStr(SumInWords(static_cast<double>(c.Num(1)), true)); }

void FnTostr(TBuiltinCall& c) {
  int32_t n = 0;
  if (c.IntArg(2, n)) c.SetStr(ValueToTextAuto(c.Arg(1), n));
}

}  // namespace vm
