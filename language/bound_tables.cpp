#include "language/bound_tables.h"

#include "foundation/text/strutils.h"
#include "language/interpreter.h"

namespace vm {

TUBL::TUBL(TBaseList* list) : List(list) {
  auto filter = std::make_unique<TFilter>(this);
  filter_ = filter.get();
  Table.InstallFilter(std::move(filter));
  Table.OnNewRow = [this] {
    if (Bound && NewRowProgram) Interp().ExecNestedProgram(NewRowProgram);
  };
}

TUBL::~TUBL() = default;

TCommonVar TUBL::FieldValue(int index) const {
  TCommonVar value;
  Table.GetValue(index, value);
  return value;
}

TUBL* TBaseList::GetItem(int32_t index) const {
  return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

TUBL* TBaseList::FindByAlias(std::string_view alias) const {
  const std::string key = UpperStr(alias);
  for (const auto& b : items_)
    if (b->Alias == key) return b.get();
  return nullptr;
}

TUBL* TBaseList::FindByNumber(int32_t n) const {
  for (const auto& b : items_)
    if (b->Table.Number == n) return b.get();
  return nullptr;
}

TUBL* TBaseList::AddNew() {
  TUBL* b = items_.emplace_back(std::make_unique<TUBL>(this)).get();
  b->Bound = true;
  return b;
}

TUBL* TBaseList::AddTemp(const std::vector<TFieldRecord>& fields) {
  TUBL* b = AddNew();
  b->Table.MakeTemporary(fields);
  return b;
}

TUBL* TBaseList::AddBase(std::string_view alias, TDbaseStructure& base, int32_t& openFailed) {
  TUBL* b = AddNew();
  b->Alias = std::string(alias);
  b->Table.SetDbf(&base.Table);
  b->Base = &base;
  openFailed = base.Table.Active() ? 0 : 1;
  return b;
}

void TBaseList::BeginRun() {
  SaveCount = 0;
  for (const auto& b : items_) {
    b->Table.Number = 0;
    b->Truncate = false;
    b->RewriteAll = false;
  }
}

IProgramBase* TBaseListContext::FindBase(std::string_view alias) {
  if (list_)
    if (TUBL* b = list_->FindByAlias(alias)) return b;
  if (single_ && single_->Alias == UpperStr(alias)) return single_;
  return nullptr;
}

}  // namespace vm
