#include "language/interpreter.h"

#include "platform/encoding.h"
#include "foundation/text/number_text.h"
#include "foundation/values/dates.h"
#include "language/description_reader.h"
#include "language/evaluator.h"
#include "language/program_context.h"
#include "language/whole_loop.h"
#include "platform/services.h"

namespace vm {

namespace {

// Windows the run disables and the busy window it shows, both put back when
// the run ends.
class TRunWindows {
 public:
  explicit TRunWindows(bool nested)
      : nested_(nested), wasBusy_(Ui().BusyRunning()), enabled_(Ui().DocWindowsEnabled()) {
    if (!wasBusy_) Ui().BeginBusy();
    Ui().EnableDocWindows(false);
  }
  ~TRunWindows() {
    Ui().EnableDocWindows(enabled_);
    if (!(nested_ && wasBusy_)) Ui().EndBusy();
  }
  TRunWindows(const TRunWindows&) = delete;
  TRunWindows& operator=(const TRunWindows&) = delete;

 private:
  bool nested_;
  bool wasBusy_;
  bool enabled_;
};

// A message box shown while the busy window waits.
int32_t AskUser(const std::string& text, uint32_t flags) {
  const bool busy = SuspendBusy();
  const int32_t answer = Ui().MsgBox(text, Ui().AppTitle(), flags);
  SetBusy(busy);
  return answer;
}

// The common case, a number into a numeric variable, stored at once; false
// for any other.
bool StoreNumber(TInstruction& in, const TCommonVar& value) {
  if (in.Opcode != kOpAssign || in.Var == nullptr || value.Kind != 'N' || in.Var->Value.Kind != 'N')
    return false;
  in.Var->Value.Num = value.Num;
  return true;
}

// Statements of a loop on integers from current on, up to Most of them:
// the loop a WHILE test heads, made on its first run, or the one current is
// a step of; how many ran.
int RunWholeLoop(TInstruction*& current, int most, const TInstruction*& last) {
  TInstruction& in = *current;
  TWholeLoop* loop = in.InWholeLoop;
  int32_t from = in.WholeLoopStep;
  if (in.Opcode == kOpWhileTest) {
    if (!in.WholeLoopTried) {
      in.WholeLoopTried = true;
      in.WholeLoop = TWholeLoop::Build(in);
      if (in.WholeLoop != nullptr) in.WholeLoop->MarkSteps();
    }
    if (in.WholeLoop != nullptr) {
      loop = in.WholeLoop.get();
      from = 0;
    }
  }
  if (loop == nullptr || loop->GivenUp() || !WholeLoopsOn()) return 0;
  return loop->Run(from, current, most, last);
}

}  // namespace

TInstructionPool& Instructions() {
  static TInstructionPool pool;
  return pool;
}

TInterpreter& Interp() {
  static TInterpreter interpreter;
  return interpreter;
}

void ResetStatements() {
  Interp().ResetErrors();
  Instructions().Clear();
}

void FreeStatements() {
  Interp().ClearReturnStack();
  Instructions().Clear();
}

TInterpreter::TInterpreter() { returnStack_.reserve(64); }

void TInterpreter::SetDocument(std::string name, std::string_view description) {
  documentName_ = std::move(name);
  sourceLines_ = SplitDescriptionLines(description);
}

void TInterpreter::BeginDocumentRun() {
  aborted_ = false;
  errorLine_ = -1;
  terminate_ = 0;
  // A break asked for in the last document (or while nothing ran) is no
  // question to this one.
  breakRequest_.store(false, std::memory_order_relaxed);
  focusTable_ = nullptr;
  returnStack_.clear();
}

void TInterpreter::ResetErrors() {
  errorCode_ = 0;
  errorPos_ = 0;
  errorText_.clear();
  currentLine_ = 0;
  reported_ = false;
}

void TInterpreter::SetErrorText(const std::string& text) {
  errorText_ = text;
  errorCode_ = kRunErrText;
}

TInstruction* TInterpreter::PopReturn() {
  if (returnStack_.empty()) return nullptr;
  TInstruction* top = returnStack_.back();
  returnStack_.pop_back();
  return top;
}

void TInterpreter::ExecProgram(TInstruction* program, int32_t stopOpcode) {
  focusTable_ = nullptr;
  RunProgram(program, stopOpcode, false);
  if (focusTable_ != nullptr) Ui().FocusTable(focusTable_);
  focusTable_ = nullptr;
}

bool TInterpreter::ExecNestedProgram(TInstruction* program, int32_t stopOpcode) {
  return RunProgram(program, stopOpcode, true);
}

bool TInterpreter::RunProgram(TInstruction* program, int32_t stopOpcode, bool nested) {
  // An error or a granted break already stops the enclosing run; starting
  // again, even from a control's event, would hide the error or undo the
  // break.
  if (depth_ > 0 && (errorCode_ != 0 || !running_)) return false;
  bool ok = true;
  if (program != nullptr && terminate_ == 0) {
    const bool outermost = depth_ == 0;
    if (outermost) {
      // The text of an earlier run's error must not pass for a new one, and
      // the returns an aborted run left behind must not use up the stack.
      reported_ = false;
      errorText_.clear();
      returnStack_.clear();
    }
    if (depth_ >= kMaxRunNesting) {
      // Programs that start each other through the windows' events without
      // end would exhaust the machine's stack.
      errorCode_ = kRunErrStackFull;
      ReportError();
      return false;
    }
    TRunWindows windows(nested);
    running_ = true;
    breakRequest_.store(false, std::memory_order_relaxed);
    errorCode_ = 0;
    ++depth_;
    RunLoop(program, stopOpcode);
    --depth_;
    if (errorCode_ != 0) ReportError();
    ok = errorCode_ == 0 && running_;
    if (outermost) running_ = false;
  }
  if (terminate_ == 0) return ok;
  // The enclosing run stops too and closes the window once, at its end.
  if (depth_ == 0) Ui().CloseDocWindow();
  return false;
}

void TInterpreter::RunLoop(TInstruction* current, int32_t stopOpcode) {
  // A subroutine run up to its return must not stop at the return of a
  // subroutine it calls itself.
  const std::size_t baseDepth = returnStack_.size();
  // The steps that cannot stop the run go in batches up to the next pump,
  // unless one of them could be where the run has to stop.
  const bool batches = stopOpcode != kOpAssign && stopOpcode != kOpIf && stopOpcode != kOpWhileTest;
  int counter = 0;
  while (running_ && current != nullptr && current->Opcode != kOpEnd && errorCode_ == 0) {
    if (stopOpcode != 0 && current->Opcode == stopOpcode &&
        (stopOpcode != kOpReturn || returnStack_.size() <= baseDepth))
      break;
    current = Steps(current, batches ? kMessagesEvery - counter : 1, counter);
    if (counter == kMessagesEvery) {
      counter = 0;
      Ui().ProcessMessages();
    }
    if (breakRequest_.load(std::memory_order_relaxed) && errorCode_ == 0) AskBreak();
    if (terminate_ != 0) break;
  }
}

TInstruction* TInterpreter::Steps(TInstruction* current, int most, int& counter) {
  const TInstruction* last = nullptr;
  int taken = 0;
  while (taken < most && current != nullptr) {
    if (current->Opcode == kOpWhileTest || current->InWholeLoop != nullptr) {
      if (const int run = RunWholeLoop(current, most - taken, last); run > 0) {
        taken += run;
        continue;
      }
    }
    const TInstruction* from = current;
    if (!QuickStep(current)) break;
    last = from;
    ++taken;
  }
  if (taken == 0) {
    ++counter;
    return Execute(*current);
  }
  counter += taken;
  currentLine_ = last->Line;
  return current;
}

bool TInterpreter::QuickStep(TInstruction*& current) {
  TInstruction& in = *current;
  long double number;
  switch (in.Opcode) {
    case kOpGoto:
      current = in.Next;
      return true;
    case kOpAssign:
      // A number into a numeric variable goes straight from the number code.
      if (in.Var == nullptr || in.Var->Value.Kind != 'N' || !EvalNumber(in.Expr, number)) return false;
      in.Var->Value.Num = number;
      current = in.Next;
      return true;
    case kOpIf:
    case kOpWhileTest: {
      const int truth = TestNumber(in.Expr);
      if (truth < 0) return false;
      current = truth != 0 ? in.Next : in.Jump;
      return true;
    }
    default:
      return false;
  }
}

void TInterpreter::AskBreak() {
  const bool stop = AskUser(" Прервать расчет ?"_w, kMbYesNoQuestion) == kIdYes;
  running_ = !stop;
  if (stop) aborted_ = true;
  breakRequest_.store(false, std::memory_order_relaxed);
}

TInstruction* TInterpreter::Execute(TInstruction& in) {
  currentLine_ = in.Line;
  switch (in.Opcode) {
    case kOpGoto:
      return in.Next;
    case kOpAssign:
    case kOpSetField:
    case kOpSetAutoParam: {
      int err = 0;
      EvalExpr(in.Expr, err, value_);
      if (err != 0) {
        SetEvalError(err, in, false);
      } else if (errorCode_ == 0 && !StoreNumber(in, value_)) {
        Store(in);
      }
      return in.Next;
    }
    case kOpIf:
    case kOpWhileTest: {
      int err = 0;
      EvalExpr(in.Expr, err, value_);
      if (err != 0) {
        SetEvalError(err, in, in.Opcode == kOpWhileTest);
        return in.Jump;
      }
      if (in.Opcode == kOpWhileTest && NormalizeTypeChar(value_.Kind) != 'N') {
        errorCode_ = kRunErrNotNumber;
        return in.Jump;
      }
      return IsTrueNumber(value_.Num) ? in.Next : in.Jump;
    }
    case kOpQuestion:
    case kOpBaseQuestion:
      in.Question->Run();
      return in.Next;
    case kOpLoad: {
      const TLoadOutcome outcome = in.Loading->Run();
      // An error of the loading's own programs has been reported already.
      if (errorCode_ != 0) return in.Next;
      if (outcome.EvalError != 0) {
        SetEvalError(outcome.EvalError, in, false);
      } else if (!outcome.Message.empty()) {
        SetErrorText(outcome.Message);
      } else {
        errorCode_ = outcome.Code;
      }
      if (errorCode_ != 0) currentLine_ = in.Line;
      return in.Next;
    }
    case kOpCall:
      if (returnStack_.size() >= kMaxCallDepth) {
        errorCode_ = kRunErrStackFull;
      } else {
        returnStack_.push_back(in.Next);
      }
      return in.Jump;
    case kOpReturn: {
      TInstruction* back = PopReturn();
      if (back == nullptr) errorCode_ = kRunErrStackEmpty;
      return back;
    }
    default:
      errorCode_ = kRunErrBadOpcode;
      return in.Next;
  }
}

namespace {

// Only the part of the kind is written: a number store touches no string,
// and a text store reuses the variable's buffer.
void StoreInPlace(TCommonVar& to, const TCommonVar& from) {
  to.Kind = from.Kind;
  switch (NormalizeTypeChar(from.Kind)) {
    case 'N': to.Num = from.Num; return;
    case 'C': to.Str = from.Str; return;
    case 'D': to.Date = from.Date; return;
    case 'T': to.Time = from.Time; return;
    default: to = from; return;
  }
}

}  // namespace

namespace {

// The number as written, without the zeros its fixed form ends in; where
// those digits would end in a neighbour of it, with the digits it holds.
std::string NumberNamed(long double x) {
  std::string text = WholeDigitsHeld(x) ? ExtendedToFixed(x, 9) : HeldDigitsText(x);
  if (text.find('.') != std::string::npos && text.find('E') == std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

}  // namespace

std::string TooWideNumberText(long double x, const std::string& field) {
  return " Число "_w + NumberNamed(x) + " не умещается в поле "_w + field + " ";
}

std::string TooWideValueText(const TCommonVar& v, const std::string& place, const std::string& kind) {
  const std::string value =
      NormalizeTypeChar(v.Kind) == 'D' ? "Дата "_w + DateRecToStr(v.Date) : "Число "_w + NumberNamed(v.Num);
  return " "_w + value + " не умещается в "_w + kind + place + " ";
}

void TInterpreter::Store(TInstruction& in) {
  const char kind = NormalizeTypeChar(value_.Kind);
  switch (in.Opcode) {
    case kOpAssign:
      if (in.Var == nullptr) return;
      if (NormalizeTypeChar(in.Var->Value.Kind) != kind) {
        errorCode_ = kRunErrType;
        return;
      }
      StoreInPlace(in.Var->Value, value_);
      return;
    case kOpSetField:
      if (NormalizeTypeChar(in.Field->FieldType) != kind) {
        errorCode_ = kRunErrType;
        return;
      }
      if (!in.Base->SetFieldValue(in.Field->FieldIndex, value_))
        SetErrorText(TooWideValueText(value_, in.Field->BaseName + "." + in.Field->FieldName, "поле "_w));
      return;
    default:
      if (NormalizeTypeChar(in.AutoParam->TypeLetter()) != kind) {
        errorCode_ = kRunErrType;
        return;
      }
      if (!in.AutoParam->SetValue(value_))
        SetErrorText(TooWideValueText(value_, in.AutoParam->Name(), "автопараметре "_w));
      return;
  }
}

void TInterpreter::SetEvalError(int evalCode, const TInstruction& in, bool keepText) {
  // An error that a nested run has shown already keeps its place.
  if (errorCode_ != 0 && reported_) return;
  if (!(keepText && !errorText_.empty())) errorText_ = EvalErrorText(evalCode, in.Context);
  errorCode_ = kRunErrText;
}

std::string TInterpreter::RuntimeErrorText() const {
  std::string text;
  switch (errorCode_) {
    case kRunErrText: text = errorText_; break;
    case kRunErrType: text = " Разные типы приемника и выражения "_w; break;
    case kRunErrStackEmpty: text = " Стек исчерпан при возврате из подпрограммы "_w; break;
    case kRunErrStackFull: text = " Стек переполнен при вызове подпрограммы "_w; break;
    case kRunErrBadOpcode: text = " Неизвестная ошибка, обратитесь к разработчику программы "_w; break;
    case kRunErrCellType:
      text = " Несоответствие типов операнда и ячейки таблицы при заполнении таблицы"_w;
      break;
    default: text = " Незнакомая ошибка "_w; break;
  }
  return " Ошибка во время выполнения программы в строке "_w + std::to_string(currentLine_) +
         ":\r" + text;
}

void TInterpreter::ReportError() {
  aborted_ = true;
  if (errorLine_ < 0) errorLine_ = currentLine_;
  if (reported_) return;
  reported_ = true;
  std::string message = RuntimeErrorText();
  AskUser(message, kMbError);
  if (Ui().DesignerTestRun()) return;
  for (char& c : message)
    if (c == '\r') c = ' ';
  Ui().LogError("= = = = = = = = = = = = = = = = = = = = = = = = = = = ");
  Ui().LogError("Ошибка при выполнении документа '"_w + documentName_ + "'");
  Ui().LogError(message);
  Ui().LogError(SourceLine(currentLine_));
}

std::string TInterpreter::SourceLine(int32_t line) const {
  if (line < 1 || line > static_cast<int32_t>(sourceLines_.size())) return {};
  return sourceLines_[static_cast<std::size_t>(line - 1)];
}

}  // namespace vm
