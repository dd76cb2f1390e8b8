// Whether a column of numbers stands in order as a sort or a search must
// leave it: no row before a row smaller than it by more than the tolerance
// of comparisons (with room for the last bit of a long double).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/values/value_text.h"

namespace vm::test {

// The first row smaller by more than the tolerance than a row before it;
// -1 when there is none.
inline int32_t FirstRowOutOfOrder(const std::vector<long double>& column) {
  for (std::size_t j = 1, most = 0; j < column.size(); ++j) {
    if (column[most] - column[j] > kNumTolerance * (1 + 1e-9L)) return static_cast<int32_t>(j);
    if (column[j] > column[most]) most = j;
  }
  return -1;
}

// Numbers around Base whose neighbours lie closer than the tolerance, so
// that equality within the tolerance links them into chains longer than it:
// Base plus a whole number of Step, written with Decimals decimals.
inline std::string ChainedNumber(const std::string& base, unsigned steps, unsigned step, int decimals) {
  const unsigned long long units = static_cast<unsigned long long>(steps) * step;
  std::string fraction = std::to_string(units);
  fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
  return base + "." + fraction;
}

}  // namespace vm::test
