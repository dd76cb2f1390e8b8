#include "archive/backup.h"

#include <exception>
#include <set>

#include "archive/archive_dialogs.h"
#include "archive/archive_store.h"
#include "archive/command_frame.h"
#include "archive/data_commit.h"
#include "archive/own_folders.h"
#include "config/data_dir.h"
#include "foundation/files/fileutils.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr const char* kBackupName = "Reserv.BH";
constexpr const char* kFileList = "files.res";
constexpr const char* kArchiveFolder = "ARCHIVE\\";
constexpr std::size_t kShortName = 15;
// Windows file attributes as "files.res" keeps them. Above them, flagged
// by bit 30, which no Windows attribute uses, the file's permission bits in
// bits 16 to 24, so that a restored file is readable by whom it was when
// packed; a record without the flag (an older copy), or with bit 31 too
// (-1, a failed look-up), restores as before.
constexpr int32_t kAttrReadOnly = 1, kAttrHidden = 2, kAttrArchive = 32;
constexpr uint32_t kAttrPermissions = 0x40000000, kAttrTopBit = 0x80000000;
constexpr int kPermissionsShift = 16;
constexpr std::initializer_list<const char*> kOwnFolders = {"WORK", "ARCHIVE", "RESERV"};

std::string BackupCaption() { return "Резервное копирование"_w; }
std::string RestoreCaption() { return "Восстановление данных"_w; }

// The new volumes are made apart and swapped in whole, so a backup that
// fails or dies on the way leaves the previous one as it was; the next
// start, or the next backup or restore, settles a swap it left half done.
std::string PartReserv(const TBackupEnv& env) { return env.Dir + kPartReservFolder + "/"; }
std::string NewReserv(const TBackupEnv& env) { return env.Dir + kNewReservFolder + "/"; }
std::string OldReserv(const TBackupEnv& env) { return env.Dir + kOldReservFolder + "/"; }

void ClearWork(const TBackupEnv& env) { ClearWorkFolder(env.WorkDir()); }

// The work files that hold the data whole (the packed copy, what a
// restore joins and unpacks) lie in a folder of this user's alone: in the
// work folder, which others may share, they would be readable by whoever
// the creator's mask lets, more than the data themselves.
std::string SealedWork(const TBackupEnv& env) { return env.WorkDir() + "FILES/"; }

void MakeSealedWork(const TBackupEnv& env) {
  std::string why;
  if (!UserOnlyFolder(ExcludeTrailingSlash(SealedWork(env)), why)) throw TArchiveFault("Нет рабочей папки: "_w + why);
}

void SettleSwap(const TBackupEnv& env) {
  for (const std::string& m : SettleReservSwap(env.Dir)) Ui().LogError(m);
}

bool SwapInNewReserv(const TBackupEnv& env) {
  const std::string reserv = ExcludeTrailingSlash(env.ReservDir()), old = ExcludeTrailingSlash(OldReserv(env));
  if (Files().IsDirectory(reserv) && !Files().Rename(reserv, old)) return false;
  if (!Files().Rename(ExcludeTrailingSlash(NewReserv(env)), reserv)) {
    Files().Rename(old, reserv);
    return false;
  }
  Files().SyncDirectory(env.Dir);
  DeleteDirTree(OldReserv(env));
  return true;
}

int32_t AttributesOf(uint32_t mode, bool hidden) {
  const int32_t windows = (mode & 0200u) == 0 ? kAttrReadOnly | (hidden ? kAttrHidden : 0) : kAttrArchive;
  return windows | static_cast<int32_t>(kAttrPermissions | (mode & 0777u) << kPermissionsShift);
}

// With `owner` added, for a file its owner must still read.
void ApplyAttributes(const std::string& path, int32_t attributes, uint32_t owner = 0) {
  uint32_t mode = 0;
  if (!Files().GetMode(path, mode)) return;
  const auto bits = static_cast<uint32_t>(attributes);
  if ((bits & (kAttrPermissions | kAttrTopBit)) == kAttrPermissions)
    mode = bits >> kPermissionsShift & 0777u;
  else
    mode = (attributes & kAttrReadOnly) ? mode & ~0222u : mode | 0200u;
  Files().SetMode(path, mode | owner);
}

// The bases' and settings' files, then the archive list and the archive
// files when there is a list; each with its "files.res" record.
struct TBackupSet {
  std::vector<std::string> Files;
  std::vector<TBackupFileRecord> Records;
  int64_t Size = 0;
  // The read bits every file has: the volumes have no others.
  uint32_t Readable = 0444;
  // The files of the program's own names, by their paths upper-cased.
  std::set<std::string> Own;
};

// A table may be reached through a link, as its administrator chose. The
// settings files, the archive list and the archives are the program's own
// only as plain files at their names: a link there may point at another
// user's file, which the copy would hand to whoever restores it.
enum class TMember { Table, Settings, Archive };

bool Add(TBackupSet& set, const std::string& path, const std::string& folder, TMember kind) {
  const std::string name = GetFileNamePart(path);
  if (name.size() > kShortName) {
    Ui().MsgBox("Имя файла "_w + name + " длиннее 15 символов: резервная копия невозможна"_w, BackupCaption(),
                kMbError);
    return false;
  }
  // The archive keeps its names in code page 866: one written there with a
  // stand-in would come back under another name, and the copy could not be
  // restored.
  if (!FitsCp866(name)) {
    Ui().MsgBox("Имя файла "_w + name + " содержит знаки, которых нет в кодовой странице 866: резервная копия невозможна"_w,
                BackupCaption(), kMbError);
    return false;
  }
  const bool own = kind != TMember::Table;
  const int64_t size = own ? Files().PlainFileSize(path) : Files().FileSize(path);
  uint32_t mode = 0;
  if (size < 0 || !Files().GetMode(path, mode)) {
    if (own)
      Ui().MsgBox("Файл "_w + path + " не является обычным файлом: резервная копия невозможна"_w, BackupCaption(),
                  kMbError);
    return false;
  }
  set.Size += size;
  set.Readable &= mode;
  set.Files.push_back(path);
  set.Records.push_back({folder, name, AttributesOf(mode, kind == TMember::Archive)});
  if (own) set.Own.insert(UpperStr(path));
  return true;
}

// Anything at all at the name, a link to nowhere included.
bool Taken(const std::string& path) { return Files().Exists(path) || Files().IsSymlink(path); }

bool CollectBackupSet(const TBackupEnv& env, TBackupSet& set) {
  for (const std::string& f : env.BaseFiles)
    if (!Add(set, f, "", TMember::Table)) return false;
  for (const std::string& f : env.SettingsFiles)
    if (Taken(f) && !Add(set, f, "", TMember::Settings)) return false;
  // Without a list no archive file goes: a restore of the copy then
  // empties "ARCHIVE".
  if (!Taken(env.ListFile())) return true;
  if (!Add(set, env.ListFile(), "", TMember::Archive)) return false;
  std::vector<DirEntry> entries;
  Files().ListDirectory(env.ArchiveDir(), entries);
  // Only the archives themselves: a restore takes nothing else from there.
  for (const DirEntry& e : entries)
    if ((IsArchiveFileName(e.Name, ".CAF") || IsArchiveFileName(e.Name, ".BH")) &&
        !Add(set, env.ArchiveDir() + e.Name, kArchiveFolder, TMember::Archive))
      return false;
  return true;
}

bool PackBackup(const TBackupEnv& env, TBackupSet& set) {
  const std::string list = SealedWork(env) + kFileList;
  const std::string bytes = EncodeBackupFileList(set.Records);
  if (!ReplaceFileWith(list, bytes)) return false;
  set.Files.push_back(list);
  TArchivePacker& packer = *env.Packer;
  packer.ErrorCode = 0;
  packer.ProgressCounter = 0;
  Ui().ShowProgressMessage("Идет упаковка данных ..."_w, 21 * static_cast<int32_t>(set.Files.size()) - 1);
  packer.Compressor.DefaultDir = env.Dir;
  packer.Compressor.SetArchiveFile(SealedWork(env) + kBackupName);
  packer.Compressor.FileSpec = set.Files;
  // Looked at above: a link put at one of the program's names since is
  // not read through either.
  packer.Compressor.PlainFileOnly = [own = set.Own](const std::string& path) { return own.contains(UpperStr(path)); };
  const int32_t packed = packer.Compressor.Compress();
  packer.Compressor.PlainFileOnly = {};
  return packed == static_cast<int32_t>(set.Files.size()) && packer.ErrorCode == 0;
}

// The new volumes, made in a folder of their own, are put on the disk once
// as a set, and only then does the folder take the name that says they are
// whole. The packed archive and the file list they are cut from are work
// files that go first, so that nothing but the volumes is written out for
// them. The folder is closed to others until every volume has its mode.
bool MakeVolumes(const TBackupEnv& env, uint32_t readable, int32_t& last) {
  const std::string part = ExcludeTrailingSlash(PartReserv(env));
  uint32_t mode = 0;
  const bool ok = CheckDirExists(PartReserv(env), true) && Files().GetMode(part, mode) &&
                  Files().SetMode(part, 0700) &&
                  SplitIntoVolumes(PartReserv(env), SealedWork(env) + kBackupName, kVolumeSize, env.Title, last,
                                   readable) &&
                  Files().SetMode(part, mode);
  ClearWork(env);
  return ok && Files().SyncFileSystemOf(PartReserv(env)) && Files().Rename(part, ExcludeTrailingSlash(NewReserv(env)));
}

bool MakeBackupSteps(const TBackupEnv& env) {
  // The tables are read whole, as they lie on disk.
  if (env.CloseTables) env.CloseTables();
  TBackupSet set;
  if (!CollectBackupSet(env, set)) return false;
  const int64_t free = env.FreeBytes ? env.FreeBytes(env.Dir) : -1;
  if (free >= 0 && 4 * set.Size > free) {
    ReportNoDiskSpace(env.Disk);
    return false;
  }
  MakeSealedWork(env);
  // What the work folder gets lives only until the volumes are cut.
  const ScratchFolder scratch(SealedWork(env));
  if (!PackBackup(env, set)) return false;
  int32_t last = -1;
  if (!MakeVolumes(env, set.Readable, last) || !SwapInNewReserv(env)) return false;
  Ui().HideProgressMessage();
  std::string drive, why;
  if (SelectDrive("Копировать данные на дискету?"_w, drive) &&
      !CopyToDiskettes(env.ReservDir() + kBackupName, drive, last, env.FreeBytes, &why))
    throw TArchiveFault("Копия данных создана в папке "_w + ExcludeTrailingSlash(env.ReservDir()) +
                        ", но не скопирована на диск: "_w + why + ", копирование отменено"_w);
  return true;
}

// A name from the copy as a message may show it: a control character
// would break the line of "Errors.log" it goes to.
std::string ShownName(const TBackupFileRecord& r) {
  std::string name = r.Folder + r.Name;
  for (char& c : name)
    if (static_cast<uint8_t>(c) < 32) c = '?';
  return name;
}

TArchiveFault Unrestorable(const TBackupFileRecord& r) {
  return TArchiveFault("Файл резервной копии не может быть восстановлен: "_w + ShownName(r));
}

// Every record names a file of its pattern, once, and the file is there:
// checked whole before anything is replaced. A record refused is a fault of
// the copy, raised with the name so that the user and "Errors.log" learn
// which file it was.
void CheckRestoreSet(const std::string& from, const std::vector<TBackupFileRecord>& records) {
  std::set<std::string> seen;
  for (const TBackupFileRecord& r : records) {
    if (!RestorableName(r.Folder, r.Name)) throw Unrestorable(r);
    if (!seen.insert(UpperStr(r.Folder + r.Name)).second)
      throw TArchiveFault("Файл дважды в резервной копии: "_w + ShownName(r));
    if (!Files().Exists(from + r.Name) || Files().IsDirectory(from + r.Name) || Files().IsSymlink(from + r.Name))
      throw TArchiveFault("Нет файла в резервной копии: "_w + ShownName(r));
  }
}

std::string TargetOf(const TBackupEnv& env, const TBackupFileRecord& r) {
  return env.DataDir + (r.Folder.empty() ? "" : "ARCHIVE/") + r.Name;
}

// The restored files replace the data folder's as one commit; archive
// files and a list that the copy does not hold go with it.
bool ReplaceData(const TBackupEnv& env, const std::string& from, const std::vector<TBackupFileRecord>& records) {
  TDataCommit plan;
  std::set<std::string> restored;
  for (const TBackupFileRecord& r : records) {
    // Only files are replaced: a folder taken aside could not be dropped.
    if (Files().IsDirectory(TargetOf(env, r))) throw Unrestorable(r);
    // Readable by no more than it was when packed from the moment it
    // enters the data folder; its owner reads it meanwhile, as the commit
    // does.
    ApplyAttributes(from + r.Name, r.Attributes, 0600);
    plan.Moves.emplace_back(from + r.Name, TargetOf(env, r));
    restored.insert(UpperStr(r.Folder + r.Name));
  }
  const std::string archiveDir = env.DataDir + "ARCHIVE/";
  if (!CheckDirExists(archiveDir, true)) return false;
  std::vector<std::string> present;
  ListFilesToStrings(archiveDir, "*.*", present, true, false);
  for (const std::string& n : present)
    if (!restored.contains(UpperStr(kArchiveFolder + n))) plan.Removes.push_back(archiveDir + n);
  if (!restored.contains("ARCHIVE.ALF") && Files().Exists(env.DataDir + "archive.alf"))
    plan.Removes.push_back(env.DataDir + "archive.alf");
  if (!CommitDataFiles(env.DataDir, plan)) return false;
  for (const TBackupFileRecord& r : records) ApplyAttributes(TargetOf(env, r), r.Attributes);
  return true;
}

bool ExtractBackup(const TBackupEnv& env, const std::string& into) {
  TArchivePacker& packer = *env.Packer;
  packer.ErrorCode = 0;
  Ui().ShowProgressMessage("Идет восстановление данных ..."_w, 100);
  if (!CheckDirExists(into, true)) return false;
  TUnBh& x = packer.Extractor;
  x.SetExtractDir(into);
  x.SetArchiveFile(SealedWork(env) + kBackupName);
  x.FileSpec = {"*.*"};
  x.OnProgress = [](uint8_t byFile, uint8_t) {
    Ui().SetProgressText("Восстанавливаются файлы..."_w);
    Ui().SetProgressPosition(byFile);
    Ui().ProcessMessages();
  };
  x.Extract();
  return packer.ErrorCode == 0;
}

bool RestoreSteps(const TBackupEnv& env, const std::string& volumes) {
  MakeSealedWork(env);
  std::string fault;
  if (!JoinVolumes(volumes, "Reserv.000", SealedWork(env), kBackupName, &fault)) {
    if (!fault.empty()) throw TArchiveFault(fault);
    return false;
  }
  // Apart from the volumes and the joined archive, which no member may
  // overwrite.
  const std::string from = SealedWork(env) + "FILES/";
  if (!ExtractBackup(env, from)) return false;
  std::string bytes;
  auto f = Files().Open(from + kFileList, FileMode::Read);
  if (!f) throw TArchiveFault("Нет списка файлов в резервной копии"_w);
  const int64_t size = f->Size();
  if (size < 0 || size > (int64_t{1} << 20)) throw TArchiveFault("Испорчен список файлов резервной копии"_w);
  bytes.assign(static_cast<std::size_t>(size), '\0');
  if (f->ReadAt(0, bytes.data(), bytes.size()) != size) throw TArchiveFault("Не читается список файлов резервной копии"_w);
  f.reset();
  std::vector<TBackupFileRecord> records;
  if (!DecodeBackupFileList(bytes, records)) throw TArchiveFault("Испорчен список файлов резервной копии"_w);
  CheckRestoreSet(from, records);
  return ReplaceData(env, from, records);
}

}  // namespace

bool RestorableName(const std::string& folder, const std::string& name) {
  if (name.empty() || name.size() > kShortName || name == "." || name == ".." ||
      name.find_first_of("/\\:") != std::string::npos || IsTemporaryFileName(name))
    return false;
  for (const char c : name)
    if (static_cast<uint8_t>(c) < 32) return false;
  if (UpperStr(folder) == kArchiveFolder) return IsArchiveFileName(name, ".CAF") || IsArchiveFileName(name, ".BH");
  if (!folder.empty()) return false;
  const std::string upper = UpperStr(name);
  // A file put in place of one of the program's own folders would swap the
  // folder away, and its backup could never be removed.
  for (const char* own : {"ARCHIVE", "WORK", "RESERV", kPartReservFolder, kNewReservFolder, kOldReservFolder})
    if (upper == own) return false;
  return upper != UpperStr(kCommitJournalName) && upper != UpperStr(kPendingMediaSetName) && upper != "LOCK.LCK" &&
         upper.find(".$BK") == std::string::npos &&
         upper.find(".$NW") == std::string::npos;
}

bool MakeBackup(const TBackupEnv& env) {
  if (env.Packer) env.Packer->ProgressCounter = 0;
  if (!OwnFoldersSound(env.Dir, kOwnFolders)) return false;
  SettleSwap(env);
  if (!CheckDirExists(env.WorkDir(), true) || !CheckDirExists(env.ArchiveDir(), true) ||
      !CheckDirExists(env.ReservDir(), true))
    return false;
  ClearWork(env);
  if (Ui().MsgBox("Создать резервную копию данных с удалением предыдущей копии ?"_w, "Подтвердите копирование"_w,
                  kMbYesNoQuestion) != kIdYes)
    return false;
  std::string fault;
  const bool ok = env.Packer && Guarded(BackupCaption(), fault, [&] { return MakeBackupSteps(env); });
  Ui().HideProgressMessage();
  // New volumes not swapped in go; should the swap have failed half-way,
  // the previous ones come back.
  if (!ok) {
    DeleteDirTree(NewReserv(env));
    SettleSwap(env);
  }
  Ui().MsgBox(ok ? "Создание резервной копии данных успешно завершено"_w
                 : WithFault("Создание резервной копии данных не было завершено из-за возникших ошибок"_w, fault),
              BackupCaption(), kMbInformation);
  ClearWork(env);
  return ok;
}

bool RestoreBackup(const TBackupEnv& env) {
  if (!OwnFoldersSound(env.Dir, kOwnFolders) || !OwnFoldersSound(env.DataDir, {"ARCHIVE"})) return false;
  SettleSwap(env);
  if (!CheckDirExists(env.ReservDir(), true) || !CheckDirExists(env.WorkDir(), true)) return false;
  if (env.CloseTables) env.CloseTables();
  ClearWork(env);
  TVolumeSet set;
  if (!AskVolumeSet("Файлы резервных копий (Reserv.000)|Reserv.000"_w, env.ReservDir(), "Reserv.000",
                    "Резевная копия данных не найдена"_w, set))
    return false;
  if (env.Packer) env.Packer->ProgressCounter = 0;
  const std::string when = DateRecToLongStr(set.Date);
  const std::string at = TimeRecToStr(set.Time, true, false);
  if (Ui().MsgBox("Восстановить данные с резервной копии,\rпо программе '"_w + set.Description + "'\rсозданной "_w +
                      when + " в "_w + at + " ?",
                  "Подтвердите восстановление"_w, kMbYesNoQuestion) != kIdYes ||
      Ui().MsgBox("После восстановления все изменения в данных, сделанные после "_w + when + " " + at +
                      " будут утеряны ! Вы желаете начать восстановление ?"_w,
                  "Внимание"_w, kMbYesNoWarning) != kIdYes)
    return false;
  std::string source;
  if (!CopyFromDiskettes(set.Folder, kBackupName, set.LastVolume, env.WorkDir(), source)) {
    Ui().HideProgressMessage();
    Ui().MsgBox("Восстановление данных отменено пользователем"_w, RestoreCaption(), kMbInformation);
    return false;
  }
  std::string fault;
  const bool ok = env.Packer && Guarded(RestoreCaption(), fault, [&] { return RestoreSteps(env, source); });
  ClearWork(env);
  Ui().HideProgressMessage();
  Ui().MsgBox(ok ? "Восстановление данных успешно завершено"_w
                 : WithFault("Восстановление данных не было завершено из-за возникших ошибок"_w, fault),
              RestoreCaption(), kMbInformation);
  Ui().MsgBox("Перезапустите программу"_w, RestoreCaption(), kMbInformation);
  if (env.Exit) env.Exit(1);
  return ok;
}

}  // namespace vm
