// The recalculation of a document whose form holds 10,000 rows: the print
// ranges, the WORK program (every row's sum as quantity x price, then the
// total) and the refresh of what is shown. The anchor is the same loop of
// 10,000 rows that only reads the two cells, without writing any.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/price_tags.h"
#include "config/registries.h"
#include "documents/compiler/document_compiler.h"
#include "bench/document_rig.h"
#include "documents/document_recalc.h"
#include "language/interpreter.h"
#include "platform/encoding.h"

namespace vm {
namespace {

constexpr const char* kFormBlank =
    "COLCOUNT=3\nLEVELCOUNT=1\nFORMAT[1]=N,10,3\nFORMAT[2]=N,10,2\nFORMAT[3]=N,"
    "12,2\nCOLWIDTH[1..3]=100\n";

std::string Description(const std::string& work) {
  return "BLANK\nWIDTH = 500\nENDSECTION\n"
         "VARS\nI, J, TOTAL = N\nENDSECTION\n"
         "FORMS\nT = FORM:B, X1:0, Y1:0, Y2:100, KEYCOL:[1]\nENDSECTION\n"
         "INIT\nWHILE I, 1, I + 1, I <= 10000\nJ := ADDROW(T)\nSETCELL(T, 1, "
         "J, I / 100)\n"
         "SETCELL(T, 2, J, 1.5)\nENDWHILE\nENDSECTION\n"
         "WORK\n" +
         work + "ENDSECTION\n";
}

struct RecalcRig : BenchDocument {
  explicit RecalcRig(const std::string& work) : BenchDocument(kFormBlank, Description(work), 10000) {}
};

void BM_RecalcTenThousandRows(benchmark::State& state) {
  RecalcRig rig(
      "WHILE I, 1, I + 1, I <= ROWCOUNT(T)\nSETCELL(T, 3, I, T[1, I] "
      "* T[2, I])\nENDWHILE\n"
      "TOTAL := SUMTABLE(T, 3, 1, ROWCOUNT(T))\n");
  for (auto _ : state) RecalcDocument(rig.doc);
  if (Interp().Aborted()) std::abort();
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_RecalcTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_LoopReadingTenThousandRows(benchmark::State& state) {
  RecalcRig rig(
      "WHILE I, 1, I + 1, I <= ROWCOUNT(T)\nJ := T[1, I] * T[2, "
      "I]\nENDWHILE\n");
  for (auto _ : state) RecalcDocument(rig.doc);
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoopReadingTenThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vm
