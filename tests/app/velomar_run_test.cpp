// velomar-run on a fresh copy of the sample data: the lines of the message
// boxes, the exit status, and what the run left in the settings files and
// the tables.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/run_services.h"
#include "config/data_dir.h"
#include "config/settings.h"
#include "demo_rig.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

const char* const kTables[] = {"goods.dbf", "suppl.dbf", "income.dbf", "sales.dbf"};

// A copy of the sample data, with more documents when a test adds them.
class RunRig {
 public:
  RunRig() { CopyDemoTo(home_.Dir()); }

  // Documents at the top of the tree: name and description (UTF-8 lines).
  void AddDocuments(const std::vector<std::pair<std::string, std::string>>& docs) {
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    TSettingsModel& m = Settings();
    int32_t id = 100;
    for (const auto& [name, description] : docs) {
      TDocNode* node = m.DocTree.First()->AddChild(Utf8ToCp1251(name));
      node->Data = std::make_unique<TDocData>();
      node->Data->ID = ++id;
      node->Data->PasswordNumber = 0;
      std::string text = Utf8ToCp1251(description);
      std::string crlf;
      for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
      node->Data->Description = crlf;
    }
    ASSERT_TRUE(SaveConfiguration());
  }

  // Stdout of the run; stderr is dropped.
  ProgramRun Run(const std::string& args, const std::string& answers = "") {
    std::string line = ShellQuoted(VELOMAR_RUN_EXE) + " --date 6.12.2026 --time 9:00:00 ";
    if (!answers.empty()) {
      WriteBytes(home_ / "answers.txt", answers);
      line += "--answers answers.txt ";
    }
    return RunIn(home_.Dir(), line + args, " </dev/null 2>/dev/null");
  }

  std::string Manager() const { return Cp1251ToUtf8(ReadBytes(home_ / "manager.ini")); }
  std::string Dir() const { return home_.Dir(); }
  std::string TableBytes() const {
    std::string all;
    for (const char* t : kTables) all += ReadBytes(home_ / t);
    return all;
  }

 private:
  ProgramHome home_;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(VelomarRun, QuestionsDocumentCommitsItsParameterAfterTheStartOfDay) {
  RunRig r;
  const std::string tables = r.TableBytes();
  const ProgramRun run = r.Run("'Ставка НДС'", "18\nДа\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(run.Output,
            "[Ставка НДС] Установить ставку 18%?\n"
            "[Ставка НДС] Новая ставка НДС: 18%\n");
  const std::string manager = r.Manager();
  // The first document of the day ran the start of the day first; both
  // committed.
  EXPECT_TRUE(Has(manager, "НОМЕР_ОПЕРАЦИИ=14")) << manager;
  EXPECT_TRUE(Has(manager, "ЗНАЧЕН_ПАРАМ='18'")) << manager;
  EXPECT_TRUE(Has(manager, "ЗНАЧЕН_ПАРАМ='6.12.2026'")) << manager;
  EXPECT_EQ(r.TableBytes(), tables);
}

TEST(VelomarRun, CancelledQuestionCommitsNothingButTheStartOfDay) {
  RunRig r;
  const ProgramRun run = r.Run("'Ставка НДС'", "Отмена\n");
  EXPECT_EQ(run.Status, 1) << run.Output;
  EXPECT_EQ(run.Output, "");
  const std::string manager = r.Manager();
  EXPECT_TRUE(Has(manager, "НОМЕР_ОПЕРАЦИИ=13")) << manager;
  EXPECT_TRUE(Has(manager, "ЗНАЧЕН_ПАРАМ='20'")) << manager;

  // Without answers the dialog keeps what it shows and the box takes its
  // default button (Yes here).
  const ProgramRun again = r.Run("'Ставка НДС'");
  EXPECT_EQ(again.Status, 0);
  EXPECT_EQ(again.Output, "[Ставка НДС] Установить ставку 20%?\n[Ставка НДС] Новая ставка НДС: 20%\n");
}

TEST(VelomarRun, RunErrorCompileErrorAndRefusedCheckCommitNothing) {
  RunRig r;
  r.AddDocuments({
      {"Ошибка счёта", "VARS\n  A = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
                       "INIT\n  %НДС% := 5\n  A := 1 / 0\nENDSECTION\n"},
      {"Ошибка текста", "BLANK\n  WIDTH = 800\nENDSECTION\nINIT\n  A := \nENDSECTION\n"},
      {"Проверка", "FORMS\n  Т = FORM:ОТЧЕТ, X1:0, Y1:0, Y2:100, KEYCOL:[2]\nENDSECTION\n"
                   "CHECK\n  COMMONCHECK = COND:[0], MESSAGE:['Нельзя: ' + %МАГАЗИН%]\nENDSECTION\n"
                   "BLANK\n  WIDTH = 1600\nENDSECTION\nINIT\n  %НДС% := 5\nENDSECTION\n"},
  });
  // The start of the day commits first, on its own.
  ASSERT_EQ(r.Run("'Ставка НДС'", "20\nДа\n").Status, 0);
  const std::string tables = r.TableBytes();

  const ProgramRun runError = r.Run("'Ошибка счёта'");
  EXPECT_EQ(runError.Status, 1);
  EXPECT_TRUE(Has(runError.Output, "[Веломар — магазин «Колосок»]  Ошибка во время выполнения программы в строке 9:\\r Деление на 0 \n")) << runError.Output;
  EXPECT_TRUE(Has(runError.Output,
                  "[Внимание!] При выполнении операции были ошибки! Результаты не будут сохранены!\n"))
      << runError.Output;

  const ProgramRun compileError = r.Run("'Ошибка текста'");
  EXPECT_EQ(compileError.Status, 1);
  EXPECT_EQ(compileError.Output, "[ Ошибка компиляции документа] Ошибка в строке 5.  Неизвестное имя переменной A\n");

  const ProgramRun refused = r.Run("'Проверка'");
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Output, "[Ошибка проверки] Нельзя: Магазин «Колосок»\n");

  EXPECT_EQ(r.TableBytes(), tables);
  // Each run started its own day, which committed; what the failed
  // documents set did not get in.
  const std::string manager = r.Manager();
  EXPECT_TRUE(Has(manager, "НОМЕР_ОПЕРАЦИИ=17")) << manager;
  EXPECT_FALSE(Has(manager, "ЗНАЧЕН_ПАРАМ='5'")) << manager;
}

TEST(VelomarRun, ArgumentsAndDocumentNames) {
  RunRig r;
  EXPECT_EQ(r.Run("--date 31.02.2026 'Ставка НДС'").Status, 2);
  EXPECT_EQ(r.Run("").Status, 2);
  EXPECT_EQ(r.Run("'Нет такого'").Status, 1);
  // A path of folders finds the document as well.
  EXPECT_EQ(r.Run("'Документы/Ставка НДС'", "Отмена\n").Status, 1);
  EXPECT_EQ(r.Run("'Склад/Ставка НДС'").Status, 1);

  // A busy program directory: the start-up fails.
  TempDir empty;
  EXPECT_EQ(RunIn(empty.Dir(), ShellQuoted(VELOMAR_RUN_EXE) + " 'Ставка НДС'", " </dev/null >/dev/null 2>&1").Status,
            2);
}

TEST(VelomarRun, MessageLinesEscapeLineBreaksAndBackslashes) {
  EXPECT_EQ(MessageLine("Внимание"_w, "a\rb\nc\\d"), "[Внимание] a\\rb\\nc\\\\d");
}

}  // namespace
}  // namespace vm::test
