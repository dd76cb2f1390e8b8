#include "archive/components/component_codec_host.h"

#include "archive/components/zip_common.h"

namespace vm {

int32_t TComponentCodecHost::ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) {
  return c_.ReadBlock(from, buf, count, crcKind == kCrc32, decrypt);
}

int32_t TComponentCodecHost::WriteBlock(TStream32& to, uint8_t* buf, int32_t count, int crcKind, bool encrypt) {
  return encrypt ? c_.WriteEncrypted(to, buf, count, crcKind == kCrc32, true)
                 : c_.WriteBlock(to, buf, count, crcKind == kCrc32);
}

void TComponentCodecHost::ReportError(int32_t code) { c_.DoError(c_.currentName_, "", code); }

void TComponentCodecHost::Advance(int64_t bytes) {
  fileDone_ += bytes;
  c_.bytesToGo_ -= bytes;
  c_.ProgressStep(fileTotal_, fileDone_);
}

bool TComponentCodecHost::Cancelled() { return c_.GetCancel(); }

}  // namespace vm
