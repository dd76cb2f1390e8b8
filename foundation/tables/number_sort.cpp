#include "foundation/tables/number_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <string_view>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/tables/string_base.h"

namespace vm {

namespace {

// Every key m / 10^decimals of |m| < 2^53 with at most 8 decimals is read,
// rounded, within 2^-10 / 10^decimals of its exact value, so keys of
// different integers differ by more than 0.99 * 10^-8, and equal integers
// give equal keys.
constexpr int32_t kMaxIntegerKeyDecimals = TNumberKeyReader::kMaxIntegerKeyDecimals;
constexpr int64_t kIntegerKeyLimit = int64_t{1} << 53;
constexpr std::array<int64_t, kMaxIntegerKeyDecimals + 1> kIntegerKeyScale = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// A number as saves write it: blanks, an optional '-', at least one digit,
// then, for a field with decimals, the point and exactly that many digits;
// read in one pass to the integer the digits make, which is the key. False
// for any other text, for more than 18 digits and for a key past the limit.
bool SavedNumberKey(std::string_view text, int32_t decimals, int64_t& key) {
  const char* p = text.data() + LeadingFieldBlanks(text.data(), text.size());
  const char* const end = text.data() + text.size();
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  const char* const point = end - (decimals > 0 ? decimals + 1 : 0);
  if (point - p < 1 || end - p > 18) return false;
  uint64_t m = 0;
  bool digits = decimals == 0 || *point == '.';
  const auto add = [&](const char* from, const char* to) {
    for (const char* q = from; q < to; ++q) {
      const uint64_t digit = static_cast<uint64_t>(static_cast<unsigned char>(*q)) - '0';
      digits &= digit <= 9;
      m = m * 10 + digit;
    }
  };
  add(p, point);
  if (decimals > 0) add(point + 1, end);
  if (!digits || m >= static_cast<uint64_t>(kIntegerKeyLimit)) return false;
  key = negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
  return true;
}

// False when the field's number is not such an integer.
bool IntegerNumberKey(std::string_view text, int32_t decimals, int64_t& key) {
  if (SavedNumberKey(text, decimals, key)) return true;
  TDecimalDigits d;
  if (ReadDecimalField(text, d)) {
    if (d.Fraction > static_cast<uint32_t>(decimals)) return false;
    const int64_t factor = kIntegerKeyScale[static_cast<std::size_t>(decimals) - d.Fraction];
    if (d.Mantissa >= static_cast<uint64_t>(kIntegerKeyLimit / factor)) return false;
    const int64_t m = static_cast<int64_t>(d.Mantissa) * factor;
    key = d.Negative ? -m : m;
    return true;
  }
  // Blanks, '*' fill, commas and other texts the general reader takes its
  // own way: the integer must give back the very key read.
  const long double x = ReadNumberField(text);
  const auto scale = static_cast<long double>(kIntegerKeyScale[static_cast<std::size_t>(decimals)]);
  const long double scaled = std::rint(x * scale);
  if (!(std::fabs(scaled) < static_cast<long double>(kIntegerKeyLimit))) return false;
  const auto m = static_cast<int64_t>(scaled);
  if (static_cast<long double>(m) / scale != x) return false;
  key = m;
  return true;
}

}  // namespace

TNumberKeyReader::TNumberKeyReader(int32_t length, int32_t decimals) : length_(length), decimals_(decimals) {
  // Every load lies inside the field, and the point in its last eight
  // bytes.
  if (!Reads() || length < 8 || decimals > 7) return;
  const int32_t whole = length - (decimals > 0 ? decimals + 1 : 0);
  if (whole < 1 || whole > 16) return;
  if (whole >= 8) {
    wholeAt_ = whole - 8;
    headMask_ = number_detail::LowBytes(static_cast<unsigned>(whole - 8));
  } else {
    wholeShift_ = static_cast<unsigned>(8 - whole) * 8;
    wholeBlanks_ = 0x2020202020202020ULL & number_detail::LowBytes(static_cast<unsigned>(8 - whole));
  }
  if (decimals > 0) {
    pointAt_ = whole;
    fractionAt_ = length - 8;
    fractionMask_ = ~number_detail::LowBytes(static_cast<unsigned>(8 - decimals));
    fractionShift_ = static_cast<unsigned>(decimals) * 8;
    spillMask_ = number_detail::LowBytes(static_cast<unsigned>(decimals));
    scale_ = static_cast<uint64_t>(kIntegerKeyScale[static_cast<std::size_t>(decimals)]);
  }
  words_ = true;
}

bool TNumberKeyReader::ReadOther(const char* field, int64_t& key) const {
  return IntegerNumberKey(std::string_view(field, static_cast<std::size_t>(length_)), decimals_, key);
}

namespace {

// The entries a partition looks over at a time from each end.
constexpr int32_t kBlock = 64;

// The pivot's key as the bounds of the entries with that key: an entry is
// below the pivot when below Low, above it when above High.
struct TWordPivot {
  uint64_t Low, High;

  TWordPivot(uint64_t pivot, uint64_t rowMask) : Low(pivot & ~rowMask), High(pivot | rowMask) {}

  // Bit k: the k-th entry from E up stops the scan from the left (is not
  // below the pivot).
  uint64_t LeftStops(const uint64_t* e) const {
    uint64_t below = 0;
#pragma GCC unroll 16
    for (int k = 0; k < kBlock; ++k) below |= uint64_t{e[k] < Low} << k;
    return ~below;
  }
  // Bit k: the k-th entry from Top down stops the scan from the right (is
  // not above the pivot).
  uint64_t RightStops(const uint64_t* top) const {
    uint64_t above = 0;
#pragma GCC unroll 16
    for (int k = 0; k < kBlock; ++k) above |= uint64_t{top[-k] > High} << k;
    return ~above;
  }
};

#if defined(__SSE2__)
// Keys below 2^31 above 32 row bits: the keys are the entries' high halves,
// compared four at a time as signed 32-bit numbers.
struct THalfKeyPivot : TWordPivot {
  int32_t Key;

  THalfKeyPivot(uint64_t pivot, uint64_t rowMask)
      : TWordPivot(pivot, rowMask), Key(static_cast<int32_t>(pivot >> 32)) {}

  // The high halves of E[0..3], the first lowest, or the last lowest.
  static __m128i Keys(const uint64_t* e) {
    const __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(e)));
    const __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(e + 2)));
    return _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
  }
  static __m128i KeysDown(const uint64_t* e) {
    const __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(e)));
    const __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(e + 2)));
    return _mm_castps_si128(_mm_shuffle_ps(b, a, _MM_SHUFFLE(1, 3, 1, 3)));
  }
  static uint64_t Signs(__m128i m) { return static_cast<uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(m))); }

  uint64_t LeftStops(const uint64_t* e) const {
    const __m128i key = _mm_set1_epi32(Key);
    uint64_t below = 0;
#pragma GCC unroll 16
    for (int k = 0; k < kBlock; k += 4) below |= Signs(_mm_cmpgt_epi32(key, Keys(e + k))) << k;
    return ~below;
  }
  uint64_t RightStops(const uint64_t* top) const {
    const __m128i key = _mm_set1_epi32(Key);
    uint64_t above = 0;
#pragma GCC unroll 16
    for (int k = 0; k < kBlock; k += 4) above |= Signs(_mm_cmpgt_epi32(KeysDown(top - k - 3), key)) << k;
    return ~above;
  }
};
#else
using THalfKeyPivot = TWordPivot;
#endif

// The first exchanges of a partition of [I, End), with I and End left where
// the scans leave them after the last: the k-th entry from the left that
// stops the scan from the left is exchanged with the k-th from the right
// that stops the scan from the right, for as long as the two lie apart, and
// every entry between them is still in its place. A block of entries is
// looked over on each side without a branch per entry (a branch the data
// decides goes wrong every other entry), while a whole block is left on each
// side; the plain scans finish the rest.
template <class Pivot>
void ExchangeInBlocks(uint64_t*& i, uint64_t*& end, const Pivot& pivot, bool& exchanged) {
  // The entries not looked over yet, [From, To].
  uint64_t *from = i, *to = end - 1;
  if (to - from + 1 < 2 * kBlock) return;
  uint64_t left = 0, right = 0;
  uint64_t *leftBlock = nullptr, *rightBlock = nullptr;
  for (;;) {
    if (left == 0) {
      if (to - from + 1 < kBlock) return;
      leftBlock = from;
      left = pivot.LeftStops(from);
      from += kBlock;
    }
    if (right == 0) {
      if (to - from + 1 < kBlock) return;
      rightBlock = to;
      right = pivot.RightStops(to);
      to -= kBlock;
    }
    if (left == 0 || right == 0) continue;
    uint64_t *l, *r;
    do {
      l = leftBlock + std::countr_zero(left);
      r = rightBlock - std::countr_zero(right);
      std::swap(*l, *r);
      left &= left - 1;
      right &= right - 1;
    } while (left != 0 && right != 0);
    exchanged = true;
    i = l + 1;
    end = r;
  }
}

// Sorts [Lo, Hi]. The scan from the right is kept as the end of what it has
// not passed, so that no pointer goes before the entries.
template <class Pivot>
void QuickSortWords(uint64_t* lo, uint64_t* hi, uint64_t rowMask, bool& exchanged) {
  while (lo < hi) {
    if (hi - lo == 1) {
      // The first is the pivot: the second stops both scans, and the two
      // are exchanged, unless it is above the pivot.
      const uint64_t a = *lo, b = *hi;
      const bool swap = b <= (a | rowMask);
      *lo = swap ? b : a;
      *hi = swap ? a : b;
      exchanged |= swap;
      return;
    }
    const Pivot pivot(lo[(hi - lo) / 2], rowMask);
    uint64_t *i = lo, *end = hi + 1;
    ExchangeInBlocks(i, end, pivot, exchanged);
    while (i < end) {
      while (*i < pivot.Low) ++i;
      while (end[-1] > pivot.High) --end;
      if (i < end) {
        if (i != end - 1) {
          std::swap(*i, end[-1]);
          exchanged = true;
        }
        ++i;
        --end;
      }
    }
    // The smaller side recursively, the larger one in the loop: the depth
    // stays logarithmic whatever the data.
    if (end - lo <= hi - i) {
      if (end - lo > 1) QuickSortWords<Pivot>(lo, end - 1, rowMask, exchanged);
      lo = i;
    } else {
      if (i < hi) QuickSortWords<Pivot>(i, hi, rowMask, exchanged);
      hi = end - 1;
    }
  }
}

}  // namespace

bool SortKeyWords(uint64_t* entries, int32_t count, int rowBits) {
  bool exchanged = false;
  const uint64_t rowMask = (uint64_t{1} << rowBits) - 1;
  if (rowBits == 32) QuickSortWords<THalfKeyPivot>(entries, entries + count - 1, rowMask, exchanged);
  else QuickSortWords<TWordPivot>(entries, entries + count - 1, rowMask, exchanged);
  return exchanged;
}

}  // namespace vm
