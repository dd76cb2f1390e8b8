// The anchors of the DBF benchmarks: shapelib reads and writes the same
// table of a million goods, each field through its typed calls.
#include <benchmark/benchmark.h>
#include <shapefil.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "bench/bench_tables.h"

namespace vm {
namespace {

using bench::kRecords;

void BM_Anchor_ShapelibRead(benchmark::State& state) {
  const std::string path = bench::TablePath();
  bench::FillTable(path);
  double sum = 0;
  for (auto _ : state) {
    DBFHandle dbf = DBFOpen(path.c_str(), "rb");
    if (!dbf || DBFGetRecordCount(dbf) != kRecords) std::abort();
    for (int i = 0; i < kRecords; ++i) {
      sum += DBFReadIntegerAttribute(dbf, i, 0);
      sum += static_cast<double>(std::string(DBFReadStringAttribute(dbf, i, 1)).size());
      sum += DBFReadDoubleAttribute(dbf, i, 2);
      sum += DBFReadIntegerAttribute(dbf, i, 3) % 100;
    }
    DBFClose(dbf);
  }
  benchmark::DoNotOptimize(sum);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Anchor_ShapelibRead)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Anchor_ShapelibWrite(benchmark::State& state) {
  const std::string path = bench::TablePath();
  const auto& names = bench::Names();
  for (auto _ : state) {
    DBFHandle dbf = DBFCreate(path.c_str());
    if (!dbf) std::abort();
    DBFAddField(dbf, "NO__", FTInteger, 10, 0);
    DBFAddField(dbf, "NAME", FTString, 30, 0);
    DBFAddField(dbf, "PRICE", FTDouble, 12, 2);
    DBFAddNativeFieldType(dbf, "DAT", 'D', 8, 0);
    char date[9] = {};
    for (int i = 1; i <= kRecords; ++i) {
      const int r = i - 1;
      DBFWriteIntegerAttribute(dbf, r, 0, i);
      DBFWriteStringAttribute(dbf, r, 1, names[static_cast<std::size_t>(i) % names.size()].c_str());
      DBFWriteDoubleAttribute(dbf, r, 2, i / 100.0);
      int ymd = (2000 + i % 20) * 10000 + (1 + i % 12) * 100 + 1 + i % 28;
      for (int k = 7; k >= 0; --k, ymd /= 10) date[k] = static_cast<char>('0' + ymd % 10);
      DBFWriteStringAttribute(dbf, r, 3, date);
    }
    DBFClose(dbf);
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_Anchor_ShapelibWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
