// The question and base-question dialogs as the document language asks
// for them through the windows' services, answered as a user would.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

#include "documents/value_edit.h"
#include "modal.h"
#include "ui/qt/base_question_dialog.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/question_dialog.h"

using namespace vm;
using test::WhenModal;

namespace {

QuestionRequest TwoInputs() {
  QuestionRequest request;
  request.Caption = "Ask";
  request.CancelVisible = true;
  request.Inputs = {{"Sum", 'N', 10, 2, "1.00", 10}, {"Name", 'C', 0, 0, "x", 15}};
  // Both texts must not be empty.
  request.Accept = [](const std::vector<std::string>& t) { return t.size() == 2 && !t[0].empty() && !t[1].empty(); };
  return request;
}

TEST(QuestionServices, EditsTakeTheAnswersAndOkWaitsForValidOnes) {
  TQtUiServices ui;
  const QuestionRequest request = TwoInputs();
  bool okWhileEmpty = true;
  WhenModal([&okWhileEmpty](QWidget* modal) {
    auto* dialog = qobject_cast<TQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Ask");
    const QList<QLineEdit*> edits = dialog->Client()->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->x(), edits[1]->x());  // aligned after the widest label
    EXPECT_EQ(edits[1]->y() - edits[0]->y(), 24);
    edits[0]->clear();
    okWhileEmpty = dialog->OkButton()->isEnabled();
    edits[0]->setText("12.5");
    dialog->OkButton()->click();
  });
  std::vector<std::string> texts;
  EXPECT_TRUE(ui.AskQuestion(request, texts));
  EXPECT_FALSE(okWhileEmpty);
  EXPECT_EQ(texts, (std::vector<std::string>{"12.5", "x"}));

  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(ui.AskQuestion(request, texts));
  EXPECT_TRUE(texts.empty());
}

// "10,5" typed for a sum of two decimals: refused while typed, shown as
// "10.50" and taken once the field is left by Enter, which goes on to the
// next field rather than pressing OK; Enter in the last field leaves it too
// and then presses OK.
TEST(QuestionServices, EnterLeavesAFieldShowingItsValueAndOkWaitsForEveryOne) {
  TQtUiServices ui;
  QuestionRequest request;
  request.Caption = "Sale";
  request.Inputs = {{"Sum", 'N', 10, 2, "", 10}, {"Count", 'N', 5, 0, "", 5}};
  const std::vector<TValueEdit> formats = {{'N', 10, 2}, {'N', 5, 0}};
  request.Accept = [&formats](const std::vector<std::string>& t) {
    return t.size() == 2 && formats[0].IsValid(t[0]) && formats[1].IsValid(t[1]);
  };
  bool okWhileTyped = true, okAfterLeaving = true, shownAfterFirstEnter = false;
  QString sumShown;
  QWidget* focusAfterFirstEnter = nullptr;
  QList<QLineEdit*> edits;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QApplication::setActiveWindow(dialog);
    edits = dialog->Client()->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    ASSERT_EQ(QApplication::focusWidget(), edits[0]);
    test::TypeText(edits[0], "10,5");
    okWhileTyped = dialog->OkButton()->isEnabled();
    QTest::keyClick(edits[0], Qt::Key_Return);
    shownAfterFirstEnter = dialog->isVisible();
    focusAfterFirstEnter = QApplication::focusWidget();
    sumShown = edits[0]->text();
    // The count is still empty: OK waits for it.
    okAfterLeaving = dialog->OkButton()->isEnabled();
    test::TypeText(edits[1], " 4 ");
    QTest::keyClick(edits[1], Qt::Key_Return);
    if (dialog->isVisible()) dialog->CancelButton()->click();
  });
  std::vector<std::string> texts;
  EXPECT_TRUE(ui.AskQuestion(request, texts));
  EXPECT_FALSE(okWhileTyped);
  EXPECT_TRUE(shownAfterFirstEnter);
  EXPECT_EQ(focusAfterFirstEnter, edits.value(1));
  EXPECT_EQ(sumShown, "10.50");
  EXPECT_FALSE(okAfterLeaving);
  EXPECT_EQ(texts, (std::vector<std::string>{"10.50", "4"}));
}

// A text edit of a width takes that many characters and no more, as a
// table cell does; one without a width, and a number edit, take all.
TEST(QuestionServices, ATextEditTakesAtMostItsWidth) {
  TQtUiServices ui;
  QuestionRequest request;
  request.Caption = "Phone";
  request.Inputs = {{"Phone", 'C', 20, 0, "", 20}, {"Note", 'C', 0, 0, "", 15}, {"Sum", 'N', 5, 0, "", 5}};
  const std::string phone = "+7 910 555-00-00 ext. 5";
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QApplication::setActiveWindow(dialog);
    const QList<QLineEdit*> edits = dialog->Client()->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 3);
    for (QLineEdit* edit : edits) test::TypeText(edit, QString::fromStdString(phone));
    dialog->OkButton()->click();
  });
  std::vector<std::string> texts;
  ASSERT_TRUE(ui.AskQuestion(request, texts));
  EXPECT_EQ(texts, (std::vector<std::string>{phone.substr(0, 20), phone, phone}));
}

// The labels and edits stand off the window's edges as the controls of
// every other dialog do, by the margins the style gives a layout.
TEST(QuestionServices, LabelsAndEditsKeepTheMarginsOfTheOtherDialogs) {
  TQtUiServices ui;
  QRect labels, edits;
  int width = 0;
  QStyle* style = nullptr;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    style = dialog->style();
    width = dialog->Client()->width();
    for (QLabel* l : dialog->Client()->findChildren<QLabel*>()) labels |= l->geometry();
    for (QLineEdit* e : dialog->Client()->findChildren<QLineEdit*>()) edits |= e->geometry();
    dialog->OkButton()->click();
  });
  std::vector<std::string> texts;
  ASSERT_TRUE(ui.AskQuestion(TwoInputs(), texts));
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(labels.left(), style->pixelMetric(QStyle::PM_LayoutLeftMargin));
  EXPECT_GE(std::min(labels.top(), edits.top()), style->pixelMetric(QStyle::PM_LayoutTopMargin) - 2);
  EXPECT_LE(edits.right() + 1, width - style->pixelMetric(QStyle::PM_LayoutRightMargin));
}

TEST(QuestionServices, BaseQuestionChoosesARowOrAsksForANewRecord) {
  TQtUiServices ui;
  BaseQuestionRequest request;
  request.Caption = "Pick";
  request.Titles = {"Name", "Qty"};
  request.ColumnWidths = {60, 40};
  request.Rows = {{"a", "1"}, {"b", "2"}};
  request.GridWidth = 250;
  request.NewVisible = true;
  request.CancelVisible = true;
  int asked = 0;
  request.AddNew = [&asked] { return ++asked == 2; };

  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TBaseQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Cell(1, 0), "Qty");
    EXPECT_EQ(dialog->Cell(0, 2), "b");
    dialog->SetCurrentRow(2);
    dialog->OkButton()->click();
  });
  int32_t row = -1;
  EXPECT_EQ(ui.AskBaseQuestion(request, row), BaseQuestionEnd::Chosen);
  EXPECT_EQ(row, 1);

  // Esc is "Новая запись": refused once, the dialog comes back; then made.
  WhenModal([](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    WhenModal([](QWidget* again) { QTest::keyClick(again, Qt::Key_Escape); });
  });
  EXPECT_EQ(ui.AskBaseQuestion(request, row), BaseQuestionEnd::NewRecord);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(row, -1);
}

// Where the dialogs stand (no window manager here: no frames).
bool CentredOnScreen(const QWidget* dialog) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  return (dialog->geometry().center() - screen.center()).manhattanLength() <= 2;
}

// The grid as the core sized it from the plain font: its texts still show
// whole, the rows asked for all show, and the dialog stands in the middle.
TEST(QuestionServices, BaseQuestionShowsItsRowsWholeInTheMiddleOfTheScreen) {
  TQtUiServices ui;
  BaseQuestionRequest request;
  request.Titles = {"Поставщик", "Телефон"};
  request.ColumnWidths = {60, 40};
  request.Rows = {{"ИП Соколов Андрей Викторович", "+7 910 555-12-34"},
                  {"ООО Молочный двор", "+7 4822 55-12-34"},
                  {"ООО Хлебозавод № 2", "+7 4822 33-45-67"}};
  request.GridWidth = 250;
  request.VisibleRows = 3;
  bool centred = false;
  int shownRows = 0;
  std::vector<int> spare;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TBaseQuestionDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QTableWidget* grid = dialog->Grid();
    centred = CentredOnScreen(dialog);
    shownRows = grid->viewport()->height() / grid->rowHeight(1);
    for (int c = 0; c < grid->columnCount(); ++c)
      spare.push_back(grid->columnWidth(c) - static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c));
    dialog->OkButton()->click();
  });
  int32_t row = -1;
  EXPECT_EQ(ui.AskBaseQuestion(request, row), BaseQuestionEnd::Chosen);
  EXPECT_TRUE(centred);
  EXPECT_GE(shownRows, 4);  // the titles and the three rows
  for (int s : spare) EXPECT_GE(s, 0);

  WhenModal([&](QWidget* modal) {
    centred = CentredOnScreen(modal);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  std::vector<std::string> texts;
  ui.AskQuestion(TwoInputs(), texts);
  EXPECT_TRUE(centred);
}

}  // namespace
