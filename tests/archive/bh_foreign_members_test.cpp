// Fused members whose data another LHA coder made (the Java LHA tool's lh5
// and lh6 streams), wrapped in ".BH" headers as methods 1 and 3: the
// extractor and the Python reader both restore the bytes.
#include <gtest/gtest.h>

#include "archive/components/bh_extractor.h"
#include "bh_test_support.h"

namespace vm {
namespace {

TEST(BhForeignMembers, LhaStreamsAsFusedMembers) {
  test::TempDir dir;
  const std::string plain = test::TextBytes(120000, 31) + test::RandomBytes(3000, 32) + test::TextBytes(30000, 33);
  test::WriteBytes(dir / "input.txt", plain);
  std::string archive;
  for (const auto& [option, method] : {std::pair{std::string("o5"), 1}, std::pair{std::string("o6"), 3}}) {
    const std::string lzh = dir / (option + ".lzh");
    ASSERT_TRUE(test::RunTool("cd " + test::Quote(dir.Dir()) + " && jlha a" + option + "q " + test::Quote(lzh) +
                              " input.txt"));
    const test::LzhMember m = test::FirstLzhMember(test::ReadBytes(lzh));
    ASSERT_TRUE(m.Ok);
    test::RawMember member;
    member.Name = "from-" + option + ".txt";
    member.Method = static_cast<uint8_t>(method);
    member.Data = m.Packed;
    member.Unpacked = m.Original;
    member.Crc = test::Crc32Of(plain);
    archive += test::RawMemberBytes(member);
  }
  test::WriteBytes(dir / "foreign.BH", archive);
  std::vector<int> codes;
  EXPECT_EQ(test::ExtractInto(dir / "foreign.BH", dir / "out", &codes), 2);
  EXPECT_TRUE(codes.empty());
  EXPECT_TRUE(test::ReadBytes(dir / "out/from-o5.txt") == plain);
  EXPECT_TRUE(test::ReadBytes(dir / "out/from-o6.txt") == plain);

  const std::string tool = std::string(VELOMAR_SOURCE_DIR) + "/tests/archive/tools/bh_tool.py";
  std::filesystem::create_directories(dir / "py");
  ASSERT_TRUE(test::RunTool("python3 " + test::Quote(tool) + " extract " + test::Quote(dir / "foreign.BH") + " " +
                            test::Quote(dir / "py")));
  EXPECT_TRUE(test::ReadBytes(dir / "py/from-o5.txt") == plain);
  EXPECT_TRUE(test::ReadBytes(dir / "py/from-o6.txt") == plain);
}

}  // namespace
}  // namespace vm
