// A full disk, a failed rename and links planted by a rival, in the
// compressor and the extractor: reported, nothing written through a link,
// and no half-written archive or member where a whole one stood.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "archive/components/arc_messages.h"
#include "archive/components/bh_compressor.h"
#include "bh_test_support.h"
#include "support/faulty_files.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

class BhDiskFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFolder(tmp_.Dir() + "src/", {{"a.dbf", test::RussianText(200000)}, {"b.bin", test::RandomBytes(100000, 3)}});
  }
  int32_t Pack(std::vector<int>& codes) {
    TBhCompressor comp;
    comp.SetCompressMethod(cmFuse);
    comp.RecurseDirs = false;
    comp.OnError = [&](const std::string&, const std::string&, const std::string&, int code) { codes.push_back(code); };
    comp.SetArchiveFile(archive_);
    comp.FileSpec = {tmp_.Dir() + "src/*.*"};
    return comp.Compress();
  }
  std::vector<std::string> Leftovers(const std::string& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string name = e.path().filename().string();
      if (e.path().extension() == ".tmp" || name.rfind(".~", 0) == 0 || IsTemporaryFileName(name))
        found.push_back(name);
    }
    return found;
  }

  test::TempDir tmp_;
  std::string archive_ = tmp_.Dir() + "arc.BH";
};

TEST_F(BhDiskFaults, FullDiskWhilePackingKeepsTheOldArchive) {
  std::vector<int> codes;
  ASSERT_EQ(Pack(codes), 2);
  const std::string before = test::GetFile(archive_);
  test::PutFile(tmp_.Dir() + "src/c.txt", test::RussianText(50000));
  {
    test::FaultyFileSystem faulty;
    faulty.WriteBudget = 1000;
    codes.clear();
    TBhCompressor comp;
    comp.RecurseDirs = false;
    comp.OnError = [&](const std::string&, const std::string&, const std::string&, int code) { codes.push_back(code); };
    comp.SetArchiveFile(archive_);
    comp.FileSpec = {tmp_.Dir() + "src/c.txt"};
    EXPECT_EQ(comp.Compress(), 0);
  }
  EXPECT_FALSE(codes.empty());
  EXPECT_TRUE(test::GetFile(archive_) == before);
  EXPECT_TRUE(Leftovers(tmp_.Dir()).empty());
}

TEST_F(BhDiskFaults, FullDiskWhileExtractingLeavesNoPartialMember) {
  std::vector<int> codes;
  ASSERT_EQ(Pack(codes), 2);
  fs::create_directories(tmp_ / "out");
  test::PutFile(tmp_.Dir() + "out/a.dbf", "the old one");
  {
    test::FaultyFileSystem faulty;
    faulty.WriteBudget = 5000;
    EXPECT_EQ(test::ExtractInto(archive_, tmp_.Dir() + "out", &codes), 0);
  }
  EXPECT_NE(std::find(codes.begin(), codes.end(), kErrWriting), codes.end());
  EXPECT_EQ(test::GetFile(tmp_.Dir() + "out/a.dbf"), "the old one");
  EXPECT_FALSE(test::FileThere(tmp_.Dir() + "out/b.bin"));
  EXPECT_TRUE(Leftovers(tmp_.Dir() + "out").empty());
}

TEST_F(BhDiskFaults, FailedRenameIsReportedAndCleanedUp) {
  std::vector<int> codes;
  ASSERT_EQ(Pack(codes), 2);
  {
    test::FaultyFileSystem faulty;
    faulty.FailRename = true;
    EXPECT_EQ(test::ExtractInto(archive_, tmp_.Dir() + "out", &codes), 0);
    fs::remove(archive_);
    codes.clear();
    EXPECT_EQ(Pack(codes), 0);
    EXPECT_FALSE(test::FileThere(archive_));
  }
  EXPECT_FALSE(codes.empty());
  EXPECT_TRUE(Leftovers(tmp_.Dir() + "out").empty());
  EXPECT_TRUE(Leftovers(tmp_.Dir()).empty());
}

// Links to a file outside, planted at the names earlier versions wrote
// the new archive and each member to before renaming it into place.
void PlantAtOldTemporaryNames(const std::string& dir, const fs::path& victim) {
  const std::string pid = std::to_string(::getpid());
  for (int n = 1; n <= 2000; ++n) {
    const std::string serial = pid + "-" + std::to_string(n);
    fs::create_symlink(victim, fs::path(dir) / ("arc" + serial + ".tmp"));
    fs::create_symlink(victim, fs::path(dir) / (".~" + serial + ".arc"));
  }
}

TEST_F(BhDiskFaults, LinksPlantedAtTemporaryNamesReceiveNothing) {
  const fs::path victim = tmp_ / "victim";
  test::PutFile(victim.string(), "keep me");
  fs::create_directories(tmp_ / "out");
  PlantAtOldTemporaryNames(tmp_.Dir(), victim);
  PlantAtOldTemporaryNames(tmp_.Dir() + "out", victim);
  std::vector<int> codes;
  {
    // And a rival who guesses every other fresh name drawn.
    test::FaultyFileSystem rival;
    rival.LinkTarget = victim.string();
    rival.PlantLinkEvery = 2;
    EXPECT_EQ(Pack(codes), 2);
    EXPECT_EQ(test::ExtractInto(archive_, tmp_.Dir() + "out", &codes), 2);
    EXPECT_GE(rival.NewNames.size(), 3u);
  }
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(test::GetFile(victim.string()), "keep me");
  EXPECT_FALSE(fs::is_symlink(archive_));
  for (const char* name : {"a.dbf", "b.bin"}) {
    EXPECT_FALSE(fs::is_symlink(fs::path(tmp_ / "out") / name)) << name;
    EXPECT_EQ(test::GetFile(tmp_.Dir() + "out/" + name), test::GetFile(tmp_.Dir() + "src/" + name)) << name;
  }
}

}  // namespace
}  // namespace vm
