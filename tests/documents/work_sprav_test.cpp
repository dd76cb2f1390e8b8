// The look-up pages beside the document window, without a window: pages
// filled and sorted when attached, the page following the document's
// current table, the buttons of an empty page, "Добавить" with and without
// Shift, and the search.
#include "documents/work_sprav.h"

#include <gtest/gtest.h>

#include <memory>

#include "documents/doc_rig.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

// GOODS rows CA, BA, BB. T1 takes NAME and QTY from the page H, T2 its
// key from the page H2; both pages read G.
struct SpravRig : DocRig {
  explicit SpravRig(const std::string& pageExtra = "") {
    const int code = Compile(
        "BLANK\nWIDTH = 500\nENDSECTION\n"
        "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
        "HELPS\nH = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME, QTY, SOLD], TITLE:'Товары'" +
        pageExtra +
        "\nH2 = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME, QTY, SOLD], TITLE:'Ещё'\nENDSECTION\n"
        "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1], HELP:[NAME:H, 1:NAME, 2:QTY], "
        "HINT:['Имя'], NOEDIT:[3]\n"
        "T2 = FORM:GOODSB, X1:0, Y1:100, Y2:200, KEYCOL:[1], HELP:[NAME:H2, 1:NAME], HINT:['Имя']\n"
        "ENDSECTION\n");
    EXPECT_EQ(code, 0) << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    AddGoods({{"CA", 1}, {"BA", 4}, {"BB", 7}});
    T1 = Doc.Forms.FindFormPar("T1");
    T2 = Doc.Forms.FindFormPar("T2");
    H = Doc.HelpPages.FindByName("H");
    H2 = Doc.HelpPages.FindByName("H2");
    // As the document window: the entries first, then the frame.
    E1 = std::make_unique<TRowEntry>(Doc, *T1);
    E2 = std::make_unique<TRowEntry>(Doc, *T2);
    Logic = std::make_unique<TDocumentWindowLogic>(Doc, "Документ"_w);
    Frame = std::make_unique<TDocumentFrame>(Doc, *Logic, "Документ"_w);
    Sprav = std::make_unique<TWorkSpravLogic>(Doc, *Frame);
    Frame->Hooks.IsActive = [this](TDataView& v) { return &v == Focused; };
    Frame->Hooks.LookupPage = [this](THelpItem* p, bool enabled) { Sprav->ShowPage(p, enabled); };
    Frame->Hooks.Changed = [this] { Sprav->RefreshButtons(); };
    TWorkSpravHooks& h = Sprav->Hooks;
    h.EntryOf = [this](TDataView& v) { return &v == &T1->View() ? E1.get() : &v == &T2->View() ? E2.get() : nullptr; };
    h.ToDocument = [this] { ++BackToDocument; };
    h.ShowSearchText = [this](const std::string& s) { SearchShown = s; };
    h.TypeIntoSearch = [this](const std::string& s) { Typed += s; };
    EXPECT_TRUE(Frame->Open(true));
    Sprav->AttachLookupPages();
    Frame->Shown();
    Sprav->Shown();
    for (TFormPar* f : {T1, T2}) f->View().SetUpdating(false);
  }

  // The table takes the focus (and its current cell is selected).
  void Focus(TFormPar* form) {
    if (Focused) Focused->FocusLeave();
    Focused = &form->View();
    Focused->FocusEnter();
  }
  static std::string Names(TDataView& v) {
    std::string s;
    for (int32_t r = 0; r < v.RowCount(); ++r) s += TrimBlanks(v.GetCellText(0, r)) + " ";
    return s;
  }
  std::string Cell(TFormPar* f, int32_t col, int32_t row) { return TrimBlanks(f->View().GetCellText(col, row)); }

  TFormPar* T1 = nullptr;
  TFormPar* T2 = nullptr;
  THelpItem* H = nullptr;
  THelpItem* H2 = nullptr;
  std::unique_ptr<TRowEntry> E1, E2;
  std::unique_ptr<TDocumentWindowLogic> Logic;
  std::unique_ptr<TDocumentFrame> Frame;
  std::unique_ptr<TWorkSpravLogic> Sprav;
  TDataView* Focused = nullptr;
  int BackToDocument = 0;
  std::string SearchShown;
  std::string Typed;
};

TEST(WorkSprav, AttachingFillsAndSortsEveryPageAndCategoriesFilterTheShownRows) {
  const struct {
    const char* extra;
    const char* hidden;
    const char* shown;
  } cases[] = {
      {"", "BA BB CA ", "BA BB CA "},
      {", SORT:0", "CA BA BB ", "CA BA BB "},
      {", FILTER:[G.QTY > 2]", "BA BB ", "BA BB "},
      // The first category is chosen: only its rows are shown.
      {", CATEGORY:[HELPHIDCURCELL(H, 1) = CURHELPCATEG(H), HELPHIDCURCELL(H, 1), '']", "BA BB CA ", "BA "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra);
    SpravRig r(c.extra);
    ASSERT_EQ(r.Sprav->Pages().size(), 2u);
    EXPECT_EQ(r.Sprav->Pages()[0], r.H);
    EXPECT_EQ(SpravRig::Names(r.H->Hidden), c.hidden);
    EXPECT_EQ(SpravRig::Names(r.H->Shown), c.shown);
    EXPECT_EQ(r.H->Shown.CurRow(), 0);
    EXPECT_EQ(r.H->Shown.CurCol(), 0);
    EXPECT_FALSE(r.H->Shown.UpdatesSuspended());
  }
  SpravRig r(", CATEGORY:[HELPHIDCURCELL(H, 1) = CURHELPCATEG(H), HELPHIDCURCELL(H, 1), '']");
  EXPECT_EQ(r.H->Categories, (std::vector<std::string>{"BA", "BB", "CA"}));
  r.H->ChooseCategory(2);
  EXPECT_EQ(SpravRig::Names(r.H->Shown), "CA ");
  // Detached, the page's view no longer reports to the window.
  r.Sprav->DetachLookupPages();
  EXPECT_TRUE(r.Sprav->Pages().empty());
  EXPECT_FALSE(r.H->Shown.OnSelect);
}

TEST(WorkSprav, OptionsFilterTheShownRowsFromTheFirstOneOn) {
  SpravRig r(", OPT:[['Много', HELPHIDCURCELL(H, 2) > 3], ['Все', 1]]");
  EXPECT_EQ(SpravRig::Names(r.H->Shown), "BA BB ");
  r.H->Options.Click(1);
  EXPECT_EQ(SpravRig::Names(r.H->Shown), "BA BB CA ");
}

TEST(WorkSprav, ThePageFollowsTheDocumentsTableAndTheUserCannotSwitchIt) {
  SpravRig r;
  EXPECT_FALSE(r.Sprav->Active());
  EXPECT_FALSE(r.Sprav->Buttons().Tabs);
  const struct {
    TFormPar* SpravRig::*table;
    int32_t page;
  } steps[] = {{&SpravRig::T2, 1}, {&SpravRig::T1, 0}, {&SpravRig::T2, 1}};
  for (const auto& s : steps) {
    r.Focus(r.*s.table);
    EXPECT_EQ(r.Sprav->PageIndex(), s.page);
    EXPECT_TRUE(r.Sprav->Active());
    EXPECT_TRUE(r.Sprav->Buttons().Tabs);
    for (int32_t tab : {0, 1}) EXPECT_EQ(r.Sprav->TabClicked(tab), tab == s.page);
    EXPECT_EQ(r.Sprav->PageIndex(), s.page);
  }
  // Leaving the table, or editing a column the page does not fill, puts
  // the page out of use.
  r.Focused = nullptr;
  r.T2->View().FocusLeave();
  EXPECT_FALSE(r.Sprav->Active());
  r.Focus(r.T2);
  r.E2->AddFromPage(0);
  ASSERT_TRUE(r.T2->View().Editing());
  EXPECT_EQ(r.T2->View().CurCol(), 1);
  EXPECT_FALSE(r.Sprav->Active());
  EXPECT_FALSE(r.Sprav->Buttons().Search);
  EXPECT_EQ(r.Sprav->StatusText(), "Запись 1 из 3"_w);
}

TEST(WorkSprav, AnEmptyPageOffersNeitherAddNorSearch) {
  for (const char* filter : {"", ", FILTER:[G.QTY > 100]"}) {
    SpravRig r(filter);
    r.Focus(r.T1);
    const bool rows = r.H->Shown.RowCount() > 0;
    EXPECT_EQ(rows, *filter == 0);
    EXPECT_TRUE(r.Sprav->Buttons().Tabs);
    EXPECT_EQ(r.Sprav->Buttons().Search, rows) << filter;
    EXPECT_EQ(r.Sprav->Buttons().Add, rows) << filter;
    EXPECT_EQ(r.Sprav->SearchActive(), rows);
    r.Sprav->AddClick(false);
    EXPECT_EQ(r.T1->View().RowCount(), rows ? 1 : 0);
    EXPECT_EQ(r.Sprav->StatusText(), rows ? "Запись 1 из 3"_w : "Запись 0 из 0"_w);
  }
}

TEST(WorkSprav, AddFillsANewRowFromTheChosenRecordShiftOnlyTheKey) {
  SpravRig r;
  r.Focus(r.T1);
  r.H->Shown.SetRow(1);
  r.Sprav->AddClick(false);
  ASSERT_EQ(r.T1->View().RowCount(), 1);
  EXPECT_EQ(r.Cell(r.T1, 0, 0), "BB");
  EXPECT_EQ(r.T1->View().GetCellValue(1, 0).Num, 7);
  EXPECT_FALSE(r.T1->View().Editing());
  EXPECT_EQ(r.BackToDocument, 1);

  r.H->Shown.SetRow(2);
  r.Sprav->AddClick(true);
  ASSERT_EQ(r.T1->View().RowCount(), 2);
  EXPECT_TRUE(r.T1->View().Editing());
  EXPECT_TRUE(r.E1->Adding());
  EXPECT_EQ(r.T1->View().CurCol(), 0);
  EXPECT_EQ(TrimBlanks(r.T1->View().EditorText()), "CA");
  EXPECT_EQ(r.Cell(r.T1, 0, 1), "");
  EXPECT_EQ(r.BackToDocument, 2);

  // A row being entered gives way to the chosen record.
  r.Focus(r.T1);
  r.Sprav->AddClick(false);
  ASSERT_EQ(r.T1->View().RowCount(), 2);
  EXPECT_EQ(r.Cell(r.T1, 0, 1), "CA");
  EXPECT_FALSE(r.E1->Adding());

  // Another table's page never fills this one.
  r.Focus(r.T2);
  r.Sprav->ShowPage(r.H, true);
  r.Sprav->AddClick(false);
  EXPECT_EQ(r.T2->View().RowCount(), 0);
}

TEST(WorkSprav, SearchJumpsToTheBestPrefixAndKeepsTheTypedText) {
  SpravRig r;
  r.Focus(r.T1);
  const struct {
    const char* text;
    int32_t row;
  } cases[] = {{"bb", 1}, {"c", 2}, {"ba", 0}, {"CA", 2}};
  for (const auto& c : cases) {
    r.SearchShown = "-";
    r.Sprav->SearchChanged(c.text);
    EXPECT_EQ(r.H->Shown.CurRow(), c.row) << c.text;
    EXPECT_EQ(r.SearchShown, "-") << c.text;
  }
  // Moving in the view shows the cell's text; typing there starts a search.
  r.H->Shown.SetRow(1);
  EXPECT_EQ(TrimBlanks(r.SearchShown), "BB");
  EXPECT_EQ(r.Sprav->StatusText(), "Запись 2 из 3"_w);
  for (char c : std::string("x\b\r"))
    r.H->Shown.KeyPress(c);
  EXPECT_EQ(r.Typed, "x");
}

TEST(WorkSprav, KeysGoBackToTheDocumentOrAdd) {
  SpravRig r;
  r.Focus(r.T1);
  const struct {
    int32_t key;
    bool ctrl, viewFocused, used;
    int back;
    int32_t rows;
  } cases[] = {
      {kKeyEnter, false, false, false, 0, 0}, {kKeyEnter, false, true, true, 1, 1},
      {kFrameKeyF12, false, true, true, 2, 1}, {'W', true, false, true, 3, 1},
      {kKeyInsert, false, false, true, 5, 2},  {'Q', false, true, false, 5, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(r.Sprav->KeyDown(c.key, c.ctrl, c.viewFocused), c.used) << c.key;
    EXPECT_EQ(r.BackToDocument, c.back) << c.key;
    EXPECT_EQ(r.T1->View().RowCount(), c.rows) << c.key;
    r.Focus(r.T1);
  }
}

}  // namespace
}  // namespace vm::test
