// The canvas keeps every font it made: a text measured or drawn after the
// fonts changed back and forth comes out as on a canvas that made its
// font just then.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <tuple>
#include <vector>

#include "foundation/draw/canvas.h"
#include "platform/encoding.h"
#include "foundation/qt/qt_canvas.h"

using namespace vm;

namespace {

struct FontUse {
  const char* Family;
  int32_t Height;
  uint8_t Style;
};

// What a canvas tells of a text in its current font.
std::tuple<QString, int32_t, int32_t> Seen(TQtCanvas& canvas, const std::string& text) {
  return {canvas.Font().toString(), canvas.TextWidth(text), canvas.TextHeight(text)};
}

TEST(QtCanvasFonts, FontsTakenAgainMeasureAsWhenFirstMade) {
  const std::vector<FontUse> uses = {{"DejaVu Sans", -40, 0},      {"DejaVu Sans", 35, kFontBold},
                                     {"Times New Roman", -13, 0},  {"DejaVu Sans", -40, 0},
                                     {"DejaVu Sans", 35, kFontBold}, {"DejaVu Sans", -40, kFontItalic},
                                     {"Times New Roman", -13, 0}};
  const std::string text = "Товар номер 12 — 100.00"_w;
  for (const bool exclusive : {false, true}) {
    QImage image(400, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    TQtCanvas canvas(painter, 300);
    canvas.SetExclusive(exclusive);
    for (const FontUse& use : uses) {
      canvas.SetFontName(use.Family);
      canvas.SetFont(use.Height, use.Style);
      const auto seen = Seen(canvas, text);
      QImage freshImage(400, 200, QImage::Format_RGB32);
      QPainter freshPainter(&freshImage);
      TQtCanvas fresh(freshPainter, 300);
      fresh.SetFontName(use.Family);
      fresh.SetFont(use.Height, use.Style);
      EXPECT_EQ(seen, Seen(fresh, text)) << use.Family << " " << use.Height << " exclusive " << exclusive;
      canvas.TextOut(0, 0, text);
    }
  }
}

}  // namespace
