// The check-box dialog behind CHECKBOXES: the items, their initial marks
// and the layout of the boxes in columns; the windows draw it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vm {

// The mask has 32 bits: no more boxes than that.
inline constexpr int kMaxCheckBoxes = 32;

// Items split at '|' (at most kMaxCheckBoxes of them), at least one column.
// False at once without items; otherwise True with the checked boxes as bits
// of result when the user confirmed, False with result 0 when not.
bool ShowCheckBoxes(std::string_view caption, std::string_view items, uint32_t mask,
                    int columns, uint32_t& result);

struct TCheckBoxPlace {
  int Left = 0;
  int Top = 0;
};

struct TCheckBoxLayout {
  int RowsPerColumn = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
  std::vector<TCheckBoxPlace> Boxes;
  int Button1Left = 0;
  int Button2Left = 0;
  int ButtonTop = 0;
};

// Places count boxes of width boxWidth and height rowHeight column by column
// beside buttons of the given size.
TCheckBoxLayout LayOutCheckBoxes(int count, int columns, int boxWidth, int rowHeight,
                                 int buttonWidth, int buttonHeight);

}  // namespace vm
