// The look-up list of a table's key: the page's records whose key starts
// with what is typed in the first key column, one of them chosen. The row
// entry (row_entry.h) drives it; the window only shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "documents/form_list.h"
#include "models/help_pages.h"

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

  // A page the user never opened has not read its table yet: its views
  // are filled now.
  void EnsurePageRows();

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
};

}  // namespace vm
