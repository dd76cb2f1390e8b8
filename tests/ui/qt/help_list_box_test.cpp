// A row of the income document entered through its look-up list, as a
// user does it: the code typed, the goods' record offered under the cell,
// Enter filling the row from the reference book; a code the book lacks is
// refused.
#include "ui/qt/help_list_box.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <filesystem>

#include "platform/encoding.h"
#include "support/program_home.h"
#include "tests/ui/qt/date_answer.h"
#include "tests/ui/qt/modal.h"
#include "tests/ui/qt/menu_items.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/document_window.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

using test::FindItem;

class HelpListBoxTest : public ::testing::Test {
 protected:
  HelpListBoxTest() {
    for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
  }

  void RunIncome(std::function<void(TDocumentWindow&)> inWindow) {
    TMainProgramHooks hooks;
    hooks.DocumentShown = std::move(inWindow);
    hooks.Shown = [](TMainWindow& w) {
      TMyMenuItem* item = nullptr;
      for (QMenu* menu : w.DocMenus())
        if (!item) item = FindItem(menu, QString::fromUtf8("Приход товара"));
      ASSERT_NE(item, nullptr);
      test::ConfirmNextDateDialog();
      item->trigger();
      // Leaving the program asks first.
      test::ClickInMessageBox("Да");
      w.close();
    };
    char name[] = "velomar";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  }

  // Insert, then the key typed into the new row's first cell.
  static void TypeKey(TDataViewWidget& table, const char* text) {
    QTest::keyClick(&table, Qt::Key_Insert);
    ASSERT_TRUE(table.View().Editing());
    test::TypeText(table.Editor(), QString::fromUtf8(text));
  }

  test::ProgramHome home;
};

TEST_F(HelpListBoxTest, TheTypedCodeOffersTheRecordAndEnterFillsTheRowUnknownCodesAreRefused) {
  bool shown = false;
  RunIncome([&](TDocumentWindow& window) {
    shown = true;
    auto* list = window.findChild<THelpListBox*>();
    ASSERT_NE(list, nullptr);
    TDataViewWidget& table = *window.Table(0);
    TDataView& view = table.View();
    table.setFocus();
    TypeKey(table, "3");
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), QString::fromUtf8("Код товара"));
    EXPECT_EQ(list->item(0, 0)->text().trimmed(), "3");
    // The list stays under the key cell and the typing stays in the editor.
    EXPECT_FALSE(list->hasFocus());
    EXPECT_GE(list->y(), table.y());
    // Up and Down never leave the records.
    QTest::keyClick(table.Editor(), Qt::Key_Up);
    EXPECT_EQ(list->Lookup().Selected(), 1);
    // An empty text hides the list; typing again brings it back.
    QTest::keyClick(table.Editor(), Qt::Key_Backspace);
    EXPECT_FALSE(list->isVisible());
    test::TypeText(table.Editor(), "3");
    ASSERT_TRUE(list->isVisible());
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    ASSERT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.GetCellText(1, 0).substr(0, 13), "Масло сливочн"_w);
    EXPECT_EQ(std::stod(view.GetCellText(4, 0)), 145.0);
    // The entry goes on in the quantity; Esc there keeps the row.
    EXPECT_TRUE(view.Editing());
    EXPECT_EQ(view.CurCol(), 3);
    QTest::keyClick(table.Editor(), Qt::Key_Escape);
    EXPECT_EQ(view.RowCount(), 1);

    // A code the book lacks: refused, and typed again in the key.
    TypeKey(table, "99");
    EXPECT_FALSE(list->isVisible());
    QString refusal;
    test::ClickInMessageBox("OK", &refusal);
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    EXPECT_EQ(refusal, QString::fromUtf8("Указанный объект отсутствует в справочнике !"));
    EXPECT_TRUE(view.Editing());
    EXPECT_EQ(view.CurCol(), 0);
    EXPECT_EQ(view.RowCount(), 2);
    // Esc in the key drops the unfinished row.
    QTest::keyClick(table.Editor(), Qt::Key_Escape);
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_FALSE(view.Editing());

    test::ClickInMessageBox("Да");
    window.reject();
  });
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace vm
