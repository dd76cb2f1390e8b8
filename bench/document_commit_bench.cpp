// The commit of a document's bases: 10,000 sale rows appended to a sales
// table and a stock table of 1,000 goods changed, both through the commit
// journal, syncs included. The anchor is the floor of the same work made
// durable with the same syncs: each table's records made from the rows in
// memory (the name turned into code page 866) into one buffer and written
// whole beside its file in one write and put on the disk; a journal naming them written beside, put on the disk and renamed
// in, the folder synced; the tables renamed in, the folder synced; the
// journal removed, the folder synced.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/tables/dbf.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"
#include "bench/plain_text.h"

namespace vm {
namespace {

constexpr int kSaleRows = 10000;
constexpr int kGoods = 1000;

std::string BenchDir() {
  const std::string dir = "/tmp/velomar_doc_commit_bench_" + std::to_string(getpid()) + "/";
  std::filesystem::create_directories(dir);
  return dir;
}

void MakeTable(const std::string& path, int rows) {
  TDBF t;
  t.FileName = path;
  if (!(t.CreateTable() && t.AddFieldEx("NO__", 10, 'N', 0) && t.AddFieldEx("CODE", 6, 'N', 0) &&
        t.AddFieldEx("NAME", 30, 'C', 0) && t.AddFieldEx("QTY", 10, 'N', 3) && t.WriteStructure()))
    std::abort();
  for (int i = 1; i <= rows; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, i);
    t.SetFieldInt(1, i);
    t.SetFieldStr(2, "Молоко пастеризованное"_w);
    t.SetFieldStr(3, "100.000");
    if (!t.WriteRecord()) std::abort();
  }
  if (!t.Close()) std::abort();
}

// What a sale leaves in memory: every good's quantity changed, the sale
// rows added. The quantity is set as a document sets it, so that the rows
// count as changed and the stock table is written too.
void FillSale(TUBL& stock, TUBL& sales) {
  TCommonVar qty;
  qty.Kind = 'N';
  qty.Num = 99;
  for (int32_t i = 0; i < stock.Table.Count(); ++i) {
    stock.Table.MemTableGoto(i);
    stock.Table.SetValue(3, qty);
  }
  for (int i = 0; i < kSaleRows; ++i) {
    sales.Table.Append();
    sales.Table.SetFieldText(1, std::to_string(i % kGoods + 1));
    sales.Table.SetFieldText(2, "Молоко пастеризованное"_w);
    sales.Table.SetFieldText(3, "1.000");
  }
}

void BM_CommitSaleIntoTwoTables(benchmark::State& state) {
  const std::string dir = BenchDir();
  // What the document holds; let go outside the timing, as a commit keeps
  // it: closing the document is not part of the commit.
  struct Document {
    TDBF stockFile, salesFile;
    TBaseList bases;
  };
  std::unique_ptr<Document> doc;
  for (auto _ : state) {
    state.PauseTiming();
    doc.reset();
    MakeTable(dir + "STOCK.DBF", kGoods);
    MakeTable(dir + "SALES.DBF", 0);
    doc = std::make_unique<Document>();
    doc->stockFile.FileName = dir + "STOCK.DBF";
    doc->salesFile.FileName = dir + "SALES.DBF";
    TUBL& stock = *doc->bases.AddNew();
    TUBL& sales = *doc->bases.AddNew();
    stock.Table.SetDbf(&doc->stockFile);
    sales.Table.SetDbf(&doc->salesFile);
    stock.Table.LoadAll();
    sales.Table.LoadAll();
    FillSale(stock, sales);
    sales.Table.Number = 1;
    stock.Table.Number = 2;
    doc->bases.SaveCount = 2;
    state.ResumeTiming();
    std::string failure;
    if (!doc->bases.WriteSavedBases(failure)) std::abort();
  }
  doc.reset();
  state.SetItemsProcessed(state.iterations() * kSaleRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CommitSaleIntoTwoTables)->Unit(benchmark::kMillisecond);

// A table of the bench's layout as its file holds it: the header of an
// empty table of that layout with the record count set, then the records,
// then the end mark. Numbers right-aligned, the name in code page 866.
class PlainTable {
 public:
  explicit PlainTable(const std::string& emptyTable) {
    const int fd = open(emptyTable.c_str(), O_RDONLY);
    char head[32];
    if (fd < 0 || pread(fd, head, sizeof head, 0) != 32) std::abort();
    const std::size_t size = static_cast<uint8_t>(head[8]) | std::size_t{static_cast<uint8_t>(head[9])} << 8;
    header_.resize(size);
    if (pread(fd, header_.data(), size, 0) != static_cast<ssize_t>(size)) std::abort();
    close(fd);
    name_ = "Молоко пастеризованное"_w;
    WinToDosInPlace(name_.data(), name_.size());
    name_.resize(30, ' ');
  }
  // The table of count records whose QTY is qty, written whole beside path
  // (path + ".new") and put on the disk.
  [[gnu::noinline]] void Write(const std::string& path, int count, const char* qty) {
    bytes_.assign(header_.begin(), header_.end());
    const uint32_t n = static_cast<uint32_t>(count);
    std::memcpy(&bytes_[4], &n, 4);
    const std::size_t at = bytes_.size();
    bytes_.resize(at + static_cast<std::size_t>(count) * kRecord + 1);
    char* r = &bytes_[at];
    for (int i = 1; i <= count; ++i, r += kRecord) {
      r[0] = ' ';
      RightAligned(r + 1, 10, i);
      RightAligned(r + 11, 6, i);
      std::memcpy(r + 17, name_.data(), 30);
      std::memcpy(r + 47, qty, 10);
    }
    *r = 0x1A;
    WriteDurably(path + ".new", bytes_.data(), bytes_.size());
  }

  // The same table made from rows as a document holds them, each record's
  // text in 1251 with every field but NO__ filled: NO__ numbered, the name
  // turned into code page 866.
  [[gnu::noinline]] void WriteRows(const std::string& path, const std::vector<char>& rows) {
    const std::size_t count = rows.size() / kRecord;
    bytes_.assign(header_.begin(), header_.end());
    const uint32_t n = static_cast<uint32_t>(count);
    std::memcpy(&bytes_[4], &n, 4);
    const std::size_t at = bytes_.size();
    bytes_.resize(at + count * kRecord + 1);
    char* r = &bytes_[at];
    const char* from = rows.data();
    for (std::size_t i = 1; i <= count; ++i, r += kRecord, from += kRecord) {
      std::memcpy(r, from, kRecord);
      r[0] = ' ';
      RightAligned(r + 1, 10, static_cast<int>(i));
      for (int k = 17; k < 47; ++k) r[k] = static_cast<char>(to866_.at[static_cast<unsigned char>(from[k])]);
    }
    *r = 0x1A;
    WriteDurably(path + ".new", bytes_.data(), bytes_.size());
  }

  // Rows of the bench's layout in 1251, NO__ left blank.
  static std::vector<char> Rows(int count, int codes, const char* qty) {
    std::string name = "Молоко пастеризованное"_w;
    name.resize(30, ' ');
    std::vector<char> rows(static_cast<std::size_t>(count) * kRecord, ' ');
    for (int i = 0; i < count; ++i) {
      char* r = &rows[static_cast<std::size_t>(i) * kRecord];
      RightAligned(r + 11, 6, i % codes + 1);
      std::memcpy(r + 17, name.data(), 30);
      std::memcpy(r + 47, qty, 10);
    }
    return rows;
  }

  static void WriteDurably(const std::string& path, const char* bytes, std::size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || write(fd, bytes, size) != static_cast<ssize_t>(size) || fdatasync(fd) != 0 || close(fd) != 0)
      std::abort();
  }

 private:
  static constexpr std::size_t kRecord = 1 + 10 + 6 + 30 + 10;
  static void RightAligned(char* at, int width, int value) {
    for (int i = width - 1; i >= 0; --i, value /= 10)
      at[i] = i == width - 1 || value > 0 ? static_cast<char>('0' + value % 10) : ' ';
  }
  std::vector<char> header_;
  std::string name_;
  bench::To866 to866_;
  std::vector<char> bytes_;
};

// The commit journal's steps over the two tables, written by write(path).
template <class Write>
void CommitPlainly(benchmark::State& state, const std::string& dir, Write&& write) {
  const auto syncFolder = [&] {
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0 || close(folder) != 0) std::abort();
  };
  const std::string tables[] = {dir + "STOCK.DBF", dir + "SALES.DBF"};
  const std::string journal = dir + "COMMIT.JNL";
  for (auto _ : state) {
    write(tables[0], tables[1]);
    const std::string names = tables[0] + "\n" + tables[1] + "\n";
    PlainTable::WriteDurably(journal + ".new", names.data(), names.size());
    if (rename((journal + ".new").c_str(), journal.c_str()) != 0) std::abort();
    syncFolder();
    for (const std::string& t : tables)
      if (rename((t + ".new").c_str(), t.c_str()) != 0) std::abort();
    syncFolder();
    // The old tables' copies go only once the journal's removal is durable.
    if (unlink(journal.c_str()) != 0) std::abort();
    syncFolder();
  }
  state.SetItemsProcessed(state.iterations() * kSaleRows);
  std::filesystem::remove_all(dir);
}

// Records made up as they are written, without rows to read them from.
void BM_SameTablesWrittenPlainly(benchmark::State& state) {
  const std::string dir = BenchDir();
  MakeTable(dir + "STOCK.DBF", 0);
  PlainTable table(dir + "STOCK.DBF");
  CommitPlainly(state, dir, [&](const std::string& stock, const std::string& sales) {
    table.Write(stock, kGoods, "    99.000");
    table.Write(sales, kSaleRows, "     1.000");
  });
}
BENCHMARK(BM_SameTablesWrittenPlainly)->Unit(benchmark::kMillisecond);

// The floor of the commit: the same tables written from the rows a sale
// leaves in memory, each name turned into code page 866 as it is written.
void BM_SameRowsWrittenPlainly(benchmark::State& state) {
  const std::string dir = BenchDir();
  MakeTable(dir + "STOCK.DBF", 0);
  PlainTable table(dir + "STOCK.DBF");
  const std::vector<char> stockRows = PlainTable::Rows(kGoods, kGoods, "    99.000");
  const std::vector<char> saleRows = PlainTable::Rows(kSaleRows, kGoods, "     1.000");
  CommitPlainly(state, dir, [&](const std::string& stock, const std::string& sales) {
    table.WriteRows(stock, stockRows);
    table.WriteRows(sales, saleRows);
  });
}
BENCHMARK(BM_SameRowsWrittenPlainly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
