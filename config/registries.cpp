#include "config/registries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "config/data_dir.h"
#include "foundation/values/dates.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"

namespace vm {

namespace {

// A parameter's number keeps at least these decimals (2.5 is "2.5000"), and
// any more the value holds up to the most a number is written with.
constexpr std::size_t kParamDecimals = 4;
constexpr int kMaxParamDecimals = 255;

template <typename T>
T* ItemAt(const std::vector<std::unique_ptr<T>>& items, int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(items.size())) return nullptr;
  return items[static_cast<size_t>(index)].get();
}

template <typename T>
void EraseAt(std::vector<std::unique_ptr<T>>& items, int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(items.size())) return;
  items.erase(items.begin() + index);
  items.shrink_to_fit();
}

}  // namespace

// --- Databases ---------------------------------------------------------------

void TDbaseStructure::SetFileName(std::string name) {
  FileName = std::move(name);
  Table.FileName = DataDir() + FileName;
}

void TDbaseStructure::Assign(const TDbaseStructure& src) {
  if (&src == this) return;
  SetFileName(src.FileName);
  Alias = src.Alias;
  Department = src.Department;
  System = src.System;
  Fields = src.Fields;
}

void TDbaseStructure::AddField(const TFieldRecord& field) { Fields.push_back(field); }

void TDbaseStructure::DeleteField(std::string_view name) {
  const int32_t i = IndexOfField(name);
  if (i >= 0) Fields.erase(Fields.begin() + i);
}

int32_t TDbaseStructure::IndexOfField(std::string_view name) const {
  for (size_t i = 0; i < Fields.size(); ++i)
    if (Fields[i].Name == name) return static_cast<int32_t>(i);
  return -1;
}

bool TDbaseStructure::GetField(int32_t index, TFieldRecord& field) const {
  if (index < 0 || index >= FieldCount()) return false;
  field = Fields[static_cast<size_t>(index)];
  return true;
}

bool TDbaseStructure::SetField(int32_t index, const TFieldRecord& field) {
  if (index < 0 || index >= FieldCount()) return false;
  Fields[static_cast<size_t>(index)] = field;
  return true;
}

TDbaseStructure* TUsedBaseList::AddNew() {
  items_.push_back(std::make_unique<TDbaseStructure>());
  return items_.back().get();
}

void TUsedBaseList::Remove(TDbaseStructure* base) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->get() == base) {
      items_.erase(it);
      return;
    }
  }
}

TDbaseStructure* TUsedBaseList::FindByFileName(std::string_view name) const {
  for (const auto& b : items_)
    if (b->FileName == name) return b.get();
  return nullptr;
}

TDbaseStructure* TUsedBaseList::FindByAlias(std::string_view alias) const {
  for (const auto& b : items_)
    if (b->Alias == alias) return b.get();
  return nullptr;
}

TDbaseStructure* TUsedBaseList::GetItem(int32_t index) const { return ItemAt(items_, index); }

void TUsedBaseList::RemoveSystemBases() {
  std::erase_if(items_, [](const auto& b) { return b->System; });
}

int32_t TUsedBaseList::CountActive() const {
  return static_cast<int32_t>(std::count_if(items_.begin(), items_.end(), [](const auto& b) { return !b->System; }));
}

void TUsedBaseList::CopyTo(TUsedBaseList& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& b : items_)
    if (!b->System) dest.AddNew()->Assign(*b);
}

// --- Reference books -----------------------------------------------------------

TSDef* TSpravDef::AddSDef() {
  std::unique_ptr<TSDef>* slot = &Columns;
  while (*slot) slot = &(*slot)->Next;
  *slot = std::make_unique<TSDef>();
  ++ColumnCount;
  return slot->get();
}

void TSpravDef::DeleteSDef(int32_t index) {
  if (index < 0) return;
  std::unique_ptr<TSDef>* slot = &Columns;
  for (int32_t i = 0; *slot && i < index; ++i) slot = &(*slot)->Next;
  if (!*slot) return;
  *slot = std::move((*slot)->Next);
  --ColumnCount;
}

TSDef* TSpravDef::GetSDef(int32_t index) const {
  if (index < 0) return nullptr;
  TSDef* c = Columns.get();
  for (int32_t i = 0; c && i < index; ++i) c = c->Next.get();
  return c;
}

void TSpravDef::SetSDefCount(int32_t n) {
  // The count is a public field; trusting one that disagrees with the chain
  // would never finish deleting columns that are not there.
  ColumnCount = 0;
  for (const TSDef* c = Columns.get(); c; c = c->Next.get()) ++ColumnCount;
  while (ColumnCount < n) AddSDef();
  while (ColumnCount > n && ColumnCount > 0) DeleteSDef(ColumnCount - 1);
}

TSpravDef* TMyList::AddNew() {
  items_.push_back(std::make_unique<TSpravDef>());
  return items_.back().get();
}

TSpravDef* TMyList::GetItem(int32_t index) const { return ItemAt(items_, index); }

void TMyList::DeleteItem(int32_t index) { EraseAt(items_, index); }

TSpravDef* TMyList::FindByBase(std::string_view alias) const {
  const std::string upper = UpperStr(alias);
  for (const auto& d : items_)
    if (d->BaseAlias == upper) return d.get();
  return nullptr;
}

TSpravDef* TMyList::FindByForm(std::string_view blankName) const {
  return GetItem(IndexOfForm(blankName));
}

int32_t TMyList::IndexOfForm(std::string_view blankName) const {
  const std::string upper = UpperStr(blankName);
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->BlankName == upper) return static_cast<int32_t>(i);
  return -1;
}

void TMyList::CopyTo(TMyList& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& s : items_) {
    TSpravDef* d = dest.AddNew();
    d->BaseAlias = s->BaseAlias;
    d->Title = s->Title;
    d->Name = s->Name;
    d->BlankName = s->BlankName;
    CopyKeyCols(s->SortKeys.get(), d->SortKeys, d->SortKeyCount);
    for (const TSDef* c = s->Columns.get(); c; c = c->Next.get())
      d->AddSDef()->FieldName = c->FieldName;
    d->SortOnStart = s->SortOnStart;
    d->AutoSort = s->AutoSort;
    d->CanInsert = s->CanInsert;
    d->CanEdit = s->CanEdit;
    d->CanDelete = s->CanDelete;
    d->EditableColumns = s->EditableColumns;
    d->Filter = s->Filter;
  }
}

// --- Blanks --------------------------------------------------------------------

TCurBlank* TBlanks::Add(std::string name) {
  items_.push_back(std::make_unique<TCurBlank>());
  items_.back()->Name = std::move(name);
  return items_.back().get();
}

TCurBlank* TBlanks::FindByName(std::string_view name) const {
  for (const auto& b : items_)
    if (b->Name == name) return b.get();
  return nullptr;
}

void TBlanks::Delete(std::string_view name) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if ((*it)->Name == name) {
      items_.erase(it);
      return;
    }
  }
}

TCurBlank* TBlanks::GetItem(int32_t index) const { return ItemAt(items_, index); }

void TBlanks::CopyTo(TBlanks& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& b : items_) dest.Add(b->Name)->Text = b->Text;
}

void TBlanks::UnloadAll() {
  for (const auto& b : items_)
    if (b->Compiled) b->Clear();
}

void TBlanks::SortByName() {
  for (size_t i = 0; i + 1 < items_.size(); ++i)
    for (size_t j = i + 1; j < items_.size(); ++j)
      if (items_[i]->Name > items_[j]->Name) std::swap(items_[i], items_[j]);
}

// --- Auto-parameters -------------------------------------------------------------

void TAPar::GetValue(TCommonVar& value) const {
  value.Kind = Kind;
  switch (Kind) {
    case 'C':
      value.Str = ValueText;
      break;
    case 'D':
      value.Date = StrToDateRec(ValueText);
      break;
    case 'N':
      if (!TextToExtended(CommaToPoint(ValueText), value.Num)) value.Num = 0;
      break;
    default:
      break;
  }
}

bool TAPar::SetValue(const TCommonVar& value) {
  switch (value.Kind) {
    case 'C':
      ValueText = value.Str;
      return true;
    case 'D': {
      const TDateRec& d = value.Date;
      if (!DateFitsField(d)) return false;
      // The reader takes a year of one or two digits for one of 2000 or
      // 1900 and on: the year goes with all four.
      char text[16];
      std::snprintf(text, sizeof text, "%d.%02d.%04d", d.Day, d.Month, d.Year);
      ValueText = text;
      return true;
    }
    case 'N': {
      const long double x = value.Num;
      if (HasFixedForm(x) && !WholeDigitsHeld(x)) return false;
      const bool whole = std::fabs(x - std::rint(x)) < 1e-9L;
      if (whole || !HasFixedForm(x)) {
        ValueText = ExtendedToFixed(x, whole ? 0 : 4);
        return true;
      }
      std::string text = ExtendedToFixed(x, kMaxParamDecimals);
      const std::size_t point = text.find('.');
      text.resize(std::max(point + 1 + kParamDecimals, text.find_last_not_of('0') + 1));
      ValueText = std::move(text);
      return true;
    }
    default:
      return true;
  }
}

TAPar* TAutoList::AddNew() {
  items_.push_back(std::make_unique<TAPar>());
  return items_.back().get();
}

TAPar* TAutoList::GetItem(int32_t index) const { return ItemAt(items_, index); }

void TAutoList::DeleteItem(int32_t index) { EraseAt(items_, index); }

int32_t TAutoList::IndexOfName(std::string_view name) const {
  const std::string upper = UpperStr(name);
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->Name == upper) return static_cast<int32_t>(i);
  return -1;
}

std::string TAutoList::GetValueText(std::string_view name) const {
  const TAPar* p = GetItem(IndexOfName(name));
  return p ? p->ValueText : std::string();
}

char TAutoList::GetKind(std::string_view name) const {
  const TAPar* p = GetItem(IndexOfName(name));
  return p ? p->Kind : char{0};
}

void TAutoList::RemoveWhere(bool local) {
  std::erase_if(items_, [local](const auto& p) { return p->Local == local; });
}

void TAutoList::CopyTo(TAutoList& dest) const {
  if (&dest == this) return;
  dest.Clear();
  for (const auto& p : items_) {
    TAPar* copy = dest.AddNew();
    copy->Name = p->Name;
    copy->Kind = p->Kind;
    TCommonVar value;
    p->GetValue(value);
    // A text read as another value than it holds (by hand, or by an older
    // version) is copied as it stands rather than lost.
    if (!copy->SetValue(value)) copy->ValueText = p->ValueText;
    copy->Local = p->Local;
  }
}

}  // namespace vm
