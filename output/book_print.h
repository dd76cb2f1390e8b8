// A reference book printed from its window: the current record alone or
// every row, as many tables side by side as fit across the page, each
// going on where the one before it stopped, with the book's name and the
// page number at the foot of every page.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "models/sprav_form_logic.h"

namespace vm {

// Where the tables go on a page, in printer pixels.
struct TBookPrintGeometry {
  int32_t Table = 0;  // T: one table with its margin
  int32_t Inner = 0;  // T': the table itself
  int32_t PerPage = 0;
  int32_t Gap = 0;
  // A table wider than the page: one a page, shrunk to the page's width.
  bool Shrink = false;
};

// From the blank's width and line width (0.1 mm) and the page. A table
// wider than the page still gets a page of its own.
TBookPrintGeometry ComputeBookGeometry(int32_t blankWidth, int32_t lineWidth, int32_t pageWidth, int32_t xDpi);

// The choice between the current record (1) and the whole book (2); 0 to
// print nothing.
using TPrintRangeQuestion =
    std::function<int32_t(const std::string& caption, const std::string& first, const std::string& second)>;

struct TBookPrintHooks {
  TPrintRangeQuestion AskRange;
  // The window's status line.
  std::function<void(const std::string&)> StatusText;
  // The window disabled while the job runs, and enabled again.
  std::function<void(bool)> EnableWindow;
};

// Prints the tab's book on the configured printer; a failure is told.
void PrintReferenceBook(TSpravTab& tab, const TBookPrintHooks& hooks);

}  // namespace vm
