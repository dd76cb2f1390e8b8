#include "archive/components/arc_globals.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "foundation/files/fileutils.h"
#include "platform/encoding.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::TempDir;

TEST(ArcGlobals, PathAndNameForms) {
  EXPECT_EQ(AppendPath("", "a.txt"), "");
  EXPECT_EQ(AppendPath("C:\\w\\", "a.txt"), "C:\\w\\a.txt");
  EXPECT_EQ(ExcludeTrailingSlash("WORK\\"), "WORK");
  EXPECT_EQ(ChangeExtAtFirstDot("base.tar.gz", ".BH"), "base.BH");
  EXPECT_EQ(ChangeExtAtFirstDot("noext", ".BH"), "noext.BH");
  EXPECT_EQ(ChangeExtAtFirstDot(std::string(300, 'a') + ".x.y", ".z"), std::string(300, 'a') + ".z");
  EXPECT_TRUE(IsUncPath("\\\\srv") && !IsUncPath("\\\\"));
  std::string s = "one;two;three";
  EXPECT_EQ(SplitToken(s, ";"), "one");
  EXPECT_EQ(s, "two;three");
  std::string last = "tail";
  EXPECT_EQ(SplitToken(last, ";"), "tail");
  EXPECT_EQ(last, "");
  // Stored names are OEM text with "/"; local ones Windows-1251 with "\".
  const std::string local = "ПАПКА\\Файл.dbf"_w;
  const std::string stored = ToArchiveName(local, true);
  EXPECT_EQ(stored, WinToDosStr("ПАПКА/Файл.dbf"_w));
  EXPECT_EQ(ToLocalName(stored, true), local);
  EXPECT_EQ(ToLocalName("a/b", false), "a\\b");
  EXPECT_EQ(ToOemName(local, false), local);
}

TEST(ArcGlobals, PercentRatioAndBytes) {
  // Halves go to the even neighbour; nonsense gives 0 or caps at 100.
  for (const auto& [total, part, percent] : std::vector<std::tuple<int64_t, int64_t, int>>{
           {0, 5, 0}, {3, 1, 33}, {8, 1, 12}, {8, 3, 38}, {10, 50, 100}, {10, -5, 0},
           {INT64_MAX, INT64_MAX / 2, 50}})
    EXPECT_EQ(Percent(total, part), percent) << part << " of " << total;
  EXPECT_EQ(std::tuple(Ratio(100, 25), Ratio(0, 0), Ratio(100, 150)), std::tuple(75, 0, 0));

  uint8_t buf[] = {7, 1, 2, 3, 4, 9};
  ByteCopy(buf, buf + 1, 4);
  EXPECT_TRUE(SameBytes(buf, "\x07\x07\x07\x07\x07\x09", 6));
  EXPECT_FALSE(SameBytes(buf, "\x07\x08", 2));
}

TEST(ArcGlobals, Attributes) {
  EXPECT_EQ(AttrsToFileAttributes(1u << 0), 0u);
  EXPECT_EQ(AttrsToFileAttributes((1u << 1) | (1u << 6) | (1u << 8)), 0x01u | 0x20 | 0x4000);
  EXPECT_EQ(AttrsToFileAttributes(1u << 7), 0x800u);
  EXPECT_EQ(KnownAttributes(0xFFFFFFFFu), 0x40BFu);
}

TEST(ArcGlobals, FileAndFolderTests) {
  TempDir dir;
  const std::string d = dir.Dir();
  EXPECT_TRUE(FolderHasNoFiles(d + "missing"));
  EXPECT_TRUE(ForceFolders(d + "a\\b\\c"));
  EXPECT_TRUE(DirExists(d + "a/b/c"));
  EXPECT_TRUE(FolderHasNoFiles(d + "a"));
  test::WriteBytes(d + "a/.hidden", "x");
  EXPECT_TRUE(FolderHasNoFiles(d + "a"));
  test::WriteBytes(d + "a/Data.DBF", "x");
  EXPECT_FALSE(FolderHasNoFiles(d + "a"));
  EXPECT_EQ(std::vector({FileExistsAny(d + "a\\*.dbf"), FileExistsAny(d + "a\\b"), FileExistsAny(d + "a\\*.ntx")}),
            std::vector({true, true, false}));
  // Hidden files, folders and missing names are not plain files.
  EXPECT_EQ(std::vector({IsPlainFile(d + "a\\Data.DBF"), IsPlainFile(d + "a\\.hidden"), IsPlainFile(d + "a\\b"),
                         IsPlainFile(d + "a\\none")}),
            std::vector({true, false, false, false}));
  ::chmod((d + "a/Data.DBF").c_str(), 0444);
  EXPECT_FALSE(IsPlainFile(d + "a\\Data.DBF"));
}

TEST(ArcGlobals, DeleteOrRecycle) {
  TempDir dir;
  ::setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
  test::WriteBytes(dir / "gone.txt", "1");
  test::WriteBytes(dir / "kept.txt", "2");
  EXPECT_TRUE(DeleteOrRecycle(dir / "gone.txt", doFinal));
  EXPECT_FALSE(DeleteOrRecycle(dir / "gone.txt", doFinal));
  EXPECT_FALSE(DeleteOrRecycle(dir / "gone.txt", doAllowUndo));
  EXPECT_TRUE(DeleteOrRecycle(dir / "kept.txt", doAllowUndo));
  test::WriteBytes(dir / "kept.txt", "3");
  EXPECT_TRUE(DeleteOrRecycle(dir / "kept.txt", doAllowUndo));  // a second one of that name
  EXPECT_EQ(test::ReadBytes(dir / "share/Trash/files/kept.txt"), "2");
  EXPECT_EQ(test::ReadBytes(dir / "share/Trash/files/kept.txt.2"), "3");
  EXPECT_NE(test::ReadBytes(dir / "share/Trash/info/kept.txt.trashinfo").find("Path=" + dir.Dir() + "kept.txt"),
            std::string::npos);
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace vm
