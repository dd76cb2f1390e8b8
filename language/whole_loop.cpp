#include "language/whole_loop.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>

#include "language/expr_context.h"
#include "language/number_code.h"
#include "language/whole_numbers.h"

namespace vm {

namespace {

std::atomic<bool> gWholeLoops{true};

// Steps of a loop: the form and the operator together, so that one
// dispatch picks both.
enum : uint8_t {
  kFGoto,
  kFAssign,   // a slot := the step's code
  kFTest,     // the step's code as a condition
  kFAssignS,  // D := A
  kFAssignK,  // D := K
  kFAssignSK = 16,  // D := A op K
  kFAssignSS = 32,  // D := A op B
  kFAssignKS = 48,  // D := K op B
  kFTestSK = 64,    // A op K
  kFTestSS = 80,    // A op B
  kFTestModK = 96,  // MOD(A, K) op K2, K a small divisor
  kFTestDivK = 112, // DIV(A, K) op K2, K a small divisor
};

// The code of a number chain on slots, as number_code.h has it on
// variables; the calls take their arguments from the stack.
enum : uint8_t {
  kWLoadK,
  kWLoadS,
  kWPush,
  kWPushK,
  kWPushS,
  kWCall,
  kWApplyK = 16,
  kWApplyS = 32,
  kWApplyPop = 48,
};

// Where a step goes when it leaves the loop.
constexpr int32_t kExit = -1;

}  // namespace

struct TWholeLoop::TOp {
  int64_t K = 0;
  uint32_t Slot = 0;
  uint8_t Code = 0;
  uint8_t Function = 0;
  uint8_t Count = 0;
};

struct TWholeLoop::TStep {
  int64_t K = 0;
  int64_t K2 = 0;
  uint32_t A = 0, B = 0, D = 0;
  int32_t Next = kExit;
  int32_t Jump = kExit;
  uint32_t Begin = 0, End = 0;
  TInstruction* Source = nullptr;
  uint8_t Form = kFGoto;
};

class TWholeLoopBuilder {
 public:
  explicit TWholeLoopBuilder(TWholeLoop& loop) : loop_(loop) {}

  bool Build(const TInstruction& test) {
    exit_ = test.Jump;
    StepOf(const_cast<TInstruction*>(&test));
    for (std::size_t i = 0; i < loop_.steps_.size(); ++i) {
      // Steps are added as their instructions are first reached.
      if (!Convert(i)) return false;
    }
    loop_.slots_.resize(loop_.vars_.size());
    return true;
  }

 private:
  using TStep = TWholeLoop::TStep;
  using TOp = TWholeLoop::TOp;

  // The step of an instruction the loop reaches, kExit for the loop's
  // exit; the instruction is converted when its turn comes.
  int32_t StepOf(TInstruction* in) {
    if (in == exit_) return kExit;
    const auto [it, added] = stepOf_.emplace(in, static_cast<int32_t>(loop_.steps_.size()));
    if (added) loop_.steps_.emplace_back().Source = in;
    return it->second;
  }

  uint32_t Slot(const TCommonVar* var) {
    const auto [it, added] = slotOf_.emplace(var, static_cast<uint32_t>(loop_.vars_.size()));
    // The variables the loop stores are written back through the same
    // address, so the slot keeps a writable one.
    if (added) loop_.vars_.push_back(const_cast<TCommonVar*>(var));
    return it->second;
  }

  bool Convert(std::size_t index) {
    TInstruction* in = loop_.steps_[index].Source;
    // A null Next ends the program, which is no part of a loop.
    if (in == nullptr || in->Next == nullptr) return false;
    // The vector grows while the edges are followed: the step is written
    // whole at the end.
    TStep step = loop_.steps_[index];
    switch (in->Opcode) {
      case kOpGoto:
        step.Form = kFGoto;
        step.Next = StepOf(in->Next);
        break;
      case kOpAssign: {
        if (in->Var == nullptr || !Code(in->Expr, step)) return false;
        const uint32_t d = Slot(&in->Var->Value);
        step.D = d;
        if (std::find(loop_.stored_.begin(), loop_.stored_.end(), d) == loop_.stored_.end())
          loop_.stored_.push_back(d);
        step.Form = AssignForm(step);
        step.Next = StepOf(in->Next);
        break;
      }
      case kOpIf:
      case kOpWhileTest:
        if (in->Jump == nullptr || !Code(in->Expr, step)) return false;
        step.Form = TestForm(step);
        step.Next = StepOf(in->Next);
        step.Jump = StepOf(in->Jump);
        break;
      default:
        return false;
    }
    loop_.steps_[index] = step;
    return true;
  }

  // The number code of a chain on slots into the loop's code; false when
  // it has none or reads a constant that is not whole.
  bool Code(const TExprChain& expr, TStep& step) {
    const std::vector<TNumberOp> code = CompileNumberCode(expr);
    if (code.empty()) return false;
    step.Begin = static_cast<uint32_t>(loop_.code_.size());
    for (std::size_t i = 0; i < code.size(); ++i) {
      const TNumberOp& op = code[i];
      if (op.Code == kNumCallLeaves) {
        // The loads that follow are the arguments.
        for (std::size_t a = 1; a <= op.Arg; ++a)
          if (!Operand(code[i + a], kWPushK, kWPushS)) return false;
        Emit(kWCall).Function = op.Function;
        loop_.code_.back().Count = op.Arg;
        i += op.Arg;
        continue;
      }
      switch (op.Code) {
        case kNumLoadConst:
        case kNumLoadVar:
          if (!Operand(op, kWLoadK, kWLoadS)) return false;
          break;
        case kNumPush: Emit(kWPush); break;
        case kNumPushConst:
        case kNumPushVar:
          if (!Operand(op, kWPushK, kWPushS)) return false;
          break;
        case kNumCall:
          Emit(kWCall).Function = op.Function;
          loop_.code_.back().Count = op.Arg;
          break;
        default: {
          if (op.Code < kNumApplyConst || op.Code >= kNumApplyPop + 16) return false;
          const int form = op.Code & 0xF0, oper = op.Code & 0x0F;
          if (form == kNumApplyConst) {
            TOp& w = Emit(kWApplyK + oper);
            if (!ToWhole(op.Constant, w.K)) return false;
          } else if (form == kNumApplyVar) {
            Emit(kWApplyS + oper).Slot = Slot(op.Var);
          } else {
            Emit(kWApplyPop + oper);
          }
          break;
        }
      }
    }
    step.End = static_cast<uint32_t>(loop_.code_.size());
    return true;
  }

  // A constant or a variable loaded by the code of either kind.
  bool Operand(const TNumberOp& op, uint8_t constant, uint8_t variable) {
    if (op.Code == kNumLoadConst || op.Code == kNumPushConst) return ToWhole(op.Constant, Emit(constant).K);
    if (op.Code != kNumLoadVar && op.Code != kNumPushVar) return false;
    Emit(variable).Slot = Slot(op.Var);
    return true;
  }

  TOp& Emit(int code) {
    TOp& op = loop_.code_.emplace_back();
    op.Code = static_cast<uint8_t>(code);
    return op;
  }

  // The ops of a step's code.
  const TOp* Ops(const TStep& step, std::size_t count) const {
    return step.End - step.Begin == count ? loop_.code_.data() + step.Begin : nullptr;
  }

  static int Applied(const TOp& op, int form) {
    const int oper = op.Code - form;
    return oper >= 1 && oper <= kOperatorCount ? oper : 0;
  }

  // The short forms most stores are made of; the general one else.
  uint8_t AssignForm(TStep& step) const {
    if (const TOp* c = Ops(step, 1)) {
      if (c[0].Code == kWLoadS) {
        step.A = c[0].Slot;
        return kFAssignS;
      }
      step.K = c[0].K;
      return kFAssignK;
    }
    if (const TOp* c = Ops(step, 2)) {
      if (const uint8_t form = SlotOpForm(step, c, kFAssignSK, kFAssignSS)) return form;
      if (const int op = Applied(c[1], kWApplyS); op != 0 && c[0].Code == kWLoadK) {
        step.K = c[0].K;
        step.B = c[1].Slot;
        return static_cast<uint8_t>(kFAssignKS + op);
      }
    }
    return kFAssign;
  }

  // A slot op a constant (ConstForm) or op a slot (SlotForm); 0 for any
  // other two steps.
  static uint8_t SlotOpForm(TStep& step, const TOp* c, uint8_t constForm, uint8_t slotForm) {
    if (c[0].Code != kWLoadS) return 0;
    step.A = c[0].Slot;
    if (const int op = Applied(c[1], kWApplyK)) {
      step.K = c[1].K;
      return static_cast<uint8_t>(constForm + op);
    }
    if (const int op = Applied(c[1], kWApplyS)) {
      step.B = c[1].Slot;
      return static_cast<uint8_t>(slotForm + op);
    }
    return 0;
  }

  // The short forms of conditions: a comparison of a variable, or of DIV or
  // MOD of a variable by a constant, with a constant or a variable.
  uint8_t TestForm(TStep& step) const {
    if (const TOp* c = Ops(step, 2)) {
      if (const uint8_t form = SlotOpForm(step, c, kFTestSK, kFTestSS)) return form;
    }
    if (const TOp* c = Ops(step, 4); c != nullptr && c[0].Code == kWPushS && c[1].Code == kWPushK &&
                                     c[2].Code == kWCall && c[2].Count == 2 &&
                                     (c[2].Function == kNumFnMod || c[2].Function == kNumFnDiv) &&
                                     SmallWholeDivisor(c[1].K)) {
      if (const int op = Applied(c[3], kWApplyK)) {
        step.A = c[0].Slot;
        step.K = c[1].K;
        step.K2 = c[3].K;
        return static_cast<uint8_t>((c[2].Function == kNumFnMod ? kFTestModK : kFTestDivK) + op);
      }
    }
    return kFTest;
  }

  TWholeLoop& loop_;
  const TInstruction* exit_ = nullptr;
  std::unordered_map<const TInstruction*, int32_t> stepOf_;
  std::unordered_map<const TCommonVar*, uint32_t> slotOf_;
};

std::shared_ptr<TWholeLoop> TWholeLoop::Build(const TInstruction& test) {
  auto loop = std::make_shared<TWholeLoop>();
  TWholeLoopBuilder builder(*loop);
  if (!builder.Build(test)) return nullptr;
  return loop;
}

namespace {

using TOp = TWholeLoop::TOp;
using TStep = TWholeLoop::TStep;

#define VM_WHOLE_APPLY_CASES(OP)                                               \
  case kWApplyK + (OP):                                                        \
    if (!WholeOperator<(OP)>(acc, p->K, acc)) return false;                    \
    break;                                                                     \
  case kWApplyS + (OP):                                                        \
    if (!WholeOperator<(OP)>(acc, slots[p->Slot], acc)) return false;          \
    break;                                                                     \
  case kWApplyPop + (OP):                                                      \
    if (!WholeOperator<(OP)>(stack[--top], acc, acc)) return false;            \
    break;

// The value of a step's code, as RunNumberCode gives it on long doubles.
bool RunCode(const TOp* p, const TOp* end, const int64_t* slots, int64_t& result) {
  int64_t stack[kNumberStackSize];
  std::size_t top = 0;
  int64_t acc = 0;
  for (; p != end; ++p) {
    switch (p->Code) {
      case kWLoadK: acc = p->K; break;
      case kWLoadS: acc = slots[p->Slot]; break;
      case kWPush: stack[top++] = acc; break;
      case kWPushK: stack[top++] = p->K; break;
      case kWPushS: stack[top++] = slots[p->Slot]; break;
      case kWCall:
        top -= p->Count;
        if (!WholeFunction(p->Function, stack[top], p->Count > 1 ? stack[top + 1] : 0, acc)) return false;
        break;
      VM_WHOLE_APPLY_CASES(kOpMul)
      VM_WHOLE_APPLY_CASES(kOpDiv)
      VM_WHOLE_APPLY_CASES(kOpAdd)
      VM_WHOLE_APPLY_CASES(kOpSub)
      VM_WHOLE_APPLY_CASES(kOpPow)
      VM_WHOLE_APPLY_CASES(kOpLess)
      VM_WHOLE_APPLY_CASES(kOpGreater)
      VM_WHOLE_APPLY_CASES(kOpLessEq)
      VM_WHOLE_APPLY_CASES(kOpGreaterEq)
      VM_WHOLE_APPLY_CASES(kOpNotEq)
      VM_WHOLE_APPLY_CASES(kOpEq)
      default:
        return false;
    }
  }
  result = acc;
  return true;
}

#undef VM_WHOLE_APPLY_CASES

}  // namespace

void TWholeLoop::MarkSteps() {
  for (std::size_t i = 1; i < steps_.size(); ++i) {
    TInstruction& in = *steps_[i].Source;
    if (in.InWholeLoop != nullptr) continue;
    in.InWholeLoop = this;
    in.WholeLoopStep = static_cast<int32_t>(i);
  }
}

// The steps of each form and operator, one handler each; every handler
// ends in a jump of its own to the next step's handler, which the processor
// predicts far better than one shared dispatch.
#define VM_WHOLE_FORMS(OP, X)   \
  X(AssignSK, kFAssignSK, OP)   \
  X(AssignSS, kFAssignSS, OP)   \
  X(AssignKS, kFAssignKS, OP)   \
  X(TestSK, kFTestSK, OP)       \
  X(TestSS, kFTestSS, OP)       \
  X(TestModK, kFTestModK, OP)   \
  X(TestDivK, kFTestDivK, OP)

#define VM_WHOLE_EVERY_OPERATOR(X)   \
  VM_WHOLE_FORMS(kOpMul, X)          \
  VM_WHOLE_FORMS(kOpDiv, X)          \
  VM_WHOLE_FORMS(kOpAdd, X)          \
  VM_WHOLE_FORMS(kOpSub, X)          \
  VM_WHOLE_FORMS(kOpPow, X)          \
  VM_WHOLE_FORMS(kOpLess, X)         \
  VM_WHOLE_FORMS(kOpGreater, X)      \
  VM_WHOLE_FORMS(kOpLessEq, X)       \
  VM_WHOLE_FORMS(kOpGreaterEq, X)    \
  VM_WHOLE_FORMS(kOpNotEq, X)        \
  VM_WHOLE_FORMS(kOpEq, X)

#define VM_WHOLE_LABEL(NAME, FORM, OP) handlers[(FORM) + (OP)] = &&NAME##_##OP;

// On to step TO, unless the run has taken its last step or left the loop.
#define VM_WHOLE_GO(TO)                          \
  do {                                           \
    lastAt = at;                                 \
    at = (TO);                                   \
    if (++taken == most || at == kExit) goto done; \
    s = steps + at;                              \
    goto* handlers[s->Form];                     \
  } while (0)

#define VM_WHOLE_BRANCH(V) VM_WHOLE_GO((V) != 0 ? s->Next : s->Jump)

#define VM_WHOLE_HANDLER(NAME, FORM, OP) VM_WHOLE_HANDLER_##NAME(OP)
#define VM_WHOLE_HANDLER_AssignSK(OP)                                            \
  AssignSK_##OP : if (!WholeOperator<(OP)>(slots[s->A], s->K, v)) goto done;     \
  slots[s->D] = v;                                                               \
  VM_WHOLE_GO(s->Next);
#define VM_WHOLE_HANDLER_AssignSS(OP)                                            \
  AssignSS_##OP : if (!WholeOperator<(OP)>(slots[s->A], slots[s->B], v)) goto done; \
  slots[s->D] = v;                                                               \
  VM_WHOLE_GO(s->Next);
#define VM_WHOLE_HANDLER_AssignKS(OP)                                            \
  AssignKS_##OP : if (!WholeOperator<(OP)>(s->K, slots[s->B], v)) goto done;     \
  slots[s->D] = v;                                                               \
  VM_WHOLE_GO(s->Next);
#define VM_WHOLE_HANDLER_TestSK(OP)                                              \
  TestSK_##OP : if (!WholeOperator<(OP)>(slots[s->A], s->K, v)) goto done;       \
  VM_WHOLE_BRANCH(v);
#define VM_WHOLE_HANDLER_TestSS(OP)                                              \
  TestSS_##OP : if (!WholeOperator<(OP)>(slots[s->A], slots[s->B], v)) goto done; \
  VM_WHOLE_BRANCH(v);
#define VM_WHOLE_HANDLER_TestModK(OP)                                            \
  TestModK_##OP : if (!WholeModBySmall(slots[s->A], s->K, v) || !WholeOperator<(OP)>(v, s->K2, v)) goto done; \
  VM_WHOLE_BRANCH(v);
#define VM_WHOLE_HANDLER_TestDivK(OP)                                            \
  TestDivK_##OP : if (!WholeDivBySmall(slots[s->A], s->K, v) || !WholeOperator<(OP)>(v, s->K2, v)) goto done; \
  VM_WHOLE_BRANCH(v);

int TWholeLoop::Run(int32_t from, TInstruction*& current, int most, const TInstruction*& last) {
  // Every form the builder makes has its handler; the others stop.
  static void* handlers[256];
  static bool labelled = false;
  if (!labelled) {
    for (void*& h : handlers) h = &&done;
    handlers[kFGoto] = &&Goto;
    handlers[kFAssign] = &&Assign;
    handlers[kFTest] = &&Test;
    handlers[kFAssignS] = &&AssignS;
    handlers[kFAssignK] = &&AssignK;
    VM_WHOLE_EVERY_OPERATOR(VM_WHOLE_LABEL)
    labelled = true;
  }
  int64_t* const slots = slots_.data();
  for (std::size_t i = 0; i < vars_.size(); ++i) {
    if (vars_[i]->Kind != 'N' || !ToWhole(vars_[i]->Num, slots[i])) {
      ++misses_;
      return 0;
    }
  }
  const TStep* const steps = steps_.data();
  const TOp* const code = code_.data();
  int32_t at = from;
  int32_t lastAt = kExit;
  int taken = 0;
  int64_t v = 0;
  const TStep* s = steps + at;
  if (most <= 0) goto done;
  goto* handlers[s->Form];

Goto:
  VM_WHOLE_GO(s->Next);
Assign:
  if (!RunCode(code + s->Begin, code + s->End, slots, v)) goto done;
  slots[s->D] = v;
  VM_WHOLE_GO(s->Next);
Test:
  if (!RunCode(code + s->Begin, code + s->End, slots, v)) goto done;
  VM_WHOLE_BRANCH(v);
AssignS:
  slots[s->D] = slots[s->A];
  VM_WHOLE_GO(s->Next);
AssignK:
  slots[s->D] = s->K;
  VM_WHOLE_GO(s->Next);
  VM_WHOLE_EVERY_OPERATOR(VM_WHOLE_HANDLER)

done:
  for (const uint32_t w : stored_) vars_[w]->Num = static_cast<long double>(slots[w]);
  // The test's Jump is the loop's only way out.
  current = at == kExit ? steps[0].Source->Jump : steps[at].Source;
  if (lastAt != kExit) last = steps[lastAt].Source;
  // A run stopped after a few steps by a number that is not whole is
  // likely to be stopped so again.
  misses_ = taken < most && at != kExit && taken < kMostMisses ? misses_ + 1 : 0;
  return taken;
}

#undef VM_WHOLE_FORMS
#undef VM_WHOLE_EVERY_OPERATOR
#undef VM_WHOLE_LABEL
#undef VM_WHOLE_GO
#undef VM_WHOLE_BRANCH
#undef VM_WHOLE_HANDLER
#undef VM_WHOLE_HANDLER_AssignSK
#undef VM_WHOLE_HANDLER_AssignSS
#undef VM_WHOLE_HANDLER_AssignKS
#undef VM_WHOLE_HANDLER_TestSK
#undef VM_WHOLE_HANDLER_TestSS
#undef VM_WHOLE_HANDLER_TestModK
#undef VM_WHOLE_HANDLER_TestDivK

void SetWholeLoops(bool on) { gWholeLoops.store(on, std::memory_order_relaxed); }

bool WholeLoopsOn() { return gWholeLoops.load(std::memory_order_relaxed); }

}  // namespace vm
