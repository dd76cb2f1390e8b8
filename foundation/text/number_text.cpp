#include "foundation/text/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace vm {

namespace {

constexpr int kMaxDecimals = 255;
constexpr size_t kExponentDigits = 18;
constexpr long double kHeldWhole = 1e18L;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

using number_detail::kExactPowers;
using number_detail::kPowersOfTen;
using number_detail::RoundedWhole;

long double PowerOfTen(int n) {
  if (n >= kExactPowers) return std::pow(10.0L, static_cast<long double>(n));
  return kPowersOfTen[static_cast<size_t>(n)];
}

// At most this many digits make an integer that long double holds exactly:
// 10^19 - 1 < 2^64.
constexpr size_t kQuickDigits = 19;
static_assert(std::numeric_limits<long double>::digits >= 64, "the quick reading needs a 64-bit mantissa");

// Big unsigned integers in little-endian limbs of nine decimal digits.
using Limbs = std::vector<uint64_t>;
constexpr uint64_t kLimbBase = 1000000000u;

void MulSmall(Limbs& limbs, uint64_t factor) {  // factor below 2^32
  uint64_t carry = 0;
  for (uint64_t& limb : limbs) {
    const uint64_t x = limb * factor + carry;
    limb = x % kLimbBase;
    carry = x / kLimbBase;
  }
  while (carry > 0) {
    limbs.push_back(carry % kLimbBase);
    carry /= kLimbBase;
  }
}

std::string LimbsToString(const Limbs& limbs) {
  if (limbs.empty()) return "0";
  std::string s = std::to_string(limbs.back());
  for (size_t i = limbs.size() - 1; i-- > 0;) {
    const std::string part = std::to_string(limbs[i]);
    s += std::string(9 - part.size(), '0') + part;
  }
  return s;
}

// The exact value of a finite, non-negative number: Digits / 10^Frac.
struct ExactDecimal {
  std::string Digits;
  size_t Frac = 0;
};

ExactDecimal ToExactDecimal(long double a) {
  if (a == 0) return {"0", 0};
  int exp = 0;
  const long double frac = std::frexp(a, &exp);
  auto mant = static_cast<uint64_t>(std::ldexp(frac, 64));
  int shift = exp - 64;
  while (shift < 0 && (mant & 1u) == 0) {
    mant >>= 1;
    ++shift;
  }
  Limbs limbs;
  for (uint64_t m = mant; m > 0; m /= kLimbBase) limbs.push_back(m % kLimbBase);
  ExactDecimal r;
  if (shift >= 0) {
    for (int left = shift; left > 0; left -= 31) MulSmall(limbs, uint64_t{1} << (left > 31 ? 31 : left));
  } else {
    // m / 2^k = m * 5^k / 10^k
    r.Frac = static_cast<size_t>(-shift);
    for (int left = -shift; left > 0; left -= 13) {
      uint64_t f = 1;
      for (int i = 0; i < (left > 13 ? 13 : left); ++i) f *= 5;
      MulSmall(limbs, f);
    }
  }
  r.Digits = LimbsToString(limbs);
  return r;
}

// The exact digits of a finite, non-negative, integral value.
std::string IntegralToDecimal(long double v) {
  if (v < 18446744073709551616.0L) return std::to_string(static_cast<uint64_t>(v));
  return ToExactDecimal(v).Digits;
}

// Rounds a digit string halves to even, dropping its last `drop` digits.
std::string RoundDigits(std::string d, size_t drop) {
  if (drop == 0) return d;
  const std::string rest = d.substr(d.size() - drop);
  d.resize(d.size() - drop);
  if (d.empty()) d.push_back('0');
  bool up = rest[0] > '5';
  if (rest[0] == '5') {
    const bool exactHalf = rest.find_first_not_of('0', 1) == std::string::npos;
    up = !exactHalf || ((d.back() - '0') % 2 == 1);
  }
  if (up) {
    size_t i = d.size();
    while (i > 0 && d[i - 1] == '9') d[--i] = '0';
    if (i == 0) {
      d.insert(d.begin(), '1');
    } else {
      ++d[i - 1];
    }
  }
  return d;
}

// The exact digits of a value with at least one before the point; the
// index of its first significant digit (npos for zero).
struct PaddedDecimal {
  ExactDecimal Exact;
  size_t IntDigits = 0;
  size_t FirstSig = std::string::npos;
};

PaddedDecimal ToPaddedDecimal(long double a) {
  PaddedDecimal p{ToExactDecimal(a)};
  std::string& d = p.Exact.Digits;
  if (d.size() <= p.Exact.Frac) d.insert(0, p.Exact.Frac + 1 - d.size(), '0');
  p.IntDigits = d.size() - p.Exact.Frac;
  p.FirstSig = d.find_first_not_of('0');
  return p;
}

// The value's significant digits rounded to `count` of them, without the
// zeros they end in: Digits x 10^(Exponent - Digits' count + 1), the
// exponent that of the first digit, which rounding up may carry into a new
// one. Zero, which has none, gives no digits.
struct TSignificant {
  std::string Digits;
  int64_t Exponent = 0;
};

TSignificant RoundedSignificant(const PaddedDecimal& p, size_t count) {
  const std::string& d = p.Exact.Digits;
  if (p.FirstSig == std::string::npos) return {};
  const size_t end = std::min(p.FirstSig + count, d.size());
  TSignificant s{end < d.size() ? RoundDigits(d, d.size() - end) : d};
  const size_t intDigits = p.IntDigits + s.Digits.size() - end;
  const size_t first = s.Digits.find_first_not_of('0');
  s.Exponent = static_cast<int64_t>(intDigits) - static_cast<int64_t>(first) - 1;
  s.Digits.erase(0, first);
  s.Digits.erase(s.Digits.find_last_not_of('0') + 1);
  return s;
}

// Whether the value's digits rounded to `count` significant ones read back
// as the value itself.
bool ReadsBackRounded(const PaddedDecimal& p, size_t count, long double a) {
  if (p.FirstSig == std::string::npos || p.FirstSig + count >= p.Exact.Digits.size()) return true;
  const TSignificant s = RoundedSignificant(p, count);
  const std::string text = "0." + s.Digits + "e" + std::to_string(s.Exponent + 1);
  long double back = 0;
  return ReadExtended(text, back) == TNumberRead::Number && back == a;
}

// The significant digits that are the value's own: 18 always read back as
// the same 80-bit value, 19 only where the value is the one a text of 19
// digits reads as; any digit past them is the binary expansion's noise.
size_t HeldDigitCount(const PaddedDecimal& p, long double a) {
  if (ReadsBackRounded(p, kHeldDigits, a)) return kHeldDigits;
  return ReadsBackRounded(p, kHeldDigits + 1, a) ? kHeldDigits + 1 : kHeldDigits;
}

// Whether the whole part holds no digit past the value's own, or only zeros
// the value is exactly.
bool WholeHeld(const PaddedDecimal& p, long double a) {
  if (p.FirstSig == std::string::npos || p.IntDigits - std::min(p.FirstSig, p.IntDigits) <= kHeldDigits) return true;
  const size_t end = p.FirstSig + HeldDigitCount(p, a);
  return end >= p.IntDigits || p.Exact.Digits.find_first_not_of('0', end) == std::string::npos;
}

// Fixed-point digits (without the point) of a value whose scaled form has
// more digits than the value holds: its exact binary value rounded to the
// digits it holds, never inside the whole part, then zeros up to `decimals`
// decimals.
std::string HeldFixedDigits(long double a, size_t decimals) {
  const PaddedDecimal p = ToPaddedDecimal(a);
  const std::string& digits = p.Exact.Digits;
  size_t keep = p.IntDigits + decimals;
  if (p.FirstSig != std::string::npos) keep = std::min(keep, std::max(p.FirstSig + HeldDigitCount(p, a), p.IntDigits));
  std::string d = keep < digits.size() ? RoundDigits(digits, digits.size() - keep) : digits;
  const size_t have = std::min(keep, digits.size()) - p.IntDigits;
  d.append(decimals - have, '0');
  return d;
}

// "d.dddE+nn" with at most kExponentDigits significant digits, rounded
// halves to even on the exact decimal digits.
std::string ExponentForm(long double a) {
  std::string d = IntegralToDecimal(std::floor(a));
  int exponent = static_cast<int>(d.size()) - 1;
  if (d.size() > kExponentDigits) {
    d = RoundDigits(d, d.size() - kExponentDigits);
    if (d.size() > kExponentDigits) {  // 9.99...9 rounded up to 10.0
      d.pop_back();
      ++exponent;
    }
  }
  while (d.size() > 1 && d.back() == '0') d.pop_back();
  if (d.size() > 1) d.insert(d.begin() + 1, '.');
  d += "E+";
  d += std::to_string(exponent);
  return d;
}

// units / 10^decimals written out, built from the end in one buffer.
constexpr std::array<uint64_t, 20> kWholePowersOfTen = [] {
  std::array<uint64_t, 20> p{};
  p[0] = 1;
  for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The `count` last decimal digits of v, zeros before them, ending at end.
char* PutDigits(char* end, uint64_t v, size_t count) {
  char* const first = end - count;
  for (; end - first >= 2; v /= 100) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (v % 100), 2);
  }
  if (end > first) *--end = static_cast<char>('0' + v % 10);
  return first;
}

// The decimal digits of v, at least one, ending at end.
char* PutWholeDigits(char* end, uint64_t v) {
  for (; v >= 100; v /= 100) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * (v % 100), 2);
  }
  if (v >= 10) {
    end -= 2;
    std::memcpy(end, kDigitPairs + 2 * v, 2);
  } else {
    *--end = static_cast<char>('0' + v);
  }
  return end;
}

// The text of units / 10^decimals ending at end: the whole part, then '.'
// and the decimals.
char* PutFixedDigits(char* end, uint64_t units, size_t decimals, bool negative) {
  const bool zero = units == 0;
  char* p = end;
  if (decimals > 0) {
    // 64 bits hold twenty digits: with more decimals the twentieth is a
    // decimal too, and zeros stand before it.
    const size_t inWord = std::min<size_t>(decimals, 19);
    p = PutDigits(p, units, inWord);
    units /= kWholePowersOfTen[inWord];
    if (decimals > inWord) {
      *--p = static_cast<char>('0' + units);
      units = 0;
      p -= decimals - inWord - 1;
      std::memset(p, '0', decimals - inWord - 1);
    }
    *--p = '.';
  }
  p = PutWholeDigits(p, units);
  if (negative && !zero) *--p = '-';
  return p;
}

std::string FixedText(uint64_t units, size_t decimals, bool negative) {
  char buf[kMaxDecimals + 24];
  char* const end = buf + sizeof(buf);
  const char* const p = PutFixedDigits(end, units, decimals, negative);
  return std::string(p, static_cast<size_t>(end - p));
}

// Both operands of the division are exact, so the one division rounds the
// exact decimal value once, to nearest, as the general reader does.
bool QuickDecimal(std::string_view s, long double& x) {
  TDecimalDigits d;
  return ReadDecimalDigits(s, d) && DecimalDigitsToExtended(d, x);
}

// An exponent at i, if there is one ('e' or 'E', a sign, digits), read on
// past it; false when its digits are missing.
bool ReadExponent(std::string_view s, size_t& i, int64_t& exponent) {
  const size_t n = s.size();
  if (i == n || (s[i] != 'e' && s[i] != 'E')) return true;
  ++i;
  const bool negative = i < n && s[i] == '-';
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  // Held short of overflowing: far beyond any range, the size no longer
  // matters.
  for (; i < n && IsDigit(s[i]); ++i, ++digits)
    exponent = std::min<int64_t>(exponent * 10 + (s[i] - '0'), 1'000'000'000);
  if (negative) exponent = -exponent;
  return digits > 0;
}

using number_detail::AllDigits;
using number_detail::EightDigitsValue;
using number_detail::kEachByte;
using number_detail::kZeros;

}  // namespace

namespace {

// A number of nine to sixteen characters, its sign included, right-aligned
// in a field of 9 to 16 bytes, read from the field's first and last eight
// bytes as one sixteen-byte text with blanks before the field; false as
// ReadLastWordOfField is.
bool ReadTwoWordsOfField(const char* p, std::size_t length, TDecimalDigits& d) {
  using Text = unsigned __int128;
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  const auto each = [](uint64_t byte) { return static_cast<Text>(byte * kEachByte) << 64 | byte * kEachByte; };
  uint64_t head, word;
  std::memcpy(&head, p, 8);
  std::memcpy(&word, p + length - 8, 8);
  // The bytes the last eight do not hold move up to meet them.
  const unsigned shift = static_cast<unsigned>(16 - length) * 8;
  const uint64_t padding = number_detail::LowBytes(16 - static_cast<unsigned>(length));
  const Text all = static_cast<Text>(word) << 64 | (head << shift) | (kBlanks & padding);
  const Text text = all ^ each(' ');
  if (text == 0) return false;
  const auto low = static_cast<uint64_t>(text);
  unsigned leadBits = low != 0 ? static_cast<unsigned>(std::countr_zero(low)) & ~7u
                               : 64 + (static_cast<unsigned>(std::countr_zero(static_cast<uint64_t>(text >> 64))) & ~7u);
  const auto first = static_cast<unsigned char>(all >> leadBits);
  const bool negative = first == '-';
  if (negative || first == '+') leadBits += 8;
  if (leadBits == 128) return false;
  const Text leadMask = (static_cast<Text>(1) << leadBits) - 1;
  Text w = (all & ~leadMask) | (each('0') & leadMask);
  uint32_t fraction = 0;
  const Text dots = w ^ each('.');
  const Text dotBytes = (dots - each(1)) & ~dots & each(0x80);
  if (dotBytes != 0) {
    if (leadBits == 120) return false;  // the point and no digit
    const auto dotLow = static_cast<uint64_t>(dotBytes);
    const unsigned atBits = dotLow != 0 ? static_cast<unsigned>(std::countr_zero(dotLow)) & ~7u
                                        : 64 + (static_cast<unsigned>(std::countr_zero(static_cast<uint64_t>(dotBytes >> 64))) & ~7u);
    fraction = 15 - atBits / 8;
    const Text below = (static_cast<Text>(1) << atBits) - 1;
    w = ((w & below) << 8) | (w & (~below << 8)) | '0';
  }
  const auto high = static_cast<uint64_t>(w);
  const auto last = static_cast<uint64_t>(w >> 64);
  if (!AllDigits(high) || !AllDigits(last)) return false;
  d = {uint64_t{EightDigitsValue(high)} * 100000000u + EightDigitsValue(last), fraction, negative};
  return true;
}

}  // namespace

bool ReadDecimalField(std::string_view field, TDecimalDigits& d) {
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  const std::size_t length = field.size();
  if (length < 8) return ReadDecimalDigits(field, d);
  if (length <= 16) {
    if (number_detail::ReadLastWordOfField(field.data(), length, d)) return true;
    if (length > 8 && ReadTwoWordsOfField(field.data(), length, d)) return true;
    return ReadDecimalDigits(field, d);
  }
  const char* p = field.data() + LeadingFieldBlanks(field.data(), length);
  const char* const end = field.data() + length;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const auto n = static_cast<std::size_t>(end - p);
  if (n == 0 || n > 8) return ReadDecimalDigits(field, d);
  // The last eight bytes of the field, those before the number (blanks or
  // the sign) made zeros, which leave its value as it is.
  uint64_t w;
  std::memcpy(&w, end - 8, 8);
  const unsigned before = static_cast<unsigned>(8 - n) * 8;
  const uint64_t beforeMask = (uint64_t{1} << before) - 1;
  w = (w & ~beforeMask) | (kZeros & beforeMask);
  return number_detail::WordDigits(w, n == 1, negative, d) || ReadDecimalDigits(field, d);
}

bool ReadDecimalDigits(std::string_view s, TDecimalDigits& d) {
  const char* p = s.data();
  const char* const end = p + s.size();
  while (p < end && *p == ' ') ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Past 19 digits the integer wraps, but is then not used.
  uint64_t mantissa = 0;
  const char* const digits = p;
  for (; p < end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  size_t count = static_cast<size_t>(p - digits);
  size_t fraction = 0;
  if (p < end && *p == '.') {
    const char* const decimals = ++p;
    for (; p < end && IsDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    fraction = static_cast<size_t>(p - decimals);
    count += fraction;
  }
  if (p != end || count == 0 || count > kQuickDigits) return false;
  d = {mantissa, static_cast<uint32_t>(fraction), negative};
  return true;
}

bool TextToExtended(std::string_view s, long double& x) { return ReadExtended(s, x) == TNumberRead::Number; }

TNumberRead ReadExtended(std::string_view s, long double& x) {
  if (QuickDecimal(s, x)) return TNumberRead::Number;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == ' ') ++i;
  size_t start = i;
  if (i < n && s[i] == '+') start = ++i;
  else if (i < n && s[i] == '-') ++i;
  // One more than the power of ten of the first digit that is not 0, the
  // exponent aside: it tells the two ways out of the range apart.
  int64_t scale = 0;
  bool nonZero = false;
  size_t digits = 0;
  for (; i < n && IsDigit(s[i]); ++i, ++digits) {
    nonZero = nonZero || s[i] != '0';
    if (nonZero) ++scale;
  }
  if (i < n && s[i] == '.') {
    ++i;
    for (; i < n && IsDigit(s[i]); ++i, ++digits) {
      if (!nonZero) --scale;
      nonZero = nonZero || s[i] != '0';
    }
  }
  if (digits == 0) return TNumberRead::NoNumber;
  int64_t exponent = 0;
  if (!ReadExponent(s, i, exponent) || i != n) return TNumberRead::NoNumber;
  long double v = 0;
  const char* first = s.data() + start;
  const char* last = s.data() + n;
  const auto r = std::from_chars(first, last, v, std::chars_format::general);
  if (r.ptr != last) return TNumberRead::NoNumber;
  if (r.ec == std::errc::result_out_of_range)
    return scale + exponent > 0 ? TNumberRead::TooLarge : TNumberRead::TooSmall;
  if (r.ec != std::errc()) return TNumberRead::NoNumber;
  x = v;
  return TNumberRead::Number;
}

std::string ExtendedToFixed(long double x, int decimals) {
  if (!std::isfinite(x)) return "";
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  const bool negative = std::signbit(x);
  const long double a = std::fabs(x);
  if (!HasFixedForm(x)) {
    std::string e = ExponentForm(a);
    if (negative) e.insert(e.begin(), '-');
    return e;
  }
  const auto dec = static_cast<size_t>(decimals);
  const long double scaled = a * PowerOfTen(decimals);
  // Rounded in the current rounding mode, which is the default one: to
  // nearest, halves to even.
  if (scaled < kHeldWhole) return FixedText(RoundedWhole(scaled), dec, negative);
  // More digits than the value holds: the scaled product would be a unit
  // off, and the exact expansion shows the binary noise past them.
  std::string d = HeldFixedDigits(a, dec);
  if (d.size() <= dec) d.insert(0, dec + 1 - d.size(), '0');
  const bool allZero = d.find_first_not_of('0') == std::string::npos;
  if (dec > 0) d.insert(d.end() - static_cast<std::ptrdiff_t>(dec), '.');
  if (negative && !allZero) d.insert(d.begin(), '-');
  return d;
}

bool PutQuickFixed(char* field, std::size_t width, long double x, int decimals) {
  if (decimals < 0 || decimals > 18) return false;
  const long double scaled = std::fabs(x) * kPowersOfTen[static_cast<size_t>(decimals)];
  // Also false for NaN and the infinities.
  if (!(scaled < kHeldWhole)) return false;
  char buf[48];
  char* const end = buf + sizeof buf;
  const char* const p = PutFixedDigits(end, RoundedWhole(scaled),
                                       static_cast<size_t>(decimals), std::signbit(x));
  const auto n = static_cast<std::size_t>(end - p);
  if (n > width) return false;
  std::memset(field, ' ', width - n);
  std::memcpy(field + (width - n), p, n);
  return true;
}

bool ReadDecimalNumber(std::string_view s, TDecimalNumber& n) {
  size_t i = 0;
  const size_t size = s.size();
  while (i < size && s[i] == ' ') ++i;
  const bool negative = i < size && s[i] == '-';
  if (i < size && (s[i] == '+' || s[i] == '-')) ++i;
  std::string digits;
  int64_t point = 0;
  size_t count = 0;
  for (; i < size && IsDigit(s[i]); ++i, ++count) {
    if (digits.empty() && s[i] == '0') continue;
    digits.push_back(s[i]);
    ++point;
  }
  if (i < size && s[i] == '.') {
    for (++i; i < size && IsDigit(s[i]); ++i, ++count) {
      // Zeros right after the point move the first digit down.
      if (digits.empty() && s[i] == '0') {
        --point;
        continue;
      }
      digits.push_back(s[i]);
    }
  }
  if (count == 0) return false;
  int64_t exponent = 0;
  if (!ReadExponent(s, i, exponent) || i != size) return false;
  digits.erase(digits.find_last_not_of('0') + 1);
  n.Negative = negative && !digits.empty();
  n.Scale = digits.empty() ? 0 : point + exponent;
  n.Digits = std::move(digits);
  return true;
}

std::string FitDecimalNumber(const TDecimalNumber& n, int width, int decimals) {
  decimals = std::clamp(decimals, 0, kMaxDecimals);
  const int64_t places = n.Places();
  const int64_t whole = std::max<int64_t>(n.Scale, 1);
  const int64_t sign = n.Negative ? 1 : 0;
  if (places > decimals || sign + whole > width) return {};
  // As many of the field's decimals as the width leaves room for, but never
  // fewer than the number's own.
  int64_t kept = std::min<int64_t>(decimals, width - sign - whole - 1);
  if (kept < places) {
    if (places > 0) return {};
    kept = 0;
  }
  std::string text;
  if (n.Negative) text.push_back('-');
  const auto digits = static_cast<int64_t>(n.Digits.size());
  if (n.Scale <= 0) {
    text.push_back('0');
  } else {
    text.append(n.Digits, 0, static_cast<size_t>(std::min(n.Scale, digits)));
    text.append(static_cast<size_t>(std::max<int64_t>(n.Scale - digits, 0)), '0');
  }
  if (kept > 0) {
    text.push_back('.');
    const int64_t leading = std::min<int64_t>(std::max<int64_t>(-n.Scale, 0), kept);
    text.append(static_cast<size_t>(leading), '0');
    if (digits > n.Scale) text.append(n.Digits, static_cast<size_t>(std::max<int64_t>(n.Scale, 0)), std::string::npos);
    text.append(static_cast<size_t>(kept - places), '0');
  }
  return text;
}

bool WholeDigitsHeld(long double x) {
  const long double a = std::fabs(x);
  if (a < kHeldWhole) return true;
  return HasFixedForm(x) && WholeHeld(ToPaddedDecimal(a), a);
}

std::string HeldDigitsText(long double x) {
  const long double a = std::fabs(x);
  if (!std::isfinite(a) || a == 0) return ExtendedToFixed(x, 0);
  const PaddedDecimal p = ToPaddedDecimal(a);
  TSignificant held = RoundedSignificant(p, HeldDigitCount(p, a));
  if (held.Digits.size() > 1) held.Digits.insert(held.Digits.begin() + 1, '.');
  return (std::signbit(x) ? "-" : "") + held.Digits + "E" + (held.Exponent < 0 ? "" : "+") +
         std::to_string(held.Exponent);
}

bool TypedDigitsHeld(std::string_view text) {
  TDecimalNumber n;
  if (!ReadDecimalNumber(text, n) || n.Digits.size() <= kHeldDigits) return true;
  long double x = 0;
  if (ReadExtended(text, x) != TNumberRead::Number) return true;
  const long double a = std::fabs(x);
  const PaddedDecimal p = ToPaddedDecimal(a);
  return n.Digits.size() <= HeldDigitCount(p, a) && RoundedSignificant(p, n.Digits.size()).Digits == n.Digits;
}

std::string FitNumber(long double x, int width, int decimals) {
  if (!HasFixedForm(x) || !WholeDigitsHeld(x)) return {};
  TDecimalNumber n;
  const std::string fixed = ExtendedToFixed(x, decimals);
  if (fixed.size() <= static_cast<std::size_t>(std::max(width, 0))) return fixed;
  return ReadDecimalNumber(fixed, n) ? FitDecimalNumber(n, width, decimals) : std::string();
}

std::string FitFixed(long double x, int width, int decimals) {
  // ExtendedToFixed writes these with an exponent, short enough for many a
  // field but no number's fixed-point digits.
  if (!HasFixedForm(x)) return {};
  for (int d = std::clamp(decimals, 0, 255);; --d) {
    std::string s = ExtendedToFixed(x, d);
    if (s.empty()) return s;
    if (s.size() <= static_cast<std::size_t>(std::max(width, 0))) return s;
    if (d == 0) return {};
  }
}

}  // namespace vm
