// The disks a directory may be chosen on. Linux has no drive letters: a
// disk is a mounted file system, named by its mount point. Fixed local
// disks and network mounts are told apart by the file system type; there
// is no browsing of the network's shares, only what is mounted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vm {

struct TDrive {
  std::string Root;  // the mount point (Windows-1251)
  bool Network = false;
};

// The drives of a mount table (the lines of /proc/self/mounts): fixed
// local file systems and network ones, each mount point once, "/" first.
// Removable media (under /media, /run/media, /mnt/cdrom), optical discs and
// memory or pseudo file systems are left out.
std::vector<TDrive> DrivesOfMountTable(std::string_view mounts);
// The drives of this machine now.
std::vector<TDrive> SystemDrives();

// The mount points of removable media in a mount table (USB sticks, cards,
// floppies under /media, /run/media or /mnt), in its order.
std::vector<std::string> RemovableMountsOfTable(std::string_view mounts);
std::vector<std::string> RemovableMounts();

}  // namespace vm
