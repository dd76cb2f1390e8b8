// The built-ins over the form of a document: the cells, rows and searches
// of its tables, and its selects, field lists and list selects. The
// routines follow the shape of builtins.h; the helpers below are the
// argument checks they share.
#pragma once

#include <cstdint>

#include "language/builtins.h"
#include "language/form_objects.h"

namespace vm {

// The evaluation errors these built-ins raise (texts in evaluator.cpp).
enum : int {
  kFormErrParamType = 16,
  kFormErrRow = 21,
  kFormErrOperandType = 22,
  kFormErrColumn = 23,
  kFormErrConditionType = 24,
  kFormErrTypesDiffer = 26,
  kFormErrParamCount = 30,
  kFormErrBadCall = 31,
  kFormErrKeyCounts = 32,
  kFormErrTooManyKeys = 34,
  kFormErrHeader = 36,
  kFormErrKeyParams = 39,
};

// The run-time object argument i names; nullptr when it names none.
TRuntimeObject* ArgObject(const TBuiltinCall& call, int i);

// The object of argument i as the interface a built-in needs; nullptr, with
// error 16 set, when it is something else.
template <class T>
T* ObjectArg(TBuiltinCall& call, int i) {
  T* object = dynamic_cast<T*>(ArgObject(call, i));
  if (object == nullptr) call.Fail(kFormErrParamType);
  return object;
}

// A 1-based number as a 0-based index below count; false when it is not
// one of 1..count.
bool IndexIn(long double number, int32_t count, int32_t& index);
// Argument i as a 0-based column of the view; false, with error 23 set,
// outside 1..ColCount.
bool ColumnArg(TBuiltinCall& call, int i, const IDataView& view, int32_t& col);
// A 1-based row as a 0-based one; false, with error 21 set, outside the rows.
bool RowIn(TBuiltinCall& call, long double number, const IDataView& view, int32_t& row);

// The table's CURRENTROW (1-based), rounded; 0 when it has none.
long double CurrentRowNumber(IFormTable& table);
void SetCurrentRow(IFormTable& table, long double row);

// Evaluates the condition argument i for the row CURRENTROW names: false,
// with the error set, when it fails or gives no number.
bool RowMatches(TBuiltinCall& call, int i, bool& match);

// Whether two key values are equal: same type letter (else error 26);
// texts exactly, dates and times field by field, numbers within the
// tolerance; values of other kinds never are. False when the error is set.
bool KeyValuesEqual(TBuiltinCall& call, const TCommonVar& a, const TCommonVar& b, bool& equal);

// Cells.
void FnCell(TBuiltinCall& call);
void FnCurcell(TBuiltinCall& call);
void FnNumcell(TBuiltinCall& call);
void FnStringcell(TBuiltinCall& call);
void FnSetcell(TBuiltinCall& call);
void FnSetcurcell(TBuiltinCall& call);
void FnSetstrcell(TBuiltinCall& call);
void FnSetstringcell(TBuiltinCall& call);

// Rows, columns and the header.
void FnRowcount(TBuiltinCall& call);
void FnAddrow(TBuiltinCall& call);
void FnDeleterow(TBuiltinCall& call);
void FnSetcurrow(TBuiltinCall& call);
void FnTablepos(TBuiltinCall& call);
void FnSumtable(TBuiltinCall& call);
void FnRecalctable(TBuiltinCall& call);
void FnSorttable(TBuiltinCall& call);
void FnSorttablebycol(TBuiltinCall& call);
void FnViscolcount(TBuiltinCall& call);
void FnTotcolcount(TBuiltinCall& call);
void FnHeadname(TBuiltinCall& call);
void FnSetformheader(TBuiltinCall& call);

// Searches.
void FnFindrow(TBuiltinCall& call);
void FnFindendrow(TBuiltinCall& call);
void FnFindrowsel(TBuiltinCall& call);
void FnCleartablecond(TBuiltinCall& call);
void FnFindfastrow(TBuiltinCall& call);
void FnFindrowbykey(TBuiltinCall& call);
void FnCheckaddrowsort(TBuiltinCall& call);

// Selects, field lists and list selects.
void FnAdditem(TBuiltinCall& call);
void FnAdduniqitem(TBuiltinCall& call);
void FnInsuniqitem(TBuiltinCall& call);
void FnClearselect(TBuiltinCall& call);
void FnSelectval(TBuiltinCall& call);
void FnSelectind(TBuiltinCall& call);
void FnSelectitem(TBuiltinCall& call);
void FnSelectitems(TBuiltinCall& call);
void FnSelitemscount(TBuiltinCall& call);
void FnUpdatesel(TBuiltinCall& call);
void FnSetselectsort(TBuiltinCall& call);
void FnAddlistitem(TBuiltinCall& call);
void FnAddlistuniq(TBuiltinCall& call);
void FnClearlist(TBuiltinCall& call);
void FnLadduniqitem(TBuiltinCall& call);
void FnLselectval(TBuiltinCall& call);

}  // namespace vm
