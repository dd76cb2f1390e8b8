// A blank view of plain cells for the tests of what fills views: every cell
// keeps the text of the value written into it.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/values/value_text.h"
#include "language/data_view_interface.h"

namespace vm::test {

class FakeDataView : public IDataView {
 public:
  struct Column {
    int32_t Field = -1;
    char Kind = 'C';
    TExprChain Expr;
  };
  std::vector<Column> Columns;
  struct Row {
    std::vector<std::string> Cells;
    int32_t TableRow = -1;
  };
  std::vector<Row> Rows;
  int32_t Current = -1;
  int32_t CurrentCol = -1;
  bool UpdatingOn = false;
  int UpdatingCalls = 0;
  int AddRowEvents = 0;

  int32_t RowCount() const override { return static_cast<int32_t>(Rows.size()); }
  void ClearRows() override { Rows.clear(); Current = -1; }
  int32_t AppendRow() override {
    Rows.push_back({std::vector<std::string>(Columns.size()), -1});
    Current = RowCount() - 1;
    return Current;
  }
  int32_t AddRow() override {
    ++AddRowEvents;
    return AppendRow();
  }
  void DeleteRow(int32_t row) override {
    if (row < 0 || row >= RowCount()) return;
    Rows.erase(Rows.begin() + row);
    Current = std::min(Current, RowCount() - 1);
  }
  void SetTableRow(int32_t row, int32_t tableRow) override { Rows.at(static_cast<std::size_t>(row)).TableRow = tableRow; }
  int32_t TableRow(int32_t row) const override { return Rows.at(static_cast<std::size_t>(row)).TableRow; }
  void SetRow(int32_t row) override { Current = RowCount() == 0 ? -1 : std::clamp(row, 0, RowCount() - 1); }
  void SetCol(int32_t col) override {
    if (col >= 0 && col < ColCount()) CurrentCol = col;
  }
  int32_t CurrentRow() const override { return Current; }
  bool Updating() const override { return UpdatingOn; }
  void SetUpdating(bool on) override {
    UpdatingOn = on;
    ++UpdatingCalls;
  }
  int32_t ColCount() const override { return static_cast<int32_t>(Columns.size()); }
  int32_t ShownColCount() const override { return ColCount(); }
  int32_t ColumnField(int32_t col) const override { return Columns.at(static_cast<std::size_t>(col)).Field; }
  TExprChain* ColumnExpr(int32_t col) override {
    auto& c = Columns.at(static_cast<std::size_t>(col));
    return c.Expr.empty() ? nullptr : &c.Expr;
  }
  char CellKind(int32_t col, int32_t /*row*/) const override { return Columns.at(static_cast<std::size_t>(col)).Kind; }
  void SetCellValue(int32_t col, int32_t row, const TCommonVar& value) override {
    SetCellText(col, row, ValueToTextAuto(value, -2));
  }
  void SetCellText(int32_t col, int32_t row, const std::string& text) override {
    Rows.at(static_cast<std::size_t>(row)).Cells.at(static_cast<std::size_t>(col)) = text;
  }

  const std::string& GetCellText(int32_t col, int32_t row) const override {
    static const std::string kNone;
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) return kNone;
    return Rows[static_cast<std::size_t>(row)].Cells[static_cast<std::size_t>(col)];
  }
  TCommonVar GetCellValue(int32_t col, int32_t row) override {
    TCommonVar v;
    TextToValue(GetCellText(col, row), col >= 0 && col < ColCount() ? CellKind(col, row) : 0, v);
    return v;
  }
  // Stable, by the typed cells; the current row stays on its row.
  bool SortRows(const TKeyCol* keys, bool descending) override {
    auto less = [&](const Row& a, const Row& b) {
      for (const TKeyCol* k = keys; k; k = k->Next.get()) {
        TCommonVar va, vb;
        const auto col = static_cast<std::size_t>(k->Number);
        TextToValue(a.Cells.at(col), CellKind(k->Number, 0), va);
        TextToValue(b.Cells.at(col), CellKind(k->Number, 0), vb);
        const int c = CompareValues(va, vb, false);
        if (c != 0) return descending ? c > 0 : c < 0;
      }
      return false;
    };
    const std::vector<Row> before = Rows;
    std::stable_sort(Rows.begin(), Rows.end(), less);
    return Text() != Text(before);
  }
  bool SortByColumn(int32_t col, bool descending) override {
    TKeyCol key;
    key.Number = col;
    return SortRows(&key, descending);
  }
  // A linear walk of the sorted rows.
  int32_t FindOrInsertRow(const TKeyCol* keys, bool& inserted, bool ignoreCase) override {
    int32_t at = 0;
    for (; at < RowCount(); ++at) {
      int c = 0;
      for (const TKeyCol* k = keys; k && c == 0; k = k->Next.get())
        c = CompareValues(k->Value, GetCellValue(k->Number, at), !ignoreCase);
      if (c == 0) {
        inserted = false;
        return at;
      }
      if (c < 0) break;
    }
    Rows.insert(Rows.begin() + at, {std::vector<std::string>(Columns.size()), -1});
    for (const TKeyCol* k = keys; k; k = k->Next.get()) SetCellValue(k->Number, at, k->Value);
    inserted = true;
    Current = at;
    return at;
  }

  // Cells joined by "|", rows by ";".
  std::string Text() const { return Text(Rows); }
  static std::string Text(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& r : rows) {
      if (!out.empty()) out += ";";
      for (std::size_t c = 0; c < r.Cells.size(); ++c) out += (c ? "|" : "") + r.Cells[c];
    }
    return out;
  }
};

}  // namespace vm::test
