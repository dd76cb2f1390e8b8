// The eleven operators of the document language: their characters,
// priorities, result letters and routines.
#pragma once

#include <cmath>

#include "foundation/values/value_text.h"
#include "foundation/values/values.h"

namespace vm {

using TOperatorRoutine = void (*)(const TCommonVar& left, const TCommonVar& right, int& errCode,
                                  TCommonVar& result);

struct TOperatorRow {
  char Char;
  int Priority;
  // 'I' stands for the left operand's type, '*' for the right one's.
  char Result;
  TOperatorRoutine Routine;
};

inline constexpr int kOperatorCount = 11;
inline constexpr int kOpMul = 1, kOpDiv = 2, kOpAdd = 3, kOpSub = 4, kOpPow = 5, kOpLess = 6,
                     kOpGreater = 7, kOpLessEq = 8, kOpGreaterEq = 9, kOpNotEq = 10, kOpEq = 11;

// Index is 1..kOperatorCount.
const TOperatorRow& OperatorRow(int index);

// The 1-based index of the operator written as c, 0 when c is none.
int FindOperator(char c);

inline bool IsOperatorChar(char c) { return FindOperator(c) != 0; }

inline constexpr int kErrDivByZero = 1;
inline constexpr int kErrOverflow = 254;

// '^' over two numbers: 0 or its error code.
int PowerOfNumbers(long double& acc, long double right);

// The order of two numbers as CompareValues gives it.
inline int CompareNumbers(long double left, long double right) {
  if (IsNearZero(left - right)) return 0;
  return left > right ? 1 : -1;
}

// Whether the comparison operator opIndex holds for two operands in the
// given order (below 0, 0, above 0).
inline bool OrderHolds(int opIndex, int order) {
  switch (opIndex) {
    case kOpLess: return order < 0;
    case kOpGreater: return order > 0;
    case kOpLessEq: return order <= 0;
    case kOpGreaterEq: return order >= 0;
    case kOpNotEq: return order != 0;
    default: return order == 0;
  }
}

// Whether the comparison operator opIndex holds between two numbers.
inline bool NumbersCompare(int opIndex, long double left, long double right) {
  return OrderHolds(opIndex, CompareNumbers(left, right));
}

// Whether a number is finite, as std::isfinite tells, without the 80-bit
// constant its test loads from memory on every operation: only a finite
// number less itself is a number (zero), and that test compares the
// difference with itself rather than with a zero loaded for it.
inline bool IsFiniteNumber(long double x) {
  const long double difference = x - x;
  return difference == difference;
}

// Applies one operator to two numbers in place of the left one; 0 or the
// error code, with the left number 0 after an error. Two values of kind 'N'
// give exactly what ApplyOperator gives them. Always inline, so that the
// evaluator keeps its numbers in registers: a long double passed to a
// function goes through memory, and so does a caller's accumulator whose
// address a call takes, on every step of the caller's loop.
[[gnu::always_inline]] inline int ApplyNumberOperator(int opIndex, long double& acc, long double right) {
  int err = 0;
  switch (opIndex) {
    case kOpMul: acc *= right; break;
    case kOpDiv:
      if (std::fabs(right) < kNumTolerance) {
        err = kErrDivByZero;
      } else {
        acc /= right;
      }
      break;
    case kOpAdd: acc += right; break;
    case kOpSub: acc -= right; break;
    case kOpPow:
      // The square by one multiplication: the library's power gives the
      // same bits for it, and costs as much as the rest of a formula.
      if (right == 2 && std::fabs(acc) >= kNumTolerance) {
        acc *= acc;
      } else {
        // Through a copy, so that no call takes the accumulator's address.
        long double power = acc;
        err = PowerOfNumbers(power, right);
        acc = power;
      }
      break;
    default: acc = NumbersCompare(opIndex, acc, right); break;
  }
  // The floating-point unit would trap an overflow; no infinity is ever kept.
  if (err == 0 && !IsFiniteNumber(acc)) err = kErrOverflow;
  if (err != 0) acc = 0;
  return err;
}

// Applies one operator to two values; errCode 0 on success.
void ApplyOperator(int opIndex, const TCommonVar& left, const TCommonVar& right, TCommonVar& result,
                   int& errCode);

}  // namespace vm
