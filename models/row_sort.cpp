#include "models/row_sort.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
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

// Eight bytes of a collation key, the first in the highest byte: two keys
// whose words differ compare as the words.
uint64_t BigEndianWord(const unsigned char* bytes) {
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return __builtin_bswap64(word);
}

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

// Where the keys of a kind go among keys of other kinds: numbers, texts,
// dates, then times and every other kind, which compare as times.
int KindRank(char kind) {
  switch (kind) {
    case 'N': return 0;
    case 'C': return 1;
    case 'D': return 2;
    default: return 3;
  }
}

// What CompareValuesInOrder looks at: only the part of the value's kind is
// set, the others stay zero as in a value read from text. A number is kept
// as its NumberOrderKey, a text as its collation key (with case) in the
// arena of its rows.
struct TKey {
  char Kind = 0;
  uint32_t StrAt = 0;
  uint32_t StrLen = 0;
  long double Num = 0;
  TDateRec Date;
  TTimeRec Time;
};

// A text key as it is compared: without blanks at either end.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankChar(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankChar(text.back())) text.remove_suffix(1);
  return text;
}

// The NumberOrderKey of a number key's text.
long double NumberKey(std::string_view text, char kind) {
  if (long double x; ReadPlainNumber(text, x)) return NumberOrderKey(x);
  TCommonVar v;
  TextToValue(text, kind, v);
  return NumberOrderKey(v.Num);
}

// The keys of some rows, each row's from key From on, read as they are
// added.
class TKeyRows {
 public:
  TKeyRows(const TRowKeySource& source, int32_t keysPerRow, int32_t from, std::size_t rows)
      : source_(source), keysPerRow_(keysPerRow), from_(from) {
    keys_.reserve(rows * static_cast<std::size_t>(keysPerRow - from));
  }

  void AddRow(int32_t row) {
    for (int32_t k = from_; k < keysPerRow_; ++k) {
      char kind = 0;
      // Kind is set by the call: read it only after.
      const std::string_view text = source_(row, k, kind);
      Add(text, kind);
    }
  }
  // The rows added A-th and B-th, key by key.
  int Compare(std::size_t a, std::size_t b) const {
    const std::size_t n = static_cast<std::size_t>(keysPerRow_ - from_);
    for (std::size_t j = 0; j < n; ++j)
      if (const int c = Compare(keys_[a * n + j], keys_[b * n + j])) return c;
    return 0;
  }
  // Whether the first key of every row added is of that kind.
  bool FirstKeysAre(char kind) const {
    const std::size_t n = static_cast<std::size_t>(keysPerRow_ - from_);
    for (std::size_t at = 0; at < keys_.size(); at += n)
      if (keys_[at].Kind != kind) return false;
    return true;
  }

 private:
  void Add(std::string_view text, char kind) {
    TKey& key = keys_.emplace_back();
    if (kind == 'C') {
      if (arena_.empty()) arena_.reserve(keys_.capacity() * 24);  // room for the usual short texts
      key.Kind = 'C';
      key.StrAt = static_cast<uint32_t>(arena_.size());
      AppendCollationKey(Trimmed(text), true, arena_);
      key.StrLen = static_cast<uint32_t>(arena_.size() - key.StrAt);
      return;
    }
    if (kind == 'N' || kind == 'R') {
      key.Kind = 'N';
      key.Num = NumberKey(text, kind);
      return;
    }
    TCommonVar v;
    TextToValue(text, kind, v);
    key.Kind = v.Kind;
    key.Num = v.Num;
    key.Date = v.Date;
    key.Time = v.Time;
  }
  int Compare(const TKey& a, const TKey& b) const {
    // A conditional format may give a column's rows different kinds; keys
    // of two kinds go by their kinds, or the comparison is no order and a
    // sort runs past its rows.
    if (a.Kind != b.Kind) {
      if (const int rank = KindRank(a.Kind) - KindRank(b.Kind)) return Sign(rank);
    }
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

  const TRowKeySource& source_;
  int32_t keysPerRow_;
  int32_t from_;
  std::vector<TKey> keys_;
  std::string arena_;
};

struct TextEntry {
  uint64_t Head;  // the first sixteen bytes of the collation key
  uint64_t Tail;
  int32_t Row;
  bool Ties(const TextEntry& e) const { return Head == e.Head && Tail == e.Tail; }
};

struct NumberEntry {
  long double Num;
  int32_t Row;
  bool Ties(const NumberEntry& e) const { return Num == e.Num; }
};

// Compared by every key: no two tie.
struct RowEntry {
  int32_t Row;
  bool Ties(const RowEntry&) const { return false; }
};

// Sorts Entries by First, ties by their rows, and then every run of ties by
// the keys from Resolve on (none: the rows' order stands).
template <class Entry, class CompareFirst>
std::vector<int32_t> SortEntries(std::vector<Entry>& entries, bool descending, CompareFirst first,
                                 const TRowKeySource& source, int32_t keysPerRow, int32_t resolve) {
  const int sign = descending ? -1 : 1;
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const int c = sign * first(a, b);
    return c != 0 ? c < 0 : a.Row < b.Row;
  });
  std::vector<int32_t> order;
  order.reserve(entries.size());
  for (const Entry& e : entries) order.push_back(e.Row);
  if (resolve >= keysPerRow) return order;
  std::vector<std::size_t> at;
  for (std::size_t begin = 0, end = 0; begin < entries.size(); begin = end) {
    for (end = begin + 1; end < entries.size() && entries[end].Ties(entries[begin]); ++end) {
    }
    if (end - begin < 2) continue;
    // Their rows are in order, and stay so where the keys are equal.
    TKeyRows keys(source, keysPerRow, resolve, end - begin);
    for (std::size_t i = begin; i < end; ++i) keys.AddRow(order[i]);
    at.resize(end - begin);
    for (std::size_t i = 0; i < at.size(); ++i) at[i] = i;
    std::stable_sort(at.begin(), at.end(), [&](std::size_t a, std::size_t b) { return sign * keys.Compare(a, b) < 0; });
    std::vector<int32_t> rows(order.begin() + static_cast<std::ptrdiff_t>(begin),
                              order.begin() + static_cast<std::ptrdiff_t>(end));
    for (std::size_t i = 0; i < at.size(); ++i) order[begin + i] = rows[at[i]];
  }
  return order;
}

// Entries made by Make(row, first key's text, its kind, entry), which is
// false when the row's first key is not of the entries' kind.
template <class Entry, class Make>
bool MakeEntries(int32_t rows, const TRowKeySource& source, std::vector<Entry>& entries, Make make) {
  entries.reserve(static_cast<std::size_t>(rows));
  for (int32_t r = 0; r < rows; ++r) {
    char kind = 0;
    const std::string_view text = source(r, 0, kind);
    if (!make(r, text, kind, entries.emplace_back())) return false;
  }
  return true;
}

}  // namespace

std::vector<int32_t> SortedRowOrder(int32_t rows, int32_t keysPerRow, bool descending, const TRowKeySource& source) {
  if (keysPerRow <= 0 || rows <= 0) return {};
  char firstKind = 0;
  source(0, 0, firstKind);
  // The common cases, a column of texts or of numbers, are sorted as small
  // entries that decide most comparisons without reaching the other keys.
  if (firstKind == 'C') {
    std::vector<TextEntry> entries;
    const bool texts = MakeEntries(rows, source, entries, [&](int32_t r, std::string_view text, char kind, TextEntry& e) {
      unsigned char head[16];
      CollationKeyHead(Trimmed(text), true, head, sizeof head);
      e = {BigEndianWord(head), BigEndianWord(head + 8), r};
      return kind == 'C';
    });
    if (texts) {
      const auto first = [](const TextEntry& a, const TextEntry& b) {
        if (a.Head != b.Head) return a.Head < b.Head ? -1 : 1;
        return a.Tail != b.Tail ? (a.Tail < b.Tail ? -1 : 1) : 0;
      };
      return SortEntries(entries, descending, first, source, keysPerRow, 0);
    }
  } else if (firstKind == 'N' || firstKind == 'R') {
    std::vector<NumberEntry> entries;
    const bool numbers = MakeEntries(rows, source, entries, [](int32_t r, std::string_view text, char kind, NumberEntry& e) {
      e = {NumberKey(text, kind), r};
      return kind == 'N' || kind == 'R';
    });
    if (numbers) {
      const auto first = [](const NumberEntry& a, const NumberEntry& b) { return CompareNumbers(a.Num, b.Num); };
      return SortEntries(entries, descending, first, source, keysPerRow, 1);
    }
  }
  // First keys of other or mixed kinds: every key of every row held.
  TKeyRows keys(source, keysPerRow, 0, static_cast<std::size_t>(rows));
  for (int32_t r = 0; r < rows; ++r) keys.AddRow(r);
  std::vector<RowEntry> entries;
  entries.reserve(static_cast<std::size_t>(rows));
  for (int32_t r = 0; r < rows; ++r) entries.push_back({r});
  const auto first = [&](const RowEntry& a, const RowEntry& b) {
    return keys.Compare(static_cast<std::size_t>(a.Row), static_cast<std::size_t>(b.Row));
  };
  return SortEntries(entries, descending, first, source, keysPerRow, keysPerRow);
}

}  // namespace vm
