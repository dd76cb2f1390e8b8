// A new row of a document's table entered from its key: Insert adds the
// row and opens its key cell; while the first key column is typed the
// look-up list offers the reference book's matching records; a key taken
// from the list or typed whole fills the row from the book, a key the book
// lacks is refused or added to it, and the columns still to enter follow
// one after the other. The entry takes the view's editing events over for
// as long as it lives; the window only shows the list and passes keys on.
#pragma once

#include <functional>

#include "documents/compiled_document.h"
#include "documents/row_lookup.h"

namespace vm {

class TRowEntry {
 public:
  TRowEntry(TCompiledDocument& doc, TFormPar& form);
  // The view's handlers are given back as they were.
  ~TRowEntry();
  TRowEntry(const TRowEntry&) = delete;
  TRowEntry& operator=(const TRowEntry&) = delete;

  TFormPar& Form() { return form_; }
  TRowLookup& Lookup() { return lookup_; }

  // The list was filled, hidden or its selection moved.
  std::function<void()> ListChanged;
  // Delete outside editing.
  std::function<void()> DeleteRow;
  // A table that starts in its look-up page shows that page again after a
  // row without automatic stepping.
  std::function<void()> ShowLookupPage;

  // Insert or the add button: a new row, editing in its first key column.
  void StartEntry();
  bool Adding() const { return adding_; }
  // The delete button pressed during the entry: the row being entered goes
  // at once and the entry ends, with no second row lost to the end of its
  // edit.
  void DropRow();
  // A new row filled from a record of the page's shown view (the look-up
  // window's add), the entry going on in the columns a new row asks for.
  void AddFromPage(int32_t pageRow);
  // The record chosen in the list (Enter, a double click) fills the row.
  void ChooseFromList();
  // Up or Down on a cell whose column offers a value list: the list pick
  // puts the chosen text into the editor.
  void PickFromList();

 private:
  // The columns a new row asks for: the key first.
  void BeginAdding();
  void CellChange();
  void KeyDown(int32_t& key, TShiftState shift);
  void CellAccepted();
  void EditEnd();
  // The table's own editable columns back, and no row being entered.
  void EndAdding();

  // The row filled from a record of the page's shown or hidden view, then
  // accepted as a whole.
  void FillFromRecord(TDataView& pageView, int32_t pageRow);
  void Accept();
  // The entered key looked up in the book; false when the entry goes back
  // to the first key column.
  enum class TKeyLookup { Found, Missing, Added };
  TKeyLookup LookUpEnteredKey();
  bool MergeRepeatedKey();
  void AddObjectToPage();
  void StepOn();
  void GoToColumn(int32_t col);
  const TKeyCol* LastKey() const;
  void SetCurrentRow(int32_t row);
  void Recalc();
  void HideList();
  void Changed() {
    if (ListChanged) ListChanged();
  }

  TCompiledDocument& doc_;
  TFormPar& form_;
  THelpItem* page_;
  TRowLookup lookup_;
  bool adding_ = false;
  bool filling_ = false;
  bool addObject_ = false;
  TColumnSet saved_;
  TColumnSet toEnter_;
  const TKeyCol* keyStep_ = nullptr;

  std::function<void(TDataView&)> change_, accepted_, editEnd_, listCell_, addRow_;
  std::function<void(TDataView&, int32_t&, TShiftState)> keyDown_;
};

}  // namespace vm
