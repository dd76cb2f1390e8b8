// velomar-run: one document run without windows, as from its menu item.
//
//   velomar-run [--answers FILE] [--date D.MM.YYYY] [--time H:MM:SS] DOCUMENT
//
// Runs in the program directory ($VELOMAR_HOME or the current directory)
// the start-up that needs no window, then DOCUMENT, found by its name in
// the document tree ("folder/.../name" when a name repeats). Exit status: 0
// committed, 1 nothing committed, 2 the start-up failed (a window program
// working on the same program directory included).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/run_services.h"
#include "config/data_dir.h"
#include "config/doctree.h"
#include "config/settings.h"
#include "devices/serial_scanner.h"
#include "documents/document_road.h"
#include "documents/document_window.h"
#include "documents/headless_steps.h"
#include "foundation/text/strutils.h"
#include "foundation/values/dates.h"
#include "platform/calc_spreadsheet.h"
#include "platform/encoding.h"
#include "models/instance_mark.h"
#include "models/startup.h"

using namespace vm;

namespace {

constexpr int kCommitted = 0;
constexpr int kNotCommitted = 1;
constexpr int kFailedStart = 2;

struct TRunOptions {
  std::string Answers;
  std::string Date;
  std::string Time;
  std::string Document;
};

// A Russian program speaks Russian on the terminal too; the texts are
// kept as the program keeps every text and turned to UTF-8 as printed.
std::string UsageLine() {
  return "Вызов: velomar-run [--answers ФАЙЛ] [--date Д.ММ.ГГГГ] [--time Ч:ММ:СС] ДОКУМЕНТ\n"_w;
}

void Print(std::FILE* to, const std::string& text) { std::fputs(Cp1251ToUtf8(text).c_str(), to); }

int Usage(const std::string& why) {
  Print(stderr, "velomar-run: " + why + "\n");
  Print(stderr, UsageLine());
  return kFailedStart;
}

int Help() {
  Print(stdout, UsageLine());
  Print(stdout,
        "\n"
        "Выполняет ДОКУМЕНТ (его имя в дереве документов; когда имя повторяется -\n"
        "с папками над ним: 'Папка/Имя') в каталоге программы ($VELOMAR_HOME или\n"
        "текущем). Каждое сообщение печатается одной строкой. В ФАЙЛЕ ответы, по\n"
        "одному в строке: Да, Нет, OK или Отмена для сообщения или вопроса, текст\n"
        "для поля ввода, номер строки или текст ее первой колонки для выбора из\n"
        "списка. Пустая строка ничего не вводит; когда ответы кончились, каждый\n"
        "вопрос берет свой ответ по умолчанию. Ответ, которого вопрос не\n"
        "принимает, печатается в поток ошибок с тем, что вопросу нужно. --date и\n"
        "--time задают собственные часы программы.\n"
        "Код завершения: 0 - результаты записаны, 1 - ничего не записано, 2 - не\n"
        "удался запуск или неверные аргументы.\n"_w);
  return kCommitted;
}

bool WantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  return false;
}

bool ParseOptions(int argc, char** argv, TRunOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* value = arg == "--answers" ? &o.Answers
                         : arg == "--date"  ? &o.Date
                         : arg == "--time"  ? &o.Time
                                            : nullptr;
    if (value != nullptr) {
      if (++i >= argc) return false;
      *value = argv[i];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return false;
    } else if (o.Document.empty()) {
      o.Document = arg;
    } else {
      return false;
    }
  }
  return !o.Document.empty();
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    parts.push_back(TrimBlanks(path.substr(start, slash - start)));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

bool SameName(const std::string& a, const std::string& b) {
  return CompareStrLocale(TrimBlanks(a), b, false) == 0;
}

// The documents whose name and the names of the folders above it end with
// the path.
std::vector<TDocNode*> FindDocuments(const TDocTree& tree, const std::vector<std::string>& path) {
  std::vector<TDocNode*> found;
  for (TDocNode* node : tree.Nodes()) {
    if (node->HasChildren() || node->Parent() == nullptr) continue;
    const TDocNode* n = node;
    bool match = true;
    for (auto part = path.rbegin(); part != path.rend(); ++part) {
      if (n == nullptr || !SameName(n->Text, *part)) {
        match = false;
        break;
      }
      n = n->Parent();
    }
    if (match) found.push_back(node);
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (WantsHelp(argc, argv)) return Help();
  TRunOptions o;
  if (!ParseOptions(argc, argv, o)) return Usage("неверные аргументы"_w);
  TStartUpOptions startUp;
  if (!o.Date.empty()) {
    if (!IsValidDateStr(o.Date)) return Usage("после --date нужна дата вида Д.ММ.ГГГГ"_w);
    startUp.ClockDate = StrToDateRec(o.Date);
  }
  if (!o.Time.empty()) {
    const TTimeRec time = StrToTimeRec(o.Time);
    if (!IsValidTimeRec(time)) return Usage("после --time нужно время вида Ч:ММ:СС"_w);
    startUp.ClockTime = time;
  }
  std::vector<std::string> answers;
  if (!o.Answers.empty() && !ReadAnswers(o.Answers, answers))
    return Usage("не удается прочитать файл ответов "_w + Utf8ToCp1251(o.Answers));

  TRunServices services(std::move(answers));
  InstallUiServices(&services);
  TScannerInstallation scanner(OnScannerData);
  // Started by the first report function; quit when main returns.
  TCalcSpreadsheet calc;
  InstallSpreadsheetServices(&calc);
  InitProgramDirectory();
  SetCommandLine(argc, argv);

  THeadlessSteps steps;
  TStartOfDayOnRoad startOfDay(steps);
  startUp.StartOfDay = &startOfDay;
  TInstanceMark home = TInstanceMark::OfProgramDirectory(ProgramDirectory());
  startUp.Home = &home;
  if (StartUp(startUp) != 0) return kFailedStart;

  TDocTree& tree = Settings().DocTree;
  tree.CreateAllMenus();
  const std::vector<TDocNode*> found = FindDocuments(tree, SplitPath(Utf8ToCp1251(o.Document)));
  int status = kNotCommitted;
  if (found.size() != 1) {
    Print(stderr, "velomar-run: "_w + Utf8ToCp1251(o.Document) + ": " +
                      (found.empty() ? "нет такого документа"_w
                                     : "документов с таким именем несколько; укажите папки над ним: "
                                       "'Папка/Имя'"_w) +
                      "\n");
  } else {
    int32_t errorLine = 0;
    int32_t errorCode = 0;
    if (RunDocumentChecked(*found.front()->Data, steps, errorLine, errorCode)) status = kCommitted;
  }
  ShutDown();
  return status;
}
