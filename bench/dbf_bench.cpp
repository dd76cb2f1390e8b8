// A table of a million goods: appended, closed, opened again and read
// field by field, as text and as typed values. bench/shapelib_anchor_bench.cpp
// does the same with shapelib.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "bench/bench_tables.h"
#include "foundation/tables/dbf.h"
#include "foundation/tables/string_base.h"
#include "platform/encoding.h"

namespace vm {
namespace {

using bench::FillTable;
using bench::kRecords;
using bench::PriceText;
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

// Every field of every record read as the value the documents see: the
// numbers and dates through their texts.
void BM_DbfReadValues(benchmark::State& state) {
  const std::string path = TablePath();
  FillTable(path);
  long double sum = 0;
  for (auto _ : state) sum += bench::SumOfValues(path);
  benchmark::DoNotOptimize(sum);
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DbfReadValues)->Unit(benchmark::kMillisecond)->Iterations(3);

// A million records written from typed values, as a save writes its rows.
void BM_DbfWriteValues(benchmark::State& state) {
  const std::string path = TablePath();
  const auto& names = bench::Names();
  for (auto _ : state) {
    TDBF t;
    bench::CreateGoods(t, path);
    const TStringBase layout(&t);
    std::string record(static_cast<std::size_t>(t.RecordSize()), ' ');
    TCommonVar no, name, price, date;
    no.Kind = price.Kind = 'N';
    name.Kind = 'C';
    date.Kind = 'D';
    for (int i = 1; i <= kRecords; ++i) {
      no.Num = i;
      name.Str = names[static_cast<std::size_t>(i) % names.size()];
      price.Num = static_cast<long double>(i) / 100;
      date.Date = TDateRec{1 + i % 28, 1 + i % 12, 2000 + i % 20};
      layout.SetBufferValue(0, no, record.data());
      layout.SetBufferValue(1, name, record.data());
      layout.SetBufferValue(2, price, record.data());
      layout.SetBufferValue(3, date, record.data());
      t.GoToRecord(t.RecCount() + 1);
      t.SetRecordText(record.data());
      if (!t.WriteRecord()) std::abort();
    }
    if (!t.Close()) std::abort();
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DbfWriteValues)->Unit(benchmark::kMillisecond)->Iterations(3);

// Goods' names with « » — “ ” (Arg 1), or the same with the " and - that
// code page 866 gets for them (Arg 0): both write the same file, so the
// two differ only in the conversion of the marks.
const std::array<std::string, 8>& NamesWithMarks(bool marks) {
  static const auto make = [](bool typographic) {
    std::array<std::string, 8> names = {
        "Молоко «Домик в деревне» 3,2%"_w, "Хлеб «Бородинский» — 400 г"_w, "Сыр “Российский” 45%"_w,
        "Масло сливочное — 82,5%"_w,       "Ёлочная игрушка «Шар» №5"_w,   "Кефир “Простоквашино” 1%"_w,
        "Сахар-песок — 1 кг"_w,            "Чай «Майский» — чёрный"_w};
    if (!typographic)
      for (std::string& name : names)
        for (char& c : name)
          if (const char dos = WinToDosChar(c); c < 0 && dos > 0) c = dos;  // a mark's stand-in
    return names;
  };
  static const std::array<std::string, 8> typographic = make(true), plain = make(false);
  return marks ? typographic : plain;
}

// A million records handed over whole, as a save writes its rows: the work
// of turning their names into code page 866 beside that of the writes.
void BM_DbfWriteRecordsWhole(benchmark::State& state) {
  const std::string path = TablePath();
  const auto& names = NamesWithMarks(state.range(0) != 0);
  std::vector<std::string> records;
  {
    TDBF t;
    bench::CreateGoods(t, path);
    const TStringBase layout(&t);
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::string& record = records.emplace_back(static_cast<std::size_t>(t.RecordSize()), ' ');
      layout.SetBufferText(0, std::to_string(i + 1), record.data());
      layout.SetBufferText(1, names[i], record.data());
      layout.SetBufferText(2, PriceText(static_cast<int>(i) * 137), record.data());
      layout.SetBufferText(3, "20240229", record.data());
    }
  }
  for (auto _ : state) {
    TDBF t;
    bench::CreateGoods(t, path);
    for (int i = 1; i <= kRecords; ++i) {
      t.GoToRecord(t.RecCount() + 1);
      t.SetRecordText(records[static_cast<std::size_t>(i) % records.size()].data());
      if (!t.WriteRecord()) std::abort();
    }
    if (!t.Close()) std::abort();
  }
  unlink(path.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DbfWriteRecordsWhole)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
