// A document run in its window from the main window's menu, as a user runs
// it: two rows entered with the keys, OK, and the results committed; and
// the window closed with rows not saved, answered both ways.
#include "ui/qt/document_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "config/data_dir.h"
#include "config/settings.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "tests/ui/qt/date_answer.h"
#include "tests/ui/qt/modal.h"
#include "ui/data_view.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

TMyMenuItem* FindItem(QMenu* menu, const QString& caption) {
  for (QAction* a : menu->actions()) {
    if (a->menu())
      if (TMyMenuItem* found = FindItem(a->menu(), caption)) return found;
    if (auto* item = qobject_cast<TMyMenuItem*>(a); item && item->text() == caption) return item;
  }
  return nullptr;
}


// Gives the section of a description a new body.
void ReplaceSection(std::string& text, const std::string& name, const std::string& body) {
  const std::string end = "ENDSECTION";
  std::size_t at = text.find("\n" + name);
  ASSERT_NE(at, std::string::npos) << name;
  at = text.find('\n', at + 1) + 1;
  const std::size_t stop = text.find(end, at);
  text.replace(at, stop - at, body + "\n");
}

class DocumentWindowTest : public ::testing::Test {
 protected:
  DocumentWindowTest() {
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  }

  // Runs the program, chooses the income document from its menu, lets
  // inWindow work in the document window, and leaves.
  void RunIncome(std::function<void(TDocumentWindow&)> inWindow,
                 std::function<void(std::string&)> edit = nullptr) {
    TMainProgramHooks hooks;
    hooks.DocumentShown = std::move(inWindow);
    hooks.Shown = [edit, this](TMainWindow& w) {
      if (OnMainWindow) OnMainWindow(w);
      TMyMenuItem* item = nullptr;
      for (QMenu* menu : w.DocMenus())
        if (!item) item = FindItem(menu, QString::fromUtf8("Приход товара"));
      ASSERT_NE(item, nullptr);
      // The language has no base and table built-ins yet: the income
      // document keeps its form, views and checks, and its OK hands the
      // two quantities to an auto-parameter, which commits as tables do.
      std::string& text = item->Doc()->Description;
      ReplaceSection(text, "INIT", Utf8ToCp1251("  ПОСТ := 1"));
      ReplaceSection(text, "WORK", "  I := 0");
      ReplaceSection(text, "OKPRESS",
                     Utf8ToCp1251("  %НДС% := НАКЛАДНАЯ[4, 1] * 100 + НАКЛАДНАЯ[4, 2]"));
      if (edit) edit(text);
      test::ConfirmNextDateDialog();
      item->trigger();
      test::ClickInMessageBox("Да");
      w.close();
    };
    char name[] = "velomar";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  }

  // One row: Insert, then the quantity typed into its cell (the key goes
  // in through the look-up list, which is not built yet).
  static void EnterRow(TDataViewWidget& table, const char* qty) {
    TDataView& view = table.View();
    auto key = [&](Qt::Key k) {
      QTest::keyClick(view.Editing() ? static_cast<QWidget*>(table.Editor()) : &table, k);
    };
    auto type = [&](int32_t col, const QString& text) {
      view.SetCol(col);
      key(Qt::Key_F2);
      table.Editor()->selectAll();
      test::TypeText(table.Editor(), text);
      key(Qt::Key_Return);
    };
    key(Qt::Key_Insert);
    type(3, QString::fromUtf8(qty));
  }

  test::ProgramHome home;
  std::function<void(TMainWindow&)> OnMainWindow;
};

TEST_F(DocumentWindowTest, TwoRowsEnteredWithTheKeysAndOkCommitTheDocument) {
  bool shown = false;
  RunIncome([&](TDocumentWindow& window) {
    shown = true;
    auto* number = window.findChild<QLineEdit*>();
    ASSERT_NE(number, nullptr);
    number->setFocus();
    number->setText("777");
    QTest::keyClick(number, Qt::Key_Return);
    ASSERT_GE(window.TableCount(), 1);
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterRow(table, "5");
    EnterRow(table, "3");
    EXPECT_EQ(table.View().RowCount(), 2);
    EXPECT_EQ(table.View().GetCellText(3, 0), "5");
    EXPECT_EQ(table.View().GetCellText(3, 1), "3");
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
  });
  EXPECT_TRUE(shown);
  // The quantities of both rows reached the shared file.
  ASSERT_TRUE(ReloadAutoParams());
  EXPECT_EQ(Trim(Settings().AutoParams.GetValueText("НДС"_w)), "503");
}

TEST_F(DocumentWindowTest, ClosingWithUnsavedRowsAsksAndNoKeepsTheWindowYesLeavesNothingSaved) {
  ChooseDataDirectory();
  ASSERT_TRUE(LoadAllSettings());
  const std::string vatBefore = Settings().AutoParams.GetValueText("НДС"_w);
  bool stayed = false;
  QString question;
  RunIncome([&](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterRow(table, "2");
    test::ClickInMessageBox("Нет", &question);
    window.reject();
    stayed = window.isVisible();
    test::ClickInMessageBox("Да");
    window.reject();
  });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(question,
            QString::fromUtf8("Все изменения в документе будут игнорированы. Продолжить?"));
  ASSERT_TRUE(ReloadAutoParams());
  EXPECT_EQ(Settings().AutoParams.GetValueText("НДС"_w), vatBefore);
}

TEST_F(DocumentWindowTest, NoToTheEntryQuestionEndsARunThatWouldComeBack) {
  int asked = 0;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [&asked] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->text() != QString::fromUtf8("Начать приход?")) return;
    ++asked;
    for (QAbstractButton* b : box->buttons())
      if (b->text() == QString::fromUtf8(asked < 3 ? "Нет" : "Да")) b->click();
  });
  answer.start();
  bool shown = false;
  RunIncome(
      [&shown](TDocumentWindow& window) {
        shown = true;
        window.done(QDialog::Rejected);
      },
      [](std::string& text) {
        ReplaceSection(text, "INIT", Utf8ToCp1251("  ПОСТ := 1\n  REENTRY"));
        ReplaceSection(text, "BLANK",
                       Utf8ToCp1251("  WIDTH = 1500\n  ENTERCONFIRM = 'Начать приход?'"));
      });
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(shown);
}

// Pictures for people to look at, taken when VELOMAR_SCREENSHOTS names a
// folder (scripts/screenshots runs them under Xvfb).
class ScreenshotOfProgram : public DocumentWindowTest {};

TEST_F(ScreenshotOfProgram, MainWindowAndDocumentWindow) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  const QString out = QString::fromLocal8Bit(folder);
  OnMainWindow = [out](TMainWindow& w) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/main_window.png"));
  };
  RunIncome([out](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterRow(table, "5");
    EnterRow(table, "3");
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(out + "/document_window.png"));
    test::ClickInMessageBox("Да");
    window.reject();
  });
}

}  // namespace
}  // namespace vm
