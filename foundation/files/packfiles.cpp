#include "foundation/files/packfiles.h"

#include <cstring>
#include <limits>
#include <memory>

#include "foundation/values/dates.h"
#include "foundation/files/fileutils.h"
#include "platform/files.h"

namespace vm {

namespace {

constexpr std::size_t kBlock = 32768;

int32_t Get32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) |
                              (static_cast<uint32_t>(p[3]) << 24));
}

void Put32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

struct Entry {
  std::string Name;
  int32_t Start = 0;
  int32_t End = 0;
  int64_t Size() const { return static_cast<int64_t>(End) - Start + 1; }
};

// An entry name that stays inside the target directory.
bool SafeEntryName(const std::string& name) {
  if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || c == '/' || c == '\\' || c == ':') return false;
  return true;
}

void Report(const TProgressProc& proc, int64_t value) {
  if (proc) proc(static_cast<int32_t>(value));
}

}  // namespace

bool PackFiles(const std::vector<std::string>& files, const std::string& packName,
               const TProgressProc& onTotal, const TProgressProc& onProgress, int32_t tag) {
  const std::vector<std::string> list = files;
  std::vector<std::unique_ptr<File>> sources;
  std::vector<uint8_t> table(list.size() * kPackEntrySize, 0);
  int64_t total = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::unique_ptr<File> f = Files().Open(list[i], FileMode::Read);
    if (!f) return false;
    const int64_t size = f->Size();
    if (size < 0 || kPackHeaderSize + total + size > std::numeric_limits<int32_t>::max())
      return false;
    std::string name = GetFileNamePart(list[i]);
    if (name.size() > kPackNameMax) name.resize(kPackNameMax);
    uint8_t* e = &table[i * kPackEntrySize];
    e[0] = static_cast<uint8_t>(name.size());
    std::memcpy(e + 1, name.data(), name.size());
    Put32(e + 24, static_cast<int32_t>(kPackHeaderSize + total));
    Put32(e + 28, static_cast<int32_t>(kPackHeaderSize + total + size - 1));
    total += size;
    sources.push_back(std::move(f));
  }
  Report(onTotal, total);

  uint8_t header[kPackHeaderSize] = {};
  TDateRec date;
  TTimeRec time;
  GetNowRec(date, time);
  Put32(header + 0, tag);
  Put32(header + 4, static_cast<int32_t>(list.size()));
  Put32(header + 8, date.Day);
  Put32(header + 12, date.Month);
  Put32(header + 16, date.Year);
  Put32(header + 20, time.Hour);
  Put32(header + 24, time.Minute);
  Put32(header + 28, time.Second);
  Put32(header + 32, static_cast<int32_t>(total));

  return ReplaceFile(packName, [&](File& out) {
    if (!out.WriteAt(0, header, sizeof(header))) return false;
    if (!table.empty() && !out.WriteAt(kPackHeaderSize, table.data(), table.size())) return false;
    std::vector<char> buf(kBlock);
    int64_t pos = kPackHeaderSize + static_cast<int64_t>(table.size());
    int64_t done = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const int64_t size = Get32(&table[i * kPackEntrySize + 28]) -
                           Get32(&table[i * kPackEntrySize + 24]) + 1;
      for (int64_t copied = 0; copied < size;) {
        const auto n = static_cast<std::size_t>(std::min<int64_t>(kBlock, size - copied));
        if (sources[i]->ReadAt(copied, buf.data(), n) != static_cast<int64_t>(n)) return false;
        if (!out.WriteAt(pos, buf.data(), n)) return false;
        copied += static_cast<int64_t>(n);
        pos += static_cast<int64_t>(n);
        done += static_cast<int64_t>(n);
        Report(onProgress, done);
      }
    }
    return true;
  });
}

bool UnpackFiles(const std::string& packName, const std::string& destDir,
                 const TProgressProc& onTotal, const TProgressProc& onProgress,
                 std::vector<std::string>* names) {
  if (names) names->clear();
  std::unique_ptr<File> pack = Files().Open(packName, FileMode::Read);
  if (!pack) return false;
  const int64_t packSize = pack->Size();
  uint8_t header[kPackHeaderSize];
  if (packSize < kPackHeaderSize || pack->ReadAt(0, header, sizeof(header)) != kPackHeaderSize)
    return false;
  const int32_t count = Get32(header + 4);
  const int32_t dataSize = Get32(header + 32);
  if (count < 0 || static_cast<int64_t>(count) * kPackEntrySize > packSize - kPackHeaderSize)
    return false;
  const int64_t dataStart = kPackHeaderSize + static_cast<int64_t>(count) * kPackEntrySize;
  std::vector<uint8_t> table(static_cast<std::size_t>(count) * kPackEntrySize);
  if (!table.empty() &&
      pack->ReadAt(kPackHeaderSize, table.data(), table.size()) != static_cast<int64_t>(table.size()))
    return false;

  // Everything is checked before the first file is written.
  std::vector<Entry> entries(static_cast<std::size_t>(count));
  bool sound = dataSize > 0 && dataStart + dataSize <= packSize;
  int64_t offset = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = &table[static_cast<std::size_t>(i) * kPackEntrySize];
    Entry& entry = entries[static_cast<std::size_t>(i)];
    const int len = e[0];
    entry.Name.assign(reinterpret_cast<const char*>(e + 1), std::min(len, kPackNameMax));
    entry.Start = Get32(e + 24);
    entry.End = Get32(e + 28);
    if (names) names->push_back(entry.Name);
    if (len > kPackNameMax || !SafeEntryName(entry.Name)) sound = false;
    if (entry.Start != kPackHeaderSize + offset || entry.Size() < 0) sound = false;
    offset += std::max<int64_t>(0, entry.Size());
  }
  if (!sound || offset > dataSize) return false;

  Report(onTotal, dataSize);
  std::string dir = destDir;
  AddBackslash(dir);
  std::vector<char> buf(kBlock);
  int64_t pos = dataStart;
  int64_t done = 0;
  for (const Entry& entry : entries) {
    const int64_t size = entry.Size();
    const bool ok = ReplaceFile(dir + entry.Name, [&](File& out) {
      for (int64_t copied = 0; copied < size;) {
        const auto n = static_cast<std::size_t>(std::min<int64_t>(kBlock, size - copied));
        if (pack->ReadAt(pos + copied, buf.data(), n) != static_cast<int64_t>(n)) return false;
        if (!out.WriteAt(copied, buf.data(), n)) return false;
        copied += static_cast<int64_t>(n);
        Report(onProgress, done + copied);
      }
      return true;
    });
    if (!ok) return false;
    pos += size;
    done += size;
  }
  return true;
}

bool ReadPackHeader(const std::string& fileName, int32_t& fileCount, TDateRec& date,
                    TTimeRec& time, int32_t& dataSize, int32_t& tag) {
  std::unique_ptr<File> pack = Files().Open(fileName, FileMode::Read);
  uint8_t h[kPackHeaderSize];
  if (!pack || pack->ReadAt(0, h, sizeof(h)) != kPackHeaderSize) return false;
  tag = Get32(h + 0);
  fileCount = Get32(h + 4);
  date.Day = Get32(h + 8);
  date.Month = Get32(h + 12);
  date.Year = Get32(h + 16);
  time.Hour = Get32(h + 20);
  time.Minute = Get32(h + 24);
  time.Second = Get32(h + 28);
  dataSize = Get32(h + 32);
  return true;
}

}  // namespace vm
