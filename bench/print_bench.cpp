// A document of 2,000 rows (about 60 pages) printed to a PDF file through
// the printer: document printing, the printer and its canvas over Qt's
// PDF output. The anchor draws the same pages with the same texts and
// lines straight onto a QPdfWriter; both run in this program. The first
// page's time is how long printing takes to hand its first page over.
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
#include <string>

#include "bench/document_rig.h"
#include "config/settings.h"
#include "output/document_print.h"
#include "output/printer.h"
#include "output/qt/qt_print_system.h"
#include "output/recording_printer.h"
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

// The pages as the printer drew them, recorded once.
const TRecordedJob& RecordedPages() {
  static TRecordedJob job = [] {
    TRecordingPrintSystem rec;
    rec.AddPrinter("PDF", 1200, 1200);
    InstallPrintSystem(&rec);
    Settings().PrinterName = "PDF";
    PrintDocument(Rig().doc, "Bench", {});
    InstallPrintSystem(nullptr);
    return rec.Jobs.back();
  }();
  return job;
}

void BM_AnchorSamePagesOnQPdfWriter(benchmark::State& state) {
  EnsureApplication();
  const TRecordedJob& job = RecordedPages();
  for (auto _ : state) {
    QPdfWriter writer(QString::fromStdString(PdfPath()));
    writer.setResolution(1200);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    bool first = true;
    for (const TRecordedPage& page : job.Pages) {
      if (!first) writer.newPage();
      first = false;
      for (const TRecordedOp& op : page.Ops) {
        if (op.Kind == TRecordedOp::kText) {
          QFont font = FontForFamily(op.FontName.empty() ? "Times New Roman" : op.FontName,
                                     op.FontHeight < 0 ? -op.FontHeight : op.FontHeight, op.FontStyle & 1);
          painter.setFont(font);
          painter.drawText(op.X1, op.Y1 + painter.fontMetrics().ascent(), ToQt(op.Text));
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
