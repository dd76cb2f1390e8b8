#include "archive/components/temp_streams.h"

namespace vm {

TTempFileStream::TTempFileStream(const std::string& finalName) : THandleStream32(nullptr) {
  file_ = replacement_.Begin(NativePath(finalName));
  handle_ = file_.get();
  if (file_) tempName_ = replacement_.TempName();
}

TTempFileStream::~TTempFileStream() {
  handle_ = nullptr;
  file_.reset();
  replacement_.Abandon();
}

bool TTempFileStream::Commit() {
  if (!file_) return false;
  const bool placed = replacement_.Commit(*file_);
  handle_ = nullptr;
  file_.reset();
  return placed;
}

bool TTempMemStream::Commit() {
  return ReplaceFileWith(finalName_,
                         std::string_view(reinterpret_cast<const char*>(Memory()), static_cast<std::size_t>(Size())));
}

}  // namespace vm
