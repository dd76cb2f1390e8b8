// The folders the archive and backup commands own in the program folder
// ("WORK", "ARCHIVE", "RESERV"). The commands empty them and rename through
// them, so each must be a real folder there: a link planted at the name
// would carry those deletions and renames to wherever it points.
#pragma once

#include <initializer_list>
#include <string>

namespace vm {

// Whether each named entry of dir (with its trailing separator) is a real
// folder or missing (the commands make the missing ones). False, after
// telling the user, when a name is taken by a link or by anything that is
// not a folder.
bool OwnFoldersSound(const std::string& dir, std::initializer_list<const char*> names);

}  // namespace vm
