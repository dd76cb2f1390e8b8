#include "models/prefix_index.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <queue>
#include <type_traits>

#include "foundation/text/collation.h"

namespace vm {

namespace {

// The upper-case table read in the index's loops.
const std::array<unsigned char, 256>& UpperTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = static_cast<unsigned char>(UpperChar1251(static_cast<char>(b)));
    return t;
  }();
  return table;
}

constexpr int32_t kNoRow = std::numeric_limits<int32_t>::max();
constexpr size_t kPairs = 256 * 256;

// The first two characters of a text whose first four are Next, the first
// in the high byte: pairs in that order put the texts in the order of
// their first character, then of their second.
size_t PairOf(uint32_t next) { return (next & 0xffu) << 8 | (next >> 8 & 0xffu); }

}  // namespace

void TPrefixIndex::Reserve(int32_t rows) {
  GrowEntries(static_cast<size_t>(std::max(rows, 0)));
  // Room a little past the usual text is only address space until written;
  // Finish's three zeros need room even without a text.
  GrowKeys(room_ * 20 + 4);
  pairs_.assign(kPairs, {0, kNoRow});
}

void TPrefixIndex::GrowEntries(size_t more) {
  const size_t room = std::max(count_ + more, 2 * room_);
  auto added = std::make_unique_for_overwrite<TEntry[]>(room);
  if (count_ > 0) std::memcpy(added.get(), entries_[1].get(), count_ * sizeof(TEntry));
  entries_[1] = std::move(added);
  room_ = room;
}

void TPrefixIndex::GrowKeys(size_t length) {
  const size_t room = std::max(keysSize_ + length, 2 * keysRoom_);
  auto added = std::make_unique_for_overwrite<char[]>(room);
  if (keysSize_ > 0) std::memcpy(added.get(), keys_.get(), keysSize_);
  keys_ = std::move(added);
  keysRoom_ = room;
}

// The texts come into entries_[1]: Finish moves them into entries_[0],
// where the rows sharing two characters are parted by a third.
void TPrefixIndex::Add(int32_t row, std::string_view text) {
  const std::array<unsigned char, 256>& upper = UpperTable();
  if (count_ == room_) GrowEntries(1);
  uint32_t next = 0;
  for (size_t i = 0; i < kHeld && i < text.size(); ++i)
    next |= uint32_t{upper[static_cast<unsigned char>(text[i])]} << (8 * i);
  // A shorter text ends in its entry: no part past its end reads keys_.
  const size_t at = keysSize_;
  if (text.size() >= kHeld) {
    const std::string_view rest = text.substr(kHeld);
    // The rest, its 0, and room for Finish's three zeros after the last.
    if (keysRoom_ - keysSize_ < rest.size() + 4) GrowKeys(rest.size() + 4);
    auto* out = reinterpret_cast<unsigned char*>(keys_.get() + at);
    for (const char c : rest) *out++ = upper[static_cast<unsigned char>(c)];
    *out = 0;
    keysSize_ += rest.size() + 1;
  }
  entries_[1][count_++] = {static_cast<uint32_t>(at), row, next};
  ++pairs_[PairOf(next)].Count;
  inRowOrder_ = inRowOrder_ && row > lastRow_;
  lastRow_ = row;
}

int32_t TPrefixIndex::AddNode(int32_t begin, int32_t end, int32_t firstRow, uint8_t side) {
  nodes_.push_back({begin, end, firstRow, -1, side});
  return static_cast<int32_t>(nodes_.size() - 1);
}

// One counting sort by the first two characters parts every row by the
// first and the rows of each first character by the second: the index is
// made parted two characters deep in one move of each row.
void TPrefixIndex::Finish() {
  std::memset(keys_.get() + keysSize_, 0, 3);
  const size_t n = count_;
  entries_[0] = std::make_unique_for_overwrite<TEntry[]>(std::max<size_t>(n, 1));
  // Where each pair's entries start; after the moves, where they end.
  int32_t at = 0;
  for (TPair& pair : pairs_) {
    const int32_t c = pair.Count;
    pair.Count = at;
    at += c;
  }
  const TEntry* const from = entries_[1].get();
  TEntry* const to = entries_[0].get();
  if (inRowOrder_) {
    for (size_t i = 0; i < n; ++i) to[pairs_[PairOf(from[i].Next)].Count++] = from[i];
  } else {
    for (size_t i = 0; i < n; ++i) {
      TPair& pair = pairs_[PairOf(from[i].Next)];
      to[pair.Count++] = from[i];
      pair.First = std::min(pair.First, from[i].Row);
    }
  }
  const auto beginOf = [&](size_t p) { return p == 0 ? 0 : pairs_[p - 1].Count; };
  const auto endOf = [&](size_t p) { return pairs_[p].Count; };
  if (inRowOrder_)
    for (size_t p = 0; p < kPairs; ++p)
      if (beginOf(p) != endOf(p)) pairs_[p].First = to[beginOf(p)].Row;

  const auto firstOf = [&](size_t lo, size_t hi) {
    int32_t first = kNoRow;
    for (size_t p = lo; p < hi; ++p) first = std::min(first, pairs_[p].First);
    return first;
  };
  nodes_.push_back({0, static_cast<int32_t>(n), n == 0 ? 0 : firstOf(0, kPairs), -1});
  const auto addChildren = [&](int32_t node) {
    nodes_[static_cast<size_t>(node)].Children = static_cast<int32_t>(children_.size());
    children_.emplace_back().fill(-1);
  };
  addChildren(0);
  for (size_t c = 1; c < 256; ++c) {
    const int32_t begin = beginOf(c << 8);
    const int32_t end = endOf((c << 8) + 255);
    if (begin == end) continue;
    const int32_t first = AddNode(begin, end, firstOf(c << 8, (c + 1) << 8), 0);
    children_[0][c] = first;
    addChildren(first);
    std::array<int32_t, 256>& second = children_.back();
    for (size_t d = 1; d < 256; ++d) {
      const size_t p = c << 8 | d;
      if (beginOf(p) != endOf(p)) second[d] = AddNode(beginOf(p), endOf(p), pairs_[p].First, 0);
    }
  }
  pairs_ = {};
  PartAhead();
}

// A part too big to be parted while a character is typed is parted now,
// the biggest first, as long as the moves stay within a few of every row's:
// an index made a few milliseconds later spares each later character that.
void TPrefixIndex::PartAhead() {
  struct TPart {
    size_t Size;
    int32_t Node;
    size_t Depth;
    bool operator<(const TPart& o) const { return Size < o.Size; }
  };
  std::priority_queue<TPart> parts;
  const auto offer = [&](int32_t children, size_t depth) {
    for (size_t c = 1; c < 256; ++c) {
      const int32_t child = children_[static_cast<size_t>(children)][c];
      if (child < 0) continue;
      const TNode& n = nodes_[static_cast<size_t>(child)];
      const auto size = static_cast<size_t>(n.End - n.Begin);
      if (size >= kPartedAhead) parts.push({size, child, depth});
    }
  };
  for (size_t c = 1; c < 256; ++c)
    if (const int32_t first = children_[0][c]; first >= 0) offer(nodes_[static_cast<size_t>(first)].Children, 2);
  // A part costs at most two steps a row: one to read, one to move.
  while (!parts.empty() && steps_ + 2 * parts.top().Size <= kStepsAhead * count_) {
    const TPart part = parts.top();
    parts.pop();
    offer(Split(part.Node, part.Depth), part.Depth + 1);
  }
}

// A counting sort of the node's entries by one character: stable, so every
// part keeps its entries in the order their texts lie in keys_. Each text
// is read once, its part kept for the second pass. The entries are taken in
// four quarters side by side, each with counts of its own: the texts of a
// big part often come in long runs of one character, and one count bumped
// at every step would make each step wait for the last.
int32_t TPrefixIndex::Split(int32_t node, size_t depth) {
  constexpr size_t kWays = 4;
  const int32_t begin = nodes_[static_cast<size_t>(node)].Begin;
  const int32_t end = nodes_[static_cast<size_t>(node)].End;
  const auto size = static_cast<size_t>(end - begin);
  const uint8_t side = nodes_[static_cast<size_t>(node)].Side;
  TEntry* const entries = entries_[side].get() + begin;
  TEntry* const parted = entries_[1 - side].get() + begin;
  // Quarter W is [from[W], from[W + 1]); the last takes what is left over.
  std::array<size_t, kWays + 1> from{};
  const size_t quarter = size / kWays;
  for (size_t w = 0; w < kWays; ++w) from[w] = w * quarter;
  from[kWays] = size;
  // A text that ended before Depth has its 0 at or before it: its parent
  // held only texts sharing Depth characters with the typed text, none 0.
  parts_.resize(size);
  std::array<std::array<int32_t, 256>, kWays> count{};
  std::array<std::array<int32_t, 256>, kWays> first;
  for (auto& f : first) f.fill(kNoRow);
  const size_t shift = 8 * (depth % 4);
  const auto countAll = [&](auto read, auto findFirst) {
    const auto take = [&](size_t w, size_t i) {
      TEntry& e = entries[i];
      if constexpr (read()) {
        const auto* k = reinterpret_cast<const unsigned char*>(keys_.get() + e.At + depth - kHeld);
        e.Next = k[0] | uint32_t{k[1]} << 8 | uint32_t{k[2]} << 16 | uint32_t{k[3]} << 24;
      }
      const auto p = static_cast<uint8_t>(e.Next >> shift);
      parts_[i] = p;
      ++count[w][p];
      if constexpr (findFirst()) first[w][p] = std::min(first[w][p], e.Row);
    };
    for (size_t i = 0; i < quarter; ++i)
      for (size_t w = 0; w < kWays; ++w) take(w, from[w] + i);
    for (size_t i = from[kWays - 1] + quarter; i < size; ++i) take(kWays - 1, i);
  };
  using True = std::true_type;
  using False = std::false_type;
  const bool read = depth % 4 == 0;
  if (read && inRowOrder_) countAll(True{}, False{});
  if (read && !inRowOrder_) countAll(True{}, True{});
  if (!read && inRowOrder_) countAll(False{}, False{});
  if (!read && !inRowOrder_) countAll(False{}, True{});

  steps_ += size;
  const auto children = static_cast<int32_t>(children_.size());
  std::array<int32_t, 256>& made = children_.emplace_back();
  made.fill(-1);
  nodes_[static_cast<size_t>(node)].Children = children;
  // Rows that all share the character stay where they are: a column whose
  // texts all begin alike is parted a pass a character until they differ.
  for (size_t c = 0; c < 256; ++c) {
    int32_t total = 0;
    for (size_t w = 0; w < kWays; ++w) total += count[w][c];
    if (total == 0) continue;
    if (static_cast<size_t>(total) != size) break;
    if (c != 0) made[c] = AddNode(begin, end, nodes_[static_cast<size_t>(node)].FirstRow, side);
    return children;
  }

  // Where each part starts, and where each quarter's entries of it go.
  std::array<int32_t, 256> start{};
  std::array<std::array<int32_t, 256>, kWays> fill{};
  std::array<int32_t, 256> total{};
  for (size_t p = 0, at = 0; p < 256; ++p) {
    start[p] = static_cast<int32_t>(at);
    for (size_t w = 0; w < kWays; ++w) {
      fill[w][p] = static_cast<int32_t>(at);
      at += static_cast<size_t>(count[w][p]);
      total[p] += count[w][p];
    }
  }
  const auto put = [&](size_t w, size_t i) { parted[fill[w][parts_[i]]++] = entries[i]; };
  for (size_t i = 0; i < quarter; ++i)
    for (size_t w = 0; w < kWays; ++w) put(w, from[w] + i);
  for (size_t i = from[kWays - 1] + quarter; i < size; ++i) put(kWays - 1, i);
  steps_ += size;

  // The texts ended (their 0) go into no part.
  for (size_t c = 1; c < 256; ++c) {
    if (total[c] == 0) continue;
    const int32_t at = begin + start[c];
    int32_t firstRow = parted[start[c]].Row;
    if (!inRowOrder_) {
      firstRow = first[0][c];
      for (size_t w = 1; w < kWays; ++w) firstRow = std::min(firstRow, first[w][c]);
    }
    made[c] = AddNode(at, at + total[c], firstRow, static_cast<uint8_t>(1 - side));
  }
  return children;
}

int32_t TPrefixIndex::FindBestPrefix(std::string_view prefix) {
  if (count_ == 0) return -1;
  const std::array<unsigned char, 256>& upper = UpperTable();
  int32_t node = 0;
  size_t depth = 0;
  for (; depth < prefix.size(); ++depth) {
    int32_t children = nodes_[static_cast<size_t>(node)].Children;
    if (children < 0) children = Split(node, depth);
    const int32_t child =
        children_[static_cast<size_t>(children)][upper[static_cast<unsigned char>(prefix[depth])]];
    if (child < 0) break;
    node = child;
  }
  // The rows sharing the first Depth characters are the node's.
  return depth == 0 ? -1 : nodes_[static_cast<size_t>(node)].FirstRow;
}

}  // namespace vm
