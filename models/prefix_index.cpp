#include "models/prefix_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

size_t SharedLength(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

void TPrefixIndex::Reserve(int32_t rows) {
  const auto n = static_cast<size_t>(std::max(rows, 0));
  sorted_.reserve(n);
  keys_.reserve(n * 16);
}

void TPrefixIndex::Add(int32_t row, std::string_view text) {
  const std::array<unsigned char, 256>& upper = UpperTable();
  const size_t at = keys_.size();
  keys_.append(text);
  TEntry& e = sorted_.emplace_back(TEntry{{0, 0}, at, static_cast<uint32_t>(text.size()), row});
  for (size_t i = at; i < keys_.size(); ++i) keys_[i] = static_cast<char>(upper[static_cast<unsigned char>(keys_[i])]);
  // The first byte the highest: the two words compare as the bytes do.
  static_assert(std::endian::native == std::endian::little, "a word's first byte is its lowest");
  unsigned char head[16] = {};
  std::memcpy(head, keys_.data() + at, std::min<size_t>(text.size(), 16));
  for (size_t w = 0; w < 2; ++w) {
    uint64_t word;
    std::memcpy(&word, head + 8 * w, 8);
    e.Head[w] = __builtin_bswap64(word);
  }
}

void TPrefixIndex::Finish() {
  std::sort(sorted_.begin(), sorted_.end(), [this](const TEntry& a, const TEntry& b) {
    if (a.Head[0] != b.Head[0]) return a.Head[0] < b.Head[0];
    if (a.Head[1] != b.Head[1]) return a.Head[1] < b.Head[1];
    const int c = Key(a).compare(Key(b));
    return c != 0 ? c < 0 : a.Row < b.Row;
  });
  const size_t n = sorted_.size();
  minRow_.resize(2 * n);
  for (size_t i = 0; i < n; ++i) minRow_[n + i] = sorted_[i].Row;
  for (size_t i = n; i-- > 1;) minRow_[i] = std::min(minRow_[2 * i], minRow_[2 * i + 1]);
}

int32_t TPrefixIndex::FirstRow(size_t first, size_t last) const {
  int32_t best = INT32_MAX;
  for (first += sorted_.size(), last += sorted_.size(); first < last; first /= 2, last /= 2) {
    if (first & 1) best = std::min(best, minRow_[first++]);
    if (last & 1) best = std::min(best, minRow_[--last]);
  }
  return best;
}

int32_t TPrefixIndex::FindBestPrefix(std::string_view prefix) const {
  std::string upper(prefix);
  for (char& c : upper) c = static_cast<char>(UpperTable()[static_cast<unsigned char>(c)]);
  // The keys sharing most with the text stand next to where it would sort.
  const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), std::string_view(upper),
                                   [this](const TEntry& e, std::string_view p) { return Key(e) < p; });
  size_t shared = 0;
  if (at != sorted_.end()) shared = SharedLength(upper, Key(*at));
  if (at != sorted_.begin()) shared = std::max(shared, SharedLength(upper, Key(*(at - 1))));
  if (shared == 0) return -1;
  // Every key starting with those characters, and the first row among them.
  const std::string_view head = std::string_view(upper).substr(0, shared);
  const auto from = std::lower_bound(sorted_.begin(), sorted_.end(), head,
                                     [this](const TEntry& e, std::string_view p) { return Key(e) < p; });
  const auto to = std::partition_point(from, sorted_.end(),
                                       [this, head](const TEntry& e) { return Key(e).starts_with(head); });
  return FirstRow(static_cast<size_t>(from - sorted_.begin()), static_cast<size_t>(to - sorted_.begin()));
}

}  // namespace vm
