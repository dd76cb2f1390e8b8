// The reference-book window's logic over a goods book of 100,000 rows (the
// sample configuration with a bigger goods table): the tab ready (loaded
// and sorted by name), a character typed into the search, and the book
// saved whole. The anchor is the same rows loaded into the in-memory table
// alone.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "config/data_dir.h"
#include "config/settings.h"
#include "documents/sprav_form.h"
#include "foundation/tables/string_base.h"
#include "foundation/text/collation.h"
#include "platform/encoding.h"
#include "models/startup.h"
#include "models/string_table.h"

namespace vm {
namespace {

constexpr int kBookRows = 100000;

// The sample data in a folder of its own, the goods grown to kBookRows.
class BigBook {
 public:
  BigBook() {
    char pattern[] = "/tmp/velomar_sprav_bench_XXXXXX";
    dir_ = mkdtemp(pattern);
    for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      std::filesystem::copy_file(e.path(), std::filesystem::path(dir_) / e.path().filename());
    FillGoods(dir_ + "/goods.dbf");
    ::setenv("VELOMAR_HOME", dir_.c_str(), 1);
    InitProgramDirectory();
    SetCommandLine(0, nullptr);
    if (StartUp() != 0) std::abort();
    UnlockBases();
  }
  ~BigBook() {
    ShutDown();
    std::filesystem::remove_all(dir_);
  }
  std::string Goods() const { return dir_ + "/goods.dbf"; }

 private:
  static void FillGoods(const std::string& path) {
    TDBF demo;
    demo.FileName = path;
    if (!demo.OpenReadOnly()) std::abort();
    std::vector<TFieldRecord> fields;
    for (int i = 0; i < demo.FieldCount(); ++i) fields.push_back(demo.GetFieldDef(i));
    demo.Close();
    TDBF t;
    t.FileName = path;
    t.CreateTable();
    for (const TFieldRecord& f : fields) t.AddField(f);
    t.WriteStructure();
    const std::string names[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
    char text[32];
    for (int i = 1; i <= kBookRows; ++i) {
      t.GoToRecord(t.RecCount() + 1);
      t.ClearRecordBuf();
      t.SetFieldInt(0, i);
      t.SetFieldInt(1, i);
      t.SetFieldStr(2, names[i % 7] + " " + std::to_string((i * 7919) % kBookRows));
      t.SetFieldStr(3, "шт"_w);
      std::snprintf(text, sizeof text, "%d.%02d", i % 1000, i % 100);
      t.SetFieldStr(4, text);
      t.SetFieldStr(5, text);
      t.SetFieldStr(6, std::to_string(i % 50));
      t.SetFieldStr(7, std::to_string(4600000000000LL + i));
      if (!t.WriteRecord()) std::abort();
    }
    if (!t.Close()) std::abort();
  }

  std::string dir_;
};

BigBook& Book() {
  static BigBook book;
  return book;
}

void BM_SpravAnchorTableLoad(benchmark::State& state) {
  TDBF dbf;
  dbf.FileName = Book().Goods();
  TStringBase table(&dbf);
  for (auto _ : state)
    if (!table.LoadAll()) std::abort();
  state.counters["rows"] = table.Count();
}
BENCHMARK(BM_SpravAnchorTableLoad)->Unit(benchmark::kMillisecond);

void BM_SpravTabReady(benchmark::State& state) {
  Book();
  TSpravFormLogic logic(Settings());
  for (auto _ : state) {
    logic.Show();
    benchmark::DoNotOptimize(logic.Tab(0)->View.RowCount());
  }
  state.counters["rows"] = logic.Tab(0)->View.RowCount();
}
BENCHMARK(BM_SpravTabReady)->Unit(benchmark::kMillisecond);

void BM_SpravTypedSearch(benchmark::State& state) {
  Book();
  TSpravFormLogic logic(Settings());
  logic.Show();
  logic.Tab(0)->View.SetCol(1);
  const std::string prefixes[] = {"С"_w, "Са"_w, "Сах"_w, "Саха"_w, "Сахар 9"_w, "М"_w, "Мо"_w, "Чай 1"_w};
  std::size_t i = 0;
  for (auto _ : state) logic.SearchChanged(prefixes[i++ % 8]);
}
BENCHMARK(BM_SpravTypedSearch)->Unit(benchmark::kMicrosecond);

void BM_SpravSaveWhole(benchmark::State& state) {
  Book();
  TSpravFormLogic logic(Settings());
  logic.Show();
  TSpravTab& goods = *logic.Tab(0);
  if (!goods.RewriteWhole) std::abort();
  for (auto _ : state) {
    goods.Modified = true;
    if (!logic.SaveTab(goods)) std::abort();
  }
}
BENCHMARK(BM_SpravSaveWhole)->Unit(benchmark::kMillisecond);

// A typed search character in a column of 10k, 100k and 1M goods names
// sorted as the tab shows them, against the anchor: a walk over every key
// of the column comparing it with the typed text.
const std::vector<std::string>& SortedNames(int32_t rows) {
  static std::map<int32_t, std::vector<std::string>> made;
  std::vector<std::string>& names = made[rows];
  if (names.empty()) {
    const std::string kinds[] = {"Молоко"_w, "Хлеб"_w, "Сахар"_w, "Сыр"_w, "Чай"_w, "Крупа"_w, "Масло"_w};
    for (int32_t i = 1; i <= rows; ++i)
      names.push_back(kinds[i % 7] + " " + std::to_string((int64_t{i} * 7919) % rows));
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return CollateCompare(a, b, false) < 0; });
  }
  return names;
}

const TStringTable& NameColumn(int32_t rows) {
  static std::map<int32_t, TStringTable> tables;
  TStringTable& t = tables[rows];
  if (t.Count() == 0) {
    t.SetColCount(2);
    for (const std::string& name : SortedNames(rows)) t.SetCellText(1, t.AppendRow()->Index, name);
  }
  return t;
}

const std::string kTyped[] = {"С"_w, "Са"_w, "Сах"_w, "Саха"_w, "Сахар 9"_w, "М"_w, "Мо"_w, "Чай 1"_w};

void BM_TypedSearchCharacter(benchmark::State& state) {
  const TStringTable& t = NameColumn(static_cast<int32_t>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(t.FindBestPrefix(kTyped[i++ % 8], 1));
}
BENCHMARK(BM_TypedSearchCharacter)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The first character after the column changed: the search makes its index.
void BM_TypedSearchFirstCharacter(benchmark::State& state) {
  TStringTable& t = const_cast<TStringTable&>(NameColumn(static_cast<int32_t>(state.range(0))));
  const std::string first = t.GetCellText(1, 0);
  for (auto _ : state) {
    t.SetCellText(1, 0, first);
    benchmark::DoNotOptimize(t.FindBestPrefix(kTyped[0], 1));
  }
}
BENCHMARK(BM_TypedSearchFirstCharacter)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_TypedSearchAnchorWalkKeys(benchmark::State& state) {
  const TStringTable& t = NameColumn(static_cast<int32_t>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& typed = kTyped[i++ % 8];
    int32_t found = -1;
    for (int32_t r = 0; r < t.Count(); ++r)
      if (t.GetCellText(1, r).starts_with(typed)) found = r;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_TypedSearchAnchorWalkKeys)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vm
