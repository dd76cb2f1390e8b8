// Rows whose texts are made from their records when read, against the same
// records loaded with every text written at once: random tables of every
// field kind (odd numbers and dates, blanks at the ends of texts), blanks
// with conditional formats, and random sorts, searches, edits, inserts and
// deletes on both views. Texts, values, current cells, search hits, sort
// orders, saved records and drawn tables must not differ.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/tables/string_base.h"
#include "foundation/text/collation.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"
#include "models/data_view.h"
#include "models/table_render.h"
#include "platform/encoding.h"
#include "support/fake_canvas.h"
#include "view_rig.h"

using namespace vm;
using namespace vm::test;

namespace {

// NAME C(14), PRICE N(10,2), QTY N(12,3), CODE N(6,0), DAY D, OK L, NOTE C(6).
const std::vector<TFieldRecord> kFields = {{"NAME", 'C', 14, 0}, {"PRICE", 'N', 10, 2}, {"QTY", 'N', 12, 3},
                                           {"CODE", 'N', 6, 0},  {"DAY", 'D', 8, 0},    {"OK", 'L', 1, 0},
                                           {"NOTE", 'C', 6, 0}};
// The field each column shows; the eighth shows none, the ninth is hidden.
const std::vector<int32_t> kBound = {0, 1, 2, 2, 4, 5, 3, -1, 6};

// The seventh column's formats differ by row, in the font only: the text of
// a cell stays the same whichever a condition picks.
std::string BlankText(const std::string& seventh) {
  return "COLCOUNT=8,1\nLEVELCOUNT=1\nCOLWIDTH[1..8]=60\nFORMAT[1]=C,14,0\nFORMAT[2]=N,10,2\n"
         "FORMAT[3]=N,0,0\nFORMAT[4]=N,8,1\nFORMAT[5]=D,1,0\nFORMAT[6]=C,1,0\nFORMAT[7]=" +
         seventh + "\nFORMAT[8]=C,6,0\nFORMAT[9]=C,6,0\n";
}
const std::string kSameTexts = "V[[NUMCOL(7) < 10, N,10,3,35,1], [1, N,10,3]]";
const std::string kOtherTexts = "V[[NUMCOL(2) > 50, N,10,3], [1, N,10,1]]";
// A fixed-text cell keeps its number otherwise than a number cell.
const std::string kFixedTexts = "E,'X',0";
const std::string kSometimesFixed = "V[[NUMCOL(2) > 50, E,'X',0], [1, N,10,4]]";

struct Random {
  std::mt19937 gen;
  explicit Random(unsigned seed) : gen(seed) {}
  size_t Below(size_t n) { return n == 0 ? 0 : gen() % n; }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  std::string Text(size_t most) {
    static const std::string letters = "aAbZ09 \t*"_w + "еЕёЁмМоОя"_w;
    std::string s(Below(most + 1), ' ');
    for (char& c : s) c = letters[Below(letters.size())];
    return s;
  }
  // What a number field may hold: plain numbers, and what other programs
  // leave there.
  std::string Number(int decimals) {
    static const char* odd[] = {"", "-0", "-0.00", "1,5", "abc", "*****", "12.3456", "1e5", " 7 ", "-", "."};
    if (Chance(25)) return odd[Below(std::size(odd))];
    std::string s = std::to_string(static_cast<long>(Below(20000)) - 5000);
    if (decimals > 0) s += "." + std::to_string(1000 + Below(1000)).substr(1, static_cast<size_t>(decimals));
    return s;
  }
  std::string Date() {
    static const char* dates[] = {"20240131", "19991231", "", "20240230", "abcdefgh", "2024013", "00000000"};
    return dates[Below(std::size(dates))];
  }
};

void FillTable(TStringBase& table, Random& random, int32_t rows) {
  table.MakeTemporary(kFields);
  for (int32_t r = 0; r < rows; ++r) {
    table.Append();
    table.SetFieldText(0, random.Text(14));
    table.SetFieldText(1, random.Number(2));
    table.SetFieldText(2, random.Number(random.Chance(50) ? 3 : 1));
    table.SetFieldText(3, random.Number(0));
    table.SetFieldText(4, random.Date());
    table.SetFieldText(5, random.Chance(50) ? "T" : "?");
    table.SetFieldText(6, random.Text(6));
  }
}

void Load(TDataView& view, const std::string& blank, TStringBase& table, TLoadTexts texts) {
  TCurBlank source;
  source.SetText(blank);
  ASSERT_TRUE(view.SetBlank(&source));
  for (int32_t col = 0; col < view.ColCount(); ++col) view.GetColLayout(col)->BoundField = kBound[static_cast<size_t>(col)];
  view.LoadFromTable(table, texts);
}

// Every text of the view, read without making a row.
std::vector<std::string> Texts(const TDataView& view) {
  std::vector<std::string> texts;
  std::string scratch;
  for (int32_t r = 0; r < view.RowCount(); ++r)
    for (int32_t c = 0; c < view.ColCount(); ++c) texts.emplace_back(view.Table().ReadCellText(c, r, scratch));
  return texts;
}

std::vector<int32_t> State(const TDataView& view) {
  std::vector<int32_t> state = {view.RowCount(), view.CurRow(), view.CurCol(), view.PrevRow(), view.PrevCol(),
                                view.AnchorRow()};
  for (int32_t r = 0; r < view.RowCount(); ++r) state.push_back(view.TableRow(r));
  return state;
}

std::string ValueText(const TCommonVar& v) {
  return std::string(1, v.Kind) + "|" + v.Str + "|" + ExtendedToFixed(v.Num, 6) + "|" + DateRecToStr(v.Date) + "|" +
         TimeRecToStr(v.Time, false, true);
}

std::vector<std::string> Drawn(TDataView& view) {
  FakeCanvas canvas;
  TTableDraw request;
  request.AvailHeight = 1 << 20;
  request.AvailWidth = 4000;
  DrawBlankTable(canvas, request, view.Blank(), view);
  return canvas.ops;
}

// The records a view saves, field by field as the table holds them.
std::vector<std::string> Saved(TDataView& view) {
  TStringBase table;
  table.MakeTemporary(kFields);
  view.SaveToTable(table);
  std::vector<std::string> records;
  for (int32_t r = 0; r < table.Count(); ++r)
    for (int32_t f = 0; f < table.FieldCount(); ++f)
      records.emplace_back(table.FieldBytes(f, table.MemTableLocate(r)->Buffer()));
  return records;
}

// Applies one random step to both views and says which.
std::string Step(Random& random, TDataView& now, TDataView& later) {
  const auto row = [&](int32_t extra) { return static_cast<int32_t>(random.Below(static_cast<size_t>(now.RowCount() + extra))); };
  const auto col = [&] { return static_cast<int32_t>(random.Below(static_cast<size_t>(now.ColCount()))); };
  switch (random.Below(8)) {
    case 0: {
      const auto keys = random.Chance(50) ? Keys({col()}) : Keys({col(), col()});
      const bool descending = random.Chance(20);
      EXPECT_EQ(now.SortRows(keys.get(), descending), later.SortRows(keys.get(), descending));
      return "sort";
    }
    case 1:
    case 2: {
      const int32_t c = random.Chance(50) ? 0 : col();
      std::string prefix = random.Text(4);
      if (now.RowCount() > 0 && random.Chance(70)) {
        std::string scratch;
        prefix = now.Table().ReadCellText(c, row(0), scratch).substr(0, random.Below(6));
        for (char& ch : prefix)
          if (random.Chance(30)) ch = UpperChar1251(ch) == ch ? LowerChar1251(ch) : UpperChar1251(ch);
      }
      const int32_t walked = WalkBestPrefix(now.Table(), prefix, c);
      EXPECT_EQ(now.FindPrefix(prefix, c), walked) << prefix;
      EXPECT_EQ(later.FindPrefix(prefix, c), walked) << prefix;
      return "search";
    }
    case 3: {
      if (now.RowCount() == 0) return "nothing";
      const int32_t r = row(0), c = col();
      const std::string text = random.Chance(50) ? random.Text(8) : random.Number(2);
      now.SetCellText(c, r, text);
      later.SetCellText(c, r, text);
      return "edit";
    }
    case 4: {
      const int32_t at = row(1);
      now.InsertRow(at);
      later.InsertRow(at);
      return "insert";
    }
    case 5: {
      const int32_t r = row(0);
      now.DeleteRow(r);
      later.DeleteRow(r);
      return "delete";
    }
    case 6: {
      auto keys = Keys({1});
      keys->Value = Num(static_cast<long double>(random.Below(100)));
      bool inserted[2] = {};
      EXPECT_EQ(now.FindOrInsertRow(keys.get(), inserted[0], false), later.FindOrInsertRow(keys.get(), inserted[1], false));
      EXPECT_EQ(inserted[0], inserted[1]);
      return "find or insert";
    }
    default: {
      if (now.RowCount() == 0) return "nothing";
      const int32_t r = row(0), c = col();
      EXPECT_EQ(ValueText(now.GetCellValue(c, r)), ValueText(later.GetCellValue(c, r)));
      now.SetRow(r);
      later.SetRow(r);
      return "value";
    }
  }
}

TEST(LoadedTexts, RowsReadAtNeedGiveWhatRowsLoadedAtOnceGive) {
  for (unsigned seed = 1; seed <= 48; ++seed) {
    SCOPED_TRACE(seed);
    Random random(seed);
    TStringBase table;
    FillTable(table, random, static_cast<int32_t>(random.Below(60)));
    const bool sameTexts = seed % 4 != 0;
    const std::string blank = BlankText(seed > 40  ? (sameTexts ? kFixedTexts : kSometimesFixed)
                                        : sameTexts ? kSameTexts
                                                    : kOtherTexts);
    TDataView now, later;
    Load(now, blank, table, TLoadTexts::Now);
    Load(later, blank, table, TLoadTexts::WhenRead);
    ASSERT_EQ(Texts(later), Texts(now));
    ASSERT_EQ(State(later), State(now));
    // Formats that could give a row's text differently load it at once.
    if (table.Count() > 0) {
      EXPECT_EQ(later.Table().Pending(0), sameTexts);
    }

    for (int step = 0; step < 60; ++step) {
      const std::string done = Step(random, now, later);
      ASSERT_EQ(Texts(later), Texts(now)) << "after " << done << " at step " << step;
      ASSERT_EQ(State(later), State(now)) << "after " << done << " at step " << step;
    }
    const auto keys = Keys({0, 3});
    const TLookupMatches a = now.FillLookupGrid("a", keys.get()), b = later.FillLookupGrid("a", keys.get());
    EXPECT_EQ(std::tuple(a.FirstIndex, a.Rows, a.Texts), std::tuple(b.FirstIndex, b.Rows, b.Texts));
    EXPECT_EQ(Drawn(later), Drawn(now));
    EXPECT_EQ(Saved(later), Saved(now));
    for (int32_t r = 0; r < now.RowCount(); ++r)
      ASSERT_EQ(later.GetRow(r)->Cells.size(), now.GetRow(r)->Cells.size());
    EXPECT_EQ(Texts(later), Texts(now)) << "rows made at last";
  }
}

// The search bisects rows sorted by a column of texts; anything that could
// break their order sends it back to its index.
TEST(LoadedTexts, ASearchInTheSortedColumnFindsWhatAWalkFinds) {
  Random random(7);
  TStringBase table;
  FillTable(table, random, 400);
  TDataView view;
  Load(view, BlankText(kSameTexts), table, TLoadTexts::WhenRead);
  const auto byName = Keys({0});
  const auto check = [&](const char* after) {
    for (int i = 0; i < 200; ++i) {
      std::string scratch;
      std::string prefix(view.Table().ReadCellText(0, static_cast<int32_t>(random.Below(400)), scratch));
      prefix = random.Chance(20) ? random.Text(3) : prefix.substr(0, random.Below(prefix.size() + 2));
      ASSERT_EQ(view.FindPrefix(prefix, 0), WalkBestPrefix(view.Table(), prefix, 0)) << after << ": " << prefix;
    }
  };
  view.SortRows(byName.get(), false);
  EXPECT_EQ(view.Table().TextOrder(), 0);
  check("sorted");
  view.SetCellText(0, 17, "  zz");
  EXPECT_EQ(view.Table().TextOrder(), -1);
  check("a text changed");
  view.SortRows(byName.get(), false);
  EXPECT_EQ(view.Table().TextOrder(), -1) << "a text with a blank at its start sorts by its word";
  for (int32_t r = 0; r < view.RowCount(); ++r) {
    std::string scratch;
    if (view.Table().ReadCellText(0, r, scratch) == "  zz") view.SetCellText(0, r, "zz");
  }
  view.SortRows(byName.get(), true);
  EXPECT_EQ(view.Table().TextOrder(), -1) << "descending";
  check("descending");
  view.SortRows(byName.get(), false);
  view.DeleteRow(3);
  EXPECT_EQ(view.Table().TextOrder(), 0) << "a deleted row keeps the order";
  check("a row deleted");
  view.SetCellText(0, view.InsertRow(5), "a");
  EXPECT_EQ(view.Table().TextOrder(), -1);
  check("a row inserted");
  int32_t made = 0;
  for (int32_t r = 0; r < view.RowCount(); ++r) made += view.Table().Pending(r) ? 0 : 1;
  EXPECT_LE(made, 4) << "searching and sorting made no rows";
}

// A first character typed into a column of a book bigger than the rows a
// search reads first walks every record once and reads most texts where
// they lie: numbers whose text is their digits as they stand beside those
// whose text is made (a leading zero, a sign, fewer or more decimals than
// the column shows, a blank field, what other programs leave in a number
// field), in fields of a word and longer, and texts with Ё and letters of
// either case, must be found as a walk over the rows' texts finds them, at
// the character that walks and at those after it.
TEST(LoadedTexts, APrefixSearchPastTheFirstRowsFindsWhatAWalkFinds) {
  const std::vector<TFieldRecord> fields = {
      {"NAME", 'C', 12, 0}, {"SUM", 'N', 8, 2}, {"LONG", 'N', 12, 3}, {"CODE", 'N', 6, 0}, {"RATE", 'N', 10, 4}};
  // SUM as it stands and with a decimal fewer, LONG as it stands, CODE as
  // it stands and in the general form (four decimals), RATE as fixed text,
  // which drops a number's zero decimals.
  const std::string blank =
      "COLCOUNT=7,1\nLEVELCOUNT=1\nCOLWIDTH[1..7]=60\nFORMAT[1]=C,12,0\nFORMAT[2]=N,8,2\nFORMAT[3]=N,8,1\n"
      "FORMAT[4]=N,12,3\nFORMAT[5]=N,6,0\nFORMAT[6]=N,0,0\nFORMAT[7]=E,'-',0\nFORMAT[8]=C,6,0\n";
  const std::vector<int32_t> bound = {0, 1, 1, 2, 3, 3, 4, -1};
  const char* odd[] = {"00742", "-4321", "-0", "-0.00", "0",   "0.50", ".5",  "1.5", "12.345", "9.999",
                       "99.995", "",     "*****", "1e5", " 7 ", "1,5", "12.", "00.25", "-12.5"};
  Random random(11);
  // Not a whole number of the walk's stretches.
  const int32_t rows = 3 * TStringTable::kWalkedRows + 77;
  // By record, the odd value each number field holds (-1 for a plain one).
  std::vector<std::array<int, 4>> oddAt(static_cast<size_t>(rows));
  const auto number = [&](int32_t record, int32_t field, int decimals) {
    int& at = oddAt[static_cast<size_t>(record)][static_cast<size_t>(field - 1)];
    at = random.Chance(30) ? static_cast<int>(random.Below(std::size(odd))) : -1;
    if (at >= 0) return std::string(odd[at]);
    std::string s = std::to_string(1 + random.Below(99999));
    if (decimals > 0) s += "." + std::to_string(1000 + random.Below(1000)).substr(1, static_cast<size_t>(decimals));
    return s;
  };
  TStringBase table;
  table.MakeTemporary(fields);
  // Rates whose fixed text drops their zero decimals, typed as stored.
  std::vector<std::string> storedRates;
  for (int32_t r = 0; r < rows; ++r) {
    table.Append();
    table.SetFieldText(0, random.Text(12));
    table.SetFieldText(1, number(r, 1, 2));
    table.SetFieldText(2, number(r, 2, 3));
    table.SetFieldText(3, number(r, 3, 0));
    const std::string rate = std::to_string(random.Below(10)) + "." + std::to_string(random.Below(10)) + "000";
    if (storedRates.size() < 10) storedRates.push_back(rate);
    table.SetFieldText(4, rate);
  }
  TCurBlank source;
  source.SetText(blank);
  TDataView view;
  ASSERT_TRUE(view.SetBlank(&source));
  for (int32_t col = 0; col < view.ColCount(); ++col) view.GetColLayout(col)->BoundField = bound[static_cast<size_t>(col)];
  view.LoadFromTable(table, TLoadTexts::WhenRead);
  const auto byLong = Keys({3});
  view.SortRows(byLong.get(), false);  // the rows no longer in the records' order
  ASSERT_TRUE(view.Table().Pending(rows / 2));
  for (int32_t col = 0; col < view.ColCount(); ++col) {
    std::vector<std::string> typed;
    // No row holds a '~': every first character walks.
    for (const char first : std::string("0123456789-.*")) typed.push_back(std::string(1, first) + "~");
    typed.insert(typed.end(), storedRates.begin(), storedRates.end());
    // The text of the first row showing each odd value, whole.
    const int32_t field = bound[static_cast<size_t>(col)];
    for (int o = 0; field > 0 && o < static_cast<int>(std::size(odd)); ++o)
      for (int32_t r = 0; r < rows; ++r)
        if (oddAt[static_cast<size_t>(view.Table().SourceRecord(r))][static_cast<size_t>(field - 1)] == o) {
          std::string scratch;
          typed.push_back(std::string(view.Table().ReadCellText(col, r, scratch)) + "~");
          break;
        }
    // The text of the row showing the last record, the walk's last, whole.
    for (int32_t r = 0; r < rows; ++r)
      if (view.Table().SourceRecord(r) == rows - 1) {
        std::string scratch;
        typed.push_back(std::string(view.Table().ReadCellText(col, r, scratch)) + "~");
      }
    for (int i = 0; i < 60; ++i) {
      std::string scratch;
      std::string text(view.Table().ReadCellText(col, static_cast<int32_t>(random.Below(rows)), scratch));
      text.resize(random.Below(text.size() + 1));
      for (char& c : text)
        if (random.Chance(30)) c = UpperChar1251(c) == c ? LowerChar1251(c) : UpperChar1251(c);
      if (!text.empty()) typed.push_back(random.Chance(50) ? text + "~" : text);
    }
    for (const std::string& prefix : typed)
      ASSERT_EQ(view.FindPrefix(prefix, col), WalkBestPrefix(view.Table(), prefix, col)) << col << ": " << prefix;
  }
}

}  // namespace
