// OK, Cancel and closing of a document window without a window: CANCLOSE,
// the document checks, the exit question, FINAL and the commit flag.
#include <gtest/gtest.h>

#include "documents/doc_rig.h"
#include "documents/document_window.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

struct WindowRig : DocRig {
  bool Build(std::string_view lines) {
    const int code = CompileForm(
        "VARS\nA, F = N\nENDSECTION\n"
        "CHECK\nCOMMONCHECK = COND:[A > 0], MESSAGE:['A мало: ' + TOSTR(A, 0)]\nENDSECTION\n"
        "FINAL\nF := F + 1\nENDSECTION\n" +
        std::string(lines));
    EXPECT_EQ(code, 0) << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    return code == 0;
  }
  long double Var(std::string_view name) { return Doc.Context.Symbols().FindVariable(name)->Value.Num; }
  std::string LastBox() { return Ui.Boxes.empty() ? "" : Cp1251ToUtf8(Ui.Boxes.back().Caption + "|" + Ui.Boxes.back().Text); }
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
  ASSERT_TRUE(r.Build("BLANK\nEXITCONFIRM = 'Провести?'\nENDSECTION\nINIT\nA := 1\nENDSECTION\n"));
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

}  // namespace
}  // namespace vm::test
