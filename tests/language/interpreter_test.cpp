#include "language/interpreter.h"

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

std::string Utf8(const std::string& s) { return Cp1251ToUtf8(s); }

TEST(Programs, LoopsSumAndNest) {
  ProgramRig rig;
  rig.Var("I", Num(0));
  rig.Var("J", Num(0));
  rig.Var("S", Num(0));
  rig.Var("P", Num(0));
  ASSERT_TRUE(rig.Run(R"(
    WHILE I, 1, I+1, I<=10
      S := S + I
    ENDWHILE
    WHILE I, 1, I+1, I<=3
      WHILE J, 1, J+1, J<=4
        P := P + 1
      ENDWHILE
    ENDWHILE
ENDSECTION)"));
  EXPECT_EQ(rig.Num("S"), 55);
  EXPECT_EQ(rig.Num("P"), 12);
  EXPECT_EQ(rig.Num("I"), 4);
}

TEST(Programs, WhileItemsSplitOnlyAtTopLevelCommas) {
  ProgramRig rig;
  rig.Var("I", Num(0));
  rig.Var("S", Num(0));
  rig.Var("T", Str(""));
  ASSERT_TRUE(rig.Run(R"(
    WHILE I, MAX(1,0), I+MIN(1,5), I<=MAX(3,2)
      S := S + I
    ENDWHILE
    WHILE T, 'a,b', T+',', LEN(T)<5
    ENDWHILE
ENDSECTION)")) << Utf8(rig.Message);
  EXPECT_EQ(rig.Num("S"), 6);
  EXPECT_EQ(rig.Value("T").Str, "a,b,,");
}

TEST(Programs, GotoJumpsBothWaysAcrossBranches) {
  ProgramRig rig;
  rig.Var("I", Num(0));
  rig.Var("SKIPPED", Num(0));
  ASSERT_TRUE(rig.Run(R"(
    LABEL TOP
    I := I + 1
    IF I < 5
    THEN
      GOTO TOP
    ENDIF
    GOTO DONE
    SKIPPED := 1
    LABEL DONE
ENDSECTION)"));
  EXPECT_EQ(rig.Num("I"), 5);
  EXPECT_EQ(rig.Num("SKIPPED"), 0);
}

TEST(Programs, NestedIfsTakeTheirBranches) {
  ProgramRig rig;
  rig.Var("X", Num(0));
  rig.Var("R", Str(""));
  const char* program = R"(
    IF X > 0
    THEN
      IF X > 10
      THEN
        R := 'big'
      ELSE
        R := 'small'
      ENDIF
    ELSE
      IF X = 0
      THEN
        R := 'zero'
      ENDIF
      R := R + '!'
    ENDIF
ENDSECTION)";
  ASSERT_EQ(rig.Compile(program), 0) << Utf8(rig.Message);
  for (auto [x, expected] : {std::pair{50, "big"}, {5, "small"}, {0, "zero!"}, {-3, "!"}}) {
    rig.Var("X", Num(x));
    rig.Var("R", Str(""));
    Interp().ExecProgram(rig.Main);
    EXPECT_EQ(rig.Value("R").Str, expected) << x;
  }
}

TEST(Programs, SubroutinesCallEachOtherAndReturn) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Var("TRACE", Str(""));
  ASSERT_TRUE(rig.Run(R"(
    TRACE := TRACE + 'm'
    CALL OUTER
    TRACE := TRACE + 'M'
    CALL INNER
ENDSECTION
SUBROUTINE = OUTER
    TRACE := TRACE + 'o'
    CALL INNER
    TRACE := TRACE + 'O'
ENDSUB
SUBROUTINE = INNER
    A := A + 1
    TRACE := TRACE + 'i'
ENDSUB)")) << Utf8(rig.Message);
  EXPECT_EQ(rig.Value("TRACE").Str, "moiOMi");
  EXPECT_EQ(rig.Num("A"), 2);
  EXPECT_EQ(Interp().CallDepth(), 0u);
}

TEST(Programs, AssignmentsReachFieldsAutoParametersQuestionsAndLoadings) {
  ProgramRig rig;
  RigBase base;
  base.Fields = {{"QTY", Num(1)}, {"NAME", Str("a")}};
  RigAutoParam param(Str("old"));
  RigQuestion question, baseQuestion;
  RigLoading loading;
  rig.Context.Bases["GOODS"] = &base;
  rig.Context.AutoParams["NOTE"] = &param;
  rig.Context.Questions["Q1"] = &question;
  rig.Context.BaseQuestions["BQ"] = &baseQuestion;
  rig.Context.Loadings["L1"] = &loading;
  ASSERT_TRUE(rig.Run(R"(
    GOODS.QTY := GOODS.QTY + 4
    GOODS.NAME := 'b'
    %NOTE% := %NOTE% + '!'
    EXECQUESTION Q1
    EXECQUESTION BQ
    EXECLOAD L1
ENDSECTION)")) << Utf8(rig.Message);
  EXPECT_EQ(base.Fields[0].second.Num, 5);
  EXPECT_EQ(base.Fields[1].second.Str, "b");
  EXPECT_EQ(param.Value.Str, "old!");
  EXPECT_EQ(question.Runs, 1);
  EXPECT_EQ(baseQuestion.Runs, 1);
}

TEST(Programs, ReentryIsRecordedOnlyInInit) {
  ProgramRig rig;
  rig.IsInit = true;
  rig.Var("A", Num(0));
  ASSERT_EQ(rig.Compile("A := 1\nREENTRY\nA := A + 10\nENDSECTION"), 0);
  ASSERT_NE(rig.Reentry, nullptr);
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(rig.Num("A"), 11);
  Interp().ExecProgram(rig.Reentry);
  EXPECT_EQ(rig.Num("A"), 21);

  ProgramRig work;
  EXPECT_EQ(work.Compile("REENTRY\nENDSECTION"), 2);
}

TEST(Programs, WindowsBreatheEveryHundredInstructionsAndAreRestored) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  std::string program;
  for (int i = 0; i < 250; ++i) program += "A := A + 1\n";
  program += "ENDSECTION";
  ASSERT_TRUE(rig.Run(program));
  EXPECT_EQ(rig.Num("A"), 250);
  EXPECT_EQ(rig.Ui.Pumps, 2);
  EXPECT_TRUE(rig.Ui.DocWindowsEnabled());
  EXPECT_FALSE(rig.Ui.BusyRunning());
}

TEST(Programs, BreakRequestAsksAndNoContinues) {
  ProgramRig rig;
  rig.Var("I", Num(0));
  rig.Ui.OnPump = [](int pump) {
    if (pump == 1) Interp().RequestBreak();
  };
  rig.Ui.Answers = {kIdNo};
  ASSERT_TRUE(rig.Run("WHILE I, 1, I+1, I<=100\nENDWHILE\nENDSECTION"));
  EXPECT_EQ(rig.Num("I"), 101);
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(Utf8(rig.Ui.Boxes[0].Text), " Прервать расчет ?");
  EXPECT_EQ(rig.Ui.Boxes[0].Caption, "Title");
  EXPECT_EQ(rig.Ui.Boxes[0].Flags, kMbYesNoQuestion);
  EXPECT_FALSE(Interp().Aborted());
}

TEST(Programs, BreakAnsweredYesStopsWithoutAnErrorBox) {
  ProgramRig rig;
  rig.Var("I", Num(0));
  rig.Ui.OnPump = [](int) { Interp().RequestBreak(); };
  rig.Ui.Answers = {kIdYes};
  rig.Run("WHILE I, 1, I+1, I<=1000\nENDWHILE\nENDSECTION");
  EXPECT_LT(rig.Num("I"), 100);
  EXPECT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_TRUE(rig.Ui.Log.empty());
  EXPECT_TRUE(Interp().Aborted());
  EXPECT_EQ(Interp().ErrorCode(), 0);
}

TEST(Programs, TerminateStopsTheRunAndClosesTheWindow) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Run("TERMINATE(3)\nA := 1\nENDSECTION");
  EXPECT_EQ(rig.Num("A"), 0);
  EXPECT_EQ(Interp().TerminateValue(), 3);
  EXPECT_EQ(rig.Ui.Closes, 1);
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(rig.Num("A"), 0);
}

struct RunCase {
  const char* Program;
  int Code;
  int Line;
  const char* Text;  // UTF-8, after the line prefix
  const char* SourceLine;
};

class RunErrors : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunErrors, AreShownAndLoggedInFourLines) {
  const RunCase& c = GetParam();
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Var("I", Num(0));
  rig.Var("ID", Num(0));
  RigLoading loading;
  loading.Outcome.Code = 22;
  rig.Context.Loadings["BADCELL"] = &loading;
  EXPECT_FALSE(rig.Run(c.Program)) << Utf8(rig.Message);
  EXPECT_EQ(Interp().ErrorCode(), c.Code);
  const std::string message =
      " Ошибка во время выполнения программы в строке " + std::to_string(c.Line) + ":\r" + c.Text;
  ASSERT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(Utf8(rig.Ui.Boxes[0].Text), message);
  EXPECT_EQ(rig.Ui.Boxes[0].Caption, "Title");
  EXPECT_EQ(rig.Ui.Boxes[0].Flags, kMbError);
  EXPECT_FALSE(rig.Ui.BusyDuringBox);
  std::string logged = message;
  logged[logged.find('\r')] = ' ';
  ASSERT_EQ(rig.Ui.Log.size(), 4u);
  EXPECT_EQ(rig.Ui.Log[0], "= = = = = = = = = = = = = = = = = = = = = = = = = = = ");
  EXPECT_EQ(Utf8(rig.Ui.Log[1]), "Ошибка при выполнении документа 'TEST'");
  EXPECT_EQ(Utf8(rig.Ui.Log[2]), logged);
  EXPECT_EQ(rig.Ui.Log[3], c.SourceLine);
  EXPECT_TRUE(Interp().Aborted());
  EXPECT_EQ(Interp().ErrorLine(), c.Line);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, RunErrors,
    ::testing::Values(
        RunCase{"A := 1\nA := 1/0\nA := 2\nENDSECTION", -1, 2, " Деление на 0 ", "A := 1/0"},
        RunCase{"IF 1/0 > 1\nTHEN\nENDIF\nENDSECTION", -1, 1, " Деление на 0 ", "IF 1/0 > 1"},
        RunCase{"ID := ADDARRAY(1)\nSETARRAYDATA(ID, 'x', 1)\n  A := GETARRAYDATA(ID, 1)\nENDSECTION",
                1, 3, " Разные типы приемника и выражения ", "  A := GETARRAYDATA(ID, 1)"},
        RunCase{"ID := ADDARRAY(1)\nSETARRAYDATA(ID, 'x', 1)\nWHILE I, 1, I+1, GETARRAYDATA(ID, 1)\n"
                "ENDWHILE\nENDSECTION",
                5, 3, " Незнакомая ошибка ", "WHILE I, 1, I+1, GETARRAYDATA(ID, 1)"},
        RunCase{"A := 1\nEXECLOAD BADCELL\nENDSECTION", 22, 2,
                " Несоответствие типов операнда и ячейки таблицы при заполнении таблицы",
                "EXECLOAD BADCELL"},
        RunCase{"CALL DEEP\nENDSECTION\nSUBROUTINE = DEEP\n A := A + 1\n CALL DEEP\nENDSUB", 3, 5,
                " Стек переполнен при вызове подпрограммы ", " CALL DEEP"}),
    [](const ::testing::TestParamInfo<RunCase>& info) {
      const int code = info.param.Code;
      return (code < 0 ? "Minus" + std::to_string(-code) : "Code" + std::to_string(code)) + "_" +
             std::to_string(info.index);
    });

TEST(Programs, StackLimitIsReachedAtItsDepth) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Run("CALL DEEP\nENDSECTION\nSUBROUTINE = DEEP\nA := A + 1\nCALL DEEP\nENDSUB");
  EXPECT_EQ(Interp().ErrorCode(), kRunErrStackFull);
  EXPECT_EQ(rig.Num("A"), static_cast<long double>(kMaxCallDepth));

  // The returns the failed run left behind do not use up the next run's stack.
  rig.Var("A", Num(0));
  EXPECT_TRUE(rig.Run("CALL ONCE\nENDSECTION\nSUBROUTINE = ONCE\nA := 1\nENDSUB"));
  EXPECT_EQ(rig.Num("A"), 1);
}

TEST(Programs, ReturnWithAnEmptyStackAndAnUnknownOpcodeAreRunErrors) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  ASSERT_EQ(rig.Compile("ENDSECTION\nSUBROUTINE = SUB\nA := 1\nENDSUB"), 0);
  Interp().ExecProgram(rig.Subroutines["SUB"]);
  EXPECT_EQ(Interp().ErrorCode(), kRunErrStackEmpty);
  EXPECT_EQ(Utf8(rig.Ui.Boxes.back().Text),
            " Ошибка во время выполнения программы в строке 4:\r Стек исчерпан при возврате из подпрограммы ");

  TInstruction odd;
  odd.Opcode = 99;
  odd.Line = 7;
  Interp().ExecProgram(&odd);
  EXPECT_EQ(Interp().ErrorCode(), kRunErrBadOpcode);
  EXPECT_EQ(Utf8(rig.Ui.Boxes.back().Text),
            " Ошибка во время выполнения программы в строке 7:\r"
            " Неизвестная ошибка, обратитесь к разработчику программы ");
  ASSERT_EQ(rig.Ui.Log.size(), 8u);
  EXPECT_EQ(rig.Ui.Log[3], "ENDSUB");
  EXPECT_EQ(rig.Ui.Log[7], "");
}

TEST(Programs, ErrorOfANestedRunIsShownAndLoggedOnce) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Var("ROWS", Num(0));
  RigLoading loading;
  loading.Rows = 3;
  rig.Context.Loadings["L1"] = &loading;
  ASSERT_EQ(rig.Compile("EXECLOAD L1\nA := 5\nENDSECTION\nSUBROUTINE = ROW\nROWS := ROWS + 1\n"
                        "A := 1/0\nENDSUB"),
            0);
  loading.RowProgram = rig.Subroutines["ROW"];
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(rig.Num("ROWS"), 1);
  EXPECT_EQ(rig.Num("A"), 0);
  EXPECT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_EQ(rig.Ui.Log.size(), 4u);
  EXPECT_EQ(rig.Ui.Log[3], "A := 1/0");
  EXPECT_EQ(Interp().ErrorLine(), 6);
}

TEST(Programs, SubroutineRunToItsReturnSurvivesItsOwnCalls) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  ASSERT_EQ(rig.Compile("ENDSECTION\nSUBROUTINE = OUTER\nA := A + 1\nCALL INNER\nA := A + 100\n"
                        "ENDSUB\nSUBROUTINE = INNER\nA := A + 10\nENDSUB"),
            0);
  EXPECT_TRUE(Interp().ExecNestedProgram(rig.Subroutines["OUTER"], kOpReturn));
  EXPECT_EQ(rig.Num("A"), 111);
  EXPECT_EQ(Interp().CallDepth(), 0u);
  EXPECT_TRUE(rig.Ui.Boxes.empty());
}

TEST(Programs, AFailingLoopTestShowsItsOwnErrorNotAnEarlierOne) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  rig.Var("I", Num(0));
  rig.Run("A := 1/0\nENDSECTION");
  rig.Run("WHILE I, 1, I+1, GETARRAYDATA(99, 1)\nENDWHILE\nENDSECTION");
  ASSERT_EQ(rig.Ui.Boxes.size(), 2u);
  EXPECT_EQ(Utf8(rig.Ui.Boxes[1].Text),
            " Ошибка во время выполнения программы в строке 1:\r Неверный идентификатор массива ");
}

TEST(Programs, DesignerTestRunShowsButDoesNotLog) {
  ProgramRig rig;
  rig.Var("A", Num(0));
  DesignerTestRun() = true;
  rig.Run("A := 1/0\nENDSECTION");
  DesignerTestRun() = false;
  EXPECT_EQ(rig.Ui.Boxes.size(), 1u);
  EXPECT_TRUE(rig.Ui.Log.empty());
}

}  // namespace
}  // namespace vm::test
