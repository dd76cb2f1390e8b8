#include "documents/row_lookup.h"

#include <algorithm>

#include "language/bound_tables.h"

namespace vm {

namespace {

constexpr int32_t kMaxShownRows = 10;
constexpr int32_t kScrollBarWidth = 15;

}  // namespace

TListPlacement PlaceLookupList(int32_t rowCount, int32_t rowHeight, TRect32 cell, TRect32 view,
                               TRect32 panel, const std::vector<int32_t>& nominalWidths) {
  TListPlacement p;
  const int32_t shown = std::min(rowCount, kMaxShownRows);
  int32_t height = std::max(shown * (rowHeight + 1) + 1, 2 * rowHeight + 3);
  const int32_t roomBelow = panel.Bottom() - cell.Bottom();
  const int32_t roomAbove = cell.Top - panel.Top;
  const bool below = roomBelow >= roomAbove;
  height = std::max(0, std::min(height, (below ? roomBelow : roomAbove) - 10));
  p.ScrollBar = rowCount > kMaxShownRows || height < rowCount * (rowHeight + 1) + 1;
  int32_t nominal = 0;
  for (int32_t w : nominalWidths) nominal += w;
  const auto columns = static_cast<int32_t>(nominalWidths.size());
  int32_t width = nominal + 9 * columns + 1 + (p.ScrollBar ? kScrollBarWidth : 0);
  width = std::max(0, std::min(width, panel.Width - 10));
  int32_t left = cell.Left;
  if (left + width > view.Right()) left = view.Right() - width;
  if (left + width > panel.Right()) left = panel.Right() - width;
  left = std::max(left, panel.Left);
  p.Box = {left, below ? cell.Bottom() : cell.Top - height, width, height};
  const long double room = width - (p.ScrollBar ? kScrollBarWidth : 0) - (9 * columns + 1);
  const long double scale = nominal == 0 ? 1.0L : room / nominal;
  for (int32_t w : nominalWidths) p.ColumnWidths.push_back(static_cast<int32_t>(w * scale) + 8);
  return p;
}

TRowLookup::TRowLookup(TFormPar& form) : form_(form), page_(form.Help) {
  if (page_ == nullptr || page_->Keys == nullptr) return;
  // The list searches the page's first key column and shows the hint
  // lines' columns.
  AddKeyCol(listCols_, listColCount_)->Number = page_->Keys->Number;
  for (const THintLine& hint : form.Hints) {
    if (hint.Keys == nullptr) continue;
    AddKeyCol(listCols_, listColCount_)->Number = hint.Keys->Number;
    titles_.push_back(hint.Title);
  }
}

bool TRowLookup::Applies() const {
  return page_ != nullptr && listCols_ != nullptr && form_.Keys != nullptr &&
         form_.View().CurCol() == form_.Keys->Number;
}

void TRowLookup::TextChanged(std::string_view text) {
  lines_.clear();
  pageRows_.clear();
  selected_ = 0;
  visible_ = false;
  if (!Applies() || text.empty()) return;
  EnsurePageRows();
  TLookupMatches m = page_->Shown.FillLookupGrid(text, listCols_.get());
  for (std::size_t i = 0; i < m.Rows.size(); ++i) {
    pageRows_.push_back(m.Rows[i]);
    lines_.emplace_back(m.Texts[i].begin() + 1, m.Texts[i].end());
  }
  if (pageRows_.empty()) return;
  page_->Shown.SetRow(pageRows_.front());
  visible_ = true;
  selected_ = 1;
}

void TRowLookup::Select(int32_t listRow) {
  if (lines_.empty()) return;
  selected_ = std::clamp(listRow, 1, static_cast<int32_t>(lines_.size()));
}

int32_t TRowLookup::ChosenPageRow() const {
  if (selected_ < 1 || selected_ > static_cast<int32_t>(pageRows_.size())) return -1;
  return pageRows_[static_cast<std::size_t>(selected_ - 1)];
}

std::string TRowLookup::ChosenKeyText() const {
  const int32_t row = ChosenPageRow();
  return row < 0 ? std::string() : page_->Shown.GetCellText(page_->Keys->Number, row);
}

void TRowLookup::EnsurePageRows() {
  if (page_ == nullptr || page_->Shown.RowCount() != 0 || page_->Link == nullptr) return;
  if (page_->Hidden.RowCount() == 0) page_->LoadRows();
  CopyFilteredRows(page_->Hidden, page_->Shown, true, nullptr, nullptr);
}

}  // namespace vm
