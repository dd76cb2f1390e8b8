// Before anyone works, every database file is brought in line with its
// description: created when missing, rebuilt when its fields differ. Each is
// noted in "Errors.log".
#pragma once

#include <cstdint>
#include <string>

#include "config/registries.h"
#include "foundation/tables/dbf.h"

namespace vm {

// The structure a database's description demands: "NO__" and then every
// described field, in a table without a file.
void MakeTemplate(const TDbaseStructure& base, TDBF& templ);

// Checks every database of the registry. With local databases each is
// compared with its description, created or rebuilt, and its size added to
// totalSize; on another machine each is only opened and closed. False when a
// database is busy or damaged or could not be rebuilt: the user has been
// told, and the start-up ends there, before anything else is written.
bool CheckBases(TUsedBaseList& bases, bool localBases, int64_t& totalSize);

// Rebuilds a closed database with the template's structure: deleted records
// dropped, fields carried over by name, record numbers 1, 2, 3 ... A field
// of the same kind and size keeps its bytes; one of another kind or size
// takes each value by the rule of its kind (FieldTextOf), a number by its
// digits, rounded to fewer decimals. The new table is written beside the
// old one and swapped in through the commit journal, so any failure, a
// crash included, leaves the old table as it was; the reason is then in
// `failure`. Values the new field cannot hold (left blank) or holds in part
// (a text cut, a number rounded) are named in "Errors.log" by field, count
// and first records, and the old table is kept as "<file>.old"
// ("<file>.old2", ...).
bool RestructureBase(const TDBF& templ, TDbaseStructure& base, std::string& failure);

}  // namespace vm
