// The program: its main window on the data directory. Without a display it
// says so in one line and ends with exit code 2; the headless runner does
// the documents there.
#include <QApplication>
#include <cstdio>

#include "platform/calc_spreadsheet.h"
#include "platform/encoding.h"
#include "foundation/qt/font_families.h"
#include "ui/qt/main_program.h"
#include "ui/qt/window_rules.h"

int main(int argc, char **argv) {
  if (!vm::DisplayAvailable()) {
    std::fprintf(stderr, "%s\n", vm::Cp1251ToUtf8(vm::NoDisplayLine()).c_str());
    return vm::kNoDisplay;
  }
  vm::UseRussianSystemLocale();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8("Веломар"));
  vm::UseFormFont();
  vm::PrepareApplication(app);
  // Started by the first report function; quit when the program ends.
  vm::TCalcSpreadsheet calc("soffice", vm::WindowsOnScreen() ? vm::TOfficeWindows::OnDisplay
                                                             : vm::TOfficeWindows::Headless);
  vm::InstallSpreadsheetServices(&calc);
  const int code = vm::RunMainProgram(argc, argv);
  vm::InstallSpreadsheetServices(nullptr);
  return code;
}
