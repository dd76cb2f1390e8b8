// The searches of a document's table of 100,000 goods, as a program calls
// them: by a condition evaluated for every row, and by the values of two
// columns; the sought row is the last one. The anchor walks as many plain
// strings for the same name, to tell the machine's speed apart from the
// searches'.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/blanks.h"
#include "documents/form_list.h"
#include "language/expr_compiler.h"
#include "language/evaluator.h"

namespace vm {
namespace {

constexpr int32_t kRows = 100000;

std::string NameOf(int32_t i) { return "Goods " + std::to_string(i); }

class TableContext : public TExprContext {
 public:
  TableContext() {
    blank_.SetText("COLCOUNT=2\nLEVELCOUNT=1\nFORMAT[1]=C,30,0\nFORMAT[2]=N,12,2\nCOLWIDTH[1..2]=100\n");
    form_ = std::make_unique<TFormPar>("T", blank_);
    TCommonVar zero;
    zero.Kind = 'N';
    form_->SetRowVariables(nullptr, nullptr, nullptr, nullptr, Symbols().AddVariable("TCURRENTROW", zero));
    TDataView& view = form_->View();
    for (int32_t i = 0; i < kRows; ++i) {
      const int32_t r = view.AppendRow();
      view.SetCellText(0, r, NameOf(i));
      view.SetCellText(1, r, std::to_string(i % 5000));
    }
    view.SetUpdating(false);
  }
  IExprForm* FindForm(std::string_view name) override { return name == "T" ? form_.get() : nullptr; }

 private:
  TCurBlank blank_;
  std::unique_ptr<TFormPar> form_;
};

TableContext& Table() {
  static TableContext* context = new TableContext;
  return *context;
}

void Search(benchmark::State& state, const std::string& formula) {
  TExprChain chain;
  if (CompileExpr(formula, Table(), chain).ErrCode != 0) {
    state.SkipWithError("the formula does not compile");
    return;
  }
  for (auto _ : state) {
    int err = 0;
    TCommonVar v;
    EvalExpr(chain, err, v);
    if (err != 0 || v.Num != kRows) state.SkipWithError("the last row was not found");
  }
}

void BM_FindRowByCondition(benchmark::State& state) {
  Search(state, "FINDROW(T, CURCELL(T, 1) = '" + NameOf(kRows - 1) + "')");
}

void BM_FindFastRowByTwoColumns(benchmark::State& state) {
  Search(state, "FINDFASTROW(T, 2, 1, '=', " + std::to_string((kRows - 1) % 5000) + ", '" + NameOf(kRows - 1) +
                    "')");
}

void BM_Anchor_WalkStrings(benchmark::State& state) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < kRows; ++i) names.push_back(NameOf(i));
  const std::string sought = NameOf(kRows - 1);
  for (auto _ : state) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == sought) found = i;
    benchmark::DoNotOptimize(found);
  }
}

BENCHMARK(BM_FindRowByCondition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFastRowByTwoColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Anchor_WalkStrings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
