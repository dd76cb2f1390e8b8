// What the two reference-book windows share about a book's table: the
// status line of its current row and which typed characters start a search.
#pragma once

#include <string>

#include "platform/encoding.h"
#include "models/data_view.h"

namespace vm {

// "Запись n из m".
inline std::string RecordStatusText(const TDataView& view) {
  return "Запись "_w + std::to_string(view.CurRow() + 1) + " из "_w + std::to_string(view.RowCount());
}

// Backspace, Enter and Escape keep their own meaning in the table.
inline bool StartsSearch(char c) { return c != '\b' && c != '\r' && c != 27; }

}  // namespace vm
