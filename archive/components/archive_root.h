// The root of the archive components: the archive's name and its type, told
// from the file's first bytes. The program meets only ".BH" archives; other
// types are recognised so that a foreign file is refused by its type rather
// than misread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/components/arc_types.h"
#include "platform/drives.h"

namespace vm {

class TStream32;

class TArchiveRoot {
 public:
  TArchiveRoot() = default;
  TArchiveRoot(const TArchiveRoot&) = delete;
  TArchiveRoot& operator=(const TArchiveRoot&) = delete;
  virtual ~TArchiveRoot() = default;

  virtual std::string GetArchiveFile() const { return archiveFile_; }
  // An existing file is opened and its type detected; a missing one empties
  // the name and gives atNA.
  virtual void SetArchiveFile(const std::string& name);
  virtual void SetArcType(TArcType t) { arcType_ = t; }
  TArcType ArcType() const { return arcType_; }

  // Classifies an open archive; sets the first-header offset, size and date.
  TArcType GetArcType(TStream32* stream);

  int64_t FirstHeaderOffset() const { return firstHeader_; }

  // Where the disk test of a spanned set reads the archive's disk.
  TDriveSources DriveSources;

 protected:
  // A spanned set's first header: a set on a removable disk whose label
  // marks it as one of the set's disks (PKBACK# nnn) is a disk-spanned set,
  // anything else a set of volumes in one place; a disk that fails its
  // check gives atNA.
  TArcType SpannedSetType() const;

  std::string archiveFile_;
  TArcType arcType_ = atNA;
  int64_t firstHeader_ = -1;
  int64_t archiveSize_ = 0;
};

// The display name of an archive type (fixed width, as in lists).
std::string_view ArcTypeName(TArcType t);

// The number of a tar header field: the digits 0..7 read in base 8, every
// other character passed over; 0 for none.
int64_t OctalToInt(std::string_view text);

// A ".BH" method byte as a name; method 8 carries its deflate level from
// the option bits of the header flags.
std::string BhMethodName(uint8_t method, uint8_t flags);

}  // namespace vm
