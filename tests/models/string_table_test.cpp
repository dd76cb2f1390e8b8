#include "models/string_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "foundation/text/collation.h"
#include "platform/encoding.h"
#include "view_rig.h"

using namespace vm;
using vm::test::WalkBestPrefix;

namespace {

// A record's text in every column: the record's place in Texts.
struct TListedTexts final : TRowTexts {
  std::vector<std::string> Texts;
  std::string_view RecordText(int32_t record, int32_t, std::string&) const override {
    return Texts[static_cast<size_t>(record)];
  }
};

TStringTable Names(std::initializer_list<const char*> names) {
  TStringTable t;
  t.SetColCount(2);
  for (const char* n : names) t.SetCellText(0, t.AppendRow()->Index, n);
  return t;
}

}  // namespace

TEST(StringTable, RowsAndCellsOutsideTheTableAreQuietlyAbsent) {
  TStringTable t;
  EXPECT_EQ(std::tuple(t.LastIndex(), t.GetRow(0), t.GetCellText(0, 0)), std::tuple(-1, nullptr, ""));
  t.SetColCount(2);
  TViewRow* row = t.AppendRow();
  EXPECT_EQ(std::pair(row->SourceRecord, row->Cells.size()), std::pair(-1, size_t{2}));
  row->Measured = true;
  t.SetCellText(1, 0, "x");
  EXPECT_FALSE(row->Measured);
  t.SetCellText(2, 0, "beyond the columns");
  t.SetCellText(0, 5, "beyond the rows");
  EXPECT_EQ(std::tuple(t.GetCellText(2, 0), t.GetCell(-1, 0)), std::tuple("", nullptr));
  EXPECT_EQ(t.InsertRow(9)->Index, 1) << "beyond the last row appends";
  t.DeleteRow(7);
  EXPECT_EQ(t.Count(), 2);
  t.SetColCount(3);
  EXPECT_EQ(t.Count(), 0) << "new columns start a new table";
}

TEST(StringTable, PrefixSearchesShareLettersWithoutCase) {
  const TStringTable t = Names({"Молоко"_w.c_str(), "мука"_w.c_str(), "МОЛОТ"_w.c_str(), "сыр"_w.c_str()});
  EXPECT_EQ(t.FindBestPrefix("мол"_w, 0), 0);
  EXPECT_EQ(t.FindBestPrefix("молот"_w, 0), 2);
  EXPECT_EQ(t.FindBestPrefix("мх"_w, 0), 0) << "one shared letter, the first row wins";
  EXPECT_EQ(t.FindBestPrefix("хлеб"_w, 0), -1);

  // Sorted: the walk ends where the prefix sorts before the row.
  const TStringTable sorted = Names({"abc", "abd", "b", "bz", "abx"});
  EXPECT_EQ(sorted.FindPrefixSorted("ABD", 0), 1);
  EXPECT_EQ(sorted.FindPrefixSorted("abx", 0), 0) << "the rows after b are never reached";
  EXPECT_EQ(sorted.FindPrefixSorted("bz", 0), 3);
}

TEST(StringTable, PrefixSearchFindsWhatAWalkOverEveryRowFinds) {
  // Few letters in both cases, so that many rows share long prefixes and
  // ties between rows are common.
  const std::string letters = "aAbB"_w + "мМоО"_w + " 1";
  std::mt19937 random(42);
  const auto text = [&](size_t most) {
    std::string s(random() % (most + 1), ' ');
    for (char& c : s) c = letters[random() % letters.size()];
    return s;
  };
  TStringTable t;
  t.SetColCount(2);
  for (int i = 0; i < 3000; ++i) {
    const int32_t row = t.AppendRow()->Index;
    t.SetCellText(0, row, text(6));
    t.SetCellText(1, row, text(3));
  }
  for (int i = 0; i < 400; ++i) {
    const std::string prefix = text(8);
    const int32_t col = static_cast<int32_t>(random() % 2);
    ASSERT_EQ(t.FindBestPrefix(prefix, col), WalkBestPrefix(t, prefix, col)) << prefix << " in " << col;
  }
  EXPECT_EQ(t.FindBestPrefix("x", 0), -1);
  EXPECT_EQ(t.FindBestPrefix("", 0), -1);
  EXPECT_EQ(t.FindBestPrefix("a", 5), -1);
}

TEST(StringTable, PrefixSearchSeesEveryChangeOfTheRows) {
  TStringTable t = Names({"b", "ab", "c"});
  EXPECT_EQ(t.FindBestPrefix("a", 0), 1);
  t.SetCellText(0, 0, "abc");
  EXPECT_EQ(t.FindBestPrefix("a", 0), 0) << "a changed text";
  t.SetCellText(1, 2, "x");
  EXPECT_EQ(t.FindBestPrefix("x", 1), 2) << "another column";
  EXPECT_EQ(t.FindBestPrefix("c", 0), 2);
  t.SetCellText(0, t.InsertRow(0)->Index, "c");
  EXPECT_EQ(t.FindBestPrefix("c", 0), 0) << "an inserted row";
  t.DeleteRow(0);
  EXPECT_EQ(t.FindBestPrefix("c", 0), 2) << "a deleted row";
  t.Reorder({2, 1, 0});
  EXPECT_EQ(t.FindBestPrefix("c", 0), 0) << "rows in a new order";
  t.Clear();
  EXPECT_EQ(t.FindBestPrefix("c", 0), -1) << "no rows left";
}

// Past the rows read in order, the search keeps an index: whatever is
// typed, and whatever changes between two searches, it must find what a
// walk finds. Texts met only far down, or nowhere whole, are common here.
// Rows typed in, and rows loaded and not yet read, whose records the search
// walks and then finds their rows by: every change of the rows (a row
// inserted or deleted, the rows in a new order, a row made by a text typed
// over its record's, a row given another record, one past those loaded
// among them) must reach the rows it finds.
TEST(StringTable, PrefixSearchPastTheFirstRowsSeesEveryChange) {
  struct TTwoColumns final : TRowTexts {
    std::vector<std::array<std::string, 2>> Texts;
    std::string_view RecordText(int32_t record, int32_t col, std::string&) const override {
      return Texts[static_cast<size_t>(record)][static_cast<size_t>(col)];
    }
  };
  for (const bool pending : {false, true}) {
    std::mt19937 random(7);
    const std::string letters = "abqQ"_w + "яЯ"_w;
    const auto text = [&](size_t most) {
      std::string s(1 + random() % most, ' ');
      for (char& c : s) c = letters[random() % letters.size()];
      return s;
    };
    // The first rows start with no 'q', so that a search for one goes on.
    const auto early = [&] { return "a" + text(3); };
    TStringTable t;
    t.SetColCount(2);
    const int32_t rows = 3 * TStringTable::kWalkedRows;
    TTwoColumns texts;
    // Each later text ends in its record's number: typed whole, it names one row.
    for (int32_t i = 0; i <= rows; ++i)
      texts.Texts.push_back({i < TStringTable::kWalkedRows ? early() : text(5) + std::to_string(i), text(2)});
    if (pending) {
      t.AppendPendingRows(texts, rows);
    } else {
      for (int32_t i = 0; i < rows; ++i) {
        const int32_t row = t.AppendRow()->Index;
        for (const size_t col : {0, 1}) t.SetCellText(static_cast<int32_t>(col), row, texts.Texts[static_cast<size_t>(i)][col]);
      }
    }
    int indexed = 0;
    // The texts of column 0 the last change took away and put in, typed
    // next now and then: a row still found by its old text, or not yet by
    // its new one, is seen at once.
    std::vector<std::string> touched;
    for (int round = 0; round < 300; ++round) {
      int32_t col = random() % 4 == 0 ? 1 : 0;
      std::string prefix = random() % 2 ? "q" + text(6) : text(6);
      if (!touched.empty() && random() % 2 == 0) {
        col = 0;
        prefix = touched[random() % touched.size()];
      }
      const int32_t found = t.FindBestPrefix(prefix, col);
      ASSERT_EQ(found, WalkBestPrefix(t, prefix, col))
          << (pending ? "pending, " : "typed, ") << "round " << round << ": " << prefix << " in " << col;
      indexed += found >= TStringTable::kWalkedRows ? 1 : 0;
      const auto some = [&] { return static_cast<int32_t>(random() % static_cast<unsigned>(t.Count())); };
      // Past the first rows, so that they keep their early texts.
      const int32_t row = TStringTable::kWalkedRows + some() % (t.Count() - TStringTable::kWalkedRows);
      const auto touch = [&](int32_t r) {
        std::string scratch;
        if (const std::string_view text = t.ReadCellText(0, r, scratch); !text.empty()) touched.emplace_back(text);
      };
      touched.clear();
      touch(row);
      switch (random() % 6) {
        case 0: t.SetCellText(random() % 3 == 0 ? 1 : 0, row, text(5)); break;
        case 1: t.SetCellText(0, t.InsertRow(row)->Index, text(5)); break;
        case 2: t.DeleteRow(row); break;
        case 3: {
          std::vector<int32_t> order(static_cast<size_t>(t.Count()));
          for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
          std::shuffle(order.begin() + TStringTable::kWalkedRows, order.end(), random);
          t.Reorder(order);
          break;
        }
        case 4: {
          const int32_t shown = t.SourceRecord(some());
          t.SetSourceRecord(row, shown < 0 || random() % 8 == 0 ? rows : shown);
          break;
        }
        default: break;  // the same rows searched again
      }
      if (row < t.Count()) touch(row);
    }
    EXPECT_GT(indexed, 30) << (pending ? "pending" : "typed");
  }
}

// Rows loaded and not yet read, and rows made since (read, or typed in),
// put in a new order: each row must arrive with its record, its texts and
// its own record when it is made, whichever kind it was.
TEST(StringTable, ReorderMovesPendingAndMadeRowsAlike) {
  struct TTexts final : TRowTexts {
    std::string_view RecordText(int32_t record, int32_t col, std::string& scratch) const override {
      scratch = std::to_string(record) + (col == 0 ? "a" : "b");
      return scratch;
    }
  } texts;
  TStringTable t;
  t.SetColCount(2);
  t.AppendPendingRows(texts, 6);
  TViewRow* read = t.GetRow(1);
  TViewRow* typed = t.AppendRow();
  t.SetCellText(0, typed->Index, "new");
  t.SetSourceRecord(4, 5);  // a pending row whose record moved
  t.Reorder({6, 4, 0, 3, 1, 5, 2});
  const std::vector<std::string> texts0 = {"new", "5a", "0a", "3a", "1a", "5a", "2a"};
  const std::vector<int32_t> records = {-1, 5, 0, 3, 1, 5, 2};
  const std::vector<bool> pending = {false, true, true, true, false, true, true};
  for (int32_t row = 0; row < t.Count(); ++row) {
    const auto at = static_cast<size_t>(row);
    EXPECT_EQ(t.Pending(row), pending[at]) << row;
    EXPECT_EQ(t.SourceRecord(row), records[at]) << row;
    std::string scratch;
    EXPECT_EQ(t.ReadCellText(0, row, scratch), texts0[at]) << row;
  }
  EXPECT_EQ(std::pair(t.GetRow(0), t.GetRow(4)), std::pair(typed, read)) << "made rows keep their address";
  EXPECT_EQ(std::pair(typed->Index, read->Index), std::pair(0, 4));
  EXPECT_EQ(t.GetCellText(1, 3), "3b") << "a pending row made after the move";
}

// Rows not yet read are indexed in the order of their records, not of the
// rows: the row found must still be the first row that shares the most.
TEST(StringTable, PrefixSearchOverShuffledPendingRowsFindsTheFirstRow) {
  struct TTexts final : TRowTexts {
    std::string_view RecordText(int32_t record, int32_t col, std::string& scratch) const override {
      // Past the walked rows' worth of records, only a few texts, each many times.
      scratch = col == 0 && record < TStringTable::kWalkedRows ? "x" : std::to_string(record % 37 * 11);
      return scratch;
    }
  } texts;
  TStringTable t;
  t.SetColCount(1);
  const int32_t rows = 4 * TStringTable::kWalkedRows;
  t.AppendPendingRows(texts, rows);
  std::vector<int32_t> order(static_cast<size_t>(rows));
  for (int32_t i = 0; i < rows; ++i) order[static_cast<size_t>(i)] = i;
  std::shuffle(order.begin() + TStringTable::kWalkedRows, order.end(), std::mt19937(59));
  t.Reorder(order);
  for (const char* typed : {"1", "12", "121", "2", "22", "3", "33", "396", "4", "9", "99"}) {
    ASSERT_GT(t.FindBestPrefix(typed, 0), TStringTable::kWalkedRows - 1) << typed;
    ASSERT_EQ(t.FindBestPrefix(typed, 0), WalkBestPrefix(t, typed, 0)) << typed;
  }
}

// Parts of tens of thousands of rows are parted while the index is made, as
// far as it goes: texts sharing long beginnings (parted a character at a
// time without moving, even past where the index stops parting ahead),
// texts ending at every depth, rows visited in their order and not.
TEST(StringTable, PrefixSearchOverBigPartsFindsWhatAWalkFinds) {
  TListedTexts texts;
  std::mt19937 random(23);
  const std::string letters = "aAbB"_w + "яЯ"_w + " 1";
  const auto tail = [&](size_t most) {
    std::string s(random() % (most + 1), ' ');
    for (char& c : s) c = letters[random() % letters.size()];
    return s;
  };
  // The long ones are longer than the index reserves for a text at first.
  const std::string beginnings[] = {"",         "a",  "Я"_w, "ab", std::string(100, 'a'), std::string(99, 'a') + "b",
                                    "Сахар "_w, "сахар 1"_w};
  const int32_t rows = 160000;
  for (int32_t r = 0; r < rows; ++r)
    texts.Texts.push_back(r < TStringTable::kWalkedRows ? "x" : beginnings[random() % 8] + tail(4));
  for (const bool shuffled : {false, true}) {
    TStringTable t;
    t.SetColCount(1);
    t.AppendPendingRows(texts, rows);
    if (shuffled) {
      std::vector<int32_t> order(static_cast<size_t>(rows));
      for (int32_t i = 0; i < rows; ++i) order[static_cast<size_t>(i)] = i;
      std::shuffle(order.begin() + TStringTable::kWalkedRows, order.end(), random);
      t.Reorder(order);
    }
    for (int i = 0; i < 80; ++i) {
      const auto some = TStringTable::kWalkedRows + random() % static_cast<uint32_t>(rows - TStringTable::kWalkedRows);
      std::string prefix = texts.Texts[some];
      prefix.resize(random() % (prefix.size() + 2), 'b');
      if (random() % 4 == 0) prefix += tail(3);
      if (prefix.empty()) continue;
      ASSERT_EQ(t.FindBestPrefix(prefix, 0), WalkBestPrefix(t, prefix, 0))
          << (shuffled ? "shuffled, " : "in order, ") << "search " << i << ": " << prefix;
    }
  }
}

// A text no first row starts like walks every row and indexes only the rows
// starting with its first character: which rows those are must be decided
// as the search compares, letters without case (Russian ones and Ё among
// them), a leading blank a character like any other, an empty text none;
// the rows kept for one first character answer every later text starting
// with it in either case, and a first character no row has finds none.
// Rows whose texts are not where their records lie in order count as
// theirs: a text typed over a record's, a row typed in, a record shown by
// two rows (the first wins, the second once the first is made or gone) and
// one past those the rows were loaded with; a made row deleted counts no more.
TEST(StringTable, PrefixSearchByFirstCharacterFindsWhatAWalkFinds) {
  TListedTexts texts;
  const std::string firsts[] = {"ё"_w, "Ё"_w, "я"_w, "Я"_w, "е"_w, " ", "a", "A", ""};
  const std::string rests[] = {"", "ж", "Ж"_w, "жёлудь"_w, " 1", "ЁЖ"_w};
  std::mt19937 random(31);
  const int32_t rows = 3 * TStringTable::kWalkedRows;
  for (int32_t r = 0; r < rows; ++r)
    texts.Texts.push_back(r < TStringTable::kWalkedRows ? "x" : firsts[random() % 9] + rests[random() % 6]);
  const int32_t twice = rows - 10, typedOver = rows - 11;
  texts.Texts[static_cast<size_t>(twice)] = "ЕЁЕЁ"_w;
  texts.Texts[static_cast<size_t>(typedOver)] = "ЕЁЁЁ"_w;
  texts.Texts.push_back("ЁЖИК"_w);
  TStringTable t;
  t.SetColCount(1);
  t.AppendPendingRows(texts, rows);
  std::vector<int32_t> order(static_cast<size_t>(rows));
  for (int32_t i = 0; i < rows; ++i) order[static_cast<size_t>(i)] = i;
  std::shuffle(order.begin() + TStringTable::kWalkedRows, order.end(), random);
  t.Reorder(order);
  t.GetRow(rows - 1);  // a row made, read from its cells rather than its record
  t.SetSourceRecord(TStringTable::kWalkedRows, twice);
  t.SetSourceRecord(rows - 2, rows);
  for (int32_t r = 0; r < rows; ++r)
    if (t.SourceRecord(r) == typedOver) t.SetCellText(0, r, "яЯ"_w);
  t.SetCellText(0, rows - 6, "ЯЯЯ"_w);
  t.DeleteRow(rows - 6);
  t.SetCellText(0, t.InsertRow(2 * TStringTable::kWalkedRows)->Index, "ая"_w);
  const std::string typed[] = {"Ёж"_w, "ёЖЁ"_w, "ёлка"_w, "Яж"_w, "я 1"_w, " ж"_w, " 1", "aЖ"_w, "AЖЁЛУДЬ"_w,
                               "Е"_w,  "ЕЖ"_w, "б"_w,    "Б"_w,  "ЁЁ"_w,  "ЁЖИ"_w, "ЯЯЯ"_w, "АЯ"_w, "ЕЁЕ"_w, "ЕЁЁ"_w};
  for (int round = 0; round < 2; ++round)
    for (const std::string& text : typed)
      ASSERT_EQ(t.FindBestPrefix(text, 0), WalkBestPrefix(t, text, 0)) << "round " << round << ": " << text;
  EXPECT_EQ(t.FindBestPrefix("б"_w, 0), -1);
  t.SetCellText(0, rows - 1, "бор"_w);
  EXPECT_EQ(t.FindBestPrefix("Б"_w, 0), rows - 1) << "a changed text is seen by a first character walked before";
  // Of the two rows showing one record, the first typed over, then the
  // second deleted: the record is shown by the second row, then by none.
  t.SetCellText(0, TStringTable::kWalkedRows, "бор"_w);
  const int32_t second = WalkBestPrefix(t, "ЕЁЕЁ"_w, 0);
  EXPECT_EQ(std::pair(t.FindBestPrefix("ЕЁЕЁ"_w, 0), t.SourceRecord(second)), std::pair(second, twice));
  t.DeleteRow(second);
  EXPECT_EQ(t.FindBestPrefix("ЕЁЕЁ"_w, 0), WalkBestPrefix(t, "ЕЁЕЁ"_w, 0));
}
