// A table of a million goods: appended, closed, opened again and read
// field by field.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "bench/bench_tables.h"
#include "foundation/tables/dbf.h"

namespace vm {
namespace {

using bench::FillTable;
using bench::kRecords;
using bench::TablePath;

void BM_DbfAppend(benchmark::State& state) {
  const std::string path = TablePath();
  for (auto _ : state) FillTable(path);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DbfAppend)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DbfScan(benchmark::State& state) {
  const std::string path = TablePath();
  FillTable(path);
  std::string name, price;
  int64_t sum = 0;
  for (auto _ : state) {
    TDBF t;
    t.FileName = path;
    t.SetReadOnly(true);
    if (!t.Open() || t.RecCount() != kRecords) std::abort();
    bool error = false;
    while (t.ReadRecord() >= 0) {
      sum += t.GetFieldInt(0, error);
      t.GetFieldStr(1, name);
      t.GetFieldStr(2, price);
      sum += t.GetFieldDate(3, error).Day + static_cast<int64_t>(name.size() + price.size());
    }
    t.Close();
  }
  benchmark::DoNotOptimize(sum);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DbfScan)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
