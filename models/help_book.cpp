// The look-up page as the document language's built-ins reach it.
#include "models/help_pages.h"

#include "language/bound_tables.h"
#include "language/interpreter.h"

namespace vm {

TDataView* THelpItem::ViewOf(THelpView which) {
  switch (which) {
    case THelpView::Shown: return &Shown;
    case THelpView::Hidden: return &Hidden;
    default: return Active;
  }
}

IDataView* THelpItem::BookView(THelpView which) { return ViewOf(which); }

TCommonVar THelpItem::BookCellValue(THelpView which, int32_t col, int32_t row) {
  TDataView* view = ViewOf(which);
  if (view != nullptr && row >= 0 && row < view->RowCount()) return view->GetCellValue(col, row);
  TCommonVar empty;
  empty.Kind = view != nullptr ? view->CellKind(col, 0) : 'C';
  return empty;
}

std::string THelpItem::BookCellText(THelpView which, int32_t col, int32_t row) {
  TDataView* view = ViewOf(which);
  if (view == nullptr || row < 0 || row >= view->RowCount()) return {};
  return view->GetCellText(col, row);
}

TCommonVar THelpItem::CheckCellValue(int32_t col) {
  if (CheckRow != nullptr) return Shown.GetRowCellValue(*CheckRow, col);
  TCommonVar empty;
  empty.Kind = Shown.CellKind(col, 0);
  return empty;
}

int32_t THelpItem::CurrentRowNumber(THelpView which) const {
  const TDataView* view = which == THelpView::Active ? Active : which == THelpView::Shown ? &Shown : &Hidden;
  return view == &Hidden ? HiddenRowNo : ShownRowNo;
}

void THelpItem::ApplyCategory() {
  if (OnCategoryChange) OnCategoryChange(*this);
}

bool THelpItem::WriteBack(std::string& refusal) {
  if (Link == nullptr || !Editable || !Modified) return false;
  TStringBase& table = Link->Table;
  if (int32_t row = 0, col = 0; Hidden.FindTooWideCell(table, row, col)) {
    refusal = TooWideNumberText(Hidden.GetCellValue(col, row).Num,
                                Link->Alias + "." + table.FieldName(Hidden.ColumnField(col)));
    return false;
  }
  Hidden.SaveToTableByRecord(table);
  return true;
}

}  // namespace vm
