// A sheet of price tags with both barcode kinds printed on the local print
// system's PDF queue and read back by independent tools: every barcode by
// its decoder at two resolutions, every text zone from the PDF's text.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include "config/data_dir.h"
#include "config/page_format.h"
#include "config/settings.h"
#include "foundation/barcodes/bar_patterns.h"
#include "foundation/draw/canvas.h"
#include "foundation/values/dates.h"
#include "output/device_mode.h"
#include "output/label_print.h"
#include "output/price_tag_rig.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "support/cups_queue.h"
#include "support/program_home.h"
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


// The demo's own price tag on a full sheet printed at 300 and 600 dpi, a
// different code on every label: each code's bars lie inside its zone, so
// inside its label, and every label's code is read from its cell alone and
// from the whole page; every label's date, the longest of its month, keeps
// its year; the job's title reads back from the PDF.
class DemoTagSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& e : std::filesystem::directory_iterator(std::string(VELOMAR_SOURCE_DIR) + "/demo/"))
      std::filesystem::copy_file(e.path(), std::filesystem::path(home.Dir()) / e.path().filename());
    ChooseDataDirectory();
    ASSERT_TRUE(LoadAllSettings());
    ASSERT_EQ(Settings().PriceTags.Count(), 1);
    InstallPrintSystem(&system);
    Settings().PrinterName = kTestQueue;
  }
  void TearDown() override {
    InstallPrintSystem(nullptr);
    Settings().PrinterName.clear();
  }

  ProgramHome home;
  ZoneCompiling compiling;
  TQtPrintSystem system;
  TempDir dir;
};

// The row of a horizontal dashed line between fromY and toY; -1 when none.
int DashedRow(const GreyImage& image, int fromY, int toY) {
  const GreyImage turned = image.Turned();
  const int x = DashedColumn(turned, image.Height - toY, image.Height - fromY);
  return x < 0 ? -1 : image.Height - 1 - x;
}

void WriteGrey(const GreyImage& image, int left, int top, int width, int height, const std::string& path) {
  std::string bytes = "P5 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) bytes += static_cast<char>(image.At(x, y));
  WriteBytes(path, bytes);
}

TEST_F(DemoTagSheet, EveryCodeStaysInItsZoneAndIsReadFromItsOwnLabel) {
  CupsQueue cups;
  ASSERT_TRUE(cups.Start()) << "the PDF print queue is needed: " << cups.Why;
  const TCennik& tag = *Settings().PriceTags.GetItem(0);
  const TCenZone& bars = *tag.GetZone(3);
  ASSERT_TRUE(bars.Barcode);
  for (const int dpi : {300, 600}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    TDevMode fields;
    ASSERT_TRUE(ReadDevMode(system.DriverDeviceMode(kTestQueue), fields));
    fields.Fields |= kDmPrintQuality;
    fields.PrintQuality = static_cast<int16_t>(dpi);
    TPageFormat format{"Ценник"_w, WriteDevMode(fields)};
    TDeviceCaps caps;
    ASSERT_TRUE(system.DeviceCaps(kTestQueue, format.DeviceMode, caps));
    ASSERT_EQ(caps.XDpi, dpi);
    int32_t cols = 0, rows = 0;
    CountLabelCells(tag, dpi, caps.PageWidth, caps.PageHeight, cols, rows);
    ASSERT_GT(cols * rows, 1);

    const std::string marker = "VMTAG" + std::to_string(getpid()) + "D" + std::to_string(dpi);
    TPrintCenList queue;
    std::vector<std::string> codes;
    for (int i = 0; i < cols * rows; ++i) {
      TCennik& label = *AddPrintCen(queue, tag, 1).Tag;
      char code[24];
      std::snprintf(code, sizeof code, "46000000%05d", 1000 + 37 * i);
      codes.push_back(code);
      SetZoneText(*label.GetZone(0), marker + "-" + std::to_string(i));
      SetZoneText(*label.GetZone(1), "Крупа гречневая 900 г"_w);
      SetZoneText(*label.GetZone(2), "99.00");
      SetZoneText(*label.GetZone(3), Interleaved25(code));
      const int32_t month = i % 12 + 1;
      SetZoneText(*label.GetZone(4),
                  DateStrToLongStr((month == 2 ? "28." : "30.") + std::to_string(month) + ".2026"));
    }
    ASSERT_TRUE(PrintLabels(queue, &format));
    const std::string pdf = cups.WaitForPdf(marker);
    ASSERT_FALSE(pdf.empty()) << "no PDF with " << marker << " appeared in " << cups.Dir;
    EXPECT_EQ(CupsQueue::PdfTitle(pdf), "Печать ярлыков");
    ASSERT_EQ(CupsQueue::PageCount(pdf), 1);
    EXPECT_EQ(CupsQueue::TextCount(pdf, "2026г."), cols * rows) << CupsQueue::PdfText(pdf);

    const std::string base = dir / ("sheet" + std::to_string(dpi));
    CommandOutput("pdftoppm -r " + std::to_string(dpi) + " -gray -singlefile '" + pdf + "' '" + base + "' 2>&1");
    GreyImage page;
    ASSERT_TRUE(page.Load(base + ".pgm"));
    // The cut lines place the grid: the first ones lie on the printable
    // area's left and top edges.
    const long double s = dpi / 254.0L;
    const int pitchX = RoundEven((tag.Width + tag.LineWidth) * s) + 7;
    const int pitchY = RoundEven((tag.Height + tag.LineWidth) * s) + 7;
    const int offset = RoundEven(tag.LineWidth * s) / 2 + 4;
    const int originX = DashedColumn(page, 0, pitchX / 2);
    const int originY = DashedRow(page, 0, pitchY / 2);
    ASSERT_GE(originX, 0);
    ASSERT_GE(originY, 0);
    const auto px = [&](int32_t tenths) { return static_cast<int>(RoundEven(tenths * s)); };
    const int zoneLeft = px(bars.Rect[0]), zoneRight = px(bars.Rect[0] + bars.Rect[2]);
    // Rows of the zone above the date's zone; columns of the label inside
    // its frame.
    const int bandTop = px(bars.Rect[1] + 5), bandBottom = px(tag.GetZone(4)->Rect[1] - 5);
    for (int i = 0; i < cols * rows; ++i) {
      SCOPED_TRACE("label " + std::to_string(i + 1));
      const int x0 = originX + pitchX * (i % cols) + offset, y0 = originY + pitchY * (i / cols) + offset;
      int first = -1, last = -1;
      for (int x = x0 + px(5); x < x0 + px(tag.Width - 5); ++x)
        for (int y = y0 + bandTop; y < y0 + bandBottom; ++y)
          if (page.At(x, y) < 128) {
            if (first < 0) first = x;
            last = x;
            break;
          }
      ASSERT_GE(first, 0) << "no bars";
      EXPECT_GE(first - x0, zoneLeft);
      EXPECT_LE(last - x0, zoneRight);
      const std::string cell = dir / ("cell" + std::to_string(dpi) + "_" + std::to_string(i) + ".pgm");
      WriteGrey(page, x0 - offset + 2, y0 - offset + 2, pitchX - 4, pitchY - 4, cell);
      EXPECT_EQ(CupsQueue::Barcodes(cell), "I2/5:0" + codes[static_cast<std::size_t>(i)] + "\n");
    }
    const std::string all = CupsQueue::Barcodes(base + ".pgm");
    for (const std::string& code : codes) EXPECT_NE(all.find("I2/5:0" + code + "\n"), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace vm::test
