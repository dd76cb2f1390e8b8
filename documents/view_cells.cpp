#include "documents/view_cells.h"

#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "models/cell_text.h"
#include "platform/services.h"

namespace vm {

void TViewCell::CreateControl(IControlFactory& controls, TDocumentEvents& events) {
  control_ = controls.CreateCell(Input);
  control_->SetVisible(true);
  control_->SetBold(Bold);
  if (Input) {
    control_->SetMaxLength(Format.MaxLength());
    events_ = &events;
    control_->OnExit = [this] { Leave(); };
  }
}

void TViewCell::ShowValue(const TCommonVar& value) {
  refused_ = false;
  shown_ = Format.Show(value);
  if (control_ != nullptr) control_->SetText(shown_);
}

void TViewCell::Refresh() {
  if (control_ == nullptr) return;
  TCommonVar value;
  int err = 0;
  EvalExpr(Expr, err, value);
  if (err != 0) {
    value = {};
    value.Kind = Format.Kind;
    ClearValue(value);
  }
  ShowValue(value);
  if (VisibleExpr.empty()) return;
  TCommonVar shown;
  err = 0;
  EvalExpr(VisibleExpr, err, shown);
  // Exactly 0 hides, unlike the tolerance of conditions.
  control_->SetVisible(err == 0 && shown.Num != 0);
}

bool TViewCell::FinishEdit() {
  if (control_ == nullptr || events_ == nullptr || leaving_) return !refused_;
  // A refused text waits for the user to leave it mended: leaving it for
  // them could take half of what they are typing.
  if (refused_) return false;
  if (control_->Typed()) Leave();
  return !refused_;
}

void TViewCell::DropRefused() {
  if (control_ == nullptr || events_ == nullptr || leaving_) return;
  const std::string typed = control_->Text();
  if (!refused_ && !(control_->Typed() && typed != shown_ && !Format.Accepts(typed))) return;
  refused_ = false;
  control_->SetText(shown_);
}

void TViewCell::Leave() {
  // The message takes the focus from the field, which is no second leaving.
  if (leaving_) return;
  const std::string typed = control_->Text();
  // A text that reads as no value would store 0 or a date that is none;
  // what was typed stays in the field for the user to mend, and the
  // variable keeps its value. What the cell showed is its value, even
  // where it does not fit the cell's width.
  if (typed != shown_ && !Format.Accepts(typed)) {
    refused_ = leaving_ = true;
    Ui().MsgBox(std::string(kBadCellInput), Ui().AppTitle(), kMbError);
    leaving_ = false;
    control_->TakeFocus();
    return;
  }
  refused_ = false;
  const TCommonVar value = Format.Read(Format.Normalized(typed));
  if (Target != nullptr) {
    Target->Value = value;
  } else if (TargetParam != nullptr && !Ui().DesignerTestRun()) {
    TargetParam->SetValue(value);
  }
  if (events_->Recalc) events_->Recalc();
  ShowValue(value);
}

TViewCell& TViews::Add() { return *cells_.emplace_back(std::make_unique<TViewCell>()); }

TViewCell* TViews::GetItem(int32_t index) const {
  return index >= 0 && index < Count() ? cells_[static_cast<std::size_t>(index)].get() : nullptr;
}

void TViews::CreateControls(IControlFactory& controls, TDocumentEvents& events) {
  for (auto& cell : cells_) cell->CreateControl(controls, events);
}

void TViews::Refresh() {
  for (auto& cell : cells_) cell->Refresh();
}

bool TViews::FinishEdit() {
  for (auto& cell : cells_)
    if (cell->Input && !cell->FinishEdit()) return false;
  return true;
}

void TViews::DropRefused() {
  for (auto& cell : cells_) cell->DropRefused();
}

bool TViews::HoldsRefused() const {
  for (const auto& cell : cells_)
    if (cell->Refused()) return true;
  return false;
}

std::string TStatusLine::Text() {
  std::string text;
  return Defined && Evaluate(text) ? text : std::string();
}

bool TStatusLine::Evaluate(std::string& shown) {
  TCommonVar value;
  int err = 0;
  EvalExpr(Expr, err, value);
  if (err != 0) return false;
  shown = LastText = ValueToText(value, Width, Decimals);
  return true;
}

}  // namespace vm
