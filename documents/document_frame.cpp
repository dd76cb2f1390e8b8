#include "documents/document_frame.h"

#include "documents/document_recalc.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"
#include "language/interpreter.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/main_state.h"

namespace vm {

namespace {

constexpr uint32_t kDeleteQuestionFlags = 0x2124;

bool IsKeyColumn(TFormPar& form, int32_t col) { return FindKeyCol(form.Keys.get(), col) != nullptr; }

}  // namespace

TDocumentFrame::TDocumentFrame(TCompiledDocument& doc, TDocumentWindowLogic& logic, std::string caption)
    : doc_(doc), logic_(logic), caption_(std::move(caption)) {}

TDocumentFrame::~TDocumentFrame() { Unhook(); }

void TDocumentFrame::Unhook() {
  for (TSavedEvents& s : saved_) {
    s.View->OnAddRow = std::move(s.AddRow);
    s.View->OnSelect = std::move(s.Select);
    s.View->OnExit = std::move(s.Exit);
    s.View->OnKeyPress = std::move(s.KeyPress);
  }
  saved_.clear();
}

void TDocumentFrame::SetVar(TVariable* var, long double value) {
  if (var == nullptr) return;
  var->Value = TCommonVar{};
  var->Value.Kind = 'N';
  var->Value.Num = value;
}

TFormPar* TDocumentFrame::FormOf(const TDataView& view) const {
  for (const auto& form : doc_.Forms)
    if (&form->View() == &view) return form.get();
  return nullptr;
}

TFormPar* TDocumentFrame::CurrentForm() const { return current_ ? FormOf(*current_) : nullptr; }

void TDocumentFrame::Changed() {
  if (Hooks.Changed) Hooks.Changed();
}

bool TDocumentFrame::Open(bool firstShowing) {
  current_ = statusView_ = nullptr;
  statusEnabled_ = delConsumed_ = false;
  buttons_ = {};
  SetVar(doc_.Predefined.IsFirstPage, 1);
  SetVar(doc_.Predefined.IsLastPage, 1);
  SetVar(doc_.Predefined.PageNumber, 1);
  SetVar(doc_.Predefined.MultiPage, 0);
  if (saved_.empty()) {
    for (const auto& f : doc_.Forms) {
      TFormPar* form = f.get();
      TDataView& view = form->View();
      saved_.push_back({&view, view.OnAddRow, view.OnSelect, view.OnExit, view.OnKeyPress});
      const TSavedEvents& was = saved_.back();
      view.OnAddRow = [form, before = was.AddRow](TDataView& v) {
        if (before) before(v);
        if (form->OnAddRow != nullptr) Interp().ExecProgram(form->OnAddRow);
      };
      view.OnSelect = [this, before = was.Select](TDataView& v, int32_t col, int32_t row) {
        if (before) before(v, col, row);
        Select(v, col, row);
      };
      view.OnExit = [this, before = was.Exit](TDataView& v) {
        if (before) before(v);
        // The focus going to the view's own cell editor stays in the view.
        if (Hooks.IsActive && Hooks.IsActive(v)) return;
        Leave(v);
      };
      view.OnKeyPress = [this, &view, before = was.KeyPress](char c) {
        if (before) before(c);
        TypedInView(view, c);
      };
    }
  }
  logic_.Show(firstShowing);
  return Interp().TerminateValue() == 0 && !Interp().Aborted();
}

TFormPar* TDocumentFrame::Shown() {
  statusEnabled_ = true;
  TFormPar* lookupFirst = nullptr;
  for (const auto& form : doc_.Forms)
    if (form->HelpFocus) lookupFirst = form.get();
  RefreshButtons();
  UpdateStatusBar();
  return lookupFirst;
}

void TDocumentFrame::RefreshButtons() {
  TFormPar* form = CurrentForm();
  buttons_ = {};
  if (form != nullptr) {
    const TDataView& view = *current_;
    const bool hasRow = view.RowCount() > 0 && view.CurRow() >= 0;
    buttons_.Add = form->AddRows;
    buttons_.Del = (form->AddRows || form->DelRows) && hasRow;
    buttons_.Search = form->Search && view.RowCount() > 0;
  }
  Changed();
}

void TDocumentFrame::UpdateStatusBar() {
  if (!statusEnabled_) return;
  if (statusView_ != nullptr) {
    statusRows_ = std::to_string(statusView_->CurRow() + 1) + "/" + std::to_string(statusView_->RowCount());
  } else {
    TDateRec today;
    TTimeRec now;
    ProgramNow(today, now);
    statusRows_ = DateRecToStr(today);
  }
  if (doc_.StatusLine.Defined) {
    if (!doc_.StatusLine.Evaluate(statusText_)) statusText_ = " Ошибка при вычислении "_w;
  } else {
    statusText_ = caption_;
  }
  Changed();
}

void TDocumentFrame::Select(TDataView& view, int32_t col, int32_t row) {
  if (!statusEnabled_) return;
  TFormPar* form = FormOf(view);
  if (form == nullptr) return;
  const bool active = Hooks.IsActive && Hooks.IsActive(view);
  if (active) {
    statusView_ = current_ = &view;
    // The look-up page fills the key columns; while another column is
    // edited it waits.
    const bool enabled = form->Help != nullptr && !(view.Editing() && !IsKeyColumn(*form, view.CurCol()));
    if (Hooks.LookupPage) Hooks.LookupPage(form->Help, enabled);
  } else if (Hooks.LookupPage) {
    Hooks.LookupPage(form->Help, false);
  }
  SetVar(form->CurrentRow, row + 1);
  UpdateStatusBar();
  if (active && buttons_.Search && Hooks.ShowSearchText && row >= 0 && col >= 0) {
    showingSearchText_ = true;
    Hooks.ShowSearchText(view.GetCellText(col, row));
    showingSearchText_ = false;
  }
  if (doc_.Options.Scroll && Hooks.CellSelected && col == view.CurCol() && row == view.CurRow())
    Hooks.CellSelected(view, col, row);
  SetVar(form->SelStart, view.SelFirst() + 1);
  SetVar(form->SelEnd, view.SelLast() + 1);
  RefreshButtons();
}

void TDocumentFrame::Leave(TDataView& view) {
  if (!statusEnabled_) return;
  statusView_ = nullptr;
  if (Hooks.LookupPage) {
    TFormPar* form = FormOf(view);
    Hooks.LookupPage(form ? form->Help : nullptr, false);
  }
  RecalcDocument(doc_);
  RefreshButtons();
  UpdateStatusBar();
}

void TDocumentFrame::TypedInView(TDataView& view, char c) {
  if (!buttons_.Search || view.Editing() || c == '\b' || c == '\r' || c == 27) return;
  if (Hooks.TypeIntoSearch) Hooks.TypeIntoSearch(std::string(1, c));
}

void TDocumentFrame::SearchChanged(const std::string& text) {
  if (showingSearchText_ || !buttons_.Search || current_ == nullptr) return;
  const int32_t row = current_->FindPrefix(text, current_->CurCol());
  if (row >= 0) current_->SetRow(row);
}

bool TDocumentFrame::DeleteAllowed(TFormPar& form) {
  TVariable* may = doc_.Predefined.CanDeleteRow;
  SetVar(may, 1);
  if (form.OnDeleteRow != nullptr) Interp().ExecProgram(form.OnDeleteRow);
  return may == nullptr || may->Value.Kind != 'N' || !IsNearZero(may->Value.Num);
}

void TDocumentFrame::AfterDelete(TFormPar& form, TDataView& view) {
  SetVar(form.CurrentRow, view.CurRow() + 1);
  if (form.FormChange != nullptr) Interp().ExecProgram(form.FormChange);
}

void TDocumentFrame::DelButClick() {
  if (delConsumed_) {
    // The press that went down on the button already dropped the row
    // being entered; its click must not delete another.
    delConsumed_ = false;
    if (current_ && Hooks.Focus) Hooks.Focus(*current_);
    return;
  }
  TFormPar* form = CurrentForm();
  if (buttons_.Del && form != nullptr && current_->CurRow() >= 0 && DeleteAllowed(*form) &&
      Ui().MsgBox("Удалить текущую запись?"_w, caption_, kDeleteQuestionFlags) == kIdYes) {
    current_->DeleteRow(current_->CurRow());
    AfterDelete(*form, *current_);
    if (Hooks.Focus) Hooks.Focus(*current_);
  }
  RecalcDocument(doc_);
  RefreshButtons();
  UpdateStatusBar();
}

void TDocumentFrame::DelButMouseDown() {
  TFormPar* form = CurrentForm();
  if (form == nullptr || !form->FastDel || !Hooks.Entering || !Hooks.Entering(*current_)) return;
  if (current_->CurRow() < 0 || !DeleteAllowed(*form)) return;
  if (Hooks.DropEnteredRow)
    Hooks.DropEnteredRow(*current_);
  else
    current_->DeleteRow(current_->CurRow());
  AfterDelete(*form, *current_);
  RecalcDocument(doc_);
  delConsumed_ = true;
  RefreshButtons();
  UpdateStatusBar();
}

void TDocumentFrame::SortButClick() {
  for (const auto& form : doc_.Forms) {
    TDataView& view = form->View();
    if (form->SortType > 0) {
      if (view.CurCol() >= 0) view.SortByColumn(view.CurCol(), false);
    } else if (!form->Sort && form->Keys) {
      view.SortRows(form->Keys.get(), false);
    }
  }
  for (const auto& form : doc_.Forms) {
    if (form->FormChange == nullptr) continue;
    TDataView& view = form->View();
    for (int32_t row = 1; row <= view.RowCount() && !Interp().Aborted(); ++row) {
      SetVar(form->CurrentRow, row);
      Interp().ExecProgram(form->FormChange);
    }
    SetVar(form->CurrentRow, view.CurRow() + 1);
  }
  RecalcDocument(doc_);
  if (current_ && Hooks.Focus) Hooks.Focus(*current_);
  RefreshButtons();
  UpdateStatusBar();
}

void TDocumentFrame::ShowLookupWindow() {
  TFormPar* form = CurrentForm();
  if (form == nullptr || form->Help == nullptr || !Hooks.LookupToFront) return;
  if (!Hooks.LookupUsable || !Hooks.LookupUsable()) return;
  // While a new row is entered the look-up serves its key columns only.
  if (Hooks.Entering && Hooks.Entering(*current_) && !IsKeyColumn(*form, current_->CurCol())) return;
  Hooks.LookupToFront(*form->Help);
}

bool TDocumentFrame::KeyDown(int32_t key, bool shift, bool ctrl, bool alt) {
  bool used = true;
  if (key == kFrameKeyBreak) {
    Interp().RequestBreak();
    used = false;
  } else if (ctrl && alt && shift && key == kFrameKeyC) {
    // The way out of a document whose programs keep the window busy.
    Interp().RequestBreak();
    Interp().SetTerminateValue(1);
    logic_.CanButClick(false);
    if (Hooks.CloseCancelled) Hooks.CloseCancelled();
  } else if (!ctrl && key == kFrameKeyF5) {
    if (Hooks.ToggleMaximized) Hooks.ToggleMaximized();
  } else if ((!ctrl && key == kFrameKeyF11) || (ctrl && !alt && key == kFrameKeyI)) {
    if (Hooks.InfoToFront) Hooks.InfoToFront();
  } else if ((!ctrl && key == kFrameKeyF12) || (ctrl && !alt && key == kFrameKeyH)) {
    ShowLookupWindow();
  } else {
    used = false;
  }
  RefreshButtons();
  return used;
}

}  // namespace vm
