// The objects of a document's form that the built-in functions work on: its
// tables, its drop-down selects, its field lists and its list selects. The
// document layer implements them; a built-in finds one through the object
// its argument names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/tables/key_cols.h"
#include "language/data_view_interface.h"
#include "language/expr_context.h"
#include "language/instructions.h"

namespace vm {

// A table of the form: rows of cells in a blank view.
class IFormTable : public IExprForm {
 public:
  virtual IDataView& Rows() = 0;
  // The table's CURRENTROW; nullptr while the document has not declared it.
  virtual TVariable* CurrentRowVar() = 0;
  // The key columns (Number = 0-based column) with their value slots.
  virtual TKeyCol* KeyColumns() = 0;
  virtual int32_t KeyColumnCount() const = 0;
  // The program that recalculates one row; nullptr without one.
  virtual TInstruction* RowProgram() = 0;
  // The texts of the header cells over column col (1-based), the
  // document's parameters expanded, joined by blanks.
  virtual std::string ColumnCaption(int32_t col) const = 0;
  // The header cell whose levels hold level and whose columns hold col
  // (both 1-based) gets text, and the header is laid out and drawn again;
  // false when there is no such cell.
  virtual bool SetHeaderText(int32_t col, int32_t level, const std::string& text) = 0;
};

// A drop-down select: a list of texts, one of them chosen, and the change
// program that choosing runs.
class IFormSelect {
 public:
  virtual ~IFormSelect() = default;
  // At the place the sorting gives (the end when unsorted); its index.
  virtual int Add(const std::string& s) = 0;
  // Nothing for an empty text or one the list holds already.
  virtual void AddUnique(const std::string& s) = 0;
  // Before position pos (1-based), appended past the end; nothing below 1
  // or when present.
  virtual void InsertAt(const std::string& s, int pos) = 0;
  virtual void Clear() = 0;
  virtual int Count() const = 0;
  // The chosen item, or the edit text when nothing is chosen.
  virtual std::string GetText() const = 0;
  // 0-based; -1 when nothing is chosen.
  virtual int GetItemIndex() const = 0;
  // Chooses item index without the change program; nothing outside the items.
  virtual void ChooseItem(int index) = 0;
  // Chooses the item equal to s and runs the change; -1 and nothing when absent.
  virtual int SelectText(std::string_view s) = 0;
  // Chooses item index and runs the change.
  virtual void SetItemIndex(int index) = 0;
  // Whether added items go to their sorted place or to the end.
  virtual void SetSorted(bool on) = 0;
};

// The sorted list of texts a table column offers.
class IFormFieldList {
 public:
  virtual ~IFormFieldList() = default;
  virtual int Add(const std::string& s) = 0;
  virtual void AddUnique(const std::string& s) = 0;
  virtual void Clear() = 0;
};

// A list box of texts on the form.
class IFormListSelect {
 public:
  virtual ~IFormListSelect() = default;
  virtual void AddUnique(const std::string& s) = 0;
  // Empty when nothing is chosen.
  virtual std::string GetText() const = 0;
};

}  // namespace vm
