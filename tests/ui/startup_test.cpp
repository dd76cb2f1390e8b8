#include "ui/startup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/values/dates.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "ui/instance_mark.h"
#include "ui/main_state.h"

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
  ASSERT_EQ(StartUp(options), 0);
  EXPECT_EQ(std::tuple(BasesLocked(), starter.Runs, MainState().DayStarted, IndexDates(home.Dir())),
            std::tuple(false, 0, false, ""));
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

TEST_F(StartUpTest, ShutDownWritesTheLocalSettingsAndTheBasePath) {
  ASSERT_EQ(StartUp(options), 0);
  fs::remove(home / "basepath.ini");
  ShutDown();
  EXPECT_NE(ReadBytes(home / "basepath.ini").find("BasePath=" + home.Dir()), std::string::npos);
  EXPECT_TRUE(fs::exists(home / "local.ini"));
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
