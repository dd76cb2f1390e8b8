#include "output/qt/qt_print_system.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFontInfo>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <functional>

#include "output/device_mode.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"

namespace vm {

namespace {

struct TPaperId {
  int16_t Code;
  QPageSize::PageSizeId Id;
};
constexpr TPaperId kPaperIds[] = {
    {kPaperLetter, QPageSize::Letter}, {kPaperLegal, QPageSize::Legal}, {kPaperA3, QPageSize::A3},
    {kPaperA4, QPageSize::A4},         {kPaperA5, QPageSize::A5},       {kPaperB5, QPageSize::B5},
};

// While it lives, the application's font is given in points, at the size it
// has on the screen. The page settings dialog draws the sample text of its
// page preview in a default font at a quarter of its point size, which the
// application's font, set in pixels, does not have.
class TApplicationFontInPoints {
 public:
  TApplicationFontInPoints() : saved_(QApplication::font()) {
    if (saved_.pointSizeF() > 0) return;
    QFont font = saved_;
    font.setPointSizeF(QFontInfo(saved_).pointSizeF());
    QApplication::setFont(font);
  }
  ~TApplicationFontInPoints() {
    if (saved_.pointSizeF() <= 0) QApplication::setFont(saved_);
  }
  TApplicationFontInPoints(const TApplicationFontInPoints&) = delete;
  TApplicationFontInPoints& operator=(const TApplicationFontInPoints&) = delete;

 private:
  const QFont saved_;
};

int16_t PaperCodeOf(QPageSize::PageSizeId id) {
  for (const TPaperId& p : kPaperIds)
    if (p.Id == id) return p.Code;
  return 0;
}

QPageSize PageSizeOf(const TPaperRequest& paper) {
  for (const TPaperId& p : kPaperIds)
    if (p.Code == paper.Code) {
      const QPageSize known(p.Id);
      const QSizeF mm = known.size(QPageSize::Millimeter);
      if (std::abs(mm.width() * 10 - paper.Width) < 2 && std::abs(mm.height() * 10 - paper.Height) < 2)
        return known;
    }
  return QPageSize(QSizeF(paper.Width / 10.0, paper.Height / 10.0), QPageSize::Millimeter);
}


class TQtPrintJob : public IPrintJob {
 public:
  // A job that ended gives its printer to keep, when it is given where;
  // nothing of the job is used after it ends.
  using TKeep = std::function<void(std::unique_ptr<QPrinter>)>;
  TQtPrintJob(std::unique_ptr<QPrinter> printer, int32_t& sent, TKeep keep)
      : printer_(std::move(printer)), sent_(sent), keep_(std::move(keep)) {}
  ~TQtPrintJob() override {
    if (painter_.isActive()) printer_->abort();
  }

  bool Begin() {
    if (!painter_.begin(printer_.get())) return false;
    canvas_.emplace(painter_, printer_->resolution());
    canvas_->SetExclusive(true);
    return true;
  }
  TCanvas& Canvas() override { return *canvas_; }
  TDeviceCaps Caps() const override {
    const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    return {page.width(), page.height(), printer_->resolution(), printer_->resolution()};
  }
  void NewPage() override { printer_->newPage(); }
  void End() override {
    const bool ended = painter_.end();
    ++sent_;
    if (ended && keep_) keep_(std::move(printer_));
  }
  void Abort() override {
    printer_->abort();
    painter_.end();
  }

 private:
  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  std::optional<TQtCanvas> canvas_;
  int32_t& sent_;
  TKeep keep_;
};

}  // namespace

std::unique_ptr<QPrinter> PrinterForQueue(const std::string& name) {
  const QPrinterInfo info = QPrinterInfo::printerInfo(ToQt(name));
  if (info.isNull()) return nullptr;
  auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  if (printer->outputFormat() != QPrinter::NativeFormat || !printer->isValid()) return nullptr;
  return printer;
}

TQtPrintSystem::TQtPrintSystem() = default;
TQtPrintSystem::~TQtPrintSystem() = default;

std::unique_ptr<QPrinter> TQtPrintSystem::FilePrinter(const std::string& name) {
  std::unique_ptr<QPrinter> printer = std::move(keptFilePrinter_);
  if (name != kPdfFilePrinter) return nullptr;
  if (!printer) {
    printer = Choose(name);
    fileSettings_ = {printer->pageLayout(), printer->resolution(), printer->copyCount(), printer->collateCopies(),
                     printer->duplex()};
    return printer;
  }
  printer->setOutputFileName(ToQt(OutputFile));
  printer->setResolution(fileSettings_.Resolution);
  printer->setPageLayout(fileSettings_.Layout);
  printer->setCopyCount(fileSettings_.Copies);
  printer->setCollateCopies(fileSettings_.Collate);
  printer->setDuplex(static_cast<QPrinter::DuplexMode>(fileSettings_.Duplex));
  return printer;
}

std::unique_ptr<QPrinter> TQtPrintSystem::Choose(const std::string& name) const {
  if (OutputFile.empty()) return PrinterForQueue(name);
  if (name != kPdfFilePrinter) return nullptr;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(ToQt(OutputFile));
  return printer;
}

bool ApplyDevModeToPrinter(const std::string& devMode, QPrinter& printer) {
  TDevMode mode;
  if (!ReadDevMode(devMode, mode)) return false;
  const TPaperRequest paper = PaperOfDevMode(devMode);
  if (mode.Fields & (kDmPaperSize | kDmPaperLength | kDmPaperWidth)) printer.setPageSize(PageSizeOf(paper));
  if (mode.Fields & kDmOrientation)
    printer.setPageOrientation(paper.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  if ((mode.Fields & kDmCopies) && mode.Copies > 0) printer.setCopyCount(mode.Copies);
  if ((mode.Fields & kDmCollate)) printer.setCollateCopies(mode.Collate != 0);
  if ((mode.Fields & kDmPrintQuality) && mode.PrintQuality > 0) printer.setResolution(mode.PrintQuality);
  if ((mode.Fields & kDmDuplex) && mode.Duplex > 0)
    printer.setDuplex(mode.Duplex == 2 ? QPrinter::DuplexLongSide
                      : mode.Duplex == 3 ? QPrinter::DuplexShortSide : QPrinter::DuplexNone);
  return true;
}

std::string DevModeFromPrinter(const QPrinter& printer, const std::string& base) {
  TDevMode mode;
  if (!ReadDevMode(base, mode)) mode = TDevMode();
  mode.DeviceName = FromQt(printer.printerName()).substr(0, 31);
  const QPageSize size = printer.pageLayout().pageSize();
  const QSizeF mm = size.size(QPageSize::Millimeter);
  mode.Fields |= kDmOrientation | kDmPaperSize | kDmCopies | kDmCollate | kDmPrintQuality;
  mode.Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? kDmLandscape : kDmPortrait;
  mode.PaperSize = PaperCodeOf(size.id());
  if (mode.PaperSize == 0) {
    mode.PaperSize = 256;  // a size of the user's own
    mode.Fields |= kDmPaperLength | kDmPaperWidth;
    mode.PaperWidth = static_cast<int16_t>(std::lround(mm.width() * 10));
    mode.PaperLength = static_cast<int16_t>(std::lround(mm.height() * 10));
  } else {
    mode.Fields &= ~(kDmPaperLength | kDmPaperWidth);
  }
  mode.Copies = static_cast<int16_t>(std::max(1, printer.copyCount()));
  mode.Collate = printer.collateCopies() ? 1 : 0;
  mode.PrintQuality = static_cast<int16_t>(printer.resolution());
  return WriteDevMode(mode);
}

std::vector<std::string> TQtPrintSystem::PrinterNames() {
  if (!OutputFile.empty()) return {kPdfFilePrinter};
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(FromQt(name));
  return names;
}

std::string TQtPrintSystem::DefaultPrinterName() {
  return OutputFile.empty() ? FromQt(QPrinterInfo::defaultPrinterName()) : kPdfFilePrinter;
}

std::string TQtPrintSystem::DriverDeviceMode(const std::string& name) {
  if (const auto it = driverModes_.find(name); it != driverModes_.end()) return it->second;
  const std::unique_ptr<QPrinter> printer = Choose(name);
  if (!printer) return {};
  const QPrinterInfo info = QPrinterInfo::printerInfo(ToQt(name));
  printer->setPageSize(info.isNull() ? QPageSize(QPageSize::A4) : info.defaultPageSize());
  printer->setPageOrientation(QPageLayout::Portrait);
  return driverModes_[name] = DevModeFromPrinter(*printer, {});
}

bool TQtPrintSystem::DeviceCaps(const std::string& name, const std::string& devMode, TDeviceCaps& caps) {
  const std::unique_ptr<QPrinter> printer = Choose(name);
  if (!printer) return false;
  ApplyDevModeToPrinter(devMode, *printer);
  const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
  caps = {page.width(), page.height(), printer->resolution(), printer->resolution()};
  return true;
}

std::unique_ptr<IPrintJob> TQtPrintSystem::StartDoc(const std::string& name, const std::string& devMode,
                                                    const std::string& title) {
  const bool toFile = !OutputFile.empty();
  std::unique_ptr<QPrinter> printer = toFile ? FilePrinter(name) : Choose(name);
  if (!printer) return nullptr;
  ApplyDevModeToPrinter(devMode, *printer);
  printer->setDocName(ToQt(title));
  printer->setCreator(QStringLiteral("velomar"));
  TQtPrintJob::TKeep keep;
  if (toFile) keep = [this](std::unique_ptr<QPrinter> ended) { keptFilePrinter_ = std::move(ended); };
  auto job = std::make_unique<TQtPrintJob>(std::move(printer), JobsSent, std::move(keep));
  if (!job->Begin()) return nullptr;
  return job;
}

namespace {

// Qt's page setup for a CUPS queue opens on the queue's default paper
// whatever paper its printer was given, and OK would hand that paper back.
// The printer's paper is chosen in the dialog as a user chooses it: a
// paper of the list, else the user's own size in millimetres.
void ChoosePaperInDialog(QPageSetupDialog& dialog, const QPageSize& paper) {
  auto* papers = dialog.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
  if (papers == nullptr) return;
  int own = -1;
  for (int i = 0; i < papers->count(); ++i) {
    const QVariant item = papers->itemData(i);
    if (!item.isValid()) {
      own = i;
    } else if (item.value<QPageSize>().isEquivalentTo(paper)) {
      papers->setCurrentIndex(i);
      return;
    }
  }
  auto* units = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"));
  auto* width = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("pageWidth"));
  auto* height = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("pageHeight"));
  if (own < 0 || units == nullptr || width == nullptr || height == nullptr) return;
  const int millimetres = units->findData(QVariant::fromValue(QPageLayout::Millimeter));
  if (millimetres < 0) return;
  units->setCurrentIndex(millimetres);
  papers->setCurrentIndex(own);
  const QSizeF size = paper.size(QPageSize::Millimeter);
  width->setValue(size.width());
  height->setValue(size.height());
}

}  // namespace

bool TQtPrintSystem::EditDeviceMode(const std::string& name, std::string& devMode) {
  const std::unique_ptr<QPrinter> printer = Choose(name);
  if (!printer) return false;
  ApplyDevModeToPrinter(devMode, *printer);
  QPageSetupDialog dialog(printer.get(), DialogOwner);
  ChoosePaperInDialog(dialog, printer->pageLayout().pageSize());
  const TApplicationFontInPoints inPoints;
  if (dialog.exec() != QDialog::Accepted) return false;
  devMode = DevModeFromPrinter(*printer, devMode);
  return true;
}

void TQtPrintSystem::ProcessMessages() { QCoreApplication::processEvents(); }

}  // namespace vm
