// The goods table drawn by the core on the Qt canvas into images at screen
// and printer resolution: every line and text lands where the core's layout
// puts it, and the pictures match the references in tests/data/render.
//
// To renew the references after an intended change of the drawing, run
//   VELOMAR_RENEW_IMAGES=1 build-asan/tests/test_ui_qt --gtest_filter='TableImage*'
// look at the new PNG files and commit them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPdfWriter>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "config/price_tags.h"
#include "support/sample_blank.h"
#include "support/temp_dir.h"
#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_canvas.h"
#include "models/table_render.h"

using namespace vm;

namespace {

// Passes everything to the Qt canvas and notes the lines and texts.
class NotingCanvas : public TQtCanvas {
 public:
  using TQtCanvas::TQtCanvas;
  struct Line {
    QPoint From, To;
    int Width;
  };
  struct Text {
    QRect Box;
  };
  void SetPenWidth(int32_t width) override {
    width_ = std::max(width, 1);
    TQtCanvas::SetPenWidth(width);
  }
  void MoveTo(int32_t x, int32_t y) override {
    at_ = QPoint(x, y);
    TQtCanvas::MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    lines.push_back({at_, QPoint(x, y), width_});
    at_ = QPoint(x, y);
    TQtCanvas::LineTo(x, y);
  }
  void TextOut(int32_t x, int32_t y, std::string_view text) override {
    if (!text.empty()) texts.push_back({QRect(x, y, TextWidth(text), TextHeight(text))});
    TQtCanvas::TextOut(x, y, text);
  }
  std::vector<Line> lines;
  std::vector<Text> texts;

 private:
  QPoint at_;
  int width_ = 1;
};

struct Picture {
  QImage image;
  std::vector<NotingCanvas::Line> lines;
  std::vector<NotingCanvas::Text> texts;
  TTableDrawn drawn;
};

Picture Draw(int ppi) {
  const double k = ppi / 96.0;
  Picture p;
  p.image = QImage(static_cast<int>(340 * k), static_cast<int>(170 * k), QImage::Format_RGB32);
  p.image.setDotsPerMeterX(static_cast<int>(std::lround(ppi / 0.0254)));
  p.image.setDotsPerMeterY(static_cast<int>(std::lround(ppi / 0.0254)));
  p.image.fill(Qt::white);
  QPainter painter(&p.image);
  NotingCanvas canvas(painter);
  TCurBlank blank;
  blank.SetText(test::GoodsBlankText());
  test::TextRows rows = test::GoodsRows();
  TTableDraw request;
  request.X = static_cast<int32_t>(10 * k);
  request.Y = static_cast<int32_t>(10 * k);
  request.AvailWidth = p.image.width() - request.X;
  request.AvailHeight = p.image.height() - request.Y;
  p.drawn = DrawBlankTable(canvas, request, blank, rows);
  p.lines = canvas.lines;
  p.texts = canvas.texts;
  return p;
}

bool Dark(const QImage& image, int x, int y) {
  if (!image.rect().contains(x, y)) return false;
  return qGray(image.pixel(x, y)) < 128;
}

void ExpectLinesAndTextsWhereTheLayoutSaysFor(int ppi) {
  const Picture p = Draw(ppi);
  ASSERT_EQ(p.image.logicalDpiY(), ppi);
  ASSERT_TRUE(p.drawn.Drawn);
  EXPECT_EQ(p.drawn.NextRow, 3);
  ASSERT_GT(p.lines.size(), 10u);
  // Every line is drawn on its pixels: the middle and both quarters of each
  // segment are dark.
  for (const auto& line : p.lines) {
    for (int q : {1, 2, 3}) {
      const QPoint at = line.From + (line.To - line.From) * q / 4;
      EXPECT_TRUE(Dark(p.image, at.x(), at.y())) << ppi << " ppi, line " << line.From.x() << ","
                                                  << line.From.y() << " to " << line.To.x() << ","
                                                  << line.To.y();
    }
  }
  // The table's frame closes at the bottom where the rows end.
  const int bottom = p.drawn.NextY;
  bool frameBottom = false;
  for (const auto& line : p.lines)
    frameBottom |= line.From.y() == line.To.y() && std::abs(line.From.y() - bottom) <= line.Width;
  EXPECT_TRUE(frameBottom);
  // Every text is drawn in its box, and its box lies inside the table.
  const QRect table(p.lines.front().From, QPoint(p.image.width(), bottom));
  ASSERT_GE(p.texts.size(), 14u);  // 5 header texts and 3 rows of 3, one wrapped
  for (const auto& text : p.texts) {
    int dark = 0;
    for (int y = text.Box.top(); y <= text.Box.bottom(); ++y)
      for (int x = text.Box.left(); x <= text.Box.right(); ++x) dark += Dark(p.image, x, y);
    EXPECT_GE(dark, 3) << ppi << " ppi, text at " << text.Box.x() << "," << text.Box.y();
    EXPECT_LE(text.Box.bottom(), bottom);
  }
}

TEST(TableImage, LinesAndTextsLandWhereTheLayoutPutsThem) {
  ASSERT_TRUE(QFontDatabase::families().contains("Liberation Serif"))
      << "fonts-liberation2 is missing: run scripts/install-deps";
  ExpectLinesAndTextsWhereTheLayoutSaysFor(96);
  ExpectLinesAndTextsWhereTheLayoutSaysFor(300);
}

TEST(TableImage, TimesNewRomanIsDrawnWithItsMetricTwin) {
  EXPECT_EQ(MapFontFamily("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(MapFontFamily("ms sans serif"), "Liberation Sans");
  EXPECT_EQ(MapFontFamily("Courier New"), "Liberation Mono");
  EXPECT_EQ(MapFontFamily("Tahoma"), "Tahoma");
  const QFontInfo info(FontForFamily("Times New Roman", 20));
  EXPECT_EQ(info.family(), "Liberation Serif");
  EXPECT_EQ(info.pixelSize(), 20);
}

// The share of pixels whose colour differs noticeably.
double Difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 1.0;
  int64_t differing = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64) ++differing;
  return static_cast<double>(differing) / (a.width() * a.height());
}

TEST(TableImage, PicturesMatchTheReferences) {
  // The references are drawn in the tables' own font, whatever a
  // configuration loaded before named.
  DefaultFontName().clear();
  for (int ppi : {96, 300}) {
    const QImage image = Draw(ppi).image;
    const QString path =
        QString(VELOMAR_TEST_DATA) + "/render/goods_" + QString::number(ppi) + ".png";
    if (std::getenv("VELOMAR_RENEW_IMAGES")) {
      ASSERT_TRUE(image.save(path));
      continue;
    }
    const QImage reference(path);
    ASSERT_FALSE(reference.isNull()) << path.toStdString();
    // Text smoothing differs a little between font renderer versions.
    EXPECT_LT(Difference(image.convertToFormat(QImage::Format_RGB32),
                         reference.convertToFormat(QImage::Format_RGB32)),
              0.01)
        << path.toStdString();
  }
}

}  // namespace

namespace {

TEST(TableImage, ThePrinterTakesTheSameCanvas) {
  test::TempDir dir;  // a fixed name would be shared by test runs side by side
  const QString path = QString::fromStdString(dir / "table-print.pdf");
  {
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    QPainter painter(&pdf);
    TQtCanvas canvas(painter);
    EXPECT_EQ(canvas.PixelsPerInch(), 300);
    TCurBlank blank;
    blank.SetText(test::GoodsBlankText());
    test::TextRows rows = test::GoodsRows();
    TTableDraw request;
    request.AvailWidth = pdf.width();
    request.AvailHeight = pdf.height();
    const TTableDrawn drawn = DrawBlankTable(canvas, request, blank, rows);
    EXPECT_TRUE(drawn.Drawn);
    EXPECT_EQ(drawn.NextRow, 3);
  }
  EXPECT_GT(QFileInfo(path).size(), 1000);
  QFile::remove(path);
}

}  // namespace
