#include "archive/components/codec_streams.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vm {

namespace {

constexpr int32_t kStoreChunk = 102400;
constexpr int32_t kSkipPiece = 4096;

voidpf ZAlloc(voidpf, uInt items, uInt size) { return std::calloc(items, size); }
void ZFree(voidpf, voidpf block) { std::free(block); }

}  // namespace

int DeflateLevel(TDeflateType type) {
  switch (type) {
    case dtDeflateS: return 0;
    case dtDeflateF: return 1;
    case dtDeflateN: return Z_DEFAULT_COMPRESSION;
    case dtDeflateX: return 9;
  }
  return Z_DEFAULT_COMPRESSION;
}

// ---------------------------------------------------------------- shared by all four

TCustomStream::TCustomStream(TStream32& stream, bool withBuffer) : stream_(stream) {
  streamPosition_ = stream_.Position();
  z_.zalloc = ZAlloc;
  z_.zfree = ZFree;
  z_.opaque = nullptr;
  if (withBuffer) buffer_.resize(kCodecBufferSize);
}

TCustomStream::~TCustomStream() = default;

void TCustomStream::RestorePosition() {
  if (stream_.Position() != streamPosition_) stream_.Seek(streamPosition_, soBeginning);
}

bool TCustomStream::Cancelled() const {
  if (Info.CancelPtr && *Info.CancelPtr) return true;
  return ActiveCancel && *ActiveCancel;
}

void TCustomStream::Encrypt(uint8_t* p, std::size_t n) {
  if (Info.Encrypted && Info.Cipher) Info.Cipher->EncryptBuffer(p, n);
}

void TCustomStream::Decrypt(uint8_t* p, std::size_t n) {
  if (Info.Encrypted && Info.Cipher) Info.Cipher->DecryptBuffer(p, n);
}

void TCustomStream::CheckRange(int64_t offset) {
  if (offset < INT32_MIN || offset > INT32_MAX) throw TArcStreamError("Range check error");
}

// ---------------------------------------------------------------- deflate

TCompressStream::TCompressStream(TStream32& dest, TDeflateType level, int windowBits)
    : TCustomStream(dest, true) {
  z_.next_out = buffer_.data();
  z_.avail_out = kCodecBufferSize;
  Info.Crc = kCrc32Start;
  initOk_ = deflateInit2(&z_, DeflateLevel(level), Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  finished_ = !initOk_;
}

TCompressStream::~TCompressStream() {
  try {
    Finish();
  } catch (const TArcStreamError&) {
    // Too late to tell anyone: a caller that cares calls Finish itself.
  }
  if (initOk_) deflateEnd(&z_);
}

int32_t TCompressStream::Write(const void* buffer, int32_t count) {
  if (count <= 0 || finished_) return 0;
  z_.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
  z_.avail_in = static_cast<uInt>(count);
  RestorePosition();
  Compress();
  z_.next_in = nullptr;
  z_.avail_in = 0;
  return count;
}

void TCompressStream::FlushOutput() {
  const int32_t used = kCodecBufferSize - static_cast<int32_t>(z_.avail_out);
  if (used > 0) {
    Encrypt(buffer_.data(), static_cast<std::size_t>(used));
    stream_.WriteBuffer(buffer_.data(), used);
  }
  z_.next_out = buffer_.data();
  z_.avail_out = kCodecBufferSize;
  RecordPosition();
}

void TCompressStream::Compress() {
  while (z_.avail_in > 0) {
    if (Cancelled()) return;
    CountDown(z_.avail_in);
    deflate(&z_, Z_NO_FLUSH);
    if (Cancelled()) return;
    if (z_.avail_out == 0) {
      CountDown(-static_cast<int64_t>(z_.avail_in));
      FlushOutput();
    }
    DoProgress(this);
  }
}

void TCompressStream::Finish() {
  if (finished_) return;
  finished_ = true;
  z_.next_in = nullptr;
  z_.avail_in = 0;
  RestorePosition();
  int result = deflate(&z_, Z_FINISH);
  while (result != Z_STREAM_END && z_.avail_out == 0 && !Cancelled()) {
    if (result != Z_OK && result != Z_BUF_ERROR) return;
    FlushOutput();
    result = deflate(&z_, Z_FINISH);
  }
  if (z_.avail_out < static_cast<uInt>(kCodecBufferSize)) FlushOutput();
}

int64_t TCompressStream::Seek(int64_t offset, int origin) {
  CheckRange(offset);
  if (offset == 0 && origin == soCurrent) return static_cast<int64_t>(z_.total_in);
  return -1;
}

// ---------------------------------------------------------------- inflate

TDecompressStream::TDecompressStream(TStream32& source, int windowBits) : TCustomStream(source, true) {
  z_.next_in = buffer_.data();
  z_.avail_in = 0;
  initOk_ = inflateInit2(&z_, windowBits) == Z_OK;
}

TDecompressStream::~TDecompressStream() {
  if (z_.avail_in > 0) stream_.Seek(streamPosition_ - static_cast<int64_t>(z_.avail_in), soBeginning);
  if (initOk_) inflateEnd(&z_);
}

int32_t TDecompressStream::Read(void* buffer, int32_t count) {
  if (!initOk_) return Z_STREAM_ERROR;
  if (count <= 0) return 0;
  z_.next_out = static_cast<Bytef*>(buffer);
  z_.avail_out = static_cast<uInt>(count);
  RestorePosition();
  const auto produced = [&] { return count - static_cast<int32_t>(z_.avail_out); };
  while (z_.avail_out > 0) {
    if (Info.StreamEnd) return produced();
    bool sourceDry = false;
    if (z_.avail_in == 0) {
      const int32_t want = std::min(count, kCodecBufferSize);
      const int32_t got = std::max(stream_.Read(buffer_.data(), want), 0);
      z_.next_in = buffer_.data();
      z_.avail_in = static_cast<uInt>(got);
      RecordPosition();
      sourceDry = got == 0;
      if (!sourceDry) {
        Decrypt(buffer_.data(), static_cast<std::size_t>(got));
        DoProgress(this);
      }
    }
    // A dry source does not end the read: zlib may still hold output that
    // did not fit the caller's buffer last time.
    const uInt roomBefore = z_.avail_out;
    const int result = inflate(&z_, Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      Info.StreamEnd = true;
      return produced();
    }
    if (result < 0 && result != Z_BUF_ERROR) return result;
    if (result == Z_NEED_DICT) return Z_DATA_ERROR;
    if (sourceDry && z_.avail_out == roomBefore) return produced();  // the data ran out early
  }
  return count;
}

void TDecompressStream::Skip(int64_t count) {
  uint8_t piece[kSkipPiece];
  while (count > 0) {
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(count, kSkipPiece));
    if (Read(piece, n) != n) return;
    count -= n;
  }
}

int64_t TDecompressStream::Seek(int64_t offset, int origin) {
  CheckRange(offset);
  const auto total = static_cast<int64_t>(z_.total_out);
  if (offset == 0 && origin == soBeginning) {
    if (initOk_) inflateReset(&z_);
    z_.next_in = buffer_.data();
    z_.avail_in = 0;
    Info.StreamEnd = false;
    stream_.Seek(0, soBeginning);
    streamPosition_ = 0;
  } else if (origin == soCurrent && offset >= 0) {
    Skip(offset);
  } else if (origin == soBeginning && offset > total) {
    Skip(offset - total);
  }
  return static_cast<int64_t>(z_.total_out);
}

// ---------------------------------------------------------------- stored copy

TStoreStream::TStoreStream(TStream32& dest, TStreamProgress progress, bool* cancelFlag,
                           const TStreamInfo& info, int crcKind)
    : TCustomStream(dest, true) {
  CrcKind = crcKind == kCrc16 ? kCrc16 : kCrc32;
  ProgressHandler = progress;
  ActiveProgress = std::move(progress);
  CancelFlag = cancelFlag;
  ActiveCancel = cancelFlag;
  Info = info;
  encryptOut_ = Info.Encrypted;
  // An encrypted member's CRC was computed in a pass over the plain data
  // before its encryption header was written.
  if (Info.Encrypted && Info.Registers) Info.Crc = Info.Registers->Value(CrcKind);
  else Info.Crc = CrcStart(CrcKind);
}

int32_t TStoreStream::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  const auto* p = static_cast<const uint8_t*>(buffer);
  if (!Info.Encrypted) Info.Crc = UpdateCrc(CrcKind, Info.Crc, p, static_cast<std::size_t>(count));
  CountDown(count);
  RestorePosition();
  if (encryptOut_) {
    for (int32_t done = 0; done < count;) {
      const int32_t n = std::min(count - done, kCodecBufferSize);
      std::memcpy(buffer_.data(), p + done, static_cast<std::size_t>(n));
      Encrypt(buffer_.data(), static_cast<std::size_t>(n));
      stream_.WriteBuffer(buffer_.data(), n);
      done += n;
    }
  } else {
    stream_.WriteBuffer(p, count);
  }
  RecordPosition();
  if (source_ && source_->ActiveProgress) source_->ActiveProgress(source_);
  else DoProgress(this);
  return count;
}

int64_t TStoreStream::Seek(int64_t offset, int origin) {
  CheckRange(offset);
  if (offset == 0 && origin == soCurrent) return static_cast<int64_t>(z_.total_in);
  return -1;
}

int64_t TStoreStream::CopyFromSource(TStream32& source) {
  source.CancelFlag = ActiveCancel;
  source.ProgressHandler = ActiveProgress;
  source_ = &source;
  return CopyFrom100K(source, 0);
}

int64_t TStoreStream::CopyFrom100K(TStream32& source, int64_t count) {
  if (count == 0) {
    source.Seek(0, soBeginning);
    count = source.GetSize();
  }
  ActiveCancel = CancelFlag ? CancelFlag : &privateCancel_;
  source.ActiveProgress = ProgressHandler;
  return CopyInChunks(source, count, kStoreChunk, ActiveCancel);
}

// ---------------------------------------------------------------- check-sum only

TCalcStreamCRC::TCalcStreamCRC(TStream32& source, TStreamProgress progress, bool* cancelFlag,
                               const TStreamInfo& info, int crcKind, int64_t count)
    : TCustomStream(source, false) {
  Info = info;
  CrcKind = crcKind == kCrc16 ? kCrc16 : kCrc32;
  CrcValue = CrcStart(CrcKind);
  CancelFlag = cancelFlag;
  ProgressHandler = std::move(progress);
  CopyFrom(source, count);
}

int32_t TCalcStreamCRC::Write(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  CrcValue = UpdateCrc(CrcKind, CrcValue, buffer, static_cast<std::size_t>(count));
  if (ActiveProgress) {
    CountDown(count);
    DoProgress(&stream_);
  }
  return count;
}

uint32_t CalcStreamCrc(TStream32& source, const TStreamInfo& info, bool* cancelFlag,
                       TStreamProgress progress, int64_t count) {
  uint32_t crc;
  {
    TCalcStreamCRC calc(source, std::move(progress), cancelFlag, info, kCrc32, count);
    crc = calc.CrcValue;
  }
  source.Seek(0, soBeginning);
  return crc;
}

}  // namespace vm
