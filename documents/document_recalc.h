// The recalculation of a compiled document after every change: the print
// ranges of its tables, its WORK program, then everything shown refreshed.
#pragma once

#include "documents/compiled_document.h"

namespace vm {

// The variable (none: nothing) holds the number.
void SetNumberVariable(TVariable* variable, long double value);

// Every table's PRINTSTARTROW and PRINTENDROW: 1 and its row count, or -1
// and -1 for a table without rows.
void ResetPrintRanges(TCompiledDocument& doc);

// Printing keeps the print ranges the printing set.
void RecalcDocument(TCompiledDocument& doc, bool printing = false);

}  // namespace vm
