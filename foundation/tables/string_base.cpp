#include "foundation/tables/string_base.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

#include "foundation/tables/table_rewrite.h"
#include "foundation/tables/number_sort.h"
#include "foundation/text/collation.h"
#include "foundation/text/number_text.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "foundation/values/value_text.h"

namespace vm {

namespace {

// Walks over many rows, which after a sort lie in memory in no order, ask
// for a row this many steps before they reach it, so that the waits for
// memory overlap.
constexpr std::size_t kPrefetchAhead = 16;

}  // namespace

// Every text the quick reading leaves: no text is copied unless it has a
// comma.
long double ReadOtherNumberField(std::string_view text) {
  long double x = 0;
  // The padding is passed over here a word at a time; the readers below
  // would skip it too.
  text.remove_prefix(LeadingFieldBlanks(text.data(), text.size()));
  if (TextToExtended(text, x)) return x;
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.find(',') != std::string_view::npos) return TextToExtended(CommaToPoint(text), x) ? x : 0.0L;
  return TextToExtended(text, x) ? x : 0.0L;
}

TDateRec ReadOtherDateField(std::string_view text) {
  const long double n = ReadNumberField(text);
  if (!(n >= 0 && n < 1e9L)) return {};
  const auto ymd = static_cast<int32_t>(n);
  return {ymd % 100, ymd / 100 % 100, ymd / 10000};
}

// The rows of a load are allocated many to a block: one allocation for
// many rows, which lie together in memory as the load read them. A block
// counts the rows in it that are alive, and the load while it fills the
// block, and is freed with the last of them.
struct TRowBlock {
  std::size_t Live = 0;
  // Of the block, and of each row in it.
  std::size_t Bytes = 0;
  std::size_t RowBytes = 0;
  // The table's spare blocks, which take the block when its last row is
  // freed while they are taking, and the next of them.
  TSpareRowBlocks* Spare = nullptr;
  TRowBlock* NextSpare = nullptr;
  // Among the table's blocks that hold rows.
  TRowBlock* PrevUsed = nullptr;
  TRowBlock* NextUsed = nullptr;
  char* Rows() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

#if defined(__SANITIZE_ADDRESS__)
// Under the address checker a row in a block is as guarded as one
// allocated alone: the bytes after it and a freed row's bytes are not to be
// touched until the block is freed.
constexpr std::size_t kRowGap = 16;
void Forbid(void* p, std::size_t n) { ASAN_POISON_MEMORY_REGION(p, n); }
void Allow(void* p, std::size_t n) { ASAN_UNPOISON_MEMORY_REGION(p, n); }
#else
constexpr std::size_t kRowGap = 0;
void Forbid(void*, std::size_t) {}
void Allow(void*, std::size_t) {}
#endif

static_assert(sizeof(TRowBlock) % alignof(TRow) == 0);

void FreeRowBlock(TRowBlock* block) {
  Allow(block, block->Bytes);
  block->~TRowBlock();
  ::operator delete(block);
}

void LinkUsed(TRowBlock* block) {
  TSpareRowBlocks* spare = block->Spare;
  block->PrevUsed = nullptr;
  block->NextUsed = spare->Used;
  if (spare->Used) spare->Used->PrevUsed = block;
  spare->Used = block;
}

void UnlinkUsed(TRowBlock* block) {
  if (block->PrevUsed) {
    block->PrevUsed->NextUsed = block->NextUsed;
  } else {
    block->Spare->Used = block->NextUsed;
  }
  if (block->NextUsed) block->NextUsed->PrevUsed = block->PrevUsed;
  block->PrevUsed = block->NextUsed = nullptr;
}

void ReleaseRowBlock(TRowBlock* block) {
  if (--block->Live != 0) return;
  UnlinkUsed(block);
  TSpareRowBlocks* spare = block->Spare;
  if (!spare || !spare->Taking) {
    FreeRowBlock(block);
    return;
  }
  block->NextSpare = spare->First;
  spare->First = block;
}

// The blocks of one load: each twice the rows of the one before, up to
// about 64 KB, so that a load of a few rows takes little; while it lasts,
// the blocks its table frees are kept for it, and those it did not fill
// again are freed with it.
class TRowBlocks {
 public:
  TRowBlocks(int32_t recordSize, TSpareRowBlocks& spare)
      : rowBytes_(sizeof(TRow) + static_cast<std::size_t>(recordSize)),
        stride_((rowBytes_ + kRowGap + alignof(TRow) - 1) / alignof(TRow) * alignof(TRow)),
        most_(std::max<std::size_t>(1, kBlockBytes / stride_)),
        spare_(spare) {
    spare_.Taking = true;
  }
  ~TRowBlocks() {
    spare_.Filling = false;
    if (block_) ReleaseRowBlock(block_);
    spare_.Taking = false;
    while (TRowBlock* block = spare_.First) {
      spare_.First = block->NextSpare;
      FreeRowBlock(block);
    }
  }
  TRowBlocks(const TRowBlocks&) = delete;
  TRowBlocks& operator=(const TRowBlocks&) = delete;

  // A row with its record bytes left as they come.
  TRow* New() {
    if (used_ == capacity_) Start();
    char* at = block_->Rows() + used_++ * stride_;
    Allow(at, rowBytes_);
    TRow* row = new (at) TRow;
    row->Block = block_;
    ++block_->Live;
    return row;
  }

 private:
  static constexpr std::size_t kBlockBytes = 64 * 1024;
  static constexpr std::size_t kFirstRows = 16;

  void Start() {
    const std::size_t capacity = spare_.First ? most_ : std::min(capacity_ == 0 ? kFirstRows : capacity_ * 2, most_);
    const std::size_t bytes = sizeof(TRowBlock) + capacity * stride_;
    TRowBlock* block = TakeSpare(bytes);
    if (!block) block = new (::operator new(bytes)) TRowBlock{1, bytes, rowBytes_, &spare_, nullptr};
    Forbid(block->Rows(), capacity * stride_);
    LinkUsed(block);
    if (block_) ReleaseRowBlock(block_);
    block_ = block;
    spare_.Filling = true;
    capacity_ = capacity;
    used_ = 0;
  }

  // A spare block of that size; the others before it are freed.
  TRowBlock* TakeSpare(std::size_t bytes) {
    while (TRowBlock* block = spare_.First) {
      spare_.First = block->NextSpare;
      if (block->Bytes != bytes) {
        FreeRowBlock(block);
        continue;
      }
      block->Live = 1;
      block->RowBytes = rowBytes_;
      block->NextSpare = nullptr;
      return block;
    }
    return nullptr;
  }

  const std::size_t rowBytes_, stride_, most_;
  TSpareRowBlocks& spare_;
  TRowBlock* block_ = nullptr;
  std::size_t capacity_ = 0, used_ = 0;
};

}  // namespace

void TStringBase::RowDeleter::operator()(TRow* row) const {
  TRowBlock* block = row->Block;
  row->~TRow();
  if (!block) {
    ::operator delete(row);
    return;
  }
  Forbid(row, block->RowBytes);
  ReleaseRowBlock(block);
}

TStringBase::RowPtr TStringBase::NewRow() const {
  void* block = ::operator new(sizeof(TRow) + static_cast<std::size_t>(recordSize_));
  RowPtr row(new (block) TRow);
  std::memset(row->Buffer(), ' ', static_cast<std::size_t>(recordSize_));
  return row;
}

TStringBase::TStringBase(TDBF* dbf) { SetDbf(dbf); }

TStringBase::~TStringBase() {
  MemTableClear();
  if (dbf_ && !ownDbf_) dbf_->Close();
}

void TStringBase::TakeLayout() {
  fields_.clear();
  numberFields_.clear();
  fieldCount_ = 0;
  recordSize_ = 0;
  if (!dbf_) return;
  for (int i = 0; i < dbf_->FieldCount(); ++i) {
    const TFieldRecord def = dbf_->GetFieldDef(i);
    fields_.push_back({dbf_->FieldOffset(i), def.Length, def.Decimals, def.FieldType});
    if (def.FieldType == 'N' && def.Length > 0) numberFields_.push_back(fields_.back());
  }
  fieldCount_ = static_cast<int32_t>(fields_.size());
  recordSize_ = dbf_->FieldCount() > 0 ? dbf_->RecordSize() : 0;
}

void TStringBase::SetDbf(TDBF* dbf) {
  MemTableClear();
  if (filter_) filter_->SetText("");
  if (dbf && dbf != ownDbf_.get()) ownDbf_.reset();
  if (dbf && !ownDbf_ && !dbf->Active()) dbf->Open();
  dbf_ = dbf;
  TakeLayout();
}

void TStringBase::MakeTemporary(const std::vector<TFieldRecord>& fields) {
  MemTableClear();
  auto own = std::make_unique<TDBF>();
  for (const TFieldRecord& f : fields) own->AddField(f);
  ownDbf_ = std::move(own);
  dbf_ = ownDbf_.get();
  TakeLayout();
}

// --- Rows and cursor -----------------------------------------------------------

void TStringBase::SetCurrent(int32_t index) {
  TRow* row = MemTableLocate(index);
  currentIndex_ = row ? index : -1;
  buffer_ = row ? row->Buffer() : nullptr;
}

void TStringBase::MemTableGoto(int32_t n) { SetCurrent(n); }

void TStringBase::MemTableClear() {
  // When every row lies in a block (as after a load) the blocks go whole:
  // the rows, spread over much memory, are not read one by one. The
  // blocks' counts of live rows add up to the rows only then, and not while
  // a load fills a block.
  std::size_t inBlocks = 0;
  TRowBlock* oldest = nullptr;
  for (TRowBlock* block = spareBlocks_.Used; block; block = block->NextUsed) {
    inBlocks += block->Live;
    oldest = block;
  }
  if (!spareBlocks_.Filling && inBlocks == rows_.size() && oldest) {
    for (RowPtr& row : rows_) (void)row.release();
    // The oldest first, as freeing row by row would, so that a load takes
    // first the block filled last, the likeliest still in the cache.
    while (TRowBlock* block = oldest) {
      oldest = block->PrevUsed;
      Forbid(block->Rows(), block->Bytes - sizeof(TRowBlock));
      block->Live = 1;
      ReleaseRowBlock(block);
    }
  }
  rows_.clear();
  currentIndex_ = -1;
  buffer_ = nullptr;
}

void TStringBase::Renumber(int32_t from) {
  const std::size_t count = rows_.size();
  for (auto i = static_cast<std::size_t>(std::max(from, 0)); i < count; ++i) {
    if (i + kPrefetchAhead < count) __builtin_prefetch(rows_[i + kPrefetchAhead].get(), 1);
    rows_[i]->Index = static_cast<int32_t>(i);
  }
}

TRow* TStringBase::Append() { return Insert(Count()); }

TRow* TStringBase::Insert(int32_t n) {
  n = std::clamp(n, 0, Count());
  RowPtr row = NewRow();
  row->New = true;
  TRow* added = row.get();
  rows_.insert(rows_.begin() + n, std::move(row));
  Renumber(n);
  SetCurrent(n);
  if (OnNewRow) OnNewRow();
  Modified = true;
  return added;
}

void TStringBase::DeleteNode(TRow* row) {
  if (row) Delete(row->Index);
}

void TStringBase::Delete(int32_t n) {
  if (n < 0 || n > LastIndex()) return;
  rows_.erase(rows_.begin() + n);
  Renumber(n);
  if (currentIndex_ > n) {
    SetCurrent(currentIndex_ - 1);
  } else if (currentIndex_ == n) {
    // The next row takes the deleted one's place, else the one before it.
    SetCurrent(n < Count() ? n : n - 1);
  }
}

void TStringBase::SetDeleted(bool value) {
  if (TRow* row = Current()) {
    row->Deleted = value;
    Modified = true;
  }
}

void TStringBase::KeepRows(const std::vector<int32_t>& order) {
  std::vector<RowPtr> kept;
  kept.reserve(order.size());
  for (const int32_t n : order)
    if (n >= 0 && n < Count() && rows_[static_cast<std::size_t>(n)]) kept.push_back(std::move(rows_[static_cast<std::size_t>(n)]));
  rows_ = std::move(kept);
  Renumber(0);
  SetCurrent(rows_.empty() ? -1 : 0);
  Modified = true;
}

void TStringBase::CopyRecord(int32_t from, int32_t to) {
  const TRow* src = MemTableLocate(from);
  TRow* dst = MemTableLocate(to);
  if (src && dst && src != dst) std::memcpy(dst->Buffer(), src->Buffer(), static_cast<std::size_t>(recordSize_));
}

// --- Field access --------------------------------------------------------------

std::string_view TStringBase::BufferTextView(int32_t field, const char* buf) const {
  if (!buf || field < 0 || field >= FieldCount()) return {};
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  const char* p = buf + f.Offset;
  int32_t begin = 0, end = f.Length;
  if (f.Type == 'C') {
    end = static_cast<int32_t>(TrimmedFieldLength(p, static_cast<std::size_t>(end)));
  } else if (f.Type == 'N') {
    begin = static_cast<int32_t>(LeadingFieldBlanks(p, static_cast<std::size_t>(end)));
  }
  return {p + begin, static_cast<std::size_t>(end - begin)};
}

void TStringBase::GetBufferText(int32_t field, const char* buf, std::string& s) const {
  s.assign(BufferTextView(field, buf));
}

void TStringBase::SetBufferText(int32_t field, std::string_view s, char* buf) const {
  if (!buf || field < 0 || field >= FieldCount()) return;
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  char* p = buf + f.Offset;
  std::memset(p, ' ', static_cast<std::size_t>(f.Length));
  const auto n = static_cast<int32_t>(std::min<std::size_t>(s.size(), static_cast<std::size_t>(f.Length)));
  std::memcpy(f.Type == 'N' ? p + (f.Length - n) : p, s.data(), static_cast<std::size_t>(n));
}

long double TStringBase::BufferNumber(int32_t field, const char* buf) const {
  return ReadNumberField(FieldBytes(field, buf));
}

// A field of blanks, an optional '-', digits and, after a point, at most
// eight decimals, nineteen digits in all, is read by GetBufferValue to the
// digits' value rounded once (a whole number of up to eight digits exactly).
// ValueToText scales it by 10^Decimals and rounds to a whole unit again:
// while the units stay below 10^18 both roundings together err by far less
// than half a unit, so the units are the digits themselves, and a number of
// at most eight decimals other than zero is never near enough to zero to be
// written as zero. The text is then the digits copied, without leading
// zeros, the decimals made up with zeros. Both roundings are to nearest
// only in the default mode.
bool TStringBase::NumberFieldText(int32_t field, const char* buf, int decimals, std::string& scratch,
                                  std::string_view& text) const {
  if (!buf || FieldType(field) != 'N') return false;
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  const char* p = buf + f.Offset;
  const char* const end = p + f.Length;
  p += LeadingFieldBlanks(p, static_cast<std::size_t>(f.Length));
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  const auto isDigit = [](char c) { return static_cast<unsigned char>(c - '0') <= 9; };
  const char* const whole = p;
  while (p < end && isDigit(*p)) ++p;
  const char* const wholeEnd = p;
  int32_t fraction = 0;
  if (p < end && *p == '.') {
    while (++p < end && isDigit(*p)) ++fraction;
    if (fraction == 0) return false;
  }
  if (p != end || wholeEnd == whole || fraction > 8 || fraction > decimals || (wholeEnd - whole) + fraction > 19)
    return false;
  // The digits from the first that is not zero, the point not counted.
  const char* first = whole;
  while (first < wholeEnd && *first == '0') ++first;
  ptrdiff_t significant = (wholeEnd - first) + fraction;
  if (first == wholeEnd && fraction > 0) {
    const char* decimal = wholeEnd + 1;
    while (decimal < end && *decimal == '0') ++decimal;
    significant = end - decimal;
  }
  if (significant + (decimals - fraction) > 18 || !number_detail::DefaultRounding()) return false;
  if (first == wholeEnd) --first;
  const bool sign = negative && significant > 0;
  if (first == whole && fraction == decimals) {
    const char* const from = sign ? whole - 1 : whole;
    text = std::string_view(from, static_cast<std::size_t>(end - from));
    return true;
  }
  // Sized once and filled: a column of a million numbers comes through here.
  const auto wholeDigits = static_cast<std::size_t>(wholeEnd - first);
  scratch.resize((sign ? 1 : 0) + wholeDigits + (decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0));
  char* out = scratch.data();
  if (sign) *out++ = '-';
  out = std::copy(first, wholeEnd, out);
  if (decimals > 0) {
    *out++ = '.';
    if (fraction > 0) out = std::copy(wholeEnd + 1, end, out);
    std::fill_n(out, decimals - fraction, '0');
  }
  text = scratch;
  return true;
}

TPlainNumberFields::TPlainNumberFields(int32_t length, int decimals)
    : length_(length),
      decimals_(decimals),
      // A point with Decimals digits after it and one before takes more
      // than a word holds from seven decimals on.
      never_(length < 1 || decimals < 0 || decimals > 8 || (length <= 8 && decimals >= 7)) {
  if (never_ || length > 8) return;
  keep_ = length == 8 ? ~uint64_t{0} : ~(~uint64_t{0} >> (8 * length));
  fill_ = 0x2020202020202020ULL & ~keep_;
  if (decimals > 0) {
    point_ = uint64_t{'.' ^ '0'} << (8 * (7 - decimals));
    pointByte_ = uint64_t{0xFF} << (8 * (7 - decimals));
  }
}

uint32_t TPlainNumberFields::ReadLong(const char* p) const {
  const auto isDigit = [](char c) { return static_cast<unsigned char>(c - '0') <= 9; };
  const char* const end = p + length_;
  const char* const text = p + LeadingFieldBlanks(p, static_cast<std::size_t>(length_));
  if (text == end || static_cast<unsigned char>(*text - '1') > 8) return 0;
  const char* digit = text + 1;
  while (digit < end && isDigit(*digit)) ++digit;
  const auto digits = (digit - text) + decimals_;
  if (decimals_ > 0) {
    if (end - digit != decimals_ + 1 || *digit != '.') return 0;
    while (++digit < end && isDigit(*digit)) {
    }
  }
  if (digit != end || digits > 18) return 0;
  return static_cast<uint32_t>(text - p) << 8 | static_cast<unsigned char>(*text);
}

namespace {

void PutRightAligned(char* p, std::size_t len, const std::string& s) {
  std::memset(p, ' ', len - s.size());
  std::memcpy(p + (len - s.size()), s.data(), s.size());
}

// A number longer than its field with all its decimals. Cutting it, filling
// the field with '*' or dropping decimals that are not zeros would store
// another number, and a sum or a stock would from then on be off the
// movements it was made of: only zero decimals go, or nothing is stored.
[[gnu::noinline]] bool PutWideNumber(char* p, std::size_t len, long double x, int32_t decimals) {
  const std::string s = FitNumber(x, static_cast<int>(len), decimals);
  if (s.empty()) return false;
  PutRightAligned(p, len, s);
  return true;
}

}  // namespace

bool TStringBase::SetBufferValue(int32_t field, const TCommonVar& v, char* buf) const {
  if (!buf || field < 0 || field >= FieldCount()) return true;
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  switch (v.Kind) {
    case 'C':
      SetBufferText(field, v.Str, buf);
      return true;
    case 'D': {
      if (!DateFitsField(v.Date)) return false;
      TDateFieldBuffer text;
      SetBufferText(field, DateFieldText(v.Date, text), buf);
      return true;
    }
    case 'N': {
      const auto len = static_cast<std::size_t>(f.Length);
      if (dbf_detail::PutShortFixed(reinterpret_cast<uint8_t*>(buf + f.Offset), f.Length, f.Decimals, v.Num) ||
          PutQuickFixed(buf + f.Offset, len, v.Num, f.Decimals))
        return true;
      const std::string s = ExtendedToFixed(v.Num, f.Decimals);
      if (s.empty() || s.size() > len || !HasFixedForm(v.Num) || !WholeDigitsHeld(v.Num))
        return PutWideNumber(buf + f.Offset, len, v.Num, f.Decimals);
      PutRightAligned(buf + f.Offset, len, s);
      return true;
    }
    default:
      return true;
  }
}

bool TStringBase::SetValue(int32_t field, const TCommonVar& v) {
  if (!SetBufferValue(field, v, buffer_)) return false;
  if (TRow* row = Current()) row->Changed = true;
  Modified = true;
  return true;
}

bool TStringBase::FitsField(int32_t field, const TCommonVar& v) const {
  if (v.Kind == 'D') return DateFitsField(v.Date);
  if (v.Kind != 'N' || field < 0 || field >= FieldCount()) return true;
  const FieldInfo& f = fields_[static_cast<std::size_t>(field)];
  return !FitNumber(v.Num, f.Length, f.Decimals).empty();
}

void TStringBase::ReadDbfRecord() {
  if (buffer_ && dbf_ && dbf_->RecordSize() == recordSize_) dbf_->GetRecordText(buffer_);
}

void TStringBase::WriteDbfRecord() {
  if (buffer_ && dbf_ && dbf_->RecordSize() == recordSize_) dbf_->SetRecordText(buffer_);
}

// --- Loading -------------------------------------------------------------------

int32_t TStringBase::NoField() const { return dbf_ ? dbf_->FieldIndex("NO__") : -1; }

int32_t TStringBase::ReadNoField(int32_t field, const char* buf, bool& error) const {
  // Plain digits, as the saves write them, are read here; anything else the
  // way the table engine reads an integer.
  std::string_view text = BufferTextView(field, buf);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.size() <= 9) {
    // Every character read as a digit, checked once at the end.
    uint32_t n = 0;
    bool digits = true;
    for (const char c : text) {
      const uint32_t digit = static_cast<uint32_t>(static_cast<unsigned char>(c)) - '0';
      digits &= digit <= 9;
      n = n * 10 + digit;
    }
    if (digits) {
      error = false;
      return static_cast<int32_t>(n);
    }
  }
  return dbf_->GetFieldInt(field, error);
}

bool TStringBase::FilterUsable() const { return !filter_ || filter_->ErrorCode() == 0; }

bool TStringBase::LoadRecords(int32_t from, int32_t to, const std::function<bool()>* more, bool oneRow,
                              bool backwards, int32_t* found) {
  TRowBlocks blocks(recordSize_, spareBlocks_);
  MemTableClear();
  if (!FilterUsable() || !dbf_ || !dbf_->Active()) return false;
  const int32_t noField = NoField();
  // Where the table engine reads "NO__" of the record.
  const int32_t noOffset = noField >= 0 ? dbf_->FieldOffset(noField) : 0;
  int noLength = noField >= 0 ? dbf_->GetFieldDef(noField).Length : 0;
  if (noOffset + noLength > dbf_->RecordSize()) noLength = 0;  // read the long way, as the engine refuses it
  const bool filtered = filter_ && !filter_->NoFilter();
  // MINVAL and MAXVAL compare a taken record with the row kept for its keys.
  const bool keysDecide = filtered && Keys && !(filter_->MinCols().empty() && filter_->MaxCols().empty());
  scratch_.assign(static_cast<std::size_t>(recordSize_), ' ');
  buffer_ = scratch_.data();
  LastNo = dbf_->RecCount();
  bool ok = true;
  const int32_t step = backwards ? -1 : 1;
  // Room for every record of the range at once, rather than the row
  // pointers copied each time they outgrow it; pages left untouched by a
  // filter that refuses records are never given memory.
  if (!oneRow && (backwards ? from >= to : to >= from))
    rows_.reserve(static_cast<std::size_t>(backwards ? int64_t{from} - to : int64_t{to} - from) + 1);
  if (!backwards) dbf_->GoToRecord(from);
  for (int32_t rec = from; backwards ? rec >= to : rec <= to; rec += step) {
    if (backwards) dbf_->GoToRecord(rec);
    const int state = dbf_->ReadRecord();
    if (state < 0) {
      ok = false;
      break;
    }
    if (state == 1) continue;
    const uint8_t* const bytes = dbf_->RecordView();
    const char* const raw = reinterpret_cast<const char*>(bytes);
    bool error = false;
    int32_t no = 0;
    ITableFilter::TKnownWhole known;
    if (int64_t whole = 0; noField >= 0 && dbf_detail::ReadWholeField(bytes + noOffset, noLength, whole)) {
      // Digits right-aligned, as saves write them: what ReadNoField reads,
      // and what the filter's conditions on the field may use as it is.
      no = static_cast<int32_t>(whole);
      known = {noField, whole};
    } else if (noField >= 0) {
      no = ReadNoField(noField, raw, error);
    }
    if (!error && no > LastNo) LastNo = no;
    // A record that fails on its numbers is refused before its texts are
    // converted; a stop condition sees every record converted.
    const int32_t held = !more && filtered ? filter_->DecideBeforeConversion(*this, raw, known) : 0;
    if (held < 0) continue;
    const auto append = [&] {
      RowPtr added(blocks.New());
      added->Index = Count();
      TRow* row = added.get();
      rows_.push_back(std::move(added));
      return row;
    };
    TRow* row;
    if (!more && (!filtered || (held == ITableFilter::kEveryConditionHolds && !keysDecide))) {
      // Taken whatever its texts say: converted straight into its row.
      row = append();
      dbf_->GetRecordText(row->Buffer());
    } else {
      dbf_->GetRecordText(scratch_.data());
      if (more && !(*more)()) break;
      const int32_t decision = FilterRecord(held);
      if (decision == -1) continue;
      row = decision == -2 ? append() : rows_[static_cast<std::size_t>(decision)].get();
      std::memcpy(row->Buffer(), scratch_.data(), static_cast<std::size_t>(recordSize_));
    }
    row->No = error ? 0 : no;
    row->RecNo = rec;
    if (oneRow) {
      *found = rec;
      break;
    }
  }
  buffer_ = nullptr;
  SetCurrent(0);
  if (!ok) MemTableClear();
  return ok;
}

bool TStringBase::LoadAll() { return LoadRange(1, 0); }

bool TStringBase::LoadRange(int32_t from, int32_t to) {
  if (ownDbf_) return true;
  if (from < 0) return true;
  const int32_t count = dbf_ && dbf_->Active() ? dbf_->RecCount() : 0;
  if (to == 0 || to > count) to = count;
  const bool ok = LoadRecords(std::max(from, 1), to, nullptr, false, false, nullptr);
  if (ok) Modified = false;
  return ok;
}

bool TStringBase::LoadWhile(int32_t from, const std::function<bool()>& more) {
  if (ownDbf_) return true;
  const int32_t count = dbf_ && dbf_->Active() ? dbf_->RecCount() : 0;
  const bool ok = LoadRecords(std::max(from, 1), count, &more, false, false, nullptr);
  if (ok) Modified = false;
  return ok;
}

int32_t TStringBase::LoadNextRecord(int32_t from) {
  if (ownDbf_) return -1;
  const int32_t count = dbf_ && dbf_->Active() ? dbf_->RecCount() : 0;
  int32_t found = -1;
  if (!LoadRecords(std::max(from, 1), count, nullptr, true, false, &found)) return -1;
  return found;
}

int32_t TStringBase::LoadLastRecord() {
  if (ownDbf_) return -1;
  const int32_t count = dbf_ && dbf_->Active() ? dbf_->RecCount() : 0;
  int32_t found = -1;
  if (!LoadRecords(count, 1, nullptr, true, true, &found)) return -1;
  return found;
}

// --- Writing back --------------------------------------------------------------

bool TStringBase::HasTooWideNumber(const char* buf) const {
  for (const FieldInfo& f : numberFields_) {
    const char* p = buf + f.Offset;
    // A number's last character is never a star: one test passes over
    // almost every field.
    if (p[f.Length - 1] == '*' && std::all_of(p, p + f.Length, [](char c) { return c == '*'; })) return true;
  }
  return false;
}

// Inline: a commit makes every record it changes here.
[[gnu::always_inline]] inline bool TStringBase::MakeFileRecord(const TRow& row, uint8_t* record, int32_t noField,
                                                               int32_t no, bool deleted) const {
  dbf_->RecordFromText(row.Buffer(), record);
  if (noField >= 0) dbf_->PutFieldInt(record, noField, no);
  record[0] = deleted ? '*' : ' ';
  return HasTooWideNumber(row.Buffer());
}

bool TStringBase::MakeRewrittenRecord(const TRow& row, uint8_t* record, int32_t noField,
                                      const TOddTextRecords& odd) const {
  const bool tooWide = MakeFileRecord(row, record, noField, row.Index + 1, false);
  if (odd.Empty()) return tooWide;
  const uint8_t* old = row.RecNo >= 1 ? odd.Find(row.RecNo) : nullptr;
  // A row ADDBASE copied from a record of the same file has none of its own.
  if (!old) old = odd.FindCopy(record);
  if (old) dbf_->KeepFileTexts(old, record, row.Buffer());
  return tooWide;
}

// Each block of records goes into the file as it is made: the table
// rewritten whole would otherwise stand in memory a second time beside its
// rows. The file is written beside the old one, which stays until the new
// one is whole.
TSaveResult TStringBase::RewriteRecords() {
  const int32_t noField = NoField();
  const auto size = static_cast<std::size_t>(dbf_->RecordSize());
  const std::size_t perBlock = std::max<std::size_t>(1, (std::size_t{1} << 20) / std::max<std::size_t>(size, 1));
  std::vector<uint8_t> block(perBlock * size);
  std::size_t held = 0;
  bool tooWide = false;
  TOddTextRecords odd;
  odd.Read(*dbf_, noField);
  bool ok = dbf_->Zap();
  for (auto row = rows_.begin(); ok && row != rows_.end(); ++row) {
    // A sort leaves the rows far from their order in memory.
    if (rows_.end() - row > static_cast<std::ptrdiff_t>(kPrefetchAhead)) {
      const TRow* ahead = row[kPrefetchAhead].get();
      __builtin_prefetch(ahead);
      __builtin_prefetch(ahead->Buffer() + size - 1);
    }
    if ((*row)->Deleted) continue;
    tooWide = MakeRewrittenRecord(**row, &block[held * size], noField, odd) || tooWide;
    if (++held == perBlock) {
      ok = dbf_->AppendRecords(block.data(), held);
      held = 0;
    }
  }
  if (ok && held > 0) ok = dbf_->AppendRecords(block.data(), held);
  if (!ok) dbf_->AbandonRewrite();
  ok = dbf_->Close() && ok;
  ok = dbf_->Open() && ok;
  SetCurrent(0);
  if (!ok) return TSaveResult::Failed;
  return tooWide ? TSaveResult::SavedTooWide : TSaveResult::Saved;
}

bool TStringBase::PlanSave(bool rewrite, TPendingSave& plan) {
  plan = {};
  plan.Rewrite = rewrite;
  if (!dbf_ || !dbf_->Active()) return false;
  const auto size = static_cast<std::size_t>(dbf_->RecordSize());
  const int32_t noField = NoField();
  if (rewrite) {
    TOddTextRecords odd;
    odd.Read(*dbf_, noField);
    std::size_t kept = 0;
    for (const RowPtr& row : rows_) kept += row->Deleted ? 0 : 1;
    plan.Records.resize(kept * size);
    uint8_t* record = plan.Records.data();
    for (const RowPtr& row : rows_) {
      if (row->Deleted) continue;
      plan.TooWide = MakeRewrittenRecord(*row, record, noField, odd) || plan.TooWide;
      record += size;
    }
    return true;
  }
  // The whole table as it will stand, records in file order.
  if (!ReadAllRecords(*dbf_, plan.Records)) return false;
  plan.Records.reserve(plan.Records.size() + rows_.size() * size);
  const int32_t inFileCount = dbf_->RecCount();
  int32_t next = inFileCount + 1;
  std::vector<uint8_t> old(size);
  for (const RowPtr& row : rows_) {
    const bool inFile = row->RecNo >= 1 && row->RecNo <= inFileCount;
    if (!row->New && !row->Changed && !(row->Deleted && inFile)) continue;
    if (row->New && row->Deleted) continue;
    int32_t recNo = row->RecNo;
    int32_t no = row->No;
    const bool added = row->New || !inFile;
    if (added) {
      recNo = no = next++;
      plan.Records.resize(plan.Records.size() + size);
    }
    // Made over the record the file holds there, which it is compared with.
    uint8_t* record = &plan.Records[static_cast<std::size_t>(recNo - 1) * size];
    if (!added) std::memcpy(old.data(), record, size);
    plan.TooWide = MakeFileRecord(*row, record, noField, no, row->Deleted) || plan.TooWide;
    if (!added) dbf_->KeepFileTexts(old.data(), record, row->Buffer());
    plan.Updates.push_back({row.get(), recNo});
  }
  plan.Nothing = plan.Updates.empty();
  return true;
}

void TStringBase::SaveDone(const TPendingSave& plan) {
  for (const TPendingSave::Update& u : plan.Updates) {
    if (u.Row->New || u.Row->RecNo != u.RecNo) {
      u.Row->No = u.Row->RecNo = u.RecNo;
      LastNo = u.RecNo;
    }
    u.Row->Changed = u.Row->New = false;
  }
  SetCurrent(0);
}

TSaveResult TStringBase::Save(bool rewrite) {
  if (ownDbf_) return TSaveResult::Saved;
  if (!dbf_ || !dbf_->Active() || dbf_->ReadOnly()) return TSaveResult::Failed;
  if (rewrite) return RewriteRecords();
  TPendingSave plan;
  if (!PlanSave(rewrite, plan)) {
    SetCurrent(0);
    return TSaveResult::Failed;
  }
  if (!plan.Nothing && !RewriteTable(*dbf_, plan.Records)) {
    SetCurrent(0);
    return TSaveResult::Failed;
  }
  if (rewrite) return plan.TooWide ? TSaveResult::SavedTooWide : TSaveResult::Saved;
  SaveDone(plan);
  return plan.TooWide ? TSaveResult::SavedTooWide : TSaveResult::Saved;
}

// --- Filters -------------------------------------------------------------------

void TStringBase::SetFilter(std::string_view text) {
  if (filter_) filter_->SetText(text);
}

int32_t TStringBase::GetFilterError() const { return filter_ ? filter_->ErrorCode() : 0; }

std::string TStringBase::GetFilterMessage() const { return filter_ ? filter_->Message() : std::string(); }

int32_t TStringBase::FilterRecord(int32_t held) {
  if (!filter_ || filter_->NoFilter()) return -2;
  if (!filter_->ConditionsHoldFrom(held)) return -1;
  const auto& mins = filter_->MinCols();
  const auto& maxs = filter_->MaxCols();
  if ((mins.empty() && maxs.empty()) || !Keys) return -2;
  const TRow* kept = FindByKeys(buffer_, Keys.get());
  if (!kept) return -2;
  TCommonVar fresh, old;
  for (const int32_t field : mins) {
    GetBufferValue(field, buffer_, fresh);
    GetBufferValue(field, kept->Buffer(), old);
    if (CompareValues(fresh, old, false) != -1) return -1;
  }
  for (const int32_t field : maxs) {
    GetBufferValue(field, buffer_, fresh);
    GetBufferValue(field, kept->Buffer(), old);
    if (CompareValues(fresh, old, false) != 1) return -1;
  }
  return kept->Index;
}

bool TStringBase::MatchesFilter() const {
  return !ViewFilter || ViewFilter->NoFilter() || ViewFilter->ConditionsHold();
}

// --- Comparing, sorting, searching ----------------------------------------------

int TStringBase::CompareRows(const TRow& a, const TRow& b, bool caseSensitive, const TKeyCol* keys) const {
  TCommonVar va, vb;
  for (const TKeyCol* k = keys; k; k = k->Next.get()) {
    GetBufferValue(k->Number, a.Buffer(), va);
    GetBufferValue(k->Number, b.Buffer(), vb);
    const int c = CompareValues(va, vb, caseSensitive);
    if (c != 0) return c;
  }
  return 0;
}

namespace {

// The key values of every row, read once, so that a sort of many rows
// compares them without reading field text again. The order they give is
// that of CompareValuesInOrder over the field values.
class SortKeys {
 public:
  SortKeys(const TStringBase& table, const TRow* const* rows, std::size_t n, const TKeyCol* keys,
           bool caseSensitive) {
    TCommonVar v;
    for (const TKeyCol* k = keys; k; k = k->Next.get()) {
      Column col;
      col.Type = table.FieldType(k->Number);
      if (col.Type == 'C') col.Texts.reserve(n * 24);
      for (std::size_t i = 0; i < n; ++i) {
        const TRow* row = rows[i];
        if (i + kPrefetchAhead < n) __builtin_prefetch(rows[i + kPrefetchAhead]->Buffer());
        switch (col.Type) {
          case 'C':
            col.TextStart.push_back(col.Texts.size());
            AppendCollationKey(table.BufferTextView(k->Number, row->Buffer()), caseSensitive, col.Texts);
            break;
          case 'N':
            table.GetBufferValue(k->Number, row->Buffer(), v);
            col.Numbers.push_back(NumberOrderKey(v.Num));
            break;
          case 'D':
            table.GetBufferValue(k->Number, row->Buffer(), v);
            col.Dates.push_back(v.Date);
            break;
          default:
            break;
        }
      }
      col.TextStart.push_back(col.Texts.size());
      columns_.push_back(std::move(col));
    }
  }

  const std::vector<long double>* SingleNumberKey() const {
    return columns_.size() == 1 && columns_[0].Type == 'N' ? &columns_[0].Numbers : nullptr;
  }

  int Compare(int32_t a, int32_t b) const {
    const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
    for (const Column& col : columns_) {
      int c = 0;
      switch (col.Type) {
        case 'C':
          c = CompareKeys(col, ia, ib);
          break;
        case 'N':
          c = col.Numbers[ia] < col.Numbers[ib] ? -1 : (col.Numbers[ia] > col.Numbers[ib] ? 1 : 0);
          break;
        case 'D':
          c = CompareDateRec(col.Dates[ia], col.Dates[ib]) - 1;
          break;
        default:
          break;
      }
      if (c != 0) return c;
    }
    return 0;
  }

 private:
  struct Column {
    char Type = 0;
    // The collation keys of all rows, one after another.
    std::string Texts;
    std::vector<std::size_t> TextStart;
    std::vector<long double> Numbers;
    std::vector<TDateRec> Dates;
  };
  static int CompareKeys(const Column& col, std::size_t a, std::size_t b) {
    const std::size_t la = col.TextStart[a + 1] - col.TextStart[a];
    const std::size_t lb = col.TextStart[b + 1] - col.TextStart[b];
    const int c = std::memcmp(col.Texts.data() + col.TextStart[a], col.Texts.data() + col.TextStart[b],
                              std::min(la, lb));
    if (c != 0) return c < 0 ? -1 : 1;
    return la == lb ? 0 : (la < lb ? -1 : 1);
  }

  std::vector<Column> columns_;
};

struct NumberEntry {
  long double Key;
  int32_t Row;
};

// The NumberOrderKey of a number, below this in magnitude, is an integer of
// 64 bits, with room for a difference of two.
constexpr long double kOrderKeyLimit = 4611686018427387904.0L;  // 2^62

// Quicksort with the middle row as pivot, exchanging only rows that differ
// in place; counts the exchanges. PivotOf makes of the pivot entry what
// tells the entries below it (Below) and above it (Above).
template <class Entry, class PivotOf>
void QuickSortBy(Entry* order, int32_t lo, int32_t hi, const PivotOf& pivotOf, int64_t& exchanges) {
  while (lo < hi) {
    const auto pivot = pivotOf(order[static_cast<std::size_t>((lo + hi) / 2)]);
    int32_t i = lo, j = hi;
    while (i <= j) {
      while (pivot.Below(order[static_cast<std::size_t>(i)])) ++i;
      while (pivot.Above(order[static_cast<std::size_t>(j)])) --j;
      if (i <= j) {
        if (i != j) {
          std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
          ++exchanges;
        }
        ++i;
        --j;
      }
    }
    // The smaller side recursively, the larger one in the loop: the depth
    // stays logarithmic whatever the data.
    if (j - lo < hi - i) {
      if (j > lo) QuickSortBy(order, lo, j, pivotOf, exchanges);
      lo = i;
    } else {
      if (i < hi) QuickSortBy(order, i, hi, pivotOf, exchanges);
      hi = j;
    }
  }
}

// The pivot of a three-way comparison.
template <class Entry, class Compare>
struct TComparedPivot {
  Entry Pivot;
  const Compare& Comparison;
  bool Below(const Entry& e) const { return Comparison(e, Pivot) < 0; }
  bool Above(const Entry& e) const { return Comparison(e, Pivot) > 0; }
};

template <class Entry, class Compare>
void QuickSort(Entry* order, int32_t lo, int32_t hi, const Compare& compare, int64_t& exchanges) {
  QuickSortBy(
      order, lo, hi, [&compare](const Entry& pivot) { return TComparedPivot<Entry, Compare>{pivot, compare}; },
      exchanges);
}

// The key of every field, the i-th at FieldAt(i), read by KeyOf into Keys;
// the least and most of them. False at the first field without one. The
// rows lie anywhere in memory: the field a few steps on is asked for ahead.
template <class FieldAt, class KeyOf>
bool ReadKeys(std::size_t n, const FieldAt& fieldAt, const KeyOf& keyOf, uint64_t* keys, int64_t& least,
              int64_t& most) {
  int64_t low = std::numeric_limits<int64_t>::max(), high = std::numeric_limits<int64_t>::min();
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kPrefetchAhead < n) __builtin_prefetch(fieldAt(i + kPrefetchAhead));
    int64_t key = 0;
    if (!keyOf(fieldAt(i), key)) return false;
    low = std::min(low, key);
    high = std::max(high, key);
    keys[i] = static_cast<uint64_t>(key);
  }
  least = low;
  most = high;
  return true;
}

}  // namespace

// Rows still holds every row, so rows_ takes them in their new order in
// place, each numbered as it is placed; the rows lie anywhere in memory, and
// the row wanted a few steps on is asked for ahead, its place in Rows before
// it. From(i) is the place in Rows of the row that goes to i.
template <class From>
void TStringBase::PlaceRows(const TRow* const* rows, const From& from) {
  const std::size_t n = rows_.size();
  const auto take = [&](std::size_t i) {
    TRow* row = const_cast<TRow*>(rows[from(i)]);
    row->Index = static_cast<int32_t>(i);
    (void)rows_[i].release();
    rows_[i].reset(row);
  };
  std::size_t i = 0;
  for (; i + 2 * kPrefetchAhead < n; ++i) {
    __builtin_prefetch(&rows[from(i + 2 * kPrefetchAhead)]);
    __builtin_prefetch(rows[from(i + kPrefetchAhead)], 1);
    take(i);
  }
  for (; i < n; ++i) take(i);
}

// One number key, the common case: each row's key made an integer (for the
// numbers saves write a count of the field's last decimal, else its
// NumberOrderKey) and sorted together with its row number in one word, so
// that a comparison reads no other memory; the same quicksort steps give
// the same order and the same exchanges.
bool TStringBase::SortByNumberKey(const TRow* const* rows, const TKeyCol* keys, int64_t& exchanges) {
  if (!keys || keys->Next || keys->Number < 0 || keys->Number >= FieldCount()) return false;
  const FieldInfo& f = fields_[static_cast<std::size_t>(keys->Number)];
  if (f.Type != 'N') return false;
  const std::size_t n = rows_.size();
  const auto offset = static_cast<std::size_t>(f.Offset);
  // Not cleared: every entry is written before it is read.
  const std::unique_ptr<uint64_t[]> entries(new uint64_t[n]);
  int64_t least = 0, most = 0;
  const auto fieldAt = [rows, offset](std::size_t i) { return rows[i]->Buffer() + offset; };
  const TNumberKeyReader reader(f.Length, f.Decimals);
  const bool integers = reader.Reads() && reader.WithReader([&](const auto& read) {
    return ReadKeys(n, fieldAt, read, entries.get(), least, most);
  });
  TCommonVar v;
  if (!integers && !ReadKeys(
                       n, fieldAt,
                       [&](const char* field, int64_t& key) {
                         GetBufferValue(keys->Number, field - offset, v);
                         return ReadWhole(NumberOrderKey(v.Num), kOrderKeyLimit, key);
                       },
                       entries.get(), least, most))
    return false;
  // Keys that differ by less than 2^31 go above 32 bits of row number, where
  // the sort looks them over four at a time; others above as many bits as
  // the row numbers need, when they fit.
  const auto range = static_cast<uint64_t>(most) - static_cast<uint64_t>(least);
  int rowBits = 32;
  if (range >> 31 != 0) {
    rowBits = std::bit_width(n - 1);
    if (range >> (63 - rowBits) != 0) return false;
  }
  for (std::size_t i = 0; i < n; ++i) entries[i] = (entries[i] - static_cast<uint64_t>(least)) << rowBits | i;
  if (SortKeyWords(entries.get(), static_cast<int32_t>(n), rowBits)) ++exchanges;
  const uint64_t rowMask = (uint64_t{1} << rowBits) - 1;
  PlaceRows(rows, [&](std::size_t i) { return static_cast<std::size_t>(entries[i] & rowMask); });
  return true;
}

namespace {

// A row's collation key held in the sorted entry itself, in words compared
// as numbers: a comparison reads no other memory. The key is padded with
// zero bytes, which sort below every byte a key has but its one separator
// of case-sensitive keys; so the words compare as the keys' bytes do, the
// shorter key of two that agree first, exactly as CompareKeys.
template <std::size_t Words>
struct TTextEntry {
  std::array<uint64_t, Words> Key;
  int32_t Row;
};

// The longest key held so: 64 bytes.
constexpr std::size_t kMostTextWords = 8;

template <std::size_t Words>
int CompareTextEntries(const TTextEntry<Words>& a, const TTextEntry<Words>& b) {
  for (std::size_t w = 0; w < Words; ++w)
    if (a.Key[w] != b.Key[w]) return a.Key[w] < b.Key[w] ? -1 : 1;
  return 0;
}

template <std::size_t Words>
void SortTextEntries(const std::vector<std::string_view>& texts, bool caseSensitive, int32_t last, int32_t* order,
                     int64_t& exchanges) {
  std::vector<TTextEntry<Words>> entries(texts.size());
  std::string key;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i + kPrefetchAhead < texts.size()) __builtin_prefetch(texts[i + kPrefetchAhead].data());
    key.clear();
    AppendCollationKey(texts[i], caseSensitive, key);
    key.resize(Words * 8, '\0');
    TTextEntry<Words>& e = entries[i];
    for (std::size_t w = 0; w < Words; ++w) {
      uint64_t word = 0;
      for (std::size_t b = 0; b < 8; ++b) word = word << 8 | static_cast<unsigned char>(key[w * 8 + b]);
      e.Key[w] = word;
    }
    e.Row = static_cast<int32_t>(i);
  }
  QuickSort(
      entries.data(), 0, last,
      [](const TTextEntry<Words>& a, const TTextEntry<Words>& b) { return CompareTextEntries(a, b); }, exchanges);
  for (std::size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].Row;
}

template <std::size_t... W>
void SortTextEntriesOf(std::size_t words, const std::vector<std::string_view>& texts, bool caseSensitive,
                       int32_t last, int32_t* order, int64_t& exchanges, std::index_sequence<W...>) {
  ((words == W + 1 ? SortTextEntries<W + 1>(texts, caseSensitive, last, order, exchanges) : void()), ...);
}

}  // namespace

// One text key of a field short enough for its key to be held in the
// entries; the same QuickSort steps as SortByKeys give the same order and
// the same exchanges.
bool TStringBase::SortByTextKey(const TRow* const* rows, const TKeyCol* keys, bool caseSensitive, int32_t* order,
                                int64_t& exchanges) const {
  if (!keys || keys->Next || keys->Number < 0 || keys->Number >= FieldCount()) return false;
  const FieldInfo& f = fields_[static_cast<std::size_t>(keys->Number)];
  if (f.Type != 'C') return false;
  // A case-sensitive key has a separator and a case byte per character.
  const std::size_t longest = static_cast<std::size_t>(f.Length) * (caseSensitive ? 2 : 1) + (caseSensitive ? 1 : 0);
  const std::size_t words = (longest + 7) / 8;
  if (words == 0 || words > kMostTextWords) return false;
  const std::size_t n = rows_.size();
  std::vector<std::string_view> texts(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kPrefetchAhead < n) __builtin_prefetch(rows[i + kPrefetchAhead]->Buffer() + f.Offset);
    texts[i] = BufferTextView(keys->Number, rows[i]->Buffer());
  }
  SortTextEntriesOf(words, texts, caseSensitive, LastIndex(), order, exchanges,
                    std::make_index_sequence<kMostTextWords>());
  return true;
}

void TStringBase::SortByKeys(const TRow* const* rows, const TKeyCol* keys, bool caseSensitive, int32_t* order,
                             int64_t& exchanges) const {
  const std::size_t n = rows_.size();
  const SortKeys sortKeys(*this, rows, n, keys, caseSensitive);
  if (const std::vector<long double>* numbers = sortKeys.SingleNumberKey()) {
    std::vector<NumberEntry> entries(n);
    for (std::size_t i = 0; i < n; ++i) entries[i] = {(*numbers)[i], static_cast<int32_t>(i)};
    QuickSort(entries.data(), 0, LastIndex(), [](const NumberEntry& a, const NumberEntry& b) {
      return a.Key < b.Key ? -1 : (a.Key > b.Key ? 1 : 0);
    }, exchanges);
    for (std::size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].Row;
  } else {
    for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<int32_t>(i);
    QuickSort(order, 0, LastIndex(), [&sortKeys](int32_t a, int32_t b) { return sortKeys.Compare(a, b); },
              exchanges);
  }
}

bool TStringBase::Sort(const TKeyCol* keys, bool caseSensitive) {
  if (Count() < 2) return false;
  const std::size_t n = rows_.size();
  // Neither list is cleared: every entry is written before it is read.
  const std::unique_ptr<const TRow*[]> rows(new const TRow*[n]);
  for (std::size_t i = 0; i < n; ++i) rows[i] = rows_[i].get();
  const TRow* current = Current();
  int64_t exchanges = 0;
  if (!SortByNumberKey(rows.get(), keys, exchanges)) {
    const std::unique_ptr<int32_t[]> order(new int32_t[n]);
    if (!SortByTextKey(rows.get(), keys, caseSensitive, order.get(), exchanges))
      SortByKeys(rows.get(), keys, caseSensitive, order.get(), exchanges);
    PlaceRows(rows.get(), [&](std::size_t i) { return static_cast<std::size_t>(order[i]); });
  }
  SetCurrent(current ? current->Index : 0);
  return exchanges > 0;
}

bool TStringBase::SortByField(int32_t field, bool caseSensitive) {
  TKeyCol key;
  key.Number = field;
  return Sort(&key, caseSensitive);
}

TRow* TStringBase::BinarySearch(int32_t& pos, const TKeyCol* keys, bool caseSensitive, int32_t hi,
                                int32_t lo) const {
  pos = -1;
  TCommonVar v;
  while (true) {
    const int32_t mid = (hi + lo) / 2;
    TRow* row = MemTableLocate(mid);
    if (!row) return nullptr;
    int c = 0;
    for (const TKeyCol* k = keys; k; k = k->Next.get()) {
      GetBufferValue(k->Number, row->Buffer(), v);
      c = CompareValuesInOrder(k->Value, v, caseSensitive);
      if (c != 0) break;
    }
    if (c == 0) {
      pos = mid;
      return row;
    }
    if (c < 0) {
      if (mid <= lo) {
        pos = mid;
        return nullptr;
      }
      hi = mid - 1;
    } else {
      if (mid >= hi) {
        pos = mid + 1;
        return nullptr;
      }
      lo = mid + 1;
    }
  }
}

TRow* TStringBase::LocateOrInsert(const TKeyCol* keys, bool& inserted, bool caseSensitive) {
  int32_t pos = -1;
  inserted = false;
  if (TRow* found = BinarySearch(pos, keys, caseSensitive, LastIndex(), 0)) return found;
  if (pos < 0) pos = 0;  // an empty table
  if (TooWideKey(keys) != nullptr) return nullptr;
  TRow* row = Insert(pos);
  for (const TKeyCol* k = keys; k; k = k->Next.get()) SetBufferValue(k->Number, k->Value, row->Buffer());
  inserted = true;
  return row;
}

const TKeyCol* TStringBase::TooWideKey(const TKeyCol* keys) const {
  for (const TKeyCol* k = keys; k; k = k->Next.get())
    if (!FitsField(k->Number, k->Value)) return k;
  return nullptr;
}

TRow* TStringBase::FindByKeys(const char* buf, const TKeyCol* keys) const {
  TCommonVar a, b;
  for (const RowPtr& row : rows_) {
    bool equal = true;
    for (const TKeyCol* k = keys; k && equal; k = k->Next.get()) {
      GetBufferValue(k->Number, buf, a);
      GetBufferValue(k->Number, row->Buffer(), b);
      equal = ValuesEqual(a, b);
    }
    if (equal) return row.get();
  }
  return nullptr;
}

void TStringBase::RemoveDuplicatesKeepFirst() {
  if (Count() < 2 || !Keys) return;
  for (int32_t i = 0; i < Count(); ++i) {
    const TRow* kept = rows_[static_cast<std::size_t>(i)].get();
    for (int32_t j = i + 1; j < Count();) {
      if (CompareRowsEqual(*kept, *rows_[static_cast<std::size_t>(j)]))
        Delete(j);
      else
        ++j;
    }
  }
}

void TStringBase::RemoveDuplicatesKeepLast() {
  if (Count() < 2 || !Keys) return;
  for (int32_t i = LastIndex(); i > 0; --i) {
    if (i > LastIndex()) continue;
    for (int32_t j = i - 1; j >= 0; --j) {
      if (CompareRowsEqual(*rows_[static_cast<std::size_t>(i)], *rows_[static_cast<std::size_t>(j)])) {
        Delete(j);
        --i;  // the kept row moved down by one
      }
    }
  }
}

void TStringBase::RemoveAdjacentDuplicates(bool caseSensitive) {
  if (Count() < 2 || !Keys) return;
  for (int32_t i = 1; i < Count();) {
    if (CompareRows(*rows_[static_cast<std::size_t>(i - 1)], *rows_[static_cast<std::size_t>(i)], caseSensitive,
                    Keys.get()) == 0)
      Delete(i);
    else
      ++i;
  }
}

bool TStringBase::CompareRowsEqual(const TRow& a, const TRow& b) const {
  TCommonVar va, vb;
  for (const TKeyCol* k = Keys.get(); k; k = k->Next.get()) {
    GetBufferValue(k->Number, a.Buffer(), va);
    GetBufferValue(k->Number, b.Buffer(), vb);
    if (!ValuesEqual(va, vb)) return false;
  }
  return true;
}

}  // namespace vm
