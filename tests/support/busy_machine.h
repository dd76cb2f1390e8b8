// A machine kept busy while a test runs: threads that only spin, twice as
// many as the cores the test may use, so that the window manager, the X
// server and the program take their turns as on a loaded machine.
#pragma once

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace vm::test {

// The cores a test may run on: those of its affinity mask, and no more than
// the parallel jobs the build and the tests were given
// (CMAKE_BUILD_PARALLEL_LEVEL), where they see it.
inline unsigned UsableCores() {
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (::sched_getaffinity(0, sizeof mask, &mask) == 0 && CPU_COUNT(&mask) > 0)
    cores = std::min(cores, static_cast<unsigned>(CPU_COUNT(&mask)));
  if (const char* jobs = std::getenv("CMAKE_BUILD_PARALLEL_LEVEL")) {
    const long parsed = std::strtol(jobs, nullptr, 10);
    if (parsed > 0) cores = std::min(cores, static_cast<unsigned>(std::min(parsed, 4096L)));
  }
  return cores;
}

class BusyMachine {
 public:
  BusyMachine() {
    const unsigned count = 2 * UsableCores();
    for (unsigned i = 0; i < count; ++i)
      threads_.emplace_back([this] {
        while (!stop_.load(std::memory_order_relaxed)) {
        }
      });
  }
  ~BusyMachine() {
    stop_ = true;
    for (std::thread& t : threads_) t.join();
  }
  BusyMachine(const BusyMachine&) = delete;
  BusyMachine& operator=(const BusyMachine&) = delete;
  unsigned Threads() const { return static_cast<unsigned>(threads_.size()); }

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

}  // namespace vm::test
