#include "models/prefix_index.h"

#include <algorithm>
#include <numeric>

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

// The part of a text that ends before the character at a depth.
constexpr size_t kEnded = 0;

}  // namespace

void TPrefixIndex::Reserve(int32_t rows) {
  const auto n = static_cast<size_t>(std::max(rows, 0));
  at_.assign(n, 0);
  length_.assign(n, 0);
  keys_.reserve(n * 8);
}

void TPrefixIndex::Add(int32_t row, std::string_view text) {
  const std::array<unsigned char, 256>& upper = UpperTable();
  const size_t at = keys_.size();
  at_[static_cast<size_t>(row)] = at;
  length_[static_cast<size_t>(row)] = static_cast<uint32_t>(text.size());
  keys_.append(text);
  for (size_t i = at; i < keys_.size(); ++i) keys_[i] = static_cast<char>(upper[static_cast<unsigned char>(keys_[i])]);
}

void TPrefixIndex::Finish() {
  rows_.resize(at_.size());
  std::iota(rows_.begin(), rows_.end(), 0);
  nodes_.push_back({0, static_cast<int32_t>(rows_.size()), 0, -1});
}

// A counting sort of the node's rows by one character: stable, so every
// part keeps its rows in order.
int32_t TPrefixIndex::Split(int32_t node, size_t depth) {
  const int32_t begin = nodes_[static_cast<size_t>(node)].Begin;
  const int32_t end = nodes_[static_cast<size_t>(node)].End;
  const auto part = [this, depth](int32_t row) {
    const auto r = static_cast<size_t>(row);
    return length_[r] > depth ? 1 + static_cast<size_t>(static_cast<unsigned char>(keys_[at_[r] + depth])) : kEnded;
  };
  std::array<int32_t, 257> count{};
  for (int32_t i = begin; i < end; ++i) ++count[part(rows_[static_cast<size_t>(i)])];
  std::array<int32_t, 257> start{};
  for (size_t p = 0, at = 0; p < count.size(); at += static_cast<size_t>(count[p]), ++p) start[p] = static_cast<int32_t>(at);
  std::vector<int32_t> parted(static_cast<size_t>(end - begin));
  std::array<int32_t, 257> fill = start;
  for (int32_t i = begin; i < end; ++i) {
    const int32_t row = rows_[static_cast<size_t>(i)];
    parted[static_cast<size_t>(fill[part(row)]++)] = row;
  }
  std::copy(parted.begin(), parted.end(), rows_.begin() + begin);

  const auto children = static_cast<int32_t>(children_.size());
  std::array<int32_t, 256>& made = children_.emplace_back();
  made.fill(-1);
  for (size_t c = 0; c < 256; ++c) {
    if (count[c + 1] == 0) continue;
    made[c] = static_cast<int32_t>(nodes_.size());
    const int32_t from = begin + start[c + 1];
    nodes_.push_back({from, from + count[c + 1], rows_[static_cast<size_t>(from)], -1});
  }
  nodes_[static_cast<size_t>(node)].Children = children;
  return children;
}

int32_t TPrefixIndex::FindBestPrefix(std::string_view prefix) {
  if (rows_.empty()) return -1;
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
