// What the "Зарегистрированные базы" tab does to the working databases.
#include "documents/designer/bases_page.h"

#include <algorithm>

#include "config/date_index.h"
#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "models/description_checks.h"

namespace vm {

std::vector<TDbaseStructure*> TBasesPage::ListedBases() const {
  std::vector<TDbaseStructure*> out;
  for (int32_t i = 0; i < d_.Bases.Count(); ++i)
    if (!d_.Bases.GetItem(i)->System) out.push_back(d_.Bases.GetItem(i));
  return out;
}

std::vector<std::string> TBasesPage::BaseFileNames() const {
  std::vector<std::string> out;
  for (const TDbaseStructure* b : ListedBases()) out.push_back(b->FileName);
  return out;
}

std::vector<std::string> TBasesPage::BaseAliases() const {
  std::vector<std::string> out;
  for (const TDbaseStructure* b : ListedBases()) out.push_back(b->Alias);
  return out;
}

std::vector<std::string> TBasesPage::FieldNames() const {
  std::vector<std::string> out;
  if (currentBase_)
    for (const TFieldRecord& f : currentBase_->Fields) out.push_back(f.Name);
  return out;
}

int32_t TBasesPage::CurrentBaseRow() const {
  const std::vector<TDbaseStructure*> listed = ListedBases();
  const auto it = std::find(listed.begin(), listed.end(), currentBase_);
  return it == listed.end() ? -1 : static_cast<int32_t>(it - listed.begin());
}

void TBasesPage::SelectBase(int32_t row) {
  const std::vector<TDbaseStructure*> listed = ListedBases();
  currentBase_ = row >= 0 && row < static_cast<int32_t>(listed.size())
                     ? listed[static_cast<std::size_t>(row)]
                     : nullptr;
  FieldRow = 0;
}

void TBasesPage::RecheckBooks() {
  CheckSpravDescriptions(d_.Bases, d_.Books, d_.Blanks);
  if (d_.BooksPage.CurrentBookIndex() >= d_.Books.Count()) d_.BooksPage.SelectBook(-1);
}

bool TBasesPage::AddBase(const TBaseDialogTexts& t) {
  if (!BaseDialogAcceptable(t, BaseFileNames(), BaseAliases(), -1)) return false;
  TDbaseStructure* base = d_.Bases.AddNew();
  base->SetFileName(UpperStr(t.FileName));
  base->Alias = UpperStr(t.Alias);
  base->Department = t.Comment;
  CreateDateIndex(d_.Bases);
  currentBase_ = base;
  FieldRow = 0;
  return true;
}

bool TBasesPage::EditBase(const TBaseDialogTexts& t) {
  if (!currentBase_ || !BaseDialogAcceptable(t, BaseFileNames(), BaseAliases(), CurrentBaseRow()))
    return false;
  const std::string oldAlias = currentBase_->Alias;
  currentBase_->SetFileName(UpperStr(t.FileName));
  currentBase_->Alias = UpperStr(t.Alias);
  currentBase_->Department = t.Comment;
  for (int32_t i = 0; i < d_.Books.Count(); ++i)
    if (UpperStr(d_.Books.GetItem(i)->BaseAlias) == UpperStr(oldAlias))
      d_.Books.GetItem(i)->BaseAlias = currentBase_->Alias;
  CreateDateIndex(d_.Bases);
  RecheckBooks();
  return true;
}

bool TBasesPage::DeleteBase() {
  if (!currentBase_) return false;
  if (!AskYesNo("Вы действительно хотите удалить базу "_w + currentBase_->FileName + "?",
                "Удаление базы"_w))
    return false;
  const int32_t row = CurrentBaseRow();
  d_.Bases.Remove(currentBase_);
  CreateDateIndex(d_.Bases);
  SelectBase(std::min(row, static_cast<int32_t>(ListedBases().size()) - 1));
  RecheckBooks();
  return true;
}

bool TBasesPage::AddField(const TFieldDialogTexts& t) {
  if (!currentBase_ || !FieldDialogAcceptable(t, FieldNames(), -1)) return false;
  currentBase_->AddField(FieldFromDialog(t));
  FieldRow = currentBase_->FieldCount() - 1;
  CreateDateIndex(d_.Bases);
  return true;
}

bool TBasesPage::EditField(const TFieldDialogTexts& t) {
  if (!currentBase_ || !FieldDialogAcceptable(t, FieldNames(), FieldRow)) return false;
  if (!currentBase_->SetField(FieldRow, FieldFromDialog(t))) return false;
  CreateDateIndex(d_.Bases);
  return true;
}

bool TBasesPage::DeleteField() {
  TFieldRecord f;
  if (!currentBase_ || !currentBase_->GetField(FieldRow, f)) return false;
  if (!AskYesNo("Вы действительно хотите удалить поле "_w + f.Name + "?", "Удаление поля"_w))
    return false;
  currentBase_->DeleteField(f.Name);
  FieldRow = std::max(0, std::min(FieldRow, currentBase_->FieldCount() - 1));
  CreateDateIndex(d_.Bases);
  return true;
}

void TBasesPage::Enable(TDesignerEnabling& e) const {
  if (ActiveGrid == TBaseGrid::Bases) {
    e.BaseAdd = true;
    e.BaseDelete = currentBase_ != nullptr;
  } else if (ActiveGrid == TBaseGrid::Fields) {
    e.BaseAdd = currentBase_ != nullptr;
    TFieldRecord f;
    e.BaseDelete = currentBase_ && currentBase_->GetField(FieldRow, f);
  }
  e.BaseEdit = e.BaseDelete;
}

}  // namespace vm
