// The spreadsheet services on the real LibreOffice Calc: each test starts
// the office through the service, fills workbooks made by openpyxl and
// reads what was saved back with openpyxl.
#include "platform/calc_spreadsheet.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "support/python_tools.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

TEST(CalcVersionRule, LeadingNumberAgainstTheMinimum) {
  EXPECT_TRUE(VersionAccepted("11.0", 8.0));
  EXPECT_FALSE(VersionAccepted("7.0", 8.0));
  EXPECT_TRUE(VersionAccepted("8.0a", 8.0));
  EXPECT_TRUE(VersionAccepted("7.99995", 8.0));
  EXPECT_FALSE(VersionAccepted("7.9998", 8.0));
  EXPECT_DOUBLE_EQ(LeadingVersionNumber("7.4.7.2"), 7.4);
  EXPECT_FALSE(VersionAccepted("", 8.0));
  EXPECT_TRUE(VersionAccepted("7.4.7.2", kCalcMinimumVersion));
}

TEST(CalcLink, FieldsSurviveTheLine) {
  const TCalcFields fields{"set", "a\tb", "c\\n", "line\r\nnext", ""};
  const std::string line = TCalcLink::Encode(fields);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  EXPECT_EQ(TCalcLink::Decode(line.substr(0, line.size() - 1)), fields);
}

// Gone, or a zombie its parent has not yet reaped.
bool ProcessGone(int pid) {
  for (int i = 0; i < 100; ++i) {
    const std::string stat = ReadBytes("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.compare(close, 4, ") Z ") == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

class CalcReports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(calc.Start()) << "LibreOffice Calc cannot be started: "
                              << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  }
  // A report made from a template of the cells given (UTF-8, see WriteWorkbook).
  std::unique_ptr<IWorkbook> Report(const std::vector<std::string>& cells, const std::string& name) {
    WriteWorkbook(dir / "template.xlsx", cells);
    std::string error;
    auto book = calc.CreateReport(dir / "template.xlsx", dir / name, error);
    EXPECT_TRUE(book) << Cp1251ToUtf8(error);
    return book;
  }
  std::string Saved(const std::string& name) { return ReadWorkbook(dir / name); }

  ScriptedUi ui;
  TempDir dir;
  TCalcSpreadsheet calc;
};

TEST_F(CalcReports, CellsAreReadWrittenFoundAndReplaced) {
  auto book = Report({"A1=Отчет на ДАТА", "A2=Товар", "B2=Цена", "A3=ИТОГО ДАТА", "B7=#2.25",
                      "E1=@2026-12-07", "E2=@2026-12-07T09:30:05"},
                     "r.xlsx");
  ASSERT_TRUE(book);
  // A number written the Russian way is a number; anything else a text.
  book->SetCell(1, 4, 2, "12,50");
  book->SetCell(1, 4, 1, "1.2.3");
  book->SetCellNum(1, 5, 2, -0.5);
  book->SetRange(1, "C4", "Сахар"_w);
  book->SetRangeNum(1, "D4", 3);
  EXPECT_EQ(book->GetCell(1, 4, 2), "12,5");
  EXPECT_EQ(book->GetRange(1, "B7"), "2,25");
  EXPECT_EQ(Cp1251ToUtf8(book->GetRange(1, "C4")), "Сахар");
  EXPECT_EQ(book->GetCell(1, 9, 9), "");
  // Dates read as the Russian locale writes them.
  EXPECT_EQ(book->GetCell(1, 1, 5) + "|" + book->GetRange(1, "E2"), "07.12.2026|07.12.2026 9:30:05");
  int32_t row = 0, column = 0;
  EXPECT_TRUE(book->FindCell(1, "товар"_w, row, column));
  EXPECT_EQ(std::pair(row, column), std::pair(2, 1));
  EXPECT_FALSE(book->FindCell(1, "нет такого"_w, row, column));
  // The replacement holds the word again: one sweep, and it ends.
  book->ReplaceWords(1, "дата"_w, "ДАТА и ДАТА"_w, true);
  book->ReplaceWords(1, "Товар"_w, "12.5", false);
  book->ReplaceWords(1, "", "пусто"_w, true);
  // A sheet the workbook lacks reads empty and takes nothing.
  book->SetCell(2, 1, 1, "x");
  EXPECT_EQ(book->GetCell(2, 1, 1), "");
  book->Close(true);
  EXPECT_EQ(Saved("r.xlsx"),
            "Лист1:\nA1='ДАТА и ДАТА'\nE1=datetime.datetime(2026, 12, 7, 0, 0)\nA2='12.5'\nB2='Цена'\n"
            "E2=datetime.datetime(2026, 12, 7, 9, 30, 5)\nA3='ДАТА и ДАТА'\n"
            "A4='1.2.3'\nB4=12.5\nC4='Сахар'\nD4=3\nB5=-0.5\nB7=2.25\n");
}

TEST_F(CalcReports, RowsCellsAndSheetsAreCopied) {
  auto book = Report({"A1=Шапка", "A2=строка", "B2=#1", "A3=блок1", "A4=блок2", "A5=низ", "C1=#7"}, "c.xlsx");
  ASSERT_TRUE(book);
  book->CopyRow(1, 2, 3, 2);        // rows 3, 4 copies of row 2; the block moves to 5, 6
  book->CopyRows(1, 5, 6, 7, 2);    // the block twice more at 7..10; "низ" to 11
  book->CopyRow(1, 11, 11, 1);      // the inserted row is copied onto itself: stays empty
  ASSERT_TRUE(book->CopyCell(1, 1, 3, 12, 2).Ok);
  book->CopySheet(1, 2);
  book->CopySheet(7, 1);
  book->Save();
  book->Close(false);
  const std::string sheet =
      "A1='Шапка'\nC1=7\nA2='строка'\nB2=1\nA3='строка'\nB3=1\nA4='строка'\nB4=1\n"
      "A5='блок1'\nA6='блок2'\nA7='блок1'\nA8='блок2'\nA9='блок1'\nA10='блок2'\nA12='низ'\nB12=7\n";
  EXPECT_EQ(Saved("c.xlsx"), "Лист1:\n" + sheet + "Лист1 (2):\n" + sheet + "Лист1 (3):\n" + sheet);
}

// Copies made row by row are done together; the result must be the one
// the copies give one at a time.
TEST_F(CalcReports, RowByRowCopiesComeOutAsOneAtATime) {
  auto book = Report({"A1=Шапка", "A2=шаблон", "B2=#1", "A3=низ"}, "rows.xlsx");
  ASSERT_TRUE(book);
  for (int i = 0; i < 3; ++i) {
    book->CopyRow(1, 2 + i, 3 + i, 1);
    book->SetCell(1, 2 + i, 1, "строка "_w + std::to_string(i));
  }
  // A write into the source before its copy is copied with it.
  book->SetCellNum(1, 5, 2, 7);
  book->CopyRow(1, 5, 6, 1);
  EXPECT_EQ(book->GetCell(1, 6, 2), "7");
  book->Close(true);
  EXPECT_EQ(Saved("rows.xlsx"),
            "Лист1:\nA1='Шапка'\nA2='строка 0'\nB2=1\nA3='строка 1'\nB3=1\nA4='строка 2'\nB4=1\n"
            "A5='шаблон'\nB5=7\nA6='шаблон'\nB6=7\nA7='низ'\n");
}

// A report whose folder went away cannot be saved: saving and closing with
// saving say so in the office's words; closing without saving does not.
TEST_F(CalcReports, ASaveThatFailsAnswersWithTheOfficesWords) {
  std::filesystem::create_directory(dir / "gone");
  auto book = Report({"A1=x"}, "gone/r.xlsx");
  ASSERT_TRUE(book);
  std::filesystem::remove_all(dir / "gone");
  book->SetCell(1, 2, 1, "y");
  const TSheetStatus saved = book->Save();
  EXPECT_FALSE(saved.Ok);
  EXPECT_FALSE(saved.Text.empty());
  const TSheetStatus closed = book->Close(true);
  EXPECT_FALSE(closed.Ok);
  EXPECT_FALSE(closed.Text.empty());
  auto other = Report({"A1=x"}, "kept.xlsx");
  ASSERT_TRUE(other);
  EXPECT_TRUE(other->Save().Ok);
  EXPECT_TRUE(other->Close(false).Ok);
}

TEST_F(CalcReports, NewFilesFollowTheirExtensionAndNeverTheTemplate) {
  WriteWorkbook(dir / "t.xlsx", {"A1=шаблон"});
  const std::string templateBytes = ReadBytes(dir / "t.xlsx");
  std::string error;
  EXPECT_FALSE(calc.CreateReport(dir / "t.xlsx", dir / "t.xlsx", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(dir / "t.xlsx"), templateBytes);

  WriteBytes(dir / "old.ods", "an older file");
  for (const char* name : {"old.ods", "n.xls"}) {
    auto book = calc.CreateReport(dir / "t.xlsx", dir / name, error);
    ASSERT_TRUE(book) << Cp1251ToUtf8(error);
    book->SetCellNum(1, 2, 1, 4);
    book->Close(true);
    auto again = calc.OpenReport(dir / name, error);
    ASSERT_TRUE(again) << name;
    EXPECT_EQ(Cp1251ToUtf8(again->GetCell(1, 1, 1)) + again->GetCell(1, 2, 1), "шаблон4") << name;
  }
  EXPECT_EQ(ReadBytes(dir / "old.ods").substr(30, 8), "mimetype");
  EXPECT_EQ(ReadBytes(dir / "n.xls").substr(0, 4), "\xD0\xCF\x11\xE0");
  EXPECT_FALSE(calc.OpenReport(dir / "missing.xlsx", error));
  // The two workbooks still open are closed, unsaved.
  calc.CloseAll(false);
  EXPECT_TRUE(std::filesystem::exists(dir / "t.xlsx"));
}

TEST_F(CalcReports, AnOfficeThatDiedIsSaidAndReplacedAndNoneOutlivesTheService) {
  const int first = calc.OfficePid();
  ASSERT_GT(first, 0);
  kill(first, SIGKILL);
  ASSERT_TRUE(ProcessGone(first));
  // A process whose threads are still going down is not yet reaped; the
  // check asks the office itself after a pause.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ui.Boxes.clear();
  ASSERT_TRUE(calc.Start());
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(ui.Boxes[0].Caption), "Ошибка запуска Excel");
  EXPECT_EQ(ui.Boxes[0].Flags, kMbError);
  const int second = calc.OfficePid();
  EXPECT_NE(second, first);
  auto book = Report({"A1=x"}, "after.xlsx");
  ASSERT_TRUE(book);
  EXPECT_EQ(book->GetCell(1, 1, 1), "x");
  calc.Quit();
  EXPECT_TRUE(ProcessGone(second));
}

TEST_F(CalcReports, APrintedSheetReachesThePrintQueue) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue cannot be started: " << queue.Why;
  std::filesystem::create_directories(queue.Dir);
  const std::string marker = "Печать " + std::to_string(getpid());
  auto book = Report({"A1=первый лист", "B2=#12.5"}, "print.xlsx");
  ASSERT_TRUE(book);
  book->CopySheet(1, 1);
  book->SetCell(2, 1, 1, Utf8ToCp1251(marker));
  const TSheetStatus printed = book->Print(2, kTestQueue, 1);
  ASSERT_TRUE(printed.Ok) << Cp1251ToUtf8(printed.Text);
  const std::string pdf = queue.WaitForPdf(marker);
  const std::string text = pdf.empty() ? std::string() : CupsQueue::PdfText(pdf);
  EXPECT_NE(text.find("12,5"), std::string::npos) << text;
  EXPECT_EQ(text.find("первый лист"), std::string::npos) << text;
  // The job is named after the workbook, not after the file it was
  // exported to.
  EXPECT_EQ(CupsQueue::PdfTitle(pdf), "print.xlsx");
  EXPECT_FALSE(book->Print(1, "НетТакогоПринтера"_w, 1).Ok);
}

// A report is shared as every file the program writes: a new one as the
// umask allows, one written over keeps the mode it had.
TEST(CalcReportFiles, FollowTheUmaskAndKeepTheModeOfTheFileReplaced) {
  const mode_t before = ::umask(022);
  ScriptedUi ui;
  TempDir dir;
  TCalcSpreadsheet calc;
  const bool started = calc.Start();
  ::umask(before);
  ASSERT_TRUE(started) << (ui.Boxes.empty() ? std::string() : Cp1251ToUtf8(ui.Boxes[0].Text));
  WriteWorkbook(dir / "template.xlsx", {"A1=шаблон"});
  const auto mode = [&](const std::string& name) {
    return std::filesystem::status(dir / name).permissions() & std::filesystem::perms::all;
  };
  using std::filesystem::perms;
  std::string error;
  auto book = calc.CreateReport(dir / "template.xlsx", dir / "r.xlsx", error);
  ASSERT_TRUE(book) << Cp1251ToUtf8(error);
  EXPECT_EQ(mode("r.xlsx"), perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
  std::filesystem::permissions(dir / "r.xlsx", perms::owner_read | perms::group_read);
  book->SetCell(1, 2, 1, "новое");
  book->Save();
  EXPECT_EQ(mode("r.xlsx"), perms::owner_read | perms::owner_write | perms::group_read);
  book->Close(false);
}

// The office's windows shown on the X display whose title names file, as
// the window manager would list them.
int ShownWindows(const std::string& file) {
  const std::string command = "xdotool search --onlyvisible --name '^" + file + " - ' 2>/dev/null";
  int count = 0;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char line[64];
    while (fgets(line, sizeof line, pipe)) ++count;
    pclose(pipe);
  }
  return count;
}

// Waits for the count of the file's shown windows: a minute at most, as
// the office maps and unmaps its windows slowly on a loaded machine.
bool ShownWindowsBecome(const std::string& file, int count) {
  for (int i = 0; i < 600; ++i) {
    if (ShownWindows(file) == count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// A test of its own runs these under Xvfb.
TEST(CalcReportsOnX11, AShownApplicationShowsTheReportsAndHidesThemAgain) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ScriptedUi ui;
  TempDir dir;
  const std::string tag = std::to_string(getpid());
  WriteWorkbook(dir / "template.xlsx", {"A1=шаблон"});
  TCalcSpreadsheet calc("soffice", TOfficeWindows::OnDisplay);
  ASSERT_TRUE(calc.Start()) << (ui.Boxes.empty() ? "" : Cp1251ToUtf8(ui.Boxes.back().Text));
  std::string error;
  auto first = calc.CreateReport(dir / "template.xlsx", dir / ("first" + tag + ".xlsx"), error);
  ASSERT_TRUE(first) << Cp1251ToUtf8(error);
  EXPECT_EQ(first->GetCell(1, 1, 1), "шаблон"_w);
  EXPECT_EQ(ShownWindows("first" + tag + ".xlsx"), 0);

  calc.SetVisible(true);
  EXPECT_TRUE(ShownWindowsBecome("first" + tag + ".xlsx", 1));
  // A report opened while the application is shown shows too; the
  // template it was made from never does.
  auto second = calc.CreateReport(dir / "template.xlsx", dir / ("second" + tag + ".xlsx"), error);
  ASSERT_TRUE(second) << Cp1251ToUtf8(error);
  EXPECT_TRUE(ShownWindowsBecome("second" + tag + ".xlsx", 1));
  EXPECT_EQ(ShownWindows("template.xlsx"), 0);
  second->SetCell(1, 2, 1, "видно"_w);
  EXPECT_EQ(second->GetCell(1, 2, 1), "видно"_w);

  calc.SetVisible(false);
  EXPECT_TRUE(ShownWindowsBecome("first" + tag + ".xlsx", 0));
  EXPECT_TRUE(ShownWindowsBecome("second" + tag + ".xlsx", 0));
  EXPECT_TRUE(second->Close(true).Ok);
  EXPECT_TRUE(first->Close(false).Ok);
  EXPECT_EQ(ReadWorkbook(dir / ("second" + tag + ".xlsx")), "Лист1:\nA1='шаблон'\nA2='видно'\n");
  EXPECT_TRUE(ui.Boxes.empty());
}

// Where the program shows no windows of its own, a shown application
// changes nothing and says nothing, on a display or not.
TEST(CalcReportsOnX11, AHeadlessApplicationShowsNothing) {
  if (getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  ScriptedUi ui;
  TempDir dir;
  const std::string file = "headless" + std::to_string(getpid()) + ".xlsx";
  WriteWorkbook(dir / "template.xlsx", {"A1=шаблон"});
  TCalcSpreadsheet calc;
  ASSERT_TRUE(calc.Start());
  std::string error;
  auto book = calc.CreateReport(dir / "template.xlsx", dir / file, error);
  ASSERT_TRUE(book) << Cp1251ToUtf8(error);
  calc.SetVisible(true);
  EXPECT_EQ(book->GetCell(1, 1, 1), "шаблон"_w);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(ShownWindows(file), 0);
  EXPECT_TRUE(ui.Boxes.empty());
}

TEST(CalcWithoutOffice, StartFailsWithTheReason) {
  ScriptedUi ui;
  TCalcSpreadsheet calc("/nonexistent/soffice");
  EXPECT_FALSE(calc.Start());
  ASSERT_EQ(ui.Boxes.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(ui.Boxes[0].Caption), "Ошибка запуска Excel");
  EXPECT_EQ(Cp1251ToUtf8(ui.Boxes[0].Text), "Не найдена программа /nonexistent/soffice");
}

}  // namespace
}  // namespace vm::test
