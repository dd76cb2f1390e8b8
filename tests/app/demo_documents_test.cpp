// Every document of the sample data compiled and run with answers, as
// velomar-run runs it: each shows what it is there for, in the program and
// through velomar-run alike, so that a broken sample document cannot land.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/run_services.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "support/faulty_files.h"
#include "config/doctree.h"
#include "config/settings.h"
#include "demo_rig.h"
#include "documents/document_road.h"
#include "documents/headless_steps.h"
#include "foundation/text/strutils.h"
#include "platform/calc_spreadsheet.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/python_tools.h"
#include "support/temp_dir.h"
#include "models/startup.h"

namespace vm::test {
namespace {

// One document of the menu, the answers it is given (UTF-8, one a line),
// and what it must show: its message lines, whether it commits, and a
// piece of what its forms hold when OK is pressed.
struct TDemoRun {
  const char* Document;
  const char* Answers;
  const char* Lines;
  bool Committed;
  const char* Shown;
};

// In the order of the runs: each goes on from the tables the one before
// left. The clock is at 6.12.2026, the day after the sample's last one.
const TDemoRun kRuns[] = {
    {"Склад/Приход товара", "", "[Ошибка проверки] Не указан номер накладной\n", false,
     "НАКЛАДНАЯ: 0 rows"},
    {"Печать ценников", "", "", true, "ЦЕН: 0 rows"},
    {"Касса/Продажа", "", "[Ошибка проверки] В чеке нет ни одного товара\n", false,
     "ЧЕКТАБ: 0 rows"},
    {"Отчёт о продажах", "", "", true,
     "ОТЧЕТ: 11 rows\n4.12.2026|1|1|2.000|179.80|\n"},
    {"Приход по накладной", "Н-77\n3\n10\n150\n", "", true,
     "НАКЛАДНАЯ: 1 rows\n3|Масло сливочное 82,5% 180 г|шт|10.000|150.00|1500.00"},
    {"Продажа товара", "3\n2\n", "[Продажа] Чек 5 на сумму 418.00 руб.\n", true,
     "ЧЕКТАБ: 1 rows\n3|Масло сливочное 82,5% 180 г|2.000|209.00|418.00"},
    // The report ends with its total, the new sale counted.
    {"Отчёт о продажах", "", "", true, "6.12.2026|5|3|2.000|418.00|\n||||2034.15|\n"},
    {"Выручка за период", "4.12.2026\n6.12.2026\n",
     "[Выручка] Выручка с 4.12.2026 по 6.12.2026: 2034.15 руб.\n", true, ""},
    // The spreadsheet report of the same period, made by LibreOffice Calc.
    {"Продажи за период", "4.12.2026\n6.12.2026\n",
     "[Продажи за период] Продаж: 11 на 2034.15 руб., книга Продажи.xlsx в папке баз\n", true, ""},
    {"Ставка НДС", "18\nДа\n", "[Ставка НДС] Установить ставку 18%?\n[Ставка НДС] Новая ставка НДС: 18%\n",
     true, ""},
    // An empty answer takes the list's first row.
    {"Телефон поставщика", "\n+7 910 000-00-00\n",
     "[Телефон поставщика] ООО \"Молочный двор\": +7 910 000-00-00\n", true, ""},
};

std::vector<std::string> AnswerLines(const std::string& utf8) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = utf8.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(Utf8ToCp1251(utf8.substr(start, end - start)));
  return lines;
}

// The headless road that notes what every form holds once its window
// has run (INIT, the recalculation, OK): "NAME: n rows", then each row's
// cells trimmed and joined by '|', in UTF-8.
class TShowingSteps : public THeadlessSteps {
 public:
  std::string Shown;

 protected:
  bool RunPass(TDocData& data, bool firstShowing) override {
    const bool commit = THeadlessSteps::RunPass(data, firstShowing);
    for (const auto& form : doc_.Forms) {
      IDataView& rows = form->Rows();
      Shown += Cp1251ToUtf8(TrimBlanks(form->Name)) + ": " + std::to_string(rows.RowCount()) +
               " rows\n";
      for (int32_t r = 0; r < rows.RowCount(); ++r) {
        for (int32_t c = 0; c < rows.ShownColCount(); ++c)
          Shown += (c ? "|" : "") + Cp1251ToUtf8(TrimBlanks(rows.GetCellText(c, r)));
        Shown += "\n";
      }
    }
    return commit;
  }
};

// The menu's document of a path "folder/name".
TDocData* FindDocument(const std::string& path) {
  const std::string wanted = Utf8ToCp1251(path);
  const std::size_t slash = wanted.rfind('/');
  const std::string name = slash == std::string::npos ? wanted : wanted.substr(slash + 1);
  for (TDocNode* node : Settings().DocTree.Nodes())
    if (node->Data && !node->HasChildren() && TrimBlanks(node->Text) == name)
      return node->Data.get();
  return nullptr;
}

// The documents run in this process on the road velomar-run takes, the
// message lines caught as it prints them.
class InProcessRun {
 public:
  InProcessRun() : previous_(&Ui()) {
    InstallSpreadsheetServices(&calc_);
    CopyDemoTo(home_.Dir());
    options_.ClockDate = TDateRec{6, 12, 2026};
    options_.ClockTime = TTimeRec{9, 0, 0};
    options_.StartOfDay = &startOfDay_;
  }
  ~InProcessRun() {
    ShutDown();
    calc_.Quit();
    InstallSpreadsheetServices(nullptr);
    InstallUiServices(previous_);
    if (lines_) std::fclose(lines_);
  }

  bool Start() {
    Install("");
    return StartUp(options_) == 0;
  }
  std::string Dir() const { return home_.Dir(); }

  // The lines printed, whether it committed, what the forms showed.
  std::tuple<std::string, bool, std::string> Run(const TDemoRun& run) {
    Install(run.Answers);
    TShowingSteps steps;
    TDocData* doc = FindDocument(run.Document);
    if (doc == nullptr) return {"no such document", false, ""};
    int32_t errorLine = 0;
    int32_t errorCode = 0;
    const bool committed = RunDocumentChecked(*doc, steps, errorLine, errorCode);
    return {Printed(), committed, steps.Shown};
  }

 private:
  void Install(const std::string& answers) {
    std::FILE* previous = lines_;
    lines_ = std::tmpfile();
    services_ = std::make_unique<TRunServices>(AnswerLines(answers), lines_);
    InstallUiServices(services_.get());
    if (previous) std::fclose(previous);
  }

  std::string Printed() {
    std::string out;
    std::fflush(lines_);
    std::rewind(lines_);
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, lines_)) out.append(buffer, n);
    return out;
  }

  UiServices* previous_;
  TCalcSpreadsheet calc_;
  ProgramHome home_;
  std::FILE* lines_ = nullptr;
  std::unique_ptr<TRunServices> services_;
  THeadlessSteps startOfDaySteps_;
  TStartOfDayOnRoad startOfDay_{startOfDaySteps_};
  TStartUpOptions options_;
};

TEST(DemoDocuments, EveryDocumentRunsAndShowsWhatItIsFor) {
  int32_t documents = 0;
  {
    InProcessRun program;
    ASSERT_TRUE(program.Start());
    for (const TDocNode* node : Settings().DocTree.Nodes())
      documents += node->Data && !node->HasChildren() && node->Parent() != nullptr;
    for (const TDemoRun& run : kRuns) {
      SCOPED_TRACE(run.Document);
      const auto [lines, committed, shown] = program.Run(run);
      EXPECT_EQ(lines, run.Lines);
      EXPECT_EQ(committed, run.Committed);
      EXPECT_NE(shown.find(run.Shown), std::string::npos) << shown;
    }
    // The report's book: the template's title and period filled in, a row
    // per sale of the period, the total under them.
    const std::string book = ReadWorkbook(program.Dir() + "/Продажи.xlsx");
    EXPECT_NE(book.find("A1='Продажи: Магазин «Колосок»'\nA2='с 4.12.2026 по 6.12.2026'\n"), std::string::npos)
        << book;
    EXPECT_NE(book.find("A5='4.12.2026'\nB5=1\nC5=1\nD5='Молоко 3,2% 1 л'\nE5=2\nF5=89.9\nG5=179.8\n"),
              std::string::npos)
        << book;
    EXPECT_NE(book.find("A15='6.12.2026'\nB15=5\nC15=3\n"), std::string::npos) << book;
    EXPECT_NE(book.find("F16='Итого'\nG16=2034.15\n"), std::string::npos) << book;
  }
  // Every document of the menu is among the runs.
  std::vector<std::string> names;
  for (const TDemoRun& run : kRuns)
    if (std::find(names.begin(), names.end(), run.Document) == names.end())
      names.push_back(run.Document);
  EXPECT_EQ(static_cast<int32_t>(names.size()), documents);

  // velomar-run itself prints the same lines and ends the same way.
  TempDir dir;
  CopyDemoTo(dir.Dir());
  for (const TDemoRun& run : kRuns) {
    SCOPED_TRACE(run.Document);
    WriteBytes(dir / "answers.txt", run.Answers);
    const ProgramRun result =
        RunIn(dir.Dir(),
              ShellQuoted(VELOMAR_RUN_EXE) + " --date 6.12.2026 --time 9:00:00 --answers answers.txt " +
                  ShellQuoted(run.Document),
              " </dev/null 2>/dev/null");
    EXPECT_EQ(result.Output, run.Lines);
    EXPECT_EQ(result.Status, run.Committed ? 0 : 1);
  }
}

// The number of the last check in the sales table.
std::string LastCheck(const std::string& dir) {
  TDBF t;
  t.FileName = dir + "sales.dbf";
  if (!t.OpenReadOnly()) return "unreadable";
  t.GoToRecord(t.RecCount());
  if (t.ReadRecord() != 0) return "damaged";
  return TrimBlanks(t.GetFieldStr(t.FieldIndex("CHECK_NO")));
}

// The value of the check-number parameter in "manager.ini".
std::string CheckParameter(const std::string& dir) {
  const std::string text = ReadBytes(dir + "manager.ini");
  const std::size_t name = text.find("=НОМЕР_ЧЕКА\r\n"_w);
  const std::string key = "ЗНАЧЕН_ПАРАМ='"_w;
  const std::size_t value = text.find(key, name);
  if (name == std::string::npos || value == std::string::npos) return "missing";
  const std::size_t start = value + key.size();
  return text.substr(start, text.find('\'', start) - start);
}

// A sale killed before each rename of its run in turn (the start of the
// day's and the commit's): once the next start has recovered, the sales
// table and the check number are both before the sale or both after it.
TEST(DemoDocuments, ASaleKilledBetweenAnyTwoStepsKeepsItsCheckNumberWithItsRows) {
  InProcessRun program;
  ASSERT_TRUE(program.Start());
  const std::string dir = program.Dir();
  const TDemoRun sale{"Продажа товара", "3\n2\n", "", true, ""};
  int killedAt = 0;
  for (bool finished = false; !finished && killedAt < 100;) {
    ++killedAt;
    for (const auto& entry : std::filesystem::directory_iterator(DemoDir()))
      std::filesystem::copy_file(entry.path(), std::filesystem::path(dir) / entry.path().filename(),
                                 std::filesystem::copy_options::overwrite_existing);
    const pid_t child = ::fork();
    if (child == 0) {
      FaultyFileSystem dying;
      int renames = 0;
      dying.BeforeRename = [&renames, killedAt] {
        if (++renames == killedAt) ::_exit(9);
      };
      program.Run(sale);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    finished = WEXITSTATUS(status) == 0;
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(dir, messages), TRecoveryResult::Failed) << killedAt;
    const std::string check = LastCheck(dir);
    EXPECT_TRUE(check == "4" || check == "5") << check;
    EXPECT_EQ(CheckParameter(dir), check) << "killed before rename " << killedAt;
  }
  // The day's start and the sale both renamed several files.
  EXPECT_GT(killedAt, 4);
  EXPECT_EQ(LastCheck(dir), "5");
}

// A commit whose settings files cannot keep their copies replaces nothing
// and says so: the tables, "manager.ini" and the check number stay as they
// were, as the message tells.
TEST(DemoDocuments, ACommitWithoutTheCopiesOfItsSettingsFilesWritesNothing) {
  InProcessRun program;
  ASSERT_TRUE(program.Start());
  const std::string dir = program.Dir();
  const TDemoRun sale{"Продажа товара", "3\n2\n", "", true, ""};
  ASSERT_TRUE(std::get<1>(program.Run(sale)));
  ASSERT_EQ(CheckParameter(dir), "5");
  // Folders that will not make way for the copies before them.
  for (const char* copy : {"manager.in4", "manager.in5"}) {
    std::filesystem::remove(dir + copy);
    std::filesystem::create_directories(dir + copy + "/x");
  }
  const std::string before = ReadBytes(dir + "sales.dbf") + ReadBytes(dir + "goods.dbf") +
                             ReadBytes(dir + "manager.ini") + ReadBytes(dir + "local.ini");
  const auto [lines, committed, shown] = program.Run(sale);
  EXPECT_FALSE(committed);
  EXPECT_NE(lines.find("[Ошибка] Не удалось сделать копии файлов настроек\\rРезультаты не сохранены.\n"),
            std::string::npos)
      << lines;
  EXPECT_TRUE(ReadBytes(dir + "sales.dbf") + ReadBytes(dir + "goods.dbf") + ReadBytes(dir + "manager.ini") +
                  ReadBytes(dir + "local.ini") ==
              before);
  EXPECT_EQ(CheckParameter(dir), "5");
}

}  // namespace
}  // namespace vm::test
