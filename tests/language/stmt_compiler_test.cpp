#include "language/stmt_compiler.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

TEST(StatementCompiler, CompileErrorsGiveTheirCodeAndText) {
  struct CompileCase {
    const char* Program;
    int Code;
    const char* Message;  // UTF-8
  };
  const CompileCase cases[] = {
      {"IF 'A'\nTHEN\nENDIF\nENDSECTION", -1, "Ошибка в строке 1.  Неверный тип выражения "},
      {"A := 1\nIF 1\nGOTO L\n", 2, "Ошибка в строке 3.  Недопустимый оператор "},
      {"IF 1\nLABEL L\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
      {"IF 1\nWHILE I,1,I+1,I<3\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
      {"IF 1\nCALL SUB\n", 2, "Ошибка в строке 2.  Недопустимый оператор "},
      {"REENTRY\n", 2, "Ошибка в строке 1.  Недопустимый оператор "},
      {"IF 1\nA := 2\n", 5, "Ошибка в строке 2.  Ожидается команда THEN "},
      {"IF 1\nIF 0\nTHEN\nENDIF\n", 5, "Ошибка в строке 2.  Ожидается команда THEN "},
      {"IF 1\n\nENDSECTION", 5, "Ошибка в строке 3.  Ожидается команда THEN "},
      {"IF 1\nTHEN\nA := 1\nENDSECTION", 6, "Ошибка в строке 4.  Ожидается команда ELSE или ENDIF "},
      {"ELSE\n", 7, "Ошибка в строке 1.  Ожидается команда IF "},
      {"THEN\n", 7, "Ошибка в строке 1.  Ожидается команда IF "},
      {"IF 1\nTHEN\nELSE\nELSE\n", 7, "Ошибка в строке 4.  Ожидается команда IF "},
      {"IF 1\nTHEN\nELSE\nENDSECTION", 8, "Ошибка в строке 4.  Ожидается команда ENDIF "},
      {"WHILE X, 1, X+1, X<3\n", 13, "Ошибка в строке 1.  Неверное имя локальной переменной X"},
      {"GOTO\n", 14, "Ошибка в строке 1.  Требуется метка "},
      {"LABEL\n", 14, "Ошибка в строке 1.  Требуется метка "},
      {"EXECQUESTION\n", 15, "Ошибка в строке 1.  Требуется имя запроса "},
      {"EXECQUESTION Q9\n", 16, "Ошибка в строке 1.  Неизвестное имя запроса "},
      {"CALL\n", 17, "Ошибка в строке 1.  Требуется имя подпрограммы "},
      {"LABEL L1\nA := 1\nLABEL L1\n", 18, "Ошибка в строке 3.  Метка с данным именем уже существует "},
      {"EXECLOAD\n", 19, "Ошибка в строке 1.  Требуется имя загрузчика "},
      {"EXECLOAD L2\n", 20, "Ошибка в строке 1.  Неизвестное имя загрузчика "},
      {"WHILE I,1,I+1\n", 21, "Ошибка в строке 1.  Неверное выражение цикла While "},
      {"WHILE I\n", 21, "Ошибка в строке 1.  Неверное выражение цикла While "},
      {"WHILE I, 'A', I+1, I<3\n", 22, "Ошибка в строке 1.  Разные типы переменной и выражения цикла While "},
      {"WHILE I, 1, I+1, 'A'\n", 23, "Ошибка в строке 1.  Тип последнего выражения цикла While должен быть числовым"},
      {"WHILE I, 1, I+1%, I<3\n", 130,
       "Ошибка в строке 1.  Ошибка в выражении позиция -1: Запрещенный символ в имени переменной"},
      {"ENDWHILE\n", 24, "Ошибка в строке 1.  Отсутствует команда WHILE "},
      {"WHILE I,1,I+1,I<3\nA := 1\nENDSECTION", 25, "Ошибка в строке 3.  Отсутствует команда ENDWHILE "},
      {"A+1\n", 128, "Ошибка в строке 1.  Отсутствует приемник в выражении "},
      {"B := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной B"},
      {"%NOPE% := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной %NOPE%"},
      {"BASE.F := 1\n", 129, "Ошибка в строке 1.  Неизвестное имя переменной BASE.F"},
      {"A := 2*(1\n", 130, "Ошибка в строке 1.  Ошибка в выражении позиция 8: Непарная открывающаяся скобка"},
      {"IF A > (1\n", 130, "Ошибка в строке 1.  Ошибка в выражении позиция 8: Непарная открывающаяся скобка"},
      {"A := 'X' + 1\n", 130, "Ошибка в строке 1.  Ошибка в выражении :   Разные типы операндов "},
      {"IF A>1 THEN\n", 130, "Ошибка в строке 1.  Ошибка в выражении : Запрещенное имя переменной 1THEN"},
      {"A := 'X'\n", 131, "Ошибка в строке 1.  Разные типы приемника и выражения "},
      {"THEN X\n", 200, "Ошибка в строке 1.  Запрещенные символы после команды "},
      {"A := 1\n", 255, "Ошибка в строке 1.  Отсутствует команда ENDSECTION "},
      {"GOTO L9\nENDSECTION", 257, " Не определена метка L9"}};
  for (const CompileCase& c : cases) {
    ProgramRig rig;
    rig.Zeros({"A", "I"});
    RigLoading loading;
    rig.Context.Loadings["L1"] = &loading;
    EXPECT_EQ(rig.Compile(c.Program), c.Code) << c.Program;
    EXPECT_EQ(Cp1251ToUtf8(rig.Message), c.Message) << c.Program;
  }
  ProgramRig rig;
  TDescriptionReader reader("");
  EXPECT_EQ(Cp1251ToUtf8(TStmtCompiler(reader, rig.Context).CompileErrorText(999)), " Незнакомая ошибка ");
}

TEST(StatementCompiler, KeywordsAreFoundExactlyAndTheEndKeywordPerProgram) {
  EXPECT_EQ(std::tuple(FindStatementKeyword("IF"), FindStatementKeyword("if"), FindStatementKeyword("ENDSECTION"),
                       FindStatementKeyword("ENDSUB", "ENDSUB"), FindStatementKeyword("ENDSUB")),
            std::tuple(kKwIf, -1, kKwEnd, kKwEnd, -1));
  EXPECT_TRUE(IsStatementKeyword("ENDWHILE") && !IsStatementKeyword("TOTAL"));
}

TEST(StatementCompiler, EndKeywordInsideABranchClosesItWithTrailingTextIgnored) {
  ProgramRig rig;
  rig.Zeros({"A", "B"});
  ASSERT_TRUE(rig.Run("IF A = 0\nTHEN\nB := 1\nELSE X\nB := 2\nENDIF X\n"
                      "IF A = 1\nTHEN\nELSE\nB := B + 10\nENDIF Y\nENDSECTION"))
      << Cp1251ToUtf8(rig.Message);
  EXPECT_EQ(rig.Num("B"), 11);
}

TEST(StatementCompiler, NestingHasALimitInsteadOfExhaustingTheStack) {
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += i % 2 ? "IF A < 1\nTHEN\n" : "WHILE I, 1, I+1, I<=1\n";
    for (int i = depth - 1; i >= 0; --i) text += i % 2 ? "ENDIF\n" : "ENDWHILE\n";
    return text + "A := 7\nENDSECTION";
  };
  ProgramRig deep;
  deep.Zeros({"A", "I"});
  ASSERT_TRUE(deep.Run(nested(kMaxNesting - 1))) << Cp1251ToUtf8(deep.Message);
  EXPECT_EQ(deep.Num("A"), 7);

  ProgramRig tooDeep;
  tooDeep.Zeros({"A", "I"});
  EXPECT_EQ(tooDeep.Compile(nested(100000)), 2);
  // Level 257 would open at the THEN on line 384 (128 WHILEs and 128 IFs).
  EXPECT_EQ(Cp1251ToUtf8(tooDeep.Message), "Ошибка в строке 384.  Недопустимый оператор ");
}

TEST(StatementCompiler, CallsAreListedForTheDocumentWithTheirLines) {
  ProgramRig rig;
  TDescriptionReader reader("A := 1\nCALL FIRST\nCALL SECOND\nENDSECTION");
  rig.Zeros({"A"});
  TStmtCompiler compiler(reader, rig.Context);
  TInstruction* head = nullptr;
  ASSERT_EQ(compiler.CompileProgram(head, "ENDSECTION", kOpEnd), 0);
  ASSERT_EQ(compiler.Calls().size(), 2u);
  EXPECT_EQ(std::tuple(compiler.Calls()[0].Name, compiler.Calls()[0].Line, compiler.Calls()[1].Call->Opcode,
                       compiler.Calls()[1].Line),
            std::tuple("FIRST", 2, kOpCall, 3));
}

TEST(DescriptionReader, SkipsCommentsAndBlankLinesAndJoinsContinuations) {
  TDescriptionReader reader("  A := 1 ; note\n\n; whole line\nB := 'x;y' + _\n  'z'\nC := F(1;2)\n");
  for (const auto& [line, index] : {std::tuple("A := 1", 1), {"B := 'x;y' + 'z'", 5}, {"C := F(1;2)", 6}, {"", 6}})
    EXPECT_EQ((std::tuple{reader.ReadLine(), reader.LineIndex()}), std::tuple(line, index));

  // Only a line's own " _" continues it; a long chain reads in one go.
  std::string chain;
  for (int i = 0; i < 200000; ++i) chain += "X _\n";
  TDescriptionReader tail("A _\n_\nB\n" + chain + "_");
  // Braces: the reads in their order.
  EXPECT_EQ((std::tuple{tail.ReadLine(), tail.ReadLine(), tail.ReadLine().size(), tail.LineIndex()}),
            std::tuple("A _", "B", 200000u * 2 + 1, 200004));
}

}  // namespace
}  // namespace vm::test
