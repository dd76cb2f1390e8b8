#include "language/registry_context.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"
#include "language/program_rig.h"
#include "support/goods_table.h"
#include "support/temp_dir.h"

using namespace vm;
using vm::test::ProgramRig;
using vm::testing::Outcome;
using vm::testing::RunFormula;

namespace {

TAPar* AddParam(TAutoList& list, std::string name, char kind, std::string text, bool local = false) {
  TAPar* p = list.AddNew();
  p->Name = std::move(name);
  p->Kind = kind;
  p->ValueText = std::move(text);
  p->Local = local;
  return p;
}

void AddOneOfEachKind(TAutoList& list) {
  AddParam(list, "LIMIT", 'N', "12,5");
  AddParam(list, "CITY", 'C', "Тула"_w, true);
  AddParam(list, "START", 'D', "05.03.2007");
}

// GOODS with one record (CODE Болт, PRICE 12.50, DAT 5.03.2007), open on it.
bool MakeGoods(TDbaseStructure& goods, const test::TempDir& tmp) {
  goods.Alias = "GOODS";
  TDBF& t = goods.Table;
  t.FileName = tmp / "goods.dbf";
  if (!test::WriteGoods(t.FileName, {{"Болт"_w, "", "12.50", false, {5, 3, 2007}}}) || !t.Open()) return false;
  t.GoToRecord(1);
  return t.ReadRecord() == 0;
}

// Every parameter of a list as "NAME=text", in UTF-8, joined by blanks.
std::string Values(const TAutoList& list) {
  std::string out;
  for (int32_t i = 0; i < list.Count(); ++i)
    out += (i ? " " : "") + list.GetItem(i)->Name + "=" + Cp1251ToUtf8(list.GetItem(i)->ValueText);
  return out;
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
  AddOneOfEachKind(global);
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);

  EXPECT_EQ(Number(ctx, "%LIMIT% * 2"), 25);
  EXPECT_EQ(Number(ctx, "%city% = 'Тула'"_w), 1);
  const Outcome start = RunFormula(ctx, "%START%");
  EXPECT_EQ(std::tuple(start.Value.Kind, start.Value.Date), std::tuple('D', TDateRec{5, 3, 2007}));
  EXPECT_EQ(RunFormula(ctx, "%CURDATE%").Value.Kind, 'D');

  TExprChain missing;
  const TCompileResult r = CompileExpr("%NOSUCH%", ctx, missing);
  EXPECT_EQ(std::tuple(r.ErrCode, r.Msg), std::tuple(152, " Несуществующий автопараметр NOSUCH"_w));
  EXPECT_EQ(CompileExpr("%LIMIT% + 'x'", ctx, missing).ErrCode, 141);

  AddParam(global, "CURDATE", 'N', "7");
  ctx.AutoParams().Assign(global);
  EXPECT_EQ(Number(ctx, "%CURDATE%"), 7);
  global.GetItem(0)->ValueText = "1";
  EXPECT_EQ(Number(ctx, "%LIMIT%"), 12.5L);
}

// A compiled formula outlives copies and reloads of the list it names.
TEST(RegistryContext, CompiledFormulasFollowTheList) {
  TAutoList global;
  AddParam(global, "LIMIT", 'N', "3");
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);
  TExprChain expr;
  ASSERT_EQ(CompileExpr("%LIMIT% + 1", ctx, expr).ErrCode, 0);

  auto eval = [&expr] {
    const Outcome o = vm::testing::Evaluate(expr);
    EXPECT_EQ(o.Err, 0);
    return o.Value.Num;
  };
  EXPECT_EQ(eval(), 4);
  global.Clear();
  AddParam(global, "OTHER", 'C', "");
  AddParam(global, "limit", 'N', "10");
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
  ASSERT_TRUE(MakeGoods(goods, tmp));
  TDBF& t = goods.Table;

  TRegistryContext ctx;
  TExprChain expr;
  EXPECT_EQ(CompileExpr("GOODS.PRICE", ctx, expr).ErrCode, 145);
  ctx.BindBase("goods", goods);
  EXPECT_EQ(Number(ctx, "GOODS.PRICE * 2"), 25);
  EXPECT_EQ(RunFormula(ctx, "GOODS.CODE").Value.Str, "Болт"_w);
  EXPECT_EQ(RunFormula(ctx, "GOODS.DAT").Value.Date, (TDateRec{5, 3, 2007}));
  const TCompileResult r = CompileExpr("GOODS.WEIGHT", ctx, expr);
  EXPECT_EQ(std::tuple(r.ErrCode, r.Msg), std::tuple(146, " Неверное имя поля WEIGHT"_w));
  EXPECT_EQ(CompileExpr("GOODS.CODE * 'a'", ctx, expr).ErrCode, 142);

  ASSERT_EQ(CompileExpr("GOODS.PRICE", ctx, expr).ErrCode, 0);
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(vm::testing::Evaluate(expr).Value.Kind, 0) << "a closed table has no record";
}

// A program reads and assigns the document's copy of the auto-parameters;
// the global list gets the values only when the document copies them back.
TEST(RegistryContext, ProgramsAssignTheDocumentsAutoParameters) {
  TAutoList global;
  AddOneOfEachKind(global);
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);
  ProgramRig program(ctx);
  program.Zeros({"N"});
  ASSERT_EQ(program.Compile("%LIMIT% := %LIMIT% * 2 + 1\n%City% := %CITY% + '-2'\n"
                            "%START% := NEXTDATE(%START%)\nN := %LIMIT%\nENDSECTION"),
            0)
      << Cp1251ToUtf8(program.Message);
  ASSERT_EQ(program.Exec(), 0);
  EXPECT_EQ(Values(ctx.AutoParams().List()), "LIMIT=26 CITY=Тула-2 START=6.03.2007");
  EXPECT_EQ(program.Num("N"), 26);
  EXPECT_EQ(Values(global), "LIMIT=12,5 CITY=Тула START=05.03.2007");

  ctx.AutoParams().List().CopyTo(global);
  EXPECT_EQ(Values(global), "LIMIT=26 CITY=Тула-2 START=6.03.2007");
  EXPECT_TRUE(global.GetItem(global.IndexOfName("CITY"))->Local);

  // The next run starts from a fresh copy; the compiled program follows it.
  global.GetItem(0)->ValueText = "0.25";
  ctx.AutoParams().Assign(global);
  ASSERT_EQ(program.Exec(), 0);
  EXPECT_EQ(Values(ctx.AutoParams().List()), "LIMIT=1.5000 CITY=Тула-2-2 START=7.03.2007");

  // A value the parameter's text would not give back stops the run there.
  for (const auto& [line, said] : std::vector<std::pair<std::string, std::string>>{
           {"%LIMIT% := 92348234340767469509", "Число 9.234823434076746951E+19 не умещается в автопараметре LIMIT"},
           {"%START% := DATE(1, 13, 10000)", "Дата 1.13.10000 не умещается в автопараметре START"}}) {
    ProgramRig refused(ctx);
    ASSERT_EQ(refused.Compile(line + "\nENDSECTION"), 0) << line;
    EXPECT_EQ(refused.Exec(), kRunErrText) << line;
    ASSERT_EQ(refused.Ui.Boxes.size(), 1u) << line;
    EXPECT_EQ(refused.Box(0), " Ошибка во время выполнения программы в строке 1:\r " + said + " ") << line;
  }
  EXPECT_EQ(Values(ctx.AutoParams().List()), "LIMIT=1.5000 CITY=Тула-2-2 START=7.03.2007");
}

TEST(RegistryContext, AssignmentsOfTheWrongTypeAreRefused) {
  TAutoList global;
  AddParam(global, "LIMIT", 'N', "3");
  AddParam(global, "START", 'D', "05.03.2007");
  TRegistryContext ctx;
  ctx.AutoParams().Assign(global);
  {
    ProgramRig program(ctx);
    EXPECT_EQ(program.Compile("%LIMIT% := 'x'\nENDSECTION"), 131);
    EXPECT_EQ(Cp1251ToUtf8(program.Message), "Ошибка в строке 1.  Разные типы приемника и выражения ");
    EXPECT_EQ(program.Compile("%START% := 5\nENDSECTION"), 131);
    EXPECT_EQ(program.Compile("%NOSUCH% := 1\nENDSECTION"), 129);
    EXPECT_EQ(Cp1251ToUtf8(program.Message), "Ошибка в строке 1.  Неизвестное имя переменной %NOSUCH%");
    // A system variable is read like a parameter but never receives a value.
    EXPECT_EQ(program.Compile("%CURDATE% := %CURDATE%\nENDSECTION"), 129);
    AddParam(global, "CURDATE", 'N', "0");
    ctx.AutoParams().Assign(global);
    EXPECT_EQ(program.Compile("%CURDATE% := 7\nENDSECTION"), 0) << Cp1251ToUtf8(program.Message);
  }

  ProgramRig program(ctx);
  ASSERT_EQ(program.Compile("%LIMIT% := 5\nENDSECTION"), 0) << Cp1251ToUtf8(program.Message);
  // Gone from the list before the run, it takes nothing and breaks nothing.
  ctx.AutoParams().Assign(TAutoList());
  EXPECT_EQ(program.Exec(), 0);
  EXPECT_EQ(ctx.AutoParams().List().Count(), 0);

  // Back with another kind: the run stops at the assignment and leaves the
  // text alone.
  global.GetItem(0)->Kind = 'C';
  global.GetItem(0)->ValueText = "x";
  ctx.AutoParams().Assign(global);
  EXPECT_EQ(program.Exec(), 1);
  ASSERT_EQ(program.Ui.Boxes.size(), 1u);
  EXPECT_EQ(program.Box(0),
            " Ошибка во время выполнения программы в строке 1:\r Разные типы приемника и выражения ");
  EXPECT_EQ(ctx.AutoParams().List().GetValueText("LIMIT"), "x");
}

// An assignment to BASE.FIELD changes the record the table holds; written
// back, the record carries the program's values.
TEST(RegistryContext, ProgramsAssignFieldsOfTheCurrentRecord) {
  test::TempDir tmp;
  TUsedBaseList bases;
  ASSERT_TRUE(MakeGoods(*bases.AddNew(), tmp));
  TDBF& t = bases.FindByAlias("GOODS")->Table;

  TRegistryContext ctx;
  ctx.BindBase("goods", *bases.FindByAlias("GOODS"));
  ProgramRig program(ctx);
  ASSERT_EQ(program.Compile("GOODS.PRICE := GOODS.PRICE * 2 + 0.004\nGOODS.CODE := 'Гайка длинная'\n"
                            "GOODS.DAT := NEXTDATE(GOODS.DAT)\nENDSECTION"_w),
            0)
      << Cp1251ToUtf8(program.Message);
  ASSERT_EQ(program.Exec(), 0);
  EXPECT_EQ(std::tuple(t.GetFieldStr(test::kGoodsPrice), t.GetFieldStr(test::kGoodsCode), t.GetFieldStr(test::kGoodsDate)),
            std::tuple("25.00", "Гайка длин"_w, "20070306"));
  EXPECT_EQ(RunFormula(ctx, "GOODS.DAT").Value.Date, (TDateRec{6, 3, 2007}));

  // Too wide for its field, a number drops its zero decimals; when it would
  // lose others, or does not fit even without them, the run stops on it and
  // the field keeps its number.
  const std::string number = t.GetFieldStr(test::kGoodsNo);
  ASSERT_EQ(program.Compile("GOODS.PRICE := 123456.5\nGOODS.NO__ := 12345678901\nENDSECTION"), 0)
      << Cp1251ToUtf8(program.Message);
  EXPECT_EQ(program.Exec(), kRunErrText);
  ASSERT_EQ(program.Ui.Boxes.size(), 1u);
  EXPECT_EQ(program.Box(0), " Ошибка во время выполнения программы в строке 2:\r"
                            " Число 12345678901 не умещается в поле GOODS.NO__ ");
  EXPECT_EQ(std::tuple(t.GetFieldStr(test::kGoodsPrice), t.GetFieldStr(test::kGoodsNo)),
            std::tuple("123456.5", number));
  ASSERT_EQ(program.Compile("GOODS.PRICE := 123456.789\nENDSECTION"), 0);
  EXPECT_EQ(program.Exec(), kRunErrText);
  ASSERT_EQ(program.Ui.Boxes.size(), 2u);
  EXPECT_EQ(program.Box(1), " Ошибка во время выполнения программы в строке 1:\r"
                            " Число 123456.789 не умещается в поле GOODS.PRICE ");
  EXPECT_EQ(t.GetFieldStr(test::kGoodsPrice), "123456.5");
  ASSERT_EQ(program.Compile("GOODS.PRICE := 25\nENDSECTION"), 0);
  ASSERT_EQ(program.Exec(), 0);

  t.GoToRecord(1);
  ASSERT_TRUE(t.WriteRecord());
  t.GoToRecord(1);
  t.ClearRecordBuf();
  ASSERT_EQ(t.ReadRecord(), 0);
  EXPECT_EQ(std::tuple(t.GetFieldStr(test::kGoodsPrice), t.GetFieldStr(test::kGoodsCode)), std::tuple("25.00", "Гайка длин"_w));

  for (const auto& [text, code] : {std::pair{"GOODS.CODE := 5", 131}, {"GOODS.DAT := 'x'", 131},
                                   {"GOODS.WEIGHT := 1", 129}})
    EXPECT_EQ(program.Compile(std::string(text) + "\nENDSECTION"), code) << text;
  EXPECT_EQ(Cp1251ToUtf8(program.Message), "Ошибка в строке 1.  Неизвестное имя переменной GOODS.WEIGHT");
}
