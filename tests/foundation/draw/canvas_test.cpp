#include "foundation/draw/canvas.h"

#include <gtest/gtest.h>

#include "support/fake_canvas.h"

using namespace vm;

namespace {

std::vector<std::string> Lines(int32_t maxWidth, std::string_view text) {
  test::FakeCanvas canvas;  // 8 pixels a character, lines 16 + 1 high
  return WrapTextLines(canvas, maxWidth, text);
}

}  // namespace

TEST(WrappedText, LinesBreakBetweenWordsElseInsideThem) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines(96, " fits as is "), V{" fits as is "});
  EXPECT_EQ(Lines(60, "aaa bbb ccc"), (V{"aaa bbb", "ccc"}));
  EXPECT_EQ(Lines(40, "ab  cdefgh"), (V{"ab", "cdefg", "h"}));
  EXPECT_EQ(Lines(30, "abcdefghij"), (V{"abc", "def", "ghi", "j"}));
  // A character wider than the whole width still advances, one per line.
  EXPECT_EQ(Lines(5, "ab"), (V{"a", "b"}));
}

TEST(WrappedText, MeasureGivesWidestLineAndWholeTextHeights) {
  test::FakeCanvas canvas;
  auto size = [&](int32_t maxWidth, std::string_view text) {
    const TTextSize s = MeasureWrappedText(canvas, maxWidth, text);
    return std::pair{s.Width, s.Height};
  };
  EXPECT_EQ(size(0, "abc"), (std::pair{0, 0}));
  EXPECT_EQ(size(-5, "abc"), (std::pair{0, 0}));
  EXPECT_EQ(size(100, "abc "), (std::pair{32, 17}));
  EXPECT_EQ(size(60, "aaa bbb ccc"), (std::pair{56, 34}));
  EXPECT_EQ(size(30, "abcdefghij"), (std::pair{24, 68}));
  EXPECT_EQ(size(5, "ab"), (std::pair{8, 34}));
}

TEST(WrappedText, DrawAlignsByKindAndStopsAtHeight) {
  auto draw = [](char kind, int32_t width, int32_t maxHeight, std::string_view text) {
    test::FakeCanvas canvas;
    DrawWrappedText(canvas, 10, 20, width, text, kind, maxHeight);
    return canvas.ops;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(draw('C', 60, -1, "aaa bbb ccc"), (V{"Text 10,20 aaa bbb", "Text 10,37 ccc"}));
  EXPECT_EQ(draw(0, 60, -1, "aaa bbb ccc"), (V{"Text 12,20 aaa bbb", "Text 28,37 ccc"}));
  EXPECT_EQ(draw('E', 60, 34, "aaa bbb ccc"), (V{"Text 12,20 aaa bbb", "Text 28,37 ccc"}));
  EXPECT_EQ(draw('N', 60, 33, "aaa bbb ccc"), (V{"Text 14,20 aaa bbb"}));
  EXPECT_EQ(draw('D', 60, 0, "aaa bbb ccc"), V{});
  EXPECT_EQ(draw('C', 0, -1, "aaa"), V{});
  EXPECT_EQ(draw(0, 5, -1, "W"), V{"Text 9,20 W"});
}

TEST(WrappedText, RoundingSendsHalvesToEven) {
  EXPECT_EQ(RoundEven(2.5L), 2);
  EXPECT_EQ(RoundEven(3.5L), 4);
  EXPECT_EQ(RoundEven(-2.5L), -2);
  EXPECT_EQ(RoundEven(2.5000001L), 3);
  EXPECT_EQ(RoundEven(1e30L), INT32_MAX);
}
