#include "language/registry_context.h"

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "language/expr_fakes.h"
#include "support/temp_dir.h"

using namespace vm;
using vm::testing::Outcome;
using vm::testing::RunFormula;

namespace {

TAPar* AddParam(TAutoList& list, std::string name, char kind, std::string text, bool local) {
  TAPar* p = list.AddNew();
  p->Name = std::move(name);
  p->Kind = kind;
  p->ValueText = std::move(text);
  p->Local = local;
  return p;
}

long double Number(TExprContext& ctx, std::string_view text) {
  const Outcome o = RunFormula(ctx, text);
  EXPECT_EQ(o.Err, 0) << text;
  EXPECT_EQ(o.Value.Kind, 'N') << text;
  return o.Value.Num;
}

}  // namespace

// Shared and local parameters are named alike; the document reads its own
// copy, and a parameter shadows a system variable of the same name.
TEST(RegistryContext, AutoParametersOfTheRegistry) {
  TAutoList global;
  AddParam(global, "LIMIT", 'N', "12,5", false);
  AddParam(global, "CITY", 'C', "Тула"_w, true);
  AddParam(global, "START", 'D', "05.03.2007", false);
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);

  EXPECT_EQ(Number(ctx, "%LIMIT% * 2"), 25);
  EXPECT_EQ(Number(ctx, "%city% = 'Тула'"_w), 1);
  const Outcome start = RunFormula(ctx, "%START%");
  EXPECT_EQ(start.Value.Kind, 'D');
  EXPECT_EQ(start.Value.Date, (TDateRec{5, 3, 2007}));
  EXPECT_EQ(RunFormula(ctx, "%CURDATE%").Value.Kind, 'D');

  TExprChain missing;
  const TCompileResult r = CompileExpr("%NOSUCH%", ctx, missing);
  EXPECT_EQ(r.ErrCode, 152);
  EXPECT_EQ(r.Msg, " Несуществующий автопараметр NOSUCH"_w);
  EXPECT_EQ(CompileExpr("%LIMIT% + 'x'", ctx, missing).ErrCode, 141);

  AddParam(global, "CURDATE", 'N', "7", false);
  ctx.AutoParams().Assign(global);
  EXPECT_EQ(Number(ctx, "%CURDATE%"), 7);
  global.GetItem(0)->ValueText = "1";
  EXPECT_EQ(Number(ctx, "%LIMIT%"), 12.5L);
}

// A compiled formula outlives copies and reloads of the list it names.
TEST(RegistryContext, CompiledFormulasFollowTheList) {
  TAutoList global;
  AddParam(global, "LIMIT", 'N', "3", false);
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);
  TExprChain expr;
  ASSERT_EQ(CompileExpr("%LIMIT% + 1", ctx, expr).ErrCode, 0);

  auto eval = [&expr] {
    int err = 0;
    TCommonVar v;
    EvalExpr(expr, err, v);
    EXPECT_EQ(err, 0);
    return v.Num;
  };
  EXPECT_EQ(eval(), 4);
  global.Clear();
  AddParam(global, "OTHER", 'C', "", false);
  AddParam(global, "limit", 'N', "10", false);
  global.GetItem(1)->Name = "LIMIT";
  ctx.AutoParams().Assign(global);
  EXPECT_EQ(eval(), 11);

  // Written values stay in the document's copy until it commits.
  auto* ref = static_cast<TAutoParamRef*>(ctx.FindAutoParam("LIMIT"));
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref->TypeLetter(), 'N');
  ref->SetValue(vm::testing::Num(2.5L));
  EXPECT_EQ(eval(), 3.5L);
  EXPECT_EQ(ctx.AutoParams().List().GetValueText("LIMIT"), "2.5000");
  EXPECT_EQ(global.GetValueText("LIMIT"), "10");

  // Gone from the list, it reads as an empty number.
  ctx.AutoParams().Assign(TAutoList());
  EXPECT_EQ(eval(), 1);
  EXPECT_EQ(ctx.FindAutoParam("LIMIT"), nullptr);
}

TEST(RegistryContext, FieldsOfABoundDatabase) {
  test::TempDir tmp;
  TDbaseStructure goods;
  goods.Alias = "GOODS";
  TDBF& t = goods.Table;
  t.FileName = tmp / "goods.dbf";
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("PRICE", 8, 'N', 2));
  ASSERT_TRUE(t.AddFieldEx("NAME", 10, 'C', 0));
  ASSERT_TRUE(t.AddFieldEx("BOUGHT", 8, 'D', 0));
  ASSERT_TRUE(t.WriteStructure());
  t.GoToRecord(1);
  t.ClearRecordBuf();
  ASSERT_TRUE(t.SetFieldStr(0, "12.50"));
  ASSERT_TRUE(t.SetFieldStr(1, "Болт"_w));
  ASSERT_TRUE(t.SetFieldDate(2, {5, 3, 2007}));
  ASSERT_TRUE(t.WriteRecord());

  TRegistryContext ctx;
  TExprChain expr;
  EXPECT_EQ(CompileExpr("GOODS.PRICE", ctx, expr).ErrCode, 145);
  ctx.BindBase("goods", goods);
  EXPECT_EQ(Number(ctx, "GOODS.PRICE * 2"), 25);
  EXPECT_EQ(RunFormula(ctx, "GOODS.NAME").Value.Str, "Болт"_w);
  EXPECT_EQ(RunFormula(ctx, "GOODS.BOUGHT").Value.Date, (TDateRec{5, 3, 2007}));
  const TCompileResult r = CompileExpr("GOODS.WEIGHT", ctx, expr);
  EXPECT_EQ(r.ErrCode, 146);
  EXPECT_EQ(r.Msg, " Неверное имя поля WEIGHT"_w);
  EXPECT_EQ(CompileExpr("GOODS.NAME * 'a'", ctx, expr).ErrCode, 142);

  ASSERT_EQ(CompileExpr("GOODS.PRICE", ctx, expr).ErrCode, 0);
  ASSERT_TRUE(t.Close());
  int err = 0;
  TCommonVar v;
  EvalExpr(expr, err, v);
  EXPECT_EQ(v.Kind, 0) << "a closed table has no record";
}
