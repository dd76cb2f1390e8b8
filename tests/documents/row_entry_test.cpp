// A new row entered from its key, without a window: the look-up list while
// the key is typed, the list's keys, the row filled from the reference
// book, missing keys refused or added, the row dropped by Esc, a repeated
// key summed and a finished row that fails its check.
#include "documents/row_entry.h"

#include <gtest/gtest.h>

#include <tuple>

#include "documents/doc_rig.h"
#include "foundation/values/value_text.h"
#include "language/interpreter.h"

namespace vm::test {
namespace {

// GOODS rows: name and quantity. The table T1 is keyed on its first column,
// taken from the book's NAME; its second column (N.2) is typed; its date
// column is never edited.
struct EntryRig : DocRig {
  explicit EntryRig(const std::string& formExtra = "", const std::string& more = "",
                    const std::string& help = "NAME:H, 1:NAME") {
    const int code = Compile(
        "BLANK\nWIDTH = 500\nENDSECTION\n"
        "USEDBASES\nG = NAME:GOODS, KEY:[NAME]\nENDSECTION\n"
        "HELPS\nH = FORM:GOODSB, BASE:G, KEYCOL:[1], FIELDS:[NAME, QTY, SOLD], TITLE:'t'\nENDSECTION\n"
        "FORMS\nT1 = FORM:GOODSB, X1:0, Y1:0, Y2:100, KEYCOL:[1], HELP:[" + help + "], "
        "HINT:['Имя'], NOEDIT:[3]" +
        formExtra + "\nENDSECTION\n" + more);
    EXPECT_EQ(code, 0) << Message;
    Interp().BeginDocumentRun();
    Interp().ResetErrors();
    AddGoods({{"BA", 4}, {"BB", 7}, {"CA", 1}});
    form = Doc.Forms.FindFormPar("T1");
    page = Doc.HelpPages.FindByName("H");
    entry = std::make_unique<TRowEntry>(Doc, *form);
    View().SetUpdating(false);
    View().FocusEnter();
  }

  TDataView& View() { return form->View(); }
  void Key(int32_t key, TShiftState shift = 0) {
    if (View().Editing()) {
      View().EditorKeyDown(key, shift);
    } else {
      View().KeyDown(key, shift);
    }
  }
  void Type(const char* utf8) { View().SetEditorText(Utf8ToCp1251(utf8)); }
  // Insert, the key typed, and Enter (which takes the first match).
  void Pick(const char* key) {
    Key(kKeyInsert);
    Type(key);
    Key(kKeyEnter);
  }
  void Enter(const char* text) {
    Type(text);
    Key(kKeyEnter);
  }
  std::string Cell(int32_t col, int32_t row) { return Cp1251ToUtf8(TrimBlanks(View().GetCellText(col, row))); }
  long double Num(int32_t col, int32_t row) { return View().GetCellValue(col, row).Num; }
  std::string LastBox() {
    return Ui.Boxes.empty() ? "" : Cp1251ToUtf8(Ui.Boxes.back().Caption + "|" + Ui.Boxes.back().Text);
  }

  TFormPar* form = nullptr;
  THelpItem* page = nullptr;
  std::unique_ptr<TRowEntry> entry;
};

TEST(RowEntry, InsertOpensTheKeyAndTheListFollowsWhatIsTypedThere) {
  EntryRig r;
  r.Key(kKeyInsert);
  ASSERT_TRUE(r.View().Editing());
  EXPECT_EQ(std::tuple(r.entry->Adding(), r.View().RowCount(), r.View().CurCol()), std::tuple(true, 1, 0));
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {{"b", {"BA", "BB"}}, {"BB", {"BB"}}, {"", {}}, {"Z", {}}, {"c", {"CA"}}};
  for (const auto& c : cases) {
    r.Type(c.text);
    EXPECT_EQ(r.entry->Lookup().ListVisible(), !c.lines.empty()) << c.text;
    std::vector<std::string> lines;
    for (const auto& line : r.entry->Lookup().Lines()) lines.push_back(TrimBlanks(line.at(0)));
    EXPECT_EQ(lines, c.lines) << c.text;
    if (!c.lines.empty()) {
      EXPECT_EQ(r.entry->Lookup().Selected(), 1) << c.text;
    }
  }
  EXPECT_EQ(r.entry->Lookup().Titles(), std::vector<std::string>{"Имя"_w});
}

TEST(RowEntry, ListKeysMoveTakeOrFillAndNeverReachTheTitleRow) {
  EntryRig r;
  r.Key(kKeyInsert);
  r.Type("B");
  TRowLookup& list = r.entry->Lookup();
  const struct {
    int32_t key;
    TShiftState shift;
    int32_t selected;
  } moves[] = {{kKeyDown, 0, 2}, {kKeyDown, 0, 2}, {kKeyUp, 0, 1}, {kKeyUp, 0, 1}, {kKeyDown, 0, 2}};
  for (const auto& m : moves) {
    int32_t key = m.key;
    r.View().EditorKeyDown(key, m.shift);
    EXPECT_EQ(std::tuple(key, list.Selected()), std::tuple(kKeyNone, m.selected));
  }
  list.Select(0);
  EXPECT_EQ(list.Selected(), 1);
  list.Select(2);
  // Ctrl+Enter does nothing; Shift+Enter only takes the chosen key.
  r.Key(kKeyEnter, kCtrlKey);
  EXPECT_EQ(std::pair(r.View().Editing(), r.View().GetCellText(0, 0)), std::pair(true, std::string()));
  r.Key(kKeyEnter, kShiftKey);
  EXPECT_EQ(std::pair(TrimBlanks(r.View().EditorText()), r.View().RowCount()), std::pair(std::string("BB"), 1));
  // Enter fills the row from the record and goes on in the typed column.
  r.Key(kKeyEnter);
  ASSERT_EQ(r.View().RowCount(), 1);
  EXPECT_EQ(std::tuple(r.Cell(0, 0), list.ListVisible(), r.View().Editing(), r.View().CurCol(), r.entry->Adding()),
            std::tuple("BB", false, true, 1, true));
  // A key column other than the first, or any other column, opens no list.
  r.Type("B");
  EXPECT_FALSE(list.ListVisible());
  r.Enter("3");
  EXPECT_EQ(std::tuple(r.View().Editing(), r.entry->Adding(), r.Num(1, 0), r.Ui.Boxes.size()),
            std::tuple(false, false, 3.0L, 0u));
}

TEST(RowEntry, AWholeKeyTypedIsFoundInTheBookAndFillsTheRow) {
  EntryRig r;
  r.Key(kKeyInsert);
  r.Type("ca");
  r.Key(kKeyF2);  // stores the typed key past the list
  ASSERT_EQ(r.View().RowCount(), 1);
  EXPECT_EQ(std::tuple(r.Cell(0, 0), r.View().CurCol(), r.View().Editing(), r.Ui.Boxes.size()),
            std::tuple("CA", 1, true, 0u));
}

// A table its description locks (EDITABLE:0) takes its rows from the book
// but offers no cell to edit, before and after a row is entered; without
// the parameter the quantity stays open to the user.
TEST(RowEntry, ALockedTableTakesItsRowsButOffersNoCellToEdit) {
  for (const char* editable : {"", ", EDITABLE:1", ", EDITABLE:0"}) {
    SCOPED_TRACE(editable);
    const bool locked = std::string(editable) == ", EDITABLE:0";
    EntryRig r(editable);
    EXPECT_EQ(r.View().GetColLayout(1)->Editable, !locked);
    r.Pick("BB");
    ASSERT_EQ(r.View().RowCount(), 1);
    EXPECT_EQ(std::tuple(r.Cell(0, 0), r.View().Editing(), r.entry->Adding()),
              std::tuple("BB", !locked, !locked));
    if (!locked) r.Key(kKeyEscape);
    for (int32_t c = 0; c < r.View().ShownColCount(); ++c) {
      r.View().SetCol(c);
      r.Key(kKeyF2);
      EXPECT_EQ(r.View().Editing(), !locked && c == 1) << c;
      if (r.View().Editing()) r.Key(kKeyEscape);
    }
  }
}

TEST(RowEntry, AMissingKeyIsRefusedOrAddedToTheBook) {
  const struct {
    const char* extra;
    std::deque<int32_t> answers;
    const char* box;
    bool added;
  } cases[] = {
      {"", {}, "Ошибка ввода|Указанный объект отсутствует в справочнике !", false},
      {", AUTOADD:1", {kIdNo}, "Неизвестный объект|Указанный объект отсутствует в справочнике! Добавить?", false},
      {", AUTOADD:1, EDIT:[2]", {kIdYes}, "Неизвестный объект|Указанный объект отсутствует в справочнике! Добавить?",
       true},
      {", AUTOADD:2, EDIT:[2]", {}, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra + std::to_string(c.answers.size()));
    EntryRig r(c.extra);
    r.Ui.Answers = c.answers;
    r.Key(kKeyInsert);
    r.Enter("ZZ");
    EXPECT_EQ(r.LastBox(), c.box);
    if (!r.Ui.Boxes.empty()) {
      EXPECT_EQ(r.Ui.Boxes.back().Flags, c.added || !c.answers.empty() ? kMbYesNoQuestion : kMbError);
    }
    // Refused, back in the key for another try.
    ASSERT_EQ(r.View().RowCount(), 1);
    EXPECT_EQ(std::tuple(r.View().Editing(), r.entry->Adding(), r.View().CurCol()), std::tuple(true, true, c.added ? 1 : 0));
    if (!c.added) continue;
    r.Enter("2");
    EXPECT_FALSE(r.entry->Adding());
    TStringBase& base = r.page->Link->Table;
    ASSERT_EQ(base.Count(), 4);
    // Kept in key order, linked to the new record.
    base.MemTableGoto(3);
    std::string name;
    base.GetFieldText(base.FieldIndex("NAME"), name);
    EXPECT_EQ(std::tuple(r.page->Hidden.RowCount(), r.page->Shown.RowCount(),
                         TrimBlanks(r.page->Hidden.GetCellText(0, 3)), r.page->Hidden.TableRow(3), TrimBlanks(name)),
              std::tuple(4, 4, "ZZ", 3, "ZZ"));
  }
}

// An object whose number its book's base cannot hold (QTY is N5) stays out
// of the book, and the user is told; the row keeps what was typed.
TEST(RowEntry, AnObjectWhoseNumberItsBaseCannotHoldStaysOutOfTheBook) {
  EntryRig r(", AUTOADD:2, EDIT:[2]", "", "NAME:H, 1:NAME, 2:QTY");
  r.Key(kKeyInsert);
  r.Enter("ZZ");
  r.Enter("123456");
  ASSERT_EQ(r.Ui.Boxes.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(r.Ui.Boxes[0].Text),
            "Число 123456 не умещается в поле QTY справочника \"t\". Объект в справочник не добавлен.");
  EXPECT_EQ(r.Ui.Boxes[0].Flags, kMbError);
  EXPECT_EQ(std::tuple(r.page->Link->Table.Count(), r.page->Hidden.RowCount(), r.page->Shown.RowCount()),
            std::tuple(3, 3, 3));
  EXPECT_EQ(std::tuple(r.Cell(0, 0), r.Num(1, 0)), std::tuple("ZZ", 123456.0L));
}

TEST(RowEntry, EscInTheKeyDropsTheNewRowElsewhereKeepsIt) {
  // Columns that spare the row keep it even in the key.
  for (const auto& [spare, rows] : {std::pair{false, 0}, std::pair{true, 1}}) {
    EntryRig r;
    r.form->NoEditCols.set(0, spare);
    r.Key(kKeyInsert);
    r.Type("B");
    r.Key(kKeyEscape);
    EXPECT_EQ(std::tuple(r.View().RowCount(), r.entry->Adding(), r.entry->Lookup().ListVisible()),
              std::tuple(rows, false, false))
        << spare;
  }
  EntryRig r;
  r.Pick("B");
  ASSERT_EQ(r.View().CurCol(), 1);
  r.Key(kKeyEscape);
  EXPECT_EQ(std::pair(r.View().RowCount(), r.entry->Adding()), std::pair(1, false));
}

TEST(RowEntry, TheFastDeleteDropsOnlyTheRowBeingEntered) {
  // In the key (whose abandoned edit would drop the row itself) and after it.
  for (const bool inKey : {true, false}) {
    EntryRig r;
    r.Pick("B");
    r.Enter("3");
    r.Key(kKeyInsert);
    if (inKey) {
      r.Type("C");
    } else {
      r.Pick("C");
    }
    ASSERT_TRUE(r.entry->Adding()) << inKey;
    r.entry->DropRow();
    EXPECT_EQ(r.View().RowCount(), 1) << inKey;
    EXPECT_EQ(r.Cell(0, 0), "BA") << inKey;
    EXPECT_FALSE(r.entry->Adding());
    EXPECT_FALSE(r.View().Editing());
    EXPECT_FALSE(r.entry->Lookup().ListVisible());
  }
}

TEST(RowEntry, ARepeatedKeyAddsItsSummedColumnsToTheEarlierRow) {
  EntryRig r(", MERGE:[2]", "ONADDROW = T1\nSETCELL(T1, 2, T1CURRENTROW, 1)\nENDADDROW\n");
  r.Pick("BA");
  r.Enter("5");
  r.Pick("BB");
  r.Enter("2");
  r.Pick("BA");
  ASSERT_EQ(r.View().RowCount(), 2);
  EXPECT_EQ(std::tuple(r.Num(1, 0), r.Num(1, 1), r.View().CurRow(), r.View().Editing(), r.entry->Adding()),
            std::tuple(6.0L, 2.0L, 0, false, false));
}

TEST(RowEntry, AFinishedRowFailingItsCheckPutsTheUserBackIntoTheCell) {
  EntryRig r("", "CHECK\nT1 = COND:[T1[2] > 0], EDIT:[2], MESSAGE:['Мало']\nENDSECTION\n");
  r.Pick("BA");
  r.Enter("0");
  EXPECT_EQ(r.LastBox(), "Ошибка проверки|Мало");
  EXPECT_EQ(std::tuple(r.View().Editing(), r.View().CurCol(), r.View().CurRow()), std::tuple(true, 1, 0));
  r.Enter("3");
  EXPECT_EQ(std::tuple(r.Ui.Boxes.size(), r.View().Editing(), r.Num(1, 0)), std::tuple(1u, false, 3.0L));
}

TEST(RowEntry, UpOrDownOnACellWithAValueListPicksFromIt) {
  EntryRig r;
  TFldList list;
  list.Strings = {"Один"_w, "Два"_w};
  list.Width = 300;
  r.form->ColumnLists.at(1) = &list;
  r.Pick("BA");
  ASSERT_EQ(r.View().CurCol(), 1);
  r.Type("1");
  r.Ui.ListChoices.push_back("2");
  int32_t key = kKeyDown;
  r.View().EditorKeyDown(key, 0);
  ASSERT_EQ(r.Ui.ListPicks.size(), 1u);
  EXPECT_EQ(std::tuple(key, r.Ui.ListPicks[0].Items, r.Ui.ListPicks[0].Width, r.View().EditorText()),
            std::tuple(kKeyNone, list.Strings, 300, "2"));
  // Cancelled, the text stays; a double click in the editor asks as well.
  r.View().EditorDoubleClick();
  EXPECT_EQ(std::tuple(r.Ui.ListPicks.size(), r.View().EditorText()), std::tuple(2u, "2"));
  r.form->ColumnLists.at(1) = nullptr;
}

}  // namespace
}  // namespace vm::test
