#include "models/panel_layout.h"

#include <algorithm>

namespace vm {

namespace {

constexpr int32_t kToolBarIndent = 2;
constexpr int32_t kOuterBevelWidth = 1;
constexpr int32_t kCaptionBevelWidth = 4;
constexpr int32_t kGap = 5;
constexpr int32_t kMargin = 2;

int32_t GridWidth(int32_t cols) {
  return cols * kToolButtonSize + 2 * kToolBarIndent + 2 * kOuterBevelWidth + 2;
}

}  // namespace

void BindPanelTools(TPanelList &list, const TDocTree &tree, int32_t imageCount) {
  for (int32_t i = 0; i < list.Count(); ++i) {
    TMyPanel &panel = *list.GetPanel(i);
    for (int32_t t = panel.ToolCount() - 1; t >= 0; --t) {
      TDocTools &tool = *panel.GetTool(t);
      tool.Doc = tool.DocID != 0 ? tree.FindID(tool.DocID) : nullptr;
      if (tool.Doc == nullptr) {
        panel.DeleteTool(t);
        continue;
      }
      if (tool.IconIndex < 0 || tool.IconIndex >= imageCount) tool.IconIndex = 0;
    }
  }
}

TToolBarLayout LayOutToolBar(int32_t buttonCount, int32_t wantedRows, int32_t captionWidth) {
  TToolBarLayout l;
  l.Cols = wantedRows <= 0 ? buttonCount : (buttonCount + wantedRows - 1) / wantedRows;
  const int32_t minWidth = captionWidth + 2 * kCaptionBevelWidth + 10;
  while (GridWidth(l.Cols) < minWidth) ++l.Cols;
  l.Cols = std::max(l.Cols, 1);
  l.Rows = (buttonCount + l.Cols - 1) / l.Cols;
  l.Width = GridWidth(l.Cols);
  l.Height = l.Rows * kToolButtonSize + kPanelCaptionHeight + 6 + kOuterBevelWidth;
  return l;
}

TPanelArrangement ArrangePanels(TPanelList &list, int32_t menuWidth,
                                const std::function<int32_t(const TMyPanel &)> &captionWidth) {
  TPanelArrangement a;
  int32_t w = menuWidth;
  for (int32_t i = 0; i < list.Count(); ++i) {
    TMyPanel *p = list.GetPanel(i);
    if (!p->Shown) continue;
    const TToolBarLayout column = LayOutToolBar(p->ToolCount(), p->ToolCount(), captionWidth(*p));
    w = std::max(w, column.Width + 20);
    p->Placed = false;
  }
  int32_t x = kMargin, y = kMargin, room = w - 2 * kMargin, lineHeight = 0;
  bool newLine = true;
  for (int32_t i = 0; i < list.Count(); ++i) {
    TMyPanel *p = list.GetPanel(i);
    if (!p->Shown) continue;
    const int32_t caption = captionWidth(*p);
    int32_t rows = 1;
    while (true) {
      const TToolBarLayout l = LayOutToolBar(p->ToolCount(), rows, caption);
      lineHeight = std::max(lineHeight, l.Height);
      if (l.Width > room) {
        // A panel that starts a line grows taller before it moves; one
        // that cannot fit beside others starts the next line.
        if (newLine && rows < p->ToolCount()) {
          ++rows;
          continue;
        }
        if (!newLine) {
          x = kMargin;
          y += lineHeight + kGap;
          lineHeight = 0;
          room = w - 2 * kMargin;
          newLine = true;
          continue;
        }
        // Even one column does not fit: it stands alone on its line.
      }
      a.Places.push_back({p, x, y, l});
      p->Rows = l.Rows;
      p->Cols = l.Cols;
      p->Width = l.Width;
      p->Height = l.Height;
      p->Placed = true;
      x += l.Width + kGap;
      room -= l.Width + kGap;
      newLine = false;
      break;
    }
  }
  a.ClientWidth = w;
  a.PanelsHeight = newLine ? y : y + lineHeight + kGap;
  return a;
}

TMyPanel *FindPanelAt(const TPanelArrangement &arrangement, int32_t x, int32_t y) {
  for (const TPanelPlace &p : arrangement.Places) {
    if (x >= p.Left && x <= p.Left + p.Layout.Width - 1 && y >= p.Top &&
        y <= p.Top + p.Layout.Height - 1)
      return p.Panel;
  }
  return nullptr;
}

}  // namespace vm
