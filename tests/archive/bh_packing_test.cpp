#include "archive/bh_packing.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/components/arc_messages.h"
#include "bh_test_support.h"
#include "support/scripted_ui.h"

namespace vm {
namespace {

class BhPacking : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(tmp_ / "WORK"); }
  test::TempDir tmp_;
  test::ScriptedUi ui_;
  std::string work_ = tmp_.Dir() + "WORK/";
};

TEST_F(BhPacking, CombinedFileGoesThroughAFusedArchiveAndBack) {
  const std::string caf = test::RussianText(200000) + test::RandomBytes(5000, 9);
  test::PutFile(work_ + "Arch0001.CAF", caf);
  TArchivePacker packer(work_);
  ASSERT_TRUE(packer.PackCafToArchive(work_ + "Arch0001"));
  EXPECT_EQ(ui_.ProgressTexts.front(), "Идет упаковка баз данных ..."_w);
  EXPECT_EQ(ui_.ProgressMax, 20);
  EXPECT_GT(packer.ProgressCounter, 0);
  const std::string archive = test::GetFile(work_ + "Arch0001.BH");
  EXPECT_EQ(archive[10], 3);  // Fused
  EXPECT_LT(archive.size(), caf.size() / 2);

  std::filesystem::remove(tmp_ / "WORK/Arch0001.CAF");
  ASSERT_TRUE(packer.UnpackArchive(work_ + "Arch0001.BH"));
  EXPECT_EQ(ui_.ProgressTexts.back(), "Идет распаковка баз данных ..."_w);
  EXPECT_TRUE(test::GetFile(work_ + "Arch0001.CAF") == caf);
}

TEST_F(BhPacking, FailuresComeBackAsFalseWithTheCode) {
  TArchivePacker packer(work_);
  EXPECT_FALSE(packer.PackCafToArchive(work_ + "Missing"));
  EXPECT_EQ(packer.ErrorCode, kErrNothingToDo);
  EXPECT_FALSE(packer.UnpackArchive(work_ + "Missing.BH"));
  EXPECT_EQ(packer.ErrorCode, kErrFileNotFound);

  auto bad = test::StoredMember("Arch0002.CAF", "contents");
  bad.Crc ^= 1;
  test::PutFile(work_ + "Arch0002.BH", test::RawMemberBytes(bad));
  EXPECT_FALSE(packer.UnpackArchive(work_ + "Arch0002.BH"));
  EXPECT_EQ(packer.ErrorCode, kErrCrc);
  EXPECT_FALSE(test::FileThere(work_ + "Arch0002.CAF"));
}

}  // namespace
}  // namespace vm
