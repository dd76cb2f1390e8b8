#include "archive/archive_dialogs.h"

#include "foundation/values/dates.h"
#include "platform/encoding.h"

namespace vm {

namespace {

TArchiveDialogs& Cancelling() {
  static TArchiveDialogs none;
  return none;
}

TArchiveDialogs* installed = nullptr;

}  // namespace

TArchiveDialogs& ArchiveDialogs() { return installed ? *installed : Cancelling(); }

void InstallArchiveDialogs(TArchiveDialogs* dialogs) { installed = dialogs; }

bool SelectDrive(const std::string& prompt, std::string& drive) {
  drive.clear();
  const auto& f = ArchiveDialogs().SelectDrive;
  return f && f(prompt, drive);
}

bool ChooseArchivePeriod(const TArcIDList& list, const std::string& configName, int32_t& index, bool& move) {
  index = -1;
  move = false;
  const auto& f = ArchiveDialogs().ChoosePeriod;
  return f && f(list, configName, index, move) && index >= 0 && index < static_cast<int32_t>(list.size());
}

bool AskVolumeFolder(std::string& folder, const std::string& filter, const std::string& initialDir,
                     const std::string& fileName) {
  folder.clear();
  const auto& f = ArchiveDialogs().AskVolumeFolder;
  if (!f || !f(filter, initialDir, fileName, folder)) return false;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return true;
}

std::string DeletePeriodQuestion(const std::string& configName, const TArchiveListRecord& record) {
  return "Удалить все архивы по конфигурации '"_w + configName + "'\r созданные до "_w +
         DateRecToLongStr(record.Made) + " " + TimeRecToStr(record.MadeTime, true, false) + " включительно?"_w;
}

}  // namespace vm

namespace vm {

TPeriodColumns PeriodColumnWidths(int32_t gridWidth, bool allRowsFit) {
  const int32_t usable = gridWidth - 6 - (allRowsFit ? 0 : 15);
  return {usable / 2, usable - usable / 2};
}

}  // namespace vm
