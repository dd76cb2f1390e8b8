// The document window's frame without a window: opening, the buttons'
// states, selecting cells, the status bar, the search line, deleting and
// sorting rows and the frame's keys, driven through the scripted host.
#include "documents/document_frame.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "documents/doc_rig.h"
#include "foundation/values/dates.h"
#include "language/interpreter.h"
#include "models/main_state.h"

namespace vm::test {
namespace {

struct FrameRig : DocRig {
  // T1 (GOODSB keyed on its first column) with the given flags, the
  // variables A and N and the lines after them.
  bool Open(std::string_view flags, std::string_view lines = "") {
    const int code = CompileForm("VARS\nA, N = N\nENDSECTION\nFORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1]" +
                                 std::string(flags) + "\nENDSECTION\n" + std::string(lines));
    EXPECT_EQ(code, 0) << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    Logic = std::make_unique<TDocumentWindowLogic>(Doc, "Документ"_w);
    Frame = std::make_unique<TDocumentFrame>(Doc, *Logic, "Документ"_w);
    Frame->Hooks.IsActive = [](TDataView&) { return true; };
    Frame->Hooks.Focus = [this](TDataView&) { ++Focused; };
    Frame->Hooks.TypeIntoSearch = [this](const std::string& s) { Typed += s; };
    Frame->Hooks.ShowSearchText = [this](const std::string& s) { SearchShown = s; };
    return Frame->Open(true);
  }
  TDataView& View() { return Doc.Forms.FindFormPar("T1")->View(); }
  // Rows with these keys, shown, the first row's key cell selected.
  void Rows(std::initializer_list<const char*> keys) {
    for (const char* k : keys) View().SetCellText(0, View().AppendRow(), k);
    View().SetUpdating(false);
    Frame->Shown();
    View().SetRow(0);
    View().SetCol(0);
  }
  std::string Keys() {
    std::string s;
    for (int32_t r = 0; r < View().RowCount(); ++r) s += View().GetCellText(0, r);
    return s;
  }
  long double Var(std::string_view name) { return Doc.Context.Symbols().FindVariable(name)->Value.Num; }
  std::string LastBox() {
    return Ui.Boxes.empty() ? "" : Cp1251ToUtf8(Ui.Boxes.back().Caption + "|" + Ui.Boxes.back().Text);
  }

  std::unique_ptr<TDocumentWindowLogic> Logic;
  std::unique_ptr<TDocumentFrame> Frame;
  int Focused = 0;
  std::string Typed;
  std::string SearchShown;
};

TEST(DocumentFrame, OpeningSetsThePageVariablesAndTerminateKeepsTheWindowShut) {
  FrameRig r;
  ASSERT_TRUE(r.Open("", "INIT\nA := ISFIRSTPAGE + ISLASTPAGE + PAGENUMBER\nMULTIPAGE := 5\nENDSECTION\n"));
  // INIT runs after the variables are set.
  EXPECT_EQ(std::tuple(r.Var("A"), r.Var("MULTIPAGE"), r.Var("ISFIRSTPAGE")), std::tuple(3.0L, 5.0L, 1.0L));

  FrameRig t;
  EXPECT_FALSE(t.Open("", "INIT\nTERMINATE(1)\nENDSECTION\n"));
}

TEST(DocumentFrame, ButtonsFollowTheFormFlagsAndTheRows) {
  struct Case {
    const char* Flags;
    bool WithRows;
    bool Add, Del, Search;
  };
  const Case cases[] = {
      {"", true, false, false, false},
      {", ADDABLE:1", true, true, true, false},
      {", ADDABLE:1", false, true, false, false},
      {", DELABLE:1", true, false, true, false},
      {", SEARCH:1", true, false, false, true},
      {", SEARCH:1", false, false, false, false},
  };
  for (const Case& c : cases) {
    FrameRig r;
    ASSERT_TRUE(r.Open(c.Flags));
    if (c.WithRows) {
      r.Rows({"a", "b"});
    } else {
      r.Rows({});
      r.View().SetCol(0);
    }
    const TFrameButtons& b = r.Frame->Buttons();
    EXPECT_EQ(std::tuple(b.Add, b.Del, b.Search), std::tuple(c.Add, c.Del, c.Search)) << c.Flags << c.WithRows;
  }
}

TEST(DocumentFrame, SelectingACellSetsTheRowVariablesAndTheStatusBar) {
  FrameRig r;
  ASSERT_TRUE(r.Open(", SEARCH:1"));
  // Before the window shows the status bar says nothing.
  EXPECT_EQ(r.Frame->StatusRows(), "");
  r.Rows({"a", "b", "c"});
  r.View().SetRow(1);
  // One row selected: the range is all rows. No status line: the caption.
  EXPECT_EQ(std::tuple(r.Var("T1CURRENTROW"), r.Var("T1SELSTART"), r.Var("T1SELEND"), r.Frame->StatusRows(),
                       r.Frame->StatusText(), r.SearchShown, r.Frame->CurrentView()),
            std::tuple(2.0L, 1.0L, 3.0L, "2/3", "Документ"_w, "b", &r.View()));
  // A view that is not the active control neither becomes the status view
  // nor shows its text in the search line.
  r.Frame->Leave(r.View());
  r.Frame->Hooks.IsActive = [](TDataView&) { return false; };
  r.View().SetRow(2);
  EXPECT_EQ(std::pair(r.Var("T1CURRENTROW"), r.SearchShown), std::pair(3.0L, std::string("b")));
  TDateRec today;
  TTimeRec now;
  ProgramNow(today, now);
  EXPECT_EQ(r.Frame->StatusRows(), DateRecToStr(today));
}

TEST(DocumentFrame, StatusLineShowsItsValueOrTheEvaluationError) {
  struct Case {
    const char* Expr;
    const char* Expected;
  };
  const Case cases[] = {{"[A * 2]", "8.0000"}, {"[1 / (A - 4)]", " Ошибка при вычислении "}};
  for (const Case& c : cases) {
    FrameRig r;
    ASSERT_TRUE(r.Open("", std::string("INIT\nA := 4\nENDSECTION\nINFORMSTRING\n") + c.Expr + "\nENDSECTION\n"));
    r.Rows({"a"});
    EXPECT_EQ(Cp1251ToUtf8(r.Frame->StatusText()), c.Expected) << c.Expr;
  }
}

TEST(DocumentFrame, SearchFindsTheRowAndTypingInATableGoesToTheSearchLine) {
  FrameRig r;
  ASSERT_TRUE(r.Open(", SEARCH:1"));
  r.Rows({"apple", "banana", "cherry"});
  r.Frame->SearchChanged("ch");
  EXPECT_EQ(r.View().CurRow(), 2);
  r.Frame->SearchChanged("ba");
  EXPECT_EQ(r.View().CurRow(), 1);
  r.View().KeyPress('x');
  EXPECT_EQ(r.Typed, "x");
  // Without searching the key stays with the table.
  FrameRig off;
  ASSERT_TRUE(off.Open(""));
  off.Rows({"apple", "banana"});
  off.View().KeyPress('x');
  off.Frame->SearchChanged("ba");
  EXPECT_EQ(std::pair(off.Typed, off.View().CurRow()), std::pair(std::string(), 0));
}

TEST(DocumentFrame, DeleteAsksUnlessOnDeleteRowRefusesAndRunsFormChange) {
  struct Case {
    int CanDelete;
    int32_t Answer;
    bool Asked;
    const char* Left;
    int FormChanges;
  };
  const Case cases[] = {
      {1, kIdYes, true, "ac", 1},
      {1, kIdNo, true, "abc", 0},
      {0, kIdYes, false, "abc", 0},
  };
  for (const Case& c : cases) {
    FrameRig r;
    ASSERT_TRUE(r.Open(", DELABLE:1", "ONDELETEROW = T1\nCANDELETEROW := " + std::to_string(c.CanDelete) +
                                          "\nENDDELROW\nFORMCHANGE = T1\nN := N + 1\nENDFORMCHANGE\n"));
    r.Rows({"a", "b", "c"});
    r.View().SetRow(1);
    r.Ui.Answers.push_back(c.Answer);
    r.Frame->DelButClick();
    EXPECT_EQ(r.Keys(), c.Left) << c.CanDelete << c.Answer;
    EXPECT_EQ(!r.Ui.Boxes.empty(), c.Asked) << c.CanDelete << c.Answer;
    if (c.Asked) {
      EXPECT_EQ(r.LastBox(), "Документ|Удалить текущую запись?");
      EXPECT_EQ(r.Ui.Boxes.back().Flags, 0x2124u);
    }
    EXPECT_EQ(r.Var("N"), c.FormChanges);
    if (c.FormChanges > 0) {
      EXPECT_EQ(r.Var("T1CURRENTROW"), 2);
    }
  }
}

TEST(DocumentFrame, FastDeleteDuringEntryDropsTheRowAndSwallowsTheClick) {
  for (bool fastDel : {true, false}) {
    FrameRig r;
    ASSERT_TRUE(r.Open(fastDel ? ", DELABLE:1, FASTDEL:1" : ", DELABLE:1"));
    r.Frame->Hooks.Entering = [](TDataView&) { return true; };
    r.Rows({"a", "b", "c"});
    r.View().SetRow(2);
    const std::string left = fastDel ? "ab" : "abc";
    r.Frame->DelButMouseDown();
    EXPECT_EQ(std::tuple(r.Keys(), r.Ui.Boxes.size(), r.Frame->DeleteClickConsumed()), std::tuple(left, 0u, fastDel));
    // The click that follows the press deletes nothing more (without the
    // fast delete it asks as always; the default answer is No); the
    // swallowed click gives the table the focus.
    r.Frame->DelButClick();
    EXPECT_EQ(std::tuple(r.Keys(), r.Ui.Boxes.empty(), r.Frame->DeleteClickConsumed(), r.Focused),
              std::tuple(left, fastDel, false, fastDel ? 1 : 0));
  }
}

TEST(DocumentFrame, SortByKeysByTheCurrentColumnOrNotAtAll) {
  struct Case {
    const char* Flags;
    const char* Keys;
  };
  const Case cases[] = {
      {"", "abc"},
      {", SORTTYPE:1", "bca"},  // by the current column, the numbers
      {", SORT:1", "cab"},      // kept sorted as they come: the button leaves it
  };
  for (const Case& c : cases) {
    FrameRig r;
    ASSERT_TRUE(r.Open(c.Flags, "FORMCHANGE = T1\nN := N + T1CURRENTROW\nENDFORMCHANGE\n"));
    r.Rows({"c", "a", "b"});
    const char* qty[] = {"2", "3", "1"};
    for (int32_t row = 0; row < 3; ++row) r.View().SetCellText(1, row, qty[row]);
    r.View().SetCol(1);
    r.View().SetRow(2);
    r.Frame->SortButClick();
    // FORMCHANGE for rows 1, 2 and 3.
    EXPECT_EQ(std::tuple(r.Keys(), r.Var("N"), r.Var("T1CURRENTROW"), r.Focused),
              std::tuple(c.Keys, 6.0L, r.View().CurRow() + 1.0L, 1))
        << c.Flags;
  }
}

TEST(DocumentFrame, KeysOfTheFrame) {
  FrameRig r;
  ASSERT_TRUE(r.Open(""));
  r.Rows({"a"});
  int maximized = 0, info = 0, closed = 0;
  r.Frame->Hooks.ToggleMaximized = [&] { ++maximized; };
  r.Frame->Hooks.InfoToFront = [&] { ++info; };
  r.Frame->Hooks.CloseCancelled = [&] { ++closed; };
  EXPECT_TRUE(r.Frame->KeyDown(kFrameKeyF5, false, false, false));
  EXPECT_FALSE(r.Frame->KeyDown(kFrameKeyF5, false, true, false));
  EXPECT_TRUE(r.Frame->KeyDown(kFrameKeyF11, false, false, false));
  EXPECT_TRUE(r.Frame->KeyDown(kFrameKeyI, false, true, false));
  EXPECT_FALSE(r.Frame->KeyDown(kFrameKeyI, false, false, false));
  EXPECT_EQ(std::pair(maximized, info), std::pair(1, 2));
  // Ctrl+Break asks the running program to stop and is not used up.
  EXPECT_FALSE(r.Frame->KeyDown(kFrameKeyBreak, false, true, false));
  EXPECT_TRUE(Interp().BreakRequested());
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(r.Frame->KeyDown(kFrameKeyC, true, true, true));
  // Cancel without its question.
  EXPECT_EQ(std::tuple(closed, Interp().TerminateValue() != 0, r.Logic->MayClose(), r.Logic->Confirmed(),
                       r.Ui.Boxes.size()),
            std::tuple(1, true, true, false, 0u));
  // The break asked for does not reach the next document.
  Interp().BeginDocumentRun();
  EXPECT_EQ(std::pair(Interp().BreakRequested(), Interp().TerminateValue()), std::pair(false, 0));
}

}  // namespace
}  // namespace vm::test
