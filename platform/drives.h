// The disks of this machine and what each one is. Linux has no drive
// letters: a disk is a mounted file system, named by its mount point. What
// it is comes from its device: the kernel's block devices in sysfs say which
// disks are removable, optical or kept in memory; the mount table says which
// file systems come over the network.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The system's drive types; the archive components report these numbers.
enum class TDriveKind : int { Unknown = 0, NoRoot = 1, Removable = 2, Fixed = 3, Network = 4, CdRom = 5, Ram = 6 };

// Where the kernel's answers are read; tests name a table and trees of
// their own.
struct TDriveSources {
  std::string MountTable = "/proc/self/mounts";
  std::string SysRoot = "/sys";
  // udev's links to the devices, by-label/ and by-uuid/; a system without
  // udev (a container) has no such folder.
  std::string DiskLinks = "/dev/disk";
};

// One line of a mount table, in the system's own text (UTF-8).
struct TMount {
  std::string Device;
  std::string Point;
  std::string Type;
};

// The lines of a mount table as the kernel writes it (blanks in names as
// octal escapes); lines that are not mounts are passed over.
std::vector<TMount> MountsOfTable(std::string_view table);
std::vector<TMount> ReadMounts(const TDriveSources& sources);

// The mount that holds an existing folder (a system path): the one on the
// longest mount point its real path lies under, the later of two on the
// same point, as the later hides the earlier.
std::optional<TMount> MountHolding(const std::string& sysFolder, const TDriveSources& sources);

// What a mounted file system is: network and memory file systems by their
// type; the rest by the whole disk their device lies on (a partition's
// parent): memory disks, optical drives, disks the kernel flags removable
// (sticks, card readers, floppy drives) and SD cards are what they are,
// every other disk fixed. A device sysfs does not know is taken by its file
// system: a disc's type makes it a CD-ROM, any other a fixed disk.
TDriveKind KindOfMount(const TMount& mount, const TDriveSources& sources);

// The diskette size of a floppy drive (a /dev/fdN device) from the drive
// type its driver keeps: 7 for 3.5-inch drives, 8 for 5.25-inch ones; 0 for
// any other device, or when the driver does not answer.
int FloppyKindOfDevice(const std::string& device);
// The same from the driver's drive type (the BIOS's CMOS numbering).
int FloppyKindOfCmosType(int cmosType);

struct TDrive {
  std::string Root;  // the mount point (Windows-1251)
  bool Network = false;
};

// The disks a directory may be chosen on: fixed local disks and network
// file systems, each mount point once, "/" first (and always). Removable
// media, discs, memory and pseudo file systems are left out.
std::vector<TDrive> DrivesOf(const TDriveSources& sources);

// The mount points (Windows-1251) of removable media, sticks, cards and
// diskettes, then discs, each in the table's order and once.
std::vector<std::string> RemovableMountsOf(const TDriveSources& sources);
std::vector<std::string> RemovableMounts();

}  // namespace vm
