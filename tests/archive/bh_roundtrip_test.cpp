#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "archive/components/arc_messages.h"
#include "archive/components/bh_compressor.h"
#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

using test::GetFile;
using test::Le16;
using test::Le32;

struct Reports {
  std::vector<int> codes;
  void Attach(TZipCommon& c) {
    c.OnError = [this](const std::string&, const std::string&, const std::string&, int code) {
      codes.push_back(code);
    };
  }
};

class BhRoundTrip : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    files_ = test::SampleFiles();
    test::MakeFolder(tmp_.Dir() + "src/", files_);
  }
  int32_t Pack(TCompressMethod method, TDeflateType deflate = dtDeflateN) {
    TBhCompressor comp;
    compReports_.Attach(comp);
    comp.SetCompressMethod(method);
    comp.DeflateType = deflate;
    comp.RecurseDirs = false;
    comp.SetArchiveFile(archive_);
    comp.FileSpec = {tmp_.Dir() + "src/*.*"};
    return comp.Compress();
  }
  int32_t Unpack() { return test::ExtractInto(archive_, tmp_.Dir() + "out", &extReports_.codes, false); }
  void ExpectFilesBack() {
    for (const auto& [name, bytes] : files_) {
      ASSERT_TRUE(test::FileThere(tmp_.Dir() + "out/" + name)) << name;
      EXPECT_TRUE(GetFile(tmp_.Dir() + "out/" + name) == bytes) << name;
    }
  }
  // Walks the members by the format's own table, without the component's
  // reader, and checks every field it can know.
  // Returns how many members are packed.
  int ExpectHeaders(const std::vector<uint8_t>& allowedMethods) {
    int packedMembers = 0;
    const std::string a = GetFile(archive_);
    std::size_t at = 0;
    std::size_t members = 0;
    while (at < a.size()) {
      if (a.size() - at < 37u) {
        ADD_FAILURE() << "cut header";
        return packedMembers;
      }
      EXPECT_EQ(a.substr(at, 4), std::string("BH\x05\x07", 4));
      const uint16_t nameLen = Le16(a, at + 33), extraLen = Le16(a, at + 35);
      const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<uint8_t>(a[at + i])); };
      // Header size, versions, no encryption, no comment, no extra field, archive attribute.
      EXPECT_EQ(std::tuple(byte(6), Le16(a, at + 4), byte(7), byte(8), byte(9) & 1, Le32(a, at + 29), extraLen,
                           Le16(a, at + 27)),
                std::tuple(37, 37 + nameLen, 6, 3, 0, 0u, 0, 0x20));
      const uint8_t method = static_cast<uint8_t>(a[at + 10]);
      const uint32_t packed = Le32(a, at + 15), unpacked = Le32(a, at + 19), crc = Le32(a, at + 23);
      const std::string name = DosToWinStr(a.substr(at + 37, nameLen));
      if (!files_.count(name)) {
        ADD_FAILURE() << name;
        return packedMembers;
      }
      const std::string& data = files_[name];
      EXPECT_EQ(std::tuple(unpacked, crc), std::tuple(data.size(), test::Crc32Of(data))) << name;
      if (data.empty() || method == 0) {
        EXPECT_EQ(std::tuple(method, packed), std::tuple(0, data.size())) << name;
      } else {
        ++packedMembers;
        EXPECT_NE(std::find(allowedMethods.begin(), allowedMethods.end(), method), allowedMethods.end()) << name;
        // Deflate may grow random data; Fused output is kept only when smaller.
        if (method == 3) {
          EXPECT_LT(packed, data.size()) << name;
        }
      }
      at += 37 + nameLen + extraLen + packed;
      ++members;
    }
    EXPECT_EQ(at, a.size());
    EXPECT_EQ(members, files_.size());
    return packedMembers;
  }

  test::TempDir tmp_;
  std::map<std::string, std::string> files_;
  std::string archive_ = tmp_.Dir() + "arc.BH";
  Reports compReports_, extReports_;
};

// The text files shrink under either method; under Fused the random one and
// the tiny ones are stored.
TEST_F(BhRoundTrip, DeflateAndFusedRoundTrip) {
  for (const auto& [method, code, atLeast] : {std::tuple{cmDeflate, uint8_t{8}, 4}, {cmFuse, uint8_t{3}, 3}}) {
    SCOPED_TRACE(static_cast<int>(code));
    EXPECT_EQ(Pack(method), static_cast<int32_t>(files_.size()));
    EXPECT_TRUE(compReports_.codes.empty());
    const int packed = ExpectHeaders({code});
    EXPECT_GE(packed, atLeast);
    EXPECT_TRUE(method != cmFuse || packed == 3) << packed;
    EXPECT_EQ(Unpack(), static_cast<int32_t>(files_.size()));
    EXPECT_TRUE(extReports_.codes.empty());
    ExpectFilesBack();
    std::filesystem::remove_all(tmp_.Dir() + "out");
    std::filesystem::remove(archive_);
  }
}

TEST_F(BhRoundTrip, StoredRoundTripIsLabelledMethodZero) {
  EXPECT_EQ(Pack(cmDeflate, dtDeflateS), static_cast<int32_t>(files_.size()));
  const std::string a = GetFile(archive_);
  for (std::size_t at = 0; at < a.size(); at += 37 + Le16(a, at + 33) + Le32(a, at + 15)) {
    EXPECT_EQ(std::tuple(a[at + 10], Le32(a, at + 15)), std::tuple(0, Le32(a, at + 19)));
  }
  EXPECT_EQ(Unpack(), static_cast<int32_t>(files_.size()));
  ExpectFilesBack();
}

TEST_F(BhRoundTrip, NothingToPackOrNowhereToPutItOrNothingToReadIsReported) {
  for (const auto& [archive, mask, code] :
       {std::tuple{archive_, std::string("src/*.none"), kErrNothingToDo},
        {tmp_.Dir() + "nowhere/arc.BH", std::string("src/*.*"), kErrInvalidDir}}) {
    TBhCompressor comp;
    Reports reports;
    reports.Attach(comp);
    comp.SetArchiveFile(archive);
    comp.FileSpec = {tmp_.Dir() + mask};
    EXPECT_EQ(comp.Compress(), 0);
    EXPECT_EQ(reports.codes, std::vector<int>{code});
    EXPECT_FALSE(test::FileThere(archive));
  }
  TUnBh ext;
  extReports_.Attach(ext);
  ext.SetArchiveFile(tmp_.Dir() + "none.BH");
  EXPECT_EQ(ext.Extract(), 0);
  EXPECT_EQ(extReports_.codes, std::vector<int>{kErrFileNotFound});

  TBhCompressor comp;
  comp.SetDefaultExt("BH");
  comp.SetArchiveFile(tmp_.Dir() + "plain");
  EXPECT_EQ(comp.GetArchiveFile(), tmp_.Dir() + "plain.bh");
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

namespace fs = std::filesystem;

TEST(BhFolders, TreeWithStoredFoldersAndAnEmptyOne) {
  test::TempDir tmp;
  test::MakeFolder(tmp.Dir() + "src/", {{"top.txt", "top"}});
  test::MakeFolder(tmp.Dir() + "src/Подпапка/"_w, {{"inner.dbf", test::RussianText(9000)}});
  test::MakeFolder(tmp.Dir() + "src/a/b/", {{"deep.txt", "deep"}});
  fs::create_directories(tmp / "src/empty");
  TBhCompressor comp;
  comp.SetCompressMethod(cmFuse);
  comp.RecurseDirs = true;
  comp.StoreEmptySubDirs = true;
  comp.SetArchiveFile(tmp.Dir() + "tree.BH");
  comp.FileSpec = {tmp.Dir() + "src/*.*"};
  EXPECT_EQ(comp.Compress(), 4);

  TUnBh ext;
  ext.CreateStoredDirs = true;
  ext.SetArchiveFile(tmp.Dir() + "tree.BH");
  ext.SetExtractDir(tmp.Dir() + "out");
  ext.FileSpec = {"*.*"};
  EXPECT_EQ(ext.Extract(), 3);
  EXPECT_TRUE(std::tuple(test::GetFile(tmp.Dir() + "out/top.txt"), test::GetFile(tmp.Dir() + "out/a/b/deep.txt"),
                         test::GetFile(tmp.Dir() + "out/Подпапка/inner.dbf"_w)) ==
              std::tuple("top", "deep", test::RussianText(9000)));
  EXPECT_TRUE(fs::is_directory(tmp / "out/empty"));
}

}  // namespace
}  // namespace vm
