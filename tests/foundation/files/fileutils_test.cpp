#include "foundation/files/fileutils.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/encoding.h"
#include "platform/files.h"
#include "support/faulty_files.h"
#include "support/temp_dir.h"
#include "platform/services.h"

namespace vm {
namespace {

TEST(FileUtils, PathPartsAndNames) {
  EXPECT_EQ(GetFileNamePart("/data/base/TOVAR.DBF"), "TOVAR.DBF");
  EXPECT_EQ(GetFileDirPart("TOVAR.DBF"), "");
  EXPECT_EQ(GetFileExtPart("/data/base.old/TOVAR"), "");
  EXPECT_EQ(ChangeFileExtTo("/data.1/prog.ini", ".in1"), "/data.1/prog.in1");
  EXPECT_EQ(ChangeFileExtTo("/data.1/prog", ".bak"), "/data.1/prog.bak");
  EXPECT_EQ(GetFileBaseName("/a/b/arc.tar.bh"), "arc.tar");
  std::string dir = "/work";
  AddBackslash(dir);
  AddBackslash(dir);
  EXPECT_EQ(dir, "/work/");
  // Every trailing separator goes, of either spelling, but the root stays.
  EXPECT_EQ(ExcludeTrailingSlash(dir), "/work");
  EXPECT_EQ(ExcludeTrailingSlash("/data//"), "/data");
  EXPECT_EQ(ExcludeTrailingSlash("WORK\\"), "WORK");
  EXPECT_EQ(ExcludeTrailingSlash("/"), "/");
  EXPECT_EQ(ExcludeTrailingSlash(""), "");
  EXPECT_EQ(ExeDir() + ExeName(), ProgramPath());

  const auto valid = [](std::string s) {
    MakeValidFileName(s);
    return s;
  };
  EXPECT_EQ(valid(".hidden"), "_hidden");
  EXPECT_EQ(valid(" a.b c*d?/e\x01" + "Цена"_w + "\xAB"), "_a.b c_d__e_" + "Цена"_w + "_");
  EXPECT_EQ(valid(std::string(300, 'x')), std::string(254, 'x'));

  EXPECT_TRUE(IsValidPathName("/data/base/TOVAR.DBF"));
  EXPECT_TRUE(IsValidPathName("ARCHIVE/" + "Архив 1.caf"_w));
  EXPECT_TRUE(IsValidPathName("ARCHIVE\\2007\\a.caf"));
  for (const char* bad : {"", "/data/", "/data//x", "/data/.x", "a./b", "a*b", "a\\\\b", "a\\",
                          " ab", "ab:c", "a\xAB"})
    EXPECT_FALSE(IsValidPathName(bad)) << bad;

  EXPECT_TRUE(HasPlainFileExt("товар.dbf"_w, ".DBF"));
  for (const char* bad : {"base/tovar.dbf", "C:tovar.dbf", "tovar.dbx"})
    EXPECT_FALSE(HasPlainFileExt(bad, ".DBF")) << bad;
}

TEST(FileUtils, DirectoriesAndListings) {
  test::TempDir tmp;
  const std::string deep = tmp / "a/b";
  EXPECT_FALSE(CheckDirExists(deep, false));
  EXPECT_TRUE(CheckDirExists(deep, true));
  EXPECT_TRUE(DirOrDriveExists(deep));
  for (const char* name : {"1.caf", "12.CAF", "x.caf", "7.txt"}) test::WriteBytes(tmp / "a/" + name, "");
  EXPECT_FALSE(DirOrDriveExists(tmp / "a/1.caf"));

  std::vector<std::string> list = {"old"};
  ListFilesToStrings(tmp / "a/", "*.caf", list, true, false);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"1.caf", "12.CAF", "x.caf"}));
  ListFilesToStrings(tmp / "a/", "?.TXT", list, false, true);
  EXPECT_EQ(list.back(), tmp / "a/7.txt");
  EXPECT_EQ(MaxNumberedFileName(tmp / "a/", "*.caf"), 12);
  EXPECT_EQ(MaxNumberedFileName(tmp / "a/", "*.none"), -1);
  EXPECT_TRUE(MatchesFileMask("anything", "*.*") && !MatchesFileMask("a.dbf", "*.dbx"));

  EXPECT_TRUE(ClearDirFiles(tmp / "a/"));
  list.clear();
  ListFilesToStrings(tmp / "a/", "*.*", list, true, false);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(DirOrDriveExists(deep)) << "subdirectories stay";

  test::WriteBytes(deep + "/f", "x");
  ASSERT_EQ(chmod((deep + "/f").c_str(), 0444), 0);
  EXPECT_TRUE(DeleteDirTree(tmp / "a/"));
  EXPECT_FALSE(DirOrDriveExists(tmp / "a"));
  EXPECT_TRUE(DeleteDirTree(""));

  // A link to a folder is removed alone; the folder it points at stays whole.
  ASSERT_TRUE(Files().MakeDirectory(tmp / "kept"));
  test::WriteBytes(tmp / "kept/f", "x");
  ASSERT_EQ(symlink((tmp / "kept").c_str(), (tmp / "link").c_str()), 0);
  EXPECT_TRUE(DeleteDirTree(tmp / "link/"));
  EXPECT_FALSE(Files().IsSymlink(tmp / "link"));
  EXPECT_TRUE(Files().Exists(tmp / "kept/f"));
  // Nor is a folder emptied through a link, named with or without its
  // separator.
  ASSERT_EQ(symlink((tmp / "kept").c_str(), (tmp / "link").c_str()), 0);
  EXPECT_FALSE(ClearDirFiles(tmp / "link/"));
  EXPECT_FALSE(ClearDirFiles(tmp / "link"));
  EXPECT_TRUE(Files().Exists(tmp / "kept/f"));
}

// A file deleted here may have another name elsewhere (a hard link): the
// deletions take this name and leave the file's permissions as they were.
TEST(FileUtils, DeletingAHardLinkLeavesTheFileElsewhereReadOnly) {
  test::TempDir tmp;
  const std::string outside = tmp / "outside";
  test::WriteBytes(outside, "keep me read-only");
  ASSERT_EQ(chmod(outside.c_str(), 0444), 0);
  ASSERT_TRUE(CheckDirExists(tmp / "tree/sub", true));
  const auto linkAt = [&](const std::string& path) { ASSERT_EQ(link(outside.c_str(), path.c_str()), 0); };
  const auto mode = [&] {
    uint32_t m = 0;
    EXPECT_TRUE(Files().GetMode(outside, m));
    return m;
  };
  linkAt(tmp / "single");
  EXPECT_TRUE(EraseFile(tmp / "single"));
  EXPECT_EQ(mode(), 0444u) << "EraseFile";
  linkAt(tmp / "tree/sub/f");
  EXPECT_TRUE(ClearDirFiles(tmp / "tree/sub/"));
  EXPECT_EQ(mode(), 0444u) << "ClearDirFiles";
  linkAt(tmp / "tree/f");
  linkAt(tmp / "tree/sub/f");
  EXPECT_TRUE(DeleteDirTree(tmp / "tree/"));
  EXPECT_FALSE(DirOrDriveExists(tmp / "tree"));
  EXPECT_EQ(mode(), 0444u) << "DeleteDirTree";
  EXPECT_EQ(test::ReadBytes(outside), "keep me read-only");
}

TEST(FileUtils, CopyEraseAndAppend) {
  test::TempDir tmp;
  const std::string src = tmp / "src", dst = tmp / "dst";
  test::WriteBytes(src, std::string(100000, 's'));
  test::WriteBytes(dst, "old");
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 50000;
    EXPECT_FALSE(CopyFileOver(src, dst));
  }
  EXPECT_EQ(test::ReadBytes(dst), "old");
  EXPECT_TRUE(CopyFileOver(src, dst));
  EXPECT_EQ(test::ReadBytes(dst), test::ReadBytes(src));
  // A copy is readable by nobody who may not read what it copies.
  ASSERT_EQ(chmod(src.c_str(), 0640), 0);
  EXPECT_TRUE(CopyFileOver(src, tmp / "copy"));
  for (const std::string& copy : {tmp / "copy", CopyFileBeside(src, tmp / "other")}) {
    uint32_t bits = 0;
    EXPECT_TRUE(Files().GetMode(copy, bits) && (bits & 0444) == 0440) << copy;
  }

  test::WriteBytes(dst, "head");
  ASSERT_EQ(chmod(dst.c_str(), 0444), 0);
  {
    test::FaultyFileSystem fs;
    fs.WriteBudget = 40000;
    EXPECT_FALSE(AppendFileData(dst, src));
  }
  EXPECT_EQ(test::ReadBytes(dst), "head") << "a failed append is taken back";
  EXPECT_TRUE(AppendFileData(dst, src));
  EXPECT_EQ(test::ReadBytes(dst), "head" + std::string(100000, 's'));
  uint32_t mode = 0;
  EXPECT_TRUE(Files().GetMode(dst, mode) && mode == 0444u) << "the read-only attribute comes back";
  EXPECT_FALSE(AppendFileData(dst, tmp / "missing"));

  // A link is read through only where that is asked for, and is no plain
  // file of its own.
  std::filesystem::create_symlink(src, tmp / "link");
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(tmp / "link", bytes) && ReadOwnFile(src, bytes, 100000));
  EXPECT_FALSE(ReadOwnFile(tmp / "link", bytes, 1 << 20));
  EXPECT_EQ(std::pair(Files().PlainFileSize(src), Files().PlainFileSize(tmp / "link")), std::pair(int64_t{100000}, int64_t{-1}));

  EXPECT_TRUE(EraseFile(dst));
  EXPECT_FALSE(EraseFile(dst));
}

class ScriptedDialog : public UiServices {
 public:
  FileDialogRequest Seen;
  std::vector<std::string> Answer;
  bool ChooseFiles(const FileDialogRequest& request, std::vector<std::string>& paths) override {
    Seen = request;
    paths = Answer;
    return !Answer.empty();
  }
};

TEST(FileUtils, SelectFilesDialog) {
  ScriptedDialog ui;
  InstallUiServices(&ui);
  const std::string filter = "Таблицы|*.dbf|Тексты|*.txt;*.ini|Все|*.*"_w;
  std::string dir = "/start/";
  std::string names = "/old/prog.INI";
  // A cancelled choice changes nothing.
  EXPECT_FALSE(SelectFilesDialog("T", filter, dir, true, true, names, -1));
  EXPECT_EQ(std::tuple(ui.Seen.FilterIndex, ui.Seen.FileName, ui.Seen.HideReadOnly),
            std::tuple(2, "prog.INI", true));
  EXPECT_EQ(dir + names, "/start//old/prog.INI");

  ui.Answer = {"/d/a.txt", "/d/b.txt"};
  EXPECT_TRUE(SelectFilesDialog("T", filter, dir, false, true, names, 0));
  EXPECT_EQ(ui.Seen.FileName, "/old/prog.INI");
  EXPECT_EQ(names, "/d/a.txt\r\n/d/b.txt");
  EXPECT_EQ(dir, "/d/");
  names = "x.none";
  EXPECT_TRUE(SelectFilesDialog("T", filter, dir, false, false, names, -1));
  EXPECT_EQ(ui.Seen.FilterIndex, 1);
  EXPECT_EQ(names, "/d/a.txt");
  InstallUiServices(nullptr);
}

}  // namespace
}  // namespace vm
