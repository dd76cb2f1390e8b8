// What the designer says where it used to say nothing: "Просмотр" of a new
// document whose "№ пароля" was never set, and "Печать" of the "Ярлыки" tab
// without a printer. Each answer is a message box a user can read; with
// VELOMAR_SCREENSHOTS set its picture is kept.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "config/data_dir.h"
#include "config/settings.h"
#include "output/price_tag_rig.h"
#include "output/printer.h"
#include "output/recording_printer.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "tests/ui/qt/modal.h"
#include "tests/ui/qt/on_screen.h"
#include "ui/qt/designer/designer_window.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

QString Folder() {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  return folder ? QString::fromLocal8Bit(folder) : QString();
}

class DesignerRefusals : public ::testing::Test {
 protected:
  DesignerRefusals() {
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
    InstallUiServices(&ui);
    InstallPrintSystem(&printers);
    ChooseDataDirectory();
    EXPECT_TRUE(LoadAllSettings());
    w.ShowDesigner();
    w.show();
  }
  ~DesignerRefusals() override {
    d.Hide();
    InstallPrintSystem(nullptr);
    InstallUiServices(nullptr);
  }

  // The next message box: its caption and text, its picture kept as name,
  // then closed with Enter.
  void ReadNextBox(const QString& name) {
    test::WhenModal([this, name](QWidget* modal) {
      for (int i = 0; i < 5; ++i) QApplication::processEvents();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        caption = box->windowTitle();
        text = box->text();
      }
      if (!Folder().isEmpty()) {
        modal->grab().save(Folder() + "/" + name + ".png");
        // The whole screen as the window manager shows it, where there is one.
        const std::string shot = (Folder() + "/" + name + "_screen.png").toStdString();
        if (std::getenv("DISPLAY") && !test::TakeScreen(shot)) ADD_FAILURE() << shot;
      }
      QTest::keyClick(modal, Qt::Key_Return);
    });
  }

  test::ProgramHome home;
  TQtUiServices ui;
  TRecordingPrintSystem printers;
  test::ZoneCompiling compiling;
  TDesignerHost host;
  TDesigner d{Settings(), host};
  TDesignerWindow w{d};
  QString caption, text;
};

TEST_F(DesignerRefusals, PreviewOfANewDocumentSaysWhyItDoesNotRun) {
  w.SelectTab(TDesignerTab::Commands);
  w.Commands->Select(d.Tree.First());
  w.Commands->Add->click();
  w.Commands->Memo->setPlainText("BLANK\n  WIDTH = 800\nENDSECTION\n");
  ASSERT_EQ(d.CommandsPage.SelectedNode()->Data->PasswordNumber, -1);
  ASSERT_TRUE(w.Commands->Preview->isEnabled());
  ReadNextBox("designer_refused_document");
  w.Commands->Preview->click();
  EXPECT_EQ(caption, ToQt("Просмотр документа '"_w + d.CommandsPage.SelectedNode()->Text + "'"));
  // Setting the number is enough to try it here: nothing needs saving.
  EXPECT_EQ(text, ToQt("Документ не запускается: ему не задан номер пароля.\rЗадайте \"№ пароля\" документа на "_w +
                       "вкладке \"Команды\"."_w));
}

TEST_F(DesignerRefusals, PrintOfTheLabelsTabWithoutAPrinterSaysSo) {
  w.SelectTab(TDesignerTab::Labels);
  ASSERT_NE(d.LabelsPage.CurrentTag(), nullptr);
  ReadNextBox("designer_labels_no_printer");
  w.Labels->Print->click();
  EXPECT_EQ(text, ToQt("Неверные установки принтера\rВыберите принтер в служебных настройках "_w +
                       "(вкладка \"Печать\") и сохраните их."_w));
  EXPECT_TRUE(printers.Jobs.empty());
}

// The printer chosen in "Печать" and not yet saved prints the test page of
// "Ярлыки", as a document tried with "Просмотр" would print; the
// configuration keeps its own printer until "Сохранить".
TEST_F(DesignerRefusals, PrintOfTheLabelsTabTakesThePrinterNotYetSaved) {
  printers.AddPrinter("Этикетки"_w);
  Settings().PrinterName.clear();
  d.Misc.PrinterName = "Этикетки"_w;
  w.SelectTab(TDesignerTab::Labels);
  ASSERT_NE(d.LabelsPage.CurrentTag(), nullptr);
  QStringList said;
  test::ModalAnswerer answerer([&said](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      said << box->text();
      test::AgreeTo(box);
    }
  });
  w.Labels->Print->click();
  EXPECT_TRUE(said.isEmpty()) << said.join("|").toStdString();
  ASSERT_EQ(printers.Jobs.size(), 1u);
  EXPECT_EQ(printers.Jobs[0].Printer, "Этикетки"_w);
  EXPECT_EQ(Settings().PrinterName, "");
}

TEST_F(DesignerRefusals, FormatOfThePrintingTabWithoutAPrinterSaysSo) {
  w.SelectTab(TDesignerTab::Printing);
  ASSERT_GT(d.PageFormatList.Count(), 0);
  w.Printing->Formats->setCurrentRow(0);
  ASSERT_TRUE(w.Printing->Format->isEnabled());
  ReadNextBox("designer_format_no_printer");
  w.Printing->Format->click();
  EXPECT_EQ(text, ToQt("Неверные установки принтера"_w));
}

}  // namespace
}  // namespace vm
