// A filled-in blank drawn as a table on any canvas: the header, the rows with
// word-wrapped cell texts in the fonts of their formats, a line under every
// row and the column lines, scaled from tenths of a millimetre to pixels.
// It draws as many rows as fit and says where it stopped, so printing can
// break a long table over pages and repeat the header on each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "foundation/draw/canvas.h"

namespace vm {

class TAutoList;

// The family the views, their editors and the table printer draw in: the
// configuration's default font ("ШРИФТ"), "Times New Roman" until it names
// one.
std::string& TableFontName();

// Pixel geometry of one shown column, relative to the table's left edge.
struct TColumnPixels {
  int32_t MinHeight = 0;
  int32_t Right = 0;
  int32_t TextWidth = 0;
  int32_t Left = 0;
  int32_t TextLeft = 0;
};

// The shown columns of a compiled blank at s pixels per 0.1 mm, with the
// line pen split into halfA above and halfB below. MinHeight is the height
// of minHeightText plus minHeightExtra in the font of the column's format
// for row 0.
std::vector<TColumnPixels> LayOutColumns(TCanvas& canvas, TCurBlank& blank, long double s,
                                         int32_t halfA, int32_t halfB,
                                         std::string_view minHeightText, int32_t minHeightExtra);

// The pen of the table lines and its halves.
struct TLinePen {
  int32_t Width = 1;
  int32_t HalfA = 0;
  int32_t HalfB = 0;
};
TLinePen SplitLinePen(int32_t width);

// The text a cell shows: the cell's text formatted by its format.
std::string CellDisplayText(const std::string& text, const TColFormat& format);

// Whether a cell of this kind keeps its value on one line: a number, a
// date or a time broken over lines reads as another value line by line.
bool KeepsOneLine(char kind);

// What a cell too narrow for its number, date or time shows across its
// width: no digit, so that nobody takes a part for the value.
inline constexpr char kCutCellMark = '#';

// The text a cell draws in width pixels in the canvas's font: its text
// formatted by its format, which a text may wrap; a value that keeps one
// line and does not fit the width whole is the cut mark repeated across it.
std::string CellShownText(TCanvas& canvas, const std::string& text, const TColFormat& format, int32_t width);

// Sets the canvas font of a cell format at s pixels per 0.1 mm.
void SetCellFont(TCanvas& canvas, const TColFormat& format, long double s);

// One data row measured for drawing: its height (the tallest cell's shown
// text + 1, at least the column's MinHeight) and each cell's text size.
struct TRowSize {
  int32_t Height = 0;
  std::vector<TTextSize> Cells;
};
TRowSize MeasureBlankRow(TCanvas& canvas, TCurBlank& blank, const TBlankView& view,
                         const std::vector<TColumnPixels>& cols, long double s, int32_t row);

struct TTableDraw {
  int32_t X = 0;  // top-left corner on the canvas, pixels
  int32_t Y = 0;
  long double Scale = 1.0L;
  bool FillEmpty = false;      // empty framed rows after the data until the height is used
  int32_t MaxRows = -1;        // at most this many rows when positive; 0 none; negative all
  const TAutoList* Params = nullptr;  // expanded into header texts
  int32_t FitMode = 0;  // 0 only if it fits, 1 shrink to fit, 2 always fit, other: at Scale
  int32_t AvailHeight = 0;  // pixels below Y, header included
  int32_t AvailWidth = 0;
  int32_t LastRow = -1;  // negative: to the last row
  int32_t FirstRow = 0;  // negative draws nothing
};

struct TTableDrawn {
  bool Drawn = false;     // at least one data row was drawn
  int32_t NextY = 0;      // below the last row drawn
  int32_t NextRow = 0;    // the first row not drawn
};

// Draws the rows of view under a private compiled copy of blank's
// description, whose conditional formats evaluate against view.
TTableDrawn DrawBlankTable(TCanvas& canvas, const TTableDraw& request, const TCurBlank& blank,
                           TBlankView& view);

}  // namespace vm
