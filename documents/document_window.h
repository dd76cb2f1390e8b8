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

// The row checks of one table (the document's tables, printing and row
// entry run them): every row, or only the given one. Each row is made
// current, with CURRENTROW naming it, and each check finds its partner
// record first. A failed check is shown (a question answered Yes lets the
// row go on); the failing row is then deleted when its check says so, else
// the user is put into its first checked cell and editing starts there.
// True when every row passed; then the old current row is current again.
bool CheckTableRows(TCompiledDocument& doc, TFormPar& form, int32_t onlyRow = -1);

class TDocumentWindowLogic {
 public:
  TDocumentWindowLogic(TCompiledDocument& doc, std::string caption);
  ~TDocumentWindowLogic();
  TDocumentWindowLogic(const TDocumentWindowLogic&) = delete;
  TDocumentWindowLogic& operator=(const TDocumentWindowLogic&) = delete;

  // The first showing runs INIT, a later one the REENTRY part; then the
  // document is recalculated.
  void Show(bool firstShowing);
  // OK. fromButton: the OK button (or a runner that presses it), which asks
  // the exit question and prints automatically; a program's OK asks the
  // question only with askExit and never prints. Nothing happens while an
  // accepted close is pending or a view cell or an open cell edit holds a
  // refused text.
  void OkButClick(bool fromButton, bool askExit = false);
  // Cancel; ask is false when the question is not to be asked. A text a
  // field or cell holds refused (or would refuse) is dropped first, the
  // field or cell showing its stored value again.
  void CanButClick(bool ask);
  // The row checks of every table and, when they pass, the document checks.
  bool CheckAll();
  // The closing programs (after OK) or, in REENTRY mode, the emptying.
  void Close();

  bool MayClose() const { return mayClose_; }
  bool Confirmed() const { return confirmed_; }
  // The results are to be written.
  bool CommitFlag() const { return commit_; }
  // The document was printed in this showing; automatic printing after OK
  // prints it again only when the document asks for that.
  bool Printed() const { return printed_; }
  void MarkPrinted() { printed_ = true; }

  // Set by the window. SaveLayout keeps the windows' places in the running
  // document's data whenever the window may close. Print prints the
  // document (and marks it printed); unset, OK neither asks nor prints.
  std::function<void()> SaveLayout;
  std::function<void()> Print;
  // Set by the window: a question, box or dialog opened over the document
  // is up, or has not yet handed back its answer.
  std::function<bool()> DialogOpen;

  // Any thread: the scanner's line waits its turn. A line that arrives
  // while a program runs is not lost, and none is handled twice.
  void PushScanLine(std::string line);
  // wake is called on the pushing thread after a line is queued, so that
  // the window's thread may come to drain it; nullptr when the window goes.
  void SetScanWake(std::function<void()> wake);
  // The window's thread, when no program runs, no cell is being left, no
  // dialog is open and no close is pending: for every queued line in turn
  // a field typed in is left and an open cell edit ends on its own cell,
  // the line goes into SCANSTRING, the SCANER program runs and the
  // document is recalculated; a field's refused text keeps the lines
  // waiting until it is left with a value. Returns how many were handled.
  int32_t DrainScanLines();
  bool ScanLinesWaiting() const;

 private:
  bool CheckDocument();
  void PrintAfterOk();
  void RunClosingPrograms();
  // False when the run was aborted on the way.
  bool RunLastTablePrograms();
  void EmptyViews();

  TCompiledDocument& doc_;
  std::string caption_;
  bool mayClose_ = false;
  bool confirmed_ = false;
  bool commit_ = false;
  bool printed_ = false;
  // OK or Cancel let the window close; it closes once the press is over.
  bool closePending_ = false;
  mutable std::mutex scanMutex_;
  std::deque<std::string> scanLines_;
  std::function<void()> scanWake_;
  bool draining_ = false;
};

// The scanner port's line callback (its receive thread): the line waits in
// the document window that is open, the newest one when windows nest;
// without one it is dropped.
void OnScannerData(const uint8_t* data, std::size_t length);

}  // namespace vm
