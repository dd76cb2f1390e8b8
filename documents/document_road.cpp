#include "documents/document_road.h"

#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "config/scramble.h"
#include "config/settings.h"
#include "config/sysvars.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/values/dates.h"
#include "devices/scanner_port.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/main_state.h"

namespace vm {

namespace {

// The saved start-of-day program. The designer's working copy of it that
// "Выполнить" runs is not: it goes the road of any document, the date
// confirmed and, on a new day, the saved start of day run before it.
bool IsStartOfDay(const TDocData& doc) { return &doc == &Settings().StartOfDayDoc; }

// The working date and time of this run; false when the user cancelled.
bool WorkingDateTime(const TDocData& doc, TDocumentSteps& steps, TDateRec& date, TTimeRec& time) {
  const TMainState& s = MainState();
  if (Settings().SystemClock) {
    GetNowRec(date, time);
    return true;
  }
  if (IsStartOfDay(doc)) {
    date = s.Clock.BaseDate();
    time = s.Clock.BaseTime();
    return true;
  }
  ProgramNow(date, time);
  return steps.ConfirmDateTime(date, time);
}

// A new working day: the date index closed up to yesterday and the
// start-of-day document run first. A committed start of day is never set
// back, so the clock kept for setting back moves up to now.
void StartNewDay(const TDocData& doc, const TDateRec& date, TDocumentSteps& steps, TClockMark& kept,
                 bool& failed, int32_t& errorLine, int32_t& errorCode) {
  TMainState& s = MainState();
  if (DesignerTestRun() || IsStartOfDay(doc)) return;
  if (CompareDateRec(s.WorkingDay, date) != 0 && s.DayStarted) return;
  s.WorkingDay = date;
  // The index closed up to yesterday files every later record into today:
  // nor does this run take the clock back before it when nothing of it is
  // committed.
  if (UpdateDateIndex(Settings().Bases, date, StoreClockMoment)) kept = s.Clock.Keep();
  s.DayStarted = true;
  const bool committed = RunDocumentChecked(Settings().StartOfDayDoc, steps, errorLine, errorCode);
  failed = errorCode != 0;
  if (committed) kept = s.Clock.Keep();
}

// Under the lock a commit journal can only be one that a dead process left,
// maybe another workstation's: its tables are put right before this run
// reads them.
void RecoverCommitLeftBehind() {
  std::vector<std::string> messages;
  RecoverInterruptedCommit(DataDir(), messages);
  for (const std::string& m : messages) LogError(m);
}

// A document without a runnable access level never runs, but the user
// is told why and what mends it: a new document keeps its level unset
// until the designer gives it one, and a description changed by hand no
// longer matches the access record the designer packed over it.
void SayRefused(const TDocData& doc) {
  const std::string why = static_cast<uint32_t>(doc.PasswordNumber) == kDocAccessRefused
                              ? "его описание изменено не в служебных настройках"_w
                              : "ему не задан номер пароля"_w;
  Ui().LogError(doc.MenuCaption + ": документ не запущен, "_w + why);
  // The designer tries its working copies: there the number set is
  // enough; the menu and the runner read what was saved.
  const std::string remedy =
      DesignerTestRun() ? "Задайте \"№ пароля\" документа на вкладке \"Команды\"."_w
                        : "Задайте \"№ пароля\" документа в служебных настройках (вкладка \"Команды\")"_w +
                              " и сохраните их."_w;
  Ui().MsgBox("Документ не запускается: "_w + why + ".\r" + remedy,
              doc.MenuCaption.empty() ? "Документ не запущен"_w : doc.MenuCaption, kMbWarning);
}

}  // namespace

bool RunDocumentChecked(TDocData& doc, TDocumentSteps& steps, int32_t& errorLine,
                        int32_t& errorCode) {
  errorLine = 0;
  errorCode = 0;
  if (doc.PasswordNumber < 0 || doc.PasswordNumber > 10) {
    SayRefused(doc);
    return false;
  }
  if (doc.PasswordNumber > 0 && !steps.AskPassword(doc.PasswordNumber)) return false;
  return RunDocument(doc, steps, errorLine, errorCode);
}

bool RunDocument(TDocData& doc, TDocumentSteps& steps, int32_t& errorLine, int32_t& errorCode) {
  errorLine = 0;
  errorCode = 0;
  steps.CloseWorkbooks(false);
  const bool mainEnabled = steps.DisableMainWindow();
  TMainState& s = MainState();
  TClockMark kept = s.Clock.Keep();
  Settings().Blanks.UnloadAll();

  TDateRec date;
  TTimeRec time;
  if (!WorkingDateTime(doc, steps, date, time)) {
    steps.RestoreMainWindow(mainEnabled);
    return false;
  }
  s.Clock.Fix(date, time);

  // The lock is taken before the day changes, so that a run refused it
  // records no new day; the start-of-day run and the date index work under
  // it. A lock this process already holds (the designer runs the start-of-day
  // program while it holds one) is used as it is and left held.
  const bool takeLock = !DesignerTestRun() && !BasesLocked();
  bool result = false;
  // Without the lock nothing ran: the clock goes back and the run is
  // cleaned up like any other, so the saved time never moves on for it.
  if (takeLock && !LockBases()) {
    s.Clock.SetBack(kept);
  } else {
    if (takeLock) RecoverCommitLeftBehind();
    bool startOfDayFailed = false;
    StartNewDay(doc, date, steps, kept, startOfDayFailed, errorLine, errorCode);
    SetSysVarMoment(date, time);
    ReloadAutoParams();
    const bool compiled = steps.Compile(doc, errorLine, errorCode);
    if (startOfDayFailed || !compiled || errorCode != 0) {
      s.Clock.SetBack(kept);
    } else {
      const TPassesResult passes = steps.RunPasses(doc);
      result = passes.Result;
      if (!passes.CommittedAny) s.Clock.SetBack(kept);
    }
    if (takeLock) UnlockBases();
  }
  ReleaseScanner(Settings().SerialRecord);
  steps.ClearRun();
  Settings().LastDate = s.Clock.BaseDate();
  Settings().LastTime = s.Clock.BaseTime();
  steps.CloseWorkbooks(true);
  steps.RestoreMainWindow(mainEnabled);
  return result;
}

void TStartOfDayOnRoad::RunStartOfDay(TDocData& doc) {
  int32_t errorLine = 0;
  int32_t errorCode = 0;
  RunDocumentChecked(doc, steps_, errorLine, errorCode);
}

}  // namespace vm
