// What the program's main block keeps for the life of the process and the
// document run reads and moves on: the program clock, the working day and
// whether its start has run.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/values/program_clock.h"
#include "foundation/values/values.h"

namespace vm {

struct TMainState {
  TProgramClock Clock;
  // The day whose start-of-day step has run, and whether it ran in this
  // process.
  TDateRec WorkingDay;
  bool DayStarted = false;
  // The sum of the database sizes the checks found (local databases only).
  int64_t TotalBaseSize = 0;
  // The IDs of the archive configurations that passed their check; only
  // they get archive menu items.
  std::vector<int32_t> ValidArchives;
  // The start-up password was refused: the program ends once started.
  bool StartUpRefused = false;
};

// The one main state of the process.
TMainState& MainState();

// ProgramNow: the program clock now.
void ProgramNow(TDateRec& date, TTimeRec& time);

}  // namespace vm
