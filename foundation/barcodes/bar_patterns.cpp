#include "foundation/barcodes/bar_patterns.h"

#include <array>
#include <vector>

#include "foundation/text/strutils.h"

namespace vm {

namespace {

struct TCode39Char {
  char Char;
  // Bar, space, bar, ... : 'w' wide, 'n' narrow.
  std::string_view Elements;
};

// The published Code 39 set.
constexpr std::array<TCode39Char, 44> kCode39 = {{
    {'0', "nnnwwnwnn"}, {'1', "wnnwnnnnw"}, {'2', "nnwwnnnnw"}, {'3', "wnwwnnnnn"},
    {'4', "nnnwwnnnw"}, {'5', "wnnwwnnnn"}, {'6', "nnwwwnnnn"}, {'7', "nnnwnnwnw"},
    {'8', "wnnwnnwnn"}, {'9', "nnwwnnwnn"}, {'A', "wnnnnwnnw"}, {'B', "nnwnnwnnw"},
    {'C', "wnwnnwnnn"}, {'D', "nnnnwwnnw"}, {'E', "wnnnwwnnn"}, {'F', "nnwnwwnnn"},
    {'G', "nnnnnwwnw"}, {'H', "wnnnnwwnn"}, {'I', "nnwnnwwnn"}, {'J', "nnnnwwwnn"},
    {'K', "wnnnnnnww"}, {'L', "nnwnnnnww"}, {'M', "wnwnnnnwn"}, {'N', "nnnnwnnww"},
    {'O', "wnnnwnnwn"}, {'P', "nnwnwnnwn"}, {'Q', "nnnnnnwww"}, {'R', "wnnnnnwwn"},
    {'S', "nnwnnnwwn"}, {'T', "nnnnwnwwn"}, {'U', "wwnnnnnnw"}, {'V', "nwwnnnnnw"},
    {'W', "wwwnnnnnn"}, {'X', "nwnnwnnnw"}, {'Y', "wwnnwnnnn"}, {'Z', "nwwnwnnnn"},
    {'-', "nwnnnnwnw"}, {'.', "wwnnnnwnn"}, {' ', "nwwnnnwnn"}, {'*', "nwnnwnwnn"},
    {'$', "nwnwnwnnn"}, {'/', "nwnwnnnwn"}, {'+', "nwnnnwnwn"}, {'%', "nnnwnwnwn"},
}};

// The ten-element patterns, built once from the table above.
const std::array<std::string, 256>& Code39Table() {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (const TCode39Char& c : kCode39) {
      std::string& p = t[static_cast<unsigned char>(c.Char)];
      for (char e : c.Elements) p += e == 'w' ? '3' : '1';
      p += '1';
    }
    return t;
  }();
  return table;
}

constexpr std::array<std::string_view, 10> kInterleavedDigits = {
    "11331", "31113", "13113", "33111", "11313", "31311", "13311", "11133", "31131", "13131"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digits of the text, with a '0' in front of an odd count.
std::string EvenDigits(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (IsDigit(c)) digits += c;
  if (digits.size() % 2 != 0) digits.insert(digits.begin(), '0');
  return digits;
}

// The two check digits of a digit string.
std::string CheckDigitsOf(std::string_view digits) {
  std::vector<uint8_t> values(digits.size());
  for (std::size_t i = 0; i < digits.size(); ++i) values[i] = static_cast<uint8_t>(digits[i] - '0');
  const TDigitCheckSums sums = DigitCheckSums(values.data(), values.size());
  return {static_cast<char>('0' + sums.Sum1 % 10), static_cast<char>('0' + sums.Sum2 % 10)};
}

}  // namespace

std::string_view Code39Pattern(char c) { return Code39Table()[static_cast<unsigned char>(c)]; }

std::string Code39(std::string_view text) {
  std::string pattern(Code39Pattern('*'));
  for (char c : UpperStr(text))
    if (c != '*') pattern += Code39Pattern(c);
  pattern += Code39Pattern('*');
  return pattern;
}

std::string Interleaved25(std::string_view text) {
  const std::string digits = EvenDigits(text);
  std::string pattern = "1111";
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const std::string_view bars = kInterleavedDigits[static_cast<std::size_t>(digits[i] - '0')];
    const std::string_view spaces = kInterleavedDigits[static_cast<std::size_t>(digits[i + 1] - '0')];
    for (std::size_t k = 0; k < 5; ++k) {
      pattern += bars[k];
      pattern += spaces[k];
    }
  }
  return pattern + "3111";
}

TDigitCheckSums DigitCheckSums(const uint8_t* values, std::size_t count) {
  unsigned sum1 = 0;
  unsigned sum2 = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned v = values[i];
    const unsigned shift = i % 8;
    sum1 += v;
    sum2 += ((v >> shift) | (v << (8 - shift))) & 0xFF;
  }
  return {static_cast<uint8_t>(sum1 & 0xFF), static_cast<uint8_t>(sum2 & 0xFF)};
}

std::string DigitCheckPair(std::string_view text) {
  const std::string digits = EvenDigits(text);
  return digits + CheckDigitsOf(digits);
}

std::string VerifyDigitCheckPair(std::string_view text) {
  const std::string digits = EvenDigits(text);
  std::size_t significant = 0;
  for (char c : text) significant += IsDigit(c) ? 1 : 0;
  if (significant < 3) return {};
  const std::string_view body = std::string_view(digits).substr(0, digits.size() - 2);
  if (CheckDigitsOf(body) != std::string_view(digits).substr(digits.size() - 2)) return {};
  return std::string(body);
}

int64_t BarPatternWidth(std::string_view pattern, int32_t module) {
  int64_t modules = 0;
  for (char c : pattern)
    if (c >= '1' && c <= '9') modules += c - '0';
  return modules * module;
}

}  // namespace vm
