#include "language/operators.h"

#include <array>
#include <cmath>

#include "config/sysvars.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

// Run-time errors of the operators.
enum {
  kErrDivByZero = 1,
  kErrZeroNegativePower = 2,
  kErrNegativeFractionalPower = 3,
  kErrTypesDiffer = 13,
  kErrBadOperation = 14,
  kErrBadOperand = 22,
  kErrOverflow = 254,
};

void SetNumber(TCommonVar& result, long double v) {
  result.Kind = 'N';
  result.Num = v;
}

void Multiply(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'N') {
    err = kErrBadOperand;
    return;
  }
  SetNumber(result, l.Num * r.Num);
}

void Divide(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'N') {
    err = kErrBadOperand;
    return;
  }
  SetNumber(result, l.Num / r.Num);
}

void Add(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind == 'N') {
    SetNumber(result, l.Num + r.Num);
  } else if (l.Kind == 'C') {
    result.Kind = 'C';
    // The evaluator folds into its left operand; then only the tail is new.
    if (&result != &l) result.Str = l.Str;
    result.Str += r.Str;
  } else {
    err = kErrBadOperand;
  }
}

void Subtract(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'N') {
    err = kErrBadOperand;
    return;
  }
  SetNumber(result, l.Num - r.Num);
}

void Power(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'N') {
    err = kErrBadOperand;
    return;
  }
  const long double base = std::fabs(l.Num);
  // Not e^(ln b * x): that misses exact powers by an ulp, and INT(10^3)
  // would give 999.
  long double v = base >= kNumTolerance ? std::pow(base, r.Num) : 0.0L;
  if (l.Num < 0 && std::fmod(std::nearbyint(r.Num), 2.0L) != 0) v = -v;
  SetNumber(result, v);
}

template <bool (*Holds)(int)>
void Compare(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'C' && l.Kind != 'D' && l.Kind != 'N' && l.Kind != 'T') {
    err = kErrBadOperand;
    return;
  }
  SetNumber(result, Holds(CompareValues(l, r, true)) ? 1 : 0);
}

constexpr bool Less(int c) { return c < 0; }
constexpr bool Greater(int c) { return c > 0; }
constexpr bool LessEq(int c) { return c <= 0; }
constexpr bool GreaterEq(int c) { return c >= 0; }
constexpr bool NotEq(int c) { return c != 0; }
constexpr bool Eq(int c) { return c == 0; }

// clang-format off
constexpr std::array<TOperatorRow, kOperatorCount> kOperators = {{
    {'*', 100, 'N', Multiply},          // 1
    {'/', 100, 'N', Divide},            // 2
    {'+', 90, 'I', Add},                // 3
    {'-', 90, 'N', Subtract},           // 4
    {'^', 110, 'N', Power},             // 5
    {'<', 80, 'N', Compare<Less>},      // 6
    {'>', 80, 'N', Compare<Greater>},   // 7
    {'$', 80, 'N', Compare<LessEq>},    // 8: written "<="
    {'!', 80, 'N', Compare<GreaterEq>}, // 9: written ">="
    {'#', 80, 'N', Compare<NotEq>},     // 10
    {'=', 80, 'N', Compare<Eq>},        // 11
}};
// clang-format on

bool IsComparison(int op) { return op >= kOpLess && op <= kOpEq; }

// The checks made before a routine runs; 0 when it may run.
int Precheck(int op, const TCommonVar& l, const TCommonVar& r) {
  if (l.Kind != r.Kind) return kErrTypesDiffer;
  if (l.Kind == 'C' && op != kOpAdd && !IsComparison(op)) return kErrBadOperation;
  if (l.Kind == 'D' && !IsComparison(op)) return kErrBadOperation;
  if (l.Kind != 'N') return 0;
  if (op == kOpDiv && std::fabs(r.Num) < kNumTolerance) return kErrDivByZero;
  if (op == kOpPow) {
    if (std::fabs(l.Num) < kNumTolerance && r.Num < 0) return kErrZeroNegativePower;
    if (l.Num < 0 && r.Num != std::nearbyint(r.Num)) return kErrNegativeFractionalPower;
  }
  return 0;
}

}  // namespace

const TOperatorRow& OperatorRow(int index) {
  return kOperators[static_cast<std::size_t>(index - 1)];
}

int FindOperator(char c) {
  for (std::size_t i = 0; i < kOperators.size(); ++i)
    if (kOperators[i].Char == c) return static_cast<int>(i) + 1;
  return 0;
}

void ApplyOperator(int opIndex, const TCommonVar& left, const TCommonVar& right,
                   TCommonVar& result, int& errCode) {
  errCode = Precheck(opIndex, left, right);
  if (errCode == 0) OperatorRow(opIndex).Routine(left, right, errCode, result);
  // The floating-point unit would trap an overflow; no infinity is ever kept.
  if (errCode == 0 && result.Kind == 'N' && !std::isfinite(result.Num)) errCode = kErrOverflow;
  if (errCode != 0) SetNumber(result, 0);
}

}  // namespace vm
