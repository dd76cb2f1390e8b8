// A chain over numbers only (number constants, numeric variables, groups of
// such and the built-ins over numbers) compiled into a flat list of steps
// for an accumulator, which runs without recursion, without a node touched
// and without a value of the general kind built. Nothing in such a chain
// changes anything, so when the code cannot finish, the full evaluation
// simply runs instead and names the error.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "foundation/values/value_text.h"

#include "language/expr_types.h"

namespace vm {

enum : uint8_t {
  kNumLoadConst,  // accumulator := Constant
  kNumLoadVar,    // accumulator := the variable
  kNumPush,       // the accumulator onto the stack
  kNumPushConst,  // Constant onto the stack
  kNumPushVar,    // the variable onto the stack
  kNumCall,       // accumulator := Function of the Arg numbers popped
  kNumCallLeaves,  // accumulator := Function of the Arg loads that follow
  kNumPushLoadVar,  // the accumulator onto the stack, then the variable loaded
  // Plus the operator's index, so that one dispatch picks the form and the
  // operator together.
  kNumApplyConst = 16,  // accumulator := accumulator op Constant
  kNumApplyVar = 32,    // accumulator := accumulator op the variable
  kNumApplyPop = 48,    // accumulator := popped op accumulator
  // Plus the built-in's number, made only by TightenNumberCode.
  kNumFnAcc = 64,       // accumulator := Function(accumulator)
  kNumFnAccConst = 80,  // accumulator := Function(accumulator, Constant)
  // Plus the operator's index, made only by TightenNumberCode.
  kNumVarOpConst = 96,      // accumulator := the variable op Constant
  kNumPushVarOpConst = 112,  // the same, the accumulator pushed first
  // Plus (Op1 - 1) * 4 + Op2 - 1 for two of the operators * / + -, made
  // only by TightenNumberCode from two steps of kNumApplyConst, of which it
  // keeps the second, which this one runs and skips: accumulator :=
  // (accumulator Op1 Constant) Op2 the next step's Constant.
  kNumApplyConstPair = 128,
  // Plus (Op1 - 1) * 5 + Op2 - 1 for Op1 of * / + - and Op2 of * / + - ^,
  // made only by TightenNumberCode from kNumPushVarOpConst + Op2 and the
  // kNumApplyPop + Op1 that follows it, which it keeps and skips:
  // accumulator := accumulator Op1 (the variable Op2 Constant).
  kNumApplyVarOpConst = 144,
};

// The numbers a chain's code may keep at once.
inline constexpr std::size_t kNumberStackSize = 64;

// Empty when an operand is of another sort or the stack would not do.
std::vector<TNumberOp> CompileNumberCode(const TExprChain& expr);

// The same code with fewer steps, each giving the bits the steps it stands
// for give: calls of constants computed once, a one-argument call or a
// second argument that is a constant applied to the accumulator, an
// operand pushed only to be applied at once applied straight, a variable
// loaded (after a push) and applied to a constant in one step, two
// constants applied one after the other by * / + - in one step, and such a
// variable op constant applied to the accumulator in one step, without the
// push.
std::vector<TNumberOp> TightenNumberCode(const std::vector<TNumberOp>& code);

// What runs a code, picked once when the code is made: fixed routines for
// the short forms most statements are made of (a variable or a constant
// alone, variable or constant op variable, variable op constant, DIV or MOD
// of a variable by a whole constant, alone or op constant), RunNumberCode
// for the rest, on the code tightened; both null for an empty code. It
// notes in the code what its routines need.
struct TNumberRoutines {
  TNumberRoutine Run = nullptr;
  TNumberTest Test = nullptr;
};
TNumberRoutines PrepareNumberRoutines(std::vector<TNumberOp>& code);

// Whether a number counts as true in a condition.
inline bool IsTrueNumber(long double x) { return std::fabs(x) >= kNumTolerance; }

// The number the code gives, NaN (with nothing changed) when a variable
// holds another kind, an operator fails or a built-in gives no finite
// number. The number is returned rather than stored: a long double written
// to memory costs several cycles of its own.
long double RunNumberCode(const std::vector<TNumberOp>& code);

}  // namespace vm
