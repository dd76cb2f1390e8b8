// The backup copy of all data: every database, the four settings files,
// the archive list and the archive files packed into one ".BH" archive and
// kept in "RESERV" as 131,072-byte volumes "Reserv.000", ... (optionally
// copied to removable media); and its restore from any folder, after which
// the program must be started again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/service_env.h"

namespace vm {

// The program folder's "RESERV/" keeps the volumes.
struct TBackupEnv : TServiceEnv {
  // Where a restore puts every file (the program folder when the databases
  // are local).
  std::string DataDir;
  // The databases' files and the settings files ("manager.ini",
  // "program.ini", "local.ini", "basepath.ini"), full names.
  std::vector<std::string> BaseFiles;
  std::vector<std::string> SettingsFiles;
  // Closes every open table before a backup reads them or a restore
  // replaces them.
  std::function<void()> CloseTables;
  // The volume description: the application's title.
  std::string Title;
  // Ends the process at once, without the normal shut-down, so nothing of
  // the old run is saved over the restored files.
  std::function<void(int code)> Exit;

  std::string ReservDir() const { return Dir + "RESERV/"; }
};

// The caller holds the database lock. True when the copy was made.
bool MakeBackup(const TBackupEnv& env);
// Once the volumes have been copied, ends the process with exit code 1
// through env.Exit whatever the outcome; returns only before that (or when
// Exit returns, in tests) with whether the data were restored.
bool RestoreBackup(const TBackupEnv& env);

// Whether a "files.res" record names a file a restore may write: a plain
// name of at most 15 characters in the data folder, or an archive file
// "NNNNNNNN.CAF"/"NNNNNNNN.BH" in its "ARCHIVE\", never the journal, the
// lock, a temporary file or one of the program's own folders (any case).
bool RestorableName(const std::string& folder, const std::string& name);

}  // namespace vm
