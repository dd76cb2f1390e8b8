// The streams a compressor builds a new archive in. Nothing reaches the
// archive's name until Commit: a failed or cancelled run leaves the old
// archive (or no archive) as it was, and a committed one replaces it whole.
#pragma once

#include <cstdint>
#include <string>

#include "archive/components/arc_streams.h"
#include "platform/files.h"

namespace vm {

// A new file beside the final one, renamed over it by Commit. It is made
// the file layer's one way (a fresh unpredictable name, made exclusively,
// never through a link, and no link ever renamed into place), so nothing
// planted beside the target receives a byte.
class TTempFileStream : public THandleStream32 {
 public:
  explicit TTempFileStream(const std::string& finalName);
  // Removes the temporary file when it was not committed.
  ~TTempFileStream() override;

  const std::string& TempName() const { return tempName_; }
  // False when the file cannot be made durable or renamed; it is then
  // removed and the final name untouched.
  bool Commit();

 private:
  FileReplacement replacement_;
  std::unique_ptr<File> file_;
  std::string tempName_;
};

// A new archive in memory, written beside its final name and renamed over
// it by Commit.
class TTempMemStream : public TMemoryStream32 {
 public:
  explicit TTempMemStream(const std::string& finalName) : finalName_(finalName) {}
  bool Commit();

 private:
  std::string finalName_;
};

}  // namespace vm
