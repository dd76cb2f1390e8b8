// The accumulator code of chains over numbers must give exactly what the
// full evaluation gives, and step aside whenever it could not.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "expr_fakes.h"
#include "language/number_code.h"
#include "language/operators.h"

using namespace vm;
using namespace vm::testing;

namespace {

class NumberCode : public FormulaTest {
 protected:
  FakeBase base;

  void SetUp() override {
    base.Fields = {{"QTY", Num(3)}};
    ctx.Bases["B"] = &base;
    ctx.Symbols().AddVariable("A", Num(1));
    ctx.Symbols().AddVariable("S", Str("s"));
  }

  // Compiled, then evaluated twice: once in full (which prepares the code)
  // and once more the way every later evaluation goes.
  struct Run {
    TExprChain Expr;
    Outcome First, Second;
  };
  Run Twice(const std::string& text) {
    Run r;
    EXPECT_EQ(CompileExpr(text, ctx, r.Expr).ErrCode, 0) << text;
    r.First = Evaluate(r.Expr);
    r.Second = Evaluate(r.Expr);
    return r;
  }
  bool HasCode(const std::string& text) {
    Run r = Twice(text);
    return !r.Expr.empty() && !r.Expr.front().NumberCode.empty();
  }
  TVariable& Var(const char* name) { return *ctx.Symbols().FindVariable(name); }

  // The same bits or the same refusal from both codes, with A holding each
  // value as a number and under 'R'.
  void ExpectSameRuns(const std::vector<TNumberOp>& code, const std::vector<TNumberOp>& tight,
                      std::span<const long double> values) {
    for (const long double a : values) {
      for (const char kind : {'N', 'R'}) {
        Var("A").Value.Kind = kind;
        Var("A").Value.Num = a;
        const long double want = RunNumberCode(code);
        const long double got = RunNumberCode(tight);
        EXPECT_TRUE((std::isnan(want) && std::isnan(got)) || (want == got && std::signbit(want) == std::signbit(got)))
            << static_cast<double>(a) << " " << kind << ": " << static_cast<double>(want) << " "
            << static_cast<double>(got);
      }
    }
    Var("A").Value.Kind = 'N';
  }
};

TEST_F(NumberCode, IsMadeOnlyForChainsOverNumbers) {
  EXPECT_TRUE(HasCode("(A*2+1.5)/3 - A^2 + ROUND(A*100)/100 + MAX(A, 1) * SQRT(16)"));
  EXPECT_TRUE(HasCode("MOD(A, 3) = 0"));
  EXPECT_FALSE(HasCode("S + 'x'"));
  EXPECT_FALSE(HasCode("LEN(S) + 1"));
  EXPECT_FALSE(HasCode("B.QTY + 1"));
}

TEST_F(NumberCode, GivesTheBitsTheFullEvaluationGives) {
  Var("A").Value.Num = 3.25L;
  for (const char* text : {"(A*2+1.5)/3 - A^2 + ROUND(A*100)/100 + MAX(A, 1) * SQRT(16)", "MOD(1999999999, 2000000000)",
                           "DIV(0-1, 3)", "INT(0-0.5)", "ROUND(0-0.5)", "MOD(0-7, 3)", "A^-2^0.5", "2*-A^2",
                           "SIGN(A-3.25) + ABS(0-A) + MIN(A, 2) + EXP(1)", "A <= 3.25 + 1E-10", "(A#A)*A"}) {
    const Run r = Twice(text);
    ASSERT_EQ(r.First.Err, 0) << text;
    EXPECT_EQ(r.Second.Err, 0) << text;
    EXPECT_TRUE(r.First.Value.Num == r.Second.Value.Num &&
                std::signbit(r.First.Value.Num) == std::signbit(r.Second.Value.Num))
        << text;
  }
}

TEST_F(NumberCode, ErrorsComeFromTheFullEvaluationEveryTime) {
  for (const auto& [text, code] : {std::pair{"1/(A-1)", 1}, {"SQRT(A-2)", 7}, {"EXP(100000)", -1},
                                   {"(A-1)^(0-1)", 2}, {"(0-A)^0.5", 3}, {"1E4000*1E4000", 254},
                                   // Every node is evaluated before an operator is applied: the
                                   // square root's error, met later, comes first.
                                   {"1/0*SQRT(0-1)", 7}}) {
    const Run r = Twice(text);
    EXPECT_EQ(r.First.Err, code) << text;
    EXPECT_EQ(r.Second.Err, code) << text;
  }
}

TEST_F(NumberCode, StepsAsideWhenAVariableHoldsAnotherKind) {
  Run r = Twice("A + 1");
  EXPECT_EQ(r.Second.Value.Num, 2);
  // A number stored under 'R' meets a plain number: the operators refuse
  // the pair, as they always have.
  Var("A").Value.Kind = 'R';
  EXPECT_EQ(Evaluate(r.Expr).Err, 13);
  Var("A").Value.Kind = 'N';
  Var("A").Value.Num = 5;
  EXPECT_EQ(Evaluate(r.Expr).Value.Num, 6);
}

TEST_F(NumberCode, NestingDeeperThanItsStackIsLeftToTheFullEvaluation) {
  std::string text = "1";
  for (int i = 0; i < 80; ++i) text = "MAX(1, " + text + "+1)";
  const Run r = Twice(text);
  EXPECT_TRUE(r.Expr.front().NumberCode.empty());
  EXPECT_EQ(r.Second.Err, 0);
  EXPECT_EQ(r.Second.Value.Num, 81);
}

TEST(NumberFinite, TellsWhatTheLibraryTells) {
  const long double max = std::numeric_limits<long double>::max();
  const long double tiny = std::numeric_limits<long double>::denorm_min();
  for (const long double x : {0.0L, -0.0L, 1.0L, -2.5L, max, -max, tiny, -tiny, 1e-4940L, max * 2, -max * 2,
                              std::numeric_limits<long double>::quiet_NaN(), -std::numeric_limits<long double>::infinity()})
    EXPECT_EQ(IsFiniteNumber(x), std::isfinite(x)) << static_cast<double>(x);
}

// The tightened code stands for the code it was made from step for step:
// the same bits, the same refusals, over values that overflow, divide by
// zero, leave a root's domain and hold another kind.
TEST_F(NumberCode, TightenedCodeGivesTheBitsOfTheCodeItCameFrom) {
  struct TightCase {
    const char* Text;
    std::size_t Steps;  // of the tightened code
  };
  const TightCase cases[] = {
      {"(A*2+1.5)/3 - A^2 + ROUND(A*100)/100 + MAX(A, 1) * SQRT(16)", 13},
      {"SQRT(A) + ROUND(A*3) - MIN(A*2, 7) + MOD(A+1, 3)", 11},
      {"1 + EXP(A) * SQRT(0-1) + A", 0},
      {"2 - DIV(A*5, 0-2) / INT(A/3) + ABS(A-9) * SIGN(A)", 0},
      {"A / (SQRT(A) - 2) + (A - 1) ^ 0.5", 0},
      {"MAX(A, 2) + MIN(3, A) - MAX(A*2, A)", 0},
      // A call of a variable at the start keeps its argument a load.
      {"INT(A)/7 - A*0.5", 0},
  };
  const long double values[] = {0, -0.0L, 1, -1, 3.25L, 4, -7.5L, 1e-10L, 1e3000L, -1e3000L, 100000, 2147483647};
  for (const TightCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TExprChain expr;
    ASSERT_EQ(CompileExpr(c.Text, ctx, expr).ErrCode, 0);
    const std::vector<TNumberOp> code = CompileNumberCode(expr);
    ASSERT_FALSE(code.empty());
    const std::vector<TNumberOp> tight = TightenNumberCode(code);
    if (c.Steps != 0) {
      EXPECT_EQ(tight.size(), c.Steps);
    }
    EXPECT_LE(tight.size(), code.size());
    ExpectSameRuns(code, tight, values);
  }
}

// Two constants applied one after the other, or a variable op a constant
// applied at once, run as one step: over random runs of * / + - (and ^
// inside) around built-ins, with constants that overflow, divide by zero,
// leave a power's or a root's domain and lose everything to rounding, the
// tightened code gives the bits and refusals of the code it came from.
TEST_F(NumberCode, PairedStepsGiveTheBitsOfTheStepsTheyJoin) {
  std::mt19937 rng(20261207);
  const char* const ops[] = {"*", "/", "+", "-", "^"};
  const char* const constants[] = {"0",  "2", "1.5",    "3",       "0.1", "1E-10",
                                   "0.5", "1E4000", "1E-4000", "7",   "0-2.5"};
  const char* const functions[] = {"EXP", "SQRT", "SIGN", "ROUND", "INT", "ABS"};
  const char* const functionsOfTwo[] = {"MAX", "MIN", "DIV", "MOD"};
  const long double values[] = {0, -0.0L, 1, -1, 3.25L, 1e-10L, 1e3000L, -1e4500L, 2147483647, 1e-4900L};
  std::size_t constantPairs = 0, variablePairs = 0;
  const auto constant = [&] { return std::string(constants[rng() % std::size(constants)]); };
  for (int n = 0; n < 600; ++n) {
    std::string text = "A";
    for (int k = 2 + static_cast<int>(rng() % 4); k > 0; --k) {
      switch (rng() % 4) {
        case 0: text = functions[rng() % std::size(functions)] + ("(" + text + ")"); break;
        case 1: text = functionsOfTwo[rng() % std::size(functionsOfTwo)] + ("(" + text + ", " + constant() + ")"); break;
        default: break;
      }
      const std::string op = ops[rng() % 4];
      text = "(" + text + op + (rng() % 2 ? constant() : std::string("(A") + ops[rng() % 5] + constant() + ")") + ")";
    }
    SCOPED_TRACE(text);
    TExprChain expr;
    ASSERT_EQ(CompileExpr(text, ctx, expr).ErrCode, 0);
    const std::vector<TNumberOp> code = CompileNumberCode(expr);
    ASSERT_FALSE(code.empty());
    const std::vector<TNumberOp> tight = TightenNumberCode(code);
    for (const TNumberOp& op : tight) {
      constantPairs += op.Code >= kNumApplyConstPair && op.Code < kNumApplyVarOpConst;
      variablePairs += op.Code >= kNumApplyVarOpConst;
    }
    ExpectSameRuns(code, tight, values);
  }
  EXPECT_GT(constantPairs, 50u);
  EXPECT_GT(variablePairs, 50u);
}

}  // namespace
