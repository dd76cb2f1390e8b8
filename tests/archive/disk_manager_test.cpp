#include "archive/components/disk_manager.h"

#include <gtest/gtest.h>

#include <ctime>
#include <tuple>
#include <vector>

#include "archive/components/arc_globals.h"
#include "archive/components/codec_host.h"
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

}  // namespace
}  // namespace vm
