// The evaluator: computes the value of a compiled chain, applying the
// operators strictly from left to right (the compiler has turned priority
// into groups), and names every run-time error.
#pragma once

#include <cmath>
#include <string>

#include "language/expr_context.h"
#include "language/expr_types.h"
#include "language/number_code.h"

namespace vm {

// The full evaluation of a chain, which also prepares, on its first run,
// what the chain keeps for the runs after it (its steps and number code).
void EvalChain(TExprChain& expr, int& errCode, TCommonVar& value);

// The number a chain over numbers gives through its number code; false,
// with nothing evaluated, when the chain has none or it cannot finish.
inline bool EvalNumber(const TExprChain& expr, long double& number) {
  if (expr.empty()) return false;
  const TOperand& head = expr.front();
  if (head.NumberRoutine == nullptr) return false;
  number = head.NumberRoutine(head.NumberCode);
  return !std::isnan(number);
}

// A chain over numbers as a condition through its number code: 1 true, 0
// false, -1, with nothing evaluated, when the chain has none or it cannot
// finish.
inline int TestNumber(const TExprChain& expr) {
  if (expr.empty()) return -1;
  const TOperand& head = expr.front();
  return head.NumberTest == nullptr ? -1 : head.NumberTest(head.NumberCode);
}

// errCode 0 on success; after an error value is whatever was reached. A
// numeric result writes only the kind and the number, and a text result
// reuses value's string buffer. Values are read where they live, so value
// must not be a variable the chain reads. A chain over numbers runs its
// number code, and the full evaluation only when that cannot finish.
inline void EvalExpr(TExprChain& expr, int& errCode, TCommonVar& value) {
  long double number;
  if (EvalNumber(expr, number)) {
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
