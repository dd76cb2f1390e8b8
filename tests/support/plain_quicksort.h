// The quicksort tables sort their rows by, written plainly for tests to
// hold the quick ones to: the middle item the pivot, scans in from both
// ends, the items that stop both exchanged when they differ in place.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace vm::test {

// Sorts Items by Compare (-1, 0 or 1); whether any two were exchanged.
template <class T, class Compare>
bool PlainQuicksort(std::vector<T>& items, const Compare& compare) {
  const auto at = [&](int32_t k) -> T& { return items[static_cast<std::size_t>(k)]; };
  bool exchanged = false;
  const std::function<void(int32_t, int32_t)> sort = [&](int32_t lo, int32_t hi) {
    const T pivot = at((lo + hi) / 2);
    int32_t i = lo, j = hi;
    do {
      while (compare(at(i), pivot) < 0) ++i;
      while (compare(at(j), pivot) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(at(i), at(j));
        exchanged = exchanged || i != j;
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) sort(lo, j);
    if (i < hi) sort(i, hi);
  };
  if (items.size() > 1) sort(0, static_cast<int32_t>(items.size()) - 1);
  return exchanged;
}

}  // namespace vm::test
