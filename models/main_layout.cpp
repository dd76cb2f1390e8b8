#include "models/main_layout.h"

#include <algorithm>

#include "config/doctree.h"

namespace vm {

TMenuLines WrapMenuItems(const std::vector<int32_t> &itemWidths, int32_t available,
                         int32_t margin, int32_t lineHeight) {
  TMenuLines lines;
  lines.Starts.push_back(0);
  lines.Height = lineHeight - 1;
  int32_t widest = 0;
  int32_t line = 0;
  for (std::size_t i = 0; i < itemWidths.size(); ++i) {
    const int32_t w = itemWidths[i];
    if (line > 0 && line + w > available) {
      widest = std::max(widest, line);
      lines.Starts.push_back(static_cast<int32_t>(i));
      lines.Height += lineHeight - 1;
      line = 0;
    }
    line += w;
  }
  lines.Width = margin + std::max(widest, line);
  return lines;
}

TWindowRect PlaceMainWindow(const TWindowRect &saved, int32_t width, int32_t height,
                            int32_t screenWidth, int32_t screenHeight) {
  return ClampWindowRect({saved.Left, saved.Top, width, height}, screenWidth, screenHeight,
                         screenWidth, screenHeight);
}

}  // namespace vm
