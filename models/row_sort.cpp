#include "models/row_sort.h"

#include <algorithm>
#include <string_view>

#include "foundation/text/collation.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// The plain decimals a view holds ("-1234.56"), read without the general
// number reader: up to 18 digits are exact as an integer, and one division
// by an exact power of ten rounds as the general reader does. False for
// any other text.
bool ReadPlainNumber(std::string_view s, long double& x) {
  size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (negative) ++i;
  uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '.' && !point && digits > 0) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      if (++digits > 18) return false;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  if (digits == 0 || (point && decimals == 0)) return false;
  long double scale = 1;
  for (int d = 0; d < decimals; ++d) scale *= 10;
  x = static_cast<long double>(mantissa) / scale;
  if (negative) x = -x;
  return true;
}

// Numbers are held as their NumberOrderKey.
int CompareNumbers(long double a, long double b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Eight bytes of a collation key from From, the first in the highest byte,
// zeros past its end: two keys whose digests differ compare as the digests.
uint64_t KeyDigest(std::string_view key, size_t from) {
  uint64_t d = 0;
  for (size_t i = from; i < from + 8; ++i) d = (d << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
  return d;
}

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

struct TextEntry {
  uint64_t Head;  // the first sixteen bytes of the collation key
  uint64_t Tail;
  int32_t Row;
};

struct NumberEntry {
  long double Num;
  int32_t Row;
};

struct RowEntry {
  int32_t Row;
};

}  // namespace

TRowKeys::TRowKeys(int32_t rows, int32_t keysPerRow)
    : rows_(rows), keysPerRow_(static_cast<size_t>(keysPerRow)) {
  keys_.reserve(static_cast<size_t>(rows) * keysPerRow_);
}

void TRowKeys::Add(const std::string& text, char kind) {
  TKey& key = keys_.emplace_back();
  if (kind == 'C') {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsBlankChar(text[b])) ++b;
    while (e > b && IsBlankChar(text[e - 1])) --e;
    if (arena_.empty()) arena_.reserve(keys_.capacity() * 24);  // room for the usual short texts
    key.Kind = 'C';
    key.StrAt = static_cast<uint32_t>(arena_.size());
    AppendCollationKey(std::string_view(text).substr(b, e - b), true, arena_);
    key.StrLen = static_cast<uint32_t>(arena_.size() - key.StrAt);
    return;
  }
  if ((kind == 'N' || kind == 'R') && ReadPlainNumber(text, key.Num)) {
    key.Kind = 'N';
    key.Num = NumberOrderKey(key.Num);
    return;
  }
  TCommonVar v;
  TextToValue(text, kind, v);
  key.Kind = v.Kind;
  key.Num = v.Kind == 'N' ? NumberOrderKey(v.Num) : v.Num;
  key.Date = v.Date;
  key.Time = v.Time;
}

int TRowKeys::Compare(const TKey& a, const TKey& b) const {
  switch (a.Kind) {
    case 'C': {
      const std::string_view all(arena_);
      return Sign(all.substr(a.StrAt, a.StrLen).compare(all.substr(b.StrAt, b.StrLen)));
    }
    case 'N': return CompareNumbers(a.Num, b.Num);
    case 'D': return CompareDateRec(a.Date, b.Date) - 1;
    default: return CompareTimeRec(a.Time, b.Time) - 1;
  }
}

int TRowKeys::CompareRows(int32_t a, int32_t b, size_t from) const {
  const TKey* ka = &keys_[static_cast<size_t>(a) * keysPerRow_];
  const TKey* kb = &keys_[static_cast<size_t>(b) * keysPerRow_];
  for (size_t j = from; j < keysPerRow_; ++j)
    if (const int c = Compare(ka[j], kb[j])) return c;
  return 0;
}

bool TRowKeys::FirstKeysAre(char kind) const {
  for (size_t at = 0; at < keys_.size(); at += keysPerRow_)
    if (keys_[at].Kind != kind) return false;
  return true;
}

template <typename Entry, typename MakeEntry, typename CompareFirst>
std::vector<int32_t> TRowKeys::SortEntries(bool descending, MakeEntry make, CompareFirst first) const {
  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(rows_));
  for (int32_t r = 0; r < rows_; ++r) entries.push_back(make(r, keys_[static_cast<size_t>(r) * keysPerRow_]));
  // Rows equal on every key keep their order: the row index decides last.
  const int sign = descending ? -1 : 1;
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const int c = sign * first(a, b);
    return c != 0 ? c < 0 : a.Row < b.Row;
  });
  std::vector<int32_t> order;
  order.reserve(entries.size());
  for (const Entry& e : entries) order.push_back(e.Row);
  return order;
}

std::vector<int32_t> TRowKeys::SortedOrder(bool descending) const {
  if (keysPerRow_ == 0) return {};
  // The common cases, a column of texts or of numbers, are sorted as small
  // entries that decide most comparisons without reaching the other keys.
  if (FirstKeysAre('C')) {
    const std::string_view all(arena_);
    return SortEntries<TextEntry>(
        descending,
        [&](int32_t r, const TKey& k) {
          const std::string_view key = all.substr(k.StrAt, k.StrLen);
          return TextEntry{KeyDigest(key, 0), KeyDigest(key, 8), r};
        },
        [&](const TextEntry& a, const TextEntry& b) {
          if (a.Head != b.Head) return a.Head < b.Head ? -1 : 1;
          if (a.Tail != b.Tail) return a.Tail < b.Tail ? -1 : 1;
          return CompareRows(a.Row, b.Row, 0);
        });
  }
  if (FirstKeysAre('N')) {
    return SortEntries<NumberEntry>(
        descending, [](int32_t r, const TKey& k) { return NumberEntry{k.Num, r}; },
        [&](const NumberEntry& a, const NumberEntry& b) {
          if (const int c = CompareNumbers(a.Num, b.Num)) return c;
          return CompareRows(a.Row, b.Row, 1);
        });
  }
  return SortEntries<RowEntry>(
      descending, [](int32_t r, const TKey&) { return RowEntry{r}; },
      [&](const RowEntry& a, const RowEntry& b) { return CompareRows(a.Row, b.Row, 0); });
}

}  // namespace vm
