// The parts both reference-book windows are built of: the search panel lays
// its buttons out at the right and gives the search line the room left of
// them at any width; a search line turned off is emptied without a search;
// typing searches the book, while the book's own texts shown there do not.
#include "ui/qt/book_scaffold.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <vector>

#include "platform/encoding.h"

namespace vm {
namespace {

struct TFakeBook {
  struct {
    std::function<void(const std::string&)> ShowSearchText;
    std::function<void(const std::string&)> TypeIntoSearch;
  } Hooks;
  std::vector<std::string> Searched;
  void SearchChanged(const std::string& text) { Searched.push_back(text); }
};

TEST(BookScaffold, TheButtonsStandAtTheRightAndTheSearchLineFillsTheRest) {
  QWidget window;
  TBookScaffold scaffold(window, {"Добавить"_w, "Удалить"_w, "OK"});
  window.resize(600, 300);
  window.show();
  for (int width : {600, 320, 120}) {
    window.resize(width, 300);
    QApplication::processEvents();
    TBookSearchPanel& panel = *scaffold.Panel();
    const QRect add = panel.Button(0)->geometry(), del = panel.Button(1)->geometry(), ok = panel.Button(2)->geometry();
    EXPECT_EQ(ok.right() + 1, panel.width() - 5) << width;
    EXPECT_EQ(del.right() + 1 + 4, ok.left()) << width;
    EXPECT_EQ(add.right() + 1 + 4, del.left()) << width;
    EXPECT_EQ(ok.top(), (panel.height() - ok.height()) / 2);
    const QRect edit = scaffold.SearchEdit()->geometry();
    EXPECT_EQ(edit.left(), panel.Label()->geometry().right() + 1 + 6) << width;
    EXPECT_EQ(edit.width(), std::max(0, add.left() - 14 - edit.left())) << width;
  }
}

TEST(BookScaffold, TypingSearchesWhileTheBooksTextsAndAnEmptiedLineDoNot) {
  QWidget window;
  TBookScaffold scaffold(window, {"Добавить"_w});
  TFakeBook book;
  scaffold.WireSearch(book);
  QLineEdit* edit = scaffold.SearchEdit();
  book.Hooks.ShowSearchText("Велосипед"_w);
  EXPECT_EQ(FromQt(edit->text()), "Велосипед"_w);
  EXPECT_TRUE(book.Searched.empty());
  book.Hooks.TypeIntoSearch("Ш"_w);
  EXPECT_EQ(edit->cursorPosition(), 1);
  edit->insert(QString::fromUtf8("ина"));
  ASSERT_FALSE(book.Searched.empty());
  EXPECT_EQ(book.Searched.back(), "Шина"_w);
  const std::size_t searches = book.Searched.size();
  scaffold.EnableSearch(false);
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_FALSE(scaffold.Panel()->Label()->isEnabled());
  EXPECT_EQ(book.Searched.size(), searches);
  scaffold.EnableSearch(true);
  EXPECT_TRUE(edit->isEnabled());
  scaffold.ShowStatus("Запись 1 из 8"_w);
  EXPECT_EQ(scaffold.Status()->text(), QString::fromUtf8("Запись 1 из 8"));
}

}  // namespace
}  // namespace vm
