#include "language/operators.h"

#include <array>
#include <cmath>

#include "config/sysvars.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

// Run-time errors of the operators.
enum {
  kErrZeroNegativePower = 2,
  kErrNegativeFractionalPower = 3,
  kErrTypesDiffer = 13,
  kErrBadOperation = 14,
  kErrBadOperand = 22,
};

void SetNumber(TCommonVar& result, long double v) {
  result.Kind = 'N';
  result.Num = v;
}

// Two numbers never reach the routines (they take ApplyNumberOperator), so
// these see only the kinds an operator refuses or, for '+', texts.
void NumbersOnly(const TCommonVar&, const TCommonVar&, int& err, TCommonVar&) { err = kErrBadOperand; }

void Add(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'C') {
    err = kErrBadOperand;
    return;
  }
  result.Kind = 'C';
  // The evaluator folds into its left operand; then only the tail is new.
  if (&result != &l) result.Str = l.Str;
  result.Str += r.Str;
}

template <int Op>
void Compare(const TCommonVar& l, const TCommonVar& r, int& err, TCommonVar& result) {
  if (l.Kind != 'C' && l.Kind != 'D' && l.Kind != 'N' && l.Kind != 'T') {
    err = kErrBadOperand;
    return;
  }
  SetNumber(result, OrderHolds(Op, CompareValues(l, r, true)) ? 1 : 0);
}

// clang-format off
constexpr std::array<TOperatorRow, kOperatorCount> kOperators = {{
    {'*', 100, 'N', NumbersOnly},          // 1
    {'/', 100, 'N', NumbersOnly},          // 2
    {'+', 90, 'I', Add},                   // 3
    {'-', 90, 'N', NumbersOnly},           // 4
    {'^', 110, 'N', NumbersOnly},          // 5
    {'<', 80, 'N', Compare<kOpLess>},      // 6
    {'>', 80, 'N', Compare<kOpGreater>},   // 7
    {'$', 80, 'N', Compare<kOpLessEq>},    // 8: written "<="
    {'!', 80, 'N', Compare<kOpGreaterEq>}, // 9: written ">="
    {'#', 80, 'N', Compare<kOpNotEq>},     // 10
    {'=', 80, 'N', Compare<kOpEq>},        // 11
}};
// clang-format on

bool IsComparison(int op) { return op >= kOpLess && op <= kOpEq; }

// The checks made before a routine runs; 0 when it may run.
int Precheck(int op, const TCommonVar& l, const TCommonVar& r) {
  if (l.Kind != r.Kind) return kErrTypesDiffer;
  if (l.Kind == 'C' && op != kOpAdd && !IsComparison(op)) return kErrBadOperation;
  if (l.Kind == 'D' && !IsComparison(op)) return kErrBadOperation;
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

// Not e^(ln b * x): that misses exact powers by an ulp, and INT(10^3)
// would give 999.
int PowerOfNumbers(long double& acc, long double right) {
  if (std::fabs(acc) < kNumTolerance && right < 0) return kErrZeroNegativePower;
  if (acc < 0 && right != std::rint(right)) return kErrNegativeFractionalPower;
  const long double base = std::fabs(acc);
  long double v = base >= kNumTolerance ? std::pow(base, right) : 0.0L;
  if (acc < 0 && std::fmod(std::rint(right), 2.0L) != 0) v = -v;
  acc = v;
  return 0;
}

void ApplyOperator(int opIndex, const TCommonVar& left, const TCommonVar& right,
                   TCommonVar& result, int& errCode) {
  if (left.Kind == 'N' && right.Kind == 'N') {
    long double acc = left.Num;
    errCode = ApplyNumberOperator(opIndex, acc, right.Num);
    SetNumber(result, acc);
    return;
  }
  errCode = Precheck(opIndex, left, right);
  if (errCode == 0) OperatorRow(opIndex).Routine(left, right, errCode, result);
  if (errCode != 0) SetNumber(result, 0);
}

}  // namespace vm
