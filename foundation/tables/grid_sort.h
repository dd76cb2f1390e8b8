// Sorting the rows of a designer's string grid by key columns. Row 0 is the
// grid's title row and stays where it is.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/tables/key_cols.h"

namespace vm {

class IStringGrid {
 public:
  virtual ~IStringGrid() = default;
  virtual int32_t RowCount() const = 0;
  virtual std::string Cell(int32_t col, int32_t row) const = 0;
  // Exchanges the texts and objects of every cell of the two rows.
  virtual void ExchangeRows(int32_t a, int32_t b) = 0;
};

// Ascending by the key columns (Numbers are grid columns): two cells that
// both read as numbers compare as numbers, others as upper-cased text by
// character codes. Equal rows keep no particular order; no keys, no sort.
void SortGridByKeys(IStringGrid& grid, const TKeyCol* keys);

}  // namespace vm
