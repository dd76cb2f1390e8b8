// Zones compiled with the document language as after the start-up, and a
// recording canvas of one page to draw tags on.
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "config/price_tags.h"
#include "language/zone_compiler.h"
#include "support/recording_printer.h"

namespace vm::test {

struct ZoneCompiling {
  TZoneCompiler compiler;
  ZoneCompiling() {
    InstallZoneCompiler(&compiler);
    CenZoneCompileEnabled() = true;
  }
  ~ZoneCompiling() {
    CenZoneCompileEnabled() = false;
    InstallZoneCompiler(nullptr);
  }
};

struct PageRig {
  TRecordedJob job;
  TRecordingCanvas canvas;
  explicit PageRig(int32_t ppi = 254) : canvas(job, ppi) { job.Pages.emplace_back(); }
  std::vector<TRecordedOp>& Ops() { return job.Pages.back().Ops; }
  std::vector<TRecordedOp> Only(TRecordedOp::TKind kind) {
    std::vector<TRecordedOp> out;
    std::copy_if(Ops().begin(), Ops().end(), std::back_inserter(out), [&](const TRecordedOp& op) { return op.Kind == kind; });
    return out;
  }
  void Clear() { Ops().clear(); }
};

// The label of the price-tag benchmark: the shop, the name and the price
// (too wide for its zone at 300 dpi, so it wraps) in DejaVu Sans, an
// Interleaved 2 of 5 code and a rule under the shop, on 58 x 40 mm.
inline void ShopLabelLayout(TCennik& tag) {
  tag.Width = 580;
  tag.Height = 400;
  const auto zone = [&](std::array<int32_t, 4> rect, int32_t size, bool barcode) {
    TCenZone& z = *NewCenZone(tag.Zones);
    z.Rect = rect;
    z.FontSize = size;
    z.FontName = "DejaVu Sans";
    z.Barcode = barcode;
    z.BarWidth = 33;
    z.LetterCase = 2;
  };
  zone({20, 10, 540, 50}, 40, false);
  zone({20, 70, 540, 110}, 35, false);
  zone({300, 190, 260, 90}, 80, false);
  zone({20, 290, 320, 100}, 27, true);
  TGraphObject& rule = *NewGraphObject(tag.Graphics);
  rule.LineWidth = 3;
  rule.X = 20;
  rule.Y = 65;
  rule.Width = 540;
}

// A zone of the tag showing the literal text.
inline TCenZone& LiteralZone(TCennik& tag, const std::string& text) {
  TCenZone& zone = *NewCenZone(tag.Zones);
  SetZoneText(zone, text);
  return zone;
}

}  // namespace vm::test
