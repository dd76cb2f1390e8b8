// Built-in functions over numbers.
#include <cmath>
#include <cstdio>

#include "platform/encoding.h"
#include "foundation/text/strutils.h"
#include "language/bits.h"
#include "language/builtins.h"
#include "config/sysvars.h"
#include "foundation/values/value_text.h"
#include "foundation/text/number_text.h"
#include "language/number_functions.h"

namespace vm {

namespace {

enum {
  kErrLogOfNonPositive = 4,
  kErrLogBaseNonPositive = 5,
  kErrLogBaseOne = 6,
  kErrSqrtOfNegative = 7,
  kErrTanOfHalfPi = 8,
  kErrCotOfZero = 9,
  kErrArcAboveOne = 10,
  kErrArcoshBelowOne = 11,
  kErrArtanhOutside = 12,
};

// The floating-point unit gives up on sine and cosine from 2^63 on.
constexpr long double kTrigLimit = 9223372036854775808.0L;

// Tangent and cotangent divide these same values, so past the limit they meet
// a zero divisor just as SIN(X) / COS(X) would.
long double UnitSin(long double x) { return std::fabs(x) < kTrigLimit ? std::sin(x) : 0; }
long double UnitCos(long double x) { return std::fabs(x) < kTrigLimit ? std::cos(x) : 0; }

}  // namespace

void FnExp(TBuiltinCall& c) { c.SetNum(ExpOf(c.Num(1))); }

void FnLn(TBuiltinCall& c) {
  if (c.Num(1) <= 0) return c.Fail(kErrLogOfNonPositive);
  c.SetNum(std::log(c.Num(1)));
}

void FnLg(TBuiltinCall& c) {
  if (c.Num(1) <= 0) return c.Fail(kErrLogOfNonPositive);
  c.SetNum(std::log10(c.Num(1)));
}

void FnLog(TBuiltinCall& c) {
  const long double x = c.Num(1), base = c.Num(2);
  if (x <= 0) return c.Fail(kErrLogOfNonPositive);
  if (base <= 0) return c.Fail(kErrLogBaseNonPositive);
  if (base == 1) return c.Fail(kErrLogBaseOne);
  c.SetNum(std::log(x) / std::log(base));
}

void FnSqrt(TBuiltinCall& c) {
  if (c.Num(1) < 0) return c.Fail(kErrSqrtOfNegative);
  c.SetNum(SqrtOf(c.Num(1)));
}

void FnMax(TBuiltinCall& c) { c.SetNum(MaxOf(c.Num(1), c.Num(2))); }

void FnMin(TBuiltinCall& c) { c.SetNum(MinOf(c.Num(1), c.Num(2))); }

void FnSin(TBuiltinCall& c) { c.SetNum(UnitSin(c.Num(1))); }

void FnCos(TBuiltinCall& c) { c.SetNum(UnitCos(c.Num(1))); }

void FnTg(TBuiltinCall& c) {
  const long double x = c.Num(1);
  const long double cosine = UnitCos(x);
  if (cosine == 0) return c.Fail(kErrTanOfHalfPi);
  c.SetNum(UnitSin(x) / cosine);
}

void FnCtg(TBuiltinCall& c) {
  const long double x = c.Num(1);
  const long double sine = UnitSin(x);
  if (sine == 0) return c.Fail(kErrCotOfZero);
  c.SetNum(UnitCos(x) / sine);
}

void FnSign(TBuiltinCall& c) { c.SetNum(SignOf(c.Num(1))); }

void FnAtg(TBuiltinCall& c) { c.SetNum(std::atan(c.Num(1))); }

namespace {

// Arc sine and arc cosine share their checks.
bool ArcArgument(TBuiltinCall& c) {
  if (c.Num(1) > 1) {
    c.Fail(kErrArcAboveOne);
    return false;
  }
  if (c.Num(1) < -1) {
    c.FailWith(" Аргумент функции арксинуса или арккосинуса меньше минус единицы "_w);
    return false;
  }
  return true;
}

}  // namespace

void FnAsin(TBuiltinCall& c) {
  if (ArcArgument(c)) c.SetNum(std::asin(c.Num(1)));
}

void FnAcos(TBuiltinCall& c) {
  if (ArcArgument(c)) c.SetNum(std::acos(c.Num(1)));
}

void FnSinh(TBuiltinCall& c) { c.SetNum(std::sinh(c.Num(1))); }

void FnCosh(TBuiltinCall& c) { c.SetNum(std::cosh(c.Num(1))); }

void FnTgh(TBuiltinCall& c) { c.SetNum(std::tanh(c.Num(1))); }

void FnAsnh(TBuiltinCall& c) { c.SetNum(std::asinh(c.Num(1))); }

void FnAcsh(TBuiltinCall& c) {
  if (c.Num(1) < 1) return c.Fail(kErrArcoshBelowOne);
  c.SetNum(std::acosh(c.Num(1)));
}

void FnAtgh(TBuiltinCall& c) {
  const long double x = c.Num(1);
  if (x < -1 || x > 1) return c.Fail(kErrArtanhOutside);
  c.SetNum(std::atanh(x));
}

void FnRound(TBuiltinCall& c) { c.SetNum(RoundOf(c.Num(1))); }

void FnInt(TBuiltinCall& c) { c.SetNum(IntOf(c.Num(1))); }

void FnAbs(TBuiltinCall& c) { c.SetNum(AbsOf(c.Num(1))); }

void FnDiv(TBuiltinCall& c) { c.SetNum(DivOf(c.Num(1), c.Num(2))); }

void FnMod(TBuiltinCall& c) { c.SetNum(ModOf(c.Num(1), c.Num(2))); }

void FnTonum(TBuiltinCall& c) {
  std::string_view s = c.Str(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  long double v = 0;
  c.SetNum(TextToExtended(s, v) ? v : 0);
}

namespace {

// A bit mask argument: its rounded value, read as 32 bits whether it was
// written signed or unsigned.
bool MaskArg(TBuiltinCall& c, int i, uint32_t& mask) {
  const long double r = std::rint(c.Num(i));
  if (!(r >= -2147483648.0L && r <= 4294967295.0L)) {
    c.FailWith(" Целое число вне допустимого диапазона "_w);
    return false;
  }
  mask = r < 0 ? static_cast<uint32_t>(static_cast<int32_t>(r)) : static_cast<uint32_t>(r);
  return true;
}

}  // namespace

void FnGetbit(TBuiltinCall& c) {
  uint32_t mask = 0;
  int32_t bit = 0;
  if (!MaskArg(c, 1, mask) || !c.IntArg(2, bit)) return;
  c.SetNum(GetBit(static_cast<uint8_t>(bit & 0xFF), mask) ? 1 : 0);
}

void FnSetbit(TBuiltinCall& c) {
  uint32_t mask = 0;
  int32_t bit = 0;
  if (!MaskArg(c, 1, mask) || !c.IntArg(2, bit)) return;
  if (bit < 0 || bit > 255) return c.FailWith(" Неверный номер бита "_w);
  SetBit(static_cast<uint8_t>(bit), mask, !IsNearZero(c.Num(3)));
  c.SetNum(mask);
}

void FnRounddig(TBuiltinCall& c) {
  int32_t digits = 0, p = 0;
  if (!c.IntArg(2, digits)) return;
  if (digits < 0) return c.FailWith(" Отрицательное число знаков округления "_w);
  if (!c.RoundToInt32(std::exp(digits * std::log(10.0L)), p)) return;
  const long double scaled = c.Num(1) * p;
  // Rounding goes through a 64-bit integer.
  if (!(std::fabs(scaled) < 9223372036854775807.0L))
    return c.FailWith(" Целое число вне допустимого диапазона "_w);
  c.SetNum(std::rint(scaled) / p);
}

void FnExpandnum(TBuiltinCall& c) {
  int32_t width = 0;
  if (!c.WidthArg(2, width)) return;
  // Adding zero turns a rounded -0 into 0.
  const long double v = std::rint(c.Num(1)) + 0.0L;
  std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.0Lf", v)) + 1, '\0');
  text.resize(static_cast<std::size_t>(std::snprintf(text.data(), text.size(), "%.0Lf", v)));
  c.SetStr(PadStr(text, width < 0 ? 0 : width, true, '0'));
}

void FnTryint(TBuiltinCall& c) { c.SetNum(DigitsToInt(c.Str(1))); }

void FnQuests(TBuiltinCall& c) { c.SetStr(!IsNearZero(c.Num(1)) ? c.Str(2) : c.Str(3)); }

void FnInttostr(TBuiltinCall& c) {
  int32_t value = 0, base = 0, digits = 0;
  if (!c.IntArg(1, value) || !c.IntArg(2, base) || !c.WidthArg(3, digits)) return;
  // A base that has no digits for it is refused like one below 2.
  if (base > 36) base = 1;
  c.SetStr(IntToBaseStr(value, base, digits));
}

void FnStrtoint(TBuiltinCall& c) {
  int32_t base = 0;
  if (!c.IntArg(2, base)) return;
  c.SetNum(BaseStrToInt(c.Str(1), base));
}

}  // namespace vm
