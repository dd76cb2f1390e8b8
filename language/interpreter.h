// The statement interpreter: runs instruction lists on the user-interface
// thread, lets the windows breathe every 100 instructions, answers a break
// request with its question, and stops on a run error, which it shows and
// logs once.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/text/strutils.h"
#include "foundation/values/values.h"
#include "language/instructions.h"
#include "platform/services.h"

namespace vm {

// Run error codes; -1 means the message is the error text.
enum : int32_t {
  kRunErrText = -1,
  kRunErrType = 1,
  kRunErrStackEmpty = 2,
  kRunErrStackFull = 3,
  kRunErrBadOpcode = 4,
  kRunErrNotNumber = 5,
  kRunErrCellType = 22,
};

inline constexpr std::size_t kMaxCallDepth = 32768;
// Runs started from inside runs (loadings, built-ins, events of controls).
inline constexpr int kMaxRunNesting = 128;
inline constexpr int kMessagesEvery = 100;

class TInterpreter {
 public:
  TInterpreter();

  // Runs a program at top level. A stop opcode other than 0 stops before the
  // first instruction with that opcode.
  void ExecProgram(TInstruction* program, int32_t stopOpcode = 0);
  // Runs a program from inside a running one (a loading's per-row program, a
  // subroutine run by a built-in). With kOpReturn it runs a subroutine up to
  // its own return. False when the run ended with an error, a break or the
  // terminate value.
  // Neither starts while an enclosing run is stopping on an error or a break.
  bool ExecNestedProgram(TInstruction* program, int32_t stopOpcode = 0);

  // The message of the current run error.
  std::string RuntimeErrorText() const;

  // The document the programs belong to: its name and description text, for
  // the error log.
  void SetDocument(std::string name, std::string_view description);
  // A new document run: no error line, not aborted, no terminate value,
  // no break request, empty return stack.
  void BeginDocumentRun();
  // Error code, position and text cleared, current line 0.
  void ResetErrors();

  // Set by the document window when the user asks to break the run.
  void RequestBreak() { breakRequest_.store(true, std::memory_order_relaxed); }
  bool BreakRequested() const { return breakRequest_.load(std::memory_order_relaxed); }

  int32_t ErrorCode() const { return errorCode_; }
  const std::string& ErrorText() const { return errorText_; }
  // Sets error -1 with its text, as a failing built-in does.
  void SetErrorText(const std::string& text);
  bool Running() const { return running_; }
  bool Aborted() const { return aborted_; }
  // The line of the document's first run error, -1 when none.
  int32_t ErrorLine() const { return errorLine_; }
  int32_t CurrentLine() const { return currentLine_; }
  void SetCurrentLine(int32_t line) { currentLine_ = line; }

  int32_t TerminateValue() const { return terminate_; }
  void SetTerminateValue(int32_t value) { terminate_ = value; }
  // The table that gets the focus when the top-level run ends.
  void SetFocusTable(FocusableTable* table) { focusTable_ = table; }

  std::size_t CallDepth() const { return returnStack_.size(); }
  void PushReturn(TInstruction* instruction) { returnStack_.push_back(instruction); }
  // nullptr when the stack is empty.
  TInstruction* PopReturn();
  void ClearReturnStack() { returnStack_.clear(); }

 private:
  bool RunProgram(TInstruction* program, int32_t stopOpcode, bool nested);
  void RunLoop(TInstruction* current, int32_t stopOpcode);
  // The instructions from current on, up to most of them, as long as they
  // cannot stop the run, or else the one at current; their number added to
  // counter. The instruction to go on with.
  TInstruction* Steps(TInstruction* current, int most, int& counter);
  // One instruction that cannot set an error, a break or the terminate
  // value: a jump, or a store or test of numbers whose number code
  // finishes. Current moves on; false, with nothing done, for any other.
  static bool QuickStep(TInstruction*& current);
  // One instruction of any kind after QuickStep refused it.
  TInstruction* Execute(TInstruction& in);
  void Store(TInstruction& in);
  void SetEvalError(int evalCode, const TInstruction& in, bool keepText);
  void AskBreak();
  void ReportError();
  std::string SourceLine(int32_t line) const;

  int32_t errorCode_ = 0;
  std::string errorText_;
  int32_t errorPos_ = 0;
  bool running_ = false;
  std::atomic<bool> breakRequest_{false};
  bool aborted_ = false;
  int32_t errorLine_ = -1;
  int32_t currentLine_ = 0;
  int32_t terminate_ = 0;
  // Whether the pending error has been shown and logged.
  bool reported_ = false;
  int depth_ = 0;
  FocusableTable* focusTable_ = nullptr;
  std::vector<TInstruction*> returnStack_;
  TCommonVar value_;

  std::string documentName_;
  StringList sourceLines_;
};

// The run error of a number that does not fit the field (BASE.FIELD) it
// is stored in even without decimals.
std::string TooWideNumberText(long double x, const std::string& field);
// The same for a value of any kind a field (or, by `kind`, another place)
// refuses: a number as above, a date whose parts do not fit a date field's
// eight digits.
std::string TooWideValueText(const TCommonVar& v, const std::string& place, const std::string& kind);

// The interpreter of the running document.
TInterpreter& Interp();

// Before a document is compiled: errors cleared and every instruction freed.
void ResetStatements();
// When the document is cleared: every instruction freed.
void FreeStatements();

}  // namespace vm
