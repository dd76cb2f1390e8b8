// The document language against Lua 5.4 on the same machine in the same run:
// a WHILE loop of ten million iterations over the document's own variables,
// and an arithmetic formula evaluated over and over. Every benchmark reports
// ns_per_iter (one loop iteration or one formula) and the heap allocations
// each made; the Lua ones run lua5.4 on bench/lua/ and leave its start out
// of ns_per_iter (its CPU time is the counter tools_cpu_s).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "alloc_counter.h"
#include "bench/child_cpu.h"
#include "language/evaluator.h"
#include "language/expr_compiler.h"
#include "language_rig.h"

namespace vm::bench {
namespace {

using TClock = std::chrono::steady_clock;

constexpr long long kLoopIterations = 10000000;
constexpr long long kFormulaRuns = 5000000;
constexpr const char* kFormula = "(X*2+1.5)/3 - X^2 + ROUND(X*100)/100 + MAX(X, 1) * SQRT(16)";

double Seconds(TClock::duration d) { return std::chrono::duration<double>(d).count(); }

void Report(benchmark::State& state, double seconds, long long perRun, uint64_t allocations) {
  const double units = static_cast<double>(state.iterations()) * static_cast<double>(perRun);
  state.counters["ns_per_iter"] = seconds * 1e9 / units;
  state.counters["allocs_per_iter"] = static_cast<double>(allocations) / units;
}

void BM_DocumentLoop(benchmark::State& state) {
  ResetStatements();
  TProgramContext context;
  NumberVariable(context, "I");
  TVariable* sum = NumberVariable(context, "S");
  TInstruction* program = CompileMain(context,
                                      "WHILE I, 1, I+1, I<=10000000\n"
                                      "  IF MOD(I, 3) = 0\n"
                                      "  THEN\n"
                                      "    S := S + I\n"
                                      "  ENDIF\n"
                                      "ENDWHILE\n"
                                      "ENDSECTION");
  if (program == nullptr) {
    state.SkipWithError("the loop does not compile");
    return;
  }
  // The first run prepares what the chains keep for the runs after it.
  Interp().ExecProgram(program);
  double seconds = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    sum->Value.Num = 0;
    const uint64_t before = HeapAllocations();
    const TClock::time_point start = TClock::now();
    Interp().ExecProgram(program);
    seconds += Seconds(TClock::now() - start);
    allocations += HeapAllocations() - before;
  }
  if (sum->Value.Num != 16666668333333.0L) state.SkipWithError("wrong sum");
  Report(state, seconds, kLoopIterations, allocations);
  FreeStatements();
}
BENCHMARK(BM_DocumentLoop)->Unit(benchmark::kMillisecond);

void BM_DocumentFormula(benchmark::State& state) {
  TExprContext context;
  NumberVariable(context, "X", 3.25L);
  TExprChain expr;
  if (CompileExpr(kFormula, context, expr).ErrCode != 0) {
    state.SkipWithError("the formula does not compile");
    return;
  }
  int err = 0;
  TCommonVar value;
  EvalExpr(expr, err, value);
  long double total = 0;
  double seconds = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    const uint64_t before = HeapAllocations();
    const TClock::time_point start = TClock::now();
    for (long long i = 0; i < kFormulaRuns; ++i) {
      EvalExpr(expr, err, value);
      total += value.Num;
    }
    seconds += Seconds(TClock::now() - start);
    allocations += HeapAllocations() - before;
  }
  benchmark::DoNotOptimize(total);
  // 8/3 - 10.5625 + 3.25 + 13.
  if (err != 0 || std::fabs(value.Num - 8.3541666666666666667L) > 1e-15L) state.SkipWithError("wrong value");
  Report(state, seconds, kFormulaRuns, allocations);
}
BENCHMARK(BM_DocumentFormula)->Unit(benchmark::kMillisecond);

// Seconds lua5.4 takes for a command line; negative when it cannot run.
double RunLua(const std::string& arguments) {
  const std::string command = "lua5.4 " + arguments + " >/dev/null 2>&1";
  const TClock::time_point start = TClock::now();
  const int status = std::system(command.c_str());
  const double seconds = Seconds(TClock::now() - start);
  return status == 0 ? seconds : -1;
}

void RunLuaAnchor(benchmark::State& state, const std::string& arguments, long long perRun) {
  const double startup = RunLua("-e ''");
  if (startup < 0) {
    state.SkipWithError("lua5.4 is not installed");
    return;
  }
  double seconds = 0;
  const TChildrenCpu cpu(state);
  for (auto _ : state) {
    const double s = RunLua(std::string(VELOMAR_BENCH_LUA_DIR) + "/" + arguments);
    if (s < 0) {
      state.SkipWithError("the Lua program failed");
      return;
    }
    state.SetIterationTime(s);
    seconds += s - startup;
  }
  Report(state, seconds, perRun, 0);
  state.counters.erase("allocs_per_iter");
}

void BM_LuaLoopLocal(benchmark::State& state) { RunLuaAnchor(state, "loop.lua", kLoopIterations); }
BENCHMARK(BM_LuaLoopLocal)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_LuaLoopGlobal(benchmark::State& state) { RunLuaAnchor(state, "loop_global.lua", kLoopIterations); }
BENCHMARK(BM_LuaLoopGlobal)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_LuaFormula(benchmark::State& state) {
  RunLuaAnchor(state, "expr.lua " + std::to_string(kFormulaRuns), kFormulaRuns);
}
BENCHMARK(BM_LuaFormula)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace vm::bench
