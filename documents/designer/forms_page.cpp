// What the "Формы" tab does to the working blanks.
#include "documents/designer/forms_page.h"

#include <algorithm>

#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/layout_lang.h"

namespace vm {

TCurBlank* TFormsPage::CurrentBlank() const { return d_.Blanks.GetItem(currentBlank_); }

std::vector<std::string> TFormsPage::BlankNames() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < d_.Blanks.Count(); ++i) names.push_back(d_.Blanks.GetItem(i)->Name);
  return names;
}

void TFormsPage::SelectBlank(int32_t index) {
  currentBlank_ = index >= 0 && index < d_.Blanks.Count() ? index : -1;
}

std::string TFormsPage::BlankCaption() const {
  const TCurBlank* blank = CurrentBlank();
  return blank ? "Описание формы '"_w + blank->Name + "'" : "Описание формы"_w;
}

void TFormsPage::SetBlankText(std::string text) {
  if (TCurBlank* blank = CurrentBlank()) blank->SetText(std::move(text));
}

bool TFormsPage::AddBlank(const std::string& name) {
  if (!BlankNameAcceptable(name, BlankNames())) return false;
  d_.Blanks.Add(UpperStr(name));
  SelectBlank(d_.Blanks.Count() - 1);
  return true;
}

bool TFormsPage::DeleteBlank() {
  TCurBlank* blank = CurrentBlank();
  if (!blank) return false;
  const std::string name = blank->Name;
  if (!AskYesNo("Вы действительно хотите удалить форму "_w + name + "?", "Удаление формы"_w))
    return false;
  const int32_t index = currentBlank_;
  d_.Blanks.Delete(name);
  SelectBlank(std::min(index, d_.Blanks.Count() - 1));
  for (int32_t i; (i = d_.Books.IndexOfForm(name)) >= 0;) d_.Books.DeleteItem(i);
  if (d_.BooksPage.CurrentBook() && d_.BooksPage.CurrentBookIndex() >= d_.Books.Count())
    d_.BooksPage.SelectBook(-1);
  return true;
}

bool TFormsPage::RenameBlank(const std::string& name) {
  TCurBlank* blank = CurrentBlank();
  if (!blank || !BlankNameAcceptable(name, BlankNames())) return false;
  const std::string old = blank->Name;
  blank->Name = UpperStr(name);
  while (TSpravDef* book = d_.Books.FindByForm(old)) book->BlankName = blank->Name;
  return true;
}

TDesignerRunEnd TFormsPage::CompileBlankForPreview() {
  TCurBlank* blank = CurrentBlank();
  if (!blank) return {};
  blank->Clear();
  d_.PointCompileAtWorkingCopies();
  int32_t code = 0, line = -1;
  TDesignerRunEnd end;
  if (!CompileBlank(*blank, code, line)) {
    Ui().MsgBox(BlankErrorText(code, line), " Ошибка компиляции формы"_w, kMbError);
    end.Error = true;
    end.CaretLine = MemoCaretLine(line + 1, blank->Text);
  }
  return end;
}

void TFormsPage::Enable(TDesignerEnabling& e) const {
  e.BlankDelete = e.BlankRename = e.BlankPreview = CurrentBlank() != nullptr;
}

}  // namespace vm
