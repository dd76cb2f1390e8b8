// A document of 2,000 rows (36 pages) printed to a PDF file through the
// printer: document printing, the printer and its canvas over Qt's PDF
// output. The anchor draws the same pages (the texts and lines of the same
// job, recorded once) straight onto a QPdfWriter with its fonts made once;
// both run in this program. The first page's time is how long printing
// takes to hand its first page over.
#include <benchmark/benchmark.h>

#if __has_include(<QPdfWriter>)
#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "bench/document_rig.h"
#include "config/settings.h"
#include "output/document_print.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "support/recording_printer.h"
#include "platform/encoding.h"
#include "foundation/qt/font_families.h"
#include "foundation/qt/qt_text.h"

namespace vm {
namespace {

using Clock = std::chrono::steady_clock;

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "velomar_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QApplication(argc, argv);
}

// The document: a goods list of code, name, quantity, price and sum.
struct PrintRig : BenchDocument {
  PrintRig()
      : BenchDocument(
            "COLCOUNT=5\nLEVELCOUNT=1\nHEADER[1]='Код'\nHEADER[2]='Наименование'\nHEADER[3]='Кол-во'\n"_w
            "HEADER[4]='Цена'\nHEADER[5]='Сумма'\nFORMAT[1]=N,6,0\nFORMAT[2]=C,40,0\nFORMAT[3]=N,10,3\n"_w
            "FORMAT[4..5]=N,12,2\nCOLWIDTH[1]=120\nCOLWIDTH[2]=700\nCOLWIDTH[3..5]=220\n"_w,
            "BLANK\nWIDTH = 1800\nPRINTCOPIES = 1\nENDSECTION\nVARS\nI, J = N\nENDSECTION\n"
            "FORMS\nT = FORM:B, X1:0, Y1:100, Y2:-100, KEYCOL:[1]\nENDSECTION\n"
            "INIT\nWHILE I, 1, I + 1, I <= 2000\nJ := ADDROW(T)\nSETCELL(T, 1, J, I)\n"
            "SETCELL(T, 2, J, 'Товар номер ' + TOSTR(I, 0))\nSETCELL(T, 3, J, 2)\nSETCELL(T, 4, J, 12.5)\n"
            "SETCELL(T, 5, J, 25)\nENDWHILE\nENDSECTION\n"_w,
            2000) {}
};

PrintRig& Rig() {
  static PrintRig rig;
  return rig;
}

std::string PdfPath() { return (std::filesystem::temp_directory_path() / "velomar-print-bench.pdf").string(); }

// Passes everything on to Qt's printing and notes when the first page is
// handed over.
class TimedSystem : public TQtPrintSystem {
 public:
  class Job : public IPrintJob {
   public:
    Job(std::unique_ptr<IPrintJob> inner, TimedSystem& owner) : inner_(std::move(inner)), owner_(owner) {}
    TCanvas& Canvas() override { return inner_->Canvas(); }
    TDeviceCaps Caps() const override { return inner_->Caps(); }
    void NewPage() override {
      if (owner_.pages++ == 0) owner_.firstPage = Clock::now();
      inner_->NewPage();
    }
    void End() override { inner_->End(); }
    void Abort() override { inner_->Abort(); }

   private:
    std::unique_ptr<IPrintJob> inner_;
    TimedSystem& owner_;
  };
  std::unique_ptr<IPrintJob> StartDoc(const std::string& printer, const std::string& devMode,
                                      const std::string& title) override {
    pages = 0;
    auto inner = TQtPrintSystem::StartDoc(printer, devMode, title);
    return inner ? std::make_unique<Job>(std::move(inner), *this) : nullptr;
  }
  int pages = 0;
  Clock::time_point firstPage;
};

void BM_PrintDocumentToPdf(benchmark::State& state) {
  EnsureApplication();
  PrintRig& rig = Rig();
  TimedSystem system;
  system.OutputFile = PdfPath();
  InstallPrintSystem(&system);
  Settings().PrinterName = TQtPrintSystem::kPdfFilePrinter;
  double firstMs = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    PrintDocument(rig.doc, "Bench", {});
    firstMs = std::chrono::duration<double, std::milli>(system.firstPage - start).count();
  }
  state.counters["pages"] = system.pages + 1;
  state.counters["first_page_ms"] = firstMs;
  InstallPrintSystem(nullptr);
}
BENCHMARK(BM_PrintDocumentToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// Passes everything on to the page's canvas and notes the texts and lines
// drawn, with the font of each text.
class TeeCanvas : public TCanvas {
 public:
  TeeCanvas(TCanvas& inner, TRecordedJob& job, int& others) : others(others), inner_(inner), job_(job) {
    job_.Pages.emplace_back();
  }
  void NewPage() { job_.Pages.emplace_back(); }

  int32_t PixelsPerInch() const override { return inner_.PixelsPerInch(); }
  void SetFont(int32_t height, uint8_t style) override {
    height_ = height;
    style_ = style;
    inner_.SetFont(height, style);
  }
  void SetFontColor(uint32_t rgb) override { inner_.SetFontColor(rgb); }
  void SetFontName(std::string_view family) override {
    if (!family.empty()) family_ = family;
    inner_.SetFontName(family);
  }
  int32_t TextWidth(std::string_view text) override { return inner_.TextWidth(text); }
  bool PrefixWidths(std::string_view text, std::vector<int32_t>& widths) override {
    return inner_.PrefixWidths(text, widths);
  }
  int32_t TextHeight(std::string_view text) override { return inner_.TextHeight(text); }
  void TextOut(int32_t x, int32_t y, std::string_view text) override {
    TRecordedOp op;
    op.X1 = x;
    op.Y1 = y;
    op.Text = text;
    op.FontHeight = height_;
    op.FontStyle = style_;
    op.FontName = family_;
    job_.Pages.back().Ops.push_back(std::move(op));
    inner_.TextOut(x, y, text);
  }
  void SetPenWidth(int32_t width) override { inner_.SetPenWidth(width); }
  void SetPenColor(uint32_t rgb) override { inner_.SetPenColor(rgb); }
  void MoveTo(int32_t x, int32_t y) override {
    x_ = x;
    y_ = y;
    inner_.MoveTo(x, y);
  }
  void LineTo(int32_t x, int32_t y) override {
    TRecordedOp op;
    op.Kind = TRecordedOp::kLine;
    op.X1 = x_;
    op.Y1 = y_;
    op.X2 = x_ = x;
    op.Y2 = y_ = y;
    job_.Pages.back().Ops.push_back(std::move(op));
    inner_.LineTo(x, y);
  }
  void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override {
    ++others;
    inner_.Rectangle(l, t, r, b);
  }
  void FillRect(int32_t l, int32_t t, int32_t r, int32_t b, uint32_t rgb) override {
    ++others;
    inner_.FillRect(l, t, r, b, rgb);
  }
  void SetPenStyle(TPenStyle style) override { inner_.SetPenStyle(style); }
  TPenStyle PenStyle() const override { return inner_.PenStyle(); }
  TBrush Brush() const override { return inner_.Brush(); }
  void SetBrush(const TBrush& brush) override { inner_.SetBrush(brush); }
  void FillBrushRect(int32_t l, int32_t t, int32_t r, int32_t b) override {
    ++others;
    inner_.FillBrushRect(l, t, r, b);
  }
  void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override {
    ++others;
    inner_.Ellipse(l, t, r, b);
  }
  void StretchPicture(const TPicture& picture, int32_t l, int32_t t, int32_t r, int32_t b, TTransparency mode,
                      uint32_t color) override {
    ++others;
    inner_.StretchPicture(picture, l, t, r, b, mode, color);
  }
  void SetTextTransparent(bool transparent) override { inner_.SetTextTransparent(transparent); }
  int32_t FontPixelsPerInch() const override { return inner_.FontPixelsPerInch(); }
  void SetFontPixelsPerInch(int32_t ppi) override { inner_.SetFontPixelsPerInch(ppi); }

  // Drawings the anchor does not repeat; the pages here have none.
  int& others;

 private:
  TCanvas& inner_;
  TRecordedJob& job_;
  std::string family_ = "Times New Roman";
  int32_t height_ = -13;
  uint8_t style_ = 0;
  int32_t x_ = 0, y_ = 0;
};

class TeeSystem : public TQtPrintSystem {
 public:
  class Job : public IPrintJob {
   public:
    Job(std::unique_ptr<IPrintJob> inner, TRecordedJob& record, int& others)
        : inner_(std::move(inner)), tee_(inner_->Canvas(), record, others) {}
    TCanvas& Canvas() override { return tee_; }
    TDeviceCaps Caps() const override { return inner_->Caps(); }
    void NewPage() override {
      tee_.NewPage();
      inner_->NewPage();
    }
    void End() override { inner_->End(); }
    void Abort() override { inner_->Abort(); }

   private:
    std::unique_ptr<IPrintJob> inner_;
    TeeCanvas tee_;
  };
  std::unique_ptr<IPrintJob> StartDoc(const std::string& printer, const std::string& devMode,
                                      const std::string& title) override {
    auto inner = TQtPrintSystem::StartDoc(printer, devMode, title);
    if (!inner) return nullptr;
    ++jobs;
    return std::make_unique<Job>(std::move(inner), Record, others);
  }
  TRecordedJob Record;
  int jobs = 0;
  int others = 0;
};

// The pages as the printer drew them through Qt, recorded once.
const TRecordedJob& RecordedPages() {
  static TRecordedJob job = [] {
    TeeSystem tee;
    tee.OutputFile = PdfPath();
    InstallPrintSystem(&tee);
    Settings().PrinterName = TQtPrintSystem::kPdfFilePrinter;
    PrintDocument(Rig().doc, "Bench", {});
    InstallPrintSystem(nullptr);
    if (tee.jobs != 1 || tee.others != 0) std::abort();
    return tee.Record;
  }();
  return job;
}

// The fonts of the pages, each made once with its ascent, as a one-off
// program that knows its fonts beforehand would hold them.
struct AnchorFont {
  QFont Font;
  int Ascent = 0;
};

void BM_AnchorSamePagesOnQPdfWriter(benchmark::State& state) {
  EnsureApplication();
  const TRecordedJob& job = RecordedPages();
  std::map<std::tuple<std::string, int32_t, uint8_t>, AnchorFont> fonts;
  {
    QPdfWriter measure(QString::fromStdString(PdfPath()));
    measure.setResolution(1200);
    for (const TRecordedPage& page : job.Pages)
      for (const TRecordedOp& op : page.Ops) {
        if (op.Kind != TRecordedOp::kText) continue;
        const auto key = std::tuple(op.FontName, op.FontHeight, op.FontStyle);
        if (fonts.contains(key)) continue;
        QFont font = FontForFamily(op.FontName.empty() ? "Times New Roman" : op.FontName,
                                   op.FontHeight < 0 ? -op.FontHeight : op.FontHeight, op.FontStyle & 1);
        fonts[key] = {font, QFontMetrics(font, &measure).ascent()};
      }
  }
  for (auto _ : state) {
    QPdfWriter writer(QString::fromStdString(PdfPath()));
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    bool first = true;
    const AnchorFont* current = nullptr;
    for (const TRecordedPage& page : job.Pages) {
      if (!first) writer.newPage();
      first = false;
      for (const TRecordedOp& op : page.Ops) {
        if (op.Kind == TRecordedOp::kText) {
          const AnchorFont& font = fonts.find(std::tuple(op.FontName, op.FontHeight, op.FontStyle))->second;
          if (&font != current) painter.setFont(font.Font);
          current = &font;
          painter.drawText(op.X1, op.Y1 + font.Ascent, ToQt(op.Text));
        } else if (op.Kind == TRecordedOp::kLine) {
          painter.drawLine(op.X1, op.Y1, op.X2, op.Y2);
        }
      }
    }
    painter.end();
  }
  state.counters["pages"] = static_cast<double>(job.Pages.size());
}
BENCHMARK(BM_AnchorSamePagesOnQPdfWriter)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vm
#endif
