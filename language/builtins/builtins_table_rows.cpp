// The rows, columns and header of a document's table: counting, adding,
// deleting and moving to rows, sums, the row program, sorting and the
// header captions.
#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/values/value_text.h"
#include "language/builtins/builtins_forms.h"
#include "language/interpreter.h"

namespace vm {

namespace {

// Rounded and held to 32 bits, for the operations that clamp or ignore
// numbers outside their range themselves.
int32_t ClampedInt(long double x) {
  constexpr long double lo = std::numeric_limits<int32_t>::min();
  constexpr long double hi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::rint(x), lo, hi));
}

}  // namespace

void FnRowcount(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) c.SetNum(table->Rows().RowCount());
}

void FnAddrow(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  IDataView& view = table->Rows();
  view.AddRow();
  const int32_t rows = view.RowCount();
  SetCurrentRow(*table, rows);
  c.SetNum(rows);
}

void FnDeleterow(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  int32_t row = 0;
  if (RowIn(c, c.Num(2), table->Rows(), row)) table->Rows().DeleteRow(row);
}

void FnSetcurrow(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  // The view keeps the row within its rows; CURRENTROW takes it as given.
  table->Rows().SetRow(ClampedInt(c.Num(2) - 1));
  SetCurrentRow(*table, c.Num(2));
}

void FnTablepos(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  IDataView& view = table->Rows();
  if (view.RowCount() == 0) return;
  int32_t row = 0, col = 0;
  if (!RowIn(c, c.Num(3), view, row) || !ColumnArg(c, 2, view, col)) return;
  view.SetRow(row);
  view.SetCol(col);
}

void FnSumtable(TBuiltinCall& c) {
  c.SetNum(0);
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  IDataView& view = table->Rows();
  const int32_t rows = view.RowCount();
  if (rows == 0) return;
  int32_t col = 0;
  if (!ColumnArg(c, 2, view, col)) return;
  const long double from = std::rint(c.Num(3));
  const long double to = std::rint(c.Num(4));
  int32_t fromRow = -1;
  IndexIn(from, rows, fromRow);
  if (NormalizeTypeChar(view.CellKind(col, fromRow)) != 'N') {
    c.Fail(kFormErrOperandType);
    return;
  }
  if (from < 1 || to < 1 || from > rows) return;
  const int32_t last = static_cast<int32_t>(std::min<long double>(to, rows)) - 1;
  long double sum = 0;
  for (int32_t r = fromRow; r <= last; ++r) {
    const TCommonVar v = view.GetCellValue(col, r);
    if (v.Kind == 'N') sum += v.Num;
  }
  c.SetNum(sum);
}

void FnRecalctable(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  TInstruction* program = table->RowProgram();
  IDataView& view = table->Rows();
  if (program == nullptr || view.RowCount() == 0) return;
  // The program may add or delete rows: the count is read again each time.
  for (int32_t r = 1; r <= view.RowCount(); ++r) {
    SetCurrentRow(*table, r);
    if (!Interp().ExecNestedProgram(program)) break;
  }
  SetCurrentRow(*table, view.CurrentRow() + 1);
}

void FnSorttable(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) table->Rows().SortRows(table->KeyColumns(), false);
}

void FnSorttablebycol(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  int32_t col = 0;
  if (ColumnArg(c, 2, table->Rows(), col)) table->Rows().SortByColumn(col, !IsNearZero(c.Num(3)));
}

void FnViscolcount(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) c.SetNum(table->Rows().ShownColCount());
}

void FnTotcolcount(TBuiltinCall& c) {
  if (IFormTable* table = ObjectArg<IFormTable>(c, 1)) c.SetNum(table->Rows().ColCount());
}

void FnHeadname(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  int32_t col = 0;
  if (IndexIn(c.Num(2), table->Rows().ColCount(), col)) c.SetStr(table->ColumnCaption(col + 1));
}

void FnSetformheader(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table != nullptr && !table->SetHeaderText(ClampedInt(c.Num(2)), ClampedInt(c.Num(3)), c.Str(4)))
    c.Fail(kFormErrHeader);
}

}  // namespace vm
