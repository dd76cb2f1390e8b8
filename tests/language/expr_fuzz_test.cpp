// Random and mangled formulas through the compiler and the evaluator: none
// may crash, leave a chain behind an error, or keep an infinity.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>

#include "expr_fakes.h"
#include "language/function_table.h"

using namespace vm;
using namespace vm::testing;

namespace {

class ExprFuzz : public FormulaTest {
 protected:
  FakeForm table{"NCN*"};
  FakeForm empty{"NC"};
  FakeBase base;
  FakeAutoParam param{Num(2)};
  FakeObject help;

  void SetUp() override {
    for (int i = 1; i <= 3; ++i) table.Rows.push_back({Num(i), Str("r"), Num(i * 10), Str("c")});
    ctx.Forms["T"] = &table;
    ctx.Forms["F"] = &empty;
    base.Fields = {{"NAME", Str("x")}, {"QTY", Num(3)}};
    ctx.Bases["B"] = &base;
    ctx.AutoParams["P"] = &param;
    ctx.Helps["H"] = &help;
    ctx.Symbols().AddVariable("A", Num(1));
    ctx.Symbols().AddVariable("E", Num(2));
    ctx.Symbols().AddVariable("S", Str("s"));
    ctx.Symbols().AddVariable("D", Date(1, 2, 2007));
    ctx.Symbols().AddVariable("TM", Time(1, 2, 3));
  }

  // Compiles and runs one formula, checking what must hold whatever it is.
  void Check(const std::string& text) {
    TExprChain expr;
    const TCompileResult r = CompileExpr(text, ctx, expr);
    if (r.ErrCode != 0) {
      EXPECT_TRUE(expr.empty()) << text;
      EXPECT_FALSE(r.Msg.empty()) << text;
      if (r.ErrCode < 128) {
        EXPECT_GE(r.ErrPos, 1) << text;
      }
      return;
    }
    EXPECT_NE(r.ResultType, '!') << text;
    int err = 0;
    TCommonVar v;
    EvalExpr(expr, err, v);
    if (err == 0 && v.Kind == 'N') {
      EXPECT_TRUE(std::isfinite(v.Num)) << text;
    }
  }

  std::mt19937 rng{20070305};
  int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

  template <std::size_t N>
  const char* PickOf(const char* const (&items)[N]) {
    return items[Pick(static_cast<int>(N))];
  }

  std::string Argument(char letter, int depth) {
    static const char* const numbers[] = {"0", "1", "-1", "0.5", "-2.5", "255", "256", "37", "-2147483648",
                                          "2147483648", "4294967295", "1E10", "1E4000", "1E-12", "9", "100000"};
    static const char* const texts[] = {"''", "' a b '", "'12x30x2.5'", "'1.2.3'", "'FF'", "'a,b'", "S", "'1E-3'"};
    static const char* const dates[] = {"D", "%CURDATE%", "DATE(29,2,1900)", "DATE(31,12,9999)", "DATE(0,0,0)",
                                        "DATE(-2147483648,-2147483648,-2147483648)"};
    static const char* const times[] = {"TM", "TIME(25,61,75)", "TIME(-2147483648,-1,2147483647)"};
    if (Pick(4) == 0) return Formula(depth + 1);
    switch (letter) {
      case 'N': case 'X': return PickOf(numbers);
      case 'C': return PickOf(texts);
      case 'D': return PickOf(dates);
      case 'T': return PickOf(times);
      case 'n': return "A";
      case 'c': return "S";
      case '1': return Pick(2) ? "T" : "F";
      case '2': return "B";
      case '3': return "H";
      default: return Formula(depth + 1);
    }
  }

  std::string Formula(int depth) {
    static const char* const atoms[] = {"A", "E", "S", "D", "TM", "B.QTY", "B.NAME", "T[1]", "T[3,2]", "T[2,A]",
                                        "T[4,1]", "F[1]", "F[2,1]", "%P%", "%CURDATE%", "H", "1", "0", "2.5",
                                        "1E-3", "1E+3", "'x'", "'a''b'", "''", "'1E-3'", "1E4000", "0.0000000001"};
    static const char* const ops[] = {"+", "-", "*", "/", "^", "<", ">", "<=", ">=", "#", "=", "*-", "^-", "+-"};
    switch (depth > 4 ? 0 : Pick(5)) {
      case 0: return PickOf(atoms);
      case 1: return Formula(depth + 1) + PickOf(ops) + Formula(depth + 1);
      case 2: return "(" + Formula(depth + 1) + ")";
      case 3: return "-" + Formula(depth + 1);
      default: {
        const TFunctionRec& f = FunctionRec(FindFunction(PickOf(kValueFunctions)));
        const int count = f.ParamCount < 0 ? Pick(4) : f.ParamCount;
        std::string call = std::string(f.Name) + "(";
        for (int i = 0; i < count; ++i) {
          if (i > 0) call += ",";
          call += Argument(f.ParamCount < 0 ? 'N' : f.Params[static_cast<std::size_t>(i)], depth);
        }
        return call + ")";
      }
    }
  }

  void Mangle(std::string& s) {
    static const std::string alphabet = "()[],%'.-+*/^<>=#$!@ E019ABSDT_\t\"&";
    for (int m = Pick(4); m > 0 && !s.empty(); --m) {
      const std::size_t at = rng() % (s.size() + 1);
      const char c = alphabet[static_cast<std::size_t>(Pick(static_cast<int>(alphabet.size())))];
      switch (Pick(3)) {
        case 0: s.insert(at, 1, c); break;
        case 1: if (at < s.size()) s.erase(at, 1); break;
        default: if (at < s.size()) s[at] = c; break;
      }
    }
  }
};

TEST_F(ExprFuzz, RandomAndMangledFormulas) {
  for (int i = 0; i < 5000; ++i) {
    std::string text = Formula(0);
    Mangle(text);
    Check(text);
  }
}

TEST_F(ExprFuzz, FormulasThatOnceCrashed) {
  std::ifstream in(VELOMAR_TEST_DATA "/expr_crash_inputs.txt");
  ASSERT_TRUE(in.good());
  int count = 0;
  for (std::string line; std::getline(in, line); ++count) Check(line);
  EXPECT_GT(count, 0);
}

}  // namespace
