#include "platform/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/encoding.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

// Why the file does not open here.
FileError OpenError(const std::string& path, FileMode mode) {
  FileError err = FileError::None;
  Files().Open(path, mode, &err);
  return err;
}

// The same in a child process; the child's exit code is the error.
FileError OpenInOtherProcess(const std::string& path, FileMode mode) {
  const pid_t pid = fork();
  if (pid == 0) {
    FileError err = FileError::None;
    auto f = Files().Open(path, mode, &err);
    _exit(static_cast<int>(err));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return static_cast<FileError>(WEXITSTATUS(status));
}

TEST(Files, OpenModesShareReadingAndRefuseWriters) {
  test::TempDir tmp;
  const std::string path = tmp / "t.dbf";
  test::WriteBytes(path, "data");
  {
    auto r1 = Files().Open(path, FileMode::Read);
    auto r2 = Files().Open(path, FileMode::Read);
    ASSERT_TRUE(r1 && r2);
    EXPECT_EQ(OpenError(path, FileMode::ReadWrite), FileError::Busy);
    EXPECT_EQ(OpenInOtherProcess(path, FileMode::Read), FileError::None);
    EXPECT_EQ(OpenInOtherProcess(path, FileMode::ReadWrite), FileError::Busy);
    EXPECT_EQ(OpenInOtherProcess(path, FileMode::Create), FileError::Busy);
    // Closing one descriptor of the file keeps the other's share mode.
    r2.reset();
    EXPECT_EQ(OpenInOtherProcess(path, FileMode::ReadWrite), FileError::Busy);
  }
  {
    auto w = Files().Open(path, FileMode::ReadWrite);
    ASSERT_TRUE(w);
    EXPECT_EQ(OpenInOtherProcess(path, FileMode::Read), FileError::Busy);
    EXPECT_EQ(OpenError(path, FileMode::Read), FileError::Busy);
  }
  EXPECT_EQ(OpenInOtherProcess(path, FileMode::ReadWrite), FileError::None);
  EXPECT_EQ(OpenError(tmp / "missing", FileMode::Read), FileError::NotFound);
}

TEST(Files, FindsNamesWithoutRegardToCase) {
  test::TempDir tmp;
  ASSERT_TRUE(Files().MakeDirectory(tmp / "Data"));
  test::WriteBytes(tmp / "Data/PROGRAM.INI", "x");
  // Russian names are UTF-8 on disk and Windows-1251 in memory.
  test::WriteBytes(tmp / "Data/Товары.dbf", "y");

  EXPECT_TRUE(Files().Exists(tmp / "data/program.ini"));
  EXPECT_EQ(ResolvePathCase(tmp / "DATA/Program.Ini"), tmp / "Data/PROGRAM.INI");
  auto f = Files().Open(tmp / "DATA/" + "ТОВАРЫ.DBF"_w, FileMode::Read);
  char c = 0;
  ASSERT_TRUE(f && f->ReadAt(0, &c, 1) == 1);
  EXPECT_EQ(c, 'y');

  // A new file goes into the existing directory, under the name given.
  ASSERT_TRUE(Files().Open(tmp / "DATA/New.dbf", FileMode::Create));
  EXPECT_EQ(test::ReadBytes(tmp / "Data/New.dbf"), "");
  // An exact match wins over a differently spelt one.
  test::WriteBytes(tmp / "Data/program.ini", "exact");
  EXPECT_EQ(ResolvePathCase(tmp / "Data/program.ini"), tmp / "Data/program.ini");

  EXPECT_EQ(NativePath("ARCHIVE\\2007\\a.caf"), "ARCHIVE/2007/a.caf");
}

TEST(Files, ReplaceFileLeavesTheOldFileWholeOnFailure) {
  test::TempDir tmp;
  const std::string path = tmp / "a.dat";
  test::WriteBytes(path, "old content");
  auto fillNew = [](File& f) { return f.WriteAt(0, "new content!", 12); };

  for (int failure = 0; failure < 3; ++failure) {
    test::FaultyFileSystem fs;
    fs.WriteBudget = failure == 0 ? 5 : -1;
    fs.FailRename = failure == 1;
    auto holder = failure == 2 ? Files().Open(path, FileMode::Read) : nullptr;
    EXPECT_FALSE(ReplaceFile(path, fillNew)) << failure;
    EXPECT_EQ(test::ReadBytes(path), "old content") << failure;
  }
  std::vector<DirEntry> entries;
  ASSERT_TRUE(Files().ListDirectory(tmp.Dir(), entries));
  EXPECT_EQ(entries.size(), 1u) << "nothing is left beside the target";

  // The new file is shared as the old one was.
  ASSERT_TRUE(Files().SetMode(path, 0664));
  EXPECT_TRUE(ReplaceFile(path, fillNew));
  EXPECT_EQ(test::ReadBytes(path), "new content!");
  uint32_t mode = 0;
  ASSERT_TRUE(Files().GetMode(path, mode));
  EXPECT_EQ(mode, 0664u);
  EXPECT_TRUE(ReplaceFile(tmp / "fresh.dat", fillNew));
  EXPECT_EQ(test::ReadBytes(tmp / "fresh.dat"), "new content!");
}

// Files of a held work folder are renamed into place as whole as anywhere,
// only not put on the disk; a folder below or beside it, or the work folder
// once let go, is synced as always.
TEST(Files, ScratchFolderFilesAreReplacedWholeWithoutSyncs) {
  test::TempDir tmp;
  const std::string work = tmp / "WORK", below = tmp / "WORK/SUB";
  ASSERT_TRUE(Files().MakeDirectory(work) && Files().MakeDirectory(below));
  auto fill = [](File& f) { return f.WriteAt(0, "new content", 11); };
  test::FaultyFileSystem fs;
  {
    ScratchFolder outer(work);
    {
      ScratchFolder inner(work + "/");
    }
    EXPECT_TRUE(ReplaceFile(work + "/a.dat", fill));
    EXPECT_EQ(test::ReadBytes(work + "/a.dat"), "new content");
    EXPECT_TRUE(fs.SyncedFiles.empty());
    EXPECT_TRUE(fs.SyncedFolders.empty());

    fs.WriteBudget = 3;
    EXPECT_FALSE(ReplaceFile(work + "/a.dat", [](File& f) { return f.WriteAt(0, "other", 5); }));
    EXPECT_EQ(test::ReadBytes(work + "/a.dat"), "new content");
    EXPECT_EQ(test::DirNames(work), (std::vector<std::string>{"SUB", "a.dat"}));
    fs.WriteBudget = -1;

    EXPECT_TRUE(ReplaceFile(below + "/b.dat", fill));
    EXPECT_TRUE(ReplaceFile(tmp / "c.dat", fill));
    EXPECT_EQ(fs.SyncedFiles.size(), 2u);
    EXPECT_EQ(fs.SyncedFolders.size(), 2u);
  }
  fs.SyncedFiles.clear();
  fs.SyncedFolders.clear();
  EXPECT_TRUE(ReplaceFile(work + "/a.dat", fill));
  EXPECT_EQ(fs.SyncedFiles.size(), 1u);
  EXPECT_EQ(fs.SyncedFolders.size(), 1u);
}

TEST(Files, TemporaryNamesAreFreshAndLinksAtThemAreNeverFollowed) {
  test::TempDir tmp;
  test::TempDir outside;
  const std::string path = tmp / "a.dat";
  const std::string victim = outside / "victim";
  const std::string nowhere = outside / "nowhere";
  test::WriteBytes(path, "old");
  test::WriteBytes(victim, "secret");
  auto fill = [](File& f) { return f.WriteAt(0, "new", 3); };

  // The names earlier versions used, planted in advance.
  std::filesystem::create_symlink(victim, path + ".new");
  std::filesystem::create_symlink(nowhere, path + "." + std::to_string(::getpid()) + ".new");
  {
    // A rival who guesses every other name just before it is made.
    test::FaultyFileSystem fs;
    fs.LinkTarget = victim;
    fs.PlantLinkEvery = 2;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReplaceFile(path, fill));
    ASSERT_EQ(fs.NewNames.size(), 6u);
    EXPECT_EQ(std::set<std::string>(fs.NewNames.begin(), fs.NewNames.end()).size(), 6u);
    for (const std::string& name : fs.NewNames) {
      EXPECT_TRUE(IsTemporaryFileName(name.substr(name.rfind('/') + 1))) << name;
      EXPECT_EQ(name.rfind(path + ".~", 0), 0u) << name;
    }
    // One who guesses them all stops the write, not the old file.
    fs.PlantLinkEvery = 1;
    EXPECT_FALSE(ReplaceFile(path, [](File& f) { return f.WriteAt(0, "lost", 4); }));
  }
  EXPECT_EQ(test::ReadBytes(victim), "secret");
  EXPECT_FALSE(std::filesystem::exists(nowhere));
  EXPECT_FALSE(Files().IsSymlink(path));
  EXPECT_EQ(test::ReadBytes(path), "new");

  EXPECT_TRUE(IsTemporaryFileName("program.ini.~0123456789abcdef~"));
  EXPECT_TRUE(IsTemporaryFileName("x.~FEDCBA9876543210~"));
  EXPECT_FALSE(IsTemporaryFileName(".~0123456789abcdef~"));
  EXPECT_FALSE(IsTemporaryFileName("x.~0123456789abcdeg~"));
  EXPECT_FALSE(IsTemporaryFileName("x.~0123456789abcde~"));
  EXPECT_FALSE(IsTemporaryFileName("program.ini.new"));
  EXPECT_FALSE(IsTemporaryFileName("backup~"));
}

TEST(Files, LeftoversOfDeadWritersGoThoseOfLiveOnesStay) {
  test::TempDir tmp;
  test::TempDir outside;
  const std::string target = tmp / "t.dbf";
  test::WriteBytes(target, "old");
  test::WriteBytes(outside / "victim", "secret");
  test::WriteBytes(tmp / "notes.txt.~", "mine");
  std::filesystem::create_symlink(outside / "victim", tmp / "x.~00000000000000aa~");
  std::filesystem::create_directory(tmp / "d.~00000000000000bb~");

  // A writer killed in the middle leaves its whole temporary file.
  const pid_t pid = fork();
  if (pid == 0) {
    FileReplacement dying;
    auto f = dying.BeginHeld(target, nullptr);
    if (f) f->WriteAt(0, std::string(100000, 'x').data(), 100000);
    ::kill(::getpid(), SIGKILL);
    _exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(test::DirNames(tmp.Dir()).size(), 5u);

  FileReplacement live;
  auto f = live.Begin(target);
  ASSERT_TRUE(f && f->WriteAt(0, "new", 3));
  const std::vector<std::string> removed = RemoveLeftoverTemporaries(tmp.Dir());
  EXPECT_EQ(removed.size(), 2u);
  for (const std::string& name : removed) EXPECT_TRUE(IsTemporaryFileName(name)) << name;
  EXPECT_EQ(test::ReadBytes(outside / "victim"), "secret");
  EXPECT_EQ(test::DirNames(tmp.Dir()).size(), 4u) << "the live writer's file, the folder and the others stay";
  ASSERT_TRUE(live.Commit(*f));
  f.reset();
  EXPECT_EQ(test::ReadBytes(target), "new");
  EXPECT_EQ(test::DirNames(tmp.Dir()),
            (std::vector<std::string>{"d.~00000000000000bb~", "notes.txt.~", "t.dbf"}));
}

}  // namespace
}  // namespace vm
