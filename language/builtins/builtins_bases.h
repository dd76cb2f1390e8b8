// The built-ins over the document's databases, reference books and HTML
// templates, and the shared steps they are made of. The routines follow the
// shape of builtins.h.
#pragma once

#include "language/bound_tables.h"
#include "language/builtin_objects.h"
#include "language/builtins.h"

namespace vm {

enum {
  kErrBadArgType = 16,
  kErrBadFormRow = 21,
  kErrBadOperand = 22,
  kErrBadFormCol = 23,
  kErrCondType = 24,
  kErrBadRecordNo = 25,
  kErrTypesDiffer = 26,
  kErrBadMapText = 27,
  kErrNoSuchField = 28,
  kErrFieldSizes = 29,
  kErrKeyColCount = 32,
  kErrTooManyKeys = 34,
  kErrKeyFieldCount = 35,
  kErrKeyArgCount = 40,
  kErrKeyTypes = 41,
  kErrNoActiveView = 42,
};

inline constexpr int kMaxKeys = 32;
inline constexpr int kMaxMapPairs = 255;

// The object argument i names; nullptr when it names none of that kind.
TUBL* BaseArg(const TBuiltinCall& c, int i);
// The base argument i names; nullptr, error 16 set, when none.
TUBL* NeedBase(TBuiltinCall& c, int i);
IHelpBook* BookArg(const TBuiltinCall& c, int i);
TRuntimeObject* ObjectArg(const TBuiltinCall& c, int i);

// Evaluates the condition argument i: 0 and Match, or the error (24 when
// the value is not a number).
int TestCondition(TBuiltinCall& c, int i, bool& match);

// One pair of a map text ("A = B"), split at its first "=", both names
// trimmed and upper-cased; false when there is no "=".
bool SplitMapPair(const std::string& item, std::string& left, std::string& right);

// Databases: loading and the current row.
void FnLoadbase(TBuiltinCall& c);
void FnLoadlast(TBuiltinCall& c);
void FnLoadrange(TBuiltinCall& c);
void FnLoadfirstfrom(TBuiltinCall& c);
void FnLoadwhile(TBuiltinCall& c);
void FnClearbase(TBuiltinCall& c);
void FnResetrecords(TBuiltinCall& c);
void FnAddrecord(TBuiltinCall& c);
void FnSetrecordnum(TBuiltinCall& c);
void FnReccount(TBuiltinCall& c);
void FnAbsreccount(TBuiltinCall& c);
void FnAbsno(TBuiltinCall& c);
void FnRecno(TBuiltinCall& c);
void FnCurrecord(TBuiltinCall& c);
void FnCopyrec(TBuiltinCall& c);
void FnMarkrecord(TBuiltinCall& c);
void FnFieldindex(TBuiltinCall& c);
// Searching, summing and deleting by condition.
void FnFindinbase(TBuiltinCall& c);
void FnFindinbaseend(TBuiltinCall& c);
void FnFindinbasenext(TBuiltinCall& c);
void FnClearbasecond(TBuiltinCall& c);
void FnSumbase(TBuiltinCall& c);
// Keys, sorting and duplicates.
void FnFindrecbykey(TBuiltinCall& c);
void FnFindrecsort(TBuiltinCall& c);
void FnCheckaddrecsort(TBuiltinCall& c);
void FnSortbase(TBuiltinCall& c);
void FnSortbasebykey(TBuiltinCall& c);
void FnCleardup(TBuiltinCall& c);
void FnCleardupend(TBuiltinCall& c);
void FnCleardupsort(TBuiltinCall& c);
// Copying and merging.
void FnAddbase(TBuiltinCall& c);
void FnAddbasekey(TBuiltinCall& c);
void FnAddbasekeycond(TBuiltinCall& c);
void FnFillhelpfrombase(TBuiltinCall& c);
// Saving and files.
void FnSavebase(TBuiltinCall& c);
void FnBasetofile(TBuiltinCall& c);
void FnBasefromfile(TBuiltinCall& c);
// Reference books.
void FnHelpcurcell(TBuiltinCall& c);
void FnHelphidcurcell(TBuiltinCall& c);
void FnHelpactivecell(TBuiltinCall& c);
void FnHelpcheckcell(TBuiltinCall& c);
void FnGethelpcell(TBuiltinCall& c);
void FnHelphidelem(TBuiltinCall& c);
void FnStrhelpcell(TBuiltinCall& c);
void FnSethelpcurcell(TBuiltinCall& c);
void FnSethelphidcell(TBuiltinCall& c);
void FnSethelphidelem(TBuiltinCall& c);
void FnHelpcount(TBuiltinCall& c);
void FnHidhelpcount(TBuiltinCall& c);
void FnFindinhelp(TBuiltinCall& c);
void FnCategorycount(TBuiltinCall& c);
void FnCategoryitem(TBuiltinCall& c);
void FnCurhelpcateg(TBuiltinCall& c);
void FnCurhelpcategind(TBuiltinCall& c);
void FnRebuildcateg(TBuiltinCall& c);
void FnRefreshcategs(TBuiltinCall& c);
// HTML templates.
void FnProcesshtml(TBuiltinCall& c);

}  // namespace vm
