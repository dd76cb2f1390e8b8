// Byte streams of the archive components: 64-bit sizes and positions, a copy
// that reports progress and can be cancelled from outside, a file stream that
// never throws when the file cannot be opened (callers test Opened()), and a
// growable memory stream.
//
// Operations a stream does not support return -1. The read-exactly and
// write-exactly helpers and CopyFrom throw TArcStreamError; the archive drivers
// catch it, so it never leaves the archive components.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/files.h"

namespace vm {

class TArcStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream32;
using TStreamProgress = std::function<void(TStream32* sender)>;

// Streams open with these modes: archives 0x20 (read, deny write), outputs
// kCreateMode, files to append to 2 (read and write).
inline constexpr uint16_t kCreateMode = 0xFFFF;
inline constexpr uint16_t kOpenRead = 0x00;
inline constexpr uint16_t kOpenWrite = 0x01;
inline constexpr uint16_t kOpenReadWrite = 0x02;
inline constexpr uint16_t kShareDenyWrite = 0x20;
// With kOpenRead: only a plain file at the name itself, never through a link.
inline constexpr uint16_t kOpenNoLink = 0x100;

class TStream32 {
 public:
  virtual ~TStream32() = default;
  TStream32() = default;
  TStream32(const TStream32&) = delete;
  TStream32& operator=(const TStream32&) = delete;

  virtual int64_t GetSize();
  virtual void SetSize(int64_t newSize);
  // Bytes read, fewer at the end; -1 when the stream cannot be read.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Bytes written; -1 when the stream cannot be written.
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // The new position, or -1.
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  // Copies count bytes of source (0: all of it from its start) in chunks,
  // letting the windows process waiting messages before each one; an
  // external cancel flag stops it. Returns the count asked for, also when
  // cancelled. A short read or write throws.
  virtual int64_t CopyFrom(TStream32& source, int64_t count);

  int64_t Position() { return Seek(0, soCurrent); }
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);

  // Set by the owner of the stream; CopyFrom puts it in force.
  TStreamProgress ProgressHandler;
  TStreamProgress ActiveProgress;
  bool* CancelFlag = nullptr;
  bool* ActiveCancel = nullptr;

 protected:
  virtual void DoProgress(TStream32* sender);
  // The copy loop shared with the descendants' larger-chunk copies.
  int64_t CopyInChunks(TStream32& source, int64_t count, int32_t chunk, bool* cancel);
};

// A stream over a file the caller owns: destroying it leaves the file open.
class THandleStream32 : public TStream32 {
 public:
  explicit THandleStream32(File* handle) : handle_(handle) {}
  ~THandleStream32() override { handle_ = nullptr; }

  File* Handle() const { return handle_; }
  bool Opened() const { return handle_ != nullptr; }

  int64_t GetSize() override;
  // Throws when the file cannot be cut or extended; the position moves there.
  void SetSize(int64_t newSize) override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, int origin) override;

 protected:
  File* handle_;
  int64_t position_ = 0;
};

// A stream that opens (or with kCreateMode creates, emptying it) a file by
// name and closes it when destroyed. A failed open leaves Opened() false.
class TFileStream32 : public THandleStream32 {
 public:
  TFileStream32(const std::string& fileName, uint16_t mode);
  ~TFileStream32() override;
  FileError OpenError() const { return error_; }

 private:
  std::unique_ptr<File> file_;
  FileError error_ = FileError::None;
};

// A stream over a block of memory the derived class installs.
class TCustomMemoryStream32 : public TStream32 {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return -1; }
  // No clamping: past the end the next Read gives 0.
  int64_t Seek(int64_t offset, int origin) override;
  int64_t GetSize() override { return size_; }

  uint8_t* Memory() const { return memory_; }
  int32_t Size() const { return size_; }

 protected:
  void SetPointer(uint8_t* ptr, int32_t size);
  uint8_t* memory_ = nullptr;
  int32_t size_ = 0;
  int32_t position_ = 0;
};

// A memory stream that owns its block and grows it in steps of 8192 bytes.
class TMemoryStream32 : public TCustomMemoryStream32 {
 public:
  ~TMemoryStream32() override;
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t newSize) override;
  void Clear();
  int32_t Capacity() const { return capacity_; }
  void SetCapacity(int32_t newCapacity);

 protected:
  // Throws "Out of memory while expanding memory stream" when the block
  // cannot grow.
  virtual uint8_t* Realloc(int32_t& newCapacity);

 private:
  int32_t capacity_ = 0;
};

}  // namespace vm
