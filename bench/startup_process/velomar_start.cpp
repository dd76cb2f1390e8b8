// The program's own start, as its main() does it, ended as soon as the main
// window is on the screen: the measured side of the whole-process start-up
// benchmark.
#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdlib>

#include "platform/calc_spreadsheet.h"
#include "foundation/qt/font_families.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_rules.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8("Веломар"));
  vm::UseFormFont();
  vm::PrepareApplication(app);
  vm::TCalcSpreadsheet calc;
  vm::InstallSpreadsheetServices(&calc);
  vm::TMainProgramHooks hooks;
  hooks.Shown = [](vm::TMainWindow& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    // Measured is the start up to the shown window, not the leaving.
    std::_Exit(0);
  };
  const int code = vm::RunMainProgram(argc, argv, hooks);
  vm::InstallSpreadsheetServices(nullptr);
  return code;
}
