// The built-ins that read the row a blank is formatting: the conditions of
// conditional cell formats name the cells of that row by column.
#include "config/blanks.h"
#include "foundation/values/value_text.h"
#include "language/builtins.h"

namespace vm {

namespace {

enum { kErrBadColumn = 23 };

// The text of column Arg(1) in the row being formatted; false when the
// call has failed. Without a row being formatted the text is empty.
bool RowCellText(TBuiltinCall& call, std::string& text) {
  text.clear();
  int32_t col = 0;
  if (!call.IntArg(1, col)) return false;
  const TCurrentRow& current = CurrentRowContext();
  if (!current.View) return true;
  if (col < 1 || col > current.View->ColCount()) {
    call.Fail(kErrBadColumn);
    return false;
  }
  if (current.View->RowCount() > 0) text = current.View->CellText(col, current.Row);
  return true;
}

}  // namespace

void FnCurcol(TBuiltinCall& call) {
  std::string text;
  if (RowCellText(call, text)) call.SetStr(std::move(text));
}

void FnFirstchar(TBuiltinCall& call) {
  std::string text;
  if (RowCellText(call, text)) call.SetStr(text.substr(0, 1));
}

void FnNumcol(TBuiltinCall& call) {
  std::string text;
  if (!RowCellText(call, text)) return;
  TCommonVar v;
  TextToValue(text, 'N', v);
  call.SetNum(v.Num);
}

}  // namespace vm
