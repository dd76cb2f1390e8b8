// Archive configurations checked against the databases (at start-up and in
// the designer) and prepared for an archive command: each entry's database
// bound under its alias, its exclusion condition compiled, its date, group
// and linked fields found in its table.
#pragma once

#include <cstdint>
#include <string>

#include "config/archive_config.h"
#include "config/registries.h"

namespace vm {

// What an archive command reports when an entry cannot be prepared.
std::string ArchiveCheckFailedText();

// Checks one entry; False with the message. The entry is released
// afterwards either way.
bool CheckArchiveConfig(TBaseArchive& entry, TUsedBaseList& bases, std::string& msg);
// Checks every entry in order; at the first failure BadIndex is its index.
bool CheckConfig(TArchiveConfig& config, TUsedBaseList& bases, int32_t& badIndex, std::string& msg);

// Binds the entry's database and keeps it bound, with its condition
// compiled, its field numbers, FileName and PackName (".DPK") set.
bool PrepareArchiveEntry(TBaseArchive& entry, TUsedBaseList& bases);
// False for an empty configuration or at the first entry that fails.
bool PrepareAll(TArchiveConfig& config, TUsedBaseList& bases);
void ReleaseAll(TArchiveConfig& config);

// How a prepared entry's exclusion condition judges the record that stands
// in its table's record buffer.
enum class TArchiveVerdict {
  NoCondition,
  Zero,      // a number of magnitude below 1e-9
  NonZero,   // a number of magnitude above it
  NoNumber,  // an error or a result that is not a number
};
TArchiveVerdict EvalArchiveCondition(TBaseArchive& entry);

}  // namespace vm
