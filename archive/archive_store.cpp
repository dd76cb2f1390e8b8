#include "archive/archive_store.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/files/fileutils.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"

namespace vm {

namespace {

constexpr std::size_t kBlock = 32768;
constexpr int kCafHeader = 12;
constexpr int kCafEntry = 32;

void PutInt(std::string& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetInt(const char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(p[i]);
  return v;
}

int32_t GetInt32(const char* p) { return static_cast<int32_t>(GetInt(p)); }

// String[n] at `at`: the length byte, then the text cut to n.
void PutShortString(std::string& b, std::size_t at, const std::string& s, std::size_t n) {
  const std::size_t len = std::min(s.size(), n);
  b[at] = static_cast<char>(len);
  std::memcpy(&b[at + 1], s.data(), len);
}

std::string GetShortString(const char* p, std::size_t n) {
  return std::string(p + 1, std::min<std::size_t>(static_cast<uint8_t>(*p), n));
}

void PutDate(std::string& b, std::size_t at, const TDateRec& d) {
  PutInt(b, at, static_cast<uint32_t>(d.Day));
  PutInt(b, at + 4, static_cast<uint32_t>(d.Month));
  PutInt(b, at + 8, static_cast<uint32_t>(d.Year));
}

TDateRec GetDate(const char* p) { return {GetInt32(p), GetInt32(p + 4), GetInt32(p + 8)}; }

void PutTime(std::string& b, std::size_t at, const TTimeRec& t) {
  PutInt(b, at, static_cast<uint32_t>(t.Hour));
  PutInt(b, at + 4, static_cast<uint32_t>(t.Minute));
  PutInt(b, at + 8, static_cast<uint32_t>(t.Second));
}

TTimeRec GetTime(const char* p) { return {GetInt32(p), GetInt32(p + 4), GetInt32(p + 8)}; }

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string ListDamagedText() { return "Испорчен файл списка архивов! "_w; }

[[noreturn]] void ListDamaged() {
  Ui().MsgBox(ListDamagedText(), "Ошибка распаковки"_w, kMbError);
  throw TArchiveFault(ListDamagedText());
}

// Copies count bytes from src at from to dst at to, in blocks, adding the
// bytes to *sum when given.
bool CopyRange(File& src, int64_t from, File& dst, int64_t to, int64_t count, TArchiveGauge& gauge,
               uint32_t* sum = nullptr) {
  std::vector<char> buf(kBlock);
  while (count > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<int64_t>(count, kBlock));
    if (src.ReadAt(from, buf.data(), n) != static_cast<int64_t>(n) || !dst.WriteAt(to, buf.data(), n))
      return false;
    if (sum)
      for (std::size_t i = 0; i < n; ++i) *sum += static_cast<uint8_t>(buf[i]);
    from += static_cast<int64_t>(n);
    to += static_cast<int64_t>(n);
    count -= static_cast<int64_t>(n);
    gauge.Advance(static_cast<int64_t>(n));
  }
  return true;
}

}  // namespace

std::string ArchiveNumberStr(int32_t number) {
  std::string s = std::to_string(number);
  if (s.size() > 8) s = s.substr(s.size() - 8);
  return std::string(8 - s.size(), '0') + s;
}

std::string VolumeNumberStr(int32_t number) {
  const std::string s = std::to_string(number);
  return s.size() >= 3 ? s : std::string(3 - s.size(), '0') + s;
}

bool IsArchiveFileName(const std::string& name, const std::string& ext) {
  return name.size() == 8 + ext.size() && AllDigits(std::string_view(name).substr(0, 8)) &&
         UpperStr(name.substr(8)) == UpperStr(ext);
}

std::string EncodeArchiveListRecord(const TArchiveListRecord& r) {
  std::string b(kArchiveListRecordSize, '\0');
  PutShortString(b, 0, r.ConfigName, 40);
  PutInt(b, 44, static_cast<uint32_t>(r.ConfigID));
  PutInt(b, 48, static_cast<uint32_t>(r.Sequence));
  PutShortString(b, 52, r.CafName, 20);
  PutShortString(b, 73, r.BhName, 20);
  b[94] = static_cast<char>(r.Packed);
  PutDate(b, 96, r.Made);
  PutDate(b, 108, r.CutDate);
  PutTime(b, 120, r.MadeTime);
  return b;
}

TArchiveListRecord DecodeArchiveListRecord(const char* p) {
  TArchiveListRecord r;
  r.ConfigName = GetShortString(p, 40);
  r.ConfigID = GetInt32(p + 44);
  r.Sequence = GetInt32(p + 48);
  r.CafName = GetShortString(p + 52, 20);
  r.BhName = GetShortString(p + 73, 20);
  r.Packed = static_cast<uint8_t>(p[94]);
  r.Made = GetDate(p + 96);
  r.CutDate = GetDate(p + 108);
  r.MadeTime = GetTime(p + 120);
  return r;
}

TArcIDItem& NewArchiveListItem(TArcIDList& list) { return list.emplace_back(); }

std::vector<TArchiveListRecord> LoadArchiveList(const std::string& fileName) {
  std::vector<TArchiveListRecord> records;
  if (!Files().Exists(fileName)) return records;
  std::string bytes;
  if (!ReadWholeFile(fileName, bytes)) throw TArchiveFault("Не читается "_w + fileName);
  if (bytes.size() % kArchiveListRecordSize != 0) ListDamaged();
  for (std::size_t at = 0; at < bytes.size(); at += kArchiveListRecordSize)
    records.push_back(DecodeArchiveListRecord(bytes.data() + at));
  return records;
}

bool WriteArchiveList(const std::string& fileName, const std::vector<TArchiveListRecord>& records) {
  std::string bytes;
  bytes.reserve(records.size() * kArchiveListRecordSize);
  for (const TArchiveListRecord& r : records) bytes += EncodeArchiveListRecord(r);
  if (Files().Exists(fileName)) SetArchiveAttributes(fileName, false);
  const bool ok = ReplaceFileWith(fileName, bytes);
  SetArchiveAttributes(fileName, true);
  return ok;
}

bool ReadArchiveList(const std::string& fileName, int32_t& lastNumber) {
  lastNumber = -1;
  try {
    const std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
    if (records.empty()) return true;
    const std::string& caf = records.back().CafName;
    const std::string digits = caf.substr(0, caf.rfind('.'));
    if (AllDigits(digits) && digits.size() <= 9) lastNumber = std::stoi(digits);
    return true;
  } catch (const TArchiveFault&) {
    return false;
  }
}

namespace {

int32_t FindArchiveOfConfig(const std::string& fileName, int32_t configID, bool last, TArchiveListRecord& record) {
  if (!Files().Exists(fileName)) throw TArchiveFault("Нет файла "_w + fileName);
  const std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
  const int32_t n = static_cast<int32_t>(records.size());
  for (int32_t k = 0; k < n; ++k) {
    const int32_t i = last ? n - 1 - k : k;
    if (records[static_cast<std::size_t>(i)].ConfigID == configID) {
      record = records[static_cast<std::size_t>(i)];
      return i;
    }
  }
  return -1;
}

}  // namespace

int32_t FindLastArchiveOfConfig(const std::string& fileName, int32_t configID, TArchiveListRecord& record) {
  return FindArchiveOfConfig(fileName, configID, true, record);
}

int32_t FindFirstArchiveOfConfig(const std::string& fileName, int32_t configID, TArchiveListRecord& record) {
  return FindArchiveOfConfig(fileName, configID, false, record);
}

bool ReadConfigArchiveList(const std::string& fileName, int32_t configID, TArcIDList& list) {
  list.clear();
  if (!Files().Exists(fileName)) throw TArchiveFault("Нет файла "_w + fileName);
  const std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].ConfigID == configID) {
      TArcIDItem& item = NewArchiveListItem(list);
      item.Record = records[i];
      item.Position = static_cast<int32_t>(i) + 1;
    }
  return !list.empty();
}

bool AppendArchiveList(const std::string& fileName, const TArchiveListRecord& record) {
  try {
    std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
    records.push_back(record);
    return WriteArchiveList(fileName, records);
  } catch (const TArchiveFault&) {
    return false;
  }
}

bool RemoveArchiveListRecord(const std::string& fileName, int32_t index) {
  try {
    std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
    if (index < 0 || index >= static_cast<int32_t>(records.size())) return false;
    records.erase(records.begin() + index);
    return WriteArchiveList(fileName, records);
  } catch (const TArchiveFault&) {
    return false;
  }
}

bool RewriteArchiveList(const std::string& fileName, int32_t configID, int32_t upToPosition,
                        const std::string& extractFile) {
  try {
    const std::vector<TArchiveListRecord> records = LoadArchiveList(fileName);
    std::vector<TArchiveListRecord> kept, taken;
    for (std::size_t i = 0; i < records.size(); ++i) {
      const bool drop = records[i].ConfigID == configID && static_cast<int32_t>(i) + 1 <= upToPosition;
      (drop ? taken : kept).push_back(records[i]);
    }
    // The extract first: the records leave the list only once they are kept
    // elsewhere.
    if (!extractFile.empty() && !WriteArchiveList(extractFile, taken)) return false;
    return WriteArchiveList(fileName, kept);
  } catch (const TArchiveFault&) {
    return false;
  }
}

bool MergeBasesToCaf(TArchiveConfig& config, const std::string& workDir, const std::string& cafName) {
  const int32_t n = config.Count();
  int64_t total = 0;
  for (int32_t i = 0; i < n; ++i) {
    TBaseArchive& b = *config.GetBase(i);
    if (b.ArchiveTable && b.ArchiveTable->Active() && !b.ArchiveTable->Close()) return false;
    const int64_t size = Files().FileSize(workDir + b.PackName);
    if (size < 0) return false;
    total += size;
  }
  if (kCafHeader + kCafEntry * int64_t{n} + total > INT32_MAX) return false;
  TArchiveGauge gauge("Идет объединение баз данных ..."_w, total);
  return ReplaceFile(cafName, [&](File& out) {
    std::string head(static_cast<std::size_t>(kCafHeader + kCafEntry * n), '\0');
    PutInt(head, 0, static_cast<uint32_t>(config.ID));
    PutInt(head, 4, static_cast<uint32_t>(config.ArchiveNo));
    PutInt(head, 8, static_cast<uint32_t>(n));
    int64_t offset = static_cast<int64_t>(head.size());
    for (int32_t i = 0; i < n; ++i) {
      TBaseArchive& b = *config.GetBase(i);
      auto in = Files().Open(workDir + b.PackName, FileMode::Read);
      if (!in) return false;
      const int64_t size = in->Size();
      const std::size_t at = static_cast<std::size_t>(kCafHeader + kCafEntry * i);
      PutShortString(head, at, b.Alias, 20);
      PutInt(head, at + 24, static_cast<uint32_t>(offset));
      PutInt(head, at + 28, static_cast<uint32_t>(offset + size - 1));
      if (!CopyRange(*in, 0, out, offset, size, gauge)) return false;
      offset += size;
    }
    return out.WriteAt(0, head.data(), head.size());
  });
}

bool SplitCafToBases(TArchiveConfig& config, const std::string& workDir, const std::string& cafName) {
  auto in = Files().Open(cafName, FileMode::Read);
  if (!in) throw TArchiveFault("Не открывается "_w + cafName);
  const int64_t size = in->Size();
  char head[kCafHeader];
  if (in->ReadAt(0, head, sizeof head) != kCafHeader) throw TArchiveFault("Испорчен "_w + cafName);
  const int32_t n = GetInt32(head + 8);
  if (n != config.Count()) throw TArchiveFault("Число баз архива не то, что в конфигурации"_w);
  const int64_t dirEnd = kCafHeader + int64_t{kCafEntry} * n;
  if (size - dirEnd <= 0) throw TArchiveFault("Испорчен "_w + cafName);
  std::string dir(static_cast<std::size_t>(kCafEntry * n), '\0');
  if (in->ReadAt(kCafHeader, dir.data(), dir.size()) != static_cast<int64_t>(dir.size()))
    throw TArchiveFault("Испорчен "_w + cafName);
  // Each base once, and every range inside the data before any is written.
  std::vector<std::pair<int64_t, int64_t>> ranges(static_cast<std::size_t>(n), {-1, -1});
  for (int32_t i = 0; i < n; ++i) {
    const char* e = dir.data() + kCafEntry * i;
    const std::string alias = GetShortString(e, 20);
    TBaseArchive* b = config.FindBase(alias);
    if (!b) throw TArchiveFault("В архиве база, которой нет в конфигурации: "_w + alias);
    int32_t index = 0;
    while (config.GetBase(index) != b) ++index;
    auto& range = ranges[static_cast<std::size_t>(index)];
    if (range.first >= 0) throw TArchiveFault("База дважды в архиве: "_w + alias);
    range = {GetInt32(e + 24), GetInt32(e + 28)};
    if (range.first < dirEnd || range.first > range.second + 1 || range.second + 1 > size)
      throw TArchiveFault("Испорчен каталог архива "_w + cafName);
  }
  TArchiveGauge gauge("Идет разделение баз данных ..."_w, size - dirEnd);
  for (int32_t i = 0; i < n; ++i) {
    // Plain names: clang 14 cannot capture structured bindings.
    const auto start = ranges[static_cast<std::size_t>(i)].first, end = ranges[static_cast<std::size_t>(i)].second;
    const std::string target = workDir + config.GetBase(i)->PackName;
    const bool ok = ReplaceFile(target, [&](File& out) { return CopyRange(*in, start, out, 0, end - start + 1, gauge); });
    if (!ok) return false;
  }
  return true;
}

std::string EncodeVolumeHeader(const TVolumeHeader& h) {
  std::string b(kVolumeHeaderSize, '\0');
  PutInt(b, 0, h.Sum);
  PutInt(b, 4, static_cast<uint32_t>(h.Size));
  PutInt(b, 8, static_cast<uint32_t>(h.LastVolume));
  PutShortString(b, 12, h.FileName, 15);
  PutDate(b, 28, h.Date);
  PutTime(b, 40, h.Time);
  PutShortString(b, 52, h.Description, 128);
  return b;
}

TVolumeHeader DecodeVolumeHeader(const char* p) {
  TVolumeHeader h;
  h.Sum = GetInt(p);
  h.Size = GetInt32(p + 4);
  h.LastVolume = GetInt32(p + 8);
  h.FileName = GetShortString(p + 12, 15);
  h.Date = GetDate(p + 28);
  h.Time = GetTime(p + 40);
  h.Description = GetShortString(p + 52, 128);
  return h;
}

std::string VolumeFileName(const std::string& fileName, int32_t n) {
  return ChangeFileExtTo(fileName, "." + VolumeNumberStr(n));
}

bool SplitIntoVolumes(const std::string& folder, const std::string& fileName, int32_t volumeSize,
                      const std::string& description, int32_t& lastVolume, uint32_t readable) {
  lastVolume = -1;
  auto in = Files().Open(fileName, FileMode::Read);
  if (!in || volumeSize <= kVolumeHeaderSize) return false;
  const int64_t size = in->Size();
  if (size < 0 || size > INT32_MAX - kVolumeHeaderSize) return false;
  TVolumeHeader h;
  h.Size = static_cast<int32_t>(size);
  h.LastVolume = static_cast<int32_t>((size + kVolumeHeaderSize - 1) / volumeSize);
  h.FileName = GetFileNamePart(fileName);
  GetNowRec(h.Date, h.Time);
  h.Description = description.substr(0, 128);
  TArchiveGauge gauge("Идет фрагментация архива..."_w, size);
  const std::string base = folder + GetFileNamePart(fileName);
  int64_t from = 0;
  std::unique_ptr<File> first;
  for (int32_t v = 0; v <= h.LastVolume; ++v) {
    // Straight into a file made afresh at the volume's name, never through
    // a link planted there.
    const std::string name = VolumeFileName(base, v);
    Files().Remove(name);
    std::unique_ptr<File> out = Files().Open(name, FileMode::CreateNew);
    const int64_t room = v == 0 ? volumeSize - kVolumeHeaderSize : volumeSize;
    const int64_t count = std::min(room, size - from);
    const int64_t at = v == 0 ? kVolumeHeaderSize : 0;
    if (!out || !CopyRange(*in, from, *out, at, count, gauge, &h.Sum)) return false;
    if (v == 0) first = std::move(out);
    from += count;
  }
  // The sum is known only at the end: volume .000 gets its header last.
  if (!first->WriteAt(0, EncodeVolumeHeader(h).data(), kVolumeHeaderSize)) return false;
  first.reset();
  for (int32_t v = 0; v <= h.LastVolume; ++v) SetArchiveAttributes(VolumeFileName(base, v), true, readable);
  lastVolume = h.LastVolume;
  return true;
}

bool JoinVolumes(const std::string& folder, const std::string& fileName, const std::string& workDir,
                 const std::string& expectedName, std::string* fault) {
  const auto refuse = [fault](std::string why) {
    if (fault) *fault = std::move(why);
    return false;
  };
  if (!CheckDirExists(workDir, true)) return false;
  const std::string base = folder + GetFileNamePart(fileName);
  const std::string firstName = VolumeFileName(base, 0);
  auto first = Files().Open(firstName, FileMode::Read);
  char raw[kVolumeHeaderSize];
  if (!first || first->ReadAt(0, raw, sizeof raw) != kVolumeHeaderSize) return refuse("Не читается том "_w + firstName);
  const TVolumeHeader h = DecodeVolumeHeader(raw);
  // Only the file the caller waits for is written, whatever the header says.
  if (!SameFileName(h.FileName, expectedName) || h.Size < 0 || h.LastVolume < 0)
    return refuse("Испорчен заголовок тома "_w + firstName);
  const std::string target = workDir + expectedName;
  if (Files().Exists(target) && !EraseFile(target)) return false;
  TArchiveGauge gauge("Идет дефрагментация архива..."_w, h.Size);
  uint32_t sum = 0;
  int64_t written = 0;
  std::string why;
  const bool ok = ReplaceFile(target, [&](File& out) {
    for (int32_t v = 0; v <= h.LastVolume; ++v) {
      std::unique_ptr<File> in = v == 0 ? std::move(first) : Files().Open(VolumeFileName(base, v), FileMode::Read);
      if (!in) {
        why = "Не читается том "_w + VolumeFileName(base, v);
        return false;
      }
      const int64_t at = v == 0 ? kVolumeHeaderSize : 0;
      const int64_t count = in->Size() - at;
      if (count < 0 || written + count > h.Size) {
        why = "Размер томов не тот, что в заголовке тома "_w + firstName;
        return false;
      }
      if (!CopyRange(*in, at, out, written, count, gauge, &sum)) return false;
      written += count;
    }
    if (written != h.Size) why = "Размер томов не тот, что в заголовке тома "_w + firstName;
    else if (sum != h.Sum) why = "Неверная контрольная сумма томов "_w + firstName;
    return why.empty();
  });
  return ok || (!why.empty() && refuse(why));
}

void ReadVolumeHeader(const std::string& fileName, TDateRec& date, TTimeRec& time, std::string& description,
                      int32_t& lastVolume) {
  auto f = Files().Open(VolumeFileName(fileName, 0), FileMode::Read);
  char raw[kVolumeHeaderSize];
  if (!f || f->ReadAt(0, raw, sizeof raw) != kVolumeHeaderSize) {
    date.Year = -1;
    return;
  }
  const TVolumeHeader h = DecodeVolumeHeader(raw);
  date = h.Date;
  time = h.Time;
  description = h.Description;
  lastVolume = h.LastVolume;
}

std::string EncodeBackupFileList(const std::vector<TBackupFileRecord>& records) {
  std::string bytes;
  for (const TBackupFileRecord& r : records) {
    std::string b(kBackupFileRecordSize, '\0');
    PutShortString(b, 0, r.Folder, 15);
    PutShortString(b, 16, r.Name, 15);
    PutInt(b, 32, static_cast<uint32_t>(r.Attributes));
    bytes += b;
  }
  return bytes;
}

bool DecodeBackupFileList(const std::string& bytes, std::vector<TBackupFileRecord>& records) {
  records.clear();
  if (bytes.size() % kBackupFileRecordSize != 0) return false;
  for (std::size_t at = 0; at < bytes.size(); at += kBackupFileRecordSize) {
    TBackupFileRecord r;
    r.Folder = GetShortString(bytes.data() + at, 15);
    r.Name = GetShortString(bytes.data() + at + 16, 15);
    r.Attributes = GetInt32(bytes.data() + at + 32);
    const bool plainName = !r.Name.empty() && r.Name != "." && r.Name != ".." &&
                           r.Name.find_first_of("/\\:") == std::string::npos;
    if (!plainName || !(r.Folder.empty() || UpperStr(r.Folder) == "ARCHIVE\\")) return false;
    records.push_back(std::move(r));
  }
  return true;
}

TArchiveGauge::TArchiveGauge(const std::string& text, int64_t max)
    : step_(std::max<int64_t>(max / 100, 1)), next_(step_) {
  Ui().ShowProgressMessage(text, static_cast<int32_t>(std::min<int64_t>(max, INT32_MAX)));
}

void TArchiveGauge::Show() {
  next_ = done_ + step_;
  Ui().SetProgressPosition(static_cast<int32_t>(std::min<int64_t>(done_, INT32_MAX)));
  Ui().ProcessMessages();
}

void ReportNoDiskSpace(const std::string& disk) {
  Ui().MsgBox("Недостаточно места на диске "_w + disk + ": !", " Ошибка "_w, kMbError);
}

void SetArchiveAttributes(const std::string& path, bool readOnly, uint32_t readable) {
  uint32_t mode = 0;
  if (!Files().GetMode(path, mode)) return;
  Files().SetMode(path, (readOnly ? mode & ~0222u : mode | 0200u) & (readable | ~0444u));
}

}  // namespace vm
