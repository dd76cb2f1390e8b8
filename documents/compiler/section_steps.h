// More steps that several element sections take: a database or a table of
// the document found by name, a bracketed list of items, an integer. Each
// raises its compile error.
#pragma once

#include <string>
#include <string_view>

#include "documents/compiled_document.h"
#include "documents/compiler/section_values.h"
#include "foundation/text/strutils.h"

namespace vm {

// Bound by USEDBASES or made by SOFTBASES; error 26 otherwise.
TUBL& DocumentBase(TCompiledDocument& doc, std::string_view alias);
// A table of FORMS; error 62 otherwise.
TFormPar& DocumentTable(TCompiledDocument& doc, std::string_view name);
// The inside of "[...]" of at least minLength characters, trimmed, case
// kept; errCode otherwise.
std::string InsideBracketsOf(std::string_view value, std::size_t minLength, int errCode);
// "[[a, b], [c, d]]": the items, each cut into its parts; badList when the
// list or an item is not in brackets, badCount when an item does not have
// exactly parts parts.
std::vector<StringList> BracketedItems(std::string_view value, std::size_t parts, int badList, int badCount);
// An integer; error 8 otherwise.
int32_t IntValue(std::string_view value);

}  // namespace vm
