// Searching the rows of a document's table: by a condition evaluated for
// each row (CURRENTROW set to it, so that the condition reads that row),
// by the values of given columns, by the key of a base's current record,
// and the sorted find-or-insert by the table's own key columns.
#include <vector>

#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "language/builtins/builtins_forms.h"

namespace vm {

namespace {

// At most this many columns in one FINDFASTROW; more is a wrong call.
constexpr int kMaxFastColumns = 16;
constexpr int32_t kMaxKeyColumns = 32;

// The first row, counted from the start or from the end, for which the
// condition of argument 2 holds: its 1-based number, -1 when none. False
// when the condition failed. CURRENTROW stays at the row examined last.
bool FindRowWhere(TBuiltinCall& c, IFormTable& table, bool fromEnd, int32_t& found) {
  IDataView& view = table.Rows();
  const int32_t rows = view.RowCount();
  found = -1;
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t row = fromEnd ? rows - i : i + 1;
    SetCurrentRow(table, row);
    bool match = false;
    if (!RowMatches(c, 2, match)) return false;
    if (match) {
      found = row;
      return true;
    }
  }
  return true;
}

void FindByCondition(TBuiltinCall& c, bool fromEnd, bool select) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  int32_t found = -1;
  if (!FindRowWhere(c, *table, fromEnd, found)) return;
  if (select && found > 0) table->Rows().SetRow(found - 1);
  c.SetNum(found);
}

// The first row (0-based) whose cells in cols equal values, one by one;
// -1 when none. False when two compared values differ in type.
bool FindRowByValues(TBuiltinCall& c, IDataView& view, const std::vector<int32_t>& cols,
                     const std::vector<TCommonVar>& values, int32_t& found) {
  found = -1;
  for (int32_t row = 0; row < view.RowCount(); ++row) {
    bool equal = true;
    for (std::size_t j = 0; j < cols.size() && equal; ++j)
      if (!KeyValuesEqual(c, view.GetCellValue(cols[j], row), values[j], equal)) return false;
    if (equal) {
      found = row;
      return true;
    }
  }
  return true;
}

// The result of a search by values: the row's number, which becomes
// CURRENTROW, or -1.
void ReportFound(TBuiltinCall& c, IFormTable& table, int32_t found) {
  if (found >= 0) SetCurrentRow(table, found + 1);
  c.SetNum(found >= 0 ? found + 1 : -1);
}

}  // namespace

void FnFindrow(TBuiltinCall& c) { FindByCondition(c, false, false); }

void FnFindendrow(TBuiltinCall& c) { FindByCondition(c, true, false); }

void FnFindrowsel(TBuiltinCall& c) { FindByCondition(c, false, true); }

void FnCleartablecond(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  IDataView& view = table->Rows();
  const bool wasSuspended = view.Updating();
  if (!wasSuspended) view.SetUpdating(true);
  // A deleted row's successor takes its number and is examined next.
  int32_t row = 1;
  while (row <= view.RowCount()) {
    SetCurrentRow(*table, row);
    bool match = false;
    if (!RowMatches(c, 2, match)) break;
    if (match) {
      view.DeleteRow(row - 1);
    } else {
      ++row;
    }
  }
  if (!wasSuspended) view.SetUpdating(false);
}

void FnFindfastrow(TBuiltinCall& c) {
  if (c.ArgCount < 4) {
    c.Fail(kFormErrParamCount);
    return;
  }
  if (c.Arg(1).Kind != '1') {
    c.Fail(kFormErrOperandType);
    return;
  }
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  int k = 0;
  while (2 + k <= c.ArgCount && c.Arg(2 + k).Kind == 'N') ++k;
  const int sign = 2 + k;
  if (k == 0 || k > kMaxFastColumns || sign > c.ArgCount || c.Arg(sign).Kind != 'C' || c.Str(sign) != "=" ||
      c.ArgCount != 2 + 2 * k) {
    c.Fail(kFormErrBadCall);
    return;
  }
  IDataView& view = table->Rows();
  std::vector<int32_t> cols(static_cast<std::size_t>(k));
  std::vector<TCommonVar> values(static_cast<std::size_t>(k));
  for (int j = 0; j < k; ++j) {
    if (!ColumnArg(c, 2 + j, view, cols[static_cast<std::size_t>(j)])) return;
    values[static_cast<std::size_t>(j)] = c.Arg(sign + 1 + j);
  }
  int32_t found = -1;
  if (FindRowByValues(c, view, cols, values, found)) ReportFound(c, *table, found);
}

void FnFindrowbykey(TBuiltinCall& c) {
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  TUBL* base = ObjectArg<TUBL>(c, 2);
  if (base == nullptr) return;
  const int32_t keyCount = table->KeyColumnCount();
  if (keyCount != base->Table.KeyCount) {
    c.Fail(kFormErrKeyCounts);
    return;
  }
  if (keyCount > kMaxKeyColumns) {
    c.Fail(kFormErrTooManyKeys);
    return;
  }
  // Without a current record there is no key to look for.
  if (base->Table.Buffer() == nullptr) {
    c.SetNum(-1);
    return;
  }
  std::vector<int32_t> cols;
  std::vector<TCommonVar> values;
  for (const TKeyCol* k = table->KeyColumns(); k; k = k->Next.get()) cols.push_back(k->Number);
  for (const TKeyCol* k = base->Table.Keys.get(); k; k = k->Next.get()) values.push_back(base->FieldValue(k->Number));
  int32_t found = -1;
  if (FindRowByValues(c, table->Rows(), cols, values, found)) ReportFound(c, *table, found);
}

void FnCheckaddrowsort(TBuiltinCall& c) {
  if (c.ArgCount < 3) {
    c.Fail(kFormErrKeyParams);
    return;
  }
  if (c.Arg(1).Kind != '1' || c.Arg(2).Kind != 'N') {
    c.Fail(kFormErrParamType);
    return;
  }
  IFormTable* table = ObjectArg<IFormTable>(c, 1);
  if (table == nullptr) return;
  if (c.ArgCount - 2 != table->KeyColumnCount()) {
    c.Fail(kFormErrKeyParams);
    return;
  }
  int arg = 3;
  for (TKeyCol* k = table->KeyColumns(); k; k = k->Next.get()) k->Value = c.Arg(arg++);
  bool inserted = false;
  const int32_t row = table->Rows().FindOrInsertRow(table->KeyColumns(), inserted, !IsNearZero(c.Num(2)));
  SetCurrentRow(*table, row + 1);
  c.SetNum(inserted ? -1 : row + 1);
}

}  // namespace vm
