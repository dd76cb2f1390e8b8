#include <gtest/gtest.h>

#include "language/program_rig.h"
#include "foundation/data_dir.h"
#include "support/program_home.h"
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

TEST(FileBuiltins, PathsOfTheProgramAndTheData) {
  ProgramHome home;
  const std::string oldData = DataDir();
  SetDataDir(home.Dir() + "data/");
  ProgramRig rig;
  rig.Var("P", Str(""));
  rig.Var("D", Str(""));
  ASSERT_TRUE(rig.Run("P := LOCALPATH(0)\nD := GETPATH(0)\nENDSECTION"));
  EXPECT_EQ(rig.Value("P").Str, home.Dir());
  EXPECT_EQ(rig.Value("D").Str, home.Dir() + "data/");
  SetDataDir(oldData);
}

TEST(FileBuiltins, EraseDirKeepsRootsAndTheProgramAndDataDirectories) {
  ProgramHome home;
  const std::string oldData = DataDir();
  std::filesystem::create_directories(home / "data/sub");
  std::filesystem::create_directories(home / "work/tmp/deep");
  WriteBytes(home / "data/base.dbf", "x");
  WriteBytes(home / "work/tmp/deep/f.txt", "x");
  SetDataDir(home.Dir() + "data/");
  ProgramRig rig;
  rig.Var("HOME", Str(home.Dir()));
  const std::string parent = std::filesystem::path(home.Dir()).parent_path().parent_path().string();
  rig.Var("PARENT", Str(parent));
  ASSERT_TRUE(rig.Run("ERASEDIR('')\nERASEDIR('/')\nERASEDIR('C:\\')\nERASEDIR(HOME)\n"
                      "ERASEDIR(PARENT)\nERASEDIR(HOME + 'DATA')\nERASEDIR(HOME + 'data/../data/')\n"
                      "ERASEDIR(HOME + 'work\\tmp')\nENDSECTION"));
  EXPECT_TRUE(std::filesystem::exists(home / "data/base.dbf"));
  EXPECT_TRUE(std::filesystem::exists(home / "work"));
  EXPECT_FALSE(std::filesystem::exists(home / "work/tmp"));
  SetDataDir(oldData);
}

TEST(FileBuiltins, RunErrorsReachTheErrorLogHeadless) {
  ProgramHome home;
  {
    ProgramRig rig;
    rig.Ui.LogToFile = true;
    rig.Var("A", Num(0));
    rig.Run("A := 1/0\nENDSECTION");
  }
  CloseErrorLog();
  const std::string log = ReadBytes(home / "Errors.log");
  EXPECT_NE(log.find("\r\n  = = = = "), std::string::npos);
  EXPECT_NE(log.find("  A := 1/0\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vm::test
