// The road of one document from its menu item to the tables: the working
// date and time fixed, a new working day started, the database lock taken,
// the document compiled and run, its results committed or not, and always
// the clean-up. The clock goes back to where it was when nothing was
// committed, its tick included, and so it does when the lock cannot be
// taken; the saved date and time follow the clock after every run.
//
// The compiler, the interpreter and the windows do their part of the road
// through TDocumentSteps.
#pragma once

#include <cstdint>

#include "config/registries.h"
#include "foundation/values/values.h"
#include "models/startup.h"

namespace vm {

struct TPassesResult {
  // What the run returns: something was committed, or a re-entry document
  // ended by TERMINATE.
  bool Result = false;
  bool CommittedAny = false;
};

class TDocumentSteps {
 public:
  virtual ~TDocumentSteps() = default;
  // The password of access level 1..10; false when refused.
  virtual bool AskPassword(int32_t level) = 0;
  // The confirmation of the working date and time with the program's own
  // clock; false when cancelled.
  virtual bool ConfirmDateTime(TDateRec& date, TTimeRec& time) = 0;
  // The flags of the run reset and the document compiled; false after a
  // compile error (shown by the compiler), with its line and code.
  virtual bool Compile(TDocData& doc, int32_t& errorLine, int32_t& errorCode) = 0;
  // The passes of the run: the window or the program, and the commits.
  virtual TPassesResult RunPasses(TDocData& doc) = 0;
  // The end of every run that got past the clock: the scanner's delivery
  // off, the compiled document cleared.
  virtual void ClearRun() {}
  // Open workbooks of the spreadsheet application closed unsaved, at the
  // start of a run and, with quit, at its end, when the application is
  // also hidden (it stays for the next run).
  virtual void CloseWorkbooks(bool /*quit*/) {}
  // The main window: disabled during the run, its state put back after.
  virtual bool DisableMainWindow() { return true; }
  virtual void RestoreMainWindow(bool /*enabled*/) {}
};

// Refuses a document whose access level lies outside 0..10, asks the
// password of a level from 1 up, then runs it.
bool RunDocumentChecked(TDocData& doc, TDocumentSteps& steps, int32_t& errorLine,
                        int32_t& errorCode);
bool RunDocument(TDocData& doc, TDocumentSteps& steps, int32_t& errorLine, int32_t& errorCode);

// The start-of-day document of the start-up, run on the same road.
class TStartOfDayOnRoad : public TStartOfDayRunner {
 public:
  explicit TStartOfDayOnRoad(TDocumentSteps& steps) : steps_(steps) {}
  void RunStartOfDay(TDocData& doc) override;

 private:
  TDocumentSteps& steps_;
};

}  // namespace vm
