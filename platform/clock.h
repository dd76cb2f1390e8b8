// The computer's clock. Everything that asks for the date or the time goes
// through the installed Clock, so tests and the headless runner can fix it.
#pragma once

#include <cstdint>

namespace vm {

// One reading of a clock, broken down.
struct TClockReading {
  int32_t Year = 0;
  int32_t Month = 0;  // 1..12
  int32_t Day = 0;
  int32_t Hour = 0;
  int32_t Minute = 0;
  int32_t Second = 0;
  int32_t Millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The local time of the computer.
  virtual TClockReading LocalNow() const;
  // The same moment in UTC.
  virtual TClockReading UtcNow() const;
  // Milliseconds of a monotonic clock; only differences mean anything.
  virtual uint64_t TickCountMs() const;
};

// A clock that stands still until it is moved; for tests.
class FixedClock : public Clock {
 public:
  FixedClock() = default;
  explicit FixedClock(const TClockReading& local) : local_(local), utc_(local) {}
  FixedClock(const TClockReading& local, const TClockReading& utc) : local_(local), utc_(utc) {}

  TClockReading LocalNow() const override { return local_; }
  TClockReading UtcNow() const override { return utc_; }
  uint64_t TickCountMs() const override { return ticks_; }

  void SetLocal(const TClockReading& r) { local_ = r; }
  void SetUtc(const TClockReading& r) { utc_ = r; }
  void SetTicks(uint64_t ms) { ticks_ = ms; }
  void AdvanceTicks(uint64_t ms) { ticks_ += ms; }

 private:
  TClockReading local_;
  TClockReading utc_;
  uint64_t ticks_ = 0;
};

// The installed clock (the system clock until something is installed).
const Clock& SystemClock();
// Installs a clock; nullptr goes back to the system clock. The caller keeps
// ownership.
void InstallClock(const Clock* clock);

// Installs a clock for the life of the guard, then puts back the one before.
class ScopedClock {
 public:
  explicit ScopedClock(const Clock& clock) : previous_(&SystemClock()) { InstallClock(&clock); }
  ~ScopedClock() { InstallClock(previous_); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  const Clock* previous_;
};

}  // namespace vm
