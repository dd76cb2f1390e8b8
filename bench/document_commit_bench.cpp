// The commit of a document's bases: 10,000 sale rows appended to a sales
// table and a stock table of 1,000 goods changed, both through the commit
// journal, syncs included. The anchor is the floor of the same work made
// durable with the same syncs: each table's records formatted into one
// buffer and written whole beside its file in one write and put on the
// disk; a journal naming them written beside, put on the disk and renamed
// in, the folder synced; the tables renamed in, the folder synced; the
// journal removed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/tables/dbf.h"
#include "language/bound_tables.h"
#include "platform/encoding.h"

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
    t.SetFieldStr(2, "Молоко пастеризованное");
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
    sales.Table.SetFieldText(2, "Молоко пастеризованное");
    sales.Table.SetFieldText(3, "1.000");
  }
}

void BM_CommitSaleIntoTwoTables(benchmark::State& state) {
  const std::string dir = BenchDir();
  for (auto _ : state) {
    state.PauseTiming();
    MakeTable(dir + "STOCK.DBF", kGoods);
    MakeTable(dir + "SALES.DBF", 0);
    TDBF stockFile, salesFile;
    stockFile.FileName = dir + "STOCK.DBF";
    salesFile.FileName = dir + "SALES.DBF";
    TBaseList bases;
    TUBL& stock = *bases.AddNew();
    TUBL& sales = *bases.AddNew();
    stock.Table.SetDbf(&stockFile);
    sales.Table.SetDbf(&salesFile);
    stock.Table.LoadAll();
    sales.Table.LoadAll();
    FillSale(stock, sales);
    sales.Table.Number = 1;
    stock.Table.Number = 2;
    bases.SaveCount = 2;
    state.ResumeTiming();
    std::string failure;
    if (!bases.WriteSavedBases(failure)) std::abort();
  }
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
  std::vector<char> bytes_;
};

void BM_SameTablesWrittenPlainly(benchmark::State& state) {
  const std::string dir = BenchDir();
  MakeTable(dir + "STOCK.DBF", 0);
  PlainTable table(dir + "STOCK.DBF");
  const auto syncFolder = [&] {
    const int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || fsync(folder) != 0 || close(folder) != 0) std::abort();
  };
  const std::string tables[] = {dir + "STOCK.DBF", dir + "SALES.DBF"};
  const std::string journal = dir + "COMMIT.JNL";
  for (auto _ : state) {
    table.Write(tables[0], kGoods, "    99.000");
    table.Write(tables[1], kSaleRows, "     1.000");
    const std::string names = tables[0] + "\n" + tables[1] + "\n";
    PlainTable::WriteDurably(journal + ".new", names.data(), names.size());
    if (rename((journal + ".new").c_str(), journal.c_str()) != 0) std::abort();
    syncFolder();
    for (const std::string& t : tables)
      if (rename((t + ".new").c_str(), t.c_str()) != 0) std::abort();
    syncFolder();
    if (unlink(journal.c_str()) != 0) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * kSaleRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SameTablesWrittenPlainly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
