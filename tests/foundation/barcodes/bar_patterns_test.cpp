#include "foundation/barcodes/bar_patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>

#include "foundation/draw/canvas.h"
#include "support/fake_canvas.h"
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

// One row of grey pixels that only fills: enough to draw bars on.
class RowCanvas : public FakeCanvas {
 public:
  explicit RowCanvas(int width) : row(static_cast<std::size_t>(width), '\xFF') {}
  void FillRect(int32_t l, int32_t, int32_t r, int32_t, uint32_t rgb) override {
    fills.push_back({l, r});
    for (int32_t x = std::max(l, 0); x < r && x < static_cast<int32_t>(row.size()); ++x)
      row[static_cast<std::size_t>(x)] = rgb == 0 ? '\0' : '\xFF';
  }
  std::string row;
  std::vector<std::pair<int32_t, int32_t>> fills;
};

// Draws a pattern with a quiet zone of ten modules on each side, scaled by
// Module, as a PGM file.
void WritePattern(const std::string& path, std::string_view pattern, int module) {
  const int quiet = 10 * module;
  const int width = static_cast<int>(BarPatternWidth(pattern, module)) + 2 * quiet;
  const int height = 60;
  RowCanvas canvas(width);
  DrawBarPattern(canvas, pattern, quiet, module, height, 0);
  std::ofstream out(path, std::ios::binary);
  out << "P5\n" << width << ' ' << height << "\n255\n";
  for (int y = 0; y < height; ++y) out << canvas.row;
}

TEST(BarPatterns, DrawingFillsBarsOnlyAndKeepsTheBrush) {
  RowCanvas canvas(40);
  const TBrush hatched{TBrushStyle::Cross, 0x00FF00};
  canvas.SetBrush(hatched);
  DrawBarPattern(canvas, "1x03a1", 5, 2, 10, 0);
  const std::vector<std::pair<int32_t, int32_t>> want{{5, 7}, {13, 15}};
  EXPECT_EQ(canvas.fills, want);
  EXPECT_EQ(canvas.Brush(), hatched);
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
