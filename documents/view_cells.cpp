#include "documents/view_cells.h"

#include "foundation/values/value_text.h"
#include "language/evaluator.h"
#include "platform/services.h"

namespace vm {

void TViewCell::CreateControl(IControlFactory& controls, TDocumentEvents& events) {
  control_ = controls.CreateCell(Input);
  control_->SetVisible(true);
  control_->SetBold(Bold);
  if (Input) {
    control_->SetMaxLength(Format.MaxLength());
    control_->OnExit = [this, &events] { Leave(events); };
  }
}

void TViewCell::ShowValue(const TCommonVar& value) {
  if (control_ != nullptr) control_->SetText(Format.Show(value));
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

void TViewCell::Leave(TDocumentEvents& events) {
  const TCommonVar value = Format.Read(control_->Text());
  if (Target != nullptr) {
    Target->Value = value;
  } else if (TargetParam != nullptr && !Ui().DesignerTestRun()) {
    TargetParam->SetValue(value);
  }
  if (events.Recalc) events.Recalc();
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
