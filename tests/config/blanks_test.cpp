#include "config/blanks.h"

#include <gtest/gtest.h>

#include "language/expr_compiler.h"
#include "platform/encoding.h"
#include "language/registry_context.h"
#include "models/layout_lang.h"
#include "support/fake_canvas.h"

using namespace vm;

namespace {

// One column of width 100 under three header levels.
void OneColumn(TCurBlank& blank) {
  blank.ColCount = blank.ShownColCount = 1;
  blank.LevelCount = 3;
  blank.Columns = std::make_unique<TColDescr>();
  blank.Columns->Width = 100;
  blank.Columns->Format.Kind = 'C';
}

TBlankHeader* Cell(TCurBlank& blank, int32_t first, int32_t last, std::string text) {
  TBlankHeader* c = blank.AddHeaderCell();
  c->FirstLevel = first;
  c->LastLevel = last;
  c->FirstCol = c->LastCol = 1;
  c->FontHeight = 35;
  c->Text = std::move(text);
  return c;
}

// Five rows whose cells all hold Text; counts the cells read.
class Rows : public TBlankView {
 public:
  int32_t RowCount() const override { return 5; }
  int32_t ColCount() const override { return 1; }
  std::string CellText(int32_t, int32_t) const override {
    ++reads;
    return Text;
  }
  std::string Text;
  mutable int reads = 0;
};

TBlankCondition* Condition(TCurBlank& blank, std::string_view text) {
  TExprChain chain;
  EXPECT_EQ(CompileExpr(text, GlobalExprContext(), chain).ErrCode, 0) << text;
  return blank.AddCode(MakeFormulaCondition(std::move(chain)));
}

}  // namespace

TEST(BlankHeader, RowsGrowToTheTextSharedOverTheSpan) {
  TCurBlank blank;
  OneColumn(blank);
  TBlankHeader* empty = Cell(blank, 1, 1, "");
  TBlankHeader* tall = Cell(blank, 2, 3, "x");
  // At 254 pixels per inch a pixel is 0.1 mm: the text is 60 high, 61 with
  // the margin of rounding, and needs 61 + 5 + 10 over two rows.
  test::FakeCanvas canvas(254, 8, 59);
  blank.CalcLayout(canvas, nullptr, 1);
  EXPECT_EQ((std::array{tall->TextHeight, tall->TextWidth}), (std::array{61, 9}));
  EXPECT_EQ((std::array{blank.RowHeight[1], blank.RowHeight[2], blank.RowHeight[3], blank.RowTop[3],
                        blank.HeaderHeight}),
            (std::array{5, 38, 38, 43, 81}));
  EXPECT_EQ((std::array{empty->Top, empty->Bottom, tall->Top, tall->Bottom, tall->Right}),
            (std::array{0, 5, 5, 81, 100}));

  // Bottom inside the header: frames of both cells, the empty one too, and
  // no column lines; a pen that rounds to 0 pixels is drawn 1 wide.
  test::FakeCanvas small(96);
  blank.DrawHeader(small, 0, 0, 81, 0.1L, nullptr);
  EXPECT_EQ(small.Only("Pen"), std::vector<std::string>{"Pen 1"});
  EXPECT_EQ((std::array{small.Only("MoveTo").size(), small.Only("LineTo").size(), small.Only("Text").size()}),
            (std::array<size_t, 3>{2, 8, 1}));

  // A kilometre-wide cell at a scale that leaves it one pixel wide: the text
  // wraps one character a line, and its height in 0.1 mm stays bounded.
  blank.Columns->Width = 10'000'000;
  tall->Text = std::string(100, 'x');
  test::FakeCanvas tiny(96);
  blank.DrawHeader(tiny, 0, 0, 0, 2.6e-7L, nullptr);
  EXPECT_GT(blank.HeaderHeight, 0);
  EXPECT_EQ(tiny.Only("Text").size(), 100u);
}

TEST(BlankHeader, ParametersAreExpandedWhenInstalled) {
  TCurBlank blank;
  OneColumn(blank);
  blank.LevelCount = 1;
  Cell(blank, 1, 1, "%N%");
  InstallParamExpander([](const std::string& text, const TAutoList*) {
    return text == "%N%" ? std::string("7") : text;
  });
  test::FakeCanvas canvas(254);
  blank.DrawHeader(canvas, 0, 0, 0, 1, nullptr);
  InstallParamExpander(nullptr);
  // The text is 8 x 18 in a cell 86 wide and 33 high: x = 8 + (86 - 8) div 2,
  // y = (33 - 18 - 5) div 2 + 2 + 5.
  EXPECT_EQ(canvas.Only("Text"), std::vector<std::string>{"Text 47,12 7"});
}

TEST(BlankCells, FormatOfARow) {
  TCurBlank blank;
  OneColumn(blank);
  TColDescr& column = *blank.Columns;
  Rows rows;
  blank.View = &rows;

  // A plain column gives its format whatever the row.
  EXPECT_EQ(blank.GetCellFormat(&column, 2), &column.Format);
  EXPECT_EQ(BlankField(blank, 1, 2), &column.Format);
  EXPECT_EQ(BlankField(blank, 2, 2), nullptr);

  column.Conditional = true;
  column.CondFormats = std::make_unique<TVarColFormat>();
  column.CondFormats->Format.Kind = 'N';
  // A single entry applies untested.
  column.CondFormats->Condition = Condition(blank, "NUMCOL(1)");
  EXPECT_EQ(blank.GetCellFormat(&column, 1)->Kind, 'N');
  EXPECT_EQ(rows.reads, 0);

  column.CondFormats->Next = std::make_unique<TVarColFormat>();
  column.CondFormats->Next->Format.Kind = 'D';
  // A text, or a failed evaluation, does not hold.
  rows.Text = "1";
  column.CondFormats->Condition = Condition(blank, "CURCOL(1)");
  EXPECT_EQ(blank.GetCellFormat(&column, 1)->Kind, 'D');
  rows.Text = "0";
  column.CondFormats->Condition = Condition(blank, "1/NUMCOL(1)");
  EXPECT_EQ(blank.GetCellFormat(&column, 1)->Kind, 'D');
  // Any number but exactly 0 holds.
  column.CondFormats->Condition = Condition(blank, "NUMCOL(1)");
  rows.Text = "0.000000000001";
  EXPECT_EQ(blank.GetCellFormat(&column, 1)->Kind, 'N');
  rows.Text = "0";
  EXPECT_EQ(blank.GetCellFormat(&column, 1)->Kind, 'D');
  EXPECT_EQ(rows.reads, 4);
  EXPECT_EQ(blank.GetCellFormat(&column, 5), &column.Format);
  EXPECT_EQ(rows.reads, 4);
  EXPECT_EQ(CurrentRowContext().Row, 5);

  column.CondFormats.reset();
  EXPECT_EQ(blank.GetCellFormat(&column, 1), nullptr);
  blank.View = nullptr;
}

TEST(BlankCells, ClearKeepsTheDescription) {
  TCurBlank blank;
  blank.Name = "B";
  blank.Text = "COLCOUNT=1";
  blank.LineWidth = 7;
  OneColumn(blank);
  Cell(blank, 1, 1, "a");
  blank.Compiled = true;
  blank.SetText("LEVELCOUNT=1");
  EXPECT_TRUE(blank.Text == "LEVELCOUNT=1" && blank.Name == "B" && blank.LineWidth == 7);
  EXPECT_TRUE(!blank.Compiled && !blank.Columns && !blank.HeaderCells);
  EXPECT_EQ(blank.ColCount + blank.ShownColCount + blank.LevelCount + blank.HeaderCellCount, 0);
}

TEST(BlankCaptions, HeaderTextsOverAColumn) {
  TCurBlank blank;
  Cell(blank, 1, 1, "Товар"_w)->LastCol = 2;
  Cell(blank, 2, 2, "");
  Cell(blank, 2, 2, "Код"_w);
  TBlankHeader* second = Cell(blank, 2, 2, "Цена"_w);
  second->FirstCol = second->LastCol = 2;
  std::string all;
  for (int32_t column = 1; column <= 3; ++column) {
    std::string s = "stale";
    blank.GetColumnCaption(column, nullptr, s);
    all += s + "|";
  }
  EXPECT_EQ(all, "Товар Код|Товар Цена||"_w);
}
