#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "archive/components/arc_messages.h"
#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::FileThere;
using test::GetFile;
using test::RawMemberBytes;
using test::StoredMember;

std::set<std::string> AllPaths(const std::string& root) {
  std::set<std::string> paths;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
    paths.insert(it->path().string());
  return paths;
}

class BhExtractSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(tmp_ / "ex");
    fs::create_directories(tmp_ / "outside");
    test::PutFile(tmp_.Dir() + "outside/victim", "keep me");
  }
  // Extracts an archive of the given members; returns the codes reported.
  std::vector<int> Extract(const std::vector<test::RawMember>& members, bool useStoredDirs,
                           std::string archive = "") {
    if (archive.empty()) archive = tmp_.Dir() + "arc.BH";
    std::string bytes;
    for (const auto& m : members) bytes += RawMemberBytes(m);
    test::PutFile(archive, bytes);
    std::vector<int> codes;
    written_ = test::ExtractInto(archive, tmp_.Dir() + "ex", &codes, useStoredDirs);
    return codes;
  }

  test::TempDir tmp_;
  int32_t written_ = 0;
};

// Names that could only land outside ExtractDir, in the spellings of both
// systems.
const char* const kHostileNames[] = {
    "../evil",
    "../../evil",
    "..\\evil",
    "a/../../evil",
    "a\\..\\..\\evil",
    "sub/./../../evil",
    "a/b/../../../evil",
    "../outside/victim",
    "..",
    "../",
    "/tmp/velomar-abs-evil",
    "\\velomar-root-evil",
    "//server/share/evil",
    "\\\\server\\share\\evil",
    "C:evil",
    "C:\\evil",
    "c:/evil",
    "ok/../../outside/victim",
    "",
    ".",
    "..\\..\\..\\..\\..\\..\\..\\tmp\\velomar-evil",
};

TEST_F(BhExtractSafety, HostileNamesWriteNothingOutside) {
  for (const bool useStoredDirs : {true, false}) {
    auto before = AllPaths(tmp_.Dir());
    before.erase(tmp_ / "arc.BH");
    std::vector<test::RawMember> members;
    for (const char* name : kHostileNames) members.push_back(StoredMember(name, "evil"));
    members.push_back(StoredMember(std::string("nul\0name", 8), "evil"));
    members.push_back(StoredMember("good.txt", "good"));
    const auto codes = Extract(members, useStoredDirs);
    EXPECT_EQ(written_, 1) << useStoredDirs;
    EXPECT_EQ(GetFile(tmp_.Dir() + "ex/good.txt"), "good");
    EXPECT_EQ(GetFile(tmp_.Dir() + "outside/victim"), "keep me");
    // The empty name matches no mask and "../" is a folder entry, which is
    // not created: both pass without a word; every other one is refused.
    EXPECT_EQ(std::count(codes.begin(), codes.end(), static_cast<int>(kErrUnsafePath)),
              static_cast<long>(std::size(kHostileNames) - 1));
    auto after = AllPaths(tmp_.Dir());
    after.erase(tmp_ / "ex/good.txt");
    after.erase(tmp_ / "arc.BH");
    EXPECT_EQ(after, before) << useStoredDirs;
    EXPECT_FALSE(FileThere("/tmp/velomar-abs-evil"));
    EXPECT_FALSE(FileThere("/tmp/velomar-evil"));
    fs::remove(tmp_ / "ex/good.txt");
  }
}

TEST_F(BhExtractSafety, LinksOutOfExtractDirAreNotFollowed) {
  fs::create_symlink(tmp_ / "outside", tmp_ / "ex/linkdir");
  fs::create_directories(tmp_ / "ex/real");
  fs::create_symlink(tmp_ / "outside", tmp_ / "ex/real/deeper");
  fs::create_symlink(tmp_ / "outside/victim", tmp_ / "ex/linkfile");
  fs::create_symlink(tmp_ / "outside/not-yet", tmp_ / "ex/dangling");
  fs::create_symlink("../outside", tmp_ / "ex/relative");
  const auto before = AllPaths(tmp_.Dir() + "outside");
  const auto codes = Extract({StoredMember("linkdir/victim", "evil"), StoredMember("linkdir/new", "evil"),
                              StoredMember("real/deeper/new", "evil"), StoredMember("linkfile", "evil"),
                              StoredMember("dangling", "evil"), StoredMember("relative/new", "evil"),
                              StoredMember("linkdir/sub/new", "evil"), StoredMember("LINKDIR/new", "evil"),
                              StoredMember("LinkFile", "evil"), StoredMember("REAL/Deeper/new", "evil")},
                             true);
  EXPECT_EQ(written_, 0);
  EXPECT_EQ(codes, std::vector<int>(10, kErrUnsafePath));
  EXPECT_EQ(AllPaths(tmp_.Dir() + "outside"), before);
  EXPECT_EQ(GetFile(tmp_.Dir() + "outside/victim"), "keep me");
}

TEST_F(BhExtractSafety, LinkInsideExtractDirIsFine) {
  fs::create_directories(tmp_ / "ex/real");
  fs::create_symlink(tmp_ / "ex/real", tmp_ / "ex/inner");
  const auto codes = Extract({StoredMember("inner/file", "data")}, true);
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/real/file"), "data");
}

TEST_F(BhExtractSafety, MemberNeverOverwritesTheArchiveBeingRead) {
  const std::string archive = tmp_.Dir() + "ex/self.BH";
  fs::create_symlink(tmp_ / "ex/self.BH", tmp_ / "ex/alias");
  const auto codes = Extract({StoredMember("self.BH", "evil"), StoredMember("alias", "evil"),
                              StoredMember("dir/../self.BH", "evil"), StoredMember("SELF.bh", "evil")},
                             true, archive);
  EXPECT_EQ(written_, 0);
  EXPECT_EQ(codes, std::vector<int>(4, kErrUnsafePath));
  EXPECT_EQ(GetFile(archive).substr(0, 4), std::string("BH\x05\x07", 4));
}

TEST_F(BhExtractSafety, CrcMismatchLeavesNoFileAndKeepsTheOldOne) {
  test::PutFile(tmp_.Dir() + "ex/old.txt", "the old contents");
  auto bad = StoredMember("old.txt", "damaged contents");
  bad.Crc ^= 1;
  auto badNew = StoredMember("new.txt", "damaged");
  badNew.Crc ^= 0x80000000u;
  const auto codes = Extract({bad, badNew, StoredMember("fine.txt", "fine")}, true);
  EXPECT_EQ(codes, (std::vector<int>{kErrCrc, kErrCrc}));
  EXPECT_EQ(written_, 1);
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/old.txt"), "the old contents");
  EXPECT_FALSE(FileThere(tmp_.Dir() + "ex/new.txt"));
  EXPECT_EQ(AllPaths(tmp_.Dir() + "ex").size(), 2u);  // old.txt and fine.txt, no leftovers
}

TEST_F(BhExtractSafety, LongNamesDoNotLoseTheNextMember) {
  const std::string longName = std::string(300, 'd') + "/long.txt";
  const auto codes = Extract({StoredMember(longName, "long"), StoredMember(std::string(256, 'e') + "/x.txt", "x"),
                              StoredMember("after.txt", "after")},
                             false);
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/long.txt"), "long");
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/x.txt"), "x");
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/after.txt"), "after");
}

TEST_F(BhExtractSafety, TruncatedLastHeaderEndsTheScanQuietly) {
  std::string bytes = RawMemberBytes(StoredMember("a.txt", "aaa"));
  bytes += RawMemberBytes(StoredMember("b.txt", "bbb")).substr(0, 20);
  test::PutFile(tmp_.Dir() + "cut.BH", bytes);
  std::vector<int> codes;
  EXPECT_EQ(test::ExtractInto(tmp_.Dir() + "cut.BH", tmp_.Dir() + "ex", &codes), 1);
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(GetFile(tmp_.Dir() + "ex/a.txt"), "aaa");
}

TEST_F(BhExtractSafety, UnknownMethodIsReportedAndLeavesNothing) {
  auto m = StoredMember("odd.txt", "data");
  m.Method = 5;
  const auto codes = Extract({m}, true);
  EXPECT_EQ(codes, std::vector<int>{kErrMethod});
  EXPECT_FALSE(FileThere(tmp_.Dir() + "ex/odd.txt"));
}

}  // namespace
}  // namespace vm
