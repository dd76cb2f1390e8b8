// The cell texts of one blank view: rows of cells, one cell per column of
// the view's blank. Everything typed into a table lives here as text; typed
// values are made from the texts on demand with the cell's format.
//
// Rows are owned records held in order, so a row is reached by its index
// directly and inserting or deleting one row moves only the row pointers
// after it. A row record keeps its address while it lives; its Index is its
// position and follows every insert, delete and sort.
//
// Rows loaded from a table may stay pending: only their record is kept, and
// their texts are made from it (TRowTexts) when they are read. A pending row
// becomes a row record with its texts the first time it is handed out as a
// row or a cell, or written; a book of a million records then costs its
// records and the few rows on the screen, not a text per cell.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "models/prefix_index.h"
#include "models/record_rows.h"

namespace vm {

struct TCell {
  // Measured size in pixels, kept by whoever measures rows for painting.
  int32_t Width = 0;
  int32_t Height = 0;
  std::string Text;  // empty = no value
};

struct TViewRow {
  int32_t Index = 0;  // position in the table, 0-based
  // Height in pixels as last measured; valid while Measured, which every
  // write into one of the row's cells clears.
  int32_t Height = 0;
  bool Measured = false;
  // The record of the in-memory table the row was loaded from; -1 for a
  // row the user made.
  int32_t SourceRecord = -1;
  std::vector<TCell> Cells;
};

// Whether Text starts with a byte that Starts marks.
inline bool StartsWithOneOf(std::string_view text, const std::array<bool, 256>& starts) {
  return !text.empty() && starts[static_cast<unsigned char>(text[0])];
}

// Where the texts of pending rows come from.
class TRowTexts {
 public:
  virtual ~TRowTexts() = default;
  // The text of column Col of the row loaded from Record: a view of the
  // record where it holds the text as it stands, else of Scratch, made
  // there. Valid until the record or Scratch changes.
  virtual std::string_view RecordText(int32_t record, int32_t col, std::string& scratch) const = 0;
  // Of records 0..Count-1, those whose text in Col starts with a byte that
  // Starts marks, handed to Found in the order of the records: the texts
  // RecordText gives, read as the records lie, each valid during the call.
  using TFound = std::function<void(int32_t record, std::string_view text)>;
  virtual void FindStarting(int32_t col, int32_t count, const std::array<bool, 256>& starts,
                            const TFound& found) const;
};

class TStringTable {
 public:
  int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
  int32_t LastIndex() const { return Count() - 1; }
  int32_t ColCount() const { return colCount_; }
  // Drops every row, then every new row has N cells.
  void SetColCount(int32_t n);

  // nullptr outside 0..LastIndex (and for a column outside 0..ColCount-1).
  // Texts change only through SetCellText: the prefix search keeps an index
  // of a column that every change there drops. A pending row is made here.
  TViewRow* GetRow(int32_t index);
  const TViewRow* GetRow(int32_t index) const;
  TCell* GetCell(int32_t col, int32_t row);
  // Empty for a cell that does not exist.
  const std::string& GetCellText(int32_t col, int32_t row) const;
  // The same text without making a pending row: a view of its record or of
  // Scratch (see TRowTexts), valid until the table or Scratch changes.
  std::string_view ReadCellText(int32_t col, int32_t row, std::string& scratch) const;
  // Nothing for a cell that does not exist.
  void SetCellText(int32_t col, int32_t row, std::string s);
  // The record a row was loaded from (-1 for a row made by the user),
  // without making a pending row. A pending row given another record reads
  // its texts from that one: the record moved there.
  int32_t SourceRecord(int32_t row) const;
  void SetSourceRecord(int32_t row, int32_t record);
  // The row has only its record so far.
  bool Pending(int32_t row) const;

  // A new last row of empty cells.
  TViewRow* AppendRow();
  // Rows pending on Texts for records 0..Count-1 after the last row; Texts
  // serves every pending row until the table is cleared.
  void AppendPendingRows(const TRowTexts& texts, int32_t count);
  // A new row before row Pos (below 0 counts as 0, beyond the last appends).
  TViewRow* InsertRow(int32_t pos);
  // Nothing outside 0..LastIndex.
  void DeleteRow(int32_t index);
  void Clear();
  // Every row is measured again at the next paint.
  void ResetMeasured();
  // Puts the rows in a new order: the row now at order[k] goes to k.
  // Order must be a permutation of 0..LastIndex.
  void Reorder(const std::vector<int32_t>& order);
  // The rows are in the order of column Col's texts, compared as the prefix
  // search compares them (letters without case), and stay so until a text
  // of that column changes or a row comes in or the rows move: the search
  // then bisects the rows themselves. -1 for none.
  void SetTextOrder(int32_t col) { textOrderCol_ = col; }
  int32_t TextOrder() const { return textOrderCol_; }

  // The row whose text in Col shares the longest prefix with Prefix, letters
  // compared without case; the first such row wins ties; -1 when no row
  // shares even one character (always for an empty Prefix).
  int32_t FindBestPrefix(std::string_view prefix, int32_t col) const;
  // The rows FindBestPrefix reads in order before it walks every row of a
  // column the rows are not sorted by.
  static constexpr int32_t kWalkedRows = 1024;
  // The same over rows sorted by Col: the walk stops where no later row can
  // share more.
  int32_t FindPrefixSorted(std::string_view prefix, int32_t col) const;

 private:
  void Renumber(int32_t from);
  void DropPrefixIndex() { prefixIndex_.reset(); }
  // The row record of row Index, made from its record when it is pending.
  TViewRow& Made(size_t index) const;
  int32_t BisectBestPrefix(std::string_view prefix, int32_t col) const;
  // recordRows_ made anew from the rows as they stand.
  void KeepRecordRows() const;
  // The index of the rows whose text in Col starts with a byte Starts marks.
  std::unique_ptr<TPrefixIndex> IndexStarting(int32_t col, const std::array<bool, 256>& starts) const;

  // nullptr for a pending row, whose record is in records_. Made rows come
  // in while the table is read: the rows are a cache of what the records
  // give, as far as callers can tell.
  mutable std::vector<std::unique_ptr<TViewRow>> rows_;
  std::vector<int32_t> records_;
  // The made rows, in no order: in a table of pending rows, the few whose
  // texts are their own.
  mutable std::vector<TViewRow*> made_;
  const TRowTexts* texts_ = nullptr;
  // Pending rows read records 0..RecordCount-1 of texts_ (others only
  // once given them).
  int32_t recordCount_ = 0;
  // The pending rows by their records, for the search's walk over the
  // records: made with the rows' order and following every row that comes
  // in, goes or is made; made anew by the search after rows were given
  // other records.
  mutable TRecordRows recordRows_;
  int32_t textOrderCol_ = -1;
  // The prefix search's index of one column, made a first character at a
  // time: the walk over every row that answers a text no indexed row starts
  // like indexes the rows that start with its first character, and every
  // later text starting so is answered by them. The first characters typed
  // then cost a walk each, not an index of every row; kept while the rows
  // and that column's texts stay as they are.
  struct TTypedIndex {
    int32_t Col = -1;
    // The first characters (upper-cased) walked for; the rows starting with
    // each, none where no row does.
    std::bitset<256> Walked;
    std::array<std::unique_ptr<TPrefixIndex>, 256> ByFirst;
  };
  mutable std::unique_ptr<TTypedIndex> prefixIndex_;
  int32_t colCount_ = 0;
};

}  // namespace vm
