// The descriptions the configuration holds, checked before anyone works:
// every blank compiled, every reference book bound to its database and its
// form. One warning for all the faults of a kind.
#pragma once

#include "config/registries.h"

namespace vm {

// Compiles every blank not yet compiled; a blank that fails stays
// uncompiled. False, after one warning, when any failed.
bool CheckFormDescriptions(TBlanks& blanks);

// Binds every reference book to its database and form: each shown column
// gets the index of its field in the table, or -1 when the field is missing
// or of a type the form's column cannot show. A book whose database is
// missing or cannot be read, or whose form is missing, uncompiled or of
// another column count, is hidden; one with an unusable column, a sort key
// outside its columns or two columns of one field is kept but not valid.
// Nothing is removed and no name is cleared, so a later save of the
// configuration keeps what the user wrote. False, after one warning, when
// any book is not valid.
bool CheckSpravDescriptions(TUsedBaseList& bases, TMyList& books, TBlanks& blanks);

}  // namespace vm
