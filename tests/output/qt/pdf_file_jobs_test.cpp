// Jobs written to the output file share one printer, kept from job to
// job: each job's file and page must be those a printer made for that job
// alone gives, whatever settings the jobs before it took or how they ended.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <tuple>

#include "output/device_mode.h"
#include "output/qt/qt_print_system.h"
#include "platform/encoding.h"
#include "support/pdf_file.h"

namespace vm::test {
namespace {

struct JobMode {
  int16_t Paper;
  bool Landscape;
  int16_t Copies;
  int16_t Quality;
};

// No paper: a job without a settings record, which keeps the printer's.
std::string ModeOf(TQtPrintSystem& system, const JobMode& job) {
  if (job.Paper == 0) return {};
  TDevMode mode;
  if (!ReadDevMode(system.DriverDeviceMode(TQtPrintSystem::kPdfFilePrinter), mode)) return {};
  mode.PaperSize = job.Paper;
  mode.Orientation = job.Landscape ? kDmLandscape : kDmPortrait;
  mode.Copies = job.Copies;
  mode.PrintQuality = job.Quality;
  mode.Fields |= kDmDuplex;
  mode.Duplex = job.Copies > 1 ? 2 : 1;
  return WriteDevMode(mode);
}

// Two pages of text and lines; the page's size and resolution, and the
// file written (nothing when the job is abandoned).
std::tuple<int32_t, int32_t, int32_t, QByteArray> PrintJob(TQtPrintSystem& system, const JobMode& mode,
                                                           bool finish) {
  auto job = system.StartDoc(TQtPrintSystem::kPdfFilePrinter, ModeOf(system, mode), "Накладная"_w);
  if (!job) return {};
  const TDeviceCaps caps = job->Caps();
  TCanvas& canvas = job->Canvas();
  canvas.SetFontName("Arial");
  canvas.SetFont(-60, 0);
  canvas.TextOut(100, 100, "Первая страница"_w);
  canvas.MoveTo(0, 0);
  canvas.LineTo(caps.PageWidth, caps.PageHeight);
  job->NewPage();
  canvas.TextOut(caps.PageWidth / 2, caps.PageHeight / 2, "Вторая"_w);
  if (!finish) {
    job->Abort();
    return {caps.PageWidth, caps.PageHeight, caps.XDpi, {}};
  }
  job->End();
  job.reset();
  return {caps.PageWidth, caps.PageHeight, caps.XDpi, PdfWithoutStamps(QString::fromStdString(system.OutputFile))};
}

TEST(PdfFileJobs, EachJobWritesWhatAPrinterMadeForItAloneWrites) {
  QTemporaryDir dir;
  const JobMode a4 = {kPaperA4, false, 1, 1200}, a5 = {kPaperA5, true, 2, 600}, letter = {kPaperLetter, true, 3, 300},
                none = {0, false, 0, 0};
  TQtPrintSystem kept;
  kept.OutputFile = dir.filePath("kept.pdf").toStdString();
  const auto alone = [&](const JobMode& mode) {
    TQtPrintSystem fresh;
    fresh.OutputFile = dir.filePath("alone.pdf").toStdString();
    return PrintJob(fresh, mode, true);
  };
  for (const auto& [mode, finish] : {std::pair{a5, true}, {letter, false}, {none, true}, {a4, true}, {letter, true}, {none, true}, {a5, true}}) {
    const auto seen = PrintJob(kept, mode, finish);
    if (!finish) continue;
    ASSERT_FALSE(std::get<3>(seen).isEmpty());
    EXPECT_TRUE(seen == alone(mode)) << mode.Paper << " " << std::get<0>(seen) << "x" << std::get<1>(seen);
  }
  EXPECT_EQ(kept.StartDoc("Другой", {}, "x"), nullptr);
}

}  // namespace
}  // namespace vm::test
