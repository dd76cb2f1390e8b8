#include "documents/document_window.h"

#include "documents/document_recalc.h"
#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr uint32_t kCheckBoxFlags = 0x2040;
constexpr uint32_t kExitQuestionFlags = 0x2024;

enum class TCondition { Passed, Failed, Error };

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

// The user is put into the first checked cell after the current one
// (round to it) that is shown and not fixed text.
void EditCheckedCell(TDataView& view, const TCheckRecord& check, int32_t row) {
  const int32_t shown = view.ShownColCount();
  int32_t col = view.CurCol();
  for (int32_t step = 1; step <= shown; ++step) {
    const int32_t c = (view.CurCol() + step) % shown;
    if (c >= 0 && check.Columns.test(static_cast<std::size_t>(c)) && view.BlankFieldKind(c, row) != 'E') {
      col = c;
      break;
    }
  }
  if (view.Updating()) view.SetUpdating(false);
  view.SetCol(col);
  view.BeginEdit();
}

}  // namespace

TDocumentWindowLogic::TDocumentWindowLogic(TCompiledDocument& doc, std::string caption)
    : doc_(doc), caption_(std::move(caption)) {}

void TDocumentWindowLogic::Show(bool firstShowing) {
  mayClose_ = confirmed_ = commit_ = false;
  TInstruction* start = firstShowing ? doc_.Programs.Init : doc_.Programs.Reentry;
  if (start != nullptr) Interp().ExecProgram(start);
  RecalcDocument(doc_);
}

bool TDocumentWindowLogic::ReportFailed(TCheckRecord& check) {
  int err = 0;
  TCommonVar message;
  EvalExpr(check.Message, err, message);
  if (err != 0) return true;
  const std::string text = ValueToText(message, 0, 0);
  if (check.Warn) return Ui().MsgBox(text, "Внимание !"_w, kMbYesNoWarning) == kIdYes;
  Ui().MsgBox(text, "Ошибка проверки"_w, kCheckBoxFlags);
  return false;
}

bool TDocumentWindowLogic::CheckRow(TFormPar& form, int32_t row) {
  if (form.Checks == nullptr) return true;
  TDataView& view = form.View();
  view.SetRow(row);
  for (int32_t i = 0; i < form.Checks->Count(); ++i) {
    TCheckRecord& check = *form.Checks->GetItem(i);
    if (EvalCondition(doc_, check.Condition, true) != TCondition::Failed) continue;
    if (ReportFailed(check)) continue;
    if (check.DeleteRow) {
      view.DeleteRow(row);
    } else {
      EditCheckedCell(view, check, row);
    }
    return false;
  }
  return true;
}

bool TDocumentWindowLogic::CheckRows(TFormPar& form) {
  if (form.Checks == nullptr || form.Checks->Count() == 0) return true;
  TDataView& view = form.View();
  const int32_t oldRow = view.CurRow();
  for (int32_t row = 0; row < view.RowCount(); ++row)
    if (!CheckRow(form, row)) return false;
  view.SetRow(oldRow);
  return true;
}

bool TDocumentWindowLogic::CheckDocument() {
  for (int32_t i = 0; i < doc_.Checks.Count(); ++i) {
    TCheckRecord& check = *doc_.Checks.GetItem(i);
    if (EvalCondition(doc_, check.Condition, false) != TCondition::Failed) continue;
    if (!ReportFailed(check)) return false;
  }
  return true;
}

bool TDocumentWindowLogic::CheckAll() {
  for (const auto& form : doc_.Forms)
    if (!CheckRows(*form)) return false;
  return CheckDocument();
}

void TDocumentWindowLogic::OkButClick(bool fromButton) {
  if (TVariable* canClose = doc_.Predefined.CanClose) {
    canClose->Value = TCommonVar{};
    canClose->Value.Kind = 'N';
    canClose->Value.Num = 1;
  }
  if (doc_.Programs.OkPress != nullptr) Interp().ExecProgram(doc_.Programs.OkPress);
  const TVariable* canClose = doc_.Predefined.CanClose;
  mayClose_ = canClose == nullptr ||
              (canClose->Value.Kind == 'N' &&
               (canClose->Value.Num > kNumTolerance || canClose->Value.Num < -kNumTolerance));
  if (!mayClose_) return;
  mayClose_ = CheckAll();
  confirmed_ = mayClose_;
  if (mayClose_ && fromButton && !doc_.Options.ExitConfirm.empty()) {
    mayClose_ = Ui().MsgBox(doc_.Options.ExitConfirm, caption_,
                            kExitQuestionFlags | doc_.Options.ExitDefaultButton) == kIdYes;
    confirmed_ = mayClose_;
  }
}

void TDocumentWindowLogic::CanButClick(bool ask) {
  commit_ = false;
  if (ask && !Ui().DesignerTestRun() && Interp().TerminateValue() == 0) {
    if (Ui().MsgBox("Все изменения в документе будут игнорированы. Продолжить?"_w, Ui().AppTitle(),
                    kMbYesNoWarning) == kIdYes)
      mayClose_ = true;
  } else {
    mayClose_ = true;
  }
  confirmed_ = false;
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
  // events; the lines then wait for the run to end.
  if (draining_ || Interp().Running()) return 0;
  draining_ = true;
  int32_t handled = 0;
  for (;;) {
    std::string line;
    {
      const std::lock_guard<std::mutex> lock(scanMutex_);
      // Without a SCANER program the lines mean nothing to the document.
      if (doc_.Programs.Scaner == nullptr) scanLines_.clear();
      if (scanLines_.empty()) break;
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

void TDocumentWindowLogic::Close() {
  const bool reentry = doc_.Programs.Reentry != nullptr;
  if (confirmed_) {
    for (const auto& form : doc_.Forms)
      if (form->PreLastProg != nullptr) Interp().ExecProgram(form->PreLastProg);
    for (const auto& form : doc_.Forms) {
      if (form->LastTableProg == nullptr) continue;
      for (int32_t row = 0; row < form->View().RowCount() && !Interp().Aborted(); ++row) {
        if (form->CurrentRow != nullptr) {
          form->CurrentRow->Value = TCommonVar{};
          form->CurrentRow->Value.Kind = 'N';
          form->CurrentRow->Value.Num = row + 1;
        }
        Interp().ExecNestedProgram(form->LastTableProg);
        Ui().ProcessMessages();
      }
    }
    if (!Interp().Aborted() && doc_.Programs.Final != nullptr)
      Interp().ExecProgram(doc_.Programs.Final);
    commit_ = !Ui().DesignerTestRun() && !Interp().Aborted();
    if (reentry)
      for (const auto& form : doc_.Forms) form->View().ClearRows();
  } else if (reentry) {
    for (const auto& form : doc_.Forms) form->View().ClearRows();
    if (doc_.Programs.Final != nullptr) Interp().ExecProgram(doc_.Programs.Final);
  }
}

}  // namespace vm
