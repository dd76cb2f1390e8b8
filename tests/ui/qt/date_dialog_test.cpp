// The date dialog as the program clock's confirmation shows it: OK only for
// a moment later than the clock, no way out but its two buttons, and the
// computer's date and time at a click.
#include "ui/qt/date_dialog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <cstdio>
#include <string>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "modal.h"
#include "title_bar.h"
#include "platform/clock.h"
#include "platform/encoding.h"
#include "support/scripted_ui.h"
#include "models/main_state.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/question_dialog.h"
#include "ui/qt/designer/checked_dialog.h"
#include "foundation/qt/qt_text.h"

using namespace vm;
using test::WhenModal;
using test::XProperty;

namespace {

class DateDialogTest : public ::testing::Test {
 protected:
  DateDialogTest() {
    InstallUiServices(&ui);
    MainState().Clock.Fix(TDateRec{5, 12, 2026}, TTimeRec{20, 15, 0});
  }
  ~DateDialogTest() override { InstallUiServices(nullptr); }

  static QList<QLineEdit *> Edits(QWidget *modal) { return modal->findChildren<QLineEdit *>(); }

  FixedClock clock{{2026, 12, 7, 9, 30, 0, 0}};
  ScopedClock clockGuard{clock};
  TQtUiServices ui;
};

TEST_F(DateDialogTest, OkWaitsForALaterMomentAndOnlyTheButtonsCloseTheDialog) {
  bool okAtFirst = true, okLater = false, visibleAfterEsc = false, visibleAfterClose = false;
  bool focusOnDate = false, visibleAfterEnter = false, okOffered = false;
  QString caption, offered, hint;
  QStringList labels;
  Qt::WindowFlags flags;
  bool fixedSize = false;
  WhenModal([&](QWidget *modal) {
    auto *form = qobject_cast<TDateDialog *>(modal);
    ASSERT_NE(form, nullptr);
    caption = form->windowTitle();
    flags = form->windowFlags();
    fixedSize = form->minimumSize() == form->maximumSize();
    for (QLabel *l : form->findChildren<QLabel *>())
      if (l->font().bold()) labels << l->text();
    if (auto *why = form->findChild<QLabel *>("hint")) hint = why->isVisible() ? why->text() : QString();
    // Right after a start: the first moment taken, a minute after the clock.
    offered = Edits(form)[0]->text() + " " + Edits(form)[1]->text();
    okOffered = form->OkButton()->isEnabled();
    Edits(form)[1]->setText("20:15:00");
    okAtFirst = form->OkButton()->isEnabled();
    focusOnDate = form->focusWidget() == Edits(form)[0];
    // Enter while OK waits presses no other button.
    QTest::keyClick(form->focusWidget() ? form->focusWidget() : form, Qt::Key_Return);
    visibleAfterEnter = form->isVisible();
    QTest::keyClick(form, Qt::Key_Escape);
    visibleAfterEsc = form->isVisible();
    form->close();
    visibleAfterClose = form->isVisible();
    Edits(form)[1]->setText("20:16:00");
    okLater = form->OkButton()->isEnabled();
    form->OkButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  ASSERT_TRUE(ui.AskDateTime(value));
  EXPECT_EQ(caption, QString::fromUtf8("Текущие дата и время"));
  EXPECT_EQ(labels, (QStringList{"Дата:", "Время:"}));
  EXPECT_EQ(offered, QString("5.12.2026 20:16"));
  EXPECT_TRUE(okOffered);
  EXPECT_EQ(hint, QString::fromUtf8("Дата и время должны быть позже последних подтвержденных: 5.12.2026 20:15"));
  // No border icons asked for, not even the close box it would refuse;
  // what the window manager is told is read below on a real display.
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  // A window of a fixed size is offered no maximise box by any.
  EXPECT_TRUE(fixedSize);
  EXPECT_FALSE(okAtFirst);
  EXPECT_TRUE(focusOnDate);
  EXPECT_TRUE(visibleAfterEnter);
  EXPECT_TRUE(visibleAfterEsc);
  EXPECT_TRUE(visibleAfterClose);
  EXPECT_TRUE(okLater);
  EXPECT_EQ(value.Day, 5);
  EXPECT_EQ(value.Hour, 20);
  EXPECT_EQ(value.Minute, 16);
}

TEST_F(DateDialogTest, SystemDateFillsTheFieldsAndANewDateIsAskedOnce) {
  QString date, time;
  WhenModal([&](QWidget *modal) {
    auto *form = qobject_cast<TDateDialog *>(modal);
    ASSERT_NE(form, nullptr);
    form->SystemDateButton()->click();
    date = Edits(form)[0]->text();
    time = Edits(form)[1]->text();
    EXPECT_TRUE(form->OkButton()->isEnabled());
    test::ClickInMessageBox("Да");
    form->OkButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  ASSERT_TRUE(ui.AskDateTime(value));
  EXPECT_EQ(date, QString("7.12.2026"));
  EXPECT_TRUE(time.startsWith("9:30")) << time.toStdString();
  EXPECT_EQ(value.Day, 7);
  EXPECT_EQ(value.Hour, 9);
  EXPECT_EQ(value.Minute, 30);
}

// The fields are left as in the question dialogs: Enter in the date goes
// on to the time, showing the date as it reads; Enter in the time shows it
// so and confirms.
TEST_F(DateDialogTest, EnterGoesFromTheDateToTheTimeShowingEachAsItReads) {
  QString dateShown, timeShown;
  QWidget *focusAfterDate = nullptr, *timeEdit = nullptr;
  bool openAfterDate = false;
  WhenModal([&](QWidget *modal) {
    auto *form = qobject_cast<TDateDialog *>(modal);
    ASSERT_NE(form, nullptr);
    QApplication::setActiveWindow(form);
    const QList<QLineEdit *> edits = Edits(form);
    ASSERT_EQ(QApplication::focusWidget(), edits[0]);
    timeEdit = edits[1];
    edits[0]->setText("6/12/26");
    QTest::keyClick(edits[0], Qt::Key_Return);
    openAfterDate = form->isVisible();
    focusAfterDate = QApplication::focusWidget();
    dateShown = edits[0]->text();
    edits[1]->setText("9.05");
    test::ClickInMessageBox("Да");
    QTest::keyClick(edits[1], Qt::Key_Return);
    timeShown = edits[1]->text();
    if (form->isVisible()) form->CancelButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  ASSERT_TRUE(ui.AskDateTime(value));
  EXPECT_TRUE(openAfterDate);
  EXPECT_EQ(focusAfterDate, timeEdit);
  EXPECT_EQ(dateShown, QString("6.12.2026"));
  EXPECT_EQ(timeShown, QString("9:05"));
  EXPECT_EQ(std::tuple(value.Day, value.Month, value.Year, value.Hour, value.Minute), std::tuple(6, 12, 2026, 9, 5));
}

// A time that is none, typed, greys OK and the hint says so; a real one
// brings the hint of the last confirmed moment back.
TEST_F(DateDialogTest, TheHintSaysATimeTypedIsNoTimeOfDay) {
  QString noTime, back;
  bool okForNoTime = true;
  WhenModal([&](QWidget *modal) {
    auto *form = qobject_cast<TDateDialog *>(modal);
    ASSERT_NE(form, nullptr);
    QApplication::setActiveWindow(form);
    auto *why = form->findChild<QLabel *>("hint");
    ASSERT_NE(why, nullptr);
    const QList<QLineEdit *> edits = Edits(form);
    edits[1]->setFocus();
    edits[1]->selectAll();
    test::TypeText(edits[1], "25:00");
    okForNoTime = form->OkButton()->isEnabled();
    noTime = why->text();
    edits[1]->setText("21:00");
    back = why->text();
    form->CancelButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  EXPECT_FALSE(ui.AskDateTime(value));
  EXPECT_FALSE(okForNoTime);
  EXPECT_EQ(noTime, QString::fromUtf8("Время 25:00 — не время суток: часы от 0 до 23, минуты и секунды от 0 до 59"));
  EXPECT_EQ(back, QString::fromUtf8("Дата и время должны быть позже последних подтвержденных: 5.12.2026 20:15"));
}

// What the window manager is told, read from the window where an X
// display runs (a test of its own runs this under Xvfb): the dialog may be
// moved and resized, and has no close, minimise or maximise function.
TEST(DateDialogOnX11, AsksTheWindowManagerForNoBorderIcons) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display";
  TDateDialog form;
  form.setWindowTitle(QString::fromUtf8("Текущие дата и время"));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const std::string command = "xprop -id " + std::to_string(form.winId()) + " _MOTIF_WM_HINTS";
  std::string said;
  if (FILE *pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) said += buffer;
    pclose(pipe);
  }
  // "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = flags, functions, decorations, ..."
  const auto equals = said.find('=');
  ASSERT_NE(equals, std::string::npos) << command << ": " << said;
  const unsigned long flags = std::stoul(said.substr(equals + 1), nullptr, 16);
  const unsigned long functions = std::stoul(said.substr(said.find(',', equals) + 1), nullptr, 16);
  constexpr unsigned long kFunctionsGiven = 1, kResize = 2, kMove = 4;
  EXPECT_TRUE(flags & kFunctionsGiven) << said;
  EXPECT_EQ(functions, kResize | kMove) << said;
  form.hide();
}

// What a window manager makes of the dialogs, read back from the window
// once it has framed them (a test of its own runs this under Xvfb with
// openbox): every dialog asks for no minimise and no maximise function, the
// question dialog and the message box for the close button, the date
// dialog and the form name dialog for none; and none is offered a
// maximise, since none can be resized. Openbox offers minimise and close
// on every framed dialog whatever the hints say: minimised, each comes
// back at once, and the main window with it; the date dialog's close does
// nothing.

TEST(DialogsUnderOpenbox, AskForTheCloseButtonOnlyAndTheDateDialogForNone) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display";
  TDateDialog date;
  date.setWindowTitle(QString::fromUtf8("Текущие дата и время"));
  QWidget main;
  main.setWindowTitle(QString::fromUtf8("Веломар"));
  main.resize(300, 100);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  TQuestionDialog question(&main);
  question.setWindowTitle(QString::fromUtf8("Ставка НДС"));
  question.resize(250, 120);
  QMessageBox box(QMessageBox::Information, QString::fromUtf8("Продажа"), QString::fromUtf8("Чек записан"));
  TCheckedDialog name("Новая форма"_w, nullptr);
  name.WithoutCloseButton();
  name.AddEdit("Имя:"_w, "", true);
  for (QWidget* w : std::initializer_list<QWidget*>{&date, &question, &box, &name}) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const bool framed = QTest::qWaitFor(
        [w] { return XProperty(*w, "_NET_WM_ALLOWED_ACTIONS").find("_NET_WM_ACTION_") != std::string::npos; }, 3000);
    if (!framed) GTEST_SKIP() << "no window manager";
    const std::string hints = XProperty(*w, "_MOTIF_WM_HINTS");
    const std::string actions = XProperty(*w, "_NET_WM_ALLOWED_ACTIONS");
    const auto equals = hints.find('=');
    ASSERT_NE(equals, std::string::npos) << hints;
    const unsigned long functions = std::stoul(hints.substr(hints.find(',', equals) + 1), nullptr, 16);
    constexpr unsigned long kMinimise = 8, kMaximise = 16, kClose = 32;
    EXPECT_EQ(functions & (kMinimise | kMaximise), 0u) << hints;
    EXPECT_EQ((functions & kClose) != 0, w != &date && w != &name) << hints;
    EXPECT_EQ(actions.find("MAXIMIZE"), std::string::npos) << actions;
    EXPECT_NE(actions.find("_NET_WM_ACTION_MINIMIZE"), std::string::npos) << actions;
    EXPECT_NE(actions.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << actions;
    EXPECT_TRUE(test::MinimisedComesBack(*w, main));
    w->hide();
  }
}

TEST_F(DateDialogTest, CancelLeavesTheClockAsItWas) {
  WhenModal([](QWidget *modal) {
    auto *form = qobject_cast<TDateDialog *>(modal);
    ASSERT_NE(form, nullptr);
    Edits(form)[0]->setText("9.12.2026");
    form->CancelButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  EXPECT_FALSE(ui.AskDateTime(value));
  EXPECT_EQ(value.Day, 5);
}

}  // namespace

namespace {

// A picture for people to look at, taken when VELOMAR_SCREENSHOTS names a
// folder (scripts/screenshots runs it under Xvfb).
class ScreenshotOfDateDialog : public DateDialogTest {};

TEST_F(ScreenshotOfDateDialog, AsTheClockConfirmationShowsIt) {
  const char *folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  bool saved = false;
  WhenModal([&](QWidget *modal) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    saved = modal->grab().save(QString::fromLocal8Bit(folder) + "/date_dialog.png");
    qobject_cast<TDateDialog *>(modal)->CancelButton()->click();
  });
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  EXPECT_FALSE(ui.AskDateTime(value));
  EXPECT_TRUE(saved);
}

}  // namespace
