// The eleven operators of the document language: their characters,
// priorities, result letters and routines.
#pragma once

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

// Applies one operator to two numbers in place of the left one; 0 or the
// error code, with the left number 0 after an error. Two values of kind 'N'
// give exactly what ApplyOperator gives them.
int ApplyNumberOperator(int opIndex, long double& left, long double right);

// Applies one operator to two values; errCode 0 on success.
void ApplyOperator(int opIndex, const TCommonVar& left, const TCommonVar& right, TCommonVar& result,
                   int& errCode);

}  // namespace vm
