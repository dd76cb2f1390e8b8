// TStringBase: the rows of one DBF table held in memory, as the document
// language reads, changes, sorts and searches them, and writes them back.
//
// Every row keeps a record buffer laid out like a DBF record (the deletion
// mark, then every field as Windows-1251 text, blank-padded), its "NO__"
// value and the record number it came from. Rows live in one array of
// pointers, so any row is reached at once and a row keeps its address while
// others come and go.
//
// What decides which records load (the filter) and what runs after a row is
// added belong to the document language; the table reaches them through
// ITableFilter and the new-row hook.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/tables/dbf.h"
#include "foundation/tables/key_cols.h"
#include "foundation/tables/table_rewrite.h"
#include "foundation/text/number_text.h"
#include "foundation/values/value_text.h"
#include "foundation/values/values.h"

namespace vm {

// The load filter of a table: conditions over the record in the table's
// Buffer, and the columns whose smallest or largest value a key group keeps.
class TStringBase;

class ITableFilter {
 public:
  virtual ~ITableFilter() = default;
  // Parses a new text; the result is in ErrorCode and Message.
  virtual void SetText(std::string_view text) = 0;
  virtual const std::string& Text() const = 0;
  // 0 for a usable filter.
  virtual int32_t ErrorCode() const = 0;
  virtual const std::string& Message() const = 0;
  // Every record passes.
  virtual bool NoFilter() const = 0;
  // Every condition gives, without error, a number other than exactly 0.
  virtual bool ConditionsHold() = 0;
  // A field of the record the load has read already: its text is a whole
  // number of at most eight characters, blanks before it, of this value.
  // Field is -1 for none.
  struct TKnownWhole {
    int32_t Field = -1;
    int64_t Value = 0;
  };
  // A record of table as the file holds it, texts not yet converted,
  // tested on the leading conditions whose answer conversion cannot change:
  // -1 when one of them fails (the record need not be converted at all),
  // else how many of them hold (kEveryConditionHolds when all do), for
  // ConditionsHoldFrom to skip.
  virtual int32_t DecideBeforeConversion(const TStringBase& /*table*/, const char* /*record*/,
                                         const TKnownWhole& /*known*/) {
    return 0;
  }
  static constexpr int32_t kEveryConditionHolds = std::numeric_limits<int32_t>::max();
  // ConditionsHold on the conditions from the first-th on.
  virtual bool ConditionsHoldFrom(int32_t /*first*/) { return ConditionsHold(); }
  // 0-based field numbers of the MINVAL and MAXVAL columns, in text order.
  virtual const std::vector<int32_t>& MinCols() const = 0;
  virtual const std::vector<int32_t>& MaxCols() const = 0;
};

struct TRowBlock;

struct TRow {
  int32_t No = -1;     // "NO__"; -1 until saved
  int32_t RecNo = -1;  // record number in the file; -1 for none
  int32_t Index = 0;   // position in the table
  bool Changed = false;
  bool New = false;
  bool Deleted = false;
  // The block a load allocated the row in among others; nullptr for a row
  // allocated alone.
  TRowBlock* Block = nullptr;
  // RecordSize bytes, allocated with the row.
  char* Buffer() { return reinterpret_cast<char*>(this + 1); }
  const char* Buffer() const { return reinterpret_cast<const char*>(this + 1); }
};

// Blocks of rows whose rows a load freed as it began, for it to fill again
// rather than have the memory given back and taken anew; and the blocks that
// hold rows, so that when every row is in them the rows go with their blocks
// without a visit to each row.
struct TSpareRowBlocks {
  bool Taking = false;
  // A load is filling a block, which counts the load among its rows.
  bool Filling = false;
  TRowBlock* First = nullptr;
  TRowBlock* Used = nullptr;
};

// What a save did.
enum class TSaveResult {
  Saved,
  // Saved, but a number field holds '*': a value that did not fit when the
  // record was written, as stored in the file.
  SavedTooWide,
  // Nothing changed in the file.
  Failed,
};

// A save worked out and not yet written: the records the file is to hold
// (as stored) and the rows that take record numbers once it is.
struct TPendingSave {
  struct Update {
    TRow* Row;
    int32_t RecNo;
  };
  std::vector<uint8_t> Records;
  std::vector<Update> Updates;
  bool Rewrite = false;
  bool TooWide = false;
  // Nothing to write: no row changed.
  bool Nothing = false;
};

// A number field's text as the value the documents see: a right-aligned
// number, the usual field, read at once; anything else (blanks, '*' fill, a
// comma for the point, an exponent) the general way, 0 when unreadable.
long double ReadOtherNumberField(std::string_view text);
inline long double ReadNumberField(std::string_view text) {
  if (TDecimalDigits d; ReadDecimalFieldInline(text, d))
    if (long double x; DecimalDigitsToExtended(d, x)) return x;
  return ReadOtherNumberField(text);
}

// The same for a field without decimals: a short whole number, the usual
// text there, is read from two words into an exact integer. Zero goes the
// general way, which keeps the sign of "-0".
inline long double ReadWholeNumberField(std::string_view text) {
  if (int64_t whole = 0; dbf_detail::ReadWholeField(reinterpret_cast<const uint8_t*>(text.data()),
                                                    static_cast<int>(text.size()), whole) &&
                         whole != 0)
    return static_cast<long double>(whole);
  return ReadNumberField(text);
}

// A date field's text, 'yyyymmdd', as one integer; blank or unreadable text
// is the zero date.
TDateRec ReadOtherDateField(std::string_view text);
inline TDateRec ReadDateField(std::string_view text) {
  // Eight digits, as the tables store every date, need no number reading:
  // neighbouring digits combined in place are the century, the year, the
  // month and the day, no division needed to part them.
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  uint64_t w = 0;
  if (text.size() == 8) std::memcpy(&w, text.data(), 8);
  if (number_detail::AllDigits(w)) {
    w -= number_detail::kZeros;
    w = (w * 10 + (w >> 8)) & 0x00FF00FF00FF00FFULL;
    const auto pair = [w](int k) { return static_cast<int32_t>((w >> (16 * k)) & 0xFF); };
    return {pair(3), pair(2), pair(0) * 100 + pair(1)};
  }
  return ReadOtherDateField(text);
}

// The texts TStringBase::NumberFieldText gives a number field of Length
// bytes with Decimals decimals where they are the field's own bytes past
// their leading blanks, told from those bytes alone: a digit other than 0,
// digits, and for Decimals above 0 a point and as many digits, eighteen
// digits at most. A walk over every record then reads most numbers' texts
// where they lie, and only the others' are made (or refused) by
// NumberFieldText. They hold while the rounding is the default, as
// NumberFieldText's own do.
class TPlainNumberFields {
 public:
  TPlainNumberFields(int32_t length, int decimals);
  // The text of the field at P, where it is the field's own: its first
  // character, and above it where it starts in the field (from 8 bits on).
  // 0 where it is not.
  uint32_t Read(const char* p) const { return never_ ? 0 : length_ > 8 ? ReadLong(p) : ReadWord(p); }
  // Fields of up to eight bytes, each read as the word that ends where it
  // ends: the bytes before it are read too, as those before a row's record
  // can be, where the row's header stands.
  bool Words() const { return !never_ && length_ <= 8; }
  uint32_t ReadWord(const char* p) const;

 private:
  uint32_t ReadLong(const char* p) const;

  int32_t length_;
  int decimals_;
  // No text of such a field is its own.
  bool never_;
  // The field's bytes within the word, and the blanks the bytes before it
  // read as; the point where the decimals put it turned into a '0', and
  // that byte, which must then be that '0'.
  uint64_t keep_ = 0;
  uint64_t fill_ = 0;
  uint64_t point_ = 0;
  uint64_t pointByte_ = 0;
};

inline uint32_t TPlainNumberFields::ReadWord(const char* p) const {
  static_assert(std::endian::native == std::endian::little, "the first character is the lowest byte");
  constexpr uint64_t kBlanks = 0x2020202020202020ULL;
  uint64_t word;
  std::memcpy(&word, p + length_ - 8, 8);
  word = ((word & keep_) | fill_) ^ point_;
  const uint64_t other = word ^ kBlanks;
  // In bits, within the word even where it is all blanks; the blanks
  // before the number read as zeros.
  const auto lead = static_cast<unsigned>(std::countr_zero(other | uint64_t{1} << 63)) & ~7u;
  const uint64_t blanks = (uint64_t{1} << lead) - 1;
  const auto first = static_cast<uint32_t>(static_cast<unsigned char>(word >> lead));
  if (other == 0 || first == '0' || (word & pointByte_) != (number_detail::kZeros & pointByte_) ||
      !number_detail::AllDigits((word & ~blanks) | (number_detail::kZeros & blanks)))
    return 0;
  return (lead / 8 - static_cast<uint32_t>(8 - length_)) << 8 | first;
}

class TStringBase {
 public:
  explicit TStringBase(TDBF* dbf = nullptr);
  ~TStringBase();
  TStringBase(const TStringBase&) = delete;
  TStringBase& operator=(const TStringBase&) = delete;

  // --- Structure and cursor ---------------------------------------------------
  // Frees the rows and clears the filter; opens Dbf (unless the table owns
  // it or it is open already). Dbf may be nullptr.
  void SetDbf(TDBF* dbf);
  // Gives the table an empty table of its own that no file stands behind:
  // loads and saves do nothing.
  void MakeTemporary(const std::vector<TFieldRecord>& fields);
  TDBF* Dbf() const { return dbf_; }
  bool OwnsDbf() const { return ownDbf_ != nullptr; }
  int32_t FieldCount() const { return fieldCount_; }
  int32_t RecordSize() const { return recordSize_; }
  char FieldType(int32_t field) const {
    return field >= 0 && field < FieldCount() ? fields_[static_cast<std::size_t>(field)].Type : 0;
  }
  int32_t FieldIndex(std::string_view name) const { return dbf_ ? dbf_->FieldIndex(name) : -1; }
  std::string FieldName(int32_t field) const { return dbf_ ? dbf_->GetFieldName(field) : std::string(); }

  int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
  int32_t LastIndex() const { return Count() - 1; }
  // nullptr outside 0..LastIndex().
  TRow* MemTableLocate(int32_t n) const {
    return n >= 0 && n < Count() ? rows_[static_cast<std::size_t>(n)].get() : nullptr;
  }
  void MemTableGoto(int32_t n);
  void MemTableClear();
  TRow* Current() const { return currentIndex_ >= 0 ? rows_[static_cast<std::size_t>(currentIndex_)].get() : nullptr; }
  int32_t CurrentIndex() const { return currentIndex_; }
  // The record that field access works on: the current row's, or the
  // scratch record while a load decides; nullptr when none.
  char* Buffer() const { return buffer_; }

  TRow* Append();
  TRow* Insert(int32_t n);
  void Delete(int32_t n);
  void DeleteNode(TRow* row);
  void SetDeleted(bool value);
  void CopyRecord(int32_t from, int32_t to);
  // The rows put in the order of Order (their indexes as they stand, each
  // at most once); rows not named are freed.
  void KeepRows(const std::vector<int32_t>& order);

  // --- Field access -----------------------------------------------------------
  // Field is 0-based; outside the fields nothing is read or written. A null
  // buffer means Buffer().
  void GetBufferText(int32_t field, const char* buf, std::string& s) const;
  // The same text where it stands in the buffer.
  std::string_view BufferTextView(int32_t field, const char* buf) const;
  void GetFieldText(int32_t field, std::string& s) const { GetBufferText(field, buffer_, s); }
  void SetBufferText(int32_t field, std::string_view s, char* buf) const;
  void SetFieldText(int32_t field, std::string_view s) { SetBufferText(field, s, buffer_); }
  // Inline: loads, filters and sorts read a value of every row, and the
  // caller then reads the number from a register rather than from memory
  // just written, which this machine does slowly for 80-bit numbers.
  void GetBufferValue(int32_t field, const char* buf, TCommonVar& v) const;
  // The number GetBufferValue reads from a number field, read alone; 0
  // outside the fields.
  long double BufferNumber(int32_t field, const char* buf) const;
  // The text ValueToText gives the number of a number field with Decimals
  // decimals (Mode not 0), made straight from the field's digits: a view of
  // the field where it holds the text as it stands, else of Scratch, made
  // there. False where the digits cannot tell it exactly (a caller then goes
  // the general way).
  bool NumberFieldText(int32_t field, const char* buf, int decimals, std::string& scratch,
                       std::string_view& text) const;
  // The bytes of a field as the record holds them; empty outside the fields.
  std::string_view FieldBytes(int32_t field, const char* buf) const {
    if (!buf || field < 0 || field >= FieldCount()) return {};
    const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
    return {buf + f.Offset, static_cast<std::size_t>(f.Length)};
  }
  // Where a field's bytes start in every record, and how many; 0 and 0
  // outside the fields.
  std::pair<int32_t, int32_t> FieldPlace(int32_t field) const {
    if (field < 0 || field >= FieldCount()) return {0, 0};
    const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
    return {f.Offset, f.Length};
  }
  // Visit(index, row) for rows From..To-1 (within the rows) in their order,
  // each row's place read straight from the table's: a walk over every row
  // takes no call and no check a row. As each row is visited, bytes At to
  // Last of the record of the row a stretch ahead (within the table, past
  // To too, for a walk that goes on from there) are asked for from memory,
  // the first stretch's before: the rows lie one after another, but a
  // visit with work to do would keep only a few of them on their way at
  // once, and asked for all together they would wait on each other. Both
  // ends are asked for: bytes that run into the next line of memory would
  // otherwise wait for it in one row of every few.
  template <class TVisit>
  void VisitRows(int32_t from, int32_t to, int32_t at, int32_t last, const TVisit& visit) const {
    constexpr int32_t kAhead = 32;
    const RowPtr* const rows = rows_.data();
    const auto ask = [rows, at, last](int32_t i) {
      const char* const record = rows[static_cast<std::size_t>(i)]->Buffer();
      __builtin_prefetch(record + at);
      __builtin_prefetch(record + last);
    };
    const auto row = [rows](int32_t i) -> const TRow& { return *rows[static_cast<std::size_t>(i)]; };
    const int32_t begin = std::max(from, 0), end = std::min(to, Count());
    for (int32_t i = begin; i < std::min(begin + kAhead, end); ++i) ask(i);
    int32_t i = begin;
    for (const int32_t asked = std::min(end, Count() - kAhead); i < asked; ++i) {
      ask(i + kAhead);
      visit(i, row(i));
    }
    for (; i < end; ++i) visit(i, row(i));
  }
  void GetValue(int32_t field, TCommonVar& v) const { GetBufferValue(field, buffer_, v); }
  // By the kind of the value. A number is rounded to the field's decimals
  // and drops only zero decimals to fit (FitNumber), a date's parts must fit
  // (DateFitsField); false, with nothing stored (and the row not marked
  // changed), when it does not fit so.
  bool SetBufferValue(int32_t field, const TCommonVar& v, char* buf) const;
  bool SetValue(int32_t field, const TCommonVar& v);
  // Whether SetValue would store the value.
  bool FitsField(int32_t field, const TCommonVar& v) const;
  // The DBF's record buffer (text converted from code page 866 on such
  // tables) into Buffer(), and back.
  void ReadDbfRecord();
  void WriteDbfRecord();
  // A number field of the record filled with '*': a value that did not fit.
  bool HasTooWideNumber(const char* buf) const;

  // --- Loading ----------------------------------------------------------------
  // Each load first clears the rows. A filter that did not parse loads
  // nothing: the result is false (and so when the table cannot be read).
  bool LoadAll();
  bool LoadRange(int32_t from, int32_t to);
  // Loads from record From while More() holds for the record in Buffer().
  bool LoadWhile(int32_t from, const std::function<bool()>& more);
  // One row: the first record from From on (or the last one) that the
  // filter appends; its record number, or -1.
  int32_t LoadNextRecord(int32_t from);
  int32_t LoadLastRecord();

  // --- Writing back -----------------------------------------------------------
  // New rows are appended with "NO__" equal to their record number, changed
  // rows written in place, deleted rows marked. The file is written beside
  // and renamed over, so a failure leaves it as it was, and the rows with it.
  TSaveResult SaveChanges() { return Save(false); }
  // The table made anew from the rows that are not deleted, "NO__" counting
  // rows from 1 (deleted rows count too). A failure leaves the old file.
  TSaveResult Rewrite() { return Save(true); }
  // What SaveChanges (or, with rewrite, Rewrite) would write, worked out
  // without writing. A commit of several tables writes the records itself
  // and then calls SaveDone. False when the table cannot be read.
  bool PlanSave(bool rewrite, TPendingSave& plan);
  // The rows take the record numbers the written plan gave them.
  void SaveDone(const TPendingSave& plan);

  // --- Filters, sorting and searching -----------------------------------------
  // The table owns its filter; until one is installed every record passes
  // and any filter text is refused.
  void InstallFilter(std::unique_ptr<ITableFilter> filter) { filter_ = std::move(filter); }
  ITableFilter* Filter() const { return filter_.get(); }
  void SetFilter(std::string_view text);
  int32_t GetFilterError() const;
  std::string GetFilterMessage() const;
  // -1 reject, -2 append, r >= 0 replace row r; the first held conditions
  // are known to hold already.
  int32_t FilterRecord(int32_t held = 0);
  // Whether the current Buffer() row goes into views.
  bool MatchesFilter() const;
  ITableFilter* ViewFilter = nullptr;

  int CompareRows(const TRow& a, const TRow& b, bool caseSensitive, const TKeyCol* keys) const;
  // True when any rows were exchanged.
  bool Sort(const TKeyCol* keys, bool caseSensitive);
  bool SortByField(int32_t field, bool caseSensitive);
  // Over rows Lo..Hi sorted by the keys, each key carrying its Value: the
  // row found, or nullptr with Pos the index where it belongs.
  TRow* BinarySearch(int32_t& pos, const TKeyCol* keys, bool caseSensitive, int32_t hi, int32_t lo) const;
  // Nothing is inserted, and the result is nullptr, when a key's Value
  // would not be stored (TooWideKey).
  TRow* LocateOrInsert(const TKeyCol* keys, bool& inserted, bool caseSensitive);
  // The first key column whose Value SetValue would not store; nullptr when
  // every one would.
  const TKeyCol* TooWideKey(const TKeyCol* keys) const;
  TRow* FindByKeys(const char* buf, const TKeyCol* keys) const;
  void RemoveDuplicatesKeepFirst();
  void RemoveDuplicatesKeepLast();
  void RemoveAdjacentDuplicates(bool caseSensitive);

  // --- Fields set by the table's users ----------------------------------------
  std::unique_ptr<TKeyCol> Keys;
  int32_t KeyCount = 0;
  int32_t Number = 0;
  bool Modified = false;
  // Largest "NO__" met by the last load, then the record number of the last
  // row a save appended.
  int32_t LastNo = -1;
  // Runs after every Append and Insert (the binding's new-row program).
  std::function<void()> OnNewRow;

 private:
  struct FieldInfo {
    int32_t Offset = 0;
    int32_t Length = 0;
    int32_t Decimals = 0;
    char Type = 'C';
  };
  struct RowDeleter {
    void operator()(TRow* row) const;
  };
  using RowPtr = std::unique_ptr<TRow, RowDeleter>;

  TSaveResult Save(bool rewrite);
  RowPtr NewRow() const;
  template <class From>
  void PlaceRows(const TRow* const* rows, const From& from);
  // Sort by one number key, the rows put in their places; false, with
  // nothing done, for other keys.
  bool SortByNumberKey(const TRow* const* rows, const TKeyCol* keys, int64_t& exchanges);
  // The row order of Sort, and its count of exchanges.
  bool SortByTextKey(const TRow* const* rows, const TKeyCol* keys, bool caseSensitive, int32_t* order,
                     int64_t& exchanges) const;
  void SortByKeys(const TRow* const* rows, const TKeyCol* keys, bool caseSensitive, int32_t* order,
                  int64_t& exchanges) const;
  void TakeLayout();
  void Renumber(int32_t from);
  void SetCurrent(int32_t index);
  // Shared walk of every load: records From..To (To >= From) in the given
  // direction; Stop says when to stop after a record was taken.
  bool LoadRecords(int32_t from, int32_t to, const std::function<bool()>* more, bool oneRow, bool backwards,
                   int32_t* found);
  int32_t NoField() const;
  // Row's record into Record as the file stores it, "NO__" No and marked
  // Deleted; whether a number field of it holds '*'.
  bool MakeFileRecord(const TRow& row, uint8_t* record, int32_t noField, int32_t no, bool deleted) const;
  // The same for a table made anew from its rows, where a text field the
  // row did not change keeps the bytes it had (TDBF::KeepFileTexts) in the
  // record the file held for the row, or in one the row copies whole,
  // among those of Odd.
  bool MakeRewrittenRecord(const TRow& row, uint8_t* record, int32_t noField, const TOddTextRecords& odd) const;
  // Save(true): the rows not deleted written as the table's records.
  TSaveResult RewriteRecords();
  // "NO__" of the record being loaded, from its bytes in buf (the same
  // before and after conversion: digits are never converted).
  int32_t ReadNoField(int32_t field, const char* buf, bool& error) const;
  // Equal on every column of Keys, texts without regard to case.
  bool CompareRowsEqual(const TRow& a, const TRow& b) const;
  bool FilterUsable() const;

  TDBF* dbf_ = nullptr;
  std::unique_ptr<TDBF> ownDbf_;
  std::unique_ptr<ITableFilter> filter_;
  std::vector<FieldInfo> fields_;
  // The number fields among them, which every record saved is checked for
  // a number too wide for its field.
  std::vector<FieldInfo> numberFields_;
  // Their count, kept beside them: every field access is checked against it.
  int32_t fieldCount_ = 0;
  int32_t recordSize_ = 0;
  std::vector<RowPtr> rows_;
  int32_t currentIndex_ = -1;
  char* buffer_ = nullptr;
  std::vector<char> scratch_;
  TSpareRowBlocks spareBlocks_;
};

inline void TStringBase::GetBufferValue(int32_t field, const char* buf, TCommonVar& v) const {
  if (!buf || field < 0 || field >= FieldCount()) {
    ClearValue(v);
    v.Kind = 0;
    return;
  }
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  v.Kind = f.Type;
  const std::string_view text(buf + f.Offset, static_cast<std::size_t>(f.Length));
  // Every part but the one read is cleared, each part written once.
  v.Date = TDateRec{};
  v.Time = TTimeRec{};
  switch (f.Type) {
    case 'C':
      v.Str.assign(text.data(), TrimmedFieldLength(text.data(), text.size()));
      ZeroNumber(v.Num);
      break;
    case 'D':
      v.Str.clear();
      ZeroNumber(v.Num);
      v.Date = ReadDateField(text);
      break;
    case 'N':
      v.Str.clear();
      v.Num = f.Decimals == 0 ? ReadWholeNumberField(text) : ReadNumberField(text);
      break;
    default:
      v.Str.clear();
      ZeroNumber(v.Num);
      break;
  }
}

}  // namespace vm
