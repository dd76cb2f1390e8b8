// Backup, restore, period deletion and the restore of a deleted period
// killed (SIGKILL) at random moments, and a backup cut before each of its
// changes to the disk: after what the next start does first (the
// interrupted commit settled, a half-done swap of the backup's volumes
// settled, a deleted period's volumes on a medium named or removed), the
// data folder is all as before or all as after, file by file, and "RESERV"
// holds either the previous copy or the whole new one.
//
// VELOMAR_ARCHIVE_KILLS sets the kills per command (25 by default, 200 for
// the full run).
#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/deleted_period.h"
#include "backup_rig.h"
#include "config/data_dir.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/pending_renames.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/random_kills.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::WriteBytes;

int Kills() {
  const char* v = std::getenv("VELOMAR_ARCHIVE_KILLS");
  return v && *v ? std::atoi(v) : 25;
}

class BackupCrash : public test::BackupRig {
 protected:
  void SetUp() override {
    BackupRig::SetUp();
    WriteBytes(dir_ + "SALES.DBF", test::TextBytes(3 << 20, 5));
    AddArchives(6);
    config_.ID = 5;
    config_.Name = "Накладные"_w;
    config_.ArchiveNo = 6;
    arcEnv_.Dir = dir_;
    arcEnv_.Disk = "C";
    arcEnv_.FreeBytes = [](const std::string&) { return int64_t{1} << 40; };
    arcEnv_.Packer = &packer_;
    dialogs_.ChoosePeriod = [](const TArcIDList&, const std::string&, int32_t& index, bool& move) {
      index = 2;
      move = moveToMedia;
      return true;
    };
  }
  // The whole program folder kept aside, and put back for each run.
  void Keep(const std::string& as) {
    fs::remove_all(tmp_ / as);
    fs::copy(dir_, tmp_ / as, fs::copy_options::recursive);
  }
  void StartFrom(const std::string& state) {
    fs::remove_all(dir_);
    fs::copy(tmp_ / state, dir_, fs::copy_options::recursive);
    fs::remove_all(media_);
    fs::create_directories(media_);
  }
  std::map<std::string, std::string> Data() {
    std::vector<std::string> messages;
    RemoveLeftoverTemporaries(dir_);
    EXPECT_NE(RecoverInterruptedCommit(dir_, messages), TRecoveryResult::Failed);
    EXPECT_TRUE(SettlePendingRenames(dir_ + kPendingMediaSetName, messages));
    auto files = test::Snapshot(dir_);
    std::erase_if(files, [](const auto& e) { return e.first.rfind("RESERV", 0) == 0; });
    return files;
  }
  // A killed command against the states before and after it.
  void KillAndCompare(uint32_t seed, const std::string& from, const std::function<bool()>& job) {
    StartFrom(from);
    const auto before = Data();
    ASSERT_TRUE(job());
    const auto after = Data();
    ASSERT_NE(before, after);
    test::KillAtRandomMoments(
        Kills(), seed, [&] { StartFrom(from); }, job,
        [&](int run) {
          const auto now = Data();
          std::string diff;
          for (const auto& [name, bytes] : now)
            if (!before.contains(name) || before.at(name) != bytes) diff += " " + name;
          for (const auto& [name, bytes] : before)
            if (!now.contains(name)) diff += " -" + name;
          EXPECT_TRUE(now == before || now == after) << "run " << run << " differs from before in" << diff;
        });
  }

  TArchiveConfig config_;
  TArchiveEnv arcEnv_;
  static inline bool moveToMedia = false;
};

TEST_F(BackupCrash, KilledBackupsKeepThePreviousCopyOrTheWholeNewOne) {
  ui_.Answers = {kIdYes};
  ASSERT_TRUE(MakeBackup(env_));
  Keep("backed");
  const auto previous = test::Snapshot(tmp_.Dir() + "backed/RESERV");
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(200000, 9));
  Keep("changed");
  test::KillAtRandomMoments(
      Kills(), 41, [&] { StartFrom("changed"); },
      [&] {
        ui_.Answers = {kIdYes};
        return MakeBackup(env_);
      },
      [&](int run) {
        ui_.Answers = {kIdNo};
        MakeBackup(env_);
        const auto now = test::Snapshot(dir_ + "RESERV");
        if (now == previous) return;
        EXPECT_TRUE(JoinVolumes(dir_ + "RESERV/", "Reserv.000", dir_ + "WORK/", "Reserv.BH")) << "run " << run;
        fs::remove(dir_ + "WORK/Reserv.BH");
      });
}

// Cut before each of its changes to the disk in turn, then what the next
// start does with the backup's folders: "RESERV" stands, with the previous
// copy or the whole new one, and nothing else of the swap is left.
TEST_F(BackupCrash, CutAtEveryChangeABackupLeavesThePreviousCopyOrTheWholeNewOneAsReserv) {
  WriteBytes(dir_ + "SALES.DBF", test::TextBytes(20000, 5));
  ui_.Answers = {kIdYes};
  ASSERT_TRUE(MakeBackup(env_));
  const auto previous = test::Snapshot(dir_ + "RESERV");
  // Two volumes.
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(200000, 9));
  Keep("changed");
  int old = 0, fresh = 0;
  for (int n = 0;; ++n) {
    StartFrom("changed");
    const int code = test::CutAtChange(n, [&] {
      ui_.Answers = {kIdYes};
      MakeBackup(env_);
    });
    SettleReservSwap(dir_);
    ASSERT_TRUE(fs::is_directory(dir_ + "RESERV")) << "cut at " << n;
    for (const char* gone : {"RESERV.TMP", "RESERV.NEW", "RESERV.OLD"})
      EXPECT_FALSE(fs::exists(dir_ + gone)) << gone << ", cut at " << n;
    if (test::Snapshot(dir_ + "RESERV") == previous) {
      ++old;
    } else {
      ++fresh;
      EXPECT_TRUE(JoinVolumes(dir_ + "RESERV/", "Reserv.000", dir_ + "WORK/", "Reserv.BH")) << "cut at " << n;
      EXPECT_EQ(test::DirNames(dir_ + "RESERV"), (std::vector<std::string>{"Reserv.000", "Reserv.001"}));
    }
    if (code == 0) break;
    ASSERT_EQ(code, test::DieAtChange::kDied);
  }
  EXPECT_GT(old, 10);
  EXPECT_GT(fresh, 1);
}

TEST_F(BackupCrash, KilledRestoresLeaveAllBeforeOrAllAfter) {
  ui_.Answers = {kIdYes};
  ASSERT_TRUE(MakeBackup(env_));
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(200000, 9));
  fs::remove(dir_ + "ARCHIVE/00000002.CAF");
  WriteBytes(dir_ + "ARCHIVE/00000009.BH", "later");
  Keep("changed");
  volumeFolder_ = dir_ + "RESERV/";
  KillAndCompare(42, "changed", [&] {
    ui_.Answers = {kIdYes, kIdYes};
    return RestoreBackup(env_);
  });
}

TEST_F(BackupCrash, KilledDeletionsAndRestoresOfAPeriodLeaveAllBeforeOrAllAfter) {
  Keep("listed");
  moveToMedia = false;
  KillAndCompare(43, "listed", [&] { return DeleteArchivePeriod(config_, arcEnv_); });
  moveToMedia = true;
  toMedia_ = true;
  KillAndCompare(44, "listed", [&] { return DeleteArchivePeriod(config_, arcEnv_); });
  // The volumes on the medium brought back into the state after the move.
  StartFrom("listed");
  ASSERT_TRUE(DeleteArchivePeriod(config_, arcEnv_));
  fs::copy(media_, tmp_ / "volumes");
  Keep("moved");
  volumeFolder_ = tmp_.Dir() + "volumes/";
  KillAndCompare(45, "moved", [&] {
    ui_.Answers = {kIdYes};
    return RestoreDeletedPeriod(config_, arcEnv_);
  });
  // A newer period took the number of a moved one: the restore renumbers
  // the moved archive, and no kill leaves the newer one replaced.
  StartFrom("moved");
  std::vector<TArchiveListRecord> list = LoadArchiveList(dir_ + "archive.alf");
  list.push_back(test::ListRecord(5, 6, 1, true));
  ASSERT_TRUE(WriteArchiveList(dir_ + "archive.alf", list));
  WriteBytes(dir_ + "ARCHIVE/00000001.BH", "newer");
  Keep("newer");
  KillAndCompare(46, "newer", [&] {
    ui_.Answers = {kIdYes};
    return RestoreDeletedPeriod(config_, arcEnv_) && test::ReadBytes(dir_ + "ARCHIVE/00000001.BH") == "newer" &&
           fs::exists(dir_ + "ARCHIVE/00000007.BH");
  });
}

}  // namespace
}  // namespace vm
