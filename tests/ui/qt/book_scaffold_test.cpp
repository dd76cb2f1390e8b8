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

// What a user sees of the panel at a width that holds it: every button
// whole, its caption within it, in its order at the right; "Поиск:" whole;
// the search line between them taking the room there, overlapping neither.
// Narrower, the line gives way before it covers a button.
TEST(BookScaffold, TheButtonsStandAtTheRightAndTheSearchLineFillsTheRest) {
  QWidget window;
  TBookScaffold scaffold(window, {"Добавить"_w, "Сортировать"_w, "OK"});
  window.resize(600, 300);
  window.show();
  for (int width : {600, 420, 120}) {
    window.resize(width, 300);
    QApplication::processEvents();
    TBookSearchPanel& panel = *scaffold.Panel();
    const QRect edit = scaffold.SearchEdit()->geometry();
    const QRect label = panel.Label()->geometry();
    const QRect first = panel.Button(0)->geometry();
    EXPECT_GE(edit.width(), 0) << width;
    EXPECT_TRUE(edit.width() == 0 || edit.right() < first.left()) << width;
    if (width == 120) continue;
    const QRect inside = panel.rect();
    for (std::size_t i = 0; i < 3; ++i) {
      const QPushButton* b = panel.Button(i);
      EXPECT_TRUE(inside.contains(b->geometry())) << width << " " << i;
      EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 8, b->width()) << width << " " << i;
      if (i > 0) {
        EXPECT_LT(panel.Button(i - 1)->geometry().right(), b->geometry().left()) << width << " " << i;
      }
    }
    EXPECT_LE(inside.right() - panel.Button(2)->geometry().right(), 10) << width;
    EXPECT_TRUE(inside.contains(label));
    EXPECT_GE(label.width(), panel.Label()->fontMetrics().horizontalAdvance(panel.Label()->text())) << width;
    // The line takes the room between the label and the buttons, a small
    // margin at each side.
    EXPECT_GT(edit.left(), label.right()) << width;
    EXPECT_LE(edit.left() - label.right(), 16) << width;
    EXPECT_LE(first.left() - edit.right(), 16) << width;
    EXPECT_GE(edit.height(), scaffold.SearchEdit()->fontMetrics().height()) << width;
    EXPECT_TRUE(inside.contains(edit)) << width;
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
