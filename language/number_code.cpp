#include "language/number_code.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "language/expr_context.h"
#include "language/number_functions.h"
#include "language/operators.h"

namespace vm {

namespace {

class TNumberCompiler {
 public:
  explicit TNumberCompiler(std::vector<TNumberOp>& code) : code_(code) {}

  // The chain's value into the accumulator.
  bool Chain(const TExprChain& expr) {
    if (expr.empty() || !Operand(expr.front())) return false;
    for (std::size_t i = 1; i < expr.size(); ++i) {
      const int op = expr[i - 1].OpIndex;
      if (op < 1 || op > kOperatorCount) return false;
      const TOperand& node = expr[i];
      if (node.Kind == kOpdNumber) {
        Emit(kNumApplyConst + op).Constant = node.Constant;
      } else if (IsVariable(node)) {
        Emit(kNumApplyVar + op).Var = &node.Var->Value;
      } else {
        if (!Push() || !Operand(node)) return false;
        Emit(kNumApplyPop + op);
        --depth_;
      }
    }
    return true;
  }

 private:
  static bool IsVariable(const TOperand& node) {
    return (node.Kind == kOpdVariable || node.Kind == kOpdVarRef) && node.Var != nullptr;
  }

  bool Operand(const TOperand& node) {
    if (node.Kind == kOpdNumber) {
      Emit(kNumLoadConst).Constant = node.Constant;
      return true;
    }
    if (IsVariable(node)) {
      Emit(kNumLoadVar).Var = &node.Var->Value;
      return true;
    }
    if (node.IsGroup()) return Chain(node.Child);
    if (node.Kind != kOpdCall || node.Context == nullptr) return false;
    const uint8_t function = NumberFunctionOf(node.FuncNo);
    if (function == kNoNumberFunction || node.Child.empty() || node.Child.size() > 2) return false;
    const auto count = static_cast<uint8_t>(node.Child.size());
    if (std::all_of(node.Child.begin(), node.Child.end(), [](const TOperand& arg) { return IsLeaf(arg.Child); })) {
      // Constants and variables are read straight into the function.
      Emit(kNumCallLeaves, count).Function = function;
      for (const TOperand& arg : node.Child) Operand(arg.Child.front());
      return true;
    }
    for (const TOperand& arg : node.Child)
      if (!Argument(arg.Child)) return false;
    Emit(kNumCall, count).Function = function;
    depth_ -= count;
    return true;
  }

  static bool IsLeaf(const TExprChain& chain) {
    return chain.size() == 1 && (chain.front().Kind == kOpdNumber || IsVariable(chain.front()));
  }

  // An argument onto the stack; a lone constant or variable goes there at
  // once.
  bool Argument(const TExprChain& arg) {
    if (IsLeaf(arg)) {
      if (depth_ == kNumberStackSize) return false;
      ++depth_;
      if (arg.front().Kind == kOpdNumber) {
        Emit(kNumPushConst).Constant = arg.front().Constant;
      } else {
        Emit(kNumPushVar).Var = &arg.front().Var->Value;
      }
      return true;
    }
    return Chain(arg) && Push();
  }

  bool Push() {
    if (depth_ == kNumberStackSize) return false;
    ++depth_;
    Emit(kNumPush);
    return true;
  }

  TNumberOp& Emit(int code, uint8_t arg = 0) {
    TNumberOp& op = code_.emplace_back();
    op.Code = static_cast<uint8_t>(code);
    op.Arg = arg;
    return op;
  }

  std::vector<TNumberOp>& code_;
  std::size_t depth_ = 0;
};

}  // namespace

std::vector<TNumberOp> CompileNumberCode(const TExprChain& expr) {
  std::vector<TNumberOp> code;
  TNumberCompiler compiler(code);
  if (!compiler.Chain(expr)) code.clear();
  code.shrink_to_fit();
  return code;
}

// One case per form and operator: the operator is a constant in each, so
// ApplyNumberOperator folds to the one operation.
#define VM_APPLY_CASES(OP)                                                             \
  case kNumApplyConst + (OP):                                                          \
    if (ApplyNumberOperator((OP), acc, op.Constant) != 0) return kNoNumber;            \
    break;                                                                             \
  case kNumApplyVar + (OP):                                                            \
    if (op.Var->Kind != 'N' || ApplyNumberOperator((OP), acc, op.Var->Num) != 0) return kNoNumber; \
    break;                                                                             \
  case kNumPushVarOpConst + (OP):                                                      \
    stack[top++] = acc;                                                                \
    [[fallthrough]];                                                                   \
  case kNumVarOpConst + (OP):                                                          \
    if (op.Var->Kind != 'N') return kNoNumber;                                         \
    acc = op.Var->Num;                                                                 \
    if (ApplyNumberOperator((OP), acc, op.Constant) != 0) return kNoNumber;            \
    break;                                                                             \
  case kNumApplyPop + (OP): {                                                          \
    long double left = stack[--top];                                                   \
    if (ApplyNumberOperator((OP), left, acc) != 0) return kNoNumber;                   \
    acc = left;                                                                        \
    break;                                                                             \
  }

// Two constants applied one after the other by the operators Op1 and Op2
// of * / + -, each as its own step would: the second step is skipped.
#define VM_PAIR_CASE(OP1, OP2)                                                                         \
  case kNumApplyConstPair + ((OP1) - 1) * 4 + (OP2) - 1:                                               \
    if (ApplyNumberOperator((OP1), acc, op.Constant) != 0 || ApplyNumberOperator((OP2), acc, p[1].Constant) != 0) \
      return kNoNumber;                                                                                \
    ++p;                                                                                               \
    break;
#define VM_PAIR_CASES(OP1) \
  VM_PAIR_CASE(OP1, kOpMul) VM_PAIR_CASE(OP1, kOpDiv) VM_PAIR_CASE(OP1, kOpAdd) VM_PAIR_CASE(OP1, kOpSub)

// The accumulator Op1 (the variable Op2 the constant), as the push, the
// step of the variable and the pop would give it: the pop is skipped.
#define VM_VAR_OP_CONST_CASE(OP1, OP2)                                                  \
  case kNumApplyVarOpConst + ((OP1) - 1) * 5 + (OP2) - 1: {                            \
    if (op.Var->Kind != 'N') return kNoNumber;                                         \
    long double right = op.Var->Num;                                                   \
    if (ApplyNumberOperator((OP2), right, op.Constant) != 0 || ApplyNumberOperator((OP1), acc, right) != 0) \
      return kNoNumber;                                                                \
    ++p;                                                                               \
    break;                                                                             \
  }
#define VM_VAR_OP_CONST_CASES(OP1)                                                                  \
  VM_VAR_OP_CONST_CASE(OP1, kOpMul) VM_VAR_OP_CONST_CASE(OP1, kOpDiv) VM_VAR_OP_CONST_CASE(OP1, kOpAdd) \
  VM_VAR_OP_CONST_CASE(OP1, kOpSub) VM_VAR_OP_CONST_CASE(OP1, kOpPow)

// A built-in on the accumulator: its number a constant in each case, so
// that ApplyNumberFunction folds to the one function.
#define VM_FUNCTION_CASES(F)                                                           \
  case kNumFnAcc + static_cast<int>(F):                                                              \
    acc = NumberFunction<(F)>(acc, 0);                                                 \
    if (!IsFiniteNumber(acc)) return kNoNumber;                                        \
    break;                                                                             \
  case kNumFnAccConst + static_cast<int>(F):                                                         \
    acc = NumberFunction<(F)>(acc, op.Constant);                                       \
    if (!IsFiniteNumber(acc)) return kNoNumber;                                        \
    break;

namespace {

constexpr long double kNoNumber = std::numeric_limits<long double>::quiet_NaN();

// A number loaded or applied: the first step of most codes.
bool LoadNumber(const TNumberOp& op, long double& acc) {
  if (op.Code == kNumLoadConst) {
    acc = op.Constant;
    return true;
  }
  if (op.Code != kNumLoadVar || op.Var->Kind != 'N') return false;
  acc = op.Var->Num;
  return true;
}

// The second step of a two-step code, an operator with a constant or a
// variable; false for any other step.
bool ApplyNumber(const TNumberOp& op, long double& acc, int& err) {
  if (op.Code >= kNumApplyConst && op.Code < kNumApplyVar) {
    err = ApplyNumberOperator(op.Code - kNumApplyConst, acc, op.Constant);
    return true;
  }
  if (op.Code >= kNumApplyVar && op.Code < kNumApplyPop && op.Var->Kind == 'N') {
    err = ApplyNumberOperator(op.Code - kNumApplyVar, acc, op.Var->Num);
    return true;
  }
  return false;
}

// The operand a code starts with: a load, or a call of loads; the number
// of steps it took, 0 when it is another step or cannot be read. Always
// inline: a call would take the address of the loop's accumulator and keep
// it in memory, stored and loaded again on every step.
[[gnu::always_inline]] inline std::size_t LeadingOperand(const TNumberOp* op, long double& acc) {
  if (op->Code != kNumCallLeaves) return LoadNumber(*op, acc) ? 1 : 0;
  long double x = 0, y = 0;
  if (!LoadNumber(op[1], x) || (op->Arg == 2 && !LoadNumber(op[2], y))) return 0;
  acc = ApplyNumberFunction(op->Function, x, y);
  return IsFiniteNumber(acc) ? 1 + op->Arg : 0;
}

// Inline in RunNumberCode, its one caller, which every general code runs
// through.
[[gnu::always_inline]] inline long double RunSteps(const std::vector<TNumberOp>& code) {
  long double stack[kNumberStackSize];
  std::size_t top = 0;
  long double acc = 0;
  const TNumberOp* const end = code.data() + code.size();
  for (const TNumberOp* p = code.data(); p != end; ++p) {
    const TNumberOp& op = *p;
    switch (op.Code) {
      case kNumLoadConst:
        acc = op.Constant;
        break;
      case kNumLoadVar:
        if (op.Var->Kind != 'N') return kNoNumber;
        acc = op.Var->Num;
        break;
      case kNumPush:
        stack[top++] = acc;
        break;
      case kNumPushConst:
        stack[top++] = op.Constant;
        break;
      case kNumPushLoadVar:
        if (op.Var->Kind != 'N') return kNoNumber;
        stack[top++] = acc;
        acc = op.Var->Num;
        break;
      case kNumPushVar:
        if (op.Var->Kind != 'N') return kNoNumber;
        stack[top++] = op.Var->Num;
        break;
      case kNumCall:
        top -= op.Arg;
        acc = ApplyNumberFunction(op.Function, stack[top], op.Arg > 1 ? stack[top + 1] : 0);
        if (!IsFiniteNumber(acc)) return kNoNumber;
        break;
      case kNumCallLeaves: {
        const std::size_t steps = LeadingOperand(p, acc);
        if (steps == 0) return kNoNumber;
        p += steps - 1;
        break;
      }
      VM_APPLY_CASES(kOpMul)
      VM_APPLY_CASES(kOpDiv)
      VM_APPLY_CASES(kOpAdd)
      VM_APPLY_CASES(kOpSub)
      VM_APPLY_CASES(kOpPow)
      VM_APPLY_CASES(kOpLess)
      VM_APPLY_CASES(kOpGreater)
      VM_APPLY_CASES(kOpLessEq)
      VM_APPLY_CASES(kOpGreaterEq)
      VM_APPLY_CASES(kOpNotEq)
      VM_APPLY_CASES(kOpEq)
      VM_FUNCTION_CASES(kNumFnExp)
      VM_FUNCTION_CASES(kNumFnSqrt)
      VM_FUNCTION_CASES(kNumFnMax)
      VM_FUNCTION_CASES(kNumFnMin)
      VM_FUNCTION_CASES(kNumFnSign)
      VM_FUNCTION_CASES(kNumFnRound)
      VM_FUNCTION_CASES(kNumFnInt)
      VM_FUNCTION_CASES(kNumFnAbs)
      VM_FUNCTION_CASES(kNumFnDiv)
      VM_FUNCTION_CASES(kNumFnMod)
      VM_PAIR_CASES(kOpMul)
      VM_PAIR_CASES(kOpDiv)
      VM_PAIR_CASES(kOpAdd)
      VM_PAIR_CASES(kOpSub)
      VM_VAR_OP_CONST_CASES(kOpMul)
      VM_VAR_OP_CONST_CASES(kOpDiv)
      VM_VAR_OP_CONST_CASES(kOpAdd)
      VM_VAR_OP_CONST_CASES(kOpSub)
      default:
        return kNoNumber;
    }
  }
  return acc;
}

#undef VM_APPLY_CASES
#undef VM_FUNCTION_CASES
#undef VM_PAIR_CASE
#undef VM_PAIR_CASES
#undef VM_VAR_OP_CONST_CASE
#undef VM_VAR_OP_CONST_CASES

// The fixed routines. Each form reads its two operands where the code keeps
// them (false when one cannot be read) and applies an operator whose index
// is a constant, so that ApplyNumberOperator folds to the one operation; a
// comparison gives 0 or 1, which never overflows, and skips that check. A
// test of a comparison gives its truth without a number in between.
template <int Op>
long double Apply(long double left, long double right) {
  if constexpr (Op >= kOpLess) {
    return NumbersCompare(Op, left, right) ? 1 : 0;
  } else {
    return ApplyNumberOperator(Op, left, right) == 0 ? left : kNoNumber;
  }
}

int TruthOf(long double number) { return std::isnan(number) ? -1 : IsTrueNumber(number) ? 1 : 0; }

template <class Form>
struct TFormRoutines {
  template <int Op>
  static long double Run(const std::vector<TNumberOp>& code) {
    long double left, right;
    if (!Form::Read(code.data(), left, right)) return kNoNumber;
    return Apply<Op>(left, right);
  }
  template <int Op>
  static int Test(const std::vector<TNumberOp>& code) {
    long double left, right;
    if (!Form::Read(code.data(), left, right)) return -1;
    if constexpr (Op >= kOpLess) {
      return NumbersCompare(Op, left, right) ? 1 : 0;
    } else {
      return TruthOf(Apply<Op>(left, right));
    }
  }
};

bool ReadNumber(const TCommonVar* var, long double& x) {
  if (var->Kind != 'N') return false;
  x = var->Num;
  return true;
}

struct TVarOpConst {
  static bool Read(const TNumberOp* code, long double& left, long double& right) {
    right = code[1].Constant;
    return ReadNumber(code[0].Var, left);
  }
};

struct TVarOpVar {
  static bool Read(const TNumberOp* code, long double& left, long double& right) {
    return ReadNumber(code[0].Var, left) && ReadNumber(code[1].Var, right);
  }
};

struct TConstOpVar {
  static bool Read(const TNumberOp* code, long double& left, long double& right) {
    left = code[0].Constant;
    return ReadNumber(code[1].Var, right);
  }
};

// DIV or MOD of a variable by a whole constant (code[2].Whole): as
// integers when the variable is a small whole number (see SmallWholes),
// else through the built-in's own arithmetic.
template <uint8_t Function>
bool DivideByWhole(const TNumberOp* code, long double& result) {
  const TCommonVar& var = *code[1].Var;
  if (var.Kind != 'N') return false;
  if (int32_t x; WholeDividend(var.Num, x)) {
    result = Function == kNumFnMod ? WholeMod(x, code[2].Whole) : WholeDiv(x, code[2].Whole);
    return true;
  }
  result = ApplyNumberFunction(Function, var.Num, code[2].Constant);
  return std::isfinite(result);
}

template <uint8_t Function>
struct TDivisionOpConst {
  static bool Read(const TNumberOp* code, long double& left, long double& right) {
    right = code[3].Constant;
    return DivideByWhole<Function>(code, left);
  }
};

// The forms without an operator.
long double ConstantAlone(const std::vector<TNumberOp>& code) { return code[0].Constant; }

long double VariableAlone(const std::vector<TNumberOp>& code) {
  long double x;
  return ReadNumber(code[0].Var, x) ? x : kNoNumber;
}

template <uint8_t Function>
long double DivisionAlone(const std::vector<TNumberOp>& code) {
  long double x;
  return DivideByWhole<Function>(code.data(), x) ? x : kNoNumber;
}

template <TNumberRoutine Routine>
int TestOfRoutine(const std::vector<TNumberOp>& code) {
  return TruthOf(Routine(code));
}

// A routine and its test for each operator, by the operator's index.
struct TByOperator {
  std::array<TNumberRoutine, kOperatorCount + 1> Run;
  std::array<TNumberTest, kOperatorCount + 1> Test;
};

template <class Form, std::size_t... I>
constexpr TByOperator ByOperator(std::index_sequence<I...>) {
  using R = TFormRoutines<Form>;
  return {{nullptr, &R::template Run<static_cast<int>(I) + 1>...}, {nullptr, &R::template Test<static_cast<int>(I) + 1>...}};
}

template <class Form>
constexpr TByOperator kByOperator = ByOperator<Form>(std::make_index_sequence<kOperatorCount>());

// The operator a step applies with the given form (kNumApplyConst,
// kNumApplyVar), 0 when it is another step.
int AppliedOperator(const TNumberOp& op, int form) {
  const int index = op.Code - form;
  return index >= 1 && index <= kOperatorCount ? index : 0;
}

// DIV or MOD of a variable by a whole constant: the built-in, 0 for any
// other start.
uint8_t WholeDivisionOf(std::vector<TNumberOp>& code) {
  if (code.size() < 3 || code[0].Code != kNumCallLeaves || code[0].Arg != 2) return 0;
  const uint8_t function = code[0].Function;
  if (function != kNumFnDiv && function != kNumFnMod) return 0;
  if (code[1].Code != kNumLoadVar || code[2].Code != kNumLoadConst) return 0;
  return WholeDivisor(code[2].Constant, code[2].Whole) ? function : 0;
}

TNumberRoutines Pick(const TByOperator& table, int op) { return {table.Run[op], table.Test[op]}; }

template <TNumberRoutine Routine>
TNumberRoutines Alone() {
  return {Routine, &TestOfRoutine<Routine>};
}

TNumberRoutines ShortFormRoutines(std::vector<TNumberOp>& code) {
  const uint8_t first = code[0].Code;
  if (code.size() == 1) {
    if (first == kNumLoadConst) return Alone<&ConstantAlone>();
    if (first == kNumLoadVar) return Alone<&VariableAlone>();
    return {};
  }
  if (code.size() == 2) {
    if (first == kNumLoadVar) {
      if (const int op = AppliedOperator(code[1], kNumApplyConst)) return Pick(kByOperator<TVarOpConst>, op);
      if (const int op = AppliedOperator(code[1], kNumApplyVar)) return Pick(kByOperator<TVarOpVar>, op);
    } else if (first == kNumLoadConst) {
      if (const int op = AppliedOperator(code[1], kNumApplyVar)) return Pick(kByOperator<TConstOpVar>, op);
    }
    return {};
  }
  const uint8_t function = WholeDivisionOf(code);
  if (function == 0 || code.size() > 4) return {};
  const bool mod = function == kNumFnMod;
  if (code.size() == 3) return mod ? Alone<&DivisionAlone<kNumFnMod>>() : Alone<&DivisionAlone<kNumFnDiv>>();
  const int op = AppliedOperator(code[3], kNumApplyConst);
  if (op == 0) return {};
  return mod ? Pick(kByOperator<TDivisionOpConst<kNumFnMod>>, op) : Pick(kByOperator<TDivisionOpConst<kNumFnDiv>>, op);
}

}  // namespace

namespace {

bool IsLoad(const TNumberOp& op) { return op.Code == kNumLoadConst || op.Code == kNumLoadVar; }

// Folds the end of Out after a step was added to it, as often as it can.
void FoldTail(std::vector<TNumberOp>& out) {
  for (;;) {
    const std::size_t n = out.size();
    if (n < 2) return;
    const TNumberOp& last = out[n - 1];
    if (out[n - 2].Code == kNumPush && last.Code == kNumCall && last.Arg == 1) {
      // The accumulator pushed to be the one argument.
      TNumberOp call = last;
      call.Code = static_cast<uint8_t>(kNumFnAcc + call.Function);
      call.Arg = 0;
      out.resize(n - 2);
      out.push_back(call);
      continue;
    }
    if (n < 3 || out[n - 3].Code != kNumPush) return;
    const TNumberOp& middle = out[n - 2];
    if (last.Code >= kNumApplyPop && last.Code < kNumApplyPop + 16 && IsLoad(middle)) {
      // Popped op loaded is the accumulator op the operand.
      TNumberOp apply = middle;
      apply.Code = static_cast<uint8_t>((middle.Code == kNumLoadConst ? kNumApplyConst : kNumApplyVar) +
                                        (last.Code - kNumApplyPop));
      out.resize(n - 3);
      out.push_back(apply);
      continue;
    }
    if (middle.Code == kNumPushConst && last.Code == kNumCall && last.Arg == 2) {
      TNumberOp call = last;
      call.Code = static_cast<uint8_t>(kNumFnAccConst + call.Function);
      call.Arg = 0;
      call.Constant = middle.Constant;
      out.resize(n - 3);
      out.push_back(call);
      continue;
    }
    return;
  }
}

// A variable loaded, after a push or not, and applied to a constant at
// once, in one step.
std::vector<TNumberOp> FuseLoads(const std::vector<TNumberOp>& code) {
  std::vector<TNumberOp> out;
  out.reserve(code.size());
  const auto appliedConst = [&](std::size_t i) {
    return i < code.size() && code[i].Code > kNumApplyConst && code[i].Code <= kNumApplyConst + kOperatorCount;
  };
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i].Code == kNumCallLeaves) {
      // Its loads are its arguments, which it reads as loads: fused with
      // what follows, they would fail the code every time.
      out.insert(out.end(), code.begin() + static_cast<std::ptrdiff_t>(i),
                 code.begin() + static_cast<std::ptrdiff_t>(i + 1 + code[i].Arg));
      i += code[i].Arg;
      continue;
    }
    const bool pushed = code[i].Code == kNumPush && i + 1 < code.size() && code[i + 1].Code == kNumLoadVar;
    const std::size_t load = pushed ? i + 1 : i;
    if (code[load].Code == kNumLoadVar && appliedConst(load + 1)) {
      TNumberOp fused = code[load + 1];
      fused.Code = static_cast<uint8_t>((pushed ? kNumPushVarOpConst : kNumVarOpConst) + (fused.Code - kNumApplyConst));
      fused.Var = code[load].Var;
      out.push_back(fused);
      i = load + 1;
    } else if (pushed) {
      TNumberOp fused = code[load];
      fused.Code = kNumPushLoadVar;
      out.push_back(fused);
      i = load;
    } else {
      out.push_back(code[i]);
    }
  }
  out.shrink_to_fit();
  return out;
}

// The operator of * / + - (and ^ where Power) a step applies in the given
// form (kNumApplyConst, kNumApplyPop, kNumPushVarOpConst), 0 for any other
// step.
int ArithmeticOf(const TNumberOp& op, int form, bool power = false) {
  const int index = op.Code - form;
  return index >= kOpMul && index <= (power ? kOpPow : kOpSub) ? index : 0;
}

// The one step that runs the two given ones, the second skipped, or 0:
// two constants applied one after the other by * / + -, or a variable op
// a constant pushed only to be applied at once by * / + -.
uint8_t PairedCode(const TNumberOp& first, const TNumberOp& second) {
  static_assert(kOpMul == 1 && kOpDiv == 2 && kOpAdd == 3 && kOpSub == 4 && kOpPow == 5);
  if (const int op1 = ArithmeticOf(first, kNumApplyConst)) {
    const int op2 = ArithmeticOf(second, kNumApplyConst);
    return op2 == 0 ? 0 : static_cast<uint8_t>(kNumApplyConstPair + (op1 - 1) * 4 + op2 - 1);
  }
  if (const int inner = ArithmeticOf(first, kNumPushVarOpConst, true)) {
    const int outer = ArithmeticOf(second, kNumApplyPop);
    return outer == 0 ? 0 : static_cast<uint8_t>(kNumApplyVarOpConst + (outer - 1) * 5 + inner - 1);
  }
  return 0;
}

// Pairs of steps marked to run as one; the second stays in place, for the
// first to read and skip.
void PairSteps(std::vector<TNumberOp>& code) {
  for (std::size_t i = 0; i + 1 < code.size(); ++i) {
    const uint8_t paired = PairedCode(code[i], code[i + 1]);
    if (paired == 0) continue;
    code[i].Code = paired;
    ++i;
  }
}

}  // namespace

std::vector<TNumberOp> TightenNumberCode(const std::vector<TNumberOp>& code) {
  std::vector<TNumberOp> out;
  out.reserve(code.size());
  for (std::size_t i = 0; i < code.size(); ++i) {
    const TNumberOp& op = code[i];
    if (op.Code == kNumCallLeaves) {
      const TNumberOp* args = &code[i + 1];
      const std::size_t count = op.Arg;
      i += count;
      if (args[0].Code == kNumLoadConst && (count == 1 || args[1].Code == kNumLoadConst)) {
        // Nothing in it changes from one run to the next.
        const long double v =
            ApplyNumberFunction(op.Function, args[0].Constant, count == 2 ? args[1].Constant : 0);
        if (std::isfinite(v)) {
          TNumberOp& constant = out.emplace_back();
          constant.Code = kNumLoadConst;
          constant.Constant = v;
          FoldTail(out);
          continue;
        }
      }
      // A call that starts the code stays one step, which RunNumberCode
      // runs without its loop.
      if (!out.empty() && (count == 1 || args[1].Code == kNumLoadConst)) {
        out.push_back(args[0]);
        TNumberOp& call = out.emplace_back();
        call.Code = static_cast<uint8_t>((count == 1 ? kNumFnAcc : kNumFnAccConst) + op.Function);
        if (count == 2) call.Constant = args[1].Constant;
        FoldTail(out);
        continue;
      }
      out.push_back(op);
      out.insert(out.end(), args, args + count);
      continue;
    }
    out.push_back(op);
    FoldTail(out);
  }
  out = FuseLoads(out);
  PairSteps(out);
  return out;
}

TNumberRoutines PrepareNumberRoutines(std::vector<TNumberOp>& code) {
  if (code.empty()) return {};
  const TNumberRoutines routines = ShortFormRoutines(code);
  if (routines.Run != nullptr) return routines;
  code = TightenNumberCode(code);
  return {&RunNumberCode, &TestOfRoutine<&RunNumberCode>};
}

long double RunNumberCode(const std::vector<TNumberOp>& code) {
  // Most other codes load a number or call a built-in on loads and apply
  // one operator (ROUND(X)+1): done in straight lines, so that the number
  // stays in a register.
  long double acc = 0;
  const std::size_t first = LeadingOperand(code.data(), acc);
  int err = 0;
  if (first != 0 && first + 1 == code.size() && ApplyNumber(code[first], acc, err)) return err == 0 ? acc : kNoNumber;
  return RunSteps(code);
}

}  // namespace vm
