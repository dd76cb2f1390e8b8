// The compiled form of a statement program: instructions linked by Next
// (and Jump for the other branch of a test or the entry of a call), all of
// one document kept in one pool and freed together.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "language/expr_types.h"

namespace vm {

class IProgramBase;
class IProgramAutoParam;
class IProgramQuestion;
class IProgramLoading;
class TWholeLoop;

enum : int32_t {
  kOpGoto = 0,           // also the empty placeholder that ends a branch
  kOpAssign = 1,         // variable := expr, an expression statement, WHILE's init and step
  kOpSetField = 2,       // BASE.FIELD := expr
  kOpIf = 3,             // to Next when true, else to Jump
  kOpWhileTest = 4,      // to Jump when false, else to Next
  kOpSetAutoParam = 11,  // %NAME% := expr
  kOpQuestion = 20,
  kOpBaseQuestion = 21,
  kOpLoad = 22,
  kOpCall = 128,
  kOpReturn = 254,
  kOpEnd = 255,
};

struct TInstruction {
  int32_t Opcode = kOpGoto;
  // The description line the instruction came from; -1 until set.
  int32_t Line = -1;
  TExprChain Expr;
  // The context Expr was compiled in (the words of a failing built-in).
  TExprContext* Context = nullptr;
  TInstruction* Next = nullptr;
  TInstruction* Jump = nullptr;

  // What the instruction acts on; only the member of its opcode is set.
  TVariable* Var = nullptr;
  TFieldVar* Field = nullptr;
  IProgramBase* Base = nullptr;
  IProgramAutoParam* AutoParam = nullptr;
  IProgramQuestion* Question = nullptr;
  IProgramLoading* Loading = nullptr;

  // A WHILE test's loop on integers (whole_loop.h), made on the first run
  // of the test; none when the loop cannot run so.
  std::shared_ptr<TWholeLoop> WholeLoop;
  bool WholeLoopTried = false;
  // The loop on integers this statement is a step of, and which step, so
  // that a run can go on from it; owned by the loop's test.
  TWholeLoop* InWholeLoop = nullptr;
  int32_t WholeLoopStep = 0;
};

// Owns every instruction of a document; addresses stay put.
class TInstructionPool {
 public:
  TInstruction* New() { return &items_.emplace_back(); }
  void Clear() { items_.clear(); }
  std::size_t Size() const { return items_.size(); }

 private:
  std::deque<TInstruction> items_;
};

// The pool of the running document.
TInstructionPool& Instructions();

}  // namespace vm
