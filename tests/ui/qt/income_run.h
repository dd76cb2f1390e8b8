// The demo's receipt ("Приход товара") run from the main window's menu, as
// a user runs it, for tests of what its window does: the program started on
// a copy of the demo, the description optionally changed first, and a
// hook that works in the shown document window.
#pragma once

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>

#include "support/program_home.h"
#include "tests/ui/qt/date_answer.h"
#include "tests/ui/qt/modal.h"
#include "models/data_view.h"
#include "ui/qt/data_view_widget.h"
#include "tests/ui/qt/menu_items.h"
#include "ui/qt/document_window.h"
#include "ui/qt/help_list_box.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"

namespace vm::test {


// Gives the section of a description a new body.
inline void ReplaceDescriptionSection(std::string& text, const std::string& name, const std::string& body) {
  std::size_t at = text.find("\n" + name);
  ASSERT_NE(at, std::string::npos) << name;
  at = text.find('\n', at + 1) + 1;
  const std::size_t stop = text.find("ENDSECTION", at);
  text.replace(at, stop - at, body + "\n");
}

class IncomeRun {
 public:
  IncomeRun() {
    for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      std::filesystem::copy_file(e.path(), std::filesystem::path(home.Dir()) / e.path().filename());
  }

  // Runs the program, chooses the receipt (or another document) from its
  // menu (its description changed by edit first), lets inWindow work in the
  // document window, and leaves.
  void Run(std::function<void(TDocumentWindow&)> inWindow, std::function<void(std::string&)> edit = nullptr,
           const char* document = "Приход товара") {
    TMainProgramHooks hooks;
    hooks.DocumentShown = [inWindow = std::move(inWindow)](TDocumentWindow& window) {
      WaitUntilActive(window);
      inWindow(window);
    };
    hooks.Shown = [edit, document, this](TMainWindow& w) {
      if (OnMainWindow) OnMainWindow(w);
      TMyMenuItem* item = nullptr;
      for (QMenu* menu : w.DocMenus())
        if (!item) item = FindItem(menu, QString::fromUtf8(document));
      ASSERT_NE(item, nullptr);
      if (edit) edit(item->Doc()->Description);
      ConfirmNextDateDialog();
      item->trigger();
      ClickInMessageBox("Да");
      w.close();
    };
    char name[] = "velomar";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  }

  // Insert, the code typed and taken from the look-up list with Enter, then
  // the quantity, the column the entry goes on to, and the price, which
  // opens on the one kept: an empty price keeps it, another is typed in its
  // place. Without finish, only the code is typed.
  static void EnterByCode(TDocumentWindow& window, TDataViewWidget& table, const char* code, const char* qty,
                          bool finish = true, const char* price = "") {
    TDataView& view = table.View();
    auto* list = window.findChild<THelpListBox*>();
    ASSERT_NE(list, nullptr);
    QTest::keyClick(&table, Qt::Key_Insert);
    ASSERT_TRUE(view.Editing());
    ASSERT_EQ(view.CurCol(), 0);
    TypeText(table.Editor(), QString::fromUtf8(code));
    ASSERT_TRUE(list->isVisible());
    if (!finish) return;
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    EXPECT_FALSE(list->isVisible());
    ASSERT_TRUE(view.Editing());
    ASSERT_EQ(view.CurCol(), 3);
    TypeText(table.Editor(), QString::fromUtf8(qty));
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    if (view.Editing() && view.CurCol() == 4) {
      TypeText(table.Editor(), QString::fromUtf8(price));
      QTest::keyClick(table.Editor(), Qt::Key_Return);
    }
    EXPECT_FALSE(view.Editing());
  }

  ProgramHome home;
  std::function<void(TMainWindow&)> OnMainWindow;
};

}  // namespace vm::test
