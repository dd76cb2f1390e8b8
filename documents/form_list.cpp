#include "documents/form_list.h"

#include "foundation/text/strutils.h"

namespace vm {

TFormPar::TFormPar(std::string name, const TCurBlank& blank)
    : Name(std::move(name)), view_(std::make_unique<TDataView>()) {
  view_->SetBlank(&blank);
  view_->Form = &viewForm_;
}

TFormPar::~TFormPar() {
  for (THintLine& hint : Hints) FreeKeyCols(hint.Keys, hint.KeyCount);
  FreeKeyCols(Keys, KeyCount);
}

void TFormPar::SetRowVariables(TVariable* printStart, TVariable* printEnd, TVariable* selStart,
                               TVariable* selEnd, TVariable* currentRow) {
  PrintStartRow = printStart;
  PrintEndRow = printEnd;
  SelStart = selStart;
  SelEnd = selEnd;
  CurrentRow = currentRow;
  viewForm_.RowNumber = currentRow;
}

char TFormPar::FirstRowKind(int32_t column) const {
  return NormalizeTypeChar(view_->BlankFieldKind(column, 0));
}

int TFormPar::ColumnCount() const { return view_->ColCount(); }

char TFormPar::ColumnType(int column) const {
  const TColDescr* col = BlankColumn(view_->Blank(), column);
  if (col == nullptr) return 0;
  return col->Conditional ? '*' : NormalizeTypeChar(col->Format.Kind);
}

char TFormPar::FirstRowFormat(int column) const { return view_->BlankFieldKind(column - 1, 0); }

int TFormPar::RowCount() const { return view_->RowCount(); }

TCommonVar TFormPar::CellValue(int column, int row) const { return view_->GetCellValue(column - 1, row - 1); }

std::string TFormPar::ColumnCaption(int32_t col) const {
  std::string caption;
  view_->Blank().GetColumnCaption(col, Params, caption);
  return caption;
}

bool TFormPar::SetHeaderText(int32_t col, int32_t level, const std::string& text) {
  TBlankHeader* cell = FindHeaderCell(view_->Blank().HeaderCells.get(), level, col);
  if (cell == nullptr) return false;
  cell->Text = text;
  view_->RedrawHeader();
  return true;
}

TFormPar& TFormList::AddFormPar(const TCurBlank& blank, std::string name) {
  return Append(std::make_unique<TFormPar>(std::move(name), blank));
}

TFormPar* TFormList::FindFormPar(std::string_view name) const {
  const std::string key = UpperStr(TrimBlanks(name));
  for (const auto& form : items_)
    if (form->Name == key) return form.get();
  return nullptr;
}

}  // namespace vm
