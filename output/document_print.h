// A document printed page by page on the program's printer: its tables
// broken over pages with their headers repeated, WORK run again for every
// page so page totals and numbers are current, the view cells, selects and
// list selects on every page, and as many copies as fit across the sheet
// side by side with dashed cut lines between them. The document window, its
// automatic printing after OK and PRINTCLICK all come here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "documents/compiled_document.h"

namespace vm {

// What printing asks of the window that shows the document. Unset hooks do
// nothing (CheckAll: everything passes).
struct TDocumentPrintHooks {
  // The row checks of every table and the document checks.
  std::function<bool()> CheckAll;
  // The document counts as printed in this showing.
  std::function<void()> MarkPrinted;
  // The status bar's text panel.
  std::function<void(const std::string&)> StatusText;
  // The window's buttons after printing.
  std::function<void()> RefreshButtons;
  // A document with a price-tag layout prints its tags instead; then its
  // first table takes the focus.
  std::function<void()> AfterPriceTags;
};

// What one print job works with, in printer pixels.
struct TPrintGeometry {
  long double S = 0;     // pixels per 0.1 mm
  long double Zoom = 1;
  int32_t W = 0;         // one copy's width
  int32_t N = 0;         // copies across the sheet
  int32_t Gap = 0;
  int32_t Shift = 0;
  int32_t Reserve = 0;   // top and bottom
  int32_t UsableHeight = 0;

  // A position of the document (0.1 mm; negative from the right or the
  // bottom) on copy column k.
  int32_t X(int32_t x, int32_t column) const;
  int32_t Y(int32_t y) const;
  int32_t CopyLeft(int32_t column) const;
};

// s, zoom, W and n from the page and the document's width; false when no
// copy fits across the page (n = 0, or no width).
bool ComputePrintGeometry(int32_t pageWidth, int32_t pageHeight, int32_t xDpi, bool landscape,
                          int32_t docWidth, bool shrinkToFit, TPrintGeometry& g);

// Prints the document named name (the job's title).
void PrintDocument(TCompiledDocument& doc, const std::string& name, const TDocumentPrintHooks& hooks);

}  // namespace vm
