#include "models/startup.h"

#include <vector>

#include "config/archive_config.h"
#include "config/base_checks.h"
#include "config/data_dir.h"
#include "config/date_index.h"
#include "config/errorlog.h"
#include "foundation/files/fileutils.h"
#include "foundation/values/dates.h"
#include "archive/check/archive_check.h"
#include "language/registry_context.h"
#include "devices/scanner_port.h"
#include "language/zone_compiler.h"
#include "platform/disk_space.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/description_checks.h"
#include "models/expand_params.h"
#include "models/instance_mark.h"
#include "models/main_state.h"

namespace vm {

TMainState& MainState() {
  static TMainState state;
  return state;
}

void ProgramNow(TDateRec& date, TTimeRec& time) { MainState().Clock.Now(date, time); }

namespace {

bool CheckDatabases(TSettingsModel& m) {
  CreateDateIndex(m.Bases);
  return CheckBases(m.Bases, LocalBases(), MainState().TotalBaseSize);
}

// Twice the databases must fit on the data disk: a rebuild or an archive
// copies them. Equal counts as enough; unknown room is not tested.
bool CheckDiskRoom(const TStartUpOptions& options) {
  if (!LocalBases()) return true;
  const int64_t free = options.FreeBytes ? options.FreeBytes(DataDir()) : FreeBytesAt(DataDir());
  if (free < 0 || 2 * MainState().TotalBaseSize <= free) return true;
  const std::string disk = ExcludeTrailingSlash(DataDir());
  Ui().MsgBox("Недостаточно места на диске "_w + disk + ": !", " Ошибка "_w, kMbError);
  return false;
}

void CheckDescriptions(TSettingsModel& m) {
  // Blank conditions may name the auto-parameters: the configuration's own,
  // read as they stand whenever a condition is tested.
  SetGlobalAutoParams(nullptr);
  CheckFormDescriptions(m.Blanks);
  CheckSpravDescriptions(m.Bases, m.Books, m.Blanks);
}

// Where the program clock starts. A given date and time move only the
// program's own clock: the system clock is the computer's, and moving it
// would start a working day that is not today.
void ClockStart(const TSettingsModel& m, const TStartUpOptions& options, TDateRec& date,
                TTimeRec& time) {
  date = m.LastDate;
  time = m.LastTime;
  if (m.SystemClock) {
    GetNowRec(date, time);
    return;
  }
  if (options.ClockDate) date = *options.ClockDate;
  if (options.ClockTime) time = *options.ClockTime;
  // Within the last day the clock goes on from the saved moment: runs one
  // after another at the same given time must not take it back.
  if (CompareDateRec(date, m.LastDate) == 1 && CompareTimeRec(time, m.LastTime) == 0)
    time = m.LastTime;
}

// The program's own clock never goes back to an earlier day, as the date
// dialog refuses it: the start of that day would run again.
bool ClockStartAllowed(const TSettingsModel& m, const TDateRec& date) {
  if (m.SystemClock || CompareDateRec(date, m.LastDate) != 0) return true;
  Ui().MsgBox("Дата раньше последней подтверждённой: "_w + DateRecToStr(m.LastDate) + "\r" +
                  "Возврат к предыдущей дате невозможен!"_w,
              " Ошибка "_w, kMbError);
  return false;
}

void StartClock(const TDateRec& date, const TTimeRec& time) {
  TMainState& s = MainState();
  s.Clock.Fix(date, time);
  s.WorkingDay = date;
  s.DayStarted = false;
}

// With the system clock the day starts now: the date index brought up to
// yesterday, then the start-of-day document. With the program's own clock
// the first document run starts the day.
void StartDay(TSettingsModel& m, const TStartUpOptions& options) {
  if (!m.SystemClock) return;
  TMainState& s = MainState();
  UpdateDateIndex(m.Bases, s.WorkingDay, StoreClockMoment);
  s.DayStarted = true;
  if (options.StartOfDay) options.StartOfDay->RunStartOfDay(m.StartOfDayDoc);
}

// A mark another program holds turns this one away before it touches
// anything; the holder keeps it until it ends. Why is said under the
// refusal when the mark alone does not tell it.
bool TakeMark(TInstanceMark& mark, const std::string& title, bool shared, const std::string& why) {
  if (mark.Take(title, shared)) return true;
  UnlockBases();
  // Without its mark the program could not tell a second start of its own.
  if (!mark.Failure().empty())
    Ui().MsgBox("Не удается проверить, не запущена ли программа уже: "_w + mark.Failure(),
                " Повторный запуск программы "_w, kMbError);
  else
    Ui().MsgBox("Программа уже загружена !"_w + (why.empty() ? "" : "\r" + why),
                " Повторный запуск программы "_w, kMbInformation);
  return false;
}

// A second window program on the same configuration is turned away.
bool FirstInstance(const TStartUpOptions& options, const TSettingsModel& m) {
  return options.Instance == nullptr ||
         TakeMark(*options.Instance, m.Title.empty() ? Ui().AppTitle() : m.Title, false, "");
}

// The runner and a window program on one program directory would each
// write back the clock it read at its start over the other's later one.
bool ProgramDirectoryFree(const TStartUpOptions& options) {
  if (options.Home == nullptr) return true;
  const std::string dir = ProgramDirectoryMarkTitle(ProgramDirectory());
  return TakeMark(*options.Home, dir, options.HomeShared,
                  "С каталогом программы "_w + dir + " уже работает другой её процесс."_w);
}

int EndStartUp() {
  UnlockBases();
  CloseErrorLog();
  return kStartUpFailed;
}

}  // namespace

std::vector<int32_t> CheckArchiveConfigs(TSettingsModel& m) {
  std::vector<int32_t> valid;
  bool bad = false;
  for (int32_t i = 0; i < m.ArchiveConfigs.Count(); ++i) {
    TArchiveConfig& config = *m.ArchiveConfigs.GetConfig(i);
    int32_t badIndex = -1;
    std::string msg;
    if (CheckConfig(config, m.Bases, badIndex, msg))
      valid.push_back(config.ID);
    else
      bad = true;
  }
  if (bad)
    Ui().MsgBox("Внимание! В описании конфигураций архивов имеются ошибки!"_w, Ui().AppTitle(),
                kMbInformation);
  return valid;
}

namespace {

bool StartUpPassword(const TStartUpOptions& options) {
  return !options.AskStartUpPassword || options.AskStartUpPassword();
}

}  // namespace

int StartUp(const TStartUpOptions& options) {
  DesignerTestRun() = false;
  // Price-tag zones are only read with the settings; they compile once the
  // password is accepted.
  static TZoneCompiler zoneCompiler;
  InstallZoneCompiler(&zoneCompiler);
  CenZoneCompileEnabled() = false;
  TSettingsModel& m = Settings();
  m.ZoneCompiler = nullptr;
  // Header texts of blanks carry the run's date, time and parameters.
  InstallExpandParams();
  TMainState& s = MainState();
  s.StartUpRefused = false;
  // The archives a run makes are numbered from 1 on, past those the list
  // and the folder hold; a number left by an earlier run in this process
  // would skip numbers.
  NextArchiveNumber() = 1;
  if (!ProgramDirectoryFree(options)) return kStartUpFailed;
  if (OpenDataAtStartUp() != 0) return EndStartUp();
  if (!m.Title.empty()) Ui().SetAppTitle(m.Title);
  if (!FirstInstance(options, m)) {
    CloseErrorLog();
    return kStartUpFailed;
  }
  if (!CheckDatabases(m) || !CheckDiskRoom(options)) return EndStartUp();
  CheckDescriptions(m);
  s.ValidArchives = CheckArchiveConfigs(m);
  s.StartUpRefused = !StartUpPassword(options);
  CenZoneCompileEnabled() = true;
  TDateRec date;
  TTimeRec time;
  ClockStart(m, options, date, time);
  if (!ClockStartAllowed(m, date)) return EndStartUp();
  StartClock(date, time);
  UnlockBases();
  CompileAllCenZones(m.PriceTags);
  StartDay(m, options);
  return 0;
}

bool StoreClockMoment() {
  TSettingsModel& m = Settings();
  m.LastDate = MainState().Clock.BaseDate();
  m.LastTime = MainState().Clock.BaseTime();
  return SaveLocalSettings();
}

void ShutDown(std::chrono::milliseconds lockWait) {
  CloseScanner();
  // Another program on this program directory commits "local.ini" under the
  // lock: this save, read before such a commit and written after it, would
  // put back what the commit replaced. The other program's command may
  // wait on its user for long: past the wait the file stays as it stands,
  // and what it does not get is told.
  std::string why;
  const bool locked = !BasesLocked() && LockBasesWithin(lockWait, &why);
  if (BasesLocked()) {
    SaveLocalSettings();
  } else if (const std::vector<std::string> lines = UnsavedLocalSettings(Settings()); !lines.empty()) {
    std::string text = "Не сохранено в "_w + LocalIniName() + " (" +
                       (why.empty() ? "базы заняты другой программой"_w : why) + "):";
    for (const std::string& line : lines) text += " " + line + ";";
    text.pop_back();
    LogError(text);
  }
  if (locked) UnlockBases();
  CloseErrorLog();
  WriteBasePathIni();
}

}  // namespace vm
