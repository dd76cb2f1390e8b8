// Reading and writing the cells of a document's tables. Cells are typed by
// the kind of the format that applies to them; a table without rows reads
// as empty values of its columns' kinds and ignores writes.
#include "foundation/values/value_text.h"
#include "language/builtins/builtins_forms.h"

namespace vm {

namespace {

// Of the kind of the column's format where no row decides it.
TCommonVar EmptyCell(const IDataView& view, int32_t col) {
  TCommonVar v;
  v.Kind = NormalizeTypeChar(view.CellKind(col, -1));
  ClearValue(v);
  return v;
}

// The cell of column argument 2 in the row CURRENTROW names: the row is
// not checked, a row the table does not have reads as an empty cell.
bool CurrentRowCell(TBuiltinCall& c, TCommonVar& value) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return false;
  IDataView& view = table->Rows();
  int32_t col = 0;
  if (!ColumnArg(c, 2, view, col)) return false;
  int32_t row = 0;
  value = IndexIn(CurrentRowNumber(*table), view.RowCount(), row) ? view.GetCellValue(col, row)
                                                                  : EmptyCell(view, col);
  return true;
}

// The view and 0-based column and row of a cell to read (row -1 when the
// table has no rows); false when the call has failed.
bool CellToRead(TBuiltinCall& c, IDataView*& view, int32_t& col, int32_t& row) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return false;
  view = &table->Rows();
  if (!ColumnArg(c, 2, *view, col)) return false;
  row = -1;
  return view->RowCount() == 0 || RowIn(c, c.Num(3), *view, row);
}

// Writes value into the cell of column argument colArg and row rowNumber:
// typed, the cell's kind must take it; else a text goes in as it is and
// any other value as the cell's format writes it. Nothing without rows.
void StoreCell(TBuiltinCall& c, IFormTable& table, int colArg, long double rowNumber, const TCommonVar& value,
               bool typed) {
  IDataView& view = table.Rows();
  if (view.RowCount() == 0) return;
  int32_t row = 0, col = 0;
  if (!RowIn(c, rowNumber, view, row) || !ColumnArg(c, colArg, view, col)) return;
  if (typed && !TypesCompatible(view.CellKind(col, row), value.Kind)) {
    c.Fail(kFormErrOperandType);
    return;
  }
  if (!typed && value.Kind == 'C') {
    view.SetCellText(col, row, value.Str);
  } else {
    view.SetCellValue(col, row, value);
  }
}

}  // namespace

void FnCell(TBuiltinCall& c) {
  IDataView* view = nullptr;
  int32_t col = 0, row = 0;
  if (!CellToRead(c, view, col, row)) return;
  c.Result = row < 0 ? EmptyCell(*view, col) : view->GetCellValue(col, row);
}

void FnStringcell(TBuiltinCall& c) {
  IDataView* view = nullptr;
  int32_t col = 0, row = 0;
  if (!CellToRead(c, view, col, row)) return;
  c.SetStr(row < 0 ? std::string() : view->GetCellText(col, row));
}

void FnCurcell(TBuiltinCall& c) {
  TCommonVar value;
  if (CurrentRowCell(c, value)) c.Result = std::move(value);
}

void FnNumcell(TBuiltinCall& c) {
  TCommonVar value;
  if (CurrentRowCell(c, value)) c.SetNum(value.Kind == 'N' ? value.Num : 0);
}

void FnSetcell(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) StoreCell(c, *table, 2, c.Num(3), c.Arg(4), true);
}

void FnSetcurcell(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1))
    StoreCell(c, *table, 2, CurrentRowNumber(*table), c.Arg(3), true);
}

void FnSetstrcell(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) StoreCell(c, *table, 2, c.Num(3), c.Arg(4), false);
}

void FnSetstringcell(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1))
    StoreCell(c, *table, 2, CurrentRowNumber(*table), c.Arg(3), false);
}

}  // namespace vm
