// Sorting a table's rows by one number key: each row's key read as an
// integer, and the quicksort of the rows run on entries of one word each,
// the key above the row number, compared by the key alone.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/text/number_text.h"

namespace vm {

// The numbers of a field read as integer counts of its last decimal, for
// fields of up to kMaxIntegerKeyDecimals decimals. Keys of different numbers
// differ by at least one, ten units of NumberOrderKey, and equal numbers
// give equal keys, so the keys order rows as NumberOrderKey does.
class TNumberKeyReader {
 public:
  static constexpr int32_t kMaxIntegerKeyDecimals = 8;

  TNumberKeyReader(int32_t length, int32_t decimals);
  // Whether the field has integer keys at all.
  bool Reads() const { return decimals_ >= 0 && decimals_ <= kMaxIntegerKeyDecimals; }
  // Calls Visit with what reads the keys of this field, a callable as
  // Read(Field, Key): the key of the field's text at Field; false when its
  // number is no integer count of the last decimal below 2^53 in magnitude.
  // Each shape of field has a reader of its own, which a sort calls for
  // every row.
  template <class Visit>
  decltype(auto) WithReader(const Visit& visit) const {
    const auto reader = [this](auto shortWhole, auto point) {
      // A copy, which the stores of keys cannot reach, so that its fields
      // stay in registers.
      return [copy = *this](const char* field, int64_t& key) {
        return copy.ReadAs<decltype(shortWhole)::value, decltype(point)::value>(field, key);
      };
    };
    using Yes = std::true_type;
    using No = std::false_type;
    if (!words_) return visit([copy = *this](const char* field, int64_t& key) { return copy.ReadInto(field, key); });
    if (wholeShift_ != 0) return decimals_ > 0 ? visit(reader(Yes(), Yes())) : visit(reader(Yes(), No()));
    return decimals_ > 0 ? visit(reader(No(), Yes())) : visit(reader(No(), No()));
  }

 private:
  static constexpr uint64_t kLimit = uint64_t{1} << 53;

  template <bool ShortWhole, bool Point>
  bool ReadAs(const char* field, int64_t& key) const {
    return ReadSaved<ShortWhole, Point>(field, key) || ReadInto(field, key);
  }
  // Through memory only here: the usual key stays in a register.
  bool ReadInto(const char* field, int64_t& key) const {
    int64_t other = 0;
    const bool read = ReadOther(field, other);
    key = other;
    return read;
  }

  // A number as saves write it, a word at a time: blanks, an optional '-', at
  // most eight digits, then, for a field with decimals, the point and exactly
  // that many digits. False for any other text. ShortWhole: fewer than eight
  // bytes before the point; Point: the field has decimals.
  template <bool ShortWhole, bool Point>
  bool ReadSaved(const char* field, int64_t& key) const {
    using namespace number_detail;
    constexpr uint64_t kBlanks = 0x2020202020202020ULL;
    uint64_t whole;
    if constexpr (ShortWhole) {
      std::memcpy(&whole, field, 8);
      whole = whole << wholeShift_ | wholeBlanks_;
    } else {
      std::memcpy(&whole, field + wholeAt_, 8);
      uint64_t head;
      std::memcpy(&head, field, 8);
      if (((head ^ kBlanks) & headMask_) != 0) return false;
    }
    const uint64_t text = whole ^ kBlanks;
    if (text == 0) return false;
    auto lead = static_cast<unsigned>(std::countr_zero(text)) & ~7u;
    const bool negative = static_cast<unsigned char>(whole >> lead) == '-';
    if (negative) lead += 8;
    if (lead == 64) return false;
    // The blanks and the sign before the digits read as leading zeros.
    const uint64_t leadMask = (uint64_t{1} << lead) - 1;
    whole = (whole & ~leadMask) | (kZeros & leadMask);
    uint64_t m = 0;
    if constexpr (!Point) {
      if (!AllDigits(whole)) return false;
      m = EightDigitsValue(whole);
    } else {
      if (field[pointAt_] != '.') return false;
      uint64_t fraction;
      std::memcpy(&fraction, field + fractionAt_, 8);
      fraction &= fractionMask_;
      if ((whole & spillMask_) == (kZeros & spillMask_)) {
        // Few enough digits for one word: the whole part's moved down under
        // the decimals.
        const uint64_t digits = whole >> fractionShift_ | fraction;
        if (!AllDigits(digits)) return false;
        m = EightDigitsValue(digits);
      } else {
        fraction |= kZeros & ~fractionMask_;
        if (!AllDigits(whole) || !AllDigits(fraction)) return false;
        m = EightDigitsValue(whole) * scale_ + EightDigitsValue(fraction);
      }
    }
    if (m >= kLimit) return false;
    key = negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
    return true;
  }
  // Every other text, and fields too short for the words.
  bool ReadOther(const char* field, int64_t& key) const;

  int32_t length_;
  int32_t decimals_;
  // Whether the field is long enough for ReadSaved.
  bool words_ = false;
  // The eight bytes before the point: from WholeAt_, or, when there are
  // fewer, the field's first eight shifted up by wholeShift_ bits, blanks
  // coming in below.
  int32_t wholeAt_ = 0;
  unsigned wholeShift_ = 0;
  uint64_t wholeBlanks_ = 0;
  // The bytes before those eight, which must be blanks.
  uint64_t headMask_ = 0;
  // The point; the decimals, the last bytes of the eight from FractionAt_
  // (none without decimals); how far the whole part's digits move to meet
  // them in one word, and its first digits, which must then be zeros.
  int32_t pointAt_ = 0;
  int32_t fractionAt_ = 0;
  uint64_t fractionMask_ = 0;
  unsigned fractionShift_ = 0;
  uint64_t spillMask_ = 0;
  uint64_t scale_ = 1;
};

// Sorts Entries[0..Count) by their bits from RowBits up, as the table's
// quicksort of rows sorts them (the middle entry the pivot, scans in from
// both ends, the entries that stop both exchanged): equal keys end in the
// same order, and entries are exchanged exactly when it exchanges rows,
// which the result tells. With 32 row bits the keys must lie below 2^31:
// they are then looked over four at a time.
bool SortKeyWords(uint64_t* entries, int32_t count, int rowBits);

}  // namespace vm
