#include "foundation/tables/dbf.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "foundation/values/dates.h"
#include "platform/encoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vm {

using dbf_detail::EightDigits;
using dbf_detail::FillShortBlanks;
using dbf_detail::kBlankWord;
using dbf_detail::kBlanks16;
using dbf_detail::kZeroWord;
using dbf_detail::LoadTextWords;
using dbf_detail::PairWord;
using dbf_detail::StoreTextWords;
using dbf_detail::StoreWord;
using dbf_detail::TTextWords;
using dbf_detail::WinToDosTextWords;

namespace {

constexpr std::size_t kBlockBytes = 256 * 1024;
// Appends leave in writes of a megabyte: a table made anew starts its disk
// writes every megabyte, and smaller writes spend their time on pages the
// disk is being handed.
constexpr std::size_t kWriteBlockBytes = 1024 * 1024;
constexpr int64_t kSyncStep = 1024 * 1024;
constexpr int kMaxDescriptors = 255;

bool IsCp866Language(uint8_t b) { return b == 0x00 || b == 0x26 || b == 0x65; }

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// The decimal text of a field as a number: blanks around it, a sign, digits
// with an optional fraction and exponent. No locale is involved.
bool ParseDecimal(const uint8_t* p, int len, long double& value) {
  int i = 0;
  int end = len;
  while (i < end && p[i] == ' ') ++i;
  while (end > i && (p[end - 1] == ' ' || p[end - 1] == 0)) --end;
  if (i == end) return false;
  bool negative = false;
  if (p[i] == '+' || p[i] == '-') {
    negative = p[i] == '-';
    ++i;
  }
  // Digits gather in an integer while they fit; most fields need no more.
  uint64_t mantissa = 0;
  long double v = 0;
  bool wide = false;
  int digits = 0;
  int scale = 0;
  auto take = [&](int d) {
    if (!wide && mantissa < 100000000000000000ULL) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(d);
    } else {
      if (!wide) v = static_cast<long double>(mantissa);
      wide = true;
      v = v * 10 + d;
    }
    ++digits;
  };
  while (i < end && p[i] >= '0' && p[i] <= '9') take(p[i++] - '0');
  if (i < end && p[i] == '.') {
    ++i;
    while (i < end && p[i] >= '0' && p[i] <= '9') {
      take(p[i++] - '0');
      --scale;
    }
  }
  if (digits == 0) return false;
  if (i < end && (p[i] == 'e' || p[i] == 'E')) {
    ++i;
    bool expNeg = false;
    if (i < end && (p[i] == '+' || p[i] == '-')) {
      expNeg = p[i] == '-';
      ++i;
    }
    int e = 0;
    int expDigits = 0;
    while (i < end && p[i] >= '0' && p[i] <= '9') {
      if (e < 10000) e = e * 10 + (p[i] - '0');
      ++expDigits;
      ++i;
    }
    if (expDigits == 0) return false;
    scale += expNeg ? -e : e;
  }
  if (i != end) return false;
  if (!wide) v = static_cast<long double>(mantissa);
  // Dividing by an exact power of ten keeps halves exact for the rounding.
  if (scale > 0) v *= std::pow(10.0L, static_cast<long double>(scale));
  if (scale < 0) v /= std::pow(10.0L, static_cast<long double>(-scale));
  value = negative ? -v : v;
  return true;
}

// A whole number as the tables store it (blanks, a sign, at most 18 digits)
// needs no floating point: the same value ParseDecimal gives, exactly.
bool ParseWhole(const uint8_t* p, int len, int64_t& value) {
  int i = static_cast<int>(LeadingFieldBlanks(reinterpret_cast<const char*>(p), static_cast<std::size_t>(len)));
  int end = len;
  while (end > i && (p[end - 1] == ' ' || p[end - 1] == 0)) --end;
  bool negative = false;
  if (i < end && (p[i] == '+' || p[i] == '-')) {
    negative = p[i] == '-';
    ++i;
  }
  if (i == end || end - i > 18) return false;
  uint64_t v = 0;
  for (; i < end; ++i) {
    const unsigned d = static_cast<unsigned>(p[i]) - '0';
    if (d > 9) return false;
    v = v * 10 + d;
  }
  value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}

// Field padding goes through the library's memset: for these short fills of
// bounded length the compiler would inline `rep stos`, which starts slowly.
[[gnu::noinline]] void FillBytes(uint8_t* p, char c, std::size_t n) { std::memset(p, c, n); }

// Blanks over a field, by two overlapping stores where it is 8..32 bytes.
void FillBlanks(uint8_t* p, std::size_t width) {
  if (width >= 16 && width <= 32) {
    std::memcpy(p, kBlanks16, 16);
    std::memcpy(p + width - 16, kBlanks16, 16);
  } else if (width >= 8 && width < 16) {
    StoreWord(p, kBlankWord);
    StoreWord(p + width - 8, kBlankWord);
  } else {
    FillBytes(p, ' ', width);
  }
}

// Decimal digits of v into the end of buf; returns the start.
char* FormatInt(int32_t v, char* bufEnd) {
  char* p = bufEnd;
  const bool negative = v < 0;
  uint32_t x = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  do {
    *--p = static_cast<char>('0' + x % 10);
    x /= 10;
  } while (x != 0);
  if (negative) *--p = '-';
  return p;
}

// A date whose parts fit their widths (day and month 0..99, year 0..9999)
// as the eight digits yyyymmdd.
uint64_t OrdinaryDateWord(const TDateRec& d) {
  const auto year = static_cast<uint32_t>(d.Year);
  return PairWord(year / 100, year % 100, static_cast<uint32_t>(d.Month), static_cast<uint32_t>(d.Day));
}

// A text longer than its number field: a number with as many of its
// decimals as fit; nothing at all (false) for any other text, and for a
// number that does not fit even without decimals. Cutting the text, or
// filling the field with '*', would store another number.
[[gnu::noinline]] bool PutWideNumberText(uint8_t* p, std::size_t width, std::string_view s) {
  long double x = 0;
  if (!TextToExtended(s, x)) return false;
  // As many decimals as the text gives, an exponent's digits not counted.
  int decimals = 0;
  if (const std::size_t point = s.find('.'); point != std::string_view::npos)
    decimals = static_cast<int>(std::min(s.size(), s.find_first_not_of("0123456789", point + 1)) - point - 1);
  const std::string fitted = FitFixed(x, static_cast<int>(width), decimals);
  if (fitted.empty()) return false;
  FillBytes(p, ' ', width - fitted.size());
  std::memcpy(p + (width - fitted.size()), fitted.data(), fitted.size());
  return true;
}

// A text into a field of `width` bytes as it is stored: a number
// right-aligned (see PutWideNumberText when it is too long), anything else
// cut or padded on the right, a text field of a code page 866 table
// converted.
[[gnu::noinline]] bool PutLongFieldText(uint8_t* p, std::size_t width, char type, bool oem, std::string_view s) {
  const bool number = type == 'N';
  if (number && s.size() > width) return PutWideNumberText(p, width, s);
  const std::size_t n = std::min(width, s.size());
  std::memmove(number ? p + (width - n) : p, s.data(), n);
  if (number) {
    FillBytes(p, ' ', width - n);
  } else {
    FillBytes(p + n, ' ', width - n);
    if (type == 'C' && oem) WinToDosInPlace(reinterpret_cast<char*>(p), n);
  }
  return true;
}

// The same; the usual short fields and texts in words, with no call on the
// way. The text is loaded whole before anything is stored, so it may lie in
// the record itself.
inline bool PutFieldText(uint8_t* p, std::size_t width, char type, bool oem, std::string_view s) {
  const bool number = type == 'N';
  const std::size_t n = std::min(width, s.size());
  if (width > 32 || n < 4 || (number && s.size() > width)) return PutLongFieldText(p, width, type, oem, s);
  TTextWords words = LoadTextWords(s.data(), n);
  if (type == 'C' && oem && !WinToDosTextWords(words, n)) return PutLongFieldText(p, width, type, oem, s);
  FillShortBlanks(p, width);
  StoreTextWords(number ? p + (width - n) : p, words, n);
  return true;
}

// A whole number as its text: the digits, then '.' and the zero decimals.
[[gnu::noinline]] bool PutIntText(uint8_t* p, std::size_t width, char type, bool oem, int dec, int32_t value) {
  char buf[300];
  char* end = buf + sizeof(buf);
  char* q = end;
  if (dec > 0) {
    q -= dec;
    std::memset(q, '0', static_cast<std::size_t>(dec));
    *--q = '.';
  }
  const char* start = FormatInt(value, q);
  return PutFieldText(p, width, type, oem, std::string_view(start, static_cast<std::size_t>(end - start)));
}

}  // namespace

bool IsValidFieldName(std::string_view s) {
  if (s.empty() || s.size() > 10) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const bool digit = b >= '0' && b <= '9';
    const bool ok = digit || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' ||
                    b >= 0xC0;
    if (!ok || (i == 0 && digit)) return false;
  }
  return true;
}

TDBF::TDBF() { NewHeader(); }

TDBF::~TDBF() { Close(); }

void TDBF::NewHeader() {
  header_.fill(0);
  const TDateRec today = GetUtcTodayRec();
  header_[0] = 0x03;
  header_[1] = static_cast<uint8_t>(today.Year % 100);
  header_[2] = static_cast<uint8_t>(today.Month);
  header_[3] = static_cast<uint8_t>(today.Day);
  Put16(&header_[8], 33);
  Put16(&header_[10], 1);
  header_[29] = 0x65;
  fieldCount_ = 0;
  textMask_.clear();
  textPieces_.clear();
}


int64_t TDBF::RecordPos(int64_t rec) const {
  return HeaderSize() + rec * static_cast<int64_t>(RecordSize());
}


void TDBF::SetReadOnly(bool value) {
  if (!active_) readOnly_ = value;
}

void TDBF::AllocateBuffer() {
  view_ = nullptr;
  recordBuf_.assign(static_cast<std::size_t>(RecordSize()), ' ');
  NoteTextBytes();
}

void TDBF::NoteTextBytes() {
  textMask_.assign(recordBuf_.size(), 0);
  for (int i = 0; i < fieldCount_; ++i) {
    const auto& d = fields_[i];
    const uint32_t offset = Get16(&d[12]), len = d[16];
    if (d[11] == 'C' && offset + len <= recordBuf_.size())
      std::fill_n(textMask_.begin() + offset, len, static_cast<unsigned char>(0xFF));
  }
  textPieces_.clear();
  const std::size_t size = textMask_.size();
  for (std::size_t at = 0; size >= 16 && at < size; at += 16) {
    const std::size_t piece = std::min(at, size - 16);
    if (std::any_of(textMask_.begin() + static_cast<std::ptrdiff_t>(piece),
                    textMask_.begin() + static_cast<std::ptrdiff_t>(piece + 16), [](unsigned char m) { return m != 0; }))
      textPieces_.push_back(static_cast<uint32_t>(piece));
  }
}

void TDBF::DropBlocks() {
  OwnRecord();
  cacheCount_ = 0;
  pendCount_ = 0;
}

bool TDBF::Open() { return readOnly_ ? OpenReadOnly() : OpenExclusive(); }

bool TDBF::OpenReadOnly() {
  Close();
  readOnly_ = true;
  return OpenWith(FileMode::Read);
}

bool TDBF::OpenExclusive() {
  Close();
  readOnly_ = false;
  return OpenWith(FileMode::ReadWrite);
}

bool TDBF::OpenWith(FileMode mode) {
  lostRecords_ = 0;
  file_ = Files().Open(FileName, mode, &fileError_);
  if (!file_) {
    openResult_ = kDbfUnreadable;
    return false;
  }
  openResult_ = ReadStructure();
  recNo_ = 0;
  return openResult_ == kDbfOk || openResult_ == kDbfForeignLanguage;
}

int TDBF::ReadStructure() {
  int result = kDbfOk;
  DropBlocks();
  cutOnClose_ = false;
  writeFailed_ = false;
  const int64_t fileSize = file_ ? file_->Size() : -1;
  std::array<uint8_t, 32> head{};
  if (!file_ || fileSize < 0 || file_->ReadAt(0, head.data(), 32) != 32) {
    result = kDbfUnreadable;
  } else {
    header_ = head;
    if (!IsCp866Language(head[29])) result = kDbfForeignLanguage;
    if (head[0] != 0x03 && head[0] != 0xF5) result = kDbfUnreadable;
  }
  fieldCount_ = 0;
  if (result == kDbfOk || result == kDbfForeignLanguage) {
    // Descriptors end with 0x0D where the next one would begin.
    std::vector<uint8_t> area(1 + 32 * kMaxDescriptors);
    const int64_t got = file_->ReadAt(32, area.data(), area.size());
    int count = 0;
    bool terminated = false;
    if (got > 0) {
      for (int64_t pos = 0; pos < got && count <= kMaxDescriptors; pos += 32) {
        if (area[pos] == 0x0D) {
          terminated = true;
          break;
        }
        if (pos + 32 > got || count == kMaxDescriptors) break;
        std::memcpy(fields_[count].data(), &area[pos], 32);
        ++count;
      }
    }
    int64_t offset = 1;
    bool fits = terminated;
    for (int i = 0; i < count && fits; ++i) {
      if (offset > 0xFFFF) fits = false;
      Put16(&fields_[i][12], static_cast<uint32_t>(offset));
      offset += fields_[i][16];
    }
    // The descriptors must fit the header, the fields the record, and the
    // counted records the file.
    const int64_t headerSize = Get16(&header_[8]);
    const int64_t recordSize = Get16(&header_[10]);
    const int64_t recCount = Get32(&header_[4]);
    if (fits && headerSize < 32 + 32 * static_cast<int64_t>(count) + 1) fits = false;
    if (fits && (recordSize < 1 || offset > recordSize)) fits = false;
    if (fits && recCount > std::numeric_limits<int32_t>::max()) fits = false;
    if (fits && headerSize + recCount * recordSize > fileSize) fits = false;
    if (!fits) {
      result = kDbfDamaged;
    } else {
      fieldCount_ = count;
      AllocateBuffer();
      active_ = true;
      if (result == kDbfOk)
        for (int i = 0; i < count; ++i)
          DosToWinInPlace(reinterpret_cast<char*>(fields_[i].data()), 10);
    }
  }
  oemCoded_ = result == kDbfOk;
  if (result == kDbfOk || result == kDbfForeignLanguage) {
    recCount_ = openRecCount_ = static_cast<int32_t>(Get32(&header_[4]));
    recNo_ = 0;
    unchanged_ = true;
  } else {
    active_ = false;
    file_.reset();
    view_ = nullptr;
    recordBuf_.clear();
  }
  return result;
}

bool TDBF::FlushPending() {
  if (pendCount_ == 0) return true;
  const int32_t count = pendCount_;
  pendCount_ = 0;
  return WriteAppended(pending_.data(), pendStart_, count);
}

bool TDBF::WriteAppended(const uint8_t* data, int32_t start, int32_t count) {
  const std::size_t bytes = static_cast<std::size_t>(count) * RecordSize();
  const int64_t pos = RecordPos(start);
  if (file_ && file_->WriteAt(pos, data, bytes)) {
    // A table made anew is synced before it takes its name: its disk writes
    // run meanwhile, a megabyte at a time, instead of all at that moment.
    const int64_t end = pos + static_cast<int64_t>(bytes);
    syncStartedTo_ = std::min(syncStartedTo_, pos);
    if ((rewrite_.Active() || syncedByCaller_) && end - syncStartedTo_ >= kSyncStep) {
      file_->StartSync();
      syncStartedTo_ = end;
    }
    return true;
  }
  // Only what is surely on disk stays counted.
  writeFailed_ = true;
  lostRecords_ += count;
  appended_ -= count;
  recCount_ = start;
  SetHeaderCount(recCount_);
  if (recNo_ > recCount_) recNo_ = recCount_;
  if (cacheStart_ + cacheCount_ > recCount_) cacheCount_ = 0;
  return false;
}

bool TDBF::Flush() {
  if (!active_) return true;
  const bool ok = FlushPending();
  return ok && !writeFailed_;
}

bool TDBF::Close() {
  bool ok = true;
  if (active_ && file_) {
    ok = FlushPending() && !writeFailed_;
    if (!unchanged_ || recCount_ != openRecCount_) {
      uint8_t eof = 0x1A;
      // Records the header does not count are as good as lost.
      if (!file_->WriteAt(0, header_.data(), 32)) {
        ok = false;
        LoseAppended();
      }
      ok = file_->WriteAt(DataEnd(), &eof, 1) && ok;
      if (cutOnClose_) ok = file_->Truncate(DataEnd() + 1) && ok;
    }
  }
  if (rewrite_.Active()) {
    // A table that did not reach the disk whole leaves the old file as it
    // was, and everything written into the new one is lost.
    if (ok && file_) {
      ok = rewrite_.Commit(*file_);
    } else {
      rewrite_.Abandon();
      ok = false;
    }
    if (!ok) LoseAppended();
  }
  appended_ = 0;
  file_.reset();
  view_ = nullptr;
  recordBuf_.clear();
  DropBlocks();
  active_ = false;
  cutOnClose_ = false;
  writeFailed_ = false;
  syncedByCaller_ = false;
  recNo_ = 0;
  recCount_ = 0;
  return ok;
}

void TDBF::LoseAppended() {
  lostRecords_ += appended_;
  appended_ = 0;
}

void TDBF::Reset() {
  Close();
  NewHeader();
  oemCoded_ = true;
  unchanged_ = false;
  openRecCount_ = 0;
}

bool TDBF::CreateTable() { return BeginNewTable(nullptr); }

bool TDBF::CreateTableIn(std::unique_ptr<File> file) { return file && BeginNewTable(std::move(file)); }

bool TDBF::BeginNewTable(std::unique_ptr<File> made) {
  Close();
  NewHeader();
  view_ = nullptr;
  recordBuf_.clear();
  unchanged_ = false;
  oemCoded_ = true;
  recNo_ = recCount_ = openRecCount_ = 0;
  lostRecords_ = 0;
  readOnly_ = false;
  if (made) {
    file_ = std::move(made);
    syncedByCaller_ = true;
  } else if (!StartNewFile(nullptr)) {
    return false;
  }
  active_ = true;
  cutOnClose_ = true;
  return true;
}

bool TDBF::StartNewFile(std::unique_ptr<File> held) {
  // Even a table that did not exist goes in whole or not at all.
  file_ = rewrite_.BeginHeld(FileName, std::move(held), &fileError_);
  return file_ != nullptr;
}

bool TDBF::AddField(const TFieldRecord& field) {
  return AddFieldEx(field.Name, field.Length, field.FieldType, field.Decimals);
}

bool TDBF::AddFieldEx(std::string_view name, int32_t len, char fieldType, int32_t dec) {
  if (fieldCount_ >= kDbfMaxFields) return false;
  if (active_ && (unchanged_ || recCount_ > 0)) return false;
  if (len < 0 || len > 255 || dec < 0 || dec > 255) return false;
  const int recordSize = RecordSize();
  if (recordSize + len > 0xFFFF) return false;
  auto& d = fields_[fieldCount_];
  d.fill(0);
  std::memcpy(d.data(), name.data(), std::min<std::size_t>(name.size(), 10));
  d[11] = static_cast<uint8_t>(fieldType);
  Put16(&d[12], static_cast<uint32_t>(recordSize));
  d[16] = static_cast<uint8_t>(len);
  d[17] = static_cast<uint8_t>(dec);
  ++fieldCount_;
  Put16(&header_[10], static_cast<uint32_t>(recordSize + len));
  Put16(&header_[8], static_cast<uint32_t>(HeaderSize() + 32));
  AllocateBuffer();
  return true;
}

bool TDBF::WriteStructure() {
  if (!file_) return false;
  const int total = 32 + 32 * fieldCount_ + 1;
  std::vector<uint8_t> out(static_cast<std::size_t>(total));
  std::memcpy(out.data(), header_.data(), 32);
  const bool oem = IsCp866Language(header_[29]);
  for (int i = 0; i < fieldCount_; ++i) {
    uint8_t* d = &out[32 + 32 * i];
    std::memcpy(d, fields_[i].data(), 32);
    if (oem) WinToDosInPlace(reinterpret_cast<char*>(d), 10);
  }
  out[total - 1] = 0x0D;
  if (recordBuf_.empty()) AllocateBuffer();
  openRecCount_ = 0;
  recNo_ = 0;
  if (!file_->WriteAt(0, out.data(), out.size())) {
    writeFailed_ = true;
    return false;
  }
  return true;
}

bool TDBF::Zap() {
  DropBlocks();
  if (!rewrite_.Active()) {
    std::unique_ptr<File> held = readOnly_ ? nullptr : std::move(file_);
    file_.reset();
    if (!StartNewFile(std::move(held))) {
      active_ = false;
      view_ = nullptr;
      recordBuf_.clear();
      return false;
    }
  }
  readOnly_ = false;
  recCount_ = 0;
  appended_ = 0;
  lostRecords_ = 0;
  SetHeaderCount(0);
  const bool ok = WriteStructure();
  active_ = true;
  unchanged_ = false;
  // The table keeps its language byte, so its text keeps its code page.
  oemCoded_ = IsCp866Language(header_[29]);
  cutOnClose_ = true;
  recNo_ = 0;
  if (!recordBuf_.empty()) recordBuf_[0] = ' ';
  return ok;
}

void TDBF::Truncate(int32_t count) {
  if (!active_ || readOnly_ || count < 0 || count >= recCount_) return;
  FlushPending();
  if (count >= recCount_) return;
  appended_ = std::max(0, appended_ - (recCount_ - count));
  recCount_ = count;
  SetHeaderCount(count);
  recNo_ = count;
  if (cacheStart_ + cacheCount_ > count) cacheCount_ = 0;
}

int64_t TDBF::GetFileSize() {
  if (!file_) return 0;
  FlushPending();
  const int64_t size = file_->Size();
  return size < 0 ? 0 : size;
}

int TDBF::FieldIndex(std::string_view name) const {
  if (name.size() > 10) return -1;
  for (int i = 0; i < fieldCount_; ++i) {
    const auto* n = reinterpret_cast<const char*>(fields_[i].data());
    const std::size_t len = strnlen(n, 10);
    if (len == name.size() && std::memcmp(n, name.data(), len) == 0) return i;
  }
  return -1;
}

std::string TDBF::GetFieldName(int index) const {
  if (index < 0 || index >= fieldCount_) return {};
  const auto* n = reinterpret_cast<const char*>(fields_[index].data());
  return std::string(n, strnlen(n, 10));
}

TFieldRecord TDBF::GetFieldDef(int index) const {
  TFieldRecord r;
  if (index < 0 || index >= fieldCount_) return r;
  r.Name = GetFieldName(index);
  r.FieldType = FieldTypeAt(index);
  r.Length = fields_[index][16];
  r.Decimals = fields_[index][17];
  return r;
}

bool TDBF::SameStructure(const TDBF& other) const {
  if (fieldCount_ != other.fieldCount_) return false;
  for (int i = 0; i < fieldCount_; ++i) {
    const int j = other.FieldIndex(GetFieldName(i));
    if (j < 0) return false;
    if (FieldTypeAt(i) != other.FieldTypeAt(j) || fields_[i][16] != other.fields_[j][16] ||
        fields_[i][17] != other.fields_[j][17])
      return false;
  }
  return true;
}


std::string TDBF::GetFieldStr(int index) const {
  std::string s;
  GetFieldStr(index, s);
  return s;
}

void TDBF::GetFieldStr(int index, std::string& out) const {
  out.clear();
  int len = 0;
  const uint8_t* p = FieldPtr(index, len);
  if (!p) return;
  const char type = FieldTypeAt(index);
  int begin = 0;
  int end = len;
  if (type == 'C') {
    end = static_cast<int>(TrimmedFieldLength(reinterpret_cast<const char*>(p), static_cast<std::size_t>(len)));
  } else if (type == 'N') {
    begin = static_cast<int>(LeadingFieldBlanks(reinterpret_cast<const char*>(p), static_cast<std::size_t>(len)));
  }
  out.assign(reinterpret_cast<const char*>(p) + begin, static_cast<std::size_t>(end - begin));
  if (type == 'C' && oemCoded_) DosToWinInPlace(out.data(), out.size());
}

bool TDBF::SetOtherStr(int index, std::string_view s) {
  int len = 0;
  uint8_t* p = FieldPtr(index, len);
  if (!p) return false;
  return PutFieldText(p, static_cast<std::size_t>(len), FieldTypeAt(index), oemCoded_, s);
}

int32_t TDBF::ReadOtherInt(const uint8_t* p, int len, bool& error) {
  error = true;
  if (!p) return 0;
  int64_t whole = 0;
  if (ParseWhole(p, len, whole)) {
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max()) return 0;
    error = false;
    return static_cast<int32_t>(whole);
  }
  long double v = 0;
  if (!ParseDecimal(p, len, v)) return 0;
  const long double r = std::rint(v);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
    return 0;
  error = false;
  return static_cast<int32_t>(r);
}

namespace {

// Up to eight digits as one word ending where the whole part ends, its
// leading zeros turned into blanks; then the sign, '.' and the zeros.
[[gnu::noinline]] bool PutOtherInt(uint8_t* p, std::size_t width, char type, bool oem, int dec, int32_t value) {
  const bool negative = value < 0;
  const uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  if (type == 'N' && magnitude < 100000000 && dec <= 8 && width <= 32) {
    const uint64_t digits = EightDigits(magnitude);
    const int lead = magnitude == 0 ? 7 : std::countr_zero(digits ^ kZeroWord) / 8;
    const auto count = static_cast<std::size_t>(8 - lead);
    const std::size_t fraction = dec > 0 ? static_cast<std::size_t>(dec) + 1 : 0;
    const std::size_t wholeEnd = width - std::min(width, fraction);
    if (wholeEnd >= 8 && count + negative + fraction <= width) {
      FillBlanks(p, width);
      if (dec > 0) {
        StoreWord(p + width - 8, kZeroWord);
        p[wholeEnd] = '.';
      }
      const uint64_t padding = lead == 0 ? 0 : ~0ULL >> (64 - 8 * lead);
      StoreWord(p + wholeEnd - 8, (digits & ~padding) | (kBlankWord & padding));
      if (negative) p[wholeEnd - count - 1] = '-';
      return true;
    }
  }
  return PutIntText(p, width, type, oem, dec, value);
}

}  // namespace

bool TDBF::SetOtherInt(int index, int32_t value) {
  int len = 0;
  uint8_t* p = FieldPtr(index, len);
  if (!p) return false;
  return PutOtherInt(p, static_cast<std::size_t>(len), FieldTypeAt(index), oemCoded_,
                     fields_[static_cast<std::size_t>(index)][17], value);
}

bool TDBF::SetOtherNumber(int index, long double value) {
  int len = 0;
  uint8_t* p = FieldPtr(index, len);
  if (!p) return false;
  const int decimals = fields_[static_cast<std::size_t>(index)][17];
  // Digits, the point and the sign are the same in both code pages.
  if (FieldTypeAt(index) == 'N' &&
      PutQuickFixed(reinterpret_cast<char*>(p), static_cast<std::size_t>(len), value, decimals))
    return true;
  const std::string s = FitNumber(value, len, decimals);
  return !s.empty() && PutFieldText(p, static_cast<std::size_t>(len), FieldTypeAt(index), oemCoded_, s);
}

std::string_view DateFieldText(const TDateRec& date, TDateFieldBuffer& buf) {
  char* end = buf.data() + buf.size();
  if (DateFitsField(date)) {
    const uint64_t digits = OrdinaryDateWord(date);
    std::memcpy(end - 8, &digits, 8);
    return std::string_view(end - 8, 8);
  }
  auto pad = [&](char* p, std::ptrdiff_t width) {
    while (end - p < width) *--p = '0';
    return p;
  };
  char* p = pad(FormatInt(date.Day, end), 2);
  p = pad(FormatInt(date.Month, p), 4);
  p = pad(FormatInt(date.Year, p), 8);
  return std::string_view(p, static_cast<std::size_t>(end - p));
}

namespace {

[[gnu::noinline]] bool PutDateText(uint8_t* p, std::size_t width, char type, bool oem, const TDateRec& date) {
  TDateFieldBuffer buf;
  return PutFieldText(p, width, type, oem, DateFieldText(date, buf));
}

}  // namespace

bool TDBF::SetOtherDate(int index, const TDateRec& date) {
  int len = 0;
  uint8_t* p = FieldPtr(index, len);
  if (!p || !DateFitsField(date)) return false;
  // Eight digits fill an eight-byte field whatever its type: no padding, and
  // digits are the same in both code pages.
  if (len == 8) {
    lastDateWord_ = OrdinaryDateWord(date);
    lastDate_ = date;
    StoreWord(p, lastDateWord_);
    return true;
  }
  return PutDateText(p, static_cast<std::size_t>(len), FieldTypeAt(index), oemCoded_, date);
}

void TDBF::SetDeleted(bool deleted) {
  OwnRecord();
  if (!recordBuf_.empty()) recordBuf_[0] = deleted ? '*' : ' ';
}

void TDBF::ClearRecordBuf() {
  view_ = nullptr;
  std::fill(recordBuf_.begin(), recordBuf_.end(), ' ');
}

void TDBF::CopyViewedRecord() {
  std::memcpy(recordBuf_.data(), view_, recordBuf_.size());
  view_ = nullptr;
}

int TDBF::FieldOffset(int index) const {
  if (index < 0 || index >= fieldCount_) return 0;
  return Get16(&fields_[index][12]);
}

void TDBF::GetOtherRecordText(char* out) const { TextOfRecord(Record(), out); }

void TDBF::TextOfRecord(const uint8_t* record, char* out) const {
  const std::size_t size = recordBuf_.size();
  if (size >= 16 && oemCoded_) {
    DosToWinMasked(out, reinterpret_cast<const char*>(record), textMask_.data(), size);
    return;
  }
  if (size == 0) return;
  std::memcpy(out, record, size);
  if (!oemCoded_) return;
  for (std::size_t i = 0; i < size; ++i)
    if (textMask_[i]) out[i] = DosToWinChar(out[i]);
}

void TDBF::PutOtherFieldInt(uint8_t* record, int index, int32_t value) {
  if (index < 0 || index >= fieldCount_ || recordBuf_.empty()) return;
  const auto& d = fields_[static_cast<std::size_t>(index)];
  const int offset = d[12] | (d[13] << 8);
  const int len = d[16];
  if (offset + len > static_cast<int>(recordBuf_.size())) return;
  // As the table's own writer stores it.
  OwnRecord();
  const std::vector<uint8_t> own(recordBuf_.begin(), recordBuf_.end());
  std::memcpy(recordBuf_.data(), record, own.size());
  SetFieldInt(index, value);
  std::memcpy(record, recordBuf_.data(), own.size());
  std::memcpy(recordBuf_.data(), own.data(), own.size());
}

void TDBF::RecordFromText(const char* in, uint8_t* out) const {
  const std::size_t size = recordBuf_.size();
  if (size >= 16 && oemCoded_) {
    WinToDosMasked(reinterpret_cast<char*>(out), in, textMask_.data(), size);
    return;
  }
  std::memcpy(out, in, size);
  if (!oemCoded_) return;
  for (std::size_t i = 0; i < size; ++i)
    if (textMask_[i]) out[i] = static_cast<uint8_t>(WinToDosChar(static_cast<char>(out[i])));
}

namespace {

// The bytes of code page 866 that read and written again come back as
// others, by whatever the code page's tables make of them. They lie in a
// few runs (the frames, three signs), which a piece of sixteen bytes is
// tested against at once where the machine compares bytes so: the runs
// joined over their smallest gaps into two, so that the test takes in a
// few bytes besides, which only the piece it finds is looked at for.
struct TOddBytes {
  std::array<bool, 256> Odd{};
  // [From, From + Span]; an unused run repeats the other.
  std::array<unsigned char, 2> From{}, Span{};
  bool Any = false;
  TOddBytes() {
    std::vector<std::pair<int, int>> runs;
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<char>(b);
      Odd[static_cast<std::size_t>(b)] = WinToDosChar(DosToWinChar(c)) != c;
      if (!Odd[static_cast<std::size_t>(b)]) continue;
      if (!runs.empty() && runs.back().second == b - 1)
        runs.back().second = b;
      else
        runs.emplace_back(b, b);
    }
    while (runs.size() > From.size()) {
      std::size_t join = 0;
      for (std::size_t r = 1; r + 1 < runs.size(); ++r)
        if (runs[r + 1].first - runs[r].second < runs[join + 1].first - runs[join].second) join = r;
      runs[join].second = runs[join + 1].second;
      runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(join) + 1);
    }
    Any = !runs.empty();
    for (std::size_t r = 0; r < From.size() && Any; ++r) {
      const auto& run = runs[std::min(r, runs.size() - 1)];
      From[r] = static_cast<unsigned char>(run.first);
      Span[r] = static_cast<unsigned char>(run.second - run.first);
    }
  }
  // Whether a byte of the sixteen at p where mask is 0xFF is odd.
  bool InPiece(const uint8_t* p, const unsigned char* mask) const {
    for (int k = 0; k < 16; ++k)
      if (mask[k] && Odd[p[k]]) return true;
    return false;
  }
};

#if defined(__SSE2__)
// The runs in every byte of a piece.
struct TOddRuns {
  __m128i From0, Span0, From1, Span1;
  explicit TOddRuns(const TOddBytes& odd)
      : From0(_mm_set1_epi8(static_cast<char>(odd.From[0]))),
        Span0(_mm_set1_epi8(static_cast<char>(odd.Span[0]))),
        From1(_mm_set1_epi8(static_cast<char>(odd.From[1]))),
        Span1(_mm_set1_epi8(static_cast<char>(odd.Span[1]))) {}
  // Whether a byte of the piece where mask is 0xFF lies in a run: its
  // distance from the run's start at most the span, unsigned.
  bool AnyIn(const uint8_t* p, const unsigned char* mask) const {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i off0 = _mm_sub_epi8(v, From0), off1 = _mm_sub_epi8(v, From1);
    const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(off0, Span0), off0),
                                     _mm_cmpeq_epi8(_mm_min_epu8(off1, Span1), off1));
    return _mm_movemask_epi8(_mm_and_si128(hit, _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask)))) != 0;
  }
};
#endif

// The code page's tables are constants, so these are made before any
// table is read.
const TOddBytes kOddBytes;
#if defined(__SSE2__)
const TOddRuns kOddRuns(kOddBytes);
#endif

}  // namespace

bool TDBF::HoldsOddText(const uint8_t* record) const {
  const TOddBytes& odd = kOddBytes;
  if (!oemCoded_ || !odd.Any) return false;
  const unsigned char* mask = textMask_.data();
  if (textMask_.size() >= 16) {
    for (const uint32_t at : textPieces_) {
#if defined(__SSE2__)
      if (!kOddRuns.AnyIn(record + at, mask + at)) continue;
#endif
      if (odd.InPiece(record + at, mask + at)) return true;
    }
    return false;
  }
  for (std::size_t i = 0; i < textMask_.size(); ++i)
    if (mask[i] && odd.Odd[record[i]]) return true;
  return false;
}

void TDBF::KeepFileTexts(const uint8_t* old, uint8_t* record, const char* text) const {
  const std::size_t size = recordBuf_.size();
  if (!oemCoded_) return;
  // Almost always the same in every text field, as a run changes numbers
  // more often than texts: compared eight bytes a step, the last step
  // ending where the record ends.
  const auto differs = [&](std::size_t at) {
    uint64_t a, b, mask;
    std::memcpy(&mask, textMask_.data() + at, 8);
    std::memcpy(&a, old + at, 8);
    std::memcpy(&b, record + at, 8);
    return ((a ^ b) & mask) != 0;
  };
  bool differ = size < 8 || differs(size - 8);
  for (std::size_t at = 0; at + 8 < size && !differ; at += 8) differ = differs(at);
  if (!differ) return;
  char read[256];
  for (int i = 0; i < fieldCount_; ++i) {
    const auto& d = fields_[static_cast<std::size_t>(i)];
    const std::size_t offset = Get16(&d[12]), len = d[16];
    if (d[11] != 'C' || offset + len > size || std::memcmp(old + offset, record + offset, len) == 0) continue;
    for (std::size_t k = 0; k < len; ++k) read[k] = DosToWinChar(static_cast<char>(old[offset + k]));
    if (std::memcmp(read, text + offset, len) == 0) std::memcpy(record + offset, old + offset, len);
  }
}

bool TDBF::AppendRecords(const uint8_t* records, std::size_t count) {
  if (!active_ || !file_ || readOnly_ || recordBuf_.empty()) return false;
  const std::size_t size = recordBuf_.size();
  const std::size_t perBlock = std::max<std::size_t>(1, kWriteBlockBytes / size);
  for (std::size_t done = 0; done < count;) {
    GoToRecord(recCount_ + 1);
    if (recCount_ == std::numeric_limits<int32_t>::max()) return false;
    // Many records go out from the caller's own, not through a copy.
    const bool direct = pendCount_ == 0 && (count - done) * size >= kWriteBlockBytes / 16;
    if (!direct && pendCount_ == 0) {
      pendStart_ = recCount_;
      pending_.Reshape(perBlock * size);
    }
    const std::size_t room = direct ? perBlock : pending_.size() / size - static_cast<std::size_t>(pendCount_);
    const auto n = static_cast<int32_t>(std::min({room, count - done,
                                                  static_cast<std::size_t>(std::numeric_limits<int32_t>::max() - recCount_)}));
    const uint8_t* const from = records + done * size;
    const int32_t start = recCount_;
    if (!direct) {
      std::memcpy(&pending_[static_cast<std::size_t>(pendCount_) * size], from, static_cast<std::size_t>(n) * size);
      pendCount_ += n;
    }
    recCount_ += n;
    appended_ += n;
    recNo_ = recCount_;
    SetHeaderCount(recCount_);
    done += static_cast<std::size_t>(n);
    if (direct ? !WriteAppended(from, start, n)
               : static_cast<std::size_t>(pendCount_) * size == pending_.size() && !FlushPending())
      return false;
  }
  return true;
}

void TDBF::SetRecordText(const char* in) {
  if (recordBuf_.empty()) return;
  view_ = nullptr;
  const std::size_t size = recordBuf_.size();
  if (size >= 16 && oemCoded_) {
    WinToDosMasked(reinterpret_cast<char*>(recordBuf_.data()), in, textMask_.data(), size);
    return;
  }
  std::memcpy(recordBuf_.data(), in, size);
  if (!oemCoded_) return;
  for (int i = 0; i < fieldCount_; ++i) {
    if (FieldTypeAt(i) != 'C') continue;
    int len = 0;
    uint8_t* p = FieldPtr(i, len);
    if (p) WinToDosInPlace(reinterpret_cast<char*>(p), static_cast<std::size_t>(len));
  }
}


int TDBF::ReadOtherRecord() {
  if (!active_ || !file_ || recordBuf_.empty() || recNo_ < 0 || recNo_ >= recCount_) return -1;
  const std::size_t size = static_cast<std::size_t>(RecordSize());
  const int32_t r = recNo_;
  const uint8_t* src = nullptr;
  if (pendCount_ > 0 && r >= pendStart_) {
    src = &pending_[static_cast<std::size_t>(r - pendStart_) * size];
  } else {
    if ((r < cacheStart_ || r >= cacheStart_ + cacheCount_) && !FillCache(r)) {
      // Passed over, so that a reader counting with RecNo still gets to the end.
      ++recNo_;
      return -1;
    }
    src = &cache_[static_cast<std::size_t>(r - cacheStart_) * size];
  }
  view_ = src;
  ++recNo_;
  return src[0] == '*' ? 1 : 0;
}

bool TDBF::FillCache(int32_t r) {
  // The record read last may lie in the block about to be refilled.
  OwnRecord();
  const std::size_t size = static_cast<std::size_t>(RecordSize());
  const int32_t diskEnd = pendCount_ > 0 ? pendStart_ : recCount_;
  const int32_t perBlock = static_cast<int32_t>(std::max<std::size_t>(1, kBlockBytes / size));
  const int32_t n = std::min(perBlock, diskEnd - r);
  cache_.Reshape(static_cast<std::size_t>(perBlock) * size);
  cacheCount_ = 0;
  const int64_t want = static_cast<int64_t>(n) * static_cast<int64_t>(size);
  if (file_->ReadAt(RecordPos(r), cache_.data(), static_cast<std::size_t>(want)) != want) return false;
  cacheStart_ = r;
  cacheCount_ = n;
  return true;
}

bool TDBF::WriteOtherRecord() {
  if (!active_ || !file_ || readOnly_ || recordBuf_.empty() || recNo_ < 0 || recNo_ > recCount_)
    return false;
  OwnRecord();
  const std::size_t size = static_cast<std::size_t>(RecordSize());
  const int32_t r = recNo_;
  bool ok = true;
  if (r == recCount_) {
    if (recCount_ == std::numeric_limits<int32_t>::max()) return false;
    if (pendCount_ == 0) {
      pendStart_ = r;
      pending_.Reshape(std::max<std::size_t>(1, kWriteBlockBytes / size) * size);
    }
    const std::size_t at = static_cast<std::size_t>(pendCount_) * size;
    std::memcpy(&pending_[at], recordBuf_.data(), size);
    ++pendCount_;
    ++recCount_;
    ++appended_;
    SetHeaderCount(recCount_);
    if (at + size == pending_.size()) ok = FlushPending();
  } else if (pendCount_ > 0 && r >= pendStart_) {
    std::memcpy(&pending_[static_cast<std::size_t>(r - pendStart_) * size], recordBuf_.data(), size);
  } else {
    ok = file_->WriteAt(RecordPos(r), recordBuf_.data(), size);
    if (!ok) writeFailed_ = true;
    if (ok && r >= cacheStart_ && r < cacheStart_ + cacheCount_)
      std::memcpy(&cache_[static_cast<std::size_t>(r - cacheStart_) * size], recordBuf_.data(), size);
  }
  if (ok) ++recNo_;
  recordBuf_[0] = ' ';
  return ok;
}

}  // namespace vm
