// The commit of a document's bases: 10,000 sale rows appended to a sales
// table and a stock table of 1,000 goods changed, both through the commit
// journal, syncs included. The anchor writes the same two tables plainly
// through the table engine, each written whole beside and renamed in,
// without the journal.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "documents/document_commit.h"
#include "foundation/tables/dbf.h"

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
// rows added.
void FillSale(TUBL& stock, TUBL& sales) {
  for (int32_t i = 0; i < stock.Table.Count(); ++i) {
    stock.Table.MemTableGoto(i);
    stock.Table.SetFieldText(3, "99.000");
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
    if (!CommitBases(bases, failure)) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * kSaleRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CommitSaleIntoTwoTables)->Unit(benchmark::kMillisecond);

void BM_SameTablesWrittenPlainly(benchmark::State& state) {
  const std::string dir = BenchDir();
  for (auto _ : state) {
    MakeTable(dir + "STOCK.DBF", kGoods);
    MakeTable(dir + "SALES.DBF", kSaleRows);
  }
  state.SetItemsProcessed(state.iterations() * kSaleRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SameTablesWrittenPlainly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
