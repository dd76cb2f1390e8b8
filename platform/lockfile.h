// An exclusive lock on a file that no other process, on this machine or
// through a shared folder, can take at the same time. The lock belongs to
// the open file, not to the process: a second holder inside the same process
// is refused as well, and a process that dies releases it.
#pragma once

#include <string>

namespace vm {

class TLockFile {
 public:
  TLockFile() = default;
  ~TLockFile() { Release(); }
  TLockFile(const TLockFile&) = delete;
  TLockFile& operator=(const TLockFile&) = delete;

  // Creates the file when missing and takes the lock; false when someone
  // holds it or the file cannot be created. Never waits.
  bool Acquire(const std::string& path);
  void Release();
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace vm
