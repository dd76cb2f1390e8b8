// The demo's receipt printed from its window onto the print system's PDF
// queue, and the pages read back: the table with its header and rows and
// the totals where the blank puts them, page numbers over three pages, two
// copies side by side on a landscape sheet with a dashed cut between them,
// and automatic printing after OK.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

#include "config/page_format.h"
#include "config/settings.h"
#include "foundation/text/hex_text.h"
#include "output/device_mode.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "platform/encoding.h"
#include "support/cups_queue.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/income_run.h"

namespace vm::test {
namespace {

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

class DocumentPrintWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(queue.Start()) << "printing needs the PDF print queue: " << queue.Why;
    static int serial = 0;
    // The invoice number: at most ten characters, unique on this machine.
    marker = "N" + std::to_string(getpid() % 1000000) + "x" + std::to_string(++serial);
    run.OnMainWindow = [](TMainWindow&) { Settings().PrinterName = kTestQueue; };
  }

  // The invoice number typed into its field, as a user confirms it.
  void TypeNumber(TDocumentWindow& window) {
    QLineEdit* number = nullptr;
    for (QLineEdit* e : window.Panel1()->findChildren<QLineEdit*>())
      if (!number) number = e;
    ASSERT_NE(number, nullptr);
    number->setFocus();
    number->setText(QString::fromStdString(marker));
    QTest::keyClick(number, Qt::Key_Return);
  }
  // One row entered by its code and the invoice number typed: a receipt
  // that passes its checks.
  void EnterRowAndNumber(TDocumentWindow& window, const char* code, const char* qty) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    IncomeRun::EnterByCode(window, table, code, qty);
    TypeNumber(window);
  }
  // Rows put straight into the table: code, name, unit, quantity, price.
  static void FillRows(TDocumentWindow& window, int rows) {
    TDataView& view = window.Table(0)->View();
    for (int i = 1; i <= rows; ++i) {
      const int32_t row = view.AppendRow();
      const std::string cells[] = {std::to_string(i), "Товар "_w + std::to_string(i), "шт"_w, "1", "10.00"};
      for (int32_t c = 0; c < 5; ++c) view.SetCellText(c, row, cells[c]);
    }
  }
  static int JobsSent() { return dynamic_cast<TQtPrintSystem&>(PrintSystem()).JobsSent; }
  static void LeaveUnsaved(TDocumentWindow& window) {
    ClickInMessageBox("Да");
    window.reject();
  }

  CupsQueue queue;
  IncomeRun run;
  std::string marker;
};

TEST_F(DocumentPrintWindowTest, TheReceiptPrintsItsHeaderRowsAndTotalWhereTheBlankPutsThem) {
  std::string names[2];
  run.Run([&](TDocumentWindow& window) {
    TDataViewWidget& table = *window.Table(0);
    table.setFocus();
    IncomeRun::EnterByCode(window, table, "3", "5");
    IncomeRun::EnterByCode(window, table, "1", "2");
    names[0] = Cp1251ToUtf8(Trim(table.View().GetCellText(1, 0)));
    names[1] = Cp1251ToUtf8(Trim(table.View().GetCellText(1, 1)));
    TypeNumber(window);
    QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
    EXPECT_EQ(JobsSent(), 1);
    EXPECT_TRUE(window.isVisible());
    LeaveUnsaved(window);
  });
  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " in " << queue.Dir;
  EXPECT_EQ(CupsQueue::PageCount(pdf), 1);
  const std::string text = CupsQueue::PdfText(pdf);
  // Top to bottom: the title, number and total, the header, the rows
  // sorted by their code as printing sorts them. Every header word is
  // whole on the line of the others.
  std::size_t at = 0;
  for (const std::string& part : {std::string("Приходная накладная №"), marker, std::string("Итого: 849.80 руб."),
                                  std::string("Товар"), std::string("Поступило"), std::string("Наименование"),
                                  std::string("Количество"), names[1], std::string("62.40"), std::string("124.80"),
                                  names[0], std::string("145.00"), std::string("725.00")}) {
    const std::size_t found = text.find(part, at);
    ASSERT_NE(found, std::string::npos) << part << " after " << at << " in\n" << text;
    at = found;
  }
}

TEST_F(DocumentPrintWindowTest, ThreePagesCarryTheirNumbers) {
  run.Run(
      [&](TDocumentWindow& window) {
        FillRows(window, 40);
        TypeNumber(window);
        QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
        LeaveUnsaved(window);
      },
      [](std::string& text) {
        ReplaceDescriptionSection(
            text, "VIEWS",
            Utf8ToCp1251("  [НАКЛ]:10 = X:700, Y:20, F:45, E:1\n"
                         "  ['Лист'] = X:1100, Y:20, F:40, AUTOPAGE:1\n"
                         "  ['Стр. ' + TOSTR(PAGENUMBER, 0) + ', многостр. ' + TOSTR(MULTIPAGE, 0)] = X:20, Y:-60, F:40"));
        const std::size_t form = text.find("Y2:-20");
        ASSERT_NE(form, std::string::npos);
        text.replace(form, 6, "Y2:1000");
      });
  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " in " << queue.Dir;
  ASSERT_EQ(CupsQueue::PageCount(pdf), 3);
  const std::string text = CupsQueue::PdfText(pdf);
  std::size_t at = 0;
  for (int page = 1; page <= 3; ++page) {
    for (const std::string& part :
         {"Лист/" + std::to_string(page), "Стр. " + std::to_string(page) + ", многостр. 1"}) {
      const std::size_t found = text.find(part, at);
      ASSERT_NE(found, std::string::npos) << part << " in\n" << text;
      at = found;
    }
  }
  EXPECT_NE(text.find("Товар 40"), std::string::npos);
}

TEST_F(DocumentPrintWindowTest, TwoCopiesShareALandscapeSheetWithADashedCut) {
  run.OnMainWindow = [](TMainWindow&) {
    Settings().PrinterName = kTestQueue;
    TDevMode mode;
    ReadDevMode(TQtPrintSystem().DriverDeviceMode(kTestQueue), mode);
    mode.PaperSize = kPaperA3;
    mode.Orientation = kDmLandscape;
    mode.Fields |= kDmPaperSize | kDmOrientation;
    const std::string bytes = WriteDevMode(mode);
    PageFormats().AddFromText("A3L," + BytesToHexStr(bytes.data(), bytes.size()));
  };
  run.Run(
      [&](TDocumentWindow& window) {
        EnterRowAndNumber(window, "3", "5");
        QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
        LeaveUnsaved(window);
      },
      [](std::string& text) { ReplaceDescriptionSection(text, "BLANK", "  WIDTH = 1630\n  PRINTCOPIES = 2\n  PAPER = A3L"); });
  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " in " << queue.Dir;
  ASSERT_EQ(CupsQueue::PageCount(pdf), 1);
  const std::string text = CupsQueue::PdfText(pdf);
  const std::size_t first = text.find(marker);
  EXPECT_NE(text.find(marker, first + 1), std::string::npos) << "two copies:\n" << text;
  TempDir dir;
  const std::string page = dir / "sheet.pgm";
  ASSERT_TRUE(CupsQueue::PageImage(pdf, 1, page));
  GreyImage image;
  ASSERT_TRUE(image.Load(page));
  // The sheet comes out as portrait paper with the landscape page on it.
  if (image.Height > image.Width) image = image.Turned();
  ASSERT_LT(text.find("Приходная"), text.find("Поступило"));
  // 420 mm across: two copies of 163 mm, the cut in the middle.
  const int cut = DashedColumn(image, image.Width / 3, 2 * image.Width / 3);
  EXPECT_NEAR(cut, image.Width / 2, image.Width / 40);
}

TEST_F(DocumentPrintWindowTest, AProgramPrintsTheOpenDocumentWithPrintClick) {
  int sent = -1;
  run.Run(
      [&](TDocumentWindow& window) {
        sent = JobsSent();
        LeaveUnsaved(window);
      },
      [this](std::string& text) {
        ReplaceDescriptionSection(text, "INIT",
                                  "  LOADBASE(ТОВ)\n  LOADBASE(ПОСТАВ)\n  ПОСТ := 1\n  НАКЛ := '"_w + marker + "'\n  PRINTCLICK(1)");
      });
  EXPECT_EQ(sent, 1);
  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " in " << queue.Dir;
  EXPECT_NE(CupsQueue::PdfText(pdf).find("Итого: 0.00 руб."), std::string::npos);
}

TEST_F(DocumentPrintWindowTest, AutomaticPrintingAfterOkPrintsOnceAndNotAgainAfterTheButton) {
  const auto autoPrint = [](std::string& text) {
    ReplaceDescriptionSection(text, "BLANK", "  WIDTH = 1630\n  PRINTCOPIES = 1\n  AUTOPRINT = E:1, Q:0");
  };
  int afterOk = -1;
  run.Run(
      [&](TDocumentWindow& window) {
        EnterRowAndNumber(window, "3", "1");
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        afterOk = JobsSent();
      },
      autoPrint);
  EXPECT_EQ(afterOk, 1);
  ASSERT_FALSE(queue.WaitForPdf(marker).empty()) << "no PDF with " << marker << " in " << queue.Dir;

  int afterButton = -1;
  IncomeRun again;
  again.OnMainWindow = run.OnMainWindow;
  again.Run(
      [&](TDocumentWindow& window) {
        EnterRowAndNumber(window, "1", "1");
        QTest::mouseClick(window.Button(kPrintBut), Qt::LeftButton);
        QTest::mouseClick(window.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        afterButton = JobsSent();
      },
      autoPrint);
  EXPECT_EQ(afterButton, 1);
}

}  // namespace
}  // namespace vm::test
