#include "output/document_print.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "config/page_format.h"
#include "config/price_tags.h"
#include "config/settings.h"
#include "documents/compiler/document_compiler.h"
#include "documents/document_recalc.h"
#include "foundation/text/strutils.h"
#include "foundation/values/value_text.h"
#include "language/interpreter.h"
#include "output/device_mode.h"
#include "output/page_format_apply.h"
#include "output/price_print.h"
#include "output/printer.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "models/table_render.h"

namespace vm {

int32_t TPrintGeometry::CopyLeft(int32_t column) const { return (column + 1) * Gap + column * W - Shift; }

int32_t TPrintGeometry::X(int32_t x, int32_t column) const {
  return RoundEven(x * S * Zoom + (x < 0 ? W : 0)) + CopyLeft(column);
}

int32_t TPrintGeometry::Y(int32_t y) const {
  return RoundEven(y * S * Zoom + (y < 0 ? UsableHeight : Reserve));
}

bool ComputePrintGeometry(int32_t pageWidth, int32_t pageHeight, int32_t xDpi, bool landscape,
                          int32_t docWidth, bool shrinkToFit, TPrintGeometry& g) {
  g = TPrintGeometry();
  g.S = xDpi / 254.0L;
  // A document without a width has no copy to place.
  if (docWidth <= 0 || g.S <= 0) return false;
  // Both widths in 0.1 mm: the page's from its pixels.
  const long double pageTenths = pageWidth / g.S;
  if (shrinkToFit && docWidth > pageTenths) g.Zoom = pageTenths / (docWidth + 10);
  g.W = RoundEven(docWidth * g.S * g.Zoom);
  g.N = g.W > 0 ? pageWidth / g.W : 0;
  if (g.N <= 0) return false;
  g.Gap = (pageWidth - g.N * g.W) / (g.N + 1);
  if (g.N == 1 && landscape && g.Gap / g.S > 150) g.Shift = RoundEven(g.Gap - 150 * g.S);
  g.Reserve = RoundEven(50 * g.S);
  g.UsableHeight = pageHeight - g.Reserve;
  return true;
}

namespace {

enum TPrintFailure : int32_t { kFailOther = 0, kFailTooWide = 1, kFailNoRowFits = 2 };

struct TPrintError {
  TPrintFailure Code;
};

bool IsZero(const TVariable* v) {
  return v != nullptr && v->Value.Kind == 'N' && std::fabs(v->Value.Num) < kNumTolerance;
}

void Run(TInstruction* program) {
  if (program != nullptr) Interp().ExecProgram(program);
}

// One form's rows on their way over the pages.
struct TFormCursor {
  TFormPar* Form;
  int32_t Position = 0;
  int32_t Last = -1;  // the range's last row
  bool Finished() const { return Position > Last; }
};

class TDocumentPrinter {
 public:
  TDocumentPrinter(TCompiledDocument& doc, const TDocumentPrintHooks& hooks) : doc_(doc), hooks_(hooks) {}

  void PrintJob(const std::string& name);

 private:
  void SortForms();
  void StartJob(const std::string& name);
  void PrintCopy(bool lastCopy);
  void DrawTables(std::vector<TFormCursor>& cursors);
  void DrawItems(const std::string& pageSuffix);
  void DrawItem(int32_t x, int32_t y, int32_t height, uint8_t style, const std::string& text);
  void CutLine();
  void Messages() { Printer().System().ProcessMessages(); }
  void Status(const std::string& text) {
    if (hooks_.StatusText) hooks_.StatusText(text);
  }
  TCanvas& Canvas() { return Printer().Canvas(); }

  TCompiledDocument& doc_;
  const TDocumentPrintHooks& hooks_;
  TPrintGeometry g_;
  int32_t pageCounter_ = 1;
  int32_t column_ = 0;
  int32_t pageHeight_ = 0;
  int32_t pageIndex_ = 0;
};

void TDocumentPrinter::SortForms() {
  // As the sort button, but a table sorted by one column keeps its order.
  for (const auto& form : doc_.Forms)
    if (form->SortType <= 0 && !form->Sort && form->Keys) form->View().SortRows(form->Keys.get(), false);
}

void TDocumentPrinter::StartJob(const std::string& name) {
  TPrinter& printer = Printer();
  SortForms();
  printer.Title = name;
  if (!doc_.Options.PaperName.empty())
    if (const TPageFormat* format = PageFormatsInForce().FindByName(doc_.Options.PaperName))
      ApplyPageFormat(printer, *format);
  printer.BeginDoc();
}

void TDocumentPrinter::PrintJob(const std::string& name) {
  TPrinter& printer = Printer();
  // A document without a width has no copy to place: no sheet is wasted.
  if (doc_.Options.Width <= 0) throw TPrintError{kFailOther};
  StartJob(name);
  int32_t xDpi = 0, yDpi = 0;
  printer.GetResolution(xDpi, yDpi);
  TCanvas& canvas = Canvas();
  canvas.SetFontName(DefaultFontName().empty() ? TableFontName() : DefaultFontName());
  canvas.SetFontPixelsPerInch(std::max(xDpi, yDpi));
  SetFontPoints(canvas, 8, kFontBold);
  pageHeight_ = printer.GetPageHeight();
  if (!ComputePrintGeometry(printer.GetPageWidth(), pageHeight_, xDpi, printer.GetLandscape(),
                            doc_.Options.Width, Settings().CompressedPrint, g_))
    throw TPrintError{kFailTooWide};
  Ui().EnableDocWindows(false);
  canvas.SetTextTransparent(true);
  if (hooks_.MarkPrinted) hooks_.MarkPrinted();
  pageCounter_ = 1;
  column_ = 0;
  const int32_t copies = doc_.Options.PrintCopies;
  for (int32_t copy = 1; copy <= copies; ++copy) {
    PrintCopy(copy == copies);
    CutLine();
    canvas.SetTextTransparent(true);
  }
  printer.EndDoc();
}

void TDocumentPrinter::PrintCopy(bool lastCopy) {
  const TPredefinedVars& v = doc_.Predefined;
  SetNumberVariable(v.IsFirstPage, 1);
  SetNumberVariable(v.IsLastPage, 0);
  SetNumberVariable(v.PageNumber, 1);
  SetNumberVariable(v.MultiPage, 0);
  std::vector<TFormCursor> cursors;
  for (const auto& form : doc_.Forms) {
    TDataView& view = form->View();
    TFormCursor c{form.get()};
    if (view.SelCount() > 0) {  // two rows or more
      c.Position = view.SelFirst();
      c.Last = view.SelLast();
    } else {
      c.Last = view.RowCount() - 1;
    }
    cursors.push_back(c);
  }
  pageIndex_ = 0;
  for (;;) {
    Status(" Печать страницы "_w + std::to_string(pageCounter_));
    Canvas().SetTextTransparent(true);
    DrawTables(cursors);
    const bool finished = std::all_of(cursors.begin(), cursors.end(), [](auto& c) { return c.Finished(); });
    ++pageIndex_;
    SetNumberVariable(v.PageNumber, pageIndex_);
    const bool multiPage = !finished || pageIndex_ > 1;
    if (multiPage) SetNumberVariable(v.MultiPage, 1);
    if (finished) SetNumberVariable(v.IsLastPage, 1);
    RecalcDocument(doc_, true);
    DrawItems(multiPage ? "/" + std::to_string(pageIndex_) : std::string());
    SetNumberVariable(v.IsFirstPage, 0);
    ++pageCounter_;
    CutLine();
    Canvas().SetTextTransparent(true);
    Messages();
    if (++column_ == g_.N) {
      column_ = 0;
      if (!(finished && lastCopy)) Printer().NewPage();
    }
    if (finished) return;
  }
}

void TDocumentPrinter::DrawTables(std::vector<TFormCursor>& cursors) {
  for (TFormCursor& c : cursors) {
    TFormPar& form = *c.Form;
    const int32_t top = g_.Y(form.Top);
    const int32_t bottom = g_.Y(form.Bottom);
    SetNumberVariable(form.PrintStartRow, c.Finished() ? -1 : c.Position + 1);
    TTableDraw request;
    request.X = g_.X(form.Left, column_);
    request.Y = top;
    request.Scale = g_.Zoom;
    request.FitMode = 3;
    request.AvailHeight = bottom - top;
    request.AvailWidth = g_.W;
    request.Params = form.Params;
    request.FirstRow = c.Position;
    request.LastRow = c.Last;
    const bool rowsLeft = !c.Finished();
    const TTableDrawn drawn = DrawBlankTable(Canvas(), request, form.View().Blank(), form.View());
    if (rowsLeft && !drawn.Drawn) throw TPrintError{kFailNoRowFits};
    if (drawn.Drawn) c.Position = drawn.NextRow;
    SetNumberVariable(form.PrintEndRow, c.Position);
    Messages();
  }
}

void TDocumentPrinter::DrawItem(int32_t x, int32_t y, int32_t height, uint8_t style, const std::string& text) {
  TCanvas& canvas = Canvas();
  // Character heights are truncated toward zero.
  canvas.SetFont(-static_cast<int32_t>(height * g_.S * g_.Zoom), style);
  canvas.SetFontColor(0);
  canvas.TextOut(g_.X(x, column_), g_.Y(y), text);
}

void TDocumentPrinter::DrawItems(const std::string& pageSuffix) {
  for (int32_t i = 0; i < doc_.Views.Count(); ++i) {
    const TViewCell& cell = *doc_.Views.GetItem(i);
    const ICellControl* control = cell.Control();
    if (control == nullptr || !control->Visible()) continue;
    std::string text = control->Text();
    if (cell.AutoPage) text += pageSuffix;
    DrawItem(cell.X, cell.Y, cell.FontSize, cell.Bold ? kFontBold : 0, text);
  }
  Messages();
  for (int32_t i = 0; i < doc_.Selects.Count(); ++i) {
    TSelect& select = *doc_.Selects.GetItem(i);
    if (!select.Combo().Visible()) continue;
    DrawItem(select.Place.Left, select.Place.Top, select.FontHeight, select.FontStyle, select.GetText());
  }
  Messages();
  for (int32_t i = 0; i < doc_.ListSelects.Count(); ++i) {
    TListSelect& list = *doc_.ListSelects.GetItem(i);
    if (!list.List().Visible()) continue;
    DrawItem(list.Place.Left, list.Place.Top, list.FontHeight, list.FontStyle, list.GetText());
  }
  Messages();
}

void TDocumentPrinter::CutLine() {
  if (column_ >= g_.N - 1) return;
  TCanvas& canvas = Canvas();
  const int32_t x = g_.CopyLeft(column_) + g_.W + g_.Gap / 2;
  canvas.SetPenColor(0);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(TPenStyle::Dash);
  canvas.MoveTo(x, 0);
  canvas.LineTo(x, pageHeight_);
  canvas.SetPenStyle(TPenStyle::Solid);
}

std::string FailureText(TPrintFailure code) {
  switch (code) {
    case kFailTooWide: return "Документ не умещается на листе "_w;
    case kFailNoRowFits: return "Ни один из рядов таблицы не умещается на листе "_w;
    default: return "Ошибка печати"_w;
  }
}

// The first step that says the document is not to be printed by pages
// ends the printing; true when it goes on.
bool PrintAllowed(TCompiledDocument& doc, const TDocumentPrintHooks& hooks) {
  const TPredefinedVars& v = doc.Predefined;
  SetNumberVariable(v.PrintEnable, 1);
  Run(doc.Programs.OkPress);
  Run(doc.Programs.PrintPress);
  if (IsZero(v.PrintEnable)) return false;
  if (hooks.CheckAll && !hooks.CheckAll()) return false;
  SetNumberVariable(v.DocPrint, 1);
  Run(doc.Programs.PrintDocument);
  if (IsZero(v.DocPrint)) {
    if (hooks.MarkPrinted) hooks.MarkPrinted();
    return false;
  }
  if (doc.Price.Layout != nullptr) {
    PrintDocumentPriceTags(doc);
    if (hooks.AfterPriceTags) hooks.AfterPriceTags();
    if (hooks.MarkPrinted) hooks.MarkPrinted();
    return false;
  }
  return true;
}

// The end of every way out: the page variables and print ranges as
// between jobs, and the document recalculated.
void RestoreAfterPrinting(TCompiledDocument& doc, const TDocumentPrintHooks& hooks) {
  const TPredefinedVars& v = doc.Predefined;
  SetNumberVariable(v.PrintProgress, 0);
  SetNumberVariable(v.IsFirstPage, 1);
  SetNumberVariable(v.IsLastPage, 1);
  SetNumberVariable(v.PageNumber, 1);
  SetNumberVariable(v.MultiPage, 0);
  ResetPrintRanges(doc);
  RecalcDocument(doc);
  Ui().EnableDocWindows(true);
  if (hooks.RefreshButtons) hooks.RefreshButtons();
}

}  // namespace

void PrintDocument(TCompiledDocument& doc, const std::string& name, const TDocumentPrintHooks& hooks) {
  // A program that prints (PRINTCLICK) runs again for every printed page;
  // printing from there would start a job inside the job.
  static bool printing = false;
  if (printing) return;
  printing = true;
  struct TPrintingMark {
    ~TPrintingMark() { printing = false; }
  } mark;
  if (!PrintAllowed(doc, hooks)) return;
  SetNumberVariable(doc.Predefined.PrintProgress, 1);
  TPrinter& printer = Printer();
  const int32_t index = printer.ClosestPrinter(PrinterNameInForce());
  if (index < 0) {
    SayPrinterSettingsWrong();
    RestoreAfterPrinting(doc, hooks);
    return;
  }
  std::optional<TPrintFailure> failure;
  try {
    printer.SelectForJob(index);
    TDocumentPrinter(doc, hooks).PrintJob(name);
  } catch (const TPrintError& e) {
    failure = e.Code;
  } catch (const std::exception&) {
    failure = kFailOther;
  }
  if (failure) {
    // The failure is told once the job is over.
    if (printer.Printing()) {
      try {
        printer.EndDoc();
      } catch (const std::exception&) {
      }
    }
    Ui().MsgBox(FailureText(*failure), Ui().AppTitle(), kMbError);
  }
  RestoreAfterPrinting(doc, hooks);
}

}  // namespace vm
