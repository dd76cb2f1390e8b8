// A WHILE loop of one million iterations with an assignment and a
// comparison, run by the statement interpreter; reports instructions per
// second (each iteration runs the test, the body and the step).
#include <benchmark/benchmark.h>

#include "language_rig.h"

namespace vm::bench {
namespace {

constexpr int kIterations = 1000000;

void BM_WhileLoop(benchmark::State& state) {
  ResetStatements();
  TProgramContext context;
  NumberVariable(context, "I");
  TVariable* sum = NumberVariable(context, "S");
  TInstruction* program = CompileMain(context,
                                      "WHILE I, 1, I+1, I<=1000000\n"
                                      "  S := S + I\n"
                                      "ENDWHILE\n"
                                      "ENDSECTION");
  if (program == nullptr) {
    state.SkipWithError("the loop does not compile");
    return;
  }
  for (auto _ : state) {
    sum->Value.Num = 0;
    Interp().ExecProgram(program);
    benchmark::DoNotOptimize(sum->Value.Num);
  }
  if (sum->Value.Num != 500000500000.0L) state.SkipWithError("wrong sum");
  // The initial assignment, then test, body and step per iteration and the
  // failing test at the end.
  const double perRun = 1.0 + 3.0 * kIterations + 1.0;
  state.counters["instructions/s"] =
      benchmark::Counter(perRun * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  FreeStatements();
}
BENCHMARK(BM_WhileLoop)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm::bench
