// What putting a small file in place whole costs (a fresh name beside it,
// the data and the folder synced, the rename) against writing it in place.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace vm {
namespace {

const std::string& Content() {
  static const std::string content(4096, 'x');
  return content;
}

std::string BenchPath() { return "/tmp/velomar_bench_" + std::to_string(getpid()) + ".ini"; }

// The anchor: the same bytes written over the file where it stands.
void BM_WriteInPlace(benchmark::State& state) {
  const std::string path = BenchPath();
  for (auto _ : state) {
    auto f = Files().Open(path, FileMode::Create);
    if (!f || !f->Truncate(0) || !f->WriteAt(0, Content().data(), Content().size())) std::abort();
  }
  unlink(path.c_str());
}
BENCHMARK(BM_WriteInPlace)->Unit(benchmark::kMicrosecond);

void BM_ReplaceFile(benchmark::State& state) {
  const std::string path = BenchPath();
  for (auto _ : state) {
    const bool ok = ReplaceFile(
        path, [](File& f) { return f.WriteAt(0, Content().data(), Content().size()); });
    if (!ok) std::abort();
  }
  unlink(path.c_str());
}
BENCHMARK(BM_ReplaceFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vm
