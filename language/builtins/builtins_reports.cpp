#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "foundation/text/strutils.h"
#include "language/builtins/builtins_devices.h"
#include "language/builtins/builtins_run.h"
#include "language/expr_context.h"
#include "platform/report_list.h"
#include "platform/encoding.h"
#include "platform/services.h"
#include "platform/spreadsheet.h"

namespace vm {

namespace {

enum {
  kErrNoSpreadsheet = 43,
  kErrBadReport = 44,
  kErrCellTypes = 45,
};

bool StartSpreadsheet(TBuiltinCall& c) {
  if (Spreadsheet().Start()) return true;
  c.Fail(kErrNoSpreadsheet);
  return false;
}

// The report named by argument i, once the application runs; nullptr with
// the error set otherwise.
IWorkbook* ReportArg(TBuiltinCall& c, int i, int32_t& number) {
  if (!StartSpreadsheet(c)) return nullptr;
  const long double r = std::rint(c.Num(i));
  IWorkbook* book = nullptr;
  if (r >= -2147483648.0L && r <= 2147483647.0L) {
    number = static_cast<int32_t>(r);
    book = Reports().Find(number);
  }
  if (book == nullptr) c.Fail(kErrBadReport);
  return book;
}

IWorkbook* ReportArg(TBuiltinCall& c, int i) {
  int32_t number = 0;
  return ReportArg(c, i, number);
}

// A worksheet: the report of argument 1 and the sheet number of argument 2.
struct TSheet {
  IWorkbook* Book = nullptr;
  int32_t Number = 0;
};

bool SheetArgs(TBuiltinCall& c, TSheet& sheet) {
  sheet.Book = ReportArg(c, 1);
  return sheet.Book != nullptr && c.IntArg(2, sheet.Number);
}

// The cell of arguments 3 and 4: two numbers, or two texts joined into
// one address.
struct TCellAddress {
  bool ByText = false;
  int32_t Row = 0;
  int32_t Column = 0;
  std::string Range;
};

bool CellArgs(TBuiltinCall& c, TCellAddress& cell) {
  const char kind = c.Arg(3).Kind;
  if (kind != c.Arg(4).Kind || (kind != 'C' && kind != 'N')) {
    c.Fail(kErrCellTypes);
    return false;
  }
  cell.ByText = kind == 'C';
  if (cell.ByText) {
    cell.Range = c.Str(3) + c.Str(4);
    return true;
  }
  return c.IntArg(3, cell.Row) && c.IntArg(4, cell.Column);
}

// The report, the sheet and the cell, checked in that order.
bool SheetCellArgs(TBuiltinCall& c, TSheet& sheet, TCellAddress& cell) {
  sheet.Book = ReportArg(c, 1);
  return sheet.Book != nullptr && CellArgs(c, cell) && c.IntArg(2, sheet.Number);
}

// Arguments first..last rounded.
template <std::size_t N>
bool IntArgs(TBuiltinCall& c, int first, std::array<int32_t, N>& values) {
  for (std::size_t k = 0; k < N; ++k)
    if (!c.IntArg(first + static_cast<int>(k), values[k])) return false;
  return true;
}

TVariable& VariableArg(TBuiltinCall& c, int i) { return *c.ArgNode(i).Child.front().Var; }

void FailOn(TBuiltinCall& c, const TSheetStatus& status) {
  if (!status.Ok) c.FailWith(status.Text);
}

}  // namespace

std::string CellNumberText(std::string_view s) {
  std::string text(s);
  if (CharCount('.', text) == 1 && IsValidNumStr(text, 30, 15)) text[text.find('.')] = ',';
  return text;
}

void FnAddexcelreport(TBuiltinCall& c) {
  if (!StartSpreadsheet(c)) return;
  std::string error;
  std::unique_ptr<IWorkbook> book = Spreadsheet().CreateReport(c.Str(1), c.Str(2), error);
  if (!book) return c.FailWith(error);
  c.SetNum(Reports().AddNew(std::move(book), c.Str(2)));
}

void FnOpenexcelreport(TBuiltinCall& c) {
  if (!StartSpreadsheet(c)) return;
  std::string error;
  std::unique_ptr<IWorkbook> book = Spreadsheet().OpenReport(c.Str(1), error);
  if (!book) return c.FailWith(error);
  c.SetNum(Reports().AddNew(std::move(book), c.Str(1)));
}

// A report that could not be saved is a run error with the application's
// words, and its file is named in "Errors.log": the document would
// otherwise go on as if the report were written.
static void FailOnSave(TBuiltinCall& c, int32_t number, const TSheetStatus& status) {
  if (status.Ok) return;
  Ui().LogError("Отчет не сохранен в файл "_w + Reports().FileOf(number) + ": " + status.Text);
  c.FailWith(status.Text);
}

void FnSavereport(TBuiltinCall& c) {
  int32_t number = 0;
  if (IWorkbook* book = ReportArg(c, 1, number)) FailOnSave(c, number, book->Save());
}

void FnClosereport(TBuiltinCall& c) {
  int32_t number = 0;
  IWorkbook* book = ReportArg(c, 1, number);
  if (book == nullptr) return;
  FailOnSave(c, number, book->Close(ArgIsTrue(c, 2)));
  Reports().Remove(number);
}

void FnCloseallreports(TBuiltinCall& c) {
  if (StartSpreadsheet(c)) CloseAllReports(ArgIsTrue(c, 1));
}

void FnExcelvis(TBuiltinCall& c) {
  if (StartSpreadsheet(c)) Spreadsheet().SetVisible(ArgIsTrue(c, 1));
}

void FnGetexcelcell(TBuiltinCall& c) {
  TSheet sheet;
  TCellAddress cell;
  if (!SheetCellArgs(c, sheet, cell)) return;
  c.SetStr(cell.ByText ? sheet.Book->GetRange(sheet.Number, cell.Range)
                       : sheet.Book->GetCell(sheet.Number, cell.Row, cell.Column));
}

void FnSetexcelcell(TBuiltinCall& c) {
  TSheet sheet;
  TCellAddress cell;
  if (!SheetCellArgs(c, sheet, cell)) return;
  const std::string text = CellNumberText(c.Str(5));
  if (cell.ByText) {
    sheet.Book->SetRange(sheet.Number, cell.Range, text);
  } else {
    sheet.Book->SetCell(sheet.Number, cell.Row, cell.Column, text);
  }
}

void FnSetexcelcelln(TBuiltinCall& c) {
  TSheet sheet;
  TCellAddress cell;
  if (!SheetCellArgs(c, sheet, cell)) return;
  const double value = static_cast<double>(c.Num(5));
  if (cell.ByText) {
    sheet.Book->SetRangeNum(sheet.Number, cell.Range, value);
  } else {
    sheet.Book->SetCellNum(sheet.Number, cell.Row, cell.Column, value);
  }
}

void FnFindexcelcell(TBuiltinCall& c) {
  TSheet sheet;
  if (!SheetArgs(c, sheet)) return;
  int32_t row = 0;
  int32_t column = 0;
  const bool found = sheet.Book->FindCell(sheet.Number, c.Str(3), row, column);
  VariableArg(c, 4).Value.Num = found ? row : 0;
  VariableArg(c, 5).Value.Num = found ? column : 0;
  c.SetNum(found ? 1 : 0);
}

void FnCopyexcelrow(TBuiltinCall& c) {
  TSheet sheet;
  std::array<int32_t, 3> p{};
  if (SheetArgs(c, sheet) && IntArgs(c, 3, p)) sheet.Book->CopyRow(sheet.Number, p[0], p[1], p[2]);
}

void FnCopyexcelrows(TBuiltinCall& c) {
  TSheet sheet;
  std::array<int32_t, 4> p{};
  if (SheetArgs(c, sheet) && IntArgs(c, 3, p)) sheet.Book->CopyRows(sheet.Number, p[0], p[1], p[2], p[3]);
}

void FnCopyexcelcell(TBuiltinCall& c) {
  TSheet sheet;
  std::array<int32_t, 4> p{};
  if (SheetArgs(c, sheet) && IntArgs(c, 3, p))
    FailOn(c, sheet.Book->CopyCell(sheet.Number, p[0], p[1], p[2], p[3]));
}

void FnExcelcopysheet(TBuiltinCall& c) {
  TSheet sheet;
  int32_t count = 0;
  if (SheetArgs(c, sheet) && c.IntArg(3, count) && count > 0) sheet.Book->CopySheet(sheet.Number, count);
}

void FnReplacewords(TBuiltinCall& c) {
  TSheet sheet;
  if (SheetArgs(c, sheet))
    sheet.Book->ReplaceWords(sheet.Number, c.Str(3), CellNumberText(c.Str(4)), ArgIsTrue(c, 5));
}

void FnPrintdoc(TBuiltinCall& c) {
  TSheet sheet;
  int32_t copies = 0;
  if (SheetArgs(c, sheet) && c.IntArg(4, copies)) FailOn(c, sheet.Book->Print(sheet.Number, c.Str(3), copies));
}

}  // namespace vm
