#include "archive/components/disk_manager.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <tuple>
#include <vector>

#include "archive/components/arc_globals.h"
#include "archive/components/archive_root.h"
#include "archive/components/codec_host.h"
#include "support/fake_disks.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::TempDir;

struct Reports {
  std::vector<int32_t> Codes;
  TDiskCallbacks Callbacks() {
    TDiskCallbacks cb;
    cb.OnDiskError = [this](const std::string&, const std::string& ext, int32_t code, const std::string& vol) {
      EXPECT_EQ(ext, "0");
      EXPECT_EQ(vol, "0");
      Codes.push_back(code);
    };
    return cb;
  }
};

TEST(DiskManager, DescribesTheFileSystemOfAWritableFolderAndLeavesNothingThere) {
  TempDir dir;
  TDiskManager dm;
  Reports r;
  ASSERT_TRUE(dm.CheckDiskOf(dir / "archive.BH", r.Callbacks()));
  EXPECT_TRUE(r.Codes.empty());
  EXPECT_EQ(dm.DriveName, dir.Dir().substr(0, dir.Dir().size() - 1));
  EXPECT_TRUE(!dm.FileSystemName.empty() && dm.DiskSize > 0 && dm.FreeSpace <= dm.DiskSize);
  EXPECT_EQ(dm.SerialText.size(), 8u);
  EXPECT_NE(dm.DriveType, kDriveNoRoot);
  EXPECT_TRUE(FolderHasNoFiles(dir.Dir()));  // the write test cleaned up after itself
  // A folder still to be made is judged by the one that will hold it.
  EXPECT_TRUE(dm.CheckDisk(dir / "new/deeper", r.Callbacks()));
}

class FakeDisk : public TDiskManager {
 public:
  int NotReadyFor = 0;
  int ProtectedFor = 0;
  bool DiskReady(const std::string&) override { return NotReadyFor-- <= 0; }
  bool IsWriteProtected(const std::string&) override { return ProtectedFor-- > 0; }
};

TEST(DiskManager, RefusalsAreReportedOnceAndCallbacksMayRetry) {
  TempDir dir;
  Reports r;
  for (const auto& [notReady, writeProtected, code] :
       {std::tuple{0, 100, kErrWriteProtected}, std::tuple{100, 0, kErrNotAccessible}}) {
    FakeDisk disk;
    disk.NotReadyFor = notReady;
    disk.ProtectedFor = writeProtected;
    r.Codes.clear();
    EXPECT_FALSE(disk.CheckDisk(dir.Dir(), r.Callbacks()));
    EXPECT_EQ(r.Codes, std::vector<int32_t>{code});
  }
  // Reading needs a disk that is there, not one that takes writing.
  FakeDisk readOnly;
  readOnly.ProtectedFor = 100;
  r.Codes.clear();
  EXPECT_TRUE(readOnly.CheckDisk(dir.Dir(), r.Callbacks(), false));
  EXPECT_TRUE(r.Codes.empty());

  r.Codes.clear();
  FakeDisk later;
  later.NotReadyFor = 2;
  later.ProtectedFor = 1;
  TDiskCallbacks cb = r.Callbacks();
  int asked = 0;
  cb.OnInsertDisk = [&](TDiskManager&, bool& cancel) { ++asked, cancel = false; };
  cb.OnWriteProtected = [&](TDiskManager&, bool& cancel) { ++asked, cancel = asked >= 3; };
  EXPECT_FALSE(later.CheckDisk(dir.Dir(), cb));  // the write-protect question is cancelled
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(r.Codes, std::vector<int32_t>{kErrCanceled});
}

TEST(DiskManager, SpannedLabelsAndDosStamps) {
  EXPECT_EQ(TDiskManager::ParseSpannedLabel("PKBACK# 001"), 1);
  EXPECT_EQ(TDiskManager::ParseSpannedLabel("PKBACK# A01"), 0);
  EXPECT_EQ(TDiskManager::ParseSpannedLabel("X PKBACK# 1 PKBACK# 12"), 12);
  EXPECT_EQ(TDiskManager::ParseSpannedLabel("BACKUP"), 0);

  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 1;
  t.tm_mday = 29;
  t.tm_hour = 13;
  t.tm_min = 45;
  t.tm_sec = 31;
  t.tm_isdst = -1;
  const uint32_t stamp = DosStampOf(std::mktime(&t));
  EXPECT_EQ(stamp >> 16, (44u << 9) | (2u << 5) | 29u);
  EXPECT_EQ(stamp & 0xFFFF, (13u << 11) | (45u << 5) | 15u);
  EXPECT_EQ(DosStampOf(0), (1u << 21) | (1u << 16));  // before 1980: the first DOS day

  TempDir dir;
  test::WriteBytes(dir / "f", "x");
  const uint32_t written = TDiskManager::FileTimeOf(dir / "f", 1);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  EXPECT_EQ(written >> 25, static_cast<uint32_t>(local.tm_year - 80));
  EXPECT_EQ(TDiskManager::FileTimeOf(dir / "none", 1), 0u);
}

void Shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

const std::string kSpannedHeader = std::string("PK\x07\x08", 4) + std::string(60, 'x');

// A disk of a spanned set as the archiver leaves it: a FAT image made with
// the set's label, the device of a folder in a mount table, on a disk sysfs
// may flag removable, with the set's first volume in the folder.
struct SpannedDisk : test::FakeDisks {
  std::string Path;
  SpannedDisk(const std::string& label, bool removable) {
    Disk("sdz", removable);
    Partition("sdz", "sdz1");
    const std::string image = DeviceFile("sdz1");
    Shell("/usr/sbin/mkfs.vfat -C '" + image + "' 1440 -n '" + label + "' -i F486E1F1 >/dev/null 2>&1");
    const std::string folder = Folder("stick");
    Mount(image, folder, "vfat");
    Path = folder + "/set.zip";
    test::WriteBytes(Path, kSpannedHeader);
  }
  TArcType SetType() const {
    TArchiveRoot root;
    root.DriveSources = Sources();
    root.SetArchiveFile(Path);
    return root.ArcType();
  }
};

TEST(DiskManager, AStickIsDescribedByItsDeviceLabelVolumeIdFileSystemAndKind) {
  SpannedDisk stick("PKBACK# 001", true);
  TDiskManager dm;
  dm.Sources = stick.Sources();
  Reports r;
  ASSERT_TRUE(dm.CheckDiskOf(stick.Path, r.Callbacks()));
  EXPECT_EQ(dm.VolumeLabel, "PKBACK# 001");
  EXPECT_EQ(dm.SpannedDiskNumber, 1);
  EXPECT_EQ(dm.SerialNumber, 0xF486E1F1u);
  EXPECT_EQ(dm.SerialText, "F486E1F1");
  EXPECT_EQ(dm.FileSystemName, "vfat");
  EXPECT_EQ(dm.DriveType, kDriveRemovable);
  EXPECT_EQ(dm.FloppyKind, 0);
  EXPECT_EQ(dm.DriveTypeName, "Unknown");  // a removable disk that is no floppy drive
  EXPECT_EQ(dm.GetDriveKind(""), kDriveNoRoot);
}

TEST(SpannedSets, ARemovableDiskLabelledAsTheSetsDiskIsSpannedAnyOtherAMultiVolumeSet) {
  EXPECT_EQ(SpannedDisk("PKBACK# 001", true).SetType(), atZipDS);
  EXPECT_EQ(SpannedDisk("pkback# 12", true).SetType(), atZipDS);  // the first word, upper-cased
  EXPECT_EQ(SpannedDisk("PKBACK# 001", false).SetType(), atZipMV);
  EXPECT_EQ(SpannedDisk("PKBACK#001", true).SetType(), atZipMV);
  EXPECT_EQ(SpannedDisk("BACKUP 001", true).SetType(), atZipMV);
  SpannedDisk central("PKBACK# 002", true);
  test::WriteBytes(central.Path, std::string("PK\x01\x02", 4) + std::string(60, 'x'));
  EXPECT_EQ(central.SetType(), atZipDS);
}

// A real mount where the machine allows one (root, a loop device and the
// file system's driver), read-only as a protected diskette or a disc is:
// the kernel's own mount table, sysfs and device describe it, and a
// spanned set on it is still told by its disk. A loop device is no
// removable disk, so the set is one of volumes.
class LoopMount {
 public:
  LoopMount(const std::string& image, const std::string& point, const std::string& type) : point_(point) {
    mounted_ = std::system(("mount -t " + type + " -o loop '" + image + "' '" + point + "' 2>/dev/null").c_str()) == 0;
  }
  ~LoopMount() {
    if (mounted_) std::system(("umount '" + point_ + "'").c_str());
  }
  bool Mounted() const { return mounted_; }

 private:
  std::string point_;
  bool mounted_ = false;
};

TEST(DiskManager, ARealReadOnlyMountIsDescribedFromTheKernelsOwnSources) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  test::TempDir dir;
  int mounted = 0;
  for (const auto& [type, make, label, serial] :
       {std::tuple<std::string, std::string, std::string, uint32_t>{
            "vfat", "/usr/sbin/mkfs.vfat -C '%' 1440 -n 'PKBACK# 001' -i F486E1F1", "PKBACK# 001", 0xF486E1F1u},
        {"ext4", "truncate -s 4M '%' && /usr/sbin/mkfs.ext4 -q -L 'Диск 1' -U 0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9 '%'",
         "Диск 1"_w, 0xc6d7e8f9u}}) {
    const std::string image = dir / (type + ".img"), point = dir / type;
    std::filesystem::create_directory(point);
    std::string command = make;
    for (std::size_t at; (at = command.find('%')) != std::string::npos;) command.replace(at, 1, image);
    Shell(command + " >/dev/null 2>&1");
    LoopMount mount(image, point, type);
    if (!mount.Mounted()) continue;
    ++mounted;
    test::WriteBytes(point + "/set.zip", kSpannedHeader);
    Shell("mount -o remount,ro '" + point + "'");
    TDiskManager dm;
    ASSERT_TRUE(dm.CheckDiskOf(point + "/set.zip", {}, false)) << type;
    EXPECT_EQ(dm.VolumeLabel, label);
    EXPECT_EQ(dm.SerialNumber, serial);
    EXPECT_EQ(dm.FileSystemName, type);
    EXPECT_EQ(dm.DriveType, kDriveFixed);
    TArchiveRoot root;
    root.SetArchiveFile(point + "/set.zip");
    EXPECT_EQ(root.ArcType(), atZipMV) << type;
  }
  if (mounted == 0) GTEST_SKIP() << "this machine mounts neither image";
}

}  // namespace
}  // namespace vm
