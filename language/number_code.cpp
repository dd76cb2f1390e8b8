#include "language/number_code.h"

#include <algorithm>
#include <cmath>

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
    if (ApplyNumberOperator((OP), acc, op.Constant) != 0) return 0;                    \
    break;                                                                             \
  case kNumApplyVar + (OP):                                                            \
    if (op.Var->Kind != 'N' || ApplyNumberOperator((OP), acc, op.Var->Num) != 0) return 0; \
    break;                                                                             \
  case kNumApplyPop + (OP): {                                                          \
    long double left = stack[--top];                                                   \
    if (ApplyNumberOperator((OP), left, acc) != 0) return 0;                           \
    acc = left;                                                                        \
    break;                                                                             \
  }

namespace {

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
// of steps it took, 0 when it is another step or cannot be read.
std::size_t LeadingOperand(const TNumberOp* op, long double& acc) {
  if (op->Code != kNumCallLeaves) return LoadNumber(*op, acc) ? 1 : 0;
  long double x = 0, y = 0;
  if (!LoadNumber(op[1], x) || (op->Arg == 2 && !LoadNumber(op[2], y))) return 0;
  acc = ApplyNumberFunction(op->Function, x, y);
  return std::isfinite(acc) ? 1 + op->Arg : 0;
}

long double RunSteps(const std::vector<TNumberOp>& code, bool& ok) {
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
        if (op.Var->Kind != 'N') return 0;
        acc = op.Var->Num;
        break;
      case kNumPush:
        stack[top++] = acc;
        break;
      case kNumPushConst:
        stack[top++] = op.Constant;
        break;
      case kNumPushVar:
        if (op.Var->Kind != 'N') return 0;
        stack[top++] = op.Var->Num;
        break;
      case kNumCall:
        top -= op.Arg;
        acc = ApplyNumberFunction(op.Function, stack[top], op.Arg > 1 ? stack[top + 1] : 0);
        if (!std::isfinite(acc)) return 0;
        break;
      case kNumCallLeaves: {
        const std::size_t steps = LeadingOperand(p, acc);
        if (steps == 0) return 0;
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
      default:
        return 0;
    }
  }
  ok = true;
  return acc;
}

}  // namespace

long double RunNumberCode(const std::vector<TNumberOp>& code, bool& ok) {
  ok = false;
  // Most codes load a number or call a built-in on loads and apply one
  // operator (I+1, I<=N, MOD(I,3)=0): done in straight lines, so that the
  // number stays in a register.
  long double acc = 0;
  const std::size_t first = LeadingOperand(code.data(), acc);
  int err = 0;
  if (first != 0 && first + 1 == code.size() && ApplyNumber(code[first], acc, err)) {
    ok = err == 0;
    return acc;
  }
  return RunSteps(code, ok);
}

#undef VM_APPLY_CASES

}  // namespace vm
