// The demo's page formats as an administrator meets them in the designer's
// "Печать" tab: the printer's settings of each format open on the paper
// the format is named after.
#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "support/cups_queue.h"
#include "support/program_home.h"
#include "tests/ui/qt/modal.h"
#include "ui/qt/designer/designer_tabs.h"
#include "ui/qt/designer/designer_window.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"

namespace vm::test {
namespace {

// Runs the program on a copy of the demo, opens the designer's "Печать"
// tab with the PDF queue as its printer and presses "Формат" on each page
// format, handing each printer-settings dialog to seen before it is left.
void OpenEachFormat(const std::function<void(const QString&, QPageSetupDialog&)>& seen) {
  CupsQueue cups;
  ASSERT_TRUE(cups.Start()) << "the page settings are those of the PDF print queue: " << cups.Why;
  ProgramHome home;
  for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    std::filesystem::copy_file(e.path(), std::filesystem::path(home.Dir()) / e.path().filename());
  TMainProgramHooks hooks;
  hooks.DesignerShown = [&seen](TDesignerWindow& w) {
    w.SelectTab(TDesignerTab::Printing);
    TPrintingTab& p = *w.Printing;
    p.Printer->setCurrentText(QString::fromUtf8(kTestQueue));
    for (int row = 0; row < p.Formats->count(); ++row) {
      const QString name = p.Formats->item(row)->text();
      p.Formats->setCurrentRow(row);
      WhenModalOf<QPageSetupDialog>([&seen, name](QPageSetupDialog* dialog) {
        seen(name, *dialog);
        dialog->reject();
      });
      p.Format->click();
    }
    ClickInMessageBox("Да");
    w.Cancel->click();
  };
  hooks.Shown = [](TMainWindow& w) {
    ClickInMessageBox("Да");
    for (QAction* a : w.ControlMenu()->actions())
      if (a->text() == QString::fromUtf8("Служебные настройки")) a->trigger();
    ClickInMessageBox("Да");
    w.ExitAction()->trigger();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
}

TEST(DemoPageFormats, EachOpensThePrinterSettingsOnItsOwnPaper) {
  std::map<QString, QSizeF> opened;
  // The paper as the dialog shows it to the administrator.
  OpenEachFormat([&opened](const QString& name, QPageSetupDialog& dialog) {
    const auto* width = dialog.findChild<QDoubleSpinBox*>("pageWidth");
    const auto* height = dialog.findChild<QDoubleSpinBox*>("pageHeight");
    if (width && height) opened[name] = QSizeF(width->value(), height->value());
  });
  ASSERT_EQ(opened.size(), 2u);
  const QSizeF label = opened[QString::fromUtf8("Ценник 58x40")];
  EXPECT_NEAR(label.width(), 58, 0.5);
  EXPECT_NEAR(label.height(), 40, 0.5);
  // The sheet format takes the queue's own paper, which is A4.
  const QSizeF sheet = opened["A4"];
  EXPECT_NEAR(sheet.width(), 210, 0.5);
  EXPECT_NEAR(sheet.height(), 297, 0.5);
}

// The whole screen at each format's printer settings, for people to look
// at when VELOMAR_SCREENSHOTS names a folder (scripts/screenshots).
TEST(ScreenshotOfDemoPageFormats, ThePrinterSettingsOfEachFormat) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  int n = 0;
  OpenEachFormat([folder, &n](const QString&, QPageSetupDialog& dialog) {
    QTest::qWait(400);  // the window manager maps and frames it
    if (QScreen* screen = dialog.screen()) {
      EXPECT_TRUE(screen->grabWindow(0).save(QString::fromLocal8Bit(folder) + QString("/page_format%1.png").arg(++n)));
    }
  });
}

}  // namespace
}  // namespace vm::test
