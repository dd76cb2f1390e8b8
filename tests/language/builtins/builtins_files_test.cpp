#include <gtest/gtest.h>

#include <tuple>
#include <unistd.h>

#include "language/program_rig.h"
#include "config/data_dir.h"
#include "support/faulty_files.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

using FilePaths = vm::testing::FormulaTest;

TEST_F(FilePaths, PartsAndDirectories) {
  TempDir tmp;
  ctx.Symbols().AddVariable("ROOT", Str(tmp.Dir()));
  ExpectTexts({{R"(FILEDIR('C:\DATA\IN\FILE.TXT'))", "C:\\DATA\\IN\\"},
               {R"(FILEEXT('C:\DATA\IN\FILE.TXT'))", "TXT"},
               {R"(FILEEXT('C:\DA.TA\FILE'))", ""}});
  // Asked first, the directory is missing; asked to make it, it is there.
  ExpectNums({{R"(CHECKDIR(ROOT + 'a\b\c', 0))", 0}, {R"(CHECKDIR(ROOT + 'a\b\c', 1))", 1},
              {R"(CHECKDIR(ROOT + 'a\b\c', 0))", 1}});
}

TEST(FileBuiltins, CopyReplacesWholeAndNeverCopiesOntoItself) {
  ProgramRig rig;
  TempDir tmp;
  WriteBytes(tmp / "src.txt", "new contents");
  WriteBytes(tmp / "dst.txt", "old");
  rig.Var("DIR", Str(tmp.Dir()));
  std::filesystem::create_directory_symlink(tmp.Dir(), tmp / "same");
  std::filesystem::create_symlink(tmp / "src.txt", tmp / "alias.txt");
  ASSERT_TRUE(rig.Run("COPYFILE(DIR + 'src.txt', DIR + 'dst.txt')\n"
                      "COPYFILE(DIR + 'src.txt', DIR + '.\\SRC.TXT')\n"
                      "COPYFILE(DIR + 'src.txt', DIR + 'same\\src.txt')\n"
                      "COPYFILE(DIR + 'alias.txt', DIR + 'src.txt')\n"
                      "COPYFILE(DIR + 'missing.txt', DIR + 'src.txt')\nENDSECTION"));
  EXPECT_EQ(std::tuple(ReadBytes(tmp / "dst.txt"), ReadBytes(tmp / "src.txt")), std::tuple("new contents", "new contents"));
  EXPECT_TRUE(std::filesystem::is_symlink(tmp / "alias.txt"));
  ASSERT_TRUE(rig.Run("ERASEFILE(DIR + 'dst.txt')\nERASEFILE(DIR + 'never.txt')\nENDSECTION"));
  EXPECT_FALSE(std::filesystem::exists(tmp / "dst.txt"));
}

TEST(FileBuiltins, CopyNeverWritesThroughALinkBesideItsTarget) {
  ProgramRig rig;
  TempDir tmp;
  TempDir outside;
  WriteBytes(tmp / "src.txt", "new contents");
  WriteBytes(outside / "victim", "secret");
  rig.Var("DIR", Str(tmp.Dir()));
  // The name earlier versions copied through, planted in advance.
  std::filesystem::create_symlink(outside / "escaped",
                                  tmp / ("dst.txt." + std::to_string(::getpid()) + ".new"));
  {
    FaultyFileSystem rival;
    rival.LinkTarget = outside / "victim";
    rival.PlantLinkEvery = 2;
    ASSERT_TRUE(rig.Run("COPYFILE(DIR + 'src.txt', DIR + 'dst.txt')\n"
                        "COPYFILE(DIR + 'src.txt', DIR + 'other.txt')\nENDSECTION"));
    EXPECT_EQ(rival.NewNames.size(), 4u);
  }
  EXPECT_EQ(std::tuple(ReadBytes(tmp / "dst.txt"), ReadBytes(tmp / "other.txt"), ReadBytes(outside / "victim")),
            std::tuple("new contents", "new contents", "secret"));
  EXPECT_FALSE(std::filesystem::exists(outside / "escaped"));
}

TEST(FileBuiltins, PathsOfTheProgramAndTheData) {
  ProgramHome home;
  const std::string oldData = DataDir();
  SetDataDir(home.Dir() + "data/");
  ProgramRig rig;
  rig.Var("P", Str(""));
  rig.Var("D", Str(""));
  ASSERT_TRUE(rig.Run("P := LOCALPATH(0)\nD := GETPATH(0)\nENDSECTION"));
  EXPECT_EQ(std::tuple(rig.Value("P").Str, rig.Value("D").Str), std::tuple(home.Dir(), home.Dir() + "data/"));
  SetDataDir(oldData);
}

TEST(FileBuiltins, EraseDirKeepsRootsAndTheProgramAndDataDirectories) {
  ProgramHome home;
  const std::string oldData = DataDir();
  std::filesystem::create_directories(home / "data/sub");
  std::filesystem::create_directories(home / "work/tmp/deep");
  std::filesystem::create_directories(home / "other");
  WriteBytes(home / "data/base.dbf", "x");
  WriteBytes(home / "work/tmp/deep/f.txt", "x");
  WriteBytes(home / "other/keep.txt", "x");
  // Links lead to the data and elsewhere; neither target may suffer.
  std::filesystem::create_directory_symlink(home / "data", home / "work/to-data");
  std::filesystem::create_directory_symlink(home / "other", home / "work/to-other");
  SetDataDir(home.Dir() + "data/");
  ProgramRig rig;
  rig.Var("HOME", Str(home.Dir()));
  const std::string parent = std::filesystem::path(home.Dir()).parent_path().parent_path().string();
  rig.Var("PARENT", Str(parent));
  ASSERT_TRUE(rig.Run("ERASEDIR('')\nERASEDIR('/')\nERASEDIR('C:\\')\nERASEDIR(HOME)\n"
                      "ERASEDIR(PARENT)\nERASEDIR(HOME + 'DATA')\nERASEDIR(HOME + 'data/../data/')\n"
                      "ERASEDIR(HOME + 'work\\tmp')\nERASEDIR(HOME + 'work/to-data/')\n"
                      "ERASEDIR(HOME + 'work/to-other')\nENDSECTION"));
  namespace fs = std::filesystem;
  EXPECT_EQ(std::tuple(fs::exists(home / "data/base.dbf"), fs::exists(home / "other/keep.txt"), fs::exists(home / "work"),
                       fs::exists(fs::symlink_status(home / "work/to-other")), fs::exists(home / "work/tmp")),
            std::tuple(true, true, true, false, false));
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
