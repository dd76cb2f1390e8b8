#include "archive/deleted_period.h"

#include <algorithm>
#include <exception>
#include <set>

#include "archive/archive_dialogs.h"
#include "archive/archive_store.h"
#include "archive/command_frame.h"
#include "archive/components/local_paths.h"
#include "archive/data_commit.h"
#include "archive/diskettes.h"
#include "archive/own_folders.h"
#include "config/data_dir.h"
#include "foundation/files/fileutils.h"
#include "foundation/files/packfiles.h"
#include "foundation/tables/pending_renames.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "platform/drives.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr const char* kPackName = "Delarch.DAF";
constexpr const char* kListName = "archive.alf";
constexpr uint32_t kMbYesNoExclamation = 0x2134;

std::string DeleteCaption() { return "Удаление периода из архива"_w; }
std::string RestoreCaption() { return "Восстановление данных"_w; }

TProgressProc PackTotal(const std::string& text) {
  return [text](int32_t total) { Ui().ShowProgressMessage(text, total); };
}

TProgressProc PackProgress() {
  return [](int32_t done) {
    Ui().SetProgressPosition(done);
    Ui().ProcessMessages();
  };
}

// Room for the work files: the free space must exceed 3.1 times their size.
bool EnoughRoom(const TArchiveEnv& env, int64_t total) {
  const int64_t free = env.FreeBytes ? env.FreeBytes(env.Dir) : -1;
  if (free < 0 || static_cast<double>(free) > 3.1 * static_cast<double>(total)) return true;
  ReportNoDiskSpace(env.Disk);
  return false;
}

const std::string& CheckedKeptFile(const TArchiveListRecord& r) {
  const std::string& name = r.KeptFile();
  if (!IsArchiveFileName(name, r.Packed ? ".BH" : ".CAF")) throw TArchiveFault("Испорчена запись списка архивов"_w);
  return name;
}

// The list without the configuration's records up to the chosen one; the
// files of those records.
void SplitList(const TArchiveEnv& env, const TArchiveConfig& config, int32_t upToPosition,
               std::vector<TArchiveListRecord>& kept, std::vector<TArchiveListRecord>& taken) {
  const std::vector<TArchiveListRecord> all = LoadArchiveList(env.ListFile());
  for (std::size_t i = 0; i < all.size(); ++i)
    (all[i].ConfigID == config.ID && static_cast<int32_t>(i) + 1 <= upToPosition ? taken : kept).push_back(all[i]);
}

bool WriteWorkList(const TArchiveEnv& env, const std::string& name, const std::vector<TArchiveListRecord>& list) {
  return WriteArchiveList(env.WorkDir() + name, list);
}

std::string MediaSetRecord(const TArchiveEnv& env) { return env.Dir + kPendingMediaSetName; }

// Volumes of a deleted period left on a medium under temporary names: they
// take their names when the deletion's commit stands and go when it does
// not. False while some stay unnamed (their medium out of reach); what an
// interrupted command left is noted in "Errors.log". Something at the
// record's name that is none was noted by the start, and each move onto a
// medium names it in its refusal.
bool SettleMediaSet(const TArchiveEnv& env, bool interrupted) {
  std::vector<std::string> messages;
  const bool settled = SettlePendingRenames(MediaSetRecord(env), messages);
  TPendingRenames record;
  if (interrupted && (settled || ReadPendingRenames(MediaSetRecord(env), record)))
    for (const std::string& m : messages) Ui().LogError(m);
  return settled;
}

// Why no move onto a medium may begin: the disk whose volumes still wait
// for their names, or what stands at the record's name instead of a
// record; "" when nothing stands there.
std::string WaitingMediaSet(const TArchiveEnv& env) {
  TPendingRenames record;
  std::string fault;
  if (!ReadPendingRenames(MediaSetRecord(env), record, &fault)) return fault;
  return "Тома удаленного периода не дописаны на диск "_w + DriveName(record.Folder) +
         ": вставьте этот диск и перезапустите программу"_w;
}

// Packs the taken archives with their records, cuts the pack into volumes
// and copies them to media; the archives stay where they are meanwhile.
// The volumes reach the medium under temporary names and take their own
// only once the deletion has committed (with the record saying so, which
// joins the plan): a crash before leaves no set of a period still
// archived, one after leaves its set for the next start to name.
bool MoveToMedia(const TArchiveConfig& config, const TArchiveEnv& env, const std::vector<TArchiveListRecord>& taken,
                 int64_t total, TDataCommit& plan) {
  // One record at a time: a second would lose the first one's volumes.
  if (const std::string waiting = WaitingMediaSet(env); !waiting.empty()) throw TArchiveFault(waiting);
  if (!EnoughRoom(env, total)) return false;
  std::vector<std::string> files;
  for (const TArchiveListRecord& r : taken) {
    const std::string& name = CheckedKeptFile(r);
    if (!CopyFileOver(env.ArchiveDir() + name, env.WorkDir() + name)) return false;
    files.push_back(env.WorkDir() + name);
  }
  if (!WriteWorkList(env, kListName, taken)) return false;
  files.push_back(env.WorkDir() + kListName);
  const std::string pack = env.WorkDir() + kPackName;
  int32_t last = -1;
  const std::string description = "'" + Ui().AppTitle() + "'" + " конфигурация "_w + "'" + config.Name + "'";
  const bool packed = PackFiles(files, pack, PackTotal("Идет объединение файлов..."_w), PackProgress(), config.ID) &&
                      SplitIntoVolumes(env.WorkDir(), pack, kVolumeSize, description, last);
  Ui().HideProgressMessage();
  if (!packed) return false;
  std::string drive;
  for (;;) {
    if (SelectDrive("Копировать данные на дискету?"_w, drive)) break;
    // Without a copy the archives stay: the work folder would otherwise
    // hold their only copy.
    if (Ui().MsgBox("Вы действительно отказываетесь копировать данные на дискеты?"_w, "Подтвердите удаление"_w,
                    kMbYesNoQuestion) == kIdYes)
      return false;
  }
  // The record finds the medium again from any folder the program runs in.
  if (drive.empty() || drive.front() != '/') throw TArchiveFault("Диск указан не полным путем: "_w + drive);
  TPendingRenames record;
  record.Folder = WithTrailingSlash(drive);
  for (int32_t i = 0; i <= last; ++i) record.Names.push_back({.Name = GetFileNamePart(VolumeFileName(pack, i)), .Temp = ""});
  TMediumNames unnamed;
  if (!ReplaceFileWith(MediaSetRecord(env), EncodePendingRenames(record)) ||
      !CopyToDiskettesUnnamed(pack, drive, last, env.FreeBytes, unnamed))
    return false;
  record.Finish = true;
  record.Names.clear();
  for (const auto& [target, temp] : unnamed) {
    record.Names.push_back({.Name = GetFileNamePart(target), .Temp = GetFileNamePart(temp)});
    if (!MarkPendingName(record.Folder, record.Names.back())) return false;
  }
  const std::string named = env.WorkDir() + kPendingMediaSetName;
  if (!ReplaceFileWith(named, EncodePendingRenames(record))) return false;
  plan.Moves.emplace_back(named, MediaSetRecord(env));
  return true;
}

bool DeleteSteps(TArchiveConfig& config, const TArchiveEnv& env, const TArcIDItem& chosen, bool move) {
  std::vector<TArchiveListRecord> kept, taken;
  SplitList(env, config, chosen.Position, kept, taken);
  TDataCommit plan;
  int64_t total = 0;
  for (const TArchiveListRecord& r : taken) {
    const std::string path = env.ArchiveDir() + CheckedKeptFile(r);
    if (!Files().Exists(path)) continue;
    plan.Removes.push_back(path);
    total += std::max<int64_t>(Files().FileSize(path), 0);
  }
  if (move) {
    total += std::max<int64_t>(Files().FileSize(env.ListFile()), 0);
    if (!MoveToMedia(config, env, taken, total, plan)) return false;
  } else if (!EnoughRoom(env, 0)) {
    return false;
  }
  const std::string newList = "$$.alf";
  if (!WriteWorkList(env, newList, kept)) return false;
  plan.Moves.emplace_back(env.WorkDir() + newList, env.ListFile());
  if (!CommitDataFiles(env.Dir, plan)) return false;
  // Deleted all the same: the medium went before its volumes were named,
  // which the next start or command does once it is back.
  if (move && !SettleMediaSet(env, false)) Ui().MsgBox(WaitingMediaSet(env), DeleteCaption(), kMbError);
  return true;
}

// How the restore ended: stopped before anything began (no closing
// message), done, or failed.
enum class TEnd { Stopped, Done, Failed };

// The unpacked names: the list and archive files only, each once.
bool PlainPackNames(std::vector<std::string>& names) {
  std::set<std::string> seen;
  bool list = false;
  for (std::string& n : names) {
    n = UpperStr(n);
    if (!seen.insert(n).second) return false;
    if (n == "ARCHIVE.ALF")
      list = true;
    else if (!IsArchiveFileName(n, ".CAF") && !IsArchiveFileName(n, ".BH"))
      return false;
  }
  return list;
}

// The number of an archive file's name "NNNNNNNN.ext" (or "NNNNNNNN");
// -1 for any other name.
int32_t ArchiveNumberOf(const std::string& name) {
  if (name.size() < 8 || (name.size() > 8 && name[8] != '.')) return -1;
  int32_t n = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

// The numbers live archives hold: whatever stands in "ARCHIVE" under such a
// name, and every name the remaining list records give.
std::set<int32_t> LiveArchiveNumbers(const TArchiveEnv& env, const std::vector<TArchiveListRecord>& remaining) {
  std::set<int32_t> used;
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(env.ArchiveDir(), entries)) throw TArchiveFault("Не читается папка "_w + env.ArchiveDir());
  for (const DirEntry& e : entries) used.insert(ArchiveNumberOf(e.Name));
  for (const TArchiveListRecord& r : remaining) {
    used.insert(ArchiveNumberOf(r.CafName));
    used.insert(ArchiveNumberOf(r.BhName));
  }
  used.erase(-1);
  return used;
}

// The moves of the restored archives into "ARCHIVE". The next archive
// number is not kept anywhere, so a period archived after the deletion may
// have taken a restored archive's number: such an archive gets the next
// free number instead, and its list record names it, so that no restore
// ever replaces a live archive. False, before anything moves, for a list
// that does not fit the pack or when no number is left.
bool PlanRestoredArchives(const TArchiveConfig& config, const TArchiveEnv& env, const std::string& from,
                          const std::set<std::string>& files, const std::vector<TArchiveListRecord>& remaining,
                          std::vector<TArchiveListRecord>& list, TDataCommit& plan) {
  std::set<int32_t> used = LiveArchiveNumbers(env, remaining);
  int32_t highest = used.empty() ? 0 : *used.rbegin();
  for (const TArchiveListRecord& r : list) highest = std::max(highest, ArchiveNumberOf(CheckedKeptFile(r)));
  std::set<std::string> taken;
  for (TArchiveListRecord& r : list) {
    const std::string name = CheckedKeptFile(r);
    if (r.ConfigID != config.ID || !files.contains(UpperStr(name)) || !taken.insert(UpperStr(name)).second)
      return false;
    int32_t number = ArchiveNumberOf(name);
    if (used.contains(number)) {
      if (highest >= 99999999) return false;
      number = ++highest;
      // A packed archive keeps the name of the combined file inside it.
      r.BhName = ArchiveNumberStr(number) + ".BH";
      if (!r.Packed) r.CafName = ArchiveNumberStr(number) + ".CAF";
    }
    used.insert(number);
    plan.Moves.emplace_back(from + name, env.ArchiveDir() + r.KeptFile());
  }
  return true;
}

bool SequenceFits(TArchiveConfig& config, const TArchiveEnv& env, const std::vector<TArchiveListRecord>& restored) {
  const auto last = std::find_if(restored.rbegin(), restored.rend(),
                                 [&](const TArchiveListRecord& r) { return r.ConfigID == config.ID; });
  if (last == restored.rend()) return false;
  int32_t next = config.ArchiveNo;
  TArchiveListRecord first;
  if (Files().Exists(env.ListFile()) && FindFirstArchiveOfConfig(env.ListFile(), config.ID, first) >= 0)
    next = first.Sequence;
  if (last->Sequence == next - 1) return true;
  const std::string text = last->Sequence < next - 1
                               ? "Неверная последовательность архивов! Выбранный файл не является последним "
                                 "удаленным периодом! Продолжение восстановления может повредить архивы! Продолжить?"_w
                               : "Неверная последовательность архивов! Выбранный удаленный период уже был "
                                 "восстановлен! Продолжение восстановления может повредить архивы! Продолжить?"_w;
  return Ui().MsgBox(text, "Внимание"_w, kMbYesNoExclamation) == kIdYes;
}

TEnd RestoreDeletedSteps(TArchiveConfig& config, const TArchiveEnv& env, const std::string& description,
                         const std::string& volumes) {
  std::string fault;
  if (!JoinVolumes(volumes, "Delarch.000", env.WorkDir(), kPackName, &fault)) {
    if (!fault.empty()) throw TArchiveFault(fault);
    return TEnd::Failed;
  }
  Ui().HideProgressMessage();
  const std::string pack = env.WorkDir() + kPackName;
  int32_t count = 0, dataSize = 0, tag = 0;
  TDateRec date{};
  TTimeRec time{};
  if (!ReadPackHeader(pack, count, date, time, dataSize, tag)) return TEnd::Failed;
  if (tag != config.ID) {
    Ui().MsgBox("Данные по конфигурации '"_w + config.Name + "' не найдены !"_w, RestoreCaption(), kMbInformation);
    return TEnd::Failed;
  }
  if (Ui().MsgBox("Восстановить удаленный период архивов по программе "_w + description + ", удаленный "_w +
                      DateRecToLongStr(date) + " в "_w + TimeRecToStr(time, true, false) + " ?",
                  "Подтвердите восстановление"_w, kMbYesNoQuestion) != kIdYes)
    return TEnd::Stopped;
  if (!EnoughRoom(env, dataSize)) return TEnd::Failed;
  // Apart from the volumes and the pack, which no member may overwrite.
  const std::string from = env.WorkDir() + "FILES/";
  std::vector<std::string> names;
  const bool unpacked = CheckDirExists(from, true) &&
                        UnpackFiles(pack, from, PackTotal("Идет разделение файлов..."_w), PackProgress(), &names);
  Ui().HideProgressMessage();
  if (!unpacked || !PlainPackNames(names)) return TEnd::Failed;
  std::vector<TArchiveListRecord> list = LoadArchiveList(from + kListName);
  const std::set<std::string> files(names.begin(), names.end());
  const std::vector<TArchiveListRecord> remaining = LoadArchiveList(env.ListFile());
  TDataCommit plan;
  if (!PlanRestoredArchives(config, env, from, files, remaining, list, plan)) return TEnd::Failed;
  if (!SequenceFits(config, env, list)) return TEnd::Failed;
  list.insert(list.end(), remaining.begin(), remaining.end());
  if (!WriteWorkList(env, kListName, list)) return TEnd::Failed;
  plan.Moves.emplace_back(env.WorkDir() + kListName, env.ListFile());
  if (!CommitDataFiles(env.Dir, plan)) return TEnd::Failed;
  for (const auto& [unused, target] : plan.Moves) SetArchiveAttributes(target, true);
  return TEnd::Done;
}

void ClearWork(const TArchiveEnv& env) { ClearWorkFolder(env.WorkDir()); }

bool PrepareFolders(const TArchiveEnv& env) {
  if (!OwnFoldersSound(env.Dir, {"WORK", "ARCHIVE"}) || !CheckDirExists(env.WorkDir(), true) ||
      !CheckDirExists(env.ArchiveDir(), true))
    return false;
  ClearWork(env);
  return true;
}

}  // namespace

std::string FirstMediaFolder() {
  const std::vector<std::string> media = RemovableMounts();
  return media.empty() ? "/" : media.front() + "/";
}

bool DeleteArchivePeriod(TArchiveConfig& config, const TArchiveEnv& env) {
  SettleMediaSet(env, true);
  TArcIDList list;
  bool any = false;
  try {
    any = Files().Exists(env.ListFile()) && ReadConfigArchiveList(env.ListFile(), config.ID, list);
  } catch (const TArchiveFault&) {
    return false;
  }
  if (!any) {
    Ui().MsgBox("Архивы по конфигурации '"_w + config.Name + "' не найдены !"_w, "Удаление данных"_w,
                kMbInformation);
    return false;
  }
  if (!PrepareFolders(env)) return false;
  int32_t index = -1;
  bool move = false;
  if (!ChooseArchivePeriod(list, config.Name, index, move)) return false;
  const TArcIDItem chosen = list[static_cast<std::size_t>(index)];
  std::string fault;
  const bool ok = Guarded(DeleteCaption(), fault, [&] { return DeleteSteps(config, env, chosen, move); });
  // Volumes of a deletion that did not commit go.
  if (!ok) SettleMediaSet(env, false);
  Ui().HideProgressMessage();
  Ui().MsgBox(WithFault("Удаление периода из архива по конфигурации '"_w + config.Name + "'\r" +
                            (ok ? " успешно завершено!"_w : " не было завершено из-за возникших ошибок!"_w),
                        fault),
              DeleteCaption(), kMbInformation);
  ClearWork(env);
  return ok;
}

bool RestoreDeletedPeriod(TArchiveConfig& config, const TArchiveEnv& env) {
  SettleMediaSet(env, true);
  if (!PrepareFolders(env)) return false;
  TVolumeSet set;
  if (!AskVolumeSet("Файлы удаленных периодов (Delarch.000)|Delarch.000"_w, FirstMediaFolder(), "Delarch.000",
                    "Файлы удаленных периодов не найдены"_w, set))
    return false;
  if (env.Packer) env.Packer->ProgressCounter = 0;
  std::string source;
  if (!CopyFromDiskettes(set.Folder, kPackName, set.LastVolume, env.WorkDir(), source)) {
    Ui().HideProgressMessage();
    Ui().MsgBox("Восстановление данных отменено пользователем"_w, RestoreCaption(), kMbInformation);
    ClearWork(env);
    return false;
  }
  TEnd end = TEnd::Failed;
  std::string fault;
  Guarded("Восстановление периода в архиве"_w, fault, [&] {
    end = RestoreDeletedSteps(config, env, set.Description, source);
    return true;
  });
  ClearWork(env);
  Ui().HideProgressMessage();
  if (end != TEnd::Stopped)
    Ui().MsgBox(WithFault("Восстановление периода в архиве по конфигурации '"_w + config.Name + "'\r" +
                              (end == TEnd::Done ? " успешно завершено!"_w
                                                 : " не было завершено из-за возникших ошибок!"_w),
                          fault),
                "Восстановление периода в архиве"_w, kMbInformation);
  return end == TEnd::Done;
}

}  // namespace vm
