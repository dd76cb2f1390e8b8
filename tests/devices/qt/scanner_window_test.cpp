// The sale document of the sample data with its scanner opened, run from
// the main window as a user runs it, while a scanner on a pseudo-terminal
// sends codes: each code becomes one row, in order; a scanner that goes
// away does not upset the program, and the port opens again.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTest>
#include <filesystem>
#include <map>
#include <tuple>

#include "config/settings.h"
#include "foundation/tables/dbf.h"
#include "devices/comm_config.h"
#include "devices/port_devices.h"
#include "devices/pty_rig.h"
#include "devices/scanner_record.h"
#include "devices/serial_scanner.h"
#include "language/scanner_port.h"
#include "platform/encoding.h"
#include "support/program_home.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/date_answer.h"
#include "tests/ui/qt/menu_items.h"
#include "tests/ui/qt/modal.h"
#include "models/data_view.h"
#include "ui/qt/data_view_widget.h"
#include "ui/qt/document_window.h"
#include "ui/qt/main_program.h"
#include "ui/qt/main_window.h"

namespace vm {
namespace {

namespace fs = std::filesystem;

// The sample goods by their codes 1..8, with these barcodes.
const std::array<const char*, 8> kBarcodes = {"4600000000374", "4600000000749", "4600000001111",
                                              "4600000001487", "4600000001852", "4600000002224",
                                              "4600000002590", "4600000002965"};

using test::FindItem;

void NameThePort(const std::string& device) { Settings().SerialRecord = test::ScannerRecord(device); }

bool RowsCome(const TDataView& view, int32_t count) {
  for (int i = 0; i < 12000 && view.RowCount() < count; ++i) QTest::qWait(5);
  return view.RowCount() == count;
}

std::string Code(const TDataView& view, int32_t row) {
  std::string s = view.GetCellText(0, row);
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// Answers the next message box, whatever modal window is up before it.
void AnswerNextBox(const char* caption) {
  test::WhenModalOf<QMessageBox>([caption](QMessageBox* box) {
    for (QAbstractButton* b : box->buttons())
      if (b->text() == QString::fromUtf8(caption)) b->click();
  });
}

// The sale's item of the main window's menus.
TMyMenuItem* SaleItem(TMainWindow& w) {
  for (QMenu* menu : w.DocMenus())
    if (TMyMenuItem* item = FindItem(menu, QString::fromUtf8("Продажа"))) return item;
  return nullptr;
}

void CopyDemoTo(const test::ProgramHome& home) {
  for (const auto& e : fs::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
    fs::copy_file(e.path(), fs::path(home.Dir()) / e.path().filename());
}

const TComPort* ScannerPort() {
  auto* scanner = dynamic_cast<TSerialScanner*>(&Scanner());
  return scanner ? scanner->Port() : nullptr;
}

TEST(ScannerWindow, CodesFromThePortBecomeRowsOnceInOrderAndAHangUpIsSurvived) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  test::PtyPair second;
  ASSERT_FALSE(scanner.Path().empty());
  constexpr int kCodes = 500;
  bool shown = false;
  uint64_t wakesWhileHungUp = 0;

  TMainProgramHooks hooks;
  hooks.DocumentShown = [&](TDocumentWindow& window) {
    shown = true;
    const TDataView& view = window.Table(0)->View();
    const TComPort* port = ScannerPort();
    ASSERT_NE(port, nullptr);
    ASSERT_FALSE(port->ErrorFlag()) << port->ErrorText();
    std::string traffic;
    for (int i = 0; i < kCodes; ++i) traffic += std::string(kBarcodes[i % 8]) + "\r";
    ASSERT_TRUE(scanner.Write(traffic));
    ASSERT_TRUE(RowsCome(view, kCodes));
    for (int32_t row = 0; row < kCodes; ++row) ASSERT_EQ(Code(view, row), std::to_string(row % 8 + 1)) << row;

    scanner.CloseScannerSide();
    QTest::qWait(300);
    const uint64_t before = port->Wakeups();
    QTest::qWait(1000);
    wakesWhileHungUp = port->Wakeups() - before;
    EXPECT_EQ(view.RowCount(), kCodes);

    // The scanner comes back on another line.
    NameThePort(second.Path());
    CloseScanner();
    OpenScanner(Settings().SerialRecord);
    ASSERT_TRUE(second.Write(std::string(kBarcodes[4]) + "\r"));
    ASSERT_TRUE(RowsCome(view, kCodes + 1));
    EXPECT_EQ(Code(view, kCodes), "5");
    AnswerNextBox("Да");
    QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
  };
  hooks.Shown = [&](TMainWindow& w) {
    TMyMenuItem* item = SaleItem(w);
    ASSERT_NE(item, nullptr);
    std::string& text = item->Doc()->Description;
    const std::string init = "LOADBASE(ТОВ)"_w;
    ASSERT_NE(text.find(init), std::string::npos);
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    text.insert(text.find(init) + init.size(), eol + "  OPENBARSCANER(1)");
    NameThePort(scanner.Path());
    test::ConfirmNextDateDialog();
    item->trigger();
    // The run's end only silenced the port: the settings keep it open.
    EXPECT_NE(ScannerPort(), nullptr);
    if (const TComPort* port = ScannerPort()) {
      EXPECT_FALSE(port->Lines().Enabled());
    }
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  EXPECT_TRUE(shown);
  // A fault is retried five times a second, not in a loop.
  EXPECT_LE(wakesWhileHungUp, 10u);
}

// The demo's sale chosen from its menu on a copy of the demo whose
// "ports.ini" names the scanner's line for COM1; inWindow works in the
// document window, afterRun follows the end of the run; edit, when given,
// changes the sale's description first.
void RunTheDemoSale(const test::PtyPair& scanner, std::function<void(TDocumentWindow&)> inWindow,
                    std::function<void()> afterRun = nullptr, std::function<void(std::string&)> edit = nullptr) {
  ASSERT_FALSE(scanner.Path().empty());
  test::WriteBytes(PortsIniName(), "COM1=" + scanner.Path() + "\r\n");
  TMainProgramHooks hooks;
  hooks.DocumentShown = std::move(inWindow);
  hooks.Shown = [&](TMainWindow& w) {
    TMyMenuItem* item = SaleItem(w);
    ASSERT_NE(item, nullptr);
    if (edit) edit(item->Doc()->Description);
    test::ConfirmNextDateDialog();
    item->trigger();
    if (afterRun) afterRun();
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
}

// The sale as the demo ships it, on a workstation whose "ports.ini" names
// the scanner's device for the settings' COM1, as the README tells: a code
// scanned becomes a row of the check.
TEST(ScannerWindow, TheDemoSaleReadsTheScannerNamedInPortsIni) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  std::string code;
  RunTheDemoSale(
      scanner,
      [&](TDocumentWindow& window) {
        const TDataView& view = window.Table(0)->View();
        ASSERT_TRUE(scanner.Write(std::string(kBarcodes[2]) + "\r"));
        ASSERT_TRUE(RowsCome(view, 1));
        code = Code(view, 0);
        AnswerNextBox("Да");
        QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
      },
      // The demo's settings close the port after every command.
      [] { EXPECT_EQ(ScannerPort(), nullptr); });
  EXPECT_EQ(code, "3");
}

// The checks in the sales by number, each with the quantity of each goods
// sold by code.
std::map<int, std::map<int, double>> Checks(const std::string& path) {
  std::map<int, std::map<int, double>> checks;
  TDBF t;
  t.FileName = path;
  if (!t.OpenReadOnly()) return {};
  for (int32_t n = 1; n <= t.RecCount(); ++n) {
    t.GoToRecord(n);
    if (t.ReadRecord() != 0) continue;
    checks[std::stoi(t.GetFieldStr(t.FieldIndex("CHECK_NO")))][std::stoi(t.GetFieldStr(t.FieldIndex("CODE")))] +=
        std::stod(t.GetFieldStr(t.FieldIndex("QTY")));
  }
  return checks;
}

// The goods of the last check in the sales, by code: the quantity sold.
std::map<int, double> LastCheck(const std::string& path) {
  const std::map<int, std::map<int, double>> checks = Checks(path);
  return checks.empty() ? std::map<int, double>{} : checks.rbegin()->second;
}

// The sale's description with one line of it replaced.
void ReplaceLine(std::string& text, const std::string& line, const std::string& by) {
  const std::size_t at = text.find(line);
  ASSERT_NE(at, std::string::npos) << Cp1251ToUtf8(line);
  text.replace(at, line.size(), by);
}

// The quantity cell of the current row opened, its text replaced by typed.
// A box gone, the window is active again, as a window manager makes it.
void TypeQuantity(TDataViewWidget& table, const char* typed) {
  table.window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(table.window()));
  table.setFocus();
  QTest::keyClick(&table, Qt::Key_Home);
  QTest::keyClick(&table, Qt::Key_Right);
  QTest::keyClick(&table, Qt::Key_Right);
  QTest::keyClick(&table, Qt::Key_Return);
  ASSERT_TRUE(table.View().Editing());
  ASSERT_EQ(table.View().CurCol(), 2);
  table.Editor()->selectAll();
  test::TypeText(table.Editor(), QString::fromUtf8(typed));
}

// Clicks the box's OK; the box's text is noted first.
void ClickOk(QMessageBox* box, QString& text) {
  text = box->text();
  for (QAbstractButton* b : box->buttons())
    if (b->text() == "OK") b->click();
}

// A code read while the cashier types a quantity used to move the row
// under the open editor, and the quantity became the new row's code. The
// edit ends on its own cell first, a refused text with its message, and
// OK records each goods with its own quantity.
TEST(ScannerWindow, ACodeReadWhileAQuantityIsTypedLeavesItInItsOwnRow) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  QString refusal;
  // The refusal comes when the code does, over the document window.
  const auto answerRefusal = [&refusal] {
    test::WhenModalOf<QMessageBox>([&refusal](QMessageBox* box) { ClickOk(box, refusal); });
  };
  RunTheDemoSale(scanner, [&](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    TDataView& view = table.View();
    // The goods scanned make the rows count; the edit is over, and the
    // last two rows hold these codes and quantities.
    const auto scanned = [&](int goods, int32_t rows) {
      ASSERT_TRUE(scanner.Write(std::string(kBarcodes[goods - 1]) + "\r"));
      ASSERT_TRUE(RowsCome(view, rows));
    };
    const auto lastTwo = [&] {
      const int32_t r = view.RowCount() - 2;
      return std::tuple(view.Editing(), Code(view, r), view.GetCellValue(2, r).Num, Code(view, r + 1),
                        view.GetCellValue(2, r + 1).Num);
    };
    scanned(3, 1);
    TypeQuantity(table, "3");
    scanned(5, 2);
    EXPECT_EQ(lastTwo(), std::tuple(false, "3", 3.0L, "5", 1.0L));

    TypeQuantity(table, "abc");
    answerRefusal();
    scanned(1, 3);
    EXPECT_EQ(lastTwo(), std::tuple(false, "5", 1.0L, "1", 1.0L));

    // A code read while the refusal of a quantity left with Enter is up
    // waits for the box, and then for the edit, refused once more.
    TypeQuantity(table, "x");
    int32_t rowsUnderTheBox = -1;
    test::WhenModalOf<QMessageBox>([&](QMessageBox* box) {
      ASSERT_TRUE(scanner.Write(std::string(kBarcodes[7]) + "\r"));
      QTest::qWait(300);
      rowsUnderTheBox = view.RowCount();
      ClickOk(box, refusal);
      answerRefusal();
    });
    QTest::keyClick(table.Editor(), Qt::Key_Return);
    ASSERT_TRUE(RowsCome(view, 4));
    EXPECT_EQ(rowsUnderTheBox, 3);
    EXPECT_EQ(lastTwo(), std::tuple(false, "1", 1.0L, "8", 1.0L));
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
  });
  EXPECT_EQ(refusal, QString::fromUtf8("Введены неправильные данные"));
  EXPECT_EQ(LastCheck(home.Dir() + "/sales.dbf"), (std::map<int, double>{{1, 1.0}, {3, 3.0}, {5, 1.0}, {8, 1.0}}));
}

// The check's number made a field the cashier types. A code read while a
// number was typed in it and not yet left showed the number before it
// again: the typed one was lost and the check recorded under the old one.
// The field is left first; a number it refuses keeps its text, with its
// message once, and the code waits until the field is left mended.
TEST(ScannerWindow, ANumberTypedInAFieldIsLeftBeforeACodeAndARefusedOneHoldsTheCode) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  int boxes = 0;
  QString refusal;
  // The field's text, the rows and the refusal after each code.
  std::tuple<std::string, int32_t, std::string> typedAfterCode, refusedAfterCode;
  RunTheDemoSale(
      scanner,
      [&](TDocumentWindow& window) {
        TDataView& view = window.Table(0)->View();
        const QList<QLineEdit*> fields = window.Panel1()->findChildren<QLineEdit*>();
        ASSERT_EQ(fields.size(), 1);
        QLineEdit* number = fields.front();
        const auto typeNumber = [&](const char* typed) {
          window.activateWindow();
          ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
          number->setFocus();
          number->selectAll();
          test::TypeText(number, QString::fromUtf8(typed));
        };
        typeNumber("5001");
        ASSERT_TRUE(scanner.Write(std::string(kBarcodes[2]) + "\r"));
        ASSERT_TRUE(RowsCome(view, 1));
        typedAfterCode = {number->text().toStdString(), view.RowCount(), refusal.toStdString()};

        typeNumber("50x2");
        test::WhenModalOf<QMessageBox>([&](QMessageBox* box) {
          ++boxes;
          ClickOk(box, refusal);
        });
        ASSERT_TRUE(scanner.Write(std::string(kBarcodes[4]) + "\r"));
        QTest::qWait(600);
        refusedAfterCode = {number->text().toStdString(), view.RowCount(), refusal.toStdString()};

        typeNumber("5002");
        QTest::keyClick(number, Qt::Key_Return);
        ASSERT_TRUE(RowsCome(view, 2));
        EXPECT_EQ(number->text(), "5002");
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
      },
      nullptr,
      [](std::string& text) {
        ReplaceLine(text, "[ЧЕК]:8:0 = X:250, Y:20, F:50, B:1"_w, "[ЧЕК]:8:0 = X:250, Y:20, F:50, B:1, E:1"_w);
      });
  EXPECT_EQ(typedAfterCode, std::tuple("5001", 1, ""));
  EXPECT_EQ(refusedAfterCode, std::tuple("50x2", 1, "Введены неправильные данные"));
  EXPECT_EQ(boxes, 1);
  const std::map<int, std::map<int, double>> checks = Checks(home.Dir() + "/sales.dbf");
  EXPECT_EQ(checks.count(5001), 0u);
  ASSERT_EQ(checks.count(5002), 1u);
  EXPECT_EQ(checks.at(5002), (std::map<int, double>{{3, 1.0}, {5, 1.0}}));
}

// A code read while the window asked a question of its own added a row
// and made it current under the question: "Да" to "Удалить текущую
// запись?" deleted the scanned row instead of the one chosen, and "Да" to
// the exit question recorded a row the cashier never saw. The code waits
// for the answer; one read once OK is answered is dropped with the window.
TEST(ScannerWindow, ACodeReadWhileTheWindowAsksWaitsForTheAnswer) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  QStringList asked;
  std::vector<int32_t> rowsUnderTheBox;
  std::vector<std::string> codes;
  RunTheDemoSale(
      scanner,
      [&](TDocumentWindow& window) {
        TDataViewWidget& table = *window.Table(0);
        TDataView& view = table.View();
        const auto scanned = [&](int goods, int32_t rows) {
          ASSERT_TRUE(scanner.Write(std::string(kBarcodes[goods - 1]) + "\r"));
          ASSERT_TRUE(RowsCome(view, rows));
        };
        // The next box gets a code read while it is up, and then the answer.
        const auto scanUnderTheBox = [&](int goods, const char* answer) {
          test::WhenModalOf<QMessageBox>([&, goods, answer](QMessageBox* box) {
            asked << box->text();
            ASSERT_TRUE(scanner.Write(std::string(kBarcodes[goods - 1]) + "\r"));
            QTest::qWait(400);
            rowsUnderTheBox.push_back(view.RowCount());
            for (QAbstractButton* b : box->buttons())
              if (b->text() == QString::fromUtf8(answer)) b->click();
          });
        };
        scanned(1, 1);
        scanned(3, 2);
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        table.setFocus();
        QTest::keyClick(&table, Qt::Key_Up);
        ASSERT_EQ(view.CurRow(), 0);
        scanUnderTheBox(5, "Да");
        QTest::mouseClick(window.Button(kDelBut), Qt::LeftButton);
        ASSERT_TRUE(RowsCome(view, 2));

        scanUnderTheBox(8, "Нет");
        QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
        ASSERT_TRUE(window.isVisible());
        ASSERT_TRUE(RowsCome(view, 3));
        for (int32_t row = 0; row < view.RowCount(); ++row) codes.push_back(Code(view, row));

        scanUnderTheBox(2, "Да");
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
      },
      nullptr,
      [](std::string& text) {
        const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        ReplaceLine(text, "  PRINTCOPIES = 1", "  PRINTCOPIES = 1" + eol + "  EXITCONFIRM = 'Записать чек?'"_w);
      });
  EXPECT_EQ(asked, QStringList({QString::fromUtf8("Удалить текущую запись?"),
                                QString::fromUtf8("Все изменения в документе будут игнорированы. Продолжить?"),
                                QString::fromUtf8("Записать чек?")}));
  EXPECT_EQ(rowsUnderTheBox, (std::vector<int32_t>{2, 2, 3}));
  EXPECT_EQ(codes, (std::vector<std::string>{"3", "5", "8"}));
  EXPECT_EQ(LastCheck(home.Dir() + "/sales.dbf"), (std::map<int, double>{{3, 1.0}, {5, 1.0}, {8, 1.0}}));
}

}  // namespace
}  // namespace vm
