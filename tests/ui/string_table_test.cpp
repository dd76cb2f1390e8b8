#include "ui/string_table.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "platform/encoding.h"

using namespace vm;

namespace {

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
