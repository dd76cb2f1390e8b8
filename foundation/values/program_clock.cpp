#include "foundation/values/program_clock.h"

#include "foundation/values/dates.h"
#include "platform/clock.h"

namespace vm {

void TProgramClock::Fix(const TDateRec& date, const TTimeRec& time) {
  mark_.Date = date;
  mark_.Time = time;
  mark_.Ticks = SystemClock().TickCountMs();
}

void TProgramClock::Now(TDateRec& date, TTimeRec& time) const {
  const uint64_t ticks = SystemClock().TickCountMs();
  // A tick count never goes back; a clock fixed by a stand-in that did is
  // taken as just fixed rather than as half a million years ahead.
  const uint64_t elapsedMs = ticks >= mark_.Ticks ? ticks - mark_.Ticks : 0;
  const uint64_t elapsed = (elapsedMs + 500) / 1000;
  const uint64_t total = uint64_t(mark_.Time.Hour) * 3600 + uint64_t(mark_.Time.Minute) * 60 +
                         uint64_t(mark_.Time.Second) + elapsed;
  const uint64_t rest = total % 86400;
  time.Hour = static_cast<int32_t>(rest / 3600);
  time.Minute = static_cast<int32_t>(rest % 3600 / 60);
  time.Second = static_cast<int32_t>(rest % 60);
  date = mark_.Date;
  for (uint64_t days = total / 86400; days > 0; --days) date = IncDateRec(date);
}

}  // namespace vm
