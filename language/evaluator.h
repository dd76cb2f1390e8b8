// The evaluator: computes the value of a compiled chain, applying the
// operators strictly from left to right (the compiler has turned priority
// into groups), and names every run-time error.
#pragma once

#include <string>

#include "language/expr_context.h"
#include "language/expr_types.h"
#include "language/operators.h"

namespace vm {

// A built-in over numbers called with its arguments as numbers; false when
// an argument is not a plain number or the result is not finite.
bool CallNumberFunction(const TOperand& call, long double (*function)(const long double*), long double& out);
// A parenthesised chain as a number; false as for EvalPureNumber.
bool EvalPureGroup(const TOperand& group, long double& out);

inline bool PureOperand(const TChainStep& step, const TExprChain& expr, long double& out) {
  switch (step.Source) {
    case kStepConstant:
      out = step.Constant;
      return true;
    case kStepInPlace:
      if (step.InPlace->Kind != 'N') return false;
      out = step.InPlace->Num;
      return true;
    case kStepNumberCall:
      return CallNumberFunction(expr[step.Node], step.Function, out);
    case kStepGroup:
      return EvalPureGroup(expr[step.Node], out);
    default:
      return false;
  }
}

// The number a chain of number constants, numeric variables and built-ins
// over numbers gives, without a node touched: false, with nothing changed,
// for any other chain, one not evaluated before, or anything that fails;
// EvalChain then gives the value or the error.
inline bool EvalPureNumber(const TExprChain& expr, long double& out) {
  if (expr.empty()) return false;
  const std::vector<TChainStep>& steps = expr.front().Steps;
  if (steps.empty() || !steps.front().Pure) return false;
  const TChainStep* step = steps.data();
  const TChainStep* const end = step + steps.size();
  long double acc = 0;
  if (!PureOperand(*step, expr, acc)) return false;
  for (++step; step != end; ++step) {
    long double right = 0;
    if (!PureOperand(*step, expr, right)) return false;
    if (ApplyNumberOperator(step->Op, acc, right) != 0) return false;
  }
  out = acc;
  return true;
}

// errCode 0 on success; after an error value is whatever was reached. A
// numeric result writes only the kind and the number, and a text result
// reuses value's string buffer. Values are read where they live, so value
// must not be a variable the chain reads.
void EvalChain(TExprChain& expr, int& errCode, TCommonVar& value);

inline void EvalExpr(TExprChain& expr, int& errCode, TCommonVar& value) {
  long double number;
  if (EvalPureNumber(expr, number)) {
    value.Kind = 'N';
    value.Num = number;
    errCode = 0;
    return;
  }
  EvalChain(expr, errCode, value);
}

void EvalOperand(TOperand& node, int& errCode, TCommonVar& value);

// Row is 1-based; -1 asks for the whole column.
void ColumnRefValue(const TFormVar& formVar, int row, int& errCode, TCommonVar& value);

// The message of a run-time error; for -1 the words the failing built-in
// left in the context.
std::string EvalErrorText(int code, const TExprContext* context);

}  // namespace vm
