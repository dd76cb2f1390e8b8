// What a FORMS line binds the table to beyond itself: its
// look-up page with the hint lines, its links to databases and the field
// lists of its columns. Each raises the compile error of what it reads.
#pragma once

#include <string>
#include <string_view>

#include "documents/compiled_document.h"
#include "documents/compiler/element_line.h"

namespace vm {

// A value in square brackets: the inside trimmed, case kept; errCode when
// the brackets are missing.
std::string InsideBrackets(std::string_view value, int errCode);
// The whole value as an integer, at least min; errCode otherwise.
int32_t IntParam(const TElementParam& p, int32_t min, int errCode);

// HELP: binds the table's columns to the page's fields or columns.
THelpItem& BindLookupPage(TCompiledDocument& doc, TFormPar& form, const TElementParam& help);
// A page of expressions adds no rows, and the key columns of table and
// page must agree.
void CheckLookupPage(const TFormPar& form, const THelpItem& page);
// A page that sorts its own rows and adds to them has no filter, nor has
// its database.
void CheckExclusivePage(const TFormPar& form, const THelpItem& page);
// HINT or HINTHELP (one required with a page).
void ReadHints(TFormPar& form, const THelpItem& page, const TElementLine& line);

// LINK: the table's links to databases of the document.
void ReadLinks(TCompiledDocument& doc, TFormPar& form, const TElementParam& link);
// LISTS: the field lists of the table's columns.
void ReadColumnLists(TCompiledDocument& doc, TFormPar& form, const TElementParam& lists);

}  // namespace vm
