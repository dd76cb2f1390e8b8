// Streams that pass a member's bytes through raw deflate or inflate (zlib),
// copy them unchanged, or only check-sum them; each may keep a running CRC,
// encrypt or decrypt with the member's cipher, count down the component's
// bytes still to process and stop on its cancel flag.
//
// Several codec streams and the archive code share one underlying stream:
// each moves it back to where it last left it before using it.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "archive/components/arc_streams.h"
#include "archive/components/crc.h"
#include "archive/components/zip_cipher.h"

namespace vm {

enum TDeflateType : uint8_t { dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX };

// The zlib level of a deflate type.
int DeflateLevel(TDeflateType type);

// What the component hands a codec stream for one member.
struct TStreamInfo {
  uint32_t Crc = kCrc32Start;        // the stream's running CRC register
  bool Encrypted = false;            // encrypt on output, decrypt on input
  int64_t* BytesLeft = nullptr;      // the component's bytes still to process
  bool* CancelPtr = nullptr;         // the component's cancel flag
  bool StreamEnd = false;            // inflate met the end of the data
  TZipCipher* Cipher = nullptr;      // the member's keys; needed when Encrypted
  TCrcRegisters* Registers = nullptr;  // the component's running CRCs
};

inline constexpr int32_t kCodecBufferSize = 65536;
inline constexpr int kRawWindowBits = -15;

class TCustomStream : public TStream32 {
 public:
  ~TCustomStream() override;
  TStreamInfo Info;
  int CrcKind = kCrc32;

 protected:
  TCustomStream(TStream32& stream, bool withBuffer);
  // Puts the shared underlying stream back where this object left it.
  void RestorePosition();
  void RecordPosition() { streamPosition_ = stream_.Position(); }
  bool Cancelled() const;
  void CountDown(int64_t bytes) {
    if (Info.BytesLeft) *Info.BytesLeft -= bytes;
  }
  void Encrypt(uint8_t* p, std::size_t n);
  void Decrypt(uint8_t* p, std::size_t n);
  static void CheckRange(int64_t offset);

  TStream32& stream_;
  int64_t streamPosition_ = 0;
  std::vector<uint8_t> buffer_;
  z_stream z_{};
};

// Deflates what is written to it into the underlying stream. Output leaves
// in whole 64 KB blocks; Finish (or the destructor) writes the rest.
class TCompressStream : public TCustomStream {
 public:
  TCompressStream(TStream32& dest, TDeflateType level, int windowBits = kRawWindowBits);
  // Finishes quietly when Finish was not called; call Finish to see a
  // failed write.
  ~TCompressStream() override;

  int32_t Read(void*, int32_t) override { return -1; }
  // Returns count; a failed write of the underlying stream throws.
  int32_t Write(const void* buffer, int32_t count) override;
  // Only Seek(0, soCurrent): the bytes consumed so far.
  int64_t Seek(int64_t offset, int origin) override;
  // Flushes the last deflate block; throws when the write fails.
  void Finish();
  bool InitOk() const { return initOk_; }

 private:
  void Compress();
  void FlushOutput();
  bool initOk_ = false;
  bool finished_ = false;
};

// Inflates the underlying stream into what is read from it.
class TDecompressStream : public TCustomStream {
 public:
  explicit TDecompressStream(TStream32& source, int windowBits = kRawWindowBits);
  // Leaves the underlying stream just after the compressed data consumed.
  ~TDecompressStream() override;

  // The bytes produced: count, fewer when the data ends or runs out, or a
  // negative zlib error code for damaged data.
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return -1; }
  // Seek(0, soBeginning) restarts; forward moves decode and discard. The
  // result is always the bytes produced so far.
  int64_t Seek(int64_t offset, int origin) override;
  bool InitOk() const { return initOk_; }

 private:
  void Skip(int64_t count);
  bool initOk_ = false;
};

// Copies what is written to it into the underlying stream unchanged, or
// encrypted.
class TStoreStream : public TCustomStream {
 public:
  TStoreStream(TStream32& dest, TStreamProgress progress, bool* cancelFlag, const TStreamInfo& info,
               int crcKind);
  int32_t Read(void*, int32_t) override { return -1; }
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, int origin) override;
  // The whole of source (from its start), in 100 KB chunks.
  int64_t CopyFromSource(TStream32& source);
  int64_t CopyFrom100K(TStream32& source, int64_t count);

 private:
  bool encryptOut_ = false;
  bool privateCancel_ = false;
  TStream32* source_ = nullptr;
};

// Computes a CRC over count bytes of source (0: all of it from its start)
// while it is constructed.
class TCalcStreamCRC : public TCustomStream {
 public:
  TCalcStreamCRC(TStream32& source, TStreamProgress progress, bool* cancelFlag, const TStreamInfo& info,
                 int crcKind, int64_t count);
  int32_t Read(void*, int32_t) override { return -1; }
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t, int) override { return -1; }
  uint32_t CrcValue = kCrc32Start;
};

// The CRC-32 register (not yet complemented) over count bytes of source
// (0: the whole stream); source is left at position 0.
uint32_t CalcStreamCrc(TStream32& source, const TStreamInfo& info, bool* cancelFlag,
                       TStreamProgress progress, int64_t count);

}  // namespace vm
