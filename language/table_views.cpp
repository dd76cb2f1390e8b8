#include "language/table_views.h"

#include <vector>

#include "language/evaluator.h"

namespace vm {

namespace {

// The table's current row is moved over the rows the view filter and the
// expressions read; this puts the one it had back.
class KeepCurrentRow {
 public:
  explicit KeepCurrentRow(TStringBase& table) : table_(table), saved_(table.CurrentIndex()) {}
  ~KeepCurrentRow() { table_.MemTableGoto(saved_); }
  KeepCurrentRow(const KeepCurrentRow&) = delete;
  KeepCurrentRow& operator=(const KeepCurrentRow&) = delete;

 private:
  TStringBase& table_;
  int32_t saved_;
};

void SelectFirst(IDataView& view) {
  if (view.RowCount() > 0) {
    view.SetRow(0);
    view.SetCol(0);
  }
}

// A column's format may be chosen by a condition on other cells of its row,
// also on those filled after it. So every value goes into the row first as
// its own kind writes it, and only then does each cell take the form the
// format of the whole row asks for; an error is the first in column order.
void FillFromExpressions(IDataView& view, int32_t row, int32_t& err, const TKeyCol* columns) {
  struct TFilled {
    int32_t Col;
    TCommonVar Value;
    int Err;
  };
  std::vector<TFilled> filled;
  const TKeyCol* k = columns;
  while (k && k->Number < 0) k = k->Next.get();
  for (; k; k = k->Next.get()) {
    TExprChain* expr = view.ColumnExpr(k->ViewColumn);
    if (!expr) continue;
    TFilled& f = filled.emplace_back(TFilled{k->ViewColumn, {}, 0});
    EvalExpr(*expr, f.Err, f.Value);
    if (f.Err == 0) view.SetCellValue(f.Col, row, f.Value);
  }
  for (TFilled& f : filled) {
    if (f.Err != 0) continue;
    const char kind = view.CellKind(f.Col, row);
    if (kind == 'E' || TypesCompatible(kind, f.Value.Kind)) {
      PutLoadedValue(view, f.Col, row, f.Value, kind);
    } else {
      view.SetCellText(f.Col, row, std::string());
      f.Err = 22;
    }
  }
  for (const TFilled& f : filled) {
    if (err != 0) break;
    err = f.Err;
  }
}

void RowsToView(TStringBase& table, IDataView& view, int32_t& err, bool move, const TKeyCol* columns,
                bool append) {
  err = 0;
  const bool updating = view.Updating();
  view.SetUpdating(true);
  if (!append) view.ClearRows();
  {
    KeepCurrentRow keep(table);
    for (int32_t i = 0; i < table.Count();) {
      table.MemTableGoto(i);
      if (!table.MatchesFilter()) {
        ++i;
        continue;
      }
      const int32_t row = view.AppendRow();
      FillFromExpressions(view, row, err, columns);
      if (move) {
        table.Delete(i);
      } else {
        view.SetTableRow(row, i);
        ++i;
      }
    }
  }
  view.SetUpdating(updating);
  SelectFirst(view);
}

}  // namespace

void PutLoadedValue(IDataView& view, int32_t col, int32_t row, const TCommonVar& value) {
  PutLoadedValue(view, col, row, value, view.CellKind(col, row));
}

void PutLoadedValue(IDataView& view, int32_t col, int32_t row, const TCommonVar& value, char kind) {
  if (kind == 'E')
    view.SetCellText(col, row, FixedCellText(value));
  else
    view.SetCellValue(col, row, value);
}

void ShowInView(TStringBase& table, IDataView& view, bool byExpressions) {
  const bool updating = view.Updating();
  view.SetUpdating(true);
  view.ClearRows();
  {
    KeepCurrentRow keep(table);
    TCommonVar value;
    for (int32_t i = 0; i < table.Count(); ++i) {
      table.MemTableGoto(i);
      if (!table.MatchesFilter()) continue;
      const int32_t row = view.AppendRow();
      view.SetTableRow(row, i);
      for (int32_t col = 0; col < view.ColCount(); ++col) {
        if (!byExpressions) {
          const int32_t field = view.ColumnField(col);
          if (field < 0) continue;
          table.GetValue(field, value);
          PutLoadedValue(view, col, row, value);
        } else if (TExprChain* expr = view.ColumnExpr(col)) {
          int err = 0;
          EvalExpr(*expr, err, value);
          if (err == 0 && view.CellKind(col, view.CurrentRow()) == value.Kind) view.SetCellValue(col, row, value);
        }
      }
    }
  }
  view.SetUpdating(updating);
  SelectFirst(view);
}

void MoveToView(TStringBase& table, IDataView& view, int32_t& err, bool move, const TKeyCol* columns, bool append) {
  RowsToView(table, view, err, move, columns, append);
}

void CopyToView(TStringBase& table, IDataView& view, int32_t& err, const TKeyCol* columns, bool append) {
  RowsToView(table, view, err, false, columns, append);
}

bool LoadWhile(TStringBase& table, int32_t from, TExprChain& condition) {
  TCommonVar value;
  return table.LoadWhile(from, [&] {
    int err = 0;
    EvalExpr(condition, err, value);
    return err == 0 && value.Kind == 'N' && !IsNearZero(value.Num);
  });
}

}  // namespace vm
