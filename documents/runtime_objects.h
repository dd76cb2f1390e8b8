// The run-time objects a document declares: drop-down selects, list
// selects, buttons, field lists, the links of its tables and its
// spreadsheet reports. Each owns its control and its compiled formulas;
// the event programs belong to the document's instruction pool.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "documents/controls.h"
#include "foundation/text/strutils.h"
#include "language/expr_context.h"
#include "language/form_objects.h"
#include "language/instructions.h"
#include "platform/spreadsheet.h"

namespace vm {

// What the events of the controls do: run the object's program, then
// recalculate the document.
class TDocumentEvents {
 public:
  // The document's recalculation; nothing until the document form sets it.
  std::function<void()> Recalc;
  // Nothing without a program.
  void Run(TInstruction* program);
};

// Where a control stands on the document form, as the document gives it
// and the form layout scales it: its edges (the bottom 0 for a select,
// whose height its font gives).
struct TControlPlace {
  int32_t Left = 0;
  int32_t Right = 0;
  int32_t Top = 0;
  int32_t Bottom = 0;
};

// Shown without a formula; with one, only for a number above 1e-9 reached
// without an error.
bool VisibleByFormula(TExprChain& formula);

// What selects and list selects share: a list of texts on the form,
// shown by a formula.
class TListObject : public TRuntimeObject {
 public:
  TControlPlace Place;
  int32_t FontHeight = 50;
  TFontStyles FontStyle = 0;
  std::string Name;
  TExprChain VisibleExpr;

  // Kept here and applied to the control's font at once.
  void SetFontStyle(TFontStyles style) {
    FontStyle = style;
    control_->SetFontStyle(style);
  }
  // Nothing for an empty text or one the list holds already.
  void AddUnique(const std::string& s);
  // Ignoring case; -1 when absent.
  int IndexOf(std::string_view s) const;
  void UpdateVisibility() { control_->SetVisible(VisibleByFormula(VisibleExpr)); }

 protected:
  TListObject(TDocumentEvents& events, std::unique_ptr<IListControl> control)
      : events_(events), control_(std::move(control)) {}

  TDocumentEvents& events_;
  std::unique_ptr<IListControl> control_;
};

class TSelect : public TListObject, public IFormSelect {
 public:
  TSelect(TDocumentEvents& events, std::unique_ptr<IListControl> combo);

  TInstruction* ChangeProgram = nullptr;

  IListControl& Combo() { return *control_; }
  int Add(const std::string& s) override { return control_->Add(s); }
  void AddUnique(const std::string& s) override { TListObject::AddUnique(s); }
  void InsertAt(const std::string& s, int pos) override;
  void Clear() override { control_->Clear(); }
  int Count() const override { return control_->Count(); }
  int GetItemIndex() const override { return control_->ItemIndex(); }
  std::string GetText() const override;
  void ChooseItem(int index) override;
  int SelectText(std::string_view s) override;
  void SetItemIndex(int index) override;
  void SetSorted(bool on) override { control_->SetSorted(on); }
  void DoChange();
};

class TListSelect : public TListObject, public IFormListSelect {
 public:
  TListSelect(TDocumentEvents& events, std::unique_ptr<IListControl> list);

  TInstruction* ClickProgram = nullptr;

  IListControl& List() { return *control_; }
  void AddUnique(const std::string& s) override { TListObject::AddUnique(s); }
  std::string GetText() const override;
  void DoClick();
};

class TVisButt : public TRuntimeObject {
 public:
  TVisButt(TDocumentEvents& events, std::unique_ptr<IButtonControl> button);

  TControlPlace Place;
  int32_t FontHeight = 50;
  TFontStyles FontStyle = 0;
  std::string Name;
  TInstruction* ClickProgram = nullptr;
  TExprChain CaptionExpr;
  TExprChain VisibleExpr;

  IButtonControl& Button() { return *button_; }
  // Kept here and applied to the button's font at once.
  void SetFontStyle(TFontStyles style) {
    FontStyle = style;
    button_->SetFontStyle(style);
  }
  void ButtonClick();
  // Visibility, and the caption: the formula's text, else the name.
  void Update();

 private:
  TDocumentEvents& events_;
  std::unique_ptr<IButtonControl> button_;
};

// A sorted list of texts a table column offers.
class TFldList : public TRuntimeObject, public IFormFieldList {
 public:
  StringList Strings;
  std::string Name;
  // The title of the list as it drops down.
  TExprChain Expr;
  // The size of the list as it drops down, in layout units.
  int32_t Width = 0;
  int32_t Height = 0;

  int Add(const std::string& s) override;
  void AddUnique(const std::string& s) override;
  void Clear() override { Strings.clear(); }
  // Ignoring case; -1 when absent.
  int IndexOf(std::string_view s) const;
};

// A column of a linked table and the formula that fills it.
struct TSubstItem {
  int32_t Column = 0;  // 0-based
  TExprChain Expr;
};

class IExprBase;

// A link from a table to a database: the record a row finds by its search
// formula, and the columns filled from it.
struct TLinkItem {
  TExprChain Expr;
  std::vector<std::unique_ptr<TSubstItem>> Substs;
  IExprBase* Base = nullptr;
  int32_t CellSelect = 0;
  int32_t BaseAdd = 0;
  int32_t BaseEdit = 0;
};

struct TOleRec {
  std::unique_ptr<IWorkbook> Workbook;
  int32_t Id = 0;
};

// A list that owns its items; Clear frees them.
template <class T>
class TOwningList {
 public:
  T& Append(std::unique_ptr<T> item) { return *items_.emplace_back(std::move(item)); }
  // 0-based; nullptr outside the list.
  T* GetItem(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
  }
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  std::vector<std::unique_ptr<T>> items_;
};

// Items found by name, ignoring case; the name trimmed first when Trim.
template <class T, bool Trim>
class TNamedList : public TOwningList<T> {
 public:
  T* FindByName(std::string_view name) const {
    const std::string key = Trim ? TrimBlanks(name) : std::string(name);
    for (const auto& item : this->items_)
      if (CompareStrLocale(Trim ? TrimBlanks(item->Name) : item->Name, key, false) == 0)
        return item.get();
    return nullptr;
  }
};

class TSelectList : public TNamedList<TSelect, true> {
 public:
  void UpdateVisibility();
};
class TListSelList : public TNamedList<TListSelect, true> {
 public:
  void UpdateVisibility();
};
class TButList : public TNamedList<TVisButt, true> {
 public:
  void UpdateButtons();
};
using TFldListList = TNamedList<TFldList, false>;
using TLinkList = TOwningList<TLinkItem>;

// Lists whose items carry a running id from 1, restarted by Clear.
class TOleList : public TOwningList<TOleRec> {
 public:
  TOleRec& AddNew();
  TOleRec* FindById(int32_t id) const;
  void Clear();

 private:
  int32_t lastId_ = 0;
};

}  // namespace vm
