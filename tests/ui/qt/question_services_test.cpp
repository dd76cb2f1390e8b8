// The question and base-question dialogs as the document language asks
// for them through the windows' services, answered as a user would.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

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

}  // namespace
