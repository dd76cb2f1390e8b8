// Volume sets to and from removable media. A "diskette" is any folder: the
// mount point of a USB stick or card, or a folder the user picks. When the
// medium cannot take the next volume the user is asked for another one;
// its free room is asked each time, so a medium changed under the same
// mount point is seen.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/values/values.h"

namespace vm {

using TFreeBytesProc = std::function<int64_t(const std::string& dir)>;

// Copies the volumes .000 to .lastVolume of fileName onto drive (a folder).
// True when every volume went; false when the user cancelled, with why the
// last medium was refused in `stopped`.
bool CopyToDiskettes(const std::string& fileName, const std::string& drive, int32_t lastVolume,
                     const TFreeBytesProc& freeBytes, std::string* stopped = nullptr);
// (full name on the medium, the temporary that holds it) of each volume.
using TMediumNames = std::vector<std::pair<std::string, std::string>>;
// The same, but no volume set stands on the medium afterwards: each volume
// is written, durably, under a temporary name of its own, and .000, by
// which a set is found, last. `unnamed` gets the volumes of the last
// medium, in that order, for the caller to name once it may; a medium
// that filled up has named its own before the next was asked for.
bool CopyToDiskettesUnnamed(const std::string& fileName, const std::string& drive, int32_t lastVolume,
                            const TFreeBytesProc& freeBytes, TMediumNames& unnamed);
// Gathers the volumes .000 to .lastVolume of fileName (a name without
// folder): when folder holds them all they are read where they are (source
// := folder); otherwise each is copied from folder into workDir (source :=
// workDir), the disk that holds each one missing asked for. False when the
// user cancelled.
bool CopyFromDiskettes(const std::string& folder, const std::string& fileName, int32_t lastVolume,
                       const std::string& workDir, std::string& source);

// A volume set chosen by the user: the folder of its volume .000 and what
// that volume's header says.
struct TVolumeSet {
  std::string Folder;
  TDateRec Date{};
  TTimeRec Time{};
  std::string Description;
  int32_t LastVolume = -1;
};
// Asks for the folder of firstVolume ("Reserv.000", "Delarch.000") and
// reads its header; a cancel ends with false, a folder without the volume
// shows notFound (caption "Восстановление данных") and ends with false.
bool AskVolumeSet(const std::string& filter, const std::string& initialDir, const std::string& firstVolume,
                  const std::string& notFound, TVolumeSet& set);

// The mount point as the no-space and write-error messages name it.
std::string DriveName(const std::string& drive);

}  // namespace vm
