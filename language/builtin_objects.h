// The objects of a document that built-ins take as arguments and that live
// in higher layers: subroutines, run to their return, and reference books
// (look-up pages with a visible and a hidden view). The document and the
// pages implement these; tests hand in fakes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/tables/key_cols.h"
#include "foundation/values/values.h"
#include "language/data_view_interface.h"
#include "language/expr_context.h"
#include "language/instructions.h"

namespace vm {

class ISubroutine : public TRuntimeObject {
 public:
  virtual TInstruction* StartInstruction() const = 0;
};

enum class THelpView { Shown, Hidden, Active };

class IHelpBook : public TRuntimeObject {
 public:
  // nullptr when the page has no such view (only the active one may lack).
  virtual IDataView* BookView(THelpView which) = 0;
  // Rows and columns 0-based; a row outside the view reads as an empty
  // value of the column's kind.
  virtual TCommonVar BookCellValue(THelpView which, int32_t col, int32_t row) = 0;
  virtual std::string BookCellText(THelpView which, int32_t col, int32_t row) = 0;
  // The cell of the row the page keeps an eye on; empty when it keeps none.
  virtual TCommonVar CheckCellValue(int32_t col) = 0;
  // 1-based rows that formulas read.
  virtual int32_t CurrentRowNumber(THelpView which) const = 0;
  virtual void SetHiddenRowNumber(int32_t row) = 0;
  virtual void MarkModified() = 0;
  // Key columns: Number is the 0-based view column.
  virtual const TKeyCol* KeyColumns() const = 0;
  virtual int32_t KeyColumnCount() const = 0;

  virtual const std::vector<std::string>& CategoryItems() const = 0;
  virtual bool FirstCategoryMeansAll() const = 0;
  // 0-based, -1 when none is chosen.
  virtual int32_t ChosenCategory() const = 0;
  // Refills the categories from the rows.
  virtual void RebuildCategories() = 0;
  // Applies the chosen category as a change of the choice does.
  virtual void ApplyCategory() = 0;
};

// Runs a subroutine object to its return; false when the run stopped (an
// error, a break or the terminate value) or the object is no subroutine.
bool RunSubroutine(TRuntimeObject* sub);

}  // namespace vm
