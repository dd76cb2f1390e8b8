// The order rows of a blank view sort in: their typed keys are read from
// the cell texts once, and the rows are ordered by them as
// CompareValuesInOrder orders values (texts with case), equal rows keeping
// their order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

class TRowKeys {
 public:
  TRowKeys(int32_t rows, int32_t keysPerRow);

  // The next key: row by row, each row's keys in order. Kind is the letter
  // of the format that applies to the cell.
  void Add(const std::string& text, char kind);

  // Row indexes in sorted order.
  std::vector<int32_t> SortedOrder(bool descending) const;

 private:
  // What CompareValuesInOrder looks at: only the part of the value's kind
  // is set, the others stay zero as in a value read from text. A number is
  // kept as its NumberOrderKey, a text as its collation key (with case) in
  // the arena.
  struct TKey {
    char Kind = 0;
    uint32_t StrAt = 0;
    uint32_t StrLen = 0;
    long double Num = 0;
    TDateRec Date;
    TTimeRec Time;
  };

  int Compare(const TKey& a, const TKey& b) const;
  // All keys of two rows from key From on.
  int CompareRows(int32_t a, int32_t b, size_t from) const;
  bool FirstKeysAre(char kind) const;
  template <typename Entry, typename MakeEntry, typename CompareFirst>
  std::vector<int32_t> SortEntries(bool descending, MakeEntry make, CompareFirst first) const;

  int32_t rows_;
  size_t keysPerRow_;
  std::vector<TKey> keys_;
  std::string arena_;
};

}  // namespace vm
