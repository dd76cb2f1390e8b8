// The texts of one table column upper-cased and sorted, so that the row
// sharing the longest prefix with a typed text is found by bisection rather
// than by a walk over every row: a search character in a book of a million
// rows costs microseconds once the index is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

class TPrefixIndex {
 public:
  // Rows 0..Rows-1: Visit(add) calls add(row, text) once for each, in any
  // order.
  template <class TVisit>
  TPrefixIndex(int32_t col, int32_t rows, TVisit visit) : col_(col) {
    Reserve(rows);
    visit([this](int32_t row, std::string_view text) { Add(row, text); });
    Finish();
  }

  int32_t Col() const { return col_; }
  // The row whose text shares the longest prefix with Prefix, letters
  // compared without case; the first row wins ties; -1 when no row shares
  // even one character.
  int32_t FindBestPrefix(std::string_view prefix) const;

 private:
  struct TEntry {
    // The first sixteen bytes of the key, the first the highest: most keys
    // are ordered by these alone, without reaching into keys_.
    uint64_t Head[2];
    std::size_t At;  // where the key stands in keys_
    uint32_t Length;
    int32_t Row;
  };
  std::string_view Key(const TEntry& e) const { return std::string_view(keys_).substr(e.At, e.Length); }
  void Reserve(int32_t rows);
  void Add(int32_t row, std::string_view text);
  // Sorts what was added.
  void Finish();
  // The smallest row among the entries First..Last-1.
  int32_t FirstRow(std::size_t first, std::size_t last) const;

  int32_t col_;
  std::string keys_;            // every upper-cased text, one after another
  std::vector<TEntry> sorted_;  // by key, then row
  // A tree of minima over sorted_'s rows: leaves at Size+i, parents at i/2.
  std::vector<int32_t> minRow_;
};

}  // namespace vm
