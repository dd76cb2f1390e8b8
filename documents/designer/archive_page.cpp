// What the "Архивация" tab does to the working archive configurations.
#include "documents/designer/archive_page.h"

#include <algorithm>

#include "config/settings.h"
#include "documents/designer/designer.h"
#include "foundation/text/strutils.h"
#include "archive/check/archive_check.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr int32_t kArchiveColumns = 6;

bool NameOfAnother(const TArchiveConfigList& list, const std::string& name, int32_t except) {
  for (int32_t i = 0; i < list.Count(); ++i)
    if (i != except && UpperStr(TrimBlanks(list.GetConfig(i)->Name)) == UpperStr(name)) return true;
  return false;
}

void StoreEntry(TBaseArchive& entry, const TArchiveEntryTexts& t) {
  entry.Alias = t.Base;
  entry.DateField = t.DateField;
  entry.GroupField = t.GroupField;
  entry.KeepLast = t.LastRecord == "Оставлять"_w;
  entry.Condition = t.Exclusion;
  entry.LinkedFields = t.Links;
}

}  // namespace

TArchiveConfig* TArchivePage::CurrentArchive() const {
  return currentArchive_ >= 0 && currentArchive_ < d_.ArchiveConfigs.Count()
             ? d_.ArchiveConfigs.GetConfig(currentArchive_)
             : nullptr;
}

std::vector<std::string> TArchivePage::ArchiveConfigNames() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < d_.ArchiveConfigs.Count(); ++i)
    names.push_back(d_.ArchiveConfigs.GetConfig(i)->Name);
  return names;
}

void TArchivePage::ShowArchiveConfig(int32_t index) {
  currentArchive_ = index >= 0 && index < d_.ArchiveConfigs.Count() ? index : -1;
  ArchiveRow = CurrentArchive() && CurrentArchive()->Count() > 0 ? 1 : 0;
}

std::vector<std::vector<std::string>> TArchivePage::ArchiveRows() const {
  std::vector<std::vector<std::string>> rows;
  const TArchiveConfig* config = CurrentArchive();
  for (int32_t i = 0; config && i < config->Count(); ++i) {
    std::vector<std::string>& row = rows.emplace_back(kArchiveColumns);
    for (int32_t c = 0; c < kArchiveColumns; ++c)
      config->GetBase(i)->GetColumnText(c, row[static_cast<std::size_t>(c)]);
  }
  return rows;
}

bool TArchivePage::AddArchiveConfig(const std::string& name) {
  const std::string trimmed = TrimBlanks(name);
  if (trimmed.empty() || NameOfAnother(d_.ArchiveConfigs, trimmed, -1)) return false;
  TArchiveConfig* config = d_.ArchiveConfigs.AddConfig();
  config->Name = trimmed;
  config->ID = d_.Live().NextArchiveConfigID++;
  ShowArchiveConfig(d_.ArchiveConfigs.Count() - 1);
  return true;
}

bool TArchivePage::DeleteArchiveConfig() {
  const TArchiveConfig* config = CurrentArchive();
  if (!config) return false;
  if (!AskYesNo("Вы действительно хотите удалить конфигурацию '"_w + config->Name + "'?",
                "Удаление конфигурации"_w))
    return false;
  const int32_t index = currentArchive_;
  d_.ArchiveConfigs.DeleteConfig(index);
  // The index is taken after the delete, so it never names the freed one.
  ShowArchiveConfig(std::min(index, d_.ArchiveConfigs.Count() - 1));
  return true;
}

bool TArchivePage::RenameArchiveConfig(const std::string& name) {
  TArchiveConfig* config = CurrentArchive();
  const std::string trimmed = TrimBlanks(name);
  if (!config || trimmed.empty() || NameOfAnother(d_.ArchiveConfigs, trimmed, currentArchive_))
    return false;
  config->Name = trimmed;
  return true;
}

bool TArchivePage::CheckArchiveConfig() {
  TArchiveConfig* config = CurrentArchive();
  if (!config) return true;
  int32_t bad = -1;
  std::string msg;
  if (CheckConfig(*config, d_.Bases, bad, msg)) return true;
  ArchiveRow = bad + 1;
  Ui().MsgBox(msg, "Ошибка проверки"_w, kMbError);
  return false;
}

TArchiveEntryDialog TArchivePage::ArchiveEntryDialog(bool editing) const {
  TArchiveEntryDialog dialog;
  dialog.Bases = &d_.Bases;
  const TArchiveConfig* config = CurrentArchive();
  const TBaseArchive* edited = editing && config && ArchiveRow >= 1 && ArchiveRow <= config->Count()
                                   ? config->GetBase(ArchiveRow - 1)
                                   : nullptr;
  for (int32_t i = 0; i < d_.Bases.Count(); ++i) {
    const TDbaseStructure* base = d_.Bases.GetItem(i);
    if (base->System) continue;
    const TBaseArchive* entry = config ? config->FindBase(base->Alias) : nullptr;
    if (!entry || entry == edited) dialog.BaseChoices.push_back(base->Alias);
  }
  dialog.Values.LastRecord = "Удалять"_w;
  if (edited) {
    const auto upper = [](const std::string& s) { return UpperStr(TrimBlanks(s)); };
    dialog.ChooseBase(upper(edited->Alias), true);
    dialog.Values.DateField = upper(edited->DateField);
    dialog.Values.GroupField =
        edited->GroupField == "нет"_w ? edited->GroupField : upper(edited->GroupField);
    if (edited->KeepLast) dialog.Values.LastRecord = "Оставлять"_w;
    dialog.Values.Exclusion = upper(edited->Condition);
    dialog.Values.Links = edited->LinkedFields;
  } else if (!dialog.BaseChoices.empty()) {
    dialog.ChooseBase(dialog.BaseChoices.front());
  }
  return dialog;
}

bool TArchivePage::AddArchiveEntry(const TArchiveEntryTexts& t) {
  TArchiveConfig* config = CurrentArchive();
  if (!config) return false;
  StoreEntry(*config->AddBase(), t);
  ArchiveRow = config->Count();
  return true;
}

bool TArchivePage::EditArchiveEntry(const TArchiveEntryTexts& t) {
  TArchiveConfig* config = CurrentArchive();
  if (!config || ArchiveRow < 1 || ArchiveRow > config->Count()) return false;
  StoreEntry(*config->GetBase(ArchiveRow - 1), t);
  return true;
}

bool TArchivePage::DeleteArchiveEntry() {
  TArchiveConfig* config = CurrentArchive();
  if (!config || ArchiveRow < 1 || ArchiveRow > config->Count()) return false;
  if (!AskYesNo("Вы действительно хотите удалить базу "_w + config->GetBase(ArchiveRow - 1)->Alias +
                    " из конфигурации?"_w,
                "Удаление конфигурации"_w))
    return false;
  config->DeleteBase(ArchiveRow - 1);
  ArchiveRow = std::min(ArchiveRow, config->Count());
  return true;
}

void TArchivePage::Enable(TDesignerEnabling& e) const {
  const TArchiveConfig* archive = CurrentArchive();
  e.ArchiveConfigCommands = e.ArchiveEntryAdd = archive != nullptr;
  e.ArchiveEntryChange = archive && ArchiveRow >= 1 && ArchiveRow <= archive->Count();
}

}  // namespace vm
