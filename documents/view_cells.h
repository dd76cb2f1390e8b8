// View cells: values placed freely on the document form (VIEWS) or on the
// information window (INFODESK), each a label or an edit that writes what
// the user types into a variable or an auto-parameter and recalculates the
// document; and the one expression of the status line (INFORMSTRING).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "documents/controls.h"
#include "documents/runtime_objects.h"
#include "documents/value_edit.h"
#include "language/expr_context.h"
#include "language/program_context.h"

namespace vm {

class TFormPar;

class TViewCell {
 public:
  TExprChain Expr;
  TValueEdit Format;  // the result kind, the width and the decimals
  int32_t X = 0;
  int32_t Y = 0;
  int32_t FontSize = 50;
  bool Bold = false;
  bool AutoPage = false;
  // Empty: always visible.
  TExprChain VisibleExpr;
  bool Input = false;
  TVariable* Target = nullptr;
  IProgramAutoParam* TargetParam = nullptr;
  // The table whose column the cell follows (C); nullptr for none.
  TFormPar* Form = nullptr;

  // The label or the edit, on whatever the factory makes controls for;
  // leaving the edit stores its value and runs events.Recalc.
  void CreateControl(IControlFactory& controls, TDocumentEvents& events);
  ICellControl* Control() const { return control_.get(); }
  void ShowValue(const TCommonVar& value);
  // The current value (empty of its kind when the expression fails) and
  // the visibility.
  void Refresh();
  // The field holds a text refused on leaving it, not the cell's value.
  bool Refused() const { return refused_; }
  // A field typed in and not yet left is left now, as the focus leaving it
  // leaves it; false when it holds a refused text, refused now (with its
  // message) or before.
  bool FinishEdit();
  // A text refused, or typed and one the field would refuse, gives way to
  // the cell's value, without the message.
  void DropRefused();

 private:
  void Leave();

  TDocumentEvents* events_ = nullptr;
  std::unique_ptr<ICellControl> control_;
  std::string shown_;
  bool refused_ = false;
  bool leaving_ = false;
};

class TViews {
 public:
  TViewCell& Add();
  // 0-based; nullptr outside the list.
  TViewCell* GetItem(int32_t index) const;
  int32_t Count() const { return static_cast<int32_t>(cells_.size()); }
  void Clear() { cells_.clear(); }
  void CreateControls(IControlFactory& controls, TDocumentEvents& events);
  // Every cell that has a control.
  void Refresh();
  // Some field holds a refused text: what it shows is not what is kept.
  bool HoldsRefused() const;
  // Every field typed in and not yet left is left; false at the first that
  // holds a refused text.
  bool FinishEdit();
  void DropRefused();

 private:
  std::vector<std::unique_ptr<TViewCell>> cells_;
};

// The cells of the information window and its design size (SIZE).
class TInfViews : public TViews {
 public:
  int32_t DesignWidth = -1;
  int32_t DesignHeight = -1;
  void Clear() {
    TViews::Clear();
    DesignWidth = DesignHeight = -1;
  }
};

// The status line of the information window.
struct TStatusLine {
  bool Defined = false;
  TExprChain Expr;
  int32_t Width = 0;
  int32_t Decimals = 0;
  // The value as text; empty without a line or when it fails.
  std::string Text();
  // The value as text into Shown (kept in LastText too); false when the
  // expression fails.
  bool Evaluate(std::string& shown);
  std::string LastText;
  void Clear() { *this = {}; }
};

}  // namespace vm
