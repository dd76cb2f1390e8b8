// Which rows of a table read which records: the rows that are still only
// their record (pending), by record. A search that reads the records in
// their order finds a record's row with one look-up, not a pass over every
// row matching records; the rows move far more seldom than they are
// searched, so each move pays for keeping it. Rows given other records one
// by one (every row at once, as a save does) would pay a search of the
// others each: they let it go instead, to be made anew when it is asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vm {

class TRecordRows {
 public:
  // No row reads any of records 0..Records-1; kept from now on.
  void Clear(int32_t records);
  // Not kept until the next Clear: every change below is then ignored.
  void Forget();
  bool Kept() const { return kept_; }
  // Records 0..Records-1 can be read (those already read keep their rows).
  void Grow(int32_t records);
  // Row reads Record from now on (rows added in their order, each after
  // those reading the same record) / no more.
  void Add(int32_t row, int32_t record);
  void Remove(int32_t row, int32_t record);
  // A row came in before row Pos / row Pos went (removed beforehand): the
  // rows after it move.
  void Inserted(int32_t pos);
  void Erased(int32_t pos);

  // The first row reading Record; -1 for none (and for a record beyond
  // those Clear or Grow named).
  int32_t RowOf(int32_t record) const {
    return record >= 0 && static_cast<std::size_t>(record) < rowOf_.size() ? rowOf_[static_cast<std::size_t>(record)] : -1;
  }
  // The rows RowOf names for no record, each with its record: a second row
  // reading a record, and rows reading one beyond those named.
  const std::vector<std::pair<int32_t, int32_t>>& Others() const { return others_; }

 private:
  std::vector<int32_t> rowOf_;
  std::vector<std::pair<int32_t, int32_t>> others_;
  bool kept_ = true;
};

}  // namespace vm
