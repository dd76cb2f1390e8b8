// Settings files and tables in a folder shared with others: planted links,
// two writers at once, a writer killed half-way and a full disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>

#include "config/data_dir.h"
#include "config/errorlog.h"
#include "config/settings_syntax.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/scripted_ui.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

// A settings file of 50 parameters that all carry `mark`.
TSettingsWriter Writer(char mark) {
  TSettingsWriter w;
  w.Section(kSecAutoParams);
  for (int i = 0; i < 50; ++i) {
    w.Key(4, kKeyParamName, "P" + std::to_string(i));
    w.Key(4, kKeyParamValue, std::string(20, mark));
  }
  return w;
}

std::string SettingsText(char mark) { return Writer(mark).Text(); }

bool SaveSettings(const std::string& path, char mark) { return Writer(mark).Commit(path, 5); }

std::string ErrorLog() {
  CloseErrorLog();
  return ReadBytes(ProgramDirectory() + "Errors.log");
}

long TemporaryFilesIn(const std::string& dir) {
  const std::vector<std::string> names = test::DirNames(dir);
  return std::count_if(names.begin(), names.end(),
                       [](const std::string& name) { return IsTemporaryFileName(name); });
}

TEST(FileSafety, SettingsSavesNeverFollowLinks) {
  test::ProgramHome home;
  test::TempDir outside;
  const std::string path = home / "manager.ini";
  const std::string victim = outside / "victim";
  WriteBytes(victim, "secret");
  WriteBytes(path, "old");
  // The name earlier versions wrote through, planted in advance.
  fs::create_symlink(victim, path + ".new");
  {
    // A rival who guesses every other name, the copies' included.
    test::FaultyFileSystem rival;
    rival.LinkTarget = victim;
    rival.PlantLinkEvery = 2;
    for (char mark : {'a', 'b', 'c'}) EXPECT_TRUE(SaveSettings(path, mark));
    EXPECT_GE(rival.NewNames.size(), 10u);
  }
  EXPECT_EQ(ReadBytes(victim), "secret");
  EXPECT_FALSE(Files().IsSymlink(path));
  EXPECT_EQ(ReadBytes(path), SettingsText('c'));
  EXPECT_EQ(ReadBytes(home / "manager.in1"), SettingsText('b'));
  EXPECT_EQ(ReadBytes(home / "manager.in2"), SettingsText('a'));
  EXPECT_EQ(ReadBytes(home / "manager.in3"), "old");

  // At the copies' names a link to a file only its owner may read, a link
  // to nowhere and a file far bigger than any settings file: none is read
  // or followed, each is replaced as a missing copy would be, and the big
  // one is named once.
  fs::permissions(Cp1251ToUtf8(victim), fs::perms::owner_read | fs::perms::owner_write);
  for (const char* copy : {"manager.in1", "manager.in2", "manager.in3"}) fs::remove(Cp1251ToUtf8(home / copy));
  fs::create_symlink(Cp1251ToUtf8(victim), Cp1251ToUtf8(home / "manager.in1"));
  fs::create_symlink(Cp1251ToUtf8(outside / "nowhere"), Cp1251ToUtf8(home / "manager.in3"));
  WriteBytes(home / "manager.in2", "big");
  fs::resize_file(Cp1251ToUtf8(home / "manager.in2"), 17u << 20);
  // A plan whose change is then refused does nothing and notes nothing.
  std::vector<TSettingsCopy> refused;
  ASSERT_TRUE(PlanBackups(path, 5, refused));
  EXPECT_TRUE(fs::is_symlink(Cp1251ToUtf8(home / "manager.in3")));
  EXPECT_EQ(ErrorLog().find(" больше 16 МБ"_w), std::string::npos);
  for (char mark : {'d', 'e'}) EXPECT_TRUE(SaveSettings(path, mark));
  EXPECT_EQ(ReadBytes(victim), "secret");
  EXPECT_EQ(fs::status(Cp1251ToUtf8(victim)).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(Cp1251ToUtf8(outside / "nowhere")));
  EXPECT_EQ(ReadBytes(home / "manager.in1"), SettingsText('d'));
  EXPECT_EQ(ReadBytes(home / "manager.in2"), SettingsText('c'));
  for (const char* copy : {"manager.in3", "manager.in4", "manager.in5"})
    EXPECT_FALSE(fs::exists(fs::symlink_status(Cp1251ToUtf8(home / copy)))) << copy;
  const std::string log = ErrorLog(), big = home / "manager.in2" + " больше 16 МБ"_w;
  EXPECT_NE(log.find(big), std::string::npos) << log;
  EXPECT_EQ(log.find(big), log.rfind(big)) << log;

  // The file itself a link, and a link to a folder at a copy's name: each
  // counts as missing, and the save puts a plain file with permissions of
  // its own in the file's place; what they point at stays as it was.
  const auto shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
  fs::permissions(Cp1251ToUtf8(victim), shared);
  fs::remove(Cp1251ToUtf8(path));
  fs::create_symlink(Cp1251ToUtf8(victim), Cp1251ToUtf8(path));
  fs::remove(Cp1251ToUtf8(home / "manager.in2"));
  fs::create_directory_symlink(Cp1251ToUtf8(outside.Dir()), Cp1251ToUtf8(home / "manager.in2"));
  EXPECT_TRUE(SaveSettings(path, 'f'));
  EXPECT_EQ(std::tuple(ReadBytes(victim), fs::status(Cp1251ToUtf8(victim)).permissions()),
            std::tuple(std::string("secret"), shared));
  EXPECT_EQ(test::DirNames(outside.Dir()), std::vector<std::string>{"victim"});
  EXPECT_FALSE(fs::is_symlink(Cp1251ToUtf8(path)));
  EXPECT_EQ(ReadBytes(path), SettingsText('f'));
  EXPECT_NE(fs::status(Cp1251ToUtf8(path)).permissions(), shared);
  EXPECT_FALSE(fs::exists(fs::symlink_status(Cp1251ToUtf8(home / "manager.in1"))));
  EXPECT_EQ(ReadBytes(home / "manager.in2"), SettingsText('d'));
}

// A save that says it failed has not replaced the file: the old one stays,
// and so does every copy older than the one that could not be made.
TEST(FileSafety, ACopyThatCannotBeMadeFailsTheSaveLeavesTheOldFileAndIsNamed) {
  test::ProgramHome home;
  const std::string path = home / "manager.ini";
  for (char mark : {'a', 'b', 'c'}) ASSERT_TRUE(SaveSettings(path, mark));
  // Folders that will not make way stand at the older copies' names.
  fs::remove(Cp1251ToUtf8(home / "manager.in2"));
  for (const char* copy : {"manager.in2/x", "manager.in3/x", "manager.in4/x", "manager.in5/x"})
    fs::create_directories(Cp1251ToUtf8(home / copy));
  EXPECT_FALSE(SaveSettings(path, 'd'));
  EXPECT_EQ(ReadBytes(path), SettingsText('c'));
  EXPECT_EQ(ReadBytes(home / "manager.in1"), SettingsText('b'));
  EXPECT_NE(ErrorLog().find("Не удалось сделать копию файла настроек "_w + home / "manager.in5"),
            std::string::npos);
  EXPECT_EQ(TemporaryFilesIn(home.Dir()), 0);
  for (const char* copy : {"manager.in2", "manager.in3", "manager.in4", "manager.in5"})
    fs::remove_all(Cp1251ToUtf8(home / copy));

  // Room for the new file but not for the copy of the old one; the log,
  // opened before, lies on a disk with room.
  LogError("");
  {
    test::FaultyFileSystem full;
    full.WriteBudget = static_cast<int64_t>(SettingsText('e').size()) + 10;
    EXPECT_FALSE(SaveSettings(path, 'e'));
  }
  EXPECT_EQ(ReadBytes(path), SettingsText('c'));
  EXPECT_FALSE(fs::exists(Cp1251ToUtf8(home / "manager.in1")));
  EXPECT_EQ(ReadBytes(home / "manager.in2"), SettingsText('b'));
  EXPECT_NE(ErrorLog().find("Не удалось сделать копию файла настроек "_w + home / "manager.in1"),
            std::string::npos);
  EXPECT_EQ(TemporaryFilesIn(home.Dir()), 0);

  // No room for the new file either: nothing changes.
  {
    test::FaultyFileSystem full;
    full.WriteBudget = 100;
    EXPECT_FALSE(SaveSettings(path, 'f'));
  }
  EXPECT_EQ(ReadBytes(path), SettingsText('c'));
  EXPECT_EQ(TemporaryFilesIn(home.Dir()), 0);

  // With room again the save goes through.
  EXPECT_TRUE(SaveSettings(path, 'g'));
  EXPECT_EQ(ReadBytes(path), SettingsText('g'));
  EXPECT_EQ(ReadBytes(home / "manager.in1"), SettingsText('c'));
}

TEST(FileSafety, TwoSaversAndALoaderNeverMeetABrokenOrMixedFile) {
  test::ProgramHome home;
  const std::string path = home / "manager.ini";
  const std::string a = SettingsText('a');
  const std::string b = SettingsText('b');
  ASSERT_TRUE(SaveSettings(path, 'a'));
  auto saver = [&](char mark) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0; i < 1000; ++i) SaveSettings(path, mark);
      _exit(0);
    }
    return pid;
  };
  const pid_t savers[] = {saver('a'), saver('b')};
  int loads = 0;
  int failed = 0;
  int mixed = 0;
  for (int running = 2; running > 0;) {
    std::vector<std::string> lines;
    if (!ReadSettingsLines(path, lines)) {
      ++failed;
    } else {
      std::string text;
      for (const std::string& line : lines) text += line + "\r\n";
      mixed += text != a && text != b;
    }
    ++loads;
    running = 0;
    for (pid_t pid : savers) running += waitpid(pid, nullptr, WNOHANG) == 0;
  }
  EXPECT_GT(loads, 10);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(mixed, 0);
  // Racing rotations may leave gaps among the copies, never a broken one.
  for (const char* name : {"manager.ini", "manager.in1", "manager.in2", "manager.in3",
                           "manager.in4", "manager.in5"}) {
    if (!fs::exists(home / name)) continue;
    const std::string text = ReadBytes(home / name);
    EXPECT_TRUE(text == a || text == b) << name;
  }
  EXPECT_TRUE(fs::exists(home / "manager.ini"));
  EXPECT_EQ(TemporaryFilesIn(home.Dir()), 0);
}

// Runs `write` in a child that is killed just before its file would be
// renamed into place.
void KilledBeforeRename(const std::function<void()>& write) {
  const pid_t pid = fork();
  if (pid == 0) {
    test::FaultyFileSystem dying;
    dying.BeforeRename = [] { ::kill(::getpid(), SIGKILL); };
    write();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
}

// A file system on which the commit journal will not go, as when the
// removal that decides a commit fails: the journal is then marked done.
class JournalStays : public FileSystem {
 public:
  JournalStays() { InstallFileSystem(this); }
  ~JournalStays() override { InstallFileSystem(nullptr); }
  bool Remove(const std::string& path) override {
    return path.find(kCommitJournalName) == std::string::npos && FileSystem::Remove(path);
  }
};

TEST(FileSafety, StartUpRemovesWhatKilledWritersLeft) {
  test::ProgramHome home;
  test::ScriptedUi ui;
  const std::string settings = std::string(VELOMAR_TEST_DATA) + "/settings/";
  const std::string data = home / "data/";
  fs::create_directory(data);
  WriteBytes(home / "basepath.ini",
             "[Settings]\r\nBasePath=" + data + "\r\nLocalBases=" + "НЕТ"_w + "\r\n");
  WriteBytes(home / "local.ini", ReadBytes(settings + "local.ini"));
  for (const char* name : {"program.ini", "manager.ini"})
    WriteBytes(data + name, ReadBytes(settings + name));
  TDBF table;
  table.FileName = data + "t.dbf";
  ASSERT_TRUE(table.CreateTable() && table.AddFieldEx("N", 5, 'N', 0) && table.WriteStructure());
  ASSERT_TRUE(table.Close());
  const std::string tableBytes = ReadBytes(table.FileName);

  KilledBeforeRename([&] { SaveSettings(data + "manager.ini", 'x'); });
  KilledBeforeRename([&] { SaveSettings(home / "local.ini", 'y'); });
  KilledBeforeRename([&] {
    TDBF t;
    t.FileName = data + "t.dbf";
    if (!t.Open() || !t.Zap()) return;
    for (int i = 0; i < 1000; ++i) {
      t.GoToRecord(i + 1);
      t.WriteRecord();
    }
    t.Close();
  });
  // Each settings file's new text and its first copy, and the table.
  ASSERT_EQ(TemporaryFilesIn(data), 3);
  ASSERT_EQ(TemporaryFilesIn(home.Dir()), 2);
  // A deletion of a period, committed in the program folder, whose journal
  // stayed: its volume, on a medium that is the program folder itself,
  // takes its name once that journal too is completed, before any sweep.
  const std::string volume = "Delarch.000.~0123456789abcdef~";
  WriteBytes(home / volume, "volume");
  {
    JournalStays stays;
    TCommitJournal journal(home.Dir());
    WriteBytes(journal.NewFileFor(home / kPendingMediaSetName),
               "FINISH\r\n" + home.Dir() + "\r\nDelarch.000\t" + volume + "\r\n");
    ASSERT_TRUE(journal.Begin() && journal.Replace() && journal.Finish());
  }
  ASSERT_TRUE(fs::exists(home / kCommitJournalName));

  FixedClock clock{{2007, 3, 6, 9, 0, 0, 0}};
  ScopedClock scoped{clock};
  ASSERT_EQ(OpenDataAtStartUp(), 0) << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes[0].Text));
  EXPECT_EQ(TemporaryFilesIn(data), 0);
  EXPECT_EQ(TemporaryFilesIn(home.Dir()), 0);
  EXPECT_EQ(ReadBytes(data + "manager.ini"), ReadBytes(settings + "manager.ini"));
  EXPECT_EQ(ReadBytes(data + "t.dbf"), tableBytes);
  EXPECT_EQ(ReadBytes(home / "Delarch.000"), "volume");
  EXPECT_FALSE(fs::exists(home / kCommitJournalName));
  EXPECT_FALSE(fs::exists(home / kPendingMediaSetName));
  const std::string log = ErrorLog();
  const std::string said = "Удалён временный файл прерванной записи "_w;
  EXPECT_NE(log.find(said + data + "t.dbf.~"), std::string::npos) << log;
  EXPECT_NE(log.find(said + data + "manager.ini.~"), std::string::npos) << log;
  EXPECT_NE(log.find(said + home.Dir() + "local.ini.~"), std::string::npos) << log;
}

}  // namespace
}  // namespace vm
