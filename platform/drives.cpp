#include "platform/drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "platform/encoding.h"

namespace vm {

namespace {

constexpr std::array<std::string_view, 11> kLocalTypes = {
    "ext2", "ext3", "ext4", "xfs", "btrfs", "jfs", "reiserfs", "f2fs", "zfs", "vfat", "ntfs3"};
constexpr std::array<std::string_view, 10> kNetworkTypes = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "fuse.sshfs", "afs", "ceph", "9p"};
constexpr std::array<std::string_view, 4> kRemovablePlaces = {"/media/", "/run/media/", "/mnt/cdrom",
                                                               "/mnt/floppy"};

constexpr std::array<std::string_view, 7> kMediaTypes = {"vfat", "exfat", "ntfs", "ntfs3", "fuseblk", "iso9660",
                                                         "udf"};

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
      if (digits.size() == 3 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

bool Removable(const std::string& mountPoint) {
  for (std::string_view place : kRemovablePlaces)
    if (mountPoint.rfind(place, 0) == 0 || mountPoint + "/" == place) return true;
  return false;
}

// Calls each(mount point, file system type) for every line of the table.
template <typename Each>
void ForEachMount(std::string_view mounts, Each each) {
  std::istringstream in{std::string(mounts)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, point, type;
    if (fields >> device >> point >> type) each(Unescape(point), type);
  }
}

}  // namespace

std::vector<TDrive> DrivesOfMountTable(std::string_view mounts) {
  std::vector<TDrive> drives;
  ForEachMount(mounts, [&](const std::string& point, const std::string& type) {
    const bool network = OneOf(kNetworkTypes, type);
    if (!network && (!OneOf(kLocalTypes, type) || Removable(point))) return;
    const std::string root = Utf8ToCp1251(point);
    if (std::none_of(drives.begin(), drives.end(), [&](const TDrive& d) { return d.Root == root; }))
      drives.push_back({root, network});
  });
  std::stable_partition(drives.begin(), drives.end(), [](const TDrive& d) { return d.Root == "/"; });
  if (drives.empty() || drives.front().Root != "/") drives.insert(drives.begin(), {"/", false});
  return drives;
}

namespace {

std::string MountTable() {
  std::ifstream in("/proc/self/mounts");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<TDrive> SystemDrives() { return DrivesOfMountTable(MountTable()); }

std::vector<std::string> RemovableMountsOfTable(std::string_view mounts) {
  std::vector<std::string> points;
  ForEachMount(mounts, [&](const std::string& point, const std::string& type) {
    const std::string root = Utf8ToCp1251(point);
    // Under /mnt only the file systems sticks and cards come with.
    const bool stickType = OneOf(kMediaTypes, type);
    if ((Removable(point) || (point.rfind("/mnt/", 0) == 0 && stickType)) &&
        std::find(points.begin(), points.end(), root) == points.end())
      points.push_back(root);
  });
  return points;
}

std::vector<std::string> RemovableMounts() { return RemovableMountsOfTable(MountTable()); }

}  // namespace vm
