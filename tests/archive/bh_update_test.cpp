// The compressor on an archive that exists: members kept, replaced,
// renamed, deleted and read; a cancelled run; encrypted members.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "archive/components/arc_messages.h"
#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

class BhUpdate : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeFolder(tmp_.Dir() + "src/", {{"a.txt", test::RussianText(4000)}, {"b.txt", "bbbb"}});
    comp_.RecurseDirs = false;
    comp_.SetCompressMethod(cmFuse);
    comp_.SetArchiveFile(archive_);
    comp_.OnError = [this](const std::string&, const std::string& ext, const std::string&, int code) {
      codes_.push_back(code);
      extended_.push_back(ext);
    };
    comp_.FileSpec = {tmp_.Dir() + "src/*.*"};
    ASSERT_EQ(comp_.Compress(), 2);
  }
  Files ExtractAll() {
    fs::remove_all(tmp_ / "out");
    TUnBh ext;
    ext.SetArchiveFile(archive_);
    ext.SetExtractDir(tmp_.Dir() + "out");
    ext.FileSpec = {"*.*"};
    ext.Passwords = passwords_;
    ext.Extract();
    Files got;
    if (fs::exists(tmp_ / "out"))
      for (const auto& e : fs::directory_iterator(tmp_ / "out")) got[e.path().filename().string()] = test::GetFile(e.path().string());
    return got;
  }

  test::TempDir tmp_;
  std::string archive_ = tmp_.Dir() + "arc.BH";
  TBhCompressor comp_;
  std::vector<int> codes_;
  std::vector<std::string> extended_;
  std::vector<std::string> passwords_;
};

TEST_F(BhUpdate, NewFilesJoinTheKeptMembers) {
  fs::create_directories(tmp_ / "more");
  test::PutFile(tmp_.Dir() + "more/c.txt", "cccc");
  comp_.FileSpec = {tmp_.Dir() + "more/*.*"};
  EXPECT_EQ(comp_.Compress(), 1);
  EXPECT_EQ(ExtractAll(), Files({{"a.txt", test::RussianText(4000)}, {"b.txt", "bbbb"}, {"c.txt", "cccc"}}));
}

TEST_F(BhUpdate, AChangedFileReplacesItsMemberOnlyThroughTheReplaceEvent) {
  test::PutFile(tmp_.Dir() + "src/b.txt", "changed");
  comp_.FileSpec = {tmp_.Dir() + "src/b.txt"};
  EXPECT_EQ(comp_.Compress(), 0);
  ASSERT_FALSE(codes_.empty());
  EXPECT_EQ(std::tuple(codes_.front(), extended_.front()), std::tuple(kErrNoEvent, std::string("OnReplaceFile")));
  EXPECT_EQ(ExtractAll().at("b.txt"), "bbbb");

  comp_.OnReplaceFile = [](const std::string&, const std::string&, double, double, int64_t, int64_t, int32_t,
                           int32_t, bool& replace) { replace = true; };
  EXPECT_EQ(comp_.Compress(), 1);
  EXPECT_EQ(ExtractAll(), Files({{"a.txt", test::RussianText(4000)}, {"b.txt", "changed"}}));
}

TEST_F(BhUpdate, DeleteDropsTheMatchingMembers) {
  comp_.Switch = swDelete;
  comp_.FileSpec = {"a.txt"};
  EXPECT_EQ(comp_.Compress(), 1);
  EXPECT_EQ(ExtractAll(), Files({{"b.txt", "bbbb"}}));
}

TEST_F(BhUpdate, ReadingPassWalksEveryMember) {
  comp_.Switch = swRead;
  std::vector<int32_t> seen;
  comp_.OnRead = [&](int32_t offset, int32_t number) { seen.push_back(number * 1000000 + offset); };
  comp_.Compress();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], 1000000);  // member 1 at offset 0
}

TEST_F(BhUpdate, CancelledRunLeavesTheOldArchiveWhole) {
  const std::string before = test::GetFile(archive_);
  test::MakeFolder(tmp_.Dir() + "big/", {{"x.bin", test::RandomBytes(500000, 1)}, {"y.bin", test::RandomBytes(500000, 2)}});
  comp_.FileSpec = {tmp_.Dir() + "big/*.*"};
  comp_.OnProgress = [this](uint8_t, uint8_t) { comp_.SetCancel(true); };
  EXPECT_EQ(comp_.Compress(), 0);
  EXPECT_NE(std::find(codes_.begin(), codes_.end(), kErrCanceled), codes_.end());
  EXPECT_TRUE(test::GetFile(archive_) == before);
  for (const auto& e : fs::directory_iterator(tmp_.Dir())) EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST_F(BhUpdate, EncryptedMembersNeedTheirPassword) {
  comp_.Password = "секрет"_w;
  for (const TCompressMethod method : {cmFuse, cmDeflate}) {
    fs::remove(archive_);
    comp_.SetCompressMethod(method);
    ASSERT_EQ(comp_.Compress(), 2);
    EXPECT_EQ(test::GetFile(archive_)[9] & 1, 1);
    EXPECT_TRUE(ExtractAll().empty());  // no password, nothing written
    passwords_ = {"wrong", "секрет"_w};
    EXPECT_TRUE(ExtractAll() == Files({{"a.txt", test::RussianText(4000)}, {"b.txt", "bbbb"}}));
    passwords_.clear();
  }
}

// Of a thousand wrong passwords listed before the right one, a few pass the
// header's one check byte of some member; each of those must still give way
// to the right one rather than cost the member.
TEST_F(BhUpdate, AWrongPasswordThatPassesTheHeaderGivesWayToTheRightOne) {
  comp_.Password = "секрет"_w;
  comp_.SetCompressMethod(cmDeflate);
  fs::remove(archive_);
  ASSERT_EQ(comp_.Compress(), 2);
  const Files all{{"a.txt", test::RussianText(4000)}, {"b.txt", "bbbb"}};
  int lost = 0;
  for (int i = 0; i < 1200; ++i) {
    passwords_ = {"p" + std::to_string(i), "секрет"_w};
    if (ExtractAll() != all) ++lost;
  }
  EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

TEST(BhSelection, ExcludedSkippedAndMovedFiles) {
  test::TempDir tmp;
  test::MakeFolder(tmp.Dir() + "src/", {{"a.dbf", "aaaa"}, {"b.bin", "bbbb"}, {"c.log", "cccc"}, {"d.dbf", "dddd"}});
  TBhCompressor comp;
  comp.RecurseDirs = false;
  comp.SetArchiveFile(tmp.Dir() + "sel.BH");
  comp.FileSpec = {tmp.Dir() + "src/*.*"};
  comp.ExcludeSpec = {"*.bin"};
  comp.SkipExtensions = {".log"};
  comp.Switch = swMove;
  comp.DeleteOptions = doFinal;
  std::vector<std::string> deleted;
  comp.OnDeleteFile = [&](const std::string& name, int32_t, int32_t) { deleted.push_back(name); };
  EXPECT_EQ(comp.Compress(), 2);
  EXPECT_EQ(deleted.size(), 2u);
  EXPECT_EQ(std::tuple(test::FileThere(tmp.Dir() + "src/a.dbf"), test::FileThere(tmp.Dir() + "src/b.bin"),
                       test::FileThere(tmp.Dir() + "src/c.log")),
            std::tuple(false, true, true));

  std::vector<std::pair<std::string, bool>> ends;
  TUnBh ext;
  ext.OnEnd = [&](const std::string& name, bool pass) { ends.emplace_back(name, pass); };
  ext.SetArchiveFile(tmp.Dir() + "sel.BH");
  ext.SetExtractDir(tmp.Dir() + "out");
  ext.FileSpec = {"d.*"};
  EXPECT_EQ(ext.Extract(), 1);
  EXPECT_EQ(ends, (std::vector<std::pair<std::string, bool>>{{tmp.Dir() + "out/d.dbf", true}}));
}

}  // namespace
}  // namespace vm
