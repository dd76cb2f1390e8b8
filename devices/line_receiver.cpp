#include "devices/line_receiver.h"

#include <chrono>
#include <memory>

namespace vm {

uint32_t SteadyTicks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void TWaitTimer::Start(uint32_t interval) {
  interval_ = interval;
  start_ = ticks_();
}

bool TWaitTimer::Elapsed() const {
  // Unsigned subtraction is the distance modulo 2^32.
  return static_cast<uint32_t>(ticks_() - start_) >= interval_;
}

TLineAssembler::TLineAssembler(TTickSource ticks) : idle_(std::move(ticks)) { idle_.Start(kIdleMs); }

void TLineAssembler::SetCallback(TLineCallback callback) {
  const std::lock_guard<std::mutex> lock(section_);
  callback_ = std::move(callback);
}

void TLineAssembler::Reset() {
  length_.store(0, std::memory_order_relaxed);
  idle_.Start(kIdleMs);
}

void TLineAssembler::Feed(const uint8_t* bytes, std::size_t count) {
  std::size_t length = length_.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < count; ++i) {
    if (idle_.Elapsed()) length = 0;
    if (bytes[i] == '\r') {
      length_.store(length, std::memory_order_relaxed);
      Deliver();
      length = 0;
    } else if (length < kLineBufferSize) {
      line_[length++] = bytes[i];
    }
    // A longer line keeps its first 1025 bytes; the rest of it is dropped
    // up to its carriage return.
    idle_.Start(kIdleMs);
  }
  length_.store(length, std::memory_order_relaxed);
}

void TLineAssembler::Deliver() {
  const std::lock_guard<std::mutex> lock(section_);
  if (enabled_.load(std::memory_order_relaxed) && callback_)
    callback_(line_, length_.load(std::memory_order_relaxed));
}

void TRecThread::Start() {
  Stop();
  {
    const std::lock_guard<std::mutex> lock(stopMutex_);
    stop_ = false;
  }
  thread_ = std::thread([this] { Execute(); });
}

void TRecThread::Stop() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(stopMutex_);
    stop_ = true;
  }
  stopped_.notify_all();
  source_.Wake();
  thread_.join();
}

bool TRecThread::PauseAfterFault() {
  std::unique_lock<std::mutex> lock(stopMutex_);
  return !stopped_.wait_for(lock, std::chrono::milliseconds(kRetryMs), [this] { return stop_; });
}

void TRecThread::Execute() {
  const auto buffer = std::make_unique<uint8_t[]>(kReadBufferSize);
  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(stopMutex_);
      if (stop_) return;
    }
    const long n = source_.WaitAndRead(buffer.get(), kReadBufferSize);
    wakeups_.fetch_add(1, std::memory_order_relaxed);
    if (n > 0) {
      lines_.Feed(buffer.get(), static_cast<std::size_t>(n));
    } else if (n < 0) {
      // Read faults are not the user's business; the line may come back.
      faults_.fetch_add(1, std::memory_order_relaxed);
      if (!PauseAfterFault()) return;
    }
  }
}

}  // namespace vm
