// The disks offered by the directory chooser, read from mount tables as
// the kernel writes them.
#include "platform/drives.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace vm {
namespace {

std::vector<std::string> Roots(const std::vector<TDrive>& drives, bool network) {
  std::vector<std::string> roots;
  for (const TDrive& d : drives)
    if (d.Network == network) roots.push_back(d.Root);
  return roots;
}

TEST(Drives, FixedDisksAndNetworkMountsOnlyRootFirstEachOnce) {
  const std::string table =
      "proc /proc proc rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda1 / ext4 rw 0 0\n"
      "/dev/sr0 /mnt/cdrom iso9660 ro 0 0\n"
      "/dev/sdb1 /media/user/STICK vfat rw 0 0\n"
      "/dev/sdc1 /run/media/user/DISK ext4 rw 0 0\n"
      "server:/export /srv/shop nfs4 rw 0 0\n"
      "//host/share /mnt/\\320\\274\\320\\260\\320\\263\\040\\320\\260 cifs rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "garbage\n";
  const std::vector<TDrive> drives = DrivesOfMountTable(table);
  EXPECT_EQ(Roots(drives, false), (std::vector<std::string>{"/", "/home"}));
  EXPECT_EQ(Roots(drives, true), (std::vector<std::string>{"/srv/shop", "/mnt/"_w + "маг а"_w}));
}

TEST(Drives, ARootOnAnOverlayIsStillOffered) {
  const std::vector<TDrive> drives = DrivesOfMountTable("overlay / overlay rw 0 0\n");
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].Root, "/");
  EXPECT_FALSE(drives[0].Network);
  EXPECT_EQ(DrivesOfMountTable("").size(), 1u);
}

}  // namespace
}  // namespace vm
