#include "language/evaluator.h"

#include <gtest/gtest.h>

#include "expr_fakes.h"
#include "platform/encoding.h"
#include "config/sysvars.h"

using namespace vm;
using namespace vm::testing;

namespace {

using Evaluator = FormulaTest;

TEST_F(Evaluator, DivisionAndPowersRefuseWhatHasNoValueAndWholePowersAreExact) {
  ExpectErrors({{"5/0.0000000001", 1}, {"5/0", 1}, {"0^(0-1)", 2}, {"(0-8)^(1/3)", 3}});
  ExpectNums({{"5/0.00000001", 5e8L}, {"(0-2)^3", -8}, {"(0-2)^2", 4}, {"0^2", 0}, {"INT(10^3)", 1000}, {"INT(2^7)", 128},
              {"INT(7^20)", 79792266297612001.0L}, {"INT((0-5)^11)", -48828125}}, 0);
  ExpectNums({{"2^0.5", 1.41421356237309504880L}}, 1e-15L);
}

TEST_F(Evaluator, OverflowIsAnErrorNeverAnInfinity) {
  EXPECT_EQ(Eval("1E4000*1E4000").Value.Num, 0);
  ExpectErrors({{"1E4000*1E4000", 254}, {"10^5000", 254}, {"1E4932/0.01", 254}, {"1E4932+1E4932", 254},
                {"0-1E4932-1E4932", 254}});
  // A constant too large for a number is no number at all.
  EXPECT_EQ(Error("1E5000"), 1000 + 138);
}

TEST_F(Evaluator, StringsJoinAndCompareWithCase) {
  ExpectNums({{"'a'='A'", 0}, {"'abc'='abc'", 1}, {"'abc'<'abd'", 1}, {"'b'>'a'", 1}, {"1=1.0000000001", 1},
              {"1=1.000000002", 0}});
}

TEST_F(Evaluator, TypesThatChangeAfterCompilingAreCaughtWhenRun) {
  TVariable* v = ctx.Symbols().AddVariable("V", Num(1));
  TVariable* d1 = ctx.Symbols().AddVariable("D1", Date(31, 12, 2006));
  ctx.Symbols().AddVariable("D2", Date(1, 1, 2007));
  ctx.Symbols().AddVariable("T1", Time(10, 0, 0));
  TExprChain plus, minus, less, times, dateMinus;
  ASSERT_EQ(CompileExpr("V+1", ctx, plus).ErrCode, 0);
  ASSERT_EQ(CompileExpr("V-1", ctx, minus).ErrCode, 0);
  ASSERT_EQ(CompileExpr("D1<D2", ctx, less).ErrCode, 0);
  ASSERT_EQ(CompileExpr("T1+T1", ctx, times).ErrCode, 0);
  v->Value = Str("x");
  EXPECT_EQ(Evaluate(plus).Err, 13);
  v->Value = Date(1, 1, 2007);
  EXPECT_EQ(Evaluate(minus).Err, 13);
  ASSERT_EQ(CompileExpr("V-V", ctx, dateMinus).ErrCode, 142);
  v->Value = Num(1);
  ASSERT_EQ(CompileExpr("V-V", ctx, dateMinus).ErrCode, 0);
  v->Value = Date(1, 1, 2007);
  EXPECT_EQ(Evaluate(dateMinus).Err, 14);
  // Dates compare by year, then month, then day.
  EXPECT_EQ(Evaluate(less).Value.Num, 1);
  d1->Value = Date(2, 1, 2007);
  EXPECT_EQ(Evaluate(less).Value.Num, 0);
  // Times pass the compiler but have no sum.
  EXPECT_EQ(Evaluate(times).Err, 22);
}

TEST_F(Evaluator, ColumnReferences) {
  FakeForm form("NCN*");
  ctx.Forms["T"] = &form;
  EXPECT_EQ(Value("T[3]"), 0);
  EXPECT_EQ(Text("T[2,5]"), "");
  for (int i = 1; i <= 4; ++i) form.Rows.push_back({Num(i), Str("r"), Num(i * 10), Str("c")});
  form.Rows[1][3] = Num(7);
  EXPECT_EQ(Text("T[2,1+1]"), "r");
  // T[4] sums only the cells that hold numbers; halves go to the even row.
  ExpectNums({{"T[3]", 100}, {"T[4]", 7}, {"T[1,2.5]", 2}, {"T[1,3.5]", 4}});
  ExpectErrors({{"T[3,5]", 21}, {"T[3,0]", 21}, {"T[3,1E20]", 21}, {"T[3,1/0]", 1}});
}

TEST_F(Evaluator, FieldsParametersAndSystemVariables) {
  FakeBase base;
  base.Fields = {{"QTY", Num(3)}, {"NAME", Str("n")}};
  ctx.Bases["B"] = &base;
  FakeAutoParam price(Num(2.5));
  ctx.AutoParams["PRICE"] = &price;
  TExprChain expr;
  ASSERT_EQ(CompileExpr("B.QTY * %PRICE%", ctx, expr).ErrCode, 0);
  EXPECT_EQ(Evaluate(expr).Value.Num, 7.5L);
  // Values are read when the formula runs, not when it is compiled.
  base.Fields[0].second = Num(4);
  price.Value = Num(0.5);
  EXPECT_EQ(Evaluate(expr).Value.Num, 2);
}

TEST(EvaluatorContext, SystemVariablesComeFromTheProgram) {
  TExprContext ctx;
  SetSysVarText(kSysVarCurDate, "7.03.2006");
  SetSysVarText(kSysVarNoOperat, "41");
  EXPECT_EQ(RunFormula(ctx, "%no_operat% + 1").Value.Num, 42);
  EXPECT_EQ(RunFormula(ctx, "%CURDATE%").Value.Date, (TDateRec{7, 3, 2006}));
  ResetSysVars();
}

TEST_F(Evaluator, ErrorTexts) {
  const std::pair<int, std::string> texts[] = {
      {0, ""},
      {1, " Деление на 0 "_w},
      {21, " Недопустимый номер ряда формы"_w},
      {43, " Требуется версия MS Office 9.0 или выше "_w},
      {254, " Переполнение при вычислении выражения с плавающей запятой "_w},
      {52, " Ошибка при вычислении "_w}};
  for (const auto& [code, text] : texts) EXPECT_EQ(EvalErrorText(code, &ctx), text) << code;
  TExprChain none;
  EXPECT_EQ(Evaluate(none).Err, 255);
  ctx.RunErrorText = "words";
  EXPECT_EQ(EvalErrorText(-1, &ctx), "words");
}

}  // namespace
