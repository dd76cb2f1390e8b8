#include "documents/runtime_objects.h"

#include <cmath>

#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/interpreter.h"

namespace vm {

void TDocumentEvents::Run(TInstruction* program) {
  if (program == nullptr) return;
  Interp().ExecProgram(program);
  if (Recalc) Recalc();
}

bool VisibleByFormula(TExprChain& formula) {
  if (formula.empty()) return true;
  int err = 0;
  TCommonVar v;
  EvalExpr(formula, err, v);
  return err == 0 && v.Kind == 'N' && std::fabs(v.Num) > kNumTolerance;
}

void TListObject::AddUnique(const std::string& s) {
  if (!s.empty() && IndexOf(s) < 0) control_->Add(s);
}

int TListObject::IndexOf(std::string_view s) const {
  for (int i = 0; i < control_->Count(); ++i)
    if (CompareStrLocale(control_->Item(i), s, false) == 0) return i;
  return -1;
}

TSelect::TSelect(TDocumentEvents& events, std::unique_ptr<IListControl> combo)
    : TListObject(events, std::move(combo)) {
  control_->OnChange = [this] { DoChange(); };
}

void TSelect::InsertAt(const std::string& s, int pos) {
  if (pos < 1 || IndexOf(s) >= 0) return;
  if (pos > control_->Count()) control_->Add(s);
  else control_->Insert(pos - 1, s);
}

std::string TSelect::GetText() const {
  const int index = control_->ItemIndex();
  if (index < 0 || control_->Count() == 0) return control_->Text();
  return control_->Item(index);
}

int TSelect::SelectText(std::string_view s) {
  const int index = IndexOf(s);
  if (index >= 0) SetItemIndex(index);
  return index;
}

void TSelect::ChooseItem(int index) {
  if (index >= 0 && index < control_->Count()) control_->SetItemIndex(index);
}

void TSelect::SetItemIndex(int index) {
  control_->SetItemIndex(index);
  DoChange();
}

void TSelect::DoChange() { events_.Run(ChangeProgram); }

TListSelect::TListSelect(TDocumentEvents& events, std::unique_ptr<IListControl> list)
    : TListObject(events, std::move(list)) {
  control_->OnChange = [this] { DoClick(); };
}

std::string TListSelect::GetText() const { return control_->Item(control_->ItemIndex()); }

void TListSelect::DoClick() { events_.Run(ClickProgram); }

TVisButt::TVisButt(TDocumentEvents& events, std::unique_ptr<IButtonControl> button)
    : events_(events), button_(std::move(button)) {
  button_->OnClick = [this] { ButtonClick(); };
}

void TVisButt::ButtonClick() { events_.Run(ClickProgram); }

void TVisButt::Update() {
  button_->SetVisible(VisibleByFormula(VisibleExpr));
  std::string caption = Name;
  if (!CaptionExpr.empty()) {
    int err = 0;
    TCommonVar v;
    EvalExpr(CaptionExpr, err, v);
    if (err == 0 && v.Kind == 'C') caption = v.Str;
  }
  button_->SetCaption(caption);
}

int TFldList::Add(const std::string& s) { return AddSorted(Strings, s); }

void TFldList::AddUnique(const std::string& s) {
  if (!s.empty() && IndexOf(s) < 0) Add(s);
}

int TFldList::IndexOf(std::string_view s) const { return ListIndexOfText(Strings, s); }

void TSelectList::UpdateVisibility() {
  for (const auto& s : items_) s->UpdateVisibility();
}

void TListSelList::UpdateVisibility() {
  for (const auto& s : items_) s->UpdateVisibility();
}

void TButList::UpdateButtons() {
  for (const auto& b : items_) b->Update();
}

TOleRec& TOleList::AddNew() {
  TOleRec& rec = Append(std::make_unique<TOleRec>());
  rec.Id = ++lastId_;
  return rec;
}

TOleRec* TOleList::FindById(int32_t id) const {
  for (const auto& rec : items_)
    if (rec->Id == id) return rec.get();
  return nullptr;
}

void TOleList::Clear() {
  TOwningList::Clear();
  lastId_ = 0;
}

}  // namespace vm
