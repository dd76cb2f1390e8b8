#include "archive/check/archive_check.h"

#include <cmath>

#include "foundation/text/strutils.h"
#include "language/bound_tables.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "platform/encoding.h"

namespace vm {

namespace {

// The database of an entry in a list of its own, and the condition compiled
// against it.
class TArchiveBinding : public IArchiveBinding {
 public:
  TArchiveBinding() : context_(&list_) { list_.Context = &context_; }
  ~TArchiveBinding() override { FreeExpr(CondExpr); }
  TArchiveBinding(const TArchiveBinding&) = delete;
  TArchiveBinding& operator=(const TArchiveBinding&) = delete;

  TBaseList& List() { return list_; }
  TExprContext& Context() { return context_; }
  TExprChain CondExpr;

 private:
  TBaseList list_;
  TBaseListContext context_;
};

// A field of the entry's table of the given type: its number, or -1 with
// the message.
int32_t TypedField(const TBaseArchive& entry, const std::string& name, char type, std::string& msg) {
  const int index = entry.Dbf->FieldIndex(name);
  if (index < 0) {
    msg = "Несуществующее поле '"_w + name + "'";
    return -1;
  }
  if (entry.Dbf->GetFieldDef(index).FieldType != type) {
    msg = "Неверный тип поля "_w + name;
    return -1;
  }
  return index;
}

// The shared steps of the check and the preparation; the entry stays bound.
bool BindEntry(TBaseArchive& entry, TUsedBaseList& bases, std::string& msg) {
  entry.Release();
  TDbaseStructure* base = bases.FindByAlias(entry.Alias);
  if (!base) {
    msg = "Неизвестный псевдоним базы: "_w + entry.Alias + " !";
    return false;
  }
  auto binding = std::make_unique<TArchiveBinding>();
  TArchiveBinding& b = *binding;
  entry.Binding = std::move(binding);
  int32_t openFailed = 0;
  b.List().AddBase(entry.Alias, *base, openFailed);
  if (openFailed) {
    msg = "База "_w + entry.Alias + " занята !"_w;
    return false;
  }
  // An entry without an exclusion condition excludes nothing.
  if (!TrimBlanks(entry.Condition).empty()) {
    const TCompileResult r = CompileExpr(entry.Condition, b.Context(), b.CondExpr);
    if (r.ErrCode != 0) {
      msg = r.Msg;
      return false;
    }
    if (r.ResultType != 'N') {
      msg = "Неверный тип условия"_w;
      return false;
    }
  }
  entry.Dbf = &base->Table;
  entry.DateIndex = TypedField(entry, entry.DateField, 'D', msg);
  if (entry.DateIndex < 0) return false;
  entry.GroupIndex = -1;
  if (entry.GroupField != "нет"_w) {
    entry.GroupIndex = TypedField(entry, entry.GroupField, 'N', msg);
    if (entry.GroupIndex < 0) return false;
  }
  return ParseArchiveConfig(entry, entry.LinkedFields, msg);
}

}  // namespace

std::string ArchiveCheckFailedText() { return "Ошибка проверки конфигурации"_w; }

bool CheckArchiveConfig(TBaseArchive& entry, TUsedBaseList& bases, std::string& msg) {
  const bool ok = BindEntry(entry, bases, msg);
  entry.Release();
  return ok;
}

bool CheckConfig(TArchiveConfig& config, TUsedBaseList& bases, int32_t& badIndex, std::string& msg) {
  for (int32_t i = 0; i < config.Count(); ++i) {
    if (!CheckArchiveConfig(*config.GetBase(i), bases, msg)) {
      badIndex = i;
      return false;
    }
  }
  badIndex = -1;
  return true;
}

bool PrepareArchiveEntry(TBaseArchive& entry, TUsedBaseList& bases) {
  std::string msg;
  if (!BindEntry(entry, bases, msg)) {
    entry.Release();
    return false;
  }
  entry.FileName = bases.FindByAlias(entry.Alias)->FileName;
  const std::size_t dot = entry.FileName.rfind('.');
  entry.PackName = entry.FileName.substr(0, dot == std::string::npos ? entry.FileName.size() : dot) + ".DPK";
  return true;
}

bool PrepareAll(TArchiveConfig& config, TUsedBaseList& bases) {
  if (config.Count() == 0) return false;
  for (int32_t i = 0; i < config.Count(); ++i)
    if (!PrepareArchiveEntry(*config.GetBase(i), bases)) return false;
  // Preparing an entry releases it first, which drops its link-target mark
  // even when an entry prepared before it links to it: the marks are set
  // again from all the links.
  for (int32_t i = 0; i < config.Count(); ++i)
    for (const TBaseArchive::TLink& link : config.GetBase(i)->Links) link.Target->IsLinkTarget = true;
  return true;
}

TArchiveVerdict EvalArchiveCondition(TBaseArchive& entry) {
  auto* b = dynamic_cast<TArchiveBinding*>(entry.Binding.get());
  if (!b || b->CondExpr.empty()) return TArchiveVerdict::NoCondition;
  TStringBase& table = b->List().GetItem(0)->Table;
  // One row stands for the record under judgement.
  if (table.Count() == 0) table.Append();
  if (table.CurrentIndex() != 0) table.MemTableGoto(0);
  table.ReadDbfRecord();
  int err = 0;
  TCommonVar value;
  EvalChain(b->CondExpr, err, value);
  if (err != 0 || value.Kind != 'N') return TArchiveVerdict::NoNumber;
  return std::fabs(value.Num) > 1e-9L ? TArchiveVerdict::NonZero : TArchiveVerdict::Zero;
}

void ReleaseAll(TArchiveConfig& config) {
  for (int32_t i = 0; i < config.Count(); ++i) config.GetBase(i)->Release();
}

}  // namespace vm
