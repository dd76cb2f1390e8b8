// What a field of each kind takes of a value brought in from beyond the
// program's own writers: a table file read into a document's table, an
// archived period restored into tables whose fields may have changed since,
// and a table rebuilt at the start because its description changed.
// The readers of dates, logical values and numbers take any other text for
// a value it never was (the zero date, false, 0), and a number cut or
// rounded to another is no longer the one its movements add up to, so
// such a value is refused rather than stored.
#pragma once

#include <string>
#include <string_view>

#include "foundation/tables/dbf.h"

namespace vm {

enum class TIntake {
  // A restored archive: a date keeps its eight digits as they stand, and a
  // number goes in digit for digit or not at all.
  Archived,
  // BASEFROMFILE: a date must be a real one, and a date as the documents
  // write one ("1.02.2026") is taken as that date; a number with more
  // decimals than the field is rounded as typed numbers are, unless it has
  // more digits than the 80-bit numbers hold.
  TableFile,
  // A field rebuilt with another kind or size: as TableFile, but a date of
  // any year is a real one, so that the table's own old dates stay.
  Rebuilt,
};

// The text the field stores for a value, blanks around it aside: for a
// date field a blank or eight digits, for a logical one a blank or one of
// T, F, Y, N, ? in either case, for a number field a blank, "???" of an
// unknown link, a '*' fill of a number that did not fit, or a number that
// fits it (FitDecimalNumber). False when the field takes none of these.
// A field of any other kind takes the text without its trailing blanks,
// however long: whether it may be cut is the caller's.
bool FieldTextOf(const TFieldRecord& field, std::string_view value, TIntake intake, std::string& stored);

}  // namespace vm
