#include "archive/components/arc_streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/services.h"

namespace vm {

namespace {

constexpr int32_t kCopyChunk = 0xF000;
constexpr int32_t kMemoryDelta = 8192;

}  // namespace

int64_t TStream32::GetSize() {
  const int64_t pos = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream32::SetSize(int64_t) {}

void TStream32::ReadBuffer(void* buffer, int32_t count) {
  if (count > 0 && Read(buffer, count) != count) throw TArcStreamError("Stream read error");
}

void TStream32::WriteBuffer(const void* buffer, int32_t count) {
  if (count > 0 && Write(buffer, count) != count) throw TArcStreamError("Stream write error");
}

void TStream32::DoProgress(TStream32* sender) {
  if (ActiveProgress) ActiveProgress(sender);
}

int64_t TStream32::CopyFrom(TStream32& source, int64_t count) {
  if (count == 0) {
    source.Seek(0, soBeginning);
    count = source.GetSize();
  }
  bool privateCancel = false;
  ActiveProgress = ProgressHandler;
  return CopyInChunks(source, count, kCopyChunk, CancelFlag ? CancelFlag : &privateCancel);
}

int64_t TStream32::CopyInChunks(TStream32& source, int64_t count, int32_t chunk, bool* cancel) {
  const int64_t requested = count;
  if (count <= 0) return requested;
  const int32_t bufferSize = static_cast<int32_t>(std::min<int64_t>(count, chunk));
  std::vector<uint8_t> buffer(static_cast<std::size_t>(bufferSize));
  while (count > 0 && !*cancel) {
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(bufferSize, count));
    Ui().ProcessMessages();
    if (*cancel) break;
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    count -= n;
  }
  return requested;
}

// ---------------------------------------------------------------- handle stream

int64_t THandleStream32::GetSize() { return handle_ ? handle_->Size() : -1; }

void THandleStream32::SetSize(int64_t newSize) {
  if (!handle_ || newSize < 0 || !handle_->Truncate(newSize))
    throw TArcStreamError("Unable to set the end of the file");
  position_ = newSize;
}

int32_t THandleStream32::Read(void* buffer, int32_t count) {
  if (!handle_ || count <= 0) return 0;
  const int64_t n = handle_->ReadAt(position_, buffer, static_cast<std::size_t>(count));
  if (n <= 0) return 0;
  position_ += n;
  return static_cast<int32_t>(n);
}

int32_t THandleStream32::Write(const void* buffer, int32_t count) {
  if (!handle_ || count <= 0) return 0;
  if (!handle_->WriteAt(position_, buffer, static_cast<std::size_t>(count))) return 0;
  position_ += count;
  return count;
}

int64_t THandleStream32::Seek(int64_t offset, int origin) {
  if (!handle_) return -1;
  int64_t base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position_; break;
    case soEnd: base = handle_->Size(); break;
    default: return -1;
  }
  if (base < 0 || (offset < 0 && base + offset < 0)) return -1;
  position_ = base + offset;
  return position_;
}

TFileStream32::TFileStream32(const std::string& fileName, uint16_t mode) : THandleStream32(nullptr) {
  const std::string path = NativePath(fileName);
  if (mode == kCreateMode) {
    file_ = Files().Open(path, FileMode::Create, &error_);
    if (file_ && !file_->Truncate(0)) {
      file_.reset();
      error_ = FileError::Other;
    }
  } else {
    const bool read = (mode & 0x03) == kOpenRead;
    const FileMode fm = !read ? FileMode::ReadWrite : (mode & kOpenNoLink) ? FileMode::ReadNoLink : FileMode::Read;
    file_ = Files().Open(path, fm, &error_);
  }
  handle_ = file_.get();
}

TFileStream32::~TFileStream32() {
  handle_ = nullptr;
  file_.reset();
}

// ---------------------------------------------------------------- memory streams

void TCustomMemoryStream32::SetPointer(uint8_t* ptr, int32_t size) {
  memory_ = ptr;
  size_ = size;
}

int32_t TCustomMemoryStream32::Read(void* buffer, int32_t count) {
  if (position_ < 0 || count < 0) return 0;
  const int64_t left = static_cast<int64_t>(size_) - position_;
  if (left <= 0) return 0;
  const int32_t n = static_cast<int32_t>(std::min<int64_t>(count, left));
  if (n > 0) std::memcpy(buffer, memory_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream32::Seek(int64_t offset, int origin) {
  int64_t target = position_;
  switch (origin) {
    case soBeginning: target = offset; break;
    case soCurrent: target = position_ + offset; break;
    case soEnd: target = static_cast<int64_t>(size_) + offset; break;
    default: break;
  }
  // The positions of a memory stream are 32-bit.
  if (target < INT32_MIN || target > INT32_MAX) return -1;
  position_ = static_cast<int32_t>(target);
  return position_;
}

TMemoryStream32::~TMemoryStream32() { Clear(); }

void TMemoryStream32::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMemoryStream32::SetCapacity(int32_t newCapacity) {
  uint8_t* block = Realloc(newCapacity);
  SetPointer(block, size_);
  capacity_ = newCapacity;
}

uint8_t* TMemoryStream32::Realloc(int32_t& newCapacity) {
  if (newCapacity > 0 && newCapacity != size_) {
    const int64_t rounded = (static_cast<int64_t>(newCapacity) + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
    if (rounded > INT32_MAX) throw TArcStreamError("Out of memory while expanding memory stream");
    newCapacity = static_cast<int32_t>(rounded);
  }
  if (newCapacity == capacity_) return memory_;
  if (newCapacity <= 0) {
    std::free(memory_);
    newCapacity = 0;
    return nullptr;
  }
  void* block = std::realloc(memory_, static_cast<std::size_t>(newCapacity));
  if (!block) throw TArcStreamError("Out of memory while expanding memory stream");
  return static_cast<uint8_t*>(block);
}

int32_t TMemoryStream32::Write(const void* buffer, int32_t count) {
  if (position_ < 0 || count < 0) return 0;
  const int64_t end = static_cast<int64_t>(position_) + count;
  if (end <= 0) return 0;
  if (end > INT32_MAX) throw TArcStreamError("Out of memory while expanding memory stream");
  if (end > size_) {
    if (end > capacity_) SetCapacity(static_cast<int32_t>(end));
    // A write past the end leaves no uninitialised gap behind it.
    if (position_ > size_) std::memset(memory_ + size_, 0, static_cast<std::size_t>(position_ - size_));
    size_ = static_cast<int32_t>(end);
  }
  std::memcpy(memory_ + position_, buffer, static_cast<std::size_t>(count));
  position_ = static_cast<int32_t>(end);
  return count;
}

void TMemoryStream32::SetSize(int64_t newSize) {
  if (newSize < 0 || newSize > INT32_MAX) throw TArcStreamError("Out of memory while expanding memory stream");
  const int32_t oldPosition = position_;
  SetCapacity(static_cast<int32_t>(newSize));
  size_ = static_cast<int32_t>(newSize);
  if (oldPosition > size_) Seek(0, soEnd);
}

}  // namespace vm
