#include "archive/diskettes.h"

#include <vector>

#include "archive/archive_dialogs.h"
#include "archive/archive_store.h"
#include "archive/command_frame.h"
#include "archive/components/local_paths.h"
#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr uint32_t kMbOkCancelInformation = 0x2041;

}  // namespace

void ClearWorkFolder(const std::string& workDir) {
  DeleteDirTree(workDir + "FILES/");
  ClearDirFiles(workDir);
}

bool AskVolumeSet(const std::string& filter, const std::string& initialDir, const std::string& firstVolume,
                  const std::string& notFound, TVolumeSet& set) {
  if (!AskVolumeFolder(set.Folder, filter, initialDir, firstVolume)) return false;
  ReadVolumeHeader(set.Folder + firstVolume, set.Date, set.Time, set.Description, set.LastVolume);
  if (set.Date.Year != -1) return true;
  Ui().MsgBox(notFound, "Восстановление данных"_w, kMbInformation);
  return false;
}

std::string DriveName(const std::string& drive) {
  return ExcludeTrailingSlash(drive);
}

namespace {

// The volumes of fileName in the order given onto drive, each by `copy`
// (source, target): a medium without room for the next one, or a failed
// copy, asks for another medium, calling `full` first, and says which
// volume wants it and why. False when the user cancelled, with that why.
bool CopyVolumes(const std::string& fileName, const std::string& drive, const std::vector<int32_t>& order,
                 const TFreeBytesProc& freeBytes,
                 const std::function<bool(const std::string&, const std::string&)>& copy,
                 const std::function<void()>& full, std::string* stopped) {
  const std::string folder = WithTrailingSlash(drive);
  TArchiveGauge gauge("Идет копирование файлов..."_w, static_cast<int64_t>(order.size()));
  bool ok = true;
  for (std::size_t i = 0; i < order.size();) {
    const std::string source = VolumeFileName(fileName, order[i]);
    const std::string name = GetFileNamePart(source);
    const int64_t free = freeBytes ? freeBytes(folder) : -1;
    const int64_t size = Files().FileSize(source);
    std::string why;
    if (free < 0 || free >= size) {
      if (copy(source, folder + name)) {
        ++i;
        gauge.Advance();
        continue;
      }
      Ui().MsgBox("Ошибка копирования файла "_w + name, "Ошибка записи на диск "_w + DriveName(drive) + ":", kMbError);
      why = "том "_w + name + " не записан на диск "_w + DriveName(drive);
    } else {
      why = "на диске "_w + DriveName(drive) + " нет места для тома "_w + name + " (нужно "_w + std::to_string(size) +
            " байт, свободно "_w + std::to_string(free) + ")";
    }
    if (full) full();
    if (Ui().MsgBox("Вставте следующий диск\r"_w + why, "Недостаточно места на диске "_w + DriveName(drive),
                    kMbOkCancelInformation) != kIdOk) {
      if (stopped) *stopped = why;
      ok = false;
      break;
    }
  }
  Ui().HideProgressMessage();
  return ok;
}

std::vector<int32_t> VolumeOrder(int32_t first, int32_t last) {
  std::vector<int32_t> order;
  for (int32_t i = first; i <= last; ++i) order.push_back(i);
  return order;
}

}  // namespace

bool CopyToDiskettes(const std::string& fileName, const std::string& drive, int32_t lastVolume,
                     const TFreeBytesProc& freeBytes, std::string* stopped) {
  return CopyVolumes(fileName, drive, VolumeOrder(0, lastVolume), freeBytes, CopyFileOver, {}, stopped);
}

bool CopyToDiskettesUnnamed(const std::string& fileName, const std::string& drive, int32_t lastVolume,
                            const TFreeBytesProc& freeBytes, TMediumNames& unnamed) {
  std::vector<int32_t> order = VolumeOrder(1, lastVolume);
  order.push_back(0);
  unnamed.clear();
  // What a medium holds takes its names before the next one comes: this
  // one will not be there to take them later.
  const auto name = [&] {
    for (const auto& [target, temp] : unnamed) Files().Rename(temp, target);
    if (!unnamed.empty()) Files().SyncDirectory(GetFileDirPart(unnamed.front().first));
    unnamed.clear();
  };
  const bool ok = CopyVolumes(
      fileName, drive, order, freeBytes,
      [&](const std::string& source, const std::string& target) {
        const std::string temp = CopyFileBeside(source, target);
        if (!temp.empty()) unnamed.emplace_back(target, temp);
        return !temp.empty();
      },
      name, nullptr);
  if (!unnamed.empty()) Files().SyncDirectory(GetFileDirPart(unnamed.front().first));
  return ok;
}

bool CopyFromDiskettes(const std::string& folder, const std::string& fileName, int32_t lastVolume,
                       const std::string& workDir, std::string& source) {
  source = folder;
  bool all = true;
  for (int32_t i = 0; i <= lastVolume && all; ++i) all = Files().Exists(folder + VolumeFileName(fileName, i));
  if (all) return true;
  source = workDir;
  TArchiveGauge gauge("Идет копирование файлов..."_w, int64_t{lastVolume} + 1);
  for (int32_t i = 0; i <= lastVolume;) {
    const std::string name = VolumeFileName(fileName, i);
    if (Files().Exists(folder + name) && CopyFileOver(folder + name, workDir + name)) {
      ++i;
      gauge.Advance();
      continue;
    }
    if (Ui().MsgBox("Вставте диск с файлом "_w + name, "Файл не найден"_w, kMbOkCancelInformation) != kIdOk)
      return false;
  }
  return true;
}

}  // namespace vm
