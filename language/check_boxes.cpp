#include "language/check_boxes.h"

#include <algorithm>
#include <string>

#include "foundation/text/strutils.h"
#include "platform/services.h"

namespace vm {

bool ShowCheckBoxes(std::string_view caption, std::string_view items, uint32_t mask,
                    int columns, uint32_t& result) {
  result = 0;
  StringList list = SplitTopLevel(items, '|');
  if (list.empty()) return false;
  if (list.size() > kMaxCheckBoxes) list.resize(kMaxCheckBoxes);
  const bool busy = SuspendBusy();
  const bool ok = Ui().CheckBoxes(std::string(caption), list, mask, std::max(columns, 1), result);
  SetBusy(busy);
  if (!ok) result = 0;
  return ok;
}

TCheckBoxLayout LayOutCheckBoxes(int count, int columns, int boxWidth, int rowHeight,
                                 int buttonWidth, int buttonHeight) {
  TCheckBoxLayout layout;
  columns = std::max(columns, 1);
  if (rowHeight < 1) rowHeight = 20;
  layout.RowsPerColumn = (count + columns - 1) / columns;
  layout.ClientWidth = std::max(boxWidth * columns + (columns + 1) * 10, 2 * buttonWidth + 30);
  layout.ClientHeight = rowHeight * layout.RowsPerColumn + 12 + buttonHeight;
  for (int i = 0; i < count; ++i) {
    const int column = i / layout.RowsPerColumn;
    const int row = i % layout.RowsPerColumn;
    layout.Boxes.push_back({10 + column * (boxWidth + 10), 4 + row * rowHeight});
  }
  const int freeWidth = layout.ClientWidth - 2 * buttonWidth;
  layout.Button1Left = freeWidth / 3;
  layout.Button2Left = freeWidth * 2 / 3 + buttonWidth;
  layout.ButtonTop = layout.ClientHeight - buttonHeight - 4;
  return layout;
}

}  // namespace vm
