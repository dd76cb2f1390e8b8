// The quick reading and writing of number texts against the general ones:
// the reader against std::from_chars, the writer against the formatting by
// std::to_string it replaced. Every width and decimal count of a DBF number
// field, filled with random and edge values.
#include <fpu_control.h>
#include <gtest/gtest.h>

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/text/number_text.h"

using namespace vm;

namespace {

bool SameBits(long double a, long double b) {
  // The padding after the 80 bits holds whatever the stack held.
  constexpr std::size_t bytes = std::numeric_limits<long double>::digits == 64 ? 10 : sizeof(long double);
  return std::memcmp(&a, &b, bytes) == 0;
}

// What the reader gave before it had a quick path.
bool GeneralRead(std::string_view s, long double& x) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  x = v;
  return true;
}

// What the writer gave before it had a quick path, where the scaled value
// fits 64 bits.
std::string GeneralFixed(long double x, int decimals) {
  const auto dec = static_cast<std::size_t>(decimals);
  long double p = 1.0L;
  for (int i = 0; i < decimals; ++i) p *= 10.0L;
  std::string d = std::to_string(static_cast<uint64_t>(std::rint(std::fabs(x) * p)));
  if (d.size() <= dec) d.insert(0, dec + 1 - d.size(), '0');
  const bool allZero = d.find_first_not_of('0') == std::string::npos;
  if (dec > 0) d.insert(d.end() - static_cast<std::ptrdiff_t>(dec), '.');
  if (std::signbit(x) && !allZero) d.insert(d.begin(), '-');
  return d;
}

// Past 18 digits a value holds no more, and the writer rounds there.
bool FitsQuickFixed(long double x, int decimals) {
  return std::isfinite(x) && std::fabs(x) < 1e36L && decimals <= 27 && std::fabs(x) * std::pow(10.0L, decimals) < 1e18L;
}

struct FieldTexts {
  std::vector<std::string> Texts;
  std::vector<int> Decimals;
};

std::string RandomDigits(std::mt19937_64& random, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s.push_back(static_cast<char>('0' + random() % 10));
  return s;
}

// The texts a field of `width` with `dec` decimals holds, right-aligned:
// random numbers of every length, the largest and smallest of the width,
// halves, zeros of both signs, leading zeros, blanks only and the '*' fill.
void AddFieldTexts(int width, int dec, int randomCount, std::mt19937_64& random, FieldTexts& out) {
  const int point = dec > 0 ? 1 : 0;
  const auto field = [&](std::string body) {
    if (static_cast<int>(body.size()) > width) return;
    out.Texts.push_back(std::string(static_cast<std::size_t>(width) - body.size(), ' ') + body);
    out.Decimals.push_back(dec);
  };
  const auto number = [&](bool negative, const std::string& whole, const std::string& frac) {
    field((negative ? "-" : "") + whole + (dec > 0 ? "." + frac : ""));
  };
  const int maxWhole = width - dec - point;
  for (int i = 0; i < randomCount; ++i) {
    const bool negative = random() % 3 == 0;
    const int room = maxWhole - (negative ? 1 : 0);
    if (room < 0 || (room == 0 && dec == 0)) continue;
    std::string whole = RandomDigits(random, static_cast<int>(random() % (room + 1)));
    while (whole.size() > 1 && whole.front() == '0') whole.erase(0, 1);
    if (whole.empty() && (dec == 0 || random() % 2 == 0)) whole = "0";
    std::string frac = RandomDigits(random, dec);
    if (dec > 0 && random() % 8 == 0) frac = "5" + std::string(static_cast<std::size_t>(dec - 1), '0');
    number(negative, whole, frac);
  }
  if (maxWhole >= 1) {
    const std::string nines(static_cast<std::size_t>(maxWhole), '9');
    number(false, nines, std::string(static_cast<std::size_t>(dec), '9'));
    number(true, nines.substr(1), std::string(static_cast<std::size_t>(dec), '9'));
    number(true, "0", std::string(static_cast<std::size_t>(dec), '0'));
    number(false, "0", std::string(static_cast<std::size_t>(dec), '0'));
    number(false, std::string(static_cast<std::size_t>(maxWhole), '0'), std::string(static_cast<std::size_t>(dec), '1'));
    if (dec > 0) {
      number(false, "", std::string(static_cast<std::size_t>(dec - 1), '0') + "1");
      number(true, "0", std::string(static_cast<std::size_t>(dec - 1), '0') + "5");
      field("-." + std::string(static_cast<std::size_t>(dec), '9'));
      field("+" + nines.substr(1) + ".");
    }
  }
  field(std::string(static_cast<std::size_t>(width), ' ').substr(1));
  field(std::string(static_cast<std::size_t>(width), '*'));
  field("-");
}

const FieldTexts& DbfFieldTexts() {
  static const FieldTexts texts = [] {
    FieldTexts t;
    std::mt19937_64 random(20261207);
    for (int width = 1; width <= 20; ++width)
      for (int dec = 0; dec <= 15 && (dec == 0 || dec + 2 <= width); ++dec) AddFieldTexts(width, dec, 1500, random, t);
    return t;
  }();
  return texts;
}

void ExpectReadsLikeGeneral(const std::string& text) {
  long double quick = -7.0L, general = -7.0L;
  const bool quickOk = TextToExtended(text, quick);
  const bool generalOk = GeneralRead(text, general);
  ASSERT_EQ(quickOk, generalOk) << '"' << text << '"';
  ASSERT_TRUE(SameBits(quick, general)) << '"' << text << '"';
}

}  // namespace

TEST(NumberTextIdentity, ReadsEveryDbfFieldShapeAsTheGeneralReader) {
  const FieldTexts& fields = DbfFieldTexts();
  ASSERT_GT(fields.Texts.size(), 200000u);
  for (const std::string& text : fields.Texts) ExpectReadsLikeGeneral(text);
  // Beyond the quick path: more digits than 64 bits hold, leading zeros, long
  // fractions, exponents; and signs and zeros that are easy to get wrong.
  for (const char* text : {"18446744073709551615", "9999999999999999999", "10000000000000000000", "-0", "-0.000",
                           "0000000000000000000000001.25", "0.0000000000000000000000000001",
                           "0.000000000000000000000000001", "1.0000000000000000000000000000000000001",
                           "12345678901234567.89", "2.5e3", "+.5", "5.", "1e-4950", "1e5000", "0x10"})
    ExpectReadsLikeGeneral(text);
  long double negativeZero = 1;
  ASSERT_TRUE(TextToExtended("  -0.00", negativeZero));
  EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(NumberTextIdentity, ReadsLikeTheGeneralReaderInEveryRoundingMode) {
  const FieldTexts& fields = DbfFieldTexts();
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (std::size_t i = 0; i < fields.Texts.size(); i += 97) ExpectReadsLikeGeneral(fields.Texts[i]);
    std::fesetround(FE_TONEAREST);
  }
  // A mantissa cut to 53 bits rounds the division short.
  fpu_control_t saved = 0;
  _FPU_GETCW(saved);
  const fpu_control_t shortMantissa = (saved & ~_FPU_EXTENDED) | _FPU_DOUBLE;
  _FPU_SETCW(shortMantissa);
  for (std::size_t i = 0; i < fields.Texts.size(); i += 97) ExpectReadsLikeGeneral(fields.Texts[i]);
  _FPU_SETCW(saved);
}

TEST(NumberTextIdentity, WritesEveryDbfValueAsTheGeneralWriter) {
  const FieldTexts& fields = DbfFieldTexts();
  std::size_t checked = 0;
  const auto expectSame = [&](long double x, int dec) {
    if (!FitsQuickFixed(x, dec)) return;
    ++checked;
    ASSERT_EQ(ExtendedToFixed(x, dec), GeneralFixed(x, dec)) << static_cast<double>(x) << " at " << dec;
  };
  for (std::size_t i = 0; i < fields.Texts.size(); ++i) {
    long double x = 0;
    if (!TextToExtended(fields.Texts[i], x)) continue;
    const int dec = fields.Decimals[i];
    for (const int d : {dec, dec + 1, 15}) expectSame(x, d);
  }
  // Halves at each decimal count and their neighbours, which round apart.
  std::mt19937_64 random(7);
  for (int dec = 0; dec <= 19; ++dec) {
    for (int i = 0; i < 2000; ++i) {
      const long double half = (static_cast<long double>(random() % 100000000) + 0.5L) / std::pow(10.0L, dec);
      for (const long double x : {half, -half, std::nextafter(half, 0.0L), std::nextafter(half, 1e30L)})
        expectSame(x, dec);
    }
  }
  // Random magnitudes up to where the scaled value passes 18 digits.
  std::uniform_real_distribution<double> exponent(-30, 20);
  for (int i = 0; i < 50000; ++i) {
    const long double x = std::pow(10.0L, exponent(random)) * (random() % 2 ? 1 : -1);
    expectSame(x, static_cast<int>(random() % 28));
  }
  EXPECT_GT(checked, 500000u);
  EXPECT_EQ(ExtendedToFixed(-0.0L, 2), "0.00");
  EXPECT_EQ(ExtendedToFixed(18446744073709551615.0L, 0), "18446744073709551615");
  EXPECT_EQ(ExtendedToFixed(0.5L, 27), "0.500000000000000000000000000");
}

namespace {

void ExpectFieldReadsLikeDigits(const std::string& field) {
  TDecimalDigits quick{7, 7, true}, general{7, 7, true}, inlined{7, 7, true};
  const bool quickOk = ReadDecimalField(field, quick);
  const bool generalOk = ReadDecimalDigits(field, general);
  ASSERT_EQ(quickOk, generalOk) << '"' << field << '"';
  ASSERT_EQ(ReadDecimalFieldInline(field, inlined), generalOk) << '"' << field << '"';
  if (generalOk) {
    ASSERT_EQ(std::tuple(inlined.Mantissa, inlined.Fraction, inlined.Negative),
              std::tuple(general.Mantissa, general.Fraction, general.Negative))
        << '"' << field << '"';
  }
  if (!quickOk) return;
  ASSERT_EQ(quick.Mantissa, general.Mantissa) << '"' << field << '"';
  ASSERT_EQ(quick.Fraction, general.Fraction) << '"' << field << '"';
  ASSERT_EQ(quick.Negative, general.Negative) << '"' << field << '"';
  long double x = -7.0L, y = -7.0L;
  ASSERT_TRUE(DecimalDigitsToExtended(quick, x));
  ASSERT_TRUE(TextToExtended(field, y));
  ASSERT_TRUE(SameBits(x, y)) << '"' << field << '"';
}

}  // namespace

// The word-at-a-time field reader against the character reader: every field
// shape of the tables, and random texts of the characters a number field may
// hold right-aligned in fields of every width, copied into a buffer of their
// own size so that reading outside the field would show.
TEST(NumberTextIdentity, ReadsFieldsAsTheDigitReader) {
  for (const std::string& text : DbfFieldTexts().Texts) ExpectFieldReadsLikeDigits(text);
  std::mt19937_64 random(42);
  const std::string alphabet = "0123456789.-+ *,e\t";
  for (int i = 0; i < 300000; ++i) {
    const std::size_t width = 1 + random() % 20;
    std::string text(random() % (width + 1), ' ');
    for (char& c : text) c = alphabet[random() % (random() % 4 == 0 ? alphabet.size() : 11)];
    const std::string field = std::string(width - text.size(), ' ') + text;
    ExpectFieldReadsLikeDigits(std::string(field.data(), field.size()));
  }
  // Numbers of up to seventeen characters, at most one point, in fields
  // of 8 to 17 bytes: right-aligned or not, signed, with one character a
  // number does not hold, or all digits.
  const std::string others = " -+.*,e\t\xb7";
  for (int i = 0; i < 300000; ++i) {
    const std::size_t width = 8 + random() % 10;
    const std::size_t length = 1 + random() % width;
    std::string number(length, '0');
    for (char& c : number) c = static_cast<char>('0' + random() % 10);
    if (random() % 2 != 0) number[random() % length] = '.';
    if (random() % 3 == 0) number[0] = random() % 2 != 0 ? '-' : '+';
    if (random() % 8 == 0) number[random() % length] = others[random() % others.size()];
    std::string field(width, ' ');
    const std::size_t after = random() % 6 == 0 ? random() % (width - length + 1) : 0;
    field.replace(width - length - after, length, number);
    ExpectFieldReadsLikeDigits(field);
  }
  for (const char* field : {"        ", "       .", "      .5", "      5.", "       -", "      -.", "     -.5",
                            "123456789.123456", "-123456789012345", "+9999999999999999", "1234567890123456",
                            "        .", "       -.", "-.123456789", "   123456.78", "  -123456.78", " 1234.5678 ",
                            "9999999999999999.", "0.000000000000001", "99999999.99999999", " 12345678.9",
                            "    -.50", "     .50", "  +12.50", "12345.67", "  1.2.50", " - 5.00", "     . 5",
                            "    5 .5", "     -.5", "       .5", "  12345.678", "    -0.000001",
                            "-0000000", "12345678", "-1234567", "+.234567", "1.2.3456", "  99.99 ", "     1 2",
                            "        99999999", "  -99999999", "   -9999999.", "1234567.", ".1234567", "0.000000"})
    ExpectFieldReadsLikeDigits(field);
  uint32_t v = 0;
  EXPECT_TRUE(ReadEightDigits("20261207", v));
  EXPECT_EQ(v, 20261207u);
  EXPECT_TRUE(ReadEightDigits("09990101", v));
  EXPECT_EQ(v, 9990101u);
  for (const char* bad : {"2026120 ", "2026/207", "2026120:", " 0261207", "2026120\xb7"})
    EXPECT_FALSE(ReadEightDigits(bad, v)) << bad;
}

// The eight-digit test of a word against a look at each byte: every byte
// value in every place among digits, and beside bytes that borrow from or
// carry into it.
TEST(NumberTextIdentity, TellsEightDigitsAsEachByte) {
  std::mt19937_64 random(8);
  const auto eachByte = [](uint64_t w) {
    for (int k = 0; k < 8; ++k)
      if (const auto b = static_cast<unsigned char>(w >> (8 * k)); b < '0' || b > '9') return false;
    return true;
  };
  for (int round = 0; round < 2000; ++round) {
    uint64_t digits = 0;
    for (int k = 0; k < 8; ++k) digits |= static_cast<uint64_t>('0' + random() % 10) << (8 * k);
    ASSERT_TRUE(number_detail::AllDigits(digits));
    for (int at = 0; at < 8; ++at)
      for (int b = 0; b < 256; ++b) {
        uint64_t w = (digits & ~(uint64_t{0xFF} << (8 * at))) | (static_cast<uint64_t>(b) << (8 * at));
        // A second odd byte elsewhere, now and then.
        if (const int other = 8 * ((at + 3) % 8); round % 4 == 0)
          w = (w & ~(uint64_t{0xFF} << other)) | ((random() & 0xFF) << other);
        ASSERT_EQ(number_detail::AllDigits(w), eachByte(w)) << std::hex << w;
      }
  }
}

// The padding counted a word at a time against a walk over the characters,
// each field in a buffer of its own size.
TEST(NumberTextIdentity, CountsLeadingBlanksAsAWalk) {
  for (std::size_t width = 0; width <= 24; ++width)
    for (std::size_t blanks = 0; blanks <= width; ++blanks)
      for (const char after : {'1', '\t', '\0', '\xa0', '-'}) {
        std::string field(blanks, ' ');
        field.resize(width, after);
        const std::vector<char> own(field.begin(), field.end());
        std::size_t walk = 0;
        while (walk < own.size() && own[walk] == ' ') ++walk;
        ASSERT_EQ(LeadingFieldBlanks(own.data(), own.size()), walk) << width << ' ' << blanks;
      }
}
