// The scanner's serial line end to end: 10,000 codes at 115200 baud through
// a pseudo-terminal into the port's callback. Reported: whether every line
// came once and in order, and the time from a line's carriage return to its
// callback (median and 99th percentile, microseconds).
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "devices/com_port.h"
#include "devices/comm_config.h"

namespace vm {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLines = 10000;
constexpr uint32_t kBaud = 115200;

std::string CodeOf(int i) {
  std::string digits = std::to_string(4600000000000LL + i);
  return digits + "\r";
}

void BM_ScannerLineLatency(benchmark::State& state) {
  for (auto _ : state) {
    int master = -1;
    int terminal = -1;
    if (::openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    std::vector<Clock::time_point> sent(kLines);
    std::vector<Clock::time_point> received(kLines);
    std::atomic<int> count = 0;
    std::atomic<bool> inOrder = true;
    TComPort port([&](const uint8_t* data, std::size_t length) {
      const auto now = Clock::now();
      const int n = count.load(std::memory_order_relaxed);
      const std::string line(reinterpret_cast<const char*>(data), length);
      if (n >= kLines || line != CodeOf(n).substr(0, line.size()) || line.size() + 1 != CodeOf(n).size()) {
        inOrder = false;
      } else {
        received[static_cast<std::size_t>(n)] = now;
      }
      count.store(n + 1, std::memory_order_release);
    });
    port.Open(::ttyname(terminal));
    TPortConfig config = DefaultPortConfig();
    SetFraming(config, kBaud, 8, 0, 0, TFlowControl::None);
    port.SetConfig(config);
    port.SetReceiveEnabled(true);
    const auto start = Clock::now();
    Clock::duration elapsed{};
    for (int i = 0; i < kLines; ++i) {
      const std::string line = CodeOf(i);
      // Each character is ten bits on the line.
      elapsed += std::chrono::nanoseconds(1000000000LL * 10 * static_cast<long long>(line.size()) / kBaud);
      sent[static_cast<std::size_t>(i)] = Clock::now();
      if (::write(master, line.data(), line.size()) != static_cast<ssize_t>(line.size())) break;
      std::this_thread::sleep_until(start + elapsed);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (count.load(std::memory_order_acquire) < kLines && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    port.ClosePort();
    ::close(master);
    ::close(terminal);

    std::vector<double> micros;
    for (int i = 0; i < std::min(count.load(), kLines); ++i)
      micros.push_back(std::chrono::duration<double, std::micro>(received[static_cast<std::size_t>(i)] -
                                                                 sent[static_cast<std::size_t>(i)])
                           .count());
    std::sort(micros.begin(), micros.end());
    state.counters["lines"] = count.load();
    state.counters["in_order"] = inOrder.load() && count.load() == kLines ? 1 : 0;
    if (!micros.empty()) {
      state.counters["median_us"] = micros[micros.size() / 2];
      state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    }
  }
}

BENCHMARK(BM_ScannerLineLatency)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vm
