// In-memory tables copied into DBF files of their own and back: what the
// document language's BASETOFILE and BASEFROMFILE do.
#pragma once

#include <string>

#include "foundation/tables/string_base.h"

namespace vm {

// A new code page 866 table with the fields of the table's own file, one
// record per row in row order, rows marked deleted as deleted records. An
// existing file of that name is replaced only when the new one is whole.
TSaveResult WriteBaseToFile(const TStringBase& table, const std::string& fileName);

// Appends a row for every live record of the file, filling the fields of
// the same name; the others stay blank. False, with the table as it was,
// when the file cannot be read or holds a value that a field of the table
// does not take (FieldTextOf).
bool ReadBaseFromFile(TStringBase& table, const std::string& fileName);

}  // namespace vm
