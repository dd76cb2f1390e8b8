#include "documents/runtime_objects.h"

#include <algorithm>
#include <cmath>

#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/interpreter.h"

namespace vm {

namespace {

int IndexOfText(const IListControl& list, std::string_view s) {
  for (int i = 0; i < list.Count(); ++i)
    if (CompareStrLocale(list.Item(i), s, false) == 0) return i;
  return -1;
}

}  // namespace

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

TSelect::TSelect(TDocumentEvents& events, std::unique_ptr<IListControl> combo)
    : events_(events), combo_(std::move(combo)) {
  combo_->OnChange = [this] { DoChange(); };
}

void TSelect::AddUnique(const std::string& s) {
  if (!s.empty() && IndexOf(s) < 0) combo_->Add(s);
}

void TSelect::InsertAt(const std::string& s, int pos) {
  if (pos < 1 || IndexOf(s) >= 0) return;
  if (pos > combo_->Count()) combo_->Add(s);
  else combo_->Insert(pos - 1, s);
}

std::string TSelect::GetText() const {
  const int index = combo_->ItemIndex();
  if (index < 0 || combo_->Count() == 0) return combo_->Text();
  return combo_->Item(index);
}

int TSelect::IndexOf(std::string_view s) const { return IndexOfText(*combo_, s); }

int TSelect::SelectText(std::string_view s) {
  const int index = IndexOf(s);
  if (index >= 0) SetItemIndex(index);
  return index;
}

void TSelect::SetItemIndex(int index) {
  combo_->SetItemIndex(index);
  DoChange();
}

void TSelect::DoChange() { events_.Run(ChangeProgram); }

TListSelect::TListSelect(TDocumentEvents& events, std::unique_ptr<IListControl> list)
    : events_(events), list_(std::move(list)) {
  list_->OnChange = [this] { DoClick(); };
}

void TListSelect::AddUnique(const std::string& s) {
  if (!s.empty() && IndexOf(s) < 0) list_->Add(s);
}

std::string TListSelect::GetText() const { return list_->Item(list_->ItemIndex()); }

int TListSelect::IndexOf(std::string_view s) const { return IndexOfText(*list_, s); }

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

int TFldList::Add(const std::string& s) {
  const auto at = std::upper_bound(Strings.begin(), Strings.end(), s,
      [](const std::string& a, const std::string& b) { return CompareStrLocale(a, b, false) < 0; });
  const int index = static_cast<int>(at - Strings.begin());
  Strings.insert(at, s);
  return index;
}

void TFldList::AddUnique(const std::string& s) {
  if (!s.empty() && IndexOf(s) < 0) Add(s);
}

int TFldList::IndexOf(std::string_view s) const { return ListIndexOfText(Strings, s); }

void TSelectList::UpdateVisibility() {
  for (const auto& s : items_) s->Combo().SetVisible(VisibleByFormula(s->VisibleExpr));
}

void TListSelList::UpdateVisibility() {
  for (const auto& s : items_) s->List().SetVisible(VisibleByFormula(s->VisibleExpr));
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
