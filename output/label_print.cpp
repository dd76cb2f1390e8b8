#include "output/label_print.h"

#include <algorithm>
#include <limits>

#include "documents/compiler/document_compiler.h"
#include "output/page_format_apply.h"
#include "output/price_tag_draw.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "platform/services.h"

namespace vm {

namespace {

// Room round a label: the grid counts cells of the size + 5 pixels, the
// labels stand size + 7 apart.
constexpr int32_t kCellMargin = 5;
constexpr int32_t kPitchMargin = 6;
constexpr int32_t kLabelInset = 4;

TLabelPreview& Preview() {
  static TLabelPreview preview;
  return preview;
}

// The configured printer chosen afresh for the job; raises
// kPrinterNotValid when there is none.
void SelectLabelPrinter(TPrinter& printer) {
  const int32_t index = printer.ClosestPrinter(PrinterNameInForce());
  if (index < 0) throw EPrinter(kPrinterNotValid);
  printer.SelectForJob(index);
}

// One scale for both directions, so labels keep their shape on a device
// finer one way than the other.
int32_t LabelDpi(TPrinter& printer) {
  int32_t xDpi = 0, yDpi = 0;
  printer.GetResolution(xDpi, yDpi);
  return std::max(xDpi, yDpi);
}

int32_t Cells(int32_t page, int32_t tenths, int32_t dpi) {
  const int32_t cell = RoundEven(tenths * (dpi / 254.0L)) + kCellMargin;
  return cell > 0 && page > 0 ? page / cell : 0;
}

// Labels already placed before (entry, copy).
int64_t PlacedBefore(const TPrintCenList& queue, int32_t entry, int32_t copy) {
  int64_t placed = copy;
  for (int32_t i = 0; i < entry && i < queue.Count(); ++i) placed += std::max(1, queue.GetItem(i).Copies);
  return placed;
}

int32_t ProgressValue(int64_t n) {
  return static_cast<int32_t>(std::clamp<int64_t>(n, 0, std::numeric_limits<int32_t>::max()));
}

void DrawCutLines(TCanvas& canvas, int32_t cols, int32_t rows, int32_t pitchX, int32_t pitchY, int32_t pageWidth,
                  int32_t pageHeight) {
  canvas.SetBrush({TBrushStyle::Solid, 0xFFFFFF});
  canvas.SetPenColor(0);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(TPenStyle::Dash);
  for (int32_t i = 0; i <= cols; ++i) {
    canvas.MoveTo(pitchX * i, 0);
    canvas.LineTo(pitchX * i, pageHeight - 1);
  }
  for (int32_t i = 0; i <= rows; ++i) {
    canvas.MoveTo(0, pitchY * i);
    canvas.LineTo(pageWidth - 1, pitchY * i);
  }
}

// The job itself; raises what the printer raises, started telling whether
// the job had begun.
bool RunLabelJob(TPrintCenList& queue, const TPageFormat* format, bool& started) {
  if (queue.Count() == 0) return false;
  TPrinter& printer = Printer();
  SelectLabelPrinter(printer);
  printer.Title = "Печать ярлыков"_w;
  if (format != nullptr) ApplyPageFormat(printer, *format);
  const int32_t dpi = LabelDpi(printer);
  const int32_t pageWidth = printer.GetPageWidth(), pageHeight = printer.GetPageHeight();
  int32_t cols = 0, rows = 0;
  CountLabelCells(*queue.GetItem(0).Tag, dpi, pageWidth, pageHeight, cols, rows);
  // Told before a job starts, so that nothing comes out of the printer.
  if (cols <= 0 || rows <= 0) {
    ShowLabelTooBig();
    return false;
  }
  printer.BeginDoc();
  started = true;
  TCanvas& canvas = printer.Canvas();
  canvas.SetFontPixelsPerInch(dpi);
  int32_t entry = 0, copy = 0;
  while (entry < queue.Count()) {
    if (!LayoutLabelPage(queue, canvas, cols, rows, pageWidth, pageHeight, 1, entry, copy)) {
      printer.Abort();
      return false;
    }
    if (entry < queue.Count()) printer.NewPage();
  }
  printer.EndDoc();
  return true;
}

}  // namespace

TPrintCenList& PrintCenList() {
  static TPrintCenList list;
  return list;
}

TPrintCenEntry& AddPrintCen(TPrintCenList& queue, const TCennik& tag, int32_t copies) {
  TPrintCenEntry& entry = queue.Append();
  entry.Tag = std::make_unique<TCennik>();
  tag.CopyTo(*entry.Tag);
  entry.Copies = copies;
  for (std::size_t i = 0; i < tag.Graphics.size(); ++i) entry.Tag->Graphics[i]->Picture = tag.Graphics[i]->Picture;
  return entry;
}

int64_t TotalPrintCount(const TPrintCenList& queue) {
  int64_t total = 0;
  for (int32_t i = 0; i < queue.Count(); ++i) total += queue.GetItem(i).Copies;
  return total;
}

void CountLabelCells(const TCennik& tag, int32_t dpi, int32_t pageWidth, int32_t pageHeight, int32_t& cols,
                     int32_t& rows) {
  cols = Cells(pageWidth, tag.Width + tag.LineWidth, dpi);
  rows = Cells(pageHeight, tag.Height + tag.LineWidth, dpi);
}

bool PrintLabels(TPrintCenList& queue, const TPageFormat* format) {
  Ui().ShowProgressMessage("Идет печать ярлыков..."_w, ProgressValue(TotalPrintCount(queue)));
  bool ok = false;
  bool started = false;
  bool cannotStart = false;
  try {
    ok = RunLabelJob(queue, format, started);
  } catch (const EPrinter&) {
    // No printer, or one that cannot be opened, fails before the job.
    cannotStart = !started;
    ok = false;
  } catch (const std::exception&) {
    ok = false;
  }
  TPrinter& printer = Printer();
  if (!ok && printer.Printing()) {
    try {
      printer.Abort();
    } catch (const std::exception&) {
    }
  }
  Ui().HideProgressMessage();
  if (cannotStart) SayPrinterSettingsWrong();
  return ok;
}

bool LayoutLabelPage(TPrintCenList& queue, TCanvas& canvas, int32_t cols, int32_t rows, int32_t pageWidth,
                     int32_t pageHeight, long double zoom, int32_t& entry, int32_t& copy) {
  if (queue.Count() == 0) return true;
  bool ok = true;
  try {
    const TCennik& first = *queue.GetItem(0).Tag;
    const TTagPixels size = CennikPixelSize(first, canvas);
    const int32_t pitchX = size.X + kPitchMargin, pitchY = size.Y + kPitchMargin;
    const int32_t offset = RoundEven(first.LineWidth * (canvas.FontPixelsPerInch() / 254.0L) * zoom) / 2 + kLabelInset;
    int64_t progress = PlacedBefore(queue, entry, copy);
    int32_t col = 0, row = 0;
    for (int64_t placed = 0; entry < queue.Count() && placed < int64_t{cols} * rows; ++placed) {
      TPrintCenEntry& item = queue.GetItem(entry);
      DrawCennik(*item.Tag, canvas, pitchX * col + offset, pitchY * row + offset, zoom, false);
      // An entry of no copies still gives one label.
      if (++copy >= item.Copies) {
        copy = 0;
        ++entry;
      }
      if (++col == cols) {
        col = 0;
        ++row;
      }
      Ui().SetProgressPosition(ProgressValue(++progress));
      Ui().ProcessMessages();
    }
    DrawCutLines(canvas, cols, rows, pitchX, pitchY, pageWidth, pageHeight);
  } catch (const std::exception&) {
    ok = false;
  }
  canvas.SetPenStyle(TPenStyle::Solid);
  return ok;
}

bool SetupLabelPage(const TCennik& tag, int32_t& cols, int32_t& rows, TPageFormat* page) {
  cols = rows = 0;
  try {
    TPrinter& printer = Printer();
    SelectLabelPrinter(printer);
    const int32_t dpi = LabelDpi(printer);
    int32_t landCols = 0, landRows = 0;
    printer.SetLandscape(true);
    CountLabelCells(tag, dpi, printer.GetPageWidth(), printer.GetPageHeight(), landCols, landRows);
    printer.SetLandscape(false);
    CountLabelCells(tag, dpi, printer.GetPageWidth(), printer.GetPageHeight(), cols, rows);
    if (int64_t{landCols} * landRows > int64_t{cols} * rows) {
      printer.SetLandscape(true);
      cols = landCols;
      rows = landRows;
    }
    if (page != nullptr) *page = TPageFormat{"Печать ярлыков"_w, printer.DeviceMode()};
  } catch (const EPrinter&) {
    SayPrinterSettingsWrong();
    return false;
  } catch (const std::exception&) {
    return false;
  }
  if (cols <= 0 || rows <= 0) {
    ShowLabelTooBig();
    return false;
  }
  return true;
}

void ShowLabelTooBig() { Ui().MsgBox("Ярлык не размещается на странице!"_w, "Печать ярлыков"_w, kMbError); }

void InstallLabelPreview(TLabelPreview preview) { Preview() = std::move(preview); }

bool ShowLabelPreview(TPrintCenList& queue) {
  if (queue.Count() == 0) return false;
  return Preview() ? Preview()(queue) : true;
}

}  // namespace vm
