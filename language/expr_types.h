// The compiled form of a formula of the document language: a chain of
// operands read left to right, with the operator that follows each one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

class TExprContext;
class TRuntimeObject;
class IExprAutoParam;
struct TVariable;
struct TFieldVar;
struct TFormVar;
struct TOperand;

using TExprChain = std::vector<TOperand>;

// Where the evaluator finds an operand of a chain.
enum : uint8_t {
  kStepConstant = 0,  // a number constant, kept in the step
  kStepInPlace = 1,   // a variable, read where it lives
  kStepNode = 2,      // anything else, computed into its node
};

// A chain as the evaluator walks it: one small step per operand, so that a
// walk over numbers never touches the much larger nodes. Derived from the
// chain on its first evaluation.
struct TChainStep {
  long double Constant = 0;
  const TCommonVar* InPlace = nullptr;
  uint32_t Node = 0;
  // The operator that joins the operand to what goes before; 0 for the first.
  uint8_t Op = 0;
  uint8_t Source = kStepNode;
};

// One step of a chain over numbers compiled for an accumulator (see
// number_code.h).
struct TNumberOp {
  long double Constant = 0;
  const TCommonVar* Var = nullptr;
  uint8_t Code = 0;
  // The built-in of a call (number_functions.h).
  uint8_t Function = 0;
  // The operator to apply, or the number of arguments of a call.
  uint8_t Arg = 0;
  // A whole divisor of DIV or MOD as an integer, for the routines that
  // divide by it.
  int32_t Whole = 0;
};

// What runs a number code: the number it gives, NaN when it cannot finish
// (no number it finishes with is ever NaN).
using TNumberRoutine = long double (*)(const std::vector<TNumberOp>& code);
// What tests a number code as a condition: 1 true, 0 false, -1 when it
// cannot finish.
using TNumberTest = int (*)(const std::vector<TNumberOp>& code);

// Operand kinds.
enum : uint8_t {
  kOpdUnbound = 0,
  kOpdVariable = 1,
  kOpdField = 2,
  kOpdColumn = 3,
  kOpdCall = 4,
  kOpdAutoParam = 5,
  kOpdSysVar = 6,
  kOpdForm = 7,
  kOpdBase = 8,
  kOpdHelp = 9,
  kOpdSelect = 10,
  kOpdFieldList = 11,
  kOpdSubroutine = 12,
  kOpdVarRef = 15,
  kOpdListSelect = 16,
  kOpdNumber = 129,
  kOpdString = 130,
};

// OpIndex of the argument nodes of a call.
inline constexpr uint8_t kArgumentNode = 255;

struct TOperand {
  std::string Text;
  uint8_t Kind = kOpdUnbound;
  uint8_t OpIndex = 0;
  char QuoteMark = 'N';

  // What the name is bound to; only the member that belongs to Kind is set.
  TVariable* Var = nullptr;
  TFieldVar* FieldVar = nullptr;
  TFormVar* FormVar = nullptr;
  int FuncNo = 0;
  IExprAutoParam* AutoParam = nullptr;
  int SysVar = 0;
  TRuntimeObject* Object = nullptr;
  // A call keeps the context it was compiled in: the built-in functions
  // reach the document through it.
  TExprContext* Context = nullptr;

  TExprChain RowExpr;
  int32_t Column = 0;
  // A parenthesised group: the chain inside; a call: its argument nodes.
  TExprChain Child;
  TCommonVar Value;
  long double Constant = 0;
  // On the first node of a chain, once it has been evaluated: the chain's
  // steps, and its number code when it is a chain over numbers only.
  std::vector<TChainStep> Steps;
  std::vector<TNumberOp> NumberCode;
  // Set exactly when there is number code.
  TNumberRoutine NumberRoutine = nullptr;
  TNumberTest NumberTest = nullptr;

  bool IsGroup() const { return Kind != kOpdCall && !Child.empty(); }
};

// 'R' is read as 'N' everywhere.
inline char NormalizeTypeChar(char c) { return c == 'R' ? 'N' : c; }

bool TypesCompatible(char a, char b);

// Identifier characters of the document language (Windows-1251 bytes).
inline bool IsNameStartChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || u == '_' || (u >= 0xC0 && u <= 0xDF);
}
inline bool IsIdentChar(char c) {
  return IsNameStartChar(c) || c == '.' || (c >= '0' && c <= '9');
}

}  // namespace vm
