// A print job's canvas on a PDF device shapes each text once and places the
// kept glyphs wherever the text is drawn again. The widths it gives and the
// file it writes must be those of measuring and drawing every text anew:
// random texts in the fonts of blanks and labels, and a sheet of labels.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <functional>
#include <random>

#include "config/price_tags.h"
#include "foundation/barcodes/bar_patterns.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"
#include "output/label_print.h"
#include "output/price_tag_rig.h"
#include "platform/encoding.h"
#include "support/pdf_file.h"

namespace vm::test {
namespace {

struct FontCase {
  const char* Family;
  int32_t Height;
  uint8_t Style;
};

const FontCase kFonts[] = {
    {"Times New Roman", -13, 0},         {"Times New Roman", -50, kFontBold}, {"Arial", -42, kFontItalic},
    {"Courier New", -40, 0},             {"DejaVu Sans", 94, 0},              {"DejaVu Sans", -47, kFontBold | kFontItalic},
    {"MS Sans Serif", 35, kFontBold},
};

// Letters, digits, kerning pairs, ligature candidates, blanks (runs of
// them too) and the punctuation of prices and names.
std::string RandomText(std::mt19937& random) {
  static const std::string alphabet =
      "абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"_w
      "AVTWYLPfilftoy0123456789.,:;-–—«»№%()\"'/ \u00A0"_w;
  std::uniform_int_distribution<int> length(0, 24);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text;
  for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
  if (random() % 5 == 0) text = "  " + text + "  ";
  return text;
}

void UseFont(TQtCanvas& canvas, const FontCase& font) {
  canvas.SetFontName(font.Family);
  canvas.SetFont(font.Height, font.Style);
}

TEST(KeptGlyphs, WidthsAreThoseOfTheFontMeasuringEachTextAnew) {
  QTemporaryDir dir;
  std::mt19937 random(4242);
  int prefixesKnown = 0, prefixesShaped = 0;
  for (const int dpi : {300, 1200}) {
    QPdfWriter writer(dir.filePath("widths.pdf"));
    writer.setResolution(dpi);
    QPainter painter(&writer);
    TQtCanvas canvas(painter, dpi);
    canvas.SetExclusive(true);
    for (const FontCase& font : kFonts) {
      UseFont(canvas, font);
      const QFontMetrics metrics(canvas.Font(), &writer);
      const auto anew = [&](const std::string& text) { return metrics.horizontalAdvance(ToQt(text)); };
      for (int i = 0; i < 150; ++i) {
        // Prices (digits: no kerning), then any texts; some with kerning
        // pairs in these fonts, so both ways of measuring prefixes run.
        const std::string text = i % 3 == 0 ? std::to_string(random() % 100000) + ".00" : RandomText(random);
        // The text's prefix widths, then those of its second half, as
        // wrapping asks them for the rest after a line.
        std::vector<int32_t> widths, rest;
        const bool known = canvas.PrefixWidths(text, widths);
        canvas.PrefixWidths(text.substr(text.size() / 2), rest);
        if (known) {
          ++prefixesKnown;
          ASSERT_EQ(widths.size(), text.size() + 1);
          for (std::size_t n = 0; n <= text.size(); ++n)
            ASSERT_EQ(widths[n], anew(text.substr(0, n)))
                << font.Family << " " << font.Height << " at " << dpi << " dpi: " << Cp1251ToUtf8(text) << " / " << n;
        } else {
          ++prefixesShaped;
        }
        // Every prefix measured on its own, as wrapping measures the lines
        // it makes, and the whole text again once it is kept.
        for (std::size_t n = 0; n <= text.size(); ++n) {
          const std::string part = text.substr(0, n);
          ASSERT_EQ(canvas.TextWidth(part), anew(part))
              << font.Family << " " << font.Height << " at " << dpi << " dpi: " << Cp1251ToUtf8(part);
        }
        ASSERT_EQ(canvas.TextWidth(text), anew(text));
      }
    }
  }
  EXPECT_GT(prefixesKnown, 100);
  EXPECT_GT(prefixesShaped, 100);
}

QByteArray DrawPdf(const QString& path, int dpi, bool placeKeptGlyphs,
                   const std::function<void(QPdfWriter&, TQtCanvas&)>& draw) {
  {
    QPdfWriter writer(path);
    writer.setResolution(dpi);
    QPainter painter(&writer);
    TQtCanvas canvas(painter, dpi);
    canvas.SetExclusive(true);
    canvas.SetPlaceKeptGlyphs(placeKeptGlyphs);
    draw(writer, canvas);
  }
  return PdfWithoutStamps(path);
}

TEST(KeptGlyphs, PagesOfTextsComeOutAsDrawnAnew) {
  QTemporaryDir dir;
  const auto draw = [](QPdfWriter&, TQtCanvas& canvas) {
    std::mt19937 random(77);
    std::vector<std::string> texts;
    for (int i = 0; i < 40; ++i) texts.push_back(RandomText(random));
    // Texts Qt leaves partly unprinted, and lines drawn in their font's
    // decorations.
    texts.push_back("Таб\tуляция"_w);
    texts.push_back("пере\u00ADнос"_w);
    texts.push_back("знак\x01управления"_w);
    for (int round = 0; round < 3; ++round) {
      for (std::size_t f = 0; f < std::size(kFonts); ++f) {
        UseFont(canvas, kFonts[f]);
        canvas.SetFontColor(f % 2 ? 0x0000FF : 0);
        for (std::size_t i = 0; i < texts.size(); ++i)
          canvas.TextOut(int32_t(100 + 37 * i % 900), int32_t(60 * (i + f * 3) % 3000 + round), texts[i]);
        // Prefixes, as wrapped lines are drawn, of texts whose prefix
        // widths were asked.
        std::vector<int32_t> widths;
        for (std::size_t i = round; i < texts.size(); i += 5) {
          canvas.PrefixWidths(texts[i], widths);
          for (std::size_t n = 1; n < texts[i].size(); n += 2)
            canvas.TextOut(int32_t(1200 + 11 * n), int32_t(90 * i % 3000), texts[i].substr(0, n));
        }
        canvas.SetPenWidth(int32_t(f + 1));
        canvas.MoveTo(0, int32_t(f * 100));
        canvas.LineTo(2000, int32_t(f * 100));
      }
      canvas.SetFontName("Arial");
      canvas.SetFont(-40, kFontUnderline | kFontStrikeOut);
      canvas.TextOut(500, 500, "Подчёркнуто и зачёркнуто"_w);
      canvas.SetTextTransparent(false);
      canvas.TextOut(500, 600, "На белом"_w);
      canvas.SetTextTransparent(true);
    }
  };
  const QByteArray anew = DrawPdf(dir.filePath("anew.pdf"), 1200, false, draw);
  ASSERT_FALSE(anew.isEmpty());
  EXPECT_TRUE(DrawPdf(dir.filePath("kept.pdf"), 1200, true, draw) == anew);
}

TEST(KeptGlyphs, LabelSheetsComeOutAsDrawnAnew) {
  ZoneCompiling compiling;
  TCennik layout;
  ShopLabelLayout(layout);
  TPrintCenList queue;
  for (int i = 0; i < 30; ++i) {
    TCennik& tag = *AddPrintCen(queue, layout, 1 + i % 2).Tag;
    SetZoneText(*tag.GetZone(0), "Магазин «Колосок»"_w);
    SetZoneText(*tag.GetZone(1), "Велосипед горный, рама "_w + std::to_string(14 + i % 9) + " дюймов"_w);
    SetZoneText(*tag.GetZone(2), std::to_string(900 + i * 97) + ".50");
    SetZoneText(*tag.GetZone(3), Interleaved25(std::to_string(460000000000LL + i)));
  }
  QTemporaryDir dir;
  const auto sheet = [&](QPdfWriter& writer, TQtCanvas& canvas) {
    const int32_t w = writer.width(), h = writer.height();
    int32_t cols = 0, rows = 0, entry = 0, copy = 0;
    CountLabelCells(*queue.GetItem(0).Tag, 300, w, h, cols, rows);
    while (entry < queue.Count()) {
      LayoutLabelPage(queue, canvas, cols, rows, w, h, 1, entry, copy);
      if (entry < queue.Count()) writer.newPage();
    }
  };
  const QByteArray anew = DrawPdf(dir.filePath("anew.pdf"), 300, false, sheet);
  ASSERT_FALSE(anew.isEmpty());
  EXPECT_TRUE(DrawPdf(dir.filePath("kept.pdf"), 300, true, sheet) == anew);
}

}  // namespace
}  // namespace vm::test
