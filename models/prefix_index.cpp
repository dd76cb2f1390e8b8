#include "models/prefix_index.h"

#include <algorithm>
#include <limits>

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

}  // namespace

void TPrefixIndex::Reserve(int32_t rows) {
  const auto n = static_cast<size_t>(std::max(rows, 0));
  entries_[0].reserve(n);
  keys_.reserve(n * 8);
}

void TPrefixIndex::Add(int32_t row, std::string_view text) {
  const std::array<unsigned char, 256>& upper = UpperTable();
  const size_t at = keys_.size();
  entries_[0].push_back({static_cast<uint32_t>(at), row, 0});
  keys_.resize(at + text.size() + 1);
  char* out = keys_.data() + at;
  for (const char c : text) *out++ = static_cast<char>(upper[static_cast<unsigned char>(c)]);
  *out = '\0';
}

void TPrefixIndex::Finish() {
  const std::vector<TEntry>& all = entries_[0];
  int32_t first = 0;
  if (!all.empty())
    first = std::min_element(all.begin(), all.end(), [](const TEntry& a, const TEntry& b) { return a.Row < b.Row; })->Row;
  entries_[1].resize(all.size());
  // Room for the last text's four characters read at once.
  keys_.append(3, '\0');
  nodes_.push_back({0, static_cast<int32_t>(all.size()), first, -1});
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
  TEntry* const entries = entries_[depth % 2].data() + begin;
  TEntry* const parted = entries_[(depth + 1) % 2].data() + begin;
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
  for (auto& f : first) f.fill(std::numeric_limits<int32_t>::max());
  const size_t shift = 8 * (depth % 4);
  const bool read = depth % 4 == 0;
  const auto take = [&](size_t w, size_t i) {
    TEntry& e = entries[i];
    if (read) {
      const auto* k = reinterpret_cast<const unsigned char*>(keys_.data() + e.At + depth);
      e.Next = k[0] | uint32_t{k[1]} << 8 | uint32_t{k[2]} << 16 | uint32_t{k[3]} << 24;
    }
    const auto p = static_cast<uint8_t>(e.Next >> shift);
    parts_[i] = p;
    ++count[w][p];
    first[w][p] = std::min(first[w][p], entries[i].Row);
  };
  for (size_t i = 0; i < quarter; ++i)
    for (size_t w = 0; w < kWays; ++w) take(w, from[w] + i);
  for (size_t i = from[kWays - 1] + quarter; i < size; ++i) take(kWays - 1, i);

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

  const auto children = static_cast<int32_t>(children_.size());
  std::array<int32_t, 256>& made = children_.emplace_back();
  made.fill(-1);
  // The texts ended (their 0) go into no part.
  for (size_t c = 1; c < 256; ++c) {
    if (total[c] == 0) continue;
    made[c] = static_cast<int32_t>(nodes_.size());
    int32_t firstRow = first[0][c];
    for (size_t w = 1; w < kWays; ++w) firstRow = std::min(firstRow, first[w][c]);
    const int32_t at = begin + start[c];
    nodes_.push_back({at, at + total[c], firstRow, -1});
  }
  nodes_[static_cast<size_t>(node)].Children = children;
  return children;
}

int32_t TPrefixIndex::FindBestPrefix(std::string_view prefix) {
  if (entries_[0].empty()) return -1;
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
