#include "language/builtins.h"

#include <gtest/gtest.h>

#include <set>

#include "language/expr_fakes.h"
#include "platform/encoding.h"
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

  for (const auto& [name, number] : {std::pair{"EXP", 1}, {"DATE", 22}, {"TOSTR", 30}, {"ROUNDDIG", 141},
                                     {"QUESTION", 224}, {"exp", -1}, {"NOSUCH", -1}})
    EXPECT_EQ(FindFunction(name), number) << name;
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

TEST_F(Builtins, AFormThatIsNoTableOfADocumentIsAWrongParameter) {
  FakeForm form("N");
  ctx.Forms["T"] = &form;
  EXPECT_EQ(Error("ROWCOUNT(T)"), 16);
  EXPECT_EQ(Error("FINDROW(T, 1)"), 16);
}

TEST_F(Builtins, LogarithmsRootsAndTrigonometry) {
  ExpectNums({{"EXP(1)", 2.71828182845904523536L}, {"LN(EXP(2))", 2}, {"LG(1000)", 3}, {"LOG(8, 2)", 3},
              {"SQRT(0)", 0}, {"TG(0.5)", 0.54630248984379051326L}, {"CTG(0.5)", 1.83048772171245191927L},
              {"SIN(1E30)", 0}, {"ASIN(1)", 1.57079632679489661923L}, {"ACSH(1)", 0},
              {"ATGH(0.5)", 0.54930614433405484570L}, {"ASNH(SINH(2)) + TGH(0) + COSH(0) + ATG(0)", 3}},
             1e-15L);
  ExpectErrors({{"LN(0)", 4}, {"LG(-1)", 4}, {"LOG(0, 2)", 4}, {"LOG(8, 0)", 5}, {"LOG(8, 1)", 6},
                {"SQRT(-1)", 7}, {"CTG(0)", 9}, {"TG(1E30)", 8}, {"CTG(1E30)", 9}, {"ASIN(1.5)", 10},
                {"ACOS(1.5)", 10}, {"ASIN(-2)", -1}, {"ACSH(0.5)", 11}, {"ATGH(1.5)", 12}, {"ATGH(-1.5)", 12},
                {"ACOS(-1.01)", -1}});
  EXPECT_FALSE(ctx.RunErrorText.empty());
}

TEST_F(Builtins, OverflowingFunctionsFailInsteadOfGivingInfinity) {
  ExpectErrors({{"EXP(100000)", -1}, {"SINH(100000)", -1}, {"ATGH(1)", -1}});
  EXPECT_EQ(ctx.RunErrorText, " Переполнение при вычислении выражения с плавающей запятой "_w);
  ExpectErrors({{"CHR(3000000000)", -1}, {"EXPANDNUM(1, 1E10)", -1}});
  // Widths a formula could ask for by mistake would take gigabytes.
  ExpectErrors({{"EXPANDSTRING('a', 2000000000, 0, ' ')", -1}, {"EXPANDNUM(1, 2000000000)", -1},
                {"INTTOSTR(1, 10, 2000000000)", -1}});
  EXPECT_EQ(ctx.RunErrorText, " Слишком длинная строка "_w);
  ExpectNums({{"LEN(EXPANDSTRING('', 1048576, 0, '-'))", 1048576}});
}

TEST_F(Builtins, RoundingDivisionAndSigns) {
  ExpectNums({{"DIV(7, 0)", 0}, {"MOD(7, 0)", 7}, {"DIV(0.3, 0.1)", 3}, {"DIV(-7, 2)", -3},
              {"MOD(-7, 3)", -1}, {"MOD(0.7, 0.2)", 0.1L}, {"SIGN(1E-12)", 1}, {"SIGN(-1E-12)", 0},
              {"SIGN(-3)", -1}, {"ROUND(2.5)", 2}, {"ROUND(3.5)", 4}, {"ROUND(-2.5)", -2},
              {"ROUND(-3.5)", -4}, {"ROUND(0.5)", 0}, {"ROUND(-0.5)", 0}, {"ROUND(1.5)", 2},
              {"ROUNDDIG(0.125, 2)", 0.12L}, {"ROUNDDIG(-0.375, 2)", -0.38L},
              {"INT(-2.7)", -2}, {"ABS(-2.5)", 2.5}, {"MAX(2, 3) + MIN(2, 3)", 5}});
  ExpectNums({{"ROUNDDIG(3.14159, 2)", 3.14L}, {"ROUNDDIG(2.5, 0)", 2}, {"ROUNDDIG(1.23456789, 9)", 1.23456789L}},
             1e-15L);
  ExpectErrors({{"ROUNDDIG(1, -1)", -1}, {"ROUNDDIG(1, 10)", -1}});
}

TEST_F(Builtins, NumbersFromAndToText) {
  ExpectNums({{"TONUM('1.5')", 1.5}, {"TONUM(' -2E3 ')", -2000}, {"TONUM('abc')", 0}, {"TONUM('1,5')", 0},
              {"TONUM('inf')", 0}, {"TRYINT('a1b2')", 12}, {"STRTOINT('FF', 16)", 255},
              {"STRTOINT('1X1', 2)", 5}});
  ExpectTexts({{"INTTOSTR(255, 16, 4)", "00FF"}, {"INTTOSTR(255, 2, 0)", "11111111"},
               {"INTTOSTR(255, 1, 0)", "0"}, {"INTTOSTR(255, 37, 0)", "0"}, {"INTTOSTR(255, 37, 3)", "000"},
               {"EXPANDNUM(42, 5)", "00042"}, {"EXPANDNUM(41.5, 3)", "042"}, {"EXPANDNUM(123456, 3)", "123"},
               {"EXPANDNUM(-0.2, 2)", "00"}, {"EXPANDNUM(5, 0)", ""},
               {"QUESTS(1E-9, 'a', 'b') + QUESTS(1E-10, 'a', 'b')", "ab"}});
  // The numbers in a text of parameters.
  ExpectNums({{"GETPARAMVAL('12x30x2.5', 3)", 2.5}, {"GETPARAMVAL('12x30x2.5', 1)", 12},
              {"GETPARAMVAL('12x30', 3)", 0}, {"GETPARAMVAL('12', 0)", 0}, {"GETPARAMVAL('12', 2000000000)", 0}});
  EXPECT_EQ(Error("GETPARAMVAL('v1.2.3', 1)"), 37);
}

TEST_F(Builtins, Bits) {
  uint32_t v = 1;
  SetBit(0, v, false);
  SetBit(33, v, true);
  EXPECT_EQ(v, 2u);
  // GETBIT(8, 259): only the low 8 bits of the number count.
  ExpectNums({{"GETBIT(8, 3)", 1}, {"GETBIT(8, 35)", 1}, {"GETBIT(8, 259)", 1}, {"GETBIT(-1, 31)", 1},
              {"SETBIT(1, 0, 0)", 0}, {"SETBIT(0, 31, 1)", 2147483648.0L},
              {"SETBIT(4294967295, 0, 0)", 4294967294.0L}});
  ExpectErrors({{"SETBIT(1, 256, 1)", -1}, {"GETBIT(1E10, 1)", -1}});
}

TEST_F(Builtins, CharactersAndSubstrings) {
  ExpectTexts({{"CHR(65)", "A"}, {"CHR(300)", std::string(1, '\0')}, {"CHARATPOS('abc', 2)", "b"},
               {"CHARATPOS('abc', 4)", ""}, {"COPYSTR('abcdef', 2, 3)", "bcd"}, {"COPYSTR('abc', 2, 10)", "bc"},
               {"COPYSTR('abc', 5, 1)", ""}, {"EXPANDSTRING('ab', 5, 1, '*')", "***ab"},
               {"EXPANDSTRING('ab', 4, 0, '')", "ab  "}, {"EXPANDSTRING('abcdef', 3, 1, '0')", "abc"},
               {"NOSPACE('  a b  ')", "a b"}, {"RUSTOENG('АВС')"_wv, "ABC"}, {"VALIDHTML('a<b')", "a&#60;b"},
               {"CHECKFILENAME('a:b?c')", "a_b_c"}});
  ExpectNums({{"ORD('')", 0}, {"ORD('Я')"_wv, 0xDF}, {"LEN('abc')", 3}, {"FINDWORD('a, b ,c', ' B', ',')", 1},
              {"FINDWORD('a,b', 'd', ',')", 0}});
  EXPECT_EQ(Error("CHARATPOS('abc', 0)"), -1);
}

TEST_F(Builtins, GoodsNamesPricesAndNames) {
  ExpectTexts({{"PRODNAME('Сахар 1кг')"_wv, "Сахар"_w},
               {"PRODWEIGHT('Сахар 1кг')"_wv, "1кг"_w},
               {"PRODNAME('Печенье \"Юбилейное-2\" 250г')"_wv, "Печенье \"Юбилейное-2\""_w},
               {"PRODNAME('Торт ''Т5''')"_wv, "Торт 'Т5'"_w},
               {"PRODWEIGHT('Торт ''Т5''')"_wv, ""},
               {"PRICESTRING(0.5, 'р.', 'к.')"_wv, "50к."_w},
               {"PRICESTRING(12.05, ' руб. ', ' коп.')"_wv, "12 руб. 05 коп."_w},
               {"SHORTNAME(' Иванов ', 'петр', 'ильич')"_wv, "Иванов П. И."_w},
               {"SHORTNAME('Иванов', '', 'ильич')"_wv, "Иванов И."_w},
               {"SHORTNAME('', 'петр', 'ильич')"_wv, ""}});
}

TEST_F(Builtins, RubKopWritesIntoTheVariables) {
  TVariable* rub = ctx.Symbols().AddVariable("R", Num(0));
  TVariable* kop = ctx.Symbols().AddVariable("K", Num(0));
  EXPECT_EQ(Eval("RUBKOP(12.345, R, K)").Err, 0);
  EXPECT_EQ(rub->Value.Num * 100 + kop->Value.Num, 1234);
}

}  // namespace
