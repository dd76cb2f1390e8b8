// The reference-book window's logic over a goods book of 10,000, 100,000 and
// 1,000,000 rows (the sample configuration with a bigger goods table): the
// tab ready (loaded and sorted by name), a character typed into the search,
// the first one after the tab opened, and the book saved whole.
//
// The floor of opening the tab is what the window must do before it shows,
// as a competent one-off program does it: the table file read whole, the
// sort key of the shown order made (each name's collation key) and the rows
// sorted stably by it. Opening, saving and the floor report the peak of
// resident memory they added (peak_MB) beside the table file (file_MB).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "bench/plain_text.h"
#include "models/sprav_form_logic.h"
#include "foundation/tables/string_base.h"
#include "foundation/text/collation.h"
#include "platform/encoding.h"
#include "models/startup.h"
#include "models/string_table.h"
#include "tests/support/demo_goods.h"

namespace vm {
namespace {

// --- Resident memory ----------------------------------------------------------------

int64_t StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(key);
  while (std::getline(status, line))
    if (line.compare(0, n, key) == 0 && line.size() > n && line[n] == ':') return std::atoll(line.c_str() + n + 1);
  return -1;
}

// The resident memory Work adds to the process, in bytes: at its peak, and
// what stays when it is done. Freed heap is handed back before and after,
// so that memory reused by Work counts, and memory it freed does not stay.
struct Resident {
  double Peak = 0;
  double Held = 0;
};

template <class Work>
Resident ResidentAdded(Work&& work) {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const int64_t before = StatusKb("VmRSS");
  work();
  const int64_t peak = StatusKb("VmHWM");
  malloc_trim(0);
  return {static_cast<double>(peak - before) * 1024, static_cast<double>(StatusKb("VmRSS") - before) * 1024};
}

void ReportMemory(benchmark::State& state, const Resident& added, const std::string& file) {
  const double size = static_cast<double>(std::filesystem::file_size(file));
  state.counters["peak_MB"] = added.Peak / 1e6;
  state.counters["held_MB"] = added.Held / 1e6;
  state.counters["file_MB"] = size / 1e6;
  state.counters["peak_per_file"] = added.Peak / size;
}

// --- The book -------------------------------------------------------------------------

// The sample data in a folder of its own; goods tables of any size beside it,
// made once, and the goods base pointed at one of them.
class BigBook {
 public:
  BigBook() {
    char pattern[] = "/tmp/velomar_sprav_bench_XXXXXX";
    dir_ = mkdtemp(pattern);
    for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      std::filesystem::copy_file(e.path(), std::filesystem::path(dir_) / e.path().filename());
    ::setenv("VELOMAR_HOME", dir_.c_str(), 1);
    InitProgramDirectory();
    SetCommandLine(0, nullptr);
    if (StartUp() != 0) std::abort();
    UnlockBases();
  }
  ~BigBook() {
    ShutDown();
    std::filesystem::remove_all(dir_);
  }

  // The goods base reads a table of that many rows from now on; its path.
  const std::string& UseGoods(int32_t rows) {
    std::string& path = made_[rows];
    if (path.empty()) {
      path = dir_ + "/goods_" + std::to_string(rows) + ".dbf";
      std::filesystem::copy_file(dir_ + "/goods.dbf", path);
      if (!test::GrowDemoGoods(path, rows)) std::abort();
    }
    TDBF& table = Goods();
    if (table.FileName != path) {
      table.Close();
      table.FileName = path;
    }
    return path;
  }

  // A table of that many rows in the order they were made, not the book's,
  // put anew in its place (as no save has left it) and read by the goods
  // base from now on; its path.
  std::string UseFreshUnsortedGoods(int32_t rows) {
    const std::string made = dir_ + "/unsorted_" + std::to_string(rows) + ".dbf";
    if (!std::filesystem::exists(made)) {
      std::filesystem::copy_file(dir_ + "/goods.dbf", made);
      if (!test::GrowDemoGoods(made, rows)) std::abort();
    }
    const std::string path = dir_ + "/goods_first_save_" + std::to_string(rows) + ".dbf";
    Goods().Close();
    std::filesystem::copy_file(made, path + ".new", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::rename(path + ".new", path);
    Goods().FileName = path;
    return path;
  }

 private:
  static TDBF& Goods() { return Settings().Bases.FindByAlias("ТОВАРЫ"_w)->Table; }

  std::string dir_;
  std::map<int32_t, std::string> made_;
};

BigBook& Book() {
  static BigBook book;
  return book;
}

int32_t Rows(const benchmark::State& state) { return static_cast<int32_t>(state.range(0)); }

// --- The floor: plain read, keys and sort ------------------------------------------------

namespace plain {

struct Field {
  char Type;
  int Offset, Length, Decimals;
};

// What a plain program keeps of a table: every field of every row parsed
// (numbers scaled to whole units of their last decimal, texts trimmed and in
// 1251 in one arena as offset and length), and the row order.
struct Table {
  std::vector<Field> Fields;
  std::vector<int64_t> Values;  // row by row, a value per field
  std::string Texts;
  std::vector<int32_t> Order;
};

int64_t Scaled(const char* p, int length) {
  int64_t v = 0;
  bool negative = false;
  for (const char* e = p + length; p < e; ++p) {
    if (*p >= '0' && *p <= '9') v = v * 10 + (*p - '0');
    else if (*p == '-') negative = true;
  }
  return negative ? -v : v;
}

// The table at Path read and sorted by the text field SortField.
bool ReadKeysSort(const std::string& path, const char* sortField, Table& t) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  unsigned char h[32];
  if (read(fd, h, 32) != 32) return false;
  const int n = h[4] | h[5] << 8 | h[6] << 16 | h[7] << 24;
  const int headerSize = h[8] | h[9] << 8, recordSize = h[10] | h[11] << 8;
  std::vector<unsigned char> descriptors(static_cast<size_t>(headerSize - 32));
  if (read(fd, descriptors.data(), descriptors.size()) != static_cast<ssize_t>(descriptors.size())) return false;
  int sortAt = -1;
  for (size_t d = 0, offset = 1; d + 32 <= descriptors.size() && descriptors[d] != 0x0d; d += 32) {
    const unsigned char* f = &descriptors[d];
    if (std::strcmp(reinterpret_cast<const char*>(f), sortField) == 0) sortAt = static_cast<int>(t.Fields.size());
    t.Fields.push_back({static_cast<char>(f[11]), static_cast<int>(offset), f[16], f[17]});
    offset += f[16];
  }
  if (sortAt < 0) return false;
  const bench::To1251 to1251;
  const size_t fields = t.Fields.size();
  t.Values.resize(static_cast<size_t>(n) * fields);
  t.Texts.reserve(static_cast<size_t>(n) * 32);
  const size_t per = (1 << 20) / static_cast<size_t>(recordSize);
  std::vector<char> block(per * static_cast<size_t>(recordSize));
  for (int done = 0; done < n;) {
    const size_t want = std::min(static_cast<size_t>(n - done), per);
    const size_t bytes = want * static_cast<size_t>(recordSize);
    for (size_t got = 0; got < bytes;) {
      const ssize_t k = read(fd, block.data() + got, bytes - got);
      if (k <= 0) return false;
      got += static_cast<size_t>(k);
    }
    for (size_t i = 0; i < want; ++i) {
      const char* r = block.data() + i * static_cast<size_t>(recordSize);
      int64_t* v = &t.Values[(static_cast<size_t>(done) + i) * fields];
      for (size_t j = 0; j < fields; ++j) {
        const Field& f = t.Fields[j];
        const char* p = r + f.Offset;
        if (f.Type != 'C') {
          v[j] = Scaled(p, f.Length);
          continue;
        }
        int b = 0, e = f.Length;
        while (e > 0 && p[e - 1] == ' ') --e;
        while (b < e && p[b] == ' ') ++b;
        const size_t at = t.Texts.size();
        for (int k = b; k < e; ++k) t.Texts.push_back(static_cast<char>(to1251.at[static_cast<unsigned char>(p[k])]));
        v[j] = static_cast<int64_t>(at) << 8 | (e - b);
      }
    }
    done += static_cast<int>(want);
  }
  close(fd);

  // Each name's collation key in one arena; the rows sorted as small
  // entries whose first sixteen key bytes decide most comparisons.
  static const std::array<unsigned char, 256> order = bench::CollationOrder();
  struct Entry {
    uint64_t Head, Tail;
    uint32_t At, Length;
    int32_t Row;
  };
  std::string keys;
  keys.reserve(t.Texts.size() / 2);
  std::vector<Entry> entries(static_cast<size_t>(n));
  for (size_t i = 0; i < entries.size(); ++i) {
    const int64_t text = t.Values[i * fields + static_cast<size_t>(sortAt)];
    const char* s = t.Texts.data() + (text >> 8);
    Entry& e = entries[i];
    e = {0, 0, static_cast<uint32_t>(keys.size()), static_cast<uint32_t>(text & 0xff), static_cast<int32_t>(i)};
    for (uint32_t j = 0; j < e.Length; ++j) keys.push_back(static_cast<char>(order[static_cast<unsigned char>(s[j])]));
    for (uint32_t j = 0; j < 16; ++j) {
      uint64_t& word = j < 8 ? e.Head : e.Tail;
      word = word << 8 | (j < e.Length ? static_cast<unsigned char>(keys[e.At + j]) : 0u);
    }
  }
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    if (a.Head != b.Head) return a.Head < b.Head;
    if (a.Tail != b.Tail) return a.Tail < b.Tail;
    const int c = std::string_view(keys).substr(a.At, a.Length).compare(std::string_view(keys).substr(b.At, b.Length));
    return c < 0 || (c == 0 && a.Row < b.Row);
  });
  t.Order.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) t.Order[i] = entries[i].Row;
  return true;
}

// A row's place in the order of a text field: the first sixteen bytes of
// its collation key, which decide most comparisons, and the whole key in an
// arena.
struct KeyEntry {
  uint64_t Head, Tail;
  uint32_t At, Length;
  int32_t Row;
};

// The field's text at p (length bytes) trimmed, turned from 866 straight
// into the Russian order and appended to keys; its entry.
inline KeyEntry NameKey(const char* p, size_t length, const std::array<unsigned char, 256>& key866, std::string& keys,
                        int32_t row) {
  size_t b = 0, e = length;
  while (e > 0 && p[e - 1] == ' ') --e;
  while (b < e && p[b] == ' ') ++b;
  KeyEntry entry{0, 0, static_cast<uint32_t>(keys.size()), static_cast<uint32_t>(e - b), row};
  for (size_t k = b; k < e; ++k) keys.push_back(static_cast<char>(key866[static_cast<unsigned char>(p[k])]));
  for (uint32_t j = 0; j < 16; ++j) {
    uint64_t& word = j < 8 ? entry.Head : entry.Tail;
    word = word << 8 | (j < entry.Length ? static_cast<unsigned char>(keys[entry.At + j]) : 0u);
  }
  return entry;
}

inline std::array<unsigned char, 256> Key866() {
  std::array<unsigned char, 256> key866{};
  const bench::To1251 to1251;
  const std::array<unsigned char, 256> collation = bench::CollationOrder();
  for (size_t c = 0; c < 256; ++c) key866[c] = collation[to1251.at[c]];
  return key866;
}

inline void StableSortKeys(std::vector<KeyEntry>& entries, const std::string& keys) {
  const std::string_view all(keys);
  std::stable_sort(entries.begin(), entries.end(), [&](const KeyEntry& a, const KeyEntry& b) {
    if (a.Head != b.Head) return a.Head < b.Head;
    if (a.Tail != b.Tail) return a.Tail < b.Tail;
    return all.substr(a.At, a.Length) < all.substr(b.At, b.Length);
  });
}

// A table file held whole, as read; where its records and a text field lie.
struct WholeTable {
  std::unique_ptr<char[]> File;
  size_t Size = 0, Count = 0, HeaderSize = 0, RecordSize = 0;

  const char* Record(size_t i) const { return File.get() + HeaderSize + i * RecordSize; }
  // The offset and length of the field named so; 0 and 0 when there is none.
  std::pair<size_t, size_t> Field(const char* name) const {
    const auto* h = reinterpret_cast<const unsigned char*>(File.get());
    for (size_t d = 32, offset = 1; d + 32 <= HeaderSize && h[d] != 0x0d; d += 32) {
      if (std::strcmp(reinterpret_cast<const char*>(h + d), name) == 0) return {offset, h[d + 16]};
      offset += h[d + 16];
    }
    return {0, 0};
  }
};

bool ReadWhole(const std::string& path, WholeTable& t) {
  const int fd = open(path.c_str(), O_RDONLY);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || st.st_size < 32) return false;
  t.Size = static_cast<size_t>(st.st_size);
  t.File.reset(new char[t.Size]);
  for (size_t got = 0; got < t.Size;) {
    const ssize_t k = read(fd, t.File.get() + got, t.Size - got);
    if (k <= 0) return false;
    got += static_cast<size_t>(k);
  }
  close(fd);
  const auto* h = reinterpret_cast<const unsigned char*>(t.File.get());
  t.Count = static_cast<size_t>(h[4] | h[5] << 8 | h[6] << 16 | h[7] << 24);
  t.HeaderSize = static_cast<size_t>(h[8] | h[9] << 8), t.RecordSize = static_cast<size_t>(h[10] | h[11] << 8);
  return t.HeaderSize + t.Count * t.RecordSize <= t.Size;
}

// The rows of the table at Path in the order of the text field SortField:
// the file read whole, each row's collation key (trimmed, from 866 straight
// into the Russian order) in one arena, the rows sorted stably as small
// entries whose first sixteen key bytes decide most comparisons.
bool ReadWholeKeysStableSort(const std::string& path, const char* sortField, std::vector<int32_t>& order) {
  WholeTable t;
  if (!ReadWhole(path, t)) return false;
  const auto [at, length] = t.Field(sortField);
  if (length == 0) return false;
  const std::array<unsigned char, 256> key866 = Key866();
  std::string keys;
  keys.reserve(t.Count * length / 2);
  std::vector<KeyEntry> entries;
  entries.reserve(t.Count);
  for (size_t i = 0; i < t.Count; ++i) {
    const char* r = t.Record(i);
    if (*r == '*') continue;
    entries.push_back(NameKey(r + at, length, key866, keys, static_cast<int32_t>(i)));
  }
  StableSortKeys(entries, keys);
  order.resize(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].Row;
  return true;
}

// v right-aligned in width w, blanks before.
inline void RightAligned(char* p, size_t w, size_t v) {
  char* e = p + w;
  do {
    *--e = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && e > p);
  while (e > p) *--e = ' ';
}

// The save of a table held whole, its rows shown in `shown` order: the
// rows sorted stably by the field's keys, made in the shown order; the
// records written in that order a megabyte at a time beside the file,
// numbered anew, put on the disk and renamed over the file; the folder
// synced once.
bool SortAndWriteBeside(const WholeTable& t, const std::vector<int32_t>& shown, const char* sortField,
                        const std::string& path) {
  const auto [at, length] = t.Field(sortField);
  const auto [noAt, noLength] = t.Field("NO__");
  if (length == 0 || noLength == 0) return false;
  static const std::array<unsigned char, 256> key866 = Key866();
  std::string keys;
  keys.reserve(shown.size() * length / 2);
  std::vector<KeyEntry> entries;
  entries.reserve(shown.size());
  // The rows lie in the file's order, not the shown one: each is asked for
  // from memory a few rows before it is read.
  constexpr size_t kAhead = 8;
  const auto record = [&](size_t i) { return t.Record(static_cast<size_t>(shown[i])); };
  for (size_t i = 0; i < shown.size(); ++i) {
    if (i + kAhead < shown.size()) __builtin_prefetch(record(i + kAhead) + at);
    entries.push_back(NameKey(record(i) + at, length, key866, keys, shown[i]));
  }
  StableSortKeys(entries, keys);

  const std::string temp = path + ".new";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::string head(t.File.get(), t.HeaderSize);
  const auto count = static_cast<uint32_t>(entries.size());
  std::memcpy(head.data() + 4, &count, 4);
  bool ok = write(fd, head.data(), head.size()) == static_cast<ssize_t>(head.size());
  const size_t size = t.RecordSize, perBlock = (size_t{1} << 20) / size;
  const std::unique_ptr<char[]> block(new char[perBlock * size + 1]);
  size_t used = 0;
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    if (i + kAhead < entries.size()) {
      const char* ahead = t.Record(static_cast<size_t>(entries[i + kAhead].Row));
      __builtin_prefetch(ahead);
      __builtin_prefetch(ahead + size - 1);
    }
    char* to = block.get() + used;
    std::memcpy(to, t.Record(static_cast<size_t>(entries[i].Row)), size);
    to[0] = ' ';
    RightAligned(to + noAt, noLength, i + 1);
    used += size;
    if (used == perBlock * size) {
      ok = write(fd, block.get(), used) == static_cast<ssize_t>(used);
      used = 0;
    }
  }
  block[used++] = '\x1a';
  ok = ok && write(fd, block.get(), used) == static_cast<ssize_t>(used) && fdatasync(fd) == 0;
  ok = close(fd) == 0 && ok && rename(temp.c_str(), path.c_str()) == 0;
  const std::string folder = path.substr(0, path.find_last_of('/') + 1);
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir < 0) return false;
  ok = fsync(dir) == 0 && ok;
  return close(dir) == 0 && ok;
}

}  // namespace plain

// --- Benchmarks ---------------------------------------------------------------------------------

void BM_SpravAnchorTableLoad(benchmark::State& state) {
  TDBF dbf;
  const std::string path = Book().UseGoods(Rows(state));
  dbf.FileName = path;
  TStringBase table(&dbf);
  const Resident added = ResidentAdded([&] {
    if (!table.LoadAll()) std::abort();
  });
  for (auto _ : state)
    if (!table.LoadAll()) std::abort();
  state.counters["rows"] = table.Count();
  ReportMemory(state, added, path);
}
BENCHMARK(BM_SpravAnchorTableLoad)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Anchor_SpravPlainReadKeysSort(benchmark::State& state) {
  const std::string path = Book().UseGoods(Rows(state));
  plain::Table kept;
  const Resident added = ResidentAdded([&] {
    if (!plain::ReadKeysSort(path, "NAME", kept)) std::abort();
  });
  kept = {};
  for (auto _ : state) {
    plain::Table t;
    if (!plain::ReadKeysSort(path, "NAME", t)) std::abort();
    benchmark::DoNotOptimize(t.Order.data());
    state.PauseTiming();
    t = {};
    state.ResumeTiming();
  }
  ReportMemory(state, added, path);
}
BENCHMARK(BM_Anchor_SpravPlainReadKeysSort)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The floor of the open: the file read whole, the names' keys, a stable sort.
void BM_Anchor_SpravReadWholeNameKeysStableSort(benchmark::State& state) {
  const std::string path = Book().UseGoods(Rows(state));
  const Resident added = ResidentAdded([&] {
    std::vector<int32_t> order;
    if (!plain::ReadWholeKeysStableSort(path, "NAME", order)) std::abort();
  });
  for (auto _ : state) {
    std::vector<int32_t> order;
    if (!plain::ReadWholeKeysStableSort(path, "NAME", order)) std::abort();
    benchmark::DoNotOptimize(order.data());
  }
  ReportMemory(state, added, path);
}
BENCHMARK(BM_Anchor_SpravReadWholeNameKeysStableSort)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The window opening: every tab built, the goods loaded and sorted by name.
void BM_SpravTabReady(benchmark::State& state) {
  const std::string path = Book().UseGoods(Rows(state));
  TSpravFormLogic logic(Settings());
  const Resident added = ResidentAdded([&] { logic.Show(); });
  for (auto _ : state) {
    state.PauseTiming();
    logic.Hide();
    state.ResumeTiming();
    logic.Show();
    benchmark::DoNotOptimize(logic.Tab(0)->View.RowCount());
  }
  state.counters["rows"] = logic.Tab(0)->View.RowCount();
  ReportMemory(state, added, path);
}
BENCHMARK(BM_SpravTabReady)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The first character typed into the search after the window opened, in the
// name column (the one the rows are sorted by) and in the code column.
void BM_SpravFirstTypedCharacter(benchmark::State& state) {
  Book().UseGoods(Rows(state));
  const int32_t col = static_cast<int32_t>(state.range(1));
  const std::string typed = col == 1 ? "С"_w : "7";
  TSpravFormLogic logic(Settings());
  for (auto _ : state) {
    state.PauseTiming();
    logic.Show();
    logic.Tab(0)->View.SetCol(col);
    state.ResumeTiming();
    logic.SearchChanged(typed);
  }
}
BENCHMARK(BM_SpravFirstTypedCharacter)
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_SpravFirstTypedCharacter)->Args({1000000, 1})->Args({1000000, 0})->Unit(benchmark::kMillisecond)->Iterations(3);

// A text typed into the code column that no code among the first rows
// starts with (nor any code at all, whole): the search reads past them and
// indexes the column, once.
void BM_SpravFirstRareTypedText(benchmark::State& state) {
  Book().UseGoods(Rows(state));
  TSpravFormLogic logic(Settings());
  for (auto _ : state) {
    state.PauseTiming();
    logic.Show();
    logic.Tab(0)->View.SetCol(0);
    state.ResumeTiming();
    logic.SearchChanged("99999999");
  }
}
BENCHMARK(BM_SpravFirstRareTypedText)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SpravFirstRareTypedText)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// --- The floors of a character typed into the book --------------------------------------

// The texts of column Col of the book of that many rows, in the order the
// tab shows them, held as a plain program holds them.
const std::vector<std::string>& ShownTexts(int32_t rows, int32_t col) {
  static std::map<std::pair<int32_t, int32_t>, std::vector<std::string>> made;
  std::vector<std::string>& texts = made[{rows, col}];
  if (texts.empty()) {
    Book().UseGoods(rows);
    TSpravFormLogic logic(Settings());
    logic.Show();
    const TStringTable& t = logic.Tab(0)->View.Table();
    std::string scratch;
    texts.reserve(static_cast<size_t>(t.Count()));
    for (int32_t r = 0; r < t.Count(); ++r) texts.emplace_back(t.ReadCellText(col, r, scratch));
  }
  return texts;
}

// The row sharing the longest prefix with the typed text, letters without
// case, the first such row winning: a walk from the first row that stops at
// a row sharing all of it.
int32_t WalkBestPrefix(const std::vector<std::string>& texts, std::string_view typed) {
  const std::string upper = UpperText1251(typed);
  int32_t best = -1;
  size_t most = 0;
  for (size_t r = 0; r < texts.size() && most < upper.size(); ++r) {
    const std::string& text = texts[r];
    size_t i = 0;
    while (i < upper.size() && i < text.size() && UpperChar1251(text[i]) == upper[i]) ++i;
    if (i > most) best = static_cast<int32_t>(r), most = i;
  }
  return best;
}

// The code column, as BM_SpravFirstTypedCharacter/N/0 (the text "7") and
// BM_SpravFirstRareTypedText (the text "99999999") type into it.
void BM_Anchor_SpravWalkRows(benchmark::State& state) {
  const std::vector<std::string>& codes = ShownTexts(Rows(state), 0);
  const std::string typed = state.range(1) == 0 ? "7" : "99999999";
  for (auto _ : state) benchmark::DoNotOptimize(WalkBestPrefix(codes, typed));
}
BENCHMARK(BM_Anchor_SpravWalkRows)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({1000000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMicrosecond);

// The same walk for the rare text over the rows as the open's floor holds
// them: the file's records whole, read in their order, the code of each
// without its blanks; the first row shown among those sharing the most is
// then found along the rows' order.
void BM_Anchor_SpravWalkRecords(benchmark::State& state) {
  const std::string path = Book().UseGoods(Rows(state));
  plain::WholeTable table;
  std::vector<int32_t> shown;
  if (!plain::ReadWhole(path, table) || !plain::ReadWholeKeysStableSort(path, "NAME", shown)) std::abort();
  const auto [at, length] = table.Field("CODE");
  const std::string_view typed = "99999999";
  std::vector<size_t> most;
  std::vector<bool> marked(table.Count);
  for (auto _ : state) {
    size_t shared = 0;
    most.clear();
    for (size_t i = 0; i < table.Count; ++i) {
      const char* r = table.Record(i);
      if (*r == '*') continue;
      const char* p = r + at;
      size_t b = 0;
      while (b < length && p[b] == ' ') ++b;
      size_t k = 0;
      while (k < typed.size() && b + k < length && p[b + k] == typed[k]) ++k;
      if (k > shared) {
        shared = k;
        most.clear();
      }
      if (k == shared && k > 0) most.push_back(i);
    }
    for (const size_t i : most) marked[i] = true;
    int32_t row = -1;
    for (size_t k = 0; k < shown.size() && row < 0; ++k)
      if (marked[static_cast<size_t>(shown[k])]) row = static_cast<int32_t>(k);
    for (const size_t i : most) marked[i] = false;
    benchmark::DoNotOptimize(row);
  }
}
BENCHMARK(BM_Anchor_SpravWalkRecords)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_SpravTypedSearch(benchmark::State& state) {
  Book().UseGoods(Rows(state));
  TSpravFormLogic logic(Settings());
  logic.Show();
  logic.Tab(0)->View.SetCol(1);
  const std::string prefixes[] = {"С"_w, "Са"_w, "Сах"_w, "Саха"_w, "Сахар 9"_w, "М"_w, "Мо"_w, "Чай 1"_w};
  std::size_t i = 0;
  for (auto _ : state) logic.SearchChanged(prefixes[i++ % 8]);
}
BENCHMARK(BM_SpravTypedSearch)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The book saved whole. Its memory is the peak of the open and the first
// save together, from before the open.
void BM_SpravSaveWhole(benchmark::State& state) {
  const std::string path = Book().UseGoods(Rows(state));
  TSpravFormLogic logic(Settings());
  const Resident added = ResidentAdded([&] {
    logic.Show();
    TSpravTab& goods = *logic.Tab(0);
    if (!goods.RewriteWhole) std::abort();
    goods.Modified = true;
    if (!logic.SaveTab(goods)) std::abort();
  });
  TSpravTab& goods = *logic.Tab(0);
  for (auto _ : state) {
    goods.Modified = true;
    if (!logic.SaveTab(goods)) std::abort();
  }
  ReportMemory(state, added, path);
}
BENCHMARK(BM_SpravSaveWhole)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The first save of a book whose file is not in the book's order, as every
// file is before a save put it so: the rows taken into the book's order
// and written. Each run saves a fresh copy of the unsorted file, the tab
// opened on it beforehand.
void BM_SpravFirstSaveUnsorted(benchmark::State& state) {
  TSpravFormLogic logic(Settings());
  for (auto _ : state) {
    state.PauseTiming();
    logic.Hide();
    Book().UseFreshUnsortedGoods(Rows(state));
    logic.Show();
    TSpravTab& goods = *logic.Tab(0);
    if (!goods.RewriteWhole) std::abort();
    goods.Modified = true;
    state.ResumeTiming();
    if (!logic.SaveTab(goods)) std::abort();
  }
}
BENCHMARK(BM_SpravFirstSaveUnsorted)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Its floor: the table held whole as the open read it, its rows in the
// order the open sorted them; the save sorts them by the names' keys again
// and writes the records in that order, numbered anew, beside the file, and
// puts them in its place. Each run writes over a fresh copy of the file.
void BM_Anchor_SpravSortAndWriteInNameOrder(benchmark::State& state) {
  const std::string path = Book().UseFreshUnsortedGoods(Rows(state));
  plain::WholeTable table;
  std::vector<int32_t> shown;
  if (!plain::ReadWhole(path, table) || !plain::ReadWholeKeysStableSort(path, "NAME", shown)) std::abort();
  for (auto _ : state) {
    state.PauseTiming();
    Book().UseFreshUnsortedGoods(Rows(state));
    state.ResumeTiming();
    if (!plain::SortAndWriteBeside(table, shown, "NAME", path)) std::abort();
  }
}
BENCHMARK(BM_Anchor_SpravSortAndWriteInNameOrder)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A typed search character in a column of 10k, 100k and 1M goods names
// shown sorted, as the tab shows them, and handed to the search in the
// order of their records (the order they were made), as the book hands
// them: not in the rows' order. The floor of a character is a bisection of
// the column's keys made and sorted beforehand; the floor of the first one
// after the column changed makes those keys (upper-cased, sorted with their
// rows) and then bisects.
struct TNameBook final : TRowTexts {
  // By record, the name and the row showing it.
  std::vector<std::string> Names;
  std::vector<int32_t> RowOf;
  // By row, the name shown there.
  std::vector<std::string> Sorted;
  TStringTable Table;

  explicit TNameBook(int32_t rows) {
    const std::string kinds[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
    for (int32_t i = 1; i <= rows; ++i) Names.push_back(kinds[i % 7] + " " + std::to_string((int64_t{i} * 7919) % rows));
    std::vector<int32_t> order(static_cast<size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
      return CollateCompare(Names[static_cast<size_t>(a)], Names[static_cast<size_t>(b)], false) < 0;
    });
    RowOf.resize(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
      RowOf[static_cast<size_t>(order[k])] = static_cast<int32_t>(k);
      Sorted.push_back(Names[static_cast<size_t>(order[k])]);
    }
    Table.SetColCount(2);
    Table.AppendPendingRows(*this, rows);
    Table.Reorder(order);
  }
  std::string_view RecordText(int32_t record, int32_t col, std::string&) const override {
    return col == 1 ? std::string_view(Names[static_cast<size_t>(record)]) : std::string_view();
  }
};

TNameBook& NameBook(int32_t rows) {
  static std::map<int32_t, std::unique_ptr<TNameBook>> made;
  std::unique_ptr<TNameBook>& book = made[rows];
  if (!book) book = std::make_unique<TNameBook>(rows);
  return *book;
}

const std::vector<std::string>& SortedNames(int32_t rows) { return NameBook(rows).Sorted; }

const TStringTable& NameColumn(int32_t rows) { return NameBook(rows).Table; }

const std::string kTyped[] = {"С"_w, "Са"_w, "Сах"_w, "Саха"_w, "Сахар 9"_w, "М"_w, "Мо"_w, "Чай 1"_w};

// Texts typed one character at a time, as a user types them, each text new:
// a kind of goods and a number drawn anew, so that its later characters
// reach rows no text before reached. The draws go on from one run of a
// benchmark to the next: a run never types what an earlier one typed.
class TTyping {
 public:
  explicit TTyping(int32_t rows) : rows_(rows) {}
  // The text as it stands after the next character.
  std::string_view Next() {
    if (typed_ == text_.size()) {
      static const std::string kinds[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
      text_ = kinds[random_() % 7] + " " + std::to_string(random_() % static_cast<uint32_t>(rows_));
      typed_ = 0;
    }
    return std::string_view(text_).substr(0, ++typed_);
  }

 private:
  int32_t rows_;
  std::mt19937 random_{59};
  std::string text_;
  size_t typed_ = 0;
};

TTyping& Typing(const char* who, int32_t rows) {
  static std::map<std::pair<std::string, int32_t>, TTyping> typing;
  return typing.try_emplace({who, rows}, rows).first->second;
}

// A character of new texts typed into a column whose index was made and
// kept from earlier texts of every first character: look-ups and the parts
// they make in a kept index, as the bisection of kept keys is its floor.
void BM_TypedSearchCharacterInKeptIndex(benchmark::State& state) {
  const TStringTable& t = NameColumn(Rows(state));
  // A number no goods have: each kind's first character walks.
  for (const std::string& kind : {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Чай"_w, "Крупа"_w})
    benchmark::DoNotOptimize(t.FindBestPrefix(kind + " 99999999", 1));
  TTyping& typing = Typing("ours", Rows(state));
  for (auto _ : state) benchmark::DoNotOptimize(t.FindBestPrefix(typing.Next(), 1));
}
BENCHMARK(BM_TypedSearchCharacterInKeptIndex)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The slowest and the median of the characters a benchmark timed one by
// one, in wall and in CPU time: under load a single character can take far
// longer than the mean, and it is the one the user waits for.
class TWorstCharacter {
 public:
  // Wall and CPU clocks read just outside the timing, so that reading them
  // adds nothing to what the benchmark times.
  template <class TTyped>
  void Time(benchmark::State& state, const TTyped& typed) {
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuMs();
    state.ResumeTiming();
    typed();
    state.PauseTiming();
    cpuMs_.push_back(ThreadCpuMs() - cpu);
    wallMs_.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count());
  }
  void Report(benchmark::State& state) {
    if (wallMs_.empty()) return;
    state.counters["worst_ms"] = *std::max_element(wallMs_.begin(), wallMs_.end());
    state.counters["worst_cpu_ms"] = *std::max_element(cpuMs_.begin(), cpuMs_.end());
    state.counters["median_ms"] = Median(wallMs_);
    state.counters["median_cpu_ms"] = Median(cpuMs_);
  }

 private:
  static double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  }
  static double Median(std::vector<double>& v) {
    std::nth_element(v.begin(), v.begin() + static_cast<ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
  }
  std::vector<double> wallMs_;
  std::vector<double> cpuMs_;
};

// The second character of the first text after the column changed: the
// first made the index; this one is the first to reach the rows of the
// first ("С": two kinds of goods in seven) by their second character.
void BM_TypedSearchSecondCharacter(benchmark::State& state) {
  TStringTable& t = const_cast<TStringTable&>(NameColumn(Rows(state)));
  const std::string first = t.GetCellText(1, 0);
  TWorstCharacter worst;
  for (auto _ : state) {
    state.PauseTiming();
    t.SetCellText(1, 0, first);
    benchmark::DoNotOptimize(t.FindBestPrefix(kTyped[0], 1));
    worst.Time(state, [&] { benchmark::DoNotOptimize(t.FindBestPrefix(kTyped[1], 1)); });
    state.ResumeTiming();
  }
  worst.Report(state);
}
// Each character costs a whole index made outside the timing: a fixed count.
BENCHMARK(BM_TypedSearchSecondCharacter)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);

// The first character after the column changed ("С", which none of the
// first rows starts with): the search walks every row and indexes those
// starting with it.
void BM_TypedSearchFirstCharacter(benchmark::State& state) {
  TStringTable& t = const_cast<TStringTable&>(NameColumn(Rows(state)));
  const std::string first = t.GetCellText(1, 0);
  for (auto _ : state) {
    t.SetCellText(1, 0, first);
    benchmark::DoNotOptimize(t.FindBestPrefix(kTyped[0], 1));
  }
}
BENCHMARK(BM_TypedSearchFirstCharacter)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// New texts typed whole into the column, each after the column changed. The
// first characters of a text that one of the first rows starts with are
// found by the walk over them; the first that none starts with walks every
// row and makes the index of the rows starting with the text's first
// character ("Крупа 1" is met early in the rows sorted by name, "Крупа 12"
// is not; the other kinds make it at their first character). Each text is
// drawn anew, so that every character reaches rows no text before reached.
class TFreshTexts {
 public:
  // Texts Draw(random) typed into column Col of T, whose rows show Shown.
  using TDraw = std::string (*)(std::mt19937& random, int32_t rows);
  TFreshTexts(TStringTable& t, int32_t col, const std::vector<std::string>& shown, TDraw draw)
      : t_(t), col_(col), shown_(shown), draw_(draw) {
    // A column the walk reads whole is never indexed.
    if (t.Count() <= TStringTable::kWalkedRows) std::abort();
    first_ = t_.GetCellText(col_, 0);
  }
  bool Done() const { return typed_ == text_.size(); }
  // A new text, as far as its character that makes the index.
  std::string_view Draw() {
    do {
      text_ = draw_(random_, t_.Count());
      typed_ = 0;
      while (typed_ < text_.size() && Walked(std::string_view(text_).substr(0, typed_ + 1))) ++typed_;
    } while (Done());
    return std::string_view(text_).substr(0, typed_ + 1);
  }
  // A new text after the column changed, typed as far as the walk finds
  // it: its next character makes the index.
  void Begin() {
    Draw();
    t_.SetCellText(col_, 0, first_);
    for (size_t n = 1; n <= typed_; ++n) benchmark::DoNotOptimize(t_.FindBestPrefix(text_.substr(0, n), col_));
  }
  // The next character typed.
  int32_t Next() { return t_.FindBestPrefix(std::string_view(text_).substr(0, ++typed_), col_); }
  // The text as far as it is typed, and whole.
  std::string_view Typed() const { return std::string_view(text_).substr(0, typed_); }
  const std::string& Text() const { return text_; }

 private:
  // Whether one of the rows the search reads in order starts with Prefix.
  bool Walked(std::string_view prefix) const {
    for (size_t r = 0; r < static_cast<size_t>(TStringTable::kWalkedRows); ++r) {
      const std::string& name = shown_[r];
      size_t i = 0;
      while (i < prefix.size() && i < name.size() && UpperChar1251(name[i]) == UpperChar1251(prefix[i])) ++i;
      if (i == prefix.size()) return true;
    }
    return false;
  }

  TStringTable& t_;
  int32_t col_;
  const std::vector<std::string>& shown_;
  TDraw draw_;
  std::string first_;
  std::mt19937 random_{61};
  std::string text_;
  size_t typed_ = 0;
};

// A kind of goods and a number.
std::string DrawName(std::mt19937& random, int32_t rows) {
  static const std::string kinds[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
  std::string kind = kinds[random() % 7];
  return kind + " " + std::to_string(random() % static_cast<uint32_t>(rows));
}

TFreshTexts& FreshTexts(const char* who, int32_t rows) {
  static std::map<std::pair<std::string, int32_t>, std::unique_ptr<TFreshTexts>> texts;
  std::unique_ptr<TFreshTexts>& made = texts[{who, rows}];
  if (!made)
    made = std::make_unique<TFreshTexts>(const_cast<TStringTable&>(NameColumn(rows)), 1, SortedNames(rows), DrawName);
  return *made;
}

// The character of a new text that makes the index: every row walked, the
// texts handed in the order of their records, and the rows starting with
// the text's first character indexed.
void BM_TypedSearchIndexCharacter(benchmark::State& state) {
  TFreshTexts& texts = FreshTexts("index", Rows(state));
  TWorstCharacter worst;
  for (auto _ : state) {
    state.PauseTiming();
    texts.Begin();
    worst.Time(state, [&] { benchmark::DoNotOptimize(texts.Next()); });
    state.ResumeTiming();
  }
  worst.Report(state);
}
// Each character costs the walked characters before it outside the timing.
BENCHMARK(BM_TypedSearchIndexCharacter)->Arg(10000)->Arg(100000)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedSearchIndexCharacter)->Arg(1000000)->Iterations(30)->Unit(benchmark::kMillisecond);

// Its floor as a walk: the same texts as far as the same characters, each
// answered by a walk over the names in the rows' order that stops at the
// first row sharing all of it.
void BM_TypedSearchIndexCharacterWalkAnchor(benchmark::State& state) {
  TFreshTexts& texts = FreshTexts("walk", Rows(state));
  const std::vector<std::string>& names = SortedNames(Rows(state));
  TWorstCharacter worst;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string typed(texts.Draw());
    worst.Time(state, [&] { benchmark::DoNotOptimize(WalkBestPrefix(names, typed)); });
    state.ResumeTiming();
  }
  worst.Report(state);
}
BENCHMARK(BM_TypedSearchIndexCharacterWalkAnchor)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypedSearchIndexCharacterWalkAnchor)->Arg(1000000)->Iterations(30)->Unit(benchmark::kMillisecond);

// Each timed character is the next of Texts after the one that made the
// index; a text typed whole is followed by a new one, typed as far as that
// character outside the timing.
void TimeCharactersAfterIndex(benchmark::State& state, TFreshTexts& texts) {
  TWorstCharacter worst;
  for (auto _ : state) {
    state.PauseTiming();
    while (texts.Done()) {
      texts.Begin();
      benchmark::DoNotOptimize(texts.Next());
    }
    worst.Time(state, [&] { benchmark::DoNotOptimize(texts.Next()); });
    state.ResumeTiming();
  }
  worst.Report(state);
}

// Every character of a new text after the one that made the index, each
// text after the column changed: the characters that part rows the index
// has not parted yet.
void BM_TypedSearchCharacterAfterIndex(benchmark::State& state) {
  TimeCharactersAfterIndex(state, FreshTexts("after", Rows(state)));
}
// A new index for each text, made outside the timing: a fixed count.
BENCHMARK(BM_TypedSearchCharacterAfterIndex)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// The keys of the floor: each text upper-cased into one arena, the rows
// sorted as small entries whose first sixteen key bytes decide most
// comparisons, ties going to the rows' order.
struct PlainKeys {
  struct Entry {
    uint64_t Head, Tail;
    uint32_t At, Length;
    int32_t Row;
  };
  std::string Arena;
  std::vector<Entry> Sorted;
  std::string_view Key(const Entry& e) const { return std::string_view(Arena).substr(e.At, e.Length); }
};

// Text(i) for i in 0..Count-1 gives a row's text and the row, each row once.
template <class TText>
PlainKeys MakePlainKeys(int32_t count, const TText& textOf) {
  PlainKeys k;
  k.Sorted.reserve(static_cast<size_t>(count));
  k.Arena.reserve(static_cast<size_t>(count) * 16);
  for (int32_t i = 0; i < count; ++i) {
    const auto [text, r] = textOf(i);
    PlainKeys::Entry e{0, 0, static_cast<uint32_t>(k.Arena.size()), static_cast<uint32_t>(text.size()), r};
    for (const char c : text) k.Arena.push_back(UpperChar1251(c));
    for (uint32_t j = 0; j < 16; ++j) {
      uint64_t& word = j < 8 ? e.Head : e.Tail;
      word = word << 8 | (j < e.Length ? static_cast<unsigned char>(k.Arena[e.At + j]) : 0u);
    }
    k.Sorted.push_back(e);
  }
  std::sort(k.Sorted.begin(), k.Sorted.end(), [&](const PlainKeys::Entry& a, const PlainKeys::Entry& b) {
    if (a.Head != b.Head) return a.Head < b.Head;
    if (a.Tail != b.Tail) return a.Tail < b.Tail;
    const int c = k.Key(a).compare(k.Key(b));
    return c < 0 || (c == 0 && a.Row < b.Row);
  });
  return k;
}

// The names' keys, each name read where it lies, in the order of the records.
PlainKeys MakePlainKeys(const TNameBook& book) {
  return MakePlainKeys(static_cast<int32_t>(book.Names.size()), [&](int32_t i) {
    return std::pair(std::string_view(book.Names[static_cast<size_t>(i)]), book.RowOf[static_cast<size_t>(i)]);
  });
}

// The row sharing the longest prefix with the typed text, upper-cased: the
// first row of the keys that start with what it shares (in a column sorted
// by its texts, the first row among them); -1 if none.
int32_t BisectPlainKeys(const PlainKeys& k, const std::string& typed) {
  const std::string upper = UpperText1251(typed);
  const auto shared = [&](std::string_view text) {
    size_t i = 0;
    while (i < upper.size() && i < text.size() && upper[i] == text[i]) ++i;
    return i;
  };
  const auto below = [&](const PlainKeys::Entry& e, std::string_view p) { return k.Key(e) < p; };
  const auto at = std::lower_bound(k.Sorted.begin(), k.Sorted.end(), std::string_view(upper), below);
  size_t most = at != k.Sorted.end() ? shared(k.Key(*at)) : 0;
  if (at != k.Sorted.begin()) most = std::max(most, shared(k.Key(*(at - 1))));
  if (most == 0) return -1;
  return std::lower_bound(k.Sorted.begin(), k.Sorted.end(), std::string_view(upper).substr(0, most), below)->Row;
}

void BM_TypedSearchAnchorBisectKeys(benchmark::State& state) {
  const TStringTable& t = NameColumn(Rows(state));
  const PlainKeys keys = MakePlainKeys(NameBook(Rows(state)));
  for (const std::string& typed : kTyped)
    if (BisectPlainKeys(keys, typed) != t.FindBestPrefix(typed, 1)) std::abort();
  TTyping& typing = Typing("anchor", Rows(state));
  for (auto _ : state) benchmark::DoNotOptimize(BisectPlainKeys(keys, std::string(typing.Next())));
}
BENCHMARK(BM_TypedSearchAnchorBisectKeys)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The book at that many rows opened, its code column current: rare texts
// (numbers of up to seven digits, longer than most codes) typed one
// character at a time, each after the column changed.
TSpravFormLogic& OpenBook(int32_t rows) {
  // The book outlives the window.
  Book();
  static std::map<int32_t, std::unique_ptr<TSpravFormLogic>> open;
  std::unique_ptr<TSpravFormLogic>& logic = open[rows];
  if (!logic) {
    Book().UseGoods(rows);
    logic = std::make_unique<TSpravFormLogic>(Settings());
    logic->Show();
    logic->Tab(0)->View.SetCol(0);
  }
  return *logic;
}

std::string DrawCode(std::mt19937& random, int32_t) { return std::to_string(1 + random() % 9999999); }

TFreshTexts& FreshCodes(const char* who, int32_t rows) {
  static std::map<std::pair<std::string, int32_t>, std::unique_ptr<TFreshTexts>> texts;
  std::unique_ptr<TFreshTexts>& made = texts[{who, rows}];
  if (!made) {
    const std::vector<std::string>& shown = ShownTexts(rows, 0);
    auto& t = const_cast<TStringTable&>(OpenBook(rows).Tab(0)->View.Table());
    made = std::make_unique<TFreshTexts>(t, 0, shown, DrawCode);
  }
  return *made;
}

// Every character of a rare text typed into the book's code column after
// the one that walked every row.
void BM_SpravRareTypedTextLaterCharacter(benchmark::State& state) {
  TimeCharactersAfterIndex(state, FreshCodes("ours", Rows(state)));
}
// A walk over every row for each text, outside the timing: a fixed count.
BENCHMARK(BM_SpravRareTypedTextLaterCharacter)->Arg(1000000)->Iterations(100)->Unit(benchmark::kMicrosecond);

// Its floor: the same characters of the same texts, each a bisection of the
// codes' keys made beforehand.
void BM_Anchor_SpravBisectCodesLaterCharacter(benchmark::State& state) {
  TFreshTexts& texts = FreshCodes("anchor", Rows(state));
  const std::vector<std::string>& codes = ShownTexts(Rows(state), 0);
  const PlainKeys keys = MakePlainKeys(static_cast<int32_t>(codes.size()), [&](int32_t r) {
    return std::pair(std::string_view(codes[static_cast<size_t>(r)]), r);
  });
  size_t typed = 0;
  TWorstCharacter worst;
  for (auto _ : state) {
    state.PauseTiming();
    // Past the character that walks.
    while (typed == texts.Text().size()) typed = texts.Draw().size();
    const std::string prefix = texts.Text().substr(0, ++typed);
    worst.Time(state, [&] { benchmark::DoNotOptimize(BisectPlainKeys(keys, prefix)); });
    state.ResumeTiming();
  }
  worst.Report(state);
}
BENCHMARK(BM_Anchor_SpravBisectCodesLaterCharacter)->Arg(1000000)->Iterations(100)->Unit(benchmark::kMicrosecond);

// The floor of the first character typed into the book's sorted column
// (BM_SpravFirstTypedCharacter/N/1): a bisection of the names' keys.
void BM_Anchor_SpravBisectFirstCharacter(benchmark::State& state) {
  const std::vector<std::string>& names = ShownTexts(Rows(state), 1);
  const PlainKeys keys = MakePlainKeys(static_cast<int32_t>(names.size()), [&](int32_t r) {
    return std::pair(std::string_view(names[static_cast<size_t>(r)]), r);
  });
  const std::string typed = "С"_w;
  if (BisectPlainKeys(keys, typed) < 0) std::abort();
  for (auto _ : state) benchmark::DoNotOptimize(BisectPlainKeys(keys, typed));
}
BENCHMARK(BM_Anchor_SpravBisectFirstCharacter)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_TypedSearchFirstCharacterAnchor(benchmark::State& state) {
  const TNameBook& book = NameBook(Rows(state));
  for (auto _ : state) {
    const PlainKeys keys = MakePlainKeys(book);
    benchmark::DoNotOptimize(BisectPlainKeys(keys, kTyped[0]));
  }
}
BENCHMARK(BM_TypedSearchFirstCharacterAnchor)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
