// The streams a compressor builds a new archive in. Nothing reaches the
// archive's name until Commit: a failed or cancelled run leaves the old
// archive (or no archive) as it was, and a committed one replaces it whole.
#pragma once

#include <cstdint>
#include <string>

#include "archive/components/arc_streams.h"

namespace vm {

// A temporary file beside the final one, renamed over it by Commit.
class TTempFileStream : public TFileStream32 {
 public:
  explicit TTempFileStream(const std::string& finalName);
  // Removes the temporary file when it was not committed.
  ~TTempFileStream() override;

  const std::string& TempName() const { return tempName_; }
  // False when the rename fails; the temporary file is then removed.
  bool Commit();

 private:
  TTempFileStream(const std::string& finalName, const std::string& tempName);
  static std::string MakeTempName(const std::string& finalName);
  std::string finalName_, tempName_;
  bool committed_ = false;
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
