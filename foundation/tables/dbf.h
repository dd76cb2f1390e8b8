// TDBF: one open DBF table, the only way the system reads and writes table
// files. One record at a time through a single record buffer; no index or
// memo files. Tables are written with code page 866 text; tables of other
// programs with version 0x03 or 0xF5 are read.
//
// A table made anew (CreateTable, Zap) is written beside its file, which
// stays whole (and held, when it exists) until Close renames the new one
// over it; a crash on the way leaves the old file as it was.
//
// Records move through large blocks: sequential reads fill a read-ahead
// block, and appends collect in a write-behind block that goes to the disk
// when it is full, when the table is read, cut or closed, and on Flush. A
// failure to write that block shows in the WriteRecord that flushed it, in
// Flush and in Close, and the record count then goes back to the records that
// reached the disk, so the header never counts records that are not there;
// LostRecords then says how many appends did not make it.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/tables/dbf_bytes.h"
#include "foundation/values/values.h"
#include "platform/files.h"

namespace vm {

struct TFieldRecord {
  std::string Name;
  char FieldType = 'C';
  int32_t Length = 0;
  int32_t Decimals = 0;
};

// Results of TDBF::ReadStructure.
inline constexpr int kDbfOk = 0;
inline constexpr int kDbfUnreadable = 1;       // no file, not a table, or a failed read
inline constexpr int kDbfForeignLanguage = 2;  // open, but its text is not converted
inline constexpr int kDbfDamaged = 3;          // descriptors that do not fit the file

inline constexpr int kDbfMaxFields = 254;

// 1 to 10 characters: digits, Latin and Russian letters (no Ё/ё) and '_'; the
// first is not a digit.
bool IsValidFieldName(std::string_view s);

// A date as a date field holds it: yyyymmdd, each part padded with zeros to
// its width (the text of odd parts may be longer), in `buf`.
using TDateFieldBuffer = std::array<char, 40>;
std::string_view DateFieldText(const TDateRec& date, TDateFieldBuffer& buf);

class TDBF {
 public:
  TDBF();
  ~TDBF();
  TDBF(const TDBF&) = delete;
  TDBF& operator=(const TDBF&) = delete;

  std::string FileName;

  bool ReadOnly() const { return readOnly_; }
  // Ignored while the table is open.
  void SetReadOnly(bool value);

  // OpenReadOnly or OpenExclusive by ReadOnly.
  bool Open();
  // Shares reading, refuses writers.
  bool OpenReadOnly();
  // Nobody else may open the file meanwhile.
  bool OpenExclusive();
  // What the last open found (kDbfOk...), and why the file could not be
  // opened at all (FileError::Busy when another open holds it).
  int OpenResult() const { return openResult_; }
  FileError LastFileError() const { return fileError_; }

  // Reads header and descriptors of the open file; kDbfOk...
  int ReadStructure();

  // Finishes the file: header and end mark when records were added, cut or
  // the table was made anew. False when anything failed to reach the disk.
  bool Close();
  // Writes buffered appends; false when they did not reach the disk.
  bool Flush();
  // Records appended since the table was opened, made or emptied that a
  // failed write, Flush or Close left out of the file (all of a table made
  // anew that could not be put in place): what must not be reported as
  // saved. Kept after Close until the next open.
  int32_t LostRecords() const { return lostRecords_; }
  // Makes the next Close drop a table being made anew, leaving the old file
  // as it was.
  void AbandonRewrite() { writeFailed_ = true; }
  // Closes and goes back to an empty structure.
  void Reset();

  // Creates FileName with no fields yet; then AddField for each field and
  // WriteStructure. An existing file is replaced at Close.
  bool CreateTable();
  // The same in a new, empty file that the caller has made and puts in
  // place itself, making it durable on the way (the commit journal): the
  // table is written straight into it, and Close only finishes it, with no
  // file beside it and no sync of its own. FileName only names it.
  bool CreateTableIn(std::unique_ptr<File> file);
  // Refused on a table opened from its file or holding records: the records
  // there have the old layout.
  bool AddField(const TFieldRecord& field);
  bool AddFieldEx(std::string_view name, int32_t len, char fieldType, int32_t dec);
  bool WriteStructure();
  // Empties the table; it is then refilled with WriteRecord and closed. The
  // old content stays on disk until Close.
  bool Zap();
  // Keeps the first count records (0 <= count < RecCount); ignored on a
  // read-only open.
  void Truncate(int32_t count);
  int64_t GetFileSize();

  bool Active() const { return active_; }
  bool OemCoded() const { return oemCoded_; }
  bool Unchanged() const { return unchanged_; }
  int32_t RecNo() const { return recNo_; }
  int32_t RecCount() const { return recCount_; }
  int32_t OpenRecCount() const { return openRecCount_; }
  int FieldCount() const { return fieldCount_; }
  int HeaderSize() const { return header_[8] | (header_[9] << 8); }
  int RecordSize() const { return header_[10] | (header_[11] << 8); }
  const std::array<uint8_t, 32>& Header() const { return header_; }

  // Case-sensitive; -1 when absent or longer than 10 characters.
  int FieldIndex(std::string_view name) const;
  std::string GetFieldName(int index) const;
  TFieldRecord GetFieldDef(int index) const;
  // Same fields by name, type, length and decimals, in any order.
  bool SameStructure(const TDBF& other) const;

  // 'C' without trailing blanks (converted from code page 866 on such
  // tables), 'N' without leading blanks, others as stored.
  std::string GetFieldStr(int index) const;
  // The same into a string whose storage is reused.
  void GetFieldStr(int index, std::string& out) const;
  // A number longer than its field keeps as many of its decimals as fit.
  // False, with nothing stored, when the field does not exist, or when a
  // number does not fit even without decimals (or other text is longer than
  // a number field).
  // Inline, as the writers of whole tables call it field by field: the usual
  // short text goes in as words; anything else through SetOtherStr.
  bool SetFieldStr(int index, std::string_view s) {
    using namespace dbf_detail;
    int len = 0;
    if (uint8_t* p = FieldPtr(index, len)) {
      const char type = FieldTypeAt(index);
      const auto width = static_cast<std::size_t>(len);
      const std::size_t n = std::min(width, s.size());
      if (width <= 32 && n >= 4 && (type != 'N' || s.size() <= width)) {
        // Loaded whole before anything is stored: the text may lie in the
        // record itself.
        TTextWords words = LoadTextWords(s.data(), n);
        if (type != 'C' || !oemCoded_ || WinToDosTextWords(words, n)) {
          FillShortBlanks(p, width);
          StoreTextWords(type == 'N' ? p + (width - n) : p, words, n);
          return true;
        }
      }
    }
    return SetOtherStr(index, s);
  }
  // Rounded to the nearest integer, halves to even; error on text that is
  // not a number, a blank field included.
  // Inline: the scans of whole tables read numbers and dates field by field.
  int32_t GetFieldInt(int index, bool& error) const {
    int len = 0;
    int64_t whole = 0;
    const uint8_t* p = FieldPtr(index, len);
    if (p && dbf_detail::ReadWholeField(p, len, whole)) {
      // At most eight digits: always in range.
      error = false;
      return static_cast<int32_t>(whole);
    }
    return ReadOtherInt(p, len, error);
  }
  // Inline for the usual counter or code: a whole field of 8..16 bytes and
  // at most eight digits, written as a blank word and the digits' word, which
  // together cover the field; the sign, when there is room for it, in the
  // blank before the first digit. Anything else through SetOtherInt. Stored
  // as SetFieldStr stores the number with the field's decimals.
  bool SetFieldInt(int index, int32_t value) {
    int len = 0;
    uint8_t* p = FieldPtr(index, len);
    if (p && FieldTypeAt(index) == 'N' && fields_[static_cast<std::size_t>(index)][17] == 0 &&
        dbf_detail::PutShortWhole(p, len, value))
      return true;
    return SetOtherInt(index, value);
  }
  // The same into `record`, a record of this table as its file stores it,
  // outside the table's own buffer. Inline for the usual counter, which a
  // commit writes into every record; anything else through PutOtherFieldInt.
  void PutFieldInt(uint8_t* record, int index, int32_t value) {
    if (index >= 0 && index < fieldCount_) {
      const auto& d = fields_[static_cast<std::size_t>(index)];
      const int offset = d[12] | (d[13] << 8);
      if (d[11] == 'N' && d[17] == 0 && offset + d[16] <= static_cast<int>(recordBuf_.size()) &&
          dbf_detail::PutShortWhole(record + offset, d[16], value))
        return;
    }
    PutOtherFieldInt(record, index, value);
  }
  // The number with the field's decimals, dropping only zero decimals to
  // fit (FitNumber); false, with nothing stored, when it does not fit so.
  // Inline for a price or a quantity of a usual field; anything else
  // through SetOtherNumber.
  bool SetFieldNumber(int index, long double value) {
    int len = 0;
    uint8_t* p = FieldPtr(index, len);
    if (p && FieldTypeAt(index) == 'N' &&
        dbf_detail::PutShortFixed(p, len, fields_[static_cast<std::size_t>(index)][17], value))
      return true;
    return SetOtherNumber(index, value);
  }
  TDateRec GetFieldDate(int index, bool& error) const {
    const int32_t v = GetFieldInt(index, error);
    if (error || v < 0 || v > 21991231) {
      error = true;
      return {};
    }
    TDateRec d;
    d.Day = v % 100;
    d.Month = v / 100 % 100;
    d.Year = v / 10000;
    return d;
  }
  // Inline for a date field given the date of the record before, as records
  // in a row mostly are: its eight digits are kept. Anything else through
  // SetOtherDate; false, with nothing stored, for a date that does not fit
  // (DateFitsField).
  bool SetFieldDate(int index, const TDateRec& date) {
    int len = 0;
    uint8_t* p = FieldPtr(index, len);
    if (p && len == 8 && date == lastDate_) {
      dbf_detail::StoreWord(p, lastDateWord_);
      return true;
    }
    return SetOtherDate(index, date);
  }
  void SetDeleted(bool deleted);
  void ClearRecordBuf();
  // Where a field lies in the record (after the deletion mark at 0).
  int FieldOffset(int index) const;
  // The whole record as Windows-1251 text: the deletion mark and every field
  // as stored, text fields converted from code page 866 on such tables.
  // Out holds RecordSize() bytes.
  // Inline: loads call it for every record; a record of 16 bytes or more
  // is converted as it is copied, in one pass.
  void GetRecordText(char* out) const {
    const std::size_t size = recordBuf_.size();
    if (size >= 16 && oemCoded_) {
      DosToWinMasked(out, reinterpret_cast<const char*>(Record()), textMask_.data(), size);
      return;
    }
    GetOtherRecordText(out);
  }
  // The same of `record`, a record of this table as its file stores it.
  void TextOfRecord(const uint8_t* record, char* out) const;
  // The opposite; a number field keeps whatever text it is given.
  void SetRecordText(const char* in);
  // The same into `out` (RecordSize() bytes, not the table's own buffer).
  void RecordFromText(const char* in, uint8_t* out) const;
  // Another program may have written bytes into a text field that no text
  // gives back when written again (frames and signs, which read as letters
  // or stand-ins): whether `record`, as the file stores it, holds any.
  bool HoldsOddText(const uint8_t* record) const;
  // `record`, made from `text` by RecordFromText, takes back the bytes of
  // `old` (a record of the file, as stored) in each text field where they
  // differ and `old`'s bytes read as exactly the field's text: a field
  // nobody changed keeps the bytes it had.
  void KeepFileTexts(const uint8_t* old, uint8_t* record, const char* text) const;
  // Appends `count` records given as the file stores them, one after
  // another, as WriteRecord appends each.
  bool AppendRecords(const uint8_t* records, std::size_t count);
  // The record buffer as stored in the file (RecordSize() bytes; empty on a
  // closed table).
  uint8_t* RecordBytes() {
    OwnRecord();
    return recordBuf_.data();
  }
  // The same for reading only, valid until the next call on the table: the
  // record just read is not copied for it.
  const uint8_t* RecordView() const { return Record(); }

  // Record n (1-based); RecCount + 1 is the end, where appends go.
  void GoToRecord(int32_t n) {
    recNo_ = n - 1;
    if (!recordBuf_.empty()) {
      OwnRecord();
      recordBuf_[0] = ' ';
    }
  }
  // 1 deleted, 0 live, -1 when the record does not exist or cannot be read
  // (RecNo then moves past a record that exists).
  // Inline for the next record of the read-ahead block, which scans of whole
  // tables read one after another; anything else through ReadOtherRecord.
  // The read-ahead block never holds a record of the write-behind block.
  int ReadRecord() {
    const int32_t r = recNo_;
    const auto k = static_cast<uint32_t>(r - cacheStart_);
    if (k < static_cast<uint32_t>(cacheCount_) && r < recCount_) {
      const uint8_t* src = cache_.data() + std::size_t{k} * static_cast<std::size_t>(RecordSize());
      view_ = src;
      recNo_ = r + 1;
      return src[0] == '*' ? 1 : 0;
    }
    return ReadOtherRecord();
  }
  // Writes the buffer at the position: an append at the end, otherwise an
  // update in place.
  // Inline for the usual append, into a write-behind block that still has
  // room after it; anything else through WriteOtherRecord.
  bool WriteRecord() {
    const int32_t r = recNo_;
    if (r == recCount_ && pendCount_ > 0 && active_ && file_ && !readOnly_ && !recordBuf_.empty() && !view_ &&
        r < std::numeric_limits<int32_t>::max()) {
      const auto size = static_cast<std::size_t>(RecordSize());
      const std::size_t at = static_cast<std::size_t>(pendCount_) * size;
      if (at + 2 * size <= pending_.size()) {
        dbf_detail::CopyRecord(&pending_[at], recordBuf_.data(), size);
        ++pendCount_;
        ++appended_;
        recCount_ = r + 1;
        SetHeaderCount(recCount_);
        recNo_ = r + 1;
        recordBuf_[0] = ' ';
        return true;
      }
    }
    return WriteOtherRecord();
  }

 private:
  void NewHeader();
  // Also notes where the text fields lie in the buffer.
  void AllocateBuffer();
  void NoteTextBytes();
  [[gnu::noinline]] void GetOtherRecordText(char* out) const;
  bool OpenWith(FileMode mode);
  bool StartNewFile(std::unique_ptr<File> held);
  bool BeginNewTable(std::unique_ptr<File> made);
  bool FlushPending();
  // Appended records [start, start + count), already counted, written from
  // data; when that fails they are counted no more.
  bool WriteAppended(const uint8_t* data, int32_t start, int32_t count);
  // The setters and WriteRecord but for their usual cases.
  [[gnu::noinline]] bool WriteOtherRecord();
  [[gnu::noinline]] bool SetOtherStr(int index, std::string_view s);
  [[gnu::noinline]] bool SetOtherInt(int index, int32_t value);
  [[gnu::noinline]] void PutOtherFieldInt(uint8_t* record, int index, int32_t value);
  [[gnu::noinline]] bool SetOtherNumber(int index, long double value);
  [[gnu::noinline]] bool SetOtherDate(int index, const TDateRec& date);
  [[gnu::noinline]] int ReadOtherRecord();
  // The read-ahead block from record r on; false when it could not be read.
  [[gnu::noinline]] bool FillCache(int32_t r);
  void LoseAppended();
  void DropBlocks();
  void SetHeaderCount(int32_t count) {
    const auto v = static_cast<uint32_t>(count);
    for (int i = 0; i < 4; ++i) header_[4 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  }
  int64_t RecordPos(int64_t rec) const;
  int64_t DataEnd() const { return RecordPos(recCount_); }
  const uint8_t* FieldPtr(int index, int& len) const {
    if (index < 0 || index >= fieldCount_ || recordBuf_.empty()) return nullptr;
    const auto& d = fields_[static_cast<std::size_t>(index)];
    const int offset = d[12] | (d[13] << 8);
    len = d[16];
    if (offset + len > static_cast<int>(recordBuf_.size())) return nullptr;
    return Record() + offset;
  }
  // The record that reads see.
  const uint8_t* Record() const { return view_ ? view_ : recordBuf_.data(); }
  // The record read last into the buffer, before anything changes it.
  void OwnRecord() {
    if (view_) CopyViewedRecord();
  }
  [[gnu::noinline]] void CopyViewedRecord();
  // What GetFieldInt reads when the field is not a short whole number
  // (p null when there is no such field).
  [[gnu::noinline]] static int32_t ReadOtherInt(const uint8_t* p, int len, bool& error);
  uint8_t* FieldPtr(int index, int& len) {
    OwnRecord();
    return const_cast<uint8_t*>(static_cast<const TDBF*>(this)->FieldPtr(index, len));
  }
  char FieldTypeAt(int index) const { return static_cast<char>(fields_[index][11]); }

  bool readOnly_ = false;
  bool active_ = false;
  bool oemCoded_ = true;
  bool unchanged_ = false;
  bool cutOnClose_ = false;
  bool writeFailed_ = false;
  int openResult_ = kDbfOk;
  FileError fileError_ = FileError::None;
  int32_t recNo_ = 0;
  int32_t recCount_ = 0;
  int32_t openRecCount_ = 0;
  // Appended records still counted, and those that were lost.
  int32_t appended_ = 0;
  int32_t lostRecords_ = 0;
  int fieldCount_ = 0;
  std::array<uint8_t, 32> header_{};
  std::array<std::array<uint8_t, 32>, 256> fields_{};
  std::vector<uint8_t> recordBuf_;
  // The record ReadRecord found, where it lies in the read-ahead or the
  // write-behind block, or null when the buffer holds the record: reading a
  // record copies nothing, and anything that would change it copies it into
  // the buffer first (OwnRecord). Whatever moves or overwrites the blocks
  // does so too, and a new buffer drops it.
  const uint8_t* view_ = nullptr;
  // 0xFF for each byte of recordBuf_ that a text field holds, 0 for the
  // others: what GetRecordText converts, worked out when the buffer is made
  // for the fields rather than for every record read.
  std::vector<unsigned char> textMask_;
  // Where the pieces of sixteen bytes begin that hold every text byte, the
  // last ending where the record ends (none in a shorter record).
  std::vector<uint32_t> textPieces_;
  std::unique_ptr<File> file_;
  FileReplacement rewrite_;

  // Read-ahead: records [cacheStart_, cacheStart_ + cacheCount_).
  dbf_detail::TRecordBlock cache_;
  int32_t cacheStart_ = 0;
  int32_t cacheCount_ = 0;
  // Write-behind appends: records [pendStart_, pendStart_ + pendCount_),
  // always the last ones of the table.
  dbf_detail::TRecordBlock pending_;
  int32_t pendStart_ = 0;
  int32_t pendCount_ = 0;
  // Where the bytes written since the last StartSync begin.
  int64_t syncStartedTo_ = 0;
  // Made by CreateTableIn: the caller syncs it, so its writes are started
  // on the way as for a table made beside its file.
  bool syncedByCaller_ = false;
  // The last date SetFieldDate wrote as eight digits, and their word; the
  // zero date "00000000" until then.
  TDateRec lastDate_{0, 0, 0};
  uint64_t lastDateWord_ = 0x3030303030303030ULL;
};

}  // namespace vm
