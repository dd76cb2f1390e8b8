// A commit of 10,000 rows into two tables through the commit journal: the
// rows appended in place to a sales table, and a stock table of 1,000 goods
// written anew beside its old file (into the file the journal gives, as the
// program's commits write it) and renamed in, syncs included. The
// anchor does the same writes without the journal and its syncs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "platform/encoding.h"

namespace vm {
namespace {

constexpr int kRows = 10000;
constexpr int kGoods = 1000;

// Made again for each run of a benchmark, which removes it at its end.
std::string BenchDir() {
  const std::string dir = "/tmp/velomar_commit_bench_" + std::to_string(getpid()) + "/";
  std::filesystem::create_directories(dir);
  return dir;
}

void AddFields(TDBF& t) {
  t.AddFieldEx("NO__", 10, 'N', 0);
  t.AddFieldEx("CODE", 6, 'N', 0);
  t.AddFieldEx("NAME", 30, 'C', 0);
  t.AddFieldEx("QTY", 10, 'N', 3);
  t.AddFieldEx("SUM", 12, 'N', 2);
  t.WriteStructure();
}

void MakeEmpty(const std::string& path) {
  TDBF t;
  t.FileName = path;
  t.CreateTable();
  AddFields(t);
  if (!t.Close()) std::abort();
}

void WriteRows(TDBF& t, int count) {
  const std::string name = "Молоко пастеризованное 3,2%"_w;
  for (int i = 1; i <= count; ++i) {
    t.GoToRecord(t.RecCount() + 1);
    t.ClearRecordBuf();
    t.SetFieldInt(0, t.RecCount() + 1);
    t.SetFieldInt(1, i % kGoods);
    t.SetFieldStr(2, name);
    t.SetFieldStr(3, "1.500");
    t.SetFieldStr(4, "123.45");
    if (!t.WriteRecord()) std::abort();
  }
}

void AppendTo(const std::string& path, int count) {
  TDBF t;
  t.FileName = path;
  if (!t.Open()) std::abort();
  WriteRows(t, count);
  if (!t.Close()) std::abort();
}

void WriteAnew(const std::string& path) {
  MakeEmpty(path);
  AppendTo(path, kGoods);
}

void BM_CommitThroughJournal(benchmark::State& state) {
  const std::string dir = BenchDir();
  MakeEmpty(dir + "SALES.DBF");
  WriteAnew(dir + "STOCK.DBF");
  for (auto _ : state) {
    TCommitJournal j(dir);
    const std::string fresh = j.NewFileFor(dir + "STOCK.DBF");
    if (!j.PlanAppend(dir + "SALES.DBF")) std::abort();
    // Straight into the file the journal gave, as the commits write it.
    TDBF stock;
    stock.FileName = fresh;
    if (!stock.CreateTableIn(TCommitJournal::MakeNewFile(fresh))) std::abort();
    AddFields(stock);
    WriteRows(stock, kGoods);
    if (!stock.Close()) std::abort();
    if (!j.Begin()) std::abort();
    AppendTo(dir + "SALES.DBF", kRows);
    if (!j.Replace() || !j.Finish()) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_CommitThroughJournal)->Unit(benchmark::kMillisecond);

void BM_SameWritesWithoutJournal(benchmark::State& state) {
  const std::string dir = BenchDir();
  MakeEmpty(dir + "SALES.DBF");
  WriteAnew(dir + "STOCK.DBF");
  for (auto _ : state) {
    WriteAnew(dir + "STOCK.NEW");
    AppendTo(dir + "SALES.DBF", kRows);
    std::filesystem::rename(dir + "STOCK.NEW", dir + "STOCK.DBF");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SameWritesWithoutJournal)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
