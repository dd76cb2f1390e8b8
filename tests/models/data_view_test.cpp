#include "models/data_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/tables/string_base.h"
#include "foundation/values/value_text.h"
#include "platform/encoding.h"
#include "support/number_order.h"
#include "support/scripted_ui.h"
#include "view_rig.h"

using namespace vm;
using namespace vm::test;

namespace {

class DataViewTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(view.SetBlank(&GoodsBlank()));
    view.OnSelect = [this](TDataView&, int32_t col, int32_t row) { selects.emplace_back(col, row); };
    view.OnClickKey = [this](TDataView&) { ++clickKeys; };
  }

  // Five rows, updates on, the view focused, events counted from here.
  void FiveRows() {
    FillRows(view, {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}});
    view.SetUpdating(false);
    view.FocusEnter();
    view.SetRow(0);
    selects.clear();
    clickKeys = 0;
  }

  void Key(int32_t key, TShiftState shift = 0) { view.KeyDown(key, shift); }

  TDataView view;
  std::vector<std::pair<int32_t, int32_t>> selects;
  int clickKeys = 0;
};

TEST_F(DataViewTest, AnEmptyViewHasNoCurrentCellAndIgnoresMoves) {
  EXPECT_EQ(view.ShownColCount(), 3);
  view.SetUpdating(false);
  view.SetRow(3);
  EXPECT_EQ(std::tuple(view.CurRow(), view.CurCol(), view.SelFirst(), view.SelLast()), std::tuple(-1, -1, 0, -1));
  EXPECT_EQ(view.GetCellText(0, 0), "");
  EXPECT_EQ(view.GetRow(0), nullptr);
}

TEST_F(DataViewTest, RowAndColumnAreClampedOrIgnored) {
  FiveRows();
  view.SetRow(-5);
  EXPECT_EQ(std::pair(view.CurRow(), selects.size()), std::pair(0, size_t{0})) << "row 0 was already current";
  view.SetRow(8);
  EXPECT_EQ(std::pair(view.CurRow(), selects.size()), std::pair(4, size_t{1}));

  view.SetCol(2);
  view.SetCol(3);  // the hidden column can never be current
  view.SetCol(-1);
  EXPECT_EQ(std::pair(view.CurCol(), view.PrevCol()), std::pair(2, 0));

  // While suspended a column still reports; a row does not, and stays
  // inside the rows all the same.
  view.SetUpdating(true);
  selects.clear();
  view.SetRow(99);
  EXPECT_EQ(view.CurRow(), 4);
  view.SetRow(1);
  view.SetCol(1);
  EXPECT_EQ(view.CurRow(), 1);
  EXPECT_EQ(selects, (std::vector<std::pair<int32_t, int32_t>>{{1, 1}}));
}

TEST_F(DataViewTest, RowsAreNumberedAfterInsertAndDelete) {
  FiveRows();
  EXPECT_EQ(view.InsertRow(2), 2);
  EXPECT_EQ(std::pair(view.CurRow(), view.CurCol()), std::pair(2, 0));
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"a", "b", "", "c", "d", "e"}));
  for (int32_t r = 0; r < view.RowCount(); ++r) EXPECT_EQ(view.GetRow(r)->Index, r);
  EXPECT_EQ(view.InsertRow(-4), 0);
  EXPECT_EQ(view.InsertRow(99), 7);

  TViewRow* c = view.GetRow(4);
  view.DeleteRow(1);
  EXPECT_EQ(c->Index, 3) << "a row record keeps its address and follows its position";
  EXPECT_EQ(view.GetCellText(kName, 3), "c");

  view.SetRow(view.RowCount() - 1);
  selects.clear();
  view.DeleteRow(view.RowCount() - 1);
  EXPECT_EQ(std::pair(view.CurRow(), selects.size()), std::pair(view.RowCount() - 1, size_t{1}));
  view.DeleteRow(-1);
  view.DeleteRow(view.RowCount());
  EXPECT_EQ(std::pair(view.RowCount(), selects.size()), std::pair(6, size_t{1}));

  int added = 0;
  view.OnAddRow = [&](TDataView&) { ++added; };
  view.AppendRow();
  view.AddRow();
  EXPECT_EQ(std::pair(added, view.CurRow()), std::pair(1, 7)) << "only AddRow tells the document";
}

TEST_F(DataViewTest, CellValuesFollowTheFormatOfTheirColumn) {
  FiveRows();
  view.SetCellValue(kPrice, 1, Num(12.5));
  EXPECT_EQ(view.GetCellText(kPrice, 1), "12.50");
  const TCommonVar back = view.GetCellValue(kPrice, 1);
  EXPECT_EQ(std::pair(back.Kind, back.Num), std::pair('N', 12.5L));

  view.SetCellValue(kDate, 1, {'D', "", 0, {5, 3, 2007}, {}});
  EXPECT_EQ(view.GetCellText(kDate, 1), "5.03.2007");
  EXPECT_EQ(std::pair(view.BlankFieldKind(kDate, 1), view.BlankFieldKind(7, 1)), std::pair('D', '\0'));
  EXPECT_EQ(view.GetCellValue(kName, 99).Kind, 'C');
}

TEST_F(DataViewTest, KeysMoveTheCurrentCellAndReportEveryPress) {
  FillRows(view, std::vector<std::pair<std::string, std::string>>(30, {"x", "1"}));
  view.SetUpdating(false);
  view.SetRow(0);
  Key(kKeyDown);
  EXPECT_EQ(std::pair(view.CurRow(), clickKeys), std::pair(0, 0)) << "keys wait for the focus";
  view.FocusEnter();

  const struct {
    int32_t key;
    TShiftState shift;
    int32_t row, col;
  } presses[] = {
      {kKeyDown, 0, 1, 0},  {kKeyPageDown, 0, 11, 0}, {kKeyPageDown, kCtrlKey, 29, 0}, {kKeyPageUp, 0, 19, 0},
      {kKeyPageUp, kCtrlKey, 0, 0}, {kKeyUp, 0, 0, 0}, {kKeyEnd, 0, 0, 2}, {kKeyRight, 0, 0, 2},
      {kKeyHome, 0, 0, 0}, {kKeyLeft, 0, 0, 0},
  };
  for (const auto& p : presses) {
    Key(p.key, p.shift);
    EXPECT_EQ(std::pair(view.CurRow(), view.CurCol()), std::pair(p.row, p.col)) << p.key << "/" << p.shift;
  }
  EXPECT_EQ(clickKeys, 10);

  // The document's own handler sees the key first and may take it.
  view.OnKeyDown = [](TDataView&, int32_t& key, TShiftState) {
    if (key == kKeyDown) key = kKeyNone;
  };
  Key(kKeyDown);
  EXPECT_EQ(view.CurRow(), 0);

  char typed = 0;
  view.OnKeyPress = [&](char c) { typed = c; };
  view.KeyPress('z');
  EXPECT_EQ(typed, 'z');
}

TEST_F(DataViewTest, ShiftSelectsARangeOnlyInAMultiSelectView) {
  FiveRows();
  Key(kKeyDown, kShiftKey);
  EXPECT_FALSE(view.InSelection(0));
  EXPECT_EQ(view.SelCount(), 0);

  view.MultiSelect = true;
  Key(kKeyDown);
  Key(kKeyDown, kShiftKey);
  Key(kKeyDown, kShiftKey);
  EXPECT_EQ(std::tuple(view.AnchorRow(), view.SelFirst(), view.SelLast(), view.SelCount()), std::tuple(2, 2, 4, 2));
  EXPECT_EQ(std::tuple(view.InSelection(1), view.InSelection(2), view.InSelection(4)), std::tuple(false, true, true));
  Key(kKeyUp);
  EXPECT_EQ(std::pair(view.InSelection(3), view.SelLast()), std::pair(false, 4));
}

TEST_F(DataViewTest, TheWheelMovesOneRowPerConfiguredStep) {
  FiveRows();
  view.SetRow(4);
  // Four notches of 120 make one step of 480; no step given takes the default.
  std::vector<int32_t> rows;
  for (auto [delta, step] : {std::pair{120, 480}, {120, 480}, {120, 480}, {120, 480}, {-480, 0}}) {
    view.Wheel(delta, step);
    rows.push_back(view.CurRow());
  }
  EXPECT_EQ(rows, (std::vector<int32_t>{4, 4, 4, 3, 4}));
}

TEST_F(DataViewTest, ClicksSelectTheCellHitAndFocusTheView) {
  FiveRows();
  int exits = 0;
  view.OnExit = [&](TDataView&) { ++exits; };
  view.FocusLeave();
  EXPECT_EQ(exits, 1);
  view.LeftClick(3, 2, 0);
  EXPECT_TRUE(view.Focused());
  EXPECT_EQ(std::pair(view.CurRow(), view.CurCol()), std::pair(3, 2));
  view.LeftClick(-1, -1, 0);
  EXPECT_EQ(std::pair(view.CurRow(), clickKeys), std::pair(3, 2));
}

// What a widget hears, as one letter per call.
class Recorder : public TDataViewObserver {
 public:
  std::string Calls;
  void BlankChanged() override { Calls += 'B'; }
  void RowsChanged() override { Calls += 'R'; }
  void CellChanged(int32_t, int32_t) override { Calls += 'C'; }
  void CurrentChanged() override { Calls += 'M'; }
  void EditingChanged() override { Calls += 'E'; }
  void UpdatingChanged() override { Calls += 'U'; }
  void FocusRequested() override { Calls += 'F'; }
  void RepaintRequested() override { Calls += 'P'; }
  void HeaderChanged() override { Calls += 'H'; }
  int32_t ScrollBarWidth() const override { return 17; }
};

TEST_F(DataViewTest, TheWidgetHearsOfEveryChange) {
  Recorder widget;
  EXPECT_EQ(view.ScrollBarWidth(), 0);
  view.SetObserver(&widget);
  EXPECT_EQ(view.ScrollBarWidth(), 17);
  view.SetBlank(&GoodsBlank());
  view.AppendRow();  // column 0 chosen, a row, the row chosen (suspended)
  view.SetUpdating(false);
  view.SetCellText(kName, 0, "x");
  view.SetCellText(kName, 5, "no such row");
  view.PaintRows();
  view.RedrawHeader();
  EXPECT_EQ(widget.Calls, "BMRUCPH");

  widget.Calls.clear();
  view.SetEditableColumns(std::bitset<256>("1"));
  view.FocusEnter();
  int32_t key = kKeyEnter;
  view.KeyDown(key, 0);
  view.SetEditorText("y");
  key = kKeyEnter;
  view.EditorKeyDown(key, 0);
  // Focus shown, editor opened, the value stored, editor closed, focus back.
  EXPECT_EQ(widget.Calls, "MECEF");
  view.SetObserver(nullptr);
}

// --- Editing -------------------------------------------------------------------

class EditingTest : public DataViewTest {
 protected:
  void SetUp() override {
    DataViewTest::SetUp();
    FiveRows();
    view.SetEditableColumns(std::bitset<256>("011"));  // name and price
    view.OnCellAccepted = [this](TDataView& v) {
      ++accepted;
      acceptedMove = v.MoveAfterEdit();
      acceptedUp = v.MoveUp();
    };
    view.OnEditEnd = [this](TDataView&) { ++editEnds; };
    view.SetCol(kPrice);
    view.SetRow(1);
  }

  void Type(const std::string& text, int32_t key) {
    view.SetEditorText(text);
    view.EditorKeyDown(key, 0);
  }

  ScriptedUi ui;
  int accepted = 0;
  int editEnds = 0;
  bool acceptedMove = false;
  bool acceptedUp = false;
};

TEST_F(EditingTest, EnterStartsEditingOnlyInAnEditableColumn) {
  view.SetCol(kDate);
  Key(kKeyEnter);
  EXPECT_FALSE(view.Editing());
  Key(kKeyF2);
  EXPECT_FALSE(view.Editing());

  view.SetCol(kPrice);
  int32_t key = kKeyF2;
  view.KeyDown(key, 0);
  EXPECT_EQ(key, kKeyNone);
  EXPECT_TRUE(view.Editing());
  EXPECT_EQ(view.EditorText(), "2");
  EXPECT_EQ(view.EditorMaxLength(), 10);

  // A date column's Mode picks the long form; it limits no typing.
  Type("3", kKeyEnter);
  view.SetEditableColumns(std::bitset<256>("111"));
  view.SetCol(kDate);
  Key(kKeyEnter);
  EXPECT_TRUE(view.Editing());
  EXPECT_EQ(view.EditorMaxLength(), 0);
}

TEST_F(EditingTest, AnAcceptedValueIsCleanedAndStored) {
  int changes = 0;
  view.OnCellChange = [&](TDataView&) { ++changes; };
  Key(kKeyEnter);
  Type("12,5", kKeyEnter);
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 1), "12.5");
  EXPECT_EQ(std::tuple(changes, accepted, editEnds, acceptedMove), std::tuple(1, 1, 0, false));
  EXPECT_TRUE(ui.Boxes.empty());
}

TEST_F(EditingTest, ARefusedValueIsReportedAndLeavesTheCellAsItWas) {
  Key(kKeyEnter);
  Type("-3", kKeyEnter);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Введены неправильные данные\rЧисло в поле не может быть отрицательным"_w);
  EXPECT_EQ(ui.Boxes[0].Flags, 0x2010u);
  EXPECT_EQ(view.GetCellText(kPrice, 1), "2");
  EXPECT_EQ(std::tuple(view.Editing(), view.EditorText(), accepted), std::tuple(true, "-3", 0));

  // Losing the focus with a refused value keeps the editor too.
  view.LeaveEditor();
  EXPECT_EQ(ui.Boxes.size(), 2u);
  EXPECT_TRUE(view.Editing());
  Type("0", kKeyEnter);
  EXPECT_EQ(view.GetCellText(kPrice, 1), "0");
}

TEST_F(EditingTest, EscLeavesTheCellUnchangedAndEndsTheEdit) {
  Key(kKeyEnter);
  Type("7", kKeyEscape);
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 1), "2");
  EXPECT_EQ(std::pair(editEnds, accepted), std::pair(1, 0));

  view.CancelAllowed = false;
  Key(kKeyEnter);
  Type("7", kKeyEscape);
  EXPECT_TRUE(view.Editing());
  view.RightClick();
  EXPECT_TRUE(view.Editing());
}

TEST_F(EditingTest, UpAndDownLeaveTheEditorOnlyInALookupForm) {
  Key(kKeyEnter);
  Type("8", kKeyUp);
  EXPECT_TRUE(view.Editing());

  TViewForm form;
  form.LookupMode = true;
  view.Form = &form;
  Type("8", kKeyUp);
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(view.GetCellText(kPrice, 1), "8");
  EXPECT_TRUE(acceptedMove && acceptedUp);

  // A column with a list keeps Up and Down in its editor.
  TRuntimeObject list;
  view.GetColLayout(kPrice)->ListLink = &list;
  Key(kKeyEnter);
  Type("9", kKeyDown);
  EXPECT_TRUE(view.Editing());
}

TEST_F(EditingTest, TheEditorSwallowsTabsAndReturnsAndOffersLists) {
  EXPECT_FALSE(view.EditorKeyPress('\t'));
  EXPECT_FALSE(view.EditorKeyPress('\r'));
  EXPECT_TRUE(view.EditorKeyPress('a'));
  int lists = 0;
  view.OnListCell = [&](TDataView&) { ++lists; };
  view.EditorDoubleClick();
  EXPECT_EQ(lists, 1);
}

TEST_F(EditingTest, SuspendingUpdatesEndsEditing) {
  Key(kKeyEnter);
  view.SetUpdating(true);
  EXPECT_FALSE(view.Editing());
  EXPECT_EQ(editEnds, 1);
  EXPECT_FALSE(view.BeginEdit());
}

// --- Sorting and searching ---------------------------------------------------------

TEST_F(DataViewTest, SortingByATypedColumnKeepsTheCurrentRecord) {
  FillRows(view, {{"b", "10"}, {"a", "9"}, {"c", "100"}, {"d", "9"}});
  view.SetUpdating(false);
  view.SetRow(0);  // "b"
  EXPECT_TRUE(view.SortByColumn(kPrice, false));
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"a", "d", "b", "c"})) << "numbers, equal ones in order";
  EXPECT_EQ(view.CurRow(), 2);
  EXPECT_FALSE(view.SortByColumn(kPrice, false)) << "an already sorted view reports no change";
  EXPECT_EQ(view.CurRow(), 2);

  EXPECT_TRUE(view.SortByColumn(kPrice, true));
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"c", "b", "a", "d"}));

  EXPECT_TRUE(view.SortRows(Keys({kPrice, kName}).get(), true));
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"c", "b", "d", "a"}));
  for (int32_t r = 0; r < view.RowCount(); ++r) EXPECT_EQ(view.GetRow(r)->Index, r);
}

TEST_F(DataViewTest, TextsSortInTheProgramsCollation) {
  FillRows(view, {{"яблоко"_w, "1"}, {"Ёж"_w, "1"}, {"арбуз"_w, "1"}, {"Banana", "1"}, {"елка"_w, "1"}});
  EXPECT_TRUE(view.SortByColumn(kName, false));
  EXPECT_EQ(Column(view, kName),
            (std::vector<std::string>{"Banana", "арбуз"_w, "елка"_w, "Ёж"_w, "яблоко"_w}));
}

// The sort must agree with a plain stable sort by CompareValues, whatever
// shortcuts it takes on the way.
TEST_F(DataViewTest, SortingAgreesWithAStableSortByCompareValues) {
  std::mt19937 rng(5);
  const std::vector<std::string> parts = {"a", "A", "б"_w, "Б"_w, "ё"_w, "е"_w, " ", "1", "-", "abcdefgh"};
  const auto text = [&] {
    std::string s;
    for (int n = static_cast<int>(rng() % 22); n > 0; --n) s += parts[rng() % parts.size()];
    return s;
  };
  const auto number = [&] {
    const std::vector<std::string> special = {"", "x", "1e3", "0.0000000001", "-0", "12,5"};
    if (rng() % 4 == 0) return special[rng() % special.size()];
    return std::to_string(static_cast<int>(rng() % 200) - 100) + "." + std::to_string(rng() % 3);
  };
  for (int i = 0; i < 400; ++i) {
    const int32_t r = view.AppendRow();
    view.SetCellText(kName, r, text());
    view.SetCellText(kPrice, r, number());
    view.SetCellText(kDate, r, rng() % 3 ? std::to_string(1 + rng() % 3) + ".0" + std::to_string(1 + rng() % 3) + ".2003" : "");
    view.SetCellText(kCode, r, std::to_string(i));  // the row's identity
  }
  for (const auto& chain : {Keys({kName}), Keys({kPrice, kName}), Keys({kDate})}) {
    const TKeyCol* keys = chain.get();
    for (const bool descending : {false, true}) {
      std::vector<int32_t> expected(static_cast<size_t>(view.RowCount()));
      std::iota(expected.begin(), expected.end(), 0);
      std::stable_sort(expected.begin(), expected.end(), [&](int32_t a, int32_t b) {
        for (const TKeyCol* k = keys; k; k = k->Next.get()) {
          const int c = CompareValues(view.GetCellValue(k->Number, a), view.GetCellValue(k->Number, b), true);
          if (c != 0) return descending ? c > 0 : c < 0;
        }
        return false;
      });
      std::vector<std::string> want;
      for (const int32_t r : expected) want.push_back(view.GetCellText(kCode, r));
      view.SortRows(keys, descending);
      EXPECT_EQ(Column(view, kCode), want) << "keys from column " << keys->Number << (descending ? " down" : " up");
    }
  }
}

TEST_F(DataViewTest, FindOrInsertRowKeepsTheRowsSortedByKey) {
  view.SetUpdating(false);
  TKeyCol key;
  key.Number = kName;
  key.Value.Kind = 'C';
  bool inserted = false;

  key.Value.Str = "m";
  EXPECT_EQ(view.FindOrInsertRow(&key, inserted, true), 0);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(view.GetCellText(kName, 0), "m");
  for (const char* name : {"c", "x", "a", "p"}) {
    key.Value.Str = name;
    view.FindOrInsertRow(&key, inserted, true);
    EXPECT_TRUE(inserted) << name;
  }
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"a", "c", "m", "p", "x"}));

  key.Value.Str = "P";
  EXPECT_EQ(view.FindOrInsertRow(&key, inserted, true), 3);
  EXPECT_FALSE(inserted);
  EXPECT_EQ(view.RowCount(), 5);
  view.FindOrInsertRow(&key, inserted, false);
  EXPECT_TRUE(inserted) << "with case, P is another key";
  EXPECT_EQ(view.RowCount(), 6);

  TKeyCol dateKey;
  dateKey.Number = kDate;
  dateKey.Value.Kind = 'D';
  dateKey.Value.Date = {1, 2, 2003};
  TDataView dates;
  dates.SetBlank(&GoodsBlank());
  dates.FindOrInsertRow(&dateKey, inserted, false);
  EXPECT_EQ(dates.GetCellText(kDate, 0), "1 февраля 2003 г."_w) << "a date key keeps the form of its column";
  EXPECT_EQ(dates.GetCellValue(kDate, 0).Date, (TDateRec{1, 2, 2003}));
}

// Numbers closer than the tolerance link into chains longer than it; sorted
// alone or before a name, up or down, and found or inserted one by one, they
// must leave no row before a row more than the tolerance below it (above
// it, going down), and where two count as equal the name decides.
TEST(DataViewNumbers, NumbersCloserThanTheToleranceSortAndInsertInOrder) {
  TCurBlank blank;
  blank.SetText("COLCOUNT=2,0\nLEVELCOUNT=1\nFORMAT[1]=N,20,10\nFORMAT[2]=C,4,0\nCOLWIDTH[1..2]=100\n");
  constexpr int32_t kNum = 0, kLetter = 1;
  const auto numbers = [](TDataView& view, bool descending) {
    std::vector<long double> column;
    for (int32_t r = 0; r < view.RowCount(); ++r)
      column.push_back((descending ? -1 : 1) * view.GetCellValue(kNum, r).Num);
    return column;
  };
  std::mt19937 random(23);
  const auto number = [&] { return ChainedNumber(random() % 3 ? "4" : "-4", random() % 9, 4, 10); };
  const auto letter = [&] { return std::string(1, static_cast<char>('a' + random() % 5)); };
  for (int round = 0; round < 300; ++round) {
    TDataView view;
    ASSERT_TRUE(view.SetBlank(&blank));
    view.SetUpdating(false);
    for (int i = 2 + static_cast<int>(random() % 80); i > 0; --i) {
      const int32_t r = view.AppendRow();
      view.SetCellText(kNum, r, number());
      view.SetCellText(kLetter, r, letter());
    }
    for (const bool descending : {false, true}) {
      view.SortByColumn(kNum, descending);
      ASSERT_EQ(FirstRowOutOfOrder(numbers(view, descending)), -1) << "round " << round;
      view.SortRows(Keys({kNum, kLetter}).get(), descending);
      ASSERT_EQ(FirstRowOutOfOrder(numbers(view, descending)), -1) << "round " << round << " by letter too";
      for (int32_t r = 1; r < view.RowCount(); ++r) {
        const long double above = NumberOrderKey(view.GetCellValue(kNum, r - 1).Num);
        if (above != NumberOrderKey(view.GetCellValue(kNum, r).Num)) continue;
        ASSERT_TRUE(descending ? view.GetCellText(kLetter, r - 1) >= view.GetCellText(kLetter, r)
                               : view.GetCellText(kLetter, r - 1) <= view.GetCellText(kLetter, r));
      }
    }
    view.SortRows(Keys({kNum, kLetter}).get(), false);
    const auto keys = Keys({kNum, kLetter});
    for (int i = 0; i < 20; ++i) {
      keys->Value = Num(std::stold(number()));
      keys->Next->Value = Text(letter());
      bool inserted = false;
      const int32_t row = view.FindOrInsertRow(keys.get(), inserted, true);
      ASSERT_EQ(FirstRowOutOfOrder(numbers(view, false)), -1) << "round " << round << ", key " << i;
      ASSERT_EQ(view.FindOrInsertRow(keys.get(), inserted, true), row);
      ASSERT_FALSE(inserted);
    }
  }
}

TEST_F(DataViewTest, PrefixAndKeySearchesGiveTheFirstOfEqualRows) {
  FillRows(view, {{"Apple", "1"}, {"apricot", "2"}, {"apple", "3"}, {"Banana", "4"}});
  EXPECT_EQ(view.FindPrefix("APPLX", kName), 0);
  EXPECT_EQ(view.FindPrefix("apr", kName), 1);
  EXPECT_EQ(view.FindPrefix("b", kName), 3);
  EXPECT_EQ(view.FindPrefix("z", kName), -1);
  EXPECT_EQ(view.FindPrefix("", kName), -1);

  TDataView other;
  other.SetBlank(&GoodsBlank());
  const int32_t r = other.AppendRow();
  other.SetCellText(kName, r, "APPLE");
  TKeyCol key;
  key.Number = kName;
  int32_t insertPos = -1;
  EXPECT_EQ(view.FindRowByKeys(other, *other.GetRow(r), &key, false, insertPos, &key), 0);
  EXPECT_EQ(insertPos, 1);
  other.SetCellText(kName, r, "Apq");
  EXPECT_EQ(view.FindRowByKeys(other, *other.GetRow(r), &key, false, insertPos, &key), -1);
  EXPECT_EQ(insertPos, 3) << "one past the last row not greater";
  EXPECT_EQ(view.FindRowByKeys(other, *other.GetRow(r), &key, true, insertPos, &key), -1);
  EXPECT_EQ(insertPos, 1) << "a sorted walk stops at the first greater row";
}

TEST_F(DataViewTest, TheLookupGridListsTheRowsStartingWithThePrefix) {
  FillRows(view, {{"apple", "1.5"}, {"apricot", "2"}, {"banana", "3"}, {"bean", "4"}, {"cherry", "5"}});
  const auto keys = Keys({kName, kPrice});
  const TLookupMatches m = view.FillLookupGrid("B", keys.get());
  EXPECT_EQ(m.FirstIndex, 2);
  EXPECT_EQ(m.Rows, (std::vector<int32_t>{2, 3}));
  ASSERT_EQ(m.Texts.size(), 2u);
  EXPECT_EQ(m.Texts[0], (std::vector<std::string>{"banana", "3.00"}));
  EXPECT_EQ(view.FillLookupGrid("zz", keys.get()).FirstIndex, -1);
  EXPECT_TRUE(view.FillLookupGrid("bx", keys.get()).Rows.empty());
}

// --- In-memory tables -----------------------------------------------------------------

TEST_F(DataViewTest, RowsLoadFromAndSaveToATableThroughBoundColumns) {
  TStringBase table;
  table.MakeTemporary({{"NAME", 'C', 20, 0}, {"PRICE", 'N', 8, 2}, {"CODE", 'C', 10, 0}});
  for (const auto& [name, price, code] : {std::tuple{"tea", 3.5, "T1"}, std::tuple{"milk", 1.25, "M7"}}) {
    table.Append();
    table.SetValue(0, Text(name));
    table.SetValue(1, Num(price));
    table.SetValue(2, Text(code));
  }
  view.GetColLayout(kName)->BoundField = 0;
  view.GetColLayout(kPrice)->BoundField = 1;
  view.GetColLayout(kCode)->BoundField = 2;

  view.LoadFromTable(table);
  EXPECT_FALSE(view.UpdatesSuspended());
  EXPECT_EQ(Column(view, kName), (std::vector<std::string>{"tea", "milk"}));
  EXPECT_EQ(Column(view, kPrice), (std::vector<std::string>{"3.50", "1.25"}));
  EXPECT_EQ(Column(view, kCode), (std::vector<std::string>{"T1", "M7"}));
  EXPECT_EQ(std::tuple(view.TableRow(1), view.CurRow(), view.CurCol()), std::tuple(1, 0, 0));

  view.SetCellText(kName, 0, "  green   tea ");
  const int32_t mine = view.AppendRow();
  view.SetCellText(kName, mine, "jam");
  view.SaveToTableByRecord(table);
  EXPECT_EQ(table.Count(), 3);
  EXPECT_EQ(view.TableRow(mine), 2);
  view.SaveToTableByRecord(table);
  EXPECT_EQ(table.Count(), 3) << "a row saved once keeps its record";
  std::string text;
  table.MemTableGoto(0);
  table.GetFieldText(0, text);
  EXPECT_EQ(text, "green tea");

  view.DeleteRow(1);
  view.SaveToTable(table);
  ASSERT_EQ(table.Count(), 2);
  table.MemTableGoto(1);
  table.GetFieldText(0, text);
  EXPECT_EQ(text, "jam");
  TCommonVar price;
  table.MemTableGoto(0);
  table.GetValue(1, price);
  EXPECT_DOUBLE_EQ(static_cast<double>(price.Num), 3.5);
}

// The decimals a loaded number keeps come from the format its whole row
// chooses, also when the condition reads a column loaded after it.
TEST(DataViewLoad, ConditionsReadTheColumnsLoadedAfterTheirOwn) {
  TCurBlank blank;
  blank.SetText("COLCOUNT=2\nLEVELCOUNT=1\nFORMAT[1]=V[[NUMCOL(2) > 50, N,10,3], [1, N,10,1]]\nFORMAT[2]=N,5,0\n"
                "COLWIDTH[1..2]=100\n");
  TDataView view;
  ASSERT_TRUE(view.SetBlank(&blank));
  TStringBase table;
  table.MakeTemporary({{"PRICE", 'N', 10, 3}, {"QTY", 'N', 5, 0}});
  for (const auto& [price, qty] : {std::pair{12.345L, 60.0L}, std::pair{12.345L, 7.0L}}) {
    table.Append();
    table.SetValue(0, Num(price));
    table.SetValue(1, Num(qty));
  }
  view.GetColLayout(0)->BoundField = 0;
  view.GetColLayout(1)->BoundField = 1;
  for (const TLoadTexts texts : {TLoadTexts::Now, TLoadTexts::WhenRead}) {
    view.LoadFromTable(table, texts);
    EXPECT_EQ(Column(view, 0), (std::vector<std::string>{"12.345", "12.3"}));
  }
}

}  // namespace
