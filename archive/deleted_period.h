// Old archives of a configuration taken out of "ARCHIVE": deleted outright,
// or moved to removable media as the volumes "Delarch.000", ... of one pack
// file holding the archive files and their list records; and such a volume
// set brought back in front of the configuration's remaining archives.
//
// The archive list and "ARCHIVE" change as one commit under the journal;
// archives moved to media leave "ARCHIVE" only once the volumes are copied.
#pragma once

#include "archive/archive_period.h"
#include "config/archive_config.h"

namespace vm {

bool DeleteArchivePeriod(TArchiveConfig& config, const TArchiveEnv& env);
bool RestoreDeletedPeriod(TArchiveConfig& config, const TArchiveEnv& env);

// The folder the volume-folder dialog opens in: the first removable medium,
// else the root.
std::string FirstMediaFolder();

}  // namespace vm
