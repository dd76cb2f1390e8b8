// Filling and choosing in the selects, field lists and list selects of a
// document's form.
#include <algorithm>
#include <cmath>

#include "foundation/values/value_text.h"
#include "language/builtins/builtins_forms.h"

namespace vm {

void FnAdditem(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) s->Add(c.Str(2));
}

void FnAdduniqitem(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) s->AddUnique(c.Str(2));
}

void FnInsuniqitem(TBuiltinCall& c) {
  IFormSelect* s = ObjectArg<IFormSelect>(c, 1);
  if (s == nullptr) return;
  // Every position past the items appends; only the side matters beyond them.
  const long double pos = std::rint(c.Num(3));
  s->InsertAt(c.Str(2), pos < 1 ? 0 : static_cast<int>(std::min<long double>(pos, s->Count() + 1)));
}

void FnClearselect(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) s->Clear();
}

void FnSelectval(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) c.SetStr(s->GetText());
}

void FnSelectind(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) c.SetNum(s->GetItemIndex());
}

void FnSelectitem(TBuiltinCall& c) {
  IFormSelect* s = ObjectArg<IFormSelect>(c, 1);
  int32_t index = 0;
  if (s != nullptr && IndexIn(c.Num(2), s->Count(), index)) s->ChooseItem(index);
}

void FnSelectitems(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) s->SelectText(c.Str(2));
}

void FnSelitemscount(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) c.SetNum(s->Count());
}

void FnUpdatesel(TBuiltinCall& c) {
  IFormSelect* s = ObjectArg<IFormSelect>(c, 1);
  if (s != nullptr && s->GetItemIndex() >= 0) s->SetItemIndex(s->GetItemIndex());
}

void FnSetselectsort(TBuiltinCall& c) {
  if (IFormSelect* s = ObjectArg<IFormSelect>(c, 1)) s->SetSorted(!IsNearZero(c.Num(2)));
}

void FnAddlistitem(TBuiltinCall& c) {
  if (IFormFieldList* l = ObjectArg<IFormFieldList>(c, 1)) l->Add(c.Str(2));
}

void FnAddlistuniq(TBuiltinCall& c) {
  if (IFormFieldList* l = ObjectArg<IFormFieldList>(c, 1)) l->AddUnique(c.Str(2));
}

void FnClearlist(TBuiltinCall& c) {
  if (IFormFieldList* l = ObjectArg<IFormFieldList>(c, 1)) l->Clear();
}

void FnLadduniqitem(TBuiltinCall& c) {
  if (IFormListSelect* l = ObjectArg<IFormListSelect>(c, 1)) l->AddUnique(c.Str(2));
}

void FnLselectval(TBuiltinCall& c) {
  if (IFormListSelect* l = ObjectArg<IFormListSelect>(c, 1)) c.SetStr(l->GetText());
}

}  // namespace vm
