// The receiving side of the scanner's serial line: bytes become lines ended
// by a carriage return, a line left half-sent for two seconds is dropped,
// and complete lines reach a callback only while delivery is on. One thread
// per port reads the line; stopping wakes it and joins it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/serial_device.h"

namespace vm {

// Called on the receive thread, inside the receiver's lock, with the line
// without its carriage return (not terminated). It copies the bytes before
// it returns and never waits for the user-interface thread.
using TLineCallback = std::function<void(const uint8_t* data, std::size_t length)>;
// A millisecond counter that wraps around after 2^32 ms.
using TTickSource = std::function<uint32_t()>;

// Milliseconds of the monotonic clock, cut to 32 bits.
uint32_t SteadyTicks();

class TWaitTimer {
 public:
  explicit TWaitTimer(TTickSource ticks) : ticks_(std::move(ticks)) {}
  void Start(uint32_t interval);
  // At least the interval has passed since Start, across a wrap of the
  // counter.
  bool Elapsed() const;

 private:
  TTickSource ticks_;
  uint32_t start_ = 0;
  uint32_t interval_ = 0;
};

class TLineAssembler {
 public:
  static constexpr std::size_t kLineBufferSize = 1025;
  static constexpr uint32_t kIdleMs = 2000;

  explicit TLineAssembler(TTickSource ticks = SteadyTicks);

  void SetCallback(TLineCallback callback);
  // Without the lock: a line is delivered or not as the flag stands when
  // its carriage return comes.
  void SetEnabled(bool on) { enabled_.store(on, std::memory_order_relaxed); }
  bool Enabled() const { return enabled_.load(std::memory_order_relaxed); }
  // Drops the line under way. Only while no thread feeds it.
  void Reset();
  // The receive thread (or a test in its place).
  void Feed(const uint8_t* bytes, std::size_t count);
  // Bytes of the line under way; the receive thread's view.
  std::size_t PendingLength() const { return length_.load(std::memory_order_relaxed); }

 private:
  void Deliver();

  std::mutex section_;
  TLineCallback callback_;
  std::atomic<bool> enabled_{false};
  TWaitTimer idle_;
  uint8_t line_[kLineBufferSize] = {};
  std::atomic<std::size_t> length_{0};
};

class TRecThread {
 public:
  static constexpr std::size_t kReadBufferSize = 9001;
  static constexpr int kRetryMs = 200;

  TRecThread(IByteSource& source, TLineAssembler& lines) : source_(source), lines_(lines) {}
  ~TRecThread() { Stop(); }
  TRecThread(const TRecThread&) = delete;
  TRecThread& operator=(const TRecThread&) = delete;

  void Start();
  // Wakes the thread wherever it waits and joins it.
  void Stop();
  // How often the thread came back from the line; a dead line must not
  // make it spin.
  uint64_t Wakeups() const { return wakeups_.load(std::memory_order_relaxed); }
  uint64_t Faults() const { return faults_.load(std::memory_order_relaxed); }

 private:
  void Execute();
  // The pause after a fault; false when stopping.
  bool PauseAfterFault();

  IByteSource& source_;
  TLineAssembler& lines_;
  std::thread thread_;
  std::mutex stopMutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::atomic<uint64_t> wakeups_{0};
  std::atomic<uint64_t> faults_{0};
};

}  // namespace vm
