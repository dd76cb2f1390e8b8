// Evaluations per second of compiled formulas: one arithmetic, one over
// strings, each run in a loop the way a recalculation runs its formulas.
#include <benchmark/benchmark.h>

#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language_rig.h"

namespace {

using namespace vm;

void RunCompiled(benchmark::State& state, std::string_view text) {
  TExprContext ctx;
  vm::bench::NumberVariable(ctx, "X", 3.25L);
  TCommonVar name;
  name.Kind = 'C';
  name.Str = "  Widget 250g ";
  ctx.Symbols().AddVariable("NAME", name);
  TExprChain expr;
  if (CompileExpr(text, ctx, expr).ErrCode != 0) {
    state.SkipWithError("formula does not compile");
    return;
  }
  int err = 0;
  TCommonVar value;
  for (auto _ : state) {
    EvalExpr(expr, err, value);
    benchmark::DoNotOptimize(value);
  }
  if (err != 0) state.SkipWithError("formula failed");
  state.counters["evals/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

void BM_ArithmeticFormula(benchmark::State& state) {
  RunCompiled(state, "(X*2+1.5)/3 - X^2 + ROUND(X*100)/100 + MAX(X, 1) * SQRT(16)");
}
BENCHMARK(BM_ArithmeticFormula);

void BM_StringFormula(benchmark::State& state) {
  RunCompiled(state,
              "NOSPACE(NAME) + ' ' + COPYSTR(NAME, 3, 6) + EXPANDSTRING('x', 5, 1, '-')"
              " + QUESTS(LEN(NAME) > 3, 'long', 'short')");
}
BENCHMARK(BM_StringFormula);

}  // namespace
