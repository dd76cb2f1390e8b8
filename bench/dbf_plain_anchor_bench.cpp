// The floor of the DBF benchmarks: a table of a million records (NO__
// N(10,0), NAME C(30), PRICE N(12,2), DATE D) written and read by plain code
// the way a competent one-off program does it: records formatted into a
// large buffer and written with one write() per megabyte; read in megabyte
// blocks and every field of every record parsed (the number, the name
// trimmed and turned from code page 866 into 1251, the price in hundredths,
// the date's first byte). BM_DbfWriteLikePlain and BM_DbfReadLikePlain do the
// same work through TDBF, on the same records.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_tables.h"
#include "bench/plain_text.h"
#include "foundation/tables/dbf.h"
#include "foundation/tables/string_base.h"

namespace vm {
namespace {

namespace plain {

enum { kHeader = 32 + 4 * 32 + 1, kRecord = 1 + 10 + 30 + 12 + 8, kBlock = 1 << 20 };

void PutField(unsigned char* d, const char* name, char type, int len, int dec) {
  std::memset(d, 0, 32);
  std::memcpy(d, name, std::strlen(name));
  d[11] = static_cast<unsigned char>(type);
  d[16] = static_cast<unsigned char>(len);
  d[17] = static_cast<unsigned char>(dec);
}

// v right-aligned in width w, spaces before.
void PutUint(char* p, int w, unsigned long long v) {
  char* e = p + w;
  do {
    *--e = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v && e > p);
  while (e > p) *--e = ' ';
}

int WriteAll(int fd, const char* p, size_t n) {
  while (n) {
    const ssize_t k = write(fd, p, n);
    if (k <= 0) return -1;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return 0;
}

// With `beside`, written beside the file, put on the disk, renamed over it
// and its folder synced, as the program replaces a table. With From1251
// each name is made in 1251, as a program holds its texts, and turned into
// code page 866 as it goes into the record.
template <bool From1251 = false>
int Write(int n, const char* path, bool beside = false) {
  static const bench::To866 to866;
  const std::string temp = std::string(path) + (beside ? ".new" : "");
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return 2;
  unsigned char h[kHeader];
  std::memset(h, 0, sizeof h);
  h[0] = 3;
  h[1] = 95, h[2] = 7, h[3] = 26;
  h[4] = static_cast<unsigned char>(n), h[5] = static_cast<unsigned char>(n >> 8),
  h[6] = static_cast<unsigned char>(n >> 16), h[7] = static_cast<unsigned char>(n >> 24);
  h[8] = kHeader & 0xff, h[9] = kHeader >> 8;
  h[10] = kRecord & 0xff, h[11] = kRecord >> 8;
  h[29] = 0x65;
  PutField(h + 32, "NO__", 'N', 10, 0);
  PutField(h + 64, "NAME", 'C', 30, 0);
  PutField(h + 96, "PRICE", 'N', 12, 2);
  PutField(h + 128, "DATE", 'D', 8, 0);
  h[160] = 0x0d;
  if (WriteAll(fd, reinterpret_cast<const char*>(h), sizeof h)) return 3;
  std::vector<char> block(kBlock + kRecord);
  char* buf = block.data();
  size_t used = 0;
  for (int i = 0; i < n; i++) {
    char* r = buf + used;
    r[0] = ' ';
    PutUint(r + 1, 10, static_cast<unsigned long long>(i + 1));
    // "Товар %d" in code page 866, padded to 30
    char* s = r + 11;
    char digits[16];
    int k = 0;
    unsigned v = static_cast<unsigned>(i);
    do {
      digits[k++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v);
    if constexpr (From1251) {
      char name[32];
      std::memcpy(name, "\xD2\xEE\xE2\xE0\xF0 ", 6);
      for (int j = 0; j < k; j++) name[6 + j] = digits[k - 1 - j];
      for (int j = 0; j < 6 + k; j++) s[j] = static_cast<char>(to866.at[static_cast<unsigned char>(name[j])]);
    } else {
      std::memcpy(s, "\x92\xAE\xA2\xA0\xE0 ", 6);
      for (int j = 0; j < k; j++) s[6 + j] = digits[k - 1 - j];
    }
    std::memset(s + 6 + k, ' ', static_cast<size_t>(30 - 6 - k));
    // (i % 10000) / 100.0 with two decimals: the hundredths are exact
    const int cents = i % 10000;
    char* p = r + 41;
    PutUint(p, 9, static_cast<unsigned long long>(cents / 100));
    p[9] = '.';
    p[10] = static_cast<char>('0' + cents / 10 % 10);
    p[11] = static_cast<char>('0' + cents % 10);
    std::memcpy(r + 53, "20070305", 8);
    used += kRecord;
    if (used >= kBlock) {
      if (WriteAll(fd, buf, used)) return 3;
      used = 0;
    }
  }
  buf[used++] = 0x1a;
  if (WriteAll(fd, buf, used)) return 3;
  if (beside && (fdatasync(fd) != 0 || rename(temp.c_str(), path) != 0)) return 4;
  if (close(fd) != 0) return 4;
  if (!beside) return 0;
  // The rename is durable only once its folder is.
  std::string folder(path);
  const std::size_t slash = folder.find_last_of('/');
  folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash + 1);
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir < 0) return 4;
  const bool synced = fsync(dir) == 0;
  return close(dir) == 0 && synced ? 0 : 4;
}

struct ReadSums {
  long long sum = 0;
  double prices = 0;
  size_t len = 0;
  unsigned long long text = 0;
};

using bench::To1251;

// Every record of the table in megabyte blocks, each handed to take.
template <class Take>
int ReadRecords(const char* path, Take&& take) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return 2;
  unsigned char h[32];
  if (read(fd, h, 32) != 32) return 3;
  const int n = h[4] | h[5] << 8 | h[6] << 16 | h[7] << 24;
  const int hs = h[8] | h[9] << 8, rs = h[10] | h[11] << 8;
  if (lseek(fd, hs, SEEK_SET) != hs || rs != kRecord) return 3;
  const size_t per = kBlock / static_cast<size_t>(rs);
  std::vector<char> block(per * static_cast<size_t>(rs));
  char* buf = block.data();
  for (int done = 0; done < n;) {
    const size_t want = static_cast<size_t>(n - done) < per ? static_cast<size_t>(n - done) : per;
    size_t got = 0;
    while (got < want * static_cast<size_t>(rs)) {
      const ssize_t k = read(fd, buf + got, want * static_cast<size_t>(rs) - got);
      if (k <= 0) return 3;
      got += static_cast<size_t>(k);
    }
    for (size_t i = 0; i < want; i++) take(buf + i * static_cast<size_t>(rs));
    done += static_cast<int>(want);
  }
  close(fd);
  return 0;
}

// The name field trimmed and turned into 1251; its length.
inline int Name(const char* r, const To1251& to1251, char* name) {
  int e = 30;
  while (e > 0 && r[11 + e - 1] == ' ') e--;
  int b = 0;
  while (b < e && r[11 + b] == ' ') b++;
  for (int j = b; j < e; j++) name[j - b] = static_cast<char>(to1251.at[static_cast<unsigned char>(r[11 + j])]);
  return e - b;
}

// The price field in hundredths.
inline long long Cents(const char* r) {
  long long cents = 0;
  int neg = 0, dec = -1;
  for (const char* p = r + 41; p < r + 53; p++) {
    if (*p >= '0' && *p <= '9') {
      cents = cents * 10 + (*p - '0');
      if (dec >= 0) dec++;
    } else if (*p == '.') {
      dec = 0;
    } else if (*p == '-') {
      neg = 1;
    }
  }
  for (; dec < 2; dec = dec < 0 ? 1 : dec + 1) cents *= 10;
  return neg ? -cents : cents;
}

inline long long Number(const char* r) {
  long long v = 0;
  for (const char* p = r + 1; p < r + 11; p++)
    if (*p >= '0' && *p <= '9') v = v * 10 + (*p - '0');
  return v;
}

int Read(const char* path, ReadSums& out) {
  const To1251 to1251;
  ReadSums s;
  const int rc = ReadRecords(path, [&](const char* r) {
    s.sum += Number(r);
    char name[30];
    const int len = Name(r, to1251, name);
    for (int j = 0; j < len; j++) s.text += static_cast<unsigned char>(name[j]);
    s.len += static_cast<size_t>(len);
    s.prices += static_cast<double>(Cents(r)) / 100.0;
    s.len += static_cast<size_t>(r[53]);
  });
  if (rc == 0) out = s;
  return rc;
}

// The same fields made into the values the documents see, one TCommonVar a
// field with only its own part set (the numbers extended, as the language
// reckons), summed as SumOfValues sums them: the floor of reading into the
// program's value type. Unless Handed, the compiler is free to keep the
// value's parts out of memory; Handed puts each value in memory before it is
// summed, as a reader handing values to a caller by reference must.
template <bool Handed>
int ReadIntoValues(const char* path, long double& out) {
  const To1251 to1251;
  long long whole = 0;
  double numbers = 0;
  TCommonVar v;
  const auto take = [&](char kind) {
    v.Kind = kind;
    if constexpr (Handed) benchmark::DoNotOptimize(v);
    numbers += static_cast<double>(v.Num);
    whole += static_cast<long long>(v.Str.size()) + v.Date.Day;
  };
  const auto clear = [&] {
    v.Date = TDateRec{};
    v.Time = TTimeRec{};
  };
  const int rc = ReadRecords(path, [&](const char* r) {
    clear();
    v.Str.clear();
    v.Num = static_cast<long double>(Number(r));
    take('N');
    clear();
    char name[30];
    v.Str.assign(name, static_cast<size_t>(Name(r, to1251, name)));
    v.Num = 0;
    take('C');
    clear();
    v.Str.clear();
    v.Num = static_cast<long double>(Cents(r)) / 100;
    take('N');
    v.Date = TDateRec{(r[59] - '0') * 10 + r[60] - '0', (r[57] - '0') * 10 + r[58] - '0',
                      (r[53] - '0') * 1000 + (r[54] - '0') * 100 + (r[55] - '0') * 10 + r[56] - '0'};
    v.Time = TTimeRec{};
    v.Num = 0;
    take('D');
  });
  out = static_cast<long double>(numbers) + static_cast<long double>(whole);
  return rc;
}

}  // namespace plain

void BM_Anchor_DbfPlainWrite(benchmark::State& state) {
  const std::string path = bench::TablePath();
  for (auto _ : state)
    if (plain::Write(bench::kRecords, path.c_str()) != 0) std::abort();
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_DbfPlainWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same, written beside, put on the disk, renamed over the table and the
// folder synced: the floor of a write that a crash cannot leave half done,
// with the two syncs TDBF makes when it puts a new table in place.
void BM_Anchor_DbfPlainWriteBeside(benchmark::State& state) {
  const std::string path = bench::TablePath();
  for (auto _ : state)
    if (plain::Write(bench::kRecords, path.c_str(), true) != 0) std::abort();
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_DbfPlainWriteBeside)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same from names held in 1251, as BM_DbfWriteLikePlain gives them.
void BM_Anchor_DbfPlainWriteBesideFrom1251(benchmark::State& state) {
  const std::string path = bench::TablePath();
  for (auto _ : state)
    if (plain::Write<true>(bench::kRecords, path.c_str(), true) != 0) std::abort();
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_DbfPlainWriteBesideFrom1251)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Anchor_DbfPlainRead(benchmark::State& state) {
  const std::string path = bench::TablePath();
  if (plain::Write(bench::kRecords, path.c_str()) != 0) std::abort();
  plain::ReadSums sums;
  for (auto _ : state)
    if (plain::Read(path.c_str(), sums) != 0) std::abort();
  benchmark::DoNotOptimize(sums);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_DbfPlainRead)->Unit(benchmark::kMillisecond)->Iterations(3);

template <bool Handed>
void ReadIntoValuesBench(benchmark::State& state) {
  const std::string path = bench::TablePath();
  if (plain::Write(bench::kRecords, path.c_str()) != 0) std::abort();
  long double sum = 0, one = 0;
  for (auto _ : state) {
    if (plain::ReadIntoValues<Handed>(path.c_str(), one) != 0) std::abort();
    sum += one;
  }
  benchmark::DoNotOptimize(sum);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}

void BM_Anchor_DbfPlainReadIntoValues(benchmark::State& state) { ReadIntoValuesBench<false>(state); }
void BM_Anchor_DbfPlainReadIntoValuesHanded(benchmark::State& state) { ReadIntoValuesBench<true>(state); }
BENCHMARK(BM_Anchor_DbfPlainReadIntoValuesHanded)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Anchor_DbfPlainReadIntoValues)->Unit(benchmark::kMillisecond)->Iterations(3);

// The anchor's records through TDBF's typed calls: the number, the name, the
// price as a number, formatted as a document's commit formats it, and the
// date.
void BM_DbfWriteLikePlain(benchmark::State& state) {
  const std::string path = bench::TablePath();
  const std::string goods = "Товар "_w;
  char name[32];
  std::memcpy(name, goods.data(), goods.size());
  for (auto _ : state) {
    TDBF t;
    bench::CreateGoods(t, path, "DATE");
    for (int i = 0; i < bench::kRecords; ++i) {
      t.GoToRecord(t.RecCount() + 1);
      t.SetFieldInt(0, i + 1);
      char* e = std::to_chars(name + goods.size(), name + sizeof name, i).ptr;
      t.SetFieldStr(1, std::string_view(name, static_cast<std::size_t>(e - name)));
      t.SetFieldNumber(2, static_cast<long double>(i % 10000) / 100);
      t.SetFieldDate(3, TDateRec{5, 3, 2007});
      if (!t.WriteRecord()) std::abort();
    }
    if (!t.Close()) std::abort();
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_DbfWriteLikePlain)->Unit(benchmark::kMillisecond)->Iterations(3);

// The anchor's table read through TDBF, every field of every record as the
// value the documents see (the name in 1251, the numbers and the date parsed).
void BM_DbfReadLikePlain(benchmark::State& state) {
  const std::string path = bench::TablePath();
  if (plain::Write(bench::kRecords, path.c_str()) != 0) std::abort();
  long double sum = 0;
  for (auto _ : state) sum += bench::SumOfValues(path);
  benchmark::DoNotOptimize(sum);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_DbfReadLikePlain)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
