#include "output/book_print.h"

#include <algorithm>
#include <cmath>

#include "config/price_tags.h"
#include "config/settings.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/table_render.h"

namespace vm {

namespace {

// Nothing can be printed; told once the job is over.
struct TBookPrintFailure {};

int32_t Round(long double x) { return static_cast<int32_t>(std::lround(x)); }

class TBookPrinter {
 public:
  TBookPrinter(TSpravTab& tab, const TBookPrintHooks& hooks) : tab_(tab), hooks_(hooks) {}
  // False when the user chose not to print.
  bool Run();

 private:
  void ChooseOrientation();
  void DrawPage(int32_t& row, int32_t last);
  void Status(const std::string& text) {
    if (hooks_.StatusText) hooks_.StatusText(text);
  }

  TSpravTab& tab_;
  const TBookPrintHooks& hooks_;
  TBookPrintGeometry g_;
  long double scale_ = 0;
  int32_t textHeight_ = 0;
  int32_t pageHeight_ = 0;
  int32_t page_ = 0;
};

// Landscape when the printer allows it, unless two tables do not fit
// across a landscape page that still holds one table in its height.
void TBookPrinter::ChooseOrientation() {
  TPrinter& printer = Printer();
  if ((printer.Capabilities() & kPcOrientation) == 0) return;
  printer.SetLandscape(true);
  if (printer.GetPageWidth() < 2 * g_.Table && printer.GetPageHeight() >= g_.Table) printer.SetLandscape(false);
}

bool TBookPrinter::Run() {
  TPrinter& printer = Printer();
  TDataView& view = tab_.View;
  const TCurBlank& blank = view.Blank();
  printer.Title = tab_.Book.Title;
  int32_t xDpi = 0, yDpi = 0;
  printer.GetResolution(xDpi, yDpi);
  scale_ = xDpi / 254.0L;
  g_ = ComputeBookGeometry(blank.TotalWidth, blank.LineWidth, printer.GetPageWidth(), xDpi);
  ChooseOrientation();
  g_ = ComputeBookGeometry(blank.TotalWidth, blank.LineWidth, printer.GetPageWidth(), xDpi);
  const int32_t choice = hooks_.AskRange ? hooks_.AskRange("Печать справочника"_w, "Печатать текущую запись"_w,
                                                           "Печатать весь справочник"_w)
                                         : 2;
  if (choice == 0) return false;
  int32_t row = choice == 1 ? view.CurRow() : 0;
  const int32_t last = choice == 1 ? view.CurRow() : view.RowCount() - 1;
  if (row < 0) throw TBookPrintFailure{};
  if (hooks_.EnableWindow) hooks_.EnableWindow(false);
  printer.BeginDoc();
  TCanvas& canvas = printer.Canvas();
  canvas.SetFontName(DefaultFontName().empty() ? TableFontName() : DefaultFontName());
  canvas.SetFontPixelsPerInch(std::max(xDpi, yDpi));
  SetFontPoints(canvas, 8, kFontBold);
  textHeight_ = canvas.TextHeight("W");
  pageHeight_ = printer.GetPageHeight();
  page_ = 1;
  for (;;) {
    DrawPage(row, last);
    if (row > last) break;
    printer.NewPage();
    ++page_;
  }
  printer.EndDoc();
  return true;
}

// Up to PerPage tables across the page, each from the row the one before
// stopped at, and the foot line.
void TBookPrinter::DrawPage(int32_t& row, int32_t last) {
  TCanvas& canvas = Printer().Canvas();
  TDataView& view = tab_.View;
  const int32_t top = 2 * textHeight_ + 10;
  const int32_t available = pageHeight_ - 20 - 4 * textHeight_;
  for (int32_t k = 0; k < g_.PerPage && row <= last; ++k) {
    TTableDraw request;
    request.X = g_.Gap * (k + 1) + g_.Inner * k;
    request.Y = top;
    request.Scale = 1;
    request.Params = &Settings().AutoParams;
    request.FitMode = g_.Shrink || Settings().CompressedPrint ? 1 : 3;
    request.AvailHeight = available;
    request.AvailWidth = g_.Shrink ? Printer().GetPageWidth() : g_.Inner + Round(25 * scale_);
    request.FirstRow = row;
    request.LastRow = last;
    const TTableDrawn drawn = DrawBlankTable(canvas, request, view.Blank(), view);
    // A page that takes no row would be followed by another one like it.
    if (!drawn.Drawn || drawn.NextRow <= row) throw TBookPrintFailure{};
    row = drawn.NextRow;
    Printer().System().ProcessMessages();
  }
  SetFontPoints(canvas, 8, kFontBold);
  canvas.SetFontColor(0);
  canvas.TextOut(g_.Gap, pageHeight_ - 10 - 2 * textHeight_,
                 tab_.Book.Title + ",  страница "_w + std::to_string(page_));
  Status("Идет печать, страница "_w + std::to_string(page_));
}

}  // namespace

TBookPrintGeometry ComputeBookGeometry(int32_t blankWidth, int32_t lineWidth, int32_t pageWidth, int32_t xDpi) {
  TBookPrintGeometry g;
  const long double scale = xDpi / 254.0L;
  g.Table = Round((blankWidth + 2 * lineWidth + 25) * scale);
  g.Inner = Round((blankWidth + 2 * lineWidth) * scale);
  g.PerPage = g.Table > 0 ? pageWidth / g.Table : 0;
  if (g.PerPage <= 0) {
    g.PerPage = 1;
    g.Shrink = true;
    g.Gap = 0;
    return g;
  }
  g.Gap = (pageWidth - g.PerPage * g.Inner) / (g.PerPage + 1);
  return g;
}

void PrintReferenceBook(TSpravTab& tab, const TBookPrintHooks& hooks) {
  TPrinter& printer = Printer();
  bool failed = false;
  try {
    const int32_t index = printer.ClosestPrinter(Settings().PrinterName);
    if (index < 0 || !tab.View.HasBlank()) throw TBookPrintFailure{};
    printer.SelectForJob(index);
    TBookPrinter(tab, hooks).Run();
  } catch (const TBookPrintFailure&) {
    failed = true;
  } catch (const std::exception&) {
    failed = true;
  }
  if (failed) {
    if (printer.Printing()) {
      try {
        printer.Abort();
      } catch (const std::exception&) {
      }
    }
    Ui().MsgBox("Не могу распечатать справочник"_w, Ui().AppTitle(), kMbError);
  }
  if (hooks.EnableWindow) hooks.EnableWindow(true);
}

}  // namespace vm
