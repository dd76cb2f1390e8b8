// Renames and removals reach the disk only when their folder is synced; a
// commit that must survive a crash syncs the folder after them.
#pragma once

#include <string>

namespace vm {

// Makes the names in dir (with or without its trailing separator) durable.
// True where the file system has nothing to sync.
bool SyncFolder(const std::string& dir);

}  // namespace vm
