// The built-in functions of the document language: one constant table that
// names each, gives its parameter and result letters and its routine. A
// function's number is its 1-based row; compiled formulas keep the number,
// so the order never changes.
#pragma once

#include <cstdint>
#include <string_view>

namespace vm {

struct TBuiltinCall;
using TBuiltinRoutine = void (*)(TBuiltinCall&);

struct TFunctionRec {
  std::string_view Name;
  // -1 for a function that takes any number of arguments.
  int32_t ParamCount;
  // One letter per parameter: a value letter, '*', 'X', an object letter
  // '1'..'6' or 'S', or a lower-case letter for a variable passed by reference.
  std::string_view Params;
  // '-' for a function that gives no value.
  char Result;
  // nullptr while the family of the function is not built yet.
  TBuiltinRoutine Routine;
};

inline constexpr int kFunctionCount = 224;
inline constexpr int kMaxCallArgs = 32;

// Number is 1..kFunctionCount.
const TFunctionRec& FunctionRec(int number);

// 1..kFunctionCount by exact name, -1 when there is no such function.
int FindFunction(std::string_view name);

}  // namespace vm
