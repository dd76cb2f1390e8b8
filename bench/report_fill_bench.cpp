// A 1,000-row report on LibreOffice Calc from the office's start to the
// saved .xlsx (quitting not counted), to set beside the plain python3-uno
// fill of the shared anchor uno_fill.py. Two ways a document fills its
// rows: the placeholder row copied once for all rows, or once per row.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/calc_spreadsheet.h"
#include "platform/encoding.h"
#include "tests/support/python_tools.h"

namespace vm {
namespace {

constexpr int kRows = 1000;

void FillReport(benchmark::State& state, bool rowByRow) {
  const std::string dir = "/tmp/velomar_report_bench_" + std::to_string(getpid()) + "/";
  std::filesystem::create_directories(dir);
  test::WriteWorkbook(dir + "t.xlsx", {"A1=Отчет на ДАТА", "A2=Товар", "B2=Цена", "A3=товар", "B3=#0", "C3=#0"});
  for (auto _ : state) {
    TCalcSpreadsheet calc;
    std::string error;
    if (!calc.Start()) {
      state.SkipWithError("LibreOffice Calc cannot be started");
      break;
    }
    auto book = calc.CreateReport(dir + "t.xlsx", dir + "r.xlsx", error);
    if (!rowByRow) book->CopyRow(1, 3, 4, kRows - 1);
    for (int i = 1; i <= kRows; ++i) {
      if (rowByRow && i < kRows) book->CopyRow(1, i + 2, i + 3, 1);
      book->SetCell(1, i + 2, 1, "Товар "_w + std::to_string(i));
      book->SetCell(1, i + 2, 2, "12,50");
      book->SetCellNum(1, i + 2, 3, i * 1.5);
    }
    book->ReplaceWords(1, "ДАТА"_w, "07.12.2026", true);
    book->Close(true);
    state.PauseTiming();
    calc.Quit();
    state.ResumeTiming();
  }
  std::filesystem::remove_all(dir);
}

void BM_ReportFillCopiedOnce(benchmark::State& state) { FillReport(state, false); }
void BM_ReportFillCopiedPerRow(benchmark::State& state) { FillReport(state, true); }

BENCHMARK(BM_ReportFillCopiedOnce)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReportFillCopiedPerRow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vm
