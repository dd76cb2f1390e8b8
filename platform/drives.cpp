#include "platform/drives.h"

#include <fcntl.h>
#include <linux/fd.h>
#include <linux/major.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/encoding.h"

namespace vm {

namespace {

constexpr std::array<std::string_view, 14> kLocalTypes = {
    "ext2", "ext3", "ext4", "xfs", "btrfs", "jfs", "reiserfs", "f2fs", "zfs", "vfat", "exfat", "ntfs", "ntfs3",
    "fuseblk"};
constexpr std::array<std::string_view, 16> kNetworkTypes = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "fuse.sshfs", "sshfs", "afs", "ceph", "9p", "glusterfs",
    "fuse.glusterfs", "lustre", "davfs", "fuse.davfs2"};
constexpr std::array<std::string_view, 2> kRamTypes = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 2> kDiscTypes = {"iso9660", "udf"};

// The SCSI peripheral type of an optical drive.
constexpr std::string_view kScsiRom = "5";

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& list, std::string_view s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

// The mount table writes blanks and backslashes in octal.
std::string Unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const std::string_view digits = s.substr(i + 1, 3);
      if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The first line of a sysfs attribute.
std::string Attribute(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string RealPath(const std::string& path) {
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) ? std::string(real) : std::string();
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The sysfs folder of the whole disk a device lies on, "" when sysfs does
// not know the device. A device node is found by its number, so that any
// name of it serves (/dev/mapper/..., /dev/disk/by-uuid/...); a name the
// machine lacks (a mount table read in a container) by its last part. The
// devices of pseudo file systems ("proc", "tmpfs") are no paths.
std::string WholeDiskFolder(const std::string& device, const std::string& sysRoot) {
  if (device.empty() || device.front() != '/') return {};
  std::string folder;
  struct stat st {};
  if (::stat(device.c_str(), &st) == 0 && S_ISBLK(st.st_mode))
    folder = RealPath(sysRoot + "/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                      std::to_string(minor(st.st_rdev)));
  if (folder.empty()) {
    const std::string real = RealPath(device);
    const std::string name = BaseName(real.empty() ? device : real);
    if (name.empty() || name == "." || name == "..") return {};
    folder = RealPath(sysRoot + "/class/block/" + name);
  }
  if (folder.empty()) return {};
  return Exists(folder + "/partition") ? folder.substr(0, folder.find_last_of('/')) : folder;
}

TDriveKind KindOfDisk(const std::string& disk) {
  const std::string name = BaseName(disk);
  if (name.rfind("zram", 0) == 0 || name.rfind("ram", 0) == 0) return TDriveKind::Ram;
  const std::string deviceType = Attribute(disk + "/device/type");
  if (deviceType == kScsiRom || name.rfind("sr", 0) == 0) return TDriveKind::CdRom;
  // A card in a built-in reader: the kernel flags the slot's cards as fixed,
  // but the card comes and goes as a stick does.
  if (Attribute(disk + "/removable") == "1" || deviceType == "SD") return TDriveKind::Removable;
  return TDriveKind::Fixed;
}

// FUSE file systems over the network name the remote place as their device:
// "host:/folder", "user@host:", "remote:" or an address.
bool RemoteFuse(const TMount& mount) {
  return mount.Type.rfind("fuse.", 0) == 0 && mount.Device.find(':') != std::string::npos;
}

}  // namespace

std::vector<TMount> MountsOfTable(std::string_view table) {
  std::vector<TMount> mounts;
  std::istringstream in{std::string(table)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    TMount m;
    if (fields >> m.Device >> m.Point >> m.Type) {
      m.Device = Unescape(m.Device);
      m.Point = Unescape(m.Point);
      mounts.push_back(std::move(m));
    }
  }
  return mounts;
}

std::vector<TMount> ReadMounts(const TDriveSources& sources) { return MountsOfTable(ReadWhole(sources.MountTable)); }

std::optional<TMount> MountHolding(const std::string& sysFolder, const TDriveSources& sources) {
  const std::string path = RealPath(sysFolder);
  if (path.empty()) return std::nullopt;
  std::optional<TMount> best;
  for (TMount& m : ReadMounts(sources)) {
    const std::string& point = m.Point;
    const bool holds = point == "/" || path == point || path.rfind(point + "/", 0) == 0;
    if (holds && (!best || point.size() >= best->Point.size())) best = std::move(m);
  }
  return best;
}

TDriveKind KindOfMount(const TMount& mount, const TDriveSources& sources) {
  if (OneOf(kNetworkTypes, mount.Type) || RemoteFuse(mount)) return TDriveKind::Network;
  if (OneOf(kRamTypes, mount.Type)) return TDriveKind::Ram;
  const std::string disk = WholeDiskFolder(mount.Device, sources.SysRoot);
  if (!disk.empty()) {
    const TDriveKind kind = KindOfDisk(disk);
    if (kind != TDriveKind::Fixed) return kind;
  }
  // An image of a disc is mounted through a loop device, which is no drive.
  return OneOf(kDiscTypes, mount.Type) ? TDriveKind::CdRom : TDriveKind::Fixed;
}

int FloppyKindOfCmosType(int cmosType) {
  // 1 and 2 are the 360 KB and 1.2 MB drives; 3 to 6 the 720 KB, 1.44 MB
  // and the two 2.88 MB ones.
  if (cmosType == 1 || cmosType == 2) return 8;
  if (cmosType >= 3 && cmosType <= 6) return 7;
  return 0;
}

int FloppyKindOfDevice(const std::string& device) {
  // Without O_NONBLOCK the driver refuses a drive with no diskette in it.
  const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  floppy_drive_params params{};
  const bool floppy = ::fstat(fd, &st) == 0 && S_ISBLK(st.st_mode) && major(st.st_rdev) == FLOPPY_MAJOR &&
                      ::ioctl(fd, FDGETDRVPRM, &params) == 0;
  ::close(fd);
  return floppy ? FloppyKindOfCmosType(params.cmos) : 0;
}

std::vector<TDrive> DrivesOf(const TDriveSources& sources) {
  std::vector<TDrive> drives;
  for (const TMount& m : ReadMounts(sources)) {
    const bool network = OneOf(kNetworkTypes, m.Type) || RemoteFuse(m);
    if (!network && (!OneOf(kLocalTypes, m.Type) || KindOfMount(m, sources) != TDriveKind::Fixed)) continue;
    const std::string root = Utf8ToCp1251(m.Point);
    if (std::none_of(drives.begin(), drives.end(), [&](const TDrive& d) { return d.Root == root; }))
      drives.push_back({root, network});
  }
  std::stable_partition(drives.begin(), drives.end(), [](const TDrive& d) { return d.Root == "/"; });
  if (drives.empty() || drives.front().Root != "/") drives.insert(drives.begin(), {"/", false});
  return drives;
}

std::vector<std::string> RemovableMountsOf(const TDriveSources& sources) {
  // Discs after the media that take writing: the first is offered first.
  std::vector<std::string> points, discs;
  for (const TMount& m : ReadMounts(sources)) {
    const TDriveKind kind = KindOfMount(m, sources);
    const std::string root = Utf8ToCp1251(m.Point);
    if (kind != TDriveKind::Removable && kind != TDriveKind::CdRom) continue;
    std::vector<std::string>& list = kind == TDriveKind::CdRom ? discs : points;
    if (std::find(list.begin(), list.end(), root) == list.end()) list.push_back(root);
  }
  points.insert(points.end(), discs.begin(), discs.end());
  return points;
}

std::vector<std::string> RemovableMounts() { return RemovableMountsOf({}); }

}  // namespace vm
