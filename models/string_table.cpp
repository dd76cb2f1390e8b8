#include "models/string_table.h"

#include <algorithm>
#include <array>

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

TViewRow& TStringTable::Made(size_t index) const {
  std::unique_ptr<TViewRow>& row = rows_[index];
  if (!row) {
    row = std::make_unique<TViewRow>();
    row->Index = static_cast<int32_t>(index);
    row->SourceRecord = records_[index];
    recordRows_.Remove(static_cast<int32_t>(index), row->SourceRecord);
    row->Cells.resize(static_cast<size_t>(colCount_));
    std::string scratch;
    for (int32_t col = 0; col < colCount_; ++col)
      row->Cells[static_cast<size_t>(col)].Text = texts_->RecordText(row->SourceRecord, col, scratch);
    made_.push_back(row.get());
  }
  return *row;
}

bool TStringTable::Pending(int32_t row) const {
  return row >= 0 && row < Count() && !rows_[static_cast<size_t>(row)];
}

TViewRow* TStringTable::GetRow(int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return &Made(static_cast<size_t>(index));
}

const TViewRow* TStringTable::GetRow(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &Made(static_cast<size_t>(index));
}

TCell* TStringTable::GetCell(int32_t col, int32_t row) {
  if (col < 0 || col >= colCount_) return nullptr;
  TViewRow* r = GetRow(row);
  return r ? &r->Cells[static_cast<size_t>(col)] : nullptr;
}

const std::string& TStringTable::GetCellText(int32_t col, int32_t row) const {
  if (col < 0 || col >= colCount_) return kNoText;
  const TViewRow* r = GetRow(row);
  return r ? r->Cells[static_cast<size_t>(col)].Text : kNoText;
}

std::string_view TStringTable::ReadCellText(int32_t col, int32_t row, std::string& scratch) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= Count()) return kNoText;
  if (const TViewRow* r = rows_[static_cast<size_t>(row)].get()) return r->Cells[static_cast<size_t>(col)].Text;
  return texts_->RecordText(records_[static_cast<size_t>(row)], col, scratch);
}

void TStringTable::SetCellText(int32_t col, int32_t row, std::string s) {
  TCell* cell = GetCell(col, row);
  if (!cell) return;
  cell->Text = std::move(s);
  GetRow(row)->Measured = false;
  if (prefixIndex_ && prefixIndex_->Col == col) DropPrefixIndex();
  if (col == textOrderCol_) textOrderCol_ = -1;
}

int32_t TStringTable::SourceRecord(int32_t row) const {
  if (row < 0 || row >= Count()) return -1;
  const TViewRow* r = rows_[static_cast<size_t>(row)].get();
  return r ? r->SourceRecord : records_[static_cast<size_t>(row)];
}

void TStringTable::SetSourceRecord(int32_t row, int32_t record) {
  if (row < 0 || row >= Count()) return;
  if (TViewRow* r = rows_[static_cast<size_t>(row)].get()) {
    r->SourceRecord = record;
  } else if (records_[static_cast<size_t>(row)] != record) {
    // Its texts are the record's: as if every one had been typed over.
    records_[static_cast<size_t>(row)] = record;
    recordRows_.Forget();
    DropPrefixIndex();
    textOrderCol_ = -1;
  }
}

TViewRow* TStringTable::AppendRow() { return InsertRow(Count()); }

TViewRow* TStringTable::InsertRow(int32_t pos) {
  pos = std::clamp(pos, 0, Count());
  auto row = std::make_unique<TViewRow>();
  row->Cells.resize(static_cast<size_t>(colCount_));
  TViewRow* made = row.get();
  made_.push_back(made);
  rows_.insert(rows_.begin() + pos, std::move(row));
  records_.insert(records_.begin() + pos, -1);
  recordRows_.Inserted(pos);
  Renumber(pos);
  DropPrefixIndex();
  textOrderCol_ = -1;
  return made;
}

void TStringTable::AppendPendingRows(const TRowTexts& texts, int32_t count) {
  texts_ = &texts;
  const size_t first = rows_.size();
  rows_.resize(first + static_cast<size_t>(std::max(count, 0)));
  records_.reserve(rows_.size());
  recordCount_ = std::max(recordCount_, count);
  recordRows_.Grow(recordCount_);
  for (int32_t record = 0; record < count; ++record) {
    recordRows_.Add(static_cast<int32_t>(records_.size()), record);
    records_.push_back(record);
  }
  DropPrefixIndex();
  textOrderCol_ = -1;
}

void TStringTable::DeleteRow(int32_t index) {
  if (index < 0 || index >= Count()) return;
  if (const TViewRow* row = rows_[static_cast<size_t>(index)].get()) {
    const auto at = std::find(made_.begin(), made_.end(), row);
    *at = made_.back();
    made_.pop_back();
  } else {
    recordRows_.Remove(index, records_[static_cast<size_t>(index)]);
  }
  rows_.erase(rows_.begin() + index);
  records_.erase(records_.begin() + index);
  recordRows_.Erased(index);
  Renumber(index);
  DropPrefixIndex();
}

void TStringTable::Clear() {
  rows_.clear();
  records_.clear();
  made_.clear();
  texts_ = nullptr;
  recordCount_ = 0;
  recordRows_.Clear(0);
  DropPrefixIndex();
  textOrderCol_ = -1;
}

void TStringTable::ResetMeasured() {
  for (auto& r : rows_)
    if (r) r->Measured = false;
}

// The rows are built anew in their new order, each place filled once in
// turn: a row loaded and not yet read is only its record number, so the new
// order of a million of them is a few megabytes written front to back. Made
// rows move as pointers; their Index follows.
void TStringTable::Reorder(const std::vector<int32_t>& order) {
  std::vector<int32_t> records(order.size());
  for (size_t k = 0; k < order.size(); ++k) records[k] = records_[static_cast<size_t>(order[k])];
  records_ = std::move(records);
  if (std::any_of(rows_.begin(), rows_.end(), [](const auto& row) { return row != nullptr; })) {
    std::vector<std::unique_ptr<TViewRow>> rows(order.size());
    for (size_t k = 0; k < order.size(); ++k) rows[k] = std::move(rows_[static_cast<size_t>(order[k])]);
    rows_ = std::move(rows);
    Renumber(0);
  }
  KeepRecordRows();
  DropPrefixIndex();
  textOrderCol_ = -1;
}

// The pending rows met in their order: a record's first row is met first.
void TStringTable::KeepRecordRows() const {
  recordRows_.Clear(recordCount_);
  for (size_t k = 0; k < records_.size(); ++k)
    if (!rows_[k]) recordRows_.Add(static_cast<int32_t>(k), records_[k]);
}

int32_t TStringTable::FindBestPrefix(std::string_view prefix, int32_t col) const {
  if (prefix.empty() || col < 0 || col >= colCount_) return -1;
  if (col == textOrderCol_) return BisectBestPrefix(prefix, col);
  if (!prefixIndex_ || prefixIndex_->Col != col) {
    prefixIndex_ = std::make_unique<TTypedIndex>();
    prefixIndex_->Col = col;
  }
  // Only rows starting with the typed first character share anything with
  // the text, so theirs answer it.
  const auto first = static_cast<unsigned char>(UpperChar1251(prefix[0]));
  TTypedIndex& typed = *prefixIndex_;
  if (!typed.Walked[first]) {
    // A row sharing all of Prefix shares the most any row can, so the first
    // such row is the answer; a text typed is mostly met within the first
    // rows. Only a rarer text walks every row, once for its first character.
    const int32_t walked = std::min(Count(), kWalkedRows);
    int32_t best = -1;
    size_t most = 0;
    std::string scratch;
    for (int32_t r = 0; r < walked && most < prefix.size(); ++r) {
      const size_t shared = SharedPrefix(prefix, ReadCellText(col, r, scratch));
      if (shared > most) {
        best = r;
        most = shared;
      }
    }
    if (most == prefix.size() || walked == Count()) return best;
    // The bytes that are the first character in either case.
    std::array<bool, 256> starts{};
    for (size_t b = 0; b < starts.size(); ++b)
      starts[b] = static_cast<unsigned char>(UpperChar1251(static_cast<char>(b))) == first;
    if (auto index = IndexStarting(col, starts); !index->Empty()) typed.ByFirst[first] = std::move(index);
    typed.Walked[first] = true;
  }
  return typed.ByFirst[first] ? typed.ByFirst[first]->FindBestPrefix(prefix) : -1;
}

// The records are read in their order, as they lie in memory, and only
// those starting so are handed back: rows in any other order would reach
// them at random, a miss of the cache each. Each record found names its
// row by a look-up, and the index takes its text as it comes, with nothing
// kept between; made rows are read from their cells.
std::unique_ptr<TPrefixIndex> TStringTable::IndexStarting(int32_t col, const std::array<bool, 256>& starts) const {
  if (!recordRows_.Kept()) KeepRecordRows();
  const auto& others = recordRows_.Others();
  // Room for every record is only address space until the texts found
  // are written into it.
  const size_t most = static_cast<size_t>(recordCount_) + others.size() + made_.size();
  return std::make_unique<TPrefixIndex>(static_cast<int32_t>(most), [&](const auto& add) {
    if (texts_)
      texts_->FindStarting(col, recordCount_, starts, [&](int32_t record, std::string_view text) {
        if (const int32_t row = recordRows_.RowOf(record); row >= 0) add(row, text);
      });
    // A second row showing a record, or one showing a record past those
    // walked, is read as it is.
    std::string scratch;
    for (const auto& other : others)
      if (const std::string_view text = ReadCellText(col, other.first, scratch); StartsWithOneOf(text, starts))
        add(other.first, text);
    for (const TViewRow* row : made_)
      if (const std::string& text = row->Cells[static_cast<size_t>(col)].Text; StartsWithOneOf(text, starts))
        add(row->Index, text);
  });
}

void TRowTexts::FindStarting(int32_t col, int32_t count, const std::array<bool, 256>& starts,
                             const TFound& found) const {
  std::string scratch;
  for (int32_t record = 0; record < count; ++record)
    if (const std::string_view text = RecordText(record, col, scratch); StartsWithOneOf(text, starts))
      found(record, text);
}

// Rows in the order of their texts need no index: the rows starting with
// any text stand together, so the longest prefix shared with the typed text
// is shared with a neighbour of where it would stand, and the first of the
// rows sharing that much is the first row not before it.
int32_t TStringTable::BisectBestPrefix(std::string_view prefix, int32_t col) const {
  std::string scratch;
  const auto compare = [&](int32_t row, std::string_view p) {
    return CollateCompare(ReadCellText(col, row, scratch), p, false);
  };
  const auto firstNotBefore = [&](std::string_view p) {
    int32_t lo = 0, hi = Count();
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      if (compare(mid, p) < 0) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    return lo;
  };
  const int32_t at = firstNotBefore(prefix);
  size_t shared = at < Count() ? SharedPrefix(prefix, ReadCellText(col, at, scratch)) : 0;
  if (at > 0) shared = std::max(shared, SharedPrefix(prefix, ReadCellText(col, at - 1, scratch)));
  if (shared == 0) return -1;
  return firstNotBefore(prefix.substr(0, shared));
}

int32_t TStringTable::FindPrefixSorted(std::string_view prefix, int32_t col) const {
  int32_t best = -1;
  size_t bestLength = 0;
  std::string scratch;
  for (int32_t i = 0; i < Count(); ++i) {
    const std::string_view text = ReadCellText(col, i, scratch);
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
  for (size_t i = static_cast<size_t>(from); i < rows_.size(); ++i)
    if (rows_[i]) rows_[i]->Index = static_cast<int32_t>(i);
}

}  // namespace vm
