// The blank, the rows and cells, the current cell and the selection of a
// blank view, and what the widget forwards of the user's keys, clicks and
// wheel. Editing is in data_view_edit.cpp; sorting, searching and the
// exchange with in-memory tables in data_view_rows.cpp.
#include "models/data_view.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/values/value_text.h"
#include "models/layout_lang.h"
#include "models/loaded_texts.h"

namespace vm {

TDataView::TDataView() : blank_(std::make_unique<TCurBlank>()) { blank_->View = this; }

TDataView::~TDataView() = default;

// --- The blank ---------------------------------------------------------------

bool TDataView::SetBlank(const TCurBlank* source) {
  if (editing_) SetEditing(false);
  blank_->SetText("");
  blank_->Clear();
  bool compiled = true;
  if (source) {
    blank_->Name = source->Name;
    blank_->SetText(source->Text);
    int32_t errCode = 0;
    int32_t errLine = 0;
    compiled = CompileBlank(*blank_, errCode, errLine);
  }
  blank_->View = this;
  table_.SetColCount(ColCount());
  ResetColumns();
  curRow_ = -1;
  curCol_ = -1;
  anchorRow_ = -1;
  Notify([](TDataViewObserver& o) { o.BlankChanged(); });
  return compiled;
}

int32_t TDataView::ShownColCount() const { return HasBlank() ? blank_->ShownColCount : 0; }

int32_t TDataView::ColCount() const { return HasBlank() ? blank_->ColCount : 0; }

TColLayout* TDataView::GetColLayout(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(columns_.size())) return nullptr;
  return &columns_[static_cast<size_t>(index)];
}

const TColLayout* TDataView::GetColLayout(int32_t index) const {
  if (index < 0 || index >= static_cast<int32_t>(columns_.size())) return nullptr;
  return &columns_[static_cast<size_t>(index)];
}

void TDataView::SetEditableColumns(const std::bitset<256>& columns) {
  editableColumns_ = columns;
  const int32_t shown = std::min<int32_t>(ShownColCount(), static_cast<int32_t>(columns_.size()));
  for (int32_t c = 0; c < shown; ++c) columns_[static_cast<size_t>(c)].Editable = columns.test(static_cast<size_t>(c));
}

int32_t TDataView::ColumnField(int32_t col) const {
  const TColLayout* c = GetColLayout(col);
  return c ? c->BoundField : -1;
}

TExprChain* TDataView::ColumnExpr(int32_t col) {
  TColLayout* c = GetColLayout(col);
  return c ? c->Expr.get() : nullptr;
}

void TDataView::ResetColumns() { columns_.assign(static_cast<size_t>(ColCount()), TColLayout{}); }

// --- Cells ---------------------------------------------------------------------

const std::string& TDataView::GetCellText(int32_t col, int32_t row) const { return table_.GetCellText(col, row); }

void TDataView::SetCellText(int32_t col, int32_t row, const std::string& s) {
  if (!table_.GetCell(col, row)) return;
  table_.SetCellText(col, row, s);
  Notify([&](TDataViewObserver& o) { o.CellChanged(col, row); });
}

std::string TDataView::CellText(int32_t col, int32_t row) const {
  std::string scratch;
  return std::string(table_.ReadCellText(col - 1, row, scratch));
}

TColFormat* TDataView::CellFormat(int32_t col, int32_t row) const { return BlankField(*blank_, col + 1, row); }

char TDataView::BlankFieldKind(int32_t col, int32_t row) const {
  const TColFormat* f = CellFormat(col, row);
  return f ? f->Kind : 0;
}

TCommonVar TDataView::GetCellValue(int32_t col, int32_t row) {
  TCommonVar v;
  std::string scratch;
  TextToValue(table_.ReadCellText(col, row, scratch), BlankFieldKind(col, row), v);
  return v;
}

TCommonVar TDataView::GetRowCellValue(const TViewRow& row, int32_t col) {
  TCommonVar v;
  const bool has = col >= 0 && col < static_cast<int32_t>(row.Cells.size());
  TextToValue(has ? row.Cells[static_cast<size_t>(col)].Text : std::string(), BlankFieldKind(col, row.Index), v);
  return v;
}

void TDataView::SetCellValue(int32_t col, int32_t row, const TCommonVar& v) {
  const TColFormat* f = CellFormat(col, row);
  const int mode = f && v.Kind != 'D' ? f->Mode : 0;
  SetCellText(col, row, ValueToText(v, mode, f ? f->Decimals : 0));
}

// --- Rows ------------------------------------------------------------------------

int32_t TDataView::AppendRow() { return InsertRow(RowCount()); }

int32_t TDataView::AddRow() {
  const int32_t row = AppendRow();
  if (OnAddRow) OnAddRow(*this);
  return row;
}

int32_t TDataView::InsertRow(int32_t pos) {
  SetCol(0);
  const int32_t row = table_.InsertRow(pos)->Index;
  Notify([](TDataViewObserver& o) { o.RowsChanged(); });
  MoveToRow(row, ShiftNow());
  return row;
}

void TDataView::DeleteRow(int32_t row) {
  if (row < 0 || row >= RowCount()) return;
  table_.DeleteRow(row);
  curRow_ = std::min(curRow_, RowCount() - 1);
  anchorRow_ = std::min(anchorRow_, RowCount() - 1);
  Notify([](TDataViewObserver& o) { o.RowsChanged(); });
  FireSelect();
}

void TDataView::ClearRows() {
  table_.Clear();
  curRow_ = -1;
  anchorRow_ = -1;
  Notify([](TDataViewObserver& o) { o.RowsChanged(); });
}

void TDataView::SetTableRow(int32_t row, int32_t tableRow) { table_.SetSourceRecord(row, tableRow); }

int32_t TDataView::TableRow(int32_t row) const { return table_.SourceRecord(row); }

// --- Current cell and selection -------------------------------------------------------

bool TDataView::ShiftNow() const { return ShiftHeld && ShiftHeld(); }

void TDataView::TakeShift(bool shift) {
  shiftDown_ = shift;
  // Only a view that takes ranges keeps the other end while Shift is held.
  if (!(shift && MultiSelect) && !suspended_) anchorRow_ = curRow_;
}

void TDataView::FireSelect() {
  if (OnSelect) OnSelect(*this, curCol_, curRow_);
}

void TDataView::SelectRow(int32_t row, bool shift) {
  prevRow_ = curRow_;
  prevCol_ = curCol_;
  curRow_ = row;
  TakeShift(shift);
  if (suspended_) return;
  Notify([](TDataViewObserver& o) { o.CurrentChanged(); });
  FireSelect();
}

void TDataView::MoveToRow(int32_t row, bool shift) {
  if (RowCount() == 0) return;
  row = std::clamp(row, 0, RowCount() - 1);
  // Like a scroll bar set to where it stands: nothing moves, nothing fires.
  if (!suspended_ && row == curRow_) return;
  SelectRow(row, shift);
}

void TDataView::MoveToCol(int32_t col, bool shift) {
  if (col < 0 || col >= ShownColCount()) return;
  prevCol_ = curCol_;
  prevRow_ = curRow_;
  curCol_ = col;
  TakeShift(shift);
  Notify([](TDataViewObserver& o) { o.CurrentChanged(); });
  FireSelect();
}

void TDataView::SetRow(int32_t row) { MoveToRow(row, ShiftNow()); }

void TDataView::SetCol(int32_t col) { MoveToCol(col, ShiftNow()); }

bool TDataView::RangeSelected() const { return MultiSelect && anchorRow_ >= 0 && anchorRow_ != curRow_; }

int32_t TDataView::SelFirst() const { return RangeSelected() ? std::min(anchorRow_, curRow_) : 0; }

int32_t TDataView::SelLast() const { return RangeSelected() ? std::max(anchorRow_, curRow_) : RowCount() - 1; }

bool TDataView::InSelection(int32_t row) const { return RangeSelected() && row >= SelFirst() && row <= SelLast(); }

int32_t TDataView::SelCount() const { return MultiSelect ? std::abs(curRow_ - anchorRow_) : 0; }

// --- Updates -------------------------------------------------------------------------

void TDataView::SetUpdating(bool on) {
  if (on) {
    if (editing_) SetEditing(false);
    suspended_ = true;
    Notify([](TDataViewObserver& o) { o.UpdatingChanged(); });
    return;
  }
  suspended_ = false;
  if (RowCount() == 0) {
    curRow_ = -1;
  } else {
    curRow_ = std::clamp(curRow_, 0, RowCount() - 1);
  }
  if (!RangeSelected() || anchorRow_ >= RowCount()) anchorRow_ = curRow_;
  Notify([](TDataViewObserver& o) { o.UpdatingChanged(); });
  FireSelect();
}

void TDataView::PaintRows() {
  Notify([](TDataViewObserver& o) { o.RepaintRequested(); });
}

void TDataView::RedrawHeader() {
  Notify([](TDataViewObserver& o) { o.HeaderChanged(); });
}

// --- Focus, keys, mouse, wheel -------------------------------------------------------------

void TDataView::FocusEnter() {
  if (focused_) return;
  focused_ = true;
  Notify([](TDataViewObserver& o) { o.CurrentChanged(); });
  FireSelect();
}

void TDataView::FocusLeave() {
  if (!focused_) return;
  focused_ = false;
  Notify([](TDataViewObserver& o) { o.CurrentChanged(); });
  if (OnExit) OnExit(*this);
}

void TDataView::KeyDown(int32_t& key, TShiftState shift) {
  if (suspended_ || !focused_) return;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  const bool withShift = (shift & kShiftKey) != 0;
  const bool withCtrl = (shift & kCtrlKey) != 0;
  switch (key) {
    case kKeyUp: MoveToRow(curRow_ - 1, withShift); break;
    case kKeyDown: MoveToRow(curRow_ + 1, withShift); break;
    case kKeyLeft: MoveToCol(curCol_ - 1, withShift); break;
    case kKeyRight: MoveToCol(curCol_ + 1, withShift); break;
    case kKeyHome: MoveToCol(0, withShift); break;
    case kKeyEnd: MoveToCol(ShownColCount() - 1, withShift); break;
    case kKeyPageDown: MoveToRow(withCtrl ? RowCount() - 1 : curRow_ + kPageRows, withShift); break;
    case kKeyPageUp: MoveToRow(withCtrl ? 0 : curRow_ - kPageRows, withShift); break;
    case kKeyEnter:
    case kKeyF2:
      key = kKeyNone;
      BeginEdit();
      break;
    default: break;
  }
  if (OnClickKey) OnClickKey(*this);
}

void TDataView::KeyPress(char c) {
  if (OnKeyPress) OnKeyPress(c);
}

void TDataView::LeftClick(int32_t row, int32_t col, TShiftState shift) {
  if (!focused_) {
    Notify([](TDataViewObserver& o) { o.FocusRequested(); });
    FocusEnter();
  }
  if (row >= 0 && col >= 0) {
    MoveToRow(row, (shift & kShiftKey) != 0);
    MoveToCol(col, (shift & kShiftKey) != 0);
  }
  if (OnClickKey) OnClickKey(*this);
}

void TDataView::DoubleClick(int32_t row, int32_t col) {
  if (row >= 0 && col >= 0) BeginEdit();
  if (OnClickKey) OnClickKey(*this);
}

void TDataView::RightClick() {
  if (editing_ && CancelAllowed) {
    accept_ = false;
    LeaveEditor();
  }
  if (OnClickKey) OnClickKey(*this);
}

void TDataView::Wheel(int32_t delta, int32_t wheelUnit) {
  if (wheelUnit <= 0) wheelUnit = kDefaultWheelUnit;
  wheelRest_ += delta;
  const int32_t steps = wheelRest_ / wheelUnit;
  wheelRest_ %= wheelUnit;
  if (steps != 0) MoveToRow(curRow_ - steps, ShiftNow());
}

}  // namespace vm
