// In-memory tables of a million rows: the goods table loaded through a
// filter of two fields (to set against BM_DbfScan, the plain scan of the same
// file), and rows sorted by a number and by a Russian text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_tables.h"
#include "foundation/tables/string_base.h"
#include "language/bound_tables.h"

namespace vm {
namespace {

using bench::kRecords;

// Resident and peak resident size of the process in MB.
double ProcStatusMB(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
  return 0;
}

void BM_FilteredLoad(benchmark::State& state) {
  const std::string path = bench::TablePath();
  bench::FillTable(path);
  TDBF dbf;
  dbf.FileName = path;
  TBaseList bases;
  TUBL* goods = bases.AddNew();
  goods->Alias = "GOODS";
  goods->Table.SetDbf(&dbf);
  // About half of the records pass.
  goods->Table.SetFilter("[GOODS.PRICE>2500, GOODS.NO__#7]");
  if (goods->Table.GetFilterError() != 0) std::abort();
  const double before = ProcStatusMB("VmRSS");
  for (auto _ : state) {
    if (!goods->Table.LoadAll()) std::abort();
  }
  state.counters["rows"] = goods->Table.Count();
  state.counters["table_MB"] = ProcStatusMB("VmRSS") - before;
  state.counters["peak_MB"] = ProcStatusMB("VmHWM");
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FilteredLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every record loaded: the size of a million rows in memory. Run it alone
// for its peak resident size.
void BM_LoadAllRows(benchmark::State& state) {
  const std::string path = bench::TablePath();
  bench::FillTable(path);
  TDBF dbf;
  dbf.FileName = path;
  TStringBase table(&dbf);
  const double before = ProcStatusMB("VmRSS");
  for (auto _ : state) {
    if (!table.LoadAll()) std::abort();
  }
  state.counters["rows"] = table.Count();
  state.counters["table_MB"] = ProcStatusMB("VmRSS") - before;
  state.counters["peak_MB"] = ProcStatusMB("VmHWM");
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LoadAllRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// A million rows of the goods layout in random order, in memory only.
void FillRows(TStringBase& table) {
  table.MemTableClear();
  std::mt19937 random(42);
  const auto& names = bench::Names();
  std::string price;
  for (int i = 0; i < kRecords; ++i) {
    table.Append();
    const auto n = random();
    table.SetFieldText(1, names[n % names.size()] + " " + std::to_string(n % 100000));
    price = std::to_string(n % 1000000) + "." + std::to_string(n % 90 + 10);
    table.SetFieldText(2, price);
  }
}

void SortBench(benchmark::State& state, int32_t field) {
  TStringBase table;
  table.MakeTemporary({{"NO__", 'N', 10, 0}, {"NAME", 'C', 30, 0}, {"PRICE", 'N', 12, 2}, {"DAT", 'D', 8, 0}});
  const double before = ProcStatusMB("VmRSS");
  for (auto _ : state) {
    state.PauseTiming();
    FillRows(table);
    state.ResumeTiming();
    if (!table.SortByField(field, false)) std::abort();
  }
  state.counters["table_MB"] = ProcStatusMB("VmRSS") - before;
  state.counters["peak_MB"] = ProcStatusMB("VmHWM");
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_SortByNumber(benchmark::State& state) { SortBench(state, 2); }
BENCHMARK(BM_SortByNumber)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortByRussianText(benchmark::State& state) { SortBench(state, 1); }
BENCHMARK(BM_SortByRussianText)->Unit(benchmark::kMillisecond)->Iterations(3);

// The anchor of BM_SortByNumber: std::stable_sort of the same prices, read
// into numbers before the clock starts.
void BM_Anchor_StableSortNumberKeys(benchmark::State& state) {
  TStringBase table;
  table.MakeTemporary({{"NO__", 'N', 10, 0}, {"NAME", 'C', 30, 0}, {"PRICE", 'N', 12, 2}, {"DAT", 'D', 8, 0}});
  std::vector<long double> keys;
  for (auto _ : state) {
    state.PauseTiming();
    FillRows(table);
    keys.clear();
    TCommonVar v;
    for (int32_t i = 0; i < table.Count(); ++i) {
      table.MemTableGoto(i);
      table.GetValue(2, v);
      keys.push_back(v.Num);
    }
    state.ResumeTiming();
    std::stable_sort(keys.begin(), keys.end());
  }
  benchmark::DoNotOptimize(keys.data());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Anchor_StableSortNumberKeys)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
