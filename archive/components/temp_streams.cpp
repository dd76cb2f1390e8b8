#include "archive/components/temp_streams.h"

#include <unistd.h>

#include "archive/components/local_paths.h"
#include "platform/files.h"

namespace vm {

std::string TTempFileStream::MakeTempName(const std::string& finalName) {
  static int serial = 0;
  return FolderOf(finalName) + "arc" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".tmp";
}

TTempFileStream::TTempFileStream(const std::string& finalName)
    : TTempFileStream(finalName, MakeTempName(finalName)) {}

TTempFileStream::TTempFileStream(const std::string& finalName, const std::string& tempName)
    : TFileStream32(tempName, kCreateMode), finalName_(finalName), tempName_(Opened() ? tempName : "") {}

TTempFileStream::~TTempFileStream() {
  if (!committed_ && !tempName_.empty()) Files().Remove(tempName_);
}

bool TTempFileStream::Commit() {
  if (!Opened()) return false;
  if (!Handle()->Sync() || !Files().Rename(tempName_, finalName_)) {
    Files().Remove(tempName_);
    tempName_.clear();
    return false;
  }
  committed_ = true;
  return true;
}

bool TTempMemStream::Commit() {
  return ReplaceFile(finalName_, [this](File& f) { return f.WriteAt(0, Memory(), static_cast<std::size_t>(Size())); });
}

}  // namespace vm
