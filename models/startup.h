// The start-up of the program up to its windows, shared by the program and
// the headless document runner: the data directory, the database lock, an
// interrupted commit recovered, the settings with the date check, the date
// index and the database checks, the room on the disk, the blanks and
// reference books checked, the program clock started and the start of the
// working day; and the clean-up at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "foundation/values/values.h"

namespace vm {

class TInstanceMark;

// Runs the start-of-day document. The document run implements it; without
// one the day starts with the date index alone.
class TStartOfDayRunner {
 public:
  virtual ~TStartOfDayRunner() = default;
  virtual void RunStartOfDay(TDocData& doc) = 0;
};

struct TStartUpOptions {
  TStartOfDayRunner* StartOfDay = nullptr;
  // Where the program's own clock starts instead of the saved date and time
  // (the headless runner's --date and --time); a day before the saved one
  // ends the start-up, a time before the saved one on its day is the saved
  // one. A configuration on the system clock ignores them.
  std::optional<TDateRec> ClockDate;
  std::optional<TTimeRec> ClockTime;
  // Room left on the data disk; tests replace it.
  std::function<int64_t(const std::string& dir)> FreeBytes;
  // The mark that keeps a second window program off the configuration of
  // the same title; the headless runner takes none.
  TInstanceMark* Instance = nullptr;
  // The mark of the program directory, taken before anything is read: the
  // program's clock and the workstation's settings are kept in memory from
  // the start and written back at each commit, so a process that keeps
  // them alone (the headless runner) never works beside a window program
  // on the same program directory, nor one window beside it. The window
  // programs share it (HomeShared).
  TInstanceMark* Home = nullptr;
  bool HomeShared = false;
  // The start-up password, asked before the clock starts. Refused, the
  // start-up still runs to its end (the start of the day included) and
  // MainState().StartUpRefused tells the program to end.
  std::function<bool()> AskStartUpPassword;
};

// Checks every archive configuration against the databases (under the
// lock): the IDs of those that passed, in list order; one notice when any
// failed.
std::vector<int32_t> CheckArchiveConfigs(TSettingsModel& m);

// The exit code of a start-up that must end the program.
inline constexpr int kStartUpFailed = 1;

// Runs the start-up steps that need no window, in their order. 0 when the
// program may work; kStartUpFailed when it must end (the user has been told;
// the lock is released and nothing is saved). The caller has set the
// command line and the program directory.
int StartUp(const TStartUpOptions& options = {});

// The clean-up at the end of a program that started: "local.ini" saved
// under the database lock, waited for at most lockWait (left as it stands,
// and what was not saved named in "Errors.log", when the lock cannot be
// had), the error log closed, "basepath.ini" written.
inline constexpr std::chrono::milliseconds kShutDownLockWait{3000};
void ShutDown(std::chrono::milliseconds lockWait = kShutDownLockWait);

// The program clock's moment made the last confirmed one, in "local.ini" at
// once: before the date index closes the days before it, so that no start
// after a crash takes the clock back into them.
bool StoreClockMoment();

}  // namespace vm
