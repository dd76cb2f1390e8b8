// The CPU time of the processes a benchmark starts is theirs, not the
// benchmark's: it is added up apart, in the counter tools_cpu_s (seconds over
// all iterations), so that a program or a tool run as a process can be set
// beside work done in this one.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace vm::bench {

inline double ChildrenCpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Counts the children's CPU time from its making to its end.
class TChildrenCpu {
 public:
  explicit TChildrenCpu(benchmark::State& state) : state_(state), before_(ChildrenCpuSeconds()) {}
  ~TChildrenCpu() { state_.counters["tools_cpu_s"] += ChildrenCpuSeconds() - before_; }
  TChildrenCpu(const TChildrenCpu&) = delete;
  TChildrenCpu& operator=(const TChildrenCpu&) = delete;

 private:
  benchmark::State& state_;
  double before_;
};

}  // namespace vm::bench
