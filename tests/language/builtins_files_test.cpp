#include <gtest/gtest.h>

#include "language/program_rig.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

TEST(FileBuiltins, PathPartsAndDirectories) {
  ProgramRig rig;
  TempDir tmp;
  rig.Var("D", Str(""));
  rig.Var("E", Str(""));
  rig.Var("NOEXT", Str("x"));
  rig.Var("A", Num(-1));
  rig.Var("B", Num(-1));
  rig.Var("C", Num(-1));
  rig.Var("ROOT", Str(tmp.Dir()));
  ASSERT_TRUE(rig.Run(R"(
    D := FILEDIR('C:\DATA\IN\FILE.TXT')
    E := FILEEXT('C:\DATA\IN\FILE.TXT')
    NOEXT := FILEEXT('C:\DA.TA\FILE')
    A := CHECKDIR(ROOT + 'a\b\c', 0)
    B := CHECKDIR(ROOT + 'a\b\c', 1)
    C := CHECKDIR(ROOT + 'a\b\c', 0)
ENDSECTION)")) << rig.Message;
  EXPECT_EQ(rig.Value("D").Str, "C:\\DATA\\IN\\");
  EXPECT_EQ(rig.Value("E").Str, "TXT");
  EXPECT_EQ(rig.Value("NOEXT").Str, "");
  EXPECT_EQ(rig.Num("A"), 0);
  EXPECT_EQ(rig.Num("B"), 1);
  EXPECT_EQ(rig.Num("C"), 1);
}

TEST(FileBuiltins, CopyReplacesWholeAndNeverCopiesOntoItself) {
  ProgramRig rig;
  TempDir tmp;
  WriteBytes(tmp / "src.txt", "new contents");
  WriteBytes(tmp / "dst.txt", "old");
  rig.Var("DIR", Str(tmp.Dir()));
  ASSERT_TRUE(rig.Run("COPYFILE(DIR + 'src.txt', DIR + 'dst.txt')\n"
                      "COPYFILE(DIR + 'src.txt', DIR + '.\\SRC.TXT')\n"
                      "COPYFILE(DIR + 'missing.txt', DIR + 'src.txt')\nENDSECTION"));
  EXPECT_EQ(ReadBytes(tmp / "dst.txt"), "new contents");
  EXPECT_EQ(ReadBytes(tmp / "src.txt"), "new contents");
  ASSERT_TRUE(rig.Run("ERASEFILE(DIR + 'dst.txt')\nERASEFILE(DIR + 'never.txt')\nENDSECTION"));
  EXPECT_FALSE(std::filesystem::exists(tmp / "dst.txt"));
}

}  // namespace
}  // namespace vm::test
