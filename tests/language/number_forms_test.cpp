// The fixed routines of short number codes must give exactly what the full
// evaluation gives, and the interpreter's batches of such steps must pump,
// break, stop and report errors exactly where single steps did.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "language/evaluator.h"
#include "language/expr_fakes.h"
#include "language/number_code.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

using vm::testing::FormulaTest;

bool SameNumber(long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); }

class NumberForms : public FormulaTest {
 protected:
  TVariable* a_ = nullptr;
  TVariable* b_ = nullptr;
  void SetUp() override {
    a_ = ctx.Symbols().AddVariable("A", Num(0));
    b_ = ctx.Symbols().AddVariable("B", Num(3));
  }
};

TEST_F(NumberForms, GiveTheFullEvaluationsBitsAndStepAsideOnEveryError) {
  struct FormCase {
    const char* Text;
    bool Fixed;  // whether a fixed routine is expected, not the general one
  };
  const FormCase forms[] = {
      {"A", true},          {"2.5", true},         {"A+1", true},          {"A-B", true},
      {"A*B", true},        {"A/B", true},         {"A/0", true},          {"A^2", true},
      {"A^B", true},        {"A^0.5", true},       {"A<B", true},          {"A>0.5", true},
      {"A<=10000000", true}, {"A<=B", true},       {"A>=B", true},       {"A#B", true},          {"A=B", true},
      {"3-A", true},        {"1/A", true},         {"2^A", true},          {"0<A", true},
      {"MOD(A, 3)", true},  {"DIV(A, 3)", true},   {"MOD(A, -7)", false},  {"DIV(A, -7)", false},
      {"DIV(A, 1000000000)", true},                {"MOD(A, 3) = 0", true}, {"DIV(A, 7) <= 2", true},
      {"MOD(A, 4) * 1E4000", true},                {"MOD(A, 1000000001)", false},
      {"MOD(A, 2.5)", false}, {"A+B*2", false}};
  // Whole and fractional, at and past the integer range of DIV and MOD,
  // near zero on both sides, and past what a product can hold.
  const long double as[] = {0.0L,        -0.0L,        1,     -1,       3,     -3,           7,
                            -7,          0.5L,         -2.5L, 3.25L,    1e-10L, -1e-10L,     1e-9L,
                            2147483647, -2147483647, 2147483648.0L, -2147483648.0L, 1e18L, 1e4000L, -1e4000L};
  const long double bs[] = {3, 0.0L, -0.0L, 1e-10L, -2, 0.5L, 1e3000L};
  for (const FormCase& form : forms) {
    SCOPED_TRACE(form.Text);
    TExprChain expr;
    ASSERT_EQ(CompileExpr(form.Text, ctx, expr).ErrCode, 0);
    int err = 0;
    TCommonVar value;
    EvalExpr(expr, err, value);  // prepares the code
    const TOperand& head = expr.front();
    ASSERT_NE(head.NumberRoutine, nullptr);
    EXPECT_EQ(head.NumberRoutine != &RunNumberCode, form.Fixed);
    for (const long double a : as) {
      for (const long double b : bs) {
        SCOPED_TRACE(::testing::Message() << "A=" << static_cast<double>(a) << " B=" << static_cast<double>(b));
        a_->Value.Num = a;
        b_->Value.Num = b;
        int fullErr = 0;
        TCommonVar full;
        EvalChain(expr, fullErr, full);
        const long double fixed = head.NumberRoutine(head.NumberCode);
        const long double general = RunNumberCode(head.NumberCode);
        const int truth = head.NumberTest(head.NumberCode);
        int err = 0;
        TCommonVar value;
        EvalExpr(expr, err, value);
        EXPECT_EQ(err, fullErr);
        if (fullErr != 0) {
          EXPECT_TRUE(std::isnan(fixed));
          EXPECT_TRUE(std::isnan(general));
          EXPECT_EQ(truth, -1);
          continue;
        }
        EXPECT_EQ(truth, IsTrueNumber(full.Num) ? 1 : 0);
        EXPECT_TRUE(SameNumber(fixed, full.Num)) << static_cast<double>(fixed) << " " << static_cast<double>(full.Num);
        EXPECT_TRUE(SameNumber(general, full.Num));
        EXPECT_TRUE(SameNumber(value.Num, full.Num));
      }
    }
  }
}

TEST_F(NumberForms, StepAsideWhenAVariableHoldsAnotherKind) {
  for (const char* text : {"A", "A+1", "B-A", "1-A", "MOD(A, 3)", "DIV(A, 3) = 1"}) {
    SCOPED_TRACE(text);
    TExprChain expr;
    ASSERT_EQ(CompileExpr(text, ctx, expr).ErrCode, 0);
    a_->Value.Kind = 'N';
    int err = 0;
    TCommonVar value;
    EvalExpr(expr, err, value);
    a_->Value.Kind = 'R';
    long double number = 0;
    EXPECT_FALSE(EvalNumber(expr, number));
  }
  a_->Value.Kind = 'N';
}

// The square is taken as one multiplication; that holds only while the
// library's power gives the same bits for it.
TEST(NumberSquare, IsBitForBitTheLibrarysPower) {
  volatile long double two = 2;
  uint64_t state = 88172645463325252ull;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  long differ = 0;
  for (int i = 0; i < 2000000; ++i) {
    // A random mantissa over magnitudes from 1e-9 to past the largest
    // square.
    const long double x = std::ldexp(static_cast<long double>(next() | (1ull << 63)) / 18446744073709551616.0L,
                                     static_cast<int>(next() % 16400) - 30);
    const long double viaPower = std::pow(x, static_cast<long double>(two));
    const long double square = x * x;
    if (!(viaPower == square || (std::isinf(viaPower) && std::isinf(square)))) ++differ;
  }
  EXPECT_EQ(differ, 0);
}

// Runs a program and notes I at every pump.
struct PumpRun {
  int Pumps = 0;
  std::vector<long double> AtPump;
};

PumpRun RunNotingPumps(const std::string& program, int32_t stopOpcode) {
  ProgramRig rig;
  rig.Zeros({"I", "A", "S"});
  rig.Var("T", vm::testing::Str(""));
  PumpRun run;
  rig.Ui.OnPump = [&](int) { run.AtPump.push_back(rig.Num("I")); };
  EXPECT_EQ(rig.Compile(program), 0) << program;
  Interp().ExecProgram(rig.Main, stopOpcode);
  EXPECT_EQ(Interp().ErrorCode(), 0);
  run.Pumps = rig.Ui.Pumps;
  return run;
}

TEST(Batches, PumpAfterEveryHundredStepsAsSingleStepsDo) {
  struct PumpCase {
    const char* Program;
    int Pumps;
    long double IPerPump;  // I at pump k is k times this
    // A quick kind the program never stops at, which turns the batches off;
    // 0 when the program has every quick kind.
    int32_t Unmet;
  };
  const PumpCase cases[] = {
      // Two steps a turn, test and step: the loop comes back to its start
      // exactly at every pump.
      {"WHILE I, 1, I+1, I<=1000\nENDWHILE\nENDSECTION", 20, 50, kOpIf},
      // Four a turn, which divides 100 as well.
      {"WHILE I, 1, I+1, I<=1000\nA := A + 1\nS := S + I\nENDWHILE\nENDSECTION", 40, 25, kOpIf},
      // A step of another kind (a text) between quick ones.
      {"WHILE I, 1, I+1, I<=1000\nT := 'x'\nA := A + 1\nENDWHILE\nENDSECTION", 40, 25, kOpIf},
      // Five a turn with a branch and the jump that closes it.
      {"WHILE I, 1, I+1, I<=1000\nIF 1 = 1\nTHEN\nA := A + 1\nENDIF\nENDWHILE\nENDSECTION", 50, 20, 0},
  };
  for (const PumpCase& c : cases) {
    SCOPED_TRACE(c.Program);
    const PumpRun batched = RunNotingPumps(c.Program, 0);
    EXPECT_EQ(batched.Pumps, c.Pumps);
    ASSERT_EQ(batched.AtPump.size(), static_cast<std::size_t>(c.Pumps));
    for (std::size_t k = 0; k < batched.AtPump.size(); ++k)
      EXPECT_EQ(batched.AtPump[k], static_cast<long double>(k + 1) * c.IPerPump) << "pump " << k + 1;
    if (c.Unmet != 0) {
      EXPECT_EQ(RunNotingPumps(c.Program, c.Unmet).AtPump, batched.AtPump);
    }
  }
}

TEST(Batches, ABreakStopsAnEndlessLoopAtTheFirstPump) {
  for (const char* program : {"WHILE I, 1, I+1, 1 = 1\nENDWHILE\nENDSECTION",
                              "LABEL TOP\nI := I + 1\nGOTO TOP\nENDSECTION"}) {
    SCOPED_TRACE(program);
    ProgramRig rig;
    rig.Zeros({"I"});
    rig.Ui.OnPump = [](int) { Interp().RequestBreak(); };
    rig.Ui.Answers = {kIdYes};
    rig.Run(program);
    EXPECT_EQ(rig.Ui.Pumps, 1);
    EXPECT_EQ(rig.Num("I"), 50);
    EXPECT_EQ(rig.Ui.Boxes.size(), 1u);
    EXPECT_TRUE(Interp().Aborted());
    EXPECT_EQ(Interp().ErrorCode(), 0);
  }
}

TEST(Batches, AnErrorAfterBatchedStepsNamesItsOwnLine) {
  struct ErrorCase {
    const char* Program;
    int Line;
  };
  const ErrorCase cases[] = {
      {"WHILE I, 1, I+1, I<=500\n  S := S + I\nENDWHILE\nA := 1/(I-501)\nENDSECTION", 4},
      {"WHILE I, 1, I+1, I<=500\n  S := S + I\n  A := S/(I-250)\nENDWHILE\nENDSECTION", 3},
      {"WHILE I, 1, I+1, 1/(I-300) # 0\nENDWHILE\nENDSECTION", 1},
      {"WHILE I, 1, I+1, I<=500\n  IF MOD(I, 3) = 1/(I-200)\n  THEN\n  ENDIF\nENDWHILE\nENDSECTION", 2},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.Program);
    ProgramRig rig;
    rig.Zeros({"I", "A", "S"});
    EXPECT_FALSE(rig.Run(c.Program));
    EXPECT_GE(rig.Ui.Pumps, 1);
    EXPECT_EQ(Interp().ErrorLine(), c.Line);
    ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
    EXPECT_EQ(rig.Box(0).rfind(" Ошибка во время выполнения программы в строке " + std::to_string(c.Line) + ":\r", 0),
              0u)
        << rig.Box(0);
  }
}

TEST(Batches, StopBeforeAStopInstructionOfAQuickKind) {
  struct StopCase {
    const char* Program;
    int32_t Stop;
    long double A;  // A when the run stops
  };
  const StopCase cases[] = {
      {"A := 1\nWHILE I, 1, I+1, I<=3\nA := A + 1\nENDWHILE\nENDSECTION", kOpWhileTest, 1},
      {"IF 1 = 1\nTHEN\nENDIF\nGOTO NEXT\nLABEL NEXT\nA := 7\nENDSECTION", kOpAssign, 0},
      {"A := 2\nGOTO L\nA := 3\nLABEL L\nIF A = 2\nTHEN\nA := 5\nENDIF\nENDSECTION", kOpIf, 2},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.Program);
    ProgramRig rig;
    rig.Zeros({"I", "A"});
    ASSERT_EQ(rig.Compile(c.Program), 0) << rig.Message;
    // A first whole run makes the number code, without which no step is
    // quick.
    Interp().ExecProgram(rig.Main);
    rig.Zeros({"I", "A"});
    Interp().ExecProgram(rig.Main, c.Stop);
    EXPECT_EQ(Interp().ErrorCode(), 0);
    EXPECT_EQ(rig.Num("A"), c.A);
  }
}

}  // namespace
}  // namespace vm::test
