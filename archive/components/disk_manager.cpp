#include "archive/components/disk_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "archive/components/arc_globals.h"
#include "archive/components/arc_messages.h"
#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/services.h"
#include "platform/volume_id.h"

namespace vm {

namespace {

constexpr uint32_t kMbRetryCancelError = 0x15;
constexpr int32_t kIdRetry = 4;

// The system name of the nearest folder that exists on the way up from the
// drive folder: a folder still to be made lies on the same file system.
std::string ExistingSysFolder(const std::string& drive) {
  std::string sys = Cp1251ToUtf8(ExcludeTrailingSlash(ResolvePathCase(NativePath(drive.empty() ? "." : drive))));
  struct stat st {};
  while (::stat(sys.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    const std::size_t slash = sys.find_last_of('/');
    if (slash == std::string::npos) return ".";
    sys = slash == 0 ? "/" : sys.substr(0, slash);
  }
  return sys;
}

}  // namespace

const char* DriveTypeNameOf(int type) {
  static const char* const kNames[] = {"Unknown", "None",   "Floppy", "Fixed",          "Network",
                                       "CD-ROM",  "RAM",    "3\xBD Floppy", "5\xBC Floppy"};
  return type >= 0 && type < 9 ? kNames[type] : kNames[0];
}

uint32_t DosStampOf(int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (!localtime_r(&t, &local)) return 0;
  int year = local.tm_year + 1900;
  if (year < 1980) return (0u << 25) | (1u << 21) | (1u << 16);  // 1 January 1980, 00:00:00
  if (year > 2107) {
    year = 2107;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 58;
  }
  const uint32_t date = (static_cast<uint32_t>(year - 1980) << 9) | (static_cast<uint32_t>(local.tm_mon + 1) << 5) |
                        static_cast<uint32_t>(local.tm_mday);
  const uint32_t time = (static_cast<uint32_t>(local.tm_hour) << 11) | (static_cast<uint32_t>(local.tm_min) << 5) |
                        static_cast<uint32_t>(std::min(local.tm_sec, 59) / 2);
  return (date << 16) | time;
}

// ---------------------------------------------------------------- the parts of a check

bool TDiskManager::DiskReady(const std::string& drive) {
  struct statvfs vfs {};
  if (::statvfs(ExistingSysFolder(drive).c_str(), &vfs) == 0) return true;
  lastErrno_ = errno;
  return false;
}

bool TDiskManager::IsWriteProtected(const std::string& drive) {
  std::string pattern = ExistingSysFolder(drive) + "/arcXXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    lastErrno_ = errno;
    return errno == EROFS || errno == EACCES || errno == EPERM;
  }
  ::close(fd);
  return ::unlink(pattern.c_str()) != 0;
}

bool TDiskManager::GetVolumeInfo(const std::string& drive) {
  const std::string folder = ExistingSysFolder(drive);
  struct statvfs vfs {};
  if (::statvfs(folder.c_str(), &vfs) != 0) {
    lastErrno_ = errno;
    return false;
  }
  const std::optional<TMount> mount = MountHolding(folder, Sources);
  TVolumeId id;
  if (!mount || !VolumeIdOfMount(*mount, Sources, id)) id = {};
  VolumeLabel = id.Label;
  // Where the identifier cannot be read, the kernel's own id of the file
  // system still tells one disk from another.
  SerialNumber = SerialOfUuid(id.Uuid).value_or(static_cast<uint32_t>(vfs.f_fsid));
  MaxComponentLength = static_cast<uint32_t>(vfs.f_namemax);
  FileSystemFlags = static_cast<uint32_t>(vfs.f_flag);
  FileSystemName = mount ? Utf8ToCp1251(mount->Type) : std::string();
  return true;
}

int TDiskManager::GetDriveKind(const std::string& drive) {
  if (drive.empty()) return kDriveNoRoot;
  struct statvfs vfs {};
  const std::string folder = ExistingSysFolder(drive);
  if (::statvfs(folder.c_str(), &vfs) != 0) return kDriveNoRoot;
  const std::optional<TMount> mount = MountHolding(folder, Sources);
  return static_cast<int>(mount ? KindOfMount(*mount, Sources) : TDriveKind::Fixed);
}

int TDiskManager::GetFloppyKind(const std::string& drive) {
  const std::optional<TMount> mount = MountHolding(ExistingSysFolder(drive), Sources);
  return mount ? FloppyKindOfDevice(mount->Device) : 0;
}

void TDiskManager::ReadDiskSpace(const std::string& drive) {
  struct statvfs vfs {};
  if (::statvfs(ExistingSysFolder(drive).c_str(), &vfs) != 0) return;
  FreeSpace = static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
  DiskSize = static_cast<int64_t>(vfs.f_blocks) * static_cast<int64_t>(vfs.f_frsize);
}

bool TDiskManager::AskRetry(const std::string& drive) {
  std::string shown = NativePath(drive);
  if (shown.empty() || shown.back() != '/') shown += '/';
  const std::string text = shown + "is not accessible" + "\r\n\r\n" + Utf8ToCp1251(std::strerror(lastErrno_));
  return Ui().MsgBox(text, Ui().AppTitle(), kMbRetryCancelError) == kIdRetry;
}

int TDiskManager::ParseSpannedLabel(const std::string& label) {
  static const std::string kMark = "PKBACK# ";
  const std::size_t at = label.rfind(kMark);
  if (at == std::string::npos) return 0;
  const std::string digits = label.substr(at + kMark.size());
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::atoi(digits.c_str());
}

uint32_t TDiskManager::FileTimeOf(const std::string& path, int which) {
  const std::string sys = Cp1251ToUtf8(ResolvePathCase(NativePath(path)));
  struct statx sx {};
  if (::statx(AT_FDCWD, sys.c_str(), 0, STATX_BTIME | STATX_MTIME | STATX_ATIME, &sx) != 0) return 0;
  int64_t seconds = sx.stx_mtime.tv_sec;
  if (which == 0 && (sx.stx_mask & STATX_BTIME)) seconds = sx.stx_btime.tv_sec;
  else if (which == 2) seconds = sx.stx_atime.tv_sec;
  return DosStampOf(seconds);
}

// ---------------------------------------------------------------- the check

void TDiskManager::Report(const TDiskCallbacks& callbacks, int32_t code) const {
  if (callbacks.OnDiskError) callbacks.OnDiskError(DriveName, "0", code, "0");
}

bool TDiskManager::CheckDiskOf(const std::string& path, const TDiskCallbacks& callbacks, bool writing) {
  if (IsUncPath(path)) return CheckDisk(path, callbacks, writing);
  const std::string native = NativePath(path);
  if (DirExists(native)) return CheckDisk(native, callbacks, writing);
  const std::size_t slash = native.find_last_of('/');
  if (slash == std::string::npos) return CheckDisk(".", callbacks, writing);
  return CheckDisk(slash == 0 ? "/" : native.substr(0, slash), callbacks, writing);
}

bool TDiskManager::CheckDisk(const std::string& drive, const TDiskCallbacks& callbacks, bool writing) {
  DriveName = drive;
  // Asks the user through a callback until the test passes or he cancels.
  const auto waitFor = [&](auto failing, const auto& ask, int32_t code) {
    while (failing()) {
      if (!ask) {
        Report(callbacks, code);
        return false;
      }
      bool cancel = true;
      ask(*this, cancel);
      if (cancel) {
        Report(callbacks, kErrCanceled);
        return false;
      }
    }
    return true;
  };
  if (!IsUncPath(drive)) {
    if (!waitFor([&] { return !DiskReady(drive); }, callbacks.OnInsertDisk, kErrNotAccessible)) return false;
    if (writing &&
        !waitFor([&] { return IsWriteProtected(drive); }, callbacks.OnWriteProtected, kErrWriteProtected))
      return false;
  }
  while (!GetVolumeInfo(drive)) {
    if (!AskRetry(drive)) {
      Report(callbacks, kErrNotAccessible);
      return false;
    }
  }
  SpannedDiskNumber = static_cast<uint16_t>(ParseSpannedLabel(VolumeLabel));
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", SerialNumber);
  SerialText = hex;
  DriveType = GetDriveKind(drive);
  if (DriveType == kDriveNoRoot) {
    Report(callbacks, kErrNotAccessible);
    return false;
  }
  ReadDiskSpace(drive);
  FloppyKind = DriveType == kDriveRemovable ? GetFloppyKind(drive) : 0;
  DriveTypeName = DriveTypeNameOf(DriveType == kDriveRemovable ? FloppyKind : DriveType);
  return true;
}

}  // namespace vm
