#include "language/builtins.h"

#include <gtest/gtest.h>

#include <set>

#include "expr_fakes.h"
#include "foundation/encoding.h"
#include "language/bits.h"
#include "language/function_table.h"

using namespace vm;
using namespace vm::testing;

namespace {

using Builtins = FormulaTest;

TEST(FunctionTable, HoldsEveryFunctionByItsFixedNumber) {
  std::set<std::string_view> names;
  for (int n = 1; n <= kFunctionCount; ++n) {
    const TFunctionRec& f = FunctionRec(n);
    names.insert(f.Name);
    EXPECT_LE(f.Name.size(), 19u);
    EXPECT_TRUE(f.ParamCount == -1 || f.ParamCount == static_cast<int>(f.Params.size())) << f.Name;
    EXPECT_LE(f.Params.size(), 6u);
    EXPECT_EQ(FindFunction(f.Name), n);
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(kFunctionCount));

  EXPECT_EQ(FindFunction("EXP"), 1);
  EXPECT_EQ(FindFunction("DATE"), 22);
  EXPECT_EQ(FindFunction("TOSTR"), 30);
  EXPECT_EQ(FindFunction("ROUNDDIG"), 141);
  EXPECT_EQ(FindFunction("QUESTION"), 224);
  EXPECT_EQ(FindFunction("exp"), -1);
  EXPECT_EQ(FindFunction("NOSUCH"), -1);

  const TFunctionRec& rubkop = FunctionRec(142);
  EXPECT_EQ(rubkop.Params, "Nnn");
  EXPECT_EQ(rubkop.Result, '-');
  const TFunctionRec& excel = FunctionRec(124);
  EXPECT_EQ(excel.Name, "FINDEXCELCELL");
  EXPECT_EQ(excel.Params, "NNCnn");
  EXPECT_EQ(FunctionRec(101).Params, "22NSX");
  EXPECT_EQ(FunctionRec(69).ParamCount, -1);
  EXPECT_EQ(FunctionRec(212).Result, '*');
}

TEST_F(Builtins, ArgumentsAreCheckedWhenTheCallRuns) {
  // A variable that changed its type since the formula was compiled.
  TVariable* v = ctx.Symbols().AddVariable("V", Num(4));
  TExprChain expr;
  ASSERT_EQ(CompileExpr("SQRT(V)", ctx, expr).ErrCode, 0);
  v->Value = Str("four");
  int err = 0;
  TCommonVar r;
  r.Str = "stale";
  EvalExpr(expr, err, r);
  EXPECT_EQ(err, 16);
  EXPECT_EQ(r.Kind, 'N');
  EXPECT_EQ(r.Num, 0);
  EXPECT_EQ(r.Str, "");

  // An argument's own error stops the call, before a function of a later
  // family would refuse to run.
  EXPECT_EQ(Error("MAX(1/0, SQRT(0-1))"), 1);
  EXPECT_EQ(Error("FINDFASTROW(1, SQRT(-1), 1/0)"), 7);
}

TEST_F(Builtins, FunctionsOfLaterFamiliesFailWithTheirName) {
  FakeForm form("N");
  ctx.Forms["T"] = &form;
  EXPECT_EQ(Error("ROWCOUNT(T)"), -1);
  EXPECT_NE(ctx.RunErrorText.find("ROWCOUNT"), std::string::npos);
}

TEST_F(Builtins, LogarithmsRootsAndTrigonometry) {
  EXPECT_NEAR(Value("EXP(1)"), 2.71828182845904523536L, 1e-15);
  EXPECT_NEAR(Value("LN(EXP(2))"), 2, 1e-15);
  EXPECT_NEAR(Value("LG(1000)"), 3, 1e-15);
  EXPECT_NEAR(Value("LOG(8, 2)"), 3, 1e-15);
  EXPECT_EQ(Error("LN(0)"), 4);
  EXPECT_EQ(Error("LG(-1)"), 4);
  EXPECT_EQ(Error("LOG(0, 2)"), 4);
  EXPECT_EQ(Error("LOG(8, 0)"), 5);
  EXPECT_EQ(Error("LOG(8, 1)"), 6);
  EXPECT_EQ(Value("SQRT(0)"), 0);
  EXPECT_EQ(Error("SQRT(-1)"), 7);
  EXPECT_NEAR(Value("TG(0.5)"), 0.54630248984379051326L, 1e-15);
  EXPECT_NEAR(Value("CTG(0.5)"), 1.83048772171245191927L, 1e-15);
  EXPECT_EQ(Error("CTG(0)"), 9);
  EXPECT_EQ(Value("SIN(1E30)"), 0);
  EXPECT_NEAR(Value("ASIN(1)"), 1.57079632679489661923L, 1e-15);
  EXPECT_EQ(Error("ASIN(1.5)"), 10);
  EXPECT_EQ(Error("ACOS(1.5)"), 10);
  EXPECT_EQ(Error("ASIN(-2)"), -1);
  EXPECT_EQ(Error("ACOS(-1.01)"), -1);
  EXPECT_FALSE(ctx.RunErrorText.empty());
  EXPECT_EQ(Error("ACSH(0.5)"), 11);
  EXPECT_NEAR(Value("ACSH(1)"), 0, 1e-15);
  EXPECT_EQ(Error("ATGH(1.5)"), 12);
  EXPECT_EQ(Error("ATGH(-1.5)"), 12);
  EXPECT_NEAR(Value("ATGH(0.5)"), 0.54930614433405484570L, 1e-15);
  EXPECT_NEAR(Value("ASNH(SINH(2)) + TGH(0) + COSH(0) + ATG(0)"), 3, 1e-15);
}

TEST_F(Builtins, OverflowingFunctionsFailInsteadOfGivingInfinity) {
  EXPECT_EQ(Error("EXP(100000)"), -1);
  EXPECT_EQ(Error("SINH(100000)"), -1);
  EXPECT_EQ(Error("ATGH(1)"), -1);
  EXPECT_EQ(ctx.RunErrorText, " Переполнение при вычислении выражения с плавающей запятой "_w);
  EXPECT_EQ(Error("CHR(3000000000)"), -1);
  EXPECT_EQ(Error("EXPANDNUM(1, 1E10)"), -1);
}

TEST_F(Builtins, RoundingDivisionAndSigns) {
  EXPECT_EQ(Value("DIV(7, 0)"), 0);
  EXPECT_EQ(Value("MOD(7, 0)"), 7);
  EXPECT_EQ(Value("DIV(0.3, 0.1)"), 3);
  EXPECT_EQ(Value("DIV(-7, 2)"), -3);
  EXPECT_EQ(Value("MOD(-7, 3)"), -1);
  EXPECT_NEAR(Value("MOD(0.7, 0.2)"), 0.1, 1e-12);
  EXPECT_EQ(Value("SIGN(1E-12)"), 1);
  EXPECT_EQ(Value("SIGN(-1E-12)"), 0);
  EXPECT_EQ(Value("SIGN(-3)"), -1);
  EXPECT_EQ(Value("ROUND(2.5)"), 2);
  EXPECT_EQ(Value("ROUND(3.5)"), 4);
  EXPECT_EQ(Value("ROUND(-2.5)"), -2);
  EXPECT_EQ(Value("INT(-2.7)"), -2);
  EXPECT_EQ(Value("ABS(-2.5)"), 2.5);
  EXPECT_EQ(Value("MAX(2, 3) + MIN(2, 3)"), 5);
  EXPECT_NEAR(Value("ROUNDDIG(3.14159, 2)"), 3.14, 1e-15);
  EXPECT_NEAR(Value("ROUNDDIG(2.5, 0)"), 2, 1e-15);
  EXPECT_NEAR(Value("ROUNDDIG(1.23456789, 9)"), 1.23456789, 1e-15);
  EXPECT_EQ(Error("ROUNDDIG(1, -1)"), -1);
  EXPECT_EQ(Error("ROUNDDIG(1, 10)"), -1);
}

TEST_F(Builtins, NumbersFromAndToText) {
  EXPECT_EQ(Value("TONUM('1.5')"), 1.5);
  EXPECT_EQ(Value("TONUM(' -2E3 ')"), -2000);
  EXPECT_EQ(Value("TONUM('abc')"), 0);
  EXPECT_EQ(Value("TONUM('1,5')"), 0);
  EXPECT_EQ(Value("TONUM('inf')"), 0);
  EXPECT_EQ(Value("TRYINT('a1b2')"), 12);
  EXPECT_EQ(Text("INTTOSTR(255, 16, 4)"), "00FF");
  EXPECT_EQ(Text("INTTOSTR(255, 2, 0)"), "11111111");
  EXPECT_EQ(Text("INTTOSTR(255, 1, 0)"), "0");
  EXPECT_EQ(Text("INTTOSTR(255, 37, 0)"), "0");
  EXPECT_EQ(Text("INTTOSTR(255, 37, 3)"), "000");
  EXPECT_EQ(Value("STRTOINT('FF', 16)"), 255);
  EXPECT_EQ(Value("STRTOINT('1X1', 2)"), 5);
  EXPECT_EQ(Text("EXPANDNUM(42, 5)"), "00042");
  EXPECT_EQ(Text("EXPANDNUM(41.5, 3)"), "042");
  EXPECT_EQ(Text("EXPANDNUM(123456, 3)"), "123");
  EXPECT_EQ(Text("EXPANDNUM(-0.2, 2)"), "00");
  EXPECT_EQ(Text("EXPANDNUM(5, 0)"), "");
  EXPECT_EQ(Text("QUESTS(1E-9, 'a', 'b') + QUESTS(1E-10, 'a', 'b')"), "ab");
}

TEST_F(Builtins, Bits) {
  EXPECT_TRUE(GetBit(3, 8));
  EXPECT_TRUE(GetBit(35, 8));
  uint32_t v = 1;
  SetBit(0, v, false);
  EXPECT_EQ(v, 0u);
  SetBit(33, v, true);
  EXPECT_EQ(v, 2u);

  EXPECT_EQ(Value("GETBIT(8, 3)"), 1);
  EXPECT_EQ(Value("GETBIT(8, 35)"), 1);
  EXPECT_EQ(Value("GETBIT(8, 259)"), 1);  // only the low 8 bits of the number
  EXPECT_EQ(Value("GETBIT(-1, 31)"), 1);
  EXPECT_EQ(Value("SETBIT(1, 0, 0)"), 0);
  EXPECT_EQ(Value("SETBIT(0, 31, 1)"), 2147483648.0L);
  EXPECT_EQ(Value("SETBIT(4294967295, 0, 0)"), 4294967294.0L);
  EXPECT_EQ(Error("SETBIT(1, 256, 1)"), -1);
  EXPECT_EQ(Error("GETBIT(1E10, 1)"), -1);
}

TEST_F(Builtins, CharactersAndSubstrings) {
  EXPECT_EQ(Text("CHR(65)"), "A");
  EXPECT_EQ(Text("CHR(300)"), std::string(1, '\0'));
  EXPECT_EQ(Value("ORD('')"), 0);
  EXPECT_EQ(Value("ORD('Я')"_w), 0xDF);
  EXPECT_EQ(Text("CHARATPOS('abc', 2)"), "b");
  EXPECT_EQ(Text("CHARATPOS('abc', 4)"), "");
  EXPECT_EQ(Error("CHARATPOS('abc', 0)"), -1);
  EXPECT_EQ(Value("LEN('abc')"), 3);
  EXPECT_EQ(Text("COPYSTR('abcdef', 2, 3)"), "bcd");
  EXPECT_EQ(Text("COPYSTR('abc', 2, 10)"), "bc");
  EXPECT_EQ(Text("COPYSTR('abc', 5, 1)"), "");
  EXPECT_EQ(Text("EXPANDSTRING('ab', 5, 1, '*')"), "***ab");
  EXPECT_EQ(Text("EXPANDSTRING('ab', 4, 0, '')"), "ab  ");
  EXPECT_EQ(Text("EXPANDSTRING('abcdef', 3, 1, '0')"), "abc");
  EXPECT_EQ(Text("NOSPACE('  a b  ')"), "a b");
  EXPECT_EQ(Text("RUSTOENG('АВС')"_w), "ABC");
  EXPECT_EQ(Value("FINDWORD('a, b ,c', ' B', ',')"), 1);
  EXPECT_EQ(Value("FINDWORD('a,b', 'd', ',')"), 0);
  EXPECT_EQ(Text("VALIDHTML('a<b')"), "a&#60;b");
  EXPECT_EQ(Text("CHECKFILENAME('a:b?c')"), "a_b_c");
}

TEST_F(Builtins, GoodsNamesPricesAndNames) {
  EXPECT_EQ(Text("PRODNAME('Сахар 1кг')"_w), "Сахар"_w);
  EXPECT_EQ(Text("PRODWEIGHT('Сахар 1кг')"_w), "1кг"_w);
  EXPECT_EQ(Text("PRODNAME('Печенье \"Юбилейное-2\" 250г')"_w), "Печенье \"Юбилейное-2\""_w);
  EXPECT_EQ(Text("PRODNAME('Торт ''Т5''')"_w), "Торт 'Т5'"_w);
  EXPECT_EQ(Text("PRODWEIGHT('Торт ''Т5''')"_w), "");
  EXPECT_EQ(Text("PRICESTRING(0.5, 'р.', 'к.')"_w), "50к."_w);
  EXPECT_EQ(Text("PRICESTRING(12.05, ' руб. ', ' коп.')"_w), "12 руб. 05 коп."_w);
  EXPECT_EQ(Text("SHORTNAME(' Иванов ', 'петр', 'ильич')"_w), "Иванов П. И."_w);
  EXPECT_EQ(Text("SHORTNAME('Иванов', '', 'ильич')"_w), "Иванов И."_w);
  EXPECT_EQ(Text("SHORTNAME('', 'петр', 'ильич')"_w), "");
}

TEST_F(Builtins, ParameterNumbersInText) {
  EXPECT_EQ(Value("GETPARAMVAL('12x30x2.5', 3)"), 2.5);
  EXPECT_EQ(Value("GETPARAMVAL('12x30x2.5', 1)"), 12);
  EXPECT_EQ(Value("GETPARAMVAL('12x30', 3)"), 0);
  EXPECT_EQ(Value("GETPARAMVAL('12', 0)"), 0);
  EXPECT_EQ(Error("GETPARAMVAL('v1.2.3', 1)"), 37);
  EXPECT_EQ(Value("GETPARAMVAL('12', 2000000000)"), 0);
}

TEST_F(Builtins, RubKopWritesIntoTheVariables) {
  TVariable* rub = ctx.Symbols().AddVariable("R", Num(0));
  TVariable* kop = ctx.Symbols().AddVariable("K", Num(0));
  EXPECT_EQ(Eval("RUBKOP(12.345, R, K)").Err, 0);
  EXPECT_EQ(rub->Value.Num, 12);
  EXPECT_EQ(kop->Value.Num, 34);
}

}  // namespace
