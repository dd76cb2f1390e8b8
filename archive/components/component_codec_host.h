// An archive component as the host of a Fused coder or decoder run: the
// component's block reads and writes (with its CRC and cipher), its error
// report, its progress and its cancel flag.
#pragma once

#include "archive/components/codec_host.h"

namespace vm {

class TZipCommon;

class TComponentCodecHost : public TCodecHost {
 public:
  // fileTotal: the member's unpacked size, for the file percentage.
  TComponentCodecHost(TZipCommon& component, int64_t fileTotal) : c_(component), fileTotal_(fileTotal) {}

  int32_t ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) override;
  int32_t WriteBlock(TStream32& to, uint8_t* buf, int32_t count, int crcKind, bool encrypt) override;
  void ReportError(int32_t code) override;
  void Advance(int64_t bytes) override;
  bool Cancelled() override;

 private:
  TZipCommon& c_;
  int64_t fileTotal_;
  int64_t fileDone_ = 0;
};

}  // namespace vm
