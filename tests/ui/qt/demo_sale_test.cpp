// The demo shop at its till, run from the main window as a cashier runs
// it: the printed check keeps its sum by its table.
#include <gtest/gtest.h>

#include <QTest>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/settings.h"
#include "devices/pty_rig.h"
#include "foundation/text/strutils.h"
#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "tests/ui/qt/income_run.h"

namespace vm::test {
namespace {

// Gives an auto-parameter of the demo copy's "manager.ini" another value.
void SetParameter(const std::string& dir, const char* name, const std::string& from, const std::string& to) {
  std::string text = ReadBytes(dir + "/manager.ini");
  const std::size_t at = text.find(Utf8ToCp1251(std::string("=") + name + "\r\n"));
  ASSERT_NE(at, std::string::npos) << name;
  const std::size_t value = text.find("'" + Utf8ToCp1251(from) + "'", at);
  ASSERT_NE(value, std::string::npos) << from;
  text.replace(value + 1, Utf8ToCp1251(from).size(), Utf8ToCp1251(to));
  WriteBytes(dir + "/manager.ini", text);
}

// A row added by its code taken from the look-up list; the entry goes on
// over the cells it offers, each accepted as filled, to the column given
// the value.
void EnterRow(TDocumentWindow& window, const char* code, int32_t column, const char* value) {
  TDataViewWidget& table = *window.Table(0);
  table.setFocus();
  IncomeRun::EnterByCode(window, table, code, "", false);
  QTest::keyClick(table.Editor(), Qt::Key_Return);
  for (int i = 0; i < 8 && table.View().Editing() && table.View().CurCol() != column; ++i)
    QTest::keyClick(table.Editor(), Qt::Key_Return);
  ASSERT_TRUE(table.View().Editing());
  ASSERT_EQ(table.View().CurCol(), column);
  TypeText(table.Editor(), QString::fromUtf8(value));
  QTest::keyClick(table.Editor(), Qt::Key_Return);
  if (table.View().Editing()) QTest::keyClick(table.Editor(), Qt::Key_Escape);
  EXPECT_FALSE(table.View().Editing());
}

// Each word of a PDF page with the top of its box, in points.
std::vector<std::pair<std::string, double>> WordTops(const std::string& pdf) {
  const std::string xml = CommandOutput("pdftotext -bbox -f 1 -l 1 '" + pdf + "' - 2>/dev/null");
  std::vector<std::pair<std::string, double>> words;
  for (std::size_t at = 0; (at = xml.find("<word ", at)) != std::string::npos;) {
    const std::size_t top = xml.find("yMin=\"", at) + 6;
    const std::size_t text = xml.find('>', at) + 1;
    words.emplace_back(xml.substr(text, xml.find('<', text) - text), std::stod(xml.substr(top)));
    at = text;
  }
  return words;
}

double TopOf(const std::vector<std::pair<std::string, double>>& words, const std::string& word) {
  for (const auto& [text, top] : words)
    if (text == word) return top;
  return -1e9;
}

// The work in the document window, which is left unsaved when the work
// leaves it open, also when an assertion ends the work early.
std::function<void(TDocumentWindow&)> Closing(std::function<void(TDocumentWindow&)> work) {
  return [work](TDocumentWindow& window) {
    work(window);
    if (!window.isVisible()) return;
    ClickInMessageBox("Да");
    window.reject();
  };
}

class DemoSale : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scanner.Path().empty());
    WriteBytes(run.home.Dir() + "/ports.ini", "COM1=" + scanner.Path() + "\r\n");
  }

  IncomeRun run;
  PtyPair scanner;
};

TEST_F(DemoSale, ThePrintedCheckKeepsItsSumByItsTable) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "printing needs the PDF print queue: " << queue.Why;
  // A check number of this run alone finds its page.
  const int32_t last = 10000000 + getpid() % 80000000;
  SetParameter(run.home.Dir(), "НОМЕР_ЧЕКА", "4", std::to_string(last));
  run.OnMainWindow = [](TMainWindow&) { Settings().PrinterName = kTestQueue; };
  run.Run(Closing([&](TDocumentWindow& window) {
    EnterRow(window, "3", 2, "2");
    EnterRow(window, "1", 2, "1");
    QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
  }), nullptr, "Продажа");
  const std::string number = std::to_string(last + 1);
  const std::string pdf = queue.WaitForPdf(number);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << number << " in " << queue.Dir;
  EXPECT_NE(CupsQueue::PdfText(pdf).find("К оплате: 507.90 руб."), std::string::npos) << CupsQueue::PdfText(pdf);
  const auto words = WordTops(pdf);
  const double sum = TopOf(words, "оплате:");
  const double firstRow = TopOf(words, "Молоко");
  const double lastRow = TopOf(words, "Масло");
  ASSERT_GT(firstRow, 0);
  ASSERT_GT(lastRow, firstRow);
  // Not more than a few rows below the table's last, not at the page's foot.
  EXPECT_LT(sum, lastRow + 4 * (lastRow - firstRow)) << sum << " " << lastRow;
}

}  // namespace
}  // namespace vm::test
