// The confirmation of the working date and time while the program keeps
// its own clock: the date dialog shows the clock's date and time (or, when
// these are no later than the clock base, as after a start, the first
// moment it takes: a minute after the base), says why no earlier moment is
// taken, takes only a moment later than the clock base, and a move to
// another date is asked once more, since the clock never goes back past it.
#pragma once

#include <functional>
#include <string>

#include "foundation/values/values.h"

namespace vm {

// The two texts of the dialog's date and time fields.
struct TDateTimeEntry {
  std::string Date;
  std::string Time;
};

// The date dialog as the confirmation sees it.
class TDateTimeDialog {
 public:
  virtual ~TDateTimeDialog() = default;
  // Shows the fields filled from Entry and under them what Hint says of
  // what they show, OK enabled only while Accept holds for it; true on OK
  // with what was typed in Entry, false on Cancel.
  virtual bool Show(TDateTimeEntry &entry, const std::function<bool(const TDateTimeEntry &)> &accept,
                    const std::function<std::string(const TDateTimeEntry &)> &hint) = 0;
};

// Both fields hold a real date and time and the moment is later than the
// base.
bool DateTimeAcceptable(const TDateTimeEntry &entry, const TDateRec &baseDate,
                        const TTimeRec &baseTime);

// What the dialog says under its fields: that the time typed is no time of
// day, when it is so; else why a moment up to the base is refused, naming
// the base.
std::string DateTimeHint(const TDateTimeEntry &entry, const TDateRec &baseDate, const TTimeRec &baseTime);

// True with the confirmed Date and Time; false when cancelled, Date and
// Time left as they were.
bool ConfirmDateTime(TDateRec &date, TTimeRec &time, const TDateRec &baseDate,
                     const TTimeRec &baseTime, TDateTimeDialog &dialog);

}  // namespace vm
