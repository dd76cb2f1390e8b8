// Checks that the place an archive or a volume goes to is ready and
// writable, and tells what holds it. Linux has no drive letters: the
// "drive" is the folder of the path, and every answer comes from the file
// system that holds it, its device and its mount (see the fields).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/drives.h"

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
inline constexpr int kDriveUnknown = static_cast<int>(TDriveKind::Unknown);
inline constexpr int kDriveNoRoot = static_cast<int>(TDriveKind::NoRoot);
inline constexpr int kDriveRemovable = static_cast<int>(TDriveKind::Removable);
inline constexpr int kDriveFixed = static_cast<int>(TDriveKind::Fixed);
inline constexpr int kDriveRemote = static_cast<int>(TDriveKind::Network);
inline constexpr int kDriveCdRom = static_cast<int>(TDriveKind::CdRom);
inline constexpr int kDriveRamDisk = static_cast<int>(TDriveKind::Ram);

const char* DriveTypeNameOf(int type);

class TDiskManager {
 public:
  virtual ~TDiskManager() = default;
  // Where the mount table, the kernel's devices and udev's links are read.
  TDriveSources Sources;

  std::string DriveName;           // the folder checked
  std::string VolumeLabel;         // the file system's label (Windows-1251), platform/volume_id.h
  uint32_t SerialNumber = 0;       // from the file system's identifier, else the kernel's id of it
  std::string SerialText;          // SerialNumber in eight hexadecimal digits
  uint16_t SpannedDiskNumber = 0;  // from the label
  std::string FileSystemName;      // the mount's type, "ext4", "vfat", ...
  uint32_t FileSystemFlags = 0;    // the mount flags (read-only, nosuid, ...)
  uint32_t MaxComponentLength = 0; // the longest file name
  int DriveType = kDriveUnknown;   // by the device and the mount: KindOfMount
  int FloppyKind = 0;              // 7 or 8 for a floppy drive, else 0
  std::string DriveTypeName;
  int64_t FreeSpace = 0;           // bytes an ordinary user may still use
  int64_t DiskSize = 0;

  // Only a place written to must be writable: reading needs no more than
  // a disk that is there.
  bool CheckDiskOf(const std::string& path, const TDiskCallbacks& callbacks, bool writing = true);
  bool CheckDisk(const std::string& drive, const TDiskCallbacks& callbacks, bool writing = true);

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
