// A machine kept busy while a test runs: threads that only spin, twice as
// many as the cores the test sees, so that the window manager, the X
// server and the program take their turns as on a loaded machine.
#pragma once

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace vm::test {

class BusyMachine {
 public:
  BusyMachine() {
    const unsigned count = 2 * std::max(1u, std::thread::hardware_concurrency());
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

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

}  // namespace vm::test
