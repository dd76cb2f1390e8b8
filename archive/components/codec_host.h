// What the Fused coder and decoder ask of the archive component that runs
// them: block reads and writes that decrypt or encrypt and keep the running
// CRC, the component's error report, its progress and its cancel flag.
// TPlainCodecHost serves a codec run on its own (tests, tools).
#pragma once

#include <cstdint>
#include <string>

#include "archive/components/arc_messages.h"
#include "archive/components/arc_streams.h"
#include "archive/components/crc.h"
#include "archive/components/zip_cipher.h"

namespace vm {

class TCodecHost {
 public:
  virtual ~TCodecHost() = default;
  // Up to count bytes from `from`, decrypted in place when `decrypt`; the
  // running CRC of crcKind (kCrcNone, kCrc16, kCrc32) follows the plain bytes.
  virtual int32_t ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) = 0;
  // The running CRC of crcKind follows the plain bytes, which are then
  // encrypted in place when `encrypt` and written. The bytes written.
  virtual int32_t WriteBlock(TStream32& to, uint8_t* buf, int32_t count, int crcKind, bool encrypt) = 0;
  // Reports a library message against the member being processed.
  virtual void ReportError(int32_t code) = 0;
  // Bytes of the member done: the bytes-to-go counter and the progress step.
  virtual void Advance(int64_t bytes) = 0;
  virtual bool Cancelled() = 0;
};

// A host of its own: the streams as they are, its own CRC registers and
// cipher, and the last error kept for the caller.
class TPlainCodecHost : public TCodecHost {
 public:
  TCrcRegisters Crc;
  TZipCipher Cipher;
  int32_t LastError = 0;
  int64_t BytesDone = 0;
  bool Cancel = false;

  int32_t ReadBlock(TStream32& from, uint8_t* buf, int32_t count, int crcKind, bool decrypt) override;
  int32_t WriteBlock(TStream32& to, uint8_t* buf, int32_t count, int crcKind, bool encrypt) override;
  void ReportError(int32_t code) override { LastError = code; }
  void Advance(int64_t bytes) override { BytesDone += bytes; }
  bool Cancelled() override { return Cancel; }
};

}  // namespace vm
