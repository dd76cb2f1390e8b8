#include "config/data_dir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "foundation/files/fileutils.h"
#include "config/errorlog.h"
#include "config/settings.h"
#include "config/settings_syntax.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/pending_renames.h"
#include "foundation/text/strutils.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {
std::string gDataDir;
constexpr const char* kLockName = "lock.lck";
}  // namespace

const std::string& DataDir() { return gDataDir; }

void SetDataDir(std::string dir) { gDataDir = std::move(dir); }

namespace {

struct Paths {
  std::string programDir;
  std::string basePath;
  bool localBases = true;
  std::vector<std::string> params;  // Windows-1251
  std::unique_ptr<File> lock;
};

Paths& P() {
  static Paths p;
  return p;
}

// The class library's ini reading: sections and keys in any letter case,
// values trimmed, one pair of enclosing quotes dropped. Unlike the
// settings files "basepath.ini" is read through a link: an administrator
// may point several program directories at one, and one not read would
// put the data in the program directory without a word.
bool ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                  std::string& value) {
  std::string text;
  if (!ReadWholeFile(path, text)) return false;
  const std::vector<std::string> lines = SplitTextLines(text);
  const std::string wantSection = UpperStr(std::string(section));
  const std::string wantKey = UpperStr(std::string(key));
  bool inSection = false;
  for (const std::string& raw : lines) {
    const std::string line = TrimBlanks(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      inSection = close != std::string::npos &&
                  UpperStr(TrimBlanks(line.substr(1, close - 1))) == wantSection;
      continue;
    }
    if (!inSection) continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos || UpperStr(TrimBlanks(line.substr(0, eq))) != wantKey) continue;
    value = TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return true;
  }
  return false;
}

}  // namespace

const std::string& ProgramDirectory() {
  if (P().programDir.empty()) InitProgramDirectory();
  return P().programDir;
}

void InitProgramDirectory() {
  std::string dir;
  if (const char* home = std::getenv("VELOMAR_HOME"); home && *home) {
    dir = home;
  } else {
    std::error_code ec;
    dir = std::filesystem::current_path(ec).string();
  }
  P().programDir = Utf8ToCp1251(dir);
  AddBackslash(P().programDir);
  SetDataDir(P().programDir);
}

std::string& BasePath() { return P().basePath; }
bool& LocalBases() { return P().localBases; }

std::string BasePathIniName() { return ProgramDirectory() + "basepath.ini"; }
std::string ProgramIniName() { return DataDir() + "program.ini"; }
std::string ManagerIniName() { return DataDir() + "manager.ini"; }
std::string LocalIniName() { return ProgramDirectory() + "local.ini"; }

void SetCommandLine(int argc, const char* const* argv) {
  P().params.clear();
  for (int i = 1; i < argc; ++i) P().params.push_back(Utf8ToCp1251(argv[i]));
}

int ParamCount() { return static_cast<int>(P().params.size()); }

void ParamStrNoSlash(int i, std::string& s) {
  s.clear();
  if (i < 1 || i > ParamCount()) return;
  s = UpperStr(P().params[static_cast<std::size_t>(i - 1)]);
  if (!s.empty() && s.front() == '/') s.erase(0, 1);
}

bool HasSwitch(const std::string& name) {
  const std::string want = UpperStr(TrimBlanks(name));
  std::string p;
  for (int i = 1; i <= ParamCount(); ++i) {
    ParamStrNoSlash(i, p);
    if (p == want) return true;
  }
  return false;
}

void ReadBasePathIni() {
  std::string value;
  P().basePath = ReadIniValue(BasePathIniName(), "Settings", "BasePath", value) ? value : "";
  P().localBases = ReadIniValue(BasePathIniName(), "Settings", "LocalBases", value)
                       ? SettingTextToBool(value)
                       : true;
}

void WriteBasePathIni() {
  TSettingsWriter w;
  w.Line("[Settings]");
  w.Line("BasePath=" + P().basePath);
  w.Line("LocalBases=" + BoolToSettingText(P().localBases));
  w.Commit(BasePathIniName(), 0);
}

void ChooseDataDirectory() {
  ReadBasePathIni();
  Paths& p = P();
  if (HasSwitch("L")) p.localBases = true;
  if (p.localBases || p.basePath.empty()) {
    p.basePath = ProgramDirectory();
    p.localBases = true;
    SetDataDir(p.basePath);
    return;
  }
  p.basePath = NativePath(p.basePath);
  AddBackslash(p.basePath);
  // A relative path is taken from the program directory, as "basepath.ini"
  // lies there: the current folder is wherever the program was started.
  // The file keeps it as written.
  const std::string dir = p.basePath.front() == '/' ? p.basePath : ProgramDirectory() + p.basePath;
  p.localBases = UpperStr(dir) == UpperStr(ProgramDirectory());
  SetDataDir(dir);
}

namespace {

// Longer names are refused by the system (its PATH_MAX and NAME_MAX, in
// the bytes of the names on disk).
constexpr std::size_t kPathBytesMax = 4095;
constexpr std::size_t kNameBytesMax = 255;

bool NameTooLong(const std::string& path) {
  const std::string sys = Cp1251ToUtf8(path);
  if (sys.size() > kPathBytesMax) return true;
  std::size_t start = 0;
  for (std::size_t slash; (slash = sys.find('/', start)) != std::string::npos; start = slash + 1)
    if (slash - start > kNameBytesMax) return true;
  return sys.size() - start > kNameBytesMax;
}

// Why the lock cannot be made in dir when nobody holds it.
std::string WhyFolderUnusable(const std::string& dir, FileError error) {
  FileSystem& fs = Files();
  const std::string folder = ExcludeTrailingSlash(dir);
  if (NameTooLong(dir + kLockName))
    return "слишком длинное имя ("_w + std::to_string(folder.size()) + " символов)"_w;
  if (!fs.Exists(folder)) return "папки нет"_w;
  if (!fs.IsDirectory(folder)) return "это не папка"_w;
  if (error == FileError::Denied) return "нет права записи в папку"_w;
  return "не удается создать в ней файл "_w + kLockName;
}

// The folder as a message can show it.
std::string ShownFolder(const std::string& dir) {
  constexpr std::size_t kShown = 80;
  const std::string folder = ExcludeTrailingSlash(dir);
  return folder.size() <= kShown ? folder : folder.substr(0, kShown) + "...";
}

}  // namespace

bool TryLockBases(std::string* why) {
  if (why != nullptr) why->clear();
  // A create open is exclusive: no other process, and no second open in this
  // one, can hold the file at the same time; a process that dies lets go.
  FileError error = FileError::None;
  if (auto f = Files().Open(DataDir() + kLockName, FileMode::Create, &error)) {
    P().lock = std::move(f);
    return true;
  }
  if (why != nullptr && error != FileError::Busy)
    *why = "Папка данных "_w + ShownFolder(DataDir()) + ": " + WhyFolderUnusable(DataDir(), error);
  return false;
}

bool LockBasesWithin(std::chrono::milliseconds wait, std::string* why) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!TryLockBases(why)) {
    if ((why != nullptr && !why->empty()) || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool LockBases() {
  std::string why;
  if (TryLockBases(&why)) return true;
  // A folder nobody can use is told apart from one another process is
  // working on: waiting would not help there.
  Ui().MsgBox("Базы заблокированы! Повторите попытку позже!"_w + (why.empty() ? "" : "\r" + why),
              "Не могу открыть базы"_w, kMbWarning);
  return false;
}

bool UnlockBases() {
  P().lock.reset();
  return true;
}

bool BasesLocked() { return P().lock != nullptr; }

bool ConfirmWorkingDate(bool systemClock, const TDateRec& lastDate) {
  if (!systemClock) return true;
  const TDateRec today = GetTodayRec();
  if (CompareDateRec(today, lastDate) != 0 && DaysBetweenApprox(today, lastDate) <= 7) return true;
  const std::string text = "Проверьте правильность сегодняшней даты!"_w + "\r" + "Сегодня "_w +
                           DateRecToLongStr(today) + " Дата верна?"_w;
  return Ui().MsgBox(text, "Внимание"_w, kMbYesNoQuestion) == kIdYes;
}

bool LoadSettingsChecked() {
  std::vector<std::string> unread;
  const bool loaded = LoadAllSettings(&unread);
  if (!loaded) {
    // An administrator setting up a folder needs to know which file to
    // bring, and the log keeps it for whoever comes after.
    std::string text = "Ошибка при чтении файлов настроек"_w;
    for (const std::string& name : unread) {
      // A link is never read: the administrator puts the file itself there.
      const std::string why = Files().IsSymlink(name) ? "ссылка вместо файла "_w
                              : Files().Exists(name)  ? "не читается файл "_w
                                                      : "нет файла "_w;
      LogError("Ошибка при чтении файлов настроек: "_w + why + name);
      text += "\r" + UpperStr(why.substr(0, 1)) + why.substr(1) + name;
    }
    // The title the configuration gives is applied only after the load.
    Ui().MsgBox(text, "Веломар"_w, kMbError);
  }
  const TSettingsModel& m = Settings();
  if (!ConfirmWorkingDate(m.SystemClock, m.LastDate)) return false;
  return loaded;
}

namespace {

// The folders whose files the program writes: the program directory and,
// apart from it, the data directory.
std::vector<std::string> OwnDirectories() {
  std::vector<std::string> dirs = {ProgramDirectory()};
  if (!SameFileName(DataDir(), ProgramDirectory())) dirs.push_back(DataDir());
  return dirs;
}

}  // namespace

bool RecoverCommitAtStartUp() {
  // The documents commit in the data directory, the archive commands in the
  // program directory; a commit of a deleted period's volumes decides
  // whether they take their names, before anything sweeps temporaries.
  for (const std::string& dir : OwnDirectories()) {
    std::vector<std::string> messages;
    const TRecoveryResult r = RecoverInterruptedCommit(dir, messages);
    for (const std::string& m : messages) LogError(m);
    if (r != TRecoveryResult::Failed) continue;
    Ui().MsgBox(messages.empty() ? std::string()
                                 : messages.front() + ". Исправте ошибку и перезапустите программу"_w,
                Ui().AppTitle(), kMbError);
    return false;
  }
  return true;
}

namespace {

// dir and every folder below it, never through a link: what a link points
// at belongs elsewhere.
void AddFolderTree(const std::string& dir, std::vector<std::string>& dirs) {
  dirs.push_back(dir);
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(dir, entries)) return;
  for (const DirEntry& e : entries)
    if (e.IsDir && !Files().IsSymlink(dir + e.Name)) AddFolderTree(dir + e.Name + "/", dirs);
}

}  // namespace

std::vector<std::string> SettleReservSwap(const std::string& dir) {
  FileSystem& fs = Files();
  const std::string reserv = dir + "RESERV", part = dir + kPartReservFolder, fresh = dir + kNewReservFolder,
                    old = dir + kOldReservFolder;
  std::vector<std::string> done;
  // A link at one of the swap's names is none of ours, whether or not
  // "RESERV" stands: it goes alone, whatever it points at, and is never
  // taken for volumes. Left there, it would stop the next backup's swap.
  for (const std::string& path : {part, fresh, old})
    if (fs.IsSymlink(path) && fs.Remove(path)) done.push_back("Удалена ссылка на месте папки томов "_w + path);
  const auto there = [&](const std::string& path) { return fs.IsSymlink(path) || fs.IsDirectory(path); };
  const auto real = [&](const std::string& path) { return !fs.IsSymlink(path) && fs.IsDirectory(path); };
  const auto drop = [&](const std::string& path) {
    if (there(path) && DeleteDirTree(path)) done.push_back("Удалены тома прерванного резервного копирования "_w + path);
  };
  drop(part);
  if (!there(reserv)) {
    if (real(fresh) && fs.Rename(fresh, reserv))
      done.push_back("Тома прерванного резервного копирования поставлены на место "_w + reserv);
    else if (real(old) && fs.Rename(old, reserv))
      done.push_back("Возвращены тома прежней резервной копии "_w + reserv);
    fs.SyncDirectory(dir);
  }
  if (!real(reserv)) return done;
  drop(fresh);
  if (there(old)) DeleteDirTree(old);
  return done;
}

void RemoveLeftoverFiles() {
  // First, as a deleted period's volumes may wait under temporary names in
  // any folder the user chose for them, one of these included; those of a
  // record that still waits may be the period's only copy, and stay.
  const std::string record = ProgramDirectory() + kPendingMediaSetName;
  std::vector<std::string> done;
  SettlePendingRenames(record, done);
  for (const std::string& m : done) LogError(m);
  const auto kept = PendingTemporaries(record);
  std::vector<std::string> dirs = OwnDirectories();
  // A link planted at the work folder's name is no folder of ours. Its
  // subfolders hold work files too: a restore unpacks into "WORK/FILES".
  const std::string work = ProgramDirectory() + "WORK";
  if (!Files().IsSymlink(work)) AddFolderTree(work + "/", dirs);
  for (const std::string& dir : dirs)
    for (const std::string& name : RemoveLeftoverTemporaries(dir, kept))
      LogError("Удалён временный файл прерванной записи "_w + dir + name);
  for (const std::string& m : SettleReservSwap(ProgramDirectory())) LogError(m);
}

int OpenDataAtStartUp() {
  ChooseDataDirectory();
  if (!LockBases()) return 1;
  // The lock proves that no other process is writing the data. A commit
  // that died half-way may have moved "program.ini" or "manager.ini" aside:
  // it is settled before anything reads them, or no start would ever get
  // past the settings again.
  if (RecoverCommitAtStartUp()) {
    RemoveLeftoverFiles();
    if (LoadSettingsChecked()) return 0;
  }
  UnlockBases();
  return 1;
}

}  // namespace vm
