// The small rules of the archive components: type detection, DOS stamps,
// stored names, exclusion, member selection and the file scan.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "archive/components/archive_root.h"
#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"
#include "archive/components/dos_time.h"
#include "archive/components/file_scan.h"
#include "bh_test_support.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

TArcType TypeOf(const std::string& path) {
  TArchiveRoot root;
  root.SetArchiveFile(path);
  return root.ArcType();
}

TEST(ArcTypeDetection, BhPlainAndAfterAProgram) {
  test::TempDir tmp;
  const std::string member = test::RawMemberBytes(test::StoredMember("a.txt", "some data here"));
  test::PutFile(tmp / "a.BH", member);
  test::PutFile(tmp / "sfx.exe", "MZ" + std::string(300, '\x90') + member);
  test::PutFile(tmp / "short.BH", member.substr(0, 19));
  test::PutFile(tmp / "lib.jar", std::string("PK\x03\x04", 4) + std::string(40, 'x'));
  test::PutFile(tmp / "other", std::string(40, 'x'));
  EXPECT_EQ(std::vector({TypeOf(tmp / "a.BH"), TypeOf(tmp / "sfx.exe"), TypeOf(tmp / "short.BH"),
                         TypeOf(tmp / "lib.jar"), TypeOf(tmp / "other")}),
            std::vector({atBh, atBhExe, atNA, atJar, atNA}));
  TArchiveRoot root;
  root.SetArchiveFile(tmp / "missing.BH");
  EXPECT_EQ(root.GetArchiveFile(), "");
}

TEST(ArcTypeDetection, ATarArchiveIsKnownByItsHeaderChecksum) {
  EXPECT_EQ(OctalToInt("0755"), 493);
  EXPECT_EQ(OctalToInt(" 07 55 x9"), 493);
  EXPECT_EQ(OctalToInt(""), 0);
  test::TempDir tmp;
  test::PutFile(tmp / "a.txt", "some data here");
  // Made by Python's tarfile, as another program would make it.
  ASSERT_TRUE(test::RunTool("cd " + test::Quote(tmp.Dir()) +
                            " && python3 -c 'import tarfile; t = tarfile.open(\"a.tar\", \"w\"); "
                            "t.add(\"a.txt\"); t.close()'"));
  std::string header = test::GetFile(tmp / "a.tar");
  ASSERT_GE(header.size(), 512u);
  // One byte of the header changed: the checksum no longer holds.
  header[0] ^= 1;
  test::PutFile(tmp / "damaged.tar", header);
  test::PutFile(tmp / "zeros.tar", std::string(1024, '\0'));
  EXPECT_EQ(std::vector({TypeOf(tmp / "a.tar"), TypeOf(tmp / "damaged.tar"), TypeOf(tmp / "zeros.tar")}),
            std::vector({atTar, atNA, atNA}));
}

TEST(ArcTypeDetection, SelfExtractingArchiveExtractsFromItsData) {
  test::TempDir tmp;
  test::PutFile(tmp / "sfx.exe", "MZ" + std::string(300, '\x90') +
                                     test::RawMemberBytes(test::StoredMember("a.txt", "inside")));
  TUnBh ext;
  ext.SetArchiveFile(tmp / "sfx.exe");
  ext.SetExtractDir(tmp.Dir() + "out");
  ext.FileSpec = {"*.*"};
  EXPECT_EQ(ext.Extract(), 1);
  EXPECT_EQ(test::GetFile(tmp.Dir() + "out/a.txt"), "inside");
}

TEST(DosStamps, ZeroAndImpossibleDates) {
  const double zero = DosDateTimeToDateTime(0);
  EXPECT_NEAR(zero, 29221.0 + 60.0 / 86400.0, 1e-9);
  const uint32_t month13 = (static_cast<uint32_t>((10 << 9) | (13 << 5) | 1) << 16);
  EXPECT_NEAR(DosDateTimeToDateTime(month13), zero, 1e-9);
  // 31 December 1999, 23:59:58.
  const uint32_t stamp = (static_cast<uint32_t>((19 << 9) | (12 << 5) | 31) << 16) | (23 << 11) | (59 << 5) | 29;
  EXPECT_NEAR(DosDateTimeToDateTime(stamp), 36525.0 + (86398.0 / 86400.0), 1e-9);
  EXPECT_EQ(UnixTimeToDosDateTime(DosDateTimeToUnixTime(stamp)), stamp);
}

TEST(StoredNames, EveryRule) {
  TBhCompressor c;
  const std::string path = "/data/work/base/sub/file.dbf";
  const std::string root = "/data/work/base/";
  const std::pair<TStoredDirNames, std::string> cases[] = {
      {sdNone, "file.dbf"},
      {sdFullPath, path},
      {sdFullPathNoDrv, path},
      {sdFullPathNoRoot, "data/work/base/sub/file.dbf"},
      {sdRelative, "sub/file.dbf"},
      {sdRelativeStoreStart, "base/sub/file.dbf"},
  };
  for (const auto& [rule, expected] : cases) {
    c.StoredDirNames = rule;
    EXPECT_EQ(c.StoredNameOf(path, root), expected) << static_cast<int>(rule);
  }
  c.StoredDirNames = sdRelative;
  EXPECT_EQ(c.StoredNameOf("/DATA/WORK/BASE/x.dbf", root), "x.dbf");
  EXPECT_EQ(c.StoredNameOf("/elsewhere/x.dbf", root), "/elsewhere/x.dbf");
  c.StoredDirNames = sdExplorer_UserDefineDefaultDir;
  c.DefaultDir = "/data/";
  EXPECT_EQ(c.StoredNameOf(path, root), "work/base/sub/file.dbf");
}

TEST(ExtractorSelection, MasksWithAndWithoutFolders) {
  using Masks = std::vector<std::string>;
  const std::tuple<std::string, Masks, Masks, bool> flat[] = {
      {"README", {"*.*"}, {}, true}, {"BASE.DBF", {"*.txt", "*.dbf"}, {}, true},
      {"BASE.DBF", {"*.*"}, {"base.*"}, false}, {"", {"*"}, {}, false}};
  for (const auto& [name, masks, excluded, match] : flat)
    EXPECT_EQ(TUnBase::MatchesFileSpec(name, masks, excluded), match) << name;
  const std::tuple<std::string, Masks, Masks, bool, bool> dirs[] = {
      {"sub/README", {"*.*"}, {}, true, true}, {"sub/a.dbf", {"sub/*.dbf"}, {}, false, true},
      {"other/a.dbf", {"sub/*.dbf"}, {}, false, false}, {"a.dbf", {"*"}, {"*.dbf"}, true, false}};
  for (auto [name, masks, excluded, recurse, match] : dirs)
    EXPECT_EQ(TUnBase::MatchesFileSpecDirs(name, masks, excluded, recurse), match) << name;

  const std::pair<std::string, std::string> parts[] = {
      {"C:\\", "C:\\"}, {"dir\\file.txt", "dir"}, {"a/b/c.txt", "a/b"}, {"c.txt", ""}};
  for (const auto& [path, dir] : parts) EXPECT_EQ(TUnBase::ExtractDirPart(path), dir) << path;
}

TEST(FileScan, ListModeMergesMasksOfOneFolder) {
  test::TempDir tmp;
  test::MakeFolder(tmp.Dir() + "d/", {{"a.dbf", "a"}, {"b.dbf", "bb"}, {"c.txt", "c"}, {"README", "r"}});
  fs::create_directories(tmp / "d/.hidden");
  test::PutFile(tmp / "d/.hidden/h.dbf", "h");
  fs::create_directories(tmp / "d/sub");
  test::PutFile(tmp / "d/sub/s.dbf", "s");

  TArcFileScan scan;
  std::vector<std::string> roots;
  scan.OnRootDirChange = [&](const std::string& d) { roots.push_back(d); };
  scan.SetFileSpec({tmp.Dir() + "d/*.dbf", tmp.Dir() + "d/a.dbf"});
  scan.RecurseDirs = false;
  scan.Scan();
  EXPECT_EQ(roots.size(), 1u);
  EXPECT_EQ(scan.FilesCount, 2);
  EXPECT_EQ(scan.FilesSize, 3);
  EXPECT_TRUE(scan.FileSpec.empty());

  scan.SetFileSpec({tmp.Dir() + "d/*.*"});
  scan.RecurseDirs = true;
  scan.Scan();
  EXPECT_EQ(scan.FilesCount, 5);  // README included, the hidden folder not
  scan.SetFileSpec({tmp.Dir() + "d/*.*"});
  scan.IncludeHiddenDirs = true;
  scan.Scan();
  EXPECT_EQ(scan.FilesCount, 6);

  scan.SetSorted(soBySize);
  for (int i = 1; i < scan.FilesList.Count(); ++i)
    EXPECT_LE(scan.FilesList[i - 1].Size, scan.FilesList[i].Size);
}

}  // namespace
}  // namespace vm

#include "support/scripted_ui.h"

namespace vm {
namespace {

TEST(TempDir, MissingFolderIsOfferedOnce) {
  test::TempDir tmp;
  test::ScriptedUi ui;
  TUnBh ext;
  ui.Answers = {kIdNo};
  ext.SetTempDir(tmp.Dir() + "no/such");
  EXPECT_EQ(ui.Boxes.size(), 1u);
  EXPECT_NE(ext.TempDir(), tmp.Dir() + "no/such/");
  EXPECT_FALSE(fs::exists(tmp / "no"));
  ui.Answers = {kIdYes};
  ext.SetTempDir(tmp.Dir() + "made/here");
  EXPECT_EQ(ext.TempDir(), tmp.Dir() + "made/here/");
  EXPECT_EQ(ui.Boxes.size(), 2u);
}

}  // namespace
}  // namespace vm
