// Numbers as text: reading decimal text into an 80-bit number and writing a
// number with a fixed count of decimals. The locale's separators are never
// used: the point is always '.'.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vm {

// Reads optional leading spaces (not tabs), an optional sign, digits with
// an optional '.', and an optional exponent; False, with x unchanged, when
// anything else is left over, when there is no digit or when the number is
// out of range.
bool TextToExtended(std::string_view s, long double& x);

// What TextToExtended makes of a text, telling a number beyond the range of
// the 80-bit numbers from a text that is none: the first is still a number,
// however large or small, while the second may be anything. X is set for
// Number only.
enum class TNumberRead { Number, TooLarge, TooSmall, NoNumber };
TNumberRead ReadExtended(std::string_view s, long double& x);

// The texts number fields hold: optional leading spaces, an optional sign and
// at most 19 digits with an optional '.', nothing else. Their value is
// exactly Mantissa / 10^Fraction, negated when Negative; TextToExtended reads
// every such text, to that value rounded to nearest.
struct TDecimalDigits {
  uint64_t Mantissa = 0;
  uint32_t Fraction = 0;
  bool Negative = false;
};
bool ReadDecimalDigits(std::string_view s, TDecimalDigits& d);

// ReadDecimalDigits on a whole field of a record: the same texts read to the
// same digits; in a field of 8 to 16 bytes a number of up to sixteen
// characters, and in a wider one a number in its last eight bytes, without a
// pass over each character.
bool ReadDecimalField(std::string_view field, TDecimalDigits& d);

namespace number_detail {

// llrint(x), for |x| < 2^63, in the current rounding mode. On x87 one
// rounding store does it: rint takes a slow rounding instruction, and its
// conversion to an integer two changes of the control word (or a round trip
// through a double), on every number a table is given.
inline int64_t RoundedInteger(long double x) {
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  int64_t n;
  __asm__("fistpll %0" : "=m"(n) : "t"(x) : "st");
  return n;
#else
  return static_cast<int64_t>(std::rint(x));
#endif
}

// The same for 0 <= x < 2^64.
inline uint64_t RoundedWhole(long double x) {
  constexpr long double kHalfRange = 9223372036854775808.0L;
  if (x < kHalfRange) return static_cast<uint64_t>(RoundedInteger(x));
  // Every such number is whole already, and the difference exact.
  return static_cast<uint64_t>(RoundedInteger(x - kHalfRange)) + (uint64_t{1} << 63);
}

// Up to 10^27 the repeated product is exact in 64 bits of mantissa
// (5^27 < 2^64).
inline constexpr int kExactPowers = 28;
inline constexpr std::array<long double, kExactPowers> kPowersOfTen = [] {
  std::array<long double, kExactPowers> p{};
  long double v = 1.0L;
  for (long double& x : p) {
    x = v;
    v *= 10.0L;
  }
  return p;
}();

// The quick reading divides in hardware, which rounds as the general reader
// does only in the default mode: to nearest, on the full mantissa.
inline bool DefaultRounding() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short control = 0;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  return (control & 0x0F00) == 0x0300;  // rounding to nearest, 64-bit precision
#else
  return std::fegetround() == FE_TONEAREST;
#endif
}

inline constexpr uint64_t kEachByte = 0x0101010101010101ULL;
inline constexpr uint64_t kZeros = '0' * kEachByte;

inline bool AllDigits(uint64_t w) {
  // A byte below '0' sets its top bit taking '0' away, one above '9' adding
  // 0x46, and one from 0xB0 on the first. Only such a byte borrows from or
  // carries into its neighbour, so no other byte's answer can hide it.
  return (((w - kZeros) | (w + 0x46 * kEachByte)) & (0x80 * kEachByte)) == 0;
}

// Eight digit bytes, the first the highest, as one number: neighbouring
// digits, then pairs, then fours combined in place.
inline uint32_t EightDigitsValue(uint64_t w) {
  w -= kZeros;
  w = (w * 10 + (w >> 8)) & 0x00FF00FF00FF00FFULL;
  w = (w * 100 + (w >> 16)) & 0x0000FFFF0000FFFFULL;
  w = (w * 10000 + (w >> 32)) & 0xFFFFFFFFULL;
  return static_cast<uint32_t>(w);
}

// The low `bytes` bytes of a word set (0 to 8 of them), without a branch for
// the whole word.
inline uint64_t LowBytes(unsigned bytes) { return (uint64_t{1} << (4 * bytes) << (4 * bytes)) - 1; }

// The digits of a number that ends the word w, the bytes before it made
// '0' (which leave its value as it is): a point among them taken out. False
// unless the rest are all digits, or when the number is the point alone
// (`lone`: it is one character).
inline bool WordDigits(uint64_t w, bool lone, bool negative, TDecimalDigits& d) {
  uint32_t fraction = 0;
  const uint64_t dots = w ^ ('.' * kEachByte);
  // The lowest zero byte is found exactly; bytes above it may show falsely,
  // and a second point stays to fail the digit test.
  if (const uint64_t dotBytes = (dots - kEachByte) & ~dots & (0x80 * kEachByte); dotBytes != 0) {
    if (lone) return false;
    const auto atBits = static_cast<unsigned>(std::countr_zero(dotBytes)) & ~7u;
    fraction = 7 - atBits / 8;
    // The digits before the point move up into its place.
    const uint64_t below = (uint64_t{1} << atBits) - 1;
    w = ((w & below) << 8) | (w & (~below << 8)) | '0';
  }
  if (!AllDigits(w)) return false;
  d = {EightDigitsValue(w), fraction, negative};
  return true;
}

// A number that takes at most the last eight bytes of a field of 8 to 16
// bytes, only blanks before it: read to the digits ReadDecimalDigits gives
// for the field. False when the field is not of that shape or the number is
// not one the digit reader takes; the caller then asks the digit reader.
inline bool ReadLastWordOfField(const char* p, std::size_t length, TDecimalDigits& d) {
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  uint64_t head, word;
  std::memcpy(&head, p, 8);
  std::memcpy(&word, p + length - 8, 8);
  const uint64_t text = word ^ kBlanks;
  if (((head ^ kBlanks) & LowBytes(static_cast<unsigned>(length - 8))) != 0 || text == 0) return false;
  auto leadBits = static_cast<unsigned>(std::countr_zero(text)) & ~7u;
  const auto first = static_cast<unsigned char>(word >> leadBits);
  const bool negative = first == '-';
  if (negative || first == '+') leadBits += 8;
  if (leadBits == 64) return false;
  // The blanks and the sign before the number read as leading zeros.
  const uint64_t leadMask = (uint64_t{1} << leadBits) - 1;
  return WordDigits((word & ~leadMask) | (kZeros & leadMask), leadBits == 56, negative, d);
}

}  // namespace number_detail

// ReadDecimalField with its usual case inline: a number in the last eight
// bytes of a field of 8 to 16 bytes, as the tables' number fields hold them.
inline bool ReadDecimalFieldInline(std::string_view field, TDecimalDigits& d) {
  if (field.size() - 8 <= 8 && number_detail::ReadLastWordOfField(field.data(), field.size(), d)) return true;
  return ReadDecimalField(field, d);
}

// The value of the digits rounded to nearest, as TextToExtended reads their
// text; false when the floating-point unit does not round to nearest. Inline,
// with the next one: every number field of every record read comes here, and
// the value then stays in a register.
inline bool DecimalDigitsToExtended(const TDecimalDigits& d, long double& x) {
  if (!number_detail::DefaultRounding()) return false;
  // Both operands are exact, so the one division rounds the exact decimal
  // value once; a division by one is exact, and skipped.
  long double v = static_cast<long double>(d.Mantissa);
  if (d.Fraction > 0) v /= number_detail::kPowersOfTen[d.Fraction];
  x = d.Negative ? -v : v;
  return true;
}

// Eight digits read as one number, in a few word operations; false when any
// of the eight bytes at p is not a digit.
inline bool ReadEightDigits(const char* p, uint32_t& value) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  if (!number_detail::AllDigits(w)) return false;
  value = number_detail::EightDigitsValue(w);
  return true;
}

// How many blanks a field's text begins with (a number's padding), passed
// over eight bytes a step.
inline std::size_t LeadingFieldBlanks(const char* p, std::size_t n) {
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  std::size_t i = 0;
  uint64_t word;
  for (; n - i >= 8; i += 8) {
    std::memcpy(&word, p + i, 8);
    if (const uint64_t other = word ^ kBlanks; other != 0) return i + static_cast<std::size_t>(std::countr_zero(other)) / 8;
  }
  if (i == n) return n;
  if (n < 8) {
    while (i < n && p[i] == ' ') ++i;
    return i;
  }
  // The last eight bytes, those already passed over shifted out.
  std::memcpy(&word, p + n - 8, 8);
  const uint64_t other = (word ^ kBlanks) >> ((8 - (n - i)) * 8);
  return other == 0 ? n : i + static_cast<std::size_t>(std::countr_zero(other)) / 8;
}

// Whether ExtendedToFixed writes the number with fixed-point digits: below
// 1e36 in magnitude.
inline bool HasFixedForm(long double x) { return std::fabs(x) < 1e36L; }

// Every text of this many significant digits reads back as the same 80-bit
// value: a number holds no more, 19 only where they read back as it.
inline constexpr std::size_t kHeldDigits = 18;

// The number with exactly `decimals` decimals (below 0 counts as 0, above
// 255 as 255), rounded on the binary value scaled by the power of ten, halves
// to even: 0.125 with 2 decimals is "0.12", 2.5 with 0 is "2", 3.5 is "4".
// Never more significant digits than the value holds (18, or 19 where a text
// of 19 reads as it): past them it is rounded there and zeros follow, so
// 59511927.353 with 14 decimals is "59511927.35300000000000"; the whole part
// is written whole even so (see WholeDigitsHeld). A leading '-' only when a
// non-zero digit is shown. A magnitude of 1e36 or more is written with an
// exponent ("1.5E+36"); infinities and NaN give "".
std::string ExtendedToFixed(long double x, int decimals);

// The text ExtendedToFixed gives, right-aligned in the `width` bytes at
// `field` with blanks before it, for the numbers a table mostly holds: true
// when it did so; false, writing nothing, when the text is longer than the
// field or the number is not one the quick path takes (more than 18
// decimals, a scaled value beyond 64 bits, not finite). A caller then takes
// ExtendedToFixed or FitFixed.
bool PutQuickFixed(char* field, std::size_t width, long double x, int decimals);

// The number as a field `width` characters wide holds it: with `decimals`
// decimals, or with as many of them as fit, rounded as ExtendedToFixed
// rounds; "" when it does not fit even without decimals, or has no
// fixed-point form (1e36 or more, or not finite).
std::string FitFixed(long double x, int width, int decimals);

// A number text by its decimal digits, whatever their count: the value is
// 0.Digits x 10^Scale, Digits without leading or trailing zeros ("" for
// zero), so that no digit is lost to the 80-bit numbers.
struct TDecimalNumber {
  std::string Digits;
  int64_t Scale = 0;
  bool Negative = false;
  // The decimals the number needs: none lost when written with as many.
  int64_t Places() const { return std::max<int64_t>(0, static_cast<int64_t>(Digits.size()) - Scale); }
};
// Reads the texts TextToExtended reads (an exponent included), however
// many digits or however large; false, with n unchanged, for any other.
bool ReadDecimalNumber(std::string_view s, TDecimalNumber& n);

// The number as a number field `width` characters wide with `decimals`
// decimals holds it digit for digit: its decimals filled with zeros up to
// the field's, and only zeros dropped, those beyond the field's decimals
// and then from the last as many as the width needs. "" when it does not
// fit so: it has more decimals than the field, or more whole digits.
std::string FitDecimalNumber(const TDecimalNumber& n, int width, int decimals);

// A value as a number field holds it: rounded to the field's decimals as
// ExtendedToFixed rounds, then as FitDecimalNumber, so that no more than
// the rounding to the field's decimals changes it; "" when it does not fit
// so or has no fixed-point form.
// "" as well where the whole part has a digit past those the value holds:
// a field would store a neighbour of the number.
std::string FitNumber(long double x, int width, int decimals);

// Whether every digit of the whole part is one the value holds: below 1e18
// always; 92348234340767469512, which a text of twenty digits read as, is
// not (its last digit is the binary expansion's), 1e22 is.
bool WholeDigitsHeld(long double x);

// The value with the significant digits it holds, rounded there, in the
// exponent form ("9.234823434076746951E+19"): how a number is named where
// its fixed-point digits would show a neighbour of it.
std::string HeldDigitsText(long double x);

// Whether a number text has no more significant digits than the value it
// reads as holds, those digits its own: any text of up to 18; of 19 where
// the value rounds back to them; never of more. True for a text that is no
// number: that is for the caller's other checks.
bool TypedDigitsHeld(std::string_view text);

}  // namespace vm
