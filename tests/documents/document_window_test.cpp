// OK, Cancel and closing of a document window without a window: CANCLOSE,
// the document checks, the exit question, FINAL and the commit flag.
#include "documents/document_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "documents/doc_rig.h"
#include "documents/document_recalc.h"
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
  std::string LastBox() {
    return Ui.Boxes.empty() ? ""
                            : Cp1251ToUtf8(Ui.Boxes.back().Caption + "|" + Ui.Boxes.back().Text);
  }
};

TEST(DocumentWindow, OkRunsOkPressThenTheChecksAndClosingRunsFinal) {
  WindowRig r;
  ASSERT_TRUE(r.Build("INIT\nA := 0\nENDSECTION\nOKPRESS\nA := A + 1\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  w.OkButClick(true);
  EXPECT_TRUE(w.MayClose());
  EXPECT_TRUE(w.Confirmed());
  EXPECT_TRUE(r.Ui.Boxes.empty());
  w.Close();
  EXPECT_EQ(r.Var("F"), 1);
  EXPECT_TRUE(w.CommitFlag());
}

TEST(DocumentWindow, AFailedCheckKeepsTheWindowOpenWithItsMessage) {
  WindowRig r;
  ASSERT_TRUE(r.Build("INIT\nA := -2\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  w.OkButClick(true);
  EXPECT_FALSE(w.MayClose());
  EXPECT_EQ(r.LastBox(), "Ошибка проверки|A мало: -2");
  // Cancel without REENTRY runs no FINAL and commits nothing.
  r.Ui.Answers.push_back(kIdYes);
  w.CanButClick(true);
  EXPECT_TRUE(w.MayClose());
  EXPECT_EQ(r.LastBox(), "Title|Все изменения в документе будут игнорированы. Продолжить?");
  w.Close();
  EXPECT_EQ(r.Var("F"), 0);
  EXPECT_FALSE(w.CommitFlag());
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

TEST(DocumentWindow, ExitQuestionOnlyFromTheButton) {
  WindowRig r;
  ASSERT_TRUE(
      r.Build("BLANK\nEXITCONFIRM = 'Провести?'\nENDSECTION\nINIT\nA "
              ":= 1\nENDSECTION\n"));
  TDocumentWindowLogic w(r.Doc, "Документ"_w);
  w.Show(true);
  w.OkButClick(true);  // No is the default
  EXPECT_FALSE(w.MayClose());
  EXPECT_EQ(r.LastBox(), "Документ|Провести?");
  r.Ui.Boxes.clear();
  w.OkButClick(false);
  EXPECT_TRUE(w.MayClose());
  EXPECT_TRUE(r.Ui.Boxes.empty());
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
  RecalcDocument(r.Doc);
  EXPECT_EQ(var("TPRINTSTARTROW"), -1);
  EXPECT_EQ(var("TPRINTENDROW"), -1);
  Interp().ExecProgram(r.Doc.Programs.Init);
  RecalcDocument(r.Doc);
  EXPECT_EQ(var("TPRINTSTARTROW"), 1);
  EXPECT_EQ(var("TPRINTENDROW"), 5);
  EXPECT_EQ(var("K"), 2);
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
  EXPECT_EQ(symbols.FindVariable("S")->Value.Str, expected);
  EXPECT_EQ(symbols.FindVariable("R")->Value.Num, 500);
  EXPECT_EQ(wakes.load(), 500);
}

}  // namespace
}  // namespace vm::test
