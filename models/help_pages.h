// Look-up pages: the reference books a document offers while it is filled
// in. Each page shows an in-memory table through a blank: a hidden view
// holds every row that passes the page's filter, the shown view the rows
// that pass the page's conditions as well. A page may offer a list of
// categories (distinct texts of its rows) and a group of options, each
// option a condition that narrows the shown rows.
//
// The windows show the pages; everything here is what they show.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/blanks.h"
#include "foundation/tables/key_cols.h"
#include "language/builtin_objects.h"
#include "language/expr_context.h"
#include "language/expr_types.h"
#include "language/instructions.h"
#include "models/data_view.h"

namespace vm {

class THelpFilter;
class THelpItem;
class TUBL;

// One option of a page: its caption and the condition it stands for.
struct TOpt {
  std::string Caption;
  TExprChain Condition;
};

class TOptList {
 public:
  THelpItem* Page = nullptr;
  // The condition of the option clicked last; nullptr before any click.
  TExprChain* Selected = nullptr;
  // The panel of option buttons shows once the page has options.
  bool Visible = false;
  // Fired after a click has made the option's condition Selected.
  std::function<void(THelpItem&, TOpt&)> OnClick;

  TOpt* AddNew();
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // nullptr outside 0..Count()-1.
  TOpt* Items(int32_t index) const;
  void Click(int32_t index);
  void Clear();

 private:
  std::vector<std::unique_ptr<TOpt>> items_;
};

// The option buttons stacked on their panel: the top of each (in pixels,
// from the buttons' heights) and the panel's height.
struct TOptArrangement {
  std::vector<int32_t> Tops;
  int32_t PanelHeight = 0;
};
TOptArrangement ArrangeOptions(const std::vector<int32_t>& heights);

class THelpItem : public IHelpBook {
 public:
  // Both views get a compiled copy of Blank and know the page; the hidden
  // one never resumes updates.
  THelpItem(std::string_view name, const TCurBlank* blank);
  ~THelpItem() override;
  THelpItem(const THelpItem&) = delete;
  THelpItem& operator=(const THelpItem&) = delete;

  // Trimmed and upper-cased; what FindByName compares.
  std::string Name;
  // The caption of the page's tab.
  std::string Title;

  TDataView Shown;
  TDataView Hidden;
  // The view in use (one of the two), nullptr when none.
  TDataView* Active = nullptr;
  // 1-based rows that formulas read while rows are copied or listed.
  int32_t ShownRowNo = 0;
  int32_t HiddenRowNo = 0;
  // A row of the shown view the document keeps an eye on.
  TViewRow* CheckRow = nullptr;

  bool Editable = false;
  bool Modified = false;
  // The first category stands for all rows.
  bool FirstCategoryAll = false;

  // The category list: distinct texts of the rows, sorted, the current
  // value first when there is one.
  std::vector<std::string> Categories;
  int32_t CategoryIndex = -1;
  // Fired when the user picks another category.
  std::function<void(THelpItem&)> OnCategoryChange;
  void ChooseCategory(int32_t index);

  // The category expressions: ValueExpr gives the current value offered
  // first, ListExpr the text of each row; the third is kept for the
  // document compiler. Empty chains are absent.
  TExprChain ValueExpr;
  TExprChain ListExpr;
  TExprChain ThirdExpr;

  // The filter's conditions name the bound table, so Bind comes before
  // the filter's text.
  std::unique_ptr<THelpFilter> Filter;
  TUBL* Link = nullptr;  // the bound table (owned by the document's base list)
  void Bind(TUBL* link);
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;

  bool OwnsColumnExprs = false;  // columns are filled from expressions
  bool HasValueList = false;     // the page offers categories
  bool ValuePresent = false;     // ValueExpr gave the first category
  bool SortHelpOnly = false;
  bool NoSort = false;

  TOptList Options;
  // The document's tables this page fills.
  std::vector<TRuntimeObject*> FilledTables;
  // Programs of the document: ADDTOHELP, PREADDTOHELP, AFTERLOADHELP.
  TInstruction* AddToHelp = nullptr;
  TInstruction* PreAddToHelp = nullptr;
  TInstruction* AfterLoadHelp = nullptr;
  // Anything else the document hangs on the page, freed with it.
  std::vector<std::unique_ptr<TRuntimeObject>> Extra;

  // Fills Categories from the hidden view's rows (only with HasValueList):
  // every distinct text of ListExpr once, letters without case, sorted;
  // a non-empty ValueExpr text first; the first entry chosen.
  void FillComboBox();
  // The hidden view refilled with the rows of the bound table that pass
  // the page's filter.
  void LoadRows();

  // What the document language's built-ins see of the page (help_book.cpp).
  IDataView* BookView(THelpView which) override;
  TCommonVar BookCellValue(THelpView which, int32_t col, int32_t row) override;
  std::string BookCellText(THelpView which, int32_t col, int32_t row) override;
  TCommonVar CheckCellValue(int32_t col) override;
  int32_t CurrentRowNumber(THelpView which) const override;
  void SetHiddenRowNumber(int32_t row) override { HiddenRowNo = row; }
  void MarkModified() override { Modified = true; }
  const TKeyCol* KeyColumns() const override { return Keys.get(); }
  int32_t KeyColumnCount() const override { return KeyCount; }
  const std::vector<std::string>& CategoryItems() const override { return Categories; }
  bool FirstCategoryMeansAll() const override { return FirstCategoryAll; }
  int32_t ChosenCategory() const override { return CategoryIndex; }
  void RebuildCategories() override { FillComboBox(); }
  void ApplyCategory() override;
  // SAVEBASE: an edited page writes its hidden rows back into its table;
  // true when it did. Nothing is written when a number does not fit its
  // field: Refusal then says which, as a run error.
  bool WriteBack(std::string& refusal);

 private:
  TDataView* ViewOf(THelpView which);
};

class THelpList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // nullptr outside 0..Count()-1.
  THelpItem* Items(int32_t index) const;
  THelpItem* Add(std::unique_ptr<THelpItem> page);
  // Name trimmed and upper-cased, then compared exactly.
  THelpItem* FindByName(std::string_view name) const;
  // The page whose bound table has the alias (trimmed, upper-cased).
  THelpItem* FindByAlias(std::string_view alias) const;
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<THelpItem>> items_;
};

// The look-up pages of the running document.
THelpList& HelpPages();

// A new page named Name over Blank, added to List.
THelpItem* AddHelpItem(THelpList& list, std::string_view name, const TCurBlank* blank);

// Appends to Dst (emptied first with ClearFirst) the rows of Src that pass
// both conditions (an absent one passes): each must give, without error, a
// number whose magnitude is greater than 1e-9. While a condition is
// evaluated the forms and pages of both views see the row numbers of the
// source row and of the row it would become. Texts of the columns both
// views have are copied with each row's record link.
void CopyFilteredRows(TDataView& src, TDataView& dst, bool clearFirst, TExprChain* cond1, TExprChain* cond2);

}  // namespace vm
