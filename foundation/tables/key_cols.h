// Key column lists: the columns a sort, a search, a link or a column list
// goes by, each with the value a search looks for.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/values/values.h"

namespace vm {

struct TKeyCol {
  int32_t Number = -1;     // column or field number
  int32_t ViewColumn = 0;  // the view column that receives the value
  char Kind = 0;           // type letter, where the list's user keeps one
  std::unique_ptr<TKeyCol> Next;
  TCommonVar Value;  // the key value of a search
};

// The first record numbered n; nullptr if none.
TKeyCol* FindKeyCol(TKeyCol* list, int32_t n);
// Appends a new record (Number -1) and counts it; an empty chain restarts
// the count.
TKeyCol* AddKeyCol(std::unique_ptr<TKeyCol>& list, int32_t& count);
void FreeKeyCols(std::unique_ptr<TKeyCol>& list, int32_t& count);
// Dst becomes a copy of Src's numbers and kinds.
void CopyKeyCols(const TKeyCol* src, std::unique_ptr<TKeyCol>& dst, int32_t& count);

}  // namespace vm
