// The anchor of BM_SortByNumber and BM_SortByRussianText: the same million
// rows sorted stably the way a competent program sorts rows held in memory,
// the rows left where they are and a new row order made:
//   by number  each price text read into whole hundredths, packed with the
//              row's number into one 64-bit key, std::sort of the keys
//              (stable: equal prices keep the rows' order);
//   by text    each name mapped to its collation order (case folded, Ё after
//              Е, one byte each, Windows-1251), std::sort of the row numbers
//              by (key, row).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_tables.h"
#include "bench/plain_text.h"

namespace vm {
namespace {

struct TAnchorRow {
  std::string Name, Price;
};

// The rows of string_base_bench.cpp's FillRows, from the same seed.
const std::vector<TAnchorRow>& AnchorRows() {
  static const std::vector<TAnchorRow> rows = [] {
    std::vector<TAnchorRow> out(bench::kRecords);
    std::mt19937 random(42);
    const auto& names = bench::Names();
    for (TAnchorRow& r : out) {
      const auto n = random();
      r.Name = names[n % names.size()] + " " + std::to_string(n % 100000);
      r.Price = std::to_string(n % 1000000) + "." + std::to_string(n % 90 + 10);
    }
    return out;
  }();
  return rows;
}

using bench::CollationOrder;

// "123456.78" in hundredths.
uint64_t Hundredths(const std::string& s) {
  uint64_t whole = 0, frac = 0;
  std::size_t i = 0;
  for (; i < s.size() && s[i] != '.'; ++i) whole = whole * 10 + static_cast<uint64_t>(s[i] - '0');
  int digits = 0;
  for (++i; i < s.size() && digits < 2; ++i, ++digits) frac = frac * 10 + static_cast<uint64_t>(s[i] - '0');
  for (; digits < 2; ++digits) frac *= 10;
  return whole * 100 + frac;
}

void BM_Anchor_SortKeysByNumber(benchmark::State& state) {
  const std::vector<TAnchorRow>& rows = AnchorRows();
  std::vector<int32_t> order;
  for (auto _ : state) {
    std::vector<uint64_t> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) keys[i] = Hundredths(rows[i].Price) << 20 | i;
    std::sort(keys.begin(), keys.end());
    order.resize(rows.size());
    for (std::size_t i = 0; i < keys.size(); ++i) order[i] = static_cast<int32_t>(keys[i] & 0xFFFFF);
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_SortKeysByNumber)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Anchor_SortKeysByText(benchmark::State& state) {
  const std::vector<TAnchorRow>& rows = AnchorRows();
  const auto o = CollationOrder();
  std::vector<int32_t> order;
  for (auto _ : state) {
    std::vector<std::string> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string& n = rows[i].Name;
      std::string& k = keys[i];
      k.resize(n.size());
      for (std::size_t j = 0; j < n.size(); ++j) k[j] = static_cast<char>(o[static_cast<unsigned char>(n[j])]);
    }
    order.resize(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
      const int c = keys[static_cast<std::size_t>(a)].compare(keys[static_cast<std::size_t>(b)]);
      return c < 0 || (c == 0 && a < b);
    });
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * bench::kRecords);
}
BENCHMARK(BM_Anchor_SortKeysByText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
