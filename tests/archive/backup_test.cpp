// The backup copy of all data and its restore: byte for byte through
// 131,072-byte volumes that the Python reader joins, the previous copy kept
// when a new one is refused, media too small for a volume, damaged or
// incomplete volume sets, and hostile file lists and volume headers that
// must write nothing outside the data folder and replace nothing.
#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/backup_menu.h"
#include "backup_rig.h"
#include "config/data_dir.h"
#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/program_home.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

const std::string kTool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/arc_store_tool.py";

class BackupCopy : public test::BackupRig {
 protected:
  std::string Reserv() const { return dir_ + "RESERV/"; }
  // A backup set made by hand: the files and "files.res" packed by our
  // compressor, cut into volumes by the Python writer.
  std::string HandMadeSet(const std::vector<std::pair<std::string, std::string>>& files,
                          const std::vector<TBackupFileRecord>& records) {
    const std::string stage = tmp_.Dir() + "stage" + std::to_string(++sets_) + "/";
    fs::create_directories(stage + "vol");
    std::vector<std::string> members;
    for (const auto& [name, bytes] : files) {
      WriteBytes(stage + name, bytes);
      members.push_back(stage + name);
    }
    WriteBytes(stage + "files.res", EncodeBackupFileList(records));
    members.push_back(stage + "files.res");
    packer_.Compressor.DefaultDir = stage;
    packer_.Compressor.SetArchiveFile(stage + "Reserv.BH");
    packer_.Compressor.FileSpec = members;
    EXPECT_EQ(packer_.Compressor.Compress(), static_cast<int32_t>(members.size()));
    EXPECT_TRUE(test::RunTool("python3 " + kTool + " vol-split " + test::Quote(stage + "Reserv.BH") + " " +
                              test::Quote(stage + "vol") + " 131072 " + test::Quote("hand")));
    return stage + "vol/";
  }
  int sets_ = 0;
};

TEST_F(BackupCopy, RestoresEveryFileByteForByteThroughVolumesAndEndsTheProcess) {
  AddArchives(3);
  // A name with characters of code page 866 beyond the letters comes back
  // under its own name.
  const std::string named = dir_ + "Ёж №5 Її°·.DBF"_w;
  WriteBytes(Cp1251ToUtf8(named), "named");
  env_.BaseFiles.push_back(named);
  const auto before = test::Snapshot(dir_);
  // A stray file in "ARCHIVE" is no archive: the copy leaves it out.
  WriteBytes(dir_ + "ARCHIVE/notes.txt", "not an archive");
  ASSERT_TRUE(Backup());
  fs::remove(dir_ + "ARCHIVE/notes.txt");
  EXPECT_EQ(prompts_, std::vector<std::string>{"Копировать данные на дискету?"_w});
  const std::vector<std::string> volumes = test::DirNames(Reserv());
  ASSERT_GE(volumes.size(), 2u);
  for (std::size_t i = 0; i < volumes.size(); ++i) {
    EXPECT_EQ(volumes[i], VolumeFileName("Reserv.BH", static_cast<int32_t>(i)));
    EXPECT_LE(fs::file_size(Reserv() + volumes[i]), 131072u);
  }
  // The Python reader joins our volumes, and lhasa lists the archive.
  ASSERT_TRUE(test::RunTool("python3 " + kTool + " vol-join " + test::Quote(Reserv() + "Reserv.000") + " " +
                            test::Quote(tmp_.Dir() + "joined.BH")));
  EXPECT_TRUE(test::RunTool("lha -l " + test::Quote(tmp_.Dir() + "joined.BH")));
  EXPECT_EQ(test::DirNames(dir_ + "WORK"), std::vector<std::string>{});

  WriteBytes(dir_ + "GOODS.DBF", "changed");
  WriteBytes(dir_ + "program.ini", "changed");
  fs::remove(dir_ + "ARCHIVE/00000001.BH");
  WriteBytes(dir_ + "ARCHIVE/00000009.CAF", "later archive");
  // "ARCHIVE" comes back as it was: what the copy lacks goes.
  WriteBytes(dir_ + "ARCHIVE/notes.txt", "not an archive");
  volumeFolder_ = Reserv();
  EXPECT_TRUE(Restore());
  EXPECT_EQ(exitCode_, 1);
  EXPECT_EQ(test::Snapshot(dir_), before);
  const auto boxes = Captions();
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes[boxes.size() - 2], "Восстановление данных успешно завершено"_w);
  EXPECT_EQ(boxes.back(), "Перезапустите программу"_w);
  EXPECT_EQ(asked_.back().Name, "Reserv.000");
}

TEST_F(BackupCopy, WithoutTheListNoArchiveFileGoesAndTheRestoreEmptiesArchive) {
  WriteBytes(dir_ + "ARCHIVE/00000004.BH", "unlisted");
  ASSERT_TRUE(Backup());
  WriteBytes(dir_ + "ARCHIVE/00000005.BH", "later");
  ASSERT_TRUE(WriteArchiveList(dir_ + "archive.alf", {test::ListRecord(5, 0, 5, true)}));
  volumeFolder_ = Reserv();
  EXPECT_TRUE(Restore());
  EXPECT_EQ(test::DirNames(dir_ + "ARCHIVE"), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(dir_ + "archive.alf"));
}

// The new volumes go on the disk once, as a set, before they take the old
// ones' place; no volume and no work file is synced on its own.
TEST_F(BackupCopy, TheNewVolumesAreSyncedOnceAsASetBeforeTheSwap) {
  AddArchives(2);
  ASSERT_TRUE(Backup());
  test::FaultyFileSystem fs;
  std::vector<std::string> syncedAtSwap;
  fs.BeforeRename = [&] { syncedAtSwap = fs.SyncedFileSystems; };
  ASSERT_TRUE(Backup());
  EXPECT_EQ(fs.SyncedFileSystems, std::vector<std::string>{dir_ + "RESERV.TMP/"});
  EXPECT_EQ(syncedAtSwap, fs.SyncedFileSystems) << "synced before the last rename, the swap";
  for (const std::string& path : fs.SyncedFiles)
    for (const char* folder : {"WORK/", "RESERV"}) EXPECT_FALSE(path.starts_with(dir_ + folder)) << path;
  for (const std::string& folder : fs.SyncedFolders) EXPECT_FALSE(folder.starts_with(dir_ + "WORK")) << folder;
  EXPECT_FALSE(test::DirNames(Reserv()).empty());
  EXPECT_EQ(test::DirNames(dir_ + "WORK"), std::vector<std::string>{});
}

TEST_F(BackupCopy, ARefusedBackupLeavesThePreviousOneWhole) {
  ASSERT_TRUE(Backup());
  const auto previous = test::Snapshot(tmp_.Dir() + "prog/RESERV");
  // A name "files.res" cannot hold, one the archive would keep under
  // another name, and a disk without room, are refused before anything is
  // packed.
  for (const std::string& name : {"ОЧЕНЬДЛИННОЕИМЯ.DBF"_w, "«Колосок».DBF"_w}) {
    WriteBytes(Cp1251ToUtf8(dir_ + name), "x");
    env_.BaseFiles.push_back(dir_ + name);
    EXPECT_FALSE(Backup());
    EXPECT_NE(Captions().end()[-2].find("Имя файла "_w + name + " "), std::string::npos) << Captions().end()[-2];
    env_.BaseFiles.pop_back();
  }
  // A link, or anything but a plain file, at a name the program writes
  // itself is none of its own: named, and nothing read through it.
  AddArchives(1);
  const std::string secret = tmp_.Dir() + "secret";
  WriteBytes(secret, "another user's");
  const std::pair<std::string, std::function<void(const std::string&)>> plants[] = {
      {"ARCHIVE/00000009.BH", [&](const std::string& at) { fs::create_symlink(secret, at); }},
      {"ARCHIVE/00000010.CAF", [&](const std::string& at) { fs::create_directory(at); }},
      {"archive.alf", [&](const std::string& at) { fs::create_symlink(secret, at); }},
      {"local.ini", [&](const std::string& at) { fs::create_symlink(tmp_.Dir() + "nowhere", at); }},
  };
  for (const auto& [name, plant] : plants) {
    SCOPED_TRACE(name);
    const std::string at = dir_ + name, aside = tmp_.Dir() + "aside";
    if (fs::exists(at)) fs::rename(at, aside);
    plant(at);
    EXPECT_FALSE(Backup());
    EXPECT_EQ(Captions().end()[-2], "Файл "_w + at + " не является обычным файлом: резервная копия невозможна"_w);
    EXPECT_EQ(test::Snapshot(tmp_.Dir() + "prog/RESERV"), previous);
    fs::remove(at);
    if (fs::exists(aside)) fs::rename(aside, at);
  }
  // One put there while the files are packed is not read through either.
  {
    test::FaultyFileSystem faulty;
    faulty.BeforeRename = [&] {
      if (fs::is_symlink(dir_ + "ARCHIVE/00000001.BH")) return;
      fs::remove(dir_ + "ARCHIVE/00000001.BH");
      fs::create_symlink(secret, dir_ + "ARCHIVE/00000001.BH");
    };
    EXPECT_FALSE(Backup());
  }
  EXPECT_EQ(test::Snapshot(tmp_.Dir() + "prog/RESERV"), previous);
  fs::remove(dir_ + "ARCHIVE/00000001.BH");
  WriteBytes(dir_ + "ARCHIVE/00000001.BH", "archive");
  dataFree_ = 1000;
  EXPECT_FALSE(Backup());
  EXPECT_EQ(Captions().end()[-2], "Недостаточно места на диске C: !"_w);
  EXPECT_EQ(Captions().back(), "Создание резервной копии данных не было завершено из-за возникших ошибок"_w);
  EXPECT_EQ(test::Snapshot(tmp_.Dir() + "prog/RESERV"), previous);
  // A swap that died with the new volumes half-written is settled back to
  // the old copy; one that died with them whole, to the new one.
  fs::rename(Reserv(), dir_ + "RESERV.OLD");
  fs::create_directories(dir_ + "RESERV.TMP");
  ui_.Answers = {kIdNo};
  EXPECT_FALSE(MakeBackup(env_));
  EXPECT_EQ(test::Snapshot(tmp_.Dir() + "prog/RESERV"), previous);
  for (const char* gone : {"RESERV.TMP", "RESERV.OLD"}) EXPECT_FALSE(fs::exists(dir_ + gone)) << gone;
  fs::rename(Reserv(), dir_ + "RESERV.NEW");
  fs::create_directories(dir_ + "RESERV.OLD");
  WriteBytes(dir_ + "RESERV.OLD/Reserv.000", "older");
  ui_.Answers = {kIdNo};
  EXPECT_FALSE(MakeBackup(env_));
  EXPECT_EQ(test::Snapshot(tmp_.Dir() + "prog/RESERV"), previous);
  for (const char* gone : {"RESERV.TMP", "RESERV.NEW", "RESERV.OLD"}) EXPECT_FALSE(fs::exists(dir_ + gone)) << gone;
}

// A fault raised outside a command's own frame ends the command all the
// same, but its text is shown and logged, and the lock is given back.
TEST_F(BackupCopy, AFaultOutsideTheCommandsFrameIsShownAndLogged) {
  test::ProgramHome home;
  env_.CloseTables = [] { throw std::runtime_error("Таблица занята"_w); };
  EXPECT_FALSE(RunBackupMenuCommand(true, env_, {}));
  EXPECT_FALSE(BasesLocked());
  ASSERT_EQ(ui_.Boxes.size(), 1u);
  EXPECT_EQ(ui_.Boxes[0].Caption, "Восстановление данных из резервной копии"_w);
  EXPECT_EQ(ui_.Boxes[0].Text, "Команда не была выполнена из-за возникшей ошибки\rТаблица занята"_w);
  EXPECT_EQ(ui_.Log, std::vector<std::string>{"Восстановление данных из резервной копии: Таблица занята"_w});
  EXPECT_EQ(exitCode_, -1);
}

TEST_F(BackupCopy, AMediumTooSmallForAVolumeAsksForTheNextAndCopiesThatVolumeAgain) {
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(300000, 3));
  toMedia_ = true;
  int asks = 0;
  env_.FreeBytes = [&](const std::string& dir) -> int64_t {
    if (dir != media_) return int64_t{1} << 40;
    return ++asks == 2 ? 1000 : int64_t{1} << 30;
  };
  ui_.Answers = {kIdYes, kIdOk};
  ASSERT_TRUE(MakeBackup(env_));
  EXPECT_EQ(std::count_if(ui_.Boxes.begin(), ui_.Boxes.end(),
                          [](const test::BoxShown& b) { return b.Text.starts_with("Вставте следующий диск\r"_w); }),
            1);
  const auto onMedia = test::DirNames(media_);
  EXPECT_EQ(onMedia, test::DirNames(Reserv()));
  for (const std::string& v : onMedia) EXPECT_EQ(ReadBytes(media_ + v), ReadBytes(Reserv() + v)) << v;
  EXPECT_GT(asks, static_cast<int>(onMedia.size()));

  // Cancelled at a medium of 64 KB, before anything is written there: the
  // question names the medium and the volume, and the end says that the
  // copy in "RESERV" stands and why the medium has none, as "Errors.log"
  // does.
  fs::remove_all(media_);
  fs::create_directories(media_);
  env_.FreeBytes = [&](const std::string& dir) -> int64_t { return dir == media_ ? 65536 : int64_t{1} << 40; };
  ui_.Answers = {kIdYes, kIdCancel};
  EXPECT_FALSE(MakeBackup(env_));
  const std::string medium = fs::path(media_).parent_path().string();
  const std::string why = "на диске "_w + medium + " нет места для тома Reserv.000 (нужно 131072 байт, свободно 65536)"_w;
  EXPECT_EQ(std::pair(Captions().end()[-2], ui_.Boxes.end()[-2].Caption),
            std::pair("Вставте следующий диск\r"_w + why, "Недостаточно места на диске "_w + medium));
  const std::string fault = "Копия данных создана в папке "_w + dir_ + "RESERV, но не скопирована на диск: "_w + why +
                            ", копирование отменено"_w;
  EXPECT_EQ(Captions().back(), "Создание резервной копии данных не было завершено из-за возникших ошибок\r"_w + fault);
  EXPECT_EQ(ui_.Log, std::vector<std::string>{"Резервное копирование: "_w + fault});
  EXPECT_EQ(test::DirNames(media_), std::vector<std::string>{});
}

// No volume, in "RESERV" or on a medium, is readable by more than every
// file packed into it, a table reached through a link included; a restore
// gives each file back the permission bits it was packed with.
TEST_F(BackupCopy, NoVolumeIsMoreReadableThanItsFilesAndARestoredFileIsAsItWasPacked) {
  const std::string outside = tmp_.Dir() + "outside/";
  fs::create_directories(outside);
  fs::rename(dir_ + "SALES.DBF", outside + "SALES.DBF");
  fs::create_symlink(outside + "SALES.DBF", dir_ + "SALES.DBF");
  const auto mode = [](const std::string& path) { return static_cast<unsigned>(fs::status(path).permissions()); };
  const std::pair<std::string, unsigned> packed[] = {{"SALES.DBF", 0600}, {"GOODS.DBF", 0640}, {"program.ini", 0604}};
  for (const auto& [name, bits] : packed) fs::permissions(dir_ + name, fs::perms(bits));
  toMedia_ = true;
  ASSERT_TRUE(Backup());
  for (const std::string& v : test::DirNames(Reserv())) {
    EXPECT_EQ(mode(Reserv() + v), 0400u) << v;
    EXPECT_EQ(mode(media_ + v) & 0444u, 0400u) << v;
  }
  for (const char* name : {"GOODS.DBF", "program.ini"}) fs::permissions(dir_ + name, fs::perms(0666));
  volumeFolder_ = Reserv();
  EXPECT_TRUE(Restore());
  for (const auto& [name, bits] : packed) EXPECT_EQ(mode(dir_ + name), bits) << name;
  EXPECT_EQ(mode(outside + "SALES.DBF"), 0600u);
}

TEST_F(BackupCopy, IncompleteVolumesOrAWrongSumAreNotExtracted) {
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(300000, 4));
  ASSERT_TRUE(Backup());
  const auto before = test::Snapshot(dir_);
  const std::string set = tmp_.Dir() + "set/";
  fs::copy(Reserv(), set);
  WriteBytes(dir_ + "GOODS.DBF", "after the backup");
  const auto after = test::Snapshot(dir_);
  volumeFolder_ = set;

  // A missing volume is asked for; Cancel stops before the process must end.
  fs::remove(set + "Reserv.001");
  ui_.Answers = {kIdYes, kIdYes, kIdCancel};
  exitCode_ = -1;
  EXPECT_FALSE(RestoreBackup(env_));
  EXPECT_EQ(Captions().back(), "Восстановление данных отменено пользователем"_w);
  EXPECT_EQ(exitCode_, -1);
  EXPECT_EQ(test::Snapshot(dir_), after);

  // A byte changed: the sum differs, nothing is replaced, the process ends.
  fs::copy_file(Reserv() + "Reserv.001", set + "Reserv.001");
  fs::permissions(set + "Reserv.001", fs::perms::owner_write, fs::perm_options::add);
  std::string bytes = ReadBytes(set + "Reserv.001");
  bytes[100] = static_cast<char>(bytes[100] ^ 1);
  WriteBytes(set + "Reserv.001", bytes);
  EXPECT_FALSE(Restore());
  EXPECT_EQ(exitCode_, 1);
  // Said under the closing message and in "Errors.log", as the other
  // faults of a copy are.
  const std::string fault = "Неверная контрольная сумма томов "_w + set + "Reserv.000";
  EXPECT_EQ(Captions().end()[-2], "Восстановление данных не было завершено из-за возникших ошибок\r"_w + fault);
  ASSERT_FALSE(ui_.Log.empty());
  EXPECT_EQ(ui_.Log.back(), "Восстановление данных: "_w + fault);
  EXPECT_EQ(test::Snapshot(dir_), after);
  EXPECT_NE(after, before);
}

TEST_F(BackupCopy, ADataFolderApartFromTheProgramFolderTakesEveryRestoredFile) {
  AddArchives(2);
  ASSERT_TRUE(Backup());
  const std::string data = tmp_.Dir() + "data/";
  fs::create_directories(data);
  env_.DataDir = data;
  volumeFolder_ = Reserv();
  EXPECT_TRUE(Restore());
  const auto restored = test::Snapshot(data);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : restored) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"ARCHIVE/00000001.BH", "ARCHIVE/00000002.CAF", "GOODS.DBF", "SALES.DBF",
                                             "archive.alf", "basepath.ini", "local.ini", "manager.ini", "program.ini"}));
  EXPECT_EQ(restored.at("GOODS.DBF"), ReadBytes(dir_ + "GOODS.DBF"));
}

// Hostile lists and headers: each restore must fail with nothing written
// outside the data folder and nothing in it replaced.
TEST_F(BackupCopy, HostileNamesWriteNothingOutsideAndReplaceNothing) {
  AddArchives(1);
  const std::string goods = ReadBytes(dir_ + "GOODS.DBF");
  struct Case {
    std::string Folder, Name;
  };
  const std::vector<Case> cases = {
      {"", "../evil.txt"},       {"", "..\\evil.txt"},        {"", "/tmp/evil"},       {"", ".."},
      {"", "."},                 {"", ""},                     {"..\\", "evil.txt"},     {"ARCHIVE\\..\\", "evil.txt"},
      {"C:\\", "evil.txt"},      {"ARCHIVE\\", "evil.txt"},    {"ARCHIVE\\", "../1.BH"}, {"", "lock.lck"},
      {"", "$COMMIT$.JNL"},      {"", "a:b"},                  {"ARCHIVE\\S\\", "00000001.BH"},
      {"", "x\nname"},           {"", "MISSING.DBF"},          {"", "GOODS.DBF"},
  };
  const auto before = test::Snapshot(tmp_.Dir());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Folder + "|" + c.Name);
    std::vector<TBackupFileRecord> records = {{"", "GOODS.DBF", 32}, {c.Folder, c.Name, 32}};
    volumeFolder_ = HandMadeSet({{"GOODS.DBF", "replaced"}, {"evil.txt", "evil"}}, records);
    EXPECT_FALSE(Restore());
    EXPECT_EQ(exitCode_, 1);
    EXPECT_EQ(ReadBytes(dir_ + "GOODS.DBF"), goods);
    EXPECT_FALSE(fs::exists(tmp_.Dir() + "evil.txt"));
    EXPECT_FALSE(fs::exists(dir_ + "evil.txt"));
  }
  // Volume headers that name another file than the backup's.
  const std::string good = HandMadeSet({{"GOODS.DBF", "replaced"}}, {{"", "GOODS.DBF", 32}});
  for (const std::string name : {"../Reserv.BH", "/tmp/Reserv.BH", "evil.txt", "..\\Reserv.BH"}) {
    SCOPED_TRACE(name);
    std::string head = ReadBytes(good + "Reserv.000");
    const std::string patched = head.substr(0, 12) + static_cast<char>(name.size()) + name +
                                std::string(15 - name.size(), '\0') + head.substr(28);
    fs::create_directories(tmp_.Dir() + "patched");
    WriteBytes(tmp_.Dir() + "patched/Reserv.000", patched);
    volumeFolder_ = tmp_.Dir() + "patched/";
    EXPECT_FALSE(Restore());
    EXPECT_EQ(ReadBytes(dir_ + "GOODS.DBF"), goods);
  }
  fs::remove_all(tmp_.Dir() + "patched");
  auto after = test::Snapshot(tmp_.Dir());
  std::erase_if(after, [](const auto& e) { return e.first.rfind("stage", 0) == 0; });
  EXPECT_EQ(after, before);
  // The sound set restores.
  volumeFolder_ = good;
  EXPECT_TRUE(Restore());
  EXPECT_EQ(ReadBytes(dir_ + "GOODS.DBF"), "replaced");
}

// "files.res" naming one of the program's own folders (any case), or any
// other folder of the data folder, or the record of a deleted period's
// volumes still to be named on a medium: refused before anything is replaced,
// with no journal left to fail every later start. The refusal names the
// file under the failure message and in "Errors.log", as a file listed
// twice or missing from the copy does.
TEST_F(BackupCopy, AFileNamedLikeAFolderIsRefusedBeforeAnythingIsReplaced) {
  AddArchives(2);
  fs::create_directories(dir_ + "Extra");
  WriteBytes(dir_ + "Extra/f", "kept");
  ASSERT_TRUE(Backup());
  const auto before = test::Snapshot(dir_);
  const auto expectFault = [&](const std::string& fault) {
    const std::vector<std::string> boxes = Captions();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[boxes.size() - 2],
              "Восстановление данных не было завершено из-за возникших ошибок\r"_w + fault);
    ASSERT_FALSE(ui_.Log.empty());
    EXPECT_EQ(ui_.Log.back(), "Восстановление данных: "_w + fault);
  };
  for (const char* name :
       {"ARCHIVE", "archive", "Work", "RESERV", "reserv.new", "Reserv.tmp", "Extra", "delarch.INI"}) {
    SCOPED_TRACE(name);
    volumeFolder_ = HandMadeSet({{"GOODS.DBF", "replaced"}, {name, "a file"}},
                                {{"", "GOODS.DBF", 32}, {"", name, 32}});
    EXPECT_FALSE(Restore());
    expectFault("Файл резервной копии не может быть восстановлен: "_w + name);
    EXPECT_EQ(test::Snapshot(dir_), before);
    for (const char* folder : {"ARCHIVE", "WORK", "RESERV", "Extra"})
      EXPECT_TRUE(fs::is_directory(dir_ + folder)) << folder;
    EXPECT_FALSE(fs::exists(dir_ + kCommitJournalName));
    EXPECT_FALSE(fs::exists(dir_ + "ARCHIVE.$BK"));
  }
  volumeFolder_ = HandMadeSet({{"GOODS.DBF", "replaced"}}, {{"", "GOODS.DBF", 32}, {"", "goods.dbf", 32}});
  EXPECT_FALSE(Restore());
  expectFault("Файл дважды в резервной копии: goods.dbf"_w);
  volumeFolder_ = HandMadeSet({{"GOODS.DBF", "replaced"}}, {{"", "GOODS.DBF", 32}, {"", "SALES.DBF", 32}});
  EXPECT_FALSE(Restore());
  expectFault("Нет файла в резервной копии: SALES.DBF"_w);
  EXPECT_EQ(test::Snapshot(dir_), before);
  volumeFolder_ = HandMadeSet({{"GOODS.DBF", "replaced"}}, {{"", "GOODS.DBF", 32}});
  EXPECT_TRUE(Restore());
}

// Links planted at the program's own folders: each command refuses, says
// so, and the folder a link points at keeps every file.
TEST_F(BackupCopy, LinksAtTheProgramsFoldersAreRefusedAndWhatTheyPointAtIsKept) {
  AddArchives(2);
  ASSERT_TRUE(Backup());
  const std::string volumes = tmp_.Dir() + "volumes/";
  fs::copy(Reserv(), volumes);
  ExpectLinksRefused({"WORK", "ARCHIVE", "RESERV"}, "00000001.BH", [&] { return Backup(); },
                     [&] {
                       volumeFolder_ = volumes;
                       return Restore();
                     });
}

// Links planted at the names the new volumes are swapped in through, while
// "RESERV" is missing: the start and the backup each take the links away,
// never what they point at, and the backup goes through.
TEST_F(BackupCopy, LinksAtTheSwapsNamesGoAndTheBackupGoesThrough) {
  const std::string outside = tmp_.Dir() + "outside/";
  fs::create_directories(outside);
  WriteBytes(outside + "Reserv.000", "keep me");
  const auto kept = test::Snapshot(outside);
  const std::initializer_list<const char*> names = {"RESERV.TMP", "RESERV.NEW", "RESERV.OLD"};
  const auto plant = [&] {
    fs::remove_all(Reserv());
    for (const char* name : names) fs::remove(dir_ + name);
    fs::create_directory_symlink(outside, dir_ + "RESERV.TMP");
    fs::create_symlink(outside + "Reserv.000", dir_ + "RESERV.NEW");
    fs::create_symlink(outside + "nowhere", dir_ + "RESERV.OLD");
  };
  for (const bool atStart : {true, false}) {
    SCOPED_TRACE(atStart ? "start" : "backup");
    plant();
    if (atStart) SettleReservSwap(dir_);
    else EXPECT_TRUE(Backup()) << Captions().back();
    for (const char* name : names) EXPECT_FALSE(fs::exists(fs::symlink_status(dir_ + name))) << name;
    EXPECT_EQ(test::Snapshot(outside), kept);
  }
  const std::vector<std::string> volumes = test::DirNames(Reserv());
  EXPECT_TRUE(!volumes.empty() && volumes.front() == "Reserv.000");
}

// A data folder of about 50 MB (VELOMAR_BACKUP_MB sets it) through
// 131,072-byte volumes and back, byte for byte.
TEST_F(BackupCopy, ALargeDataFolderComesBackByteForByte) {
  const char* mb = std::getenv("VELOMAR_BACKUP_MB");
  const std::size_t size = (mb && *mb ? std::atoi(mb) : 50) * std::size_t{1} << 20;
  WriteBytes(dir_ + "SALES.DBF", test::TextBytes(size * 4 / 5, 7));
  WriteBytes(dir_ + "GOODS.DBF", test::RandomBytes(size / 5, 8));
  const auto before = test::Snapshot(dir_);
  ASSERT_TRUE(Backup());
  EXPECT_GT(test::DirNames(Reserv()).size(), size / (8 * 131072));
  WriteBytes(dir_ + "SALES.DBF", "lost");
  volumeFolder_ = Reserv();
  EXPECT_TRUE(Restore());
  EXPECT_TRUE(test::Snapshot(dir_) == before);
}

}  // namespace
}  // namespace vm
