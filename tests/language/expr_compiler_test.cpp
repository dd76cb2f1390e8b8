#include "language/expr_compiler.h"

#include <gtest/gtest.h>

#include <tuple>

#include <functional>

#include "expr_fakes.h"
#include "platform/encoding.h"

using namespace vm;
using namespace vm::testing;

namespace {

class ExprCompiler : public FormulaTest {
 protected:
  FakeForm form{"NCN*"};
  FakeBase base;
  FakeAutoParam price{Num(12.5)};

  void SetUp() override {
    ctx.Forms["T"] = &form;
    base.Fields = {{"NAME", Str("x")}, {"QTY", Num(3)}};
    ctx.Bases["B"] = &base;
    ctx.AutoParams["PRICE"] = &price;
    ctx.Symbols().AddVariable("A", Num(1));
    ctx.Symbols().AddVariable("S", Str("s"));
  }

  TCompileResult Compile(std::string_view text) {
    TExprChain expr;
    return CompileExpr(text, ctx, expr);
  }
};

TEST_F(ExprCompiler, PriorityBecomesGroupsFoldedLeftToRight) {
  // A run of one level stays flat; the evaluator folds it from the left.
  const std::pair<const char*, const char*> groups[] = {
      {"2+3*4", "2+(3*4)"},      {"2^3^2", "2^3^2"},          {"a - b - c", "A-B-C"},
      {"A*B/C+D", "(A*B/C)+D"},  {"A+B*C^D-E", "A+(B*(C^D))-E"}, {"A <= B+1", "A$(B+1)"},
      {"'<=' + S", "'<='+S"},    {"F(1+2*3, 4)", "F(1+(2*3),4)"}};
  for (const auto& [text, grouped] : groups) EXPECT_EQ(PriorityText(text), grouped) << text;
  ExpectNums({{"2+3*4", 14}, {"2^3^2", 64}, {"10-4-3", 3}, {"2-3+4-5", -2}, {"2^3^2^0.5", 8},
              {"2+3*4^2/8-1", 7}, {"2*3+4*5", 26}, {"24/4/2", 3}, {"1+1=2", 1}, {"1 < 2 = 1", 1},
              {"3 >= 3", 1}, {"3 <= 2", 0}, {"3 # 2", 1}, {"-5", -5}, {"", 0}});
}

TEST_F(ExprCompiler, MinusAfterAnOperatorIsASign) {
  // After a power the sign takes its operand alone, so the powers still
  // fold from the left: 2^-3^2 is (2^-3)^2 as 2^3^2 is (2^3)^2. A plus after
  // an operator is a sign too.
  ExpectNums({{"2*-3", -6}, {"2^-1", 0.5}, {"2*-3^2", -18}, {"1--1", 2}, {"2*--3", 6}, {"(-2^2)", -4},
              {"4 >= -1", 1}, {"2*-(1+2)", -6}, {"1=-1", 0}, {"MAX(-1, -2^2)", -1}, {"2^-1^2*4", 1},
              {"2*+3", 6}, {"1-+1", 0}, {"2^+3^2", 64}, {"2*+-3", -6}});
  ExpectNums({{"2*-1E-3", -0.002L}, {"2^-3^2", 1.0L / 64}}, 1e-15L);
  EXPECT_EQ(Text("'a' + +'b'"), "ab");
}

std::string Times(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

TEST_F(ExprCompiler, NestingIsBoundedWhileLongChainsStayFlat) {
  EXPECT_NEAR(Value("1" + Times("+2*1", 1000)), 2001, 1e-9);
  const TCompileResult r = Compile(Times("(", 300) + "1" + Times(")", 300));
  EXPECT_EQ(std::tuple(r.ErrCode, r.ErrPos, r.Msg), std::tuple(12, 200, "Слишком глубокая вложенность выражения"_w));
  EXPECT_EQ(Compile(Times("ABS(", 300) + "1" + Times(")", 300)).ErrCode, 12);
  EXPECT_EQ(Compile(Times("T[1,", 300) + "1" + Times("]", 300)).ErrCode, 12);
  // Nesting that fits as written but not with the groups of priority added.
  EXPECT_EQ(Compile(Times("(1+2*", 150) + "1" + Times(")", 150)).ErrCode, 12);
  EXPECT_NEAR(Value(Times("(", 150) + "1" + Times(")", 150)), 1, 1e-12);
}

TEST_F(ExprCompiler, ExponentMinusIsFoundWhereverItStands) {
  ctx.Symbols().AddVariable("A1E", Num(5));
  ctx.Symbols().AddVariable("E", Num(2));
  // In "E-1+1E-3" the first "E-" is a subtraction; the later one still reads
  // as a number.
  ExpectNums({{"A1E-3", 2}, {"E-1", 1}, {"E-1+1E-3", 1.001L}, {"1.5E-2+2E-1", 0.215L}});
  ExpectNums({{"1E-3", 0.001L}, {"2 * 1E-3", 0.002L}}, 1e-15L);
  EXPECT_EQ(Text("'1E-3' + 'a@b.ru'"), "1E-3a@b.ru");
}

TEST_F(ExprCompiler, StringConstants) {
  // Text inside quotes keeps its case and its blanks.
  ExpectTexts({{"'ab''c'", "ab'c"}, {"'Привет, ' + s"_wv, "Привет, s"_w}, {"'a  b'", "a  b"}});
}

TEST_F(ExprCompiler, NamesBindInTheirOrder) {
  FakeForm f("N");
  FakeBase b;
  FakeObject fieldList, select, listSelect, help, sub;
  ctx.Subroutines["X"] = &sub;
  ctx.Helps["X"] = &help;
  ctx.ListSelects["X"] = &listSelect;
  ctx.Selects["X"] = &select;
  ctx.FieldLists["X"] = &fieldList;
  ctx.Bases["X"] = &b;
  ctx.Forms["X"] = &f;
  ctx.Symbols().AddVariable("X", Str("v"));
  // Each binding in turn, then the name is taken from where it bound.
  const std::tuple<uint8_t, char> order[] = {{kOpdVariable, 'C'}, {kOpdForm, '1'},       {kOpdBase, '2'},
                                            {kOpdFieldList, '5'}, {kOpdSelect, '4'},    {kOpdListSelect, '6'},
                                            {kOpdHelp, '3'},      {kOpdSubroutine, 'S'}};
  const std::function<void()> unbind[] = {
      [&] { ctx.Symbols().Reset(); }, [&] { ctx.Forms.erase("X"); },      [&] { ctx.Bases.erase("X"); },
      [&] { ctx.FieldLists.erase("X"); }, [&] { ctx.Selects.erase("X"); }, [&] { ctx.ListSelects.erase("X"); },
      [&] { ctx.Helps.erase("X"); },  [&] { ctx.Subroutines.erase("X"); }};
  for (std::size_t i = 0; i < std::size(order); ++i) {
    TExprChain expr;
    const TCompileResult r = CompileExpr("X", ctx, expr);
    ASSERT_EQ(r.ErrCode, 0) << i;
    EXPECT_EQ(std::tuple(expr[0].Kind, r.ResultType), order[i]) << i;
    unbind[i]();
  }
  EXPECT_EQ(Compile("X").ErrCode, 135);
}

TEST_F(ExprCompiler, OperandsOfEveryKindHaveTheirTypes) {
  const std::pair<const char*, char> types[] = {
      {"a", 'N'},    {"S", 'C'},         {"B.NAME", 'C'},    {"b.qty * 2", 'N'}, {"T[1]", 'N'},
      {"T[2, A]", 'C'}, {"T[4]", '*'},   {"%PRICE%", 'N'},   {"%CURDATE%", 'D'}, {"S + 'x'", 'C'},
      {"S < 'x'", 'N'}, {"T[4] + S", '*'}};
  for (const auto& [text, type] : types) EXPECT_EQ(Compile(text).ResultType, type) << text;

  // Field references are shared by every formula of the document.
  TExprChain one, two;
  CompileExpr("B.QTY", ctx, one);
  CompileExpr("B.QTY+1", ctx, two);
  EXPECT_EQ(one[0].FieldVar, two[0].FieldVar);
}

TEST_F(ExprCompiler, TypesCompatibleAndOperatorResults) {
  EXPECT_TRUE(TypesCompatible('N', 'R') && TypesCompatible('*', 'T') && TypesCompatible('D', '*') &&
              TypesCompatible('1', '1'));
  EXPECT_FALSE(TypesCompatible('*', '1') || TypesCompatible('C', 'N') || TypesCompatible('X', 'N'));
  struct OpCase {
    int Op;
    char Left, Right;
    int Err;
    char Result;
  };
  const OpCase ops[] = {{3, 'C', 'C', 0, 'C'}, {3, '*', 'C', 0, '*'},  {11, 'D', 'D', 0, 'N'},
                        {4, 'D', 'D', 14, 0},  {1, 'C', 'C', 14, 0},   {3, 'C', 'N', 13, 0},
                        {3, 'T', 'T', 0, 0}};
  for (const OpCase& c : ops) {
    char r = 0;
    const int err = OperatorResultType(c.Op, c.Left, c.Right, r);
    EXPECT_EQ(std::tuple(err, c.Result != 0 ? r : '\0'), std::tuple(c.Err, c.Result)) << c.Op << c.Left << c.Right;
  }
}

TEST_F(ExprCompiler, ParseErrorsCarryTheirTextAndPositionInTheWrittenText) {
  struct ErrorCase {
    const char* Text;
    int Code;
    int Pos;
  };
  const ErrorCase cases[] = {
      {"EXP(1", 1, 4},      {"(1+2", 1, 1},        {"1 + ( 2", 1, 5},   {"A)", 2, 2},
      {"2*(3+4))", 2, 8},   {"A&B", 3, 2},         {"a@b", 3, 2},       {"X'ab'", 4, 2},
      {"'abc", 5, 5},       {"T[1", 6, 2},         {"1]", 7, 2},        {"MAX(1)X", 8, 7},
      {"A.B.C", 8, 4},      {"(1)(2)", 8, 4},      {"(1)2", 8, 4},      {"EXP(1)[2]", 9, 7},
      {"T[X]", 10, 3},      {"A%B%", 11, 2},       {"%1A%", 11, 2},     {"%AB", 11, 4},
      {"MAX(1, A&B)", 3, 9}, {"T[1, 2&3]", 3, 7},   {"(1+(2+&))", 3, 7},
  };
  const std::string texts[] = {"",
                               "Непарная открывающаяся скобка"_w,
                               "Непарная закрывающаяся скобка"_w,
                               "Запрещенный символ"_w,
                               "Неверное использование строковой константы"_w,
                               "Отсутсвует закрывающий апостроф в строковой константе "_w,
                               "Непарная открывающаяся квадратная скобка"_w,
                               "Непарная закрывающаяся квадратная скобка"_w,
                               "Отсутствует символ операции"_w,
                               "Функция не может иметь индекс"_w,
                               "Неверный числовой индекс столбца"_w,
                               "Запрещенный символ в имени переменной"_w};
  const TCompileResult nul = Compile(std::string("1 +\0" "2", 5));
  EXPECT_EQ(std::tuple(nul.ErrCode, nul.ErrPos), std::tuple(3, 4));
  for (const ErrorCase& c : cases) {
    const TCompileResult r = Compile(c.Text);
    EXPECT_EQ(std::tuple(r.ErrCode, r.ErrPos, r.Msg, r.ResultType), std::tuple(c.Code, c.Pos, texts[c.Code], '!'))
        << c.Text;
  }
}

TEST_F(ExprCompiler, TypeErrorsAreCodePlus128WithTheirNames) {
  struct TypeCase {
    const char* Text;
    int Code;
    std::string Msg;
  };
  const TypeCase cases[] = {
      {"EXP(1,2)", 132, "Неверное число параметров функции EXP"_w},
      {"NOSUCH(1)", 133, "Несуществующая функция NOSUCH"_w},
      {"nova + 1", 135, "Несуществующая переменная NOVA"_w},
      {"1F(2)", 137, "Запрещенное имя функции 1F"_w},
      {"1E", 138, "Запрещенное имя переменной 1E"_w},
      {"'A'+1", 141, "  Разные типы операндов "_w},
      {"'A'-'B'", 142, "  Недопустимая операция с данным типом данных "_w},
      {"%CURDATE% - %CURDATE%", 142, "  Недопустимая операция с данным типом данных "_w},
      {"'ab'X", 143, "  Неправильная строковая константа "_w},
      {"SQRT('a')", 144, " Неправильный тип параметра функции "_w},
      {"NOBASE.F", 145, " Неверный идентификатор базы NOBASE"_w},
      {"B.NOFIELD", 146, " Неверное имя поля NOFIELD"_w},
      {"T[0]", 147, " Неверный номер столбца "_w},
      {"T[5]", 147, " Неверный номер столбца "_w},
      {"T[2]", 148, " Недопустимая ссылка на данный тип столбца "_w},
      {"NOFORM[1]", 150, " Неизвестное имя формы NOFORM"_w},
      {"T[1,'X']", 151, " Индекс ряда должен иметь числовой тип "_w},
      {"%NOSUCH%", 152, " Несуществующий автопараметр NOSUCH"_w},
      {"RUBKOP(1, A, A+1)", 153, " Неизвестное имя переменной "_w},
      {"RUBKOP(1, A, S)", 144, " Неправильный тип параметра функции "_w},
  };
  for (const TypeCase& c : cases) {
    const TCompileResult r = Compile(c.Text);
    EXPECT_EQ(std::tuple(r.ErrCode, r.ErrPos, r.Msg, r.ResultType), std::tuple(c.Code, 0, c.Msg, '!')) << c.Text;
  }
}

TEST_F(ExprCompiler, CallsCheckTheirArguments) {
  // An empty pair of parentheses is one empty argument, the number 0.
  EXPECT_EQ(Compile("ABS()").ErrCode, 0);
  EXPECT_EQ(Compile("QUESTS(1, 'a', 'b')").ResultType, 'C');
  // A condition may be any number.
  FakeObject help;
  ctx.Helps["H"] = &help;
  EXPECT_EQ(Compile("FINDINHELP(H, A > 1)").ErrCode, 0);
  EXPECT_EQ(Compile("FINDINHELP(T, A > 1)").ErrCode, 144);
  // Variable-arity functions take anything, up to 32 arguments.
  std::string many = "ADDARRAY(1";
  for (int i = 1; i < 32; ++i) many += ",1";
  EXPECT_EQ(Compile(many + ")").ErrCode, 0);
  EXPECT_EQ(Compile(many + ",1)").ErrCode, 132);

  TExprChain expr;
  ctx.Symbols().AddVariable("R", Num(0));
  ASSERT_EQ(CompileExpr("RUBKOP(1, R, A)", ctx, expr).ErrCode, 0);
  EXPECT_EQ(expr[0].Child[1].Child[0].Kind, kOpdVarRef);
}

TEST_F(ExprCompiler, VariablesAreReusedByName) {
  TExprSymbols& s = ctx.Symbols();
  TVariable* a = s.FindVariable(" A ");
  ASSERT_NE(a, nullptr);
  const int32_t id = a->Id;
  EXPECT_EQ(s.AddVariable("A", Str("new")), a);
  EXPECT_TRUE(a->Id > id && a->Value.Str == "new");
  s.Reset();
  EXPECT_EQ(s.FindVariable("A"), nullptr);
  EXPECT_EQ(s.AddVariable("Z", Num(0))->Id, 0);

  std::string before, after;
  SplitAtDot("BASE.FIELD.X", before, after);
  EXPECT_EQ(std::tuple(before, after), std::tuple("BASE", "FIELD.X"));
}

}  // namespace
