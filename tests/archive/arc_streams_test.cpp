#include "archive/components/arc_streams.h"

#include <gtest/gtest.h>

#include <string>

#include "stream_helpers.h"
#include "support/oracle_tools.h"
#include "support/temp_dir.h"

namespace vm {
namespace {

using test::TempDir;

TEST(FileStream32, MissingFileLeavesNoHandleAndNoException) {
  TempDir dir;
  TFileStream32 s(dir / "missing.bin", kOpenRead | kShareDenyWrite);
  EXPECT_FALSE(s.Opened());
  char c;
  EXPECT_EQ(s.Read(&c, 1), 0);
}

TEST(FileStream32, CreateWritesSeeksAndTruncates) {
  TempDir dir;
  const std::string path = dir / "a.bin";
  test::WriteBytes(path, "old content that is long");
  {
    TFileStream32 s(path, kCreateMode);
    ASSERT_TRUE(s.Opened());
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.Write("hello world", 11), 11);
    EXPECT_EQ(s.Seek(-5, soEnd), 6);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 5);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(s.Seek(-1, soBeginning), -1);
    s.SetSize(5);
    EXPECT_EQ(s.Position(), 5);
  }
  EXPECT_EQ(test::ReadBytes(path), "hello");
  TFileStream32 appendTo(dir.Dir() + "a.bin", kOpenReadWrite);
  ASSERT_TRUE(appendTo.Opened());
  appendTo.Seek(0, soEnd);
  appendTo.WriteBuffer("!", 1);
  EXPECT_EQ(appendTo.GetSize(), 6);
}

TEST(HandleStream32, LeavesTheFileOpenWhenDestroyed) {
  TempDir dir;
  auto file = Files().Open(dir / "h.bin", FileMode::Create);
  ASSERT_TRUE(file);
  { THandleStream32 s(file.get()); s.WriteBuffer("abc", 3); }
  EXPECT_EQ(file->Size(), 3);
  EXPECT_TRUE(file->WriteAt(3, "d", 1));
}

TEST(MemoryStream32, GrowsInSteps_SeeksPastTheEnd_AndReadsNothingThere) {
  TMemoryStream32 m;
  EXPECT_EQ(m.Write("abc", 3), 3);
  EXPECT_EQ(m.Capacity(), 8192);
  EXPECT_EQ(m.Seek(100, soBeginning), 100);
  char c;
  EXPECT_EQ(m.Read(&c, 1), 0);
  EXPECT_EQ(m.Write("z", 1), 1);  // the gap is zero-filled
  EXPECT_EQ(m.Size(), 101);
  EXPECT_EQ(m.Memory()[50], 0);
  m.SetCapacity(101);
  EXPECT_EQ(m.Capacity(), 101);  // a request equal to the size keeps its exact value
  m.SetSize(10);
  EXPECT_EQ(m.Position(), 10);
  EXPECT_EQ(m.Capacity(), 8192);
  m.SetCapacity(9000);
  EXPECT_EQ(m.Capacity(), 16384);
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
  EXPECT_EQ(m.Memory(), nullptr);
}

TEST(Stream32CopyFrom, CountZeroRewindsAndCopiesAll_CancelCopiesNothing_ShortSourceThrows) {
  TMemoryStream32 src;
  const std::string data = test::RandomBytes(200000, 1);
  src.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
  TMemoryStream32 dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 200000);
  EXPECT_TRUE(test::Bytes(dst) == data);

  bool cancel = true;
  TMemoryStream32 none;
  none.CancelFlag = &cancel;
  src.Seek(0, soBeginning);
  EXPECT_EQ(none.CopyFrom(src, 5000), 5000);
  EXPECT_EQ(none.Size(), 0);

  test::Load(src, "abc");
  EXPECT_THROW(dst.CopyFrom(src, 10), TArcStreamError);
}

}  // namespace
}  // namespace vm
