// What the "Справочники" tab does to the working reference books.
#include "documents/designer/books_page.h"

#include <algorithm>

#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "language/expr_types.h"
#include "platform/encoding.h"
#include "models/layout_lang.h"

namespace vm {

std::vector<std::string> TBooksPage::BookNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < d_.Books.Count(); ++i) out.push_back(d_.Books.GetItem(i)->Name);
  return out;
}

std::vector<std::string> TBooksPage::CompiledBlankNames() const {
  std::vector<std::string> out;
  for (int32_t i = 0; i < d_.Blanks.Count(); ++i)
    if (d_.Blanks.GetItem(i)->Compiled) out.push_back(d_.Blanks.GetItem(i)->Name);
  return out;
}

void TBooksPage::SelectBook(int32_t index) {
  currentBook_ = d_.Books.GetItem(index);
  currentBookIndex_ = currentBook_ ? index : -1;
}

bool TBooksPage::AddBook(const std::string& alias, const std::string& name) {
  if (!BookAcceptable(alias, d_.BasesPage.BaseAliases(), name, BookNames())) return false;
  TSpravDef* book = d_.Books.AddNew();
  book->BaseAlias = UpperStr(alias);
  book->Name = name;
  SelectBook(d_.Books.Count() - 1);
  return true;
}

bool TBooksPage::DeleteBook() {
  if (!currentBook_) return false;
  if (!AskYesNo("Вы действительно хотите удалить справочник "_w + currentBook_->Name + "?",
                "Удаление справочника"_w))
    return false;
  const int32_t index = currentBookIndex_;
  d_.Books.DeleteItem(index);
  SelectBook(std::min(index, d_.Books.Count() - 1));
  return true;
}

void TBooksPage::SetBookForm(const std::string& name) {
  if (!currentBook_ || name == currentBook_->BlankName) return;
  currentBook_->SetSDefCount(0);
  currentBook_->ColumnCount = 0;
  if (TCurBlank* blank = d_.Blanks.FindByName(name)) {
    if (!blank->Compiled) {
      int32_t code = 0, line = 0;
      CompileBlank(*blank, code, line);
    }
    currentBook_->SetSDefCount(blank->ShownColCount);
    currentBook_->BlankName = name;
  }
  SetSortKeysFromText(*currentBook_, SortKeysText(*currentBook_));
}

void TBooksPage::SetSortText(const std::string& text) {
  if (currentBook_) SetSortKeysFromText(*currentBook_, text);
}

void TBooksPage::SetEditColumnsText(const std::string& text) {
  if (currentBook_) SetEditColumnsFromText(*currentBook_, text);
}

void TBooksPage::SetColumnField(int32_t row, const std::string& field) {
  if (!currentBook_) return;
  if (TSDef* column = currentBook_->GetSDef(row)) column->FieldName = field;
}

std::vector<std::string> TBooksPage::FieldChoices(int32_t row) const {
  std::vector<std::string> out;
  if (!currentBook_ || row < 0 || row >= currentBook_->ColumnCount) return out;
  const TDbaseStructure* base = d_.Bases.FindByAlias(currentBook_->BaseAlias);
  TCurBlank* blank = d_.Blanks.FindByName(currentBook_->BlankName);
  if (!base || !blank) return out;
  const TColFormat* format = BlankField(*blank, row + 1, 0);
  if (!format) return out;
  for (const TFieldRecord& f : base->Fields)
    if (TypesCompatible(f.FieldType, format->Kind)) out.push_back(f.Name);
  return out;
}

void TBooksPage::Enable(TDesignerEnabling& e) const {
  e.BookEdits = currentBook_ != nullptr;
  e.BookEditColumns = e.BookEdits && currentBook_->CanEdit;
}

}  // namespace vm
