// Each small window opened, answered by a key as a user would, and what it
// returns.
#include <gtest/gtest.h>

#include <map>

#include <filesystem>

#include <QCheckBox>
#include <QFileDialog>
#include <QDateTime>
#include <QFileInfo>
#include <QTreeView>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "config/base_checks.h"
#include "config/table_rig.h"
#include "modal.h"
#include "on_screen.h"
#include "support/program_home.h"
#include "platform/encoding.h"
#include "support/temp_dir.h"
#include "ui/qt/about_box.h"
#include "ui/qt/base_question_dialog.h"
#include "ui/qt/busy_window.h"
#include "ui/qt/gauge.h"
#include "ui/qt/info_window.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/list_dialog.h"
#include "ui/qt/progress_window.h"
#include "ui/qt/qt_services.h"
#include "foundation/qt/qt_text.h"
#include "ui/qt/question_dialog.h"
#include "ui/qt/window_rules.h"

using namespace vm;
using test::PressInModal;
using test::WhenModal;

namespace {

// Types text into the next modal window's focused line edit, then presses key.
void TypeInModal(const QString& text, Qt::Key key, bool* okEnabled = nullptr) {
  WhenModal([text, key, okEnabled](QWidget* modal) {
    auto* dialog = qobject_cast<TInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->Edit()->selectAll();
    test::TypeText(dialog->Edit(), text);
    if (okEnabled) *okEnabled = dialog->OkButton()->isEnabled();
    QTest::keyClick(dialog->Edit(), key);
    // A refused Enter leaves the box open; Esc then closes it.
    if (dialog->isVisible()) QTest::keyClick(dialog->Edit(), Qt::Key_Escape);
  });
}

TEST(InputDialog, ReturnsTheTypedTextAndTheCheckBox) {
  TInputRequest request;
  request.Caption = "Новая форма"_w;
  request.Text = "старое"_w;
  request.CheckCaption = "Локальный"_w;
  request.Ticked = true;
  request.Prompt = "Имя:"_w;
  request.AllowEmpty = false;
  TypeInModal(QString::fromUtf8("Накладная"), Qt::Key_Return);
  EXPECT_TRUE(ShowInputDialog(request));
  EXPECT_EQ(request.Text, "Накладная"_w);
  EXPECT_TRUE(request.Ticked);

  TypeInModal("x", Qt::Key_Escape);
  EXPECT_FALSE(ShowInputDialog(request));
  EXPECT_EQ(request.Text, "Накладная"_w);
}

// Also when its parent, the main window, stands in a corner.
TEST(InputDialog, StandsInTheMiddleOfTheScreen) {
  QWidget mainWindow;
  mainWindow.setGeometry(0, 0, 250, 100);
  mainWindow.show();
  TInputRequest request;
  request.Caption = "Пароль"_w;
  QPoint offCentre(-1, -1);
  WhenModal([&offCentre](QWidget* modal) {
    offCentre = modal->geometry().center() -
                QGuiApplication::primaryScreen()->availableGeometry().center();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_FALSE(ShowInputDialog(request, &mainWindow));
  EXPECT_LE(offCentre.manhattanLength(), 2) << offCentre.x() << "," << offCentre.y();
}

TEST(InputDialog, OkStaysOffUntilTheTextIsValid) {
  struct Case {
    char kind;
    const char* text;
    bool valid;
  };
  const Case cases[] = {{'N', "12,5", false},   {'N', "-12.5", true},  {'D', "31.02.2005", false},
                        {'D', "1.1.1899", false}, {'D', "5.3.2007", true}, {'C', "   ", false},
                        {'C', "товары", false},   {'C', "Цены", true}};
  for (const Case& c : cases) {
    TInputRequest request;
    request.Kind = c.kind;
    request.AllowEmpty = false;
    request.Names = {"ТОВАРЫ"_w, "цены"_w};
    request.ExceptIndex = 1;
    bool okEnabled = !c.valid;
    TypeInModal(QString::fromUtf8(c.text), Qt::Key_Return, &okEnabled);
    EXPECT_EQ(ShowInputDialog(request), c.valid) << c.text;
    EXPECT_EQ(okEnabled, c.valid) << c.text;
  }
}

TEST(InputDialog, HidesAPassword) {
  TInputRequest request;
  request.PasswordChar = '*';
  TInputDialog dialog(request);
  EXPECT_EQ(dialog.Edit()->echoMode(), QLineEdit::Password);
}

TEST(BusyWindow, ShowsAfterTwentyTicksAndItsButtonAsksToStop) {
  TQtUiServices ui;
  int breaks = 0;
  ui.SetBreakHandler([&breaks] { ++breaks; });
  EXPECT_FALSE(ui.BusyRunning());
  ui.EndBusy();  // nothing to end
  ui.BeginBusy();
  ui.BeginBusy();
  ASSERT_TRUE(ui.BusyRunning());
  TBusyWindow* window = ui.BusyWindow();
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Идет обработка"));
  for (int i = 0; i < TBusyWindow::kTicksBeforeShown - 1; ++i) window->Tick();
  EXPECT_FALSE(window->isVisible());
  window->Tick();
  EXPECT_TRUE(window->isVisible());
  for (int i = 0; i < TBusyWindow::kGaugeMax; ++i) window->Tick();
  // A full gauge starts again in the next colour.
  EXPECT_EQ(window->Gauge()->Position(), 0);
  EXPECT_EQ(window->Gauge()->BackColor(), QColor(255, 0, 0));
  EXPECT_EQ(window->Gauge()->ForeColor(), QColor(0, 255, 0));
  QTest::mouseClick(window->findChild<QPushButton*>("cancel"), Qt::LeftButton);
  EXPECT_EQ(breaks, 1);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  ui.EndBusy();  // one end after two begins ends it
  EXPECT_FALSE(ui.BusyRunning());
  EXPECT_EQ(ui.BusyWindow(), nullptr);
}

TEST(ProgressWindow, SizesItselfToTheMessage) {
  TQtUiServices ui;
  ui.SetAppTitle("Склад"_w);
  ui.ShowProgressMessage("Архивирование..."_w, 40);
  TProgressWindow& window = ui.Progress();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Склад"));
  EXPECT_EQ(window.Gauge()->Maximum(), 40);
  EXPECT_EQ(window.width(), window.Message()->x() + window.Message()->width() + 40);
  EXPECT_EQ(window.Gauge()->width(), window.width() - 26);
  ui.HideProgressMessage();
  EXPECT_FALSE(window.isVisible());
}

// Under a title wider than the message the window is as wide as the title,
// shown again and again, its controls where its left edge puts them; and it
// stays enabled while the main window is disabled for the job.
TEST(ProgressWindow, KeepsItsControlsAtTheLeftUnderALongTitle) {
  QWidget main;
  TQtUiServices ui;
  ui.SetMainWindow(&main);
  ui.SetAppTitle("Веломар — магазин «Колосок»"_w);
  TProgressWindow& window = ui.Progress();
  main.setEnabled(false);
  for (const char* text : {"Идет упаковка данных ...", "Идет фрагментация архива..."}) {
    ui.ShowProgressMessage(Utf8ToCp1251(text), 20);
    EXPECT_GE(window.width(), TitleWidth(window));
    EXPECT_EQ(window.Message()->x(), 48);
    EXPECT_EQ(window.Gauge()->geometry(), QRect(8, 48, window.width() - 26, 4));
    EXPECT_TRUE(window.isEnabled());
    // Only the job hides it.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    ui.HideProgressMessage();
  }
}

// What the progress window shows as it is painted, caught without letting
// any event through: the job that reports holds the thread.
class ProgressWatch : public QObject {
 public:
  explicit ProgressWatch(TProgressWindow& window) : window_(window) {
    window.Gauge()->installEventFilter(this);
    window.Message()->installEventFilter(this);
    window.installEventFilter(this);
  }
  int Shown = 0;
  int MaximumShown = 0;
  std::vector<int> Positions;
  QStringList Messages;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched == &window_) {
      ++Shown;
      MaximumShown = window_.Gauge()->Maximum();
    }
    if (event->type() == QEvent::Paint && watched == window_.Gauge()) Positions.push_back(window_.Gauge()->Position());
    if (event->type() == QEvent::Paint && watched == window_.Message() &&
        (Messages.isEmpty() || Messages.back() != window_.Message()->text()))
      Messages << window_.Message()->text();
    return false;
  }

 private:
  TProgressWindow& window_;
};

TEST(ProgressWindow, AJobsReportsMoveTheGaugeAndChangeTheMessageAtOnce) {
  TQtUiServices qt;
  UiServices& ui = qt;
  ui.ShowProgressMessage("Идет восстановление данных ..."_w, 100);
  TProgressWindow& window = qt.Progress();
  ProgressWatch watch(window);
  ui.SetProgressPosition(40);
  EXPECT_EQ(window.Gauge()->Position(), 40);
  ASSERT_FALSE(watch.Positions.empty());
  EXPECT_EQ(watch.Positions.back(), 40);
  // A step the gauge cannot show costs no paint.
  const std::size_t paints = watch.Positions.size();
  ui.SetProgressPosition(40);
  EXPECT_EQ(watch.Positions.size(), paints);
  ui.SetProgressText("Восстанавливаются файлы..."_w);
  EXPECT_EQ(watch.Messages.back(), QString::fromUtf8("Восстанавливаются файлы..."));
  EXPECT_EQ(window.width(), window.Message()->x() + window.Message()->width() + 40);
  ui.SetProgressPosition(100);
  EXPECT_EQ(watch.Positions.back(), 100);
  ui.HideProgressMessage();
  EXPECT_FALSE(window.isVisible());
}

// The start-up check that rebuilds a base shows its progress: the base named,
// the gauge up to its records, moved every hundred, gone at the end.
TEST(ProgressWindow, ABaseRebuiltAtStartUpShowsItsProgress) {
  test::ProgramHome home;
  TQtUiServices qt;
  UiServices* before = &Ui();
  InstallUiServices(&qt);
  test::TableRows rows;
  for (int i = 0; i < 250; ++i) rows.push_back({"товар "_w + std::to_string(i)});
  test::MakeNumberedTable(home / "GOODS.DBF", {{"NAME", 'C', 20, 0}}, rows);
  TUsedBaseList bases;
  TDbaseStructure* base = bases.AddNew();
  base->SetFileName("GOODS.DBF");
  base->AddField({"NAME", 'C', 20, 0});
  base->AddField({"PRICE", 'N', 10, 2});
  ProgressWatch watch(qt.Progress());
  int64_t total = 0;
  const bool checked = CheckBases(bases, true, total);
  InstallUiServices(before);
  ASSERT_TRUE(checked);
  EXPECT_EQ(watch.Shown, 1);
  EXPECT_EQ(watch.MaximumShown, 250);
  ASSERT_FALSE(watch.Messages.isEmpty());
  EXPECT_EQ(watch.Messages.front(), QString::fromUtf8("База GOODS.DBF не соответствует эталону, корректируется"));
  EXPECT_NE(std::find(watch.Positions.begin(), watch.Positions.end(), 100), watch.Positions.end());
  EXPECT_NE(std::find(watch.Positions.begin(), watch.Positions.end(), 200), watch.Positions.end());
  EXPECT_FALSE(qt.Progress().isVisible());
}

// A picture of the progress window halfway through a job, taken by another
// program while the job holds the thread (no event let through since the
// gauge moved), when VELOMAR_SCREENSHOTS names a folder: the X server has
// the moved gauge under the new message.
TEST(ScreenshotOfProgressWindow, HalfwayThroughAJob) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  TQtUiServices qt;
  UiServices& ui = qt;
  ui.ShowProgressMessage("База GOODS.DBF не соответствует эталону, корректируется"_w, 100);
  ui.SetProgressPosition(30);
  test::WaitUntilDrawn();
  const QString dir = QString::fromLocal8Bit(folder);
  ASSERT_EQ(QProcess::execute("import", {"-window", "root", dir + "/progress_rebuild.png"}), 0);
  ui.SetProgressText("Идет восстановление данных ..."_w);
  TGauge& gauge = *qt.Progress().Gauge();
  const QPoint filled = gauge.mapToGlobal(QPoint(gauge.width() * 3 / 4, gauge.height() / 2));
  const QPoint empty = gauge.mapToGlobal(QPoint(gauge.width() * 9 / 10, gauge.height() / 2));
  ui.SetProgressPosition(80);
  const QString file = dir + "/progress_window.png";
  ASSERT_EQ(QProcess::execute("import", {"-window", "root", file}), 0);
  const QImage shot(file);
  EXPECT_EQ(QColor(shot.pixel(filled)), QColor(Qt::red));
  EXPECT_NE(QColor(shot.pixel(empty)), QColor(Qt::red));
  ui.HideProgressMessage();
}

TEST(CheckBoxDialog, ReturnsTheCheckedBoxesAsBits) {
  TQtUiServices ui;
  WhenModal([](QWidget* modal) {
    const auto boxes = modal->findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 3);
    EXPECT_TRUE(boxes[0]->isChecked());
    EXPECT_FALSE(boxes[1]->isChecked());
    EXPECT_TRUE(boxes[2]->isChecked());
    // A and B in the first column, C at the top of the second.
    EXPECT_EQ(boxes[0]->x(), boxes[1]->x());
    EXPECT_EQ(boxes[2]->y(), boxes[0]->y());
    QTest::keyClick(boxes[1], Qt::Key_Space);
    QTest::keyClick(modal, Qt::Key_Return);
  });
  uint32_t result = 0;
  EXPECT_TRUE(ui.CheckBoxes("Отчёт"_w, {"A", "B", "C"}, 5, 2, result));
  EXPECT_EQ(result, 7u);

  PressInModal(Qt::Key_Escape);
  result = 99;
  EXPECT_FALSE(ui.CheckBoxes("Отчёт"_w, {"A", "B", "C"}, 5, 2, result));
  EXPECT_EQ(result, 0u);
}

TEST(FileChooser, ReturnsEveryChosenFile) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.txt", "1");
  test::WriteBytes(dir / "b.txt", "2");
  TQtUiServices ui;
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Загрузка"));
    EXPECT_EQ(dialog->nameFilters().front(), QString::fromUtf8("Тексты (*.txt *.csv)"));
    dialog->selectFile("\"a.txt\" \"b.txt\"");
    QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
  });
  FileDialogRequest request;
  request.Title = "Загрузка"_w;
  request.Filter = "Тексты|*.txt;*.csv|Все|*.*"_w;
  request.Dir = dir.Dir();
  std::vector<std::string> paths;
  ASSERT_TRUE(ui.ChooseFiles(request, paths));
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0], dir / "a.txt");
  EXPECT_EQ(paths[1], dir / "b.txt");

  PressInModal(Qt::Key_Escape);
  EXPECT_FALSE(ui.ChooseFiles(request, paths));
}

// Qt's file dialog as the program opens it: a folder and a file described
// in Russian words and figures, each column of the details wide enough for
// its title and every text in it, the dialog within the screen.
TEST(FileChooser, ShowsEachColumnWholeAndInRussian) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "Отчёты");
  test::WriteBytes(dir / "goods.dbf", std::string(1536, 'x'));
  std::filesystem::last_write_time(dir / "goods.dbf", std::filesystem::file_time_type::clock::now());
  const QDateTime written = QFileInfo(QString::fromStdString(dir / "goods.dbf")).lastModified();
  TQtUiServices ui;
  std::map<QString, QStringList> rows;
  std::vector<std::string> cut;
  bool onScreen = false;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    auto* details = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(details, nullptr);
    const QAbstractItemModel* model = details->model();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(details->rootIndex()) >= 2; }, 3000));
    QTest::qWait(50);
    const QFontMetrics metrics(details->font());
    for (int c = 0; c < model->columnCount(details->rootIndex()); ++c) {
      const QString title = model->headerData(c, Qt::Horizontal).toString();
      if (metrics.horizontalAdvance(title) + 8 > details->columnWidth(c)) cut.push_back(title.toStdString());
    }
    for (int r = 0; r < model->rowCount(details->rootIndex()); ++r) {
      QStringList texts;
      for (int c = 0; c < model->columnCount(details->rootIndex()); ++c) {
        texts << model->index(r, c, details->rootIndex()).data().toString();
        if (metrics.horizontalAdvance(texts.back()) + 8 > details->columnWidth(c))
          cut.push_back(texts.back().toStdString());
      }
      rows[texts.front()] = texts;
    }
    onScreen = dialog->screen()->availableGeometry().contains(dialog->frameGeometry());
    dialog->reject();
  });
  FileDialogRequest request;
  request.Title = "Загрузка"_w;
  request.Dir = dir.Dir();
  std::vector<std::string> paths;
  EXPECT_FALSE(ui.ChooseFiles(request, paths));
  ASSERT_EQ(rows.size(), 2u);
  const QStringList folder = rows[QString::fromUtf8("Отчёты")];
  ASSERT_EQ(folder.size(), 4);
  EXPECT_EQ(folder[2], QString::fromUtf8("Папка"));
  const QStringList file = rows["goods.dbf"];
  ASSERT_EQ(file.size(), 4);
  EXPECT_EQ(file[1], QString::fromUtf8("1,5 кБ"));
  EXPECT_EQ(file[2], QString::fromUtf8("Файл DBF"));
  EXPECT_EQ(file[3], written.toString("dd.MM.yyyy HH:mm"));
  EXPECT_EQ(cut, std::vector<std::string>{});
  EXPECT_TRUE(onScreen);
}

TEST(QuestionDialog, ClosesOnlyThroughItsButtons) {
  TQuestionDialog dialog;
  auto* edit = new QLineEdit(dialog.Client());
  dialog.SetValidator([edit] { return !edit->text().isEmpty(); });
  QObject::connect(edit, &QLineEdit::textChanged, &dialog, &TQuestionDialog::UpdateOk);
  WhenModal([&dialog, edit](QWidget*) {
    EXPECT_EQ(dialog.focusWidget(), edit);  // the first of the question's controls (window activation varies under load)
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.close();  // the close box alone does not close it
    EXPECT_TRUE(dialog.isVisible());
    test::TypeText(edit, "5");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  EXPECT_EQ(dialog.ShowModal(), 1);

  PressInModal(Qt::Key_Escape);
  EXPECT_EQ(dialog.ShowModal(), 2);

  // Without "Отмена" OK stands in the middle and Esc does nothing.
  dialog.SetCancelVisible(false);
  WhenModal([&dialog](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    const QWidget* panel = dialog.OkButton()->parentWidget();
    EXPECT_NEAR(dialog.OkButton()->x() * 2 + dialog.OkButton()->width(), panel->width(), 1);
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_EQ(dialog.ShowModal(), 1);
}

TEST(BaseQuestionDialog, ChoosesADataRowOrMakesANewRecord) {
  TBaseQuestionDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Выбор из списка"));
  dialog.SetGrid(2, 4);
  dialog.SetCell(0, 0, "Код"_w);
  dialog.SetCell(1, 0, "Название"_w);
  dialog.SetCell(0, 1, "1");
  dialog.SetCell(1, 1, "Шлем"_w);
  dialog.SetCell(1, 2, "не выбрать"_w);
  dialog.SetCell(0, 3, "3");
  dialog.SetCell(1, 3, "Насос"_w);

  WhenModal([&dialog](QWidget* modal) {
    dialog.SetCurrentRow(2);  // empty first cell
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    QTest::keyClick(dialog.Grid(), Qt::Key_Down);
    EXPECT_EQ(dialog.CurrentRow(), 3);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_EQ(dialog.ShowModal(), 1);
  EXPECT_EQ(dialog.CurrentRow(), 3);

  // Esc is the key of "Новая запись": a refused new record shows the grid
  // again, unchanged; a made one ends the question.
  int asked = 0;
  dialog.SetNewRecordHandler([&asked] { return ++asked == 1 ? 2 : 1; });
  WhenModal([](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    WhenModal([](QWidget* again) { QTest::keyClick(again, Qt::Key_Escape); });
  });
  EXPECT_EQ(dialog.ShowModal(), TBaseQuestionDialog::kNewRecord);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(dialog.RowCount(), 4);
}

TEST(ListDialog, ReturnsTheChosenItem) {
  TListPick pick;
  pick.Width = 800;
  pick.Height = 600;
  pick.Caption = "Цвет"_w;
  pick.Items = {"красный"_w, " синий "_w, "зелёный"_w};
  std::string text = "синий"_w;
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TListDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Цвет"));
    EXPECT_EQ(dialog->width(), 302);  // 800 x 96 / 254
    EXPECT_FALSE(dialog->OkButton()->isEnabled());  // " синий " is not "синий"
    QTest::keyClick(dialog->List(), Qt::Key_Home);
    QTest::keyClick(dialog->List(), Qt::Key_Down);
    QTest::keyClick(dialog->List(), Qt::Key_Return);
  });
  EXPECT_TRUE(ShowListPick(pick, text));
  EXPECT_EQ(text, "синий"_w);

  pick.Caption.reset();
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), QString::fromUtf8("Ошибка при вычислении!"));
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_FALSE(ShowListPick(pick, text));
}

TEST(InfoWindow, StaysOpenAndKeepsItsProportions) {
  TInfoWindow window;
  int documentShown = 0, lookups = 0;
  window.OnShowDocument = [&documentShown] { ++documentShown; };
  window.OnShowLookup = [&lookups] { ++lookups; };
  window.SetDesignSize(400, 200);
  window.show();
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8(" Информация"));
  window.resize(600, 100);
  EXPECT_EQ(window.height(), 300);
  window.close();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(documentShown, 1);
  QTest::keyClick(&window, Qt::Key_F12);
  QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
  QTest::keyClick(&window, Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(documentShown, 3);
  EXPECT_EQ(lookups, 1);
}

TEST(AboutBox, ShowsTheConfigurationNameAndOpensTheLinks) {
  TAboutBox blank("   ");
  EXPECT_EQ(blank.Title()->text(), QString::fromUtf8("Ортевал"));
  TAboutBox box("Магазин"_w);
  EXPECT_EQ(box.Title()->text(), QString::fromUtf8("Магазин"));
  QList<QUrl> opened;
  box.OpenLink = [&opened](const QUrl& url) { opened << url; };
  for (QPushButton* b : box.findChildren<QPushButton*>())
    if (b->text() != "OK") QTest::mouseClick(b, Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[0].scheme(), "mailto");
  EXPECT_EQ(opened[1], TAboutBox::WebLink());
  PressInModal(Qt::Key_Return);
  ShowAboutBox("");
}

// What a user sees of the progress window on the screen: the picture and
// the text where the window's left edge puts them and drawn in colour, and
// the gauge filled to its position from the left and ending inside the
// window. Failures name the picture in `name`.
void ExpectDrawnWhole(const TProgressWindow& window, const QImage& screen, const QString& name) {
  const QPoint origin = window.mapToGlobal(QPoint(0, 0));
  const int width = window.width();
  const auto at = [&](int x, int y) { return QColor(screen.pixel(origin.x() + x, origin.y() + y)); };
  const auto red = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
  // The picture (8, 8, 32 x 32) has colour in it; a disabled one is grey.
  int coloured = 0;
  for (int y = 8; y < 40; ++y)
    for (int x = 8; x < 40; ++x)
      if (at(x, y).hsvSaturation() > 128 && at(x, y).value() > 100) ++coloured;
  EXPECT_GT(coloured, 10) << qPrintable(name) << ": no colour in the picture";
  // The text from 48 on is black, not the grey of a disabled label.
  int darkest = 255;
  for (int y = 16; y < 16 + window.Message()->height(); ++y)
    for (int x = 48; x < std::min(48 + window.Message()->width(), width); ++x)
      darkest = std::min(darkest, qGray(at(x, y).rgb()));
  EXPECT_LT(darkest, 80) << qPrintable(name) << ": the text is grey or missing";
  // The gauge, 26 narrower than the window, looked for along its row from
  // the window's left edge to beyond its right one.
  const int filled = int64_t(width - 26) * window.Gauge()->Position() / window.Gauge()->Maximum();
  int first = -1, last = -1;
  for (int x = 0; x < width + 40 && origin.x() + x < screen.width(); ++x)
    if (red(at(x, 50))) {
      if (first < 0) first = x;
      last = x;
    }
  EXPECT_EQ(first, 8) << qPrintable(name);
  EXPECT_EQ(last, 8 + filled - 1) << qPrintable(name);
  EXPECT_LE(last, width - 19) << qPrintable(name) << ": the gauge runs past the window";
}

// A job of "Сервис" as the user sees it under a window manager: the main
// window disabled for the job, the progress window (made by an earlier job)
// shown with the program's long title, its message changed and a new gauge
// shown over it, then a second job. Each picture is taken while the job
// holds the thread, as the user sees it.
TEST(ProgressWindowOnOpenbox, StaysWholeAndInColourThroughMessageChanges) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "no X display";
  TQtUiServices qt;
  UiServices& ui = qt;
  const std::string title = "Веломар — магазин «Колосок»"_w;
  qt.SetAppTitle(title);
  QWidget main;
  main.setWindowTitle(ToQt(title));
  main.resize(300, 100);
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  qt.SetMainWindow(&main);
  qt.Progress();
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  const QSize screenSize = QGuiApplication::primaryScreen()->size();
  int shots = 0;
  const auto look = [&](const QString& what) {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QString name =
        QString("progress_%1x%2_%3_%4").arg(screenSize.width()).arg(screenSize.height()).arg(++shots).arg(what);
    if (folder) screen.save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
    ExpectDrawnWhole(qt.Progress(), screen, name);
  };
  const auto run = [&](int from, int to) {
    for (int i = from; i <= to; ++i) {
      ui.SetProgressPosition(i);
      ui.ProcessMessages();
    }
  };
  for (int job = 0; job < 2; ++job) {
    main.setEnabled(false);
    ui.ShowProgressMessage(job == 0 ? "Идет анализ баз данных ..."_w : "Идет восстановление данных ..."_w, 100);
    run(0, 40);
    test::WaitUntilDrawn();
    run(40, 50);
    look("before");
    ui.SetProgressText(job == 0 ? "Идет сохранение баз данных ..."_w
                                : "База GOODS.DBF не соответствует эталону, корректируется"_w);
    run(50, 100);
    look("during");
    ui.ShowProgressMessage("Идет фрагментация архива..."_w, 20);
    run(0, 20);
    look("next");
    test::WaitUntilDrawn();
    look("after");
    ui.HideProgressMessage();
    main.setEnabled(true);
  }
}

}  // namespace
