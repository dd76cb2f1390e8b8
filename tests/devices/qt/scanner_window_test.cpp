// The sale document of the sample data with its scanner opened, run from
// the main window as a user runs it, while a scanner on a pseudo-terminal
// sends codes: each code becomes one row, in order; a scanner that goes
// away does not upset the program, and the port opens again.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTest>
#include <filesystem>

#include "config/settings.h"
#include "devices/comm_config.h"
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

// The sale as the demo ships it, on a workstation whose "ports.ini" names
// the scanner's device for the settings' COM1, as the README tells: a code
// scanned becomes a row of the check.
TEST(ScannerWindow, TheDemoSaleReadsTheScannerNamedInPortsIni) {
  test::ProgramHome home;
  CopyDemoTo(home);
  test::PtyPair scanner;
  ASSERT_FALSE(scanner.Path().empty());
  test::WriteBytes(home.Dir() + "/ports.ini", "COM1=" + scanner.Path() + "\r\n");
  std::string code;
  TMainProgramHooks hooks;
  hooks.DocumentShown = [&](TDocumentWindow& window) {
    const TDataView& view = window.Table(0)->View();
    ASSERT_TRUE(scanner.Write(std::string(kBarcodes[2]) + "\r"));
    ASSERT_TRUE(RowsCome(view, 1));
    code = Code(view, 0);
    AnswerNextBox("Да");
    QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
  };
  hooks.Shown = [&](TMainWindow& w) {
    TMyMenuItem* item = SaleItem(w);
    ASSERT_NE(item, nullptr);
    test::ConfirmNextDateDialog();
    item->trigger();
    // The demo's settings close the port after every command.
    EXPECT_EQ(ScannerPort(), nullptr);
    test::ClickInMessageBox("Да");
    w.close();
  };
  char name[] = "velomar";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunMainProgram(1, argv, hooks), 0);
  EXPECT_EQ(code, "3");
}

}  // namespace
}  // namespace vm
