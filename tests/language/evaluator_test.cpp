#include "language/evaluator.h"

#include <gtest/gtest.h>

#include "expr_fakes.h"
#include "foundation/encoding.h"
#include "foundation/sysvars.h"
#include "language/operators.h"

using namespace vm;
using namespace vm::testing;

namespace {

using Evaluator = FormulaTest;

TEST_F(Evaluator, DivisionAndPowersRefuseWhatHasNoValue) {
  EXPECT_EQ(Error("5/0.0000000001"), 1);
  EXPECT_NEAR(Value("5/0.00000001"), 5e8, 1e-3);
  EXPECT_EQ(Error("5/0"), 1);
  EXPECT_EQ(Error("0^(0-1)"), 2);
  EXPECT_EQ(Error("(0-8)^(1/3)"), 3);
  EXPECT_NEAR(Value("(0-2)^3"), -8, 1e-12);
  EXPECT_NEAR(Value("(0-2)^2"), 4, 1e-12);
  EXPECT_NEAR(Value("0^2"), 0, 1e-12);
  EXPECT_NEAR(Value("2^0.5"), 1.41421356237309504880L, 1e-15);
}

TEST_F(Evaluator, WholePowersAreExact) {
  EXPECT_EQ(Value("INT(10^3)"), 1000);
  EXPECT_EQ(Value("INT(2^7)"), 128);
  EXPECT_EQ(Value("INT(7^20)"), 79792266297612001.0L);
  EXPECT_EQ(Value("INT((0-5)^11)"), -48828125);
}

TEST_F(Evaluator, OverflowIsAnErrorNeverAnInfinity) {
  const Outcome product = Eval("1E4000*1E4000");
  EXPECT_EQ(product.Err, 254);
  EXPECT_EQ(product.Value.Num, 0);
  EXPECT_EQ(Error("10^5000"), 254);
  EXPECT_EQ(Error("1E4932/0.01"), 254);
  EXPECT_EQ(Error("1E4932+1E4932"), 254);
  EXPECT_EQ(Error("0-1E4932-1E4932"), 254);
  // A constant too large for a number is no number at all.
  EXPECT_EQ(Error("1E5000"), 1000 + 138);
}

TEST_F(Evaluator, StringsJoinAndCompareWithCase) {
  const Outcome ab = Eval("'A'+'B'");
  EXPECT_EQ(ab.Err, 0);
  EXPECT_EQ(ab.Value.Kind, 'C');
  EXPECT_EQ(ab.Value.Str, "AB");
  EXPECT_EQ(Value("'a'='A'"), 0);
  EXPECT_EQ(Value("'abc'='abc'"), 1);
  EXPECT_EQ(Value("'abc'<'abd'"), 1);
  EXPECT_EQ(Value("'b'>'a'"), 1);
  EXPECT_EQ(Value("1=1.0000000001"), 1);
  EXPECT_EQ(Value("1=1.000000002"), 0);
}

TEST_F(Evaluator, TypesThatChangeAfterCompilingAreCaughtWhenRun) {
  TVariable* v = ctx.Symbols().AddVariable("V", Num(1));
  TVariable* d1 = ctx.Symbols().AddVariable("D1", Date(31, 12, 2006));
  ctx.Symbols().AddVariable("D2", Date(1, 1, 2007));
  ctx.Symbols().AddVariable("T1", Time(10, 0, 0));

  TExprChain plus, minus, less, times;
  ASSERT_EQ(CompileExpr("V+1", ctx, plus).ErrCode, 0);
  ASSERT_EQ(CompileExpr("V-1", ctx, minus).ErrCode, 0);
  ASSERT_EQ(CompileExpr("D1<D2", ctx, less).ErrCode, 0);
  ASSERT_EQ(CompileExpr("T1+T1", ctx, times).ErrCode, 0);
  int err = 0;
  TCommonVar r;
  v->Value = Str("x");
  EvalExpr(plus, err, r);
  EXPECT_EQ(err, 13);
  v->Value = Date(1, 1, 2007);
  EvalExpr(minus, err, r);
  EXPECT_EQ(err, 13);
  TExprChain dateMinus;
  ASSERT_EQ(CompileExpr("V-V", ctx, dateMinus).ErrCode, 142);
  v->Value = Num(1);
  ASSERT_EQ(CompileExpr("V-V", ctx, dateMinus).ErrCode, 0);
  v->Value = Date(1, 1, 2007);
  EvalExpr(dateMinus, err, r);
  EXPECT_EQ(err, 14);

  // Dates compare by year, then month, then day.
  EvalExpr(less, err, r);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(r.Num, 1);
  d1->Value = Date(2, 1, 2007);
  EvalExpr(less, err, r);
  EXPECT_EQ(r.Num, 0);

  // Times pass the compiler but have no sum.
  EvalExpr(times, err, r);
  EXPECT_EQ(err, 22);
}

TEST_F(Evaluator, ColumnReferences) {
  FakeForm form("NCN*");
  ctx.Forms["T"] = &form;

  EXPECT_EQ(Value("T[3]"), 0);
  const Outcome empty = Eval("T[2,5]");
  EXPECT_EQ(empty.Err, 0);
  EXPECT_EQ(empty.Value.Kind, 'C');
  EXPECT_EQ(empty.Value.Str, "");

  for (int i = 1; i <= 4; ++i) form.Rows.push_back({Num(i), Str("r"), Num(i * 10), Str("c")});
  form.Rows[1][3] = Num(7);
  EXPECT_EQ(Value("T[3]"), 100);
  EXPECT_EQ(Value("T[4]"), 7);  // only the cells that hold numbers
  EXPECT_EQ(Eval("T[2,1+1]").Value.Str, "r");
  EXPECT_EQ(Value("T[1,2.5]"), 2);  // halves go to the even row
  EXPECT_EQ(Value("T[1,3.5]"), 4);
  EXPECT_EQ(Error("T[3,5]"), 21);
  EXPECT_EQ(Error("T[3,0]"), 21);
  EXPECT_EQ(Error("T[3,1E20]"), 21);
  EXPECT_EQ(Error("T[3,1/0]"), 1);
}

TEST_F(Evaluator, FieldsParametersAndSystemVariables) {
  FakeBase base;
  base.Fields = {{"QTY", Num(3)}, {"NAME", Str("n")}};
  ctx.Bases["B"] = &base;
  FakeAutoParam price(Num(2.5));
  ctx.AutoParams["PRICE"] = &price;

  TExprChain expr;
  ASSERT_EQ(CompileExpr("B.QTY * %PRICE%", ctx, expr).ErrCode, 0);
  int err = 0;
  TCommonVar r;
  EvalExpr(expr, err, r);
  EXPECT_EQ(r.Num, 7.5L);
  // Values are read when the formula runs, not when it is compiled.
  base.Fields[0].second = Num(4);
  price.Value = Num(0.5);
  EvalExpr(expr, err, r);
  EXPECT_EQ(r.Num, 2);

  const Outcome today = Eval("%CURDATE%");
  EXPECT_EQ(today.Value.Kind, 'D');
  EXPECT_EQ(today.Value.Date, (TDateRec{5, 3, 2007}));
}

TEST(EvaluatorContext, SystemVariablesComeFromTheProgram) {
  TExprContext ctx;
  SetSysVarText(kSysVarCurDate, "7.03.2006");
  SetSysVarText(kSysVarNoOperat, "41");
  TExprChain expr;
  ASSERT_EQ(CompileExpr("%no_operat% + 1", ctx, expr).ErrCode, 0);
  int err = 0;
  TCommonVar r;
  EvalExpr(expr, err, r);
  EXPECT_EQ(r.Num, 42);
  const Outcome today = RunFormula(ctx, "%CURDATE%");
  EXPECT_EQ(today.Value.Date, (TDateRec{7, 3, 2006}));
  ResetSysVars();
}

TEST_F(Evaluator, OperatorTableAndErrorTexts) {
  EXPECT_EQ(FindOperator('$'), 8);
  EXPECT_EQ(FindOperator('!'), 9);
  EXPECT_EQ(FindOperator('@'), 0);
  EXPECT_EQ(OperatorRow(5).Priority, 110);
  EXPECT_EQ(OperatorRow(3).Result, 'I');

  EXPECT_EQ(EvalErrorText(0, &ctx), "");
  EXPECT_EQ(EvalErrorText(1, &ctx), " Деление на 0 "_w);
  EXPECT_EQ(EvalErrorText(21, &ctx), " Недопустимый номер ряда формы"_w);
  EXPECT_EQ(EvalErrorText(43, &ctx), " Требуется версия MS Office 9.0 или выше "_w);
  EXPECT_EQ(EvalErrorText(254, &ctx), " Переполнение при вычислении выражения с плавающей запятой "_w);
  EXPECT_EQ(EvalErrorText(52, &ctx), " Ошибка при вычислении "_w);
  TExprChain none;
  int err = 0;
  TCommonVar r;
  EvalExpr(none, err, r);
  EXPECT_EQ(err, 255);

  ctx.RunErrorText = "words";
  EXPECT_EQ(EvalErrorText(-1, &ctx), "words");
}

}  // namespace
