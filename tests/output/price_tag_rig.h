// Zones compiled with the document language as after the start-up, and a
// recording canvas of one page to draw tags on.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "config/price_tags.h"
#include "language/zone_compiler.h"
#include "output/recording_printer.h"

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

// A zone of the tag showing the literal text.
inline TCenZone& LiteralZone(TCennik& tag, const std::string& text) {
  TCenZone& zone = *NewCenZone(tag.Zones);
  SetZoneText(zone, text);
  return zone;
}

}  // namespace vm::test
