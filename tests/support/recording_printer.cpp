#include "support/recording_printer.h"

#include <algorithm>
#include <cstdlib>

#include "output/device_mode.h"

namespace vm {

std::vector<std::string> TRecordedPage::Texts() const {
  std::vector<std::string> texts;
  for (const TRecordedOp& op : Ops)
    if (op.Kind == TRecordedOp::kText) texts.push_back(op.Text);
  return texts;
}

const TRecordedOp* TRecordedPage::FindText(const std::string& text) const {
  for (const TRecordedOp& op : Ops)
    if (op.Kind == TRecordedOp::kText && op.Text == text) return &op;
  return nullptr;
}

void TRecordingCanvas::SetFont(int32_t height, uint8_t style) {
  fontHeight_ = height == 0 ? -13 : height;
  fontStyle_ = style;
}

int32_t TRecordingCanvas::CharHeight() const {
  return fontHeight_ < 0 ? -fontHeight_ : std::max(1, fontHeight_ * 5 / 6);
}

int32_t TRecordingCanvas::TextWidth(std::string_view text) {
  return static_cast<int32_t>(text.size()) * CharHeight() / 2;
}

int32_t TRecordingCanvas::TextHeight(std::string_view) { return CharHeight() * 6 / 5; }

TRecordedOp& TRecordingCanvas::Add(TRecordedOp::TKind kind) {
  TRecordedOp& op = job_.Pages.back().Ops.emplace_back();
  op.Kind = kind;
  op.PenWidth = penWidth_;
  op.Pen = penStyle_;
  op.Color = penColor_;
  return op;
}

void TRecordingCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
  TRecordedOp& op = Add(TRecordedOp::kText);
  op.X1 = x;
  op.Y1 = y;
  op.Text = std::string(text);
  op.FontHeight = fontHeight_;
  op.FontStyle = fontStyle_;
  op.FontName = fontName_;
  op.FontPpi = fontPpi_;
  op.Color = fontColor_;
}

void TRecordingCanvas::MoveTo(int32_t x, int32_t y) {
  x_ = x;
  y_ = y;
}

void TRecordingCanvas::LineTo(int32_t x, int32_t y) {
  TRecordedOp& op = Add(TRecordedOp::kLine);
  op.X1 = x_;
  op.Y1 = y_;
  op.X2 = x_ = x;
  op.Y2 = y_ = y;
}

TRecordedOp& TRecordingCanvas::AddBox(TRecordedOp::TKind kind, int32_t left, int32_t top, int32_t right,
                                      int32_t bottom) {
  TRecordedOp& op = Add(kind);
  op.X1 = left;
  op.Y1 = top;
  op.X2 = right;
  op.Y2 = bottom;
  return op;
}

void TRecordingCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  AddBox(TRecordedOp::kRectangle, left, top, right, bottom);
}

void TRecordingCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) {
  AddBox(TRecordedOp::kFill, left, top, right, bottom).Color = rgb;
}

void TRecordingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  AddBox(TRecordedOp::kEllipse, left, top, right, bottom).Brush = brush_;
}

void TRecordingCanvas::StretchPicture(const TPicture& /*picture*/, int32_t left, int32_t top, int32_t right,
                                      int32_t bottom, TTransparency mode, uint32_t transparentColor) {
  TRecordedOp& op = AddBox(TRecordedOp::kPicture, left, top, right, bottom);
  op.Transparency = mode;
  op.Color = transparentColor;
}

namespace {

class TRecordingJob : public IPrintJob {
 public:
  TRecordingJob(TRecordedJob& job, int32_t ppi) : job_(job), canvas_(job, ppi) {
    job_.Pages.emplace_back();
  }
  TCanvas& Canvas() override { return canvas_; }
  TDeviceCaps Caps() const override { return job_.Caps; }
  void NewPage() override { job_.Pages.emplace_back(); }
  void End() override { job_.Ended = true; }
  void Abort() override { job_.Aborted = true; }

 private:
  TRecordedJob& job_;
  TRecordingCanvas canvas_;
};

}  // namespace

std::string TRecordingPrintSystem::MakeDevMode(const std::string& printer, int16_t paper, bool landscape,
                                               uint16_t driverExtra) {
  TDevMode mode;
  mode.DeviceName = printer;
  mode.Fields = kDmOrientation | kDmPaperSize | kDmCopies | kDmCollate;
  mode.Orientation = landscape ? kDmLandscape : kDmPortrait;
  mode.PaperSize = paper;
  mode.DriverData.assign(driverExtra, '\x5A');
  return WriteDevMode(mode);
}

TRecordingPrintSystem& TRecordingPrintSystem::AddPrinter(const std::string& name, int32_t xDpi, int32_t yDpi) {
  Printers.push_back({name, MakeDevMode(name, kPaperA4, false), xDpi, yDpi, true});
  return *this;
}

const TRecordingPrintSystem::TPrinterSpec* TRecordingPrintSystem::Find(const std::string& name) const {
  for (const TPrinterSpec& p : Printers)
    if (p.Name == name) return &p;
  return nullptr;
}

std::vector<std::string> TRecordingPrintSystem::PrinterNames() {
  std::vector<std::string> names;
  for (const TPrinterSpec& p : Printers) names.push_back(p.Name);
  return names;
}

std::string TRecordingPrintSystem::DriverDeviceMode(const std::string& printer) {
  const TPrinterSpec* p = Find(printer);
  return p != nullptr ? p->DevMode : std::string();
}

bool TRecordingPrintSystem::DeviceCaps(const std::string& printer, const std::string& devMode,
                                       TDeviceCaps& caps) {
  const TPrinterSpec* p = Find(printer);
  if (p == nullptr || !p->Openable) return false;
  const TPaperRequest paper = PaperOfDevMode(devMode.empty() ? p->DevMode : devMode);
  const int32_t w = paper.Landscape ? paper.Height : paper.Width;
  const int32_t h = paper.Landscape ? paper.Width : paper.Height;
  caps.XDpi = p->XDpi;
  caps.YDpi = p->YDpi;
  caps.PageWidth = static_cast<int32_t>(int64_t{w} * p->XDpi / 254);
  caps.PageHeight = static_cast<int32_t>(int64_t{h} * p->YDpi / 254);
  return true;
}

std::unique_ptr<IPrintJob> TRecordingPrintSystem::StartDoc(const std::string& printer,
                                                           const std::string& devMode,
                                                           const std::string& title) {
  TDeviceCaps caps;
  if (!DeviceCaps(printer, devMode, caps)) return nullptr;
  TRecordedJob& job = Jobs.emplace_back();
  job.Printer = printer;
  job.Title = title;
  job.DevMode = devMode;
  job.Caps = caps;
  return std::make_unique<TRecordingJob>(job, caps.XDpi);
}

bool TRecordingPrintSystem::EditDeviceMode(const std::string& printer, std::string& devMode) {
  if (Find(printer) == nullptr || !Dialog) return false;
  return Dialog(devMode);
}

}  // namespace vm
