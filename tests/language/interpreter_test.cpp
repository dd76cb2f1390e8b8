#include "language/interpreter.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/encoding.h"
#include "language/program_rig.h"

namespace vm::test {
namespace {

std::string Utf8(const std::string& s) { return Cp1251ToUtf8(s); }

std::string RunErrorBox(int line, const std::string& text) {
  return " Ошибка во время выполнения программы в строке " + std::to_string(line) + ":\r" + text;
}

// The error log's lines as UTF-8, one per line.
std::string LogText(const ProgramRig& rig) {
  std::string out;
  for (const std::string& line : rig.Ui.Log) out += (out.empty() ? "" : "\n") + Utf8(line);
  return out;
}

// The one message box shown: its text (UTF-8), caption and flags.
std::tuple<std::size_t, std::string, std::string, uint32_t> OnlyBox(const ProgramRig& rig) {
  if (rig.Ui.Boxes.size() != 1) return {rig.Ui.Boxes.size(), "", "", 0};
  return {1, rig.Box(0), rig.Ui.Boxes[0].Caption, rig.Ui.Boxes[0].Flags};
}

TEST(Programs, LoopsNestAndSplitTheirItemsOnlyAtTopLevelCommas) {
  ProgramRig rig;
  rig.Zeros({"I", "J", "S", "P", "Q"});
  rig.Var("T", Str(""));
  ASSERT_TRUE(rig.Run("WHILE I, 1, I+1, I<=10\nS := S + I\nENDWHILE\n"
                      "WHILE I, 1, I+1, I<=3\nWHILE J, 1, J+1, J<=4\nP := P + 1\nENDWHILE\nENDWHILE\n"
                      "WHILE J, MAX(1,0), J+MIN(1,5), J<=MAX(3,2)\nQ := Q + J\nENDWHILE\n"
                      "WHILE T, 'a,b', T+',', LEN(T)<5\nENDWHILE\nENDSECTION"))
      << Utf8(rig.Message);
  EXPECT_EQ(rig.Nums("SPIQ"), (std::vector<long double>{55, 12, 4, 6}));
  EXPECT_EQ(rig.Value("T").Str, "a,b,,");
}

TEST(Programs, AssignmentsStoreInPlace) {
  ProgramRig rig;
  rig.Zeros({"I"});
  TVariable* text = rig.Var("T", Str(std::string(40, 'x')));
  const char* buffer = text->Value.Str.data();
  // A text shorter than the buffer lands in it; the variable's own value
  // may be read on the right.
  ASSERT_TRUE(rig.Run("WHILE I, 1, I+1, I<=3\nT := COPYSTR(T, 1, 5) + 'ab'\nENDWHILE\nENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Value("T").Str, text->Value.Str.data()), std::tuple("xxxxxab", buffer));
}

TEST(Programs, GotoJumpsBothWaysAcrossBranches) {
  ProgramRig rig;
  rig.Zeros({"I", "SKIPPED"});
  ASSERT_TRUE(rig.Run("LABEL TOP\nI := I + 1\nIF I < 5\nTHEN\nGOTO TOP\nENDIF\n"
                      "GOTO DONE\nSKIPPED := 1\nLABEL DONE\nENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Num("I"), rig.Num("SKIPPED")), std::tuple(5.0L, 0.0L));
}

TEST(Programs, NestedIfsTakeTheirBranches) {
  ProgramRig rig;
  rig.Zeros({"X"});
  rig.Var("R", Str(""));
  ASSERT_EQ(rig.Compile("IF X > 0\nTHEN\n  IF X > 10\n  THEN\n  R := 'big'\n  ELSE\n  R := 'small'\n  ENDIF\n"
                        "ELSE\n  IF X = 0\n  THEN\n  R := 'zero'\n  ENDIF\n  R := R + '!'\nENDIF\nENDSECTION"),
            0)
      << Utf8(rig.Message);
  for (auto [x, expected] : {std::pair{50, "big"}, {5, "small"}, {0, "zero!"}, {-3, "!"}}) {
    rig.Var("X", Num(x));
    rig.Var("R", Str(""));
    Interp().ExecProgram(rig.Main);
    EXPECT_EQ(rig.Value("R").Str, expected) << x;
  }
}

TEST(Programs, SubroutinesCallEachOtherAndReturn) {
  ProgramRig rig;
  rig.Zeros({"A"});
  rig.Var("TRACE", Str(""));
  ASSERT_TRUE(rig.Run("TRACE := TRACE + 'm'\nCALL OUTER\nTRACE := TRACE + 'M'\nCALL INNER\nENDSECTION\n"
                      "SUBROUTINE = OUTER\nTRACE := TRACE + 'o'\nCALL INNER\nTRACE := TRACE + 'O'\nENDSUB\n"
                      "SUBROUTINE = INNER\nA := A + 1\nTRACE := TRACE + 'i'\nENDSUB"))
      << Utf8(rig.Message);
  EXPECT_EQ(std::tuple(rig.Value("TRACE").Str, rig.Num("A"), Interp().CallDepth()), std::tuple("moiOMi", 2.0L, 0u));
  // A subroutine run on its own up to its return survives its own calls.
  EXPECT_TRUE(Interp().ExecNestedProgram(rig.Subroutines["OUTER"], kOpReturn));
  EXPECT_EQ(std::tuple(rig.Value("TRACE").Str, Interp().CallDepth(), rig.Ui.Boxes.size()),
            std::tuple("moiOMioiO", 0u, 0u));
}

TEST(Programs, AssignmentsReachFieldsAutoParametersQuestionsAndLoadings) {
  ProgramRig rig;
  RigDocument doc(rig.Context);
  ASSERT_TRUE(rig.Run("GOODS.QTY := GOODS.QTY + 4\nGOODS.NAME := 'b'\n%NOTE% := %NOTE% + '!'\n"
                      "EXECQUESTION Q1\nEXECQUESTION BQ\nEXECLOAD L1\nENDSECTION"))
      << Utf8(rig.Message);
  EXPECT_EQ(std::tuple(doc.Goods.Fields[0].second.Num, doc.Goods.Fields[1].second.Str, doc.Note.Value.Str,
                       doc.Question.Runs, doc.BaseQuestion.Runs),
            std::tuple(5.0L, "b", "old!", 1, 1));
}

TEST(Programs, ReentryRunsTheRestOfInit) {
  ProgramRig rig;
  rig.IsInit = true;
  rig.Zeros({"A"});
  ASSERT_EQ(rig.Compile("A := 1\nREENTRY\nA := A + 10\nENDSECTION"), 0);
  ASSERT_NE(rig.Reentry, nullptr);
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(rig.Num("A"), 11);
  Interp().ExecProgram(rig.Reentry);
  EXPECT_EQ(rig.Num("A"), 21);
}

TEST(Programs, WindowsBreatheEveryHundredInstructionsAndAreRestored) {
  ProgramRig rig;
  rig.Zeros({"A"});
  std::string program;
  for (int i = 0; i < 250; ++i) program += "A := A + 1\n";
  ASSERT_TRUE(rig.Run(program + "ENDSECTION"));
  EXPECT_EQ(rig.Num("A"), 250);
  EXPECT_EQ(rig.Ui.Pumps, 2);
  EXPECT_TRUE(rig.Ui.DocWindowsEnabled() && !rig.Ui.BusyRunning());
}

TEST(Programs, BreakRequestAsksAndNoContinuesYesStopsWithoutAnErrorBox) {
  ProgramRig rig;
  rig.Zeros({"I"});
  rig.Ui.OnPump = [](int pump) {
    if (pump == 1) Interp().RequestBreak();
  };
  rig.Ui.Answers = {kIdNo};
  ASSERT_TRUE(rig.Run("WHILE I, 1, I+1, I<=100\nENDWHILE\nENDSECTION"));
  EXPECT_EQ(rig.Num("I"), 101);
  EXPECT_EQ(OnlyBox(rig), std::tuple(1u, " Прервать расчет ?", "Title", kMbYesNoQuestion));
  EXPECT_FALSE(Interp().Aborted());

  ProgramRig yes;
  yes.Zeros({"I"});
  yes.Ui.OnPump = [](int) { Interp().RequestBreak(); };
  yes.Ui.Answers = {kIdYes};
  yes.Run("WHILE I, 1, I+1, I<=1000\nENDWHILE\nENDSECTION");
  EXPECT_LT(yes.Num("I"), 100);
  EXPECT_EQ(std::tuple(yes.Ui.Boxes.size(), yes.Ui.Log.size(), Interp().Aborted(), Interp().ErrorCode()),
            std::tuple(1u, 0u, true, 0));
}

TEST(Programs, TerminateStopsTheRunAndClosesTheWindow) {
  ProgramRig rig;
  rig.Zeros({"A"});
  rig.Run("TERMINATE(3)\nA := 1\nENDSECTION");
  EXPECT_EQ(std::tuple(rig.Num("A"), Interp().TerminateValue(), rig.Ui.Closes), std::tuple(0.0L, 3, 1));
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(std::tuple(rig.Num("A"), rig.Ui.Closes), std::tuple(0.0L, 2));
}

TEST(Programs, RunErrorsAreShownAndLoggedInFourLines) {
  struct RunCase {
    const char* Program;
    int Code;
    int Line;
    const char* Text;  // UTF-8, after the line prefix
    const char* SourceLine;
  };
  const RunCase cases[] = {
      {"A := 1\nA := 1/0\nA := 2\nENDSECTION", -1, 2, " Деление на 0 ", "A := 1/0"},
      {"IF 1/0 > 1\nTHEN\nENDIF\nENDSECTION", -1, 1, " Деление на 0 ", "IF 1/0 > 1"},
      {"A := 1\nIF CHARATPOS('abc', 0) = 'a'\nTHEN\nENDIF\nENDSECTION", -1, 2,
       " Неверная позиция символа в строке ", "IF CHARATPOS('abc', 0) = 'a'"},
      {"ID := ADDARRAY(1)\nSETARRAYDATA(ID, 'x', 1)\n  A := GETARRAYDATA(ID, 1)\nENDSECTION", 1, 3,
       " Разные типы приемника и выражения ", "  A := GETARRAYDATA(ID, 1)"},
      {"ID := ADDARRAY(1)\nSETARRAYDATA(ID, 'x', 1)\nWHILE I, 1, I+1, GETARRAYDATA(ID, 1)\nENDWHILE\nENDSECTION",
       5, 3, " Незнакомая ошибка ", "WHILE I, 1, I+1, GETARRAYDATA(ID, 1)"},
      {"A := 1\n EXECLOAD FAILING\nENDSECTION", -1, 2, "words", " EXECLOAD FAILING"},
      {"A := 1\nEXECLOAD BADCELL\nENDSECTION", 22, 2,
       " Несоответствие типов операнда и ячейки таблицы при заполнении таблицы", "EXECLOAD BADCELL"}};
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.Program);
    ProgramRig rig;
    rig.Zeros({"A", "I", "ID"});
    RigLoading loading, failing;
    loading.Outcome.Code = 22;
    rig.Context.Loadings["BADCELL"] = &loading;
    failing.Outcome.EvalError = -1;
    failing.Context = &rig.Context;
    failing.Words = "words";
    rig.Context.Loadings["FAILING"] = &failing;
    EXPECT_FALSE(rig.Run(c.Program)) << Utf8(rig.Message);
    EXPECT_EQ(std::tuple(Interp().ErrorCode(), Interp().ErrorLine(), Interp().Aborted()),
              std::tuple(c.Code, c.Line, true));
    const std::string message = RunErrorBox(c.Line, c.Text);
    EXPECT_EQ(OnlyBox(rig), std::tuple(1u, message, "Title", kMbError));
    EXPECT_FALSE(rig.Ui.BusyDuringBox);
    std::string logged = message;
    logged[logged.find('\r')] = ' ';
    EXPECT_EQ(LogText(rig), "= = = = = = = = = = = = = = = = = = = = = = = = = = = \nОшибка при выполнении документа 'TEST'\n" +
                                logged + "\n" + c.SourceLine);
  }
}

TEST(Programs, StackLimitIsReachedAtItsDepth) {
  ProgramRig rig;
  rig.Zeros({"A"});
  rig.Run("CALL DEEP\nENDSECTION\nSUBROUTINE = DEEP\nA := A + 1\n CALL DEEP\nENDSUB");
  EXPECT_EQ(std::tuple(Interp().ErrorCode(), Interp().ErrorLine(), rig.Num("A"), rig.Ui.Log.back()),
            std::tuple(kRunErrStackFull, 5, static_cast<long double>(kMaxCallDepth), " CALL DEEP"));
  EXPECT_EQ(rig.Box(0), RunErrorBox(5, " Стек переполнен при вызове подпрограммы "));
  // The returns the failed run left behind do not use up the next run's stack.
  rig.Zeros({"A"});
  EXPECT_TRUE(rig.Run("CALL ONCE\nENDSECTION\nSUBROUTINE = ONCE\nA := 1\nENDSUB"));
  EXPECT_EQ(rig.Num("A"), 1);
}

TEST(Programs, ReturnWithAnEmptyStackAndAnUnknownOpcodeAreRunErrors) {
  ProgramRig rig;
  rig.Zeros({"A"});
  ASSERT_EQ(rig.Compile("ENDSECTION\nSUBROUTINE = SUB\nA := 1\nENDSUB"), 0);
  Interp().ExecProgram(rig.Subroutines["SUB"]);
  EXPECT_EQ(Interp().ErrorCode(), kRunErrStackEmpty);
  EXPECT_EQ(rig.Box(0), RunErrorBox(4, " Стек исчерпан при возврате из подпрограммы "));
  TInstruction odd;
  odd.Opcode = 99;
  odd.Line = 7;
  Interp().ExecProgram(&odd);
  EXPECT_EQ(Interp().ErrorCode(), kRunErrBadOpcode);
  EXPECT_EQ(rig.Box(1), RunErrorBox(7, " Неизвестная ошибка, обратитесь к разработчику программы "));
  ASSERT_EQ(rig.Ui.Log.size(), 8u);
  EXPECT_EQ(rig.Ui.Log[3], "ENDSUB");
  EXPECT_EQ(rig.Ui.Log[7], "");
}

TEST(Programs, ANestedRunThatStopsStopsTheEnclosingOne) {
  for (const char* stop : {"A := 1/0", "TERMINATE(1)"}) {
    SCOPED_TRACE(stop);
    ProgramRig rig;
    rig.Zeros({"A", "ROWS"});
    RigLoading loading;
    loading.Rows = 3;
    rig.Context.Loadings["L1"] = &loading;
    ASSERT_EQ(rig.Compile("EXECLOAD L1\nA := 5\nENDSECTION\nSUBROUTINE = ROW\nROWS := ROWS + 1\n" +
                          std::string(stop) + "\nENDSUB"),
              0);
    loading.RowProgram = rig.Subroutines["ROW"];
    Interp().ExecProgram(rig.Main);
    EXPECT_EQ(rig.Num("ROWS"), 1);
    EXPECT_EQ(rig.Num("A"), 0);
    if (Interp().TerminateValue() != 0) {
      // The window is asked to close once, when the outer run ends.
      EXPECT_EQ(rig.Ui.Closes, 1);
      EXPECT_FALSE(Interp().ExecNestedProgram(rig.Main));
      continue;
    }
    // The error is shown and logged once, with the line where it happened.
    EXPECT_EQ(std::tuple(rig.Ui.Boxes.size(), rig.Ui.Log.size(), rig.Ui.Log.back(), Interp().ErrorLine()),
              std::tuple(1u, 4u, "A := 1/0", 6));
  }
}

TEST(Programs, ProgramsStartedWhileARunStopsDoNotRestartIt) {
  ProgramRig rig;
  rig.Zeros({"A", "B", "I"});
  RigQuestion question;
  rig.Context.Questions["Q1"] = &question;
  ASSERT_EQ(rig.Compile("EXECQUESTION Q1\nA := 5\nENDSECTION\nSUBROUTINE = BAD\nA := 1/0\nENDSUB\n"
                        "SUBROUTINE = FINE\nB := B + 1\nENDSUB\n"
                        "SUBROUTINE = LONG\nWHILE I, 1, I+1, I<=300\nENDWHILE\nENDSUB"),
            0);
  // Two changes in the dialog, each running its program: the first fails.
  question.OnRun = [&] {
    Interp().ExecProgram(rig.Subroutines["BAD"], kOpReturn);
    Interp().ExecProgram(rig.Subroutines["FINE"], kOpReturn);
  };
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(Interp().ErrorCode(), kRunErrText);
  EXPECT_EQ(rig.Nums("AB"), (std::vector<long double>{0, 0}));
  EXPECT_EQ(std::tuple(rig.Ui.Boxes.size(), rig.Ui.Log.size()), std::tuple(1u, 4u));

  // A break granted inside the dialog stops the program as well.
  Interp().BeginDocumentRun();
  rig.Ui.Answers = {kIdYes};
  rig.Ui.OnPump = [](int) { Interp().RequestBreak(); };
  question.OnRun = [&] {
    Interp().ExecProgram(rig.Subroutines["LONG"], kOpReturn);
    Interp().ExecProgram(rig.Subroutines["FINE"], kOpReturn);
  };
  Interp().ExecProgram(rig.Main);
  EXPECT_LT(rig.Num("I"), 300);
  EXPECT_EQ(rig.Nums("AB"), (std::vector<long double>{0, 0}));
  EXPECT_TRUE(Interp().Aborted());
}

TEST(Programs, RunsThatStartEachOtherWithoutEndStopAtTheirLimit) {
  ProgramRig rig;
  rig.Zeros({"A"});
  RigQuestion question;
  rig.Context.Questions["Q1"] = &question;
  ASSERT_EQ(rig.Compile("A := A + 1\nEXECQUESTION Q1\nENDSECTION"), 0);
  // The dialog's change event runs the same program again.
  question.OnRun = [&] { Interp().ExecProgram(rig.Main); };
  Interp().ExecProgram(rig.Main);
  EXPECT_EQ(std::tuple(rig.Num("A"), Interp().ErrorCode()), std::tuple(static_cast<long double>(kMaxRunNesting), kRunErrStackFull));
  EXPECT_EQ(OnlyBox(rig), std::tuple(1u, RunErrorBox(2, " Стек переполнен при вызове подпрограммы "), "Title", kMbError));
  EXPECT_TRUE(rig.Ui.DocWindowsEnabled() && !rig.Ui.BusyRunning());
}

TEST(Programs, AFailingLoopTestShowsItsOwnErrorNotAnEarlierOne) {
  ProgramRig rig;
  rig.Zeros({"A", "I"});
  rig.Run("A := 1/0\nENDSECTION");
  rig.Run("WHILE I, 1, I+1, GETARRAYDATA(99, 1)\nENDWHILE\nENDSECTION");
  ASSERT_EQ(rig.Ui.Boxes.size(), 2u);
  EXPECT_EQ(rig.Box(1), RunErrorBox(1, " Неверный идентификатор массива "));
}

TEST(Programs, DesignerTestRunShowsButDoesNotLog) {
  ProgramRig rig;
  rig.Zeros({"A"});
  DesignerTestRun() = true;
  rig.Run("A := 1/0\nENDSECTION");
  DesignerTestRun() = false;
  rig.Ui.DesignerTest = true;
  rig.Run("A := 1/0\nENDSECTION");
  EXPECT_EQ(rig.Ui.Boxes.size(), 2u);
  EXPECT_TRUE(rig.Ui.Log.empty());
}

}  // namespace
}  // namespace vm::test
