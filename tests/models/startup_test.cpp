#include "models/startup.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/archive_dialogs.h"
#include "archive/backup_menu.h"
#include "config/archive_config.h"
#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "config/price_tags.h"
#include "config/settings.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/values/dates.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "models/instance_mark.h"
#include "models/main_state.h"

using namespace vm;
using vm::test::ReadBytes;

namespace {

namespace fs = std::filesystem;

// Records each start of the day and whether the lock was free then.
class DayStarter : public TStartOfDayRunner {
 public:
  void RunStartOfDay(TDocData& doc) override {
    ++Runs;
    Doc = &doc;
    LockedMeanwhile = BasesLocked();
  }
  int Runs = 0;
  TDocData* Doc = nullptr;
  bool LockedMeanwhile = false;
};

std::pair<TDateRec, TTimeRec> ProgramNowPair() {
  std::pair<TDateRec, TTimeRec> now;
  ProgramNow(now.first, now.second);
  return now;
}

// The last date of every record of the date index, or "missing".
std::string IndexDates(const std::string& dir) {
  TDBF t;
  t.FileName = dir + "!BINDEX.DBF";
  if (!t.OpenReadOnly()) return "missing";
  std::string dates;
  bool error = false;
  for (int32_t n = 1; n <= t.RecCount(); ++n) {
    t.GoToRecord(n);
    if (t.ReadRecord() != 0) return "damaged";
    dates += DateRecToStr(t.GetFieldDate(t.FieldIndex("_DATE2"), error)) + ";";
  }
  return dates;
}

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() {
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
    options.StartOfDay = &starter;
    options.FreeBytes = [this](const std::string&) { return freeBytes; };
  }
  ~StartUpTest() override {
    UnlockBases();
    ResetErrorLogRun();
  }

  // The configuration of the demo, following the system clock, which reads
  // 7 December 2026 (two days after the demo's last working day).
  void FollowSystemClock() {
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    Settings().SystemClock = true;
    ASSERT_TRUE(SaveConfiguration());
    ResetErrorLogRun();
    clock.SetLocal({2026, 12, 7, 9, 30, 0, 0});
  }

  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  FixedClock clock{{2026, 12, 7, 9, 30, 0, 0}};
  ScopedClock clockGuard{clock};
  DayStarter starter;
  TStartUpOptions options;
  int64_t freeBytes = int64_t{1} << 40;
};

}  // namespace

TEST_F(StartUpTest, WithItsOwnClockTheProgramStartsAtTheSavedTimeAndLeavesTheDayToTheFirstRun) {
  // The archives are numbered from 1 again, whatever an earlier start in
  // the process left.
  NextArchiveNumber() = 5;
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(std::tuple(BasesLocked(), starter.Runs, MainState().DayStarted, IndexDates(home.Dir()), NextArchiveNumber()),
            std::tuple(false, 0, false, "", 1));
  clock.AdvanceTicks(61'000);
  EXPECT_EQ(ProgramNowPair(), std::pair(TDateRec{5, 12, 2026}, TTimeRec{20, 16, 1}));
  EXPECT_TRUE(Settings().Blanks.GetItem(0)->Compiled && Settings().Books.GetItem(0)->Valid);
  EXPECT_TRUE(ui.Boxes.empty());
}

TEST_F(StartUpTest, WithTheSystemClockTheDayStartsWithTheIndexUpToYesterdayAndItsDocument) {
  FollowSystemClock();
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(std::tuple(starter.Runs, starter.Doc, starter.LockedMeanwhile, MainState().DayStarted),
            std::tuple(1, &Settings().StartOfDayDoc, false, true));
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{7, 12, 2026}));
  EXPECT_EQ(IndexDates(home.Dir()), "6.12.2026;");
}

TEST_F(StartUpTest, GivenDateAndTimeSetTheProgramClock) {
  options.ClockDate = TDateRec{1, 2, 2027};
  options.ClockTime = TTimeRec{8, 0, 0};
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(ProgramNowPair(), std::pair(TDateRec{1, 2, 2027}, TTimeRec{8, 0, 0}));
}

// The saved moment is 5.12.2026 20:15:00: the program's own clock goes on
// from it, never back.
TEST_F(StartUpTest, TheProgramClockNeverGoesBackPastTheSavedMoment) {
  options.ClockDate = TDateRec{4, 12, 2026};
  options.ClockTime = TTimeRec{23, 0, 0};
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_NE(ui.Boxes[0].Text.find("5.12.2026"), std::string::npos)
      << Cp1251ToUtf8(ui.Boxes[0].Text);
  EXPECT_EQ(std::pair(BasesLocked(), starter.Runs), std::pair(false, 0));
  ResetErrorLogRun();
  ui.Boxes.clear();
  // On the saved day an earlier time is the saved one.
  options.ClockDate = TDateRec{5, 12, 2026};
  options.ClockTime = TTimeRec{9, 0, 0};
  EXPECT_EQ(StartUp(options), 0);
  EXPECT_TRUE(ui.Boxes.empty());
  EXPECT_EQ(ProgramNowPair(), std::pair(TDateRec{5, 12, 2026}, TTimeRec{20, 15, 0}));
}

// A configuration on the system clock keeps the computer's day whatever
// is given: the index and the saved date stay at today.
TEST_F(StartUpTest, WithTheSystemClockAGivenDateAndTimeChangeNothing) {
  FollowSystemClock();
  options.ClockDate = TDateRec{1, 1, 2030};
  options.ClockTime = TTimeRec{8, 0, 0};
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{7, 12, 2026}));
  EXPECT_EQ(ProgramNowPair(), std::pair(TDateRec{7, 12, 2026}, TTimeRec{9, 30, 0}));
  EXPECT_EQ(IndexDates(home.Dir()), "6.12.2026;");
}

TEST_F(StartUpTest, WithoutATitleInTheSettingsTheProgramHasItsDefaultOne) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  Settings().Title = "Склад"_w;
  std::string local = ReadBytes(home / "local.ini");
  const std::size_t title = local.find("ЗАГОЛОВОК="_w);
  ASSERT_NE(title, std::string::npos);
  local.erase(title, local.find("\r\n", title) + 2 - title);
  vm::test::WriteBytes(home / "local.ini", local);
  ASSERT_TRUE(LoadLocalSettings());
  EXPECT_EQ(Settings().Title, "Тинвера"_w);
}

TEST_F(StartUpTest, TooLittleRoomForTwiceTheDatabasesEndsTheStartUp) {
  ASSERT_EQ(StartUp(options), 0);
  const int64_t total = MainState().TotalBaseSize;
  ASSERT_GT(total, 0);
  freeBytes = 2 * total;  // exactly enough
  ASSERT_EQ(StartUp(options), 0);
  freeBytes = 2 * total - 1;
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  EXPECT_FALSE(BasesLocked());
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text,
            "Недостаточно места на диске "_w + home.Dir().substr(0, home.Dir().size() - 1) + ": !");
  EXPECT_EQ(ui.Boxes[0].Caption, " Ошибка "_w);
}

TEST_F(StartUpTest, ABusyDatabaseEndsTheStartUpBeforeTheDayStarts) {
  FollowSystemClock();
  const std::string goods = ReadBytes(home / "goods.dbf");
  auto holder = Files().Open(home / "sales.dbf", FileMode::ReadWrite);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  EXPECT_EQ(std::pair(starter.Runs, BasesLocked()), std::pair(0, false));
  EXPECT_TRUE(IndexDates(home.Dir()) == "" || IndexDates(home.Dir()) == "missing");
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_NE(ui.Boxes[0].Text.find("sales.dbf занята или испорчена"_w), std::string::npos);
  EXPECT_EQ(ReadBytes(home / "goods.dbf"), goods);
}

TEST_F(StartUpTest, ACommitADeadProcessLeftIsRolledBackAndLogged) {
  const std::string sales = ReadBytes(home / "sales.dbf");
  const pid_t pid = fork();
  if (pid == 0) {
    auto* journal = new TCommitJournal(home.Dir());
    if (!journal->PlanAppend(home / "sales.dbf") || !journal->Begin()) _exit(1);
    TDBF t;
    t.FileName = home / "sales.dbf";
    if (!t.Open()) _exit(1);
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.WriteRecord();
    t.Close();
    _exit(0);  // dies before the commit finished
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_NE(ReadBytes(home / "sales.dbf"), sales);

  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(ReadBytes(home / "sales.dbf"), sales);
  CloseErrorLog();
  EXPECT_NE(ReadBytes(home / "Errors.log").find("Прерванная запись отменена"_w), std::string::npos);
  EXPECT_FALSE(fs::exists(home / kCommitJournalName));
}

TEST_F(StartUpTest, AnArchiveCounterOfACommitRolledBackIsReadAgain) {
  // An archive command died after renaming its "program.ini" in, before the
  // commit was done: the settings load the new counter, the recovery puts
  // the old file back.
  const pid_t pid = fork();
  if (pid == 0) {
    ChooseDataDirectory();
    if (!LoadAllSettings()) _exit(1);
    Settings().ArchiveConfigs.FindByID(1)->ArchiveNo = 5;
    auto* journal = new TCommitJournal(home.Dir());
    if (!SaveConfigurationTo(journal->NewFileFor(ProgramIniName()), Settings()) || !journal->Begin() ||
        !journal->Replace())
      _exit(1);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(StartUp(options), 0);
  ASSERT_NE(Settings().ArchiveConfigs.FindByID(1), nullptr);
  EXPECT_EQ(Settings().ArchiveConfigs.FindByID(1)->ArchiveNo, 0);
  EXPECT_EQ(MainState().ValidArchives, std::vector<int32_t>{1});
}

TEST_F(StartUpTest, ACommitKilledWithTheSettingsAsideIsRecoveredBeforeTheyAreRead) {
  // Killed after "program.ini" went aside, before its new one came in: no
  // "program.ini" at all until the recovery puts it back.
  const std::string program = ReadBytes(home / "program.ini"), manager = ReadBytes(home / "manager.ini");
  ASSERT_TRUE(vm::test::KilledBeforeRenameOnto("/program.ini", [&] {
    TCommitJournal journal(home.Dir());
    for (const char* ini : {"manager.ini", "program.ini"})
      vm::test::WriteBytes(journal.NewFileFor(home / ini), "[changed]\r\n");
    if (journal.Begin()) journal.Replace();
  }));
  ASSERT_FALSE(fs::exists(home / "program.ini"));
  ASSERT_EQ(StartUp(options), 0) << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes[0].Text));
  EXPECT_EQ(ReadBytes(home / "program.ini"), program);
  EXPECT_EQ(ReadBytes(home / "manager.ini"), manager);
  EXPECT_FALSE(fs::exists(home / kCommitJournalName));
  CloseErrorLog();
  EXPECT_NE(ReadBytes(home / "Errors.log").find("Прерванная запись отменена"_w), std::string::npos);
}

TEST_F(StartUpTest, WhatAKilledBackupLeftInTheWorkFoldersGoesAtTheNextStart) {
  // Killed as the file list lands in "WORK/FILES" (its temporary is there), as
  // the new volumes are whole ("RESERV.TMP" is there) and as they are
  // swapped in ("RESERV.NEW" is there, "RESERV" is not): the half-written
  // ones go, the whole ones take the place of "RESERV".
  for (const std::string moment : {"WORK/FILES/files.res", "/RESERV.NEW", "/RESERV"}) {
    SCOPED_TRACE(moment);
    ASSERT_TRUE(vm::test::KilledBeforeRenameOnto(moment, [&] {
      ChooseDataDirectory();
      if (!LoadAllSettings()) return;
      TArchivePacker packer(home / "WORK/");
      const TBackupEnv env = ProgramBackupEnv(Settings().Bases, &packer);
      ui.Answers = {kIdYes};
      MakeBackup(env);
    }));
    std::vector<std::string> work = vm::test::DirNames(home / "WORK/FILES");
    ASSERT_TRUE(std::ranges::any_of(work, IsTemporaryFileName) || fs::is_directory(home / "RESERV.TMP") ||
                fs::is_directory(home / "RESERV.NEW"));
    ASSERT_EQ(StartUp(options), 0);
    work = vm::test::DirNames(home / "WORK/FILES");
    EXPECT_FALSE(std::ranges::any_of(work, IsTemporaryFileName));
    for (const char* gone : {"RESERV.TMP", "RESERV.NEW", "RESERV.OLD"}) EXPECT_FALSE(fs::exists(home / gone)) << gone;
    EXPECT_TRUE(fs::is_directory(home / "RESERV"));
  }
  EXPECT_FALSE(vm::test::DirNames(home / "RESERV").empty());
  // The volumes of a deleted period whose deletion committed, left under a
  // temporary name on a medium (here the program folder itself), take
  // their names before anything takes temporaries away.
  const std::string temp = "Delarch.000.~0123456789abcdef~";
  vm::test::WriteBytes(home / temp, "volume");
  vm::test::WriteBytes(home / kPendingMediaSetName, "FINISH\r\n" + home.Dir() + "\r\nDelarch.000\t" + temp + "\r\n");
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(ReadBytes(home / "Delarch.000"), "volume");
  EXPECT_FALSE(fs::exists(home / temp));
  EXPECT_FALSE(fs::exists(home / kPendingMediaSetName));
  CloseErrorLog();
  const std::string log = ReadBytes(home / "Errors.log");
  EXPECT_NE(log.find("Удалён временный файл прерванной записи "_w + home.Dir() + "WORK/FILES/files.res.~"), std::string::npos);
  EXPECT_NE(log.find("Удалены тома прерванного резервного копирования "_w + home.Dir() + "RESERV.TMP"),
            std::string::npos);
  EXPECT_NE(log.find("Тома прерванного резервного копирования поставлены на место "_w + home.Dir() + "RESERV"),
            std::string::npos);
  EXPECT_NE(log.find("Поставлены на место файлы прерванной записи в папке "_w + home.Dir()), std::string::npos);

  // A record still waiting for another volume, and something at the
  // record's name that is none: the temporaries they may need stay through
  // the sweep, and so does what stands there, said once at each start.
  const std::string folder = "Запись томов удаленного периода не является файлом: "_w + (home / kPendingMediaSetName);
  const std::pair<std::function<void()>, std::string> waiting[] = {
      {[&] {
         vm::test::WriteBytes(home / kPendingMediaSetName, "FINISH\r\n" + home.Dir() +
                                                               "\r\nDelarch.001\tDelarch.001.~0123456789abcdef~\r\n"
                                                               "Delarch.000\t" + temp + "\r\n");
       },
       "Не поставлены на место файлы записи в папке "_w + home.Dir()},
      {[&] { fs::create_directory(home / kPendingMediaSetName); }, folder},
  };
  for (const auto& [plant, said] : waiting) {
    SCOPED_TRACE(said);
    fs::remove(home / "Delarch.000");
    fs::remove(home / "Errors.log");
    vm::test::WriteBytes(home / temp, "volume");
    plant();
    ResetErrorLogRun();
    ASSERT_EQ(StartUp(options), 0);
    EXPECT_EQ(ReadBytes(home / temp), "volume");
    EXPECT_TRUE(fs::exists(home / kPendingMediaSetName));
    CloseErrorLog();
    const std::string again = ReadBytes(home / "Errors.log");
    EXPECT_NE(again.find(said), std::string::npos) << Cp1251ToUtf8(again);
    EXPECT_EQ(again.find(said), again.rfind(said));
    fs::remove(home / kPendingMediaSetName);
  }
}

// A restore killed as it unpacks leaves the temporary of the file being
// unpacked in "WORK/FILES": the next start clears it too, but takes nothing
// through a link that stands among the work folders.
TEST_F(StartUpTest, WhatAKilledRestoreLeftUnderTheWorkFolderGoesAtTheNextStart) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  TArchivePacker packer(home / "WORK/");
  const TBackupEnv env = ProgramBackupEnv(Settings().Bases, &packer);
  ui.Answers = {kIdYes};
  ASSERT_TRUE(MakeBackup(env));
  TArchiveDialogs dialogs;
  dialogs.AskVolumeFolder = [&](const std::string&, const std::string&, const std::string&, std::string& folder) {
    folder = home / "RESERV/";
    return true;
  };
  InstallArchiveDialogs(&dialogs);
  ASSERT_TRUE(vm::test::KilledBeforeRenameOnto("WORK/FILES/FILES/goods.dbf", [&] {
    ui.Answers = {kIdYes, kIdYes};
    RestoreBackup(env);
  }));
  InstallArchiveDialogs(nullptr);
  ASSERT_TRUE(std::ranges::any_of(vm::test::DirNames(home / "WORK/FILES/FILES"), IsTemporaryFileName));
  vm::test::TempDir outside;
  const std::string stray = outside / "goods.dbf.~0123456789abcdef~";
  vm::test::WriteBytes(stray, "not ours");
  fs::create_directory_symlink(outside.Dir(), home / "WORK/FILES/LINKED");
  ResetErrorLogRun();

  ASSERT_EQ(StartUp(options), 0);
  EXPECT_FALSE(std::ranges::any_of(vm::test::DirNames(home / "WORK/FILES/FILES"), IsTemporaryFileName));
  EXPECT_TRUE(fs::exists(stray));
  CloseErrorLog();
  EXPECT_NE(ReadBytes(home / "Errors.log")
                .find("Удалён временный файл прерванной записи "_w + home.Dir() + "WORK/FILES/FILES/goods.dbf.~"),
            std::string::npos);
}

// A link planted at "WORK" is no folder of the program: the start-up takes
// nothing from where it points.
TEST_F(StartUpTest, TheStartUpClearsNothingThroughALinkAtTheWorkFolder) {
  vm::test::TempDir outside;
  const std::string stray = outside / "files.res.~0123456789abcdef~";
  vm::test::WriteBytes(stray, "not ours");
  fs::create_directory_symlink(outside.Dir(), home / "WORK");
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_TRUE(fs::exists(stray));
}

// "local.ini" goes in place under the database lock, which another
// window's commit holds while it writes the file; while another program
// holds the lock past the end's wait, the file stays as the other left it.
TEST_F(StartUpTest, ShutDownWritesTheLocalSettingsAndTheBasePath) {
  ASSERT_EQ(StartUp(options), 0);
  fs::remove(home / "basepath.ini");
  vm::test::FaultyFileSystem files;
  std::vector<bool> locked;
  files.BeforeRename = [&locked] { locked.push_back(BasesLocked()); };
  Settings().Title = "Склад 1"_w;
  ShutDown();
  EXPECT_NE(ReadBytes(home / "basepath.ini").find("BasePath=" + home.Dir()), std::string::npos);
  EXPECT_NE(ReadBytes(home / "local.ini").find("Склад 1"_w), std::string::npos);
  EXPECT_FALSE(BasesLocked());
  // Renamed in: "local.ini" and its copies, then "basepath.ini".
  ASSERT_GE(locked.size(), 2u);
  EXPECT_EQ(std::count(locked.begin(), locked.end(), true), std::ssize(locked) - 1);
  EXPECT_FALSE(locked.back());
  locked.clear();
  // The other program commits its local parameter whenever this one tries
  // the lock or opens the file: between the save's reads too, were there a
  // save.
  const std::unique_ptr<File> other = Files().Open(DataDir() + "lock.lck", FileMode::Create);
  ASSERT_NE(other, nullptr);
  const std::string before = ReadBytes(home / "local.ini"), param = "ИМЯ_ПАРАМ=КАССА\r\n    ТИП_ПАРАМ=Число\r\n"_w;
  ASSERT_NE(before.find(param + "    ЗНАЧЕН_ПАРАМ='1'"_w), std::string::npos);
  std::string committed = before;
  int commits = 0;
  files.BeforeOpen = [&](const std::string& path, FileMode) {
    if (!path.ends_with("lock.lck") && !path.ends_with("local.ini")) return;
    committed = before;
    committed.replace(committed.find(param) + param.size(), 20, "    ЗНАЧЕН_ПАРАМ='"_w + std::to_string(++commits) + "'");
    vm::test::WriteBytes(home / "local.ini", committed);
  };
  Settings().Title = "Склад 2"_w;
  ShutDown(std::chrono::milliseconds(200));
  files.BeforeOpen = nullptr;
  EXPECT_GT(commits, 1);
  EXPECT_TRUE(ReadBytes(home / "local.ini") == committed);
  EXPECT_EQ(std::count(locked.begin(), locked.end(), true), 0);
  EXPECT_TRUE(ui.Boxes.empty());
  EXPECT_NE(ReadBytes(home / "Errors.log")
                .find("Не сохранено в "_w + LocalIniName() + " (базы заняты другой программой): ЗАГОЛОВОК=Склад 2"_w),
            std::string::npos);
}

TEST_F(StartUpTest, ASecondStartOnTheSameTitleIsToldAndLetsTheLockGo) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  const std::string title = Settings().Title;
  ASSERT_FALSE(title.empty());
  TInstanceMark first(home.Dir());
  ASSERT_TRUE(first.Take(title));
  TInstanceMark second(home.Dir());
  options.Instance = &second;
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Программа уже загружена !"_w);
  EXPECT_EQ(ui.Boxes[0].Caption, " Повторный запуск программы "_w);
  EXPECT_EQ(ui.Boxes[0].Flags, kMbInformation);
  EXPECT_EQ(std::pair(starter.Runs, BasesLocked()), std::pair(0, false));
  // Another title is another program; and once the first ends, the mark
  // is free.
  TInstanceMark other(home.Dir());
  EXPECT_TRUE(other.Take(title + "2"));
  first.Release();
  ResetErrorLogRun();
  EXPECT_EQ(StartUp(options), 0);
  EXPECT_EQ(ui.Boxes.size(), 1u);
}

// The window programs on one program directory share its mark; the runner
// holds it alone: it is refused while a window works there, and a window
// while it runs, before either reads a file, with the reason under the
// refusal. The folder is told by what the system finds, not its spelling.
TEST_F(StartUpTest, TheRunnerAndAWindowNeverWorkOnOneProgramDirectoryTogether) {
  const std::string title = ProgramDirectoryMarkTitle(ProgramDirectory());
  EXPECT_EQ(ProgramDirectoryMarkTitle(home.Dir() + "/./"), title);
  TInstanceMark window = TInstanceMark::OfProgramDirectory(ProgramDirectory()),
                otherWindow = TInstanceMark::OfProgramDirectory(home.Dir()),
                runner = TInstanceMark::OfProgramDirectory(ProgramDirectory());
  ASSERT_TRUE(window.Take(title, true));
  EXPECT_TRUE(otherWindow.Take(title, true));
  // The runner started from a timer or as another user: without the
  // window's run-time folder, or with one of its own.
  options.Home = &runner;
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  vm::test::TempDir elsewhere;
  ::setenv("XDG_RUNTIME_DIR", elsewhere.Dir().c_str(), 1);
  ui.Boxes.clear();
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  ::setenv("XDG_RUNTIME_DIR", home.Dir().c_str(), 1);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Программа уже загружена !\rС каталогом программы "_w + title +
                                  " уже работает другой её процесс."_w);
  EXPECT_EQ(std::pair(starter.Runs, BasesLocked()), std::pair(0, false));
  window.Release();
  EXPECT_FALSE(runner.Take(title));
  otherWindow.Release();
  ASSERT_TRUE(runner.Take(title));
  EXPECT_FALSE(window.Take(title, true));
  EXPECT_TRUE(window.Failure().empty());
  runner.Release();
  ResetErrorLogRun();
  EXPECT_EQ(StartUp(options), 0);
}

// A program directory worked on by several users: the mark one user's
// program left is taken by another's once nobody holds it, even where the
// first user's mask kept it from others' writes; while it is held the
// refusal says so, not that no mark can be made.
TEST_F(StartUpTest, AnotherUsersProgramTakesTheDirectorysMarkOnceNobodyHoldsIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs a second user";
  vm::test::TempDir shared;
  fs::permissions(shared.Dir(), fs::perms::all);
  const std::string title = ProgramDirectoryMarkTitle(shared.Dir());
  const auto asAnotherUser = [&](bool alone) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
          ::setresuid(65534, 65534, 65534) != 0)
        ::_exit(9);
      TInstanceMark mark = TInstanceMark::OfProgramDirectory(shared.Dir());
      ::_exit(mark.Take(title, !alone) ? 0 : mark.Failure().empty() ? 1 : 2);
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  TInstanceMark mine = TInstanceMark::OfProgramDirectory(shared.Dir());
  ASSERT_TRUE(mine.Take(title));
  const std::string path = mine.PathFor(title);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write |
                fs::perms::others_read | fs::perms::others_write);
  EXPECT_EQ(asAnotherUser(true), 1);
  EXPECT_EQ(asAnotherUser(false), 1);
  mine.Release();
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read);
  EXPECT_EQ(asAnotherUser(true), 0);
  ASSERT_TRUE(mine.Take(title, true));
  EXPECT_EQ(asAnotherUser(false), 0);
  EXPECT_EQ(asAnotherUser(true), 1);
}

TEST_F(StartUpTest, TheMarkIsNeverMadeThroughALinkPlantedAtItsName) {
  TInstanceMark mark(home.Dir());
  const std::string path = mark.PathFor("Склад"_w);
  vm::test::TempDir outside;
  fs::create_symlink(outside / "victim", path);
  // The link goes, whatever it points at, and the mark stands in its place.
  EXPECT_TRUE(mark.Take("Склад"_w));
  EXPECT_FALSE(fs::exists(outside / "victim"));
  EXPECT_FALSE(fs::is_symlink(path));
  TInstanceMark held(home.Dir());
  EXPECT_FALSE(held.Take("Склад"_w));
  EXPECT_TRUE(held.Failure().empty());
  // A plain mark an ended program left is taken as it stands, and held.
  mark.Release();
  fs::remove(path);
  vm::test::WriteBytes(path, "");
  EXPECT_TRUE(mark.Take("Склад"_w));
  TInstanceMark second(home.Dir());
  EXPECT_FALSE(second.Take("Склад"_w));
}

// Each desktop has its own windows, so its own mark: the same title runs
// on another display of the same user, and the screens of one display are
// one desktop.
TEST_F(StartUpTest, TheSameTitleRunsOnceOnEachDisplay) {
  const auto onDisplay = [](const char* display) {
    ::setenv("DISPLAY", display, 1);
    return DesktopName("xcb");
  };
  const char* before = std::getenv("DISPLAY");
  const std::string savedDisplay = before ? before : "";
  const std::string zero = onDisplay(":0"), screen = onDisplay(":0.1"), unixZero = onDisplay("unix:0"),
                    one = onDisplay(":1"), remote = onDisplay("localhost:10.0");
  if (before) ::setenv("DISPLAY", savedDisplay.c_str(), 1); else ::unsetenv("DISPLAY");
  EXPECT_EQ(screen, zero);
  EXPECT_EQ(unixZero, zero);
  EXPECT_NE(one, zero);
  EXPECT_NE(remote, one);
  EXPECT_NE(DesktopName("offscreen"), zero);

  TInstanceMark first(home.Dir(), zero), again(home.Dir(), screen), elsewhere(home.Dir(), one);
  ASSERT_TRUE(first.Take("Склад"_w));
  EXPECT_FALSE(again.Take("Склад"_w));
  EXPECT_TRUE(elsewhere.Take("Склад"_w));
}

// Without $XDG_RUNTIME_DIR the marks go into a folder of the user's alone
// in the temporary folder; where no mark can be made the program is told
// why and does not start unchecked.
TEST_F(StartUpTest, WithoutARunTimeFolderTheMarksAreTheUsersAloneAndNeverSkipped) {
  vm::test::TempDir tmp;
  const char* tmpBefore = std::getenv("TMPDIR");
  const std::string savedTmp = tmpBefore ? tmpBefore : "";
  ::setenv("TMPDIR", tmp.Dir().c_str(), 1);
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string own = tmp / ("velomar-" + std::to_string(::geteuid()));
  {
    TInstanceMark first({}, "x11 :0"), second({}, "x11 :0");
    ASSERT_TRUE(first.Take("Склад"_w)) << first.Failure();
    EXPECT_EQ(first.PathFor("Склад"_w).rfind(own + "/", 0), 0u) << first.PathFor("Склад"_w);
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(second.Take("Склад"_w));
    EXPECT_TRUE(second.Failure().empty());
  }
  // Another user's folder planted at that name, or a link there, is not
  // used, and the start stops with the reason.
  fs::remove_all(own);
  vm::test::TempDir elsewhere;
  fs::create_directory_symlink(elsewhere.Dir(), own);
  TInstanceMark planted({}, "x11 :0");
  EXPECT_FALSE(planted.Take("Склад"_w));
  EXPECT_FALSE(planted.Failure().empty());
  EXPECT_TRUE(fs::is_empty(elsewhere.Dir()));
  if (::geteuid() == 0) {
    fs::remove(own);
    fs::create_directory(own);
    ASSERT_EQ(::chown(own.c_str(), 4242, 4242), 0);
    EXPECT_FALSE(planted.Take("Склад"_w));
    EXPECT_NE(planted.Failure().find("другому пользователю"_w), std::string::npos);
  }
  if (tmpBefore) ::setenv("TMPDIR", savedTmp.c_str(), 1); else ::unsetenv("TMPDIR");
  ::setenv("XDG_RUNTIME_DIR", home.Dir().c_str(), 1);

  // A folder where no mark can be made stops the start with the reason.
  TInstanceMark nowhere(home / "no such folder");
  options.Instance = &nowhere;
  EXPECT_EQ(StartUp(options), kStartUpFailed);
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text.rfind("Не удается проверить, не запущена ли программа уже: "_w, 0), 0u)
      << Cp1251ToUtf8(ui.Boxes[0].Text);
  EXPECT_EQ(ui.Boxes[0].Flags, kMbError);
  EXPECT_EQ(std::pair(starter.Runs, BasesLocked()), std::pair(0, false));
}

TEST_F(StartUpTest, TheStartUpPasswordIsAskedUnderTheLockAndARefusalStillStartsTheDay) {
  FollowSystemClock();
  bool lockedWhenAsked = false;
  int asked = 0;
  options.AskStartUpPassword = [&] {
    ++asked;
    lockedWhenAsked = BasesLocked();
    EXPECT_EQ(starter.Runs, 0);
    return false;
  };
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(std::tuple(asked, lockedWhenAsked, MainState().StartUpRefused, starter.Runs), std::tuple(1, true, true, 1));
  options.AskStartUpPassword = [] { return true; };
  ResetErrorLogRun();
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_FALSE(MainState().StartUpRefused);
}

TEST_F(StartUpTest, PriceTagZonesCompileOnlyOnceThePasswordIsAnswered) {
  const TCenZone* zone = nullptr;
  bool compiledWhenAsked = true;
  options.AskStartUpPassword = [&] {
    zone = Settings().PriceTags.GetItem(0)->GetZone(0);
    compiledWhenAsked = zone->Compiled != nullptr || CenZoneCompileEnabled();
    return true;
  };
  ASSERT_EQ(StartUp(options), 0);
  ASSERT_NE(zone, nullptr);
  EXPECT_FALSE(compiledWhenAsked);
  EXPECT_TRUE(CenZoneCompileEnabled());
  // Every zone of the demo's label compiles.
  for (const auto& z : Settings().PriceTags.GetItem(0)->Zones) EXPECT_NE(z->Compiled, nullptr) << z->Text;
  CenZoneCompileEnabled() = false;
}

TEST_F(StartUpTest, ArchiveConfigurationsThatFailTheirCheckAreToldOnceAndGetNoItems) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  TArchiveConfigList& configs = Settings().ArchiveConfigs;
  configs.Clear();
  const struct {
    int32_t id;
    const char* alias;  // empty: a configuration without databases
  } rows[] = {{1, ""}, {2, "НЕТ_ТАКОЙ"}, {3, "ЕЩЁ_НЕТ"}, {4, ""}};
  for (const auto& r : rows) {
    TArchiveConfig* c = configs.AddConfig();
    c->ID = r.id;
    c->Name = "Архив "_w + std::to_string(r.id);
    if (*r.alias) c->AddBase()->Alias = Utf8ToCp1251(r.alias);
  }
  ASSERT_TRUE(SaveConfiguration());
  ResetErrorLogRun();
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(MainState().ValidArchives, (std::vector<int32_t>{1, 4}));
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Text, "Внимание! В описании конфигураций архивов имеются ошибки!"_w);
  EXPECT_EQ(ui.Boxes[0].Flags, kMbInformation);
}
