// Archiving a period: the records dated up to a cut date move out of the
// working tables of an archive configuration into a numbered archive in
// "ARCHIVE", the tables are rewritten without them and the record-number
// links between them renumbered. Restoring puts the configuration's last
// archive back. Both run over the UI services (date input, questions,
// progress window, messages), so tests drive them without windows.
//
// The working tables, "archive.alf", the archive file in "ARCHIVE" and the
// configuration's sequence counter in "program.ini" change as one commit
// under the journal of the data folder: a failure or a crash at any moment
// leaves all of them as before, or, once the commit is marked done, all as
// after.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "archive/service_env.h"
#include "config/archive_config.h"

namespace vm {

// Where the commands work and what they reach beyond the configuration;
// the tables lie in the program folder.
struct TArchiveEnv : TServiceEnv {
  // "program.ini", which keeps the configurations' sequence counters.
  std::string ConfigFile;
  // Writes the configuration, counters as they stand, to the path given.
  std::function<bool(const std::string& path)> SaveConfig;
};

// The configuration is prepared (PrepareAll) and the caller holds the
// database lock. True on success; the user has been told either way.
bool ArchivePeriod(TArchiveConfig& config, const TArchiveEnv& env);
bool RestoreFromArchive(TArchiveConfig& config, const TArchiveEnv& env);

}  // namespace vm
