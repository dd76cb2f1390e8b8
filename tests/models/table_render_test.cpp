#include "models/table_render.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "config/price_tags.h"
#include "support/fake_canvas.h"
#include "support/sample_blank.h"

using namespace vm;
using vm::test::FakeCanvas;

namespace {

// At 96 pixels per inch with the fake font (8 pixels a character, 16 a line)
// the goods blank has its header bottom at 49, a 2-pixel pen (halves 0 and 1),
// rows of 18 pixels for one line of text and the columns from 3 to 284.
struct Drawing {
  FakeCanvas canvas;
  TCurBlank blank;
  test::TextRows rows = test::GoodsRows();
  TTableDraw request;
  Drawing() {
    blank.SetText(test::GoodsBlankText());
    request.AvailHeight = 1000;
    request.AvailWidth = 2000;
  }
  TTableDrawn Draw() { return DrawBlankTable(canvas, request, blank, rows); }
  std::vector<std::string> RowLines() const {
    std::vector<std::string> lines;
    const auto ops = canvas.ops;
    for (size_t i = 0; i + 1 < ops.size(); ++i)
      if (ops[i].starts_with("MoveTo 3,") && ops[i + 1].starts_with("LineTo 284,"))
        lines.push_back(ops[i].substr(7));
    return lines;
  }
};

TEST(TableRender, RowsFollowTheHeaderWithALineUnderEach) {
  Drawing d;
  const TTableDrawn drawn = d.Draw();
  EXPECT_EQ(std::pair(drawn.Drawn, drawn.NextRow), std::pair(true, 3));
  // The long name wraps to three lines: 3 x 17 + 1.
  EXPECT_EQ(d.RowLines(), (std::vector<std::string>{"3,68", "3,87", "3,140"}));
  EXPECT_EQ(drawn.NextY, 140);
  const auto texts = d.canvas.Only("Text ");
  // Text columns start at their left edge, numbers end at their right one;
  // one-line texts sit one pixel below the centre of their row.
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Text 6,50 " + "Велосипед горный"_w), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Text 6,88 " + "Насос ручной с"_w), texts.end());
  // The number is formatted by its format and aligned right.
  bool price = false;
  for (const std::string& t : texts) price |= t.ends_with(" 15400.50");
  EXPECT_TRUE(price);
  // The header is drawn last, over the rows, in the header's own fonts.
  EXPECT_TRUE(d.canvas.ops.back().starts_with("LineTo"));
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Text 95,6 " + "Товар"_w), texts.end());
}

// A number, a date or a time shows whole on one line or, too wide for its
// cell, as the cut mark across the width, never as a part of it; a text is
// left to wrap. The fake font is 8 pixels a character.
TEST(TableRender, ANumberADateOrATimeShowsWholeOrIsMarkedAsCut) {
  const struct {
    char kind;
    int32_t mode, decimals;
    const char* text;
    int32_t width;
    std::string shown;
  } cases[] = {
      {'N', 10, 3, "123456.789", 80, "123456.789"},
      {'N', 10, 3, "123456.789", 79, "#########"},
      {'R', 10, 2, "14802469", 63, "#######"},
      {'N', 10, 2, "-38", 47, "#####"},
      // A field's digits as they stand, blanks first, fit without them.
      {'N', 0, 0, "   12.5", 32, "12.5"},
      {'N', 12, 2, "1000006.05", 5, "#"},
      {'D', 0, 0, "05.12.2026", 79, "#########"},
      {'D', 1, 0, "05.12.2026", 120, "###############"},
      {'T', 0, 0, "12:05", 39, "####"},
      {'C', 40, 0, "123456.789", 79, "123456.789"},
      {'E', 0, 0, "", 16, "Итого"_w},
  };
  for (const auto& c : cases) {
    FakeCanvas canvas;
    TColFormat format;
    format.Kind = c.kind;
    format.Mode = c.mode;
    format.Decimals = c.decimals;
    format.AltText = "Итого"_w;
    EXPECT_EQ(CellShownText(canvas, c.text, format, c.width), c.shown) << c.kind << " " << c.text << " " << c.width;
  }
  // Drawn, the cut number takes one line of its row.
  Drawing d;
  d.rows = test::TextRows({{"Шлем"_w, "1234567.5", "2"}});
  const TTableDrawn drawn = d.Draw();
  EXPECT_EQ(drawn.NextY, 68);
  bool marked = false;
  for (const std::string& t : d.canvas.Only("Text ")) {
    EXPECT_EQ(t.find("1234"), std::string::npos) << t;
    marked |= t.ends_with(" ########");
  }
  EXPECT_TRUE(marked);
}

TEST(TableRender, TablesDrawInTheConfiguredFontElseInTimesNewRoman) {
  DefaultFontName() = "DejaVu Sans";
  Drawing configured;
  configured.Draw();
  DefaultFontName().clear();
  EXPECT_EQ(configured.canvas.fontName, "DejaVu Sans");
  Drawing unset;
  unset.Draw();
  EXPECT_EQ(unset.canvas.fontName, "Times New Roman");
}

TEST(TableRender, PagesContinueFromTheRowWhereTheLastCallStopped) {
  Drawing d;
  d.request.MaxRows = 1;
  TTableDrawn drawn = d.Draw();
  EXPECT_EQ(std::pair(drawn.Drawn, drawn.NextRow), std::pair(true, 1));
  EXPECT_EQ(d.RowLines(), std::vector<std::string>{"3,68"});

  d.request.FirstRow = drawn.NextRow;
  d.request.MaxRows = -1;
  d.canvas.ops.clear();
  drawn = d.Draw();
  EXPECT_EQ(drawn.NextRow, 3);
  EXPECT_EQ(d.RowLines(), (std::vector<std::string>{"3,68", "3,121"}));

  // Past the rows only the header is drawn.
  d.request.FirstRow = 3;
  d.canvas.ops.clear();
  drawn = d.Draw();
  EXPECT_EQ(std::pair(drawn.Drawn, drawn.NextRow), std::pair(false, 3));
  EXPECT_TRUE(d.RowLines().empty());
  EXPECT_FALSE(d.canvas.Only("Text ").empty());
}

TEST(TableRender, ARowTallerThanThePageNeverFits) {
  Drawing d;
  d.request.FirstRow = 2;
  d.request.AvailHeight = 100;  // 48 pixels for rows; the row needs 52
  const TTableDrawn drawn = d.Draw();
  EXPECT_EQ(std::pair(drawn.Drawn, drawn.NextRow), std::pair(false, 2));
  EXPECT_TRUE(d.RowLines().empty());

  // Nothing at all without room for rows, a negative first row or a
  // description that does not compile.
  for (int variant = 0; variant < 3; ++variant) {
    Drawing e;
    if (variant == 0) e.request.AvailHeight = 40;
    if (variant == 1) e.request.FirstRow = -1;
    if (variant == 2) e.blank.SetText("COLCOUNT=1\n");
    const TTableDrawn none = e.Draw();
    EXPECT_EQ(std::tuple(none.Drawn, none.NextY, e.canvas.Only("Text ").size()), std::tuple(false, 0, 0u)) << variant;
  }
}

TEST(TableRender, FitModesScaleToTheAvailableWidth) {
  // The table is 760 x 96 / 254 = 287 pixels wide at scale 1.
  Drawing narrowOnly;
  narrowOnly.request.AvailWidth = 200;
  EXPECT_FALSE(narrowOnly.Draw().Drawn);
  EXPECT_TRUE(narrowOnly.canvas.ops.empty());

  Drawing keep;
  keep.request.FitMode = 1;
  keep.Draw();
  EXPECT_EQ(keep.RowLines().size(), 3u);  // same columns as at scale 1

  for (int mode : {1, 2}) {
    Drawing shrink;
    shrink.request.FitMode = mode;
    shrink.request.AvailWidth = 200;
    EXPECT_TRUE(shrink.Draw().Drawn);
    int right = 0;
    for (const std::string& op : shrink.canvas.Only("LineTo "))
      right = std::max(right, std::stoi(op.substr(7)));
    EXPECT_LE(right, 200);
    EXPECT_GE(right, 195);
  }
}

TEST(TableRender, EmptyRowsFillThePage) {
  Drawing d;
  d.request.FillEmpty = true;
  d.request.AvailHeight = 300;
  const TTableDrawn drawn = d.Draw();
  EXPECT_EQ(std::pair(drawn.Drawn, drawn.NextRow), std::pair(true, 11));
  // Avail is 248 pixels: 91 for the data rows, then empty rows of 18 + 1.
  const auto lines = d.RowLines();
  ASSERT_EQ(lines.size(), 3u + 8u);
  EXPECT_EQ(lines.back(), "3,292");
}

}  // namespace
