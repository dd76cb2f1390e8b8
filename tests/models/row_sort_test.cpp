// The order of rows whose keys are of mixed kinds, as a conditional format
// gives them: a sort must see an order there (an ASan build catches a sort
// that runs past its rows), numbers first, then texts, dates and times.
#include "models/row_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "foundation/values/value_text.h"
#include "models/data_view.h"
#include "view_rig.h"

using namespace vm;
using namespace vm::test;

namespace {

struct Key {
  char Kind;
  std::string Text;
};

int Rank(char kind) { return kind == 'N' ? 0 : kind == 'C' ? 1 : kind == 'D' ? 2 : 3; }

// What the rows must come to: a stable sort by rank, then by value.
std::vector<int32_t> Expected(const std::vector<std::vector<Key>>& rows, bool descending) {
  std::vector<int32_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    for (std::size_t k = 0; k < rows[0].size(); ++k) {
      const Key& x = rows[static_cast<std::size_t>(a)][k];
      const Key& y = rows[static_cast<std::size_t>(b)][k];
      int c = Rank(x.Kind) - Rank(y.Kind);
      if (c == 0) {
        TCommonVar vx, vy;
        TextToValue(x.Text, x.Kind, vx);
        TextToValue(y.Text, y.Kind, vy);
        c = CompareValuesInOrder(vx, vy, true);
      }
      if (c != 0) return descending ? c > 0 : c < 0;
    }
    return false;
  });
  return order;
}

Key RandomKey(std::mt19937& rng, bool mixed) {
  static const char* texts[] = {"7", "abc", "", "Б", "100", "-", "zz"};
  static const char* others[] = {"1.02.2003", "31.12.1999", "10:15", ""};
  switch (mixed ? rng() % 5 : 0) {
    case 0:
    case 1: return {'N', std::to_string(static_cast<int>(rng() % 120) - 20)};
    case 2:
    case 3: return {'C', texts[rng() % std::size(texts)]};
    default: return {rng() % 2 ? 'D' : 'T', others[rng() % std::size(others)]};
  }
}

TEST(RowSortTest, KeysOfMixedKindsSortNumbersFirstAtEveryRowCount) {
  std::mt19937 rng(56);
  for (int32_t count = 2; count <= 600; count += count < 40 ? 1 : 67) {
    // Mixed first keys; or a column of one kind whose ties leave mixed
    // second keys to decide.
    for (const bool mixedFirst : {true, false}) {
      std::vector<std::vector<Key>> rows;
      for (int32_t r = 0; r < count; ++r)
        rows.push_back({RandomKey(rng, mixedFirst), RandomKey(rng, true)});
      if (!mixedFirst)
        for (auto& row : rows)
          row[0] = count % 2 ? Key{'N', std::to_string(rng() % 5)} : Key{'C', row[0].Text.substr(0, 1)};
      for (const bool descending : {false, true}) {
        const auto source = [&](int32_t row, int32_t key, char& kind) -> std::string_view {
          const Key& k = rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(key)];
          kind = k.Kind;
          return k.Text;
        };
        EXPECT_EQ(SortedRowOrder(count, 2, descending, source), Expected(rows, descending))
            << count << " rows" << (mixedFirst ? "" : " after ties") << (descending ? ", descending" : "");
      }
    }
  }
}

// The column of a blank whose format is a number's for some rows and a
// text's for the others, sorted as a click on its header sorts it.
TEST(RowSortTest, AViewColumnWithAConditionalKindSortsBothWays) {
  TCurBlank blank;
  blank.SetText("COLCOUNT=2\nLEVELCOUNT=1\nCOLWIDTH[1..2]=80\n"
                "FORMAT[1]=V[[NUMCOL(2) > 50, N,10,0], [1, C,14,0]]\nFORMAT[2]=N,5,0\n");
  TDataView view;
  ASSERT_TRUE(view.SetBlank(&blank));
  std::mt19937 rng(268);
  for (int32_t r = 0; r < 268; ++r) {
    const int32_t row = view.AppendRow();
    view.SetCellText(1, row, std::to_string(rng() % 100));
    view.SetCellText(0, row, std::to_string(rng() % 1000));
  }
  for (const bool descending : {true, false}) {
    view.SortByColumn(0, descending);
    // The numbers together at one end, in order, and the texts at the other.
    std::vector<char> kinds;
    for (int32_t r = 0; r < view.RowCount(); ++r) kinds.push_back(view.BlankFieldKind(0, r));
    const auto numbersFirst = [](char a, char b) { return a == 'N' && b == 'C'; };
    EXPECT_TRUE(descending ? std::is_sorted(kinds.rbegin(), kinds.rend(), numbersFirst)
                           : std::is_sorted(kinds.begin(), kinds.end(), numbersFirst));
    for (int32_t r = 1; r < view.RowCount(); ++r) {
      if (view.BlankFieldKind(0, r) != view.BlankFieldKind(0, r - 1)) continue;
      const int c = CompareValuesInOrder(view.GetCellValue(0, r - 1), view.GetCellValue(0, r), true);
      EXPECT_LE(descending ? -c : c, 0) << "row " << r;
    }
  }
}

}  // namespace
