// The texts of one table column upper-cased, so that the row sharing the
// longest prefix with a typed text is found without a walk over every row.
//
// The rows are parted by their texts' characters one position at a time,
// and only along what is typed: the first character parts every row once,
// the second only the rows that start with the first, and so on. Each part
// is kept, so a character typed again (or after Backspace) costs a step per
// character; a book of a million rows pays for its first character one pass
// over its texts, not a sort of them.
#pragma once

#include <array>
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
  int32_t FindBestPrefix(std::string_view prefix);

 private:
  // The rows whose texts start with the same characters: rows_[Begin..End),
  // in their order until they are parted, then part by part.
  struct TNode {
    int32_t Begin = 0;
    int32_t End = 0;
    int32_t FirstRow = 0;
    // Into children_; -1 until the rows are parted by their next character.
    int32_t Children = -1;
  };
  void Reserve(int32_t rows);
  void Add(int32_t row, std::string_view text);
  void Finish();
  // Parts the rows of Node by the character at Depth (those ending before
  // it come first and go into no part); its children's index.
  int32_t Split(int32_t node, std::size_t depth);

  int32_t col_;
  std::string keys_;  // every upper-cased text, in the order added
  std::vector<std::size_t> at_;    // by row: where its text starts in keys_
  std::vector<uint32_t> length_;   // by row
  std::vector<int32_t> rows_;      // every row, each node's together
  std::vector<TNode> nodes_;       // the first holds every row
  // A node for each character that some row has there; -1 for none.
  std::vector<std::array<int32_t, 256>> children_;
};

}  // namespace vm
