// "Справочники" from the main menu on the sample data, as a user works in
// it: the password of level 10, searching by typing, adding a row, editing
// and deleting, sorting, the close box, OK and "Отмена"; the tables are
// read back with an independent DBF reader.
#include "ui/qt/sprav_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <functional>

#include "app/demo_rig.h"
#include "config/data_dir.h"
#include "config/scramble.h"
#include "platform/encoding.h"
#include "support/demo_goods.h"
#include "support/program_home.h"
#include "tests/ui/qt/shown_text.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/input_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/modal.h"
#include "ui/qt/qt_services.h"
#include "models/startup.h"

namespace vm {
namespace {

// The modal windows that show in turn, each answered by the next step
// once a window of its kind is the active one.
struct ModalStep {
  std::function<bool(QWidget*)> Accepts;
  std::function<void(QWidget*)> Act;
};

template <typename Window>
ModalStep On(std::function<void(Window*)> act) {
  return {[](QWidget* w) { return qobject_cast<Window*>(w) != nullptr; },
          [act](QWidget* w) { act(qobject_cast<Window*>(w)); }};
}

class ModalScript {
 public:
  explicit ModalScript(std::deque<ModalStep> steps) : steps_(std::move(steps)) { Next(); }
  ~ModalScript() { delete timer_; }

 private:
  void Next() {
    delete timer_;
    timer_ = nullptr;
    if (steps_.empty()) return;
    timer_ = new QTimer;
    timer_->setInterval(5);
    QObject::connect(timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible() || !steps_.front().Accepts(modal)) return;
      const ModalStep step = std::move(steps_.front());
      steps_.pop_front();
      timer_->stop();
      // The steps after this one may answer windows this one opens.
      // Tied to the script: a test that ends with its last step must not
      // leave it to fire in the next one.
      QTimer::singleShot(0, &alive_, [this] { Next(); });
      step.Act(modal);
    });
    timer_->start();
  }
  std::deque<ModalStep> steps_;
  QTimer* timer_ = nullptr;
  QObject alive_;
};

// The records of a table as "CODE|NAME" lines, through python3-dbfread.
std::vector<std::string> ReadBack(const std::string& file) {
  const std::string command =
      "/usr/bin/python3 -c \"import dbfread,sys\n"
      "for r in dbfread.DBF(sys.argv[1], encoding='cp866'): print('%s|%s' % (r['CODE'], r['NAME']))\" " +
      test::ShellQuoted(file);
  std::vector<std::string> lines;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return lines;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    lines.push_back(line);
  }
  ::pclose(pipe);
  return lines;
}

class SpravWindowTest : public ::testing::Test {
 protected:
  SpravWindowTest() {
    test::CopyDemoTo(home.Dir());
    InstallUiServices(&ui);
    EXPECT_EQ(StartUp(), 0);
    UnlockBases();
  }
  ~SpravWindowTest() override {
    ShutDown();
    InstallUiServices(nullptr);
  }

  // The window as the user sees it: active, its keys going to its views.
  static void Activate(TSpravForm* form) {
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form));
  }
  static TDataViewWidget* View(TSpravForm& form) { return form.TabView(form.Tabs()->currentIndex()); }
  static void Type(QWidget* widget, const char* text) { test::TypeText(widget, QString::fromUtf8(text)); }
  // A cell typed into and taken with Enter.
  static void EnterCell(TDataViewWidget& view, const char* text) {
    ASSERT_TRUE(view.View().Editing());
    Type(view.Editor(), text);
    QTest::keyClick(view.Editor(), Qt::Key_Return);
  }
  static QString Cell(TDataViewWidget& view, int32_t col, int32_t row) {
    return QString::fromUtf8(Cp1251ToUtf8(view.View().GetCellText(col, row))).trimmed();
  }

  test::ProgramHome home;
  TQtUiServices ui;
};

TEST_F(SpravWindowTest, WorkThroughTheMenuReachesTheTableExactly) {
  PackPassword("КНИГИ"_w, Settings().Passwords[9], 10);
  TMainWindow main(Settings(), {});
  bool asked = false, worked = false;
  QString question;
  ModalScript script({
      On<TInputDialog>([&asked](TInputDialog* dialog) {
        asked = true;
        dialog->Edit()->setText(QString::fromUtf8("книги"));
        dialog->accept();
      }),
      On<TSpravForm>([&](TSpravForm* form) {
        Activate(form);
        ASSERT_EQ(form->Tabs()->count(), 2);
        EXPECT_EQ(form->Tabs()->tabText(1), QString::fromUtf8("Поставщики"));
        // Typing in the name column searches.
        TDataViewWidget* goods = View(*form);
        goods->setFocus();
        goods->View().SetCol(1);
        Type(goods, "с");
        EXPECT_EQ(form->SearchEdit()->text(), QString::fromUtf8("с"));
        Type(form->SearchEdit(), "а");
        EXPECT_EQ(Cell(*goods, 1, goods->View().CurRow()), QString::fromUtf8("Сахар-песок"));
        EXPECT_TRUE(form->StatusLine()->text().endsWith(QString::fromUtf8(" из 8")));
        form->SortButton()->click();

        form->Tabs()->setCurrentIndex(1);
        TDataViewWidget* suppliers = View(*form);
        // Added: every column walked once.
        form->AddButton()->click();
        for (const char* text : {"7", "ООО Ромашка", "6950000007", "+7 4822 00-00-07", "г. Тверь"})
          EnterCell(*suppliers, text);
        EXPECT_FALSE(suppliers->View().Editing());
        EXPECT_EQ(suppliers->View().RowCount(), 4);
        // A new row left unaccepted goes.
        QTest::keyClick(suppliers, Qt::Key_Insert);
        Type(suppliers->Editor(), "8");
        QTest::keyClick(suppliers->Editor(), Qt::Key_Escape);
        EXPECT_EQ(suppliers->View().RowCount(), 4);
        // A stored row's name edited.
        suppliers->setFocus();
        suppliers->View().SetRow(2);
        suppliers->View().SetCol(1);
        QTest::keyClick(suppliers, Qt::Key_F2);
        suppliers->Editor()->selectAll();
        EnterCell(*suppliers, "Хлебозавод 2");
        // The first deleted, after its question.
        suppliers->View().SetRow(0);
        test::ClickInMessageBox("Да", &question);
        form->DeleteButton()->click();
        EXPECT_EQ(suppliers->View().RowCount(), 3);
        // The close box does nothing.
        form->close();
        EXPECT_TRUE(form->isVisible());
        worked = true;
        form->OkButton()->click();
      }),
  });
  main.BooksAction()->trigger();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(worked);
  EXPECT_EQ(question, QString::fromUtf8("Удалить текущую запись?"));
  EXPECT_EQ(ReadBack(home / "suppl.dbf"),
            (std::vector<std::string>{"2|ИП Соколов Андрей Викторович", "3|Хлебозавод 2", "7|ООО Ромашка"}));
  // Sorted but unchanged: the goods file stays as it was.
  EXPECT_EQ(ReadBack(home / "goods.dbf"), ReadBack(test::DemoDir() + "goods.dbf"));
  EXPECT_TRUE(main.isEnabled());
}

TEST_F(SpravWindowTest, CancelAsksPerChangedTabAndEachAnswerDoesWhatItSays) {
  TMainWindow main(Settings(), {});
  std::vector<QString> questions;
  auto answer = [&questions](const char* button) {
    return On<QMessageBox>([&questions, button](QMessageBox* box) {
      questions.push_back(box->text());
      for (QAbstractButton* b : box->buttons())
        if (b->text() == QString::fromUtf8(button)) b->click();
    });
  };
  ModalScript script({
      On<TSpravForm>([](TSpravForm* form) {
        Activate(form);
        TDataViewWidget* goods = View(*form);
        goods->setFocus();
        goods->View().SetCol(1);
        QTest::keyClick(goods, Qt::Key_Return);
        goods->Editor()->selectAll();
        EnterCell(*goods, "Кефир");
        form->Tabs()->setCurrentIndex(1);
        TDataViewWidget* suppliers = View(*form);
        suppliers->setFocus();
        suppliers->View().SetCol(1);
        QTest::keyClick(suppliers, Qt::Key_Return);
        suppliers->Editor()->selectAll();
        EnterCell(*suppliers, "ООО Молоко");
        form->CancelButton()->click();
      }),
      answer("Нет"),
      answer("Да"),
  });
  main.BooksAction()->trigger();
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], QString::fromUtf8("Сохранить изменения в справочнике \"Товары\"?"));
  EXPECT_EQ(questions[1], QString::fromUtf8("Сохранить изменения в справочнике \"Поставщики\"?"));
  EXPECT_EQ(ReadBack(home / "goods.dbf"), ReadBack(test::DemoDir() + "goods.dbf"));
  EXPECT_EQ(ReadBack(home / "suppl.dbf").front(), "1|ООО Молоко");
}

// Delete deletes the row after its question and types nothing: the search
// line keeps what the table shows there and the table keeps the keys.
TEST_F(SpravWindowTest, DeleteDeletesARowAndTypesNothingIntoTheSearch) {
  TSpravForm form(Settings());
  int32_t rows = 0, rowsAfter = 0;
  QString question, search, cell;
  bool tableKeepsTheKeys = false;
  form.OnShown = [&](TSpravForm& f) {
    Activate(&f);
    f.Tabs()->setCurrentIndex(1);
    TDataViewWidget* suppliers = View(f);
    ASSERT_NE(suppliers, nullptr);
    suppliers->setFocus();
    suppliers->View().SetCol(1);
    suppliers->View().SetRow(1);
    rows = suppliers->View().RowCount();
    test::ClickInMessageBox("Да", &question);
    // As an X server gives the key: with its control character as text.
    QTest::sendKeyEvent(QTest::Click, suppliers, Qt::Key_Delete, QString(QChar(0x7F)), Qt::NoModifier);
    rowsAfter = suppliers->View().RowCount();
    search = f.SearchEdit()->text();
    cell = Cell(*suppliers, 1, suppliers->View().CurRow());
    // The window's own focus: the box over it may leave no window active.
    tableKeepsTheKeys = f.focusWidget() == suppliers;
    test::ClickInMessageBox("Нет");
    f.CancelButton()->click();
  };
  form.Execute();
  EXPECT_EQ(question, QString::fromUtf8("Удалить текущую запись?"));
  EXPECT_EQ(rowsAfter, rows - 1);
  EXPECT_EQ(search.toStdString(), cell.toStdString());
  EXPECT_TRUE(tableKeepsTheKeys);
  EXPECT_EQ(ReadBack(home / "suppl.dbf"), ReadBack(test::DemoDir() + "suppl.dbf"));
}

// A retail price wider than its N(10,2) field is refused with what the
// field takes; letters only with the refusal itself.
// The widest price and stock the fields take show whole in the book's
// window of 1270 x 900.
TEST_F(SpravWindowTest, ANumberTooWideForItsColumnIsRefusedWithTheDigitsItTakes) {
  TSpravForm form(Settings());
  QString tooWide, letters;
  std::vector<std::string> cut{"not looked at"};
  form.OnShown = [&](TSpravForm& f) {
    Activate(&f);
    TDataViewWidget* goods = View(f);
    ASSERT_NE(goods, nullptr);
    goods->setFocus();
    QTest::keyClick(goods, Qt::Key_Insert);
    for (const char* text : {"99", "Проба", "шт", "1"}) EnterCell(*goods, text);
    ASSERT_EQ(goods->View().CurCol(), 4);
    test::ClickInMessageBox("OK", &tooWide);
    EnterCell(*goods, "12345678901");
    ASSERT_TRUE(goods->View().Editing());
    goods->Editor()->selectAll();
    test::ClickInMessageBox("OK", &letters);
    EnterCell(*goods, "abc");
    goods->Editor()->selectAll();
    for (const char* text : {"9999999,99", "999999,999", "4600000099990"}) EnterCell(*goods, text);
    EXPECT_FALSE(goods->View().Editing());
    f.resize(1270, 900);
    QApplication::processEvents();
    cut = test::CutCells(*goods);
    test::ClickInMessageBox("Нет");
    f.CancelButton()->click();
  };
  form.Execute();
  EXPECT_EQ(tooWide.toStdString(), "Введены неправильные данные\rВ поле помещается число не больше 7 знаков "
                                   "до точки и 2 после нее");
  EXPECT_EQ(letters.toStdString(), "Введены неправильные данные");
  EXPECT_EQ(cut, std::vector<std::string>{});
}

// Without a printer "Печать" is grey and says where one is chosen; with one
// it prints and says nothing more.
TEST_F(SpravWindowTest, AGreyPrintSaysWhereAPrinterIsChosen) {
  TSpravForm form(Settings());
  bool enabled = true;
  QString tip;
  form.OnShown = [&](TSpravForm& f) {
    enabled = f.PrintButton()->isEnabled();
    tip = f.PrintButton()->toolTip();
    f.CancelButton()->click();
  };
  form.Execute();
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(tip.contains(QString::fromUtf8("служебных настройках (вкладка \"Печать\")"))) << tip.toStdString();
  Settings().PrinterName = "VelomarPDF";
  form.Execute();
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(tip.isEmpty()) << tip.toStdString();
}

// However narrow it is made, every button stays whole inside the window,
// with some of the search line before them.
TEST_F(SpravWindowTest, AtItsLeastWidthEveryButtonIsWholeInsideTheWindow) {
  TSpravForm form(Settings());
  QStringList outside;
  int width = 0, line = 0;
  form.OnShown = [&](TSpravForm& f) {
    f.resize(1, f.height());
    QApplication::processEvents();
    width = f.width();
    for (QPushButton* b :
         {f.AddButton(), f.DeleteButton(), f.SortButton(), f.PrintButton(), f.OkButton(), f.CancelButton()})
      if (!f.rect().contains(QRect(b->mapTo(&f, QPoint(0, 0)), b->size()))) outside << b->text();
    line = f.SearchEdit()->width();
    f.CancelButton()->click();
  };
  form.Execute();
  EXPECT_EQ(width, form.minimumWidth());
  EXPECT_TRUE(outside.isEmpty()) << outside.join(", ").toStdString();
  EXPECT_GE(line, 40);
}

// A big book formats the rows on the screen, not the others: opening it,
// going to its end, searching and a bigger window leave them as records.
TEST_F(SpravWindowTest, ABigBookMakesTheTextsOfTheRowsOnTheScreenOnly) {
  Settings().Bases.FindByAlias("ТОВАРЫ"_w)->Table.Close();
  ASSERT_TRUE(test::GrowDemoGoods(home / "goods.dbf", 20000));
  TSpravForm form(Settings());
  bool worked = false;
  form.OnShown = [&](TSpravForm& f) {
    Activate(&f);
    TDataViewWidget* goods = View(f);
    const auto made = [goods] {
      int32_t n = 0;
      for (int32_t r = 0; r < goods->View().RowCount(); ++r) n += goods->View().Table().Pending(r) ? 0 : 1;
      return n;
    };
    ASSERT_EQ(goods->View().RowCount(), 20000);
    EXPECT_LT(made(), 60);
    goods->setFocus();
    QTest::keyClick(goods, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(goods->View().CurRow(), 19999);
    EXPECT_TRUE(Cell(*goods, 1, 19999).startsWith(QString::fromUtf8("Чай ")));
    goods->View().SetCol(1);
    Type(goods, "х");
    Type(f.SearchEdit(), "леб 1");
    EXPECT_TRUE(Cell(*goods, 1, goods->View().CurRow()).startsWith(QString::fromUtf8("Хлеб 1")));
    f.resize(f.width() + 200, f.height() + 300);
    QTest::qWait(50);
    EXPECT_LT(made(), 120);
    worked = true;
    f.OkButton()->click();
  };
  form.Execute();
  EXPECT_TRUE(worked);
}

}  // namespace
}  // namespace vm
