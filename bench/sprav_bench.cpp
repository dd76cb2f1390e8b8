// The reference-book window's logic over a goods book of 100,000 rows (the
// sample configuration with a bigger goods table): the tab ready (loaded
// and sorted by name), a character typed into the search, and the book
// saved whole. The anchor is the same rows loaded into the in-memory table
// alone.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "config/data_dir.h"
#include "config/settings.h"
#include "documents/sprav_form.h"
#include "foundation/tables/string_base.h"
#include "platform/encoding.h"
#include "ui/startup.h"

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

}  // namespace
}  // namespace vm
