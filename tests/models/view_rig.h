// A blank view over a small goods blank for the tests of the view and the
// look-up pages: NAME C(20), PRICE N(10,2), DAT D (long form) shown, CODE
// C(10) hidden.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "foundation/text/collation.h"
#include "foundation/tables/key_cols.h"
#include "models/data_view.h"

namespace vm::test {

enum GoodsColumn { kName = 0, kPrice = 1, kDate = 2, kCode = 3 };

inline const std::string kGoodsBlank =
    "COLCOUNT=3,1\n"
    "LEVELCOUNT=1\n"
    "FORMAT[1]=C,20,0\n"
    "FORMAT[2]=N,10,2\n"
    "FORMAT[3]=D,1,0\n"
    "FORMAT[4]=C,10,0\n"
    "COLWIDTH[1..3]=100\n";

inline TCurBlank& GoodsBlank() {
  static TCurBlank blank;
  blank.SetText(kGoodsBlank);
  return blank;
}

// Rows of name and price; the view stays suspended unless told.
inline void FillRows(TDataView& view, const std::vector<std::pair<std::string, std::string>>& rows) {
  for (const auto& [name, price] : rows) {
    const int32_t r = view.AppendRow();
    view.SetCellText(kName, r, name);
    view.SetCellText(kPrice, r, price);
  }
}

inline std::vector<std::string> Column(const TDataView& view, int32_t col) {
  std::vector<std::string> texts;
  for (int32_t r = 0; r < view.RowCount(); ++r) texts.push_back(view.GetCellText(col, r));
  return texts;
}

inline TCommonVar Num(long double x) { return {'N', "", x, {}, {}}; }
inline TCommonVar Text(std::string s) { return {'C', std::move(s), 0, {}, {}}; }

// The search as a walk over every row: the first row sharing the most,
// letters without case. Rows are read without being made.
inline int32_t WalkBestPrefix(const TStringTable& table, std::string_view prefix, int32_t col) {
  int32_t best = -1;
  size_t most = 0;
  std::string scratch;
  for (int32_t r = 0; r < table.Count(); ++r) {
    const std::string_view text = table.ReadCellText(col, r, scratch);
    size_t shared = 0;
    while (shared < prefix.size() && shared < text.size() &&
           UpperChar1251(text[shared]) == UpperChar1251(prefix[shared]))
      ++shared;
    if (shared > most) {
      best = r;
      most = shared;
    }
  }
  return best;
}

// A chain of key columns, the first one sorting first.
inline std::unique_ptr<TKeyCol> Keys(std::initializer_list<int32_t> cols) {
  std::unique_ptr<TKeyCol> first;
  std::unique_ptr<TKeyCol>* next = &first;
  for (const int32_t col : cols) {
    *next = std::make_unique<TKeyCol>();
    (*next)->Number = col;
    next = &(*next)->Next;
  }
  return first;
}

}  // namespace vm::test
