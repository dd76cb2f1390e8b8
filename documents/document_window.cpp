#include "documents/document_window.h"

#include <algorithm>
#include <vector>

#include "documents/document_recalc.h"
#include "foundation/values/value_text.h"
#include "language/bound_tables.h"
#include "language/evaluator.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr uint32_t kCheckBoxFlags = 0x2040;
constexpr uint32_t kExitQuestionFlags = 0x2024;

enum class TCondition { Passed, Failed, Error };

// The windows that take scanner lines, the newest last: a nested document
// window takes them while it is open.
std::mutex gScanTargetsMutex;
std::vector<TDocumentWindowLogic*> gScanTargets;

// A condition that cannot be evaluated or is no number is reported (for
// rows) and lets the check pass.
TCondition EvalCondition(TCompiledDocument& doc, TExprChain& condition, bool report) {
  int err = 0;
  TCommonVar v;
  EvalExpr(condition, err, v);
  if (err != 0) {
    if (report)
      Ui().MsgBox("Ошибка при вычислении условия проверки "_w + EvalErrorText(err, &doc.Context),
                  "Ошибка проверки"_w, kCheckBoxFlags);
    return TCondition::Error;
  }
  if (v.Kind != 'N') {
    if (report)
      Ui().MsgBox("Неверный тип условия проверки "_w, "Ошибка проверки"_w, kCheckBoxFlags);
    return TCondition::Error;
  }
  return IsNearZero(v.Num) ? TCondition::Failed : TCondition::Passed;
}

// The failed check's message; false when it cannot be evaluated, which
// lets the check pass unseen.
bool MessageText(TExprChain& message, std::string& text) {
  int err = 0;
  TCommonVar v;
  EvalExpr(message, err, v);
  if (err != 0) return false;
  text = ValueToText(v, 0, 0);
  return true;
}

// True when the user lets a failed question check pass.
bool ShowFailed(const std::string& text, bool question) {
  if (question) return Ui().MsgBox(text, "Внимание !"_w, kMbYesNoWarning) == kIdYes;
  Ui().MsgBox(text, "Ошибка проверки"_w, kCheckBoxFlags);
  return false;
}

// The record of the check's own base with the row's keys becomes the
// base's current one.
bool FindBaseRecord(TFormPar& form, TUBL& base, int32_t row) {
  TStringBase& table = base.Table;
  std::vector<char> record(static_cast<std::size_t>(table.RecordSize()), ' ');
  const TKeyCol* baseKey = table.Keys.get();
  for (const TKeyCol* key = form.Keys.get(); key != nullptr && baseKey != nullptr;
       key = key->Next.get(), baseKey = baseKey->Next.get())
    table.SetBufferValue(baseKey->Number, form.View().GetCellValue(key->Number, row), record.data());
  const TRow* found = table.FindByKeys(record.data(), table.Keys.get());
  if (found == nullptr) return false;
  table.MemTableGoto(found->Index);
  return true;
}

// The row of the look-up page's full view with the row's keys becomes the
// page's current row, and its record the current one of the page's base;
// -1 when there is none.
int32_t FindPageRow(TFormPar& form, THelpItem& page, int32_t row) {
  // A page nobody opened yet has not read its base.
  if (page.Hidden.RowCount() == 0 && page.Link != nullptr) page.LoadRows();
  const TViewRow* rowCells = form.View().GetRow(row);
  if (rowCells == nullptr) return -1;
  int32_t insertPos = 0;
  const int32_t found =
      page.Hidden.FindRowByKeys(form.View(), *rowCells, form.Keys.get(), false, insertPos, page.Keys.get());
  if (found < 0) return -1;
  page.SetHiddenRowNumber(found + 1);
  const int32_t record = page.Hidden.TableRow(found);
  if (page.Link != nullptr && record >= 0) page.Link->Table.MemTableGoto(record);
  return found;
}

// The check of one row; true when it passes (a question the user let go
// counts as passed).
bool RowPasses(TCompiledDocument& doc, TFormPar& form, TCheckRecord& check, int32_t row) {
  int32_t pageRow = -1;
  bool found = false;
  if (check.OnBase != nullptr) {
    found = FindBaseRecord(form, *check.OnBase, row);
  } else if (form.Help != nullptr) {
    pageRow = FindPageRow(form, *form.Help, row);
    found = pageRow >= 0;
  }
  if (!found && check.NoFindCondition.empty()) return true;
  TExprChain& condition = found ? check.Condition : check.NoFindCondition;
  TExprChain& message = found ? check.Message : check.NoFindMessage;
  if (EvalCondition(doc, condition, true) != TCondition::Failed) return true;
  std::string text;
  if (!MessageText(message, text)) return true;
  // The look-up shows the partner beside the message.
  if (pageRow >= 0) form.Help->Hidden.SetRow(pageRow);
  return ShowFailed(text, check.Warn);
}

// The first column after the current one, round to it, that is shown,
// checked and not of kind 'E' in the row; the current one when none is.
int32_t FirstCheckedColumn(const TDataView& view, const TCheckRecord& check, int32_t row) {
  const int32_t shown = std::min<int32_t>(view.ShownColCount(), static_cast<int32_t>(check.Columns.size()));
  const int32_t current = view.CurCol();
  for (int32_t step = 1; step <= shown; ++step) {
    const int32_t col = (current + step) % shown;
    if (col >= 0 && check.Columns.test(static_cast<std::size_t>(col)) && view.BlankFieldKind(col, row) != 'E')
      return col;
  }
  return current;
}

// The user goes back to the failing row to mend it.
void EditFailedCell(TDataView& view, const TCheckRecord& check, int32_t row) {
  const int32_t col = FirstCheckedColumn(view, check, row);
  if (col >= 0) view.SetCol(col);
  view.SetUpdating(false);
  view.RequestFocus();
  view.BeginEdit();
}

}  // namespace

bool CheckTableRows(TCompiledDocument& doc, TFormPar& form, int32_t onlyRow) {
  if (form.Checks == nullptr || form.Checks->Count() == 0) return true;
  TDataView& view = form.View();
  const bool wasLoading = view.Updating();
  const int32_t oldRow = view.CurRow();
  const TCommonVar oldRowNumber = form.CurrentRow != nullptr ? form.CurrentRow->Value : TCommonVar{};
  view.SetUpdating(true);
  const int32_t first = onlyRow >= 0 ? onlyRow : 0;
  const int32_t last = onlyRow >= 0 ? std::min(onlyRow, view.RowCount() - 1) : view.RowCount() - 1;
  for (int32_t row = first; row <= last; ++row) {
    view.SetRow(row);
    // The checks read the row's cells through CURRENTROW.
    SetNumberVariable(form.CurrentRow, row + 1);
    for (int32_t i = 0; i < form.Checks->Count(); ++i) {
      TCheckRecord& check = *form.Checks->GetItem(i);
      if (RowPasses(doc, form, check, row)) continue;
      if (check.DeleteRow) {
        view.DeleteRow(row);
        if (!wasLoading) view.SetUpdating(false);
      } else {
        EditFailedCell(view, check, row);
      }
      return false;
    }
  }
  view.SetRow(oldRow);
  if (form.CurrentRow != nullptr) form.CurrentRow->Value = oldRowNumber;
  if (!wasLoading) view.SetUpdating(false);
  return true;
}

TDocumentWindowLogic::TDocumentWindowLogic(TCompiledDocument& doc, std::string caption)
    : doc_(doc), caption_(std::move(caption)) {
  const std::lock_guard<std::mutex> lock(gScanTargetsMutex);
  gScanTargets.push_back(this);
}

TDocumentWindowLogic::~TDocumentWindowLogic() {
  const std::lock_guard<std::mutex> lock(gScanTargetsMutex);
  gScanTargets.erase(std::remove(gScanTargets.begin(), gScanTargets.end(), this), gScanTargets.end());
}

void OnScannerData(const uint8_t* data, std::size_t length) {
  // Lock order: the receiver's, this one, then the window's own.
  const std::lock_guard<std::mutex> lock(gScanTargetsMutex);
  if (!gScanTargets.empty())
    gScanTargets.back()->PushScanLine(std::string(reinterpret_cast<const char*>(data), length));
}

void TDocumentWindowLogic::Show(bool firstShowing) {
  mayClose_ = confirmed_ = commit_ = printed_ = closePending_ = false;
  TInstruction* start = firstShowing ? doc_.Programs.Init : doc_.Programs.Reentry;
  if (start != nullptr) Interp().ExecProgram(start);
  RecalcDocument(doc_);
}

bool TDocumentWindowLogic::CheckDocument() {
  for (int32_t i = 0; i < doc_.Checks.Count(); ++i) {
    TCheckRecord& check = *doc_.Checks.GetItem(i);
    if (EvalCondition(doc_, check.Condition, false) != TCondition::Failed) continue;
    std::string text;
    if (MessageText(check.Message, text) && !ShowFailed(text, check.Warn)) return false;
  }
  return true;
}

bool TDocumentWindowLogic::CheckAll() {
  for (const auto& form : doc_.Forms)
    if (!CheckTableRows(doc_, *form)) return false;
  return CheckDocument();
}

void TDocumentWindowLogic::OkButClick(bool fromButton, bool askExit) {
  if (mayClose_ && closePending_) return;
  // The press that left a refused field or cell comes here after its
  // message: the document is not closed on a value the user did not get
  // stored.
  bool refused = doc_.Views.HoldsRefused() || doc_.InfViews.HoldsRefused();
  for (const auto& form : doc_.Forms) refused = refused || form->View().HoldsRefusedEdit();
  if (refused) {
    mayClose_ = false;
    return;
  }
  SetNumberVariable(doc_.Predefined.CanClose, 1);
  if (doc_.Programs.OkPress != nullptr) Interp().ExecProgram(doc_.Programs.OkPress);
  // OKPRESS ended the run: the window goes as cancelled, without the checks.
  if (Interp().TerminateValue() != 0) return;
  const TVariable* canClose = doc_.Predefined.CanClose;
  mayClose_ = canClose == nullptr ||
              (canClose->Value.Kind == 'N' &&
               (canClose->Value.Num > kNumTolerance || canClose->Value.Num < -kNumTolerance));
  if (!mayClose_) return;
  mayClose_ = CheckAll();
  confirmed_ = mayClose_;
  if (mayClose_ && (fromButton || askExit) && !doc_.Options.ExitConfirm.empty()) {
    mayClose_ = Ui().MsgBox(doc_.Options.ExitConfirm, caption_,
                            kExitQuestionFlags | doc_.Options.ExitDefaultButton) == kIdYes;
    confirmed_ = mayClose_;
  }
  if (mayClose_) {
    if (SaveLayout) SaveLayout();
    if (fromButton) PrintAfterOk();
  }
  closePending_ = mayClose_;
}

void TDocumentWindowLogic::PrintAfterOk() {
  const uint32_t flags = doc_.Options.AutoPrint;
  if (!Print || Ui().DesignerTestRun() || (flags & kAutoPrintAfterOk) == 0) return;
  if (printed_ && (flags & kAutoPrintAgain) == 0) return;
  if ((flags & kAutoPrintAsk) != 0 &&
      Ui().MsgBox("Распечатать документ '"_w + caption_ + "'?", Ui().AppTitle(), kExitQuestionFlags) != kIdYes)
    return;
  Print();
}

void TDocumentWindowLogic::CanButClick(bool ask) {
  commit_ = false;
  // A text the document would refuse goes with the rest of what was
  // entered: the question is about the document, and a No leaves the field
  // or cell with its stored value rather than the refusal again.
  doc_.Views.DropRefused();
  doc_.InfViews.DropRefused();
  for (const auto& form : doc_.Forms) form->View().DropRefusedEdit();
  // A No keeps everything as it was, an accepted close pending included.
  if (!ask || Ui().DesignerTestRun() || Interp().TerminateValue() != 0 ||
      Ui().MsgBox("Все изменения в документе будут игнорированы. Продолжить?"_w, Ui().AppTitle(),
                  kMbYesNoWarning) == kIdYes) {
    mayClose_ = true;
    confirmed_ = false;
  }
  if (!mayClose_) return;
  closePending_ = true;
  if (SaveLayout) SaveLayout();
}

void TDocumentWindowLogic::PushScanLine(std::string line) {
  // The wake runs under the lock so that a window going away cannot be
  // woken halfway through.
  const std::lock_guard<std::mutex> lock(scanMutex_);
  scanLines_.push_back(std::move(line));
  if (scanWake_) scanWake_();
}

void TDocumentWindowLogic::SetScanWake(std::function<void()> wake) {
  const std::lock_guard<std::mutex> lock(scanMutex_);
  scanWake_ = std::move(wake);
}

bool TDocumentWindowLogic::ScanLinesWaiting() const {
  const std::lock_guard<std::mutex> lock(scanMutex_);
  return !scanLines_.empty();
}

int32_t TDocumentWindowLogic::DrainScanLines() {
  // A box shown by SCANER or by the run under way pumps the window's
  // events; the lines then wait for the run to end. So they do for a
  // question or box the window asked, whose answer may be about the row
  // the user chose, and once OK or Cancel let the window close.
  if (draining_ || Interp().Running() || closePending_ || (DialogOpen && DialogOpen())) return 0;
  // So does the message of a cell being left, or the entry its value
  // started: the edit is not over yet and the row is not settled.
  for (const auto& form : doc_.Forms)
    if (form->View().LeavingEditor()) return 0;
  draining_ = true;
  int32_t handled = 0;
  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(scanMutex_);
      // Without a SCANER program the lines mean nothing to the document.
      if (doc_.Programs.Scaner == nullptr) scanLines_.clear();
      if (scanLines_.empty()) break;
    }
    // The recalculation after SCANER shows every field's value again: a
    // field typed in keeps what was typed only once it is left. A text
    // refused there stays to be mended, and the lines wait for it.
    if (!doc_.Views.FinishEdit() || !doc_.InfViews.FinishEdit()) break;
    // SCANER moves the current row: a quantity being typed belongs to the
    // row it was typed in, not to the row the code adds.
    for (const auto& form : doc_.Forms) form->View().FinishEdit();
    std::string line;
    {
      const std::lock_guard<std::mutex> lock(scanMutex_);
      line = std::move(scanLines_.front());
      scanLines_.pop_front();
    }
    if (TVariable* scan = doc_.Predefined.ScanString) {
      scan->Value = TCommonVar{};
      scan->Value.Kind = 'C';
      scan->Value.Str = std::move(line);
    }
    Interp().ExecProgram(doc_.Programs.Scaner);
    RecalcDocument(doc_);
    ++handled;
  }
  draining_ = false;
  return handled;
}

void TDocumentWindowLogic::EmptyViews() {
  for (const auto& form : doc_.Forms) {
    form->View().SetUpdating(true);
    form->View().ClearRows();
  }
}

bool TDocumentWindowLogic::RunLastTablePrograms() {
  for (const auto& form : doc_.Forms) {
    if (form->LastTableProg == nullptr) continue;
    TDataView& view = form->View();
    const bool wasLoading = view.Updating();
    view.SetUpdating(true);
    for (int32_t row = 0; row < view.RowCount() && !Interp().Aborted(); ++row) {
      SetNumberVariable(form->CurrentRow, row + 1);
      Interp().ExecNestedProgram(form->LastTableProg);
      Ui().EnableDocWindows(false);
      Ui().ProcessMessages();
    }
    if (!wasLoading) view.SetUpdating(false);
    if (Interp().Aborted()) return false;
  }
  return true;
}

void TDocumentWindowLogic::RunClosingPrograms() {
  const bool wasBusy = Ui().BusyRunning();
  for (const auto& form : doc_.Forms) {
    if (Interp().Aborted()) return;
    if (form->PreLastProg != nullptr) Interp().ExecProgram(form->PreLastProg);
  }
  Ui().BeginBusy();
  const bool walked = RunLastTablePrograms();
  if (!wasBusy) Ui().EndBusy();
  Ui().EnableDocWindows(true);
  // An aborted run stops the closing programs, FINAL included; nothing is
  // committed and a re-entered window keeps what was entered.
  if (!walked || Interp().Aborted()) return;
  if (doc_.Programs.Final != nullptr) Interp().ExecProgram(doc_.Programs.Final);
  commit_ = !Ui().DesignerTestRun() && !Interp().Aborted();
  if (doc_.Programs.Reentry != nullptr) EmptyViews();
}

void TDocumentWindowLogic::Close() {
  if (confirmed_) {
    RunClosingPrograms();
  } else if (doc_.Programs.Reentry != nullptr) {
    EmptyViews();
    if (doc_.Programs.Final != nullptr) Interp().ExecProgram(doc_.Programs.Final);
  }
  Ui().EndBusy();
}

}  // namespace vm
