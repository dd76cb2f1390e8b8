// The date index "!BINDEX.DBF": one record per closed range of days with,
// for every database, the numbers of its first and last record added in it.
// It is a system base of the registry (alias "$BINDEX"), read like any other
// database; only these two routines write it.
#pragma once

#include <cstdint>
#include <functional>

#include "config/registries.h"
#include "foundation/values/values.h"

namespace vm {

// The index's position in the registry after the latest CreateDateIndex.
int32_t DateIndexPosition();

// Rebuilds the description of the index in Bases: every system base is
// removed, the index appended with "_DATE1", "_DATE2" and a pair _X1, _X2
// for every database (X: the first eight letters of its file name, upper
// case). A database whose pair of names is taken already, by another
// database or by the period's own fields, or for whose pair the table has
// no room left, is left out; one warning names them all, and the result is
// false.
bool CreateDateIndex(TUsedBaseList& bases);

// Appends the period that ends the day before `date` (the working date of a
// new day), under the database lock; true when it did. Nothing is written
// when the period is empty, during a designer test run, or when anything
// goes wrong; a database that cannot be opened is noted in "Errors.log".
// beforeAppend runs once the period is known, just before it is written;
// false from it writes nothing.
bool UpdateDateIndex(TUsedBaseList& bases, const TDateRec& date,
                     const std::function<bool()>& beforeAppend = {});

}  // namespace vm
