#include "documents/loadings.h"

#include <algorithm>

#include "language/interpreter.h"
#include "language/table_views.h"
#include "platform/encoding.h"

namespace vm {

namespace {

// A column's own source, put back after the loading borrowed the column.
struct TColumnSource {
  int32_t Field = -1;
  std::shared_ptr<TExprChain> Expr;
};

}  // namespace

void TLoad::Init(TFormPar& form) {
  Form = &form;
  Values.clear();
  FreeKeyCols(Order, OrderCount);
  for (int32_t col = 0; col < form.AllColumns(); ++col) {
    Values.push_back({form.FirstRowKind(col), nullptr});
    TKeyCol* entry = AddKeyCol(Order, OrderCount);
    entry->ViewColumn = col;
  }
}

TKeyCol* TLoad::OrderEntry(int32_t column) const {
  for (TKeyCol* k = Order.get(); k != nullptr; k = k->Next.get())
    if (k->ViewColumn == column) return k;
  return nullptr;
}

void TLoad::SortOrder() {
  std::vector<std::unique_ptr<TKeyCol>> entries;
  for (std::unique_ptr<TKeyCol> k = std::move(Order); k != nullptr;) {
    std::unique_ptr<TKeyCol> next = std::move(k->Next);
    entries.push_back(std::move(k));
    k = std::move(next);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a->Number < b->Number; });
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    (*it)->Next = std::move(Order);
    Order = std::move(*it);
  }
}

bool TLoad::SourceReadable(TLoadOutcome& outcome) const {
  // A configured database whose file could not be opened would load
  // nothing and look like an empty one.
  if (Source->Base == nullptr) return true;
  const TDBF* dbf = Source->Table.Dbf();
  if (dbf != nullptr && dbf->Active()) return true;
  outcome.Message = "Нет доступа к базе "_w + Source->Base->FileName;
  return false;
}

TLoadOutcome TLoad::Run() {
  TLoadOutcome outcome;
  if (Form == nullptr || Source == nullptr || !SourceReadable(outcome)) return outcome;
  TStringBase& table = Source->Table;
  TDataView& view = Form->View();
  ITableFilter* const previousFilter = table.ViewFilter;
  table.ViewFilter = Filter.get();

  std::vector<TColumnSource> saved;
  for (int32_t col = 0; col < view.ColCount(); ++col) {
    TColLayout* layout = view.GetColLayout(col);
    saved.push_back({layout->BoundField, layout->Expr});
    layout->BoundField = -1;
    layout->Expr = col < static_cast<int32_t>(Values.size()) ? Values[static_cast<std::size_t>(col)].Expr : nullptr;
  }
  int32_t err = 0;
  if (Move) {
    MoveToView(table, view, err, true, Order.get(), Append);
  } else {
    CopyToView(table, view, err, Order.get(), Append);
  }
  for (int32_t col = 0; col < view.ColCount(); ++col) {
    TColLayout* layout = view.GetColLayout(col);
    layout->BoundField = saved[static_cast<std::size_t>(col)].Field;
    layout->Expr = std::move(saved[static_cast<std::size_t>(col)].Expr);
  }
  if (err == 22) {
    outcome.Code = err;
  } else {
    outcome.EvalError = err;
  }

  RunFormChange();
  if (!KeepOrder) view.SortRows(Form->Keys.get(), false);
  table.ViewFilter = previousFilter;
  return outcome;
}

void TLoad::RunFormChange() {
  if (Form->FormChange == nullptr) return;
  for (int32_t row = 1; row <= Form->View().RowCount(); ++row) {
    if (Form->CurrentRow != nullptr) {
      Form->CurrentRow->Value.Kind = 'N';
      Form->CurrentRow->Value.Num = row;
    }
    if (!Interp().ExecNestedProgram(Form->FormChange)) break;
  }
}

}  // namespace vm
