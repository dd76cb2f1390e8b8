// A document run in its window from the main window's menu, as a user runs
// it: a receipt of two rows entered through the look-up list, OK, and the
// goods and the income tables changed; and the window closed with rows not
// saved, answered both ways.
#include "ui/qt/document_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "foundation/tables/dbf.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "tests/ui/qt/income_run.h"
#include "tests/ui/qt/date_answer.h"
#include "tests/ui/qt/modal.h"
#include "tests/ui/qt/menu_items.h"
#include "models/data_view.h"
#include "ui/qt/base_question_dialog.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/help_list_box.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"
#include "ui/qt/question_dialog.h"
#include "ui/qt/screen_place.h"
#include "ui/qt/work_sprav_window.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

using test::FindItem;
using test::IncomeRun;

void ReplaceSection(std::string& text, const std::string& name, const std::string& body) {
  test::ReplaceDescriptionSection(text, name, body);
}

int32_t RecordCount(const std::string& path) {
  TDBF t;
  t.FileName = path;
  return t.OpenReadOnly() ? t.RecCount() : -1;
}

// Per record, a numeric key field and the text of another field; a later
// record of the same key wins.
std::map<int, std::string> Column(const std::string& path, const char* key, const char* field) {
  std::map<int, std::string> out;
  TDBF t;
  t.FileName = path;
  if (!t.OpenReadOnly()) return out;
  for (int32_t n = 1; n <= t.RecCount(); ++n) {
    t.GoToRecord(n);
    if (t.ReadRecord() != 0) continue;
    out[std::stoi(t.GetFieldStr(t.FieldIndex(key)))] = t.GetFieldStr(t.FieldIndex(field));
  }
  return out;
}

class DocumentWindowTest : public ::testing::Test {
 protected:
  DocumentWindowTest() : home(run.home) {}

  // Runs the program, chooses the income document from its menu, lets
  // inWindow work in the document window, and leaves.
  void RunIncome(std::function<void(TDocumentWindow&)> inWindow,
                 std::function<void(std::string&)> edit = nullptr,
                 const char* document = "Приход товара") {
    run.OnMainWindow = OnMainWindow;
    run.Run(std::move(inWindow), std::move(edit), document);
  }

  static void EnterByCode(TDocumentWindow& window, TDataViewWidget& table, const char* code,
                          const char* qty, bool finish = true, const char* price = "") {
    IncomeRun::EnterByCode(window, table, code, qty, finish, price);
  }

  IncomeRun run;
  test::ProgramHome& home;
  std::function<void(TMainWindow&)> OnMainWindow;
};

// Each row's price opens on the purchase price kept, which it keeps or the
// delivery's own typed over it replaces (a negative one refused): that is
// the price received and the purchase price kept from then on. OK waits
// for the invoice's number and for a supplier that exists.
TEST_F(DocumentWindowTest, AReceiptEnteredThroughTheLookUpListReachesTheGoodsAndTheIncome) {
  const std::string goods = home.Dir() + "/goods.dbf";
  const std::string income = home.Dir() + "/income.dbf";
  const std::map<int, std::string> stockBefore = Column(goods, "CODE", "QTY");
  const int32_t incomeBefore = RecordCount(income);
  bool shown = false;
  QString offered, negative, noNumber, noSupplier;
  RunIncome(
      [&](TDocumentWindow& window) {
        shown = true;
        // The view cells' fields, not the search line.
        QLineEdit* number = nullptr;
        QLineEdit* supplier = nullptr;
        for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>()) {
          if (e->text() == "1") supplier = e;
          else if (!number) number = e;
        }
        ASSERT_NE(number, nullptr);
        ASSERT_NE(supplier, nullptr);
        TDataViewWidget& table = *window.Table(0);
        TDataView& view = table.View();
        table.setFocus();
        EnterByCode(window, table, "3", "5");
        EnterByCode(window, table, "1", "2", false);
        QTest::keyClick(table.Editor(), Qt::Key_Return);
        test::TypeText(table.Editor(), "2");
        QTest::keyClick(table.Editor(), Qt::Key_Return);
        ASSERT_TRUE(view.Editing());
        ASSERT_EQ(view.CurCol(), 4);
        offered = table.Editor()->toPlainText().trimmed();
        test::ClickInMessageBox("OK", &negative);
        test::TypeText(table.Editor(), "-38");
        QTest::keyClick(table.Editor(), Qt::Key_Return);
        ASSERT_TRUE(view.Editing());
        test::TypeText(table.Editor(), "65,5");
        QTest::keyClick(table.Editor(), Qt::Key_Return);
        EXPECT_FALSE(view.Editing());
        ASSERT_EQ(view.RowCount(), 2);
        EXPECT_EQ(Trim(view.GetCellText(0, 0)), "3");
        EXPECT_EQ(Trim(view.GetCellText(4, 0)), "145.00");
        EXPECT_EQ(Trim(view.GetCellText(0, 1)), "1");
        EXPECT_EQ(Trim(view.GetCellText(4, 1)), "65.5");
        const auto enter = [](QLineEdit* field, const char* text) {
          field->setFocus();
          field->setText(QString::fromUtf8(text));
          QTest::keyClick(field, Qt::Key_Return);
        };
        const auto refusedOk = [&window](QString& said) {
          test::ClickInMessageBox("OK", &said);
          QTest::mouseClick(window.OkButton(), Qt::LeftButton);
          EXPECT_TRUE(window.isVisible());
        };
        // OK without the invoice's number is refused by its check, then
        // with a supplier nobody is; the last OK must not write the rows a
        // second time.
        refusedOk(noNumber);
        enter(number, "777");
        enter(supplier, "-123");
        refusedOk(noSupplier);
        enter(supplier, "3");
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
      });
  EXPECT_TRUE(shown);
  EXPECT_EQ(offered, "62.40");
  EXPECT_EQ(negative, QString::fromUtf8("Введены неправильные данные"));
  EXPECT_EQ(noNumber, QString::fromUtf8("Не указан номер накладной"));
  EXPECT_EQ(noSupplier, QString::fromUtf8("Нет поставщика с кодом -123"));
  const std::map<int, std::string> stock = Column(goods, "CODE", "QTY");
  EXPECT_EQ(std::stod(stock.at(3)), std::stod(stockBefore.at(3)) + 5);
  EXPECT_EQ(std::stod(stock.at(1)), std::stod(stockBefore.at(1)) + 2);
  const std::map<int, std::string> kept = Column(goods, "CODE", "PRICE_IN");
  EXPECT_EQ(std::stod(kept.at(3)), 145.0);
  EXPECT_EQ(std::stod(kept.at(1)), 65.5);
  ASSERT_EQ(RecordCount(income), incomeBefore + 2);
  const std::map<int, std::string> prices = Column(income, "CODE", "PRICE");
  EXPECT_EQ(std::stod(prices.at(3)), 145.0);
  EXPECT_EQ(std::stod(prices.at(1)), 65.5);
  EXPECT_EQ(std::stod(Column(income, "CODE", "SUMMA").at(1)), 131.0);
  EXPECT_EQ(std::stoi(Column(income, "CODE", "SUPPL").at(1)), 3);
}

TEST_F(DocumentWindowTest, ClosingWithUnsavedRowsAsksAndNoKeepsTheWindowYesLeavesNothingSaved) {
  const std::string income = home.Dir() + "/income.dbf";
  const std::string goods = home.Dir() + "/goods.dbf";
  const std::map<int, std::string> stockBefore = Column(goods, "CODE", "QTY");
  const int32_t incomeBefore = RecordCount(income);
  bool stayed = false;
  QString question;
  RunIncome([&](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterByCode(window, table, "3", "2");
    test::ClickInMessageBox("Нет", &question);
    window.reject();
    stayed = window.isVisible();
    test::ClickInMessageBox("Да");
    window.reject();
  });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(question,
            QString::fromUtf8("Все изменения в документе будут игнорированы. Продолжить?"));
  EXPECT_EQ(RecordCount(income), incomeBefore);
  EXPECT_EQ(Column(goods, "CODE", "QTY"), stockBefore);
}

// "abc" in the supplier's code was read as 0 and committed. Refused, it
// stays in the field to be mended, and the OK that left the field does
// not close the document on the old code.
TEST_F(DocumentWindowTest, ASupplierCodeThatIsNoNumberIsRefusedAndOkWaitsForItsMending) {
  const std::string income = home.Dir() + "/income.dbf";
  QString refusal;
  bool stayed = false;
  QWidget* focusAfter = nullptr;
  QLineEdit* supplier = nullptr;
  RunIncome([&](TDocumentWindow& window) {
    QLineEdit* number = nullptr;
    for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>()) {
      if (e->text() == "1") supplier = e;
      else if (!number) number = e;
    }
    ASSERT_NE(supplier, nullptr);
    ASSERT_NE(number, nullptr);
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterByCode(window, table, "3", "5");
    number->setFocus();
    test::TypeText(number, "777");
    QTest::keyClick(number, Qt::Key_Return);
    supplier->setFocus();
    supplier->selectAll();
    test::TypeText(supplier, "abc");
    test::ClickInMessageBox("OK", &refusal);
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    stayed = window.isVisible();
    focusAfter = window.focusWidget();
    EXPECT_EQ(supplier->text(), "abc");
    // The box gone, the window is active again, as a window manager makes it.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    supplier->selectAll();
    test::TypeText(supplier, "2");
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
  });
  EXPECT_EQ(refusal, QString::fromUtf8("Введены неправильные данные"));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(focusAfter, supplier);
  EXPECT_EQ(Trim(Column(income, "CODE", "SUPPL").at(3)), "2");
}

// While it lives, answers every message box as it comes and notes its
// text in texts: a refusal with OK, each question with the next of the
// answers.
class BoxAnswers {
 public:
  BoxAnswers(QStringList answers, QStringList& texts)
      : answers_(std::move(answers)), answerer_([this, &texts](QWidget* modal) {
          auto* box = qobject_cast<QMessageBox*>(modal);
          if (!box) return;
          box->setProperty("answered", true);
          texts << box->text();
          const QString answer =
              box->buttons().size() == 1 || answers_.isEmpty() ? QString("OK") : answers_.takeFirst();
          for (QAbstractButton* b : box->buttons())
            if (b->text() == answer) return b->click();
          box->buttons().front()->click();
        }) {}

 private:
  QStringList answers_;
  test::ModalAnswerer answerer_;
};

// OK with a refused text standing, noting whether the window stayed and
// the boxes shown so far; then, the window active again as a window
// manager makes it, "Отмена".
void OkThenCancel(TDocumentWindow& window, const QStringList& boxes, bool& stayed, QStringList& afterOk) {
  QTest::mouseClick(window.OkButton(), Qt::LeftButton);
  stayed = window.isVisible();
  afterOk = boxes;
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
}

const QString kThrowAway = QString::fromUtf8("Все изменения в документе будут игнорированы. Продолжить?");
const QString kRefused = QString::fromUtf8("Введены неправильные данные");

// "abc" in the supplier's code, refused once or only typed: "Отмена" and
// the close box ask whether to throw the document away, without the
// refusal; No leaves the field with its stored code, and OK with "abc"
// standing stays refused.
TEST_F(DocumentWindowTest, CancelAndTheCloseBoxDropARefusedFieldAndAskTheirQuestion) {
  const int32_t incomeBefore = RecordCount(home.Dir() + "/income.dbf");
  QStringList boxes;
  QStringList afterOk, afterCancel;
  QString shownAfterNo;
  bool stayedAfterOk = false, stayedAfterNo = false, closed = false;
  RunIncome([&](TDocumentWindow& window) {
    // Made once the window shows: the boxes before and after it are the
    // run's own.
    BoxAnswers answers({"Нет", "Да"}, boxes);
    QLineEdit* supplier = nullptr;
    for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>())
      if (e->text() == "1") supplier = e;
    ASSERT_NE(supplier, nullptr);
    supplier->setFocus();
    supplier->selectAll();
    test::TypeText(supplier, "abc");
    OkThenCancel(window, boxes, stayedAfterOk, afterOk);
    stayedAfterNo = window.isVisible();
    afterCancel = boxes;
    shownAfterNo = supplier->text();
    supplier->setFocus();
    supplier->selectAll();
    test::TypeText(supplier, "abc");
    window.close();
    closed = !window.isVisible();
  });
  EXPECT_TRUE(stayedAfterOk);
  EXPECT_EQ(afterOk, QStringList{kRefused});
  EXPECT_TRUE(stayedAfterNo);
  EXPECT_EQ(afterCancel, (QStringList{kRefused, kThrowAway}));
  EXPECT_EQ(shownAfterNo, "1");
  EXPECT_TRUE(closed);
  EXPECT_EQ(boxes, (QStringList{kRefused, kThrowAway, kThrowAway}));
  EXPECT_EQ(RecordCount(home.Dir() + "/income.dbf"), incomeBefore);
}

// "abc" in the open quantity editor of a sale, refused by Enter: OK stays
// refused, "Отмена" asks its question and Yes throws the check away.
TEST_F(DocumentWindowTest, CancelThrowsAwayASaleWhoseQuantityEditorHoldsARefusedText) {
  const int32_t salesBefore = RecordCount(home.Dir() + "/sales.dbf");
  QStringList boxes;
  QStringList afterOk;
  bool stayedAfterOk = false, closed = false;
  RunIncome([&](TDocumentWindow& window) {
    BoxAnswers answers({"Да"}, boxes);
    TDataViewWidget& table = *window.Table(0);
    TDataView& view = table.View();
    table.setFocus();
    EnterByCode(window, table, "3", "", false);
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    ASSERT_TRUE(view.Editing());
    ASSERT_NE(view.CurCol(), 0);
    test::TypeText(table.Editor(), "abc");
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    ASSERT_TRUE(view.Editing());
    OkThenCancel(window, boxes, stayedAfterOk, afterOk);
    closed = !window.isVisible();
  }, nullptr, "Продажа");
  EXPECT_TRUE(stayedAfterOk);
  ASSERT_FALSE(afterOk.isEmpty());
  EXPECT_EQ(afterOk.count(kRefused), afterOk.size());
  EXPECT_TRUE(closed);
  EXPECT_EQ(boxes.count(kThrowAway), 1);
  EXPECT_EQ(boxes.last(), kThrowAway);
  EXPECT_EQ(RecordCount(home.Dir() + "/sales.dbf"), salesBefore);
}

TEST_F(DocumentWindowTest, NoToTheEntryQuestionEndsARunThatWouldComeBack) {
  int asked = 0;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, [&asked] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->text() != QString::fromUtf8("Начать приход?")) return;
    ++asked;
    for (QAbstractButton* b : box->buttons())
      if (b->text() == QString::fromUtf8(asked < 3 ? "Нет" : "Да")) b->click();
  });
  answer.start();
  bool shown = false;
  RunIncome(
      [&shown](TDocumentWindow& window) {
        shown = true;
        window.done(QDialog::Rejected);
      },
      [](std::string& text) {
        ReplaceSection(text, "INIT", Utf8ToCp1251("  ПОСТ := 1\n  REENTRY"));
        ReplaceSection(text, "BLANK",
                       Utf8ToCp1251("  WIDTH = 1500\n  ENTERCONFIRM = 'Начать приход?'"));
      });
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(shown);
}

// The header of the sales report names the shop from its auto-parameter;
// the tables and their editors draw in the configuration's font.
TEST_F(DocumentWindowTest, HeadersShowTheirParametersAndTablesTheConfiguredFont) {
  std::string caption;
  RunIncome(
      [&](TDocumentWindow& window) {
        TDataViewWidget& table = *window.Table(0);
        table.View().Blank().GetColumnCaption(1, table.HeaderParams, caption);
        window.done(QDialog::Rejected);
      },
      nullptr, "Отчёт о продажах");
  EXPECT_EQ(Cp1251ToUtf8(caption), "Продажи: Магазин «Колосок» Дата");
  QString family;
  RunIncome([&](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    QTest::keyClick(&table, Qt::Key_Insert);
    ASSERT_NE(table.Editor(), nullptr);
    family = table.Editor()->font().family();
    QTest::keyClick(table.Editor(), Qt::Key_Escape);
    window.done(QDialog::Rejected);
  });
  EXPECT_EQ(family, "DejaVu Sans");
}

// The row of the goods book with the code; -1 when none.
int32_t BookRow(TDataView& book, const std::string& code) {
  for (int32_t r = 0; r < book.RowCount(); ++r)
    if (Trim(book.GetCellText(0, r)) == code) return r;
  return -1;
}

TEST_F(DocumentWindowTest, TheBooksWindowOffersTheGoodsWithTheirStockAndAddsTheChosenOne) {
  const std::string goods = home.Dir() + "/goods.dbf";
  const std::map<int, std::string> stockBefore = Column(goods, "CODE", "QTY");
  RunIncome([&](TDocumentWindow& window) {
    TWorkSprav* books = window.LookupWindow();
    ASSERT_NE(books, nullptr);
    EXPECT_TRUE(books->isVisible());
    EXPECT_EQ(books->windowTitle(), QString::fromUtf8("Справочники"));
    ASSERT_EQ(books->Tabs()->count(), 1);
    EXPECT_EQ(books->Tabs()->tabText(0), QString::fromUtf8("Товары"));
    // The table has the focus from the start, so it is the current table
    // at once: its book and the add button serve it before any click.
    QApplication::processEvents();
    EXPECT_TRUE(books->Tabs()->isEnabled());
    EXPECT_TRUE(window.Button(kAddBut)->isEnabled());
    TDataView& book = books->PageView(0)->View();
    bool stockColumn = false;
    for (const TBlankHeader* h = book.Blank().HeaderCells.get(); h; h = h->Next.get())
      stockColumn = stockColumn || (h->FirstCol == 6 && Cp1251ToUtf8(h->Text).find("Остаток") != std::string::npos);
    EXPECT_TRUE(stockColumn);
    // Every record, in the order of the codes, with its stock.
    ASSERT_EQ(book.RowCount(), static_cast<int32_t>(stockBefore.size()));
    int previous = 0;
    for (int32_t r = 0; r < book.RowCount(); ++r) {
      const int code = std::stoi(Trim(book.GetCellText(0, r)));
      EXPECT_GT(code, previous);
      previous = code;
      EXPECT_EQ(std::stod(Trim(book.GetCellText(5, r))), std::stod(stockBefore.at(code)));
    }
    QLineEdit* number = nullptr;
    for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>())
      if (!number) number = e;
    ASSERT_NE(number, nullptr);
    number->setFocus();
    number->setText("778");
    QTest::keyClick(number, Qt::Key_Return);
    // The page is usable while the table has the focus; a tab click of the
    // user would not change it.
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(books->Tabs()->isEnabled());
    EXPECT_TRUE(books->SearchEdit()->isEnabled());
    const int32_t row = BookRow(book, "3");
    ASSERT_GE(row, 0);
    book.SetRow(row);
    EXPECT_EQ(books->StatusLine()->text(),
              QString::fromUtf8("Запись %1 из %2").arg(row + 1).arg(book.RowCount()));
    ASSERT_TRUE(books->AddButton()->isEnabled());
    books->AddButton()->click();
    TDataView& view = table.View();
    ASSERT_EQ(view.RowCount(), 1);
    EXPECT_EQ(Trim(view.GetCellText(0, 0)), "3");
    ASSERT_TRUE(view.Editing());
    EXPECT_EQ(view.CurCol(), 3);
    test::TypeText(table.Editor(), "5");
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    // Then the price, offered at the purchase price kept, which Enter keeps.
    ASSERT_TRUE(view.Editing());
    EXPECT_EQ(view.CurCol(), 4);
    EXPECT_EQ(table.Editor()->toPlainText().trimmed(), "145.00");
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    EXPECT_FALSE(view.Editing());
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
  });
  // Opened again, the book shows the stock the receipt left.
  double shownStock = -1;
  RunIncome([&](TDocumentWindow& window) {
    ASSERT_NE(window.LookupWindow(), nullptr);
    TDataView& book = window.LookupWindow()->PageView(0)->View();
    const int32_t row = BookRow(book, "3");
    ASSERT_GE(row, 0);
    shownStock = std::stod(Trim(book.GetCellText(5, row)));
    window.done(QDialog::Rejected);
  });
  EXPECT_EQ(shownStock, std::stod(stockBefore.at(3)) + 5);
  EXPECT_EQ(std::stod(Column(goods, "CODE", "QTY").at(3)), std::stod(stockBefore.at(3)) + 5);
}

// The "Справочники" window goes right of the document window, and on a
// screen too small for both beside each other it stays whole on the
// screen, frame and all, over the document window's right part.
TEST_F(DocumentWindowTest, TheBooksWindowBesideTheDocumentStaysWholeOnTheScreen) {
  for (const char* document : {"Приход товара", "Продажа"}) {
    RunIncome(
        [&](TDocumentWindow& window) {
          TWorkSprav* books = window.LookupWindow();
          ASSERT_NE(books, nullptr);
          for (int i = 0; i < 10; ++i) QTest::qWait(30);
          const QRect area = ScreenArea(window);
          EXPECT_TRUE(area.contains(books->frameGeometry())) << document;
          EXPECT_TRUE(area.contains(window.frameGeometry())) << document;
          EXPECT_GT(books->frameGeometry().right(), window.frameGeometry().right()) << document;
          test::ClickInMessageBox("Да");
          window.reject();
        },
        nullptr, document);
  }
}

// Lines put first in a section of the description.
void PrependToSection(std::string& text, const std::string& name, const char* lines) {
  std::size_t at = text.find("\n" + name);
  ASSERT_NE(at, std::string::npos) << name;
  at = text.find('\n', at + 1) + 1;
  text.insert(at, Utf8ToCp1251(lines));
}

QLineEdit* InvoiceNumberEdit(TDocumentWindow& window) {
  for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>())
    if (e->text() != "1") return e;
  return nullptr;
}

// TERMINATE in the program that a field's or a table's edit, OK or the
// scanner ran closes the window as cancelled, without a question, once the
// event's own handling is over; nothing of the document is written.
TEST_F(DocumentWindowTest, TerminateFromAnEventOfTheWindowClosesItAndCommitsNothing) {
  const std::string income = home.Dir() + "/income.dbf";
  const std::string goods = home.Dir() + "/goods.dbf";
  const std::map<int, std::string> stockBefore = Column(goods, "CODE", "QTY");
  const int32_t incomeBefore = RecordCount(income);
  const auto terminating = [](std::string& text) {
    PrependToSection(text, "WORK",
                     "  IF НАКЛ = '777'\n  THEN\n    TERMINATE(1)\n  ENDIF\n"
                     "  IF ROWCOUNT(НАКЛАДНАЯ) = 2\n  THEN\n    TERMINATE(1)\n  ENDIF\n");
  };
  // A row entered, then act; whether the window closed by itself.
  const auto closedAfter = [this](std::function<void(TDocumentWindow&)> act,
                                  std::function<void(std::string&)> edit) {
    bool closed = false;
    RunIncome(
        [&](TDocumentWindow& window) {
          TDataViewWidget& table = *window.Table(0);
          table.setFocus();
          EnterByCode(window, table, "3", "5");
          act(window);
          closed = QTest::qWaitFor([&] { return !window.isVisible(); }, 3000);
          if (!closed) window.done(QDialog::Rejected);
        },
        std::move(edit));
    return closed;
  };
  EXPECT_TRUE(closedAfter(
      [](TDocumentWindow& window) {
        QLineEdit* number = InvoiceNumberEdit(window);
        ASSERT_NE(number, nullptr);
        number->setFocus();
        test::TypeText(number, "777");
        QTest::keyClick(number, Qt::Key_Return);
      },
      terminating));
  // The second row's quantity, accepted in the table's editor, runs the
  // program inside the editor's key handling.
  bool openBefore = false;
  EXPECT_TRUE(closedAfter(
      [&openBefore](TDocumentWindow& window) {
        openBefore = window.isVisible();
        EnterByCode(window, *window.Table(0), "1", "2");
      },
      terminating));
  EXPECT_TRUE(openBefore);
  // OKPRESS that terminates ends the window before the checks, whose
  // message would come after the run had ended.
  QString check, beforeClose;
  EXPECT_TRUE(closedAfter(
      [&](TDocumentWindow& window) {
        test::ClickInMessageBox("OK", &check);
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        QTest::qWait(50);
        beforeClose = check;
      },
      [](std::string& text) { text += Utf8ToCp1251("\nOKPRESS\n  TERMINATE(1)\nENDSECTION\n"); }));
  EXPECT_EQ(beforeClose.toStdString(), "");
  // A scanned line whose SCANER terminates.
  EXPECT_TRUE(closedAfter(
      [](TDocumentWindow&) {
        const std::string line = "4600000000001";
        OnScannerData(reinterpret_cast<const uint8_t*>(line.data()), line.size());
      },
      [](std::string& text) { text += Utf8ToCp1251("\nSCANER\n  TERMINATE(1)\nENDSECTION\n"); }));
  EXPECT_EQ(RecordCount(income), incomeBefore);
  EXPECT_EQ(Column(goods, "CODE", "QTY"), stockBefore);
}

// SELECTTABLE gives the table the focus when the program ends: from WORK
// after a field's edit, and from INIT once the window shows.
TEST_F(DocumentWindowTest, SelectTableGivesTheNamedTableTheFocusWhenTheProgramEnds) {
  QWidget* afterWork = nullptr;
  QWidget* table = nullptr;
  RunIncome(
      [&](TDocumentWindow& window) {
        table = window.Table(0);
        QLineEdit* number = InvoiceNumberEdit(window);
        ASSERT_NE(number, nullptr);
        number->setFocus();
        test::TypeText(number, "555");
        QTest::keyClick(number, Qt::Key_Return);
        QTest::qWait(50);
        afterWork = QApplication::focusWidget();
        window.done(QDialog::Rejected);
      },
      [](std::string& text) {
        PrependToSection(text, "WORK", "  IF НАКЛ = '555'\n  THEN\n    SELECTTABLE(НАКЛАДНАЯ)\n  ENDIF\n");
      });
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(afterWork, table);
  // The first table would have it otherwise.
  QWidget* atShow = nullptr;
  RunIncome(
      [&](TDocumentWindow& window) {
        ASSERT_EQ(window.TableCount(), 2);
        table = window.Table(1);
        atShow = QApplication::focusWidget();
        window.done(QDialog::Rejected);
      },
      [](std::string& text) {
        PrependToSection(text, "INIT", "  SELECTTABLE(ВТОРАЯ)\n");
        const std::size_t forms = text.find("\nFORMS");
        ASSERT_NE(forms, std::string::npos);
        text.insert(text.find("ENDSECTION", forms), Utf8ToCp1251("  ВТОРАЯ = FORM:ПРИХОД, X1:20, Y1:500, Y2:-20, KEYCOL:[1]\n"));
      });
  EXPECT_EQ(atShow, table);
}

// Pictures for people to look at, taken when VELOMAR_SCREENSHOTS names a
// folder (scripts/screenshots runs them under Xvfb).
class ScreenshotOfProgram : public DocumentWindowTest {};

TEST_F(ScreenshotOfProgram, MainWindowAndDocumentWindow) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  const QString out = QString::fromLocal8Bit(folder);
  OnMainWindow = [out](TMainWindow& w) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/main_window.png"));
  };
  RunIncome([out](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    EnterByCode(window, table, "3", "5");
    EnterByCode(window, table, "1", "2");
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(out + "/document_window.png"));
    // The reference-book window beside it, as the screen shows both.
    if (QScreen* screen = window.screen()) {
      EXPECT_TRUE(screen->grabWindow(0).save(out + "/document_with_books.png"));
    }
    // A third row with its code being typed: the look-up list under it.
    EnterByCode(window, table, "5", "", false);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(out + "/document_window_lookup.png"));
    // Its quantity taken, its price offered at the one kept, to keep or type over.
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    test::TypeText(table.Editor(), "1");
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_TRUE(window.grab().save(out + "/document_window_price.png"));
    test::ClickInMessageBox("Да");
    window.reject();
  });
}

// The whole screen once a dialog of type Dialog shows, into name; then
// its "Отмена".
template <class Dialog>
void GrabScreenAtDialog(const QString& name) {
  test::WhenModalOf<Dialog>([name](Dialog* dialog) {
    QTest::qWait(400);  // the window manager maps and frames it
    if (QScreen* screen = dialog->screen()) {
      EXPECT_TRUE(screen->grabWindow(0).save(name));
    }
    for (QPushButton* b : dialog->template findChildren<QPushButton*>())
      if (b->text() == QString::fromUtf8("Отмена")) b->click();
  });
}

TEST_F(ScreenshotOfProgram, TheSalesReportAndTheQuestionDialogs) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  const QString out = QString::fromLocal8Bit(folder);
  RunIncome(
      [out](TDocumentWindow& window) {
        QTest::qWait(400);  // the window manager maps and frames it
        if (QScreen* screen = window.screen()) {
          EXPECT_TRUE(screen->grabWindow(0).save(out + "/sales_report.png"));
        }
        window.done(QDialog::Rejected);
      },
      nullptr, "Отчёт о продажах");
  OnMainWindow = [out](TMainWindow&) { GrabScreenAtDialog<TBaseQuestionDialog>(out + "/base_question.png"); };
  RunIncome([](TDocumentWindow&) {}, nullptr, "Телефон поставщика");
  OnMainWindow = [out](TMainWindow&) { GrabScreenAtDialog<TQuestionDialog>(out + "/question.png"); };
  RunIncome([](TDocumentWindow&) {}, nullptr, "Ставка НДС");
}

}  // namespace
}  // namespace vm
