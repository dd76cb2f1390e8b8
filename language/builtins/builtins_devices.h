// The built-ins over spreadsheet reports, barcodes, the scanner and the
// printers. The routines follow the shape of builtins.h.
#pragma once

#include <string>
#include <string_view>

#include "language/builtins.h"

namespace vm {

// Spreadsheet reports.
void FnAddexcelreport(TBuiltinCall& call);
void FnOpenexcelreport(TBuiltinCall& call);
void FnSavereport(TBuiltinCall& call);
void FnClosereport(TBuiltinCall& call);
void FnCloseallreports(TBuiltinCall& call);
void FnExcelvis(TBuiltinCall& call);
void FnGetexcelcell(TBuiltinCall& call);
void FnSetexcelcell(TBuiltinCall& call);
void FnSetexcelcelln(TBuiltinCall& call);
void FnFindexcelcell(TBuiltinCall& call);
void FnCopyexcelrow(TBuiltinCall& call);
void FnCopyexcelrows(TBuiltinCall& call);
void FnCopyexcelcell(TBuiltinCall& call);
void FnExcelcopysheet(TBuiltinCall& call);
void FnReplacewords(TBuiltinCall& call);
void FnPrintdoc(TBuiltinCall& call);

// A text that reads as a decimal number with one '.' gets the ',' the
// spreadsheet's Russian locale expects; any other text stays as it is.
std::string CellNumberText(std::string_view s);

// Barcodes.
void FnChecksumstring(TBuiltinCall& call);
void FnCheckbarstring(TBuiltinCall& call);
void FnInterleaved25(TBuiltinCall& call);
void FnCode39(TBuiltinCall& call);

// The scanner and the printers.
void FnOpenbarscaner(TBuiltinCall& call);
void FnPrintername(TBuiltinCall& call);

}  // namespace vm
