// What every window keeps to, whoever made it: Enter on a focused button
// presses it, a dialog is as wide as its title, nothing is larger than the
// screen, message boxes stand in the middle of the screen over the window
// that asked, and Qt's own dialogs speak Russian.
#include "ui/qt/window_rules.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFontMetrics>
#include <QImage>
#include <QScreen>
#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTest>
#include <QGuiApplication>
#include <cstdlib>
#include <string>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "modal.h"
#include "title_bar.h"
#include "support/temp_dir.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/cell_text.h"
#include "models/main_state.h"
#include "output/qt/qt_print_system.h"
#include "ui/qt/about_box.h"
#include "ui/qt/designer/designer_dialogs.h"
#include "ui/qt/print_range_dialog.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/message_box.h"
#include "ui/qt/qt_services.h"
#include "ui/qt/screen_place.h"
#include "foundation/qt/qt_text.h"

using namespace vm;
using test::TitleInk;
using test::TitleText;
using test::WhenModal;

namespace {

TEST(WindowRules, EnterOnAFocusedButtonPressesItAndInAnEditKeepsItsMeaning) {
  QDialog dialog;
  auto* edit = new QLineEdit(&dialog);
  auto* first = new QPushButton("1", &dialog);
  auto* second = new QPushButton("2", &dialog);
  first->move(0, 30);
  second->move(0, 60);
  for (QPushButton* b : {first, second}) b->setAutoDefault(false);
  QStringList pressed;
  for (QPushButton* b : {first, second})
    QObject::connect(b, &QPushButton::clicked, [&pressed, b] { pressed << b->text(); });
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  // In an edit, Enter presses nothing of a dialog without a default button.
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  second->setFocus();
  QTest::keyClick(second, Qt::Key_Return);
  QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
  first->setEnabled(false);
  QTest::keyClick(first, Qt::Key_Return);
  EXPECT_EQ(pressed, (QStringList{"2", "2"}));
}

// What the window manager's title bar needs for a title: the text in its
// title font (openbox's default here: DejaVu Sans, bold, 8 points) beside
// the window's icon and three buttons with their padding, measured from
// openbox's own bars; not the formula the program widens by.
int BarNeeds(const QString& title) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPointSizeF(8);
  constexpr int kIconAndButtons = 100;
  return QFontMetrics(font).horizontalAdvance(title) + kIconAndButtons;
}

// The input box of a fixed 219 pixels would cut this title in the middle;
// it grows to the title and keeps its controls centred. (Under a window
// manager ScreenshotOfWindowRules compares the bars as drawn.)
TEST(WindowRules, SmallDialogsAreWidenedToTheirTitles) {
  TInputRequest request;
  request.Caption = "Архивация до даты (включительно)"_w;
  request.Text = "5.12.2026";
  int width = 0, leftGap = -1, rightGap = -2;
  WhenModal([&](QWidget* modal) {
    auto* dialog = static_cast<TInputDialog*>(modal);
    width = dialog->frameGeometry().width();
    leftGap = dialog->OkButton()->geometry().left();
    rightGap = dialog->width() - 1 - dialog->findChildren<QPushButton*>().last()->geometry().right();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_FALSE(ShowInputDialog(request));
  const int need = BarNeeds(ToQt(request.Caption));
  EXPECT_GT(need, 219);
  EXPECT_GE(width, need);
  EXPECT_NEAR(leftGap, rightGap, 2);

  int boxWidth = 0;
  const std::string caption = "Ставка НДС по товарам этой накладной"_w;
  WhenModal([&](QWidget* modal) {
    boxWidth = modal->frameGeometry().width();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  ShowMessageBox(nullptr, "5"_w, caption, kMbInformation);
  EXPECT_GE(boxWidth, BarNeeds(ToQt(caption)));
}

TEST(WindowRules, NoWindowOpensLargerThanTheScreen) {
  QDialog dialog;
  const QRect area = ScreenArea(dialog);
  dialog.resize(area.width() + 300, area.height() + 200);
  dialog.show();
  // Its frame is known, and the fit final, once the window is on the screen.
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(area.contains(dialog.frameGeometry()))
      << dialog.x() << "," << dialog.y() << " " << dialog.width() << "x" << dialog.height();
}

// Notes where the next modal window stands off the middle of the screen
// and over which window, then closes it.
void NoteNextModal(QPoint& offCentre, QWidget** parent = nullptr) {
  offCentre = QPoint(-100, -100);
  WhenModal([&offCentre, parent](QWidget* modal) {
    if (parent) *parent = modal->parentWidget();
    QApplication::processEvents();
    offCentre = modal->frameGeometry().center() - ScreenArea(*modal).center();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
}

// A question asked from the book window stands over it, not over the main
// window (which a window manager would raise with its dialog), and in the
// middle of the screen whatever corner the asking window sits in.
TEST(WindowRules, MessageBoxesStandInTheMiddleOverTheWindowThatAsked) {
  TQtUiServices ui;
  InstallUiServices(&ui);
  QWidget mainWindow;
  mainWindow.setGeometry(0, 0, 250, 100);
  mainWindow.show();
  ui.SetMainWindow(&mainWindow);
  QDialog book(&mainWindow);
  book.setGeometry(0, 0, 300, 200);
  book.show();
  QApplication::setActiveWindow(&book);
  QWidget* parent = nullptr;
  QPoint offCentre;
  NoteNextModal(offCentre, &parent);
  Ui().MsgBox("Вы действительно хотите удалить запись?"_w, "Удаление"_w, kMbYesNoQuestion);
  InstallUiServices(nullptr);
  EXPECT_EQ(parent, &book);
  EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

  NoteNextModal(offCentre);
  ShowAboutBox("", &mainWindow);
  EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();

  // Any dialog that does not place itself.
  NoteNextModal(offCentre);
  AskPrintRange("Печать справочника"_w, "Текущая запись"_w, "Весь справочник"_w, &mainWindow);
  EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();
}

TEST(WindowRules, QtsOwnDialogsSpeakRussian) {
  QColorDialog dialog;
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  dialog.show();
  QStringList texts;
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) texts << b->text().remove('&');
  EXPECT_TRUE(texts.contains(QString::fromUtf8("Отмена"))) << texts.join('|').toStdString();
  EXPECT_FALSE(texts.contains("Cancel"));
}

// Also the sizes and dates they show: the file dialog writes a file's
// size with a Russian unit and its date the Russian way, whatever locale
// the machine runs in.
TEST(WindowRules, QtsOwnDialogsWriteSizesAndDatesInRussian) {
  test::TempDir folder;
  test::WriteBytes(folder / "goods.dbf", std::string(300, 'x'));
  QFileDialog dialog(nullptr, QString(), QString::fromStdString(folder.Dir()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setViewMode(QFileDialog::Detail);
  dialog.show();
  auto* model = dialog.findChild<QFileSystemModel*>();
  ASSERT_NE(model, nullptr);
  const QString file = QString::fromStdString(folder / "goods.dbf");
  QString size, date;
  for (int i = 0; i < 200 && (size.isEmpty() || date.isEmpty()); ++i) {
    QTest::qWait(10);
    size = model->index(file, 1).data().toString();
    date = model->index(file, 3).data().toString();
  }
  EXPECT_EQ(size, QString::fromUtf8("300 байты"));
  EXPECT_TRUE(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4} ").match(date).hasMatch()) << date.toStdString();
}

}  // namespace

namespace {

// The small dialogs whose titles a window manager used to cut, the message
// boxes, "О программе..." and the date dialog, each as the whole screen
// shows it (frames and titles included), when VELOMAR_SCREENSHOTS names a
// folder and a real display runs: each title is drawn whole, as the window
// manager draws it in a window wide enough for any title, and the dialog
// lies wholly on the screen.
class ScreenshotOfWindowRules : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
    if (!folder || QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no screen to take";
    folder_ = folder;
    InstallUiServices(&ui);
    MainState().Clock.Fix(TDateRec{5, 12, 2026}, TTimeRec{20, 15, 0});
    mainWindow.setWindowTitle(QString::fromUtf8("Веломар"));
    mainWindow.setGeometry(0, 0, 250, 100);
    mainWindow.show();
    ui.SetMainWindow(&mainWindow);
  }
  void TearDown() override { InstallUiServices(nullptr); }

  // A window's place with its frame; a frame Qt has not learnt yet is
  // taken to be the main window's (the window manager frames all alike).
  QRect Framed(const QWidget& window) const {
    QMargins frame = FrameMargins(window);
    if (frame.top() <= 4) frame = FrameMargins(mainWindow);
    return window.geometry().marginsAdded(frame);
  }

  static void Settle() {
    for (int i = 0; i < 10; ++i) {
      QApplication::processEvents();
      QTest::qWait(30);
    }
  }

  // Takes the screen once the next modal window has settled (after what
  // prepare types into it), then closes that window and checks its title
  // against the same title in a window wide enough for it.
  void TakeNext(const std::string& name, std::function<void(QWidget*)> prepare = nullptr) {
    WhenModal([this, name, prepare](QWidget* modal) {
      if (prepare) prepare(modal);
      Settle();
      const std::string shot = "import -window root '" + folder_ + "/" + name + "_screen.png' 2>/dev/null";
      if (std::system(shot.c_str()) != 0) ADD_FAILURE() << shot;
      // The frame and its bar may come a moment after the window.
      std::vector<bool> shown;
      for (int i = 0; i < 10 && TitleText(shown).empty(); ++i) {
        if (i > 0) Settle();
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        shown = TitleInk(screen, Framed(*modal), modal->geometry());
      }
      const QString title = modal->windowTitle();
      EXPECT_TRUE(ScreenArea(*modal).contains(Framed(*modal))) << name;
      for (const char* caption : {"Отмена", "OK"})
        for (QPushButton* b : modal->findChildren<QPushButton*>())
          if (b->text() == QString::fromUtf8(caption) && b->isEnabled()) {
            b->click();
            return ExpectWholeTitle(name, title, shown);
          }
      static_cast<QDialog*>(modal)->done(0);
      ExpectWholeTitle(name, title, shown);
    });
  }

  // The bar of a dialog shows the same text, column for column, as a wide
  // window of the same title.
  void ExpectWholeTitle(const std::string& name, const QString& title, const std::vector<bool>& shown) {
    QWidget wide;
    wide.setWindowTitle(title);
    wide.setGeometry(20, 300, 1100, 80);
    wide.show();
    wide.activateWindow();
    std::vector<bool> text;
    for (int i = 0; i < 10 && text.empty(); ++i) {
      Settle();
      const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
      text = TitleText(TitleInk(screen, Framed(wide), wide.geometry()));
    }
    const std::vector<bool> drawn = TitleText(shown);
    ASSERT_GT(text.size(), 20u) << name << ": no title found in the wide window";
    EXPECT_NEAR(static_cast<double>(drawn.size()), static_cast<double>(text.size()), 1) << name << ": the title is cut";
    int differ = 0;
    for (std::size_t x = 0; x < text.size() && x < drawn.size(); ++x)
      if (drawn[x] != text[x]) ++differ;
    EXPECT_LE(differ, static_cast<int>(text.size()) / 20)
        << name << ": the title is cut (" << differ << " of " << text.size() << " columns differ)";
  }

  std::string folder_;
  TQtUiServices ui;
  QWidget mainWindow;
};

TEST_F(ScreenshotOfWindowRules, SmallDialogsMessageBoxesAboutAndDate) {
  TInputRequest input;
  input.Caption = "Архивация до даты (включительно)"_w;
  input.Text = "5.12.2026";
  TakeNext("input_archive_date");
  ShowInputDialog(input, &mainWindow);
  TakeNext("message_vat");
  Ui().MsgBox("Ставка НДС изменена"_w, "Ставка НДС"_w, kMbInformation);
  TakeNext("message_restore");
  Ui().MsgBox("Восстановление данных успешно завершено"_w, "Восстановление данных"_w, kMbInformation);
  TakeNext("about");
  ShowAboutBox("Магазин «Колосок»"_w, &mainWindow);
  TakeNext("password_dialog");
  std::string password;
  ShowPasswordDialog("Пароль на вход в программу"_w, password, &mainWindow);
  TakeNext("base_dialog");
  TBaseDialogTexts texts;
  ShowBaseDialog("Добавить новую базу"_w, texts, {}, {}, -1, &mainWindow);
  TakeNext("autoparam_dialog");
  std::string name, typed, type;
  ShowAddAutoParamDialog("Добавить автопараметр"_w, name, typed, {}, type, &mainWindow);
  TakeNext("field_dialog");
  TFieldDialogTexts field{"", "Строка"_w, "10", "0"};
  ShowFieldDialog(field, "Создать новое поле"_w, {}, -1, &mainWindow);
  TakeNext("archive_entry_dialog");
  TArchiveEntryDialog entry;
  entry.BaseChoices = {"ПРОДАЖИ"_w};
  entry.DateFields = {"DAT"};
  entry.GroupFields = {"нет"_w};
  entry.Values.Base = "ПРОДАЖИ"_w;
  ShowArchiveEntryDialog(entry, &mainWindow);
  TakeNext("question");
  QuestionRequest question;
  question.Caption = "Выручка за период"_w;
  question.CancelVisible = true;
  question.Inputs = {{"С даты"_w, 'D', 10, 0, "1.12.2026", 10}, {"По дату"_w, 'D', 10, 0, "5.12.2026", 10}};
  std::vector<std::string> answers;
  ui.AskQuestion(question, answers);
  // Qt's own dialogs, in Russian words, sizes, dates and lengths.
  test::TempDir folder;
  test::WriteBytes(folder / "goods.dbf", std::string(300, 'x'));
  QFileDialog files(&mainWindow, QString::fromUtf8("Открыть"), QString::fromStdString(folder.Dir()));
  files.setOption(QFileDialog::DontUseNativeDialog);
  files.setViewMode(QFileDialog::Detail);
  TakeNext("file_dialog");
  files.exec();
  // The page settings dialog as "Формат" of the printing tab opens it.
  TQtPrintSystem printing;
  printing.OutputFile = folder / "page.pdf";
  printing.DialogOwner = &mainWindow;
  std::string mode = printing.DriverDeviceMode(TQtPrintSystem::kPdfFilePrinter);
  TakeNext("page_setup");
  printing.EditDeviceMode(TQtPrintSystem::kPdfFilePrinter, mode);
  TakeNext("print_range");
  AskPrintRange("Печать справочника"_w, "Текущая запись"_w, "Весь справочник"_w, &mainWindow);
  TakeNext("date_dialog");
  DateTimeFields value{5, 12, 2026, 20, 15, 0};
  ui.AskDateTime(value);
  TakeNext("date_dialog_no_time", [](QWidget* modal) { modal->findChildren<QLineEdit*>().last()->setText("25:00"); });
  ui.AskDateTime(value);
  TakeNext("message_long_code");
  Ui().MsgBox("Нет товара со штрихкодом "_w + std::string(300, '4'), "Продажа"_w, kMbError);
  TakeNext("message_too_wide");
  Ui().MsgBox("Введены неправильные данные\rВ поле помещается число не больше 7 знаков до точки и 2 после нее"_w,
              "Веломар"_w, kMbError);
  TakeNext("message_too_wide_negative");
  TColFormat price;
  price.Kind = 'N';
  price.Mode = 10;
  price.Decimals = 2;
  Ui().MsgBox(CellRefusalText(&price, NormalizeCellInput(&price, "-1234567,5")), "Веломар"_w, kMbError);
}

}  // namespace
