// The byte work under TDBF's inline field readers and writers: texts,
// digits and records moved as whole words, so that the hot paths of a table
// copy take no calls. A word's first byte is its lowest, so they hold on
// little-endian machines only, which they assert. Also the blocks that
// records are read ahead into and appended from.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "foundation/text/number_text.h"
#include "platform/encoding.h"

namespace vm {

// The length of a field's text without its trailing blanks; the padding is
// passed over eight bytes a step, and the last word with text in it tells
// at once how many of its bytes are blanks.
inline std::size_t TrimmedFieldLength(const char* p, std::size_t n) {
  static_assert(std::endian::native == std::endian::little, "the last character is the highest byte");
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  while (n >= 8) {
    uint64_t word;
    std::memcpy(&word, p + n - 8, 8);
    if (const uint64_t other = word ^ kBlanks; other != 0)
      return n - static_cast<std::size_t>(std::countl_zero(other)) / 8;
    n -= 8;
  }
  while (n > 0 && p[n - 1] == ' ') --n;
  return n;
}

namespace dbf_detail {

// A number of at most eight characters (sign included) right-aligned in a
// field of 8 to 16 bytes, every date field among them, read from two words;
// false sends the text to ParseWhole and ParseDecimal, which read whatever
// this reads to the same whole value.
inline bool ReadWholeField(const uint8_t* p, int len, int64_t& value) {
  using number_detail::kZeros;
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  if (len < 8 || len > 16) return false;
  uint64_t head, word;
  std::memcpy(&head, p, 8);
  std::memcpy(&word, p + len - 8, 8);
  // The bytes before the last eight must be blanks.
  const unsigned headBytes = static_cast<unsigned>(len) - 8;
  const uint64_t headMask = headBytes == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * headBytes)) - 1;
  const uint64_t text = word ^ kBlanks;
  if (((head ^ kBlanks) & headMask) != 0 || text == 0) return false;
  auto lead = static_cast<unsigned>(std::countr_zero(text)) / 8;
  const uint8_t first = p[len - 8 + static_cast<int>(lead)];
  const bool negative = first == '-';
  if (negative || first == '+') ++lead;
  if (lead == 8) return false;
  // The blanks and the sign before the digits read as leading zeros.
  const uint64_t leadMask = (uint64_t{1} << (8 * lead)) - 1;
  const uint64_t digits = (word & ~leadMask) | (kZeros & leadMask);
  if (!number_detail::AllDigits(digits)) return false;
  const int64_t v = number_detail::EightDigitsValue(digits);
  value = negative ? -v : v;
  return true;
}

// The short texts of fields are moved as whole words straight into the
// record: every byte of a word is loaded and stored once, and nothing stored
// is loaded again, which would stall the store-to-load path.
inline constexpr uint64_t kBlankWord = 0x2020202020202020ULL;
inline constexpr uint64_t kZeroWord = 0x3030303030303030ULL;
inline constexpr char kBlanks16[17] = "                ";

inline uint64_t LoadWord(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline void StoreWord(uint8_t* p, uint64_t w) { std::memcpy(p, &w, 8); }

// Blanks over a field of 4..32 bytes by two overlapping stores, with no
// call: the writers that use it then keep everything in scratch registers.
inline void FillShortBlanks(uint8_t* p, std::size_t width) {
  if (width >= 16) {
    std::memcpy(p, kBlanks16, 16);
    std::memcpy(p + width - 16, kBlanks16, 16);
  } else if (width >= 8) {
    StoreWord(p, kBlankWord);
    StoreWord(p + width - 8, kBlankWord);
  } else {
    std::memcpy(p, kBlanks16, 4);
    std::memcpy(p + width - 4, kBlanks16, 4);
  }
}

// n bytes of text, 4 <= n <= 32, as the words [0,8) [8,16) [n-16,n-8)
// [n-8,n) (the halves [0,4) [n-4,n) of a shorter text); where they overlap
// they carry the same bytes.
struct TTextWords {
  uint64_t a = 0, b = 0, c = 0, d = 0;
};

inline TTextWords LoadTextWords(const char* s, std::size_t n) {
  TTextWords w;
  if (n < 8) {
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, s, 4);
    std::memcpy(&last, s + n - 4, 4);
    w.a = first;
    w.d = last;
    return w;
  }
  w.a = LoadWord(s);
  w.d = LoadWord(s + n - 8);
  if (n > 16) {
    w.b = LoadWord(s + 8);
    w.c = LoadWord(s + n - 16);
  }
  return w;
}

// The words in code page 866; false when one holds an upper-half byte other
// than a Russian letter, which WinToDosInPlace must convert.
inline bool WinToDosTextWords(TTextWords& w, std::size_t n) {
  return WinToDosLetterWord(w.a) && WinToDosLetterWord(w.d) &&
         (n <= 16 || (WinToDosLetterWord(w.b) && WinToDosLetterWord(w.c)));
}

inline void StoreTextWords(uint8_t* to, const TTextWords& w, std::size_t n) {
  if (n < 8) {
    const auto first = static_cast<uint32_t>(w.a);
    const auto last = static_cast<uint32_t>(w.d);
    std::memcpy(to, &first, 4);
    std::memcpy(to + n - 4, &last, 4);
    return;
  }
  StoreWord(to, w.a);
  StoreWord(to + n - 8, w.d);
  if (n > 16) {
    StoreWord(to + 8, w.b);
    StoreWord(to + n - 16, w.c);
  }
}

// The two digits of 0..99 as they lie in memory, the tens first.
inline constexpr std::array<uint16_t, 100> kDigitPairs = [] {
  std::array<uint16_t, 100> t{};
  for (int i = 0; i < 100; ++i)
    t[static_cast<std::size_t>(i)] = static_cast<uint16_t>(('0' + i / 10) | (('0' + i % 10) << 8));
  return t;
}();

// A record of 16..64 bytes in overlapping 16-byte pieces, with no call;
// others through memcpy.
inline void CopyRecord(uint8_t* to, const uint8_t* from, std::size_t size) {
  if (size < 16 || size > 64) {
    std::memcpy(to, from, size);
    return;
  }
  uint8_t first[16];
  uint8_t last[16];
  std::memcpy(first, from, 16);
  std::memcpy(last, from + size - 16, 16);
  if (size > 32) {
    uint8_t second[16];
    uint8_t third[16];
    std::memcpy(second, from + 16, 16);
    std::memcpy(third, from + size - 32, 16);
    std::memcpy(to + 16, second, 16);
    std::memcpy(to + size - 32, third, 16);
  }
  std::memcpy(to, first, 16);
  std::memcpy(to + size - 16, last, 16);
}

// Four pairs of digits as one word, the first pair lowest.
inline uint64_t PairWord(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return static_cast<uint64_t>(kDigitPairs[a]) | (static_cast<uint64_t>(kDigitPairs[b]) << 16) |
         (static_cast<uint64_t>(kDigitPairs[c]) << 32) | (static_cast<uint64_t>(kDigitPairs[d]) << 48);
}

// The eight decimal digits of v < 10^8, leading zeros included, the first
// in the lowest byte; the four pairs are looked up side by side.
inline uint64_t EightDigits(uint32_t v) {
  const uint32_t high = v / 10000;
  const uint32_t low = v % 10000;
  return PairWord(high / 100, high % 100, low / 100, low % 100);
}

// A whole number of at most eight digits right-aligned in a number field
// of 8..16 bytes, every counter and code among them, as a blank word and the
// digits' word, which together cover the field; the sign, when there is room
// for it, in the blank before the first digit. False, storing nothing, for
// any other.
inline bool PutShortWhole(uint8_t* p, int len, int32_t value) {
  const bool negative = value < 0;
  const uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  if (static_cast<unsigned>(len - 8) > 8 || magnitude >= 100000000) return false;
  const uint64_t digits = EightDigits(magnitude);
  // The last digit always stays, a zero's included.
  const int lead = std::countr_zero((digits ^ kZeroWord) | (uint64_t{1} << 56)) / 8;
  const uint64_t padding = (uint64_t{1} << (8 * lead)) - 1;
  uint64_t word = (digits & ~padding) | (kBlankWord & padding);
  if (negative && lead == 0 && len == 8) return false;
  if (negative && lead > 0) word += uint64_t{'-' - ' '} << (8 * (lead - 1));
  StoreWord(p, kBlankWord);
  StoreWord(p + len - 8, word);
  if (negative && lead == 0) p[len - 9] = '-';
  return true;
}

// A number that is not negative and below 10^8 once scaled by its 1..6
// decimals, as ExtendedToFixed writes it, right-aligned in a number field
// of 8..16 bytes (N(12,2) and N(10,3) among them): blanks over the start,
// the first of its eight digits before the field's last word, and that word
// the other digits with the point among them. False, storing nothing, for
// any other number or field, and for a text longer than the field.
inline bool PutShortFixed(uint8_t* p, int len, int dec, long double x) {
  if (static_cast<unsigned>(dec - 1) > 5 || static_cast<unsigned>(len - 8) > 8 || !(x >= 0)) return false;
  const long double scaled = x * number_detail::kPowersOfTen[static_cast<std::size_t>(dec)];
  if (!(scaled < 1e9L)) return false;
  const int64_t rounded = number_detail::RoundedInteger(scaled);
  if (rounded >= 100000000) return false;
  const uint64_t digits = EightDigits(static_cast<uint32_t>(rounded));
  const unsigned decBits = 8 * static_cast<unsigned>(dec);
  // The whole part's digits, the decimals' places zeros; its leading zeros
  // blank but the last.
  const uint64_t wholeZeros = (digits << decBits) | (kZeroWord & ((uint64_t{1} << decBits) - 1));
  const int lead = std::countr_zero((wholeZeros ^ kZeroWord) | (uint64_t{1} << 56)) / 8;
  if (9 - lead + dec > len) return false;
  const uint64_t padding = (uint64_t{1} << (8 * lead)) - 1;
  const uint64_t whole = ((wholeZeros & ~padding) | (kBlankWord & padding)) >> decBits;
  const unsigned pointBits = 56 - decBits;
  const uint64_t tail = (whole >> 8) | (uint64_t{'.'} << pointBits) | (digits & (~uint64_t{0} << (pointBits + 8)));
  StoreWord(p, kBlankWord);
  if (len > 8) p[len - 9] = static_cast<uint8_t>(whole);
  StoreWord(p + len - 8, tail);
  return true;
}

// A block of records that is never filled before use: a table made anew
// takes a megabyte for its appends, and clearing it would cost more than
// writing a small table. Only bytes stored into it are ever read from it or
// written out. Its content is lost when its size changes.
class TRecordBlock {
 public:
  std::size_t size() const { return size_; }
  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  uint8_t& operator[](std::size_t i) { return bytes_[i]; }
  const uint8_t& operator[](std::size_t i) const { return bytes_[i]; }
  void Reshape(std::size_t size) {
    if (size == size_) return;
    bytes_.reset();
    bytes_.reset(new uint8_t[size]);
    size_ = size;
  }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace dbf_detail

}  // namespace vm
