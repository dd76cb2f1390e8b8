// Row entry through a table's look-up page: the list of the page's records
// whose key starts with what is typed in the first key column, the row
// filled from the chosen record, and a typed key looked up when accepted.
// The window only shows the list and passes the keys on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "documents/form_list.h"
#include "ui/help_pages.h"

namespace vm {

// Where the list stands and how wide its columns are, in pixels.
struct TListPlacement {
  TRect32 Box;
  bool ScrollBar = false;
  std::vector<int32_t> ColumnWidths;
};
// rowCount counts the title row; the cell, the view and the panel are in
// the panel's coordinates.
TListPlacement PlaceLookupList(int32_t rowCount, int32_t rowHeight, TRect32 cell, TRect32 view,
                               TRect32 panel, const std::vector<int32_t>& nominalWidths);

class TRowLookup {
 public:
  explicit TRowLookup(TFormPar& form);

  // Insert: a new row whose key columns, and the columns entered with a new
  // row, are open for the entry; editing starts in the first key column.
  void StartEntry();
  bool Adding() const { return adding_; }
  // The row is whole: the normal columns are editable again and the first
  // of them is current.
  void FinishEntry();
  // The entry was left in a key column: the unfinished row goes.
  void AbandonEntry();

  // The table has a page and its current column is the first key column.
  bool Applies() const;
  // The editor's text changed: the matching records, the first selected.
  void TextChanged(std::string_view text);
  bool ListVisible() const { return visible_; }
  void Hide() { visible_ = false; }
  // Titles, then one line per match.
  const std::vector<std::string>& Titles() const { return titles_; }
  const std::vector<std::vector<std::string>>& Lines() const { return lines_; }
  // The list row chosen, 1-based (0 is the title row).
  int32_t Selected() const { return selected_; }
  void Select(int32_t listRow);
  void MoveSelection(int32_t delta) { Select(selected_ + delta); }
  // The page row of the chosen line; -1 when none.
  int32_t ChosenPageRow() const;
  // The text of the chosen record's first key column.
  std::string ChosenKeyText() const;

  // The table's current row filled from a row of the page's shown view.
  void FillRow(int32_t pageRow);
  // The key typed in the current row was accepted: true when the page has
  // it (the row is then filled from it); false after the refusal message.
  bool AcceptTypedKey();

 private:
  TFormPar& form_;
  THelpItem* page_;
  std::unique_ptr<TKeyCol> listCols_;
  int32_t listColCount_ = 0;
  std::vector<std::string> titles_;
  std::vector<std::vector<std::string>> lines_;
  std::vector<int32_t> pageRows_;
  int32_t selected_ = 0;
  bool visible_ = false;
  bool adding_ = false;
};

}  // namespace vm
