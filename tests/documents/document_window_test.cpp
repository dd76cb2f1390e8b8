// OK, Cancel and closing of a document window without a window: CANCLOSE,
// the row and document checks, the exit question, automatic printing, the
// closing programs and the commit flag.
#include "documents/document_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

#include "documents/doc_rig.h"
#include "documents/document_recalc.h"
#include "documents/controls.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

struct WindowRig : DocRig {
  bool Build(std::string_view lines) {
    const int code = CompileForm(
        "VARS\nA, F = N\nENDSECTION\n"
        "CHECK\nCOMMONCHECK = COND:[A > 0], MESSAGE:['A мало: ' + "
        "TOSTR(A, 0)]\nENDSECTION\n"
        "FINAL\nF := F + 1\nENDSECTION\n" +
        std::string(lines));
    EXPECT_EQ(code, 0) << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    return code == 0;
  }
  long double Var(std::string_view name) {
    return Doc.Context.Symbols().FindVariable(name)->Value.Num;
  }
};

std::vector<std::string> Boxes(const ScriptedUi& ui) {
  std::vector<std::string> boxes;
  for (const BoxShown& b : ui.Boxes) boxes.push_back(Cp1251ToUtf8(b.Caption + "|" + b.Text));
  return boxes;
}

TEST(DocumentWindow, OkRunsOkPressThenTheChecksAndClosingRunsFinal) {
  WindowRig r;
  ASSERT_TRUE(r.Build("INIT\nA := 0\nENDSECTION\nOKPRESS\nA := A + 1\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  w.OkButClick(true);
  EXPECT_EQ(std::tuple(w.MayClose(), w.Confirmed(), r.Ui.Boxes.size()), std::tuple(true, true, 0u));
  w.Close();
  EXPECT_EQ(std::pair(r.Var("F"), w.CommitFlag()), std::pair(1.0L, true));
}

TEST(DocumentWindow, AFailedCheckKeepsTheWindowOpenWithItsMessage) {
  WindowRig r;
  ASSERT_TRUE(r.Build("INIT\nA := -2\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  w.OkButClick(true);
  EXPECT_FALSE(w.MayClose());
  // Cancel without REENTRY runs no FINAL and commits nothing.
  r.Ui.Answers.push_back(kIdYes);
  w.CanButClick(true);
  EXPECT_TRUE(w.MayClose());
  EXPECT_EQ(Boxes(r.Ui), (std::vector<std::string>{"Ошибка проверки|A мало: -2",
                                                   "Title|Все изменения в документе будут игнорированы. Продолжить?"}));
  w.Close();
  EXPECT_EQ(std::pair(r.Var("F"), w.CommitFlag()), std::pair(0.0L, false));
}

TEST(DocumentWindow, CanCloseZeroOrTinyStopsOkBeforeTheChecks) {
  for (const char* value : {"0", "0.000000001"}) {
    WindowRig r;
    ASSERT_TRUE(r.Build(std::string("OKPRESS\nCANCLOSE := ") + value + "\nENDSECTION\n"));
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    w.Show(true);
    w.OkButClick(true);
    EXPECT_FALSE(w.MayClose()) << value;
    EXPECT_TRUE(r.Ui.Boxes.empty()) << value;  // the failing check never ran
  }
}

// The exit question comes from the button, or from a program that asks
// for it; No is the default.
TEST(DocumentWindow, ExitQuestionFromTheButtonOrWhenAProgramAsks) {
  struct Case {
    bool fromButton, askExit;
    std::vector<int32_t> answers;
    bool asked, closes;
  };
  const Case cases[] = {
      {true, false, {}, true, false},
      {false, false, {}, false, true},
      {false, true, {kIdYes}, true, true},
      {false, true, {}, true, false},
  };
  for (const Case& c : cases) {
    WindowRig r;
    ASSERT_TRUE(r.Build("BLANK\nEXITCONFIRM = 'Провести?'\nENDSECTION\nINIT\nA := 1\nENDSECTION\n"));
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    w.Show(true);
    r.Ui.Answers.assign(c.answers.begin(), c.answers.end());
    w.OkButClick(c.fromButton, c.askExit);
    const std::string label = std::to_string(c.fromButton) + std::to_string(c.askExit);
    EXPECT_EQ(std::pair(w.MayClose(), w.Confirmed()), std::pair(c.closes, c.closes)) << label;
    EXPECT_EQ(Boxes(r.Ui), c.asked ? std::vector<std::string>{"Документ|Провести?"} : std::vector<std::string>{})
        << label;
    if (c.asked) {
      EXPECT_EQ(r.Ui.Boxes[0].Flags, 0x2124u) << label;
    }
  }
}

TEST(DocumentWindow, ASecondOkWhileTheCloseIsPendingDoesNothing) {
  WindowRig r;
  ASSERT_TRUE(r.Build("INIT\nA := 1\nENDSECTION\nOKPRESS\nF := F + 10\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  int saves = 0;
  w.SaveLayout = [&saves] { ++saves; };
  w.Show(true);
  w.OkButClick(true);
  w.OkButClick(false);
  EXPECT_EQ(std::pair(r.Var("F"), saves), std::pair(10.0L, 1));
  // A new showing takes presses again.
  w.Show(false);
  w.OkButClick(true);
  EXPECT_EQ(r.Var("F"), 20);
}

TEST(DocumentWindow, AutomaticPrintingFollowsOnlyAnOkFromTheButton) {
  struct Case {
    const char* name;
    uint32_t flags;
    bool fromButton, printedBefore, designer;
    std::vector<int32_t> answers;
    bool asked;
    int prints;
  };
  const Case cases[] = {
      {"ask, Yes", kAutoPrintAfterOk | kAutoPrintAsk, true, false, false, {kIdYes}, true, 1},
      {"ask, No", kAutoPrintAfterOk | kAutoPrintAsk, true, false, false, {kIdNo}, true, 0},
      {"at once", kAutoPrintAfterOk, true, false, false, {}, false, 1},
      {"from a program", kAutoPrintAfterOk, false, false, false, {}, false, 0},
      {"printed already", kAutoPrintAfterOk | kAutoPrintAsk, true, true, false, {}, false, 0},
      {"printed, again", kAutoPrintAfterOk | kAutoPrintAgain, true, true, false, {}, false, 1},
      {"designer test run", kAutoPrintAfterOk, true, false, true, {}, false, 0},
  };
  for (const Case& c : cases) {
    WindowRig r;
    ASSERT_TRUE(r.Build("INIT\nA := 1\nENDSECTION\n"));
    r.Doc.Options.AutoPrint = c.flags;
    r.Ui.DesignerTest = c.designer;
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    int prints = 0;
    w.Print = [&prints, &w] {
      ++prints;
      w.MarkPrinted();
    };
    w.Show(true);
    if (c.printedBefore) w.MarkPrinted();
    r.Ui.Answers.assign(c.answers.begin(), c.answers.end());
    w.OkButClick(c.fromButton);
    EXPECT_TRUE(w.MayClose()) << c.name;
    EXPECT_EQ(prints, c.prints) << c.name;
    EXPECT_EQ(Boxes(r.Ui), c.asked ? std::vector<std::string>{"Title|Распечатать документ 'Документ'?"}
                                   : std::vector<std::string>{})
        << c.name;
  }
}

TEST(DocumentWindow, CancelAsksUnlessTheRunEndsOrIsATestRun) {
  struct Case {
    const char* name;
    bool ask, designer, terminate;
    std::vector<int32_t> answers;
    bool asked, closes;
  };
  const Case cases[] = {
      {"No", true, false, false, {}, true, false},
      {"Yes", true, false, false, {kIdYes}, true, true},
      {"designer test run", true, true, false, {}, false, true},
      {"after TERMINATE", true, false, true, {}, false, true},
  };
  for (const Case& c : cases) {
    WindowRig r;
    ASSERT_TRUE(r.Build("INIT\nA := 1\nENDSECTION\n"));
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    int saves = 0;
    w.SaveLayout = [&saves] { ++saves; };
    w.Show(true);
    r.Ui.DesignerTest = c.designer;
    if (c.terminate) Interp().SetTerminateValue(1);
    r.Ui.Answers.assign(c.answers.begin(), c.answers.end());
    w.CanButClick(c.ask);
    Interp().SetTerminateValue(0);
    EXPECT_EQ(std::tuple(w.MayClose(), r.Ui.Boxes.size(), saves, w.Confirmed(), w.CommitFlag()),
              std::tuple(c.closes, c.asked ? 1u : 0u, c.closes ? 1 : 0, false, false))
        << c.name;
  }
}

// The closing programs after OK and after Cancel, in and out of REENTRY;
// an error in LASTTABLEPROG stops them and keeps the rows.
TEST(DocumentWindow, ClosingProgramsRunInOrderAfterOkAndFinalAfterCancelOnlyOnReentry) {
  struct Case {
    const char* name;
    bool reentry, ok;
    int errorRow;
    const char* runs;
    int32_t rowsLeft;
    bool commit;
  };
  const Case cases[] = {
      {"OK", false, true, 0, "PL1L2F", 2, true},
      {"OK, REENTRY", true, true, 0, "PL1L2F", 0, true},
      {"Cancel", false, false, 0, "", 2, false},
      {"Cancel, REENTRY", true, false, 0, "F", 0, false},
      {"OK, error in row 1", true, true, 1, "PL1", 2, false},
  };
  for (const Case& c : cases) {
    DocRig r;
    ASSERT_EQ(r.CompileForm(std::string("VARS\nS = C\nN, E = N\nENDSECTION\n"
                                        "FORMS\nT = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1]\nENDSECTION\n"
                                        "INIT\nS := ''\n") +
                            (c.reentry ? "REENTRY\n" : "") +
                            "ENDSECTION\n"
                            "PRELASTPROG = T\nS := S + 'P'\nENDPRELAST\n"
                            "LASTTABLEPROG = T\nS := S + 'L' + TOSTR(TCURRENTROW, 0)\n"
                            "IF TCURRENTROW = E\nTHEN\nN := 1 / N\nENDIF\nENDLAST\n"
                            "FINAL\nS := S + 'F'\nENDSECTION\n"),
              0)
        << r.Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    auto& symbols = r.Doc.Context.Symbols();
    symbols.FindVariable("E")->Value.Num = c.errorRow;
    TDataView& view = r.Doc.Forms.GetItem(0)->View();
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    w.Show(true);
    view.AppendRow();
    view.AppendRow();
    r.Ui.Answers.push_back(kIdYes);
    if (c.ok)
      w.OkButClick(true);
    else
      w.CanButClick(true);
    ASSERT_TRUE(w.MayClose()) << c.name;
    w.Close();
    EXPECT_EQ(std::tuple(symbols.FindVariable("S")->Value.Str, view.RowCount(), w.CommitFlag(), r.Ui.BusyRunning(),
                         r.Ui.DocWindowsEnabled()),
              std::tuple(c.runs, c.rowsLeft, c.commit, false, true))
        << c.name;
  }
}

// A table T of a key, a number, a fixed text and two more numbers, with a
// hidden number; rows A 1, C 2, B 5. The base G has A and B with QTY 3,
// and so has the look-up page H1 over it; C is in neither.
struct RowCheckRig : DocRig {
  bool Build(std::string_view checks) {
    Blanks.Add("CHKB")->SetText(
        "COLCOUNT=5,1\nLEVELCOUNT=1\nFORMAT[1]=C,0,0\nFORMAT[2]=N,0,0\nFORMAT[3]=E,'-',0\n"
        "FORMAT[4..6]=N,0,0\nCOLWIDTH[1..5]=100\n");
    const int code = CompileForm(
        "VARS\nS = C\nENDSECTION\n"
        "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
        "HELPS\nH1 = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME, QTY, SOLD], TITLE:'t'\nENDSECTION\n"
        "FORMS\nT = FORM:CHKB, X1:0, Y1:0, Y2:100, KEYCOL:[1], HELP:[NAME:H1, 1:NAME], HINT:['h']\nENDSECTION\n"
        "CHECK\n" +
        std::string(checks) + "\nENDSECTION\n");
    EXPECT_EQ(code, 0) << Message;
    if (code != 0) return false;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    TStringBase& base = Doc.Bases.FindByAlias("G")->Table;
    THelpItem& page = *Doc.HelpPages.FindByName("H1");
    for (const char* name : {"A", "B"}) {
      base.Append();
      base.SetFieldText(base.FieldIndex("NAME"), name);
      base.SetFieldText(base.FieldIndex("QTY"), "3");
      const int32_t row = page.Hidden.AppendRow();
      page.Hidden.SetCellText(0, row, name);
      page.Hidden.SetCellText(1, row, "3");
    }
    for (const auto& [key, qty] : {std::pair{"A", "1"}, {"C", "2"}, {"B", "5"}}) {
      const int32_t row = View().AppendRow();
      View().SetCellText(0, row, key);
      View().SetCellText(1, row, qty);
    }
    View().SetUpdating(false);
    return true;
  }
  TFormPar& Table() { return *Doc.Forms.FindFormPar("T"); }
  TDataView& View() { return Table().View(); }
};

const std::string kOnBase =
    "T = COND:[CURCELL(T, 2) <= G.QTY], EDIT:[2, 3, 5], MESSAGE:['Мало ' + CURCELL(T, 1)], ONBASE:G";
const std::string kOnPage =
    "T = COND:[CURCELL(T, 2) <= HELPHIDCURCELL(H1, 2)], EDIT:[2, 3, 5], MESSAGE:['Мало ' + CURCELL(T, "
    "1)]";

TEST(DocumentWindow, RowChecksFindThePartnerAndPutTheUserIntoTheFailingRow) {
  struct Case {
    const char* name;
    std::string checks;
    std::vector<int32_t> answers;
    std::vector<std::string> boxes;
    bool passes;
    std::vector<std::string> keysLeft;
    int32_t row, col;  // current afterwards
    bool editing;
    int32_t pageRow;  // current in the page's full view; -1 for none
  };
  const std::vector<std::string> all{"A", "C", "B"};
  const Case cases[] = {
      {"base partner", kOnBase, {}, {"Ошибка проверки|Мало B"}, false, all, 2, 4, true, -1},
      {"page partner", kOnPage, {}, {"Ошибка проверки|Мало B"}, false, all, 2, 4, true, 1},
      {"no partner: NOFIND", kOnBase + ", NOFIND:[CURCELL(T, 2) < 2, 'Нет ' + CURCELL(T, 1)]",
       {}, {"Ошибка проверки|Нет C"}, false, all, 1, 4, true, -1},
      {"DELETE", kOnBase + ", DELETE:1", {}, {"Ошибка проверки|Мало B"}, false, {"A", "C"}, 1, 2, false, -1},
      {"question, No", kOnBase + ", WARN:1", {}, {"Внимание !|Мало B"}, false, all, 2, 4, true, -1},
      {"question, Yes", kOnBase + ", WARN:1", {kIdYes}, {"Внимание !|Мало B"}, true, all, 0, 2, false, -1},
      {"question, Yes, then the next check",
       kOnBase + ", WARN:1\nT = COND:[CURCELL(T, 2) # 5], EDIT:[2], MESSAGE:['Пять'], ONBASE:G",
       {kIdYes}, {"Внимание !|Мало B", "Ошибка проверки|Пять"}, false, all, 2, 1, true, -1},
      {"condition not a number", "T = COND:[CURCELL(T, 1)], EDIT:[2], MESSAGE:['m'], ONBASE:G", {},
       {"Ошибка проверки|Неверный тип условия проверки ", "Ошибка проверки|Неверный тип условия проверки "},
       true, all, 0, 2, false, -1},
      {"message not evaluated", "T = COND:[0], EDIT:[2], MESSAGE:[CURCELL(T, 9)], ONBASE:G", {}, {}, true,
       all, 0, 2, false, -1},
  };
  for (const Case& c : cases) {
    RowCheckRig r;
    ASSERT_TRUE(r.Build(c.checks)) << c.name;
    TDocumentWindowLogic w(r.Doc, "Документ"_w);
    int saves = 0;
    w.SaveLayout = [&saves] { ++saves; };
    TDataView& view = r.View();
    view.SetCol(2);
    view.SetRow(0);
    r.Table().CurrentRow->Value.Num = 1;
    r.Ui.Answers.assign(c.answers.begin(), c.answers.end());
    w.OkButClick(true);
    std::vector<std::string> keys;
    for (int32_t row = 0; row < view.RowCount(); ++row) keys.push_back(view.GetCellText(0, row));
    EXPECT_EQ(std::tuple(w.MayClose(), saves, Boxes(r.Ui), keys, view.CurRow(), view.CurCol(), view.Editing(),
                         view.Updating()),
              std::tuple(c.passes, c.passes ? 1 : 0, c.boxes, c.keysLeft, c.row, c.col, c.editing, false))
        << c.name;
    if (c.passes) {
      EXPECT_EQ(r.Table().CurrentRow->Value.Num, 1) << c.name;
    }
    if (c.pageRow >= 0) {
      EXPECT_EQ(r.Doc.HelpPages.FindByName("H1")->Hidden.CurRow(), c.pageRow) << c.name;
    }
  }
}

// The user is put into the first checked column after the current one,
// round to it, passing over columns of kind 'E'.
TEST(DocumentWindow, AFailedRowCheckEditsTheNextCheckedColumnThatIsNoFixedText) {
  const std::pair<int32_t, int32_t> moves[] = {{0, 1}, {1, 4}, {2, 4}, {3, 4}, {4, 1}};
  for (const auto& [from, to] : moves) {
    RowCheckRig r;
    ASSERT_TRUE(r.Build(kOnBase));
    TDataView& view = r.View();
    view.SetCol(from);
    // One row alone: row entry checks the row it completes.
    EXPECT_TRUE(CheckTableRows(r.Doc, r.Table(), 0)) << from;
    EXPECT_TRUE(r.Ui.Boxes.empty()) << from;
    EXPECT_FALSE(CheckTableRows(r.Doc, r.Table())) << from;
    EXPECT_EQ(std::pair(view.CurCol(), view.Editing()), std::pair(to, true)) << from;
  }
}

TEST(DocumentRecalc, PrintRangesFollowTheRowsAndWorkRunsEachTime) {
  DocRig r;
  ASSERT_EQ(r.CompileForm("VARS\nK, I, J = N\nENDSECTION\n"
                          "FORMS\nT = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1]\nENDSECTION\n"
                          "INIT\nWHILE I, 1, I + 1, I <= 5\nJ := "
                          "ADDROW(T)\nENDWHILE\nENDSECTION\n"
                          "WORK\nK := K + 1\nENDSECTION\n"),
            0)
      << r.Message;
  auto var = [&](std::string_view name) {
    return r.Doc.Context.Symbols().FindVariable(name)->Value.Num;
  };
  Interp().BeginDocumentRun();
  auto vars = [&] { return std::tuple(var("TPRINTSTARTROW"), var("TPRINTENDROW"), var("K")); };
  RecalcDocument(r.Doc);
  EXPECT_EQ(vars(), std::tuple(-1.0L, -1.0L, 1.0L));
  Interp().ExecProgram(r.Doc.Programs.Init);
  RecalcDocument(r.Doc);
  EXPECT_EQ(vars(), std::tuple(1.0L, 5.0L, 2.0L));
  // Printing keeps the ranges it set.
  r.Doc.Forms.GetItem(0)->PrintEndRow->Value.Num = 3;
  RecalcDocument(r.Doc, true);
  EXPECT_EQ(var("TPRINTENDROW"), 3);
}

// Scanner lines come on the port's thread. Those that arrive during a run
// wait for it to end; then each goes through SCANER once, in order, and the
// document is recalculated after every one.
TEST(DocumentWindow, ScannerLinesArrivingDuringARunAreHandledOnceInOrder) {
  DocRig r;
  ASSERT_EQ(r.CompileForm("VARS\nS = C\nN, R, I = N\nENDSECTION\n"
                          "SCANER\nS := S + SCANSTRING + ';'\nN := N + 1\nENDSECTION\n"
                          "WORK\nR := N\nENDSECTION\n"
                          "INIT\nWHILE I, 0, I + 1, I < 300\nENDWHILE\nENDSECTION\n"),
            0)
      << r.Message;
  Interp().BeginDocumentRun();
  Interp().ResetErrors();
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  std::atomic<int> wakes = 0;
  w.SetScanWake([&wakes] { ++wakes; });
  auto push = [&w](int from, int to) {
    for (int i = from; i <= to; ++i) w.PushScanLine(std::to_string(i));
  };
  std::string expected;
  for (int i = 1; i <= 500; ++i) expected += std::to_string(i) + ";";
  int32_t duringRun = -1;
  r.Ui.OnPump = [&](int pump) {
    if (pump != 1) return;
    std::thread port(push, 1, 20);
    port.join();
    duringRun = w.DrainScanLines();
  };
  w.Show(true);
  EXPECT_EQ(duringRun, 0);
  EXPECT_TRUE(w.ScanLinesWaiting());
  auto& symbols = r.Doc.Context.Symbols();
  EXPECT_EQ(symbols.FindVariable("N")->Value.Num, 0);
  EXPECT_EQ(w.DrainScanLines(), 20);
  EXPECT_EQ(symbols.FindVariable("R")->Value.Num, 20);
  // The port keeps sending while the window's thread drains.
  std::thread port(push, 21, 500);
  int32_t handled = 20;
  while (handled < 500) handled += w.DrainScanLines();
  port.join();
  EXPECT_EQ(handled, 500);
  EXPECT_EQ(w.DrainScanLines(), 0);
  EXPECT_EQ(std::tuple(symbols.FindVariable("S")->Value.Str, symbols.FindVariable("R")->Value.Num, wakes.load()),
            std::tuple(expected, 500.0L, 500));
}

// A line waits while the window asks a question and once OK let the window
// close; before SCANER a field typed in and not left is left, its text
// taken as the field takes it when the user leaves it.
TEST(DocumentWindow, ScannerLinesWaitForADialogAndAnAcceptedCloseAndFollowATypedField) {
  DocRig r;
  ASSERT_EQ(r.CompileForm("VARS\nS = C\nA, L = N\nENDSECTION\n"
                          "VIEWS\n[A]:10:2 = X:0, Y:0, E:1\nENDSECTION\n"
                          "SCANER\nS := S + SCANSTRING + ';'\nL := A\nENDSECTION\n"),
            0)
      << r.Message;
  Interp().BeginDocumentRun();
  Interp().ResetErrors();
  THeadlessControls controls;
  r.Doc.Views.CreateControls(controls, r.Doc.Events);
  auto& field = static_cast<THeadlessCell&>(*r.Doc.Views.GetItem(0)->Control());
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  auto& symbols = r.Doc.Context.Symbols();

  bool dialog = true;
  w.DialogOpen = [&dialog] { return dialog; };
  w.PushScanLine("1");
  EXPECT_EQ(w.DrainScanLines(), 0);
  dialog = false;
  field.Type("3,456");
  EXPECT_EQ(w.DrainScanLines(), 1);
  EXPECT_EQ(std::tuple(symbols.FindVariable("S")->Value.Str, symbols.FindVariable("L")->Value.Num, field.Text()),
            std::tuple("1;", 3.46L, "3.46"));

  w.OkButClick(true);
  ASSERT_TRUE(w.MayClose());
  w.PushScanLine("2");
  EXPECT_EQ(w.DrainScanLines(), 0);
  EXPECT_EQ(symbols.FindVariable("S")->Value.Str, "1;");
}

}  // namespace
}  // namespace vm::test
