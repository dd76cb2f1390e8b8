// The document window without a window: what OK, Cancel and closing do to a
// compiled document (OKPRESS and CANCLOSE, the checks of every row and of
// the document, the exit question, the closing programs and FINAL). The
// windowed document window and the headless runner share it.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "documents/compiled_document.h"

namespace vm {

class TDocumentWindowLogic {
 public:
  TDocumentWindowLogic(TCompiledDocument& doc, std::string caption);

  // The first showing runs INIT, a later one the REENTRY part; then the
  // document is recalculated.
  void Show(bool firstShowing);
  // OK; fromButton says whether the exit question may be asked.
  void OkButClick(bool fromButton);
  // Cancel; ask is false when the question is not to be asked.
  void CanButClick(bool ask);
  // The row checks of every table and, when they pass, the document checks.
  bool CheckAll();
  // The row checks of one row of a table; a failing one is reported, and
  // the row deleted or the user put into the checked cell.
  bool CheckRow(TFormPar& form, int32_t row);
  // The closing programs (after OK) or, in REENTRY mode, the emptying.
  void Close();

  bool MayClose() const { return mayClose_; }
  bool Confirmed() const { return confirmed_; }
  // The results are to be written.
  bool CommitFlag() const { return commit_; }

  // Any thread: the scanner's line waits its turn. A line that arrives
  // while a program runs is not lost, and none is handled twice.
  void PushScanLine(std::string line);
  // wake is called on the pushing thread after a line is queued, so that
  // the window's thread may come to drain it; nullptr when the window goes.
  void SetScanWake(std::function<void()> wake);
  // The window's thread, when no program runs: every queued line in turn
  // goes into SCANSTRING, the SCANER program runs and the document is
  // recalculated. Returns how many were handled.
  int32_t DrainScanLines();
  bool ScanLinesWaiting() const;

 private:
  bool CheckRows(TFormPar& form);
  bool CheckDocument();
  // Shows the failing check's message; true when the user lets it pass.
  bool ReportFailed(TCheckRecord& check);

  TCompiledDocument& doc_;
  std::string caption_;
  bool mayClose_ = false;
  bool confirmed_ = false;
  bool commit_ = false;
  mutable std::mutex scanMutex_;
  std::deque<std::string> scanLines_;
  std::function<void()> scanWake_;
  bool draining_ = false;
};

}  // namespace vm
