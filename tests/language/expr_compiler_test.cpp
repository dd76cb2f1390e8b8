#include "language/expr_compiler.h"

#include <gtest/gtest.h>

#include "expr_fakes.h"
#include "foundation/encoding.h"

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
  EXPECT_EQ(PriorityText("2+3*4"), "2+(3*4)");
  // A run of one level stays flat; the evaluator folds it from the left.
  EXPECT_EQ(PriorityText("2^3^2"), "2^3^2");
  EXPECT_EQ(PriorityText("a - b - c"), "A-B-C");
  EXPECT_EQ(PriorityText("A*B/C+D"), "(A*B/C)+D");
  EXPECT_EQ(PriorityText("A+B*C^D-E"), "A+(B*(C^D))-E");
  EXPECT_EQ(PriorityText("A <= B+1"), "A$(B+1)");
  EXPECT_EQ(PriorityText("'<=' + S"), "'<='+S");
  EXPECT_EQ(PriorityText("F(1+2*3, 4)"), "F(1+(2*3),4)");

  EXPECT_NEAR(Value("2+3*4"), 14, 1e-12);
  EXPECT_NEAR(Value("2^3^2"), 64, 1e-12);
  EXPECT_NEAR(Value("10-4-3"), 3, 1e-12);
  EXPECT_NEAR(Value("2-3+4-5"), -2, 1e-12);
  EXPECT_NEAR(Value("2^3^2^0.5"), 8, 1e-12);
  EXPECT_NEAR(Value("2+3*4^2/8-1"), 7, 1e-12);
  EXPECT_NEAR(Value("2*3+4*5"), 26, 1e-12);
  EXPECT_NEAR(Value("24/4/2"), 3, 1e-12);
  EXPECT_NEAR(Value("1+1=2"), 1, 1e-12);
  EXPECT_NEAR(Value("1 < 2 = 1"), 1, 1e-12);
  EXPECT_NEAR(Value("3 >= 3"), 1, 1e-12);
  EXPECT_NEAR(Value("3 <= 2"), 0, 1e-12);
  EXPECT_NEAR(Value("3 # 2"), 1, 1e-12);
  EXPECT_NEAR(Value("-5"), -5, 1e-12);
  EXPECT_NEAR(Value(""), 0, 1e-12);
}

TEST_F(ExprCompiler, MinusAfterAnOperatorIsASign) {
  EXPECT_NEAR(Value("2*-3"), -6, 1e-12);
  EXPECT_NEAR(Value("2^-1"), 0.5, 1e-12);
  EXPECT_NEAR(Value("2*-3^2"), -18, 1e-12);
  EXPECT_NEAR(Value("1--1"), 2, 1e-12);
  EXPECT_NEAR(Value("2*--3"), 6, 1e-12);
  EXPECT_NEAR(Value("(-2^2)"), -4, 1e-12);
  EXPECT_NEAR(Value("4 >= -1"), 1, 1e-12);
  EXPECT_NEAR(Value("2*-(1+2)"), -6, 1e-12);
  EXPECT_NEAR(Value("2*-1E-3"), -0.002, 1e-15);
  EXPECT_NEAR(Value("1=-1"), 0, 1e-12);
  EXPECT_NEAR(Value("MAX(-1, -2^2)"), -1, 1e-12);
  // After a power the sign takes its operand alone, so the powers still
  // fold from the left: 2^-3^2 is (2^-3)^2 as 2^3^2 is (2^3)^2.
  EXPECT_NEAR(Value("2^-3^2"), 1.0L / 64, 1e-15);
  EXPECT_NEAR(Value("2^-1^2*4"), 1, 1e-12);
  // A plus after an operator is a sign too.
  EXPECT_NEAR(Value("2*+3"), 6, 1e-12);
  EXPECT_NEAR(Value("1-+1"), 0, 1e-12);
  EXPECT_NEAR(Value("2^+3^2"), 64, 1e-12);
  EXPECT_NEAR(Value("2*+-3"), -6, 1e-12);
  EXPECT_EQ(RunFormula(ctx, "'a' + +'b'").Value.Str, "ab");
}

TEST_F(ExprCompiler, NestingIsBoundedWhileLongChainsStayFlat) {
  std::string sum = "1";
  for (int i = 0; i < 1000; ++i) sum += "+2*1";
  EXPECT_NEAR(Value(sum), 2001, 1e-9);

  const std::string deep = std::string(300, '(') + "1" + std::string(300, ')');
  TCompileResult r = Compile(deep);
  EXPECT_EQ(r.ErrCode, 12);
  EXPECT_EQ(r.ErrPos, 200);
  EXPECT_EQ(r.Msg, "Слишком глубокая вложенность выражения"_w);
  std::string calls;
  for (int i = 0; i < 300; ++i) calls += "ABS(";
  EXPECT_EQ(Compile(calls + "1" + std::string(300, ')')).ErrCode, 12);
  std::string rows;
  for (int i = 0; i < 300; ++i) rows += "T[1,";
  EXPECT_EQ(Compile(rows + "1" + std::string(300, ']')).ErrCode, 12);
  // Nesting that fits as written but not with the groups of priority added.
  std::string grouped;
  for (int i = 0; i < 150; ++i) grouped += "(1+2*";
  EXPECT_EQ(Compile(grouped + "1" + std::string(150, ')')).ErrCode, 12);
  EXPECT_NEAR(Value(std::string(150, '(') + "1" + std::string(150, ')')), 1, 1e-12);
}

TEST_F(ExprCompiler, ExponentMinusIsFoundWhereverItStands) {
  EXPECT_NEAR(Value("1E-3"), 0.001, 1e-15);
  EXPECT_NEAR(Value("2 * 1E-3"), 0.002, 1e-15);
  ctx.Symbols().AddVariable("A1E", Num(5));
  EXPECT_NEAR(Value("A1E-3"), 2, 1e-12);
  ctx.Symbols().AddVariable("E", Num(2));
  EXPECT_NEAR(Value("E-1"), 1, 1e-12);
  // The first "E-" is a subtraction; the later one still reads as a number.
  EXPECT_NEAR(Value("E-1+1E-3"), 1.001, 1e-12);
  EXPECT_NEAR(Value("1.5E-2+2E-1"), 0.215, 1e-12);

  const Outcome s = RunFormula(ctx, "'1E-3' + 'a@b.ru'");
  EXPECT_EQ(s.Err, 0);
  EXPECT_EQ(s.Value.Str, "1E-3a@b.ru");
}

TEST_F(ExprCompiler, StringConstants) {
  EXPECT_EQ(RunFormula(ctx, "'ab''c'").Value.Str, "ab'c");
  EXPECT_EQ(RunFormula(ctx, "'Привет, ' + s"_w).Value.Str, "Привет, s"_w);
  // Text inside quotes keeps its case and its blanks.
  EXPECT_EQ(RunFormula(ctx, "'a  b'").Value.Str, "a  b");
  EXPECT_EQ(Compile("'ab'X").ErrCode, 143);
  EXPECT_EQ(Compile("X'ab'").ErrCode, 4);
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

  auto bound = [&](uint8_t kind, char type) {
    TExprChain expr;
    const TCompileResult r = CompileExpr("X", ctx, expr);
    ASSERT_EQ(r.ErrCode, 0);
    EXPECT_EQ(expr[0].Kind, kind);
    EXPECT_EQ(r.ResultType, type);
  };
  bound(kOpdVariable, 'C');
  ctx.Symbols().Reset();
  bound(kOpdForm, '1');
  ctx.Forms.erase("X");
  bound(kOpdBase, '2');
  ctx.Bases.erase("X");
  bound(kOpdFieldList, '5');
  ctx.FieldLists.erase("X");
  bound(kOpdSelect, '4');
  ctx.Selects.erase("X");
  bound(kOpdListSelect, '6');
  ctx.ListSelects.erase("X");
  bound(kOpdHelp, '3');
  ctx.Helps.erase("X");
  bound(kOpdSubroutine, 'S');
  ctx.Subroutines.erase("X");
  EXPECT_EQ(Compile("X").ErrCode, 135);
}

TEST_F(ExprCompiler, OperandsOfEveryKindHaveTheirTypes) {
  EXPECT_EQ(Compile("a").ResultType, 'N');
  EXPECT_EQ(Compile("S").ResultType, 'C');
  EXPECT_EQ(Compile("B.NAME").ResultType, 'C');
  EXPECT_EQ(Compile("b.qty * 2").ResultType, 'N');
  EXPECT_EQ(Compile("T[1]").ResultType, 'N');
  EXPECT_EQ(Compile("T[2, A]").ResultType, 'C');
  EXPECT_EQ(Compile("T[4]").ResultType, '*');
  EXPECT_EQ(Compile("%PRICE%").ResultType, 'N');
  EXPECT_EQ(Compile("%CURDATE%").ResultType, 'D');
  EXPECT_EQ(Compile("S + 'x'").ResultType, 'C');
  EXPECT_EQ(Compile("S < 'x'").ResultType, 'N');
  EXPECT_EQ(Compile("T[4] + S").ResultType, '*');

  // Field references are shared by every formula of the document.
  TExprChain one, two;
  CompileExpr("B.QTY", ctx, one);
  CompileExpr("B.QTY+1", ctx, two);
  EXPECT_EQ(one[0].FieldVar, two[0].FieldVar);
}

TEST_F(ExprCompiler, TypesCompatibleAndOperatorResults) {
  EXPECT_TRUE(TypesCompatible('N', 'R'));
  EXPECT_TRUE(TypesCompatible('*', 'T'));
  EXPECT_TRUE(TypesCompatible('D', '*'));
  EXPECT_TRUE(TypesCompatible('1', '1'));
  EXPECT_FALSE(TypesCompatible('*', '1'));
  EXPECT_FALSE(TypesCompatible('C', 'N'));
  EXPECT_FALSE(TypesCompatible('X', 'N'));

  char r = 0;
  EXPECT_EQ(OperatorResultType(3, 'C', 'C', r), 0);
  EXPECT_EQ(r, 'C');
  EXPECT_EQ(OperatorResultType(3, '*', 'C', r), 0);
  EXPECT_EQ(r, '*');
  EXPECT_EQ(OperatorResultType(11, 'D', 'D', r), 0);
  EXPECT_EQ(r, 'N');
  EXPECT_EQ(OperatorResultType(4, 'D', 'D', r), 14);
  EXPECT_EQ(OperatorResultType(1, 'C', 'C', r), 14);
  EXPECT_EQ(OperatorResultType(3, 'C', 'N', r), 13);
  EXPECT_EQ(OperatorResultType(3, 'T', 'T', r), 0);
}

struct ErrorCase {
  const char* Text;
  int Code;
  int Pos;
};

TEST_F(ExprCompiler, ParseErrorsCarryTheirPositionInTheWrittenText) {
  const ErrorCase cases[] = {
      {"EXP(1", 1, 4},      {"(1+2", 1, 1},        {"1 + ( 2", 1, 5},   {"A)", 2, 2},
      {"2*(3+4))", 2, 8},   {"A&B", 3, 2},         {"a@b", 3, 2},       {"X'ab'", 4, 2},
      {"'abc", 5, 5},       {"T[1", 6, 2},         {"1]", 7, 2},        {"MAX(1)X", 8, 7},
      {"A.B.C", 8, 4},      {"(1)(2)", 8, 4},      {"(1)2", 8, 4},      {"EXP(1)[2]", 9, 7},
      {"T[X]", 10, 3},      {"A%B%", 11, 2},       {"%1A%", 11, 2},     {"%AB", 11, 4},
      {"MAX(1, A&B)", 3, 9}, {"T[1, 2&3]", 3, 7},   {"(1+(2+&))", 3, 7},
  };
  const TCompileResult nul = Compile(std::string("1 +\0" "2", 5));
  EXPECT_EQ(nul.ErrCode, 3);
  EXPECT_EQ(nul.ErrPos, 4);
  for (const ErrorCase& c : cases) {
    const TCompileResult r = Compile(c.Text);
    EXPECT_EQ(r.ErrCode, c.Code) << c.Text;
    EXPECT_EQ(r.ErrPos, c.Pos) << c.Text;
    EXPECT_EQ(r.ResultType, '!') << c.Text;
  }
}

TEST_F(ExprCompiler, EveryParseErrorHasItsText) {
  EXPECT_EQ(Compile("(1").Msg, "Непарная открывающаяся скобка"_w);
  EXPECT_EQ(Compile("1)").Msg, "Непарная закрывающаяся скобка"_w);
  EXPECT_EQ(Compile("1&").Msg, "Запрещенный символ"_w);
  EXPECT_EQ(Compile("X'a'").Msg, "Неверное использование строковой константы"_w);
  EXPECT_EQ(Compile("'a").Msg, "Отсутсвует закрывающий апостроф в строковой константе "_w);
  EXPECT_EQ(Compile("T[1").Msg, "Непарная открывающаяся квадратная скобка"_w);
  EXPECT_EQ(Compile("1]").Msg, "Непарная закрывающаяся квадратная скобка"_w);
  EXPECT_EQ(Compile("A.B.C").Msg, "Отсутствует символ операции"_w);
  EXPECT_EQ(Compile("EXP(1)[1]").Msg, "Функция не может иметь индекс"_w);
  EXPECT_EQ(Compile("T[Z]").Msg, "Неверный числовой индекс столбца"_w);
  EXPECT_EQ(Compile("%1%").Msg, "Запрещенный символ в имени переменной"_w);
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
    EXPECT_EQ(r.ErrCode, c.Code) << c.Text;
    EXPECT_EQ(r.ErrPos, 0) << c.Text;
    EXPECT_EQ(r.Msg, c.Msg) << c.Text;
    EXPECT_EQ(r.ResultType, '!') << c.Text;
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
  EXPECT_GT(a->Id, id);
  EXPECT_EQ(a->Value.Str, "new");
  s.Reset();
  EXPECT_EQ(s.FindVariable("A"), nullptr);
  EXPECT_EQ(s.AddVariable("Z", Num(0))->Id, 0);

  std::string before, after;
  SplitAtDot("BASE.FIELD.X", before, after);
  EXPECT_EQ(before, "BASE");
  EXPECT_EQ(after, "FIELD.X");
}

}  // namespace
