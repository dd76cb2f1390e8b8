// Where the data lives and who may work on it: the program directory, the
// data directory chosen from "basepath.ini" and the switch "L", the database
// lock "lock.lck" and the checked load of the settings with its date check.
// Directories end with '/'; like all text in memory they are Windows-1251.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

// The folder of "local.ini", "basepath.ini", "Errors.log" and the work
// folders: $VELOMAR_HOME when set, else the current directory.
const std::string& ProgramDirectory();
// Decides the program directory again (start-up; tests after changing the
// environment) and makes it the data directory until start-up decides.
void InitProgramDirectory();

// The data directory: where the databases and the shared settings files
// lie, with its trailing separator. Start-up decides it.
const std::string& DataDir();
void SetDataDir(std::string dir);

// The data directory as "basepath.ini" holds it.
std::string& BasePath();
// The databases count as local to this computer.
bool& LocalBases();

std::string BasePathIniName();
std::string ProgramIniName();
std::string ManagerIniName();
std::string LocalIniName();

// The command line without the program name, as given (UTF-8).
void SetCommandLine(int argc, const char* const* argv);
int ParamCount();
// The i-th parameter (1-based), upper-cased, without one leading "/".
void ParamStrNoSlash(int i, std::string& s);
// "L", "l", "/L" and "/l" all give the switch "L".
bool HasSwitch(const std::string& name);

// Reads BasePath and LocalBases; a missing or unreadable file leaves an
// empty BasePath with local databases.
void ReadBasePathIni();
// Writes them back as three lines (no copies are kept).
void WriteBasePathIni();

// Reads "basepath.ini", applies the switch and sets the data directory; a
// relative BasePath is taken from the program directory.
void ChooseDataDirectory();

// Takes the database lock; on failure warns the user and returns false.
// The lock is not counted: one LockBases, one UnlockBases. A data
// directory where the lock cannot be made at all (missing, not a folder,
// not writable, a name too long) is warned of as a busy one is, with the
// folder and why under the warning.
bool LockBases();
// The same without a word; why (when given) is left empty when another
// process holds the lock, else says why the folder cannot be used.
bool TryLockBases(std::string* why = nullptr);
// Tries again while another process holds the lock, at most for wait.
bool LockBasesWithin(std::chrono::milliseconds wait, std::string* why = nullptr);
bool UnlockBases();
bool BasesLocked();

// When the program follows the system clock, asks the user to confirm
// today's date if it lies before the last working date or more than a week
// (as DaysBetweenApprox counts) after it. False when the user refuses.
bool ConfirmWorkingDate(bool systemClock, const TDateRec& lastDate);

// Loads all settings (an error box when that fails) and, when the program
// follows the system clock, asks the user to confirm a date that lies
// before the last working date or more than a week after it. False when the
// load failed or the date was refused; the start-up then ends with exit
// code 1.
bool LoadSettingsChecked();

// Brings the commits a dead process left in the data directory and in the
// program directory all back or all forward (noted in "Errors.log"); false,
// after telling the user, when one cannot be. Only while the database lock
// is held.
bool RecoverCommitAtStartUp();

// The folders of the program directory a backup swaps its new volumes in
// through: it writes them in the first, which takes the second name only
// once they are whole on the disk; "RESERV" goes to the third while the
// new volumes take its name, and the third goes last.
inline constexpr const char* kPartReservFolder = "RESERV.TMP";
inline constexpr const char* kNewReservFolder = "RESERV.NEW";
inline constexpr const char* kOldReservFolder = "RESERV.OLD";

// The record of a deleted period's volumes written to a medium under
// temporary names (foundation/tables/pending_renames.h), in the program
// directory: they take their names once the deletion's commit stands.
inline constexpr const char* kPendingMediaSetName = "Delarch.ini";

// Settles the swap a backup that died left in the program directory dir:
// a link at one of the three names goes (the link, never what it points
// at); half-written volumes go; when "RESERV" is missing, the whole new
// volumes take its place, or else the previous ones come back; once
// "RESERV" stands, whatever else of the swap is left goes. Returns what it
// did, for "Errors.log".
std::vector<std::string> SettleReservSwap(const std::string& dir);

// Removes what writers killed in earlier runs left beside their files in
// the program and data directories and in the work folder and its
// subfolders, and settles the swap of a backup's volumes and the volumes of
// a deleted period left on a medium, each named in "Errors.log"; the
// temporaries of those volumes that are still to take their names stay.
// Only while the database lock is held and once the interrupted commits are
// settled.
void RemoveLeftoverFiles();

// The start-up of the data: data directory, lock, the interrupted commit
// recovered, leftovers of earlier runs and checked load. Returns 0, or the exit code 1 when the program must end.
// The lock stays held.
int OpenDataAtStartUp();

}  // namespace vm
