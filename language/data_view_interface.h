// The blank view as the in-memory tables and the document language fill it:
// rows of cells under a blank, each row linked to a row of a table. The
// document language reaches the view only through this interface, so the
// tables are tested with a fake and the windows come later.
//
// Rows and columns are 0-based. Columns count shown and hidden ones alike.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/tables/key_cols.h"
#include "foundation/values/values.h"
#include "language/expr_types.h"

namespace vm {

class IDataView {
 public:
  virtual ~IDataView() = default;

  // --- Rows -----------------------------------------------------------------
  // Data rows; 0 when the view is empty.
  virtual int32_t RowCount() const = 0;
  // Frees every row with its cells; the row count becomes 0.
  virtual void ClearRows() = 0;
  // Appends an empty row, makes it current and returns its index. The row
  // is linked to no table row (-1) until SetTableRow.
  virtual int32_t AppendRow() = 0;
  // AppendRow, then the view's add-row event, as when the user adds one.
  virtual int32_t AddRow() = 0;
  // Nothing outside the rows.
  virtual void DeleteRow(int32_t row) = 0;
  // Links a view row to a row of the in-memory table it shows (-1 unlinks).
  virtual void SetTableRow(int32_t row, int32_t tableRow) = 0;
  virtual int32_t TableRow(int32_t row) const = 0;
  // Clamped to 0..RowCount()-1.
  virtual void SetRow(int32_t row) = 0;
  // Ignored outside the shown columns.
  virtual void SetCol(int32_t col) = 0;
  virtual int32_t CurrentRow() const = 0;

  // While on, layout, painting and scroll bars wait; off lays the view out
  // again. Callers save the previous state and restore it.
  virtual bool Updating() const = 0;
  virtual void SetUpdating(bool on) = 0;

  // --- Columns --------------------------------------------------------------
  virtual int32_t ColCount() const = 0;
  virtual int32_t ShownColCount() const = 0;
  // The bound table field of a column; -1 for none.
  virtual int32_t ColumnField(int32_t col) const = 0;
  // The compiled expression of a column filled from expressions; nullptr
  // for none. The view owns it.
  virtual TExprChain* ColumnExpr(int32_t col) = 0;

  // --- Cells ----------------------------------------------------------------
  // The kind letter ('C', 'D', 'N', 'T', 'E', ...) of the cell format that
  // applies to a column in a data row.
  virtual char CellKind(int32_t col, int32_t row) const = 0;
  // Written as text formatted by the cell's format; marks the view for
  // repainting.
  virtual void SetCellValue(int32_t col, int32_t row, const TCommonVar& value) = 0;
  virtual void SetCellText(int32_t col, int32_t row, const std::string& text) = 0;
  // Empty for a cell the view does not have.
  virtual const std::string& GetCellText(int32_t col, int32_t row) const = 0;
  // The text read by the kind of the cell's format; an empty value of the
  // column's kind for a row the view does not have.
  virtual TCommonVar GetCellValue(int32_t col, int32_t row) = 0;

  // --- Sorting and searching ---------------------------------------------------
  // By the key columns (Number = column), ascending unless descending; equal
  // rows keep their order. True when any row moved.
  virtual bool SortRows(const TKeyCol* keys, bool descending) = 0;
  virtual bool SortByColumn(int32_t col, bool descending) = 0;
  // Over rows sorted by the key columns: the index of the row whose key
  // cells equal the keys' Values, else of a new row inserted at its sorted
  // place with the key cells filled (Inserted set).
  virtual int32_t FindOrInsertRow(const TKeyCol* keys, bool& inserted, bool ignoreCase) = 0;
};

}  // namespace vm
