// The texts of one table column upper-cased, so that the row sharing the
// longest prefix with a typed text is found without a walk over every row.
//
// The rows are parted by their texts' characters one position at a time,
// and only along what is typed: the index is made with every row parted by
// its first two characters in one move, and the parts too big to be parted
// while a character is typed are parted further then, as far as a few
// passes over the rows go. After that a character parts only the rows that
// start with what was typed before it. Each part is kept, so a character
// typed again (or after Backspace) costs a step per character; a book of a
// million rows pays for its index a few passes over its texts, not a sort
// of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

class TPrefixIndex {
 public:
  // Visit(add) calls add(row, text) once for each row it indexes, in any
  // order: Rows of them at most, as a rule (room for more is made as they
  // come), and room for those never added costs no memory.
  template <class TVisit>
  TPrefixIndex(int32_t rows, TVisit visit) {
    Reserve(rows);
    visit([this](int32_t row, std::string_view text) { Add(row, text); });
    Finish();
  }

  bool Empty() const { return count_ == 0; }
  // The row whose text shares the longest prefix with Prefix, letters
  // compared without case; the first row wins ties; -1 when no row shares
  // even one character.
  int32_t FindBestPrefix(std::string_view prefix);

 private:
  // A row's text: where its characters past the first kHeld start in
  // keys_, which ends them with a 0, and its characters at depths 4k..4k+3
  // (the lowest byte first; at first its first four, zeros past its end)
  // for a Split at any of those depths, read from keys_ by the one at 4k:
  // parting a big node then reads its entries alone, not a line of keys_
  // for each.
  struct TEntry {
    uint32_t At;
    int32_t Row;
    uint32_t Next;
  };
  // The rows whose texts start with the same characters: entries_[Begin..End),
  // in the order they were added until they are parted, then part by part.
  struct TNode {
    int32_t Begin = 0;
    int32_t End = 0;
    // The first row among them.
    int32_t FirstRow = 0;
    // Into children_; -1 until the rows are parted by their next character.
    int32_t Children = -1;
    // Which of entries_ holds them.
    uint8_t Side = 0;
  };
  void Reserve(int32_t rows);
  void Add(int32_t row, std::string_view text);
  // Room for More entries beyond those added, and for a text of Length.
  void GrowEntries(std::size_t more);
  void GrowKeys(std::size_t length);
  void Finish();
  // Parts the rows of Node by the character at Depth (those ending before
  // it come first and go into no part); its children's index.
  int32_t Split(int32_t node, std::size_t depth);
  // Parts beforehand the parts of kPartedAhead rows or more, biggest
  // first, while Split's steps stay within kStepsAhead a row.
  void PartAhead();
  static constexpr std::size_t kPartedAhead = 32768;
  static constexpr std::size_t kStepsAhead = 8;
  // A node of the rows in [Begin, End) of entries_[Side].
  int32_t AddNode(int32_t begin, int32_t end, int32_t firstRow, uint8_t side);

  // Every upper-cased text past its first kHeld characters, which its
  // entry holds, in the order added, each ended by a 0: a text is read
  // only as far as its first 0, which typing never gives. Made without
  // filling, so that room never written costs no memory.
  static constexpr std::size_t kHeld = 4;
  std::unique_ptr<char[]> keys_;
  std::size_t keysSize_ = 0;
  std::size_t keysRoom_ = 0;
  // Every row's entry, each node's together in one of the two: Split parts
  // them into the same places of the other, which held only its parent's.
  // They are added as the texts come, in whatever order suits their
  // source, and stay in that order within a part: a part's texts are read
  // front to back.
  std::array<std::unique_ptr<TEntry[]>, 2> entries_;
  std::size_t count_ = 0;
  std::size_t room_ = 0;
  // The rows came in their order: within any part the first entry is then
  // the first row, and Split need not look for it.
  bool inRowOrder_ = true;
  int32_t lastRow_ = -1;
  // While the index is made: by their first two characters (the first in
  // the high byte), how many texts start so (then where their entries go)
  // and the first row among them.
  struct TPair {
    int32_t Count;
    int32_t First;
  };
  std::vector<TPair> pairs_;
  // Room for Split.
  std::vector<uint8_t> parts_;
  // Entries Split read or moved, each once a pass.
  std::size_t steps_ = 0;
  std::vector<TNode> nodes_;       // the first holds every row
  // A node for each character that some row has there; -1 for none.
  std::vector<std::array<int32_t, 256>> children_;
};

}  // namespace vm
