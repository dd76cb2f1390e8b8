// The three small dialogs of the archive commands, as the core asks for
// them: a disk to copy volumes to, the period of a configuration's archives
// to delete, and the folder of a volume set. The windows install theirs;
// tests install scripted ones. Without any, each is cancelled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/archive_store.h"

namespace vm {

struct TArchiveDialogs {
  // The drive dialog: a disk (a removable medium's mount point, or any
  // folder the user picks) and whether the user answered "Да". drive is
  // what the list showed even after "Нет".
  std::function<bool(const std::string& prompt, std::string& drive)> SelectDrive;
  // The archive-list dialog: the row chosen (0-based index into list) and
  // the state of "Переместить на дискеты"; false when cancelled.
  std::function<bool(const TArcIDList& list, const std::string& configName, int32_t& index, bool& move)>
      ChoosePeriod;
  // The folder of a volume file: the filter ("text|mask"), the folder to
  // start in and the file name looked for; folder ends with '/'.
  std::function<bool(const std::string& filter, const std::string& initialDir, const std::string& fileName,
                     std::string& folder)>
      AskVolumeFolder;
};

// The installed dialogs (all cancelled until some are installed).
TArchiveDialogs& ArchiveDialogs();
// nullptr goes back to the cancelling ones; the caller keeps ownership.
void InstallArchiveDialogs(TArchiveDialogs* dialogs);

// The dialogs' calls with a cancel where none is set.
bool SelectDrive(const std::string& prompt, std::string& drive);
bool ChooseArchivePeriod(const TArcIDList& list, const std::string& configName, int32_t& index, bool& move);
bool AskVolumeFolder(std::string& folder, const std::string& filter, const std::string& initialDir,
                     const std::string& fileName);

// What the archive-list dialog asks before it closes with "Удалить".
std::string DeletePeriodQuestion(const std::string& configName, const TArchiveListRecord& record);

}  // namespace vm

namespace vm {

// The two columns of the archive-list dialog share the grid's width less
// its frame, and 15 pixels less again when a scroll bar shows.
struct TPeriodColumns {
  int32_t First = 0, Second = 0;
};
TPeriodColumns PeriodColumnWidths(int32_t gridWidth, bool allRowsFit);

}  // namespace vm
