// Blanks: table layouts of columns with cell formats under a header of up to
// ten levels. The table-layout compiler (models/layout_lang.h) fills a TCurBlank
// from its description text; this header gives the records, the choice of a
// cell's format for a data row, and the layout and drawing of the header.
// Lengths are tenths of a millimetre unless pixels are named.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/draw/canvas.h"

namespace vm {

class TAutoList;

inline constexpr int32_t kMaxHeaderLevels = 10;
inline constexpr int32_t kMaxBlankColumns = 64;
inline constexpr int32_t kDefaultLineWidth = 5;
inline constexpr int32_t kDefaultFontHeight = 35;

struct TColFormat {
  char Kind = 0;     // 'C', 'D', 'E', 'N', 'R' or 'T'
  int32_t Mode = 0;  // handed to value formatting
  int32_t Decimals = 0;
  int32_t FontHeight = 0;  // character height (the font size of the drawing code)
  bool Bold = false;
  int32_t Sign = 0;     // sign rule of numeric input: -2 <0, -1 <=0, 1 >=0, 2 >0
  std::string AltText;  // the fixed text of kind 'E'
};

// The condition of a conditional format, compiled by the table-layout
// compiler from the document language, which lives above the configuration.
class TBlankCondition {
 public:
  virtual ~TBlankCondition() = default;
  // Evaluated for the row of CurrentRowContext(): true when it gives a
  // number other than exactly 0 without an error.
  virtual bool Holds() = 0;
};

struct TVarColFormat {
  TBlankCondition* Condition = nullptr;  // owned by the blank's Codes
  TColFormat Format;
  std::unique_ptr<TVarColFormat> Next;
};

struct TColDescr {
  bool FormatGiven = false;
  bool Conditional = false;
  bool WidthGiven = false;
  std::unique_ptr<TVarColFormat> CondFormats;  // in the order written
  TColFormat Format;  // the default; for a conditional column the last conditional one
  // Geometry of shown columns.
  int32_t TextLeft = 0;
  int32_t RightLimit = 0;
  int32_t Left = 0;
  int32_t Width = 0;
  std::unique_ptr<TColDescr> Next;
};

struct TBlankHeader {
  int32_t FirstLevel = 0;  // header rows, 1-based
  int32_t LastLevel = 0;
  int32_t FirstCol = 0;  // columns, 1-based
  int32_t LastCol = 0;
  int32_t FontHeight = 0;
  bool Bold = false;
  std::string Text;  // may hold %name% parameters
  // Set by CalcLayout.
  int32_t TextWidth = 0;
  int32_t TextHeight = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
  int32_t Left = 0;
  int32_t Right = 0;
  std::unique_ptr<TBlankHeader> Next;
};

// What a blank needs of the view that shows it: the rows its conditional
// formats may be evaluated for, and the cells their conditions read.
class TBlankView {
 public:
  // A view that goes leaves no row context pointing at it.
  virtual ~TBlankView();
  virtual int32_t RowCount() const = 0;
  // All columns, the hidden ones included.
  virtual int32_t ColCount() const { return 0; }
  // Col 1-based, row 0-based; empty for a cell the view does not have.
  virtual std::string CellText(int32_t /*col*/, int32_t /*row*/) const { return {}; }
};

// The row being formatted, read by the built-in functions that reach the
// cells of that row while a condition is evaluated.
struct TCurrentRow {
  TBlankView* View = nullptr;
  int32_t Row = -1;
};
TCurrentRow& CurrentRowContext();

// Expands %name% parameters of header texts; the module that knows the
// system variables installs it. Without one, texts are drawn as written.
using TParamExpander = std::string (*)(const std::string& text, const TAutoList* params);
void InstallParamExpander(TParamExpander expander);

class TCurBlank {
 public:
  TCurBlank() = default;
  ~TCurBlank();
  TCurBlank(const TCurBlank&) = delete;
  TCurBlank& operator=(const TCurBlank&) = delete;

  // Replaces the description; compiled data of the old one is dropped.
  void SetText(std::string text);
  // Drops the compiled data; Name, Text and LineWidth stay.
  void Clear();
  // Takes the compiled condition over; it lives until Clear.
  TBlankCondition* AddCode(std::unique_ptr<TBlankCondition> code);
  TBlankHeader* AddHeaderCell();
  // 1-based; nullptr outside 1..HeaderCellCount.
  TBlankHeader* GetHeaderCell(int32_t n) const;

  // The format of column's cells in data row Row (0-based): the default one
  // unless the column is conditional and Row is a row of View; then the
  // first conditional format whose condition gives a number other than
  // exactly 0, the last one taken untested.
  TColFormat* GetCellFormat(TColDescr* column, int32_t row);

  // The texts of the header cells over column Col (1-based), parameters
  // expanded, in header order, joined by one blank; empty texts left out.
  void GetColumnCaption(int32_t col, const TAutoList* params, std::string& s) const;

  // Lays the header out for canvas at scale: row heights and tops, header
  // height, and each cell's frame and text size.
  void CalcLayout(TCanvas& canvas, const TAutoList* params, long double scale);
  // Draws the header at (x0, y0) and the column lines under it down to
  // bottom (measured from y0), all in 0.1 mm.
  void DrawHeader(TCanvas& canvas, int32_t x0, int32_t y0, int32_t bottom, long double scale,
                  const TAutoList* params);

  std::vector<std::unique_ptr<TBlankCondition>> Codes;  // compiled conditions, freed by Clear
  TBlankView* View = nullptr;
  std::array<int32_t, kMaxHeaderLevels + 1> RowHeight{};  // [1..10]
  std::array<int32_t, kMaxHeaderLevels + 1> RowTop{};     // [1..10]
  int32_t HeaderHeight = 0;
  std::string Name;
  std::string Text;
  int32_t ShownColCount = 0;
  int32_t ColCount = 0;
  int32_t LevelCount = 0;  // header rows in use
  int32_t HeaderCellCount = 0;
  int32_t LineWidth = kDefaultLineWidth;
  int32_t TotalWidth = 0;
  std::unique_ptr<TColDescr> Columns;
  std::unique_ptr<TBlankHeader> HeaderCells;
  bool Compiled = false;  // the compiled data is present
};

// 1-based; nullptr outside 1..ColCount.
TColDescr* BlankColumn(const TCurBlank& blank, int32_t n);
// The format of cell (col 1-based, row 0-based); nullptr without such a column.
TColFormat* BlankField(TCurBlank& blank, int32_t col, int32_t row);
// The first cell from first on that spans level and col; nullptr if none.
TBlankHeader* FindHeaderCell(TBlankHeader* first, int32_t level, int32_t col);
TBlankHeader* FindHeaderCellInColumn(TBlankHeader* first, int32_t col);

}  // namespace vm
