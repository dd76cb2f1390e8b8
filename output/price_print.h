// The price tags of a document with a price-tag layout: one tag for each
// row of its first table, its zones showing the document's values for that
// row, as many copies as the row's copies column says, shown in the
// preview and printed as labels.
#pragma once

#include "documents/compiled_document.h"

namespace vm {

void PrintDocumentPriceTags(TCompiledDocument& doc);

}  // namespace vm
