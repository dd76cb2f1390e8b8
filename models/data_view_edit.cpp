// The in-place editor of a blank view: when editing may start, which keys
// store or cancel the value, and how a typed value is tested and stored.
#include <algorithm>

#include "language/expr_types.h"
#include "platform/services.h"
#include "models/cell_text.h"
#include "models/data_view.h"

namespace vm {

namespace {

// Texts and numbers are limited to their width; dates and times are typed
// in forms longer than what their Mode says.
int32_t EditorLimit(const TColFormat* f) {
  if (!f) return 0;
  const char kind = NormalizeTypeChar(f->Kind);
  return kind == 'C' || kind == 'N' ? std::max(f->Mode, 0) : 0;
}

}  // namespace

bool TDataView::BeginEdit() {
  if (RowCount() == 0 || !HasBlank() || suspended_ || curRow_ < 0) return false;
  const TColLayout* column = GetColLayout(curCol_);
  if (!column || !column->Editable) return false;
  editorText_ = GetCellText(curCol_, curRow_);
  editorMaxLength_ = EditorLimit(CellFormat(curCol_, curRow_));
  editing_ = true;
  accept_ = true;
  committed_ = false;
  moveAfterEdit_ = false;
  moveUp_ = false;
  Notify([](TDataViewObserver& o) { o.EditingChanged(); });
  FireSelect();
  return true;
}

TColFormat* TDataView::EditorFormat() { return CellFormat(curCol_, curRow_); }

void TDataView::SetEditing(bool on) {
  const bool wasEditing = editing_;
  if (!on && editing_ && !committed_ && OnEditEnd) OnEditEnd(*this);
  editing_ = on;
  if (on) moveAfterEdit_ = false;
  committed_ = false;
  accept_ = false;
  Notify([](TDataViewObserver& o) { o.EditingChanged(); });
  if (!on && wasEditing) FireSelect();
}

void TDataView::SetEditorText(std::string text) {
  editorText_ = std::move(text);
  if (editing_ && OnCellChange) OnCellChange(*this);
}

void TDataView::ShowEditorText(std::string text) {
  if (!editing_) return;
  editorText_ = std::move(text);
  Notify([](TDataViewObserver& o) { o.EditingChanged(); });
  if (OnCellChange) OnCellChange(*this);
}

void TDataView::EditorKeyDown(int32_t& key, TShiftState shift) {
  if (!editing_) return;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  const TColLayout* column = GetColLayout(curCol_);
  const bool upDown = (key == kKeyUp || key == kKeyDown) && Form && Form->LookupMode &&
                      !(column && column->ListLink);
  if (key == kKeyEnter || key == kKeyF2 || upDown) {
    moveAfterEdit_ = upDown;
    moveUp_ = key == kKeyUp;
    key = kKeyNone;
    accept_ = true;
    LeaveEditor();
  } else if (key == kKeyEscape && CancelAllowed) {
    key = kKeyNone;
    accept_ = false;
    LeaveEditor();
  }
}

bool TDataView::EditorKeyPress(char c) { return c != '\t' && c != '\r'; }

void TDataView::EditorDoubleClick() {
  if (OnListCell) OnListCell(*this);
}

void TDataView::LeaveEditor() {
  if (!editing_ || leaving_) return;
  leaving_ = true;
  if (accept_) {
    const TCellInput input = NormalizeCellInput(CellFormat(curCol_, curRow_), editorText_);
    valid_ = input.Valid;
    if (input.Valid) {
      SetCellText(curCol_, curRow_, input.Text);
      committed_ = true;
      SetEditing(false);
      Notify([](TDataViewObserver& o) { o.FocusRequested(); });
      CancelAllowed = true;
      if (OnCellAccepted) OnCellAccepted(*this);
      FireSelect();
    } else {
      Ui().MsgBox(CellRefusalText(CellFormat(curCol_, curRow_), input), Ui().AppTitle(), kMbError);
      // The editor comes back with what was typed.
      Notify([](TDataViewObserver& o) { o.EditingChanged(); });
    }
  } else {
    SetEditing(false);
    Notify([](TDataViewObserver& o) { o.FocusRequested(); });
    CancelAllowed = true;
  }
  leaving_ = false;
}

bool TDataView::HoldsRefusedEdit() const {
  return editing_ && !NormalizeCellInput(CellFormat(curCol_, curRow_), editorText_).Valid;
}

void TDataView::DropRefusedEdit() {
  if (leaving_ || !HoldsRefusedEdit()) return;
  accept_ = false;
  LeaveEditor();
}

void TDataView::FinishEdit() {
  if (!editing_) return;
  accept_ = true;
  LeaveEditor();
  if (!editing_) return;
  accept_ = false;
  LeaveEditor();
}

}  // namespace vm
