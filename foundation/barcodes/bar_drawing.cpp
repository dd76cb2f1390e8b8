#include "foundation/barcodes/bar_patterns.h"
#include "foundation/draw/canvas.h"

namespace vm {

void DrawBarPattern(TCanvas& canvas, std::string_view pattern, int32_t x, int32_t module, int32_t height,
                    int32_t top) {
  const TBrush kept = canvas.Brush();
  canvas.SetBrush({TBrushStyle::Solid, 0x000000});
  bool bar = true;
  for (const char c : pattern) {
    if (c < '1' || c > '9') continue;
    const int32_t w = (c - '0') * module;
    if (bar) canvas.FillBrushRect(x, top, x + w, top + height);
    bar = !bar;
    x += w;
  }
  canvas.SetBrush(kept);
}

}  // namespace vm
