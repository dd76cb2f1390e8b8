#include "foundation/tables/commit_journal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "foundation/tables/dbf.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/random_kills.h"
#include "support/temp_dir.h"

using namespace vm;
using vm::test::ReadBytes;
using vm::test::TempDir;

namespace {

// Two tables that grow in place (A, B), one written anew (C) and one new to
// the folder (D): every kind of change a commit makes.
constexpr int kBefore = 3;

void AppendRows(TDBF& t, const std::string& tag, int from, int count) {
  for (int i = 0; i < count; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, from + i);
    t.SetFieldStr(1, tag + std::to_string(from + i));
    ASSERT_TRUE(t.WriteRecord());
  }
}

void MakeTable(const std::string& path, const std::string& tag, int count) {
  TDBF t;
  t.FileName = path;
  ASSERT_TRUE(t.CreateTable());
  ASSERT_TRUE(t.AddFieldEx("NO__", 10, 'N', 0));
  ASSERT_TRUE(t.AddFieldEx("NAME", 20, 'C', 0));
  ASSERT_TRUE(t.WriteStructure());
  AppendRows(t, tag, 1, count);
  ASSERT_TRUE(t.Close());
}

void MakeBefore(const std::string& dir) {
  MakeTable(dir + "A.DBF", "a", kBefore);
  MakeTable(dir + "B.DBF", "b", kBefore);
  MakeTable(dir + "C.DBF", "old", kBefore);
}

bool AppendTo(const std::string& path, const std::string& tag, int count) {
  TDBF t;
  t.FileName = path;
  if (!t.Open()) return false;
  AppendRows(t, tag, t.RecCount() + 1, count);
  return t.Close();
}

// The whole commit as the document run makes it; false at the first step
// that fails (the journal then rolls back).
bool Commit(const std::string& dir, int rows) {
  TCommitJournal j(dir);
  const std::string newC = j.NewFileFor(dir + "C.DBF");
  const std::string newD = j.NewFileFor(dir + "D.DBF");
  if (newC.empty() || newD.empty() || !j.PlanAppend(dir + "A.DBF") || !j.PlanAppend(dir + "B.DBF"))
    return false;
  MakeTable(newC, "new", rows);
  MakeTable(newD, "d", rows);
  return j.Begin() && AppendTo(dir + "A.DBF", "a", rows) && AppendTo(dir + "B.DBF", "b", rows) &&
         j.Replace() && j.Finish();
}

// The names in a table, or {"damaged"} when it does not read whole.
std::vector<std::string> Rows(const std::string& path) {
  if (!std::filesystem::exists(path)) return {"missing"};
  TDBF t;
  t.FileName = path;
  if (!t.OpenReadOnly()) return {"damaged"};
  std::vector<std::string> names;
  for (int32_t i = 1; i <= t.RecCount(); ++i) {
    t.GoToRecord(i);
    if (t.ReadRecord() != 0) return {"damaged"};
    names.push_back(t.GetFieldStr(1));
  }
  const int64_t size = t.GetFileSize();
  const int64_t expected = t.HeaderSize() + int64_t{t.RecCount()} * t.RecordSize() + 1;
  t.Close();
  if (size != expected) return {"damaged"};
  return names;
}

std::vector<std::string> Expected(const std::string& tag, int from, int count) {
  std::vector<std::string> v;
  for (int i = 0; i < count; ++i) v.push_back(tag + std::to_string(from + i));
  return v;
}

enum class State { Before, After, Mixed };

State StateOf(const std::string& dir, int rows) {
  const auto a = Rows(dir + "A.DBF"), b = Rows(dir + "B.DBF"), c = Rows(dir + "C.DBF");
  const auto d = Rows(dir + "D.DBF");
  if (a == Expected("a", 1, kBefore) && b == Expected("b", 1, kBefore) &&
      c == Expected("old", 1, kBefore) && d == std::vector<std::string>{"missing"})
    return State::Before;
  if (a == Expected("a", 1, kBefore + rows) && b == Expected("b", 1, kBefore + rows) &&
      c == Expected("new", 1, rows) && d == Expected("d", 1, rows))
    return State::After;
  return State::Mixed;
}

// Nothing of the commit's own files may stay behind.
std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    // The table writer's own temporaries are cleared at start-up by the file layer.
    if (name.ends_with(".new") || name.ends_with("~")) continue;
    if (name != "A.DBF" && name != "B.DBF" && name != "C.DBF" && name != "D.DBF")
      left.push_back(name);
  }
  return left;
}

class CommitJournalTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeBefore(dir.Dir()); }
  // The bytes of A, B and C.
  std::vector<std::string> Snapshot() {
    return {ReadBytes(dir / "A.DBF"), ReadBytes(dir / "B.DBF"), ReadBytes(dir / "C.DBF")};
  }

  TempDir dir;
};

}  // namespace

TEST_F(CommitJournalTest, FinishedCommitLeavesEveryTableAfterAndNoTrace) {
  ASSERT_TRUE(Commit(dir.Dir(), 5));
  EXPECT_EQ(StateOf(dir.Dir(), 5), State::After);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
  EXPECT_TRUE(messages.empty());
}

// A table written anew keeps the permissions the old one had, whatever the
// umask gives a new file; a table new to the folder takes the umask's.
TEST_F(CommitJournalTest, ATableWrittenAnewKeepsItsOwnPermissions) {
  namespace fs = std::filesystem;
  const fs::perms own = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(dir / "C.DBF", own);
  const mode_t mask = umask(022);
  const bool committed = Commit(dir.Dir(), 2);
  umask(mask);
  ASSERT_TRUE(committed);
  EXPECT_EQ(Rows(dir / "C.DBF"), Expected("new", 1, 2));
  EXPECT_EQ(fs::status(dir / "C.DBF").permissions(), own);
  EXPECT_EQ(fs::status(dir / "D.DBF").permissions() & fs::perms::others_read, fs::perms::others_read);
}

// What reaches the disk, in order: each file's sync, each folder's, each
// rename and each removal.
class DiskOrder : public FileSystem {
 public:
  std::vector<std::string> Events;

  DiskOrder() { InstallFileSystem(this); }
  ~DiskOrder() override { InstallFileSystem(nullptr); }

  std::unique_ptr<File> Open(const std::string& path, FileMode mode, FileError* error) override {
    std::unique_ptr<File> real = FileSystem::Open(path, mode, error);
    if (!real) return real;
    return std::make_unique<Noted>(std::move(real), Events, path);
  }
  bool SyncDirectory(const std::string& dir) override {
    Events.push_back("folder " + dir);
    return FileSystem::SyncDirectory(dir);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    Events.push_back("rename " + from + " > " + to);
    return FileSystem::Rename(from, to);
  }
  bool Remove(const std::string& path) override {
    Events.push_back("remove " + path);
    return FileSystem::Remove(path);
  }

  // The first and the last event that begins with what, -1 for none.
  int First(const std::string& what) const {
    for (std::size_t i = 0; i < Events.size(); ++i)
      if (Events[i].starts_with(what)) return static_cast<int>(i);
    return -1;
  }
  int Last(const std::string& what) const {
    for (std::size_t i = Events.size(); i-- > 0;)
      if (Events[i].starts_with(what)) return static_cast<int>(i);
    return -1;
  }
  // Whether some event between the two positions begins with what.
  bool Between(int after, int before, const std::string& what) const {
    for (int i = after + 1; i < before; ++i)
      if (Events[static_cast<std::size_t>(i)].starts_with(what)) return true;
    return false;
  }

 private:
  class Noted : public File {
   public:
    Noted(std::unique_ptr<File> real, std::vector<std::string>& events, std::string path)
        : real_(std::move(real)), events_(events), path_(std::move(path)) {}
    int64_t ReadAt(int64_t pos, void* buf, std::size_t n) override { return real_->ReadAt(pos, buf, n); }
    bool WriteAt(int64_t pos, const void* buf, std::size_t n) override { return real_->WriteAt(pos, buf, n); }
    int64_t Size() override { return real_->Size(); }
    bool Truncate(int64_t size) override { return real_->Truncate(size); }
    bool Sync() override {
      events_.push_back("sync " + path_);
      return real_->Sync();
    }

   private:
    std::unique_ptr<File> real_;
    std::vector<std::string>& events_;
    std::string path_;
  };
};

// What a crash of the system at any moment needs of a commit, whatever
// else it syncs: the journal whole before its name is in place, and its
// name durable before any table is renamed; the new table and the appended
// rows, and the renames, durable before the journal goes, since without
// the journal the commit stands; and the old tables' backups removed only
// once the journal's removal is durable.
TEST_F(CommitJournalTest, ACommitPutsOnTheDiskWhatACrashNeedsBeforeItReliesOnIt) {
  DiskOrder disk;
  TCommitJournal j(dir.Dir());
  const std::string newC = j.NewFileFor(dir / "C.DBF");
  ASSERT_TRUE(j.PlanAppend(dir / "A.DBF"));
  {
    TDBF t;
    t.FileName = newC;
    ASSERT_TRUE(t.CreateTableIn(TCommitJournal::MakeNewFile(newC)));
    ASSERT_TRUE(t.AddFieldEx("NO__", 10, 'N', 0) && t.AddFieldEx("NAME", 20, 'C', 0) && t.WriteStructure());
    AppendRows(t, "new", 1, 3);
    ASSERT_TRUE(t.Close());
  }
  ASSERT_TRUE(j.Begin());
  const int appendedFrom = static_cast<int>(disk.Events.size());
  ASSERT_TRUE(AppendTo(dir / "A.DBF", "a", 2));
  ASSERT_TRUE(j.Replace() && j.Finish());
  const auto& events = disk.Events;
  const std::string journal = dir / kCommitJournalName;
  const std::string folder = "folder " + dir.Dir();

  const int placed = disk.First("rename " + journal);
  ASSERT_GE(placed, 0) << ::testing::PrintToString(events);
  const int placedName = static_cast<int>(events[static_cast<std::size_t>(placed)].find(" > ")) + 3;
  EXPECT_EQ(events[static_cast<std::size_t>(placed)].substr(static_cast<std::size_t>(placedName)), journal);
  EXPECT_TRUE(disk.Between(-1, placed, "sync " + journal)) << ::testing::PrintToString(events);
  const int firstTableRename = disk.First("rename " + (dir / "C.DBF"));
  ASSERT_GT(firstTableRename, placed) << ::testing::PrintToString(events);
  EXPECT_TRUE(disk.Between(placed, firstTableRename, folder)) << ::testing::PrintToString(events);

  const int journalGone = disk.Last("remove " + journal);
  const int lastTableRename = disk.Last("rename " + newC);
  ASSERT_GT(journalGone, lastTableRename) << ::testing::PrintToString(events);
  EXPECT_TRUE(disk.Between(-1, journalGone, "sync " + newC)) << ::testing::PrintToString(events);
  EXPECT_TRUE(disk.Between(appendedFrom - 1, journalGone, "sync " + (dir / "A.DBF")))
      << ::testing::PrintToString(events);
  EXPECT_TRUE(disk.Between(lastTableRename, journalGone, folder)) << ::testing::PrintToString(events);
  const int backupGone = disk.First("remove " + (dir / "C.DBF") + ".$BK");
  EXPECT_GT(backupGone, journalGone) << ::testing::PrintToString(events);
  // A removal the system kept while it lost the journal's would bring back
  // a journal with only some backups.
  EXPECT_TRUE(disk.Between(journalGone, backupGone, folder)) << ::testing::PrintToString(events);

  EXPECT_EQ(Rows(dir / "C.DBF"), Expected("new", 1, 3));
  EXPECT_EQ(Rows(dir / "A.DBF"), Expected("a", 1, kBefore + 2));
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
}

TEST_F(CommitJournalTest, RollBackAfterEveryChangeRestoresTheTablesByteForByte) {
  const std::vector<std::string> before = Snapshot();
  {
    TCommitJournal j(dir.Dir());
    const std::string newC = j.NewFileFor(dir / "C.DBF");
    const std::string newD = j.NewFileFor(dir / "D.DBF");
    ASSERT_TRUE(j.PlanAppend(dir / "A.DBF"));
    // Planned twice, or outside the folder: refused.
    EXPECT_FALSE(j.PlanAppend(dir / "A.DBF"));
    EXPECT_EQ(j.NewFileFor(dir / "C.DBF"), "");
    EXPECT_EQ(j.NewFileFor("/elsewhere/E.DBF"), "");
    MakeTable(newC, "new", 4);
    MakeTable(newD, "d", 4);
    ASSERT_TRUE(j.Begin());
    EXPECT_TRUE(std::filesystem::exists(dir / kCommitJournalName));
    ASSERT_TRUE(AppendTo(dir / "A.DBF", "a", 4));
    ASSERT_TRUE(j.Replace());
    EXPECT_TRUE(j.RollBack());
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(std::filesystem::exists(dir / "D.DBF"));
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
}

TEST_F(CommitJournalTest, AFailedRenameRollsTheWholeCommitBack) {
  const std::vector<std::string> before = Snapshot();
  vm::test::FaultyFileSystem fs;
  TCommitJournal j(dir.Dir());
  const std::string newC = j.NewFileFor(dir / "C.DBF");
  ASSERT_TRUE(j.PlanAppend(dir / "A.DBF"));
  ASSERT_TRUE(j.PlanAppend(dir / "B.DBF"));
  MakeTable(newC, "new", 4);
  ASSERT_TRUE(j.Begin());
  ASSERT_TRUE(AppendTo(dir / "A.DBF", "a", 4));
  ASSERT_TRUE(AppendTo(dir / "B.DBF", "b", 4));
  fs.FailRename = true;
  EXPECT_FALSE(j.Replace());
  EXPECT_FALSE(j.Failure().empty());
  fs.FailRename = false;
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
}

// Dies, as a killed process does, when the commit removes its first backup:
// the commit stands by then. With KeepJournal the journal will not go
// before that, so the commit has marked it done instead.
class DieOnBackupRemoval : public FileSystem {
 public:
  bool KeepJournal = false;
  bool Remove(const std::string& path) override {
    if (path.ends_with(".$BK")) _exit(0);
    if (KeepJournal && path.ends_with(kCommitJournalName)) return false;
    return FileSystem::Remove(path);
  }
};

// Runs fn in a child process that ends without any clean-up of its own.
void InChild(const std::function<void()>& fn) {
  const pid_t pid = fork();
  if (pid == 0) {
    fn();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(CommitJournalTest, ACommitThatDiedIsRolledBackOrCompletedAtTheNextStart) {
  const std::vector<std::string> before = Snapshot();
  // Dead after its renames and appends, before the mark.
  InChild([&] {
    auto* j = new TCommitJournal(dir.Dir());
    MakeTable(j->NewFileFor(dir / "C.DBF"), "new", 2);
    MakeTable(j->NewFileFor(dir / "D.DBF"), "d", 2);
    if (!j->PlanAppend(dir / "A.DBF") || !j->PlanAppend(dir / "B.DBF") || !j->Begin()) _exit(1);
    if (!AppendTo(dir / "A.DBF", "a", 2) || !j->Replace()) _exit(1);
    _exit(0);
  });
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::RolledBack);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("D.DBF"), std::string::npos);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());

  // Dead as it tidies up, its journal gone: the commit stands, and the
  // backups it left go without a word.
  InChild([&] {
    DieOnBackupRemoval dying;
    InstallFileSystem(&dying);
    Commit(dir.Dir(), 2);
    _exit(1);
  });
  EXPECT_FALSE(Leftovers(dir.Dir()).empty());
  messages.clear();
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(StateOf(dir.Dir(), 2), State::After);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());

  // Dead the same way with a journal that would not go, marked done
  // instead: the commit stands and is completed.
  for (const char* name : {"A.DBF", "B.DBF", "C.DBF", "D.DBF"}) std::filesystem::remove(dir / name);
  MakeBefore(dir.Dir());
  InChild([&] {
    DieOnBackupRemoval dying;
    dying.KeepJournal = true;
    InstallFileSystem(&dying);
    Commit(dir.Dir(), 2);
    _exit(1);
  });
  messages.clear();
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::Completed);
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(StateOf(dir.Dir(), 2), State::After);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
  // Recovered once: the next start finds nothing.
  messages.clear();
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
}

// A crash of the system may keep a later unlink and lose an earlier one
// the folder was not synced after. Emulated: the journal's removal is lost
// unless its folder is synced after it, and the process dies as it removes
// the second backup, with the journal put back as it stood.
class LosesUnsyncedJournalRemoval : public FileSystem {
 public:
  bool Remove(const std::string& path) override {
    if (path.ends_with(kCommitJournalName)) {
      journal_ = path;
      bytes_ = ReadBytes(path);
    }
    if (path.ends_with(".$BK") && ++backups_ == 2) {
      if (!journal_.empty()) vm::test::WriteBytes(journal_, bytes_);
      _exit(0);
    }
    return FileSystem::Remove(path);
  }
  bool SyncDirectory(const std::string& dir) override {
    if (!journal_.empty() && journal_.starts_with(dir)) journal_.clear();
    return FileSystem::SyncDirectory(dir);
  }

 private:
  std::string journal_, bytes_;
  int backups_ = 0;
};

TEST_F(CommitJournalTest, ALostRemovalOfTheJournalNeverLeavesOneTableOldAndAnotherNew) {
  MakeTable(dir / "E.DBF", "olde", kBefore);
  InChild([&] {
    LosesUnsyncedJournalRemoval losing;
    InstallFileSystem(&losing);
    TCommitJournal j(dir.Dir());
    MakeTable(j.NewFileFor(dir / "C.DBF"), "new", 2);
    MakeTable(j.NewFileFor(dir / "E.DBF"), "newe", 2);
    if (!j.Begin() || !j.Replace() || !j.Finish()) _exit(1);
    _exit(0);
  });
  std::vector<std::string> messages;
  EXPECT_NE(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::Failed);
  // The commit had stood when it died: both tables keep it.
  EXPECT_EQ(Rows(dir / "C.DBF"), Expected("new", 1, 2));
  EXPECT_EQ(Rows(dir / "E.DBF"), Expected("newe", 1, 2));
  EXPECT_FALSE(std::filesystem::exists(dir / kCommitJournalName));
}

// The same crash as a recovery rolls a commit back: the renames that put
// the old tables back are lost unless their folder is synced after them,
// and the process dies as soon as it has removed the journal.
class LosesUnsyncedRenames : public FileSystem {
 public:
  bool Rename(const std::string& from, const std::string& to) override {
    const bool ok = FileSystem::Rename(from, to);
    if (ok) pending_.emplace_back(from, to);
    return ok;
  }
  bool SyncDirectory(const std::string& dir) override {
    pending_.clear();
    return FileSystem::SyncDirectory(dir);
  }
  bool Remove(const std::string& path) override {
    const bool ok = FileSystem::Remove(path);
    if (path.ends_with(kCommitJournalName)) {
      for (auto it = pending_.rbegin(); it != pending_.rend(); ++it) FileSystem::Rename(it->second, it->first);
      _exit(0);
    }
    return ok;
  }

 private:
  std::vector<std::pair<std::string, std::string>> pending_;
};

TEST_F(CommitJournalTest, ARollBackWhoseRenamesAreLostStillLeavesEveryTableBefore) {
  InChild([&] {
    auto* j = new TCommitJournal(dir.Dir());
    MakeTable(j->NewFileFor(dir / "C.DBF"), "new", 2);
    MakeTable(j->NewFileFor(dir / "D.DBF"), "d", 2);
    if (!j->PlanAppend(dir / "A.DBF") || !j->PlanAppend(dir / "B.DBF") || !j->Begin()) _exit(1);
    if (!AppendTo(dir / "A.DBF", "a", 2) || !AppendTo(dir / "B.DBF", "b", 2) || !j->Replace()) _exit(1);
    _exit(0);
  });
  InChild([&] {
    LosesUnsyncedRenames losing;
    InstallFileSystem(&losing);
    std::vector<std::string> messages;
    RecoverInterruptedCommit(dir.Dir(), messages);
    _exit(0);
  });
  std::vector<std::string> messages;
  RecoverInterruptedCommit(dir.Dir(), messages);
  EXPECT_EQ(StateOf(dir.Dir(), 2), State::Before);

  // And as the commit rolls itself back after a failure.
  InChild([&] {
    TCommitJournal j(dir.Dir());
    MakeTable(j.NewFileFor(dir / "C.DBF"), "new", 2);
    if (!j.PlanAppend(dir / "A.DBF") || !j.Begin() || !AppendTo(dir / "A.DBF", "a", 2) || !j.Replace())
      _exit(1);
    LosesUnsyncedRenames losing;
    InstallFileSystem(&losing);
    j.RollBack();
    _exit(0);
  });
  RecoverInterruptedCommit(dir.Dir(), messages);
  EXPECT_EQ(StateOf(dir.Dir(), 2), State::Before);
}

TEST_F(CommitJournalTest, ANewTableWrittenBeforeTheJournalIsSweptAway) {
  InChild([&] {
    TCommitJournal j(dir.Dir());
    MakeTable(j.NewFileFor(dir / "C.DBF"), "new", 2);
    _exit(0);
  });
  EXPECT_FALSE(Leftovers(dir.Dir()).empty());
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
  EXPECT_TRUE(Leftovers(dir.Dir()).empty());
  EXPECT_EQ(StateOf(dir.Dir(), 0), State::Before);
}

// Only what a dead commit left without a journal goes: the new files and
// backups beside tables, settings files and the archive list, and beside
// archive files in a subfolder. A user's files that merely end alike stay.
TEST_F(CommitJournalTest, TheSweepTakesOnlyTheCommitsOwnNewFiles) {
  namespace fs = std::filesystem;
  fs::create_directories(dir / "ARCHIVE");
  fs::create_directories(dir / "letters");
  const std::vector<std::string> ours = {"C.DBF.$NW", "manager.ini.$NW", "archive.alf.$NW", "B.DBF.$BK",
                                         "ARCHIVE/00000007.BH.$NW", "ARCHIVE/00000007.caf.$BK"};
  const std::vector<std::string> theirs = {"letters/draft.$NW", "letters/old.dbf.$NW", "notes.$NW",
                                           "report.txt.$NW", "ARCHIVE/draft.$NW", "ARCHIVE/7.BH.$NW",
                                           "letters/draft.$BK", "notes.txt.$BK"};
  for (const auto& names : {ours, theirs})
    for (const std::string& name : names) test::WriteBytes(dir / name, "x");
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
  for (const std::string& name : ours) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const std::string& name : theirs) EXPECT_EQ(ReadBytes(dir / name), "x") << name;
  EXPECT_EQ(StateOf(dir.Dir(), 0), State::Before);
}

TEST_F(CommitJournalTest, DamagedJournalIsReportedAndKept) {
  { std::ofstream(dir / kCommitJournalName) << "VELOMAR COMMIT 1\nOPEN\nR\tC.DBF\t1\nSUM\t1\n"; }
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::Failed);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(dir / kCommitJournalName));
  // The tables are not touched meanwhile, and no new commit starts over it.
  EXPECT_EQ(StateOf(dir.Dir(), 0), State::Before);
  TCommitJournal j(dir.Dir());
  ASSERT_TRUE(j.PlanAppend(dir / "A.DBF"));
  EXPECT_FALSE(j.Begin());
}

TEST_F(CommitJournalTest, FilesOfASubfolderComeAndGoWithTheTables) {
  std::filesystem::create_directories(dir / "ARCHIVE");
  test::WriteBytes(dir / "ARCHIVE/OLD.BH", "old archive");
  const std::vector<std::string> before = Snapshot();
  // Dead after the renames: the new archive goes, the removed one comes back.
  auto half = [&](bool finish) {
    TCommitJournal j(dir.Dir());
    MakeTable(j.NewFileFor(dir / "C.DBF"), "new", 2);
    test::WriteBytes(j.NewFileFor(dir / "ARCHIVE/NEW.BH"), "new archive");
    if (!j.PlanRemove(dir / "ARCHIVE/OLD.BH") || !j.Begin() || !j.Replace()) _exit(1);
    if (finish && !j.Finish()) _exit(1);
    _exit(0);
  };
  InChild([&] { half(false); });
  EXPECT_FALSE(std::filesystem::exists(dir / "ARCHIVE/OLD.BH"));
  std::vector<std::string> messages;
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::RolledBack);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(test::DirNames(dir / "ARCHIVE/"), std::vector<std::string>{"OLD.BH"});
  EXPECT_EQ(ReadBytes(dir / "ARCHIVE/OLD.BH"), "old archive");

  InChild([&] { half(true); });
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::None);
  EXPECT_EQ(test::DirNames(dir / "ARCHIVE/"), std::vector<std::string>{"NEW.BH"});
  EXPECT_EQ(Rows(dir / "C.DBF"), Expected("new", 1, 2));

  // Nothing outside the folder and its direct subfolders is planned, and a
  // journal naming such a file is not acted on.
  TCommitJournal j(dir.Dir());
  EXPECT_EQ(j.NewFileFor(dir / "ARCHIVE/X/DEEP.BH"), "");
  EXPECT_EQ(j.NewFileFor(dir / "../OUT.DBF"), "");
  EXPECT_FALSE(j.PlanRemove(dir / "ARCHIVE/NONE.BH"));
  std::string text = "VELOMAR COMMIT 1\nOPEN\nD\t../A.DBF\n";
  uint32_t h = 2166136261u;
  for (const char c : text) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  test::WriteBytes(dir / kCommitJournalName, text + "SUM\t" + std::to_string(h) + "\n");
  EXPECT_EQ(RecoverInterruptedCommit(dir.Dir(), messages), TRecoveryResult::Failed);
}

// A child process commits and is killed at a random moment; afterwards the
// recovery must leave every table whole and all before or all after.
TEST(CommitJournalCrash, KilledAtRandomMomentsEveryTableIsAllBeforeOrAllAfter) {
  constexpr int kRows = 400;
  constexpr int kRuns = 120;
  TempDir pristine;
  MakeBefore(pristine.Dir());
  TempDir work;
  auto fresh = [&] {
    for (const auto& e : std::filesystem::directory_iterator(work.Dir()))
      std::filesystem::remove(e.path());
    for (const char* name : {"A.DBF", "B.DBF", "C.DBF"})
      std::filesystem::copy_file(pristine / name, work / name);
  };
  int before = 0, after = 0, recovered = 0;
  test::KillAtRandomMoments(
      kRuns, 20261206, fresh, [&] { return Commit(work.Dir(), kRows); },
      [&](int run) {
        if (run < 0) {
          ASSERT_EQ(StateOf(work.Dir(), kRows), State::After);
          return;
        }
        std::vector<std::string> messages;
        const TRecoveryResult r = RecoverInterruptedCommit(work.Dir(), messages);
        ASSERT_NE(r, TRecoveryResult::Failed) << "run " << run;
        if (r != TRecoveryResult::None) ++recovered;
        const State s = StateOf(work.Dir(), kRows);
        ASSERT_NE(s, State::Mixed) << "run " << run;
        (s == State::Before ? before : after)++;
        EXPECT_TRUE(Leftovers(work.Dir()).empty()) << "run " << run;
      });
  RecordProperty("before", before);
  RecordProperty("after", after);
  RecordProperty("recovered", recovered);
  EXPECT_GT(before, 0);
  EXPECT_GT(after, 0);
}

// Dies after a given number of changes to the disk, so that a commit can be
// cut at each of its steps in turn.
class DieAfterChanges : public FileSystem {
 public:
  explicit DieAfterChanges(int budget) : budget_(budget) {}
  std::unique_ptr<File> Open(const std::string& path, FileMode mode, FileError* error) override {
    auto real = FileSystem::Open(path, mode, error);
    if (!real || mode == FileMode::Read) return real;
    return std::make_unique<Counted>(std::move(real), *this);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    Spend();
    return FileSystem::Rename(from, to);
  }
  bool Remove(const std::string& path) override {
    Spend();
    return FileSystem::Remove(path);
  }
  void Spend() {
    if (budget_-- == 0) _exit(9);
  }

 private:
  class Counted : public File {
   public:
    Counted(std::unique_ptr<File> real, DieAfterChanges& fs) : real_(std::move(real)), fs_(fs) {}
    int64_t ReadAt(int64_t pos, void* buf, std::size_t n) override {
      return real_->ReadAt(pos, buf, n);
    }
    bool WriteAt(int64_t pos, const void* buf, std::size_t n) override {
      fs_.Spend();
      return real_->WriteAt(pos, buf, n);
    }
    int64_t Size() override { return real_->Size(); }
    bool Truncate(int64_t size) override {
      fs_.Spend();
      return real_->Truncate(size);
    }
    bool Sync() override { return real_->Sync(); }

   private:
    std::unique_ptr<File> real_;
    DieAfterChanges& fs_;
  };
  int budget_;
};

TEST(CommitJournalCrash, CutAfterEveryChangeToTheDiskEveryTableIsAllBeforeOrAllAfter) {
  constexpr int kRows = 3;
  TempDir work;
  int before = 0, after = 0;
  for (int budget = 0;; ++budget) {
    for (const auto& e : std::filesystem::directory_iterator(work.Dir()))
      std::filesystem::remove(e.path());
    MakeBefore(work.Dir());
    const pid_t pid = fork();
    if (pid == 0) {
      DieAfterChanges dying(budget);
      InstallFileSystem(&dying);
      _exit(Commit(work.Dir(), kRows) ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(work.Dir(), messages), TRecoveryResult::Failed) << budget;
    const State s = StateOf(work.Dir(), kRows);
    ASSERT_NE(s, State::Mixed) << "cut after " << budget << " changes";
    EXPECT_TRUE(Leftovers(work.Dir()).empty()) << budget;
    (s == State::Before ? before : after)++;
    if (WEXITSTATUS(status) == 0) break;  // the commit ran to its end
    ASSERT_EQ(WEXITSTATUS(status), 9);
  }
  EXPECT_GT(before, 10);
  EXPECT_GT(after, 1);
}
