// Checks that the place an archive or a volume goes to is ready and
// writable, and tells what holds it. Linux has no drives, labels or serial
// numbers: the "drive" is the folder of the path, and every answer comes from
// the file system that holds it (see the fields).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vm {

class TDiskManager;

struct TDiskCallbacks {
  // Each may set cancel to false to have the check tried again.
  std::function<void(TDiskManager& sender, bool& cancel)> OnInsertDisk;
  std::function<void(TDiskManager& sender, bool& cancel)> OnWriteProtected;
  std::function<void(const std::string& fileName, const std::string& extendedMsg, int32_t code,
                     const std::string& volumeId)>
      OnDiskError;
};

// System drive types, the index of the names below.
inline constexpr int kDriveUnknown = 0;
inline constexpr int kDriveNoRoot = 1;
inline constexpr int kDriveRemovable = 2;
inline constexpr int kDriveFixed = 3;
inline constexpr int kDriveRemote = 4;
inline constexpr int kDriveCdRom = 5;
inline constexpr int kDriveRamDisk = 6;

const char* DriveTypeNameOf(int type);

class TDiskManager {
 public:
  virtual ~TDiskManager() = default;
  std::string DriveName;           // the folder checked
  std::string VolumeLabel;         // always empty: no labels here
  uint32_t SerialNumber = 0;       // the file system's id (low 32 bits)
  std::string SerialText;          // SerialNumber in eight hexadecimal digits
  uint16_t SpannedDiskNumber = 0;  // from the label, so 0
  std::string FileSystemName;      // the mount's type, "ext4", "tmpfs", ...
  uint32_t FileSystemFlags = 0;    // the mount flags (read-only, nosuid, ...)
  uint32_t MaxComponentLength = 0; // the longest file name
  int DriveType = kDriveUnknown;   // by the mount's type: remote, CD, RAM or fixed
  int FloppyKind = 0;              // no floppy drives: 0
  std::string DriveTypeName;
  int64_t FreeSpace = 0;           // bytes an ordinary user may still use
  int64_t DiskSize = 0;

  bool CheckDiskOf(const std::string& path, const TDiskCallbacks& callbacks);
  bool CheckDisk(const std::string& drive, const TDiskCallbacks& callbacks);

  virtual bool DiskReady(const std::string& drive);
  // A temporary file made and removed in the folder itself.
  virtual bool IsWriteProtected(const std::string& drive);
  virtual bool GetVolumeInfo(const std::string& drive);
  int GetDriveKind(const std::string& drive);
  int GetFloppyKind(const std::string& drive);
  void ReadDiskSpace(const std::string& drive);
  // The application's Retry/Cancel question; true for Retry.
  virtual bool AskRetry(const std::string& drive);

  static int ParseSpannedLabel(const std::string& label);
  // A file's time as a DOS stamp (date high, time low) in local time:
  // which 0 creation (the last write where the system keeps none), 1 last
  // write, 2 last access. 0 when the file cannot be read.
  static uint32_t FileTimeOf(const std::string& path, int which);

 private:
  void Report(const TDiskCallbacks& callbacks, int32_t code) const;

 protected:
  int lastErrno_ = 0;
};

// A time as a DOS stamp in local time; years outside 1980..2107 are held at
// the ends.
uint32_t DosStampOf(int64_t unixSeconds);

}  // namespace vm
