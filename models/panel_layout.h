// Where the shown user panels go under the main menu: each panel a grid of
// 23-pixel buttons under its caption, as few rows as the room allows, the
// panels in lines from the left, and the main window as wide as the widest
// of the menu and the one-column panels.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "config/doctree.h"

namespace vm {

inline constexpr int32_t kToolButtonSize = 23;
inline constexpr int32_t kPanelCaptionHeight = 24;

struct TToolBarLayout {
  int32_t Rows = 0, Cols = 0;
  int32_t Width = 0, Height = 0;
};

// The grid of ButtonCount buttons in WantedRows rows (0: one row), widened
// until the caption of CaptionWidth pixels fits.
TToolBarLayout LayOutToolBar(int32_t buttonCount, int32_t wantedRows, int32_t captionWidth);

struct TPanelPlace {
  TMyPanel *Panel = nullptr;
  int32_t Left = 0, Top = 0;
  TToolBarLayout Layout;
};

struct TPanelArrangement {
  std::vector<TPanelPlace> Places;  // the shown panels, in list order
  int32_t ClientWidth = 0;          // the room the panels take across
  int32_t PanelsHeight = 0;         // the height they take under the menu
};

// Binds every panel button to its document: a button without a document ID
// or whose document the tree no longer holds is dropped, and a picture
// number outside 0..imageCount-1 becomes 0.
void BindPanelTools(TPanelList &list, const TDocTree &tree, int32_t imageCount);

// Arranges the shown panels of List; CaptionWidth measures a panel's title
// in the caption font. Each panel's Width, Height, Rows, Cols and Placed
// are set as it is placed.
TPanelArrangement ArrangePanels(TPanelList &list, int32_t menuWidth,
                                const std::function<int32_t(const TMyPanel &)> &captionWidth);

// The first placed panel whose rectangle holds the point (client
// coordinates); nullptr if none.
TMyPanel *FindPanelAt(const TPanelArrangement &arrangement, int32_t x, int32_t y);

}  // namespace vm
