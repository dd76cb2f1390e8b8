// A sheet of price tags with both barcode kinds printed on the local print
// system's PDF queue and read back by independent tools: every barcode by
// its decoder at two resolutions, every text zone from the PDF's text.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include "config/settings.h"
#include "foundation/barcodes/bar_patterns.h"
#include "output/label_print.h"
#include "output/price_tag_rig.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "support/cups_queue.h"
#include "support/temp_dir.h"

namespace vm::test {
namespace {

TCenZone& Zone(TCennik& tag, std::array<int32_t, 4> rect, bool barcode) {
  TCenZone& z = *NewCenZone(tag.Zones);
  z.Rect = rect;
  z.Barcode = barcode;
  z.BarWidth = 25;  // 0.25 mm
  z.FontSize = 40;
  z.FontName = "DejaVu Sans";
  return z;
}

// Every line zbarimg reads from the pages of pdf rendered at dpi.
std::set<std::string> ReadBarcodes(const std::string& pdf, int pages, int dpi, const std::string& dir) {
  std::set<std::string> codes;
  for (int p = 1; p <= pages; ++p) {
    const std::string base = dir + "p" + std::to_string(dpi) + "_" + std::to_string(p);
    CommandOutput("pdftoppm -r " + std::to_string(dpi) + " -gray -singlefile -f " + std::to_string(p) + " -l " +
                  std::to_string(p) + " '" + pdf + "' '" + base + "' 2>&1");
    std::string out = CupsQueue::Barcodes(base + ".pgm");
    std::size_t at = 0;
    while (at < out.size()) {
      const std::size_t end = out.find('\n', at);
      codes.insert(out.substr(at, end == std::string::npos ? std::string::npos : end - at));
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  return codes;
}

TEST(LabelCups, FortyTagsWithBarcodesReadBackFromThePdf) {
  CupsQueue cups;
  ASSERT_TRUE(cups.Start()) << "the PDF print queue is needed: " << cups.Why;
  ZoneCompiling compiling;
  TQtPrintSystem system;
  InstallPrintSystem(&system);
  Settings().PrinterName = kTestQueue;

  const std::string marker = "VMLBL" + std::to_string(getpid()) + "T" + std::to_string(time(nullptr) % 100000);
  TCennik layout;
  layout.Width = 640;
  layout.Height = 400;
  Zone(layout, {10, 5, 620, 60}, false);
  Zone(layout, {10, 70, 620, 90}, true);
  Zone(layout, {10, 180, 620, 90}, true);
  Zone(layout, {10, 290, 620, 90}, true);
  TPrintCenList queue;
  std::vector<std::string> texts, expected;
  for (int i = 0; i < 40; ++i) {
    TCennik& tag = *AddPrintCen(queue, layout, 1).Tag;
    const std::string n = std::to_string(100 + i);
    texts.push_back(marker + "-" + n);
    SetZoneText(*tag.GetZone(0), texts.back());
    SetZoneText(*tag.GetZone(1), Code39("VM" + n));
    SetZoneText(*tag.GetZone(2), Interleaved25("2026" + n));
    SetZoneText(*tag.GetZone(3), Interleaved25(DigitCheckPair("77" + n)));
    expected.push_back("CODE-39:VM" + n);
    expected.push_back("I2/5:02026" + n);
    expected.push_back("I2/5:" + DigitCheckPair("77" + n));
  }
  const bool printed = PrintLabels(queue);
  InstallPrintSystem(nullptr);
  Settings().PrinterName.clear();
  ASSERT_TRUE(printed);

  const std::string pdf = cups.WaitForPdf(marker);
  ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " appeared in " << cups.Dir;
  const int pages = CupsQueue::PageCount(pdf);
  ASSERT_GE(pages, 2);
  const std::string text = CupsQueue::PdfText(pdf);
  for (const std::string& t : texts) EXPECT_NE(text.find(t), std::string::npos) << t;
  TempDir dir;
  for (int dpi : {300, 600}) {
    const std::set<std::string> codes = ReadBarcodes(pdf, pages, dpi, dir.Dir());
    for (const std::string& e : expected) EXPECT_TRUE(codes.count(e)) << e << " at " << dpi << " dpi";
  }
}

}  // namespace
}  // namespace vm::test
