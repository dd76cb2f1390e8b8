#include "language/number_functions.h"

#include <array>
#include <cmath>
#include <string_view>

#include "foundation/values/rounding.h"
#include "foundation/values/value_text.h"
#include "language/function_table.h"

namespace vm {

long double ExpOf(long double x) { return std::exp(x); }

long double SqrtOf(long double x) { return x < 0 ? NAN : std::sqrt(x); }

long double MaxOf(long double a, long double b) { return b >= a ? b : a; }

long double MinOf(long double a, long double b) { return b <= a ? b : a; }

long double SignOf(long double x) { return x > 0 ? 1 : std::fabs(x) < kNumTolerance ? 0 : -1; }

long double RoundOf(long double x) { return RoundHalfEven(x); }

long double IntOf(long double x) { return TruncateToWhole(x); }

long double AbsOf(long double x) { return std::fabs(x); }

// Rounding to 9 places first keeps 0.3 / 0.1 at 3 rather than 2.
long double DivOf(long double a, long double b) {
  return std::fabs(b) < kNumTolerance ? 0 : TruncateToWhole(RoundTo9Places(a / b));
}

long double ModOf(long double a, long double b) {
  if (std::fabs(b) < kNumTolerance) return a;
  return RoundTo9Places(a - TruncateToWhole(RoundTo9Places(a / b)) * b);
}

namespace {

struct TNumberRow {
  std::string_view Name;
  TNumberFunction Function;
};

// clang-format off
constexpr TNumberRow kRows[] = {
    {"EXP", [](const long double* a) { return ExpOf(a[0]); }},
    {"SQRT", [](const long double* a) { return SqrtOf(a[0]); }},
    {"MAX", [](const long double* a) { return MaxOf(a[0], a[1]); }},
    {"MIN", [](const long double* a) { return MinOf(a[0], a[1]); }},
    {"SIGN", [](const long double* a) { return SignOf(a[0]); }},
    {"ROUND", [](const long double* a) { return RoundOf(a[0]); }},
    {"INT", [](const long double* a) { return IntOf(a[0]); }},
    {"ABS", [](const long double* a) { return AbsOf(a[0]); }},
    {"DIV", [](const long double* a) { return DivOf(a[0], a[1]); }},
    {"MOD", [](const long double* a) { return ModOf(a[0], a[1]); }},
};
// clang-format on

}  // namespace

TNumberFunction NumberFunction(int funcNo) {
  static const std::array<TNumberFunction, kFunctionCount + 1> byNumber = [] {
    std::array<TNumberFunction, kFunctionCount + 1> a{};
    for (const TNumberRow& row : kRows) a[static_cast<std::size_t>(FindFunction(row.Name))] = row.Function;
    return a;
  }();
  return funcNo >= 1 && funcNo <= kFunctionCount ? byNumber[static_cast<std::size_t>(funcNo)] : nullptr;
}

}  // namespace vm
