#include "documents/row_lookup.h"

#include <algorithm>

#include "foundation/text/collation.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr int32_t kMaxShownRows = 10;
constexpr int32_t kScrollBarWidth = 15;

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  std::size_t start = 0;
  while (start < s.size() && s[start] == ' ') ++start;
  return s.substr(start);
}

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

void TRowLookup::StartEntry() {
  TDataView& view = form_.View();
  TColumnSet entered = form_.EditCols;
  for (const TKeyCol* k = form_.Keys.get(); k != nullptr; k = k->Next.get())
    if (k->Number >= 0 && k->Number < static_cast<int32_t>(entered.size())) entered.set(static_cast<std::size_t>(k->Number));
  adding_ = true;
  view.SetEditableColumns(entered);
  const int32_t row = view.AddRow();
  view.SetRow(row);
  if (form_.Keys != nullptr) view.SetCol(form_.Keys->Number);
  view.BeginEdit();
}

void TRowLookup::FinishEntry() {
  TDataView& view = form_.View();
  adding_ = false;
  view.SetEditableColumns(form_.EditableCols);
  for (int32_t c = 0; c < view.ColCount() && c < static_cast<int32_t>(form_.EditableCols.size()); ++c)
    if (form_.EditableCols.test(static_cast<std::size_t>(c))) {
      view.SetCol(c);
      break;
    }
}

void TRowLookup::AbandonEntry() {
  TDataView& view = form_.View();
  if (adding_ && view.CurRow() >= 0) view.DeleteRow(view.CurRow());
  adding_ = false;
  view.SetEditableColumns(form_.EditableCols);
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
  // A page the user never opened has not read its table yet.
  if (page_->Shown.RowCount() == 0 && page_->Link != nullptr) {
    if (page_->Hidden.RowCount() == 0) page_->LoadRows();
    CopyFilteredRows(page_->Hidden, page_->Shown, true, nullptr, nullptr);
  }
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

void TRowLookup::FillRow(int32_t pageRow) {
  TDataView& view = form_.View();
  TDataView& shown = page_->Shown;
  const int32_t row = view.CurRow();
  if (row < 0 || pageRow < 0 || pageRow >= shown.RowCount()) return;
  const int32_t record = shown.TableRow(pageRow);
  if (page_->Link != nullptr && record >= 0) page_->Link->Table.MemTableGoto(record);
  for (int32_t col = 0; col < view.ColCount(); ++col) {
    const int32_t bound = view.ColumnField(col);
    if (bound < 0) continue;
    // A page of its own columns is bound by column; a base-backed one by
    // field, read from the page where it shows the field, else from the
    // record.
    int32_t pageCol = page_->SortHelpOnly ? bound : -1;
    for (int32_t c = 0; pageCol < 0 && c < shown.ColCount(); ++c)
      if (shown.ColumnField(c) == bound) pageCol = c;
    if (pageCol >= 0 && pageCol < shown.ColCount()) {
      view.SetCellValue(col, row, shown.GetCellValue(pageCol, pageRow));
    } else if (page_->Link != nullptr && record >= 0) {
      TCommonVar v;
      page_->Link->Table.GetValue(bound, v);
      view.SetCellValue(col, row, v);
    }
  }
  if (form_.CurrentRow != nullptr) {
    form_.CurrentRow->Value = TCommonVar{};
    form_.CurrentRow->Value.Kind = 'N';
    form_.CurrentRow->Value.Num = row + 1;
  }
  page_->ShownRowNo = pageRow + 1;
  visible_ = false;
  if (adding_) FinishEntry();
}

bool TRowLookup::AcceptTypedKey() {
  TDataView& view = form_.View();
  TDataView& shown = page_->Shown;
  const int32_t row = view.CurRow();
  for (int32_t r = 0; r < shown.RowCount(); ++r) {
    bool same = true;
    const TKeyCol* pk = page_->Keys.get();
    for (const TKeyCol* fk = form_.Keys.get(); same && fk && pk; fk = fk->Next.get(), pk = pk->Next.get())
      same = UpperText1251(Trimmed(view.GetCellText(fk->Number, row))) ==
             UpperText1251(Trimmed(shown.GetCellText(pk->Number, r)));
    if (!same) continue;
    FillRow(r);
    return true;
  }
  Ui().MsgBox("Указанный объект отсутствует в справочнике !"_w, "Ошибка ввода"_w, kMbError);
  return false;
}

}  // namespace vm
