#include "models/string_table.h"

#include <algorithm>

#include "foundation/text/collation.h"

namespace vm {

namespace {

const std::string kNoText;

// How many leading characters of Text match Prefix, letters without case.
size_t SharedPrefix(std::string_view prefix, std::string_view text) {
  const size_t n = std::min(prefix.size(), text.size());
  size_t i = 0;
  while (i < n && UpperChar1251(text[i]) == UpperChar1251(prefix[i])) ++i;
  return i;
}

// Whether Prefix, past what it shares with Text, sorts before Text: then
// no later row of a sorted column shares more with it.
bool PrefixBefore(std::string_view prefix, std::string_view text, size_t shared) {
  if (shared >= prefix.size() || shared >= text.size()) return false;
  return CollateCompare(prefix.substr(shared, 1), text.substr(shared, 1), false) < 0;
}

}  // namespace

void TStringTable::SetColCount(int32_t n) {
  Clear();
  colCount_ = std::max(n, 0);
}

TViewRow* TStringTable::GetRow(int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return rows_[static_cast<size_t>(index)].get();
}

const TViewRow* TStringTable::GetRow(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return rows_[static_cast<size_t>(index)].get();
}

TCell* TStringTable::GetCell(int32_t col, int32_t row) {
  TViewRow* r = GetRow(row);
  if (!r || col < 0 || col >= static_cast<int32_t>(r->Cells.size())) return nullptr;
  return &r->Cells[static_cast<size_t>(col)];
}

const std::string& TStringTable::GetCellText(int32_t col, int32_t row) const {
  const TViewRow* r = GetRow(row);
  if (!r || col < 0 || col >= static_cast<int32_t>(r->Cells.size())) return kNoText;
  return r->Cells[static_cast<size_t>(col)].Text;
}

void TStringTable::SetCellText(int32_t col, int32_t row, std::string s) {
  TCell* cell = GetCell(col, row);
  if (!cell) return;
  cell->Text = std::move(s);
  GetRow(row)->Measured = false;
  if (prefixIndex_ && prefixIndex_->Col() == col) DropPrefixIndex();
}

TViewRow* TStringTable::AppendRow() { return InsertRow(Count()); }

TViewRow* TStringTable::InsertRow(int32_t pos) {
  pos = std::clamp(pos, 0, Count());
  auto row = std::make_unique<TViewRow>();
  row->Cells.resize(static_cast<size_t>(colCount_));
  TViewRow* made = row.get();
  rows_.insert(rows_.begin() + pos, std::move(row));
  Renumber(pos);
  DropPrefixIndex();
  return made;
}

void TStringTable::DeleteRow(int32_t index) {
  if (index < 0 || index >= Count()) return;
  rows_.erase(rows_.begin() + index);
  Renumber(index);
  DropPrefixIndex();
}

void TStringTable::Clear() {
  rows_.clear();
  DropPrefixIndex();
}

void TStringTable::ResetMeasured() {
  for (auto& r : rows_) r->Measured = false;
}

void TStringTable::Reorder(const std::vector<int32_t>& order) {
  std::vector<std::unique_ptr<TViewRow>> moved;
  moved.reserve(rows_.size());
  for (const int32_t from : order) moved.push_back(std::move(rows_[static_cast<size_t>(from)]));
  rows_ = std::move(moved);
  Renumber(0);
  DropPrefixIndex();
}

int32_t TStringTable::FindBestPrefix(std::string_view prefix, int32_t col) const {
  if (prefix.empty() || col < 0 || col >= colCount_) return -1;
  // Every typed character searches again: the sorted column answers each
  // in a bisection, where a walk would touch every row.
  if (!prefixIndex_ || prefixIndex_->Col() != col)
    prefixIndex_ = std::make_unique<TPrefixIndex>(col, Count(), [this, col](int32_t row) -> std::string_view {
      return rows_[static_cast<size_t>(row)]->Cells[static_cast<size_t>(col)].Text;
    });
  return prefixIndex_->FindBestPrefix(prefix);
}

int32_t TStringTable::FindPrefixSorted(std::string_view prefix, int32_t col) const {
  int32_t best = -1;
  size_t bestLength = 0;
  for (int32_t i = 0; i < Count(); ++i) {
    const std::string& text = GetCellText(col, i);
    const size_t shared = SharedPrefix(prefix, text);
    if (shared > bestLength) {
      best = i;
      bestLength = shared;
    }
    if (PrefixBefore(prefix, text, shared)) break;
  }
  return best;
}

void TStringTable::Renumber(int32_t from) {
  for (size_t i = static_cast<size_t>(from); i < rows_.size(); ++i) rows_[i]->Index = static_cast<int32_t>(i);
}

}  // namespace vm
