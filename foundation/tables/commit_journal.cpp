#include "foundation/tables/commit_journal.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

#include "foundation/files/fileutils.h"
#include "foundation/text/hex_text.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr const char* kMagic = "VELOMAR COMMIT 1";
// A table's tail beyond its records is normally its one end mark; more than
// this is not a table the commit should touch.
constexpr int64_t kMaxTail = 4096;

std::string BackupName(const std::string& name) { return name + ".$BK"; }
std::string NewName(const std::string& name) { return name + ".$NW"; }

uint32_t Checksum(std::string_view text) {
  uint32_t h = 2166136261u;
  for (const char c : text) {
    h ^= static_cast<uint8_t>(c);
    h *= 16777619u;
  }
  return h;
}

std::string HexOf(const std::string& bytes) { return BytesToHexStr(bytes.data(), bytes.size()); }

bool BytesOfHex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.assign(hex.size() / 2, '\0');
  return HexStrToBytes(hex, bytes.data(), bytes.size()) == bytes.size();
}

bool ParseInt64(const std::string& s, int64_t& v) {
  if (s.empty() || s.size() > 18) return false;
  v = 0;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

std::string Serialize(const std::vector<TCommitJournal::Entry>& entries, bool done) {
  std::string text = std::string(kMagic) + "\n" + (done ? "DONE" : "OPEN") + "\n";
  for (const auto& e : entries) {
    if (e.Remove) {
      text += "D\t" + e.Name + "\n";
    } else if (e.Append) {
      text += "A\t" + e.Name + "\t" + std::to_string(e.OldSize) + "\t" + HexOf(e.OldHeader) + "\t" +
              std::to_string(e.TailPos) + "\t" + HexOf(e.OldTail) + "\n";
    } else {
      text += "R\t" + e.Name + "\t" + (e.OldSize >= 0 ? "1" : "0") + "\n";
    }
  }
  return text + "SUM\t" + std::to_string(Checksum(text)) + "\n";
}

// A name the journal may act on: a file in the folder or in a direct
// subfolder, never a way out of it.
bool PlainEntryName(const std::string& name) {
  const StringList parts = SplitByStr(name, "/");
  if (parts.empty() || parts.size() > 2) return false;
  for (const std::string& p : parts)
    if (p.empty() || p == "." || p == ".." || p.find('\\') != std::string::npos) return false;
  return true;
}

bool ParseEntry(const StringList& f, TCommitJournal::Entry& e) {
  if (f.size() < 2 || !PlainEntryName(f[1])) return false;
  if (f.size() == 2 && f[0] == "D") {
    e.Remove = true;
    e.Name = f[1];
    e.OldSize = 0;
    return true;
  }
  if (f.size() == 3 && f[0] == "R") {
    e.Name = f[1];
    e.OldSize = f[2] == "1" ? 0 : -1;
    return f[2] == "0" || f[2] == "1";
  }
  if (f.size() != 6 || f[0] != "A") return false;
  e.Append = true;
  e.Name = f[1];
  return ParseInt64(f[2], e.OldSize) && BytesOfHex(f[3], e.OldHeader) && e.OldHeader.size() == 32 &&
         ParseInt64(f[4], e.TailPos) && BytesOfHex(f[5], e.OldTail);
}

bool Parse(const std::string& text, std::vector<TCommitJournal::Entry>& entries, bool& done) {
  const auto sumAt = text.rfind("SUM\t");
  if (sumAt == std::string::npos || text.back() != '\n') return false;
  int64_t sum = 0;
  if (!ParseInt64(text.substr(sumAt + 4, text.size() - sumAt - 5), sum) ||
      static_cast<uint32_t>(sum) != Checksum(std::string_view(text).substr(0, sumAt)))
    return false;
  const StringList lines = SplitByStr(text.substr(0, sumAt), "\n");
  if (lines.size() < 2 || lines[0] != kMagic || (lines[1] != "OPEN" && lines[1] != "DONE"))
    return false;
  done = lines[1] == "DONE";
  for (std::size_t i = 2; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    TCommitJournal::Entry e;
    if (!ParseEntry(SplitByStr(lines[i], "\t"), e)) return false;
    entries.push_back(std::move(e));
  }
  return true;
}

// Removes a file when it is there; false only when one stays.
bool RemoveIfThere(const std::string& path) {
  return !Files().Exists(path) || Files().Remove(path);
}

// One table back to what it was before the commit, whatever step the commit
// reached. Each step can be repeated, so a recovery that dies itself is
// simply run again.
bool RestoreEntry(const std::string& dir, const TCommitJournal::Entry& e) {
  const std::string target = dir + e.Name;
  if (e.Remove) {
    const std::string backup = dir + BackupName(e.Name);
    return !Files().Exists(backup) || Files().Rename(backup, target);
  }
  if (e.Append) {
    auto f = Files().Open(target, FileMode::ReadWrite);
    if (!f) return false;
    bool ok = f->Truncate(e.OldSize) && f->WriteAt(0, e.OldHeader.data(), e.OldHeader.size());
    if (ok && !e.OldTail.empty()) ok = f->WriteAt(e.TailPos, e.OldTail.data(), e.OldTail.size());
    return ok && f->Sync();
  }
  const std::string backup = dir + BackupName(e.Name);
  bool ok = true;
  if (e.OldSize >= 0) {
    if (Files().Exists(backup)) ok = Files().Rename(backup, target);
  } else if (!Files().Exists(dir + NewName(e.Name))) {
    // A table that is new to the folder: it was renamed in.
    ok = RemoveIfThere(target);
  }
  return RemoveIfThere(dir + NewName(e.Name)) && ok;
}

// After the mark: only the backups are left to go.
bool CompleteEntry(const std::string& dir, const TCommitJournal::Entry& e) {
  if (e.Append) return true;
  if (e.Remove) return RemoveIfThere(dir + BackupName(e.Name));
  return RemoveIfThere(dir + BackupName(e.Name)) && RemoveIfThere(dir + NewName(e.Name));
}

// What commits put in place: the tables, the settings files with their
// copies and the archive list in the folder, the archive files in a
// subfolder. A name ending as the commit's own files do, beside anything
// else, is somebody else's file.
bool CommitsTarget(std::string_view name, bool inSubfolder) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string ext = UpperStr(name.substr(dot));
  // The settings files' numbered copies change with them.
  const bool settingsCopy = ext.size() == 4 && ext.starts_with(".IN") && ext[3] >= '1' && ext[3] <= '9';
  if (!inSubfolder) return ext == ".DBF" || ext == ".INI" || ext == ".ALF" || settingsCopy;
  const std::string_view number = name.substr(0, dot);
  return (ext == ".BH" || ext == ".CAF") && number.size() == 8 &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What a commit leaves beside its targets when no journal speaks for it:
// new files written before the journal was (a commit that died before it
// began) and backups still there after it was removed (one that died as it
// tidied up). Nothing to recover; they go.
void SweepLeftovers(const std::string& dir, bool subfolders = true) {
  std::vector<DirEntry> entries;
  if (!Files().ListDirectory(dir, entries)) return;
  for (const DirEntry& e : entries) {
    const std::string_view name = e.Name;
    const std::string_view suffix = name.size() > 4 ? name.substr(name.size() - 4) : std::string_view();
    if (!e.IsDir && (suffix == ".$NW" || suffix == ".$BK") &&
        CommitsTarget(name.substr(0, name.size() - suffix.size()), !subfolders))
      Files().Remove(dir + e.Name);
    if (e.IsDir && subfolders && !Files().IsSymlink(dir + e.Name)) SweepLeftovers(dir + e.Name + "/", false);
  }
}

// The folder of an entry: dir or one of its direct subfolders.
std::string FolderOf(const std::string& dir, const TCommitJournal::Entry& e) {
  const auto slash = e.Name.find('/');
  return slash == std::string::npos ? dir : dir + e.Name.substr(0, slash + 1);
}

// Each folder in which entries rename or remove files, once: their names
// made durable. Appends change no names.
bool SyncFolders(const std::string& dir, const std::vector<TCommitJournal::Entry>& entries) {
  std::vector<std::string> folders;
  for (const auto& e : entries)
    if (!e.Append && std::find(folders.begin(), folders.end(), FolderOf(dir, e)) == folders.end())
      folders.push_back(FolderOf(dir, e));
  bool ok = true;
  for (const std::string& folder : folders) ok = Files().SyncDirectory(folder) && ok;
  return ok;
}

bool HasBackups(const std::vector<TCommitJournal::Entry>& entries) {
  return std::any_of(entries.begin(), entries.end(),
                     [](const TCommitJournal::Entry& e) { return e.Remove || (!e.Append && e.OldSize >= 0); });
}

std::string NameList(const std::vector<TCommitJournal::Entry>& entries) {
  std::string names;
  for (const auto& e : entries) names += (names.empty() ? "" : ", ") + e.Name;
  return names;
}

}  // namespace

TCommitJournal::TCommitJournal(std::string dir) : dir_(std::move(dir)) { AddBackslash(dir_); }

TCommitJournal::~TCommitJournal() {
  if (begun_) RollBack();
}

std::string TCommitJournal::PlanName(const std::string& target) const {
  if (begun_) return "";
  const std::string folder = GetFileDirPart(target);
  std::string name = GetFileNamePart(target);
  if (!SameFileName(folder, dir_)) {
    // A direct subfolder: the rest of the folder is one plain name.
    if (folder.size() <= dir_.size() || !SameFileName(folder.substr(0, dir_.size()), dir_)) return "";
    std::string sub = folder.substr(dir_.size());
    if (!sub.empty() && sub.back() == '/') sub.pop_back();
    name = sub + "/" + name;
  }
  if (!PlainEntryName(name)) return "";
  for (const Entry& other : entries_)
    if (SameFileName(other.Name, name)) return "";
  return name;
}

std::string TCommitJournal::NewFileFor(const std::string& target) {
  Entry e;
  e.Name = PlanName(target);
  if (e.Name.empty()) return "";
  e.OldSize = Files().Exists(target) ? 0 : -1;
  entries_.push_back(e);
  return dir_ + NewName(e.Name);
}

std::unique_ptr<File> TCommitJournal::MakeNewFile(const std::string& path) {
  Files().Remove(path);
  return Files().Open(path, FileMode::CreateNew);
}

bool TCommitJournal::PlanRemove(const std::string& target) {
  Entry e;
  e.Remove = true;
  e.Name = PlanName(target);
  if (e.Name.empty() || !Files().Exists(target)) return false;
  entries_.push_back(std::move(e));
  return true;
}

bool TCommitJournal::PlanAppend(const std::string& target) {
  Entry e;
  e.Append = true;
  e.Name = PlanName(target);
  if (e.Name.empty()) return false;
  auto f = Files().Open(target, FileMode::Read);
  if (!f) return Fail("Не открывается база "_w + e.Name);
  e.OldSize = f->Size();
  std::array<uint8_t, 32> h{};
  if (e.OldSize < 32 || f->ReadAt(0, h.data(), h.size()) != 32)
    return Fail("Испорчена база "_w + e.Name);
  e.OldHeader.assign(reinterpret_cast<const char*>(h.data()), h.size());
  const int64_t count = h[4] | (h[5] << 8) | (h[6] << 16) | (int64_t{h[7]} << 24);
  const int64_t dataEnd = (h[8] | (h[9] << 8)) + count * (h[10] | (h[11] << 8));
  e.TailPos = dataEnd < e.OldSize ? dataEnd : e.OldSize;
  if (e.OldSize - e.TailPos > kMaxTail) return Fail("Испорчена база "_w + e.Name);
  e.OldTail.assign(static_cast<std::size_t>(e.OldSize - e.TailPos), '\0');
  if (!e.OldTail.empty() && f->ReadAt(e.TailPos, e.OldTail.data(), e.OldTail.size()) !=
                                static_cast<int64_t>(e.OldTail.size()))
    return Fail("Испорчена база "_w + e.Name);
  entries_.push_back(std::move(e));
  return true;
}

bool TCommitJournal::Fail(std::string what) {
  failure_ = std::move(what);
  return false;
}

bool TCommitJournal::WriteJournal(bool done) {
  const std::string text = Serialize(entries_, done);
  // Whole or absent, and its name durable, before anything relies on it.
  return ReplaceFileWith(dir_ + kCommitJournalName, text);
}

bool TCommitJournal::Begin() {
  if (begun_) return false;
  // An interrupted commit not yet recovered owns the backups and the tables.
  if (Files().Exists(dir_ + kCommitJournalName))
    return Fail("Не завершена прежняя запись: "_w + dir_ + kCommitJournalName);
  // Several new files' writes are started first, so that they overlap;
  // then each is waited for: the journal may not name a file that is not
  // whole on disk.
  std::vector<std::pair<const Entry*, std::unique_ptr<File>>> written;
  std::vector<std::string> staleIn;
  for (const Entry& e : entries_) {
    if (e.Append) continue;
    const std::string backup = dir_ + BackupName(e.Name);
    if (Files().Exists(backup)) {
      if (!Files().Remove(backup)) return Fail("Не удаляется "_w + BackupName(e.Name));
      staleIn.push_back(FolderOf(dir_, e));
    }
    if (e.Remove) continue;
    // A table written over keeps its own permissions, not the umask's.
    if (e.OldSize >= 0) GiveModeOf(dir_ + e.Name, dir_ + NewName(e.Name));
    auto f = Files().Open(dir_ + NewName(e.Name), FileMode::Read);
    if (!f) return Fail("Не записана база "_w + e.Name);
    written.emplace_back(&e, std::move(f));
  }
  if (written.size() > 1)
    for (auto& [e, f] : written) f->StartSync();
  for (auto& [e, f] : written)
    if (!f->Sync()) return Fail("Не записана база "_w + e->Name);
  written.clear();
  // A stale backup that came back after a crash would be taken for this
  // commit's: its removal is made durable before the journal names it. In
  // the journal's own folder the journal's sync does that.
  bool ok = true;
  for (const std::string& folder : staleIn)
    if (folder != dir_) ok = Files().SyncDirectory(folder) && ok;
  // The journal whole and its name durable (one sync of it and one of the
  // folder, which also holds the new files' names) before any table changes.
  if (!ok || !WriteJournal(false)) {
    Files().Remove(dir_ + kCommitJournalName);
    return Fail("Не записывается журнал записи "_w + dir_ + kCommitJournalName);
  }
  begun_ = true;
  return true;
}

bool TCommitJournal::Replace() {
  if (!begun_ || replaced_) return false;
  for (const Entry& e : entries_) {
    if (e.Append) continue;
    const std::string target = dir_ + e.Name;
    const bool ok = (e.OldSize < 0 || Files().Rename(target, dir_ + BackupName(e.Name))) &&
                    (e.Remove || Files().Rename(dir_ + NewName(e.Name), target));
    if (!ok) {
      const std::string what = "Не удалось заменить базу "_w + e.Name;
      RollBack();
      return Fail(what);
    }
  }
  replaced_ = true;
  return true;
}

bool TCommitJournal::Finish() {
  if (!begun_) return false;
  // The appends are new data like the new files: on disk before the commit
  // stands.
  for (const Entry& e : entries_) {
    auto f = e.Append ? Files().Open(dir_ + e.Name, FileMode::ReadWrite) : nullptr;
    if (e.Append && (!f || !f->Sync())) {
      RollBack();
      return Fail("Не записана база "_w + e.Name);
    }
  }
  // The renames durable, once per folder, before the journal goes.
  if (!SyncFolders(dir_, entries_)) {
    RollBack();
    return Fail("Не записаны базы "_w + NameList(entries_));
  }
  // The commit stands once its journal is gone: without one nothing is
  // rolled back, and the backups left are mere leftovers. A journal that
  // will not go is marked done, so the next recovery completes the commit.
  const std::string journal = dir_ + kCommitJournalName;
  const bool removed = Files().Remove(journal);
  if (!removed && !WriteJournal(true)) {
    RollBack();
    return Fail("Не записывается журнал записи "_w + journal);
  }
  begun_ = false;
  // A file system need not keep unlinks in the order they were made: a
  // crash that kept a backup's removal and lost the journal's would bring
  // the journal back with only some of its backups, and the next start
  // would roll those tables back and keep the others new. So the journal's
  // removal is made durable before any backup goes; when it cannot be, the
  // backups stay for the next start, which clears them (no journal) or
  // rolls the whole commit back with them (the journal came back).
  if (removed && HasBackups(entries_) && !Files().SyncDirectory(dir_)) {
    entries_.clear();
    replaced_ = false;
    return true;
  }
  for (const Entry& e : entries_) CompleteEntry(dir_, e);
  entries_.clear();
  replaced_ = false;
  return true;
}

bool TCommitJournal::RollBack() {
  bool ok = true;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    // Before Begin no table has changed; a backup found then is not ours.
    if (begun_) {
      ok = RestoreEntry(dir_, *it) && ok;
    } else if (!it->Append && !it->Remove) {
      ok = RemoveIfThere(dir_ + NewName(it->Name)) && ok;
    }
  }
  // The tables' names back in place durably before the journal that
  // speaks for them goes, for the same reason as in Finish.
  SyncFolders(dir_, entries_);
  if (begun_ && ok) ok = Files().Remove(dir_ + kCommitJournalName);
  if (!ok) failure_ = "Не удалось вернуть базы к состоянию до записи: "_w + NameList(entries_);
  begun_ = false;
  replaced_ = false;
  entries_.clear();
  return ok;
}

TRecoveryResult RecoverInterruptedCommit(const std::string& folder,
                                         std::vector<std::string>& messages) {
  std::string dir = folder;
  AddBackslash(dir);
  const std::string journal = dir + kCommitJournalName;
  if (!Files().Exists(journal)) {
    SweepLeftovers(dir);
    return TRecoveryResult::None;
  }

  std::string text;
  std::vector<TCommitJournal::Entry> entries;
  bool done = false;
  if (!ReadWholeFile(journal, text, int64_t{1} << 24) || !Parse(text, entries, done)) {
    messages.push_back("Журнал прерванной записи "_w + journal +
                       " не читается; базы не восстановлены"_w);
    return TRecoveryResult::Failed;
  }
  bool ok = true;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    ok = (done ? CompleteEntry(dir, *it) : RestoreEntry(dir, *it)) && ok;
  // What was put back or cleared is durable before the journal goes: a
  // crash that kept its removal and lost a table's rename back would leave
  // that table new and the others old.
  SyncFolders(dir, entries);
  if (ok) ok = Files().Remove(journal);
  const std::string names = NameList(entries);
  if (!ok) {
    messages.push_back("Прерванная запись не восстановлена, базы: "_w + names);
    return TRecoveryResult::Failed;
  }
  if (done) {
    messages.push_back("Прерванная запись завершена, базы в состоянии после записи: "_w + names);
    return TRecoveryResult::Completed;
  }
  messages.push_back("Прерванная запись отменена, базы в состоянии до записи: "_w + names);
  return TRecoveryResult::RolledBack;
}

}  // namespace vm
