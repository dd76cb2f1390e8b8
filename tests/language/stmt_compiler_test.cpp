#include "language/stmt_compiler.h"

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

struct CompileCase {
  const char* Program;
  int Code;
  const char* Message;  // UTF-8
};

class CompileErrors : public ::testing::TestWithParam<CompileCase> {};

TEST_P(CompileErrors, GiveTheirCodeAndText) {
  const CompileCase& c = GetParam();
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Var("I", Num(0));
  RigLoading loading;
  rig.Context.Loadings["L1"] = &loading;
  EXPECT_EQ(rig.Compile(c.Program), c.Code) << c.Program;
  EXPECT_EQ(Cp1251ToUtf8(rig.Message), c.Message) << c.Program;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, CompileErrors,
    ::testing::Values(
        CompileCase{"IF 'A'\nTHEN\nENDIF\nENDSECTION", -1, "Ошибка в строке 1.  Неверный тип выражения "},
        CompileCase{"A := 1\nIF 1\nGOTO L\n", 2, "Ошибка в строке 3.  Недопустимый оператор "},
        CompileCase{"IF 1\nLABEL L\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
        CompileCase{"IF 1\nWHILE I,1,I+1,I<3\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
        CompileCase{"IF 1\nCALL SUB\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
        CompileCase{"IF 1\nEXECLOAD L1\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
        CompileCase{"IF 1\nEXECQUESTION Q\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
        CompileCase{"REENTRY\n", 2, "Ошибка в строке 1.  Недопустимый оператор "},
        CompileCase{"IF 1\nA := 2\n", 5, "Ошибка в строке 2.  Ожидается команда THEN "},
        CompileCase{"IF 1\nIF 0\nTHEN\nENDIF\n", 5, "Ошибка в строке 2.  Ожидается команда THEN "},
        CompileCase{"IF 1\n\nENDSECTION", 5, "Ошибка в строке 3.  Ожидается команда THEN "},
        CompileCase{"IF 1\nTHEN\nA := 1\nENDSECTION", 6,
                    "Ошибка в строке 4.  Ожидается команда ELSE или ENDIF "},
        CompileCase{"ELSE\n", 7, "Ошибка в строке 1.  Ожидается команда IF "},
        CompileCase{"ENDIF\n", 7, "Ошибка в строке 1.  Ожидается команда IF "},
        CompileCase{"THEN\n", 7, "Ошибка в строке 1.  Ожидается команда IF "},
        CompileCase{"IF 1\nTHEN\nELSE\nELSE\n", 7, "Ошибка в строке 4.  Ожидается команда IF "},
        CompileCase{"IF 1\nTHEN\nELSE\nENDSECTION", 8, "Ошибка в строке 4.  Ожидается команда ENDIF "},
        CompileCase{"WHILE X, 1, X+1, X<3\n", 13,
                    "Ошибка в строке 1.  Неверное имя локальной переменной X"},
        CompileCase{"GOTO\n", 14, "Ошибка в строке 1.  Требуется метка "},
        CompileCase{"LABEL\n", 14, "Ошибка в строке 1.  Требуется метка "},
        CompileCase{"EXECQUESTION\n", 15, "Ошибка в строке 1.  Требуется имя запроса "},
        CompileCase{"EXECQUESTION Q9\n", 16, "Ошибка в строке 1.  Неизвестное имя запроса "},
        CompileCase{"CALL\n", 17, "Ошибка в строке 1.  Требуется имя подпрограммы "},
        CompileCase{"LABEL L1\nA := 1\nLABEL L1\n", 18,
                    "Ошибка в строке 3.  Метка с данным именем уже существует "},
        CompileCase{"EXECLOAD\n", 19, "Ошибка в строке 1.  Требуется имя загрузчика "},
        CompileCase{"EXECLOAD L2\n", 20, "Ошибка в строке 1.  Неизвестное имя загрузчика "},
        CompileCase{"WHILE I,1,I+1\n", 21, "Ошибка в строке 1.  Неверное выражение цикла While "},
        CompileCase{"WHILE I\n", 21, "Ошибка в строке 1.  Неверное выражение цикла While "},
        CompileCase{"WHILE I, 'A', I+1, I<3\n", 22,
                    "Ошибка в строке 1.  Разные типы переменной и выражения цикла While "},
        CompileCase{"WHILE I, 1, I+1, 'A'\n", 23,
                    "Ошибка в строке 1.  Тип последнего выражения цикла While должен быть числовым"},
        CompileCase{"WHILE I, 1, I+1%, I<3\n", 130,
                    "Ошибка в строке 1.  Ошибка в выражении позиция -1: Запрещенный символ в имени переменной"},
        CompileCase{"ENDWHILE\n", 24, "Ошибка в строке 1.  Отсутствует команда WHILE "},
        CompileCase{"WHILE I,1,I+1,I<3\nA := 1\nENDSECTION", 25,
                    "Ошибка в строке 3.  Отсутствует команда ENDWHILE "},
        CompileCase{"A+1\n", 128, "Ошибка в строке 1.  Отсутствует приемник в выражении "},
        CompileCase{"B := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной B"},
        CompileCase{"%NOPE% := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной %NOPE%"},
        CompileCase{"BASE.F := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной BASE.F"},
        CompileCase{"A := 2*(1\n", 130,
                    "Ошибка в строке 1.  Ошибка в выражении позиция 8: Непарная открывающаяся скобка"},
        CompileCase{"IF A > (1\n", 130,
                    "Ошибка в строке 1.  Ошибка в выражении позиция 8: Непарная открывающаяся скобка"},
        CompileCase{"A := 'X' + 1\n", 130,
                    "Ошибка в строке 1.  Ошибка в выражении :   Разные типы операндов "},
        CompileCase{"IF A>1 THEN\n", 130,
                    "Ошибка в строке 1.  Ошибка в выражении : Запрещенное имя переменной 1THEN"},
        CompileCase{"A := 'X'\n", 131, "Ошибка в строке 1.  Разные типы приемника и выражения "},
        CompileCase{"THEN X\n", 200, "Ошибка в строке 1.  Запрещенные символы после команды "},
        CompileCase{"ENDIF X\n", 200, "Ошибка в строке 1.  Запрещенные символы после команды "},
        CompileCase{"REENTRY X\n", 200, "Ошибка в строке 1.  Запрещенные символы после команды "},
        CompileCase{"A := 1\n", 255, "Ошибка в строке 1.  Отсутствует команда ENDSECTION "},
        CompileCase{"GOTO L9\nENDSECTION", 257, " Не определена метка L9"}),
    [](const ::testing::TestParamInfo<CompileCase>& info) {
      const int code = info.param.Code;
      return (code < 0 ? "Minus" + std::to_string(-code) : "Code" + std::to_string(code)) + "_" +
             std::to_string(info.index);
    });

TEST(StatementCompiler, KeywordsAreFoundExactlyAndTheEndKeywordPerProgram) {
  EXPECT_EQ(FindStatementKeyword("IF"), kKwIf);
  EXPECT_EQ(FindStatementKeyword("LABEL"), kKwLabel);
  EXPECT_EQ(FindStatementKeyword("if"), -1);
  EXPECT_EQ(FindStatementKeyword("ENDSECTION"), kKwEnd);
  EXPECT_EQ(FindStatementKeyword("ENDSUB", "ENDSUB"), kKwEnd);
  EXPECT_EQ(FindStatementKeyword("ENDSUB"), -1);
  EXPECT_TRUE(IsStatementKeyword("ENDWHILE"));
  EXPECT_FALSE(IsStatementKeyword("TOTAL"));
}

TEST(StatementCompiler, UnknownCodeHasItsOwnText) {
  ProgramRig rig;
  TDescriptionReader reader("");
  TStmtCompiler compiler(reader, rig.Context);
  EXPECT_EQ(Cp1251ToUtf8(compiler.CompileErrorText(999)), " Незнакомая ошибка ");
}

TEST(StatementCompiler, EndKeywordInsideABranchClosesItWithTrailingTextIgnored) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  EXPECT_EQ(rig.Compile("IF 1\nTHEN\nA := 1\nENDIF X\nENDSECTION"), 0) << Cp1251ToUtf8(rig.Message);
}

TEST(StatementCompiler, CallsAreListedForTheDocumentWithTheirLines) {
  ProgramRig rig;
  TDescriptionReader reader("A := 1\nCALL FIRST\nCALL SECOND\nENDSECTION");
  rig.Var("A", Num(0));
  TStmtCompiler compiler(reader, rig.Context);
  TInstruction* head = nullptr;
  ASSERT_EQ(compiler.CompileProgram(head, "ENDSECTION", kOpEnd), 0);
  ASSERT_EQ(compiler.Calls().size(), 2u);
  EXPECT_EQ(compiler.Calls()[0].Name, "FIRST");
  EXPECT_EQ(compiler.Calls()[0].Line, 2);
  EXPECT_EQ(compiler.Calls()[1].Call->Opcode, kOpCall);
  EXPECT_EQ(compiler.Calls()[1].Line, 3);
}

TEST(DescriptionReader, SkipsCommentsAndBlankLinesAndJoinsContinuations) {
  TDescriptionReader reader("  A := 1 ; note\n\n; whole line\nB := 'x;y' + _\n  'z'\nC := F(1;2)\n");
  EXPECT_EQ(reader.ReadLine(), "A := 1");
  EXPECT_EQ(reader.LineIndex(), 1);
  EXPECT_EQ(reader.ReadLine(), "B := 'x;y' + 'z'");
  EXPECT_EQ(reader.LineIndex(), 5);
  EXPECT_EQ(reader.ReadLine(), "C := F(1;2)");
  EXPECT_EQ(reader.ReadLine(), "");
}

}  // namespace
}  // namespace vm::test
