// The printer over Qt's printing on the local print system's PDF queue:
// pages, texts, a dashed line and both barcode kinds come out of a real
// PDF as drawn.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <unistd.h>

#include "foundation/barcodes/bar_patterns.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "output/device_mode.h"
#include "support/cups_queue.h"
#include "support/temp_dir.h"
#include "tests/ui/qt/modal.h"

namespace vm::test {
namespace {

TEST(CupsPrint, PagesTextsDashesAndBarcodesReachThePdf) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  TQtPrintSystem system;
  TPrinter printer(system);
  const auto& names = printer.GetPrinters();
  const auto it = std::find(names.begin(), names.end(), kTestQueue);
  ASSERT_NE(it, names.end()) << "Qt does not see the queue " << kTestQueue;
  printer.SetPrinterIndex(static_cast<int32_t>(it - names.begin()));
  EXPECT_FALSE(printer.GetLandscape());

  const std::string marker = "VMCUPS" + std::to_string(getpid()) + "X" + std::to_string(time(nullptr));
  printer.Title = marker + " title cut after thirty-one characters";
  printer.BeginDoc();
  int32_t dpi = 0, ydpi = 0;
  printer.GetResolution(dpi, ydpi);
  ASSERT_GT(dpi, 0);
  TCanvas& c = printer.Canvas();
  SetFontPoints(c, 12, 0);
  c.TextOut(dpi / 2, dpi / 2, marker);
  const int32_t module = std::max(1, dpi / 100);
  DrawBarPattern(c, Code39("VM-39"), dpi / 2, module, dpi / 2, dpi);
  DrawBarPattern(c, Interleaved25("20261207"), dpi / 2, module, dpi / 2, 2 * dpi);
  const int32_t dashX = dpi * 6;
  c.SetPenStyle(TPenStyle::Dash);
  c.MoveTo(dashX, 0);
  c.LineTo(dashX, printer.GetPageHeight());
  printer.NewPage();
  c.TextOut(dpi / 2, dpi / 2, "Второй лист"_w);
  printer.EndDoc();

  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " appeared in " << queue.Dir;
  EXPECT_EQ(CupsQueue::PageCount(pdf), 2);
  const std::string text = CupsQueue::PdfText(pdf);
  EXPECT_LT(text.find(marker), text.find("Второй лист"));

  TempDir dir;
  const std::string page = dir / "page1.pgm";
  ASSERT_TRUE(CupsQueue::PageImage(pdf, 1, page));
  const std::string codes = CupsQueue::Barcodes(page);
  EXPECT_NE(codes.find("CODE-39:VM-39"), std::string::npos) << codes;
  EXPECT_NE(codes.find("I2/5:20261207"), std::string::npos) << codes;
  GreyImage image;
  ASSERT_TRUE(image.Load(page));
  // The page's origin is the printable area's; the line lies within a
  // margin's width of where it was drawn.
  const int found = DashedColumn(image, 0, image.Width);
  EXPECT_GE(found, 0);
  EXPECT_NEAR(found, dashX * 300 / dpi, 300 / 2);
}

TEST(CupsPrint, DeviceModesCarryPaperAndOrientationOntoTheQueue) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  TQtPrintSystem system;
  TDeviceCaps portrait, landscape;
  std::string mode = system.DriverDeviceMode(kTestQueue);
  ASSERT_TRUE(DevModeValid(mode));
  ASSERT_TRUE(system.DeviceCaps(kTestQueue, mode, portrait));
  ASSERT_TRUE(SetDevModeOrientation(mode, true));
  ASSERT_TRUE(system.DeviceCaps(kTestQueue, mode, landscape));
  EXPECT_LT(portrait.PageWidth, portrait.PageHeight);
  EXPECT_GT(landscape.PageWidth, landscape.PageHeight);
  TDevMode fields;
  ASSERT_TRUE(ReadDevMode(mode, fields));
  EXPECT_EQ(fields.DeviceName, kTestQueue);

  // The settings dialog turns the page back upright; the driver's part of
  // the record comes back as it went in.
  fields.DriverData = "kept";
  std::string edited = WriteDevMode(fields);
  QString seen;
  WhenModal([&seen](QWidget* dialog) {
    seen = dialog->metaObject()->className();
    for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
      if (b->objectName() == "portrait") b->click();
    qobject_cast<QDialog*>(dialog)->accept();
  });
  ASSERT_TRUE(system.EditDeviceMode(kTestQueue, edited)) << seen.toStdString();
  EXPECT_FALSE(PaperOfDevMode(edited).Landscape);
  ASSERT_TRUE(ReadDevMode(edited, fields));
  EXPECT_EQ(fields.DriverData, "kept");
  WhenModal([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
  EXPECT_FALSE(system.EditDeviceMode(kTestQueue, edited));
}

// The settings dialog opens on the paper the record names, not on the
// queue's default sheet, and OK without a change hands the same paper
// back: a paper of the queue's list, turned or not, and one of the
// user's own size.
TEST(CupsPrint, TheSettingsDialogOpensOnTheRecordsPaperAndOkKeepsIt) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  TQtPrintSystem system;
  TDevMode fields;
  ASSERT_TRUE(ReadDevMode(system.DriverDeviceMode(kTestQueue), fields));
  for (const auto& [paper, width, height, landscape] :
       {std::tuple{kPaperA5, 1480, 2100, true}, {kPaperA3, 2970, 4200, false}, {int16_t(256), 580, 400, false}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    TDevMode mode = fields;
    mode.Fields |= kDmPaperSize | kDmOrientation;
    mode.PaperSize = paper;
    mode.Orientation = landscape ? kDmLandscape : kDmPortrait;
    if (paper == 256) {
      mode.Fields |= kDmPaperLength | kDmPaperWidth;
      mode.PaperWidth = static_cast<int16_t>(width);
      mode.PaperLength = static_cast<int16_t>(height);
    }
    std::string edited = WriteDevMode(mode);
    QSizeF shown;
    WhenModalOf<QDialog>([&shown](QDialog* dialog) {
      const auto* w = dialog->findChild<QDoubleSpinBox*>("pageWidth");
      const auto* h = dialog->findChild<QDoubleSpinBox*>("pageHeight");
      if (w && h) shown = QSizeF(w->value(), h->value());
      dialog->accept();
    });
    ASSERT_TRUE(system.EditDeviceMode(kTestQueue, edited));
    // The dialog shows the sheet as it lies, in millimetres.
    const QSizeF upright(width / 10.0, height / 10.0);
    EXPECT_EQ(shown, landscape ? upright.transposed() : upright);
    const TPaperRequest back = PaperOfDevMode(edited);
    EXPECT_EQ(std::tuple(back.Width, back.Height, back.Landscape), std::tuple(width, height, landscape));
  }
}

// A format set in "Формат" to grey and manual feed at half size: the
// print system is told so with the job, the page is drawn at half size,
// and the dialog shows the settings again as it took them.
TEST(CupsPrint, APrintersOwnSettingsReachTheJobAndComeBack) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  TQtPrintSystem system;
  const std::string driver = system.DriverDeviceMode(kTestQueue);
  TDevMode fields;
  ASSERT_TRUE(ReadDevMode(driver, fields));
  EXPECT_EQ(std::tuple(fields.DefaultSource, fields.Color), std::tuple(kBinAuto, kDmColour));
  const auto combo = [](QWidget* dialog, const char* name) { return dialog->findChild<QComboBox*>(name); };

  std::string mode = driver;
  WhenModalOf<QDialog>([&](QDialog* dialog) {
    QComboBox* source = combo(dialog, "source");
    QComboBox* colour = combo(dialog, "colour");
    auto* scale = dialog->findChild<QSpinBox*>("scale");
    ASSERT_TRUE(source && colour && scale && combo(dialog, "sides") && combo(dialog, "resolution"));
    // The printer's settings are the dialog's second page.
    auto* tabs = dialog->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(source->isVisible());
    source->setCurrentIndex(source->findText("Ручная подача"));
    colour->setCurrentIndex(colour->findText("Оттенки серого"));
    scale->setValue(50);
    dialog->accept();
  });
  ASSERT_TRUE(system.EditDeviceMode(kTestQueue, mode));
  ASSERT_TRUE(ReadDevMode(mode, fields));
  EXPECT_EQ(std::tuple(fields.DefaultSource, fields.Color, fields.Scale),
            std::tuple(kBinManual, kDmMonochrome, int16_t(50)));

  const std::string marker = "VMTRAY" + std::to_string(getpid()) + "X" + std::to_string(time(nullptr));
  TDeviceCaps whole, half;
  ASSERT_TRUE(system.DeviceCaps(kTestQueue, driver, whole));
  ASSERT_TRUE(system.DeviceCaps(kTestQueue, mode, half));
  EXPECT_NEAR(half.PageWidth, 2 * whole.PageWidth, 2);
  std::unique_ptr<IPrintJob> job = system.StartDoc(kTestQueue, mode, marker);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->Caps().PageWidth, half.PageWidth);
  const int32_t dpi = half.XDpi;
  TCanvas& c = job->Canvas();
  SetFontPoints(c, 12, 0);
  c.TextOut(dpi / 2, dpi / 2, marker);
  // Six inches in, drawn at half size: three inches from the printable
  // area's edge.
  const int32_t lineX = dpi * 6;
  c.MoveTo(lineX, 0);
  c.LineTo(lineX, half.PageHeight);
  job->End();
  job.reset();

  const std::string pdf = queue.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " appeared in " << queue.Dir;
  EXPECT_EQ(CupsQueue::JobOptions(marker), "manual,monochrome");
  TempDir dir;
  const std::string page = dir / "page1.pgm";
  ASSERT_TRUE(CupsQueue::PageImage(pdf, 1, page));
  GreyImage image;
  ASSERT_TRUE(image.Load(page));
  int line = -1, most = 0;
  for (int x = 0; x < image.Width; ++x) {
    int dark = 0;
    for (int y = 0; y < image.Height; ++y) dark += image.At(x, y) < 128;
    if (dark > most) most = dark, line = x;
  }
  EXPECT_NEAR(line, 3 * 300, 300 / 2);

  // The dialog opens on what the format holds; the driver's format asks
  // nothing of the job.
  QString shown;
  WhenModalOf<QDialog>([&](QDialog* dialog) {
    shown = combo(dialog, "source")->currentText() + "/" + combo(dialog, "colour")->currentText() + "/" +
            dialog->findChild<QSpinBox*>("scale")->text();
    dialog->reject();
  });
  EXPECT_FALSE(system.EditDeviceMode(kTestQueue, mode));
  EXPECT_EQ(shown.toStdString(), "Ручная подача/Оттенки серого/50 %");
  const std::string plain = marker + "P";
  job = system.StartDoc(kTestQueue, driver, plain);
  ASSERT_NE(job, nullptr);
  job->Canvas().TextOut(dpi / 2, dpi / 2, plain);
  job->End();
  job.reset();
  ASSERT_FALSE(queue.WaitForPdf(plain).empty());
  EXPECT_EQ(CupsQueue::JobOptions(plain), ",");
}

// The page format's dialog as a user sees it, taken when
// VELOMAR_SCREENSHOTS names a folder (scripts/screenshots).
TEST(ScreenshotOfPageFormat, ThePageAndThePrintersOwnSettings) {
  const char* folder = std::getenv("VELOMAR_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "VELOMAR_SCREENSHOTS is not set";
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  TQtPrintSystem system;
  std::string mode = system.DriverDeviceMode(kTestQueue);
  WhenModalOf<QDialog>([folder](QDialog* dialog) {
    auto* tabs = dialog->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      QTest::qWait(600);  // the window manager maps and frames it
      EXPECT_TRUE(dialog->screen()->grabWindow(0).save(QString::fromLocal8Bit(folder) +
                                                       QString("/page_format%1.png").arg(i + 1)));
    }
    dialog->reject();
  });
  system.EditDeviceMode(kTestQueue, mode);
}

// A printer made for the queue straight away is the one a printer made
// for the default queue and then pointed at ours was: every setting, and
// every record of settings applied to it, comes out the same.
TEST(CupsPrint, APrinterMadeForTheQueueIsOnePointedAtIt) {
  CupsQueue queue;
  ASSERT_TRUE(queue.Start()) << "the PDF print queue is needed: " << queue.Why;
  EXPECT_EQ(PrinterForQueue("VelomarNoSuchQueue"), nullptr);
  const std::unique_ptr<QPrinter> made = PrinterForQueue(kTestQueue);
  ASSERT_NE(made, nullptr);
  QPrinter pointed(QPrinter::HighResolution);
  pointed.setOutputFormat(QPrinter::NativeFormat);
  pointed.setPrinterName(kTestQueue);
  TQtPrintSystem system;
  const std::string driver = system.DriverDeviceMode(kTestQueue);
  TDevMode fields;
  ASSERT_TRUE(ReadDevMode(driver, fields));
  std::vector<std::string> modes = {driver};
  for (const auto& [paper, landscape, copies, quality] :
       {std::tuple{kPaperA5, true, 2, 600}, {kPaperLetter, false, 1, 300}, {int16_t(256), true, 3, 1200}}) {
    TDevMode mode = fields;
    mode.PaperSize = paper;
    if (paper == 256) {
      mode.Fields |= kDmPaperLength | kDmPaperWidth;
      mode.PaperWidth = 1000;
      mode.PaperLength = 1500;
    }
    mode.Orientation = landscape ? kDmLandscape : kDmPortrait;
    mode.Copies = static_cast<int16_t>(copies);
    mode.PrintQuality = static_cast<int16_t>(quality);
    modes.push_back(WriteDevMode(mode));
  }
  const auto settings = [](QPrinter& printer) {
    return std::tuple(printer.printerName(), printer.outputFormat(), printer.pageLayout(), printer.resolution(),
                      printer.copyCount(), printer.collateCopies(), printer.duplex(), printer.colorMode(),
                      printer.fullPage(), printer.pageOrder(), printer.pageLayout().paintRectPixels(printer.resolution()),
                      DevModeFromPrinter(printer, {}));
  };
  EXPECT_TRUE(settings(*made) == settings(pointed));
  for (const std::string& mode : modes) {
    ASSERT_TRUE(ApplyDevModeToPrinter(mode, *made));
    ASSERT_TRUE(ApplyDevModeToPrinter(mode, pointed));
    EXPECT_TRUE(settings(*made) == settings(pointed)) << PaperOfDevMode(mode).Code;
  }
}

}  // namespace
}  // namespace vm::test
