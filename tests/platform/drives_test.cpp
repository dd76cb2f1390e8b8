// The disks of a machine and what each is, read from a mount table and a
// sysfs tree as the kernel writes them, and a file system's label and
// identifier read from its device or udev's links.
#include "platform/drives.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/encoding.h"
#include "platform/volume_id.h"
#include "support/fake_disks.h"

namespace vm {
namespace {

using test::FakeDisks;

std::vector<std::string> Roots(const std::vector<TDrive>& drives, bool network) {
  std::vector<std::string> roots;
  for (const TDrive& d : drives)
    if (d.Network == network) roots.push_back(d.Root);
  return roots;
}

struct Desktop : test::DesktopDisks {
  TDriveKind KindAt(const std::string& point) {
    for (const TMount& m : ReadMounts(Sources()))
      if (m.Point == point) return KindOfMount(m, Sources());
    ADD_FAILURE() << point;
    return TDriveKind::Unknown;
  }
};

TEST(Drives, TheKindOfADiskComesFromItsDeviceNotFromItsMountPoint) {
  Desktop d;
  EXPECT_EQ(d.KindAt("/"), TDriveKind::Fixed);
  EXPECT_EQ(d.KindAt("/media/data"), TDriveKind::Fixed);
  EXPECT_EQ(d.KindAt("/media/user/STICK"), TDriveKind::Removable);  // a partition: its disk's flag
  EXPECT_EQ(d.KindAt("/run/media/user/CARD ONE"), TDriveKind::Removable);
  EXPECT_EQ(d.KindAt("/mnt/sd"), TDriveKind::Removable);
  EXPECT_EQ(d.KindAt("/media/user/DISC"), TDriveKind::CdRom);
  EXPECT_EQ(d.KindAt("/var/cache/fast"), TDriveKind::Ram);
  EXPECT_EQ(d.KindAt("/run"), TDriveKind::Ram);
  EXPECT_EQ(d.KindAt("/srv/shop"), TDriveKind::Network);
  EXPECT_EQ(d.KindAt("/mnt/remote"), TDriveKind::Network);
  EXPECT_EQ(d.KindAt("/proc"), TDriveKind::Fixed);

  // A device sysfs does not know: an image of a disc is a CD-ROM, any other
  // file system a fixed disk; eMMC is the machine's own disk.
  EXPECT_EQ(KindOfMount({"/dev/loop3", "/iso", "iso9660"}, d.Sources()), TDriveKind::CdRom);
  EXPECT_EQ(KindOfMount({"/dev/gone1", "/x", "ext4"}, d.Sources()), TDriveKind::Fixed);
  d.Disk("mmcblk1", false, "MMC");
  EXPECT_EQ(KindOfMount({"/dev/mmcblk1", "/x", "ext4"}, d.Sources()), TDriveKind::Fixed);
  EXPECT_EQ(KindOfMount({"remote:", "/x", "fuse.rclone"}, d.Sources()), TDriveKind::Network);
  EXPECT_EQ(KindOfMount({"portal", "/x", "fuse.portal"}, d.Sources()), TDriveKind::Fixed);
}

TEST(Drives, TheChooserOffersFixedDisksAndNetworkMountsRootFirstEachOnce) {
  Desktop d;
  const std::vector<TDrive> drives = DrivesOf(d.Sources());
  EXPECT_EQ(Roots(drives, false), (std::vector<std::string>{"/", "/home", "/media/data"}));
  EXPECT_EQ(Roots(drives, true),
            (std::vector<std::string>{"/srv/shop", "/mnt/"_w + "маг а"_w, "/mnt/remote"}));
  EXPECT_EQ(RemovableMountsOf(d.Sources()),
            (std::vector<std::string>{"/media/user/STICK", "/run/media/user/CARD ONE", "/mnt/sd",
                                      "/media/user/DISC"}));
}

TEST(Drives, ARootOnAnOverlayIsStillOffered) {
  FakeDisks d;
  d.Mount("overlay", "/", "overlay");
  const std::vector<TDrive> drives = DrivesOf(d.Sources());
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].Root, "/");
  EXPECT_FALSE(drives[0].Network);
  EXPECT_EQ(DrivesOf({"/nonexistent/mounts", "/nonexistent", "/nonexistent"}).size(), 1u);
  EXPECT_TRUE(RemovableMountsOf(d.Sources()).empty());
}

TEST(Drives, AFolderIsHeldByTheLongestMountPointItLiesUnderTheLaterOfTwo) {
  FakeDisks d;
  const std::string stick = d.Folder("stick");
  d.Folder("stick/archive");
  d.Folder("stick2");
  d.Mount("/dev/sda1", "/", "ext4");
  d.Mount("/dev/sdb1", stick, "ext4");
  d.Mount("/dev/sdc1", stick, "vfat");  // mounted over the first
  EXPECT_EQ(MountHolding(stick + "/archive", d.Sources())->Device, "/dev/sdc1");
  EXPECT_EQ(MountHolding(stick, d.Sources())->Type, "vfat");
  EXPECT_EQ(MountHolding(stick + "2", d.Sources())->Point, "/");
  EXPECT_FALSE(MountHolding(stick + "/none", d.Sources()));
}

TEST(Drives, FloppyDrivesBySizeAndNoOtherDevice) {
  EXPECT_EQ(FloppyKindOfCmosType(1), 8);
  EXPECT_EQ(FloppyKindOfCmosType(2), 8);
  for (int type : {3, 4, 5, 6}) EXPECT_EQ(FloppyKindOfCmosType(type), 7);
  EXPECT_EQ(FloppyKindOfCmosType(0), 0);
  EXPECT_EQ(FloppyKindOfCmosType(16), 0);
  FakeDisks d;
  const std::string file = d.DeviceFile("fd0");
  test::WriteBytes(file, "");
  EXPECT_EQ(FloppyKindOfDevice(file), 0);
  EXPECT_EQ(FloppyKindOfDevice("/dev/null"), 0);
  EXPECT_EQ(FloppyKindOfDevice("/dev/none"), 0);

  // A diskette's own file system, 1.44 MB of FAT12 as a floppy drive
  // formats it, makes no floppy drive of what holds it: neither its image
  // named as the drive nor a block device that serves the image.
  const std::string image = d.DeviceFile("fd1");
  ASSERT_EQ(std::system(("/usr/sbin/mkfs.fat -C '" + image + "' 1440 -n DISKETTE >/dev/null").c_str()), 0);
  std::string label, uuid, type;
  ASSERT_TRUE(ProbeVolumeId(image, label, uuid, type));
  ASSERT_EQ(type, "vfat");
  EXPECT_EQ(FloppyKindOfDevice(image), 0);
  std::string loop;
  if (FILE* pipe = popen(("losetup --find --show --read-only '" + image + "' 2>/dev/null").c_str(), "r")) {
    char line[256];
    while (fgets(line, sizeof line, pipe)) loop += line;
    pclose(pipe);
  }
  if (loop.empty()) GTEST_SKIP() << "no loop device to serve the image";
  const std::string device = loop.substr(0, loop.find('\n'));
  EXPECT_EQ(FloppyKindOfDevice(device), 0);
  std::system(("losetup -d '" + device + "'").c_str());
}

TEST(VolumeId, LabelsAndIdentifiersReadFromTheDeviceInTheirFileSystemsText) {
  FakeDisks d;
  const std::string fat = d.DeviceFile("sdz1");
  ASSERT_EQ(std::system(("/usr/sbin/mkfs.vfat -C '" + fat + "' 1440 -n 'PKBACK# 001' -i F486E1F1 >/dev/null").c_str()),
            0);
  std::string label, uuid, type;
  ASSERT_TRUE(ProbeVolumeId(fat, label, uuid, type));
  EXPECT_EQ(label, "PKBACK# 001");
  EXPECT_EQ(uuid, "F486-E1F1");
  EXPECT_EQ(type, "vfat");

  const std::string ext = d.DeviceFile("sdz2");
  ASSERT_EQ(std::system(("truncate -s 4M '" + ext + "' && /usr/sbin/mkfs.ext4 -q -L 'Диск 1' "
                         "-U 0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9 '" + ext + "'")
                            .c_str()),
            0);
  TVolumeId id;
  ASSERT_TRUE(VolumeIdOfMount({ext, "/x", "ext4"}, d.Sources(), id));
  EXPECT_EQ(id.Label, "Диск 1"_w);
  EXPECT_EQ(id.Uuid, "0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9");

  // Nothing libblkid knows: udev's links answer, a FAT label in DOS text.
  const std::string blank = d.DeviceFile("sdz3");
  test::WriteBytes(blank, std::string(4096, '\0'));
  EXPECT_FALSE(ProbeVolumeId(blank, label, uuid, type));
  EXPECT_FALSE(VolumeIdOfMount({blank, "/x", "vfat"}, d.Sources(), id));
  d.UdevLink("by-label", "\\x8f\\xe0\\xae\\xa1\\xa0\\x20#1", blank);
  d.UdevLink("by-uuid", "1234-ABCD", blank);
  d.UdevLink("by-uuid", "5678-0000", fat);
  ASSERT_TRUE(VolumeIdOfMount({blank, "/x", "vfat"}, d.Sources(), id));
  EXPECT_EQ(id.Label, "Проба #1"_w);
  EXPECT_EQ(id.Uuid, "1234-ABCD");
}

TEST(VolumeId, TheSerialIsTheIdentifiersLastEightHexDigits) {
  EXPECT_EQ(SerialOfUuid("F486-E1F1"), 0xF486E1F1u);
  EXPECT_EQ(SerialOfUuid("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9"), 0xc6d7e8f9u);
  EXPECT_EQ(SerialOfUuid("1234567890ABCDEF"), 0x90ABCDEFu);  // NTFS
  EXPECT_EQ(SerialOfUuid("12AB"), 0x12ABu);
  EXPECT_EQ(SerialOfUuid(""), std::nullopt);
  EXPECT_EQ(SerialOfUuid("--"), std::nullopt);
}

}  // namespace
}  // namespace vm
