// velomar-run on a fresh copy of the sample data: the lines of the message
// boxes, the exit status, and what the run left in the settings files and
// the tables.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/run_services.h"
#include "config/data_dir.h"
#include "config/settings.h"
#include "documents/value_edit.h"
#include "demo_rig.h"
#include "run_rig.h"
#include "foundation/tables/commit_journal.h"
#include "foundation/tables/dbf.h"
#include "models/instance_mark.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/random_kills.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

// The fields of record n of a table, "NAME=value" joined by blanks, as UTF-8.
std::string Record(const std::string& path, int32_t n, const std::vector<std::string>& fields) {
  TDBF t;
  t.FileName = path;
  if (!t.OpenReadOnly()) return "unreadable";
  if (n < 0) n += t.RecCount() + 1;
  t.GoToRecord(n);
  if (t.ReadRecord() != 0) return "no record";
  std::string out = "#" + std::to_string(t.RecCount()) + ":";
  for (const std::string& f : fields)
    out += " " + f + "=" + Cp1251ToUtf8(t.GetFieldStr(t.FieldIndex(f)));
  return out;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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

// An answer is typed into its field and the field left, as in the window:
// "10,5" for a sum of two decimals is taken as 10.50.
TEST(VelomarRun, AnAnswerIsTakenAsItsFieldShowsItOnceLeft) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TRunServices services({"10,5", " 3 "}, out);
  QuestionRequest request;
  request.Inputs = {{"Sum", 'N', 10, 2, "", 10}, {"Count", 'N', 5, 0, "", 5}};
  request.Accept = [](const std::vector<std::string>& t) {
    return t.size() == 2 && TValueEdit{'N', 10, 2}.IsValid(t[0]) && TValueEdit{'N', 5, 0}.IsValid(t[1]);
  };
  std::vector<std::string> texts;
  EXPECT_TRUE(services.AskQuestion(request, texts));
  EXPECT_EQ(texts, (std::vector<std::string>{"10.50", "3"}));
  std::fclose(out);
}

// A text answer as long as its edit goes in whole; one character more would
// be cut, so the question refuses it.
TEST(VelomarRun, ATextAnswerMayFillItsEditButNotPassIt) {
  const std::string filling = "+7 910 555-00-00 д.5"_w;
  ASSERT_EQ(filling.size(), 20u);
  for (const std::string& answer : {filling, filling + "5"}) {
    SCOPED_TRACE(Cp1251ToUtf8(answer));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    TRunServices services({answer}, out, err);
    QuestionRequest request;
    request.Caption = "Новый телефон"_w;
    request.Inputs = {{"Телефон"_w, 'C', 20, 0, "", 20}};
    std::vector<std::string> texts;
    const bool fills = answer.size() == 20;
    EXPECT_EQ(services.AskQuestion(request, texts), fills);
    EXPECT_EQ(texts, fills ? std::vector<std::string>{answer} : std::vector<std::string>{});
    std::rewind(err);
    char said[512] = {};
    const std::size_t n = std::fread(said, 1, sizeof said - 1, err);
    EXPECT_EQ(n != 0, !fills) << said;
    std::fclose(out);
    std::fclose(err);
  }
}

TEST(VelomarRun, CancelledQuestionCommitsNothingButTheStartOfDay) {
  RunRig r;
  const ProgramRun run = r.Run("'Ставка НДС'", "Отмена\n");
  EXPECT_EQ(run.Status, 1) << run.Output;
  EXPECT_EQ(run.Output, "");
  const std::string manager = r.Manager();
  EXPECT_TRUE(Has(manager, "НОМЕР_ОПЕРАЦИИ=13")) << manager;
  EXPECT_TRUE(Has(manager, "ЗНАЧЕН_ПАРАМ='20'")) << manager;
  // Every run is a start of the program: the same day starts again, and
  // that start commits, however the document ends.
  EXPECT_EQ(r.Run("'Ставка НДС'", "Отмена\n").Status, 1);
  EXPECT_TRUE(Has(r.Manager(), "НОМЕР_ОПЕРАЦИИ=14")) << r.Manager();
  EXPECT_EQ(r.Run("'Касса/Продажа'").Status, 1);
  EXPECT_TRUE(Has(r.Manager(), "НОМЕР_ОПЕРАЦИИ=15")) << r.Manager();

  // Without answers the dialog keeps what it shows and the box takes its
  // default button (Yes here).
  const ProgramRun again = r.Run("'Ставка НДС'");
  EXPECT_EQ(again.Status, 0);
  EXPECT_EQ(again.Output,
            "[Ставка НДС] Установить ставку 20%?\n[Ставка НДС] "
            "Новая ставка НДС: 20%\n");
}

TEST(VelomarRun, ReceiptSaleAndReportOfTheDemo) {
  RunRig r;
  const std::string suppliers = ReadBytes(r.Dir() + "suppl.dbf");
  const std::string sales = ReadBytes(r.Dir() + "sales.dbf");

  // A receipt with a form: the invoice line goes in, the goods come into stock.
  ProgramRun run = r.Run("'Приход по накладной'", "Н-77\n3\n10\n150\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(run.Output, "");
  EXPECT_EQ(Record(r.Dir() + "income.dbf", -1,
                   {"NO__", "DOC_DATE", "DOC_NO", "CODE", "QTY", "PRICE", "SUMMA"}),
            "#9: NO__=9 DOC_DATE=20261206 DOC_NO=Н-77 CODE=3 QTY=10.000 PRICE=150.00 "
            "SUMMA=1500.00");
  EXPECT_EQ(Record(r.Dir() + "goods.dbf", 3, {"CODE", "QTY", "PRICE_IN"}),
            "#8: CODE=3 QTY=29.000 PRICE_IN=150.00");
  EXPECT_EQ(ReadBytes(r.Dir() + "sales.dbf"), sales);

  // A sale: checked against the stock, then subtracted from it.
  run = r.Run("'Продажа товара'", "3\n2\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(run.Output, "[Продажа] Чек 5 на сумму 418.00 руб.\n");
  EXPECT_EQ(Record(r.Dir() + "sales.dbf", -1, {"NO__", "CHECK_NO", "CODE", "QTY", "SUMMA"}),
            "#11: NO__=11 CHECK_NO=5 CODE=3 QTY=2.000 SUMMA=418.00");
  EXPECT_EQ(Record(r.Dir() + "goods.dbf", 3, {"CODE", "QTY"}), "#8: CODE=3 QTY=27.000");
  EXPECT_TRUE(Has(r.Manager(), "ЗНАЧЕН_ПАРАМ='5'")) << r.Manager();  // the check number

  // More than the stock: the check refuses OK and nothing is written.
  const std::string tables = r.TableBytes();
  run = r.Run("'Продажа товара'", "3\n500\n");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Output, "[Ошибка проверки] Недостаточно товара: остаток 27.000\n");
  EXPECT_EQ(r.TableBytes(), tables);

  // A report without a form over a period.
  run = r.Run("'Выручка за период'", "4.12.2026\n5.12.2026\n");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Output, "[Выручка] Выручка с 4.12.2026 по 5.12.2026: 1616.15 руб.\n");
  EXPECT_EQ(r.TableBytes(), tables);
  EXPECT_EQ(ReadBytes(r.Dir() + "suppl.dbf"), suppliers);

  // A reference book: the supplier is chosen from the book's base by a cell
  // of its row, then its phone changes.
  const std::string shop = r.TableBytes(false);
  run = r.Run("'Телефон поставщика'", "ИП Соколов Андрей Викторович\n+7 910 000-00-00\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(run.Output, "[Телефон поставщика] ИП Соколов Андрей Викторович: +7 910 000-00-00\n");
  EXPECT_EQ(Record(r.Dir() + "suppl.dbf", 2, {"NO__", "CODE", "PHONE"}),
            "#3: NO__=2 CODE=2 PHONE=+7 910 000-00-00");
  EXPECT_EQ(Record(r.Dir() + "suppl.dbf", 1, {"PHONE"}), "#3: PHONE=+7 4822 55-12-34");
  EXPECT_EQ(r.TableBytes(false), shop);
  EXPECT_EQ(r.Run("'Телефон поставщика'", "Отмена\n").Status, 1);
}

// A shop's text with quotes and a dash goes into the table as code page 866
// has it: another reader of that code page sees plain quotes and a hyphen
// where it used to see letters and a frame, and so does the program.
TEST(VelomarRun, APhoneWithQuotesAndADashIsStoredAsCodePage866ReadersSeeIt) {
  RunRig r;
  const ProgramRun run = r.Run("'Телефон поставщика'", "1\n12—34 «доб. 5»\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(Record(r.Dir() + "suppl.dbf", 1, {"PHONE"}), "#3: PHONE=12-34 \"доб. 5\"");
  const ProgramRun read = RunIn(r.Dir(), "/usr/bin/python3 " + ShellQuoted(VELOMAR_SOURCE_DIR) +
                                             "/tests/data/dbf_crosscheck.py read suppl.dbf");
  EXPECT_EQ(read.Status, 0) << read.Output;
  EXPECT_TRUE(Has(read.Output, "\t12-34 \"доб. 5\"\tг. Тверь")) << read.Output;
}

// A supplier's name that another program wrote with frames and signs, which
// read as letters and would be written back as them, keeps its bytes when
// only the phone changes.
TEST(VelomarRun, ANameNobodyChangedKeepsTheBytesAnotherProgramWrote) {
  RunRig r;
  const std::string odd = "A\xC4" "B\xB2" "C\xF9" "D\xFB\xFE\xDB";
  std::string bytes = ReadBytes(r.Dir() + "suppl.dbf");
  const std::size_t name = bytes.find(WinToDosStr("ИП Соколов"_w));
  ASSERT_NE(name, std::string::npos);
  bytes.replace(name, odd.size(), odd);
  WriteBytes(r.Dir() + "suppl.dbf", bytes);
  const ProgramRun run = r.Run("'Телефон поставщика'", "2\n+7 910 000-00-00\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(Record(r.Dir() + "suppl.dbf", 2, {"PHONE"}), "#3: PHONE=+7 910 000-00-00");
  EXPECT_EQ(ReadBytes(r.Dir() + "suppl.dbf").substr(name, odd.size()), odd);
}

TEST(VelomarRun, RunErrorCompileErrorAndRefusedCheckCommitNothing) {
  RunRig r;
  r.AddDocuments({
      {"Ошибка счёта",
       "VARS\n  A = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
       "INIT\n  %НДС% := 5\n  A := 1 / 0\nENDSECTION\n"},
      {"Ошибка текста", "BLANK\n  WIDTH = 800\nENDSECTION\nINIT\n  A := \nENDSECTION\n"},
      {"Проверка",
       "FORMS\n  Т = FORM:ОТЧЕТ, X1:0, Y1:0, Y2:100, KEYCOL:[2]\nENDSECTION\n"
       "CHECK\n  COMMONCHECK = COND:[0], MESSAGE:['Нельзя: ' + "
       "%МАГАЗИН%]\nENDSECTION\n"
       "BLANK\n  WIDTH = 1600\nENDSECTION\nINIT\n  %НДС% := 5\nENDSECTION\n"},
  });
  // The start of the day commits first, on its own.
  ASSERT_EQ(r.Run("'Ставка НДС'", "20\nДа\n").Status, 0);
  const std::string tables = r.TableBytes();

  const ProgramRun runError = r.Run("'Ошибка счёта'");
  EXPECT_EQ(runError.Status, 1);
  EXPECT_TRUE(Has(runError.Output,
                  "[Веломар — магазин «Колосок»]  Ошибка во время выполнения "
                  "программы в строке 9:\\r Деление на 0 \n"))
      << runError.Output;
  EXPECT_TRUE(Has(runError.Output,
                  "[Внимание!] При выполнении операции были "
                  "ошибки! Результаты не будут сохранены!\n"))
      << runError.Output;

  const ProgramRun compileError = r.Run("'Ошибка текста'");
  EXPECT_EQ(compileError.Status, 1);
  EXPECT_EQ(compileError.Output,
            "[ Ошибка компиляции документа] Ошибка в "
            "строке 5.  Неизвестное имя переменной A\n");

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

// The demo's documents of one line refuse a quantity of 0 or below and a
// negative price with a word on what to mend, and write nothing; a price
// of 0 is taken.
TEST(VelomarRun, TheDemosLineDocumentsRefuseAQuantityOfZeroOrBelowAndANegativePrice) {
  RunRig r;
  const std::string tables = r.TableBytes();
  const struct {
    const char* document;
    const char* answers;
    const char* said;
  } refusals[] = {
      {"Продажа товара", "1\n-5\n", "Количество должно быть больше нуля"},
      {"Продажа товара", "1\n0\n", "Количество должно быть больше нуля"},
      {"Приход по накладной", "Н-80\n1\n-3\n62.40\n", "Количество должно быть больше нуля"},
      {"Приход по накладной", "Н-80\n1\n0\n62.40\n", "Количество должно быть больше нуля"},
      {"Приход по накладной", "Н-80\n1\n3\n-38\n", "Цена не может быть отрицательной"},
  };
  for (const auto& c : refusals) {
    const ProgramRun run = r.Run(ShellQuoted(c.document), c.answers);
    EXPECT_EQ(run.Status, 1) << c.document << ": " << c.answers;
    EXPECT_EQ(run.Output, "[Ошибка проверки] " + std::string(c.said) + "\n") << c.answers;
  }
  EXPECT_EQ(r.TableBytes(), tables);
  EXPECT_TRUE(Has(r.Manager(), "ЗНАЧЕН_ПАРАМ='4'")) << r.Manager();  // the last check's number

  const ProgramRun free = r.Run("'Приход по накладной'", "Н-80\n1\n3\n0\n");
  EXPECT_EQ(free.Status, 0) << free.Output;
  EXPECT_EQ(Record(r.Dir() + "income.dbf", -1, {"QTY", "PRICE"}), "#9: QTY=3.000 PRICE=0.00");
}

// Numbers wider than their fields in the demo's receipt: a quantity that
// needs another digit drops its zero decimals; one that would lose a
// decimal that is not zero, the stock then off its movements, and a sum
// that does not fit even without decimals stop the run on the field, and
// nothing is saved.
TEST(VelomarRun, ANumberTooWideForItsFieldIsNeverStoredAsAnother) {
  RunRig r;
  ProgramRun run = r.Run("'Приход по накладной'", "Н-78\n3\n999990\n1\n");
  EXPECT_EQ(run.Status, 0) << run.Output;
  EXPECT_EQ(Record(r.Dir() + "goods.dbf", 3, {"CODE", "QTY"}), "#8: CODE=3 QTY=1000009.00");
  EXPECT_EQ(Record(r.Dir() + "income.dbf", -1, {"QTY", "SUMMA"}), "#9: QTY=999990.000 SUMMA=999990.00");

  const std::string tables = r.TableBytes();
  for (const auto& [answers, said] : std::vector<std::pair<std::string, std::string>>{
           {"Н-79\n3\n999999\n9999999\n", "строке 57:\\r Число 9999989000001 не умещается в поле ПРИХ.SUMMA \n"},
           {"Н-80\n8\n999999,999\n1\n", "строке 60:\\r Число 1000012.049 не умещается в поле ТОВ.QTY \n"}}) {
    run = r.Run("'Приход по накладной'", answers);
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(Has(run.Output, "]  Ошибка во время выполнения программы в " + said)) << run.Output;
    EXPECT_TRUE(Has(run.Output, "[Внимание!] При выполнении операции были ошибки! Результаты не будут сохранены!\n"))
        << run.Output;
    EXPECT_EQ(r.TableBytes(), tables);
  }
}

// A document whose "№ пароля" was never set, and one whose description was
// edited by hand, do not run: the reason is printed and logged, and the
// status is 1.
TEST(VelomarRun, ADocumentWithoutARunnableLevelSaysWhy) {
  RunRig r;
  const std::string body = "VARS\n  A = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\nINIT\n  A := 7\nENDSECTION\n";
  r.AddDocuments({{"Новый", body}, {"Правленый", body}});
  TDocNode* top = Settings().DocTree.First();
  top->Child(top->ChildCount() - 2)->Data->PasswordNumber = -1;
  ASSERT_TRUE(SaveConfiguration());
  std::string ini = ReadBytes(r.Dir() + "/program.ini");
  const std::string line = Utf8ToCp1251("A := 7");
  ASSERT_NE(ini.rfind(line), std::string::npos);
  ini.replace(ini.rfind(line), line.size(), Utf8ToCp1251("A := 8"));
  WriteBytes(r.Dir() + "/program.ini", ini);
  const std::string remedy = ".\\rЗадайте \"№ пароля\" документа в служебных настройках (вкладка \"Команды\") и сохраните их.\n";

  const ProgramRun fresh = r.Run("'Новый'");
  EXPECT_EQ(fresh.Status, 1);
  EXPECT_EQ(fresh.Output, "[Новый] Документ не запускается: ему не задан номер пароля" + remedy);
  const ProgramRun edited = r.Run("'Правленый'");
  EXPECT_EQ(edited.Status, 1);
  EXPECT_EQ(edited.Output,
            "[Правленый] Документ не запускается: его описание изменено не в служебных настройках" + remedy);
  const std::string log = Cp1251ToUtf8(ReadBytes(r.Dir() + "/Errors.log"));
  EXPECT_TRUE(Has(log, "  Новый: документ не запущен, ему не задан номер пароля\r\n")) << log;
  EXPECT_TRUE(Has(log, "  Правленый: документ не запущен, его описание изменено не в служебных настройках")) << log;
}

// An answer its question, list or box does not take is said on standard
// error: which one refused which answer, and what it takes. A refused
// question or list ends the run as a cancelled one does; a box takes its
// default button.
TEST(VelomarRun, ARefusedAnswerIsSaidWithItsQuestionAndWhatItTakes) {
  RunRig r;
  const auto said = [&r](const std::string& answers, const std::string& document) {
    WriteBytes(r.Dir() + "answers.txt", answers);
    return RunIn(r.Dir(),
                 ShellQuoted(VELOMAR_RUN_EXE) + " --date 6.12.2026 --time 9:00:00 --answers answers.txt " +
                     ShellQuoted(document),
                 " </dev/null 2>&1");
  };
  const struct {
    const char* document;
    const char* answers;
    int status;
    const char* said;
  } cases[] = {
      {"Ставка НДС", "abc\n", 1,
       "вопрос «Ставка НДС»: поле «Ставка, %» не принимает ответ «abc»: нужно целое число, не больше 5 знаков"},
      {"Приход по накладной", "Н-1\n3\n1234567\n", 1,
       "вопрос «Приход товара»: поле «Количество» не принимает ответ «1234567»: нужно число, не больше 6 знаков "
       "до точки и 3 после нее"},
      {"Телефон поставщика", "Никто\n", 1,
       "список «Поставщик» не принимает ответ «Никто»: нужен номер строки от 1 до 3 или текст ее ячейки"},
      // The phone's edit takes 20 characters: cut, it would be stored so.
      {"Телефон поставщика", "2\n+7 910 555-00-00 доб. 5\n", 1,
       "вопрос «Новый телефон»: поле «Телефон» не принимает ответ «+7 910 555-00-00 доб. 5»: нужен непустой "
       "текст не длиннее 20 знаков"},
      {"Ставка НДС", "20\nпожалуй\n", 0,
       "сообщение «Ставка НДС» не принимает ответ «пожалуй»: нужно Да или Нет; взят ответ по умолчанию"},
  };
  const std::string suppliers = ReadBytes(r.Dir() + "suppl.dbf");
  for (const auto& c : cases) {
    const ProgramRun run = said(c.answers, c.document);
    EXPECT_EQ(run.Status, c.status) << c.answers;
    EXPECT_TRUE(Has(run.Output, "velomar-run: " + std::string(c.said) + "\n")) << run.Output;
  }
  EXPECT_EQ(ReadBytes(r.Dir() + "suppl.dbf"), suppliers);
}

// Whether a program holds the mark of the program directory dir: read from
// the system's list of locks rather than asked by taking it, so the holder
// is never disturbed.
bool ProgramDirectoryHeld(const std::string& dir) {
  TInstanceMark probe = TInstanceMark::OfProgramDirectory(dir);
  struct stat st;
  if (::stat(probe.PathFor(ProgramDirectoryMarkTitle(dir)).c_str(), &st) != 0) return false;
  std::ifstream locks("/proc/locks");
  const std::string inode = ":" + std::to_string(st.st_ino) + " ";
  for (std::string line; std::getline(locks, line);)
    if (line.find(" FLOCK ") != std::string::npos && line.find(inode) != std::string::npos) return true;
  return false;
}

// The window program keeps the program's clock from its start and writes it
// back at each commit, so a run beside it on the same program directory
// would have its later moment taken back: the runner is refused there with
// a word, commits nothing and touches no settings file, and runs once the
// window has ended. So is a runner whose environment differs from the
// window's, as one started from a timer, over ssh or as another user has.
TEST(VelomarRun, IsRefusedWhileAWindowWorksOnTheSameProgramDirectory) {
  RunRig r;
  const std::string dir = r.Dir();
  const pid_t window = ::fork();
  if (window == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    ::execl(VELOMAR_EXE, VELOMAR_EXE, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(window, 0);
  bool up = false;
  for (int i = 0; i < 1200 && !up; ++i) {
    up = ProgramDirectoryHeld(dir);
    if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const auto settings = [&] { return ReadBytes(dir + "/local.ini") + ReadBytes(dir + "/manager.ini"); };
  const std::string before = settings();
  const std::string tables = r.TableBytes();
  const std::string command = ShellQuoted(VELOMAR_RUN_EXE) + " --date 7.12.2026 --time 9:00:00 'Ставка НДС'";
  TempDir runtime;
  std::vector<ProgramRun> refused;
  for (const std::string& environment :
       {std::string(), std::string("env -u XDG_RUNTIME_DIR "), "env XDG_RUNTIME_DIR=" + ShellQuoted(runtime.Dir()) + " "})
    refused.push_back(RunIn(dir, environment + command));
  const bool stillUp = ::waitpid(window, nullptr, WNOHANG) == 0;
  ::kill(window, SIGKILL);
  ::waitpid(window, nullptr, 0);
  ASSERT_TRUE(up && stillUp);
  for (const ProgramRun& run : refused) {
    EXPECT_NE(run.Status, 0) << run.Output;
    EXPECT_TRUE(Has(run.Output, "Программа уже загружена !")) << run.Output;
    EXPECT_TRUE(Has(run.Output, "уже работает другой её процесс")) << run.Output;
  }
  EXPECT_TRUE(settings() == before);
  EXPECT_TRUE(r.TableBytes() == tables);

  const ProgramRun alone = RunIn(dir, command);
  EXPECT_EQ(alone.Status, 0) << alone.Output;
  EXPECT_TRUE(Has(Cp1251ToUtf8(ReadBytes(dir + "/local.ini")), "=7.12.2026"));
}

TEST(VelomarRun, ArgumentsAndDocumentNames) {
  RunRig r;
  EXPECT_EQ(r.Run("--date 31.02.2026 'Ставка НДС'").Status, 2);
  EXPECT_EQ(r.Run("").Status, 2);
  EXPECT_EQ(r.Run("'Нет такого'").Status, 1);
  // The program's own clock never goes back to an earlier day.
  const ProgramRun earlier = r.Run("--date 4.12.2026 'Ставка НДС'");
  EXPECT_EQ(earlier.Status, 2);
  EXPECT_TRUE(Has(earlier.Output, "Дата раньше последней подтверждённой: 5.12.2026")) << earlier.Output;
  const ProgramRun help = r.Run("--help");
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(Has(help.Output, "Вызов: velomar-run [--answers ФАЙЛ]")) << help.Output;
  EXPECT_TRUE(Has(help.Output, "Код завершения: 0")) << help.Output;
  // What went wrong is said in Russian, with the usage under it.
  const auto said = [&r](const std::string& args) {
    return RunIn(r.Dir(), ShellQuoted(VELOMAR_RUN_EXE) + " --date 6.12.2026 " + args, " </dev/null 2>&1")
        .Output;
  };
  EXPECT_TRUE(Has(said("'Нет такого'"), "velomar-run: Нет такого: нет такого документа\n"));
  EXPECT_EQ(said("--speed 3 'Ставка НДС'"),
            "velomar-run: неверные аргументы\n"
            "Вызов: velomar-run [--answers ФАЙЛ] [--date Д.ММ.ГГГГ] [--time Ч:ММ:СС] ДОКУМЕНТ\n");
  EXPECT_TRUE(Has(said("--date 31.02.2026 'Ставка НДС'"), "после --date нужна дата вида Д.ММ.ГГГГ"));
  EXPECT_TRUE(Has(said("--answers nowhere.txt 'Ставка НДС'"),
                  "не удается прочитать файл ответов nowhere.txt"));
  // A path of folders finds the document as well.
  EXPECT_EQ(r.Run("'Документы/Ставка НДС'", "Отмена\n").Status, 1);
  EXPECT_EQ(r.Run("'Склад/Ставка НДС'").Status, 1);

  // A busy program directory: the start-up fails.
  TempDir empty;
  EXPECT_EQ(RunIn(empty.Dir(), ShellQuoted(VELOMAR_RUN_EXE) + " 'Ставка НДС'",
                  " </dev/null >/dev/null 2>&1")
                .Status,
            2);
}

// The receipt killed at random moments: after the recovery the next start
// runs, the receipt's two tables hold both the state before it or both the
// state after it.
TEST(VelomarRunCrash, KilledReceiptLeavesBothTablesBeforeOrAfter) {
  TempDir pristine;
  CopyDemoTo(pristine.Dir());
  WriteBytes(pristine / "answers.txt", "Н-77\n3\n10\n150\n");
  TempDir work;
  auto fresh = [&] {
    std::filesystem::remove_all(work.Dir());
    std::filesystem::create_directories(work.Dir());
    for (const auto& e : std::filesystem::directory_iterator(pristine.Dir()))
      std::filesystem::copy_file(e.path(), work / e.path().filename().string());
  };
  auto job = [&] {
    if (::chdir(work.Dir().c_str()) != 0) return false;
    ::setenv("VELOMAR_HOME", work.Dir().c_str(), 1);
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
      return false;
    ::execl(VELOMAR_RUN_EXE, VELOMAR_RUN_EXE, "--answers", "answers.txt", "--date", "6.12.2026",
            "--time", "9:00:00", "Приход по накладной", nullptr);
    return false;
  };
  auto tables = [&] {
    return ReadBytes(work / "income.dbf") + "|" + ReadBytes(work / "goods.dbf");
  };
  ExpectAllOrNothing(100, 20261206, fresh, job, tables, [&](int run) {
    std::vector<std::string> messages;
    ASSERT_NE(RecoverInterruptedCommit(work.Dir(), messages), TRecoveryResult::Failed) << run;
  });
}

// Killed (through a preloaded rename) just after its commit moved
// "manager.ini" aside: the next run recovers the commit before it reads
// the settings, instead of failing on them at every start.
TEST(VelomarRunCrash, AKillWithManagerIniAsideIsRecoveredByTheNextRun) {
  RunRig r;
  const std::string manager = ReadBytes(r.Dir() + "manager.ini");
  WriteBytes(r.Dir() + "answers.txt", "18\nДа\n");
  const std::string args = " --date 6.12.2026 --time 9:00:00 --answers answers.txt 'Ставка НДС'";
  const char* asan = std::getenv("ASAN_OPTIONS");
  const ProgramRun killed =
      RunIn(r.Dir(),
            "env LD_PRELOAD=" + ShellQuoted(VELOMAR_KILL_SHIM) + " VELOMAR_KILL_BEFORE_RENAME_ONTO=/manager.ini " +
                ShellQuoted("ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":verify_asan_link_order=0") + " " +
                ShellQuoted(VELOMAR_RUN_EXE) + args,
            " </dev/null >/dev/null 2>&1");
  EXPECT_NE(killed.Status, 0);
  ASSERT_FALSE(std::filesystem::exists(r.Dir() + "manager.ini"));
  const ProgramRun again = r.Run("'Ставка НДС'", "18\nДа\n");
  EXPECT_EQ(again.Status, 0) << again.Output;
  EXPECT_FALSE(std::filesystem::exists(r.Dir() + kCommitJournalName));
  EXPECT_TRUE(Has(r.Manager(), "ЗНАЧЕН_ПАРАМ='18'")) << r.Manager();
}

// Killed while the document that started the day still runs: the start of
// the day committed the confirmed moment with its data, so the next start
// cannot take the clock back to the day before and start that day again
// over the data of this one.
TEST(VelomarRunCrash, AKillAfterTheStartOfDayKeepsTheNextStartOffTheDayBefore) {
  RunRig r;
  r.AddDocuments({{"Без конца", "VARS\n  I = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
                                "INIT\n  WHILE I, 1, 1, I>0\n  ENDWHILE\nENDSECTION\n"}});
  const pid_t pid = fork();
  if (pid == 0) {
    if (::chdir(r.Dir().c_str()) == 0 && ::setenv("VELOMAR_HOME", r.Dir().c_str(), 1) == 0 &&
        std::freopen("/dev/null", "w", stdout) && std::freopen("/dev/null", "w", stderr))
      ::execl(VELOMAR_RUN_EXE, VELOMAR_RUN_EXE, "--date", "6.12.2026", "--time", "9:00:00", "Без конца",
              nullptr);
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  bool dayStarted = false;
  for (int i = 0; i < 600 && !dayStarted; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    dayStarted = Has(r.Manager(), "ЗНАЧЕН_ПАРАМ='6.12.2026'") &&
                 !std::filesystem::exists(r.Dir() + kCommitJournalName);
  }
  kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(dayStarted) << r.Manager();
  ASSERT_TRUE(WIFSIGNALED(status));

  const ProgramRun back = RunIn(r.Dir(), ShellQuoted(VELOMAR_RUN_EXE) + " --date 5.12.2026 --time 21:00:00 'Ставка НДС'",
                                " </dev/null 2>/dev/null");
  EXPECT_EQ(back.Status, 2) << back.Output;
  EXPECT_TRUE(Has(back.Output, "Дата раньше последней подтверждённой: 6.12.2026")) << back.Output;
  EXPECT_TRUE(Has(r.Manager(), "ЗНАЧЕН_ПАРАМ='6.12.2026'")) << r.Manager();
  // The day itself goes on from the moment it was started for.
  const ProgramRun later = r.Run("'Ставка НДС'", "18\nДа\n");
  EXPECT_EQ(later.Status, 0) << later.Output;
}

// The blanks are compiled for each run: a condition of a form's format
// reads the value the run gave the parameter, not the one last committed.
TEST(VelomarRun, AFormsConditionReadsTheRunsOwnParameters) {
  RunRig r;
  r.AddBlankAndParameter("ПРОБА", "COLCOUNT=1\nLEVELCOUNT=1\nCOLWIDTH[1]=50\n"
                                  "FORMAT[1]=V[[%X% = 1, N,10,2], [1, N,10,0]]",
                         "X", 'N', "0");
  r.AddDocuments({{"Проба", "VARS\n  N = N\nENDSECTION\nFORMS\n  T2 = FORM:ПРОБА, X1:20, Y1:20, Y2:-20, KEYCOL:[1]\n"
                            "ENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
                            "INIT\n  %X% := 1\n  N := ADDROW(T2)\n  SETCELL(T2, 1, 1, 1.5)\n"
                            "  MESSAGE(0, TOSTR(T2[1, 1], 2), 'Проба')\nENDSECTION\n"}});
  const ProgramRun run = r.Run("'Проба'");
  EXPECT_EQ(run.Output, "[Проба] 1.50\n");
}

TEST(VelomarRun, MessageLinesEscapeLineBreaksAndBackslashes) {
  EXPECT_EQ(MessageLine("Внимание"_w, "a\rb\nc\\d"), "[Внимание] a\\rb\\nc\\\\d");
}

// On a terminal (a pseudo-terminal of script(1)) the run error's text
// breaks its line where the box would, with no "\r" written out.
TEST(VelomarRun, ARunErrorOnATerminalBreaksItsLine) {
  RunRig r;
  r.AddDocuments({{"Ошибка счёта",
                   "VARS\n  A = N\nENDSECTION\nBLANK\n  WIDTH = 800\nENDSECTION\n"
                   "INIT\n  A := 1 / 0\nENDSECTION\n"}});
  ASSERT_EQ(r.Run("'Ставка НДС'", "20\nДа\n").Status, 0);
  const std::string run = std::string(VELOMAR_RUN_EXE) + " --date 6.12.2026 --time 9:00:00 'Ошибка счёта'";
  const ProgramRun onTerminal = RunIn(r.Dir(), "script -qec " + ShellQuoted(run) + " /dev/null");
  EXPECT_EQ(onTerminal.Status, 1);
  // The terminal ends each line with CR LF.
  EXPECT_TRUE(Has(onTerminal.Output, "программы в строке 8:\r\n Деление на 0 \r\n")) << onTerminal.Output;
  EXPECT_FALSE(Has(onTerminal.Output, "\\r")) << onTerminal.Output;
}

}  // namespace
}  // namespace vm::test
