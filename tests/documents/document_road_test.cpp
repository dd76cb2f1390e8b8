#include "documents/document_road.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "config/scramble.h"
#include "config/settings.h"
#include "config/sysvars.h"
#include "foundation/tables/commit_journal.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"
#include "models/main_state.h"

using namespace vm;

namespace {

// The compiler, the interpreter and the windows, played by a script: what
// happened is written into Trace.
class FakeSteps : public TDocumentSteps {
 public:
  bool AskPassword(int32_t level) override {
    Trace.push_back("password " + std::to_string(level));
    return PasswordRight;
  }
  bool ConfirmDateTime(TDateRec& date, TTimeRec& time) override {
    Trace.push_back("confirm");
    if (!Confirm) return false;
    if (Confirmed) date = *Confirmed;
    if (ConfirmedTime) time = *ConfirmedTime;
    return true;
  }
  bool Compile(TDocData& doc, int32_t& errorLine, int32_t& errorCode) override {
    Trace.push_back("compile " + Name(doc) + (BasesLocked() ? " locked" : " unlocked"));
    if (!CompileFails) return true;
    errorLine = 3;
    errorCode = 7;
    return false;
  }
  TPassesResult RunPasses(TDocData& doc) override {
    Trace.push_back("run " + Name(doc) + " " + GetSysVarText(kSysVarCurDate, 0, 0));
    const bool commit = &doc == &Settings().StartOfDayDoc ? StartOfDayCommits : Commits;
    return {commit, commit};
  }
  void ClearRun() override { Trace.push_back("clear"); }
  void CloseWorkbooks(bool quit) override { Trace.push_back(quit ? "quit" : "workbooks"); }
  bool DisableMainWindow() override { return true; }
  void RestoreMainWindow(bool enabled) override {
    Trace.push_back(enabled ? "enabled" : "disabled");
  }

  static std::string Name(const TDocData& doc) {
    return &doc == &Settings().StartOfDayDoc ? "start-of-day" : doc.MenuCaption;
  }

  std::vector<std::string> Trace;
  bool PasswordRight = true;
  bool Confirm = true;
  std::optional<TDateRec> Confirmed;
  std::optional<TTimeRec> ConfirmedTime;
  bool CompileFails = false;
  bool Commits = true;
  bool StartOfDayCommits = false;
};

class DocumentRoad : public ::testing::Test {
 protected:
  DocumentRoad() {
    Settings().SystemClock = false;
    Settings().StartOfDayDoc.PasswordNumber = 0;
    doc.MenuCaption = "sale";
    doc.PasswordNumber = 0;
    MainState().Clock.Fix({5, 12, 2026}, {20, 0, 0});
    MainState().WorkingDay = {5, 12, 2026};
    MainState().DayStarted = true;
  }
  ~DocumentRoad() override { UnlockBases(); }

  void Now(TDateRec& d, TTimeRec& t) { ProgramNow(d, t); }

  vm::test::ProgramHome home;
  vm::test::ScriptedUi ui;
  FixedClock clock;
  ScopedClock clockGuard{clock};
  FakeSteps steps;
  TDocData doc;
  int32_t line = 0, code = 0;
};

// A sale on 7.12.2026 that starts the day first.
std::vector<std::string> NewDayTrace() {
  return {"workbooks", "confirm", "workbooks", "compile start-of-day locked", "run start-of-day 7.12.2026",
          "clear", "quit", "enabled", "compile sale locked", "run sale 7.12.2026", "clear", "quit", "enabled"};
}

}  // namespace

TEST_F(DocumentRoad, ACommittedRunKeepsItsConfirmedTimeAndSavesIt) {
  steps.ConfirmedTime = TTimeRec{21, 0, 0};
  EXPECT_TRUE(RunDocumentChecked(doc, steps, line, code));
  EXPECT_EQ(steps.Trace,
            (std::vector<std::string>{"workbooks", "confirm", "compile sale locked",
                                      "run sale 5.12.2026", "clear", "quit", "enabled"}));
  EXPECT_EQ(std::pair(BasesLocked(), Settings().LastTime), std::pair(false, TTimeRec{21, 0, 0}));
}

TEST_F(DocumentRoad, ANewDateStartsTheDayFirstAndOnlyOnce) {
  steps.Confirmed = TDateRec{7, 12, 2026};
  steps.StartOfDayCommits = true;
  EXPECT_TRUE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(steps.Trace, NewDayTrace());
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{7, 12, 2026}));
  steps.Trace.clear();
  EXPECT_TRUE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(steps.Trace.size(), 7u);
}

TEST_F(DocumentRoad, WhatCommitsNothingSetsTheClockBackWithItsTick) {
  clock.SetTicks(1'000'000);
  MainState().Clock.Fix({5, 12, 2026}, {20, 0, 0});
  steps.Confirmed = TDateRec{5, 12, 2026};
  steps.ConfirmedTime = TTimeRec{23, 0, 0};
  clock.AdvanceTicks(10'000);

  steps.Commits = false;
  EXPECT_FALSE(RunDocument(doc, steps, line, code));
  steps.Commits = true;
  steps.CompileFails = true;
  EXPECT_FALSE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(std::pair(code, line), std::pair(7, 3));

  // Neither run moved the clock: it reads the old base plus the time gone.
  clock.AdvanceTicks(5'000);
  TDateRec d;
  TTimeRec t;
  Now(d, t);
  EXPECT_EQ(std::tuple(t, Settings().LastTime, BasesLocked()),
            std::tuple(TTimeRec{20, 0, 15}, TTimeRec{20, 0, 0}, false));
}

TEST_F(DocumentRoad, ALockHeldElsewhereSetsTheClockBackAndCleansUp) {
  clock.SetTicks(0);
  MainState().Clock.Fix({5, 12, 2026}, {20, 0, 0});
  steps.ConfirmedTime = TTimeRec{22, 0, 0};
  auto other = Files().Open(DataDir() + "lock.lck", FileMode::Create);
  ASSERT_NE(other, nullptr);
  clock.AdvanceTicks(2'000);
  EXPECT_FALSE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(steps.Trace,
            (std::vector<std::string>{"workbooks", "confirm", "clear", "quit", "enabled"}));
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(ui.Boxes[0].Caption, "Не могу открыть базы"_w);
  TDateRec d;
  TTimeRec t;
  Now(d, t);
  EXPECT_EQ(std::pair(t, Settings().LastTime), std::pair(TTimeRec{20, 0, 2}, TTimeRec{20, 0, 0}));
}

// A run refused the lock records nothing: the new day is neither started
// nor remembered, so the next run that gets the lock starts it.
TEST_F(DocumentRoad, ARunRefusedTheLockRecordsNoNewDay) {
  steps.Confirmed = TDateRec{7, 12, 2026};
  {
    auto other = Files().Open(DataDir() + "lock.lck", FileMode::Create);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(RunDocument(doc, steps, line, code));
  }
  EXPECT_EQ(steps.Trace, (std::vector<std::string>{"workbooks", "confirm", "clear", "quit", "enabled"}));
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{5, 12, 2026}));
  steps.Trace.clear();
  steps.StartOfDayCommits = true;
  EXPECT_TRUE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(steps.Trace.at(3), "compile start-of-day locked");
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{7, 12, 2026}));
}

// The designer holds the lock while it runs the start-of-day program: the
// run works under that lock, day change included, and leaves it held.
TEST_F(DocumentRoad, ALockThisProcessHoldsIsUsedAndLeftHeld) {
  ASSERT_TRUE(LockBases());
  steps.Confirmed = TDateRec{7, 12, 2026};
  steps.StartOfDayCommits = true;
  EXPECT_TRUE(RunDocument(doc, steps, line, code));
  EXPECT_TRUE(ui.Boxes.empty());
  EXPECT_EQ(steps.Trace, NewDayTrace());
  EXPECT_EQ(MainState().WorkingDay, (TDateRec{7, 12, 2026}));
  EXPECT_TRUE(BasesLocked());
}

TEST_F(DocumentRoad, RefusedLevelsPasswordsAndConfirmationsRunNothing) {
  for (const int32_t level : {-1, 11, 255}) {
    doc.PasswordNumber = level;
    EXPECT_FALSE(RunDocumentChecked(doc, steps, line, code));
  }
  EXPECT_TRUE(steps.Trace.empty());
  doc.PasswordNumber = 4;
  steps.PasswordRight = false;
  EXPECT_FALSE(RunDocumentChecked(doc, steps, line, code));
  EXPECT_EQ(steps.Trace, (std::vector<std::string>{"password 4"}));
  steps.Trace.clear();
  steps.PasswordRight = true;
  steps.Confirm = false;
  EXPECT_FALSE(RunDocumentChecked(doc, steps, line, code));
  EXPECT_EQ(steps.Trace,
            (std::vector<std::string>{"password 4", "workbooks", "confirm", "enabled"}));
  EXPECT_FALSE(BasesLocked());
}

// A level that is not set (a new document's) and an access record that no
// longer matches its description both refuse the run, each with its reason
// in a box and in "Errors.log", naming the document and its remedy.
TEST_F(DocumentRoad, ARefusedLevelSaysWhyAndWhatMendsIt) {
  ui.LogToFile = true;
  const std::vector<std::pair<int32_t, std::string>> cases = {
      {-1, "ему не задан номер пароля"_w},
      {255, "ему не задан номер пароля"_w},
      {static_cast<int32_t>(kDocAccessRefused), "его описание изменено не в служебных настройках"_w}};
  for (const auto& [level, why] : cases) {
    doc.PasswordNumber = level;
    EXPECT_FALSE(RunDocumentChecked(doc, steps, line, code));
    ASSERT_FALSE(ui.Boxes.empty());
    EXPECT_EQ(ui.Boxes.back().Caption, "sale");
    EXPECT_EQ(ui.Boxes.back().Text, "Документ не запускается: "_w + why +
                                        ".\rЗадайте \"№ пароля\" документа в служебных "_w +
                                        "настройках (вкладка \"Команды\") и сохраните их."_w);
    ASSERT_FALSE(ui.Log.empty());
    EXPECT_EQ(ui.Log.back(), "sale: документ не запущен, "_w + why);
  }
  EXPECT_EQ(ui.Boxes.size(), 3u);
  EXPECT_TRUE(steps.Trace.empty());
  CloseErrorLog();
  EXPECT_NE(vm::test::ReadBytes(home / "Errors.log").find("  sale: документ не запущен, ему не задан номер пароля"_w),
            std::string::npos);
}

TEST_F(DocumentRoad, TheStartUpStartsTheDayOnTheSameRoadWithTheSystemClock) {
  Settings().SystemClock = true;
  clock.SetLocal({2026, 12, 7, 9, 30, 0, 0});
  // As the start-up leaves the day before it runs the document.
  MainState().WorkingDay = {7, 12, 2026};
  MainState().DayStarted = true;
  TStartOfDayOnRoad runner(steps);
  runner.RunStartOfDay(Settings().StartOfDayDoc);
  EXPECT_EQ(steps.Trace,
            (std::vector<std::string>{"workbooks", "compile start-of-day locked",
                                      "run start-of-day 7.12.2026", "clear", "quit", "enabled"}));
}

TEST_F(DocumentRoad, ACommitAnotherProcessLeftIsPutRightBeforeTheRunReadsTheTables) {
  {
    TDBF t;
    t.FileName = home / "SALES.DBF";
    ASSERT_TRUE(t.CreateTable());
    ASSERT_TRUE(t.AddFieldEx("NO__", 10, 'N', 0));
    ASSERT_TRUE(t.WriteStructure());
    ASSERT_TRUE(t.Close());
  }
  const std::string before = vm::test::ReadBytes(home / "SALES.DBF");
  const pid_t pid = fork();
  if (pid == 0) {
    auto* journal = new TCommitJournal(home.Dir());
    if (!journal->PlanAppend(home / "SALES.DBF") || !journal->Begin()) _exit(1);
    TDBF t;
    t.FileName = home / "SALES.DBF";
    if (!t.Open()) _exit(1);
    t.GoToRecord(1);
    t.ClearRecordBuf();
    t.WriteRecord();
    t.Close();
    _exit(0);  // the workstation dies in the middle of its commit
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_NE(vm::test::ReadBytes(home / "SALES.DBF"), before);

  EXPECT_TRUE(RunDocument(doc, steps, line, code));
  EXPECT_EQ(vm::test::ReadBytes(home / "SALES.DBF"), before);
  EXPECT_FALSE(std::filesystem::exists(home / kCommitJournalName));
}
