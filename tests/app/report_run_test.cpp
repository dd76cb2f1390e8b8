// Spreadsheet reports filled by documents run through velomar-run on the
// real LibreOffice Calc, and the files read back with openpyxl.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "run_rig.h"
#include "support/python_tools.h"

namespace vm::test {
namespace {

// The office processes whose profile lies under dir.
int OfficesUnder(const std::string& dir) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string cmdline = ReadBytes(entry.path().string() + "/cmdline");
    if (cmdline.find("soffice") != std::string::npos && cmdline.find(dir) != std::string::npos) ++count;
  }
  return count;
}

bool NoOfficeUnder(const std::string& dir) {
  for (int i = 0; i < 100; ++i) {
    if (OfficesUnder(dir) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// The office's profile goes into a folder of the test's own, where the
// test can tell its offices from any other.
class ReportRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* before = std::getenv("TMPDIR");
    if (before != nullptr) tmpBefore_ = before;
    ::setenv("TMPDIR", profiles.Dir().c_str(), 1);
  }
  void TearDown() override {
    if (tmpBefore_.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", tmpBefore_.c_str(), 1);
    }
    EXPECT_TRUE(NoOfficeUnder(profiles.Dir()));
  }
  std::string Path(const std::string& name) { return files / name; }

  TempDir profiles;
  TempDir files;
  RunRig rig;

 private:
  std::string tmpBefore_;
};

TEST_F(ReportRun, AThousandRowsFillATemplateSavedAsXlsxAndOds) {
  WriteWorkbook(Path("t.xlsx"), {"A1=Отчет на ДАТА", "A2=Товар", "B2=Цена", "C2=Кол-во", "A3=товар", "B3=#0",
                                 "C3=#0", "D3==B3*C3"});
  rig.AddDocuments({{"Отчет",
                     "VARS\n  R = N\n  S = N\n  I = N\n  F = N\n  RR = N\n  CC = N\nENDSECTION\n"
                     "BLANK\n  WIDTH = 800\nENDSECTION\nINIT\n"
                     "  R := ADDEXCELREPORT('" + Path("t.xlsx") + "', '" + Path("r.xlsx") + "')\n"
                     "  COPYEXCELROW(R, 1, 3, 4, 999)\n"
                     "  WHILE I, 1, I+1, I<=1000\n"
                     "    SETEXCELCELL(R, 1, I+2, 1, 'Товар ' + TOSTR(I, 0))\n"
                     "    SETEXCELCELL(R, 1, I+2, 2, '12.50')\n"
                     "    SETEXCELCELLN(R, 1, I+2, 3, I)\n"
                     "  ENDWHILE\n"
                     "  REPLACEWORDS(R, 1, 'дата', '07.12.2026', 1)\n"
                     "  F := FINDEXCELCELL(R, 1, 'ТОВАР 500', RR, CC)\n"
                     "  MESSAGE(0, TOSTR(F, 0) + ' ' + TOSTR(RR, 0) + ' ' + TOSTR(CC, 0) + ' ' + "
                     "GETEXCELCELL(R, 1, RR, 4) + ' ' + GETEXCELCELL(R, 1, 'B', '7') + "
                     "'|' + GETEXCELCELL(R, 2, 1, 1) + '|', 'Найдено')\n"
                     "  SETEXCELCELL(R, 2, 1, 1, 'нет листа')\n"
                     "  CLOSEREPORT(R, 1)\n"
                     "  S := ADDEXCELREPORT('" + Path("r.xlsx") + "', '" + Path("r.ods") + "')\n"
                     "  CLOSEREPORT(S, 1)\n"
                     "  S := OPENEXCELREPORT('" + Path("r.ods") + "')\n"
                     "  MESSAGE(0, GETEXCELCELL(S, 1, 1002, 1) + ' ' + GETEXCELCELL(S, 1, 'D', '1002'), 'ods')\n"
                     "ENDSECTION\n"}});
  const ProgramRun run = rig.Run("'Отчет'");
  EXPECT_EQ(run.Output, "[Найдено] 1 502 1 6250 12,5||\n[ods] Товар 1000 12500\n");
  const std::string cells = ReadWorkbook(Path("r.xlsx"));
  // The placeholder word makes the whole cell the replacement.
  std::string want = "Лист1:\nA1='07.12.2026'\nA2='Товар'\nB2='Цена'\nC2='Кол-во'\n";
  for (int i = 1; i <= 1000; ++i) {
    const std::string row = std::to_string(i + 2);
    want += "A" + row + "='Товар " + std::to_string(i) + "'\nB" + row + "=12.5\nC" + row + "=" +
            std::to_string(i) + "\nD" + row + "='=B" + row + "*C" + row + "'\n";
  }
  // Where they part, not a thousand rows of both.
  const auto [c, w] = std::mismatch(cells.begin(), cells.end(), want.begin(), want.end());
  EXPECT_TRUE(c == cells.end() && w == want.end())
      << std::string(c, cells.end()).substr(0, 200) << "\n---\n" << std::string(w, want.end()).substr(0, 200);
}

TEST_F(ReportRun, ClosingAllReportsClosesThreeAndTheirNumbersGo) {
  WriteWorkbook(Path("t.xlsx"), {"A1=шаблон"});
  std::string program;
  for (const char* n : {"1", "2", "3"})
    program += "  R := ADDEXCELREPORT('" + Path("t.xlsx") + "', '" + Path(std::string("r") + n + ".xlsx") +
               "')\n  SETEXCELCELLN(R, 1, 2, 1, " + n + ")\n";
  rig.AddDocuments({{"Три отчета", "VARS\n  R = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\nINIT\n" +
                                       program + "  CLOSEALLREPORTS(1)\n  SAVEREPORT(2)\nENDSECTION\n"}});
  const ProgramRun run = rig.Run("'Три отчета'");
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Output.find("Неверный индекс отчета Excel"), std::string::npos) << run.Output;
  for (const char* n : {"1", "2", "3"})
    EXPECT_EQ(ReadWorkbook(Path(std::string("r") + n + ".xlsx")), std::string("Лист1:\nA1='шаблон'\nA2=") + n + "\n");
}

TEST_F(ReportRun, NoOfficeOutlivesAKilledProgram) {
  WriteWorkbook(Path("t.xlsx"), {"A1=шаблон"});
  rig.AddDocuments({{"Навсегда", "VARS\n  R = N\n  I = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\nINIT\n"
                                 "  R := ADDEXCELREPORT('" + Path("t.xlsx") + "', '" + Path("r.xlsx") + "')\n"
                                 "  WHILE I, 1, 1, I>0\n  ENDWHILE\nENDSECTION\n"}});
  const std::string pidFile = Path("pid");
  const std::string command = "cd " + ShellWord(rig.Dir()) + " && VELOMAR_HOME=" + ShellWord(rig.Dir()) + " " +
                              ShellWord(VELOMAR_RUN_EXE) + " 'Навсегда' </dev/null >/dev/null 2>&1 & echo $! >" +
                              ShellWord(pidFile);
  ASSERT_EQ(std::system(command.c_str()), 0);
  const int pid = std::atoi(ReadBytes(pidFile).c_str());
  ASSERT_GT(pid, 0);
  bool started = false;
  for (int i = 0; i < 300 && !started; ++i) {
    started = std::filesystem::exists(Path("r.xlsx"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(started) << "LibreOffice Calc did not make the report";
  EXPECT_GT(OfficesUnder(profiles.Dir()), 0);
  kill(pid, SIGKILL);
}

}  // namespace
}  // namespace vm::test
