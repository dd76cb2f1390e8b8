#include "output/printer.h"

#include <algorithm>

#include "foundation/text/strutils.h"
#include "output/device_mode.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

// The printer's canvas: the current page's, with a check that a job runs
// before anything is drawn, and a font resolution that follows the device.
class TPrinterCanvas : public TCanvas {
 public:
  explicit TPrinterCanvas(TPrinter& printer) : printer_(printer) {}

  void Attach(TCanvas* page) { page_ = page; }
  // The font's resolution becomes the larger of the device's two when it
  // differs from the horizontal one; the point size is kept.
  void UpdateFont(int32_t xDpi, int32_t yDpi) {
    if (fontPpi_ != xDpi) fontPpi_ = std::max(xDpi, yDpi);
    if (page_ != nullptr) page_->SetFontPixelsPerInch(fontPpi_);
  }

  int32_t PixelsPerInch() const override { return page_ != nullptr ? page_->PixelsPerInch() : 0; }
  int32_t FontPixelsPerInch() const override { return fontPpi_; }
  void SetFontPixelsPerInch(int32_t ppi) override {
    fontPpi_ = ppi;
    if (page_ != nullptr) page_->SetFontPixelsPerInch(ppi);
  }
  void SetFont(int32_t height, uint8_t style) override { Page().SetFont(height, style); }
  void SetFontColor(uint32_t rgb) override { Page().SetFontColor(rgb); }
  void SetFontName(std::string_view family) override { Page().SetFontName(family); }
  int32_t TextWidth(std::string_view text) override { return Page().TextWidth(text); }
  bool PrefixWidths(std::string_view text, std::vector<int32_t>& widths) override {
    return Page().PrefixWidths(text, widths);
  }
  int32_t TextHeight(std::string_view text) override { return Page().TextHeight(text); }
  void TextOut(int32_t x, int32_t y, std::string_view text) override { Page().TextOut(x, y, text); }
  void SetPenWidth(int32_t width) override { Page().SetPenWidth(width); }
  void SetPenColor(uint32_t rgb) override { Page().SetPenColor(rgb); }
  void MoveTo(int32_t x, int32_t y) override { Page().MoveTo(x, y); }
  void LineTo(int32_t x, int32_t y) override { Page().LineTo(x, y); }
  void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override { Page().Rectangle(l, t, r, b); }
  void FillRect(int32_t l, int32_t t, int32_t r, int32_t b, uint32_t rgb) override {
    Page().FillRect(l, t, r, b, rgb);
  }
  void SetPenStyle(TPenStyle style) override { Page().SetPenStyle(style); }
  TPenStyle PenStyle() const override { return page_ != nullptr ? page_->PenStyle() : TPenStyle::Solid; }
  TBrush Brush() const override { return page_ != nullptr ? page_->Brush() : brush_; }
  void SetBrush(const TBrush& brush) override { Page().SetBrush(brush); }
  void FillBrushRect(int32_t l, int32_t t, int32_t r, int32_t b) override {
    Page().FillBrushRect(l, t, r, b);
  }
  void SetTextTransparent(bool transparent) override { Page().SetTextTransparent(transparent); }
  void Ellipse(int32_t l, int32_t t, int32_t r, int32_t b) override { Page().Ellipse(l, t, r, b); }
  void StretchPicture(const TPicture& picture, int32_t l, int32_t t, int32_t r, int32_t b, TTransparency mode,
                      uint32_t color) override {
    Page().StretchPicture(picture, l, t, r, b, mode, color);
  }

 private:
  TCanvas& Page() {
    if (page_ == nullptr || !printer_.Printing()) throw EPrinter(kPrinterNotPrinting);
    return *page_;
  }

  TPrinter& printer_;
  TCanvas* page_ = nullptr;
  int32_t fontPpi_ = 0;
};

TPrinter::TPrinter(IPrintSystem& system) : system_(system) {}

TPrinter::~TPrinter() {
  if (job_ != nullptr) {
    try {
      EndDoc();
    } catch (...) {
      // Nothing more can be done for a job of a printer going away.
    }
  }
}

const std::vector<std::string>& TPrinter::GetPrinters() {
  if (!listed_) {
    printers_ = system_.PrinterNames();
    listed_ = true;
  }
  return printers_;
}

int32_t TPrinter::ClosestPrinter(const std::string& name) {
  const std::string key = UpperStr(TrimBlanks(name));
  const auto& list = GetPrinters();
  const bool listed =
      std::any_of(list.begin(), list.end(), [&](const std::string& p) { return UpperStr(TrimBlanks(p)) == key; });
  if (!listed && !key.empty() && !Printing()) Relist();
  return FindClosestString(name, GetPrinters());
}

// The selected printer stays selected where the new list puts it; one
// that has gone is selected no more.
void TPrinter::Relist() {
  const std::string selected = index_ >= 0 ? printers_[static_cast<std::size_t>(index_)] : std::string();
  printers_ = system_.PrinterNames();
  listed_ = true;
  if (index_ < 0) return;
  const auto it = std::find(printers_.begin(), printers_.end(), selected);
  if (it != printers_.end()) {
    index_ = static_cast<int32_t>(it - printers_.begin());
    return;
  }
  SetState(TDcState::None);
  index_ = -1;
}

int32_t TPrinter::PrinterIndex() {
  if (index_ < 0) SelectDefault();
  return index_;
}

std::string TPrinter::PrinterName() {
  const int32_t index = PrinterIndex();
  return GetPrinters()[static_cast<std::size_t>(index)];
}

void TPrinter::SetPrinterIndex(int32_t index) {
  CheckPrinting(false);
  // Choosing the printer in use again keeps the page format applied to it.
  if (index >= 0 && index == index_) return;
  kept_.clear();
  if (index == -1) {
    SelectDefault();
    return;
  }
  if (index < 0 || index >= static_cast<int32_t>(GetPrinters().size())) throw EPrinter(kPrinterIndexRange);
  SelectPrinter(index);
}

void TPrinter::SelectForJob(int32_t index) {
  CheckPrinting(false);
  if (index < 0 || index != index_) {
    SetPrinterIndex(index);
    return;
  }
  if (index >= static_cast<int32_t>(GetPrinters().size())) throw EPrinter(kPrinterIndexRange);
  kept_.clear();
  SelectPrinter(index);
}

void TPrinter::SelectDefault() {
  const std::string name = system_.DefaultPrinterName();
  const auto& list = GetPrinters();
  const auto it = name.empty() ? list.end() : std::find(list.begin(), list.end(), name);
  if (it == list.end()) throw EPrinter(kPrinterNoDefault);
  kept_.clear();
  SelectPrinter(static_cast<int32_t>(it - list.begin()));
}

void TPrinter::SelectPrinter(int32_t index) {
  SetState(TDcState::None);
  index_ = index;
  devMode_ = system_.DriverDeviceMode(printers_[static_cast<std::size_t>(index)]);
  SetDeviceMode(devMode_);
  ReadCapabilities();
}

void TPrinter::ReadCapabilities() {
  capabilities_ = 0;
  TDevMode mode;
  if (!ReadDevMode(devMode_, mode)) return;
  if (mode.Fields & kDmCopies) capabilities_ |= kPcCopies;
  if (mode.Fields & kDmOrientation) capabilities_ |= kPcOrientation;
  if (mode.Fields & kDmCollate) capabilities_ |= kPcCollation;
}

uint32_t TPrinter::Capabilities() {
  PrinterIndex();
  return capabilities_;
}

void TPrinter::CheckPrinting(bool printing) const {
  if (Printing() != printing) throw EPrinter(printing ? kPrinterNotPrinting : kPrinterPrinting);
}

void TPrinter::SetState(TDcState state) {
  if (state == state_) return;
  if (state == TDcState::None) {
    state_ = TDcState::None;
    if (canvas_ != nullptr) canvas_->Attach(nullptr);
    return;
  }
  // The context comes from the kept copy when there is one, and the same
  // bytes are then set again so that the copy and the device mode agree.
  const std::string mode = kept_.empty() ? devMode_ : kept_;
  const std::string name = PrinterName();
  if (state == TDcState::Device) {
    job_ = system_.StartDoc(name, mode, Title.substr(0, std::min(Title.size(), kMaxJobTitle)));
    if (job_ == nullptr) throw EPrinter(kPrinterNotValid);
    caps_ = job_->Caps();
  } else if (!system_.DeviceCaps(name, mode, caps_)) {
    throw EPrinter(kPrinterNotValid);
  }
  state_ = state;
  SetDeviceMode(mode);
}

const TDeviceCaps& TPrinter::Caps() {
  if (state_ == TDcState::None) SetState(TDcState::Info);
  return caps_;
}

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  PrinterIndex();
  SetState(TDcState::None);
  SetState(TDcState::Device);
  Canvas();
  canvas_->Attach(&job_->Canvas());
  canvas_->UpdateFont(caps_.XDpi, caps_.YDpi);
  aborted_ = false;
  pageNumber_ = 1;
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  job_->NewPage();
  ++pageNumber_;
  canvas_->Attach(&job_->Canvas());
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  std::unique_ptr<IPrintJob> job = std::move(job_);
  canvas_->Attach(nullptr);
  state_ = TDcState::None;
  if (aborted_)
    job->Abort();
  else
    job->End();
  aborted_ = false;
  pageNumber_ = 0;
}

void TPrinter::Abort() {
  CheckPrinting(true);
  aborted_ = true;
  EndDoc();
}

TCanvas& TPrinter::Canvas() {
  if (canvas_ == nullptr) canvas_ = std::make_unique<TPrinterCanvas>(*this);
  return *canvas_;
}

int32_t TPrinter::GetPageWidth() { return Caps().PageWidth; }
int32_t TPrinter::GetPageHeight() { return Caps().PageHeight; }

void TPrinter::GetResolution(int32_t& xDpi, int32_t& yDpi) {
  const TDeviceCaps& caps = Caps();
  xDpi = caps.XDpi;
  yDpi = caps.YDpi;
}

bool TPrinter::GetLandscape() {
  TDevMode mode;
  if (!ReadDevMode(DeviceMode(), mode)) throw EPrinter(kPrinterNotSupported);
  return mode.Orientation != kDmPortrait;
}

void TPrinter::SetLandscape(bool landscape) {
  CheckPrinting(false);
  std::string mode = DeviceMode();
  if (!SetDevModeOrientation(mode, landscape)) throw EPrinter(kPrinterNotSupported);
  SetDeviceMode(mode);
}

const std::string& TPrinter::DeviceMode() {
  PrinterIndex();
  return devMode_;
}

void TPrinter::SetDeviceMode(const std::string& devMode) {
  if (devMode.empty()) return;
  const std::string bytes = devMode;  // devMode may be one of our own
  devMode_ = bytes;
  kept_ = bytes;
  // The page metrics of an information context follow the new settings.
  if (state_ == TDcState::Info) state_ = TDcState::None;
}

void TPrinter::EnsureDeviceMode() {
  if (devMode_.empty()) devMode_ = system_.DriverDeviceMode(PrinterName());
}

bool TPrinter::EditDeviceMode(const std::string& in, int32_t outSize, std::string& out) {
  CheckPrinting(false);
  SetState(TDcState::None);
  const std::string name = PrinterName();
  const std::size_t n = system_.DriverDeviceMode(name).size();
  if (n == 0) return false;
  std::string block(n, '\0');
  std::copy_n(in.begin(), std::min(n, in.size()), block.begin());
  if (!system_.EditDeviceMode(name, block)) return false;
  block.resize(n, '\0');
  const std::size_t size = outSize > 0 ? static_cast<std::size_t>(outSize) : 0;
  out.assign(size, '\0');
  std::copy_n(block.begin(), std::min(n, size), out.begin());
  return true;
}

namespace {

class TNoPrintSystem : public IPrintSystem {
 public:
  std::vector<std::string> PrinterNames() override { return {}; }
  std::string DefaultPrinterName() override { return {}; }
  std::string DriverDeviceMode(const std::string&) override { return {}; }
  bool DeviceCaps(const std::string&, const std::string&, TDeviceCaps&) override { return false; }
  std::unique_ptr<IPrintJob> StartDoc(const std::string&, const std::string&, const std::string&) override {
    return nullptr;
  }
  bool EditDeviceMode(const std::string&, std::string&) override { return false; }
};

TNoPrintSystem& NoPrintSystem() {
  static TNoPrintSystem none;
  return none;
}

IPrintSystem* installed = nullptr;
std::unique_ptr<TPrinter>& PrinterSlot() {
  static std::unique_ptr<TPrinter> printer;
  return printer;
}

}  // namespace

IPrintSystem& PrintSystem() { return installed != nullptr ? *installed : NoPrintSystem(); }

void InstallPrintSystem(IPrintSystem* system) {
  PrinterSlot().reset();
  installed = system;
}

TPrinter& Printer() {
  auto& printer = PrinterSlot();
  if (printer == nullptr) printer = std::make_unique<TPrinter>(PrintSystem());
  return *printer;
}

std::string WherePrinterIsChosen() {
  return "Выберите принтер в служебных настройках (вкладка \"Печать\") и сохраните их."_w;
}

void SayPrinterSettingsWrong() {
  Ui().MsgBox("Неверные установки принтера\r"_w + WherePrinterIsChosen(), Ui().AppTitle(), kMbError);
}

}  // namespace vm
