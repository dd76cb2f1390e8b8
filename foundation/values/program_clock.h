// The program clock: a base date and time fixed at some moment, moved on by
// the monotonic tick count of the computer since then. The program keeps its
// own clock when it does not follow the system clock, so the date a document
// records is the one the user confirmed.
#pragma once

#include <cstdint>

#include "foundation/values/values.h"

namespace vm {

// One setting of the clock, to be put back whole: the base and the tick it
// was fixed at belong together, or the clock jumps by the time in between.
struct TClockMark {
  TDateRec Date;
  TTimeRec Time;
  uint64_t Ticks = 0;
};

class TProgramClock {
 public:
  // The base := date and time, fixed at the current tick.
  void Fix(const TDateRec& date, const TTimeRec& time);
  // The base moved on by the whole seconds (to the nearest) since it was
  // fixed, across midnight into the following days.
  void Now(TDateRec& date, TTimeRec& time) const;

  const TDateRec& BaseDate() const { return mark_.Date; }
  const TTimeRec& BaseTime() const { return mark_.Time; }

  TClockMark Keep() const { return mark_; }
  // Puts the clock back where Keep found it, its tick included.
  void SetBack(const TClockMark& mark) { mark_ = mark; }

 private:
  TClockMark mark_;
};

}  // namespace vm
