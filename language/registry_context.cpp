#include "language/registry_context.h"

#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "config/settings.h"
#include "config/sysvars.h"

namespace vm {

TAutoParamRef::TAutoParamRef(const TDocAutoParams& owner, std::string name, char kind)
    : owner_(owner), name_(std::move(name)), kind_(kind) {}

TAPar* TAutoParamRef::Find() const {
  const TAutoList& list = owner_.List();
  TAPar* p = list.GetItem(list.IndexOfName(name_));
  if (p) kind_ = p->Kind;
  return p;
}

TCommonVar TAutoParamRef::GetValue() const {
  TCommonVar value;
  ReadValue(value);
  return value;
}

void TAutoParamRef::ReadValue(TCommonVar& into) const {
  // The parameter writes only the part of its kind.
  ClearValue(into);
  if (const TAPar* p = Find()) {
    p->GetValue(into);
  } else {
    into.Kind = kind_;
  }
}

char TAutoParamRef::TypeLetter() const {
  Find();
  return kind_;
}

bool TAutoParamRef::SetValue(const TCommonVar& value) {
  TAPar* p = Find();
  return p == nullptr || p->SetValue(value);
}

void TDocAutoParams::Assign(const TAutoList& global) {
  list_ = &own_;
  global.CopyTo(own_);
  global.CopyTo(initial_);
}

void TDocAutoParams::Follow(TAutoList* list) { list_ = list ? list : &own_; }

TAutoParamRef* TDocAutoParams::Find(std::string_view name) {
  const TAPar* p = list_->GetItem(list_->IndexOfName(name));
  if (!p) return nullptr;
  const std::string key = UpperStr(name);
  auto it = refs_.find(key);
  if (it == refs_.end())
    it = refs_.emplace(key, std::make_unique<TAutoParamRef>(*this, key, p->Kind)).first;
  return it->second.get();
}

int TRegistryBase::FieldIndex(std::string_view name) const { return base_.Table.FieldIndex(name); }

char TRegistryBase::FieldType(int index) const { return base_.Table.GetFieldDef(index).FieldType; }

// The value as an in-memory row gives it: dates stored as yyyymmdd, numbers
// with either point, unreadable text as 0.
TCommonVar TRegistryBase::FieldValue(int index) const {
  TCommonVar value;
  ReadField(index, value);
  return value;
}

void TRegistryBase::ReadField(int index, TCommonVar& value) const {
  value.Kind = 0;
  ClearValue(value);
  const TDBF& table = base_.Table;
  if (!table.Active() || index < 0 || index >= table.FieldCount()) return;
  value.Kind = table.GetFieldDef(index).FieldType;
  const std::string text = table.GetFieldStr(index);
  switch (value.Kind) {
    case 'C':
      value.Str = text;
      break;
    case 'D': {
      long double n = 0;
      if (!TextToExtended(TrimBlanks(text), n) || n < 0 || n > 99991231) n = 0;
      const auto ymd = static_cast<int32_t>(n);
      value.Date = {ymd % 100, ymd / 100 % 100, ymd / 10000};
      break;
    }
    case 'N':
      if (!TextToExtended(CommaToPoint(TrimBlanks(text)), value.Num)) value.Num = 0;
      break;
    default:
      break;
  }
}

bool TRegistryBase::SetFieldValue(int index, const TCommonVar& value) {
  TDBF& table = base_.Table;
  if (!table.Active() || index < 0 || index >= table.FieldCount()) return true;
  switch (value.Kind) {
    case 'C':
      table.SetFieldStr(index, value.Str);
      return true;
    case 'D':
      return table.SetFieldDate(index, value.Date);
    case 'N':
      return table.SetFieldNumber(index, value.Num);
    default:
      return true;
  }
}

void TRegistryContext::BindBase(std::string_view alias, TDbaseStructure& base) {
  auto& slot = bases_[UpperStr(alias)];
  if (slot) unbound_.push_back(std::move(slot));
  slot = std::make_unique<TRegistryBase>(base);
}

IProgramAutoParam* TRegistryContext::FindAutoParam(std::string_view name) {
  return autoParams_.Find(name);
}

IProgramBase* TRegistryContext::FindBase(std::string_view alias) {
  const auto it = bases_.find(UpperStr(alias));
  return it == bases_.end() ? nullptr : it->second.get();
}

namespace {
TExprContext* gCurrent = nullptr;
}  // namespace

TRegistryContext& GlobalExprContext() {
  static TRegistryContext& context = []() -> TRegistryContext& {
    static TRegistryContext global;
    global.AutoParams().Follow(&Settings().AutoParams);
    return global;
  }();
  return context;
}

void SetGlobalAutoParams(TAutoList* working) {
  GlobalExprContext().AutoParams().Follow(working ? working : &Settings().AutoParams);
}

TAutoList& GlobalAutoParams() { return GlobalExprContext().AutoParams().List(); }

TExprContext& CurrentExprContext() { return gCurrent ? *gCurrent : GlobalExprContext(); }

void SetCurrentExprContext(TExprContext* context) { gCurrent = context; }

}  // namespace vm
