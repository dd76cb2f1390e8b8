// In-memory tables into blank views, and the loads that stop on a condition
// of the document language.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/tables/key_cols.h"
#include "foundation/tables/string_base.h"
#include "foundation/values/value_text.h"
#include "language/data_view_interface.h"
#include "language/expr_types.h"

namespace vm {

// The text a fixed-text ('E') cell keeps of a value loaded into it. The cell
// shows its format's own text, but a row whose condition later asks for
// another format shows the value again: so integers are kept without
// decimals, other numbers with nine, dates in their long form.
inline std::string FixedCellText(const TCommonVar& value) { return ValueToTextAuto(value, -9); }

// A loaded value into its cell: a fixed-text cell keeps FixedCellText, any
// other cell takes the value as SetCellValue writes it. Every load writes
// its values through here, whether from fields or from expressions.
void PutLoadedValue(IDataView& view, int32_t col, int32_t row, const TCommonVar& value);
// The same where the kind of the cell's format is known already.
void PutLoadedValue(IDataView& view, int32_t col, int32_t row, const TCommonVar& value, char kind);

// Empties the view and appends one row linked to each table row that
// passes the table's view filter. Without ByExpressions the columns bound
// to fields get the field values; with it the columns with expressions get
// the values whose kind is the cell's.
void ShowInView(TStringBase& table, IDataView& view, bool byExpressions);

// One view row for each table row that passes the view filter; each listed
// column (its ViewColumn; leading entries with a negative Number skipped)
// gets the value of the column's expression. Err keeps the first evaluation
// error, or 22 for a value the cell does not take. Without Append the view
// is emptied first. Move deletes the moved rows from the table.
void MoveToView(TStringBase& table, IDataView& view, int32_t& err, bool move, const TKeyCol* columns, bool append);
void CopyToView(TStringBase& table, IDataView& view, int32_t& err, const TKeyCol* columns, bool append);

// LoadWhile over a compiled condition: loading stops at the first record for
// which it fails, gives no number or a number within 1e-9 of 0.
bool LoadWhile(TStringBase& table, int32_t from, TExprChain& condition);

}  // namespace vm
