#include "output/qt/qt_print_system.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QFontInfo>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSpinBox>
#include <QTabWidget>
#include <functional>

#include "output/device_mode.h"
#include "foundation/qt/qt_canvas.h"
#include "foundation/qt/qt_text.h"
#include "platform/encoding.h"

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

// The paper sources a device mode names, as Qt's printer knows them and as
// the print system's jobs name them (media-source); the print system maps
// these names onto the queue's own input slots.
struct TBin {
  int16_t Code;
  QPrinter::PaperSource Source;
  const char* Media;
};
constexpr TBin kBins[] = {
    {kBinAuto, QPrinter::Auto, "auto"},         {kBinManual, QPrinter::Manual, "manual"},
    {kBinUpper, QPrinter::Upper, "top"},        {kBinMiddle, QPrinter::Middle, "middle"},
    {kBinLower, QPrinter::Lower, "bottom"},     {kBinEnvelope, QPrinter::Envelope, "envelope"},
    {kBinLargeCapacity, QPrinter::LargeCapacity, "large-capacity"},
};

const TBin* BinOfCode(int16_t code) {
  for (const TBin& b : kBins)
    if (b.Code == code) return &b;
  return nullptr;
}

const TBin* BinOfSource(QPrinter::PaperSource source) {
  for (const TBin& b : kBins)
    if (b.Source == source) return &b;
  return nullptr;
}

QString BinText(int16_t code) {
  switch (code) {
    case kBinManual: return ToQt("Ручная подача"_w);
    case kBinUpper: return ToQt("Верхний лоток"_w);
    case kBinMiddle: return ToQt("Средний лоток"_w);
    case kBinLower: return ToQt("Нижний лоток"_w);
    case kBinEnvelope: return ToQt("Конверты"_w);
    case kBinLargeCapacity: return ToQt("Лоток большой ёмкости"_w);
    default: return ToQt("Автоматически"_w);
  }
}

// The options Qt's printer hands to the print system with the job, as
// pairs of name and value. Qt's own print dialog sets them under this key;
// its public interface has none.
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The job's paper source and colour, which Qt draws by but does not pass
// on: a manual feed or grey print the queue is told of. A colour print is
// asked for only where the queue would print grey by itself.
void PassJobOptions(QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::NativeFormat) return;
  QStringList options = printer.printEngine()->property(kCupsOptions).toStringList();
  const auto set = [&options](const QString& name, const char* value) {
    for (qsizetype i = 0; i + 1 < options.size(); i += 2)
      if (options[i] == name) {
        options.remove(i, 2);
        break;
      }
    if (value != nullptr) options << name << QString::fromLatin1(value);
  };
  const TBin* bin = BinOfSource(printer.paperSource());
  set(QStringLiteral("media-source"), bin && bin->Code != kBinAuto ? bin->Media : nullptr);
  const bool grey = printer.colorMode() == QPrinter::GrayScale;
  set(QStringLiteral("print-color-mode"),
      grey ? "monochrome" : QPrinterInfo(printer).defaultColorMode() == QPrinter::GrayScale ? "color" : nullptr);
  printer.printEngine()->setProperty(kCupsOptions, options);
}

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

// The page a job draws on, in the printer's pixels at the scale given.
TDeviceCaps CapsOf(const QPrinter& printer, double scale) {
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  return {static_cast<int32_t>(std::lround(page.width() / scale)),
          static_cast<int32_t>(std::lround(page.height() / scale)), printer.resolution(), printer.resolution()};
}

class TQtPrintJob : public IPrintJob {
 public:
  // A job that ended gives its printer to keep, when it is given where;
  // nothing of the job is used after it ends.
  using TKeep = std::function<void(std::unique_ptr<QPrinter>)>;
  // scale: the device mode's, in percent; the job draws a page that much
  // larger in its own units, which the painter brings down to the sheet.
  TQtPrintJob(std::unique_ptr<QPrinter> printer, int32_t scale, int32_t& sent, TKeep keep)
      : printer_(std::move(printer)), scale_(scale / 100.0), sent_(sent), keep_(std::move(keep)) {}
  ~TQtPrintJob() override {
    if (painter_.isActive()) printer_->abort();
  }

  bool Begin() {
    if (!painter_.begin(printer_.get())) return false;
    painter_.setTransform(QTransform::fromScale(scale_, scale_));
    canvas_.emplace(painter_, printer_->resolution());
    canvas_->SetExclusive(true);
    return true;
  }
  TCanvas& Canvas() override { return *canvas_; }
  TDeviceCaps Caps() const override { return CapsOf(*printer_, scale_); }
  void NewPage() override {
    printer_->newPage();
    painter_.setTransform(QTransform::fromScale(scale_, scale_));
  }
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
  double scale_;
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
                     printer->duplex(), printer->colorMode(), printer->paperSource()};
    return printer;
  }
  printer->setOutputFileName(ToQt(OutputFile));
  printer->setResolution(fileSettings_.Resolution);
  printer->setPageLayout(fileSettings_.Layout);
  printer->setCopyCount(fileSettings_.Copies);
  printer->setCollateCopies(fileSettings_.Collate);
  printer->setDuplex(static_cast<QPrinter::DuplexMode>(fileSettings_.Duplex));
  printer->setColorMode(static_cast<QPrinter::ColorMode>(fileSettings_.Colour));
  printer->setPaperSource(static_cast<QPrinter::PaperSource>(fileSettings_.Source));
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
    printer.setDuplex(mode.Duplex == kDmDuplexLong    ? QPrinter::DuplexLongSide
                      : mode.Duplex == kDmDuplexShort ? QPrinter::DuplexShortSide
                                                      : QPrinter::DuplexNone);
  if (mode.Fields & kDmDefaultSource)
    if (const TBin* bin = BinOfCode(mode.DefaultSource)) printer.setPaperSource(bin->Source);
  if ((mode.Fields & kDmColor) && (mode.Color == kDmMonochrome || mode.Color == kDmColour))
    printer.setColorMode(mode.Color == kDmMonochrome ? QPrinter::GrayScale : QPrinter::Color);
  PassJobOptions(printer);
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
  mode.Fields |= kDmColor | kDmDuplex;
  mode.Color = printer.colorMode() == QPrinter::GrayScale ? kDmMonochrome : kDmColour;
  mode.Duplex = printer.duplex() == QPrinter::DuplexNone        ? kDmSimplex
                : printer.duplex() == QPrinter::DuplexShortSide ? kDmDuplexShort
                                                                : kDmDuplexLong;
  // A source of Qt's that no device mode names leaves the record's own.
  if (const TBin* bin = BinOfSource(printer.paperSource())) {
    mode.Fields |= kDmDefaultSource;
    mode.DefaultSource = bin->Code;
  }
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
  caps = CapsOf(*printer, ScaleOfDevMode(devMode) / 100.0);
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
  auto job = std::make_unique<TQtPrintJob>(std::move(printer), ScaleOfDevMode(devMode), JobsSent, std::move(keep));
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

// The printer's own settings beside the page's, as the queue offers them:
// paper source, colour, two sides and resolution, and the scale of the
// print. Fills itself from the printer and gives its choices back to it.
class TPrinterSettingsPage : public QWidget {
 public:
  TPrinterSettingsPage(QPrinter& printer, int32_t scale, QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    const QPrinterInfo queue(printer);
    source_ = AddCombo(form, "source", "Подача бумаги:"_w);
    for (const TBin& b : kBins) source_->addItem(BinText(b.Code), int(b.Source));
    Choose(source_, int(printer.paperSource()));

    colour_ = AddCombo(form, "colour", "Цвет:"_w);
    QList<QPrinter::ColorMode> colours = queue.isNull() ? QList<QPrinter::ColorMode>{} : queue.supportedColorModes();
    if (colours.isEmpty()) colours = {QPrinter::Color, QPrinter::GrayScale};
    if (!colours.contains(printer.colorMode())) colours << printer.colorMode();
    for (QPrinter::ColorMode c : colours)
      colour_->addItem(ToQt(c == QPrinter::GrayScale ? "Оттенки серого"_w : "Цветная"_w), int(c));
    Choose(colour_, int(printer.colorMode()));

    sides_ = AddCombo(form, "sides", "Двусторонняя печать:"_w);
    QList<QPrinter::DuplexMode> sides = queue.isNull() ? QList<QPrinter::DuplexMode>{} : queue.supportedDuplexModes();
    sides.removeAll(QPrinter::DuplexAuto);
    if (!sides.contains(QPrinter::DuplexNone)) sides.prepend(QPrinter::DuplexNone);
    for (QPrinter::DuplexMode d : sides)
      sides_->addItem(ToQt(d == QPrinter::DuplexLongSide    ? "По длинному краю"_w
                           : d == QPrinter::DuplexShortSide ? "По короткому краю"_w
                                                            : "Нет"_w),
                      int(d));
    Choose(sides_, int(printer.duplex() == QPrinter::DuplexAuto ? QPrinter::DuplexLongSide : printer.duplex()));

    resolution_ = AddCombo(form, "resolution", "Разрешение:"_w);
    QList<int> dpis = queue.isNull() ? QList<int>{} : queue.supportedResolutions();
    if (!dpis.contains(printer.resolution())) dpis << printer.resolution();
    std::sort(dpis.begin(), dpis.end());
    for (int dpi : dpis) resolution_->addItem(QString::number(dpi) + ToQt(" точек на дюйм"_w), dpi);
    Choose(resolution_, printer.resolution());

    scale_ = new QSpinBox(this);
    scale_->setObjectName(QStringLiteral("scale"));
    scale_->setRange(10, 400);
    scale_->setSuffix(QStringLiteral(" %"));
    scale_->setValue(scale);
    form->addRow(ToQt("Масштаб:"_w), scale_);
  }

  void ApplyTo(QPrinter& printer) const {
    printer.setPaperSource(QPrinter::PaperSource(source_->currentData().toInt()));
    printer.setColorMode(QPrinter::ColorMode(colour_->currentData().toInt()));
    printer.setDuplex(QPrinter::DuplexMode(sides_->currentData().toInt()));
    printer.setResolution(resolution_->currentData().toInt());
  }
  int32_t Scale() const { return scale_->value(); }

 private:
  QComboBox* AddCombo(QFormLayout* form, const char* name, const std::string& label) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(name));
    form->addRow(ToQt(label), combo);
    return combo;
  }
  static void Choose(QComboBox* combo, int value) { combo->setCurrentIndex(std::max(0, combo->findData(value))); }

  QComboBox* source_;
  QComboBox* colour_;
  QComboBox* sides_;
  QComboBox* resolution_;
  QSpinBox* scale_;
};

}  // namespace

bool TQtPrintSystem::EditDeviceMode(const std::string& name, std::string& devMode) {
  const std::unique_ptr<QPrinter> printer = Choose(name);
  if (!printer) return false;
  ApplyDevModeToPrinter(devMode, *printer);
  QPageSetupDialog dialog(printer.get(), DialogOwner);
  ChoosePaperInDialog(dialog, printer->pageLayout().pageSize());
  // The printer's own settings are a page of their own beside the page's,
  // so that the dialog grows no taller than a small screen.
  auto* settings = new TPrinterSettingsPage(*printer, ScaleOfDevMode(devMode), &dialog);
  auto* layout = qobject_cast<QBoxLayout*>(dialog.layout());
  QWidget* page = layout && layout->count() > 1 ? layout->itemAt(0)->widget() : nullptr;
  if (page != nullptr) {
    auto* tabs = new QTabWidget(&dialog);
    delete layout->replaceWidget(page, tabs);
    tabs->addTab(page, ToQt("Страница"_w));
    tabs->addTab(settings, ToQt("Принтер"_w));
  } else if (layout != nullptr) {
    layout->insertWidget(std::max(0, layout->count() - 1), settings);
  }
  const TApplicationFontInPoints inPoints;
  if (dialog.exec() != QDialog::Accepted) return false;
  settings->ApplyTo(*printer);
  TDevMode mode;
  ReadDevMode(DevModeFromPrinter(*printer, devMode), mode);
  mode.Fields |= kDmScale;
  mode.Scale = static_cast<int16_t>(settings->Scale());
  devMode = WriteDevMode(mode);
  return true;
}

void TQtPrintSystem::ProcessMessages() { QCoreApplication::processEvents(); }

}  // namespace vm
