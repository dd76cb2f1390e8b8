#include "foundation/tables/grid_sort.h"

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"

namespace vm {

namespace {

bool ReadGridNumber(const std::string& text, long double& x) {
  return IsValidNumStr(text, 16, 4) && TextToExtended(CommaToPoint(TrimBlanks(text)), x);
}

bool RowGreater(const IStringGrid& grid, int32_t a, int32_t b, const TKeyCol* keys) {
  for (const TKeyCol* k = keys; k; k = k->Next.get()) {
    const std::string x = UpperStr(grid.Cell(k->Number, a));
    const std::string y = UpperStr(grid.Cell(k->Number, b));
    long double nx = 0, ny = 0;
    if (ReadGridNumber(x, nx) && ReadGridNumber(y, ny)) {
      if (nx != ny) return nx > ny;
    } else {
      const int c = x.compare(y);  // unsigned bytes: the character codes
      if (c != 0) return c > 0;
    }
  }
  return false;
}

}  // namespace

void SortGridByKeys(IStringGrid& grid, const TKeyCol* keys) {
  if (!keys) return;
  const int32_t n = grid.RowCount();
  for (int32_t i = 1; i <= n - 2; ++i)
    for (int32_t j = i + 1; j <= n - 1; ++j)
      if (RowGreater(grid, i, j, keys)) grid.ExchangeRows(i, j);
}

}  // namespace vm
