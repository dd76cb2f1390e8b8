#include "foundation/barcodes/bar_patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>

#include "support/temp_dir.h"

namespace vm::test {
namespace {

// The patterns themselves are pinned by the independent reader below; these
// are the inputs it never sees.
TEST(BarPatterns, OtherCharactersAreDroppedAndCode39IsUpperCased) {
  EXPECT_EQ(Interleaved25("a0-5b"), Interleaved25("5"));
  EXPECT_EQ(Interleaved25("no digits"), "11113111");
  EXPECT_TRUE(Code39Pattern('a').empty() && Code39Pattern('#').empty());
  EXPECT_EQ(Code39("a*b"), Code39("AB"));
  EXPECT_EQ(Code39("A#"), Code39("A"));
  EXPECT_EQ(Code39(""), std::string(Code39Pattern('*')) + std::string(Code39Pattern('*')));
}

TEST(BarPatterns, CheckPairAndItsVerification) {
  const uint8_t values[] = {0, 1, 2, 3};
  const TDigitCheckSums sums = DigitCheckSums(values, 4);
  EXPECT_EQ(std::tuple(sums.Sum1, sums.Sum2, DigitCheckSums(values, 0).Sum2), std::tuple(6, 96, 0));
  const uint8_t wide[] = {255, 255, 255, 255, 255, 255, 255, 255, 255};
  const TDigitCheckSums wrapped = DigitCheckSums(wide, 9);
  EXPECT_EQ(std::tuple(wrapped.Sum1, wrapped.Sum2), std::tuple((9 * 255) % 256, (9 * 255) % 256));

  EXPECT_EQ(DigitCheckPair("123"), "012366");
  EXPECT_EQ(DigitCheckPair("x"), "00");
  EXPECT_EQ(VerifyDigitCheckPair("012366"), "0123");
  EXPECT_EQ(VerifyDigitCheckPair("0123-66"), "0123");
  EXPECT_EQ(VerifyDigitCheckPair("012367"), "");
  EXPECT_EQ(VerifyDigitCheckPair("12"), "");
  // Three digits are padded to four: the body is "0" plus the first digit.
  EXPECT_EQ(VerifyDigitCheckPair(DigitCheckPair("7").substr(1)), "07");
  for (const char* text : {"4607001234567", "99", "0000000", "31415926535"}) {
    const std::string pair = DigitCheckPair(text);
    EXPECT_EQ(pair.size() % 2, 0u);
    EXPECT_EQ(VerifyDigitCheckPair(pair), pair.substr(0, pair.size() - 2)) << text;
  }
}

TEST(BarPatterns, WidthCountsOnlyTheDigitsOneToNine) {
  EXPECT_EQ(BarPatternWidth("1111", 2), 8);
  EXPECT_EQ(BarPatternWidth("10x3", 1), 4);
  EXPECT_EQ(BarPatternWidth("", 5), 0);
}

// Draws a pattern as a one-pixel-per-module-column image with a quiet zone
// of ten modules on each side, scaled by Module, as a PGM file.
void WritePattern(const std::string& path, std::string_view pattern, int module) {
  const int quiet = 10 * module;
  const int width = static_cast<int>(BarPatternWidth(pattern, module)) + 2 * quiet;
  const int height = 60;
  std::string row(static_cast<std::size_t>(width), '\xFF');
  int x = quiet;
  bool bar = true;
  for (char c : pattern) {
    if (c < '1' || c > '9') continue;
    const int w = (c - '0') * module;
    if (bar) std::fill_n(row.begin() + x, w, '\0');
    bar = !bar;
    x += w;
  }
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << width << ' ' << height << "\n255\n";
  for (int y = 0; y < height; ++y) out << row;
}

// What zbarimg reads from the image, kind and text, one symbol per line.
std::string Decode(const std::string& path) {
  const std::string command = "zbarimg --quiet -Si25.min-length=2 -Scode39.min-length=0 " + path + " 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 256> buf{};
    while (std::fgets(buf.data(), buf.size(), pipe)) out += buf.data();
    pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

TEST(BarPatterns, AnIndependentReaderDecodesTheDrawnPatterns) {
  TempDir dir;
  struct Case {
    std::string Pattern;
    std::string Want;
  };
  const Case cases[] = {
      {Interleaved25("12345678"), "I2/5:12345678"},
      {Interleaved25("46070012345"), "I2/5:046070012345"},
      {Interleaved25(DigitCheckPair("2026120")), "I2/5:" + DigitCheckPair("2026120")},
      {Code39("velomar-2026"), "CODE-39:VELOMAR-2026"},
      {Code39("0123456789"), "CODE-39:0123456789"},
      {Code39("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "CODE-39:ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
      {Code39("A-. $/+%Z"), "CODE-39:A-. $/+%Z"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = dir / ("code" + std::to_string(n++) + ".pgm");
    WritePattern(path, c.Pattern, 3);
    EXPECT_EQ(Decode(path), c.Want) << c.Pattern;
  }
}

}  // namespace
}  // namespace vm::test
