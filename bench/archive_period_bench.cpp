// Archiving half of a million records of the sample data's two movement
// tables (goods received, goods sold, 500,000 records each, the sales
// grouped by receipt) and restoring them. The anchors, measured in the same
// run, are the plain work underneath. Archiving: each table read whole, the
// kept records written into it anew and made durable, the moved ones packed
// with the Fused coder (and, as before, the moved records alone read into a
// buffer and packed, and both tables read and written into new tables of
// kept and moved records before packing). Restoring: the packed records
// unpacked with the Fused decoder and each table written anew beside
// itself, put on the disk and renamed over the old one, and the folder
// synced once.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "archive/archive_period.h"
#include "archive/bh_packing.h"
#include "archive/components/arc_streams.h"
#include "archive/components/codec_host.h"
#include "archive/components/crc.h"
#include "archive/components/fused_coder.h"
#include "archive/components/fused_decoder.h"
#include "foundation/values/dates.h"
#include "archive/check/archive_check.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

constexpr int kPerTable = 500000;
const TDateRec kOld{10, 11, 2026}, kNew{10, 12, 2026};
const char* const kCut = "30.11.2026";

// Answers the date and every question.
class BenchUi : public UiServices {
 public:
  int32_t MsgBox(const std::string&, const std::string&, uint32_t) override { return kIdYes; }
  bool InputBox(InputBoxRequest& request) override {
    request.Text = kCut;
    return true;
  }
};

std::string Root() { return "/tmp/velomar_bench_period_" + std::to_string(getpid()) + "/"; }

// The tables are large: they go when the program ends.
struct RemoveRoot {
  ~RemoveRoot() {
    std::error_code ec;
    fs::remove_all(Root(), ec);
  }
} removeRoot;

// A table of the sample data's structure with kPerTable records, the first
// half before the cut date.
void FillLike(const std::string& sample, const std::string& path, int dateField, int groupField) {
  TDBF src;
  src.FileName = sample;
  src.SetReadOnly(true);
  if (!src.Open()) std::abort();
  TDBF t;
  t.FileName = path;
  t.CreateTable();
  for (int i = 0; i < src.FieldCount(); ++i) t.AddField(src.GetFieldDef(i));
  t.WriteStructure();
  src.GoToRecord(1);
  for (int i = 1; i <= kPerTable; ++i) {
    if (src.ReadRecord() < 0) {
      src.GoToRecord(1);
      src.ReadRecord();
    }
    t.GoToRecord(t.RecCount() + 1);
    std::memcpy(t.RecordBytes(), src.RecordBytes(), static_cast<std::size_t>(t.RecordSize()));
    t.SetFieldInt(0, i);
    t.SetFieldDate(dateField, i <= kPerTable / 2 ? kOld : kNew);
    if (groupField >= 0) t.SetFieldInt(groupField, i / 3);
    if (!t.WriteRecord()) std::abort();
  }
  if (!t.Close()) std::abort();
}

struct Setup {
  TUsedBaseList bases;
  TArchiveConfig config;
  TArchiveEnv env;
  std::unique_ptr<TArchivePacker> packer;

  explicit Setup(const std::string& dir) {
    const std::string demo = std::string(VELOMAR_SOURCE_DIR) + "/demo/";
    for (const auto& [alias, file, group] : {std::tuple{"ПРИХОД", "income.dbf", "нет"},
                                              std::tuple{"ПРОДАЖИ", "sales.dbf", "CHECK_NO"}}) {
      TDbaseStructure* b = bases.AddNew();
      b->Alias = Utf8ToCp1251(alias);
      b->FileName = file;
      b->Table.FileName = dir + file;
      TBaseArchive* e = config.AddBase();
      e->Alias = b->Alias;
      e->DateField = "DOC_DATE";
      e->GroupField = Utf8ToCp1251(group);
    }
    config.ID = 1;
    config.Name = "Движение товаров"_w;
    env.Dir = dir;
    env.ConfigFile = dir + "program.ini";
    env.Disk = "/";
    packer = std::make_unique<TArchivePacker>(env.WorkDir());
    env.Packer = packer.get();
  }
  void Prepare() {
    int32_t bad = -1;
    std::string msg;
    if (!CheckConfig(config, bases, bad, msg) || !PrepareAll(config, bases)) std::abort();
  }
};

// The tables once, and the state after archiving them.
const std::string& Template() {
  static const std::string dir = [] {
    const std::string before = Root() + "before/", demo = std::string(VELOMAR_SOURCE_DIR) + "/demo/";
    fs::create_directories(before);
    FillLike(demo + "income.dbf", before + "income.dbf", 1, -1);
    FillLike(demo + "sales.dbf", before + "sales.dbf", 1, 2);
    return before;
  }();
  return dir;
}

void StartFrom(const std::string& from, const std::string& dir) {
  fs::remove_all(dir);
  fs::copy(from, dir, fs::copy_options::recursive);
}

const std::string& Archived() {
  static const std::string dir = [] {
    BenchUi ui;
    InstallUiServices(&ui);
    const std::string work = Root() + "work/", after = Root() + "after/";
    StartFrom(Template(), work);
    Setup s(work);
    s.Prepare();
    if (!ArchivePeriod(s.config, s.env)) std::abort();
    ReleaseAll(s.config);
    StartFrom(work, after);
    InstallUiServices(nullptr);
    return after;
  }();
  return dir;
}

// Each run starts from a copy of the state `from`; only the command is timed.
void TimeCommand(benchmark::State& state, const std::string& from, int32_t archiveNo,
                 bool (*command)(TArchiveConfig&, const TArchiveEnv&)) {
  BenchUi ui;
  InstallUiServices(&ui);
  const std::string dir = Root() + "work/";
  for (auto _ : state) {
    state.PauseTiming();
    StartFrom(from, dir);
    Setup s(dir);
    s.config.ArchiveNo = archiveNo;
    s.Prepare();
    NextArchiveNumber() = 1;
    state.ResumeTiming();
    if (!command(s.config, s.env)) state.SkipWithError("the command failed");
    state.PauseTiming();
    ReleaseAll(s.config);
    state.ResumeTiming();
  }
  InstallUiServices(nullptr);
}

void BM_ArchiveHalfOfAMillionRecords(benchmark::State& state) { TimeCommand(state, Template(), 0, ArchivePeriod); }
BENCHMARK(BM_ArchiveHalfOfAMillionRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RestoreHalfOfAMillionRecords(benchmark::State& state) { TimeCommand(state, Archived(), 1, RestoreFromArchive); }
BENCHMARK(BM_RestoreHalfOfAMillionRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

// v right-aligned in width digits, blanks before.
void RightAligned(char* at, std::size_t width, std::size_t v) {
  char* p = at + width;
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && p > at);
  while (p > at) *--p = ' ';
}

// The width of the former number each archived record carries.
constexpr std::size_t kOldNoWidth = 11;

// The records the archiving moves (dated up to the cut), read once from
// each table of `dir`; `sizes` gets the bytes of each table's share. With
// `numbered`, each record is followed by its former number, as the archive
// holds them.
std::string MovedRecords(const std::string& dir, std::vector<std::size_t>* sizes = nullptr, bool numbered = false) {
  const TDateRec cut = StrToDateRec(kCut);
  std::string moved;
  for (const char* name : {"income.dbf", "sales.dbf"}) {
    const std::size_t before = moved.size();
    TDBF in;
    in.FileName = dir + name;
    in.SetReadOnly(true);
    if (!in.Open()) std::abort();
    const std::size_t size = static_cast<std::size_t>(in.RecordSize());
    in.GoToRecord(1);
    bool error = false;
    for (std::size_t r = 1; in.ReadRecord() >= 0; ++r) {
      if (CompareDateRec(in.GetFieldDate(1, error), cut) == 2) continue;
      moved.append(reinterpret_cast<const char*>(in.RecordBytes()), size);
      if (!numbered) continue;
      moved.append(kOldNoWidth, ' ');
      RightAligned(moved.data() + moved.size() - kOldNoWidth, kOldNoWidth, r);
    }
    if (sizes) sizes->push_back(moved.size() - before);
  }
  return moved;
}

// Bytes held elsewhere, read in place, not copied into a stream first.
class BytesStream : public TCustomMemoryStream32 {
 public:
  explicit BytesStream(std::string_view bytes) {
    SetPointer(reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.data())), static_cast<int32_t>(bytes.size()));
  }
};

std::string Pack(std::string_view bytes) {
  BytesStream src(bytes);
  TMemoryStream32 dst;
  TPlainCodecHost host;
  int64_t packed = 0;
  TFusedCoder().Encode(host, src, dst, packed);
  return std::string(reinterpret_cast<const char*>(dst.Memory()), static_cast<std::size_t>(dst.Size()));
}

std::string ReadWhole(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// A file read whole with plain reads into a block of its size and `spare`
// bytes more, never cleared first.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

FileBytes ReadFileBytes(const std::string& path, std::size_t spare) {
  FileBytes f;
  const int fd = open(path.c_str(), O_RDONLY);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) std::abort();
  f.size = static_cast<std::size_t>(st.st_size);
  f.data.reset(new char[f.size + spare]);
  for (std::size_t got = 0; got < f.size;) {
    const ssize_t k = read(fd, f.data.get() + got, f.size - got);
    if (k <= 0) std::abort();
    got += static_cast<std::size_t>(k);
  }
  close(fd);
  return f;
}

// The anchor: every record read once and written to the kept or the moved
// table, then the moved tables packed.
void BM_AnchorRewriteAndPackTheMovedRecords(benchmark::State& state) {
  const std::string dir = Root() + "anchor/";
  for (auto _ : state) {
    state.PauseTiming();
    StartFrom(Template(), dir);
    state.ResumeTiming();
    std::string moved;
    for (const char* name : {"income.dbf", "sales.dbf"}) {
      TDBF in, kept, gone;
      in.FileName = dir + name;
      if (!in.OpenExclusive()) std::abort();
      kept.FileName = dir + "kept_" + name;
      gone.FileName = dir + "gone_" + name;
      for (TDBF* t : {&kept, &gone}) {
        t->CreateTable();
        for (int i = 0; i < in.FieldCount(); ++i) t->AddField(in.GetFieldDef(i));
        t->WriteStructure();
      }
      const std::size_t size = static_cast<std::size_t>(in.RecordSize());
      in.GoToRecord(1);
      for (int32_t r = 1; r <= in.RecCount(); ++r) {
        if (in.ReadRecord() < 0) std::abort();
        bool error = false;
        TDBF& out = CompareDateRec(in.GetFieldDate(1, error), StrToDateRec(kCut)) == 2 ? kept : gone;
        std::memcpy(out.RecordBytes(), in.RecordBytes(), size);
        if (!out.WriteRecord()) std::abort();
      }
      if (!kept.Close() || !gone.Close()) std::abort();
      in.Close();
      moved += ReadWhole(dir + "gone_" + name);
    }
    benchmark::DoNotOptimize(Pack(moved).size());
  }
}
BENCHMARK(BM_AnchorRewriteAndPackTheMovedRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AnchorPackTheMovedRecordsFromABuffer(benchmark::State& state) {
  const std::string& dir = Template();
  std::size_t packed = 0;
  for (auto _ : state) packed = Pack(MovedRecords(dir)).size();
  state.counters["packed"] = static_cast<double>(packed);
}
BENCHMARK(BM_AnchorPackTheMovedRecordsFromABuffer)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of the archiving as a one-off program does the same work: each
// table read whole and its records split by their date into those kept
// (numbered anew, closed up in place) and those moved (each with its former
// number, into a block sized for every record of both tables); the kept
// ones written beside the table, put on the disk and renamed over it, the
// folder synced once; the moved ones packed.
void BM_AnchorPackMovedAndWriteKeptTables(benchmark::State& state) {
  const std::string dir = Root() + "anchor_kept/";
  const std::string cut = "20261130";
  const char* const names[] = {"income.dbf", "sales.dbf"};
  for (auto _ : state) {
    state.PauseTiming();
    StartFrom(Template(), dir);
    state.ResumeTiming();
    // The end mark goes behind the kept records: one byte to spare.
    FileBytes tables[2];
    std::size_t most = 0;
    for (std::size_t t = 0; t < 2; ++t) {
      tables[t] = ReadFileBytes(dir + names[t], 1);
      const auto* h = reinterpret_cast<const unsigned char*>(tables[t].data.get());
      const std::size_t size = h[10] | h[11] << 8;
      const std::size_t count = h[4] | h[5] << 8 | h[6] << 16 | std::size_t{h[7]} << 24;
      most += count * (size + kOldNoWidth);
    }
    const std::unique_ptr<char[]> movedBlock(new char[most]);
    char* moved = movedBlock.get();
    for (std::size_t t = 0; t < 2; ++t) {
      const std::string path = dir + names[t];
      char* const bytes = tables[t].data.get();
      const auto* h = reinterpret_cast<const unsigned char*>(bytes);
      const std::size_t header = h[8] | h[9] << 8, size = h[10] | h[11] << 8;
      const std::size_t count = h[4] | h[5] << 8 | h[6] << 16 | std::size_t{h[7]} << 24;
      // The date is the second field, after the deletion mark and the first.
      const std::size_t dateAt = 1 + h[32 + 16];
      // What the archive must hold and the kept table show: each moved
      // record with its former number beside it, as the archive's last
      // field, and the kept ones numbered anew (NO__ is the first field).
      const std::size_t noWidth = h[32 + 16];
      char* const records = bytes + header;
      std::size_t keptCount = 0;
      for (std::size_t r = 0; r < count; ++r) {
        const char* record = records + r * size;
        if (std::memcmp(record + dateAt, cut.data(), 8) <= 0) {
          std::memcpy(moved, record, size);
          RightAligned(moved + size, kOldNoWidth, r + 1);
          moved += size + kOldNoWidth;
        } else {
          char* to = records + keptCount++ * size;
          if (to != record) std::memcpy(to, record, size);
          RightAligned(to + 1, noWidth, keptCount);
        }
      }
      const auto keptRecords = static_cast<uint32_t>(keptCount);
      std::memcpy(bytes + 4, &keptRecords, 4);
      records[keptCount * size] = '\x1a';
      const std::size_t length = header + keptCount * size + 1;
      const std::string temp = path + ".new";
      const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || write(fd, bytes, length) != static_cast<ssize_t>(length) || fdatasync(fd) != 0 ||
          close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0)
        std::abort();
    }
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0 || close(folder) != 0) std::abort();
    const auto movedBytes = static_cast<std::size_t>(moved - movedBlock.get());
    benchmark::DoNotOptimize(Pack(std::string_view(movedBlock.get(), movedBytes)).size());
  }
}
BENCHMARK(BM_AnchorPackMovedAndWriteKeptTables)->Unit(benchmark::kMillisecond)->Iterations(3);

// What bounds the archiving from below: the combined file the archive must
// hold (the moved records with their former numbers, behind the file's own
// header), taken from an archive the program made and coded alone, from a
// buffer, with nothing read or written around it.
void BM_PackTheCombinedFileOnly(benchmark::State& state) {
  static const std::string combined = [] {
    const std::string out = Root() + "combined/";
    fs::create_directories(out);
    std::string archive;
    for (const auto& entry : fs::directory_iterator(Archived() + "ARCHIVE/"))
      if (entry.path().extension() == ".BH") archive = entry.path().string();
    BenchUi ui;
    InstallUiServices(&ui);
    TArchivePacker packer(out);
    if (archive.empty() || !packer.UnpackArchive(archive)) std::abort();
    InstallUiServices(nullptr);
    for (const auto& entry : fs::directory_iterator(out))
      if (entry.path().extension() == ".CAF") return ReadWhole(entry.path().string());
    std::abort();
  }();
  std::size_t packed = 0;
  for (auto _ : state) packed = Pack(combined).size();
  state.counters["bytes"] = static_cast<double>(combined.size());
  state.counters["packed"] = static_cast<double>(packed);
}
BENCHMARK(BM_PackTheCombinedFileOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// The packed records unpacked into dst, which must come to size bytes.
void Unpack(const std::string& packed, std::size_t size, TMemoryStream32& dst) {
  BytesStream src(packed);
  dst.SetCapacity(static_cast<int32_t>(size));
  TPlainCodecHost host;
  TFusedDecoder decoder;
  decoder.Init(kCrc32, 15, 5, 0);
  decoder.Decode(host, src, dst, src.GetSize(), static_cast<int64_t>(size));
  if (dst.Size() != static_cast<int64_t>(size)) std::abort();
}

// A kept table as it stands after the archiving (header, records, end
// mark), open for reading, with its header read whole.
struct KeptTable {
  int in = -1;
  std::string head;
  std::size_t record = 0;
  uint32_t count = 0;
};

KeptTable OpenKept(const std::string& path) {
  KeptTable t;
  t.in = open(path.c_str(), O_RDONLY);
  unsigned char h[32];
  if (t.in < 0 || pread(t.in, h, sizeof h, 0) != 32) std::abort();
  t.head.resize(h[8] | std::size_t{h[9]} << 8);
  t.record = h[10] | std::size_t{h[11]} << 8;
  if (pread(t.in, t.head.data(), t.head.size(), 0) != static_cast<ssize_t>(t.head.size())) std::abort();
  std::memcpy(&t.count, &t.head[4], 4);
  return t;
}

// The anchor, the floor of the same work: the moved records unpacked once
// into a block of their size, and each table written anew beside itself
// from its header, its restored records and its kept records (copied from
// the old file by the system, never through a buffer of ours), put on the
// disk and renamed over the old one; the folder synced once after the
// renames.
void BM_AnchorUnpackAndRewriteTheTables(benchmark::State& state) {
  std::vector<std::size_t> sizes;
  const std::string moved = MovedRecords(Template(), &sizes);
  const std::string packed = Pack(moved);
  const std::string dir = Root() + "anchor/";
  for (auto _ : state) {
    state.PauseTiming();
    StartFrom(Archived(), dir);
    state.ResumeTiming();
    TMemoryStream32 dst;
    Unpack(packed, moved.size(), dst);
    const char* restored = reinterpret_cast<const char*>(dst.Memory());
    std::size_t table = 0;
    for (const char* name : {"income.dbf", "sales.dbf"}) {
      const std::string path = dir + name;
      KeptTable kept = OpenKept(path);
      const int in = kept.in;
      std::string& head = kept.head;
      const std::size_t header = head.size();
      const auto count = static_cast<uint32_t>(kept.count + sizes[table] / kept.record);
      std::memcpy(&head[4], &count, 4);
      const std::string temp = path + ".new";
      const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || write(out, head.data(), header) != static_cast<ssize_t>(header) ||
          write(out, restored, sizes[table]) != static_cast<ssize_t>(sizes[table]))
        std::abort();
      restored += sizes[table++];
      loff_t from = static_cast<loff_t>(header);
      for (ssize_t n; (n = copy_file_range(in, &from, out, nullptr, std::size_t{1} << 30, 0)) != 0;)
        if (n < 0) std::abort();
      if (fdatasync(out) != 0 || close(out) != 0 || close(in) != 0 || rename(temp.c_str(), path.c_str()) != 0)
        std::abort();
    }
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0 || close(folder) != 0) std::abort();
  }
}
BENCHMARK(BM_AnchorUnpackAndRewriteTheTables)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of the restore as a one-off program does the same work: the
// archive's records unpacked (each with its former number, as the archive
// holds them) into a block of their size; each kept table read whole and
// written anew beside itself with the restored records back in their
// former places among the kept ones, every record numbered anew, put on
// the disk and renamed over the old one; the folder synced once.
void BM_AnchorUnpackAndMergeByFormerNumbers(benchmark::State& state) {
  std::vector<std::size_t> sizes;
  const std::string moved = MovedRecords(Template(), &sizes, true);
  const std::string packed = Pack(moved);
  const std::string dir = Root() + "anchor_merged/";
  const auto number = [](const char* p, std::size_t width) {
    std::size_t v = 0;
    for (std::size_t i = 0; i < width; ++i)
      if (p[i] != ' ') v = v * 10 + static_cast<std::size_t>(p[i] - '0');
    return v;
  };
  for (auto _ : state) {
    state.PauseTiming();
    StartFrom(Archived(), dir);
    state.ResumeTiming();
    TMemoryStream32 dst;
    Unpack(packed, moved.size(), dst);
    const char* restored = reinterpret_cast<const char*>(dst.Memory());
    std::size_t table = 0;
    for (const char* name : {"income.dbf", "sales.dbf"}) {
      const std::string path = dir + name;
      KeptTable kept = OpenKept(path);
      const int in = kept.in;
      std::string& head = kept.head;
      const std::size_t header = head.size(), size = kept.record, keptCount = kept.count;
      const std::size_t noWidth = static_cast<unsigned char>(head[32 + 16]);
      const std::size_t back = sizes[table++] / (size + kOldNoWidth);
      const auto count = static_cast<uint32_t>(keptCount + back);
      std::memcpy(head.data() + 4, &count, 4);
      const std::string temp = path + ".new";
      const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || write(fd, head.data(), header) != static_cast<ssize_t>(header)) std::abort();
      // The kept records come in and the table goes out a block at a time.
      const std::size_t perBlock = (std::size_t{1} << 20) / size;
      std::vector<char> inBlock(perBlock * size), outBlock(perBlock * size + 1);
      std::size_t a = 0, k = 0, held = 0, inHeld = 0, inAt = 0, used = 0;
      for (std::size_t n = 1; a < back || k < keptCount; ++n) {
        const char* from = restored + a * (size + kOldNoWidth);
        char* to = outBlock.data() + used;
        if (a < back && (k == keptCount || number(from + size, kOldNoWidth) <= n)) {
          std::memcpy(to, from, size);
          ++a;
        } else {
          if (inAt == inHeld) {
            const std::size_t want = std::min(perBlock, keptCount - k) * size;
            if (read(in, inBlock.data(), want) != static_cast<ssize_t>(want)) std::abort();
            inHeld = want / size, inAt = 0;
          }
          std::memcpy(to, inBlock.data() + inAt++ * size, size);
          ++k;
        }
        RightAligned(to + 1, noWidth, n);
        used += size;
        if (++held == perBlock) {
          if (write(fd, outBlock.data(), used) != static_cast<ssize_t>(used)) std::abort();
          held = used = 0;
        }
      }
      outBlock[used++] = '\x1a';
      restored += back * (size + kOldNoWidth);
      if (write(fd, outBlock.data(), used) != static_cast<ssize_t>(used) || fdatasync(fd) != 0 || close(fd) != 0 ||
          close(in) != 0 || rename(temp.c_str(), path.c_str()) != 0)
        std::abort();
    }
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0 || close(folder) != 0) std::abort();
  }
}
BENCHMARK(BM_AnchorUnpackAndMergeByFormerNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
