// A thousand labels of the demo's layout (four zones, one of them a
// barcode, and a rule) laid out on sheets and drawn into a PDF, against the
// anchor: the same rectangles, texts and bars painted straight onto a
// QPdfWriter.
#include <benchmark/benchmark.h>

#if __has_include(<QApplication>)
#include <QApplication>
#include <QPdfWriter>
#include <QTemporaryDir>

#include "config/price_tags.h"
#include "foundation/barcodes/bar_patterns.h"
#include "language/zone_compiler.h"
#include "output/label_print.h"
#include "output/price_tag_draw.h"
#include "platform/encoding.h"
#include "tests/output/price_tag_rig.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

constexpr int kLabels = 1000;
constexpr int kDpi = 300;

void EnsureApp() {
  static int argc = 1;
  static char name[] = "velomar_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QApplication(argc, argv);
}

std::string Name(int i) { return "Товар номер "_w + std::to_string(i); }
std::string Price(int i) { return std::to_string(100 + i) + ".00"; }
std::string Code(int i) { return std::to_string(460000000000LL + i); }

void FillQueue(TPrintCenList& queue) {
  TCennik layout;
  test::ShopLabelLayout(layout);
  for (int i = 0; i < kLabels; ++i) {
    TCennik& tag = *AddPrintCen(queue, layout, 1).Tag;
    SetZoneText(*tag.GetZone(0), "Магазин «Колосок»"_w);
    SetZoneText(*tag.GetZone(1), Name(i));
    SetZoneText(*tag.GetZone(2), Price(i));
    SetZoneText(*tag.GetZone(3), Interleaved25(Code(i)));
  }
}

void BM_LabelsToPdf(benchmark::State& state) {
  EnsureApp();
  TZoneCompiler compiler;
  InstallZoneCompiler(&compiler);
  CenZoneCompileEnabled() = true;
  TPrintCenList queue;
  FillQueue(queue);
  QTemporaryDir dir;
  for (auto _ : state) {
    QPdfWriter pdf(dir.filePath("labels.pdf"));
    pdf.setResolution(kDpi);
    QPainter painter(&pdf);
    TQtCanvas canvas(painter, kDpi);
    // As a print job's canvas is: the painter is its own.
    canvas.SetExclusive(true);
    const int32_t w = pdf.width(), h = pdf.height();
    int32_t cols = 0, rows = 0, entry = 0, copy = 0;
    CountLabelCells(*queue.GetItem(0).Tag, kDpi, w, h, cols, rows);
    while (entry < queue.Count()) {
      LayoutLabelPage(queue, canvas, cols, rows, w, h, 1, entry, copy);
      if (entry < queue.Count()) pdf.newPage();
    }
  }
  CenZoneCompileEnabled() = false;
  InstallZoneCompiler(nullptr);
}
BENCHMARK(BM_LabelsToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// The anchor: what the labels put on paper, painted directly.
void BM_LabelsToPdfAnchor(benchmark::State& state) {
  EnsureApp();
  QTemporaryDir dir;
  const auto px = [](int tenths) { return tenths * kDpi / 254; };
  for (auto _ : state) {
    QPdfWriter pdf(dir.filePath("anchor.pdf"));
    pdf.setResolution(kDpi);
    QPainter painter(&pdf);
    const int w = pdf.width(), h = pdf.height();
    const int cellW = px(582) + 7, cellH = px(402) + 7;
    const int cols = w / (cellW - 2), rows = h / (cellH - 2);
    QFont font("DejaVu Sans");
    for (int i = 0, placed = 0; i < kLabels; ++i, ++placed) {
      if (placed == cols * rows) {
        pdf.newPage();
        placed = 0;
      }
      const int x = (placed % cols) * cellW + 4, y = (placed / cols) * cellH + 4;
      painter.setPen(QPen(Qt::black, px(3)));
      painter.drawLine(x + px(20), y + px(65), x + px(560), y + px(65));
      const std::pair<std::array<int, 4>, std::string> texts[] = {
          {{20, 10, 540, 50}, "Магазин «Колосок»"_w}, {{20, 70, 540, 110}, Name(i)}, {{300, 190, 260, 90}, Price(i)}};
      for (const auto& [r, text] : texts) {
        font.setPixelSize(px(r[3]) / 2);
        painter.setFont(font);
        painter.drawText(QRect(x + px(r[0]), y + px(r[1]), px(r[2]), px(r[3])), Qt::AlignCenter | Qt::TextWordWrap,
                         ToQt(text));
      }
      const std::string pattern = Interleaved25(Code(i));
      int bx = x + px(20);
      bool bar = true;
      for (char c : pattern) {
        const int width = (c - '0') * 3;
        if (bar) painter.fillRect(bx, y + px(290), width, px(100), Qt::black);
        bx += width;
        bar = !bar;
      }
      painter.fillRect(x, y, px(580), 1, Qt::black);
      painter.fillRect(x, y + px(400), px(580), 1, Qt::black);
    }
  }
}
BENCHMARK(BM_LabelsToPdfAnchor)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
#endif
