// A machine's disks as the kernel describes them, in a temporary folder: a
// mount table, a sysfs tree of block devices and udev's links, for the code
// that takes these places as parameters.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/drives.h"
#include "support/temp_dir.h"

namespace vm::test {

class FakeDisks {
 public:
  FakeDisks() { std::filesystem::create_directories(Sys() + "/class/block"); }

  // A whole disk; deviceType is sysfs's device/type: "0" a SCSI disk, "5"
  // an optical drive, "SD" or "MMC" a card.
  void Disk(const std::string& name, bool removable, const std::string& deviceType = "0") {
    const std::string folder = Sys() + "/devices/block/" + name;
    std::filesystem::create_directories(folder + "/device");
    WriteBytes(folder + "/removable", removable ? "1\n" : "0\n");
    WriteBytes(folder + "/device/type", deviceType + "\n");
    Link("../../devices/block/" + name, Sys() + "/class/block/" + name);
  }
  void Partition(const std::string& disk, const std::string& name) {
    const std::string folder = Sys() + "/devices/block/" + disk + "/" + name;
    std::filesystem::create_directories(folder);
    WriteBytes(folder + "/partition", "1\n");
    Link("../../devices/block/" + disk + "/" + name, Sys() + "/class/block/" + name);
  }
  // A line of the mount table, its names written as the kernel writes them.
  void Mount(const std::string& device, const std::string& point, const std::string& type) {
    table_ += device + " " + Escaped(point) + " " + type + " rw 0 0\n";
    WriteBytes(dir_ / "mounts", table_);
  }
  // A device file of its own, named as the kernel names the device, for
  // what is read from the device itself.
  std::string DeviceFile(const std::string& name) const {
    std::filesystem::create_directories(dir_ / "dev");
    return dir_ / ("dev/" + name);
  }
  // udev's link to a device, its name escaped as udev escapes it.
  void UdevLink(const std::string& kind, const std::string& name, const std::string& device) const {
    std::filesystem::create_directories(dir_ / ("disk/" + kind));
    Link(device, dir_ / ("disk/" + kind + "/" + name));
  }
  std::string Folder(const std::string& name) const {
    std::filesystem::create_directories(dir_ / name);
    return std::filesystem::canonical(dir_ / name).string();
  }

  TDriveSources Sources() const { return {dir_ / "mounts", Sys(), dir_ / "disk"}; }

 private:
  std::string Sys() const { return dir_ / "sys"; }
  static void Link(const std::string& target, const std::string& at) {
    std::filesystem::create_symlink(target, at);
  }
  static std::string Escaped(const std::string& s) {
    std::string out;
    for (const char c : s) out += c == ' ' ? std::string("\\040") : std::string(1, c);
    return out;
  }

  TempDir dir_;
  std::string table_;
};

// The disks of a desktop: the system disk, a stick, a USB card reader, a
// card in the built-in slot, a disc, a disk kept in memory, a fixed data
// disk mounted where sticks usually go, and network shares.
struct DesktopDisks : FakeDisks {
  DesktopDisks() {
    Disk("sda", false);
    Partition("sda", "sda1");
    Partition("sda", "sda2");
    Disk("sdb", true);
    Partition("sdb", "sdb1");
    Disk("sdc", true);
    Disk("mmcblk0", false, "SD");
    Partition("mmcblk0", "mmcblk0p1");
    Disk("nvme0n1", false);
    Partition("nvme0n1", "nvme0n1p1");
    Disk("sr0", true, "5");
    Disk("zram0", false);
    Mount("proc", "/proc", "proc");
    Mount("tmpfs", "/run", "tmpfs");
    Mount("/dev/sda2", "/home", "ext4");
    Mount("/dev/sda1", "/", "ext4");
    Mount("/dev/sr0", "/media/user/DISC", "iso9660");
    Mount("/dev/sdb1", "/media/user/STICK", "vfat");
    Mount("/dev/sdc", "/run/media/user/CARD ONE", "exfat");
    Mount("/dev/mmcblk0p1", "/mnt/sd", "vfat");
    Mount("/dev/nvme0n1p1", "/media/data", "ext4");
    Mount("/dev/zram0", "/var/cache/fast", "ext4");
    Mount("server:/export", "/srv/shop", "nfs4");
    Mount("//host/share", "/mnt/\\320\\274\\320\\260\\320\\263 \\320\\260", "cifs");
    Mount("user@host:/data", "/mnt/remote", "fuse.sshfs");
    Mount("/dev/sda2", "/home", "ext4");
    Mount("/dev/sdb1", "/media/user/STICK", "vfat");
  }
};

}  // namespace vm::test
