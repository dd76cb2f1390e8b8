// The built-ins over the pages of the document's reference books: their
// cells, rows and categories.
#include "language/builtins/builtins_bases.h"
#include "language/builtins/builtins_run.h"

namespace vm {

namespace {

IHelpBook* NeedBook(TBuiltinCall& c) {
  IHelpBook* book = BookArg(c, 1);
  if (book == nullptr) c.Fail(kErrBadArgType);
  return book;
}

// Argument i as a 1-based column of the view, returned 0-based; -1 with
// error 23 when outside it.
int32_t ColumnArg(TBuiltinCall& c, int i, const IDataView& view) {
  int32_t col = 0;
  if (!c.IntArg(i, col)) return -1;
  if (col < 1 || col > view.ColCount()) {
    c.Fail(kErrBadFormCol);
    return -1;
  }
  return col - 1;
}

void SetEmpty(TBuiltinCall& c, const IDataView& view, int32_t col) {
  ClearValue(c.Result);
  c.Result.Kind = NormalizeTypeChar(view.CellKind(col, 0));
}

// The typed value of a cell of the view in the given 1-based row; an empty
// view gives an empty value of the column's kind.
void ReadCell(TBuiltinCall& c, IHelpBook& book, THelpView which, int32_t row) {
  IDataView* view = book.BookView(which);
  if (view == nullptr) return c.Fail(kErrNoActiveView);
  const int32_t col = ColumnArg(c, 2, *view);
  if (col < 0) return;
  if (view->RowCount() == 0) return SetEmpty(c, *view, col);
  c.Result = book.BookCellValue(which, col, row - 1);
  c.Result.Kind = NormalizeTypeChar(c.Result.Kind);
}

void ReadCurrentCell(TBuiltinCall& c, THelpView which) {
  if (IHelpBook* book = NeedBook(c)) ReadCell(c, *book, which, book->CurrentRowNumber(which));
}

// Stores argument ValueArg into a cell of the view.
void WriteCell(TBuiltinCall& c, IHelpBook& book, THelpView which, int32_t row, int valueArg) {
  IDataView* view = book.BookView(which);
  if (view == nullptr || view->RowCount() == 0) return;
  if (row < 1 || row > view->RowCount()) return c.Fail(kErrBadFormRow);
  const int32_t col = ColumnArg(c, 2, *view);
  if (col < 0) return;
  const TCommonVar& value = c.Arg(valueArg);
  const char kind = NormalizeTypeChar(view->CellKind(col, row - 1));
  if (!TypesCompatible(kind, NormalizeTypeChar(value.Kind))) return c.Fail(kErrBadOperand);
  view->SetCellValue(col, row - 1, value);
  book.MarkModified();
}

void WriteCurrentCell(TBuiltinCall& c, THelpView which) {
  if (IHelpBook* book = NeedBook(c)) WriteCell(c, *book, which, book->CurrentRowNumber(which), 3);
}

void CountRows(TBuiltinCall& c, THelpView which) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  const IDataView* view = book->BookView(which);
  c.SetNum(view != nullptr ? view->RowCount() : 0);
}

}  // namespace

void FnHelpcurcell(TBuiltinCall& c) { ReadCurrentCell(c, THelpView::Shown); }

void FnHelphidcurcell(TBuiltinCall& c) { ReadCurrentCell(c, THelpView::Hidden); }

void FnHelpactivecell(TBuiltinCall& c) { ReadCurrentCell(c, THelpView::Active); }

void FnHelpcheckcell(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  IDataView* view = book->BookView(THelpView::Shown);
  const int32_t col = ColumnArg(c, 2, *view);
  if (col < 0) return;
  if (view->RowCount() == 0) return SetEmpty(c, *view, col);
  c.Result = book->CheckCellValue(col);
  c.Result.Kind = NormalizeTypeChar(c.Result.Kind);
}

void FnGethelpcell(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  const IDataView* view = book->BookView(THelpView::Shown);
  int32_t row = 0;
  if (!c.IntArg(3, row)) return;
  if (row < 1 || row > view->RowCount()) return c.Fail(kErrBadFormRow);
  ReadCell(c, *book, THelpView::Shown, row);
}

void FnHelphidelem(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  int32_t row = 0;
  if (book != nullptr && c.IntArg(3, row)) ReadCell(c, *book, THelpView::Hidden, row);
}

void FnStrhelpcell(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  const IDataView* view = book->BookView(THelpView::Shown);
  const int32_t col = ColumnArg(c, 2, *view);
  if (col < 0 || view->RowCount() == 0) return;
  c.SetStr(book->BookCellText(THelpView::Shown, col, book->CurrentRowNumber(THelpView::Shown) - 1));
}

void FnSethelpcurcell(TBuiltinCall& c) { WriteCurrentCell(c, THelpView::Shown); }

void FnSethelphidcell(TBuiltinCall& c) { WriteCurrentCell(c, THelpView::Hidden); }

void FnSethelphidelem(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  int32_t row = 0;
  if (book != nullptr && c.IntArg(3, row)) WriteCell(c, *book, THelpView::Hidden, row, 4);
}

void FnHelpcount(TBuiltinCall& c) { CountRows(c, THelpView::Shown); }

void FnHidhelpcount(TBuiltinCall& c) { CountRows(c, THelpView::Hidden); }

void FnFindinhelp(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  c.SetNum(-1);
  const int32_t rows = book->BookView(THelpView::Hidden)->RowCount();
  for (int32_t r = 1; r <= rows; ++r) {
    book->SetHiddenRowNumber(r);
    bool match = false;
    if (const int err = TestCondition(c, 2, match); err != 0) return c.Fail(err);
    if (match) return c.SetNum(r);
  }
}

// --- Categories -----------------------------------------------------------------

void FnCategorycount(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  const auto count = static_cast<int32_t>(book->CategoryItems().size());
  c.SetNum(book->FirstCategoryMeansAll() && count > 0 ? count - 1 : count);
}

void FnCategoryitem(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  int32_t n = 0;
  if (book == nullptr || !c.IntArg(2, n)) return;
  // With an all-categories item first, n = 1 is the first real category.
  const int32_t index = book->FirstCategoryMeansAll() ? n : n - 1;
  const std::vector<std::string>& items = book->CategoryItems();
  c.SetStr(index >= 0 && index < static_cast<int32_t>(items.size()) ? items[static_cast<std::size_t>(index)]
                                                                     : std::string());
}

void FnCurhelpcateg(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  const int32_t index = book->ChosenCategory();
  const std::vector<std::string>& items = book->CategoryItems();
  const bool all = index == 0 && book->FirstCategoryMeansAll();
  c.SetStr(index >= 0 && index < static_cast<int32_t>(items.size()) && !all ? items[static_cast<std::size_t>(index)]
                                                                            : std::string());
}

void FnCurhelpcategind(TBuiltinCall& c) {
  if (IHelpBook* book = NeedBook(c)) c.SetNum(book->ChosenCategory() + 1);
}

void FnRebuildcateg(TBuiltinCall& c) {
  IHelpBook* book = NeedBook(c);
  if (book == nullptr) return;
  book->RebuildCategories();
  book->ApplyCategory();
}

void FnRefreshcategs(TBuiltinCall& c) {
  if (IHelpBook* book = NeedBook(c)) book->ApplyCategory();
}

}  // namespace vm
