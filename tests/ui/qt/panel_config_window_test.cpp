// "Настройка" of the panels from the main window on the sample data: a
// panel added (another's caption refused), a button added through the
// button dialog (a folder and a document already there refused), the order
// changed; OK rewrites "program.ini" and rebuilds the panels, "Отмена"
// leaves the file as it was, byte for byte.
#include "ui/qt/panel_config_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <iterator>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/modal.h"
#include "ui/qt/qt_services.h"
#include "models/startup.h"

namespace vm {
namespace {

std::string FileBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, const char* text) {
  const auto found = tree->findItems(QString::fromUtf8(text), Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.front();
}

class PanelConfigWindowTest : public ::testing::Test {
 protected:
  PanelConfigWindowTest() {
    test::CopyDemoTo(home.Dir());
    InstallUiServices(&ui);
    EXPECT_EQ(StartUp(), 0);
    UnlockBases();
  }
  ~PanelConfigWindowTest() override {
    ShutDown();
    InstallUiServices(nullptr);
  }

  test::ProgramHome home;
  TQtUiServices ui;
};

TEST_F(PanelConfigWindowTest, OkRewritesTheConfigurationAndRebuildsThePanels) {
  TMainWindow main(Settings(), {});
  bool refusedTaken = false, refusedFolder = false, refusedTwice = false, done = false;
  test::WhenModalOf<TConfigForm>([&](TConfigForm* form) {
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Настройка панелей"));
    EXPECT_EQ(form->ButtonGroup()->title(), QString::fromUtf8(" Кнопки панели \"Основная\" "));
    test::WhenModalOf<TInputDialog>([&](TInputDialog* input) {
      input->Edit()->setText(QString::fromUtf8("основная"));
      refusedTaken = !input->OkButton()->isEnabled();
      input->Edit()->setText(QString::fromUtf8("Отчёты"));
      input->OkButton()->click();
    });
    form->AddPanelButton()->click();
    ASSERT_EQ(form->Panels()->count(), 2);
    EXPECT_EQ(form->Panels()->currentRow(), 1);
    test::WhenModalOf<TButConfForm>([&](TButConfForm* dialog) {
      EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Добавление кнопки к панели \"Отчёты\""));
      QTreeWidget* tree = dialog->Tree();
      tree->setCurrentItem(FindNode(tree, "Склад"));
      dialog->CaptionEdit()->setText(QString::fromUtf8("Склад"));
      refusedFolder = !dialog->OkButton()->isEnabled();
      dialog->CaptionEdit()->clear();
      tree->setCurrentItem(FindNode(tree, "Выручка за период"));
      EXPECT_EQ(dialog->CaptionEdit()->text(), QString::fromUtf8("Выручка за период"));
      dialog->OkButton()->click();
    });
    form->AddButtonButton()->click();
    ASSERT_EQ(form->ButtonList()->count(), 1);
    // The same document a second time on this panel is refused.
    test::WhenModalOf<TButConfForm>([&](TButConfForm* dialog) {
      dialog->Tree()->setCurrentItem(FindNode(dialog->Tree(), "Выручка за период"));
      refusedTwice = !dialog->OkButton()->isEnabled();
      dialog->CancelButton()->click();
    });
    form->AddButtonButton()->click();
    EXPECT_EQ(form->ButtonList()->count(), 1);
    form->PanelUpButton()->click();
    EXPECT_EQ(form->Panels()->item(0)->text(), QString::fromUtf8("Отчёты"));
    done = true;
    form->OkButton()->click();
  });
  main.PanelSetupAction()->trigger();
  EXPECT_TRUE(done);
  EXPECT_TRUE(refusedTaken);
  EXPECT_TRUE(refusedFolder);
  EXPECT_TRUE(refusedTwice);
  TSettingsModel reread;
  ASSERT_TRUE(ReadConfigurationFile(0, DataDir() + "program.ini", reread));
  ASSERT_EQ(reread.Panels.Count(), 2);
  EXPECT_EQ(reread.Panels.GetPanel(0)->Name, "Отчёты"_w);
  EXPECT_EQ(reread.Panels.GetPanel(0)->GetTool(0)->DocID, 10);
  // The "Панели" menu lists both panels again.
  QStringList items;
  for (QAction* a : main.PanelsMenu()->actions())
    if (!a->isSeparator()) items << a->text();
  EXPECT_EQ(items, (QStringList{"Настройка", "Отчёты", "Основная"}));
}

TEST_F(PanelConfigWindowTest, CancelLeavesTheConfigurationFileByteForByte) {
  const std::string before = FileBytes(DataDir() + "program.ini");
  TMainWindow main(Settings(), {});
  test::WhenModalOf<TConfigForm>([](TConfigForm* form) {
    form->ButtonList()->setCurrentRow(0);
    form->DeleteButtonButton()->click();
    form->ButtonDownButton()->click();
    test::ClickInMessageBox("Да");
    form->DeletePanelButton()->click();
    EXPECT_EQ(form->Panels()->count(), 0);
    EXPECT_FALSE(form->AddButtonButton()->isEnabled());
    form->CancelButton()->click();
  });
  main.PanelSetupAction()->trigger();
  EXPECT_EQ(FileBytes(DataDir() + "program.ini"), before);
  ASSERT_EQ(Settings().Panels.Count(), 1);
  EXPECT_EQ(Settings().Panels.GetPanel(0)->ToolCount(), 4);
}

}  // namespace
}  // namespace vm
