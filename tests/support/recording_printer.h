// A print system without a device: its printers are described by the
// caller and every job is kept as a list of pages, each with what was drawn
// on it in order. Core tests print through it; nothing reaches paper.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <deque>
#include <vector>

#include "foundation/draw/canvas.h"
#include "output/printer.h"

namespace vm {

struct TRecordedOp {
  enum TKind { kText, kLine, kRectangle, kFill, kEllipse, kPicture };
  TKind Kind = kText;
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::string Text;  // Windows-1251
  int32_t FontHeight = 0;
  uint8_t FontStyle = 0;
  std::string FontName;
  int32_t FontPpi = 0;
  int32_t PenWidth = 1;
  TPenStyle Pen = TPenStyle::Solid;
  uint32_t Color = 0;
  // Ellipses: the brush they are filled with.
  TBrush Brush;
  // Pictures: how they are drawn.
  TTransparency Transparency = TTransparency::None;
};

struct TRecordedPage {
  std::vector<TRecordedOp> Ops;
  // The texts drawn, in order.
  std::vector<std::string> Texts() const;
  // The first text op that equals text, or nullptr.
  const TRecordedOp* FindText(const std::string& text) const;
};

struct TRecordedJob {
  std::string Printer;
  std::string Title;
  std::string DevMode;
  TDeviceCaps Caps;
  std::vector<TRecordedPage> Pages;
  bool Ended = false;
  bool Aborted = false;
};

// Measures text as a fixed-pitch font: each character half as wide as the
// character height, a line 1.2 heights high.
class TRecordingCanvas : public TCanvas {
 public:
  TRecordingCanvas(TRecordedJob& job, int32_t ppi) : job_(job), ppi_(ppi), fontPpi_(ppi) {}

  int32_t PixelsPerInch() const override { return ppi_; }
  int32_t FontPixelsPerInch() const override { return fontPpi_; }
  void SetFontPixelsPerInch(int32_t ppi) override { fontPpi_ = ppi; }
  void SetFont(int32_t height, uint8_t style) override;
  void SetFontColor(uint32_t rgb) override { fontColor_ = rgb; }
  void SetFontName(std::string_view family) override { fontName_ = std::string(family); }
  int32_t TextWidth(std::string_view text) override;
  int32_t TextHeight(std::string_view text) override;
  void TextOut(int32_t x, int32_t y, std::string_view text) override;
  void SetPenWidth(int32_t width) override { penWidth_ = width; }
  void SetPenColor(uint32_t rgb) override { penColor_ = rgb; }
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) override;
  void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void StretchPicture(const TPicture& picture, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      TTransparency mode, uint32_t transparentColor) override;
  void SetPenStyle(TPenStyle style) override { penStyle_ = style; }
  TPenStyle PenStyle() const override { return penStyle_; }

 private:
  TRecordedOp& Add(TRecordedOp::TKind kind);
  TRecordedOp& AddBox(TRecordedOp::TKind kind, int32_t left, int32_t top, int32_t right, int32_t bottom);
  int32_t CharHeight() const;

  TRecordedJob& job_;
  int32_t ppi_;
  int32_t fontPpi_;
  int32_t fontHeight_ = -13;
  uint8_t fontStyle_ = 0;
  std::string fontName_;
  uint32_t fontColor_ = 0;
  int32_t penWidth_ = 1;
  uint32_t penColor_ = 0;
  TPenStyle penStyle_ = TPenStyle::Solid;
  int32_t x_ = 0, y_ = 0;
};

class TRecordingPrintSystem : public IPrintSystem {
 public:
  struct TPrinterSpec {
    std::string Name;
    // The driver's settings; empty for a driver that cannot report them.
    std::string DevMode;
    int32_t XDpi = 300;
    int32_t YDpi = 300;
    bool Openable = true;
  };
  std::vector<TPrinterSpec> Printers;
  std::string Default;
  // Plays the settings dialog: edits the bytes, false for Cancel. Unset:
  // cancelled.
  std::function<bool(std::string&)> Dialog;
  std::deque<TRecordedJob> Jobs;
  int32_t Messages = 0;

  // A device mode with the given paper and orientation, as a driver of
  // the named printer reports it.
  static std::string MakeDevMode(const std::string& printer, int16_t paper, bool landscape,
                                 uint16_t driverExtra = 0);
  // A printer on A4 portrait at the given resolution; returns this.
  TRecordingPrintSystem& AddPrinter(const std::string& name, int32_t xDpi = 300, int32_t yDpi = 300);

  std::vector<std::string> PrinterNames() override;
  std::string DefaultPrinterName() override { return Default; }
  std::string DriverDeviceMode(const std::string& printer) override;
  bool DeviceCaps(const std::string& printer, const std::string& devMode, TDeviceCaps& caps) override;
  std::unique_ptr<IPrintJob> StartDoc(const std::string& printer, const std::string& devMode,
                                      const std::string& title) override;
  bool EditDeviceMode(const std::string& printer, std::string& devMode) override;
  void ProcessMessages() override { ++Messages; }

 private:
  const TPrinterSpec* Find(const std::string& name) const;
};

}  // namespace vm
