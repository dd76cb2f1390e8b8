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

void TBaseArchive::Release() {
  Binding.reset();
  Dbf = nullptr;
  Links.clear();
  IsLinkTarget = false;
}

void TBaseArchive::AllocFieldMap() {
  FieldMap.clear();
  if (ArchiveTable && ArchiveTable->FieldCount() > 1)
    FieldMap.assign(static_cast<std::size_t>(ArchiveTable->FieldCount() - 1), 0);
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

bool ParseArchiveConfig(TBaseArchive& entry, const std::string& text, std::string& msg) {
  entry.Links.clear();
  if (text.empty()) return true;
  const std::string noSeparator = "Отсутствует разделитель ':'"_w;
  const auto expected = static_cast<std::size_t>(CharCount(':', text));
  std::string rest = UpperStr(TrimBlanks(text));
  if (expected == 0) {
    msg = noSeparator;
    return false;
  }
  while (!rest.empty()) {
    if (entry.Links.size() == expected) {
      msg = noSeparator;
      return false;
    }
    bool last = false;
    std::string item = CutTopLevelItem(rest, ',', last);
    if (last) rest.clear();
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) {
      msg = noSeparator;
      return false;
    }
    const std::string alias = TrimBlanks(std::string_view(item).substr(0, colon));
    const std::string field = TrimBlanks(std::string_view(item).substr(colon + 1));
    const int index = entry.Dbf ? entry.Dbf->FieldIndex(field) : -1;
    if (index < 0) {
      msg = "Неверное имя поля '"_w + field + "'";
      return false;
    }
    TBaseArchive* target = entry.Config ? entry.Config->FindBase(alias) : nullptr;
    if (!target) {
      msg = "База '"_w + alias + "' отсутствует в текущей конфигурации"_w;
      return false;
    }
    entry.Links.push_back({index, target});
    target->IsLinkTarget = true;
  }
  if (entry.Links.size() != expected) {
    msg = "Неверное определение связанных полей"_w;
    return false;
  }
  return true;
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

int32_t& NextArchiveNumber() {
  static int32_t next = 1;
  return next;
}

}  // namespace vm
