// The page settings dialog of a printer ("Формат" of the printing tab) as
// the program shows it: over the application's font, which is set in
// pixels, Qt draws it with no complaint about its fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include "output/device_mode.h"
#include "output/qt/qt_print_system.h"
#include "tests/ui/qt/modal.h"

namespace vm::test {
namespace {

QStringList* fontWarnings = nullptr;

void NoteFontWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
  if (fontWarnings && text.startsWith("QFont")) fontWarnings->append(text);
}

TEST(PageSetupDialog, DrawsItsPagePreviewInAFontOfAProperSize) {
  QTemporaryDir dir;
  TQtPrintSystem system;
  system.OutputFile = (dir.path() + "/page.pdf").toStdString();
  std::string mode = system.DriverDeviceMode(TQtPrintSystem::kPdfFilePrinter);
  ASSERT_TRUE(DevModeValid(mode));
  const QFont font = QApplication::font();
  QStringList said;
  fontWarnings = &said;
  const QtMessageHandler previous = qInstallMessageHandler(NoteFontWarning);
  bool painted = false;
  WhenModal([&painted](QWidget* dialog) {
    painted = QTest::qWaitForWindowExposed(dialog) && !dialog->grab().isNull();
    qobject_cast<QDialog*>(dialog)->reject();
  });
  EXPECT_FALSE(system.EditDeviceMode(TQtPrintSystem::kPdfFilePrinter, mode));
  qInstallMessageHandler(previous);
  fontWarnings = nullptr;
  EXPECT_TRUE(painted);
  EXPECT_TRUE(said.isEmpty()) << said.join("\n").toStdString();
  // The windows around it keep the font they were made in.
  EXPECT_EQ(QApplication::font(), font);
}

}  // namespace
}  // namespace vm::test
