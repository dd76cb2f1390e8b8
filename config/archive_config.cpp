#include "config/archive_config.h"

#include "platform/encoding.h"
#include "foundation/text/strutils.h"

namespace vm {

void TBaseArchive::GetColumnText(int32_t col, std::string& s) const {
  switch (col) {
    case 0: s = Alias; break;
    case 1: s = DateField; break;
    case 2: s = Condition; break;
    case 3: s = GroupField; break;
    case 4: s = KeepLast ? "Оставлять"_w : "Удалять"_w; break;
    case 5: s = LinkedFields; break;
    default: s.clear(); break;
  }
}

const TBaseArchive::TLink* TBaseArchive::GetLink(int32_t index) const {
  if (index < 0 || index >= LinkCount()) return nullptr;
  return &Links[static_cast<std::size_t>(index)];
}

const int32_t* TBaseArchive::GetFieldMapEntry(int32_t index) const {
  if (index < 0 || index >= MapCount()) return nullptr;
  return &FieldMap[static_cast<std::size_t>(index)];
}

TBaseArchive* TArchiveConfig::AddBase() {
  return bases_.emplace_back(std::make_unique<TBaseArchive>(this)).get();
}

void TArchiveConfig::DeleteBase(int32_t index) {
  if (index < 0 || index >= Count()) return;
  bases_.erase(bases_.begin() + index);
}

TBaseArchive* TArchiveConfig::FindBase(const std::string& alias) const {
  const std::string key = UpperStr(TrimBlanks(alias));
  for (const auto& b : bases_)
    if (b->Alias == key) return b.get();
  return nullptr;
}

void CopyConfig(const TArchiveConfig& src, TArchiveConfig& dest) {
  dest.Clear();
  dest.ID = src.ID;
  dest.Name = src.Name;
  dest.ArchiveNo = src.ArchiveNo;
  dest.Extra = UpperStr(TrimBlanks(src.Extra));
  for (int32_t i = 0; i < src.Count(); ++i) {
    const TBaseArchive* s = src.GetBase(i);
    TBaseArchive* d = dest.AddBase();
    d->Alias = s->Alias;
    d->DateField = s->DateField;
    d->Condition = s->Condition;
    d->GroupField = s->GroupField;
    d->LinkedFields = s->LinkedFields;
    d->KeepLast = s->KeepLast;
  }
}

TArchiveConfig* TArchiveConfigList::AddConfig() {
  return items_.emplace_back(std::make_unique<TArchiveConfig>()).get();
}

void TArchiveConfigList::DeleteConfig(int32_t index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

TArchiveConfig* TArchiveConfigList::FindByID(int32_t id) const {
  for (const auto& c : items_)
    if (c->ID == id) return c.get();
  return nullptr;
}

void TArchiveConfigList::CopyTo(TArchiveConfigList& dest) const {
  dest.Clear();
  for (const auto& c : items_) CopyConfig(*c, *dest.AddConfig());
}

}  // namespace vm
