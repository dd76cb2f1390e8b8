// Price tags printed as labels, many to a sheet: a queue of private tag
// copies with their copy counts, laid out row by row on a grid of equal
// cells with dashed cut lines, on the program's printer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/page_format.h"
#include "config/price_tags.h"
#include "foundation/draw/canvas.h"

namespace vm {

struct TPrintCenEntry {
  std::unique_ptr<TCennik> Tag;
  int32_t Copies = 0;
};

class TPrintCenList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TPrintCenEntry& GetItem(int32_t index) const { return *items_[static_cast<std::size_t>(index)]; }
  void Clear() { items_.clear(); }
  TPrintCenEntry& Append() { return *items_.emplace_back(std::make_unique<TPrintCenEntry>()); }

 private:
  std::vector<std::unique_ptr<TPrintCenEntry>> items_;
};

// The program's queue.
TPrintCenList& PrintCenList();

// Queues a copy of tag that shares the pictures tag has loaded.
TPrintCenEntry& AddPrintCen(TPrintCenList& queue, const TCennik& tag, int32_t copies);
// The labels the queue prints, an entry of no copies counting once.
int64_t TotalPrintCount(const TPrintCenList& queue);

// Prints the queue on the configured printer, with the page format (if
// any) applied; true when every label was placed. No
// printer, a label larger than the page and failures answer false, the
// first two before anything is printed and told to the user (a printer
// that cannot be opened as wrong printer settings).
bool PrintLabels(TPrintCenList& queue, const TPageFormat* format = nullptr);

// Draws one page of labels from queue position (entry, copy) on and moves
// both past what it placed; false, with the pen restored, when drawing
// failed.
bool LayoutLabelPage(TPrintCenList& queue, TCanvas& canvas, int32_t cols, int32_t rows, int32_t pageWidth,
                     int32_t pageHeight, long double zoom, int32_t& entry, int32_t& copy);

// The grid of tag on a page of the given printable size at dpi.
void CountLabelCells(const TCennik& tag, int32_t dpi, int32_t pageWidth, int32_t pageHeight, int32_t& cols,
                     int32_t& rows);

// Chooses the printer and the orientation that holds more labels of tag
// (portrait on a tie) for a full test page; false, and the user told,
// when none fits or no printer is there. page, when given, receives the
// chosen settings as the format to hand to PrintLabels: a job starts from
// the printer's own settings otherwise.
bool SetupLabelPage(const TCennik& tag, int32_t& cols, int32_t& rows, TPageFormat* page = nullptr);

void ShowLabelTooBig();

// The preview of the queue; true when the user chose to print. The windows
// install it; without them the queue prints as it is.
using TLabelPreview = std::function<bool(TPrintCenList& queue)>;
void InstallLabelPreview(TLabelPreview preview);
bool ShowLabelPreview(TPrintCenList& queue);

}  // namespace vm
