#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace vm {

namespace {

TClockReading FromTm(const std::tm& t, int32_t ms) {
  TClockReading r;
  r.Year = t.tm_year + 1900;
  r.Month = t.tm_mon + 1;
  r.Day = t.tm_mday;
  r.Hour = t.tm_hour;
  r.Minute = t.tm_min;
  // A leap second reads as the last second of its minute.
  r.Second = t.tm_sec > 59 ? 59 : t.tm_sec;
  r.Millisecond = ms;
  return r;
}

template <bool Local>
TClockReading ReadRealtime() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  const std::time_t secs = std::chrono::system_clock::to_time_t(now);
  std::tm t{};
  if constexpr (Local) {
    localtime_r(&secs, &t);
  } else {
    gmtime_r(&secs, &t);
  }
  const auto frac = static_cast<int32_t>(((ms.count() % 1000) + 1000) % 1000);
  return FromTm(t, frac);
}

const Clock gSystem;
const Clock* gInstalled = nullptr;

}  // namespace

TClockReading Clock::LocalNow() const { return ReadRealtime<true>(); }

TClockReading Clock::UtcNow() const { return ReadRealtime<false>(); }

uint64_t Clock::TickCountMs() const {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

const Clock& SystemClock() { return gInstalled ? *gInstalled : gSystem; }

void InstallClock(const Clock* clock) { gInstalled = clock; }

}  // namespace vm
