// Deleting a configuration's old archives outright or moving them to media
// as "Delarch" volumes, and bringing such a set back: the rows of the list,
// other configurations' records, the pack that the Python reader opens
// and writes, the tag and sequence checks, a refused copy, and hostile pack
// contents that must write nothing outside and replace nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

#include "archive/deleted_period.h"
#include "backup_rig.h"
#include "config/data_dir.h"
#include "foundation/files/packfiles.h"
#include "foundation/tables/pending_renames.h"
#include "platform/drives.h"
#include "support/fake_disks.h"
#include "support/faulty_files.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

const std::string kStoreTool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/arc_store_tool.py";
const std::string kPackTool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/pack_tool.py";

class DeletedPeriod : public test::BackupRig {
 protected:
  void SetUp() override {
    BackupRig::SetUp();
    // Configuration 5 has four archives (sequence 0..3), 6 has two, mixed.
    const int ids[] = {5, 6, 5, 5, 6, 5};
    int seq[7] = {};
    for (int n = 1; n <= 6; ++n) {
      const int id = ids[n - 1];
      list_.push_back(test::ListRecord(id, seq[id]++, n, n % 2 == 0));
      WriteBytes(dir_ + "ARCHIVE/" + list_.back().KeptFile(), test::RandomBytes(900 + 50 * n, 20 + n));
    }
    ASSERT_TRUE(WriteArchiveList(dir_ + "archive.alf", list_));
    config_.ID = 5;
    config_.Name = "Накладные"_w;
    config_.ArchiveNo = 4;
    env_.Dir = dir_;
    env_.Disk = "C";
    env_.FreeBytes = [this](const std::string& dir) { return dir == media_ ? mediaFree_ : dataFree_; };
    env_.Packer = &packer_;
    dialogs_.ChoosePeriod = [this](const TArcIDList& list, const std::string& name, int32_t& index, bool& move) {
      shownList_ = list;
      shownName_ = name;
      index = row_;
      move = move_;
      return row_ >= 0;
    };
  }
  std::vector<int32_t> ListedNumbers() {
    std::vector<int32_t> numbers;
    for (const TArchiveListRecord& r : LoadArchiveList(dir_ + "archive.alf"))
      numbers.push_back(std::stoi(r.CafName.substr(0, 8)));
    return numbers;
  }
  bool Delete(int32_t row, bool move, std::deque<int32_t> answers = {}) {
    row_ = row;
    move_ = move;
    ui_.Answers = std::move(answers);
    return DeleteArchivePeriod(config_, env_);
  }
  bool RestoreDeleted(std::deque<int32_t> answers = {kIdYes}) {
    ui_.Answers = std::move(answers);
    return RestoreDeletedPeriod(config_, env_);
  }
  // A set written by the Python tools: our archive files and a list, packed
  // and cut into volumes in a folder of its own.
  std::string PythonSet(int32_t tag, const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::string stage = tmp_.Dir() + "py" + std::to_string(++sets_) + "/";
    fs::create_directories(stage + "vol");
    std::string args;
    for (const auto& [name, path] : entries) args += " " + test::Quote(name + "=" + path);
    EXPECT_TRUE(test::RunTool("python3 " + kPackTool + " pack-make " + test::Quote(stage + "Delarch.DAF") + " " +
                              std::to_string(tag) + args));
    EXPECT_TRUE(test::RunTool("python3 " + kStoreTool + " vol-split " + test::Quote(stage + "Delarch.DAF") + " " +
                              test::Quote(stage + "vol") + " 131072 " + test::Quote("py")));
    return stage + "vol/";
  }

  TArchiveConfig config_;
  TArchiveEnv env_;
  std::vector<TArchiveListRecord> list_;
  TArcIDList shownList_;
  std::string shownName_;
  int32_t row_ = -1;
  bool move_ = false;
  int sets_ = 0;
};

TEST_F(DeletedPeriod, TheFirstRowDeletesTheOldestAndTheLastAllKeepingOtherConfigurations) {
  const std::string other = ReadBytes(dir_ + "ARCHIVE/" + list_[1].KeptFile());
  EXPECT_TRUE(Delete(0, false));
  EXPECT_EQ(shownName_, "Накладные"_w);
  ASSERT_EQ(shownList_.size(), 4u);
  EXPECT_EQ(shownList_[3].Position, 6);
  EXPECT_EQ(ListedNumbers(), (std::vector<int32_t>{2, 3, 4, 5, 6}));
  EXPECT_FALSE(fs::exists(dir_ + "ARCHIVE/" + list_[0].KeptFile()));
  EXPECT_EQ(ui_.Boxes.back().Text, "Удаление периода из архива по конфигурации 'Накладные'\r успешно завершено!"_w);

  EXPECT_TRUE(Delete(2, false));
  EXPECT_EQ(ListedNumbers(), (std::vector<int32_t>{2, 5}));
  EXPECT_EQ(test::DirNames(dir_ + "ARCHIVE"), (std::vector<std::string>{list_[1].KeptFile(), list_[4].KeptFile()}));
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/" + list_[1].KeptFile()), other);

  // Nothing left of the configuration: said so, nothing asked.
  shownList_.clear();
  EXPECT_FALSE(Delete(0, false));
  EXPECT_TRUE(shownList_.empty());
  EXPECT_EQ(ui_.Boxes.back().Text, "Архивы по конфигурации 'Накладные' не найдены !"_w);
}

TEST_F(DeletedPeriod, MovedToMediaAndBackWithTheSequenceChecked) {
  const auto before = test::Snapshot(dir_);
  toMedia_ = true;
  EXPECT_TRUE(Delete(1, true));
  EXPECT_EQ(ListedNumbers(), (std::vector<int32_t>{2, 4, 5, 6}));
  EXPECT_EQ(test::DirNames(media_), std::vector<std::string>{"Delarch.000"});
  // The Python reader joins the volume and opens the pack.
  fs::create_directories(tmp_.Dir() + "dump");
  ASSERT_TRUE(test::RunTool("python3 " + kStoreTool + " vol-join " + test::Quote(media_ + "Delarch.000") + " " +
                            test::Quote(tmp_.Dir() + "Delarch.DAF")));
  const std::string dump = tmp_.Dir() + "dump.json";
  ASSERT_EQ(std::system(("python3 " + kPackTool + " pack-dump " + test::Quote(tmp_.Dir() + "Delarch.DAF") + " " +
                         test::Quote(tmp_.Dir() + "dump") + " > " + dump)
                            .c_str()),
            0);
  EXPECT_NE(ReadBytes(dump).find("\"tag\": 5, \"count\": 3"), std::string::npos) << ReadBytes(dump);
  EXPECT_EQ(ReadBytes(tmp_.Dir() + "dump/0"), before.at("ARCHIVE/" + list_[0].KeptFile()));

  volumeFolder_ = media_;
  EXPECT_TRUE(RestoreDeleted());
  EXPECT_EQ(asked_.back().Name, "Delarch.000");
  EXPECT_EQ(ui_.Boxes.back().Text, "Восстановление периода в архиве по конфигурации 'Накладные'\r успешно завершено!"_w);
  EXPECT_EQ(ListedNumbers(), (std::vector<int32_t>{1, 3, 2, 4, 5, 6}));
  auto now = test::Snapshot(dir_);
  now.erase("archive.alf");
  auto was = before;
  was.erase("archive.alf");
  EXPECT_EQ(now, was);

  // The same set again: it was restored already; No keeps everything.
  const auto restored = test::Snapshot(dir_);
  EXPECT_FALSE(RestoreDeleted({kIdYes, kIdNo}));
  EXPECT_NE(ui_.Boxes.end()[-2].Text.find("уже был восстановлен"_w), std::string::npos);
  EXPECT_EQ(test::Snapshot(dir_), restored);
}

TEST_F(DeletedPeriod, ARefusedCopyKeepsTheArchives) {
  const auto before = test::Snapshot(dir_);
  toMedia_ = false;
  EXPECT_FALSE(Delete(3, true, {kIdNo, kIdYes}));
  EXPECT_EQ(prompts_.size(), 2u);
  EXPECT_EQ(ui_.Boxes.end()[-2].Text, "Вы действительно отказываетесь копировать данные на дискеты?"_w);
  EXPECT_EQ(test::Snapshot(dir_), before);
  EXPECT_EQ(test::DirNames(dir_ + "WORK"), std::vector<std::string>{});
}

TEST_F(DeletedPeriod, ASetOfAnotherConfigurationIsRefusedByItsTagBeforeUnpacking) {
  toMedia_ = true;
  ASSERT_TRUE(Delete(0, true));
  const auto before = test::Snapshot(dir_);
  config_.ID = 6;
  config_.Name = "Другая"_w;
  volumeFolder_ = media_;
  EXPECT_FALSE(RestoreDeleted());
  EXPECT_EQ(ui_.Boxes.end()[-2].Text, "Данные по конфигурации 'Другая' не найдены !"_w);
  EXPECT_EQ(std::count(ui_.ProgressTexts.begin(), ui_.ProgressTexts.end(), "Идет разделение файлов..."_w), 0);
  EXPECT_EQ(test::Snapshot(dir_), before);
}

TEST_F(DeletedPeriod, APythonWrittenSetIsRestored) {
  ASSERT_TRUE(Delete(1, false));
  const std::string stage = tmp_.Dir() + "files/";
  fs::create_directories(stage);
  ASSERT_TRUE(WriteArchiveList(stage + "archive.alf", {list_[0], list_[2]}));
  WriteBytes(stage + "a", "first");
  WriteBytes(stage + "b", "third");
  volumeFolder_ = PythonSet(5, {{list_[0].KeptFile(), stage + "a"}, {list_[2].KeptFile(), stage + "b"},
                                {"archive.alf", stage + "archive.alf"}});
  EXPECT_TRUE(RestoreDeleted());
  EXPECT_EQ(ListedNumbers(), (std::vector<int32_t>{1, 3, 2, 4, 5, 6}));
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/" + list_[2].KeptFile()), "third");
}

TEST_F(DeletedPeriod, HostilePacksWriteNothingOutsideAndReplaceNothing) {
  ASSERT_TRUE(Delete(1, false));
  const std::string stage = tmp_.Dir() + "files/";
  fs::create_directories(stage);
  WriteBytes(stage + "x", "evil");
  auto listWith = [&](const std::string& file, std::vector<TArchiveListRecord> records) {
    EXPECT_TRUE(WriteArchiveList(stage + file, records));
    return stage + file;
  };
  TArchiveListRecord escape = list_[0];
  escape.BhName = "../../evil.BH";
  escape.Packed = 1;
  TArchiveListRecord absolute = list_[2];
  absolute.CafName = "/tmp/evil.CAF";
  absolute.Packed = 0;
  TArchiveListRecord foreign = list_[0];
  foreign.ConfigID = 6;
  const std::string good = listWith("good.alf", {list_[0]});
  const std::string k0 = list_[0].KeptFile();
  const std::vector<std::vector<std::pair<std::string, std::string>>> packs = {
      {{"../" + k0, stage + "x"}, {"archive.alf", good}},
      {{"evil.txt", stage + "x"}, {"archive.alf", good}},
      {{"sub/" + k0, stage + "x"}, {"archive.alf", good}},
      {{"..", stage + "x"}, {"archive.alf", good}},
      {{k0, stage + "x"}},
      {{k0, stage + "x"}, {"archive.alf", listWith("e.alf", {escape})}},
      {{k0, stage + "x"}, {"archive.alf", listWith("a.alf", {absolute})}},
      {{k0, stage + "x"}, {"archive.alf", listWith("f.alf", {foreign})}},
      {{"archive.alf", good}},
      {{k0, stage + "x"}, {k0, stage + "x"}, {"archive.alf", good}},
  };
  const auto before = test::Snapshot(tmp_.Dir());
  for (std::size_t i = 0; i < packs.size(); ++i) {
    SCOPED_TRACE(i);
    volumeFolder_ = PythonSet(5, packs[i]);
    EXPECT_FALSE(RestoreDeleted());
    EXPECT_FALSE(fs::exists(tmp_.Dir() + "evil.BH"));
    EXPECT_FALSE(fs::exists(dir_ + "evil.txt"));
  }
  auto after = test::Snapshot(tmp_.Dir());
  std::erase_if(after, [](const auto& e) { return e.first.rfind("py", 0) == 0; });
  EXPECT_EQ(after, before);
}

// The next archive number is not kept: after a deletion to media a new
// period takes a moved archive's number again. Restoring the moved period
// then gives the clashing archive the next free number and its record the
// new name; the newer archive stays as it was.
TEST_F(DeletedPeriod, ARestoredArchiveThatClashesWithALiveOneTakesTheNextFreeNumber) {
  toMedia_ = true;
  ASSERT_TRUE(Delete(2, true));  // 00000001.CAF, 00000003.CAF, 00000004.BH
  // Two newer periods, numbered as a fresh start numbers them.
  std::vector<TArchiveListRecord> list = LoadArchiveList(dir_ + "archive.alf");
  list.push_back(test::ListRecord(5, 4, 1, true));
  list.push_back(test::ListRecord(5, 5, 4, false));
  ASSERT_TRUE(WriteArchiveList(dir_ + "archive.alf", list));
  WriteBytes(dir_ + "ARCHIVE/00000001.BH", "newer one");
  WriteBytes(dir_ + "ARCHIVE/00000004.CAF", "newer four");
  const auto moved = test::Snapshot(media_);

  volumeFolder_ = media_;
  EXPECT_TRUE(RestoreDeleted());
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/00000001.BH"), "newer one");
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/00000004.CAF"), "newer four");
  const std::vector<TArchiveListRecord> now = LoadArchiveList(dir_ + "archive.alf");
  ASSERT_EQ(now.size(), 8u);
  // 00000001.CAF became 00000007.CAF; the packed 00000004.BH became
  // 00000008.BH and still names the combined file packed inside it.
  EXPECT_EQ(std::tuple(now[0].CafName, now[0].BhName, now[0].Sequence),
            std::tuple(std::string("00000007.CAF"), std::string("00000007.BH"), 0));
  EXPECT_EQ(now[1].KeptFile(), list_[2].KeptFile());
  EXPECT_EQ(std::tuple(now[2].CafName, now[2].BhName, now[2].Sequence),
            std::tuple(std::string("00000004.CAF"), std::string("00000008.BH"), 2));
  std::set<std::string> kept;
  for (const TArchiveListRecord& r : now) {
    EXPECT_TRUE(fs::exists(dir_ + "ARCHIVE/" + r.KeptFile())) << r.KeptFile();
    EXPECT_TRUE(kept.insert(r.KeptFile()).second) << r.KeptFile();
  }
  EXPECT_EQ(test::DirNames(dir_ + "ARCHIVE").size(), 8u);
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/00000007.CAF").size(), 950u);
}

// A hostile pack that names live archives takes nothing from them; where
// no number is left, nothing moves at all.
TEST_F(DeletedPeriod, APackNamingLiveArchivesReplacesNoneAndNoFreeNumberRefusesBeforeAnythingMoves) {
  ASSERT_TRUE(Delete(1, false));
  const std::string stage = tmp_.Dir() + "files/";
  fs::create_directories(stage);
  TArchiveListRecord first = test::ListRecord(5, 0, 2, true), second = test::ListRecord(5, 1, 5, false);
  ASSERT_TRUE(WriteArchiveList(stage + "archive.alf", {first, second}));
  WriteBytes(stage + "a", "planted two");
  WriteBytes(stage + "b", "planted five");
  const auto live = test::Snapshot(dir_ + "ARCHIVE");
  const std::string set = PythonSet(5, {{first.KeptFile(), stage + "a"}, {second.KeptFile(), stage + "b"},
                                        {"archive.alf", stage + "archive.alf"}});
  // With the highest number taken there is none to give.
  WriteBytes(dir_ + "ARCHIVE/99999999.CAF", "last");
  const auto before = test::Snapshot(tmp_.Dir());
  volumeFolder_ = set;
  EXPECT_FALSE(RestoreDeleted());
  auto after = test::Snapshot(tmp_.Dir());
  EXPECT_EQ(after, before);

  fs::remove(dir_ + "ARCHIVE/99999999.CAF");
  EXPECT_TRUE(RestoreDeleted());
  for (const auto& [name, bytes] : live) EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/" + name), bytes) << name;
  std::vector<std::string> kept;
  for (const TArchiveListRecord& r : LoadArchiveList(dir_ + "archive.alf")) kept.push_back(r.KeptFile());
  EXPECT_EQ(kept, (std::vector<std::string>{"00000007.BH", "00000008.CAF", "00000002.BH", "00000004.BH",
                                            "00000005.CAF", "00000006.BH"}));
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/00000007.BH"), "planted two");
  EXPECT_EQ(ReadBytes(dir_ + "ARCHIVE/00000008.CAF"), "planted five");
}

// A deletion onto a medium cut before each of its changes to the disk in
// turn, then what the next start does: the period is still archived and no
// volume of it stands on the medium, or it is deleted and its whole set
// stands there, never both, never neither, and no temporary is left. Once,
// the medium is away at that start, and then another one holding a set of
// its own stands in its place: the volumes of a deleted period wait under
// their temporary names until their own medium is back.
TEST_F(DeletedPeriod, CutAtEveryChangeADeletionOntoAMediumLeavesTheArchivesOrTheirWholeSet) {
  toMedia_ = true;
  // Two volumes.
  WriteBytes(dir_ + "ARCHIVE/" + list_[0].KeptFile(), test::RandomBytes(150000, 7));
  const std::string pristine = tmp_.Dir() + "pristine/";
  fs::copy(dir_, pristine, fs::copy_options::recursive);
  const auto fresh = [&] {
    fs::remove_all(dir_);
    fs::copy(pristine, dir_, fs::copy_options::recursive);
    fs::remove_all(media_);
    fs::create_directories(media_);
  };
  const auto before = test::Snapshot(dir_);
  ASSERT_TRUE(Delete(1, true));
  const auto after = test::Snapshot(dir_);
  const std::vector<std::string> set = {"Delarch.000", "Delarch.001"};
  ASSERT_EQ(test::DirNames(media_), set);
  const std::string away = tmp_.Dir() + "away";
  int archived = 0, moved = 0, waited = 0;
  for (int n = 0;; ++n) {
    SCOPED_TRACE("cut at " + std::to_string(n));
    fresh();
    const int code = test::CutAtChange(n, [&] { Delete(1, true); });
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(dir_, messages), TRecoveryResult::Failed);
    RemoveLeftoverTemporaries(dir_);
    TPendingRenames record;
    if (waited == 0 && ReadPendingRenames(dir_ + kPendingMediaSetName, record) && record.Finish) {
      fs::rename(media_, away);
      EXPECT_FALSE(SettlePendingRenames(dir_ + kPendingMediaSetName, messages));
      fs::create_directories(media_);
      for (const std::string& name : set) WriteBytes(media_ + name, test::RandomBytes(1000, 3));
      EXPECT_FALSE(SettlePendingRenames(dir_ + kPendingMediaSetName, messages));
      fs::remove_all(media_);
      fs::rename(away, media_);
      EXPECT_TRUE(std::ranges::all_of(test::DirNames(media_), IsTemporaryFileName));
      ++waited;
    }
    EXPECT_TRUE(SettlePendingRenames(dir_ + kPendingMediaSetName, messages));
    const auto now = test::Snapshot(dir_);
    const std::vector<std::string> onMedia = test::DirNames(media_);
    if (now == before) {
      ++archived;
      EXPECT_EQ(onMedia, std::vector<std::string>{});
    } else {
      ++moved;
      EXPECT_TRUE(now == after);
      EXPECT_EQ(onMedia, set);
      EXPECT_TRUE(JoinVolumes(media_, "Delarch.000", tmp_.Dir() + "joined/", "Delarch.DAF"));
    }
    if (code == 0) break;
    ASSERT_EQ(code, test::DieAtChange::kDied);
  }
  EXPECT_GT(archived, 10);
  EXPECT_GT(moved, 1);
  EXPECT_EQ(waited, 1);
}

// A medium that fills up names the volumes it holds before the next one is
// asked for; "Delarch.000", by which a set is found, comes last, so no set
// stands on a medium before the deletion commits, and a copy cancelled at
// the next medium leaves none there, and no temporary.
TEST_F(DeletedPeriod, AFullMediumNamesItsVolumesBeforeTheNextAndTheFirstVolumeComesLast) {
  toMedia_ = true;
  WriteBytes(dir_ + "ARCHIVE/" + list_[0].KeptFile(), test::RandomBytes(150000, 7));
  const auto before = test::Snapshot(dir_);
  int asks = 0;
  env_.FreeBytes = [&](const std::string& dir) -> int64_t {
    if (dir != media_) return int64_t{1} << 40;
    return ++asks == 2 ? 1000 : int64_t{1} << 30;
  };
  const auto full = [&] {
    return std::count_if(ui_.Boxes.begin(), ui_.Boxes.end(),
                         [](const test::BoxShown& b) { return b.Text.starts_with("Вставте следующий диск\r"_w); });
  };
  EXPECT_FALSE(Delete(1, true, {kIdCancel}));
  EXPECT_EQ(full(), 1);
  EXPECT_EQ(test::DirNames(media_), std::vector<std::string>{"Delarch.001"});
  EXPECT_EQ(test::Snapshot(dir_), before);
  asks = 0;
  fs::remove_all(media_);
  fs::create_directories(media_);
  EXPECT_TRUE(Delete(1, true, {kIdOk}));
  EXPECT_EQ(full(), 2);
  EXPECT_EQ(test::DirNames(media_), (std::vector<std::string>{"Delarch.000", "Delarch.001"}));
  EXPECT_TRUE(JoinVolumes(media_, "Delarch.000", tmp_.Dir() + "joined/", "Delarch.DAF"));
  EXPECT_FALSE(fs::exists(dir_ + kPendingMediaSetName));
}

// Links planted at "WORK" or "ARCHIVE": deleting and restoring a period
// refuse, and the folder a link points at keeps every file.
TEST_F(DeletedPeriod, LinksAtTheWorkOrArchiveFolderAreRefusedAndWhatTheyPointAtIsKept) {
  toMedia_ = true;
  ASSERT_TRUE(Delete(0, true));
  ExpectLinksRefused({"WORK", "ARCHIVE"}, list_[2].KeptFile(), [&] { return Delete(0, false); },
                     [&] {
                       volumeFolder_ = media_;
                       return RestoreDeleted();
                     });
}

// While a record of volumes still to be named stands, no move onto a
// medium begins, nor asks for a drive: a second record would lose the
// first one's volumes. The refusal names the disk the record waits for,
// or the record's path when what stands there is none. A drive given
// without its full path, which no record could find again, is refused
// before anything is written. Deleting without a move goes on meanwhile.
TEST_F(DeletedPeriod, NoMoveOntoAMediumBeginsWhileARecordOfVolumesStands) {
  toMedia_ = true;
  const std::string record = dir_ + kPendingMediaSetName, away = tmp_.Dir() + "away";
  const std::string refused =
      "Удаление периода из архива по конфигурации 'Накладные'\r не было завершено из-за возникших ошибок!\r"_w;
  const auto before = test::Snapshot(dir_);
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { WriteBytes(record, "FINISH\r\n" + away + "/\r\nDelarch.000\tDelarch.000.~0123456789abcdef~\r\n"); },
       "Тома удаленного периода не дописаны на диск "_w + away + ": вставьте этот диск и перезапустите программу"_w},
      {[&] { fs::create_directory(record); }, "Запись томов удаленного периода не является файлом: "_w + record},
      {[&] {
         WriteBytes(away, "FINISH\r\n" + away + "/\r\nDelarch.000\tDelarch.000.~0123456789abcdef~\r\n");
         fs::create_symlink(away, record);
       },
       "Запись томов удаленного периода не является файлом: "_w + record},
      {[&] { WriteBytes(record, "FINISH\r\n"); }, "Запись томов удаленного периода не читается: "_w + record},
  };
  for (const auto& [plant, why] : cases) {
    SCOPED_TRACE(why);
    plant();
    const auto planted = test::Snapshot(dir_);
    EXPECT_FALSE(Delete(1, true));
    EXPECT_EQ(ui_.Boxes.back().Text, refused + why);
    EXPECT_EQ(test::Snapshot(dir_), planted);
    EXPECT_TRUE(fs::exists(record));
    fs::remove(record);
  }
  EXPECT_EQ(prompts_, std::vector<std::string>{});
  dialogs_.SelectDrive = [](const std::string&, std::string& drive) {
    drive = "media";
    return true;
  };
  EXPECT_FALSE(Delete(1, true, {kIdOk, kIdCancel}));
  EXPECT_EQ(ui_.Boxes.back().Text, refused + "Диск указан не полным путем: media"_w);
  EXPECT_EQ(test::Snapshot(dir_), before);
  // Deleting without a move leaves the record to its disk.
  cases[0].first();
  EXPECT_TRUE(Delete(1, false));
  EXPECT_TRUE(fs::exists(record));
}

TEST(RemovableMedia, MountPointsOfSticksAndCardsInTableOrder) {
  test::FakeDisks disks;
  for (const char* disk : {"sda", "sdb", "sdc", "sdd", "sde"}) {
    disks.Disk(disk, std::string(disk) != "sda" && std::string(disk) != "sde");
    disks.Partition(disk, disk + std::string("1"));
  }
  disks.Mount("/dev/sda1", "/", "ext4");
  disks.Mount("/dev/sdb1", "/media/user/STICK", "vfat");
  disks.Mount("/dev/sdc1", "/run/media/user/CARD ONE", "exfat");
  disks.Mount("/dev/sdd1", "/mnt/usb", "vfat");
  disks.Mount("/dev/sde1", "/mnt/disk", "ext4");
  disks.Mount("tmpfs", "/tmp", "tmpfs");
  disks.Mount("/dev/sdb1", "/media/user/STICK", "vfat");
  EXPECT_EQ(RemovableMountsOf(disks.Sources()),
            (std::vector<std::string>{"/media/user/STICK", "/run/media/user/CARD ONE", "/mnt/usb"}));
}

}  // namespace
}  // namespace vm
