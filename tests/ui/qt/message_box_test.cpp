#include "ui/qt/message_box.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "modal.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "foundation/qt/qt_text.h"

using namespace vm;

namespace {

struct Seen {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QString defaultButton;
};

// Shows a box, notes what it shows and answers it with key.
int32_t Answer(uint32_t flags, Qt::Key key, Seen& seen) {
  test::WhenModal([&seen, key](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
    QTest::keyClick(box, key);
  });
  return ShowMessageBox(nullptr, "Нет связи с базой <ТОВАРЫ>"_w, "Веломар"_w, flags);
}

TEST(MessageBox, ShowsTheTextCaptionIconAndButtonsOfTheFlags) {
  Seen error;
  EXPECT_EQ(Answer(kMbError, Qt::Key_Return, error), kIdOk);
  EXPECT_EQ(error.title, QString::fromUtf8("Веломар"));
  EXPECT_EQ(error.text, QString::fromUtf8("Нет связи с базой <ТОВАРЫ>"));
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.buttons, QStringList{"OK"});

  Seen warning;
  EXPECT_EQ(Answer(kMbWarning, Qt::Key_Escape, warning), kIdOk);
  EXPECT_EQ(warning.icon, QMessageBox::Warning);

  Seen info;
  EXPECT_EQ(Answer(0x2041, Qt::Key_Escape, info), kIdCancel);
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.buttons.size(), 2);
  EXPECT_EQ(info.defaultButton, "OK");
}

TEST(MessageBox, EnterAnswersTheDefaultButton) {
  Seen yesFirst;
  EXPECT_EQ(Answer(0x2024, Qt::Key_Return, yesFirst), kIdYes);
  EXPECT_EQ(yesFirst.icon, QMessageBox::Question);
  EXPECT_EQ(yesFirst.defaultButton, QString::fromUtf8("Да"));
  EXPECT_TRUE(yesFirst.buttons.contains(QString::fromUtf8("Нет")));

  Seen noFirst;
  EXPECT_EQ(Answer(kMbYesNoQuestion, Qt::Key_Return, noFirst), kIdNo);
  EXPECT_EQ(noFirst.defaultButton, QString::fromUtf8("Нет"));

  Seen danger;
  EXPECT_EQ(Answer(kMbYesNoWarning, Qt::Key_Return, danger), kIdNo);
  EXPECT_EQ(danger.icon, QMessageBox::Warning);
}

}  // namespace

namespace {

// A scanner's line of 300 digits: the box stays on the screen, and its
// text, broken into lines, keeps every digit.
TEST(MessageBox, AVeryLongWordIsBrokenIntoLinesWithinTheScreen) {
  const std::string code(300, '7');
  QRect box, screen;
  QString shown;
  test::WhenModal([&](QWidget* modal) {
    box = modal->frameGeometry();
    screen = modal->screen()->availableGeometry();
    shown = qobject_cast<QMessageBox*>(modal)->text();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  ShowMessageBox(nullptr, "Нет товара со штрихкодом "_w + code, "Продажа"_w, kMbError);
  EXPECT_TRUE(screen.contains(box)) << box.width() << "x" << box.height() << " on " << screen.width();
  EXPECT_GT(shown.count('\n'), 1);
  EXPECT_EQ(shown.remove('\n'), QString::fromUtf8("Нет товара со штрихкодом ") + QString::fromStdString(code));
}

}  // namespace
