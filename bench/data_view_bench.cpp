// A blank view of 100,000 goods: sorted by a number and by a text column,
// searched by key and by prefix, and a row inserted in the middle. The
// anchor sorts as many plain integers, to tell the machine's speed apart
// from the view's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "config/blanks.h"
#include "platform/encoding.h"
#include "models/data_view.h"

namespace vm {
namespace {

constexpr int32_t kRows = 100000;
enum { kName = 0, kPrice = 1 };

const std::string kBlank =
    "COLCOUNT=3\nLEVELCOUNT=1\nFORMAT[1]=C,30,0\nFORMAT[2]=N,12,2\nFORMAT[3]=D,0,0\nCOLWIDTH[1..3]=100\n";

std::string NameOf(int32_t i) {
  static const std::vector<std::string> words = {"Молоко"_w, "Хлеб"_w, "сыр"_w, "Ёлка"_w,
                                                 "Кефир"_w,  "Сахар"_w, "чай"_w, "Масло"_w};
  return words[static_cast<size_t>(i) % words.size()] + " " + std::to_string(i);
}

// A view of kRows rows in a random order.
TDataView& Goods() {
  static TDataView* view = [] {
    static TCurBlank blank;
    blank.SetText(kBlank);
    auto* v = new TDataView;
    v->SetBlank(&blank);
    std::vector<int32_t> ids(kRows);
    std::iota(ids.begin(), ids.end(), 0);
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    for (const int32_t id : ids) {
      const int32_t r = v->AppendRow();
      v->SetCellText(kName, r, NameOf(id));
      v->SetCellText(kPrice, r, std::to_string(id % 5000) + "." + std::to_string(id % 100));
    }
    v->SetUpdating(false);
    return v;
  }();
  return *view;
}

void Shuffle(TDataView& view, std::mt19937& rng) {
  std::vector<int32_t> order(static_cast<size_t>(view.RowCount()));
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), rng);
  view.Table().Reorder(order);
}

void SortBy(benchmark::State& state, int32_t col) {
  TDataView& view = Goods();
  std::mt19937 rng(11);
  for (auto _ : state) {
    state.PauseTiming();
    Shuffle(view, rng);
    state.ResumeTiming();
    benchmark::DoNotOptimize(view.SortByColumn(col, false));
  }
}

void BM_SortByNumberColumn(benchmark::State& state) { SortBy(state, kPrice); }
void BM_SortByTextColumn(benchmark::State& state) { SortBy(state, kName); }

void BM_FindOrInsertRowFound(benchmark::State& state) {
  TDataView& view = Goods();
  view.SortByColumn(kName, false);
  TKeyCol key;
  key.Number = kName;
  key.Value.Kind = 'C';
  int32_t i = 0;
  for (auto _ : state) {
    key.Value.Str = NameOf(i);
    i = (i + 7919) % kRows;
    bool inserted = false;
    benchmark::DoNotOptimize(view.FindOrInsertRow(&key, inserted, true));
    if (inserted) state.SkipWithError("a key of the view was not found");
  }
}

void BM_FindPrefixLastRow(benchmark::State& state) {
  TDataView& view = Goods();
  const std::string last = view.GetCellText(kName, view.RowCount() - 1);
  for (auto _ : state) benchmark::DoNotOptimize(view.FindPrefix(last, kName));
}

void BM_InsertRowInTheMiddle(benchmark::State& state) {
  TDataView& view = Goods();
  for (auto _ : state) {
    benchmark::DoNotOptimize(view.InsertRow(kRows / 2));
    state.PauseTiming();
    view.DeleteRow(kRows / 2);
    state.ResumeTiming();
  }
}

void BM_DeleteRowInTheMiddle(benchmark::State& state) {
  TDataView& view = Goods();
  for (auto _ : state) {
    view.DeleteRow(kRows / 2);
    state.PauseTiming();
    view.InsertRow(kRows / 2);
    state.ResumeTiming();
  }
}

void BM_Anchor_StableSortInts(benchmark::State& state) {
  std::vector<int32_t> values(kRows);
  std::mt19937 rng(3);
  for (auto _ : state) {
    state.PauseTiming();
    for (int32_t& v : values) v = static_cast<int32_t>(rng());
    state.ResumeTiming();
    std::stable_sort(values.begin(), values.end());
    benchmark::DoNotOptimize(values.data());
  }
}

BENCHMARK(BM_Anchor_StableSortInts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNumberColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTextColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindOrInsertRowFound)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindPrefixLastRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRowInTheMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteRowInTheMiddle)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vm
