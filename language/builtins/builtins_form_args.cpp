// The argument checks that the built-ins over tables, selects and lists
// share, and the row condition and key comparison of the table searches.
#include <cmath>
#include <cstdint>

#include "foundation/values/value_text.h"
#include "language/builtins/builtins_forms.h"
#include "language/evaluator.h"

namespace vm {

TRuntimeObject* ArgObject(const TBuiltinCall& call, int i) {
  // An object named in parentheses is a group of one operand.
  const TExprChain* chain = &call.ArgNode(i).Child;
  while (chain->size() == 1) {
    const TOperand& node = chain->front();
    if (node.Object != nullptr) return node.Object;
    if (!node.IsGroup()) break;
    chain = &node.Child;
  }
  return nullptr;
}

bool IndexIn(long double number, int32_t count, int32_t& index) {
  const long double r = std::rint(number);
  if (!(r >= 1 && r <= count)) return false;
  index = static_cast<int32_t>(r) - 1;
  return true;
}

bool ColumnArg(TBuiltinCall& call, int i, const IDataView& view, int32_t& col) {
  if (IndexIn(call.Num(i), view.ColCount(), col)) return true;
  call.Fail(kFormErrColumn);
  return false;
}

bool RowIn(TBuiltinCall& call, long double number, const IDataView& view, int32_t& row) {
  if (IndexIn(number, view.RowCount(), row)) return true;
  call.Fail(kFormErrRow);
  return false;
}

long double CurrentRowNumber(IFormTable& table) {
  const TVariable* v = table.CurrentRowVar();
  return v != nullptr ? std::rint(v->Value.Num) : 0;
}

void SetCurrentRow(IFormTable& table, long double row) {
  if (TVariable* v = table.CurrentRowVar()) {
    ClearValue(v->Value);
    v->Value.Kind = 'N';
    v->Value.Num = row;
  }
}

bool RowMatches(TBuiltinCall& call, int i, bool& match) {
  int err = 0;
  TCommonVar v;
  EvalExpr(call.Call.Child[static_cast<std::size_t>(i - 1)].Child, err, v);
  if (err == 0 && v.Kind != 'N') err = kFormErrConditionType;
  if (err != 0) {
    call.Fail(err);
    return false;
  }
  match = std::fabs(v.Num) > kNumTolerance;
  return true;
}

bool KeyValuesEqual(TBuiltinCall& call, const TCommonVar& a, const TCommonVar& b, bool& equal) {
  if (a.Kind != b.Kind) {
    call.Fail(kFormErrTypesDiffer);
    return false;
  }
  switch (a.Kind) {
    case 'C': equal = a.Str == b.Str; break;
    case 'D': equal = a.Date == b.Date; break;
    case 'T': equal = a.Time == b.Time; break;
    case 'N': equal = std::fabs(a.Num - b.Num) < kNumTolerance; break;
    default: equal = false; break;
  }
  return true;
}

}  // namespace vm
