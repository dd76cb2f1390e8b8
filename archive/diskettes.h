// Volume sets to and from removable media. A "diskette" is any folder: the
// mount point of a USB stick or card, or a folder the user picks. When the
// medium cannot take the next volume the user is asked for another one;
// its free room is asked each time, so a medium changed under the same
// mount point is seen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vm {

using TFreeBytesProc = std::function<int64_t(const std::string& dir)>;

// Copies the volumes .000 to .lastVolume of fileName onto drive (a folder).
// True when every volume went; false when the user cancelled.
bool CopyToDiskettes(const std::string& fileName, const std::string& drive, int32_t lastVolume,
                     const TFreeBytesProc& freeBytes);
// Copies the volumes .000 to .lastVolume of fileName (a name without
// folder) from folder into workDir, asking for the disk that holds each one
// missing. False when the user cancelled.
bool CopyFromDiskettes(const std::string& folder, const std::string& fileName, int32_t lastVolume,
                       const std::string& workDir);

// The mount point as the no-space and write-error messages name it.
std::string DriveName(const std::string& drive);

}  // namespace vm
